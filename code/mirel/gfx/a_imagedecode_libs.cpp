// The decoders that call libraries: JPEG (libjpeg), PNG (libpng) and JNG
// (libmng). Library errors come back here through longjmp or return codes;
// nothing inside a library may end the program.

#include "mirel/base/a_clock.h"
#include "mirel/gfx/a_imagedecode.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <libmng.h>
#include <png.h>
#include <zlib.h>

#include <unordered_set>

namespace {

bool sizeOk(uint64_t w, uint64_t h) {
    return w && h && w <= A_IMAGE_MAX_SIDE && h <= A_IMAGE_MAX_SIDE && w * h <= A_IMAGE_MAX_PIXELS;
}

std::string sizeText(uint64_t w, uint64_t h) {
    return "picture size " + std::to_string(w) + "x" + std::to_string(h) + " not accepted";
}

// ---------------------------------------------------------------- JPEG

// A progressive file can hold any number of scans; beyond this many it is
// taken as hostile (each scan costs a pass over the whole picture).
constexpr int kMaxJpegScans = 500;

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void jpegErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    longjmp(err->jump, 1);
}

// Warnings (corrupt data, premature end) fail the decode: a picture that is
// only partly there is not shown.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0)
        jpegErrorExit(cinfo);
}

void jpegProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxJpegScans) {
        auto* err = reinterpret_cast<JpegError*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "more than %d scans", kMaxJpegScans);
        longjmp(err->jump, 1);
    }
}

// x * y / 255, rounded.
inline uint32_t mul255(uint32_t x, uint32_t y) {
    const uint32_t t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

// A row of C, M, Y, K bytes (one pixel a word) turned into opaque colours in
// place. Files with an Adobe marker store the inks inverted (255 is no ink),
// as the programs that write most CMYK files do.
void cmykToArgb(uint32_t* pixels, uint32_t count, bool inverted) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(pixels);
    for (uint32_t i = 0; i < count; ++i, bytes += 4) {
        uint32_t c = bytes[0], m = bytes[1], y = bytes[2], k = bytes[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        pixels[i] = 0xFF000000u | mul255(c, k) << 16 | mul255(m, k) << 8 | mul255(y, k);
    }
}

// Kept free of objects with destructors: longjmp lands in this frame.
bool decodeJpegInto(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error) {
    jpeg_decompress_struct cinfo;
    JpegError err;
    jpeg_progress_mgr progress;
    std::memset(&cinfo, 0, sizeof cinfo);
    err.message[0] = 0;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = jpegErrorExit;
    err.mgr.emit_message = jpegEmitMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        error = std::string("corrupt JPEG data: ") + err.message;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = jpegProgress;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (!sizeOk(cinfo.image_width, cinfo.image_height)) {
        error = sizeText(cinfo.image_width, cinfo.image_height);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    // CMYK (and YCCK, which the library turns into CMYK) comes out as four
    // ink bytes a pixel, made into colours below.
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool inverted = cmyk && cinfo.saw_Adobe_marker;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_width != cinfo.image_width || cinfo.output_height != cinfo.image_height ||
        cinfo.output_components != 4) {
        error = "unexpected JPEG output";
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out.width = cinfo.output_width;
    out.height = cinfo.output_height;
    a_sizePixels(out.pixels, static_cast<size_t>(out.width) * out.height);
    while (cinfo.output_scanline < cinfo.output_height) {
        uint32_t* pixels = &out.pixels[static_cast<size_t>(cinfo.output_scanline) * out.width];
        JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels);
        jpeg_read_scanlines(&cinfo, &row, 1);
        if (cmyk)
            cmykToArgb(pixels, out.width, inverted);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out.fileFormat = A_FMT_X8R8G8B8;
    return true;
}

// ---------------------------------------------------------------- JNG

constexpr uint8_t kJngSignature[8] = {0x8B, 'J', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t be32(const uint8_t* p) {
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// Checks the chunk structure before libmng sees the file: every chunk inside
// the buffer with a matching CRC, JHDR first with an accepted size, IEND last.
bool checkJngChunks(const uint8_t* data, size_t size, std::string& error) {
    if (size < 8 || std::memcmp(data, kJngSignature, 8) != 0) {
        error = "bad JNG signature";
        return false;
    }
    size_t pos = 8;
    bool first = true;
    while (true) {
        if (size - pos < 12) {
            error = "truncated JNG chunk";
            return false;
        }
        uint32_t len = be32(data + pos);
        if (len > size - pos - 12) {
            error = "truncated JNG chunk";
            return false;
        }
        const uint8_t* type = data + pos + 4;
        uLong crc = crc32(0L, type, len + 4);
        if (crc != be32(data + pos + 8 + len)) {
            error = "JNG chunk CRC mismatch";
            return false;
        }
        if (first) {
            if (std::memcmp(type, "JHDR", 4) != 0 || len != 16) {
                error = "JNG file without JHDR";
                return false;
            }
            uint32_t w = be32(type + 4), h = be32(type + 8);
            if (!sizeOk(w, h)) {
                error = sizeText(w, h);
                return false;
            }
            first = false;
        }
        pos += 12 + static_cast<size_t>(len);
        if (std::memcmp(type, "IEND", 4) == 0)
            return true;
    }
}

struct MngSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
    aDecodedImage* out;
    bool headerSeen;
    std::string* error;
};

MngSource* source(mng_handle h) {
    return static_cast<MngSource*>(mng_get_userdata(h));
}

// libmng leaves blocks behind on some of its error paths (the row buffers
// of a JNG whose header disagrees with its JPEG data, or whose JDAT or JDAA
// chunks are garbage): every block it takes during a decode is noted, and
// what is still noted once the handle is cleaned up is freed by the decode.
struct MngBlocks {
    std::unordered_set<void*> live;
};
thread_local MngBlocks* t_mngBlocks = nullptr;

mng_ptr MNG_DECL mngAlloc(mng_size_t len) {
    void* p = std::calloc(1, len);
    if (p && t_mngBlocks)
        t_mngBlocks->live.insert(p);
    return p;
}
void MNG_DECL mngFree(mng_ptr p, mng_size_t) {
    if (t_mngBlocks)
        t_mngBlocks->live.erase(p);
    std::free(p);
}
mng_bool MNG_DECL mngOpen(mng_handle) {
    return MNG_TRUE;
}
mng_bool MNG_DECL mngClose(mng_handle) {
    return MNG_TRUE;
}

mng_bool MNG_DECL mngRead(mng_handle h, mng_ptr buf, mng_uint32 len, mng_uint32p read) {
    MngSource* s = source(h);
    size_t left = s->size - s->pos;
    size_t n = len < left ? len : left;
    std::memcpy(buf, s->data + s->pos, n);
    s->pos += n;
    *read = static_cast<mng_uint32>(n);
    return MNG_TRUE;
}

mng_bool MNG_DECL mngHeader(mng_handle h, mng_uint32 w, mng_uint32 hgt) {
    MngSource* s = source(h);
    if (s->headerSeen || !sizeOk(w, hgt))
        return MNG_FALSE;
    s->headerSeen = true;
    s->out->width = w;
    s->out->height = hgt;
    a_sizePixels(s->out->pixels, static_cast<size_t>(w) * hgt);
    return MNG_TRUE;
}

mng_ptr MNG_DECL mngCanvasLine(mng_handle h, mng_uint32 line) {
    MngSource* s = source(h);
    if (line >= s->out->height)
        line = s->out->height ? s->out->height - 1 : 0;
    return s->out->pixels.data() + static_cast<size_t>(line) * s->out->width;
}

mng_bool MNG_DECL mngRefresh(mng_handle, mng_uint32, mng_uint32, mng_uint32, mng_uint32) {
    return MNG_TRUE;
}
mng_uint32 MNG_DECL mngTicks(mng_handle) {
    return a_clock().milliseconds();
}
mng_bool MNG_DECL mngTimer(mng_handle, mng_uint32) {
    return MNG_TRUE;
}

mng_bool MNG_DECL mngError(mng_handle h, mng_int32 code, mng_int8, mng_chunkid, mng_uint32, mng_int32,
                           mng_int32, mng_pchar text) {
    MngSource* s = source(h);
    if (s->error->empty())
        *s->error = text ? text : ("libmng error " + std::to_string(code));
    return MNG_FALSE;
}

} // namespace

bool a_decodeJpeg(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error) {
    out = aDecodedImage();
    if (!data || size < 4) {
        error = "truncated JPEG data";
        return false;
    }
    if (!decodeJpegInto(data, size, out, error)) {
        out = aDecodedImage();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- PNG

bool a_decodePng(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error) {
    out = aDecodedImage();
    if (!data || size < 8) {
        error = "truncated PNG data";
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        error = std::string("corrupt PNG data: ") + image.message;
        png_image_free(&image);
        return false;
    }
    if (!sizeOk(image.width, image.height)) {
        error = sizeText(image.width, image.height);
        png_image_free(&image);
        return false;
    }
    bool alpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA;
    out.width = image.width;
    out.height = image.height;
    a_sizePixels(out.pixels, static_cast<size_t>(out.width) * out.height);
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
        error = std::string("corrupt PNG data: ") + image.message;
        png_image_free(&image);
        out = aDecodedImage();
        return false;
    }
    png_image_free(&image);
    out.fileFormat = alpha ? A_FMT_A8R8G8B8 : A_FMT_X8R8G8B8;
    return true;
}

bool a_decodeJng(const uint8_t* data, size_t size, aDecodedImage& out, std::string& error) {
    out = aDecodedImage();
    error.clear();
    if (!data || !checkJngChunks(data, size, error))
        return false;
    MngSource src{data, size, 0, &out, false, &error};
    MngBlocks blocks;
    struct Noting {
        MngBlocks* outer;
        explicit Noting(MngBlocks* b) : outer(t_mngBlocks) { t_mngBlocks = b; }
        ~Noting() {
            for (void* p : t_mngBlocks->live)
                std::free(p);
            t_mngBlocks = outer;
        }
    } noting(&blocks);
    mng_handle h = mng_initialize(&src, mngAlloc, mngFree, MNG_NULL);
    if (!h) {
        error = "libmng initialisation failed";
        return false;
    }
    bool ok =
        mng_setcb_errorproc(h, mngError) == MNG_NOERROR && mng_setcb_openstream(h, mngOpen) == MNG_NOERROR &&
        mng_setcb_closestream(h, mngClose) == MNG_NOERROR && mng_setcb_readdata(h, mngRead) == MNG_NOERROR &&
        mng_setcb_processheader(h, mngHeader) == MNG_NOERROR &&
        mng_setcb_getcanvasline(h, mngCanvasLine) == MNG_NOERROR &&
        mng_setcb_refresh(h, mngRefresh) == MNG_NOERROR &&
        mng_setcb_gettickcount(h, mngTicks) == MNG_NOERROR &&
        mng_setcb_settimer(h, mngTimer) == MNG_NOERROR &&
        mng_set_canvasstyle(h, MNG_CANVAS_BGRA8) == MNG_NOERROR;
    mng_retcode rc = ok ? mng_readdisplay(h) : MNG_INVALIDHANDLE;
    mng_cleanup(&h);
    if (!ok || (rc != MNG_NOERROR && rc != MNG_NEEDTIMERWAIT) || !src.headerSeen || out.pixels.empty()) {
        if (error.empty())
            error = "JNG decode failed (libmng code " + std::to_string(rc) + ")";
        out = aDecodedImage();
        return false;
    }
    error.clear();
    out.fileFormat = A_FMT_A8R8G8B8;
    return true;
}
