#include "mirel/platform/window/headless/a_headless_window.h"

#include "mirel/base/a_log.h"

#include <cstring>

aHeadlessWindow::aHeadlessWindow(const aWindowDesc& desc)
    : m_title(desc.title), m_pictureWidth(desc.pictureWidth > 0 ? desc.pictureWidth : 1024),
      m_pictureHeight(desc.pictureHeight > 0 ? desc.pictureHeight : 768), m_fullscreen(desc.fullscreen),
      m_vsync(desc.vsync) {
    m_desktop = aDisplayMode{1920, 1080, 60, 32};
    m_workArea = aPlatformRect{0, 0, 1920, 1080};
    m_modes = {aDisplayMode{m_pictureWidth, m_pictureHeight, 60, 16},
               aDisplayMode{m_pictureWidth, m_pictureHeight, 60, 32}, m_desktop};
    setWindowedPlacement(desc.clientX, desc.clientY, desc.clientWidth, desc.clientHeight);
    a_registerPlatformWindow(this);
    a_log("aPlatformWindow. Headless window \"%s\" %ix%i%s", m_title.c_str(), m_pictureWidth, m_pictureHeight,
          m_fullscreen ? " full screen" : "");
}

aHeadlessWindow::~aHeadlessWindow() {
    detachDevices();
    a_unregisterPlatformWindow(this);
}

bool aHeadlessWindow::peekEvent(aWindowEvent& event) {
    if (m_events.empty())
        return false;
    event = m_events.front();
    m_events.pop_front();
    return true;
}

void aHeadlessWindow::waitEvent(aWindowEvent& event) {
    if (peekEvent(event))
        return;
    m_focus = true;
    m_minimized = false;
    event = aWindowEvent{aWindowEventType::Activate, 0, 0, 0};
}

void aHeadlessWindow::postQuit(int32_t exitCode) {
    m_events.push_back(aWindowEvent{aWindowEventType::Quit, exitCode, 0, 0});
}

void aHeadlessWindow::setFullscreen(bool on) {
    m_fullscreen = on;
}

void aHeadlessWindow::setWindowedPlacement(int32_t clientX, int32_t clientY, int32_t clientWidth,
                                           int32_t clientHeight) {
    m_windowedWidth = clientWidth > 0 ? clientWidth : m_pictureWidth;
    m_windowedHeight = clientHeight > 0 ? clientHeight : m_pictureHeight;
    m_clientX = clientX != INT32_MIN ? clientX : m_workArea.left + (m_workArea.width() - m_windowedWidth) / 2;
    m_clientY =
        clientY != INT32_MIN ? clientY : m_workArea.top + (m_workArea.height() - m_windowedHeight) / 2;
}

void aHeadlessWindow::show() {
    m_minimized = false;
}

void aHeadlessWindow::minimize() {
    m_minimized = true;
    setFocus(false);
}

void aHeadlessWindow::raise() {
    m_minimized = false;
    setFocus(true);
}

void aHeadlessWindow::setFocus(bool focus) {
    if (focus == m_focus)
        return;
    m_focus = focus;
    if (!focus) {
        m_keyLatch.clear();
        loseForegroundDevices();
    }
    queueEvent(focus ? aWindowEventType::Activate : aWindowEventType::Deactivate);
}

void aHeadlessWindow::getClientSize(int32_t& width, int32_t& height) const {
    if (m_fullscreen) {
        width = m_desktop.width;
        height = m_desktop.height;
    } else {
        width = m_windowedWidth;
        height = m_windowedHeight;
    }
}

aPlatformRect aHeadlessWindow::getPictureArea() const {
    int32_t width, height;
    getClientSize(width, height);
    if (!m_fullscreen)
        return aPlatformRect{0, 0, width, height};
    return a_letterbox(width, height, m_pictureWidth, m_pictureHeight);
}

void aHeadlessWindow::getClientOrigin(int32_t& x, int32_t& y) const {
    if (m_fullscreen) {
        x = 0;
        y = 0;
    } else {
        x = m_clientX;
        y = m_clientY;
    }
}

void aHeadlessWindow::present(const uint32_t* pixels, int32_t width, int32_t height, int32_t pitchBytes) {
    if (!pixels || width <= 0 || height <= 0 || pitchBytes < width * 4) {
        a_log("aPlatformWindow::present - bad frame %ix%i, pitch %i", width, height, pitchBytes);
        return;
    }
    m_frameData.resize(static_cast<size_t>(width) * height);
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(&m_frameData[static_cast<size_t>(row) * width],
                    reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(row) * pitchBytes,
                    static_cast<size_t>(width) * 4);
    m_frameWidth = width;
    m_frameHeight = height;
    ++m_presents;
}

void aHeadlessWindow::getCursorPos(int32_t& x, int32_t& y) const {
    const aPlatformRect area = getPictureArea();
    x = m_cursorX - area.left;
    y = m_cursorY - area.top;
}

void aHeadlessWindow::setCursorPos(int32_t x, int32_t y) {
    const aPlatformRect area = getPictureArea();
    m_cursorX = x + area.left;
    m_cursorY = y + area.top;
}

std::unique_ptr<aInputDevice> aHeadlessWindow::createInputDevice(aInputDeviceKind kind, int32_t* result) {
    if (result)
        *result = A_INPUT_OK;
    return std::make_unique<aWindowInputDevice>(static_cast<aRawInputSource*>(this), kind);
}

bool aHeadlessWindow::isToggled(aToggleKey key) const {
    return m_toggles[static_cast<int>(key)];
}

void aHeadlessWindow::setToggled(aToggleKey key, bool on) {
    m_toggles[static_cast<int>(key)] = on;
}

bool aHeadlessWindow::setClipboardText(const std::string& utf8) {
    m_clipboard = utf8;
    return true;
}

void aHeadlessWindow::releaseAllKeys() {
    m_keyLatch.releaseAll();
    std::memset(m_buttons, 0, sizeof(m_buttons));
}

void aHeadlessWindow::setButton(int button, bool down) {
    if (button >= 0 && button < 4)
        m_buttons[button] = down ? 0x80 : 0;
}

void aHeadlessWindow::setDesktopMode(const aDisplayMode& mode) {
    m_desktop = mode;
}

void aHeadlessWindow::setKey(uint8_t scanCode, bool down) {
    if (!down) {
        m_keyLatch.release(scanCode);
        return;
    }
    if (m_keyLatch.isDown(scanCode))
        return;
    // A shift, ctrl or alt key going down counts itself as held.
    const auto held = [&](uint8_t left, uint8_t right) {
        return scanCode == left || scanCode == right || m_keyLatch.isDown(left) || m_keyLatch.isDown(right);
    };
    uint8_t modifiers = 0;
    if (held(A_KEY_LSHIFT, A_KEY_RSHIFT))
        modifiers |= A_KEYMOD_SHIFT;
    if (held(A_KEY_LCONTROL, A_KEY_RCONTROL))
        modifiers |= A_KEYMOD_CTRL;
    if (held(A_KEY_LMENU, A_KEY_RMENU))
        modifiers |= A_KEYMOD_ALT;
    m_keyLatch.press(scanCode, modifiers);
}

void aHeadlessWindow::readKeys(uint8_t keys[256], std::vector<aKeyPress>& presses) {
    m_keyLatch.read(keys, presses);
}

void aHeadlessWindow::readMouseTotals(int64_t& x, int64_t& y, int64_t& z, uint8_t buttons[4]) {
    x = m_totalX;
    y = m_totalY;
    z = m_totalZ;
    std::memcpy(buttons, m_buttons, sizeof(m_buttons));
}
