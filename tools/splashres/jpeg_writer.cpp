#include "jpeg_writer.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace splashres {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf jump;
};

void onError(j_common_ptr info) {
    longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

} // namespace

bool WriteJpeg(const uint8_t* rgb, int width, int height, int quality, std::vector<uint8_t>& out) {
    out.clear();
    jpeg_compress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(rgb) + static_cast<size_t>(info.next_scanline) * width * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

} // namespace splashres
