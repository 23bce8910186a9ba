#include "game/widgets/hint_button.h"

#include "game/game_services.h"
#include "game/room.h"
#include "game/tip_manager.h"
#include "mirel/base/a_format.h"

HintButton::HintButton(const std::string& name) : GUI::ImageButton(name) {}

void HintButton::Initialize() {
    m_label = m_children.empty() ? nullptr : m_children[0];
    if (m_label)
        m_label->SetVisible(false);
    GUI::ImageButton::Initialize();
}

void HintButton::UpdateFade(float dt) {
    m_clickTimer += dt;
    const GameServices* game = m_game;
    const uint32_t hints = game ? game->GetHintsLeft() : 0;
    if (m_label) {
        const std::u16string text = a_format(u"%d", {hints});
        if (text != m_label->GetText())
            m_label->SetText(text);
    }
    SetEnabled(hints > 0 && game && game->GetHintState() == Room::HINT_AVAILABLE);
    GUI::ImageButton::UpdateFade(dt);
}

void HintButton::Draw() {
    if (m_label)
        m_label->Draw();
    GUI::ImageButton::Draw();
}

void HintButton::OnClick(GUI::MouseEventArgs& e) {
    GameServices* game = m_game;
    if (!game)
        return;
    const uint32_t state = game->GetHintState();
    if (state == Room::HINT_NO_HINTS) {
        if (TipManager* tips = TipManager::getSingletonPtr(); tips && m_label) {
            tips->ShowTip(m_label->GetAbsoluteX() + m_label->GetWidth() / 2,
                          m_label->GetAbsoluteY() + m_label->GetHeight() / 2, "hints_disabled_here");
        }
        return;
    }
    if (state != Room::HINT_AVAILABLE || m_clickTimer < kClickInterval)
        return;
    m_clickTimer = 0.0f;
    if (game->GetHintsLeft() > 0)
        GUI::ImageButton::OnClick(e);
}
