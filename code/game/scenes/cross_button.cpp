#include "game/scenes/cross_button.h"

#include "mirel/base/a_random.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widgetfactory.h"

#include <algorithm>

namespace {

[[maybe_unused]] const bool g_registered =
    GUI::WidgetFactory::Instance().Register("crossbutton", &GUI::WidgetFactory::Create<CrossButton>);

constexpr int kVariants = 3;

} // namespace

CrossButton::CrossButton(const std::string& name) : GUI::ButtonBase(name) {
    AddProperty("NextSpacing", &m_propNextSpacing);
    if (GUI::Server* gui = GUI::Server::getSingletonPtr())
        m_stroke = gui->GetImage("crossout");
}

void CrossButton::EndFillProperties() {
    GUI::ButtonBase::EndFillProperties();
    if (m_propNextSpacing.set)
        m_nextSpacing = GUI::PropertyToInt(m_propNextSpacing.value);
}

void CrossButton::OnTextChanged(GUI::WidgetEventArgs& e) {
    WrapText();
    GUI::ButtonBase::OnTextChanged(e);
}

void CrossButton::WrapText() {
    aFont* font = GetFont();
    m_lineCount = 1;
    if (font) {
        font->setSize(GetFontSize());
        const float limit = float(m_area.width);
        auto fits = [&](size_t from, size_t to) {
            float w = 0.0f, h = 0.0f;
            font->getTextExtentW(m_text.substr(from, to - from), w, h);
            return w <= limit;
        };
        size_t lineStart = 0;
        size_t lastFit = std::u16string::npos; // the last blank of this line that fitted
        size_t blank = m_text.find(u' ', lineStart);
        for (;;) {
            if (blank == std::u16string::npos) {
                // The rest of the text up to its end.
                if (!fits(lineStart, m_text.size()) && lastFit != std::u16string::npos) {
                    m_text[lastFit] = u'\n';
                    ++m_lineCount;
                    lineStart = lastFit + 1;
                    lastFit = std::u16string::npos;
                    blank = m_text.find(u' ', lineStart);
                    continue;
                }
                break;
            }
            if (fits(lineStart, blank)) {
                lastFit = blank;
                blank = m_text.find(u' ', blank + 1);
                continue;
            }
            const size_t at = lastFit != std::u16string::npos ? lastFit : blank;
            m_text[at] = u'\n';
            ++m_lineCount;
            lineStart = at + 1;
            lastFit = std::u16string::npos;
            blank = m_text.find(u' ', lineStart);
        }
        float w = 0.0f, h = 0.0f;
        font->getTextExtentW(std::u16string(), w, h);
        m_lineHeight = h + m_lineSpacing;
    }
    const float height = m_lineHeight * float(m_lineCount) - m_lineSpacing + float(m_nextSpacing);
    SetHeight(int16_t(std::clamp(height, 0.0f, 32767.0f)));
}

void CrossButton::SetCrossed(bool crossed, bool animated) {
    if (crossed == m_crossed)
        return;
    m_crossed = crossed;
    if (!crossed)
        return;
    m_progress = animated ? 0.0f : float(m_lineCount);
    if (m_variant < 0)
        m_variant = a_rand() % kVariants;
}

void CrossButton::UpdateFade(float dt) {
    m_multiClickTimer += dt;
    if (m_crossed)
        m_progress = std::min(m_progress + dt, float(m_lineCount));
}

void CrossButton::Draw() {
    GUI::ButtonBase::Draw();
    if (!m_crossed || !m_stroke || m_variant < 0)
        return;
    const int32_t imageWidth = int32_t(m_stroke->getWidth());
    const int32_t strokeHeight = int32_t(m_stroke->getHeight()) / kVariants;
    if (imageWidth <= 0 || strokeHeight <= 0)
        return;
    for (int32_t i = 0;; ++i) {
        const float part = (m_progress - float(i)) * float(imageWidth);
        const int32_t width = part >= float(imageWidth) ? imageWidth : int32_t(part);
        if (width <= 0)
            break;
        const aRect source(0, int16_t(m_variant * strokeHeight), int16_t(width), int16_t(strokeHeight));
        const float position[2] = {float(GetAbsoluteX()),
                                   float(GetAbsoluteY() + m_nextSpacing / 2) + float(i) * m_lineHeight};
        m_stroke->draw(position, &source, 0xFFFFFFFFu, nullptr, 0.0f, nullptr, true);
    }
}
