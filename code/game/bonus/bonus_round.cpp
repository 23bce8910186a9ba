#include "game/bonus/bonus_round.h"

#include "game/game_services.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_music.h"
#include "mirel/sound/a_sound.h"

BonusRound::BonusRound(const std::string& puzzleName, const aOptionsFile&, GameServices* game)
    : SaveLoadEntity("b:" + puzzleName), m_puzzleName(puzzleName), m_app(game),
      m_imageFolder("data:images/bonus/" + puzzleName + "/") {
    if (aImageManager* images = Images())
        images->loadList(ImageListPath(), kImageGroup);
    if (m_app && m_app->GetGuiServer() && m_app->GetGuiServer()->GetRootWidget())
        m_description = m_app->GetGuiServer()->GetRootWidget()->FindChild("bonus_desc", true);
    m_finishSound = GetSound("btn_finish_level");
}

BonusRound::~BonusRound() {
    if (aImageManager* images = Images())
        images->unloadList(ImageListPath(), kImageGroup);
}

void BonusRound::Load(SaveLoadSystem&, SaveReader&) {}

void BonusRound::Save(SaveLoadSystem&, SaveWriter&) {}

void BonusRound::Update(float) {}

void BonusRound::Draw() {}

void BonusRound::Show() {
    m_pointerKnown = false;
    UpdateDescription();
    if (m_description)
        m_description->SetVisible(true);
}

void BonusRound::Hide() {
    if (m_description)
        m_description->SetVisible(false);
}

void BonusRound::PlayFinishSound() {
    if (!m_finishSound)
        return;
    if (m_app)
        m_app->GetMusicPlayer().stop(true);
    m_finishSound->play(false, m_finishSound->getVolume(), m_finishSound->getPan());
}

void BonusRound::StopFinishSound() {
    if (m_finishSound && m_finishSound->isPlaying())
        m_finishSound->stop();
}

void BonusRound::UpdateDescription() {
    aLocaleServer* locale = m_app ? m_app->GetLocaleServer() : nullptr;
    if (m_description && locale)
        m_description->SetText(locale->getString(MakeLevelKey("bonus_desc")));
}

aImageManager* BonusRound::Images() const {
    return m_app ? m_app->GetImageManager() : nullptr;
}

aSoundManager* BonusRound::Sounds() const {
    return m_app ? m_app->GetSoundManager() : nullptr;
}

aInputServer* BonusRound::Input() const {
    return m_app ? m_app->GetInputServer() : nullptr;
}

aImage* BonusRound::GetImage(const std::string& name) const {
    aImageManager* images = Images();
    return images ? images->getImage(name, kImageGroup) : nullptr;
}

aSound* BonusRound::GetSound(const std::string& name) const {
    aSoundManager* sounds = Sounds();
    return sounds ? sounds->getSound(name) : nullptr;
}

BonusRound::Pointer BonusRound::ReadPointer() {
    aInputServer* input = Input();
    Pointer pointer;
    pointer.x = m_pointerX;
    pointer.y = m_pointerY;
    if (input)
        input->getMousePos(pointer.x, pointer.y);
    if (!m_pointerKnown) {
        m_pointerX = pointer.x;
        m_pointerY = pointer.y;
        m_pointerKnown = true;
    }
    pointer.dx = pointer.x - m_pointerX;
    pointer.dy = pointer.y - m_pointerY;
    m_pointerX = pointer.x;
    m_pointerY = pointer.y;
    pointer.leftPressed = input && input->getButtonState(0) == 2;
    pointer.rightPressed = input && input->getButtonState(1) == 2;
    return pointer;
}
