#include "mirel/gui/gui_window.h"

#include "mirel/gui/gui_stylebutton.h"

#include <algorithm>

namespace GUI {

const std::string Window::EventDragStarted = "DragStarted";
const std::string Window::EventDragging = "Dragging";
const std::string Window::EventDragFinished = "DragFinished";

Window::Window(const std::string& name) : Widget(name) {
    AddProperty("Drag", &m_propDrag);
    AddProperty("NormalStyle", &m_propNormalStyle);
    AddProperty("HoverStyle", &m_propHoverStyle);
    AddProperty("DisabledStyle", &m_propDisabledStyle);
    AddEvent(EventDragStarted);
    AddEvent(EventDragging);
    AddEvent(EventDragFinished);
}

void Window::EndFillProperties() {
    Widget::EndFillProperties();
    if (m_propDrag.set)
        m_dragAllowed = PropertyToBool(m_propDrag.value);
    if (m_propNormalStyle.set)
        m_normalStyle = LookUpStyle(m_propNormalStyle.value);
    if (m_propHoverStyle.set)
        m_hoverStyle = LookUpStyle(m_propHoverStyle.value);
    if (m_propDisabledStyle.set)
        m_disabledStyle = LookUpStyle(m_propDisabledStyle.value);
}

void Window::Draw() {
    if (!IsEnabled() && m_disabledStyle) {
        DrawWidgetStyle(*this, m_disabledStyle);
        return;
    }
    DrawWidgetStyle(*this, m_normalStyle);
    DrawWidgetStyle(*this, m_hoverStyle, m_hoverFactor);
}

void Window::OnMouseDown(MouseEventArgs& e) {
    std::weak_ptr<const bool> life = GetLifeToken();
    Widget::OnMouseDown(e);
    if (life.expired() || !m_dragAllowed || e.button != 0 || !m_parent)
        return;
    // The pointer in the parent's coordinates.
    m_grabX = GetX() + e.x;
    m_grabY = GetY() + e.y;
    if (m_parent->IsPointInside(m_grabX, m_grabY)) {
        m_dragging = true;
        WidgetEventArgs args;
        args.widget = this;
        OnDragStarted(args);
    }
}

void Window::OnMouseMove(MouseEventArgs& e) {
    std::weak_ptr<const bool> life = GetLifeToken();
    Widget::OnMouseMove(e);
    if (life.expired() || !m_dragging || (e.dx == 0 && e.dy == 0) || !m_parent)
        return;
    // The pointer is kept inside the parent before the window follows it.
    const int32_t x = std::clamp(GetX() + e.x, 0, std::max(0, int32_t(m_parent->GetWidth()) - 1));
    const int32_t y = std::clamp(GetY() + e.y, 0, std::max(0, int32_t(m_parent->GetHeight()) - 1));
    const int32_t moveX = x - m_grabX;
    const int32_t moveY = y - m_grabY;
    m_grabX = x;
    m_grabY = y;
    SetPosition(int16_t(m_area.x + moveX), int16_t(m_area.y + moveY));
    if (life.expired())
        return;
    WidgetEventArgs args;
    args.widget = this;
    OnDragging(args);
}

void Window::OnMouseUp(MouseEventArgs& e) {
    std::weak_ptr<const bool> life = GetLifeToken();
    Widget::OnMouseUp(e);
    if (life.expired() || !m_dragging || e.button != 0)
        return;
    m_dragging = false;
    WidgetEventArgs args;
    args.widget = this;
    OnDragFinished(args);
}

void Window::OnDragStarted(WidgetEventArgs& e) {
    Raise(EventDragStarted, e);
}
void Window::OnDragging(WidgetEventArgs& e) {
    Raise(EventDragging, e);
}
void Window::OnDragFinished(WidgetEventArgs& e) {
    Raise(EventDragFinished, e);
}

} // namespace GUI
