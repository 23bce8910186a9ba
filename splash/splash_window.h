// A splash entry shown as a still picture in a child window of the host,
// fading in from a colour and back out to it.
#pragma once

#include "flash_window.h"
#include "splash_entry.h"
#include "splash_jpeg.h"

#include <cstdint>
#include <vector>

#include <X11/Xlib.h>

namespace pellucid {

enum SplashState { kFadingIn = 0, kHolding = 1, kFadingOut = 2, kShowingMovie = 3 };

class CSplashWindow {
public:
    // `visual` and `depth` are the host's.
    CSplashWindow(Display* display, Visual* visual, int depth);
    ~CSplashWindow();
    CSplashWindow(const CSplashWindow&) = delete;
    CSplashWindow& operator=(const CSplashWindow&) = delete;

    void Attach(const SplashEntry* entry) { m_entry = entry; }
    bool LoadResourcePicture();
    bool LoadFilePicture();
    void ReleasePicture();
    bool hasPicture() const { return m_picture.width > 0; }

    Window Create(Window host, const SplashRect& rect);
    Window window() const { return m_window; }
    void moveTo(const SplashRect& rect);
    void show();
    void hide();
    void forgetWindow() { m_window = 0; }

    void SetFillColor(ColorRef color) { m_fill = color; }
    // Forgets the size of the composed bitmaps so the next paint remakes them.
    void ResetBitmapSize() { m_cachedWidth = m_cachedHeight = 0; }
    void FreeBitmaps();

    // Paints the window for `state` at `now`; true while a fade still runs,
    // that is while the window wants another frame.
    bool OnPaint(int state, int64_t now, int64_t startTick);

    // The constant alpha of the colour over the picture (0 to 255).
    static int FadeAlpha(int state, int64_t elapsed, int32_t fadeTime);

private:
    bool loadBytes(const uint8_t* data, size_t size, const std::string& what);
    bool makeBitmaps(int w, int h);
    void put(const std::vector<uint32_t>& pixels);

    Display* m_display;
    Visual* m_visual;
    int m_depth;
    Window m_window = 0;
    GC m_gc = nullptr;
    const SplashEntry* m_entry = nullptr;
    RgbPicture m_picture;
    ColorRef m_fill = 0;
    int m_width = 1, m_height = 1;             // the window's size
    int m_cachedWidth = 0, m_cachedHeight = 0; // the bitmaps' size
    std::vector<uint32_t> m_scaled;            // the picture stretched to the window, 0xRRGGBB
    std::vector<uint32_t> m_frame;             // the frame being composed
    XImage* m_image = nullptr;                 // the frame in the window's pixel format
    std::vector<char> m_imageData;
};

} // namespace pellucid
