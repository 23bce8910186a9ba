#include "mirel/input/a_inputserver.h"

#include "mirel/base/a_log.h"

#include <algorithm>
#include <cstring>

namespace {

aInputHost* g_host = nullptr;

enum FailureSlot { KeyboardRead = 0, KeyboardAcquire = 1, MouseRead = 2, MouseAcquire = 3 };

bool isLostResult(int32_t result) {
    return result == A_INPUTERR_INPUTLOST || result == A_INPUTERR_NOTACQUIRED;
}

// Next state of a key or button from its raw "down".
uint32_t nextState(uint32_t state, bool down) {
    const bool wasDown = state == 2 || state == 3;
    if (down)
        return wasDown ? 3u : 2u;
    return wasDown ? 1u : 0u;
}

} // namespace

void a_setInputHost(aInputHost* host) {
    g_host = host;
}
aInputHost* a_inputHost() {
    return g_host;
}

aInputServer::aInputServer(aInputHost* host) : m_host(host ? host : g_host) {
    if (m_host)
        m_host->setInputServer(this);
    else
        a_log("aInputServer. aApplication object not created!");

    aPlatformWindow* win = window();
    if (!win) {
        a_log("aInputServer. DirectInput8Create failed (%s)", a_inputErrorText(A_INPUTERR_NOTINITIALIZED));
    } else {
        m_haveInput = true;
        int32_t result = A_INPUT_OK;
        m_keyboard = win->createInputDevice(aInputDeviceKind::Keyboard, &result);
        if (!m_keyboard) {
            a_log("aInputServer. Keyboard CreateDevice failed (%s)", a_inputErrorText(result));
        } else if ((result = m_keyboard->setDataFormat(aInputDeviceKind::Keyboard)) != A_INPUT_OK) {
            a_log("aInputServer. Keyboard SetDataFormat failed (%s)", a_inputErrorText(result));
            m_keyboard.reset();
        } else if ((result = m_keyboard->setCooperativeLevel(A_INPUT_NONEXCLUSIVE | A_INPUT_FOREGROUND)) !=
                   A_INPUT_OK) {
            a_log("aInputServer. Keyboard SetCooperativeLevel failed (%s)", a_inputErrorText(result));
            m_keyboard.reset();
        } else if ((result = m_keyboard->acquire()) != A_INPUT_OK) {
            // Kept: a device that is not acquired yet is acquired on a later update.
            a_log("aInputServer. Keyboard Acquire failed (%s)", a_inputErrorText(result));
        }
    }

    std::memset(m_keys, 0, sizeof(m_keys));
    std::memset(m_buttons, 0, sizeof(m_buttons));
    std::memset(m_keyboardState, 0, sizeof(m_keyboardState));
    createMouse(true);

    if (m_host)
        m_host->setCursorSprite(nullptr);
    m_lastSprite = nullptr;
    refreshCursor();
    m_hotX = 0;
    m_hotY = 0;
}

aInputServer::~aInputServer() {
    if (m_host) {
        m_host->setInputServer(nullptr);
        m_host->setCursorSprite(nullptr);
    }
    if (m_keyboard)
        m_keyboard->unacquire();
    if (m_mouse)
        m_mouse->unacquire();
    m_keyboard.reset();
    m_mouse.reset();
}

bool aInputServer::hostActive() const {
    return m_host ? m_host->isActive() : true;
}

aPlatformWindow* aInputServer::window() const {
    return m_host ? m_host->getPlatformWindow() : a_currentPlatformWindow();
}

void aInputServer::screenSize(int32_t& width, int32_t& height) const {
    width = 1024;
    height = 768;
    if (m_host)
        m_host->getBackBufferSize(width, height);
}

void aInputServer::refreshCursor() {
    if (m_host)
        m_host->refreshCursor();
}

void aInputServer::logFailure(int slot, const char* format, int32_t result) {
    // A device that stays lost would otherwise write the same line every frame.
    if (m_lastFailure[slot] == result)
        return;
    m_lastFailure[slot] = result;
    a_log(format, a_inputErrorText(result));
}

void aInputServer::createMouse(bool visible) {
    if (m_mouse) {
        m_mouse->unacquire();
        m_mouse.reset();
    }
    aPlatformWindow* win = m_haveInput ? window() : nullptr;
    if (win) {
        int32_t result = A_INPUT_OK;
        m_mouse = win->createInputDevice(aInputDeviceKind::Mouse, &result);
        const uint32_t level =
            visible ? (A_INPUT_NONEXCLUSIVE | A_INPUT_FOREGROUND) : (A_INPUT_EXCLUSIVE | A_INPUT_FOREGROUND);
        if (!m_mouse) {
            a_log("aInputServer. Mouse CreateDevice failed (%s)", a_inputErrorText(result));
        } else if ((result = m_mouse->setDataFormat(aInputDeviceKind::Mouse)) != A_INPUT_OK) {
            a_log("aInputServer. Mouse SetDataFormat failed (%s)", a_inputErrorText(result));
            m_mouse.reset();
        } else if ((result = m_mouse->setCooperativeLevel(level)) != A_INPUT_OK) {
            a_log("aInputServer. Mouse SetCooperativeLevel failed (%s)", a_inputErrorText(result));
            m_mouse.reset();
        } else if ((result = m_mouse->acquire()) != A_INPUT_OK) {
            a_log("aInputServer. Mouse Acquire failed (%s)", a_inputErrorText(result));
        }
    }
    m_mouseState = aRawMouseState{};
    for (int i = 0; i < BUTTON_COUNT; ++i) {
        m_buttons[i] = 0;
        m_doubleClicks[i] = aDoubleClick{};
    }
    m_cursorVisible = visible;
}

void aInputServer::update() {
    const bool active = hostActive();

    m_keyPresses.clear();
    if (active && m_keyboard) {
        const int32_t result = m_keyboard->getState(m_keyboardState, sizeof(m_keyboardState));
        if (result != A_INPUT_OK) {
            logFailure(KeyboardRead, "aInputServer. Keyboard GetDeviceState failed (%s)", result);
            std::memset(m_keyboardState, 0, sizeof(m_keyboardState));
            if (isLostResult(result)) {
                const int32_t acquired = m_keyboard->acquire();
                if (acquired != A_INPUT_OK)
                    logFailure(KeyboardAcquire, "aInputServer. Keyboard Acquire failed (%s)", acquired);
                else
                    clearFailure(KeyboardAcquire);
            }
        } else {
            clearFailure(KeyboardRead);
            clearFailure(KeyboardAcquire);
            m_keyPresses = m_keyboard->getPresses();
        }
        for (const aKeyPress& press : m_keyPresses)
            m_swallowed[press.scanCode] = false; // pressed again
        for (int key = 0; key < KEY_COUNT; ++key) {
            const bool down = m_keyboardState[key] >= 128;
            if (m_swallowed[key]) {
                m_swallowed[key] = down;
                m_keys[key] = 0;
                continue;
            }
            m_keys[key] = nextState(m_keys[key], down);
        }
    }

    if (active && m_mouse) {
        const int32_t result = m_mouse->getState(&m_mouseState, sizeof(m_mouseState));
        if (result != A_INPUT_OK) {
            logFailure(MouseRead, "aInputServer. Mouse GetDeviceState failed (%s)", result);
            m_mouseState = aRawMouseState{};
            if (isLostResult(result)) {
                const int32_t acquired = m_mouse->acquire();
                if (acquired != A_INPUT_OK)
                    logFailure(MouseAcquire, "aInputServer. Mouse Acquire failed (%s)", acquired);
                else
                    clearFailure(MouseAcquire);
            }
        } else {
            clearFailure(MouseRead);
            clearFailure(MouseAcquire);
        }
        for (int button = 0; button < BUTTON_COUNT; ++button)
            m_buttons[button] = nextState(m_buttons[button], m_mouseState.buttons[button] > 127);
    }

    aPlatformWindow* win = window();
    if (m_mouse && win) {
        int32_t clientX = 0, clientY = 0;
        win->getCursorPos(clientX, clientY);
        const aPlatformRect area = win->getPictureArea();
        int32_t width, height;
        screenSize(width, height);
        m_mouseX =
            area.width() > 0 ? static_cast<int32_t>(static_cast<int64_t>(width) * clientX / area.width()) : 0;
        m_mouseY = area.height() > 0
                       ? static_cast<int32_t>(static_cast<int64_t>(height) * clientY / area.height())
                       : 0;
    } else {
        m_mouseX = 0;
        m_mouseY = 0;
    }

    // Double clicks: a press, a release, and a second press at the same cursor
    // position within the double-click time after the release. Both positions
    // are this frame's, so a pointer that jumped since the release is seen.
    const int32_t ms = static_cast<int32_t>(m_timer.getTimeMs());
    const int32_t limit = static_cast<int32_t>(getDoubleClickTime());
    for (int button = 0; button < BUTTON_COUNT; ++button) {
        aDoubleClick& record = m_doubleClicks[button];
        record.clicked = false;
        if (record.ms >= 0) {
            record.ms += ms;
            if (record.ms >= limit || record.x != m_mouseX || record.y != m_mouseY) {
                record.ms = -1;
            } else if (m_buttons[button] == 2) {
                record.clicked = true;
                record.ms = -1;
            }
        } else if (m_buttons[button] == 1) {
            record.ms = 0;
            record.x = m_mouseX;
            record.y = m_mouseY;
        }
    }

    m_timer.reset();
}

bool aInputServer::anyKeyPressed() const {
    for (uint32_t state : m_keys)
        if (state == 2)
            return true;
    return false;
}

void aInputServer::swallowKey(uint32_t scanCode) {
    if (scanCode >= KEY_COUNT)
        return;
    m_keys[scanCode] = 0;
    m_swallowed[scanCode] = true;
    m_keyPresses.erase(std::remove_if(m_keyPresses.begin(), m_keyPresses.end(),
                                      [&](const aKeyPress& press) { return press.scanCode == scanCode; }),
                       m_keyPresses.end());
}

bool aInputServer::anyButtonPressed() const {
    for (uint32_t state : m_buttons)
        if (state == 2)
            return true;
    return false;
}

void aInputServer::setMousePos(int32_t x, int32_t y) {
    aPlatformWindow* win = window();
    if (!m_mouse || !win)
        return;
    m_mouseX = x;
    m_mouseY = y;
    int32_t width, height;
    screenSize(width, height);
    if (width <= 0 || height <= 0)
        return;
    const aPlatformRect area = win->getPictureArea();
    win->setCursorPos(static_cast<int32_t>(static_cast<int64_t>(x) * area.width() / width),
                      static_cast<int32_t>(static_cast<int64_t>(y) * area.height() / height));
}

void aInputServer::setCursor(aSprite* sprite, uint16_t hotX, uint16_t hotY) {
    // A change of sprite installs a copy, null removes the sprite cursor; the
    // same sprite again leaves the cursor as it is.
    if (sprite != m_lastSprite || !sprite) {
        if (m_host)
            m_host->setCursorSprite(sprite);
    }
    m_lastSprite = sprite;
    refreshCursor();
    m_hotX = hotX;
    m_hotY = hotY;
}

void aInputServer::setSystemCursor(int32_t id) {
    if (m_host) {
        m_host->setCursorSprite(nullptr);
        m_host->setSystemCursorId(id);
    }
    m_lastSprite = nullptr;
    refreshCursor();
}

bool aInputServer::isToggled(aToggleKey key) const {
    aPlatformWindow* win = window();
    return win ? win->isToggled(key) : false;
}
