// The game application's record "app" in the saved game, saving the game,
// and starting a game from the current profile's save.

#include "game/game_app.h"

#include "game/bonus/bonus_room.h"
#include "game/room.h"
#include "game/room_button.h"
#include "game/scenes/spy_room.h"
#include "game/tip_manager.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/util/a_log.h"

namespace {

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
    record.WriteU32(g_currentSettings.level);
    record.WriteU32(g_currentSettings.timeOverCount);
    record.WriteU8(IsScenePlaying() ? 1 : 0);
    record.WriteString(m_sceneName);
    record.WriteU8(m_hiddenRoomsPending);
    record.WriteU8(m_levelCompleted);
    record.WriteF32(m_levelCompleteTimer);
    record.WriteU32(m_hintsLeft);
    record.WriteF32(m_timeLeft);
    record.WriteF32(m_timeAtGoal);
    record.WriteF64(m_playTime);
    record.WriteU8(m_goalAnnounced);
    record.WriteU8(m_spareFlag);
    record.WriteU8(m_evidenceAdded);
    record.WriteU8(m_mapHintShown);
}

void GameApp::Load(SaveLoadSystem&, SaveReader& record) {
    uint32_t level = 0, timeOver = 0, hints = 0;
    uint8_t scenePlaying = 0, hiddenPending = 0, completed = 0, announced = 0, spare = 0, evidence = 0,
            mapHint = 0;
    std::string scene;
    float completeTimer = 0.0f, timeLeft = 0.0f, timeAtGoal = 0.0f;
    double playTime = 0.0;
    record.ReadU32(level);
    record.ReadU32(timeOver);
    record.ReadU8(scenePlaying);
    record.ReadString(scene);
    record.ReadU8(hiddenPending);
    record.ReadU8(completed);
    record.ReadF32(completeTimer);
    record.ReadU32(hints);
    record.ReadF32(timeLeft);
    record.ReadF32(timeAtGoal);
    record.ReadF64(playTime);
    record.ReadU8(announced);
    record.ReadU8(spare);
    record.ReadU8(evidence);
    record.ReadU8(mapHint);
    // A cut-short record, or a level that the game does not have, is a bad
    // save: the game starts afresh instead.
    m_loadRejected = !record.IsOk() || level < 1 || level > g_levelCount;
    if (m_loadRejected)
        return;

    g_currentSettings.level = level;
    g_currentSettings.timeOverCount = timeOver;
    LoadLevel(true, scenePlaying != 0, scene);
    m_hiddenRoomsPending = hiddenPending;
    m_levelCompleted = completed;
    m_levelCompleteTimer = completeTimer;
    m_hintsLeft = hints;
    m_timeLeft = timeLeft;
    m_timeAtGoal = timeAtGoal;
    m_playTime = playTime;
    m_goalAnnounced = announced;
    m_spareFlag = spare;
    m_evidenceAdded = evidence;
    m_mapHintShown = mapHint;
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
