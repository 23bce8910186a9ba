#pragma once
// A text button whose lines can be struck through with an animated stroke
// (widget type "crossbutton"): the lines of the hidden-object rooms' item
// lists and the evidence room's entries.
//
// Its text is wrapped to its width at blanks (which become line breaks in
// the text itself) and its height follows the lines: line height times line
// count, minus the line spacing, plus "NextSpacing" (extra room below). Once
// crossed, a stroke runs along the lines at one line a second. The strokes
// come from the GUI image "crossout": three variants stacked, each a third
// of its height; each button picks one at random the first time it is
// crossed.

#include "mirel/gui/gui_buttonbase.h"

class aImage;

class CrossButton : public GUI::ButtonBase {
public:
    explicit CrossButton(const std::string& name);
    ~CrossButton() override = default;

    void EndFillProperties() override;
    std::string GetType() const override { return "CrossButton"; }
    bool IsKindOf(const std::string& type) const override {
        return type == "CrossButton" || GUI::ButtonBase::IsKindOf(type);
    }
    void OnTextChanged(GUI::WidgetEventArgs& e) override;
    // The stroke's progress instead of the hover fade.
    void UpdateFade(float dt) override;
    void Draw() override;

    // Nothing when unchanged. Crossing with animation strokes from the start,
    // without it shows the whole stroke at once.
    void SetCrossed(bool crossed, bool animated);

    bool IsCrossed() const { return m_crossed; }
    int32_t GetNextSpacing() const { return m_nextSpacing; }
    int32_t GetVariant() const { return m_variant; }
    float GetProgress() const { return m_progress; }
    int32_t GetLineCount() const { return m_lineCount; }
    float GetLineHeight() const { return m_lineHeight; }

private:
    void WrapText();

    int32_t m_nextSpacing = 0;
    bool m_crossed = false;
    int32_t m_variant = -1;
    float m_progress = 0.0f; // in lines
    int32_t m_lineCount = 1;
    float m_lineHeight = 0.0f;
    aImage* m_stroke = nullptr; // the image manager's "crossout"
    GUI::Property m_propNextSpacing;
};
