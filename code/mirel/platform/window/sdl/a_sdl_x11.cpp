#include "mirel/platform/window/sdl/a_sdl_x11.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <string>

bool a_sdlWindowManagerRuns(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11)
        return true;
    // A window manager owns the selection WM_S<screen> while it runs.
    Display* display = info.info.x11.display;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, info.info.x11.window, &attributes))
        return true;
    const std::string name = "WM_S" + std::to_string(XScreenNumberOfScreen(attributes.screen));
    const Atom selection = XInternAtom(display, name.c_str(), False);
    return XGetSelectionOwner(display, selection) != None;
}
