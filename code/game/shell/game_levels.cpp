// Levels and room switching: the room builder, finding and switching rooms,
// the map, level loading with its music, scenes and map buttons, hidden rooms
// that open at the level goal, the level end and the restart after the time
// ran out.

#include "game/shell/game_app.h"

#include "game/bonus/bonus_room.h"
#include "game/room.h"
#include "game/scenes/card_room.h"
#include "game/scenes/evidence_room.h"
#include "game/scenes/spy_room.h"
#include "game/tip_manager.h"
#include "game/widgets/room_button.h"
#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_string.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"
#include "mirel/util/a_stringlist.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr const char* kRoomSectionPrefix = "Room.";
constexpr size_t kRoomSectionPrefixLength = 5;
constexpr const char* kNightSuffix = "_night";
constexpr size_t kNightSuffixLength = 6;

GUI::Widget* childAt(GUI::Widget* widget, size_t index) {
    return widget && widget->GetChildCount() > index ? widget->GetChildren()[index] : nullptr;
}

void setVisible(GUI::Widget* widget, bool visible) {
    if (widget)
        widget->SetVisible(visible);
}

// A number of the level's "General" section, read as a whole number between
// low and high; a value outside them is taken at the nearer end, with a line.
int32_t levelInt(const aOptionsFile& level, const char* key, int64_t low = INT32_MIN,
                 int64_t high = INT32_MAX) {
    const std::string text = level.getValue("General", key);
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    const int64_t taken = std::clamp<int64_t>(value, low, high);
    if (taken != value)
        a_log("GameApp::LoadLevel - %s = %s out of range, %d taken", key, text.c_str(), int(taken));
    return int32_t(taken);
}

SpyRoom* asSpyRoom(Room* room) {
    return room && room->IsKind(Room::KIND_HIDDEN_OBJECT) ? static_cast<SpyRoom*>(room) : nullptr;
}

bool endsWithNight(const std::string& name) {
    return name.size() >= kNightSuffixLength &&
           a_stricmp(std::string_view(name).substr(name.size() - kNightSuffixLength), kNightSuffix) == 0;
}

} // namespace

Room* GameApp::NewHiddenObjectRoom(const std::string& name) {
    return new SpyRoom(name, m_imageManager, m_soundManager, this);
}

void GameApp::CreateRooms() {
    m_bonusRoom = new BonusRoom(m_imageManager, m_soundManager, this);
    m_rooms[m_bonusRoom->GetName()] = m_bonusRoom;
    m_cardRoom = new CardRoom(m_imageManager, m_soundManager, this);
    m_rooms[m_cardRoom->GetName()] = m_cardRoom;
    m_evidenceRoom = new EvidenceRoom(m_imageManager, m_soundManager, this);
    m_rooms[m_evidenceRoom->GetName()] = m_evidenceRoom;
    for (RoomButton* button : m_mapButtons) {
        const std::string& name = button->GetName();
        if (m_rooms.count(name) == 0)
            m_rooms[name] = NewHiddenObjectRoom(name);
    }
}

Room* GameApp::FindRoom(const std::string& name) const {
    auto it = m_rooms.find(name);
    if (it == m_rooms.end()) {
        a_log("GameApp::FindRoom - room '%s' not found!", name.c_str());
        return nullptr;
    }
    return it->second;
}

void GameApp::GotoRoom(const std::string& name) {
    if (m_currentRoom && m_currentRoom->GetName() == name)
        return;
    auto it = m_rooms.find(name);
    if (it == m_rooms.end() || !it->second->IsResourcesLoaded()) {
        a_log("GotoRoom(%s) failed - room not exist or not loaded!", name.c_str());
        return;
    }
    Room* room = it->second;
    setVisible(m_infoMap, false);
    setVisible(m_gameMap, false);
    ResetRoomButtons();
    if (m_tipManager)
        m_tipManager->HideTip();
    if (m_currentRoom)
        SaveGame();
    LeaveCurrentRoom(nullptr);
    m_currentRoom = room;
    room->Enter(m_soundRoomEnter);
    if (!room->IsKind(Room::KIND_EVIDENCE) && !room->IsKind(Room::KIND_CARD))
        m_returnRoom = name;
    m_mode = MODE_ROOM;
}

void GameApp::LeaveCurrentRoom(aSound* exitSound) {
    if (m_soundManager)
        m_soundManager->stopAll();
    CloseNotesOf(m_currentRoom);
    if (m_currentRoom) {
        m_currentRoom->Leave(exitSound);
        m_currentRoom = nullptr;
    }
}

void GameApp::ShowMap() {
    if (m_mode == MODE_MAP)
        return;
    if (m_currentRoom && m_currentRoom->IsKind(Room::KIND_HIDDEN_OBJECT) && !m_hiddenRoomsPending &&
        IsLevelGoalReached() && m_bonusRoom) {
        m_bonusRoom->SetShowTitle(true);
        GotoRoom(m_bonusRoom->GetName());
        return;
    }
    LeaveCurrentRoom(m_soundRoomExit);
    if (IsLevelGoalReached() && m_hiddenRoomsPending) {
        UnhideRooms();
        ShowMessageBox("msgbox_text", ACTION_NONE, "new_rooms_available", nullptr, nullptr);
        if (!m_unhideScene.empty())
            PlayScene(m_unhideScene, true);
    }
    UpdateProgressCounters();
    SaveGame();
    setVisible(m_gameMap, true);
    setVisible(m_infoMap, true);
    m_mode = MODE_MAP;
}

void GameApp::ResetRoomButtons() {
    for (RoomButton* button : m_mapButtons)
        button->SetFlashing(false);
}

void GameApp::UnhideRooms() {
    for (RoomButton* button : m_mapButtons) {
        auto it = m_rooms.find(button->GetName());
        SpyRoom* room = it == m_rooms.end() ? nullptr : asSpyRoom(it->second);
        if (!room || !room->IsResourcesLoaded() || !room->IsHidden())
            continue;
        room->SetHidden(false);
        button->SetFlashing(true);
        if (GUI::Widget* count = childAt(button, 2)) {
            count->SetTextFormatted(u"%d", {room->GetItemsTotal()});
            count->SetVisible(true);
        }
    }
    m_hiddenRoomsPending = 0;
}

void GameApp::LoadLevel(bool keepSaving, bool playStartScene, const std::string& sceneName) {
    m_savingEnabled = (m_savingEnabled && keepSaving) ? 1 : 0;
    m_levelCompleted = 0;
    const aOptionsFile level(a_format("data:levels/%02d.ini", {g_currentSettings.level}));

    std::vector<Room*> listed;
    for (Room* special : std::initializer_list<Room*>{m_bonusRoom, m_cardRoom, m_evidenceRoom}) {
        if (special)
            listed.push_back(special);
    }
    for (const std::string& section : level.getSectionNames()) {
        if (section.compare(0, kRoomSectionPrefixLength, kRoomSectionPrefix) != 0)
            continue;
        const std::string name = section.substr(kRoomSectionPrefixLength);
        auto it = m_rooms.find(name);
        if (it == m_rooms.end()) {
            a_log("GameApp::LoadLevel - room '%s' of level %u does not exist, skipped", name.c_str(),
                  unsigned(g_currentSettings.level));
            continue;
        }
        if (std::find(listed.begin(), listed.end(), it->second) == listed.end())
            listed.push_back(it->second);
    }
    auto isListed = [&](const Room* room) {
        return std::find(listed.begin(), listed.end(), room) != listed.end();
    };

    uint32_t total = 0;
    for (Room* room : listed)
        total += room->GetResourceCount();
    SetLoadingTotal(total);
    StepLoadingProgress(-1);
    // The rooms the level does not list give their pictures and sounds back
    // before the listed ones load: the two levels are never held at once.
    for (auto& entry : m_rooms) {
        if (!isListed(entry.second))
            entry.second->UnloadResources();
    }
    for (auto& entry : m_rooms) {
        if (isListed(entry.second))
            entry.second->LoadResources(level);
    }
    if (m_soundManager)
        m_soundManager->setMasterVolume(g_currentSettings.soundVolume);

    if (!m_playlistRead) {
        m_playlistRead = true;
        aStringList list("data:music/playlist.txt");
        for (list.begin(); !list.isEnd(); list.next())
            m_playlist.push_back(list.current());
        m_musicPlayer.addTracks(list, 1.0f);
    }
    if (!m_playlist.empty()) {
        const int64_t count = int64_t(m_playlist.size());
        const int64_t line = ((int64_t(g_currentSettings.level) - 1) % count + count) % count;
        m_musicPlayer.playMusic(m_playlist[size_t(line)], g_currentSettings.musicVolume, true, true);
    } else {
        m_musicPlayer.stop(true); // no level music: the menu's does not go on
    }

    for (RoomButton* button : m_mapButtons) {
        setVisible(childAt(button, 1), false);
        auto it = m_rooms.find(button->GetName());
        SpyRoom* room = it == m_rooms.end() ? nullptr : asSpyRoom(it->second);
        GUI::Widget* count = childAt(button, 2);
        if (room && room->IsResourcesLoaded() && !room->IsHidden() && room->GetItemsTotal() != 0) {
            if (count) {
                count->SetTextFormatted(u"%d", {room->GetItemsTotal()});
                count->SetVisible(true);
            }
        } else {
            setVisible(count, false);
        }
    }
    ResetRoomButtons();

    m_timeLeft = float(levelInt(level, "Time", 0, kMaxLevelSeconds));
    m_hintsLeft = uint32_t(levelInt(level, "HintsCount", 0));
    m_randomLeft = levelInt(level, "RandomLeft");

    if (m_infoMap && m_localeServer) {
        if (GUI::Widget* header = m_infoMap->FindChild("level_num"))
            header->SetTextFormatted(m_localeServer->getString("level_header"), {g_currentSettings.level});
        if (auto* comment = dynamic_cast<GUI::StaticText*>(m_infoMap->FindChild("Orlevant_comment"))) {
            if (!m_commentSpacingKnown) {
                m_commentSpacingKnown = true;
                m_commentSpacing = comment->GetLineSpacing();
            }
            comment->SetText(m_localeServer->getString(MakeLevelKey("title")));
            comment->SetLineSpacing(m_commentSpacing);
            if (int32_t(comment->GetTextHeight()) > comment->GetHeight())
                comment->SetLineSpacing(float(comment->GetTag()));
        }
    }

    const std::string* unhide = level.findValue("General", "UnhideScene");
    m_unhideScene = unhide ? *unhide : std::string();
    std::string scene = sceneName;
    if (scene.empty()) {
        if (const std::string* start = level.findValue("General", "StartScene"))
            scene = *start;
    }
    if (playStartScene && !scene.empty())
        PlayScene(scene, true);

    for (auto& entry : m_rooms) {
        if (!entry.second->IsKind(Room::KIND_HIDDEN_OBJECT) || !endsWithNight(entry.first))
            continue;
        auto day = m_rooms.find(entry.first.substr(0, entry.first.size() - kNightSuffixLength));
        if (day == m_rooms.end())
            continue;
        const bool night = entry.second->IsResourcesLoaded();
        bool dayLoaded = day->second->IsResourcesLoaded();
        if (!night && !dayLoaded)
            dayLoaded = true;
        setVisible(m_gameMap ? m_gameMap->FindChild(entry.first) : nullptr, night);
        setVisible(m_gameMap ? m_gameMap->FindChild(day->first) : nullptr, dayLoaded);
    }

    m_playTime = 0.0;
    m_goalAnnounced = 0;
    m_spareFlag = 0;
    m_evidenceAdded = 0;
    m_lowTimeWarned = 0;
    m_pendingClueCard = nullptr;
    UpdateProgressCounters();
}

void GameApp::EndLevel() {
    if (m_soundManager)
        m_soundManager->stopAll();
    if (m_currentRoom) {
        m_currentRoom->Leave(nullptr);
        m_currentRoom = nullptr;
    }
    SetInputBlocked(false);
    if (g_currentSettings.level < g_levelCount) {
        ++g_currentSettings.level;
        g_currentSettings.timeOverCount = 0;
        setVisible(m_infoMap, true);
        setVisible(m_gameMap, true);
        LoadLevel(true, true, std::string());
        SaveGame();
        m_mode = MODE_MAP;
        return;
    }
    m_profiles.DeleteSaveFile(g_currentSettings);
    setVisible(m_infoMap, false);
    setVisible(m_gameMap, false);
    setVisible(m_panel, false);
    StartCredits();
    setVisible(m_creditsBack, true);
    m_creditsShowing = 1;
    RestartTitleScreen();
    m_mode = MODE_TITLE;
    PlayScene("final", false);
}

void GameApp::RestartLevel() {
    if (m_soundManager)
        m_soundManager->stopAll();
    if (m_currentRoom) {
        m_currentRoom->Leave(nullptr);
        m_currentRoom = nullptr;
    }
    setVisible(m_infoMap, true);
    setVisible(m_gameMap, true);
    ++g_currentSettings.timeOverCount;
    if (m_tipManager)
        m_tipManager->ResetTipCounts(false);
    if (m_soundLevelFailed)
        m_soundLevelFailed->stop();
    LoadLevel(true, false, std::string());
    SaveGame();
    m_mode = MODE_MAP;
}
