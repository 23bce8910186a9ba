// The game application's record "app" in the saved game, saving the game,
// and starting a game from the current profile's save.

#include "game/shell/game_app.h"

#include "game/bonus/bonus_room.h"
#include "game/room.h"
#include "game/save/game_record.h"
#include "game/scenes/spy_room.h"
#include "game/tip_manager.h"
#include "game/widgets/room_button.h"
#include "mirel/base/a_log.h"
#include "mirel/gui/gui_widget.h"

#include <algorithm>
#include <cmath>

namespace {

// A time of the saved record: a number of seconds from 0 to high; anything
// else (no number, below 0, too long) is taken at the nearer end, with a line.
float savedSeconds(const char* what, float value, float high) {
    const float taken = std::isfinite(value) ? std::clamp(value, 0.0f, high) : 0.0f;
    if (taken != value)
        a_log("GameApp::Load - saved %s %g out of range, %g taken", what, double(value), double(taken));
    return taken;
}

void setVisible(GUI::Widget* widget, bool visible) {
    if (widget)
        widget->SetVisible(visible);
}

GUI::Widget* childAt(GUI::Widget* widget, size_t index) {
    return widget && widget->GetChildCount() > index ? widget->GetChildren()[index] : nullptr;
}

} // namespace

std::string GameApp::GetSavePath() const {
    return m_profiles.GetSaveFileName(g_currentSettings);
}

void GameApp::Save(SaveLoadSystem&, SaveWriter& record) {
    GameRecord r;
    r.level = g_currentSettings.level;
    r.timeOverCount = g_currentSettings.timeOverCount;
    r.scenePlaying = IsScenePlaying() ? 1 : 0;
    r.sceneName = m_sceneName;
    r.hiddenRoomsPending = m_hiddenRoomsPending;
    r.levelCompleted = m_levelCompleted;
    r.levelCompleteTimer = m_levelCompleteTimer;
    r.hintsLeft = m_hintsLeft;
    r.timeLeft = m_timeLeft;
    r.timeAtGoal = m_timeAtGoal;
    r.playTime = m_playTime;
    r.goalAnnounced = m_goalAnnounced;
    r.spareFlag = m_spareFlag;
    r.evidenceAdded = m_evidenceAdded;
    r.mapHintShown = m_mapHintShown;
    WriteGameRecord(record, r);
}

void GameApp::Load(SaveLoadSystem&, SaveReader& record) {
    GameRecord r;
    // A cut-short record, or a level that the game does not have, is a bad
    // save: the game starts afresh instead.
    m_loadRejected = !ReadGameRecord(record, r) || !IsPlayableGameRecord(r, g_levelCount);
    if (m_loadRejected)
        return;
    g_currentSettings.level = r.level;
    g_currentSettings.timeOverCount = r.timeOverCount;
    LoadLevel(true, r.scenePlaying != 0, r.sceneName);
    // The rest overwrites what the level load set.
    m_hiddenRoomsPending = r.hiddenRoomsPending;
    m_levelCompleted = r.levelCompleted;
    m_levelCompleteTimer = savedSeconds("level-complete timer", r.levelCompleteTimer, kLevelCompleteTime);
    m_hintsLeft = r.hintsLeft;
    // The level's clock, as its load just set it, is the most a save can have left.
    const float levelTime = m_timeLeft;
    m_timeLeft = savedSeconds("time left", r.timeLeft, levelTime);
    m_timeAtGoal = savedSeconds("time at goal", r.timeAtGoal, levelTime);
    m_playTime = std::isfinite(r.playTime) && r.playTime >= 0.0 ? r.playTime : 0.0;
    m_goalAnnounced = r.goalAnnounced;
    m_spareFlag = r.spareFlag;
    m_evidenceAdded = r.evidenceAdded;
    m_mapHintShown = r.mapHintShown;
}

void GameApp::AfterSave(SaveLoadSystem& system) {
    if (m_tipManager)
        system.SaveEntity(*m_tipManager);
    for (auto& entry : m_rooms)
        system.SaveEntity(*entry.second);
}

void GameApp::AfterLoad(SaveLoadSystem& system) {
    if (m_loadRejected)
        return;
    if (m_tipManager)
        system.LoadEntity(*m_tipManager);
    for (auto& entry : m_rooms)
        system.LoadEntity(*entry.second);
}

void GameApp::SaveGame() {
    if (!m_savingEnabled || !m_saveSystem)
        return;
    m_saveSystem->BeginSave(GetSavePath(), kSaveFormatVersion);
    m_saveSystem->SaveEntity(*this);
    m_saveSystem->EndSave();
}

void GameApp::SetMapButtonSigns() {
    for (auto& entry : m_rooms) {
        if (!entry.second->IsKind(Room::KIND_HIDDEN_OBJECT))
            continue;
        auto* room = static_cast<SpyRoom*>(entry.second);
        if (!room->IsResourcesLoaded() || room->GetItemsTotal() == 0)
            continue;
        GUI::Widget* button = m_gameMap ? m_gameMap->FindChild(entry.first) : nullptr;
        GUI::Widget* sign = childAt(button, 1);
        GUI::Widget* count = childAt(button, 2);
        if (room->IsHidden()) {
            setVisible(sign, false);
            setVisible(count, false);
        } else if (room->IsComplete()) {
            setVisible(sign, true);
            setVisible(count, false);
        } else {
            setVisible(sign, false);
            if (count) {
                count->SetTextFormatted(u"%d",
                                        {int64_t(room->GetItemsTotal()) - int64_t(room->GetItemsFound())});
                count->SetVisible(true);
            }
        }
    }
}

void GameApp::LoadGame() {
    setVisible(m_titleScreenWidget, false);
    setVisible(m_panel, true);
    setVisible(m_gameMap, true);
    setVisible(m_infoMap, true);
    m_mapHintShown = 0;
    if (m_tipManager)
        m_tipManager->ResetTipCounts(true);
    for (auto& entry : m_rooms)
        entry.second->Reset();

    const std::string path = GetSavePath();
    bool loaded = m_saveSystem && m_saveSystem->Load(path, kSaveFormatVersion);
    if (loaded) {
        m_loadRejected = false;
        loaded = m_saveSystem->LoadEntity(*this) && !m_loadRejected;
        m_saveSystem->EndSave();
        if (loaded) {
            SetMapButtonSigns();
            UpdateProgressCounters();
        } else {
            a_log("SaveLoadSystem: file \"%s\" load failed!", path.c_str());
        }
    }
    if (!loaded) {
        // A save that lies there but cannot be taken stays beside the new game's.
        KeepFileAside(path, "refused", "GameApp::LoadGame - the saved game");
        g_currentSettings.level = 1;
        g_currentSettings.timeOverCount = 0;
        LoadLevel(true, true, std::string());
    }
    m_currentRoom = nullptr;
    m_mode = MODE_MAP;
    if (IsLevelGoalReached() && m_bonusRoom) {
        m_timeLeft = m_timeAtGoal;
        m_bonusRoom->SetShowTitle(false);
        GotoRoom(m_bonusRoom->GetName());
    }
}
