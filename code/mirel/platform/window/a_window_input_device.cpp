#include "mirel/platform/window/a_window_input_device.h"

#include <algorithm>
#include <cstring>

aRawInputSource::~aRawInputSource() {
    detachDevices();
}

void aRawInputSource::loseForegroundDevices() {
    for (aWindowInputDevice* device : m_devices)
        device->lose();
}

void aRawInputSource::detachDevices() {
    std::vector<aWindowInputDevice*> devices;
    devices.swap(m_devices);
    for (aWindowInputDevice* device : devices)
        device->detach();
}

aWindowInputDevice::aWindowInputDevice(aRawInputSource* source, aInputDeviceKind kind)
    : m_source(source), m_kind(kind) {
    if (m_source)
        m_source->m_devices.push_back(this);
}

aWindowInputDevice::~aWindowInputDevice() {
    if (m_source) {
        unacquire();
        auto& list = m_source->m_devices;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

int32_t aWindowInputDevice::setDataFormat(aInputDeviceKind format) {
    if (format != m_kind)
        return A_INPUTERR_INVALIDPARAM;
    if (m_acquired)
        return A_INPUTERR_GENERIC; // the format cannot change while acquired
    m_formatSet = true;
    return A_INPUT_OK;
}

int32_t aWindowInputDevice::setCooperativeLevel(uint32_t flags) {
    const bool exclusive = (flags & A_INPUT_EXCLUSIVE) != 0;
    const bool nonExclusive = (flags & A_INPUT_NONEXCLUSIVE) != 0;
    const bool foreground = (flags & A_INPUT_FOREGROUND) != 0;
    const bool background = (flags & A_INPUT_BACKGROUND) != 0;
    if (exclusive == nonExclusive || foreground == background)
        return A_INPUTERR_INVALIDPARAM;
    if (!m_source)
        return A_INPUTERR_NOTINITIALIZED;
    if (m_acquired)
        return A_INPUTERR_GENERIC;
    m_level = flags;
    return A_INPUT_OK;
}

int32_t aWindowInputDevice::acquire() {
    if (!m_source)
        return A_INPUTERR_NOTINITIALIZED;
    if (!m_formatSet)
        return A_INPUTERR_INVALIDPARAM;
    if (m_acquired)
        return A_INPUT_OK;
    if ((m_level & A_INPUT_FOREGROUND) && !m_source->sourceHasFocus())
        return A_INPUTERR_OTHERAPPHASPRIO;
    m_acquired = true;
    m_lost = false;
    if (m_kind == aInputDeviceKind::Mouse) {
        uint8_t buttons[4];
        m_source->readMouseTotals(m_lastX, m_lastY, m_lastZ, buttons);
        if (m_level & A_INPUT_EXCLUSIVE)
            m_source->setMouseExclusive(true);
    }
    return A_INPUT_OK;
}

int32_t aWindowInputDevice::unacquire() {
    if (!m_acquired)
        return A_INPUT_OK;
    m_acquired = false;
    if (m_source && m_kind == aInputDeviceKind::Mouse && (m_level & A_INPUT_EXCLUSIVE))
        m_source->setMouseExclusive(false);
    return A_INPUT_OK;
}

void aWindowInputDevice::lose() {
    if (m_acquired && (m_level & A_INPUT_FOREGROUND)) {
        unacquire();
        m_lost = true;
    }
}

void aWindowInputDevice::detach() {
    m_acquired = false;
    m_lost = false;
    m_source = nullptr;
}

int32_t aWindowInputDevice::getState(void* data, uint32_t size) {
    m_presses.clear();
    if (!m_source)
        return A_INPUTERR_NOTINITIALIZED;
    if (!data)
        return A_INPUTERR_INVALIDPARAM;
    if (m_kind == aInputDeviceKind::Keyboard ? size != 256 : size != sizeof(aRawMouseState))
        return A_INPUTERR_INVALIDPARAM;
    if (!m_acquired)
        return m_lost ? A_INPUTERR_INPUTLOST : A_INPUTERR_NOTACQUIRED;
    if (m_kind == aInputDeviceKind::Keyboard) {
        m_source->readKeys(static_cast<uint8_t*>(data), m_presses);
        return A_INPUT_OK;
    }
    int64_t x, y, z;
    aRawMouseState state;
    m_source->readMouseTotals(x, y, z, state.buttons);
    state.x = static_cast<int32_t>(x - m_lastX);
    state.y = static_cast<int32_t>(y - m_lastY);
    state.z = static_cast<int32_t>(z - m_lastZ);
    m_lastX = x;
    m_lastY = y;
    m_lastZ = z;
    std::memcpy(data, &state, sizeof(state));
    return A_INPUT_OK;
}
