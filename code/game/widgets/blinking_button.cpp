#include "game/widgets/blinking_button.h"

BlinkingButton::BlinkingButton(const std::string& name) : GUI::ImageButton(name) {}

void BlinkingButton::UpdateFade(float dt) {
    const bool hovered = m_hovered;
    m_hovered = m_direction;
    GUI::ImageButton::UpdateFade(dt);
    m_hovered = hovered;
    if (m_hoverFactor == 0.0f)
        m_direction = true;
    else if (m_hoverFactor == 1.0f)
        m_direction = false;
}
