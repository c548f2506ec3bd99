#include "sound/ogg_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "assets/data_file.h"

struct OggStream {
    OggVorbis_File file;
    int channels = 0;
    bool ended = false;
};

OggStream* openOggStream(const char* path, int* channels, int* rate, std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    // Streamed, so no size limit; but never a FIFO or a device, which could block or
    // never end.
    std::FILE* file = openDataFile(path, UINT64_MAX, why);
    if (!file) return nullptr;
    OggStream* stream = new OggStream;
    // From here ov_clear closes the file; a failed open leaves it to us.
    if (ov_open_callbacks(file, &stream->file, nullptr, 0, OV_CALLBACKS_DEFAULT) != 0) {
        std::fclose(file);
        delete stream;
        *why = "not an Ogg Vorbis file";
        return nullptr;
    }
    // The header's fields are 8 and 32 bits without sign; a long may be 32 bits wide.
    vorbis_info* info = ov_info(&stream->file, -1);
    if (!info || !soundLayoutAccepted(uint32_t(info->channels), uint32_t(info->rate), why)) {
        if (!info) *why = "no channels or no sample rate";
        ov_clear(&stream->file);
        delete stream;
        return nullptr;
    }
    stream->channels = info->channels;
    if (channels) *channels = info->channels;
    if (rate) *rate = int(info->rate);
    return stream;
}

int64_t readOggFrames(OggStream* stream, float* interleaved, int64_t maxFrames) {
    if (!stream || stream->ended) return 0;
    int64_t written = 0;
    // A few retries step over a hole in the data (OV_HOLE) without ending the stream.
    int holes = 0;
    while (written < maxFrames) {
        float** planes = nullptr;
        int section = 0;
        int want = int(std::min<int64_t>(maxFrames - written, 4096));
        long got = ov_read_float(&stream->file, &planes, want, &section);
        if (got == OV_HOLE && ++holes < 16) continue;
        if (got <= 0) {
            stream->ended = true;
            break;
        }
        // A chained file may change its channel count; keep the first layout.
        vorbis_info* info = ov_info(&stream->file, section);
        int sourceChannels = info ? info->channels : stream->channels;
        for (long i = 0; i < got; ++i)
            for (int c = 0; c < stream->channels; ++c)
                interleaved[(written + i) * stream->channels + c] = planes[std::min(c, sourceChannels - 1)][i];
        written += got;
    }
    return written;
}

bool seekOggStream(OggStream* stream, int64_t frame) {
    if (!stream) return false;
    stream->ended = frame < 0 || ov_pcm_seek(&stream->file, frame) != 0;
    return !stream->ended;
}

void closeOggStream(OggStream* stream) {
    if (!stream) return;
    ov_clear(&stream->file);
    delete stream;
}
