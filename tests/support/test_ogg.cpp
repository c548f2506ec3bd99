#include "test_ogg.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {
bool writePage(std::FILE* file, const ogg_page& page) {
    return std::fwrite(page.header, 1, size_t(page.header_len), file) == size_t(page.header_len) &&
           std::fwrite(page.body, 1, size_t(page.body_len), file) == size_t(page.body_len);
}
}  // namespace

bool writeTestOgg(const std::string& path, double seconds, const SampleGenerator& sample, int channels, int rate) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.5f) != 0) {
        vorbis_info_clear(&info);
        std::fclose(file);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 20261207);

    bool ok = true;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) ok = ok && writePage(file, page);

    const int64_t total = int64_t(std::llround(seconds * rate));
    int64_t done = 0;
    bool endOfStream = false;
    while (!endOfStream) {
        const int64_t chunk = std::min<int64_t>(4096, total - done);
        if (chunk > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(chunk));
            for (int64_t i = 0; i < chunk; ++i)
                for (int c = 0; c < channels; ++c) buffer[c][i] = sample(done + i, c);
            vorbis_analysis_wrote(&dsp, int(chunk));
            done += chunk;
        } else {
            vorbis_analysis_wrote(&dsp, 0);  // end of input
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) {
                    ok = ok && writePage(file, page);
                    if (ogg_page_eos(&page)) endOfStream = true;
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

float testToneSample(int64_t frame, int channel) {
    float tone = 0.25f + 0.5f * float(std::sin(2.0 * M_PI * 441.0 * double(frame) / 44100.0));
    return channel == 0 ? tone : 0.8f * tone;
}

bool writeTestSoundtrack(const std::string& dataDir, double seconds) {
    return writeTestOgg(dataDir + "/sound/vorrend.ogg", seconds, testToneSample);
}
