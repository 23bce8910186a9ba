#pragma once
// What SDL does not tell of an SDL window on an X server.

struct SDL_Window;

// False only when the window is on an X server that no window manager runs
// on: nobody there turns a window full screen, the program sizes it itself.
bool a_sdlWindowManagerRuns(SDL_Window* window);
