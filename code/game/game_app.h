#pragma once
// The game application: the engine's application object with the game on
// top. It owns the engine managers, the GUI server, the save system, the tip
// manager, the title screen, the ambient sounds, the story-scene player, the
// credits roll, the splash screens, the rooms (by name), the music player,
// the player profiles and the widget mover; it runs start-up, the frame,
// levels and room switching, the in-game dialogs, and the services that
// rooms, scene objects and puzzles call through the application pointer
// (aApplication::getInstance(), cast to GameApp).
//
// Its own record in the saved game is "app"; its AfterSave and AfterLoad
// carry the tip manager's record and then every room's, in the room map's
// order.

#include "game/profiles_manager.h"
#include "game/save_load.h"
#include "game/widget_mover.h"
#include "mirel/kernel/a_application.h"
#include "mirel/kernel/a_timer.h"
#include "mirel/sound/a_music.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class ClueCard;
class CreditsRoll;
class Room;
class RoomButton;
class ScenePlayer;
class SplashManager;
class TipManager;
class TitleScreen;
class aAmbientSoundSystem;
class aCmdLine;
class aDeviceFont;
class aImage;
class aImageManager;
class aParticlesManager;
class aSound;
class aSoundManager;
namespace GUI {
struct EventArgs;
class Server;
class StaticImage;
class Widget;
} // namespace GUI

// The language code from the settings file (empty until it is read); part of
// the names of the profiles file and the save files.
extern std::string g_languageCode;
// The number of consecutive level files from "data:levels/01.ini" on.
extern uint32_t g_levelCount;

// The loading bar drawn while lists load; the managers call StepLoadingProgress
// once per list line, and -1 draws without counting a step.
void InitLoadingProgress(aGraphServer* graph, aImage* background, aImage* bar, int32_t x, int32_t y);
void SetLoadingTotal(uint32_t count);
bool StepLoadingProgress(int16_t step);

// "lev" + the current level number + "." + name: a level's own locale keys.
std::string MakeLevelKey(const std::string& name);

class GameApp : public aApplication, public SaveLoadEntity {
public:
    // Modes.
    enum Mode : uint32_t { MODE_TITLE = 0, MODE_MAP = 1, MODE_ROOM = 2 };
    // Follow-up actions of the message-box queue; from 128 on (low byte) a
    // queued box refuses further boxes.
    enum Action : uint32_t {
        ACTION_NONE = 0,
        ACTION_ROOM_COMPLETED = 1,
        ACTION_GOAL_REACHED = 3,
        ACTION_FIRST_MAP_VISIT = 5,
        ACTION_COMPLETE_LEVEL = 130,
        ACTION_RESTART_LEVEL = 132,
    };

    GameApp();
    ~GameApp() override;

    // ---- aApplication ----
    int init(const char* name, void* instance, const char* commandLine, const char* company) override;
    int shutdown() override;
    int run() override;
    intptr_t windowProc(const aWindowEvent& event) override;
    void destroyInput() override;
    int update() override;
    int render() override;
    void onDeactivate() override;
    void onActivate() override;
    void onDisplayModeChanged() override;
    bool allowFullscreenToggle() override;

    // ---- SaveLoadEntity ("app") ----
    void Load(SaveLoadSystem& system, SaveReader& record) override;
    void Save(SaveLoadSystem& system, SaveWriter& record) override;
    void AfterSave(SaveLoadSystem& system) override;
    void AfterLoad(SaveLoadSystem& system) override;

    // ---- start-up ----
    // The one-time load after the splash screens.
    void LoadResources();
    void CreateFonts();
    // Full screen, vsync and the two volumes from the current settings.
    void ApplySettings();

    // ---- frame ----
    void UpdateLevel();
    void UpdateCurrentRoom();
    void UpdateLevelClock();
    void UpdateTitle();
    void UpdatePanelButtons();
    void UpdateProgressCounters();
    bool DrawClock(const GUI::EventArgs& args);
    void CompleteLevel();
    void SetInputBlocked(bool blocked);
    bool IsLevelGoalReached() const;

    // ---- levels and rooms ----
    void CreateRooms();
    // The room of that name, or null (logged).
    Room* FindRoom(const std::string& name) const;
    void GotoRoom(const std::string& name);
    void ShowMap();
    void LoadLevel(bool keepSaving, bool playStartScene, const std::string& sceneName);
    void ResetRoomButtons();
    void UnhideRooms();

    // ---- saved games ----
    void SaveGame();
    void LoadGame();

    // ---- dialogs and services ----
    void InitGui();
    bool ShowMessageBoxText(const std::string& name, uint32_t action, const std::u16string& text,
                            aImage* picture, aSound* sound);
    bool ShowMessageBox(const std::string& name, uint32_t action, const std::string& localeKey,
                        aImage* picture, aSound* sound);
    // A message box is queued or the game help is shown.
    bool IsPopupActive() const;
    // The current room's, or 1 (no hints) without one.
    uint32_t GetHintState() const;
    void ShowGameHelp();

    // ---- managers ----
    aImageManager* GetImageManager() const { return m_imageManager; }
    aSoundManager* GetSoundManager() const { return m_soundManager; }
    aParticlesManager* GetParticlesManager() const { return m_particlesManager; }
    GUI::Server* GetGuiServer() const { return m_guiServer; }
    TipManager* GetTipManager() const { return m_tipManager; }
    SaveLoadSystem* GetSaveSystem() const { return m_saveSystem; }
    aMusicPlayer& GetMusicPlayer() { return m_musicPlayer; }
    ProfilesManager& GetProfiles() { return m_profiles; }
    WidgetMover& GetWidgetMover() { return m_widgetMover; }
    Room* GetCurrentRoom() const { return m_currentRoom; }
    uint32_t GetMode() const { return m_mode; }

protected:
    struct MessageBoxEntry {
        GUI::StaticImage* box = nullptr;
        std::u16string text;
        aSound* sound = nullptr;
        aImage* picture = nullptr;
    };

    // engine objects
    aMusicPlayer m_musicPlayer{false};
    aImageManager* m_imageManager = nullptr;
    aSoundManager* m_soundManager = nullptr;
    aParticlesManager* m_particlesManager = nullptr;
    GUI::Server* m_guiServer = nullptr;
    SaveLoadSystem* m_saveSystem = nullptr;
    aTimer m_gameTimer{0}; // the high-resolution counter
    float m_frameTime = 0.0f;
    aDeviceFont* m_debugFont = nullptr;

    // game objects
    TipManager* m_tipManager = nullptr;
    TitleScreen* m_titleScreen = nullptr;
    aAmbientSoundSystem* m_titleAmbience = nullptr;
    aAmbientSoundSystem* m_mapAmbience = nullptr;
    ScenePlayer* m_scenePlayer = nullptr;
    CreditsRoll* m_credits = nullptr;
    SplashManager* m_splashManager = nullptr;
    ProfilesManager m_profiles;
    WidgetMover m_widgetMover;

    // rooms
    std::map<std::string, Room*> m_rooms; // owned
    std::vector<RoomButton*> m_mapButtons;
    Room* m_currentRoom = nullptr;
    Room* m_bonusRoom = nullptr;
    Room* m_cardRoom = nullptr;
    Room* m_evidenceRoom = nullptr;
    std::string m_returnRoom;
    uint32_t m_mode = MODE_TITLE;

    // flags
    uint8_t m_resourcesLoaded = 0;
    uint8_t m_quitRequested = 0;
    uint8_t m_savingEnabled = 1;
    uint8_t m_profileRefreshPending = 0;
    uint8_t m_titleIntroPending = 0;
    uint8_t m_creditsShowing = 0;
    std::string m_surveyUrl;

    // GUI handles, found once by InitGui
    GUI::Widget* m_root = nullptr;
    GUI::Widget* m_gameMap = nullptr;
    GUI::Widget* m_infoMap = nullptr;
    GUI::Widget* m_panel = nullptr;
    GUI::Widget* m_clockText = nullptr;
    GUI::Widget* m_titleScreenWidget = nullptr;
    GUI::Widget* m_gameHelp = nullptr;
    GUI::Widget* m_creditsBack = nullptr;

    // level state
    uint32_t m_hintsLeft = 0;
    float m_timeLeft = 0.0f;
    uint8_t m_clockStopped = 0;
    uint8_t m_lowTimeWarned = 0;
    double m_playTime = 0.0;
    uint8_t m_paused = 0;
    float m_pauseFade = 0.0f;
    uint8_t m_menuOpen = 0;
    uint8_t m_goalAnnounced = 0;
    float m_timeAtGoal = 0.0f;
    uint8_t m_spareFlag = 0;
    uint8_t m_evidenceAdded = 0;
    uint8_t m_mapHintShown = 0;
    uint8_t m_levelCompleted = 0;
    float m_levelCompleteTimer = 0.0f;
    uint8_t m_hiddenRoomsPending = 0;
    int32_t m_randomLeft = 0;
    std::string m_unhideScene;
    uint32_t m_cluesTotal = 0;
    uint32_t m_cluesFound = 0;
    uint32_t m_itemsTotal = 0;
    uint32_t m_itemsFound = 0;
    ClueCard* m_pendingClueCard = nullptr;
    std::list<MessageBoxEntry> m_messageBoxes;
    uint32_t m_messageBoxAction = ACTION_NONE;
    std::vector<uint32_t> m_helpPages;
};
