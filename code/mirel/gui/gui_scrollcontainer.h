#pragma once
// The base of widgets whose content is larger than their area: it holds the
// content's scroll offsets and keeps them in step with two child scrollbars
// named after it plus "_auto_hscroll" and "_auto_vscroll". Either scrollbar
// may be missing; the offsets then follow SetScrollOffsets alone.

#include "mirel/gui/gui_widget.h"

#include <memory>
#include <string>

namespace GUI {

class Scrollbar;

class ScrollContainer : public Widget {
public:
    static const std::string EventPositionChanged;

    explicit ScrollContainer(const std::string& name);
    ~ScrollContainer() override = default;

    std::string GetType() const override { return "ScrollContainer"; }
    bool IsKindOf(const std::string& type) const override { return type == "ScrollContainer"; }
    void Initialize() override;
    void Draw() override = 0;
    void OnSized(WidgetEventArgs& e) override;

    // Handlers of the scrollbars' "PositionChanged".
    virtual bool OnHorizontalScroll(const EventArgs& e);
    virtual bool OnVerticalScroll(const EventArgs& e);
    // Launches "PositionChanged".
    virtual void OnPositionChanged(WidgetEventArgs& e);

    // Scrolls to the offsets, each held within 0 .. content size - area size.
    void SetScrollOffsets(float x, float y);
    float GetHorizontalOffset() const { return m_offsetX; }
    float GetVerticalOffset() const { return m_offsetY; }
    float GetContentWidth() const { return m_contentWidth; }
    float GetContentHeight() const { return m_contentHeight; }
    // Null when there is none (or it was destroyed).
    Scrollbar* GetHorizontalScrollbar() const;
    Scrollbar* GetVerticalScrollbar() const;

protected:
    // Stores the content size, hands it to the scrollbars as their document
    // sizes and pulls the offsets back inside it.
    void SetContentSize(float width, float height);
    // The scrollbars' page sizes from the area (an empty side leaves its page as it is).
    void UpdatePageSizes();

    float m_contentWidth = 0.0f;
    float m_contentHeight = 0.0f;
    float m_offsetX = 0.0f;
    float m_offsetY = 0.0f;
    bool m_scrolling = false; // set while the container moves its own scrollbars

private:
    Scrollbar* FindScrollbar(const std::string& suffix, std::weak_ptr<const bool>& life);
    void LaunchPositionChanged();

    Scrollbar* m_hScroll = nullptr;
    Scrollbar* m_vScroll = nullptr;
    std::weak_ptr<const bool> m_hLife;
    std::weak_ptr<const bool> m_vLife;
    _memberBinder<ScrollContainer> m_hBinder{this, &ScrollContainer::OnHorizontalScroll};
    _memberBinder<ScrollContainer> m_vBinder{this, &ScrollContainer::OnVerticalScroll};
    ScopedConnection m_hConnection;
    ScopedConnection m_vConnection;
};

} // namespace GUI
