#include "game/bonus/bonus_room.h"

#include "game/bonus/bonus_round.h"
#include "game/game_app.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"

namespace {

GUI::Widget* findWidget(GameApp* app, const std::string& name) {
    GUI::Server* gui = app ? app->GetGuiServer() : nullptr;
    GUI::Widget* root = gui ? gui->GetRootWidget() : nullptr;
    return root ? root->FindChild(name, true) : nullptr;
}

} // namespace

BonusRoom::BonusRoom(aImageManager* images, aSoundManager* sounds) : Room(kName, images, sounds) {
    m_finishButton = findWidget(m_app, "finalize_bonus_round");
    m_skipButton = findWidget(m_app, "skip_bonus_round");
    if (m_finishButton)
        m_finishConnection = m_finishButton->SubscribeEvent(GUI::Widget::EventClick, &m_finishBinder);
}

BonusRoom::~BonusRoom() = default;

void BonusRoom::AfterSave(SaveLoadSystem& system) {
    if (m_puzzle)
        system.SaveEntity(*m_puzzle);
}

void BonusRoom::AfterLoad(SaveLoadSystem& system) {
    if (m_puzzle)
        system.LoadEntity(*m_puzzle);
}

void BonusRoom::LoadResources(const aOptionsFile& level) {
    Room::LoadResources(level);
    m_puzzle.reset();
    m_completionHandled = false;
    m_finished = false;
}

void BonusRoom::UnloadResources() {
    m_puzzle.reset();
    Room::UnloadResources();
}

bool BonusRoom::IsPuzzleCompleted() const {
    return !m_puzzle || m_puzzle->IsCompleted();
}

void BonusRoom::ShowFinishButton() {
    if (!m_finishButton)
        return;
    m_finishButton->SetVisible(true);
    m_finishButton->MoveToFront();
}

void BonusRoom::Draw() {
    if (m_puzzle)
        m_puzzle->Draw();
    if (!m_showTitle)
        return;
    if (!m_titleImage && m_images)
        m_titleImage = m_images->getImage("bonus_round");
    if (!m_titleImage)
        return;
    const float t = m_stayTime / kTitleTime;
    const float scale[2] = {0.9f + 0.1f * t, 0.9f + 0.1f * t};
    const uint32_t alpha = t >= 1.0f ? 255u : t <= 0.0f ? 0u : uint32_t(t * 255.0f + 0.5f);
    const float x = 600.0f - float(m_titleImage->getWidth()) * scale[0] * 0.5f;
    const float y = 384.0f - float(m_titleImage->getHeight()) * scale[1] * 0.5f;
    m_titleImage->drawAt(x, y, (alpha << 24) | 0xFFFFFFu, scale, 0.0f, nullptr);
}

void BonusRoom::Update(float dt) {
    Room::Update(dt);
    if (m_showTitle) {
        if (m_stayTime >= kTitleTime)
            m_showTitle = false;
        else
            return;
    }
    if (!IsPuzzleCompleted()) {
        m_puzzle->Update(dt);
        return;
    }
    if (!m_completionHandled) {
        m_completionHandled = true;
        m_finished = false;
    }
    if (m_finished)
        return;
    if (m_puzzle)
        m_puzzle->Update(dt);
    if (m_app && !m_app->IsPopupActive() && m_finishButton && !m_finishButton->IsVisible(true))
        ShowFinishButton();
}

void BonusRoom::Enter(aSound* defaultSound) {
    Room::Enter(defaultSound);
    if (m_skipButton)
        m_skipButton->SetVisible(true);
    if (IsPuzzleCompleted() && !m_finished)
        ShowFinishButton();
    if (m_puzzle)
        m_puzzle->Show();
}

void BonusRoom::Leave(aSound* defaultSound) {
    Room::Leave(defaultSound);
    if (m_puzzle)
        m_puzzle->Hide();
    if (m_skipButton)
        m_skipButton->SetVisible(false);
    if (m_finishButton)
        m_finishButton->SetVisible(false);
    m_showTitle = false;
}

bool BonusRoom::OnFinishClick(const GUI::EventArgs&) {
    if (m_puzzle)
        m_puzzle->StopFinishSound();
    if (m_app)
        m_app->CompleteLevel();
    if (m_finishButton)
        m_finishButton->SetVisible(false);
    m_finished = true;
    return true;
}
