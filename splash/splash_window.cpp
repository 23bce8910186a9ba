#include "splash_window.h"

#include "splash_file.h"
#include "splash_log.h"
#include "splash_resources.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include <X11/Xutil.h>

namespace pellucid {

namespace {

// Files larger than this are not pictures the library shows.
constexpr size_t kMaxPictureFile = 64 * 1024 * 1024;

uint32_t rgbOf(ColorRef c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Stretches the picture over w x h with bilinear filtering, top row first.
void stretch(const RgbPicture& pic, int w, int h, std::vector<uint32_t>& out) {
    out.assign(static_cast<size_t>(w) * h, 0);
    if (pic.width <= 0 || pic.height <= 0)
        return;
    std::vector<int> x0(w), x1(w), fx(w);
    for (int x = 0; x < w; ++x) {
        int64_t sx = (static_cast<int64_t>(2 * x + 1) * pic.width * 256) / (2 * w) - 128;
        sx = std::clamp<int64_t>(sx, 0, static_cast<int64_t>(pic.width - 1) * 256);
        x0[x] = static_cast<int>(sx >> 8);
        x1[x] = std::min(x0[x] + 1, pic.width - 1);
        fx[x] = static_cast<int>(sx & 255);
    }
    for (int y = 0; y < h; ++y) {
        int64_t sy = (static_cast<int64_t>(2 * y + 1) * pic.height * 256) / (2 * h) - 128;
        sy = std::clamp<int64_t>(sy, 0, static_cast<int64_t>(pic.height - 1) * 256);
        int y0 = static_cast<int>(sy >> 8), y1 = std::min(y0 + 1, pic.height - 1),
            fy = static_cast<int>(sy & 255);
        const uint8_t* r0 = &pic.rgb[static_cast<size_t>(y0) * pic.width * 3];
        const uint8_t* r1 = &pic.rgb[static_cast<size_t>(y1) * pic.width * 3];
        uint32_t* dst = &out[static_cast<size_t>(y) * w];
        for (int x = 0; x < w; ++x) {
            uint32_t px = 0;
            for (int c = 0; c < 3; ++c) {
                int a = r0[x0[x] * 3 + c], b = r0[x1[x] * 3 + c];
                int d = r1[x0[x] * 3 + c], e = r1[x1[x] * 3 + c];
                int top = a * (256 - fx[x]) + b * fx[x];
                int bottom = d * (256 - fx[x]) + e * fx[x];
                int v = (top * (256 - fy) + bottom * fy + 32768) >> 16;
                px |= static_cast<uint32_t>(v) << (16 - 8 * c);
            }
            dst[x] = px;
        }
    }
}

// Scales an 8-bit channel value into a visual's channel mask.
unsigned long toMask(unsigned v, unsigned long mask) {
    if (!mask)
        return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    unsigned long scaled = bits >= 8 ? static_cast<unsigned long>(v) << (bits - 8) : v >> (8 - bits);
    return (scaled << shift) & mask;
}

} // namespace

CSplashWindow::CSplashWindow(Display* display, Visual* visual, int depth)
    : m_display(display), m_visual(visual), m_depth(depth) {}

CSplashWindow::~CSplashWindow() {
    FreeBitmaps();
    if (m_gc)
        XFreeGC(m_display, m_gc);
    if (m_window)
        XDestroyWindow(m_display, m_window);
}

bool CSplashWindow::loadBytes(const uint8_t* data, size_t size, const std::string& what) {
    ReleasePicture();
    return DecodeJpeg(data, size, m_picture, what);
}

bool CSplashWindow::LoadResourcePicture() {
    ResourceData res = FindResource(kResourcePicture);
    return loadBytes(res.data, res.size, "built-in picture");
}

bool CSplashWindow::LoadFilePicture() {
    ReleasePicture();
    const std::string path = m_entry ? m_entry->staticPath : std::string();
    std::string bytes;
    const FileRead read = path.empty() ? FileRead::NotAFile : ReadPlainFile(path, kMaxPictureFile, bytes);
    if (read == FileRead::NotAFile) {
        splashLog("CSplashWindow::LoadFilePicture - cannot open picture '%s'", path.c_str());
        return false;
    }
    if (read == FileRead::TooLarge || (read == FileRead::Ok && bytes.empty())) {
        splashLog("CSplashWindow::LoadFilePicture - picture '%s' is empty or too large", path.c_str());
        return false;
    }
    if (read != FileRead::Ok) {
        splashLog("CSplashWindow::LoadFilePicture - cannot read picture '%s'", path.c_str());
        return false;
    }
    return loadBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), path);
}

void CSplashWindow::ReleasePicture() {
    m_picture = RgbPicture();
    ResetBitmapSize();
}

Window CSplashWindow::Create(Window host, const SplashRect& rect) {
    XSetWindowAttributes attrs;
    attrs.background_pixmap = None; // the window paints all of itself
    attrs.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask;
    m_window = XCreateWindow(m_display, host, rect.x, rect.y, static_cast<unsigned>(rect.width),
                             static_cast<unsigned>(rect.height), 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWBackPixmap | CWEventMask, &attrs);
    if (m_window && !m_gc)
        m_gc = XCreateGC(m_display, m_window, 0, nullptr);
    m_width = rect.width;
    m_height = rect.height;
    return m_window;
}

void CSplashWindow::moveTo(const SplashRect& rect) {
    m_width = rect.width;
    m_height = rect.height;
    if (m_window)
        XMoveResizeWindow(m_display, m_window, rect.x, rect.y, static_cast<unsigned>(rect.width),
                          static_cast<unsigned>(rect.height));
}

void CSplashWindow::show() {
    if (m_window)
        XMapRaised(m_display, m_window);
}

void CSplashWindow::hide() {
    if (m_window)
        XUnmapWindow(m_display, m_window);
}

void CSplashWindow::FreeBitmaps() {
    if (m_image) {
        m_image->data = nullptr; // the pixels belong to m_imageData
        XDestroyImage(m_image);
        m_image = nullptr;
    }
    m_imageData.clear();
    m_scaled.clear();
    m_frame.clear();
    m_cachedWidth = m_cachedHeight = 0;
}

bool CSplashWindow::makeBitmaps(int w, int h) {
    FreeBitmaps();
    m_image = XCreateImage(m_display, m_visual, static_cast<unsigned>(m_depth), ZPixmap, 0, nullptr,
                           static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
    if (!m_image) {
        splashLog("CSplashWindow::OnPaint - cannot make a %dx%d image", w, h);
        return false;
    }
    m_imageData.assign(static_cast<size_t>(m_image->bytes_per_line) * h, 0);
    m_image->data = m_imageData.data();
    stretch(m_picture, w, h, m_scaled);
    m_cachedWidth = w;
    m_cachedHeight = h;
    return true;
}

int CSplashWindow::FadeAlpha(int state, int64_t elapsed, int32_t fadeTime) {
    // A fade of no length is over at once.
    double x = fadeTime > 0 ? static_cast<double>(elapsed) / fadeTime : 1.0;
    double a = state == kFadingIn ? (1.0 - x) * 255.0 : x * 255.0;
    return static_cast<int>(std::clamp(a, 0.0, 255.0));
}

void CSplashWindow::put(const std::vector<uint32_t>& pixels) {
    const int w = m_cachedWidth, h = m_cachedHeight;
    const bool direct =
        m_image->bits_per_pixel == 32 && m_image->red_mask == 0xFF0000 && m_image->green_mask == 0xFF00 &&
        m_image->blue_mask == 0xFF &&
        m_image->byte_order == (std::endian::native == std::endian::little ? LSBFirst : MSBFirst);
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = &pixels[static_cast<size_t>(y) * w];
        if (direct) {
            std::memcpy(m_image->data + static_cast<size_t>(y) * m_image->bytes_per_line, src,
                        static_cast<size_t>(w) * 4);
            continue;
        }
        for (int x = 0; x < w; ++x) {
            uint32_t p = src[x];
            unsigned long v = toMask((p >> 16) & 0xFF, m_image->red_mask) |
                              toMask((p >> 8) & 0xFF, m_image->green_mask) |
                              toMask(p & 0xFF, m_image->blue_mask);
            XPutPixel(m_image, x, y, v);
        }
    }
    XPutImage(m_display, m_window, m_gc, m_image, 0, 0, 0, 0, static_cast<unsigned>(w),
              static_cast<unsigned>(h));
}

bool CSplashWindow::OnPaint(int state, int64_t now, int64_t startTick) {
    if (!m_window || !m_gc || state == kShowingMovie)
        return false;
    const int w = std::max(1, m_width), h = std::max(1, m_height);
    if ((m_cachedWidth != w || m_cachedHeight != h) && !makeBitmaps(w, h))
        return false;
    if (state == kHolding) {
        put(m_scaled);
        return false;
    }
    const int32_t fadeTime = m_entry ? m_entry->fadeTime : 0;
    const int64_t elapsed = now >= startTick ? now - startTick : startTick - now;
    const uint32_t alpha = static_cast<uint32_t>(FadeAlpha(state, elapsed, fadeTime));
    const uint32_t fill = rgbOf(m_fill);
    m_frame.resize(m_scaled.size());
    for (size_t i = 0; i < m_scaled.size(); ++i) {
        uint32_t p = m_scaled[i], out = 0;
        for (int shift = 0; shift <= 16; shift += 8) {
            uint32_t s = (fill >> shift) & 0xFF, d = (p >> shift) & 0xFF;
            out |= ((s * alpha + d * (255 - alpha) + 127) / 255) << shift;
        }
        m_frame[i] = out;
    }
    put(m_frame);
    return fadeTime > 0 && elapsed < fadeTime;
}

} // namespace pellucid
