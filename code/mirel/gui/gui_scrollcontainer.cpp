#include "mirel/gui/gui_scrollcontainer.h"

#include "mirel/base/a_log.h"
#include "mirel/gui/gui_scrollbar.h"

#include <algorithm>

namespace GUI {

const std::string ScrollContainer::EventPositionChanged = "PositionChanged";

ScrollContainer::ScrollContainer(const std::string& name) : Widget(name) {
    AddEvent(EventPositionChanged);
}

Scrollbar* ScrollContainer::FindScrollbar(const std::string& suffix, std::weak_ptr<const bool>& life) {
    life.reset();
    Widget* child = FindChild(m_name + suffix, true);
    if (!child)
        return nullptr;
    auto* scrollbar = dynamic_cast<Scrollbar*>(child);
    if (!scrollbar) {
        a_log("ScrollContainer::Initialize - '%s' is not a scrollbar", child->GetName().c_str());
        return nullptr;
    }
    life = scrollbar->GetLifeToken();
    return scrollbar;
}

void ScrollContainer::Initialize() {
    Widget::Initialize();
    m_hConnection.Disconnect();
    m_vConnection.Disconnect();
    m_hScroll = FindScrollbar("_auto_hscroll", m_hLife);
    if (m_hScroll) {
        m_hConnection = m_hScroll->SubscribeEvent(Scrollbar::EventPositionChanged, &m_hBinder);
        m_hScroll->BeginFillProperties();
        m_hScroll->Set("ClipByParent", "0");
        m_hScroll->EndFillProperties();
    }
    m_vScroll = FindScrollbar("_auto_vscroll", m_vLife);
    if (m_vScroll) {
        m_vConnection = m_vScroll->SubscribeEvent(Scrollbar::EventPositionChanged, &m_vBinder);
        m_vScroll->BeginFillProperties();
        m_vScroll->Set("ClipByParent", "0");
        m_vScroll->EndFillProperties();
    }
}

Scrollbar* ScrollContainer::GetHorizontalScrollbar() const {
    return m_hLife.expired() ? nullptr : m_hScroll;
}
Scrollbar* ScrollContainer::GetVerticalScrollbar() const {
    return m_vLife.expired() ? nullptr : m_vScroll;
}

void ScrollContainer::UpdatePageSizes() {
    // A page of 0 would make the scrollbar's arithmetic divide by zero.
    if (Scrollbar* h = GetHorizontalScrollbar(); h && m_area.width > 0)
        h->SetPageSize(float(m_area.width));
    if (Scrollbar* v = GetVerticalScrollbar(); v && m_area.height > 0)
        v->SetPageSize(float(m_area.height));
}

void ScrollContainer::OnSized(WidgetEventArgs& e) {
    UpdatePageSizes();
    SetScrollOffsets(m_offsetX, m_offsetY);
    Widget::OnSized(e);
}

bool ScrollContainer::OnHorizontalScroll(const EventArgs&) {
    Scrollbar* h = GetHorizontalScrollbar();
    if (m_scrolling || !h)
        return false;
    m_offsetX = h->GetScrollPosition();
    LaunchPositionChanged();
    return true;
}

bool ScrollContainer::OnVerticalScroll(const EventArgs&) {
    Scrollbar* v = GetVerticalScrollbar();
    if (m_scrolling || !v)
        return false;
    m_offsetY = v->GetScrollPosition();
    LaunchPositionChanged();
    return true;
}

void ScrollContainer::OnPositionChanged(WidgetEventArgs& e) {
    Raise(EventPositionChanged, e);
}

void ScrollContainer::LaunchPositionChanged() {
    WidgetEventArgs e;
    e.widget = this;
    OnPositionChanged(e);
}

void ScrollContainer::SetScrollOffsets(float x, float y) {
    const float maxX = m_contentWidth - float(m_area.width);
    const float maxY = m_contentHeight - float(m_area.height);
    x = (maxX < 0.0f || !(x >= 0.0f)) ? 0.0f : std::min(x, maxX);
    y = (maxY < 0.0f || !(y >= 0.0f)) ? 0.0f : std::min(y, maxY);
    if (x == m_offsetX && y == m_offsetY)
        return;
    m_scrolling = true;
    const std::weak_ptr<const bool> life = GetLifeToken();
    if (Scrollbar* h = GetHorizontalScrollbar())
        h->SetScrollPosition(x);
    if (life.expired())
        return;
    if (Scrollbar* v = GetVerticalScrollbar())
        v->SetScrollPosition(y);
    if (life.expired())
        return;
    m_offsetX = x;
    m_offsetY = y;
    m_scrolling = false;
    LaunchPositionChanged();
}

void ScrollContainer::SetContentSize(float width, float height) {
    m_contentWidth = std::max(0.0f, width);
    m_contentHeight = std::max(0.0f, height);
    const std::weak_ptr<const bool> life = GetLifeToken();
    if (Scrollbar* h = GetHorizontalScrollbar())
        h->SetDocumentSize(m_contentWidth);
    if (life.expired())
        return;
    if (Scrollbar* v = GetVerticalScrollbar())
        v->SetDocumentSize(m_contentHeight);
    if (life.expired())
        return;
    SetScrollOffsets(m_offsetX, m_offsetY);
}

} // namespace GUI
