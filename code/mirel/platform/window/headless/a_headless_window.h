#pragma once
// A window without a display. Frames are kept (the last one can be read
// back), and tests drive it: they queue window events, set raw key and button
// states and the cursor position, change the focus and the desktop.

#include "mirel/platform/window/a_platform_window.h"
#include "mirel/platform/window/a_window_input_device.h"

#include <deque>

class aHeadlessWindow : public aPlatformWindow, private aRawInputSource {
public:
    explicit aHeadlessWindow(const aWindowDesc& desc);
    ~aHeadlessWindow() override;

    bool isHeadless() const override { return true; }

    bool peekEvent(aWindowEvent& event) override;
    // With nothing queued nothing could ever arrive, so instead of blocking
    // the window takes the focus back and answers Activate.
    void waitEvent(aWindowEvent& event) override;
    void postQuit(int32_t exitCode) override;

    bool isFullscreen() const override { return m_fullscreen; }
    void setFullscreen(bool on) override;
    void setWindowedPlacement(int32_t clientX, int32_t clientY, int32_t clientWidth,
                              int32_t clientHeight) override;
    void show() override;
    void minimize() override;
    void raise() override;
    bool hasFocus() const override { return m_focus; }
    void setTitle(const std::string& title) override { m_title = title; }
    void getClientSize(int32_t& width, int32_t& height) const override;
    aPlatformRect getPictureArea() const override;
    void getClientOrigin(int32_t& x, int32_t& y) const override;

    aPlatformRect getWorkArea() const override { return m_workArea; }
    aPlatformRect getFrameExtents() const override { return m_frame; }
    aDisplayMode getDesktopMode() const override { return m_desktop; }
    std::vector<aDisplayMode> getDisplayModes() const override { return m_modes; }
    std::string getDriverDescription() const override { return "headless, software"; }

    void present(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitchBytes) override;
    void setVSync(bool on) override { m_vsync = on; }
    bool getVSync() const override { return m_vsync; }

    void setCursorShape(int32_t cursorId) override { m_cursorShape = cursorId; }
    int32_t getCursorShape() const override { return m_cursorShape; }
    void getCursorPos(int32_t& x, int32_t& y) const override;
    void setCursorPos(int32_t x, int32_t y) override;

    std::unique_ptr<aInputDevice> createInputDevice(aInputDeviceKind kind, int32_t* result) override;
    bool isToggled(aToggleKey key) const override;

    bool hasClipboardText() const override { return !m_clipboard.empty(); }
    std::string getClipboardText() const override { return m_clipboard; }
    bool setClipboardText(const std::string& utf8) override;

    // ---- driven by tests ----
    void queueEvent(const aWindowEvent& event) { m_events.push_back(event); }
    void queueEvent(aWindowEventType type) { m_events.push_back(aWindowEvent{type, 0, 0, 0}); }
    // Focus changes queue Activate / Deactivate; losing it unacquires
    // foreground devices.
    void setFocus(bool focus);
    // A key that goes down is listed as a press, with the shift, ctrl and alt
    // keys down at that moment, and reads as down at the next read even when
    // it is let go before.
    void setKey(uint8_t scanCode, bool down);
    void releaseAllKeys();
    void setButton(int button, bool down);
    // The cursor in client coordinates (window pixels, picture bars included).
    void setCursorClient(int32_t x, int32_t y) {
        m_cursorX = x;
        m_cursorY = y;
    }
    void getCursorClient(int32_t& x, int32_t& y) const {
        x = m_cursorX;
        y = m_cursorY;
    }
    void moveMouse(int32_t dx, int32_t dy) {
        m_totalX += dx;
        m_totalY += dy;
    }
    void turnWheel(int32_t z) { m_totalZ += z; }
    void setToggled(aToggleKey key, bool on);
    void setWorkArea(const aPlatformRect& area) { m_workArea = area; }
    void setFrameExtents(const aPlatformRect& frame) { m_frame = frame; }
    void setDesktopMode(const aDisplayMode& mode);
    void setDisplayModes(const std::vector<aDisplayMode>& modes) { m_modes = modes; }
    bool isMouseExclusive() const { return m_mouseExclusive; }
    bool isMinimized() const { return m_minimized; }
    const std::string& title() const { return m_title; }

    // The frames presented so far and a copy of the last one (0xAARRGGBB).
    uint32_t presentCount() const { return m_presents; }
    const std::vector<uint32_t>& lastFrame() const { return m_frameData; }
    int32_t lastFrameWidth() const { return m_frameWidth; }
    int32_t lastFrameHeight() const { return m_frameHeight; }

private:
    bool sourceHasFocus() const override { return m_focus; }
    void readKeys(uint8_t keys[256], std::vector<aKeyPress>& presses) override;
    void readMouseTotals(int64_t& x, int64_t& y, int64_t& z, uint8_t buttons[4]) override;
    void setMouseExclusive(bool on) override { m_mouseExclusive = on; }

    std::string m_title;
    int32_t m_pictureWidth;
    int32_t m_pictureHeight;
    bool m_fullscreen;
    int32_t m_clientX = 0, m_clientY = 0;
    int32_t m_windowedWidth = 0, m_windowedHeight = 0;
    bool m_vsync;
    bool m_focus = true;
    bool m_minimized = false;
    std::deque<aWindowEvent> m_events;
    aPlatformRect m_workArea;
    aPlatformRect m_frame;
    aDisplayMode m_desktop;
    std::vector<aDisplayMode> m_modes;
    int32_t m_cursorShape = A_CURSOR_ARROW;
    int32_t m_cursorX = 0, m_cursorY = 0;
    aKeyLatch m_keyLatch; // the keys down and the presses since the last read
    uint8_t m_buttons[4] = {};
    int64_t m_totalX = 0, m_totalY = 0, m_totalZ = 0;
    bool m_toggles[3] = {false, false, false};
    bool m_mouseExclusive = false;
    std::string m_clipboard;
    uint32_t m_presents = 0;
    std::vector<uint32_t> m_frameData;
    int32_t m_frameWidth = 0, m_frameHeight = 0;
};
