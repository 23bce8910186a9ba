#pragma once
// The raw keyboard and mouse devices both backends hand out: acquisition,
// cooperative level and focus rules are shared; the backend supplies the
// current raw state through aRawInputSource.

#include "mirel/platform/window/a_platform_input.h"

#include <cstdint>
#include <vector>

class aWindowInputDevice;

// The keyboard as a backend sees it through its key events: which keys are
// down, and which went down since the last read. The key bytes and the list
// of presses come from the same events, so a key never reads as down before
// its press is listed (and then listed again a read later). A key that went
// down reads as down at the next read even when it was let go before (no
// press is lost between frames), and the presses are listed in their order
// (at most A_MAX_KEY_PRESSES).
class aKeyLatch {
public:
    // A key went down; listed unless it is the system's key repeat.
    void press(uint8_t code, uint8_t modifiers, bool repeat = false) {
        m_down[code] = 0x80;
        m_latched[code] = 0x80;
        if (!repeat && m_presses.size() < A_MAX_KEY_PRESSES)
            m_presses.push_back(aKeyPress{code, modifiers});
    }
    // A key went up.
    void release(uint8_t code) { m_down[code] = 0; }
    bool isDown(uint8_t code) const { return m_down[code] != 0; }
    // Every key went up.
    void releaseAll() {
        for (uint8_t& k : m_down)
            k = 0;
    }
    // The key bytes (0x80: down now or went down since the last read) and
    // the presses since the last read; forgets what went down.
    void read(uint8_t keys[256], std::vector<aKeyPress>& presses) {
        for (int i = 0; i < 256; ++i) {
            keys[i] = m_down[i] | m_latched[i];
            m_latched[i] = 0;
        }
        presses.swap(m_presses);
        m_presses.clear();
    }
    // The focus was lost: nothing that went down before counts (keys still
    // held stay down until they go up).
    void clear() {
        for (uint8_t& k : m_latched)
            k = 0;
        m_presses.clear();
    }

private:
    uint8_t m_down[256] = {};
    uint8_t m_latched[256] = {};
    std::vector<aKeyPress> m_presses;
};

// What a backend window provides to its devices.
class aRawInputSource {
public:
    virtual ~aRawInputSource();
    virtual bool sourceHasFocus() const = 0;
    // The 256 key bytes (0x80 = down) as they are now, a key that went down
    // since the last read counting as down, and the presses since the last
    // read in their order (at most A_MAX_KEY_PRESSES); the source forgets them.
    virtual void readKeys(uint8_t keys[256], std::vector<aKeyPress>& presses) = 0;
    // Mouse totals since the window opened (motion and wheel) and the buttons now.
    virtual void readMouseTotals(int64_t& x, int64_t& y, int64_t& z, uint8_t buttons[4]) = 0;
    // An exclusive mouse is hidden and held inside the window while acquired.
    virtual void setMouseExclusive(bool on) = 0;

    // Called by the backend when the window loses the focus: foreground
    // devices lose their acquisition.
    void loseForegroundDevices();
    // Called by the backend's destructor: devices that outlive it stop working.
    void detachDevices();

private:
    friend class aWindowInputDevice;
    std::vector<aWindowInputDevice*> m_devices;
};

class aWindowInputDevice : public aInputDevice {
public:
    aWindowInputDevice(aRawInputSource* source, aInputDeviceKind kind);
    ~aWindowInputDevice() override;

    aInputDeviceKind kind() const override { return m_kind; }
    int32_t setDataFormat(aInputDeviceKind format) override;
    int32_t setCooperativeLevel(uint32_t flags) override;
    int32_t acquire() override;
    int32_t unacquire() override;
    int32_t getState(void* data, uint32_t size) override;
    const std::vector<aKeyPress>& getPresses() const override { return m_presses; }

    bool isAcquired() const { return m_acquired; }

private:
    friend class aRawInputSource;
    void lose();
    void detach();

    aRawInputSource* m_source;
    aInputDeviceKind m_kind;
    bool m_formatSet = false;
    uint32_t m_level = A_INPUT_NONEXCLUSIVE | A_INPUT_FOREGROUND;
    bool m_acquired = false;
    bool m_lost = false;
    int64_t m_lastX = 0, m_lastY = 0, m_lastZ = 0;
    std::vector<aKeyPress> m_presses;
};

// Registry of the live window (for a_currentPlatformWindow).
class aPlatformWindow;
void a_registerPlatformWindow(aPlatformWindow* window);
void a_unregisterPlatformWindow(aPlatformWindow* window);
