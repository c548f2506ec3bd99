// What both Ogg readers share: the limits on a header's numbers and the whole-file
// decode on top of the streamed reading.
#include <string>

#include "sound/ogg_stream.h"

bool soundLayoutAccepted(uint32_t channels, uint32_t rate, std::string* why) {
    if (channels == 0 || rate == 0) {
        *why = "no channels or no sample rate";
    } else if (channels > uint32_t(maxSoundChannels)) {
        *why = std::to_string(channels) + " channels, more than the " + std::to_string(maxSoundChannels) +
               " a soundtrack may have";
    } else if (rate > uint32_t(maxSoundRate)) {
        *why = "a sample rate of " + std::to_string(rate) + " Hz, above the " + std::to_string(maxSoundRate) +
               " Hz a soundtrack may have";
    } else {
        return true;
    }
    return false;
}

bool decodeOggFile(const std::string& path, DecodedSound* sound) {
    OggStream* stream = openOggStream(path.c_str(), &sound->channels, &sound->rate);
    if (!stream) return false;
    sound->samples.clear();
    std::vector<float> chunk(size_t(4096) * sound->channels);
    while (int64_t got = readOggFrames(stream, chunk.data(), 4096))
        sound->samples.insert(sound->samples.end(), chunk.begin(), chunk.begin() + got * sound->channels);
    closeOggStream(stream);
    return true;
}

std::vector<float> mixToMono(const DecodedSound& sound) {
    std::vector<float> mono(size_t(sound.frames()));
    for (size_t f = 0; f < mono.size(); ++f) mono[f] = monoOf(&sound.samples[f * sound.channels], sound.channels);
    return mono;
}
