#pragma once
// An animated mouse pointer cut from an image, with a hot spot. Filled from a
// "cursor" section of a GUI script; while active it is the input server's
// pointer (a cursor without frames shows the system arrow).

#include "mirel/gfx/a_anim.h"
#include "mirel/gui/gui_property.h"

#include <cstdint>

namespace GUI {

class MouseCursor : public PropertySet {
public:
    // The system arrow pointer.
    static constexpr int32_t SYSTEM_ARROW = 32512;

    MouseCursor();
    ~MouseCursor() override;

    void EndFillProperties() override;

    // Makes the cursor the input server's pointer, or removes it.
    void SetActive(bool active);
    bool IsActive() const { return m_active; }
    // Stores the hot spot; an active cursor hands it to the input server again.
    void SetHotSpot(int32_t x, int32_t y);
    int32_t GetHotSpotX() const { return m_hotX; }
    int32_t GetHotSpotY() const { return m_hotY; }

    const aAnim& GetAnim() const { return m_anim; }

private:
    void Apply() const;

    aAnim m_anim;
    bool m_active = false;
    int32_t m_hotX = 0;
    int32_t m_hotY = 0;

    Property m_propNumFrames, m_propFrameSize, m_propFPS, m_propImage, m_propImageRect, m_propHotSpot;
};

} // namespace GUI
