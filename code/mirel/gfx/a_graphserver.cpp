#include "mirel/gfx/a_graphserver.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_anim.h"
#include "mirel/input/a_inputserver.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

aGraphHost* g_host = nullptr;
const char* kDashes = "-----------------------------------------------------------------";

const char* yesNo(bool b) {
    return b ? "yes" : "no";
}

void putLe16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
void putLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out[at + size_t(i)] = uint8_t(v >> (8 * i));
    }
}

bool makeFolder(const std::string& folder) {
    if (aFileServer* fs = aFileServer::getInstance()) {
        return fs->dirExists(folder) || fs->makeDir(folder);
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return std::filesystem::is_directory(folder, ec);
}

} // namespace

void a_setGraphHost(aGraphHost* host) {
    g_host = host;
}
aGraphHost* a_graphHost() {
    return g_host;
}

aWindowRect a_calcWindowRect(int32_t width, int32_t height, const aPlatformRect& work,
                             const aPlatformRect& frame) {
    aWindowRect r;
    int32_t extraW = frame.left + frame.right;
    int32_t extraH = frame.top + frame.bottom;
    int32_t availW = work.width() - extraW;
    int32_t availH = work.height() - extraH;
    int32_t clientW = width, clientH = height;
    if (width > 0 && height > 0) {
        float sx = float(availW) / float(width);
        float sy = float(availH) / float(height);
        float scale = sx < sy ? sx : sy;
        if (scale < 1.0f) {
            clientW = int32_t(float(width) * scale);
            clientH = int32_t(float(height) * scale);
            if (clientW < 1)
                clientW = 1;
            if (clientH < 1)
                clientH = 1;
        }
    }
    int32_t outerW = clientW + extraW;
    int32_t outerH = clientH + extraH;
    r.left = (work.width() - outerW) / 2 + work.left;
    r.top = (work.height() - outerH) / 2 + work.top;
    r.right = r.left + outerW - 1;
    r.bottom = r.top + outerH - 1;
    r.clientX = r.left + frame.left;
    r.clientY = r.top + frame.top;
    r.clientWidth = clientW;
    r.clientHeight = clientH;
    return r;
}

void a_chooseFullscreenModes(const std::vector<aDisplayMode>& modes, int32_t width, int32_t height,
                             int32_t* mode16, int32_t* mode32) {
    *mode16 = -1;
    *mode32 = -1;
    for (size_t i = 0; i < modes.size(); ++i) {
        const aDisplayMode& m = modes[i];
        if (m.width != width || m.height != height) {
            continue;
        }
        int32_t* slot = m.bitsPerPixel == 16 ? mode16 : m.bitsPerPixel == 32 ? mode32 : nullptr;
        if (!slot) {
            continue;
        }
        if (*slot < 0 || m.refreshRate >= modes[size_t(*slot)].refreshRate) {
            *slot = int32_t(i);
        }
    }
}

int a_displayModeFormat(const aDisplayMode& mode) {
    return mode.bitsPerPixel == 16 ? A_FMT_R5G6B5 : A_FMT_X8R8G8B8;
}

aPresentParams a_fillPresentParams(const aPresentChoice& c) {
    aPresentParams p;
    p.windowed = !c.fullscreen;
    p.flags = A_PRESENTFLAG_LOCKABLE_BACKBUFFER;
    p.enableAutoDepthStencil = false;
    if (c.fullscreen) {
        const aDisplayMode* mode = (c.use32Bit && c.mode32) ? c.mode32 : c.mode16;
        if (mode) {
            p.backBufferWidth = uint32_t(mode->width);
            p.backBufferHeight = uint32_t(mode->height);
            p.backBufferFormat = a_displayModeFormat(*mode);
        } else {
            // No mode of the picture's size: the desktop shows it letterboxed.
            p.backBufferWidth = c.width;
            p.backBufferHeight = c.height;
            p.backBufferFormat = c.use32Bit ? A_FMT_X8R8G8B8 : A_FMT_R5G6B5;
        }
        p.backBufferCount = 1;
        p.swapEffect = A_SWAPEFFECT_FLIP;
        p.fullScreenRefreshRate = 0;
        p.presentationInterval = c.vsync ? A_PRESENT_INTERVAL_ONE : A_PRESENT_INTERVAL_IMMEDIATE;
    } else {
        p.backBufferWidth = c.width;
        p.backBufferHeight = c.height;
        p.backBufferFormat = a_displayModeFormat(c.desktop);
        p.swapEffect = c.vsync ? A_SWAPEFFECT_COPY : A_SWAPEFFECT_COPY_VSYNC;
    }
    return p;
}

std::string a_screenshotName(const std::string& folder, const std::string& prefix, uint32_t number) {
    std::string base = folder;
    while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) {
        base.pop_back();
    }
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%03u", number);
    return base + "/" + prefix + digits + ".bmp";
}

std::vector<uint8_t> a_encodeBmp(const uint32_t* pixels, uint32_t width, uint32_t height, uint32_t pitch) {
    const uint32_t rowBytes = (width * 3 + 3) & ~3u;
    const uint32_t dataSize = rowBytes * height;
    std::vector<uint8_t> out(54 + size_t(dataSize), 0);
    out[0] = 'B';
    out[1] = 'M';
    putLe32(out, 2, 54 + dataSize);
    putLe32(out, 10, 54);
    putLe32(out, 14, 40);
    putLe32(out, 18, width);
    putLe32(out, 22, height); // bottom-up rows
    putLe16(out, 26, 1);
    putLe16(out, 28, 24);
    putLe32(out, 34, dataSize);
    putLe32(out, 38, 2835);
    putLe32(out, 42, 2835);
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t* row = pixels + size_t(height - 1 - y) * pitch;
        uint8_t* dst = out.data() + 54 + size_t(y) * rowBytes;
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t c = row[x];
            dst[x * 3 + 0] = uint8_t(c);
            dst[x * 3 + 1] = uint8_t(c >> 8);
            dst[x * 3 + 2] = uint8_t(c >> 16);
        }
    }
    return out;
}

// ---------------------------------------------------------------------------

aGraphServer::aGraphServer(uint16_t width, uint16_t height, bool fullscreen, bool use32Bit, const char* title,
                           int iconId, bool vsync, bool multithreaded)
    : m_backWidth(width ? width : 1), m_backHeight(height ? height : 1), m_clientWidth(m_backWidth),
      m_clientHeight(m_backHeight), m_fullscreen(fullscreen), m_use32Bit(use32Bit), m_vsync(vsync) {
    (void)iconId;
    aGraphHost* app = g_host;
    if (app) {
        app->setGraphServer(this);
    } else {
        a_log("aGraphServer. Error, aApplication object not created!");
    }
    m_viewport = aViewport{0, 0, m_backWidth, m_backHeight, 0.0f, 1.0f};

    // The window: class and title carry the given title or the application's name.
    aWindowDesc desc;
    desc.title = title ? std::string(title) : app ? app->getName() : std::string("Unnamed");
    desc.pictureWidth = m_backWidth;
    desc.pictureHeight = m_backHeight;
    desc.fullscreen = fullscreen;
    desc.vsync = vsync;
    std::unique_ptr<aPlatformWindow> window = a_createPlatformWindow(desc);
    if (!window) {
        a_log("aGraphServer. Error create D3D object");
        if (app) {
            app->setGraphServer(nullptr);
        }
        throw A_ERROR_D3D_CREATE;
    }
    m_window = window.get();
    if (app) {
        app->adoptWindow(std::move(window));
        app->readWorkArea();
    } else {
        m_ownWindow = std::move(window);
    }
    if (!fullscreen) {
        applyWindowPlacement();
    }
    m_window->show();

    // Adapter.
    a_log("%s", kDashes);
    a_log("Adapter: %s %d MB", "mirel software rasterizer", int(getVideoMemoryMB()));
    a_log("Driver:  %s, version %u.%u.%u.%u", m_window->getDriverDescription().c_str(), 1u, 63u, 0u, 0u);
    a_log("%s", kDashes);

    readDesktopMode();
    logDisplayMode("Detected  windowed  mode:", m_desktopMode);

    m_modes = m_window->getDisplayModes();
    for (const aDisplayMode& m : m_modes) {
        if (m.width == m_backWidth && m.height == m_backHeight) {
            logDisplayMode("Detected fullscreen mode:", m);
        }
    }
    a_chooseFullscreenModes(m_modes, m_backWidth, m_backHeight, &m_mode16, &m_mode32);
    if (m_mode16 >= 0) {
        logDisplayMode("Selected fullscreen 16 bit mode:", m_modes[size_t(m_mode16)]);
    } else {
        a_log("aGraphServer. 16 bit fullscreen mode not found");
    }
    if (m_mode32 >= 0) {
        logDisplayMode("Selected fullscreen 32 bit mode:", m_modes[size_t(m_mode32)]);
    } else {
        a_log("aGraphServer. 32 bit fullscreen mode not found");
    }

    a_log("aGraphServer. Getting %s device capabilities", "HAL");
    logCaps(aDevice::caps());
    a_log("aGraphServer: SOFTWARE_VERTEXPROCESSING");
    (void)multithreaded; // the rasterizer is called from one thread

    fillPresentParams();
    int32_t hr = aDevice::create(m_presentParams, this, &m_device);
    if (hr != A_OK || !m_device) {
        a_log("aGraphServer. Error create device object (%s)", a_deviceErrorText(hr));
        releaseAll();
        if (app) {
            app->setGraphServer(nullptr);
        }
        throw hr == A_ERR_DRIVERINTERNALERROR ? hr : A_ERROR_DEVICE_CREATE;
    }
    presentParamsChanged(m_presentParams);

    readDesktopMode();
    restoreDeviceObjects();
    aFontDesc system;
    system.faceName = "Arial";
    system.height = -15;
    system.weight = 700;
    createFont("__system__", system, &m_systemFont);
    m_fpsTimer.reset();
}

aGraphServer::~aGraphServer() {
    releaseAll();
    if (aGraphHost* app = g_host) {
        if (app->getGraphServer() == this) {
            app->setGraphServer(nullptr);
        }
    }
    a_log("aGraphServer. Average fps %4.1f", double(getAverageFps()));
    m_fonts.clear();
}

void aGraphServer::releaseAll() {
    releaseFonts();
    if (m_sprite) {
        m_sprite->release();
        m_sprite = nullptr;
    }
    if (m_device) {
        m_device->setPresentSink(nullptr);
        m_device.reset();
    }
}

void aGraphServer::readDesktopMode() {
    if (m_window) {
        m_desktopMode = m_window->getDesktopMode();
        m_refreshRate = uint32_t(m_desktopMode.refreshRate > 0 ? m_desktopMode.refreshRate : 0);
    }
}

void aGraphServer::logDisplayMode(const char* label, const aDisplayMode& m) const {
    a_log("aGraphServer. %s %4ix%4i %3iHz %i", label, m.width, m.height, m.refreshRate,
          a_displayModeFormat(m));
}

void aGraphServer::logCaps(const aDeviceCaps& c) const {
    a_log("%s", "");
    a_log("----------------- Adapter capabilities --------------------------");
    a_log("        Can render windowed: %s", yesNo(c.canRenderWindowed));
    a_log("        Can manage resource: %s", yesNo(c.canManageResource));
    a_log("           Dynamic textures: %s", yesNo(c.dynamicTextures));
    a_log("      No 2D During 3D Scene: %s", yesNo(c.no2DDuring3DScene));
    std::string intervals;
    if (c.intervalImmediate)
        intervals += "imm ";
    if (c.intervalOne)
        intervals += "1 ";
    if (c.intervalTwo)
        intervals += "2 ";
    if (c.intervalThree)
        intervals += "3 ";
    if (c.intervalFour)
        intervals += "4";
    a_log("     Presentation intervals: %s", intervals.c_str());
    a_log("  Separate texture memories: %s", yesNo(c.separateTextureMemories));
    a_log("  Texture non local vid mem: %s", yesNo(c.textureNonLocalVidMem));
    a_log("      Texture system memory: %s", yesNo(c.textureSystemMemory));
    a_log("       Texture video memory: %s", yesNo(c.textureVideoMemory));
    a_log("      Source blend SRCALPHA: %s", yesNo(c.srcBlendSrcAlpha));
    a_log("     Dest blend INVSRCALPHA: %s", yesNo(c.destBlendInvSrcAlpha));
    a_log("             Dest blend ONE: %s", yesNo(c.destBlendOne));
    a_log("           Max texture size: %ix%i", int(c.maxTextureWidth), int(c.maxTextureHeight));
    a_log("   Max texture aspect ratio: %i", int(c.maxTextureAspectRatio));
    a_log("                 Power of 2: %s", yesNo(c.powerOf2));
    a_log("                Square only: %s", yesNo(c.squareOnly));
    a_log("               Alpha pixels: %s", yesNo(c.alphaPixels));
    a_log("        Max primitive count: %i", int(c.maxPrimitiveCount));
    a_log("%s", kDashes);
    a_log("%s", "");
}

aWindowRect aGraphServer::calcWindowRect(int32_t width, int32_t height) const {
    aPlatformRect work = m_window ? m_window->getWorkArea() : aPlatformRect{0, 0, width, height};
    aPlatformRect frame = m_window ? m_window->getFrameExtents() : aPlatformRect{};
    return a_calcWindowRect(width, height, work, frame);
}

void aGraphServer::applyWindowPlacement() {
    aWindowRect r = calcWindowRect(m_backWidth, m_backHeight);
    m_clientWidth = uint16_t(r.clientWidth);
    m_clientHeight = uint16_t(r.clientHeight);
    m_window->setWindowedPlacement(r.clientX, r.clientY, r.clientWidth, r.clientHeight);
}

void aGraphServer::fillPresentParams() {
    aPresentChoice c;
    c.fullscreen = m_fullscreen;
    c.use32Bit = m_use32Bit;
    c.vsync = m_vsync;
    c.width = m_backWidth;
    c.height = m_backHeight;
    c.mode16 = m_mode16 >= 0 ? &m_modes[size_t(m_mode16)] : nullptr;
    c.mode32 = m_mode32 >= 0 ? &m_modes[size_t(m_mode32)] : nullptr;
    c.desktop = m_desktopMode;
    m_presentParams = a_fillPresentParams(c);
}

int32_t aGraphServer::present(const aFrame& frame) {
    if (m_window) {
        m_window->present(frame.pixels, int32_t(frame.width), int32_t(frame.height),
                          int32_t(frame.pitch * 4));
    }
    return A_OK;
}

void aGraphServer::presentParamsChanged(const aPresentParams&) {
    // The window waits for the vertical blank exactly when vertical sync is
    // chosen, in a window as in full screen.
    if (m_window) {
        m_window->setVSync(m_vsync);
    }
}

void aGraphServer::fullViewport() {
    m_viewport = aViewport{0, 0, m_backWidth, m_backHeight, 0.0f, 1.0f};
    if (m_device) {
        m_device->setViewport(m_viewport);
    }
}

void aGraphServer::releaseFonts() {
    for (auto& [name, rec] : m_fonts) {
        rec.font.reset();
        if (rec.owner) {
            *rec.owner = nullptr;
        }
    }
}

void aGraphServer::restoreDeviceObjects() {
    if (m_device && !m_sprite) {
        int32_t hr = aDeviceSprite::create(m_device.get(), &m_sprite);
        if (hr != A_OK) {
            m_sprite = nullptr;
            a_log("aGraphServer. Sprite creation failed (%s)", a_deviceErrorText(hr));
        }
    }
    for (auto& [name, rec] : m_fonts) {
        if (rec.font) {
            continue;
        }
        if (rec.desc.faceName.empty()) {
            a_log("aGraphServer. Font '%s' creation failed (%s)", name.c_str(),
                  a_deviceErrorText(A_ERR_INVALIDCALL));
            continue;
        }
        rec.font = std::make_unique<aDeviceFont>(rec.desc, m_device.get());
        if (rec.owner) {
            *rec.owner = rec.font.get();
        }
    }
}

void aGraphServer::resetDevice() {
    releaseFonts();
    if (m_sprite) {
        m_sprite->release();
        m_sprite = nullptr;
    }
    if (m_device) {
        int32_t hr = m_device->reset(m_presentParams);
        if (hr != A_OK) {
            a_log("aGraphServer. Device reset failed (%s)", a_deviceErrorText(hr));
        }
        fullViewport();
        hr = m_device->clear(A_CLEAR_TARGET, 0xff000000u, 1.0f);
        if (hr != A_OK) {
            a_log("aGraphServer. Clear failed (%s)", a_deviceErrorText(hr));
        }
    }
    restoreDeviceObjects();
    readDesktopMode();
}

void aGraphServer::onRenderReset() {
    if (m_device && m_device->testCooperativeLevel() == A_OK) {
        m_device->setCooperativeState(A_ERR_DEVICENOTRESET);
    }
}

bool aGraphServer::beginScene() {
    if (m_inScene) {
        a_log("aGraphServer::beginScene() - previous scene not finished");
        return false;
    }
    if (!m_device) {
        return false;
    }
    switch (m_device->testCooperativeLevel()) {
    case A_ERR_DRIVERINTERNALERROR:
        a_log("aGraphServer::beginScene() - D3DERR_DRIVERINTERNALERROR");
        throw A_ERROR_DRIVER_INTERNAL;
    case A_ERR_DEVICELOST:
        a_log("aGraphServer::beginScene() - D3DERR_DEVICELOST");
        return false;
    case A_ERR_DEVICENOTRESET:
        a_log("aGraphServer::beginScene() - D3DERR_DEVICENOTRESET");
        readDesktopMode();
        fillPresentParams();
        resetDevice();
        return false;
    default:
        break;
    }

    aViewport saved = m_viewport;
    fullViewport();
    int32_t hr;
    if (m_clearColor != 0) {
        hr = m_device->clear(A_CLEAR_TARGET, m_clearColor, 1.0f);
        if (hr != A_OK) {
            a_log("aGraphServer. Clear failed (%s)", a_deviceErrorText(hr));
        }
    }
    hr = m_device->beginScene();
    if (hr != A_OK) {
        a_log("aGraphServer. BeginScene failed (%s)", a_deviceErrorText(hr));
    }
    if (m_sprite) {
        hr = m_sprite->begin();
        if (hr != A_OK) {
            a_log("aGraphServer. BeginSprite failed (%s)", a_deviceErrorText(hr));
        }
    }
    m_viewport = saved;
    m_device->setViewport(m_viewport);

    m_device->setRenderState(A_RS_ALPHABLENDENABLE, 1);
    m_device->setRenderState(A_RS_LIGHTING, 0);
    m_device->setRenderState(A_RS_ZENABLE, 1);
    // Coordinates are back-buffer pixels with y downward: the device's own.

    m_tintA = m_tintR = m_tintG = m_tintB = 255;
    m_blendMode = 0;
    m_device->setRenderState(A_RS_SRCBLEND, A_BLEND_SRCALPHA);
    m_device->setRenderState(A_RS_DESTBLEND, A_BLEND_INVSRCALPHA);
    m_linearFilter = true;
    m_device->setTextureStageState(0, A_TSS_MAGFILTER, A_TEXF_LINEAR);
    m_device->setTextureStageState(0, A_TSS_MINFILTER, A_TEXF_LINEAR);

    m_inScene = true;
    return true;
}

void aGraphServer::endScene() {
    if (!m_inScene) {
        a_log("aGraphServer::endScene() - scene not started");
        return;
    }
    fullViewport();
    m_tintA = m_tintR = m_tintG = m_tintB = 255;

    aAnim* cursor = shownCursor();
    if (cursor) {
        int32_t x = 0, y = 0;
        const aInputServer* input = g_host->getInputServer();
        input->getMousePos(x, y);
        cursor->drawAtInt(int16_t(x - input->getHotSpotX()), int16_t(y - input->getHotSpotY()));
    }

    if (m_device) {
        int32_t hr;
        if (m_sprite) {
            hr = m_sprite->end();
            if (hr != A_OK) {
                a_log("aGraphServer. EndSprite failed (%s)", a_deviceErrorText(hr));
            }
        }
        hr = m_device->endScene();
        if (hr != A_OK) {
            a_log("aGraphServer. EndScene failed (%s)", a_deviceErrorText(hr));
        }
        hr = m_device->present();
        if (hr != A_OK) {
            a_log("aGraphServer. Present failed (%s)", a_deviceErrorText(hr));
        }
    }

    float t = 0.0f;
    if (m_firstFrame) {
        m_firstFrame = false;
        m_fpsTimer.reset();
    } else {
        t = m_fpsTimer.getTime();
        ++m_frames;
        m_accumTime += t - m_prevTime;
    }
    if (t - m_lastFpsUpdate > 0.3f) {
        m_currentFps = m_accumTime > 0.0f ? float(m_frames) / m_accumTime : 0.0f;
        m_fpsSum += m_currentFps;
        ++m_fpsSamples;
        m_frames = 0;
        m_accumTime = 0.0f;
        m_lastFpsUpdate = t;
    }
    if (cursor) {
        cursor->update(t - m_prevTime);
    }
    m_prevTime = t;
    m_inScene = false;
}

aAnim* aGraphServer::shownCursor() const {
    if (!g_host) {
        return nullptr;
    }
    aAnim* cursor = g_host->getCursorSprite();
    const aInputServer* input = g_host->getInputServer();
    return cursor && input && input->isCursorShown() ? cursor : nullptr;
}

void aGraphServer::setViewport(int16_t x, int16_t y, uint16_t width, uint16_t height) {
    aViewport v{uint32_t(x < 0 ? 0 : x), uint32_t(y < 0 ? 0 : y), width, height, 0.0f, 1.0f};
    if (v.x + v.width > m_backWidth) {
        v.width = v.x < m_backWidth ? m_backWidth - v.x : 0;
    }
    if (v.y + v.height > m_backHeight) {
        v.height = v.y < m_backHeight ? m_backHeight - v.y : 0;
    }
    m_viewport = v;
    if (m_device) {
        m_device->setViewport(v);
    }
}

void aGraphServer::setBlendMode(int32_t mode) {
    if (mode == m_blendMode) {
        return;
    }
    m_blendMode = mode;
    if (m_device) {
        m_device->setRenderState(A_RS_SRCBLEND, A_BLEND_SRCALPHA);
        m_device->setRenderState(A_RS_DESTBLEND, mode == 1 ? A_BLEND_ONE : A_BLEND_INVSRCALPHA);
    }
}

void aGraphServer::setLinearFilter(bool on) {
    if (on == m_linearFilter) {
        return;
    }
    m_linearFilter = on;
    if (m_device) {
        uint32_t f = on ? A_TEXF_LINEAR : A_TEXF_POINT;
        m_device->setTextureStageState(0, A_TSS_MAGFILTER, f);
        m_device->setTextureStageState(0, A_TSS_MINFILTER, f);
    }
}

void aGraphServer::setGlobalColor(float r, float g, float b, float a) {
    auto byte = [](float v) { return int32_t(v * 255.0f); };
    m_tintR = byte(r);
    m_tintG = byte(g);
    m_tintB = byte(b);
    m_tintA = byte(a);
}

void aGraphServer::setFullscreen(bool on) {
    if (on == m_fullscreen || !m_window) {
        return;
    }
    m_fullscreen = on;
    if (on) {
        m_clientWidth = m_backWidth;
        m_clientHeight = m_backHeight;
        m_window->setFullscreen(true);
    } else {
        m_window->setFullscreen(false);
        applyWindowPlacement();
    }
    fillPresentParams();
    resetDevice();
    m_window->show();
}

void aGraphServer::setVSync(bool on) {
    if (on == m_vsync) {
        return;
    }
    m_vsync = on;
    fillPresentParams();
    resetDevice();
    if (m_window) {
        m_window->show();
    }
}

void aGraphServer::createFont(const std::string& name, const aFontDesc& desc, aDeviceFont** fontPointer) {
    if (m_fonts.count(name)) {
        a_log("aGraphServer. Font with name '%s' already exists", name.c_str());
        return;
    }
    FontRecord& rec = m_fonts[name];
    rec.desc = desc;
    rec.owner = fontPointer;
    if (fontPointer) {
        *fontPointer = nullptr;
    }
    if (desc.faceName.empty()) {
        a_log("aGraphServer. Font '%s' creation failed (%s)", name.c_str(),
              a_deviceErrorText(A_ERR_INVALIDCALL));
        return; // the record stays: a later reset tries again
    }
    rec.font = std::make_unique<aDeviceFont>(desc, m_device.get());
    if (fontPointer) {
        *fontPointer = rec.font.get();
    }
}

void aGraphServer::deleteFont(const std::string& name) {
    auto it = m_fonts.find(name);
    if (it == m_fonts.end()) {
        a_log("aGraphServer::deleteFont. Font '%s' not exists", name.c_str());
        return;
    }
    it->second.font.reset();
    if (it->second.owner) {
        *it->second.owner = nullptr;
    }
    m_fonts.erase(it);
}

std::string aGraphServer::saveScreenshot(const std::string& folder, const std::string& prefix) {
    std::string dir = file_manglePath(folder);
    makeFolder(dir);
    std::string name;
    bool found = false;
    // A free number from 000 upward; a full folder of a million shots ends the search.
    for (uint32_t n = 0; n < 1000000; ++n) {
        name = a_screenshotName(dir, prefix, n);
        if (!file_exists(name)) {
            found = true;
            break;
        }
    }
    std::vector<uint32_t> pixels;
    uint32_t w = 0, h = 0;
    bool ok = found && m_device && m_device->getFrontBuffer(&pixels, &w, &h) == A_OK && w > 0 && h > 0 &&
              pixels.size() >= size_t(w) * h;
    if (ok) {
        std::vector<uint8_t> bmp = a_encodeBmp(pixels.data(), w, h, w);
        ok = file_write(name, bmp.data(), bmp.size());
    }
    if (ok) {
        a_log("Screenshot saved: %s", name.c_str());
        return name;
    }
    a_log("Screenshot save failed: %s", name.c_str());
    return std::string();
}

// ---- device fonts -------------------------------------------------------------

namespace {

// Windows-1251 bytes 0x80 to 0xBF (0xC0 to 0xFF are U+0410 to U+044F).
const char16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

constexpr uint32_t kAtlasColumns = 32;

// The cell of a code in the built-in face; '?' for codes it lacks.
size_t glyphIndex(char16_t code) {
    const aBuiltinFont& f = a_builtinFont;
    const uint16_t* end = f.codes + f.count;
    const uint16_t* it = std::lower_bound(f.codes, end, uint16_t(code));
    if (it != end && *it == code) {
        return size_t(it - f.codes);
    }
    return code == u'?' ? 0 : glyphIndex(u'?');
}

} // namespace

int32_t aDeviceFont::glyphAdvance() {
    return a_builtinFont.advance;
}

int32_t aDeviceFont::lineHeight() {
    return a_builtinFont.height;
}

aDeviceFont::~aDeviceFont() {
    if (m_texture) {
        m_texture->release();
    }
}

bool aDeviceFont::makeTexture() {
    if (m_texture || m_textureFailed || !m_device) {
        return m_texture != nullptr;
    }
    const aBuiltinFont& f = a_builtinFont;
    const uint32_t rows = uint32_t((f.count + kAtlasColumns - 1) / kAtlasColumns);
    const uint32_t w = kAtlasColumns * uint32_t(f.advance), h = rows * uint32_t(f.height);
    int32_t hr = m_device->createTexture(w, h, 1, 0, A_FMT_A8R8G8B8, A_POOL_MANAGED, &m_texture);
    aLockedRect lr{};
    if (hr == A_OK) {
        hr = m_texture->lockRect(&lr, nullptr, 0);
    }
    if (hr != A_OK) {
        a_log("aDeviceFont. Glyph texture creation failed (%s)", a_deviceErrorText(hr));
        if (m_texture) {
            m_texture->release();
            m_texture = nullptr;
        }
        m_textureFailed = true;
        return false;
    }
    for (uint32_t y = 0; y < h; ++y) {
        std::memset(static_cast<uint8_t*>(lr.bits) + size_t(y) * uint32_t(lr.pitch), 0, size_t(w) * 4);
    }
    for (size_t g = 0; g < f.count; ++g) {
        const uint32_t ox = uint32_t(g % kAtlasColumns) * uint32_t(f.advance);
        const uint32_t oy = uint32_t(g / kAtlasColumns) * uint32_t(f.height);
        const uint8_t* cell = f.pixels + g * size_t(f.advance) * size_t(f.height);
        for (int32_t y = 0; y < f.height; ++y) {
            uint32_t* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(lr.bits) +
                                                        size_t(oy + uint32_t(y)) * uint32_t(lr.pitch)) +
                            ox;
            for (int32_t x = 0; x < f.advance; ++x) {
                row[x] = (uint32_t(cell[y * f.advance + x]) << 24) | 0x00FFFFFFu;
            }
        }
    }
    m_texture->unlockRect();
    return true;
}

int32_t aDeviceFont::drawText(const std::string& text, aDeviceRect* rect, uint32_t format, uint32_t color) {
    std::u16string wide;
    wide.reserve(text.size());
    const bool cyrillic = m_desc.charSet == 204;
    for (unsigned char b : text) {
        if (b < 0x80 || !cyrillic) {
            wide.push_back(char16_t(b));
        } else if (b >= 0xC0) {
            wide.push_back(char16_t(0x0410 + (b - 0xC0)));
        } else {
            wide.push_back(kCp1251High[b - 0x80]);
        }
    }
    return drawText(wide, rect, format, color);
}

int32_t aDeviceFont::drawText(const std::u16string& text, aDeviceRect* rect, uint32_t format,
                              uint32_t color) {
    if (!rect) {
        a_log("aDeviceFont::drawText - no rectangle given");
        return 0;
    }
    const aBuiltinFont& f = a_builtinFont;
    // Lines of the text.
    std::vector<std::u16string> lines(1);
    for (char16_t c : text) {
        if (c == u'\r') {
            continue;
        }
        if (c == u'\n' && !(format & A_DT_SINGLELINE)) {
            lines.emplace_back();
            continue;
        }
        lines.back().push_back(c == u'\n' ? u' ' : c);
    }
    int32_t widest = 0;
    for (const std::u16string& l : lines) {
        widest = std::max(widest, int32_t(l.size()) * f.advance);
    }
    const int32_t total = int32_t(lines.size()) * f.height;
    if (format & A_DT_CALCRECT) {
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }
    if (!m_device || !makeTexture()) {
        return 0;
    }
    int32_t top = rect->top;
    if (format & A_DT_BOTTOM) {
        top = rect->bottom - total;
    } else if (format & A_DT_VCENTER) {
        top = rect->top + (rect->bottom - rect->top - total) / 2;
    }
    // Each glyph is a quad of its cell, placed half a pixel up and left so
    // that pixel centres sample texel centres.
    const float tw = float(m_texture->width()), th = float(m_texture->height());
    std::vector<aVertex> v;
    for (size_t li = 0; li < lines.size(); ++li) {
        const std::u16string& l = lines[li];
        const int32_t width = int32_t(l.size()) * f.advance;
        int32_t x = rect->left;
        if (format & A_DT_RIGHT) {
            x = rect->right - width;
        } else if (format & A_DT_CENTER) {
            x = rect->left + (rect->right - rect->left - width) / 2;
        }
        const float y0 = float(top + int32_t(li) * f.height) - 0.5f, y1 = y0 + float(f.height);
        for (char16_t c : l) {
            const size_t g = glyphIndex(c);
            const float u0 = float((g % kAtlasColumns) * size_t(f.advance)) / tw;
            const float v0 = float((g / kAtlasColumns) * size_t(f.height)) / th;
            const float u1 = u0 + float(f.advance) / tw, v1 = v0 + float(f.height) / th;
            const float x0 = float(x) - 0.5f, x1 = x0 + float(f.advance);
            const aVertex a{x0, y0, 0, 1, color, u0, v0}, b{x1, y0, 0, 1, color, u1, v0},
                cc{x0, y1, 0, 1, color, u0, v1}, d{x1, y1, 0, 1, color, u1, v1};
            v.insert(v.end(), {a, b, cc, b, d, cc});
            x += f.advance;
        }
    }
    if (v.empty()) {
        return total;
    }
    // Clip to the rectangle through the viewport, then put every state back.
    const aViewport oldViewport = m_device->viewport();
    if (!(format & A_DT_NOCLIP)) {
        const int64_t l = std::max<int64_t>(rect->left, oldViewport.x);
        const int64_t t = std::max<int64_t>(rect->top, oldViewport.y);
        const int64_t r = std::min<int64_t>(rect->right, int64_t(oldViewport.x) + oldViewport.width);
        const int64_t b = std::min<int64_t>(rect->bottom, int64_t(oldViewport.y) + oldViewport.height);
        if (r <= l || b <= t) {
            return total;
        }
        aViewport clip = oldViewport;
        clip.x = uint32_t(l);
        clip.y = uint32_t(t);
        clip.width = uint32_t(r - l);
        clip.height = uint32_t(b - t);
        m_device->setViewport(clip);
    }
    const uint32_t blend = m_device->renderState(A_RS_ALPHABLENDENABLE);
    const uint32_t src = m_device->renderState(A_RS_SRCBLEND), dst = m_device->renderState(A_RS_DESTBLEND);
    const uint32_t mag = m_device->textureStageState(0, A_TSS_MAGFILTER);
    const uint32_t min = m_device->textureStageState(0, A_TSS_MINFILTER);
    aTexture* oldTexture = m_device->texture();
    if (oldTexture) {
        oldTexture->addRef();
    }
    m_device->setRenderState(A_RS_ALPHABLENDENABLE, 1);
    m_device->setRenderState(A_RS_SRCBLEND, A_BLEND_SRCALPHA);
    m_device->setRenderState(A_RS_DESTBLEND, A_BLEND_INVSRCALPHA);
    m_device->setTextureStageState(0, A_TSS_MAGFILTER, A_TEXF_POINT);
    m_device->setTextureStageState(0, A_TSS_MINFILTER, A_TEXF_POINT);
    m_device->setVertexShader(A_FVF_TLVERTEX);
    m_device->setTexture(0, m_texture);
    m_device->drawPrimitiveUP(A_PT_TRIANGLELIST, uint32_t(v.size() / 3), v.data(), sizeof(aVertex));
    m_device->setTexture(0, oldTexture);
    if (oldTexture) {
        oldTexture->release();
    }
    m_device->setRenderState(A_RS_ALPHABLENDENABLE, blend);
    m_device->setRenderState(A_RS_SRCBLEND, src);
    m_device->setRenderState(A_RS_DESTBLEND, dst);
    m_device->setTextureStageState(0, A_TSS_MAGFILTER, mag);
    m_device->setTextureStageState(0, A_TSS_MINFILTER, min);
    m_device->setViewport(oldViewport);
    return total;
}
