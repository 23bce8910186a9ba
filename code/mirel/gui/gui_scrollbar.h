#pragma once
// A track with a draggable thumb child and optional increment and decrement
// button children, mapping a document of some size, seen through a page of a
// smaller size, onto the thumb's length and position. Its parts are children
// named after it plus "_auto_thumb", "_auto_incbtn" and "_auto_decbtn".

#include "mirel/gui/gui_thumbdrag.h"
#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class Scrollbar : public Widget {
public:
    static const std::string EventThumbTrackStarted;
    static const std::string EventThumbTrackFinished;
    static const std::string EventPositionChanged;

    explicit Scrollbar(const std::string& name);
    ~Scrollbar() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "Scrollbar"; }
    bool IsKindOf(const std::string& type) const override { return type == "Scrollbar"; }
    void Initialize() override;

    virtual bool OnThumbMouseDown(const EventArgs& e);
    virtual bool OnThumbMouseUp(const EventArgs& e);
    virtual bool OnThumbMouseMove(const EventArgs& e);
    // Clicks on the buttons are consumed and change nothing.
    virtual bool OnIncrementClick(const EventArgs& e);
    virtual bool OnDecrementClick(const EventArgs& e);
    virtual void OnThumbTrackStarted(WidgetEventArgs& e);
    virtual void OnThumbTrackFinished(WidgetEventArgs& e);
    virtual void OnPositionChanged(WidgetEventArgs& e);

    void SetPageSize(float size);
    void SetDocumentSize(float size);
    // Clamped to 0 .. document - page; raises PositionChanged when it moves.
    void SetScrollPosition(float position);

    float GetPageSize() const { return m_pageSize; }
    float GetDocumentSize() const { return m_documentSize; }
    float GetScrollPosition() const { return m_scrollPosition; }
    float GetStepValue() const { return m_stepValue; }
    bool IsVertical() const { return m_vertical; }
    bool IsTracking() const { return m_drag.IsTracking(); }
    Widget* GetThumb() const { return m_thumb; }

    float m_scrollPosition = 0.0f; // read directly by the widgets that own scrollbars

protected:
    void UpdateThumb();
    // Track length minus thumb length along the axis (0 or more).
    int32_t GetRange() const;
    float GetMax() const;
    void PlaceThumb(int32_t coordinate);
    void LaunchNamed(const std::string& name, WidgetEventArgs& e);

    Widget* m_incButton = nullptr;
    Widget* m_decButton = nullptr;
    Widget* m_thumb = nullptr;
    float m_pageSize = 0.0f;
    float m_documentSize = 0.0f;
    float m_stepValue = 0.0f;
    bool m_vertical = false;
    bool m_autoHide = false;
    bool m_stretch = true;
    ThumbDrag m_drag;

    Property m_propVertical;
    Property m_propStepValue;
    Property m_propStretch;
    Property m_propAutoHide;

private:
    _memberBinder<Scrollbar> m_thumbDownBinder{this, &Scrollbar::OnThumbMouseDown};
    _memberBinder<Scrollbar> m_thumbUpBinder{this, &Scrollbar::OnThumbMouseUp};
    _memberBinder<Scrollbar> m_thumbMoveBinder{this, &Scrollbar::OnThumbMouseMove};
    _memberBinder<Scrollbar> m_incBinder{this, &Scrollbar::OnIncrementClick};
    _memberBinder<Scrollbar> m_decBinder{this, &Scrollbar::OnDecrementClick};
    ScopedConnection m_thumbDown;
    ScopedConnection m_thumbUp;
    ScopedConnection m_thumbMove;
    ScopedConnection m_incClick;
    ScopedConnection m_decClick;
};

} // namespace GUI
