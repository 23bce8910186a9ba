#pragma once
// The SDL2 window backend. Reached through a_createPlatformWindow.

#include "mirel/platform/window/a_platform_window.h"

// Opens an SDL window (null, with a log line, when SDL cannot open one).
std::unique_ptr<aPlatformWindow> a_createSdlWindow(const aWindowDesc& desc);

// Shows SDL's message box over the window (when it is an SDL one); false
// when no box could be shown.
bool a_sdlShowMessageBox(const char* title, const char* text, aPlatformWindow* parent);
