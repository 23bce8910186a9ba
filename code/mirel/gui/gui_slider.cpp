#include "mirel/gui/gui_slider.h"

#include "mirel/base/a_log.h"

#include <algorithm>

namespace GUI {

const std::string Slider::EventThumbTrackStarted = "ThumbTrackStarted";
const std::string Slider::EventThumbTrackFinished = "ThumbTrackFinished";
const std::string Slider::EventPositionChanged = "PositionChanged";

Slider::Slider(const std::string& name) : Widget(name) {
    AddProperty("Vertical", &m_propVertical);
    AddEvent(EventThumbTrackStarted);
    AddEvent(EventThumbTrackFinished);
    AddEvent(EventPositionChanged);
}

Slider::~Slider() = default;

void Slider::EndFillProperties() {
    Widget::EndFillProperties();
    if (m_propVertical.set)
        m_vertical = PropertyToBool(m_propVertical.value);
}

void Slider::Initialize() {
    Widget::Initialize();
    m_thumbDown.Disconnect();
    m_thumbUp.Disconnect();
    m_thumbMove.Disconnect();
    m_thumb = FindChild(m_name + "_auto_thumb", true);
    if (!m_thumb) {
        a_log("Slider::Initialize - Thumb for slider '%s' not found", m_name.c_str());
        return;
    }
    m_thumbDown = m_thumb->SubscribeEvent(EventMouseDown, &m_thumbDownBinder);
    m_thumbUp = m_thumb->SubscribeEvent(EventMouseUp, &m_thumbUpBinder);
    m_thumbMove = m_thumb->SubscribeEvent(EventMouseMove, &m_thumbMoveBinder);
}

int32_t Slider::GetRange() const {
    if (!m_thumb)
        return 0;
    const int32_t range = m_vertical ? int32_t(m_area.height) - m_thumb->GetHeight()
                                     : int32_t(m_area.width) - m_thumb->GetWidth();
    return std::max(range, 0);
}

void Slider::PlaceThumb(int32_t coordinate) {
    if (!m_thumb)
        return;
    const int16_t c = int16_t(std::clamp(coordinate, -32768, 32767));
    const aRect& r = m_thumb->GetAreaRect();
    if (m_vertical)
        m_thumb->SetPosition(r.x, c);
    else
        m_thumb->SetPosition(c, r.y);
}

void Slider::SetSliderPosition(float value) {
    if (value != m_position) {
        if (!(value > 0.0f)) // also NaN
            value = 0.0f;
        else if (value > 1.0f)
            value = 1.0f;
        m_position = value;
        PlaceThumb(int32_t(value * float(GetRange())));
    }
    WidgetEventArgs e;
    e.widget = this;
    OnPositionChanged(e);
}

bool Slider::OnThumbMouseDown(const EventArgs& args) {
    if (m_drag.Press(static_cast<const MouseEventArgs&>(args), m_vertical)) {
        WidgetEventArgs w;
        w.widget = this;
        OnThumbTrackStarted(w);
    }
    return true;
}

bool Slider::OnThumbMouseUp(const EventArgs& args) {
    if (m_drag.Release(static_cast<const MouseEventArgs&>(args))) {
        WidgetEventArgs w;
        w.widget = this;
        OnThumbTrackFinished(w);
    }
    return true;
}

bool Slider::OnThumbMouseMove(const EventArgs& args) {
    const int32_t range = GetRange();
    int32_t moved = 0;
    if (!m_thumb ||
        !m_drag.Move(static_cast<const MouseEventArgs&>(args), m_vertical, *m_thumb, range, moved))
        return true;
    PlaceThumb(moved);
    // A thumb as long as the track has nowhere to go: the position stays 0.
    m_position = range > 0 ? float(moved) / float(range) : 0.0f;
    WidgetEventArgs w;
    w.widget = this;
    OnPositionChanged(w);
    return true;
}

void Slider::OnThumbTrackStarted(WidgetEventArgs& e) {
    Raise(EventThumbTrackStarted, e);
}
void Slider::OnThumbTrackFinished(WidgetEventArgs& e) {
    Raise(EventThumbTrackFinished, e);
}
void Slider::OnPositionChanged(WidgetEventArgs& e) {
    Raise(EventPositionChanged, e);
}

} // namespace GUI
