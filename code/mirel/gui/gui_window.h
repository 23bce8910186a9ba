#pragma once
// A widget drawn with styles (normal, hover fading over it, disabled) that the
// user can drag with the left button inside its parent.

#include "mirel/gui/gui_widget.h"

#include <string>

namespace GUI {

class Style;

class Window : public Widget {
public:
    static const std::string EventDragStarted;
    static const std::string EventDragging;
    static const std::string EventDragFinished;

    explicit Window(const std::string& name);
    ~Window() override = default;

    void EndFillProperties() override;
    std::string GetType() const override { return "Window"; }
    bool IsKindOf(const std::string& type) const override { return type == "Window"; }
    void Draw() override;
    void OnMouseMove(MouseEventArgs& e) override;
    void OnMouseDown(MouseEventArgs& e) override;
    void OnMouseUp(MouseEventArgs& e) override;

    virtual void OnDragStarted(WidgetEventArgs& e);
    virtual void OnDragging(WidgetEventArgs& e);
    virtual void OnDragFinished(WidgetEventArgs& e);

    bool IsDragAllowed() const { return m_dragAllowed; }
    bool IsDragging() const { return m_dragging; }

protected:
    bool m_dragAllowed = false;
    bool m_dragging = false;
    int32_t m_grabX = 0; // the pointer in the parent's coordinates
    int32_t m_grabY = 0;
    Style* m_normalStyle = nullptr;
    Style* m_hoverStyle = nullptr;
    Style* m_disabledStyle = nullptr;

    Property m_propDrag;
    Property m_propNormalStyle;
    Property m_propHoverStyle;
    Property m_propDisabledStyle;
};

} // namespace GUI
