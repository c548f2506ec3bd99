// Any bytes as the soundtrack, through whichever Ogg reader the target links
// (fuzz_ogg: libvorbisfile, fuzz_ogg_stb: stb_vorbis): opened, read through in
// pieces, sought and read again, as the player and the capture tool do. A refusal
// must say why; an opened stream must keep to the limits and to the buffer it is given.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "sound/ogg_stream.h"

namespace {
constexpr int64_t piece = 777;  // frames a read; odd, so reads end mid-packet

// A read must stay within maxFrames frames; the floats past them are a tripwire.
int64_t readChecked(OggStream* stream, std::vector<float>& buffer, int channels) {
    const size_t used = size_t(piece) * size_t(channels);
    std::fill(buffer.begin() + used, buffer.end(), 12345.0f);
    const int64_t got = readOggFrames(stream, buffer.data(), piece);
    if (got < 0 || got > piece) __builtin_trap();
    for (size_t i = used; i < buffer.size(); ++i)
        if (buffer[i] != 12345.0f) __builtin_trap();
    return got;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The readers open a path: the bytes go into a memory file, a regular file to them.
    static const int fd = memfd_create("fuzz_ogg", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) __builtin_trap();

    int channels = 0, rate = 0;
    std::string why;
    OggStream* stream = openOggStream(path.c_str(), &channels, &rate, &why);
    if (!stream) {
        if (why.empty()) __builtin_trap();
        return 0;
    }
    if (channels < 1 || channels > maxSoundChannels || rate < 1 || rate > maxSoundRate) __builtin_trap();
    std::vector<float> buffer(size_t(piece + 1) * size_t(channels));
    int64_t frames = 0;
    for (int64_t got = 1; got > 0 && frames < (int64_t(1) << 22); frames += got)
        got = readChecked(stream, buffer, channels);
    for (int64_t at : {frames / 2, int64_t(0), frames + 1, frames}) {
        seekOggStream(stream, at);
        readChecked(stream, buffer, channels);
    }
    closeOggStream(stream);
    return 0;
}
