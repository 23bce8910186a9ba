#include "game/bonus/bonus_room.h"

#include "game/bonus/bonus_round.h"
#include "game/bonus/bonus_round_factory.h"
#include "game/bonus/bonus_values.h"
#include "game/game_services.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

namespace {

GUI::Widget* findWidget(GameServices* app, const std::string& name) {
    GUI::Server* gui = app ? app->GetGuiServer() : nullptr;
    GUI::Widget* root = gui ? gui->GetRootWidget() : nullptr;
    return root ? root->FindChild(name, true) : nullptr;
}

void setVisible(GUI::Widget* widget, bool visible) {
    if (widget)
        widget->SetVisible(visible);
}

GUI::Widget* widgetOf(const GUI::EventArgs& args) {
    const auto* e = dynamic_cast<const GUI::WidgetEventArgs*>(&args);
    return e ? e->widget : nullptr;
}

} // namespace

BonusRoom::BonusRoom(aImageManager* images, aSoundManager* sounds, GameServices* game)
    : Room(kName, images, sounds, game) {
    m_finishButton = findWidget(m_app, "finalize_bonus_round");
    m_skipButton = findWidget(m_app, "skip_bonus_round");
    m_confirmDialog = findWidget(m_app, "confirm_skip_dialog");
    if (m_finishButton)
        m_finishConnection = m_finishButton->SubscribeEvent(GUI::Widget::EventClick, &m_finishBinder);
    if (m_skipButton)
        m_skipConnection = m_skipButton->SubscribeEvent(GUI::Widget::EventClick, &m_skipBinder);
    for (const char* name : {"finalize_bonus_round", "skip_bonus_round", "confirm_skip_dialog"}) {
        if (m_app && m_app->GetGuiServer() && !findWidget(m_app, name))
            a_log("BonusRoom - widget '%s' not found", name);
    }
    if (m_confirmDialog) {
        if (GUI::Widget* yes = m_confirmDialog->FindChild("yes", true))
            m_yesConnection = yes->SubscribeEvent(GUI::Widget::EventClick, &m_answerBinder);
        if (GUI::Widget* no = m_confirmDialog->FindChild("no", true))
            m_noConnection = no->SubscribeEvent(GUI::Widget::EventClick, &m_answerBinder);
    }
}

BonusRoom::~BonusRoom() {
    m_puzzle.reset();
}

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
    // The old puzzle goes first: its pictures leave the group the new one fills.
    m_puzzle.reset();
    m_completionHandled = false;
    m_finished = false;
    aOptionsFile options(level);
    if (!options.setSection(kSection)) {
        a_log("BonusRoom::LoadResources - the level has no section '%s': no bonus round", kSection);
        return;
    }
    m_puzzle.reset(BonusRoundFactory::Instance().NewBonusRound(options.getString("Class"), options, m_app));
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
    if (!m_titleImageFetched) {
        m_titleImageFetched = true;
        m_titleImage = m_images ? m_images->getImage("bonus_round") : nullptr;
    }
    if (!m_titleImage)
        return;
    const float t = m_stayTime / kTitleTime;
    const float s = 0.9f + 0.1f * t;
    const float scale[2] = {s, s};
    const float x = 600.0f - float(m_titleImage->getWidth()) * s * 0.5f;
    const float y = 384.0f - float(m_titleImage->getHeight()) * s * 0.5f;
    m_titleImage->drawAt(x, y, (bonusvalues::AlphaByte(t) << 24) | 0xFFFFFFu, scale, 0.0f, nullptr);
}

void BonusRoom::Update(float dt) {
    Room::Update(dt);
    if (m_showTitle) {
        if (m_stayTime < kTitleTime)
            return;
        m_showTitle = false;
    }
    if (m_confirmDialog && m_confirmDialog->IsVisible(true))
        return;
    if (!IsPuzzleCompleted()) {
        m_puzzle->Update(dt);
        return;
    }
    if (!m_completionHandled)
        HandleCompletion();
    // A solved puzzle has nothing left to skip.
    if (m_puzzle)
        setVisible(m_skipButton, false);
    if (m_finished)
        return;
    if (m_puzzle)
        m_puzzle->Update(dt);
    if (m_app && !m_app->IsPopupActive() && m_finishButton && !m_finishButton->IsVisible(true))
        RevealFinishButton();
}

void BonusRoom::HandleCompletion() {
    m_completionHandled = true;
    m_finished = false;
    if (!m_puzzle)
        return;
    const std::string key = MakeLevelKey("bonus_completed");
    aLocaleServer* locale = m_app ? m_app->GetLocaleServer() : nullptr;
    if (!locale || !locale->findString(key))
        return;
    m_app->ShowMessageBox("msgbox_completed", GameServices::ACTION_NONE, key, nullptr, nullptr);
    m_puzzle->OnCompleted();
}

void BonusRoom::RevealFinishButton() {
    ShowFinishButton();
    if (aParticlesManager* particles = m_app->GetParticlesManager()) {
        const float w = float(m_finishButton->GetWidth()), h = float(m_finishButton->GetHeight());
        const float at[2] = {float(m_finishButton->GetAbsoluteX()) + w / 2.0f,
                             float(m_finishButton->GetAbsoluteY()) + h / 2.0f};
        if (aParticleSystem* system = particles->Add("btn_finish_level", at, 1, true, true))
            system->setEmitterSize(w, h);
    }
    if (m_puzzle)
        m_puzzle->PlayFinishSound();
}

void BonusRoom::Enter(aSound* defaultSound) {
    Room::Enter(defaultSound);
    setVisible(m_skipButton, !m_puzzle || !m_puzzle->IsCompleted());
    if (IsPuzzleCompleted() && !m_finished)
        ShowFinishButton();
    if (m_puzzle)
        m_puzzle->Show();
}

void BonusRoom::Leave(aSound* defaultSound) {
    Room::Leave(defaultSound);
    if (m_puzzle)
        m_puzzle->Hide();
    setVisible(m_skipButton, false);
    setVisible(m_finishButton, false);
    m_showTitle = false;
}

bool BonusRoom::OnFinishClick(const GUI::EventArgs&) {
    if (m_puzzle)
        m_puzzle->StopFinishSound();
    if (m_app)
        m_app->CompleteLevel();
    setVisible(m_finishButton, false);
    m_finished = true;
    return true;
}

bool BonusRoom::OnSkipClick(const GUI::EventArgs&) {
    m_showTitle = false;
    // Without its question the sounds would stay paused for good.
    if (!m_confirmDialog)
        return true;
    m_confirmDialog->SetVisible(true);
    m_confirmDialog->MoveToFront();
    if (m_sounds)
        m_sounds->pauseAll(true);
    return true;
}

bool BonusRoom::OnSkipAnswer(const GUI::EventArgs& args) {
    setVisible(m_confirmDialog, false);
    GUI::Widget* button = widgetOf(args);
    if (!button || button->GetTag() == 0) {
        if (m_sounds)
            m_sounds->pauseAll(false);
        return true;
    }
    if (m_sounds)
        m_sounds->stopAll();
    if (m_puzzle)
        m_puzzle->Solve();
    return true;
}
