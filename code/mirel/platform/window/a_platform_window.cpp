#include "mirel/platform/window/a_platform_window.h"

#include "mirel/base/a_log.h"
#include "mirel/platform/window/a_window_input_device.h"
#include "mirel/platform/window/headless/a_headless_window.h"
#include "mirel/platform/window/sdl/a_sdl_window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

aPlatformWindow* g_currentWindow = nullptr;
aMessageBoxObserver g_boxObserver = nullptr;
void* g_boxObserverUser = nullptr;

bool envSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

const char* a_inputErrorText(int32_t result) {
    switch (result) {
    case A_INPUT_OK:
        return "DI_OK";
    case A_INPUTERR_NOTACQUIRED:
        return "DIERR_NOTACQUIRED";
    case A_INPUTERR_INPUTLOST:
        return "DIERR_INPUTLOST";
    case A_INPUTERR_OTHERAPPHASPRIO:
        return "DIERR_OTHERAPPHASPRIO";
    case A_INPUTERR_INVALIDPARAM:
        return "DIERR_INVALIDPARAM";
    case A_INPUTERR_NOTINITIALIZED:
        return "DIERR_NOTINITIALIZED";
    case A_INPUTERR_GENERIC:
        return "DIERR_GENERIC";
    default:
        return "unknown error";
    }
}

aPlatformRect a_letterbox(int32_t clientWidth, int32_t clientHeight, int32_t pictureWidth,
                          int32_t pictureHeight) {
    aPlatformRect area;
    if (clientWidth <= 0 || clientHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return area;
    // Fit by the tighter ratio, in integers: width/height scaled so that the
    // picture's aspect is kept and nothing exceeds the client.
    int64_t w = clientWidth;
    int64_t h = static_cast<int64_t>(clientWidth) * pictureHeight / pictureWidth;
    if (h > clientHeight) {
        h = clientHeight;
        w = static_cast<int64_t>(clientHeight) * pictureWidth / pictureHeight;
    }
    area.left = static_cast<int32_t>((clientWidth - w) / 2);
    area.top = static_cast<int32_t>((clientHeight - h) / 2);
    area.right = area.left + static_cast<int32_t>(w);
    area.bottom = area.top + static_cast<int32_t>(h);
    return area;
}

bool a_platformHeadless() {
    const char* headless = std::getenv("MIREL_HEADLESS");
    if (headless && *headless && std::strcmp(headless, "0") != 0)
        return true;
    return !envSet("DISPLAY") && !envSet("WAYLAND_DISPLAY");
}

std::unique_ptr<aPlatformWindow> a_createPlatformWindow(const aWindowDesc& desc) {
    if (!a_platformHeadless()) {
        std::unique_ptr<aPlatformWindow> window = a_createSdlWindow(desc);
        if (window)
            return window;
        a_log("aPlatformWindow. No window could be opened, running headless \"%s\"", desc.title.c_str());
    }
    return std::make_unique<aHeadlessWindow>(desc);
}

aPlatformWindow* a_currentPlatformWindow() {
    return g_currentWindow;
}

void a_registerPlatformWindow(aPlatformWindow* window) {
    g_currentWindow = window;
}

void a_unregisterPlatformWindow(aPlatformWindow* window) {
    if (g_currentWindow == window)
        g_currentWindow = nullptr;
}

void a_setMessageBoxObserver(aMessageBoxObserver observer, void* user) {
    g_boxObserver = observer;
    g_boxObserverUser = user;
}

void a_showMessageBox(const char* title, const char* text) {
    if (!title)
        title = "";
    if (!text)
        text = "";
    if (g_boxObserver) {
        g_boxObserver(title, text, g_boxObserverUser);
        return;
    }
    aPlatformWindow* window = g_currentWindow;
    const bool headless = window ? window->isHeadless() : a_platformHeadless();
    if (!headless && a_sdlShowMessageBox(title, text, window))
        return;
    std::fprintf(stderr, "%s\n%s\n", title, text);
    std::fflush(stderr);
    a_log("Message box: %s - %s", title, text);
}
