#include "mirel/gui/gui_optionbutton.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_font.h"

namespace GUI {

const std::string OptionButton::EventOptionChanged = "OptionChanged";

OptionButton::OptionButton(const std::string& name) : ButtonBase(name) {
    AddEvent(EventOptionChanged);
}

void OptionButton::OnClick(MouseEventArgs& e) {
    const std::weak_ptr<const bool> life = GetLifeToken();
    ButtonBase::OnClick(e);
    if (life.expired() || m_options.empty())
        return;
    const int count = int(m_options.size());
    if (e.button == 0)
        ChangeTo(m_current + 1 >= count ? 0 : m_current + 1);
    else if (e.button == 1)
        ChangeTo(m_current - 1 < 0 ? count - 1 : m_current - 1);
}

void OptionButton::OnOptionChanged(WidgetEventArgs& e) {
    Raise(EventOptionChanged, e);
}

void OptionButton::ChangeTo(int index) {
    m_current = index;
    WidgetEventArgs e;
    e.widget = this;
    OnOptionChanged(e);
}

void OptionButton::AddOption(const std::u16string& text) {
    m_options.push_back(text);
}

void OptionButton::ClearOptions() {
    m_options.clear();
    if (m_current != -1)
        ChangeTo(-1);
}

void OptionButton::SetCurrentOption(int index) {
    if (index < -1 || index >= int(m_options.size())) {
        a_log("OptionButton::SetCurrentOption - option index %i is out of range", index);
        return;
    }
    if (index != m_current)
        ChangeTo(index);
}

std::u16string OptionButton::GetOption(int index) const {
    if (index < 0 || index >= int(m_options.size()))
        return std::u16string();
    return m_options[size_t(index)];
}

void OptionButton::Draw() {
    aFont* font = GetFont();
    if (!font)
        return;
    font->setSize(GetFontSize());
    float textWidth = 0.0f, textHeight = 0.0f;
    font->getTextExtentW(m_text, textWidth, textHeight);

    const float left = float(GetAbsoluteX());
    const float top = float(GetAbsoluteY());
    const float width = float(m_area.width);
    const float height = float(m_area.height);
    float y = top + m_textExtent[1];
    if (m_textVertAlign == VA_CENTER)
        y = top + (height - textHeight) / 2.0f;
    else if (m_textVertAlign == VA_BOTTOM)
        y = top + height - m_textExtent[1] - textHeight;
    float x = left + m_textExtent[0];
    const bool pushed = m_pushed && IsEnabled();
    if (pushed) {
        x += m_pushOffset[0];
        y += m_pushOffset[1];
    }

    // The text fades with the widget, as the button base's does.
    uint32_t colour = GetTextColor();
    const uint32_t alpha = uint32_t(ColorChannelToByte(float(colour >> 24) / 255.0f * GetAlpha()));
    if (!alpha)
        return;
    font->setColor((colour & 0x00FFFFFFu) | alpha << 24);
    const uint32_t flags = m_forceIntXY ? A_FONT_SNAP : 0u;
    font->drawTextW(x, y, m_text, flags);

    if (m_current < 0 || m_current >= int(m_options.size()))
        return;
    const std::u16string& option = m_options[size_t(m_current)];
    float optionWidth = 0.0f, optionHeight = 0.0f;
    font->getTextExtentW(option, optionWidth, optionHeight);
    float ox = left + width - m_textExtent[0] - optionWidth;
    if (pushed)
        ox += m_pushOffset[0];
    font->drawTextW(ox, y, option, flags);
}

} // namespace GUI
