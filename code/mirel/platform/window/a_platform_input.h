#pragma once
// Raw keyboard and mouse devices of the platform window, in the shape the
// input server drives them: create, set the data format, set the cooperative
// level, acquire, read the whole device state once a frame, unacquire.
//
// Keys are indexed by the classic PC scan codes ("DIK" numbering: 1 Escape,
// 28 Enter, 57 Space, extended keys with bit 0x80 set). A raw key byte of 0x80
// or more means down; the same holds for the four mouse button bytes.

#include <cstdint>
#include <memory>
#include <vector>

// Results of device calls. 0 is success; failures carry the classic HRESULT
// values so that callers can tell a lost device from other failures.
enum : int32_t {
    A_INPUT_OK = 0,
    A_INPUTERR_NOTACQUIRED = static_cast<int32_t>(0x8007000cu), // device not acquired
    A_INPUTERR_INPUTLOST = static_cast<int32_t>(0x8007001eu),   // acquisition lost (focus went away)
    A_INPUTERR_OTHERAPPHASPRIO =
        static_cast<int32_t>(0x80070005u), // foreground device while not in the foreground
    A_INPUTERR_INVALIDPARAM = static_cast<int32_t>(0x80070057u), // bad argument (wrong format or buffer size)
    A_INPUTERR_NOTINITIALIZED = static_cast<int32_t>(0x80070015u), // no such device / no window
    A_INPUTERR_GENERIC = static_cast<int32_t>(0x80004005u),
};

// The text of a device result for log lines, e.g. "DIERR_INPUTLOST".
const char* a_inputErrorText(int32_t result);

// Cooperative level flags.
enum : uint32_t {
    A_INPUT_EXCLUSIVE = 0x1,
    A_INPUT_NONEXCLUSIVE = 0x2,
    A_INPUT_FOREGROUND = 0x4,
    A_INPUT_BACKGROUND = 0x8,
};

enum class aInputDeviceKind { Keyboard, Mouse };

// The mouse device state: movement since the previous read (x, y in window
// pixels, wheel z in units of 120 per notch, positive away from the user) and
// the button bytes (0 left, 1 right, 2 middle, 3 fourth; 0x80 = down).
struct aRawMouseState {
    int32_t x = 0;
    int32_t y = 0;
    int32_t z = 0;
    uint8_t buttons[4] = {0, 0, 0, 0};
};

// Shift, ctrl and alt (either side) as held when a key went down.
enum : uint8_t {
    A_KEYMOD_SHIFT = 0x1,
    A_KEYMOD_CTRL = 0x2,
    A_KEYMOD_ALT = 0x4,
};

// One key going down: its scan code and the A_KEYMOD_* keys held at that
// moment, so that a letter typed with shift in a frame where shift was also
// let go still reads as shifted.
struct aKeyPress {
    uint8_t scanCode = 0;
    uint8_t modifiers = 0;
    bool operator==(const aKeyPress&) const = default;
};

// The most presses a keyboard keeps between two reads; later ones still read
// as down in the key bytes but are not listed.
constexpr uint32_t A_MAX_KEY_PRESSES = 256;

// One keyboard or mouse. Created by aPlatformWindow::createInputDevice.
class aInputDevice {
public:
    virtual ~aInputDevice() = default;
    virtual aInputDeviceKind kind() const = 0;
    // The keyboard takes the 256-byte key array format, the mouse aRawMouseState;
    // the other kind gives A_INPUTERR_INVALIDPARAM.
    virtual int32_t setDataFormat(aInputDeviceKind format) = 0;
    // A_INPUT_EXCLUSIVE or A_INPUT_NONEXCLUSIVE combined with A_INPUT_FOREGROUND
    // or A_INPUT_BACKGROUND. Exclusive foreground on the mouse hides the cursor
    // and confines it to the window while acquired.
    virtual int32_t setCooperativeLevel(uint32_t flags) = 0;
    // A foreground device acquires only while the window has the focus
    // (A_INPUTERR_OTHERAPPHASPRIO otherwise); losing the focus unacquires it,
    // and the next getState answers A_INPUTERR_INPUTLOST.
    virtual int32_t acquire() = 0;
    virtual int32_t unacquire() = 0;
    // Keyboard: size 256, data uint8_t[256]. Mouse: size sizeof(aRawMouseState).
    // A_INPUTERR_NOTACQUIRED before acquire, A_INPUTERR_INPUTLOST after the
    // acquisition was lost; the data is left untouched on failure.
    virtual int32_t getState(void* data, uint32_t size) = 0;
    // Keyboard: the keys that went down between the previous successful
    // getState and the last one, in the order they went down. A key pressed
    // twice is listed twice; the system's key repeat is no press. Empty for
    // the mouse and after a failed getState.
    virtual const std::vector<aKeyPress>& getPresses() const = 0;
};

// Scan codes the engine names.
enum : uint8_t {
    A_KEY_ESCAPE = 0x01,
    A_KEY_1 = 0x02,
    A_KEY_2 = 0x03,
    A_KEY_3 = 0x04,
    A_KEY_4 = 0x05,
    A_KEY_5 = 0x06,
    A_KEY_6 = 0x07,
    A_KEY_7 = 0x08,
    A_KEY_8 = 0x09,
    A_KEY_9 = 0x0A,
    A_KEY_0 = 0x0B,
    A_KEY_MINUS = 0x0C,
    A_KEY_EQUALS = 0x0D,
    A_KEY_BACK = 0x0E,
    A_KEY_TAB = 0x0F,
    A_KEY_Q = 0x10,
    A_KEY_W = 0x11,
    A_KEY_E = 0x12,
    A_KEY_R = 0x13,
    A_KEY_T = 0x14,
    A_KEY_Y = 0x15,
    A_KEY_U = 0x16,
    A_KEY_I = 0x17,
    A_KEY_O = 0x18,
    A_KEY_P = 0x19,
    A_KEY_LBRACKET = 0x1A,
    A_KEY_RBRACKET = 0x1B,
    A_KEY_RETURN = 0x1C,
    A_KEY_LCONTROL = 0x1D,
    A_KEY_A = 0x1E,
    A_KEY_S = 0x1F,
    A_KEY_D = 0x20,
    A_KEY_F = 0x21,
    A_KEY_G = 0x22,
    A_KEY_H = 0x23,
    A_KEY_J = 0x24,
    A_KEY_K = 0x25,
    A_KEY_L = 0x26,
    A_KEY_SEMICOLON = 0x27,
    A_KEY_APOSTROPHE = 0x28,
    A_KEY_GRAVE = 0x29,
    A_KEY_LSHIFT = 0x2A,
    A_KEY_BACKSLASH = 0x2B,
    A_KEY_Z = 0x2C,
    A_KEY_X = 0x2D,
    A_KEY_C = 0x2E,
    A_KEY_V = 0x2F,
    A_KEY_B = 0x30,
    A_KEY_N = 0x31,
    A_KEY_M = 0x32,
    A_KEY_COMMA = 0x33,
    A_KEY_PERIOD = 0x34,
    A_KEY_SLASH = 0x35,
    A_KEY_RSHIFT = 0x36,
    A_KEY_MULTIPLY = 0x37,
    A_KEY_LMENU = 0x38,
    A_KEY_SPACE = 0x39,
    A_KEY_CAPITAL = 0x3A,
    A_KEY_F1 = 0x3B,
    A_KEY_F2 = 0x3C,
    A_KEY_F3 = 0x3D,
    A_KEY_F4 = 0x3E,
    A_KEY_F5 = 0x3F,
    A_KEY_F6 = 0x40,
    A_KEY_F7 = 0x41,
    A_KEY_F8 = 0x42,
    A_KEY_F9 = 0x43,
    A_KEY_F10 = 0x44,
    A_KEY_NUMLOCK = 0x45,
    A_KEY_SCROLL = 0x46,
    A_KEY_NUMPAD7 = 0x47,
    A_KEY_NUMPAD8 = 0x48,
    A_KEY_NUMPAD9 = 0x49,
    A_KEY_SUBTRACT = 0x4A,
    A_KEY_NUMPAD4 = 0x4B,
    A_KEY_NUMPAD5 = 0x4C,
    A_KEY_NUMPAD6 = 0x4D,
    A_KEY_ADD = 0x4E,
    A_KEY_NUMPAD1 = 0x4F,
    A_KEY_NUMPAD2 = 0x50,
    A_KEY_NUMPAD3 = 0x51,
    A_KEY_NUMPAD0 = 0x52,
    A_KEY_DECIMAL = 0x53,
    A_KEY_OEM_102 = 0x56,
    A_KEY_F11 = 0x57,
    A_KEY_F12 = 0x58,
    A_KEY_F13 = 0x64,
    A_KEY_F14 = 0x65,
    A_KEY_F15 = 0x66,
    A_KEY_NUMPADENTER = 0x9C,
    A_KEY_RCONTROL = 0x9D,
    A_KEY_MUTE = 0xA0,
    A_KEY_VOLUMEDOWN = 0xAE,
    A_KEY_VOLUMEUP = 0xB0,
    A_KEY_DIVIDE = 0xB5,
    A_KEY_SYSRQ = 0xB7, // Print Screen
    A_KEY_RMENU = 0xB8,
    A_KEY_PAUSE = 0xC5,
    A_KEY_HOME = 0xC7,
    A_KEY_UP = 0xC8,
    A_KEY_PRIOR = 0xC9,
    A_KEY_LEFT = 0xCB,
    A_KEY_RIGHT = 0xCD,
    A_KEY_END = 0xCF,
    A_KEY_DOWN = 0xD0,
    A_KEY_NEXT = 0xD1,
    A_KEY_INSERT = 0xD2,
    A_KEY_DELETE = 0xD3,
    A_KEY_LWIN = 0xDB,
    A_KEY_RWIN = 0xDC,
    A_KEY_APPS = 0xDD,
};

// The scan code of an SDL scancode (SDL_Scancode value), 0 when it has none.
uint8_t a_scanCodeFromSdl(int sdlScancode);

// The toggle keys whose lock state the window reports.
enum class aToggleKey { CapsLock, NumLock, ScrollLock };
