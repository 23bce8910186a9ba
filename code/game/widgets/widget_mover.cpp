#include "game/widgets/widget_mover.h"

#include <algorithm>

void WidgetMover::Add(GUI::Widget* widget) {
    if (!widget)
        return;
    Motion& motion = m_motions[widget];
    motion.progress = 0.0f;
    motion.life = widget->GetLifeToken();
    widget->SetAlpha(0.0f);
}

void WidgetMover::Update(float dt) {
    for (auto it = m_motions.begin(); it != m_motions.end();) {
        if (it->second.life.expired()) {
            it = m_motions.erase(it);
            continue;
        }
        Motion& motion = it->second;
        motion.progress = std::min(motion.progress + 2.0f * dt, 1.0f);
        it->first->SetAlpha(motion.progress);
        ++it;
    }
}

float WidgetMover::GetProgress(const GUI::Widget* widget) const {
    auto it = m_motions.find(widget);
    return it != m_motions.end() && !it->second.life.expired() ? it->second.progress : -1.0f;
}
