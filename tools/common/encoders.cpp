#include "encoders.h"

#include <jpeglib.h>
#include <vorbis/vorbisenc.h>
#include <cstdio>  // jpeglib.h needs size_t and FILE first
#include <cstdlib>

#include <algorithm>
#include <csetjmp>

namespace {

// libjpeg's own error handler ends the process; escape back to the caller instead.
struct JpegFailure {
    jpeg_error_mgr pub;
    jmp_buf escape;
};

void jpegEscape(j_common_ptr info) { longjmp(reinterpret_cast<JpegFailure*>(info->err)->escape, 1); }

// Kept free of C++ objects with destructors: longjmp skips them.
bool compressJpeg(const uint8_t* pixels, int width, int height, int quality, int components, unsigned char** buffer,
                  unsigned long* size) {
    jpeg_compress_struct info;
    JpegFailure failure;
    info.err = jpeg_std_error(&failure.pub);
    failure.pub.error_exit = jpegEscape;
    if (setjmp(failure.escape)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t span = size_t(width) * size_t(components);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(pixels) + size_t(info.next_scanline) * span;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

std::string encodeJpeg(const uint8_t* pixels, int width, int height, int quality, int components) {
    if (!pixels || width <= 0 || height <= 0 || (components != 1 && components != 3)) return {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    bool ok = compressJpeg(pixels, width, height, quality, components, &buffer, &size);
    std::string out = ok ? std::string(reinterpret_cast<char*>(buffer), size) : std::string();
    std::free(buffer);  // jpeg_mem_dest's buffer is the caller's, on success and failure
    return out;
}

std::string encodeOggVorbis(const float* interleaved, size_t frames, int channels, int rate, float quality, int serial,
                            const VorbisTags& tags) {
    std::string bytes;
    if (channels <= 0 || (frames > 0 && !interleaved)) return bytes;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
        vorbis_info_clear(&vi);
        return bytes;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    for (const auto& tag : tags) vorbis_comment_add_tag(&vc, tag.first.c_str(), tag.second.c_str());
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, serial);

    auto appendPage = [&](const ogg_page& og) {
        bytes.append(reinterpret_cast<const char*>(og.header), size_t(og.header_len));
        bytes.append(reinterpret_cast<const char*>(og.body), size_t(og.body_len));
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page og;
    while (ogg_stream_flush(&os, &og)) appendPage(og);

    const size_t block = 1024;
    size_t done = 0;
    bool eos = false;
    while (!eos) {
        size_t n = std::min(block, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);  // end of input
        } else {
            float** buf = vorbis_analysis_buffer(&vd, int(n));
            const float* src = interleaved + done * size_t(channels);
            for (size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c) buf[c][i] = src[i * size_t(channels) + size_t(c)];
            vorbis_analysis_wrote(&vd, int(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet op;
            while (vorbis_bitrate_flushpacket(&vd, &op)) {
                ogg_stream_packetin(&os, &op);
                while (ogg_stream_pageout(&os, &og)) {
                    appendPage(og);
                    if (ogg_page_eos(&og)) eos = true;
                }
            }
        }
        if (n == 0 && !eos) {
            // Everything is flushed once the end-of-stream page is out.
            while (ogg_stream_flush(&os, &og)) {
                appendPage(og);
                if (ogg_page_eos(&og)) eos = true;
            }
            eos = true;
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return bytes;
}
