#include "sound/ogg_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "assets/data_file.h"
#include "runtime/stop_request.h"

// The file as libvorbisfile sees it: only up to the end of its last Ogg page.
struct OggSource {
    std::FILE* file = nullptr;
    int64_t size = 0;  // where the last page ends
    int64_t at = 0;
};

struct OggStream {
    OggVorbis_File file;
    OggSource source;
    int channels = 0;
    bool ended = false;
};

namespace {

size_t sourceRead(void* into, size_t size, size_t count, void* data) {
    OggSource* source = static_cast<OggSource*>(data);
    if (size == 0) return 0;
    const size_t items = size_t(std::min<int64_t>(int64_t(count), (source->size - source->at) / int64_t(size)));
    const size_t got = std::fread(into, size, items, source->file);
    source->at += int64_t(got * size);
    return got;
}

int sourceSeek(void* data, ogg_int64_t offset, int whence) {
    OggSource* source = static_cast<OggSource*>(data);
    const int64_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? source->at + offset : source->size + offset;
    if (to < 0 || to > source->size || fseeko(source->file, off_t(to), SEEK_SET) != 0) return -1;
    source->at = to;
    return 0;
}

int sourceClose(void* data) { return std::fclose(static_cast<OggSource*>(data)->file); }

long sourceTell(void* data) { return long(static_cast<OggSource*>(data)->at); }

// Where the file's last whole Ogg page ends (0 without any), found in one pass with
// libogg's page sync. libvorbisfile looks for the last page by itself, backwards
// from the end of the file, which costs time quadratic in the bytes that follow it.
// -1 when a stop was requested meanwhile.
int64_t lastPageEnd(std::FILE* file) {
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    int64_t offset = 0, end = 0;
    for (bool more = true; more;) {
        if (stopRequested) {
            end = -1;
            break;
        }
        char* buffer = ogg_sync_buffer(&sync, 1 << 16);
        const size_t got = buffer ? std::fread(buffer, 1, 1 << 16, file) : 0;
        more = got > 0;
        ogg_sync_wrote(&sync, long(got));
        ogg_page page;
        for (long step; (step = ogg_sync_pageseek(&sync, &page)) != 0;) {
            offset += step > 0 ? step : -step;  // a page, or bytes skipped
            if (step > 0) end = offset;
        }
    }
    ogg_sync_clear(&sync);
    return end;
}

OggStream* refuse(OggStream* stream, const std::string& reason, std::string* why) {
    ov_clear(&stream->file);
    delete stream;
    *why = reason;
    return nullptr;
}

}  // namespace

OggStream* openOggStream(const char* path, int* channels, int* rate, std::string* why) {
    std::string ignored;
    if (!why) why = &ignored;
    // Streamed, so no size limit; but never a FIFO or a device, which could block or
    // never end.
    std::FILE* file = openDataFile(path, UINT64_MAX, why);
    if (!file) return nullptr;
    const int64_t size = lastPageEnd(file);
    if (size <= 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        *why = size < 0 ? "interrupted" : "not an Ogg Vorbis file";
        return nullptr;
    }
    OggStream* stream = new OggStream;
    stream->source = {file, size, 0};
    // From here ov_clear closes the file; a failed open leaves it to us.
    const ov_callbacks callbacks = {sourceRead, sourceSeek, sourceClose, sourceTell};
    if (ov_open_callbacks(&stream->source, &stream->file, nullptr, 0, callbacks) != 0) {
        std::fclose(file);
        delete stream;
        *why = "not an Ogg Vorbis file";
        return nullptr;
    }
    // The header's fields as the unsigned numbers they are: a rate of 2^31 or more
    // must not turn negative and slip past the limit.
    vorbis_info* info = ov_info(&stream->file, -1);
    if (!info) return refuse(stream, "not an Ogg Vorbis file", why);
    const uint32_t claimedRate = uint32_t(info->rate), claimedChannels = uint32_t(info->channels);
    std::string refusal;
    if (!soundLayoutAccepted(claimedChannels, claimedRate, &refusal)) return refuse(stream, refusal, why);
    stream->channels = int(claimedChannels);
    if (channels) *channels = int(claimedChannels);
    if (rate) *rate = int(claimedRate);
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
