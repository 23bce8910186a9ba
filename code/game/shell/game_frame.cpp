// The game frame: update and render, the pause, the level clock, the
// current room's step with the miss penalty and the room-clear messages, the
// level-complete sequence, the panel buttons and the progress counters.

#include "game/shell/game_app.h"

#include "game/bonus/bonus_room.h"
#include "game/profiles/player_name.h"
#include "game/room.h"
#include "game/scenes/card_popup.h"
#include "game/scenes/card_room.h"
#include "game/scenes/evidence_room.h"
#include "game/scenes/spy_room.h"
#include "game/tip_manager.h"
#include "game/widgets/panel_button.h"
#include "game/widgets/room_button.h"
#include "mirel/base/a_format.h"
#include "mirel/base/a_math.h"
#include "mirel/base/a_utf.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/gui/gui_draw.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_ambientsound.h"
#include "mirel/sound/a_sound.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;
// The clock hands' accumulator wraps after the hour hand's turn.
constexpr float kClockCycle = 720.0f;
constexpr size_t kMapHintLength = 500;
constexpr size_t kGoalTextLength = 1000;

GUI::Widget* childOf(GUI::Widget* parent, const std::string& name) {
    return parent ? parent->FindChild(name) : nullptr;
}

void setVisible(GUI::Widget* widget, bool visible) {
    if (widget)
        widget->SetVisible(visible);
}

void setEnabled(GUI::Widget* widget, bool enabled) {
    if (widget)
        widget->SetEnabled(enabled);
}

// The centre of a widget on the screen.
void centreOf(const GUI::Widget* widget, float& x, float& y) {
    x = float(widget->GetAbsoluteX() + widget->GetWidth() / 2);
    y = float(widget->GetAbsoluteY() + widget->GetHeight() / 2);
}

void drawCentred(const aImage* image, float x, float y, uint32_t colour, float scale = 1.0f) {
    if (!image || !image->hasTexture())
        return;
    const float s[2] = {scale, scale};
    image->drawAt(x - float(image->getWidth()) * scale * 0.5f, y - float(image->getHeight()) * scale * 0.5f,
                  colour, s);
}

std::u16string truncated(std::u16string text, size_t length) {
    if (text.size() > length)
        text.resize(length);
    return text;
}

} // namespace

int GameApp::update() {
    m_frameTime = m_gameTimer.getDelta();
    if (m_frameTime > kMaxFrameTime) {
        m_frameTime = 0.0f;
        return 0;
    }
    const float dt = m_frameTime;
    if (UpdateSplashScreens(dt))
        return 0;
    if (!m_resourcesLoaded) {
        LoadResources();
        m_resourcesLoaded = 1;
    }
    m_musicPlayer.update(dt);

    if (m_titleIntroPending && (IsTitleIntroDone() || (m_inputServer && m_inputServer->anyButtonPressed())))
        m_titleIntroPending = 0;
    if (!m_titleIntroPending && m_guiServer)
        m_guiServer->Update(dt);

    if (m_paused) {
        bool resume = m_inputServer && m_inputServer->anyKeyPressed();
        if (!resume && m_inputServer && m_inputServer->anyButtonPressed()) {
            int32_t x = 0, y = 0;
            m_inputServer->getMousePos(x, y);
            resume = x >= 0 && y >= 0 && x < 1024 && y < 768;
        }
        if (resume) {
            m_paused = 0;
            SetInputBlocked(false);
        } else {
            m_pauseFade = std::min(m_pauseFade + dt, kPauseFadeTime);
        }
        return 0;
    }

    m_widgetMover.Update(dt);
    UpdateCardPopup(dt);

    if (m_profileRefreshPending && !m_profiles.IsDialogOpen()) {
        m_profileRefreshPending = 0;
        ShowPlayerName();
        ApplySettings();
        if (m_mode == MODE_TITLE)
            setVisible(m_titleScreenWidget, true);
    }
    if (m_mode != MODE_MAP && m_mapAmbience && m_mapAmbience->isRunning())
        m_mapAmbience->stop();
    UpdateScenePlayer(dt);

    if (m_mode == MODE_TITLE)
        UpdateTitle();
    else
        UpdateLevel();

    if (m_particlesManager)
        m_particlesManager->update(dt, 0, 1);
    return m_quitRequested ? kAbortCode : 0;
}

void GameApp::UpdateTitle() {
    m_playTime = 0.0;
    m_levelCompleted = 0;
    if (IsScenePlaying())
        return;
    m_musicPlayer.playMusic("menu_theme.ogg", g_currentSettings.musicVolume, true, true);
    if (m_creditsShowing) {
        UpdateCredits(m_frameTime);
        if (m_titleAmbience && m_titleAmbience->isRunning())
            m_titleAmbience->stop();
        return;
    }
    UpdateTitleScreen(m_frameTime);
    if (m_titleAmbience) {
        if (!m_titleAmbience->isRunning())
            m_titleAmbience->start();
        m_titleAmbience->update(m_frameTime);
    }
}

void GameApp::UpdateLevel() {
    const float dt = m_frameTime;
    if (m_titleAmbience && m_titleAmbience->isRunning())
        m_titleAmbience->stop();
    if (m_mode == MODE_MAP && m_mapAmbience) {
        if (!m_mapAmbience->isRunning())
            m_mapAmbience->start();
        m_mapAmbience->update(dt);
    }
    if (m_currentRoom && m_currentRoom->GetAmbientSounds())
        m_currentRoom->GetAmbientSounds()->update(dt);
    if (m_menuOpen || IsScenePlaying())
        return;

    UpdateLevelClock();
    UpdatePanelButtons();

    const bool helpShown = m_gameHelp && m_gameHelp->IsVisible(true);
    if (m_mode == MODE_ROOM) {
        UpdateCurrentRoom();
        if (m_particlesManager)
            m_particlesManager->update(dt, 2, 3);
    } else {
        m_returnRoom.clear();
        if (m_messageBoxes.empty() && !helpShown) {
            if (!m_mapHintShown) {
                m_mapHintShown = 1;
                const std::u16string format =
                    m_localeServer ? m_localeServer->getString("map_first_time") : u"";
                GUI::Widget* box = FindWidget("msgbox_text");
                GUI::Widget* text = childOf(box, "text");
                const std::u16string name =
                    NameKeptWhole(g_currentSettings.name, text ? text->GetFont() : nullptr);
                ShowMessageBoxText("msgbox_text", ACTION_FIRST_MAP_VISIT,
                                   truncated(a_format(format, {name}), kMapHintLength), nullptr, nullptr);
            } else if (m_tipManager && !m_tipManager->IsTipShown() && m_clockText) {
                m_tipManager->ShowTip(m_clockText->GetAbsoluteX() + m_clockText->GetWidth() / 2,
                                      m_clockText->GetAbsoluteY() + m_clockText->GetHeight() / 3, "clock");
            }
            GUI::Widget* evidence = childOf(m_panel, "btn_evidroom");
            if (m_tipManager && evidence && evidence->IsVisible(true)) {
                auto* flashing = dynamic_cast<PanelButton*>(evidence);
                if (!m_tipManager->IsTipShown()) {
                    const bool shown = m_tipManager->ShowTip(
                        evidence->GetAbsoluteX() + evidence->GetWidth() / 2,
                        evidence->GetAbsoluteY() + 2 * (evidence->GetHeight() / 3), "evidence_room_intro");
                    if (shown && flashing)
                        flashing->SetFlashing(true);
                }
                if (flashing && flashing->IsFlashing() && !m_tipManager->IsTipShown())
                    flashing->SetFlashing(false);
            }
        }
    }

    if (m_messageBoxes.empty() && !helpShown && m_levelCompleted) {
        m_levelCompleteTimer += dt;
        if (m_levelCompleteTimer > kLevelCompleteTime) {
            m_levelCompleteTimer = kLevelCompleteTime;
            if (!m_soundLevelCompleted || !m_soundLevelCompleted->isPlaying())
                EndLevel();
        }
    }
    if (m_tipManager)
        m_tipManager->Update(dt);
}

void GameApp::UpdateLevelClock() {
    const bool stop = !m_currentRoom || m_currentRoom->PausesTimer() || !m_messageBoxes.empty() ||
                      (m_gameHelp && m_gameHelp->IsVisible(true)) ||
                      (m_tipManager && m_tipManager->IsTipShown());
    if (stop != (m_clockStopped != 0)) {
        m_clockToggle ^= 1;
        if (m_clockToggle)
            m_clockStopped = stop ? 1 : 0;
    }
    if (m_clockStopped) {
        if (m_clockText && m_localeServer)
            m_clockText->SetText(m_localeServer->getString("time_paused"));
        return;
    }
    m_playTime += m_frameTime;
    m_timeLeft = std::max(m_timeLeft - m_frameTime, 0.0f);
    const int32_t seconds = int32_t(m_timeLeft);
    if (m_clockText)
        m_clockText->SetTextFormatted(u"%02d:%02d", {seconds / 60, seconds % 60});
    if (!m_lowTimeWarned && seconds < kLowTimeSeconds) {
        if (m_soundLowTime)
            m_soundLowTime->play(false, -1.0f, -2.0f);
        m_lowTimeWarned = 1;
        return;
    }
    if (seconds == 0)
        ShowMessageBoxText("msgbox_timeover", ACTION_RESTART_LEVEL, std::u16string(), nullptr,
                           m_soundLevelFailed);
}

void GameApp::UpdateCurrentRoom() {
    m_currentRoom->Update(m_frameTime);
    if (!m_currentRoom || !m_currentRoom->IsKind(Room::KIND_HIDDEN_OBJECT))
        return;
    auto* room = static_cast<SpyRoom*>(m_currentRoom);
    const bool complete = room->IsComplete();
    if (!complete && room->TestAndClearCheaterFlag()) {
        m_timeLeft = std::max(m_timeLeft - kMissPenalty, 0.0f);
        ShowMessageBoxText("msgbox_cheater_warning", ACTION_NONE, std::u16string(), nullptr,
                           m_soundMultiClick);
        return;
    }
    const SpyItem* found = room->GetFoundItem();
    if (!found)
        return;
    const std::string& name = room->GetName();
    if (m_evidenceRoom && m_evidenceRoom->AddEvidence(name + "." + found->name))
        m_evidenceAdded = 1;
    if (GUI::Widget* button = childOf(m_gameMap, name)) {
        GUI::Widget* sign = button->GetChildCount() > 1 ? button->GetChildren()[1] : nullptr;
        GUI::Widget* count = button->GetChildCount() > 2 ? button->GetChildren()[2] : nullptr;
        if (complete) {
            setVisible(count, false);
            setVisible(sign, true);
        } else if (count) {
            count->SetTextFormatted(u"%d", {int64_t(room->GetItemsTotal()) - int64_t(room->GetItemsFound())});
        }
    }
    if (complete && m_cardRoom)
        m_pendingClueCard = m_cardRoom->UnlockNextCard(name);

    if (!m_hiddenRoomsPending && !m_goalAnnounced && IsLevelGoalReached()) {
        m_timeAtGoal = m_timeLeft;
        m_goalAnnounced = 1;
        const std::u16string* text =
            m_localeServer ? m_localeServer->findString(MakeLevelKey("completed")) : nullptr;
        if (!text)
            ShowMessageBoxText("msgbox_roomclear", ACTION_GOAL_REACHED, std::u16string(), nullptr,
                               m_soundRoomClear);
        else
            ShowMessageBoxText("msgbox_Quillby", ACTION_GOAL_REACHED,
                               truncated(a_format(*text, {m_cluesFound}), kGoalTextLength), nullptr,
                               m_soundRoomClear);
    } else if (complete) {
        ShowMessageBoxText("msgbox_roomclear", ACTION_ROOM_COMPLETED, std::u16string(), nullptr,
                           m_soundRoomClear);
    }
}

bool GameApp::IsLevelGoalReached() const {
    // Signed: a "RandomLeft" below 0, or counters that do not add up, must
    // not wrap into a reached goal.
    const int64_t cluesTotal = int32_t(m_cluesTotal);
    const int64_t cluesFound = int32_t(m_cluesFound);
    const int64_t itemsTotal = int32_t(m_itemsTotal);
    const int64_t itemsFound = int32_t(m_itemsFound);
    return cluesFound == cluesTotal && itemsFound + m_randomLeft >= itemsTotal;
}

void GameApp::UpdateProgressCounters() {
    m_hiddenRoomsPending = 0;
    m_cluesTotal = m_cluesFound = m_itemsTotal = m_itemsFound = 0;
    for (const auto& entry : m_rooms) {
        Room* room = entry.second;
        if (!room->IsKind(Room::KIND_HIDDEN_OBJECT))
            continue;
        auto* spy = static_cast<SpyRoom*>(room);
        GUI::Widget* button = childOf(m_gameMap, entry.first);
        if (spy->IsResourcesLoaded() && !spy->IsHidden()) {
            m_cluesTotal += spy->GetCluesTotal();
            m_cluesFound += spy->GetCluesFound();
            m_itemsTotal += spy->GetItemsTotal();
            m_itemsFound += spy->GetItemsFound();
            setEnabled(button, true);
        } else {
            if (spy->IsResourcesLoaded())
                m_hiddenRoomsPending = 1;
            setEnabled(button, false);
        }
    }
    const int64_t items = int64_t(m_itemsTotal) - int64_t(m_itemsFound);
    const int64_t clues = int64_t(m_cluesTotal) - int64_t(m_cluesFound);
    auto format = [&](GUI::Widget* parent, const char* widget, const char* key,
                      std::initializer_list<aFormatArg> args) {
        GUI::Widget* w = childOf(parent, widget);
        if (w && m_localeServer)
            w->SetTextFormatted(m_localeServer->getString(key), args);
    };
    format(m_panel, "items_remain", "fmt_items_remain", {items});
    format(m_panel, "clues_remain", "fmt_clues_remain", {clues});
    format(m_infoMap, "n_items", "fmt_n_items", {m_itemsFound, m_itemsTotal});
    format(m_infoMap, "n_clues", "fmt_n_clues", {m_cluesFound, m_cluesTotal});
}

void GameApp::UpdatePanelButtons() {
    const bool inRoom = m_mode == MODE_ROOM && m_currentRoom;
    const bool inCards = inRoom && m_currentRoom->IsKind(Room::KIND_CARD);
    const bool inEvidence = inRoom && m_currentRoom->IsKind(Room::KIND_EVIDENCE);
    const bool evidenceOpen = g_currentSettings.level >= 2;
    setVisible(childOf(m_panel, "btn_cardroom"), !inCards);
    setVisible(childOf(m_panel, "btn_cardroom_b"), inCards);
    setVisible(childOf(m_panel, "btn_evidroom"), evidenceOpen && !inEvidence);
    setVisible(childOf(m_panel, "btn_evidroom_b"), evidenceOpen && inEvidence);
    const bool mapAllowed = !IsLevelGoalReached();
    setEnabled(childOf(m_panel, "btn_map"), mapAllowed);
    setEnabled(childOf(FindWidget("ingame_menu"), "map"), mapAllowed);
}

void GameApp::CompleteLevel() {
    SetInputBlocked(true);
    if (m_tipManager)
        m_tipManager->EndLevel();
    for (auto& entry : m_rooms)
        entry.second->OnLevelComplete();
    m_musicPlayer.stop(true);
    if (m_soundLevelCompleted)
        m_soundLevelCompleted->play(false, -1.0f, -2.0f);
    m_levelCompleteTimer = 0.0f;
    m_levelCompleted = 1;
}

void GameApp::SetInputBlocked(bool blocked) {
    GUI::Widget* empty = FindWidget("empty");
    if (!empty)
        return;
    if (blocked)
        empty->MoveToFront();
    empty->SetVisible(blocked);
}

bool GameApp::DrawClock(const GUI::EventArgs&) {
    if (!m_menuOpen && !m_paused && !m_clockStopped) {
        m_clockAngle += m_frameTime;
        if (m_clockAngle >= kClockCycle)
            m_clockAngle -= kClockCycle;
    }
    if (!m_clockText || !m_imageManager)
        return true;
    if (!m_clockImagesFetched) {
        m_clockImagesFetched = true;
        GetImages(m_imageManager, "",
                  {{"clock_hand_h", nullptr, &m_imageClockHour},
                   {"clock_hand_m", nullptr, &m_imageClockMinute},
                   {"clock_overlay", nullptr, &m_imageClockOverlay},
                   {"clock_warning", nullptr, &m_imageClockWarning}});
    }
    float cx = 0.0f, cy = 0.0f;
    centreOf(m_clockText, cx, cy);
    const float pivot[2] = {4.0f, 4.0f};
    if (m_imageClockHour)
        m_imageClockHour->drawAt(cx - 4.0f, cy - 4.0f, 0xFFFFFFFFu, nullptr,
                                 kPi / 2 - m_clockAngle * kPi / 360.0f, pivot);
    if (m_imageClockMinute)
        m_imageClockMinute->drawAt(cx - 4.0f, cy - 4.0f, 0xFFFFFFFFu, nullptr,
                                   kPi / 2 - m_clockAngle * kPi / 30.0f, pivot);
    drawCentred(m_imageClockOverlay, cx, cy, 0xFFFFFFFFu);
    if (m_lowTimeWarned) {
        const float alpha =
            ((120.0f - m_timeLeft) * 0.3f) / 120.0f + std::sin(m_clockAngle * 6.0f * kPi) * 0.4f;
        drawCentred(m_imageClockWarning, cx, cy, (alphaByte(alpha) << 24) | 0xFFFFFFu);
    }
    return true;
}

bool GameApp::OnClockClick(const GUI::EventArgs&) {
    m_pauseFade = 0.0f;
    m_paused = 1;
    SetInputBlocked(true);
    return true;
}

void GameApp::onDeactivate() {
    GUI::Widget* finish = FindWidget("finalize_bonus_round");
    if (m_guiServer && m_mode != MODE_TITLE && !m_paused && !m_menuOpen && !IsScenePlaying() &&
        !(finish && finish->IsVisible(true))) {
        m_paused = 1;
        SetInputBlocked(true);
        m_pauseFade = kPauseFadeTime;
    }
    aApplication::onDeactivate();
}

void GameApp::onActivate() {
    if (m_guiServer)
        setEnabled(childOf(FindWidget("options"), "fullscreen"), allowFullscreenToggle());
    aApplication::onActivate();
}

int GameApp::render() {
    if (IsSplashRunning()) {
        DrawSplashScreens();
        return 0;
    }
    if (!m_resourcesLoaded || !m_graphServer || !m_graphServer->beginScene())
        return 0;
    const bool scene = IsScenePlaying();
    if (!scene) {
        if (m_mode == MODE_TITLE) {
            if (m_creditsShowing)
                DrawCredits();
            else
                DrawTitleScreen();
        } else if (m_mode == MODE_ROOM && m_currentRoom) {
            m_currentRoom->Draw();
        }
    }
    if (m_particlesManager)
        m_particlesManager->render(2, 0);
    if (!m_titleIntroPending && m_guiServer)
        m_guiServer->Render();
    if (m_particlesManager)
        m_particlesManager->render(1);
    if (m_mode == MODE_TITLE)
        DrawTitleOverlay();
    if (!scene) {
        if (!m_overlayImagesFetched && m_imageManager) {
            m_overlayImagesFetched = true;
            GetImages(m_imageManager, "",
                      {{"level_completed", nullptr, &m_imageLevelCompleted},
                       {"white_dot", nullptr, &m_imageWhiteDot},
                       {"pause", nullptr, &m_imagePause}});
        }
        if (m_mode == MODE_ROOM && !m_menuOpen && m_levelCompleted) {
            const float t = m_levelCompleteTimer;
            drawCentred(m_imageLevelCompleted, 600.0f, 384.0f, (alphaByte(t / 3.0f) << 24) | 0xFFFFFFu,
                        0.9f + t * 0.1f / 3.0f);
        }
        if (m_paused) {
            const float a = 2.0f * m_pauseFade;
            if (m_imageWhiteDot && m_imageWhiteDot->hasTexture()) {
                const float scale[2] = {256.0f, 192.0f};
                m_imageWhiteDot->drawAt(0.0f, 0.0f, alphaByte(a * 0.875f) << 24, scale);
            }
            drawCentred(m_imagePause, 512.0f, 384.0f, (alphaByte(a) << 24) | 0xFFFFFFu);
        }
    }
    m_graphServer->endScene();
    return 0;
}
