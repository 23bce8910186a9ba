#pragma once
// The graphics server: owns the game window's drawing device (the software
// rasterizer), the sprite drawer through which every image is drawn and the
// named device fonts, and frames every picture (beginScene / endScene). It
// also switches between window and full screen, changes vertical sync,
// measures the frame rate and saves screenshots.
//
// Errors that end the program are thrown as int32_t codes:
//   0x8a760001 the device layer cannot be started, 0x8a760003 the device
//   cannot be created (or the device's own code when it is a driver-internal
//   error, 0x88760827), 0x88760827 from beginScene on a driver-internal error.

#include "mirel/platform/graphics/a_device.h"
#include "mirel/platform/graphics/a_devicesprite.h"
#include "mirel/platform/window/a_platform_window.h"

#include "mirel/base/a_rect.h"
#include "mirel/base/a_timer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

constexpr int32_t A_ERROR_D3D_CREATE = int32_t(0x8a760001u);
constexpr int32_t A_ERROR_DEVICE_CREATE = int32_t(0x8a760003u);
constexpr int32_t A_ERROR_DRIVER_INTERNAL = int32_t(0x88760827u);

// The description of a device font (the classic LOGFONT fields in use).
struct aFontDesc {
    int32_t height = 0;
    int32_t width = 0;
    int32_t weight = 0;
    bool italic = false;
    uint8_t charSet = 1; // default character set
    std::string faceName;
};

// The engine's built-in bitmap face: count cells of advance x height pixels of
// 8-bit coverage, one after the other, for the UTF-16 codes (ascending). Made
// at build time (tools/builtinfont).
struct aBuiltinFont {
    int32_t advance;
    int32_t height;
    size_t count;
    const uint16_t* codes;
    const uint8_t* pixels;
};
extern const aBuiltinFont a_builtinFont;

// Text layout flags of aDeviceFont::drawText (the classic text-layout values).
constexpr uint32_t A_DT_LEFT = 0x0;
constexpr uint32_t A_DT_CENTER = 0x1;
constexpr uint32_t A_DT_RIGHT = 0x2;
constexpr uint32_t A_DT_VCENTER = 0x4;
constexpr uint32_t A_DT_BOTTOM = 0x8;
constexpr uint32_t A_DT_SINGLELINE = 0x20;
constexpr uint32_t A_DT_NOCLIP = 0x100;
constexpr uint32_t A_DT_CALCRECT = 0x400;

// A font object of the device. The server owns it; owners keep a pointer that
// the server fills again after every device reset and clears on release.
//
// Whatever the description names, text is drawn with the engine's built-in
// bitmap face (one size, a fixed advance; Latin and Cyrillic letters), so a
// developer overlay looks the same on every machine. Narrow text is read in
// the description's character set: 204 (Cyrillic) as Windows-1251, any other
// as Latin-1. Codes the face lacks are drawn as '?'.
class aDeviceFont {
public:
    explicit aDeviceFont(const aFontDesc& desc, aDevice* device = nullptr) : m_desc(desc), m_device(device) {}
    ~aDeviceFont();
    aDeviceFont(const aDeviceFont&) = delete;
    aDeviceFont& operator=(const aDeviceFont&) = delete;
    const aFontDesc& getDesc() const { return m_desc; }

    // Draws the text into the rectangle (lines broken at '\n' unless
    // A_DT_SINGLELINE; clipped to it unless A_DT_NOCLIP) in the ARGB colour,
    // alpha blended. A_DT_CALCRECT only measures: the rectangle's right and
    // bottom are set to fit the text. Returns the height of the text (0 when
    // nothing could be drawn).
    int32_t drawText(const std::string& text, aDeviceRect* rect, uint32_t format, uint32_t color);
    int32_t drawText(const std::u16string& text, aDeviceRect* rect, uint32_t format, uint32_t color);

    // The built-in face's cell: advance and line height in pixels.
    static int32_t glyphAdvance();
    static int32_t lineHeight();

private:
    bool makeTexture();

    aFontDesc m_desc;
    aDevice* m_device;
    aTexture* m_texture = nullptr;
    bool m_textureFailed = false;
};

// A window placement: the outer rectangle with inclusive right and bottom
// edges (as wide as right - left + 1) and the client area inside it.
struct aWindowRect {
    int32_t left = 0, top = 0, right = -1, bottom = -1;
    int32_t clientX = 0, clientY = 0, clientWidth = 0, clientHeight = 0;
};

// The windowed placement for a back buffer of width x height: the client keeps
// the back-buffer size when it fits the work area with its frame; otherwise it
// shrinks with the same aspect ratio. Centred in the work area.
aWindowRect a_calcWindowRect(int32_t width, int32_t height, const aPlatformRect& workArea,
                             const aPlatformRect& frameExtents);

// The mode choice for full screen: among the modes of exactly the back-buffer
// size, the 16-bit and the 32-bit one with the highest refresh rate (the later
// one on equal rates); -1 when there is none.
void a_chooseFullscreenModes(const std::vector<aDisplayMode>& modes, int32_t width, int32_t height,
                             int32_t* mode16, int32_t* mode32);

// The device format number of a display mode (16 bit: R5G6B5, else X8R8G8B8).
int a_displayModeFormat(const aDisplayMode& mode);

struct aPresentChoice {
    bool fullscreen = false;
    bool use32Bit = true;
    bool vsync = true;
    uint32_t width = 1024, height = 768;
    const aDisplayMode* mode16 = nullptr; // the chosen full-screen modes, null when none
    const aDisplayMode* mode32 = nullptr;
    aDisplayMode desktop;
};
aPresentParams a_fillPresentParams(const aPresentChoice& choice);

// "<folder>/<prefix><number>.bmp" with at least three digits.
std::string a_screenshotName(const std::string& folder, const std::string& prefix, uint32_t number);

// Writes 32-bit pixels (0xAARRGGBB, rows pitch pixels apart) as an uncompressed
// 24-bit BMP file image.
std::vector<uint8_t> a_encodeBmp(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t pitch);

class aAnim;
class aGraphServer;
class aInputServer;

// What the graphics server needs of the application object that holds it.
class aGraphHost {
public:
    virtual ~aGraphHost() = default;
    // Stores the graphics server (null: it is gone).
    virtual void setGraphServer(aGraphServer* server) = 0;
    virtual aGraphServer* getGraphServer() const = 0;
    // The application's name: the window's default title.
    virtual const std::string& getName() const = 0;
    // Takes the game window; the host destroys it at its shutdown.
    virtual void adoptWindow(std::unique_ptr<aPlatformWindow> window) = 0;
    // Reads the desktop work area again.
    virtual void readWorkArea() = 0;
    // The mouse-cursor sprite drawn at the end of each frame (null: none).
    virtual aAnim* getCursorSprite() const { return nullptr; }
    // The input server that places the cursor (null: none).
    virtual aInputServer* getInputServer() const { return nullptr; }
};

// The host the next graphics server registers in (the application sets itself).
void a_setGraphHost(aGraphHost* host);
aGraphHost* a_graphHost();

class aGraphServer : private aPresentSink {
public:
    // width x height is the back buffer; a null title means the application's
    // name; iconId is kept for the window class (the window layer shows no
    // icon of its own). Throws the error codes above.
    aGraphServer(uint16_t width, uint16_t height, bool fullscreen, bool use32Bit, const char* title = nullptr,
                 int iconId = 0, bool vsync = true, bool multithreaded = false);
    virtual ~aGraphServer();
    aGraphServer(const aGraphServer&) = delete;
    aGraphServer& operator=(const aGraphServer&) = delete;

    // True when drawing may go on this frame.
    bool beginScene();
    void endScene();
    bool isInScene() const { return m_inScene; }

    void setViewport(int16_t x, int16_t y, uint16_t width, uint16_t height);
    void setViewport(const aRect& r) { setViewport(r.x, r.y, uint16_t(r.width), uint16_t(r.height)); }
    aRect getViewport() const {
        return aRect(int16_t(m_viewport.x), int16_t(m_viewport.y), int16_t(m_viewport.width),
                     int16_t(m_viewport.height));
    }
    // 1 additive, anything else normal alpha blending.
    void setBlendMode(int32_t mode);
    int32_t getBlendMode() const { return m_blendMode; }
    void setLinearFilter(bool on);
    bool getLinearFilter() const { return m_linearFilter; }
    // Tint of every image draw, four values 0..1.
    void setGlobalColor(float r, float g, float b, float a);
    void getGlobalColor(int32_t& a, int32_t& r, int32_t& g, int32_t& b) const {
        a = m_tintA;
        r = m_tintR;
        g = m_tintG;
        b = m_tintB;
    }
    void setClearColor(uint32_t argb) { m_clearColor = argb; }
    uint32_t getClearColor() const { return m_clearColor; }

    void setFullscreen(bool on);
    bool isFullscreen() const { return m_fullscreen; }
    void setVSync(bool on);
    bool getVSync() const { return m_vsync; }
    bool is32Bit() const { return m_use32Bit; }
    // Refresh rate of the desktop mode (0 when unknown).
    uint32_t getRefreshRate() const { return m_refreshRate; }

    // Fonts by name. The owner's pointer is filled now and after every reset.
    void createFont(const std::string& name, const aFontDesc& desc, aDeviceFont** fontPointer);
    void deleteFont(const std::string& name);
    aDeviceFont* getSystemFont() const { return m_systemFont; }
    bool hasFont(const std::string& name) const { return m_fonts.count(name) != 0; }

    // Saves the last presented frame as the first free "<folder>/<prefix>NNN.bmp".
    // Returns the file written ("" on failure).
    std::string saveScreenshot(const std::string& folder, const std::string& prefix);

    // Video memory of the adapter in MB: the rasterizer draws in system memory.
    uint32_t getVideoMemoryMB() const { return 0; }
    void releaseDirectDraw() {}

    // The window's presenter lost its targets: the device must be reset.
    void onRenderReset();

    float getFps() const { return m_currentFps; }
    float getAverageFps() const { return m_fpsSum / float(m_fpsSamples ? m_fpsSamples : 1); }

    uint16_t getBackBufferWidth() const { return m_backWidth; }
    uint16_t getBackBufferHeight() const { return m_backHeight; }
    uint16_t getClientWidth() const { return m_clientWidth; }
    uint16_t getClientHeight() const { return m_clientHeight; }
    const aPresentParams& getPresentParams() const { return m_presentParams; }
    const aDisplayMode& getDesktopMode() const { return m_desktopMode; }
    int32_t getMode16() const { return m_mode16; }
    int32_t getMode32() const { return m_mode32; }

    aDevice* getDevice() const { return m_device.get(); }
    aDeviceSprite* getSprite() const { return m_sprite; }
    aPlatformWindow* getWindow() const { return m_window; }

    // The placement of the window for the current work area.
    aWindowRect calcWindowRect(int32_t width, int32_t height) const;

private:
    // The application's cursor sprite when the input server shows the cursor.
    aAnim* shownCursor() const;
    int32_t present(const aFrame& frame) override;
    void presentParamsChanged(const aPresentParams& params) override;

    void fillPresentParams();
    void resetDevice();
    void releaseFonts();
    void restoreDeviceObjects();
    void readDesktopMode();
    void logDisplayMode(const char* label, const aDisplayMode& mode) const;
    void logCaps(const aDeviceCaps& caps) const;
    void fullViewport();
    void applyWindowPlacement();
    void releaseAll();

    struct FontRecord {
        aFontDesc desc;
        aDeviceFont** owner;
        std::unique_ptr<aDeviceFont> font;
    };

    bool m_inScene = false;
    aPlatformWindow* m_window = nullptr;
    std::unique_ptr<aPlatformWindow> m_ownWindow; // only when there is no application to hold it
    std::unique_ptr<aDevice> m_device;
    aPresentParams m_presentParams;
    aDisplayMode m_desktopMode;
    std::vector<aDisplayMode> m_modes;
    int32_t m_blendMode = 0;
    aDeviceSprite* m_sprite = nullptr;
    aDeviceFont* m_systemFont = nullptr;
    uint32_t m_clearColor = 0xff000000u;
    uint32_t m_refreshRate = 0;
    std::map<std::string, FontRecord> m_fonts;
    aViewport m_viewport{};
    uint16_t m_backWidth, m_backHeight;
    uint16_t m_clientWidth, m_clientHeight;
    bool m_fullscreen;
    bool m_use32Bit;
    bool m_vsync;
    bool m_linearFilter = true;
    int32_t m_mode16 = -1, m_mode32 = -1;
    int32_t m_tintA = 255, m_tintR = 255, m_tintG = 255, m_tintB = 255;
    aTimer m_fpsTimer{0};
    float m_currentFps = 0.0f, m_fpsSum = 0.0f;
    uint32_t m_fpsSamples = 0;
    // Frame-rate counters.
    bool m_firstFrame = true;
    float m_prevTime = 0.0f, m_lastFpsUpdate = 0.0f, m_accumTime = 0.0f;
    uint32_t m_frames = 0;
};
