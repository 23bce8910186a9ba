#pragma once
// The widget's text laid out into lines: explicit line breaks, optional word
// wrap, left, centred, right or justified lines, top, centred or bottom
// placement, extra line spacing, colours for the enabled and disabled state,
// and scrolling through the scrollbars named after the widget plus
// "_auto_hscroll" and "_auto_vscroll" (found anywhere in the GUI tree). The
// layout is cached and rebuilt only after a change that affects it.

#include "mirel/gui/gui_widget.h"

#include <string>
#include <vector>

namespace GUI {

class Scrollbar;

class StaticText : public Widget {
public:
    enum HorzFormatting { HF_LEFT = 0, HF_CENTER = 1, HF_RIGHT = 2, HF_WIDTH = 3 };
    enum VertFormatting { VF_TOP = 0, VF_CENTER = 1, VF_BOTTOM = 2 };

    struct Word {
        std::u16string text;
        float x = 0.0f; // from the widget's left edge
    };
    struct Line {
        std::vector<Word> words;
        float width = 0.0f;
    };

    explicit StaticText(const std::string& name);
    ~StaticText() override;

    void EndFillProperties() override;
    std::string GetType() const override { return "StaticText"; }
    bool IsKindOf(const std::string& type) const override { return type == "StaticText"; }
    void Initialize() override;
    void Draw() override;
    void UpdateFade(float dt) override;
    void OnTextChanged(WidgetEventArgs& e) override;
    void OnFontChanged(WidgetEventArgs& e) override;
    void OnSized(WidgetEventArgs& e) override;

    // The scrollbars' "PositionChanged": copy their position into the offsets.
    virtual bool OnHorzScrollPositionChanged(const EventArgs& e);
    virtual bool OnVertScrollPositionChanged(const EventArgs& e);

    // The laid-out height; the widget's height when the text is higher and a
    // vertical scrollbar scrolls it.
    float GetTextHeight();
    void SetLineSpacing(float spacing);
    float GetLineSpacing() const { return m_lineSpacing; }
    HorzFormatting GetHorzFormatting() const { return m_horzFormatting; }
    VertFormatting GetVertFormatting() const { return m_vertFormatting; }
    bool IsWordWrap() const { return m_wordWrap; }
    float GetHorzOffset() const { return m_horzOffset; }
    float GetVertOffset() const { return m_vertOffset; }
    // The scrollbars while they exist (null otherwise).
    Scrollbar* GetHorzScrollbar() const;
    Scrollbar* GetVertScrollbar() const;

    // The current layout (rebuilt first when out of date).
    const std::vector<Line>& GetLayout();
    float GetTextWidth();

protected:
    void Layout();

    float m_normalColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float m_disabledColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    HorzFormatting m_horzFormatting = HF_LEFT;
    VertFormatting m_vertFormatting = VF_TOP;
    float m_lineSpacing = 0.0f;
    bool m_wordWrap = true;
    float m_horzOffset = 0.0f;
    float m_vertOffset = 0.0f;
    Scrollbar* m_horzScroll = nullptr;
    Scrollbar* m_vertScroll = nullptr;

    std::vector<Line> m_lines;
    float m_textWidth = 0.0f;
    float m_textHeight = 0.0f;
    bool m_dirty = true;

    Property m_propTextNormalColor;
    Property m_propTextDisabledColor;
    Property m_propHorzFormatting;
    Property m_propVertFormatting;
    Property m_propLineSpacing;
    Property m_propWordWrap;

private:
    _memberBinder<StaticText> m_horzBinder{this, &StaticText::OnHorzScrollPositionChanged};
    _memberBinder<StaticText> m_vertBinder{this, &StaticText::OnVertScrollPositionChanged};
    // The scrollbars may live outside this widget's subtree: disconnecting
    // when either side dies keeps both safe.
    ScopedConnection m_horzConnection;
    ScopedConnection m_vertConnection;
};

} // namespace GUI
