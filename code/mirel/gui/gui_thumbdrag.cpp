#include "mirel/gui/gui_thumbdrag.h"

#include "mirel/gui/gui_event.h"
#include "mirel/gui/gui_widget.h"

#include <algorithm>

namespace GUI {

bool ThumbDrag::Press(const MouseEventArgs& e, bool vertical) {
    if (e.button != 0)
        return false;
    m_tracking = true;
    m_anchor = vertical ? e.y : e.x;
    return true;
}

bool ThumbDrag::Release(const MouseEventArgs& e) {
    if (e.button != 0)
        return false;
    m_tracking = false;
    return true;
}

bool ThumbDrag::Move(const MouseEventArgs& e, bool vertical, const Widget& thumb, int32_t range,
                     int32_t& moved) const {
    if (!m_tracking)
        return false;
    const int32_t t = vertical ? thumb.GetAreaRect().y : thumb.GetAreaRect().x;
    const int32_t d = vertical ? e.dy : e.dx;
    const int32_t p = vertical ? e.y : e.x;
    if (d < 0) {
        if (p > m_anchor || t < 1)
            return false;
        moved = std::max(t + d, 0);
    } else {
        if (d < 1 || p < m_anchor || t >= range)
            return false;
        moved = std::min(t + d, range);
    }
    return true;
}

} // namespace GUI
