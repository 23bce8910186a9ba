#include "mirel/video/a_theoravideo.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_imagedecode.h"
#include "mirel/video/a_yuv.h"

#include <ogg/ogg.h>
#include <theora/theora.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {
constexpr size_t BLOCK_SIZE = 8192;
} // namespace

// libogg and libtheora state, with a flag for every part that holds memory.
struct aTheoraVideo::Decoder {
    ogg_sync_state sync;
    ogg_stream_state stream;
    ogg_page page;
    ogg_packet packet;
    theora_info info;
    theora_comment comment;
    theora_state state;
    yuv_buffer yuv;
    bool syncReady = false;
    bool streamReady = false;
    bool headerReady = false; // info and comment initialised
    bool stateReady = false;

    Decoder() { zero(); }
    void zero() {
        std::memset(&sync, 0, sizeof sync);
        std::memset(&stream, 0, sizeof stream);
        std::memset(&page, 0, sizeof page);
        std::memset(&packet, 0, sizeof packet);
        std::memset(&info, 0, sizeof info);
        std::memset(&comment, 0, sizeof comment);
        std::memset(&state, 0, sizeof state);
        std::memset(&yuv, 0, sizeof yuv);
        syncReady = streamReady = headerReady = stateReady = false;
    }
    // The decoder first: it refers to the info's setup.
    void clear() {
        if (stateReady)
            theora_clear(&state);
        if (headerReady) {
            theora_comment_clear(&comment);
            theora_info_clear(&info);
        }
        if (streamReady)
            ogg_stream_clear(&stream);
        if (syncReady)
            ogg_sync_clear(&sync);
        zero();
    }
};

aTheoraVideo::aTheoraVideo() : m_dec(std::make_unique<Decoder>()) {}

aTheoraVideo::~aTheoraVideo() {
    close();
    m_image.unload();
}

void aTheoraVideo::clearDecoder() {
    m_dec->clear();
}

void aTheoraVideo::close() {
    clearDecoder();
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

size_t aTheoraVideo::readBlock() {
    if (!m_file)
        return 0;
    char* buffer = ogg_sync_buffer(&m_dec->sync, BLOCK_SIZE);
    if (!buffer)
        return 0;
    size_t n = std::fread(buffer, 1, BLOCK_SIZE, m_file);
    ogg_sync_wrote(&m_dec->sync, static_cast<long>(n));
    return n;
}

aTheoraVideo::Headers aTheoraVideo::readHeaders() {
    Decoder& d = *m_dec;
    d.clear();
    ogg_sync_init(&d.sync);
    d.syncReady = true;
    theora_comment_init(&d.comment);
    theora_info_init(&d.info);
    d.headerReady = true;

    // Beginning-of-stream pages: find the Theora stream among them.
    int headers = 0;
    bool dataPage = false;
    while (!dataPage) {
        if (readBlock() == 0)
            return Headers::NotTheora;
        int got;
        while ((got = ogg_sync_pageout(&d.sync, &d.page)) != 0) {
            if (got < 0)
                continue; // bytes skipped to the next page
            if (!ogg_page_bos(&d.page)) {
                dataPage = true;
                break;
            }
            ogg_stream_state test;
            ogg_stream_init(&test, ogg_page_serialno(&d.page));
            ogg_stream_pagein(&test, &d.page);
            if (!d.streamReady && ogg_stream_packetout(&test, &d.packet) == 1 &&
                theora_decode_header(&d.info, &d.comment, &d.packet) >= 0) {
                std::memcpy(&d.stream, &test, sizeof test);
                d.streamReady = true;
                headers = 1;
            } else {
                ogg_stream_clear(&test);
            }
        }
    }
    if (!d.streamReady)
        return Headers::NotTheora;

    // The other two headers follow in the Theora stream's own pages.
    ogg_stream_pagein(&d.stream, &d.page);
    while (headers < 3) {
        int got = ogg_stream_packetout(&d.stream, &d.packet);
        if (got < 0)
            return Headers::NotTheora;
        if (got > 0) {
            if (theora_decode_header(&d.info, &d.comment, &d.packet) < 0)
                return Headers::NotTheora;
            ++headers;
            continue;
        }
        int page;
        while ((page = ogg_sync_pageout(&d.sync, &d.page)) < 0) {
        }
        if (page > 0)
            ogg_stream_pagein(&d.stream, &d.page); // pages of other streams are refused by serial
        else if (readBlock() == 0)
            return Headers::NotTheora;
    }

    const uint64_t w = d.info.width, h = d.info.height;
    if (w == 0 || h == 0 || d.info.fps_numerator == 0 || d.info.fps_denominator == 0)
        return Headers::NotTheora;
    if (w > A_IMAGE_MAX_SIDE || h > A_IMAGE_MAX_SIDE || w * h > kMaxFramePixels)
        return Headers::TooLarge;
    if (theora_decode_init(&d.state, &d.info) != 0)
        return Headers::NotTheora;
    d.stateReady = true;
    return Headers::Playable;
}

bool aTheoraVideo::open(const std::string& path, bool loop) {
    close();
    m_image.unload();
    m_rgb.clear();
    m_rgb.shrink_to_fit();
    m_width = m_height = m_frameHeight = 0;
    m_frameTime = m_accum = 0.0f;
    m_errorLogged = false;
    m_path = path;

    m_file = file_openPlain(file_manglePath(path));
    if (!m_file) {
        a_log("File open error!");
        return false;
    }
    const Headers headers = readHeaders();
    if (headers == Headers::TooLarge) {
        a_log("aTheoraVideo::open - frames of %ux%u pixels are too large, not played '%s'",
              unsigned(m_dec->info.width), unsigned(m_dec->info.height), path.c_str());
        close();
        return false;
    }
    if (headers != Headers::Playable) {
        a_log("aTheoraVideo::open - not a playable Ogg Theora video '%s'", path.c_str());
        close();
        return false;
    }
    const theora_info& info = m_dec->info;
    m_width = info.width;
    m_height = info.height;
    m_frameHeight = info.frame_height;
    m_image.createEmpty(m_width, m_height);
    m_frameTime = static_cast<float>(info.fps_denominator) / static_cast<float>(info.fps_numerator);
    m_accum = m_frameTime;
    m_loop = loop ? 1 : 0;
    return true;
}

bool aTheoraVideo::decodeFrame() {
    Decoder& d = *m_dec;
    bool rewound = false;
    for (;;) {
        int got = ogg_stream_packetout(&d.stream, &d.packet);
        if (got > 0)
            break;
        if (got < 0)
            continue; // a gap in the data; the next packet follows
        int page;
        while ((page = ogg_sync_pageout(&d.sync, &d.page)) < 0) {
        }
        if (page > 0) {
            ogg_stream_pagein(&d.stream, &d.page);
            continue;
        }
        if (readBlock() > 0)
            continue;

        // End of the file.
        clearDecoder();
        if (!m_loop) {
            close();
            return false;
        }
        if (rewound) {
            a_log("aTheoraVideo::update - no frame to play in '%s'", m_path.c_str());
            close();
            return false;
        }
        rewound = true;
        std::rewind(m_file);
        if (readHeaders() != Headers::Playable) {
            a_log("aTheoraVideo::update - not a playable Ogg Theora video '%s'", m_path.c_str());
            close();
            return false;
        }
    }

    // A packet the decoder refused leaves no new picture, and before the
    // first good one the decoder has none at all: nothing to show.
    if (theora_decode_packetin(&d.state, &d.packet) < 0) {
        if (!m_errorLogged)
            a_log("ERROR theora_decode_packetin");
        m_errorLogged = true;
        return false;
    }
    if (theora_decode_YUVout(&d.state, &d.yuv) != 0) {
        if (!m_errorLogged)
            a_log("ERROR theora_decode_YUVout");
        m_errorLogged = true;
        return false;
    }
    return true;
}

void aTheoraVideo::uploadFrame() {
    const yuv_buffer& yuv = m_dec->yuv;
    if (m_rgb.empty())
        m_rgb.assign(static_cast<size_t>(m_width) * m_height, 0u);
    aYuvPlanes planes;
    planes.y = yuv.y;
    planes.u = yuv.u;
    planes.v = yuv.v;
    planes.yWidth = yuv.y_width;
    planes.yHeight = yuv.y_height;
    planes.yStride = yuv.y_stride;
    planes.uvWidth = yuv.uv_width;
    planes.uvHeight = yuv.uv_height;
    planes.uvStride = yuv.uv_stride;
    a_yuvToBgra(planes, m_rgb.data(), static_cast<int>(m_width), static_cast<int>(m_height));

    if (!m_image.hasTexture())
        return;
    aRect r(0, 0, static_cast<int16_t>(m_width), static_cast<int16_t>(m_height));
    uint32_t* bits = nullptr;
    int pitch = 0;
    if (!m_image.lock(&r, false, &bits, &pitch))
        return;
    for (uint32_t y = 0; y < m_height; ++y)
        std::memcpy(bits + static_cast<size_t>(y) * pitch, m_rgb.data() + static_cast<size_t>(y) * m_width,
                    m_width * 4u);
    m_image.unlock();
}

void aTheoraVideo::update(float dt) {
    if (!m_file)
        return;
    if (!(dt > 0.0f) || !std::isfinite(dt))
        dt = 0.0f;
    m_accum += dt;
    if (m_accum < m_frameTime)
        return;
    m_accum = std::fmod(m_accum, m_frameTime);
    if (decodeFrame())
        uploadFrame();
}

void aTheoraVideo::draw(float x, float y, uint32_t colour, const aRect* rect, const float* scale,
                        float rotation, const float* centre) const {
    if (!rect) {
        m_image.drawAt(x, y, colour, scale, rotation, centre);
        return;
    }
    const float pos[2] = {x, y};
    m_image.draw(pos, rect, colour, scale, rotation, centre, true);
}
