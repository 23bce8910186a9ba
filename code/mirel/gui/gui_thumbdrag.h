#pragma once
// The drag of a scrollbar's or a slider's thumb along its track. A press of
// the left button on the thumb starts it at the pointer's coordinate along
// the track (the grab point), the release ends it. While it lasts the thumb
// follows the pointer's movement, but only while the pointer is on the
// leading side of its grab point, and never past either end of the track.

#include <cstdint>

namespace GUI {

struct MouseEventArgs;
class Widget;

class ThumbDrag {
public:
    // True when the press starts the drag (the left button).
    bool Press(const MouseEventArgs& e, bool vertical);
    // True when the release ends it (the left button).
    bool Release(const MouseEventArgs& e);
    // While the drag lasts: the thumb's new coordinate along the track, 0 to
    // range. False when the thumb stays where it is.
    bool Move(const MouseEventArgs& e, bool vertical, const Widget& thumb, int32_t range,
              int32_t& moved) const;

    bool IsTracking() const { return m_tracking; }

private:
    bool m_tracking = false;
    int32_t m_anchor = 0;
};

} // namespace GUI
