#pragma once
// The input server: reads the keyboard and the mouse once a frame into one
// state per key and button, the cursor position on the logical screen, the
// mouse movement and wheel of the frame, and a double-click flag per button.
// It also chooses the mouse cursor: a sprite the graphics server draws, or a
// system cursor.
//
// States: 0 up, 1 released this frame, 2 pressed this frame, 3 held. Keys are
// scan codes (A_KEY_* in a_platform_input.h); buttons 0 left, 1 right, 2 middle.

#include "mirel/base/a_timer.h"
#include "mirel/platform/window/a_platform_window.h"

#include <cstdint>
#include <memory>
#include <vector>

class aInputServer;
class aSprite;

// What the input server needs of the application object that owns it.
class aInputHost {
public:
    virtual ~aInputHost() = default;
    // Stores the input server (null: it is gone).
    virtual void setInputServer(aInputServer* server) = 0;
    // The application is the active one; input is read only while it is.
    virtual bool isActive() const = 0;
    // The game window (null: none).
    virtual aPlatformWindow* getPlatformWindow() const = 0;
    // The logical screen: the graphics server's back-buffer size.
    virtual void getBackBufferSize(int32_t& width, int32_t& height) const = 0;
    // Makes the window pick its cursor again (as after the cursor moved over it).
    virtual void refreshCursor() = 0;
    // The application's cursor sprite becomes an animated copy of the sprite
    // and is started; null deletes the application's cursor sprite.
    virtual void setCursorSprite(aSprite* sprite) = 0;
    // The system cursor shown when no sprite cursor is set.
    virtual void setSystemCursorId(int32_t id) = 0;
};

// The host the next input server attaches to (the application sets itself).
void a_setInputHost(aInputHost* host);
aInputHost* a_inputHost();

// One button's double-click record.
struct aDoubleClick {
    bool clicked = false; // double-clicked this frame
    int32_t ms = -1;      // milliseconds since the arming release; -1 = not armed
    int32_t x = 0;        // cursor at that release
    int32_t y = 0;
};

class aInputServer {
public:
    static constexpr int KEY_COUNT = 256;
    static constexpr int BUTTON_COUNT = 3;

    // Attaches to the host (null: the one set with a_setInputHost). Without a
    // host it logs, reads the current platform window as always active and
    // takes a 1024 x 768 screen.
    explicit aInputServer(aInputHost* host = nullptr);
    ~aInputServer();
    aInputServer(const aInputServer&) = delete;
    aInputServer& operator=(const aInputServer&) = delete;

    // (Re)creates the mouse device: shared and with the system cursor when
    // visible, exclusive (hidden, held in the window) otherwise.
    void createMouse(bool visible);

    // Reads the devices; called at the start of every frame.
    void update();

    uint32_t getKeyState(uint32_t scanCode) const { return scanCode < KEY_COUNT ? m_keys[scanCode] : 0; }
    // The keys that went down since the previous read, in the order they went
    // down, each with the shift, ctrl and alt keys held at that moment (a key
    // pressed and let go within the frame is there, and reads as pressed). A
    // key pressed twice is there twice. Empty while the application is
    // inactive and when the keyboard could not be read.
    const std::vector<aKeyPress>& getKeyPresses() const { return m_keyPresses; }
    uint32_t getButtonState(uint32_t button) const { return button < BUTTON_COUNT ? m_buttons[button] : 0; }
    bool isDoubleClick(uint32_t button) const {
        return button < BUTTON_COUNT && m_doubleClicks[button].clicked;
    }
    // Wheel movement of the frame, 120 per notch.
    int32_t getWheel() const { return m_mouseState.z; }
    // Mouse movement of the frame, in window pixels.
    int32_t getMouseMoveX() const { return m_mouseState.x; }
    int32_t getMouseMoveY() const { return m_mouseState.y; }
    void getMousePos(int32_t& x, int32_t& y) const {
        x = m_mouseX;
        y = m_mouseY;
    }
    bool anyKeyPressed() const;
    // The key went to the system (Alt+Enter switches the display): it is
    // gone from this frame's presses and reads as up until it is let go, so
    // nothing in the game takes it.
    void swallowKey(uint32_t scanCode);
    bool anyButtonPressed() const;

    // Moves the cursor to a logical screen point.
    void setMousePos(int32_t x, int32_t y);
    // A sprite cursor with its hot spot (see the source for the repeat rule).
    void setCursor(aSprite* sprite, uint16_t hotX, uint16_t hotY);
    void setSystemCursor(int32_t id);
    bool isCursorShown() const { return m_cursorVisible; }
    uint16_t getHotSpotX() const { return m_hotX; }
    uint16_t getHotSpotY() const { return m_hotY; }

    // Lock state of caps, num or scroll lock.
    bool isToggled(aToggleKey key) const;
    static uint32_t getDoubleClickTime() { return A_DOUBLE_CLICK_TIME_MS; }

private:
    bool hostActive() const;
    aPlatformWindow* window() const;
    void screenSize(int32_t& width, int32_t& height) const;
    void refreshCursor();
    // Logs a failed device call once until the call succeeds again.
    void logFailure(int slot, const char* format, int32_t result);
    void clearFailure(int slot) { m_lastFailure[slot] = 0; }

    aInputHost* m_host;
    bool m_haveInput = false; // the device factory (a window) was there
    std::unique_ptr<aInputDevice> m_keyboard;
    std::unique_ptr<aInputDevice> m_mouse;
    uint32_t m_keys[KEY_COUNT] = {};
    uint32_t m_buttons[BUTTON_COUNT] = {};
    aDoubleClick m_doubleClicks[BUTTON_COUNT];
    uint8_t m_keyboardState[KEY_COUNT] = {};
    std::vector<aKeyPress> m_keyPresses;
    bool m_swallowed[KEY_COUNT] = {};
    aRawMouseState m_mouseState;
    bool m_cursorVisible = true;
    uint16_t m_hotX = 0;
    uint16_t m_hotY = 0;
    int32_t m_mouseX = 0;
    int32_t m_mouseY = 0;
    aTimer m_timer{0};
    aSprite* m_lastSprite = nullptr;
    int32_t m_lastFailure[4] = {0, 0, 0, 0};
};
