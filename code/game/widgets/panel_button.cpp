#include "game/widgets/panel_button.h"

#include "mirel/base/a_math.h"
#include "mirel/gui/gui_draw.h"

PanelButton::PanelButton(const std::string& name) : GUI::ImageButton(name) {}

void PanelButton::SetFlashing(bool on) {
    m_flashing = on;
    if (on && m_glowTimer < 0.0f)
        m_glowTimer = 0.0f;
}

void PanelButton::UpdateFade(float dt) {
    if (m_glowTimer >= 0.0f) {
        m_glowTimer += dt;
        if (m_glowTimer >= kPulseTime) {
            if (m_flashing)
                m_glowTimer -= kPulseTime;
            else
                m_glowTimer = -1.0f;
        }
    }
    GUI::ImageButton::UpdateFade(dt);
}

void PanelButton::Draw() {
    GUI::ImageButton::Draw();
    if (!IsEnabled() || m_glowTimer < 0.0f || !HasStateImage(STATE_HOVER))
        return;
    const float g = m_glowTimer;
    const float s = 1.0f + g * 0.25f;
    const float a = 1.0f - g * 0.5f;
    const uint32_t alpha = alphaByte(a);
    const aRect& source = m_rects[STATE_HOVER];
    const float w = float(source.width);
    const float h = float(source.height);
    const float position[2] = {float(GetAbsoluteX()) + w * (1.0f - s) * 0.5f,
                               float(GetAbsoluteY()) + h * (1.0f - s) * 0.5f};
    const float scale[2] = {s, s};
    const float corner[2] = {0.0f, 0.0f};
    m_images[STATE_HOVER].draw(position, &source, (alpha << 24) | 0xFFFFFFu, scale, 0.0f, corner, true);
}
