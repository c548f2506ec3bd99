// Ogg Vorbis reading with stb_vorbis, for builds without libvorbisfile (Windows):
// the calls and contracts of ogg_stream.cpp, the same files taken and refused but
// for what stb_vorbis would get wrong (stbPitfall).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "assets/data_file.h"
#include "sound/ogg_stream.h"

// The decoder itself, compiled here from Debian's libstb-dev. Every channel count a
// header can state gets as far as soundLayoutAccepted, which gives the reason.
//
// stb_vorbis 1.22 passes the sizes it allocates for a header's fields as int: sizes
// of 2 GiB and more, or negative ones, come out small and are then written in full
// (CVE-2023-45675 to 45677 and 45681, codebook multiplicands). Its calls with a size_t
// size meet these overloads first, which give nothing for a size of 0 or more than
// the stream's memory, so every such header fails as out of memory; a comment count
// that gets no memory is cleared too, which its clean-up would otherwise walk as a
// null list (CVE-2023-45680).
#define STB_VORBIS_NO_PUSHDATA_API
#define STB_VORBIS_NO_INTEGER_CONVERSION
#define STB_VORBIS_MAX_CHANNELS 255
struct stb_vorbis;
static void* setup_malloc(stb_vorbis* f, size_t bytes);
static void* setup_temp_malloc(stb_vorbis* f, size_t bytes);
#include <stb_vorbis.h>

static void* setup_malloc(stb_vorbis* f, size_t bytes) {
    void* memory =
        bytes > 0 && bytes <= size_t(f->alloc.alloc_buffer_length_in_bytes) ? setup_malloc(f, int(bytes)) : nullptr;
    if (!memory && !f->comment_list) f->comment_list_length = 0;
    return memory;
}

static void* setup_temp_malloc(stb_vorbis* f, size_t bytes) {
    return bytes <= size_t(f->alloc.alloc_buffer_length_in_bytes) ? setup_temp_malloc(f, int(bytes)) : nullptr;
}

namespace {

// stb_vorbis keeps file offsets in 32 bits and finds the length with ftell, whose
// long is 32 bits on Windows: larger files are refused rather than misread.
constexpr uint64_t maxStbOggBytes = uint64_t(1) << 30;

// stb_vorbis works in memory of ours, given whole when the stream opens, where it frees
// nothing: with malloc it leaks on some damaged headers and frees pointers it never set
// (CVE-2023-45679), and a header may claim codebooks of gigabytes. The files
// libvorbisenc writes take under 0.5 MiB (8 channels at any quality included), so 1 MiB
// is tried first; a stream that needs more, long comments or pictures among them, is
// opened again in 16 MiB.
constexpr int stbMemoryBytes[] = {1 << 20, 16 << 20};

// What stb_vorbis (1.22) would get wrong in a stream whose headers it has read: null
// for none. A sparse codebook without a single entry has no table of values, which
// decoding with it reads all the same, at address -4 (CVE-2023-45682). A mapping of 16
// submaps overflows its arrays of 15 (CVE-2023-45678): the header's reading writes one
// byte into the padding behind them, but the 16th floor lands on the first residue,
// which decoding would then look up unchecked. A type 2
// residue over more than two channels is read as if over two: stb_vorbis stops at
// 2 x the half block instead of channels x it (decode_residue's actual_size), losing
// the rest of the packet, so the sound comes out as loud noise; libvorbisenc codes
// 5.1 that way.
const char* stbPitfall(const stb_vorbis* f) {
    for (int i = 0; i < f->codebook_count; ++i)
        if (f->codebooks[i].sparse && f->codebooks[i].sorted_entries == 0) return "a codebook without entries";
    for (int i = 0; i < f->mapping_count; ++i)
        if (f->mapping[i].submaps > 15) return "a mapping of 16 submaps";
    for (int m = 0; m < f->mode_count; ++m) {
        const uint32_t half = uint32_t(f->blocksize[f->mode_config[m].blockflag]) / 2;
        const Mapping& map = f->mapping[f->mode_config[m].mapping];
        for (int submap = 0; submap < map.submaps; ++submap) {
            const int residue = map.submap_residue[submap];
            int channels = 0;
            for (int c = 0; c < f->channels; ++c) channels += map.chan[c].mux == submap;
            if (f->residue_types[residue] == 2 && channels > 2 && f->residue_config[residue].end > 2 * half)
                return "channels coupled in a way stb_vorbis decodes wrongly (as 5.1 sound is)";
        }
    }
    return nullptr;
}

}  // namespace

struct OggStream {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file{nullptr, std::fclose};
    std::unique_ptr<char[]> memory;
    stb_vorbis* vorbis = nullptr;
    int channels = 0;
    bool ended = false;
};

OggStream* openOggStream(const char* path, int* channels, int* rate, std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    auto stream = std::make_unique<OggStream>();
    // Never a FIFO or a device, which could block or never end.
    stream->file.reset(openDataFile(path, maxStbOggBytes, why));
    if (!stream->file) return nullptr;
    int error = 0;
    for (const int bytes : stbMemoryBytes) {
        stream->memory.reset(new char[size_t(bytes)]);
        const stb_vorbis_alloc alloc = {stream->memory.get(), bytes};
        stream->vorbis = stb_vorbis_open_file(stream->file.get(), 0, &error, &alloc);
        if (stream->vorbis || error != VORBIS_outofmem || std::fseek(stream->file.get(), 0, SEEK_SET) != 0) break;
    }
    if (!stream->vorbis) {
        *why = error == VORBIS_outofmem ? "not an Ogg Vorbis file, or one needing more than " +
                                              std::to_string(stbMemoryBytes[1] >> 20) + " MiB"
                                        : "not an Ogg Vorbis file";
        return nullptr;
    }
    const stb_vorbis_info info = stb_vorbis_get_info(stream->vorbis);
    bool accepted = soundLayoutAccepted(uint32_t(info.channels), info.sample_rate, why);
    if (const char* pitfall = accepted ? stbPitfall(stream->vorbis) : nullptr) {
        *why = pitfall;
        accepted = false;
    }
    if (!accepted) {
        stb_vorbis_close(stream->vorbis);
        return nullptr;
    }
    stream->channels = info.channels;
    if (channels) *channels = info.channels;
    if (rate) *rate = int(info.sample_rate);
    return stream.release();
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
    stb_vorbis_close(stream->vorbis);  // before its memory and file go with the stream
    delete stream;
}
