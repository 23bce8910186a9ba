#pragma once
// The base of the toolkit's buttons: a widget that draws its text, split into
// lines, in the colour of its state (normal fading to hover, pushed, disabled)
// and knows whether the left button holds it pushed.

#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_widget.h"

#include <cstdint>
#include <string>

namespace GUI {

class ButtonBase : public Widget {
public:
    explicit ButtonBase(const std::string& name);
    ~ButtonBase() override = default;

    void EndFillProperties() override;
    std::string GetType() const override { return "ButtonBase"; }
    bool IsKindOf(const std::string& type) const override { return type == "ButtonBase"; }
    void Draw() override;
    void OnMouseDown(MouseEventArgs& e) override;
    void OnMouseUp(MouseEventArgs& e) override;

    // Colours as ARGB.
    void SetTextNormalColor(uint32_t argb);
    void SetTextHoverColor(uint32_t argb);
    void SetTextPushedColor(uint32_t argb);
    void SetTextDisabledColor(uint32_t argb);
    void SetTextColors(uint32_t normal, uint32_t hover, uint32_t pushed, uint32_t disabled);
    // The text colour of the current state.
    uint32_t GetTextColor() const;

    bool IsPushed() const { return m_pushed; }
    HorizontalAlignment GetTextHorzAlign() const { return m_textHorzAlign; }
    VerticalAlignment GetTextVertAlign() const { return m_textVertAlign; }
    float GetLineSpacing() const { return m_lineSpacing; }

protected:
    enum ColorIndex { COLOR_NORMAL = 0, COLOR_DISABLED = 1, COLOR_HOVER = 2, COLOR_PUSHED = 3 };

    float m_textColors[4][4]; // per state: red, green, blue, alpha (0..1)
    HorizontalAlignment m_textHorzAlign = HA_CENTER;
    VerticalAlignment m_textVertAlign = VA_CENTER;
    float m_pushOffset[2] = {0.0f, 0.0f};
    float m_textExtent[2] = {0.0f, 0.0f}; // margin from the edge the text is aligned to
    float m_lineSpacing = 0.0f;
    bool m_forceIntXY = true;
    bool m_pushed = false;

    Property m_propTextHorzAlign;
    Property m_propTextVertAlign;
    Property m_propTextPushOffset;
    Property m_propTextExtent;
    Property m_propTextColor;
    Property m_propTextNormalColor;
    Property m_propTextDisabledColor;
    Property m_propTextHoverColor;
    Property m_propTextPushedColor;
    Property m_propLineSpacing;
    Property m_propForceIntXY;

private:
    void SetColor(int index, uint32_t argb);
};

} // namespace GUI
