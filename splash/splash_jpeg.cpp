#include "splash_jpeg.h"

#include "splash_log.h"

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace pellucid {

namespace {

// Larger pictures are refused, by the size their header gives, before
// anything is decoded: a splash picture covers a launcher's window.
constexpr uint64_t kMaxPixels = 16ull * 1024 * 1024;
// A progressive file can hold any number of scans, each a pass over the whole
// picture; beyond this many it is taken as hostile.
constexpr int kMaxScans = 500;
// The most memory the decoder may take for its own buffers (a progressive
// picture keeps all its coefficients).
constexpr long kMaxDecoderMemory = 256l * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
    bool truncated;
    char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
    ErrorManager* err = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    longjmp(err->jump, 1);
}

void onProgress(j_common_ptr info) {
    auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->input_scan_number > kMaxScans) {
        ErrorManager* err = reinterpret_cast<ErrorManager*>(info->err);
        std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxScans);
        longjmp(err->jump, 1);
    }
}

void onMessage(j_common_ptr info, int level) {
    ErrorManager* err = reinterpret_cast<ErrorManager*>(info->err);
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        err->truncated = true;
}

bool decode(const uint8_t* data, size_t size, RgbPicture& out, ErrorManager& err) {
    jpeg_decompress_struct info;
    jpeg_progress_mgr progress;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    err.base.emit_message = onMessage;
    err.truncated = false;
    err.message[0] = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxDecoderMemory;
    progress.progress_monitor = onProgress;
    info.progress = &progress;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (static_cast<uint64_t>(info.image_width) * info.image_height > kMaxPixels) {
        std::snprintf(err.message, sizeof err.message, "picture of %ux%u pixels is too large",
                      static_cast<unsigned>(info.image_width), static_cast<unsigned>(info.image_height));
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
        static_cast<uint64_t>(info.output_width) * info.output_height > kMaxPixels) {
        std::snprintf(err.message, sizeof err.message, "unsupported picture size or format");
        jpeg_destroy_decompress(&info);
        return false;
    }
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.rgb.assign(static_cast<size_t>(out.width) * out.height * 3, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.rgb.data() + static_cast<size_t>(info.output_scanline) * out.width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (err.truncated) {
        std::snprintf(err.message, sizeof err.message, "the data ends early");
        return false;
    }
    return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, RgbPicture& out, const std::string& what) {
    out = RgbPicture();
    if (!data || size == 0) {
        splashLog("DecodeJpeg - no picture data '%s'", what.c_str());
        return false;
    }
    ErrorManager err;
    if (!decode(data, size, out, err)) {
        out = RgbPicture();
        splashLog("DecodeJpeg - cannot decode picture '%s' (%s)", what.c_str(), err.message);
        return false;
    }
    return true;
}

} // namespace pellucid
