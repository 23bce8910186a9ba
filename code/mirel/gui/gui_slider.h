#pragma once
// A track with a draggable thumb child (named after the slider plus
// "_auto_thumb") that yields a position between 0 and 1. The slider draws
// nothing itself: track and thumb are ordinary child widgets.

#include "mirel/gui/gui_thumbdrag.h"
#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class Slider : public Widget {
public:
    static const std::string EventThumbTrackStarted;
    static const std::string EventThumbTrackFinished;
    static const std::string EventPositionChanged;

    explicit Slider(const std::string& name);
    ~Slider() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "Slider"; }
    bool IsKindOf(const std::string& type) const override { return type == "Slider"; }
    void Initialize() override;

    virtual bool OnThumbMouseDown(const EventArgs& e);
    virtual bool OnThumbMouseUp(const EventArgs& e);
    virtual bool OnThumbMouseMove(const EventArgs& e);
    virtual void OnThumbTrackStarted(WidgetEventArgs& e);
    virtual void OnThumbTrackFinished(WidgetEventArgs& e);
    virtual void OnPositionChanged(WidgetEventArgs& e);

    // Clamped to 0..1; always raises PositionChanged.
    void SetSliderPosition(float value);

    bool IsVertical() const { return m_vertical; }
    bool IsTracking() const { return m_drag.IsTracking(); }
    Widget* GetThumb() const { return m_thumb; }

    float m_position = 0.0f; // 0..1, read directly by callers

protected:
    int32_t GetRange() const;
    void PlaceThumb(int32_t coordinate);

    Widget* m_thumb = nullptr;
    bool m_vertical = false;
    ThumbDrag m_drag;

    Property m_propVertical;

private:
    _memberBinder<Slider> m_thumbDownBinder{this, &Slider::OnThumbMouseDown};
    _memberBinder<Slider> m_thumbUpBinder{this, &Slider::OnThumbMouseUp};
    _memberBinder<Slider> m_thumbMoveBinder{this, &Slider::OnThumbMouseMove};
    ScopedConnection m_thumbDown;
    ScopedConnection m_thumbUp;
    ScopedConnection m_thumbMove;
};

} // namespace GUI
