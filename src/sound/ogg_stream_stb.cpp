// Ogg Vorbis reading with stb_vorbis, for builds without libvorbisfile (Windows):
// the calls and contracts of ogg_stream.cpp, the same files taken and refused but
// for one coupling of many channels that stb_vorbis gets wrong (decodedWrongly).
#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "assets/data_file.h"
#include "sound/ogg_stream.h"

// The decoder itself, compiled here from Debian's libstb-dev. Every channel count a
// header can state gets as far as soundLayoutAccepted, which gives the reason.
#define STB_VORBIS_NO_PUSHDATA_API
#define STB_VORBIS_NO_INTEGER_CONVERSION
#define STB_VORBIS_MAX_CHANNELS 255
#include <stb_vorbis.h>

namespace {

// stb_vorbis keeps file offsets in 32 bits and finds the length with ftell, whose
// long is 32 bits on Windows: larger files are refused rather than misread.
constexpr uint64_t maxStbOggBytes = uint64_t(1) << 30;

// stb_vorbis (1.22) reads a type 2 residue over more than two channels as if over two:
// it stops at 2 x the half block instead of channels x it (decode_residue's
// actual_size), losing the rest of the packet, so the sound comes out as loud noise.
// libvorbisenc codes 5.1 that way. Such a setup is found in the parsed header, before
// anything is decoded: a residue whose coded range reaches past that point in a
// submap of more than two channels.
bool decodedWrongly(const stb_vorbis* f) {
    for (int m = 0; m < f->mode_count; ++m) {
        const uint32_t half = uint32_t(f->blocksize[f->mode_config[m].blockflag]) / 2;
        const Mapping& map = f->mapping[f->mode_config[m].mapping];
        for (int submap = 0; submap < map.submaps; ++submap) {
            const int residue = map.submap_residue[submap];
            int channels = 0;
            for (int c = 0; c < f->channels; ++c) channels += map.chan[c].mux == submap;
            if (f->residue_types[residue] == 2 && channels > 2 && f->residue_config[residue].end > 2 * half)
                return true;
        }
    }
    return false;
}

}  // namespace

struct OggStream {
    stb_vorbis* vorbis = nullptr;
    int channels = 0;
    bool ended = false;
};

OggStream* openOggStream(const char* path, int* channels, int* rate, std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    // Never a FIFO or a device, which could block or never end.
    std::FILE* file = openDataFile(path, maxStbOggBytes, why);
    if (!file) return nullptr;
    // From here stb_vorbis closes the file, on a failed open too.
    int error = 0;
    stb_vorbis* vorbis = stb_vorbis_open_file(file, 1, &error, nullptr);
    if (!vorbis) {
        *why = error == VORBIS_outofmem ? "out of memory" : "not an Ogg Vorbis file";
        return nullptr;
    }
    const stb_vorbis_info info = stb_vorbis_get_info(vorbis);
    bool accepted = soundLayoutAccepted(uint32_t(info.channels), info.sample_rate, why);
    if (accepted && decodedWrongly(vorbis)) {
        *why = "channels coupled in a way stb_vorbis decodes wrongly (as 5.1 sound is)";
        accepted = false;
    }
    if (!accepted) {
        stb_vorbis_close(vorbis);
        return nullptr;
    }
    OggStream* stream = new OggStream;
    stream->vorbis = vorbis;
    stream->channels = info.channels;
    if (channels) *channels = info.channels;
    if (rate) *rate = int(info.sample_rate);
    return stream;
}

int64_t readOggFrames(OggStream* stream, float* interleaved, int64_t maxFrames) {
    if (!stream || stream->ended) return 0;
    int64_t written = 0;
    while (written < maxFrames) {
        const int want = int(std::min<int64_t>(maxFrames - written, 4096));
        // Damaged packets are skipped inside; 0 is the end, or a page it cannot get past.
        const int got = stb_vorbis_get_samples_float_interleaved(
            stream->vorbis, stream->channels, interleaved + written * stream->channels, want * stream->channels);
        if (got <= 0) {
            stream->ended = true;
            break;
        }
        written += got;
    }
    return written;
}

bool seekOggStream(OggStream* stream, int64_t frame) {
    if (!stream) return false;
    stream->ended = true;
    if (frame == 0) {
        stream->ended = !stb_vorbis_seek_start(stream->vorbis);
        return !stream->ended;
    }
    // The end itself is a place to seek to (the stream then reads as ended), as with
    // libvorbisfile; stb_vorbis only seeks to a frame it can decode.
    const uint32_t length = stb_vorbis_stream_length_in_samples(stream->vorbis);
    if (frame < 0 || frame > int64_t(length)) return false;
    if (frame == int64_t(length)) return true;
    stream->ended = !stb_vorbis_seek(stream->vorbis, uint32_t(frame));
    return !stream->ended;
}

void closeOggStream(OggStream* stream) {
    if (!stream) return;
    stb_vorbis_close(stream->vorbis);
    delete stream;
}
