#pragma once
// The game window and its message pump, presentation of finished frames,
// system cursors, message boxes, the clipboard and the raw input devices.
//
// Two backends: SDL2 on a desktop, and a headless one (no display, or
// MIREL_HEADLESS set) whose input and events tests inject by hand.
//
// Coordinates: the game draws a fixed logical picture (1024 x 768). In a window
// the client area shows it scaled to the client size; in full screen the window
// covers the desktop and the picture is scaled to fit and centred, with black
// bars (letterbox). The "picture area" is the part of the client area that
// shows the picture; cursor positions are reported relative to its top-left
// corner, in window pixels.

#include "mirel/platform/window/a_platform_input.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A rectangle with exclusive right and bottom edges, in screen or window pixels.
struct aPlatformRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
};

struct aDisplayMode {
    int32_t width = 0;
    int32_t height = 0;
    int32_t refreshRate = 0;   // Hz, 0 when unknown
    int32_t bitsPerPixel = 32; // 16 or 32
};

// Window events, the messages the application's window procedure handles.
enum class aWindowEventType {
    Activate,         // the application became the active one (focus gained)
    Deactivate,       // it lost the focus / was minimised
    Close,            // the user asked to close the window (close button, Alt+F4)
    Quit,             // posted by postQuit: ends the main loop; code = exit code
    Paint,            // the client area needs drawing again (exposed)
    Maximize,         // the window was maximised
    CursorOverClient, // the cursor moved over the client area; x, y logical position
    RenderReset,      // the presenter lost its device/targets; the graphics device must reset
};

struct aWindowEvent {
    aWindowEventType type = aWindowEventType::Paint;
    int32_t code = 0; // Quit: the exit code
    int32_t x = 0;    // CursorOverClient: cursor in logical picture coordinates
    int32_t y = 0;
};

// System cursor shapes, numbered like the classic resource ids (32512 arrow).
enum aSystemCursor : int32_t {
    A_CURSOR_HIDDEN = 0,
    A_CURSOR_ARROW = 32512,
    A_CURSOR_IBEAM = 32513,
    A_CURSOR_WAIT = 32514,
    A_CURSOR_CROSS = 32515,
    A_CURSOR_UPARROW = 32516,
    A_CURSOR_SIZENWSE = 32642,
    A_CURSOR_SIZENESW = 32643,
    A_CURSOR_SIZEWE = 32644,
    A_CURSOR_SIZENS = 32645,
    A_CURSOR_SIZEALL = 32646,
    A_CURSOR_NO = 32648,
    A_CURSOR_HAND = 32649,
    A_CURSOR_APPSTARTING = 32650,
    A_CURSOR_HELP = 32651,
};

struct aWindowDesc {
    std::string title = "Unnamed";
    // The logical picture presented every frame.
    int32_t pictureWidth = 1024;
    int32_t pictureHeight = 768;
    bool fullscreen = false;
    // Windowed placement: the screen position of the client area's top-left
    // corner and the client size. A client size of 0 means the picture size;
    // a position of INT32_MIN centres the window on the desktop.
    int32_t clientX = INT32_MIN;
    int32_t clientY = INT32_MIN;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    bool vsync = true;
};

class aPlatformWindow {
public:
    virtual ~aPlatformWindow() = default;

    virtual bool isHeadless() const = 0;

    // ---- message pump ----
    // Takes the next pending event without waiting; false when none is pending.
    virtual bool peekEvent(aWindowEvent& event) = 0;
    // Waits for the next event (the loop's inactive state) and takes it.
    virtual void waitEvent(aWindowEvent& event) = 0;
    // Queues Quit with the exit code (taken after the events already pending).
    virtual void postQuit(int32_t exitCode) = 0;

    // ---- window state ----
    virtual bool isFullscreen() const = 0;
    // Desktop full screen with the picture letterboxed, or back to a window
    // at the given client placement (same meaning as in aWindowDesc).
    virtual void setFullscreen(bool on) = 0;
    virtual void setWindowedPlacement(int32_t clientX, int32_t clientY, int32_t clientWidth,
                                      int32_t clientHeight) = 0;
    virtual void show() = 0; // show normally (restores a minimised window)
    virtual void minimize() = 0;
    virtual void raise() = 0; // bring to the front and take the focus
    virtual bool hasFocus() const = 0;
    virtual void setTitle(const std::string& title) = 0;
    // The client area's size in window pixels.
    virtual void getClientSize(int32_t& width, int32_t& height) const = 0;
    // The part of the client area that shows the picture (client coordinates).
    virtual aPlatformRect getPictureArea() const = 0;
    // The client area's top-left corner on the screen.
    virtual void getClientOrigin(int32_t& x, int32_t& y) const = 0;

    // ---- desktop ----
    // The desktop work area (screen minus panels) of the window's display.
    virtual aPlatformRect getWorkArea() const = 0;
    // The window frame's thickness on each side (left, top, right, bottom as
    // positive numbers; all 0 when the window manager does not tell).
    virtual aPlatformRect getFrameExtents() const = 0;
    virtual aDisplayMode getDesktopMode() const = 0;
    virtual std::vector<aDisplayMode> getDisplayModes() const = 0;
    // The video driver and renderer in use, for the log ("x11, software").
    virtual std::string getDriverDescription() const = 0;

    // ---- presentation ----
    // Shows a finished frame: width x height pixels of 32 bits (0xAARRGGBB in
    // a uint32_t, alpha ignored), rows pitchBytes apart. Scaled to the picture area.
    virtual void present(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitchBytes) = 0;
    // Vertical sync chosen: the frame loop holds the display's refresh rate
    // (the present itself never waits for the display).
    virtual void setVSync(bool on) = 0;
    virtual bool getVSync() const = 0;

    // ---- cursor ----
    // The cursor over the client area; A_CURSOR_HIDDEN hides it there.
    virtual void setCursorShape(int32_t cursorId) = 0;
    virtual int32_t getCursorShape() const = 0;
    // The cursor position relative to the picture area's top-left corner, in
    // window pixels (outside the picture: values outside [0, size)).
    virtual void getCursorPos(int32_t& x, int32_t& y) const = 0;
    // Moves the system cursor to a point given the same way.
    virtual void setCursorPos(int32_t x, int32_t y) = 0;

    // ---- keyboard and mouse ----
    // A new raw device; null with the result in *result on failure.
    virtual std::unique_ptr<aInputDevice> createInputDevice(aInputDeviceKind kind, int32_t* result) = 0;
    // Lock state of a toggle key (caps, num, scroll lock).
    virtual bool isToggled(aToggleKey key) const = 0;

    // ---- clipboard (UTF-8 text) ----
    virtual bool hasClipboardText() const = 0;
    virtual std::string getClipboardText() const = 0;
    virtual bool setClipboardText(const std::string& utf8) = 0;
};

// Maximum time between the clicks of a double click.
constexpr uint32_t A_DOUBLE_CLICK_TIME_MS = 500;

// The picture area of a client area: the picture scaled by the largest factor
// that fits and centred (letterbox or pillarbox bars). Degenerate sizes give
// an empty rectangle at 0, 0.
aPlatformRect a_letterbox(int32_t clientWidth, int32_t clientHeight, int32_t pictureWidth,
                          int32_t pictureHeight);

// True when no window can be opened: MIREL_HEADLESS is set (to anything but
// "0"), or there is no display (neither DISPLAY nor WAYLAND_DISPLAY).
bool a_platformHeadless();

// Opens the game window: the SDL backend on a desktop, the headless one
// otherwise (or when the SDL window cannot be made). Logs what it opened.
// Null only when nothing could be opened.
std::unique_ptr<aPlatformWindow> a_createPlatformWindow(const aWindowDesc& desc);

// The window opened last and still alive (null when none).
aPlatformWindow* a_currentPlatformWindow();

// A modal message box (title, text in UTF-8) over the current window. When
// headless, or when no box can be shown, the text goes to stderr and the log.
void a_showMessageBox(const char* title, const char* text);

// Tests observe message boxes instead of seeing them; with an observer set no
// box is shown and nothing goes to stderr. Null removes it.
using aMessageBoxObserver = void (*)(const char* title, const char* text, void* user);
void a_setMessageBoxObserver(aMessageBoxObserver observer, void* user);
