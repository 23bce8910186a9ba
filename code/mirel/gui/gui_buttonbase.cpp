#include "mirel/gui/gui_buttonbase.h"

#include "mirel/base/a_string.h"
#include "mirel/gfx/a_font.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace GUI {

namespace {

HorizontalAlignment ReadHorz(const std::string& v) {
    return a_stricmp(v, "center") == 0 ? HA_CENTER : a_stricmp(v, "right") == 0 ? HA_RIGHT : HA_LEFT;
}

VerticalAlignment ReadVert(const std::string& v) {
    return a_stricmp(v, "center") == 0 ? VA_CENTER : a_stricmp(v, "bottom") == 0 ? VA_BOTTOM : VA_TOP;
}

void ReadTwoFloats(const std::string& value, float out[2]) {
    float a = 0.0f, b = 0.0f;
    std::sscanf(value.c_str(), "%f %f", &a, &b);
    out[0] = std::isfinite(a) ? a : 0.0f;
    out[1] = std::isfinite(b) ? b : 0.0f;
}

} // namespace

ButtonBase::ButtonBase(const std::string& name) : Widget(name) {
    for (auto& c : m_textColors)
        for (float& v : c)
            v = 1.0f;
    AddProperty("TextHorzAlign", &m_propTextHorzAlign);
    AddProperty("TextVertAlign", &m_propTextVertAlign);
    AddProperty("TextPushOffset", &m_propTextPushOffset);
    AddProperty("TextExtent", &m_propTextExtent);
    AddProperty("TextColor", &m_propTextColor);
    AddProperty("TextNormalColor", &m_propTextNormalColor);
    AddProperty("TextDisabledColor", &m_propTextDisabledColor);
    AddProperty("TextHoverColor", &m_propTextHoverColor);
    AddProperty("TextPushedColor", &m_propTextPushedColor);
    AddProperty("LineSpacing", &m_propLineSpacing);
    AddProperty("ForceIntXY", &m_propForceIntXY);
}

void ButtonBase::EndFillProperties() {
    Widget::EndFillProperties();
    if (m_propTextColor.set) {
        unsigned v[4] = {0, 0, 0, 0};
        std::sscanf(m_propTextColor.value.c_str(), "%x %x %x %x", &v[0], &v[1], &v[2], &v[3]);
        SetTextColors(v[0], v[1], v[2], v[3]);
    }
    if (m_propTextNormalColor.set)
        SetTextNormalColor(PropertyToHex(m_propTextNormalColor.value));
    if (m_propTextDisabledColor.set)
        SetTextDisabledColor(PropertyToHex(m_propTextDisabledColor.value));
    if (m_propTextHoverColor.set)
        SetTextHoverColor(PropertyToHex(m_propTextHoverColor.value));
    if (m_propTextPushedColor.set)
        SetTextPushedColor(PropertyToHex(m_propTextPushedColor.value));
    if (m_propTextExtent.set)
        ReadTwoFloats(m_propTextExtent.value, m_textExtent);
    if (m_propTextPushOffset.set)
        ReadTwoFloats(m_propTextPushOffset.value, m_pushOffset);
    if (m_propTextHorzAlign.set)
        m_textHorzAlign = ReadHorz(m_propTextHorzAlign.value);
    if (m_propTextVertAlign.set)
        m_textVertAlign = ReadVert(m_propTextVertAlign.value);
    if (m_propLineSpacing.set)
        m_lineSpacing = PropertyToFloat(m_propLineSpacing.value);
    if (m_propForceIntXY.set)
        m_forceIntXY = PropertyToBool(m_propForceIntXY.value);
}

void ButtonBase::SetColor(int index, uint32_t argb) {
    ArgbToColor(argb, m_textColors[index]);
}
void ButtonBase::SetTextNormalColor(uint32_t argb) {
    SetColor(COLOR_NORMAL, argb);
}
void ButtonBase::SetTextHoverColor(uint32_t argb) {
    SetColor(COLOR_HOVER, argb);
}
void ButtonBase::SetTextPushedColor(uint32_t argb) {
    SetColor(COLOR_PUSHED, argb);
}
void ButtonBase::SetTextDisabledColor(uint32_t argb) {
    SetColor(COLOR_DISABLED, argb);
}

void ButtonBase::SetTextColors(uint32_t normal, uint32_t hover, uint32_t pushed, uint32_t disabled) {
    SetTextNormalColor(normal);
    SetTextHoverColor(hover);
    SetTextPushedColor(pushed);
    SetTextDisabledColor(disabled);
}

uint32_t ButtonBase::GetTextColor() const {
    float c[4];
    if (!IsEnabled()) {
        for (int i = 0; i < 4; ++i)
            c[i] = m_textColors[COLOR_DISABLED][i];
    } else if (m_pushed) {
        for (int i = 0; i < 4; ++i)
            c[i] = m_textColors[COLOR_PUSHED][i];
    } else {
        const float f = m_hoverFactor;
        for (int i = 0; i < 4; ++i) {
            const float n = m_textColors[COLOR_NORMAL][i];
            c[i] = n + (m_textColors[COLOR_HOVER][i] - n) * f;
        }
    }
    return ColorToArgb(c);
}

void ButtonBase::OnMouseDown(MouseEventArgs& e) {
    m_pushed = e.button == 0;
    Widget::OnMouseDown(e);
}

void ButtonBase::OnMouseUp(MouseEventArgs& e) {
    m_pushed = false;
    Widget::OnMouseUp(e);
}

void ButtonBase::Draw() {
    aFont* font = GetFont();
    if (!font || m_text.empty())
        return;
    font->setSize(GetFontSize());

    std::vector<std::u16string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = m_text.find(u'\n', start);
        lines.push_back(
            m_text.substr(start, end == std::u16string::npos ? std::u16string::npos : end - start));
        if (end == std::u16string::npos)
            break;
        start = end + 1;
    }

    float unused = 0.0f, lineHeight = 0.0f;
    font->getTextExtentW(std::u16string(), unused, lineHeight);
    const float n = float(lines.size());
    const float blockHeight = n * lineHeight + (n - 1.0f) * m_lineSpacing;
    const float left = float(GetAbsoluteX());
    const float top = float(GetAbsoluteY());
    const float width = float(m_area.width);
    const float height = float(m_area.height);

    float y = top + m_textExtent[1];
    if (m_textVertAlign == VA_CENTER)
        y = top + (height - blockHeight) * 0.5f;
    else if (m_textVertAlign == VA_BOTTOM)
        y = top + height - blockHeight - m_textExtent[1];

    // The text fades with the widget.
    uint32_t colour = GetTextColor();
    const uint32_t alpha = uint32_t(ColorChannelToByte(float(colour >> 24) / 255.0f * GetAlpha()));
    colour = (colour & 0x00FFFFFFu) | alpha << 24;
    font->setColor(colour);
    const uint32_t flags = m_forceIntXY ? A_FONT_SNAP : 0u;
    for (const std::u16string& line : lines) {
        float lineWidth = 0.0f, h = 0.0f;
        font->getTextExtentW(line, lineWidth, h);
        float x = left + m_textExtent[0];
        if (m_textHorzAlign == HA_CENTER)
            x = left + (width - lineWidth) * 0.5f;
        else if (m_textHorzAlign == HA_RIGHT)
            x = left + width - lineWidth - m_textExtent[0];
        float ly = y;
        if (m_pushed) {
            x += m_pushOffset[0];
            ly += m_pushOffset[1];
        }
        if (alpha)
            font->drawTextW(x, ly, line, flags);
        y += lineHeight + m_lineSpacing;
    }
}

} // namespace GUI
