#include "mirel/gui/gui_scrollbar.h"

#include "mirel/base/a_log.h"

#include <algorithm>
#include <cmath>

namespace GUI {

const std::string Scrollbar::EventThumbTrackStarted = "ThumbTrackStarted";
const std::string Scrollbar::EventThumbTrackFinished = "ThumbTrackFinished";
const std::string Scrollbar::EventPositionChanged = "PositionChanged";

Scrollbar::Scrollbar(const std::string& name) : Widget(name) {
    AddProperty("Vertical", &m_propVertical);
    AddProperty("StepValue", &m_propStepValue);
    AddProperty("Stretch", &m_propStretch);
    AddProperty("AutoHide", &m_propAutoHide);
    AddEvent(EventThumbTrackStarted);
    AddEvent(EventThumbTrackFinished);
    AddEvent(EventPositionChanged);
}

Scrollbar::~Scrollbar() = default;

void Scrollbar::EndFillProperties() {
    Widget::EndFillProperties();
    if (m_propVertical.set)
        m_vertical = PropertyToBool(m_propVertical.value);
    if (m_propStepValue.set)
        m_stepValue = PropertyToFloat(m_propStepValue.value);
    if (m_propStretch.set)
        m_stretch = PropertyToBool(m_propStretch.value);
    if (m_propAutoHide.set)
        m_autoHide = PropertyToBool(m_propAutoHide.value);
}

void Scrollbar::Initialize() {
    Widget::Initialize();
    m_thumbDown.Disconnect();
    m_thumbUp.Disconnect();
    m_thumbMove.Disconnect();
    m_incClick.Disconnect();
    m_decClick.Disconnect();

    m_thumb = FindChild(m_name + "_auto_thumb", true);
    if (!m_thumb) {
        a_log("Scrollbar::Initialize - Thumb for scrollbar '%s' not found", m_name.c_str());
    } else {
        m_thumbDown = m_thumb->SubscribeEvent(EventMouseDown, &m_thumbDownBinder);
        m_thumbUp = m_thumb->SubscribeEvent(EventMouseUp, &m_thumbUpBinder);
        m_thumbMove = m_thumb->SubscribeEvent(EventMouseMove, &m_thumbMoveBinder);
    }
    m_incButton = FindChild(m_name + "_auto_incbtn", true);
    if (m_incButton)
        m_incClick = m_incButton->SubscribeEvent(EventClick, &m_incBinder);
    m_decButton = FindChild(m_name + "_auto_decbtn", true);
    if (m_decButton)
        m_decClick = m_decButton->SubscribeEvent(EventClick, &m_decBinder);
}

int32_t Scrollbar::GetRange() const {
    if (!m_thumb)
        return 0;
    const int32_t range = m_vertical ? int32_t(m_area.height) - m_thumb->GetHeight()
                                     : int32_t(m_area.width) - m_thumb->GetWidth();
    return std::max(range, 0);
}

float Scrollbar::GetMax() const {
    const float max = m_documentSize - m_pageSize;
    return max > 0.0f ? max : 0.0f;
}

void Scrollbar::PlaceThumb(int32_t coordinate) {
    if (!m_thumb)
        return;
    const int16_t c = int16_t(std::clamp(coordinate, -32768, 32767));
    const aRect& r = m_thumb->GetAreaRect();
    if (m_vertical)
        m_thumb->SetPosition(r.x, c);
    else
        m_thumb->SetPosition(c, r.y);
}

void Scrollbar::SetPageSize(float size) {
    if (size == 0.0f)
        a_log("%s: %s %s", "GUI::Scrollbar::SetPageSize", "size", a_assertLocation(__FILE__, __LINE__));
    m_pageSize = std::isfinite(size) ? size : 0.0f;
    UpdateThumb();
}

void Scrollbar::SetDocumentSize(float size) {
    m_documentSize = std::isfinite(size) ? size : 0.0f;
    UpdateThumb();
}

void Scrollbar::UpdateThumb() {
    PlaceThumb(0);
    // The document fits when it is no larger than the page; with a page of 0
    // or less only an empty document fits.
    const bool fits = m_documentSize <= m_pageSize || (m_pageSize <= 0.0f && m_documentSize <= 0.0f);
    const int32_t length = m_vertical ? m_area.height : m_area.width;
    if (fits) {
        if (m_autoHide) {
            SetVisible(false);
        } else if (m_thumb && m_stretch) {
            if (m_vertical)
                m_thumb->SetHeight(int16_t(length));
            else
                m_thumb->SetSize(int16_t(length), m_thumb->GetHeight());
        } else if (m_thumb) {
            m_thumb->SetVisible(false);
            if (m_incButton)
                m_incButton->SetEnabled(false);
            if (m_decButton)
                m_decButton->SetEnabled(false);
        }
    } else {
        if (m_thumb) {
            if (m_stretch) {
                const float page = std::max(m_pageSize, 0.0f);
                const int16_t thumbLength = int16_t(float(length) * page / m_documentSize);
                if (m_vertical)
                    m_thumb->SetHeight(thumbLength);
                else
                    m_thumb->SetSize(thumbLength, m_thumb->GetHeight());
            }
            // Undo what an earlier fitting document did with stretch off.
            m_thumb->SetVisible(true);
            if (m_incButton)
                m_incButton->SetEnabled(true);
            if (m_decButton)
                m_decButton->SetEnabled(true);
        }
        SetVisible(true);
    }

    // Keep the position within the new range and the thumb where it says.
    const float max = GetMax();
    const float position = std::clamp(m_scrollPosition, 0.0f, max);
    const bool moved = position != m_scrollPosition;
    m_scrollPosition = position;
    if (max > 0.0f && position > 0.0f)
        PlaceThumb(int32_t(position / max * float(GetRange())));
    if (moved) {
        WidgetEventArgs e;
        e.widget = this;
        OnPositionChanged(e);
    }
}

void Scrollbar::SetScrollPosition(float position) {
    const float max = GetMax();
    if (!(position > 0.0f)) // also NaN
        position = 0.0f;
    else if (position > max)
        position = max;
    if (position == m_scrollPosition)
        return;
    m_scrollPosition = position;
    PlaceThumb(max > 0.0f ? int32_t(position / max * float(GetRange())) : 0);
    WidgetEventArgs e;
    e.widget = this;
    OnPositionChanged(e);
}

bool Scrollbar::OnThumbMouseDown(const EventArgs& args) {
    if (m_drag.Press(static_cast<const MouseEventArgs&>(args), m_vertical)) {
        WidgetEventArgs w;
        w.widget = this;
        OnThumbTrackStarted(w);
    }
    return true;
}

bool Scrollbar::OnThumbMouseUp(const EventArgs& args) {
    if (m_drag.Release(static_cast<const MouseEventArgs&>(args))) {
        WidgetEventArgs w;
        w.widget = this;
        OnThumbTrackFinished(w);
    }
    return true;
}

bool Scrollbar::OnThumbMouseMove(const EventArgs& args) {
    const int32_t range = GetRange();
    int32_t moved = 0;
    if (!m_thumb ||
        !m_drag.Move(static_cast<const MouseEventArgs&>(args), m_vertical, *m_thumb, range, moved))
        return true;
    PlaceThumb(moved);
    m_scrollPosition = range > 0 ? GetMax() * float(moved) / float(range) : 0.0f;
    WidgetEventArgs w;
    w.widget = this;
    OnPositionChanged(w);
    return true;
}

bool Scrollbar::OnIncrementClick(const EventArgs&) {
    return true;
}
bool Scrollbar::OnDecrementClick(const EventArgs&) {
    return true;
}

void Scrollbar::OnThumbTrackStarted(WidgetEventArgs& e) {
    Raise(EventThumbTrackStarted, e);
}
void Scrollbar::OnThumbTrackFinished(WidgetEventArgs& e) {
    Raise(EventThumbTrackFinished, e);
}
void Scrollbar::OnPositionChanged(WidgetEventArgs& e) {
    Raise(EventPositionChanged, e);
}

} // namespace GUI
