#pragma once
// The game application: the engine's application object with the game on
// top. It owns the engine managers, the GUI server, the save system, the tip
// manager, the title screen, the ambient sounds, the story-scene player, the
// credits roll, the splash screens, the rooms (by name), the music player,
// the player profiles and the widget mover; it runs start-up, the frame,
// levels and room switching, the in-game dialogs, and the services that
// rooms, scene objects and puzzles are handed when they are made
// (GameServices).
//
// Its own record in the saved game is "app"; its AfterSave and AfterLoad
// carry the tip manager's record and then every room's, in the room map's
// order.

#include "game/game_services.h"
#include "game/profiles/profiles_manager.h"
#include "game/save/save_load.h"
#include "game/screens/loading_progress.h"
#include "game/widgets/widget_mover.h"
#include "mirel/base/a_rect.h"
#include "mirel/base/a_timer.h"
#include "mirel/kernel/a_application.h"
#include "mirel/sound/a_music.h"

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

class BonusRoom;
class CardRoom;
class ClueCard;
class CreditsRoll;
class EvidenceRoom;
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
class aLocaleServer;
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

class GameApp : public aApplication, public SaveLoadEntity, public GameServices {
public:
    // Modes.
    enum Mode : uint32_t { MODE_TITLE = 0, MODE_MAP = 1, MODE_ROOM = 2 };
    // What run returns when no window could be opened on the desktop.
    static constexpr int kNoDisplay = 3;
    // What update returns when the player quit: the engine closes the window.
    static constexpr int kAbortCode = int(0x80004004u);
    // A frame longer than this updates nothing.
    static constexpr float kMaxFrameTime = 0.2f;
    // Seconds a quick triple miss costs.
    static constexpr float kMissPenalty = 30.0f;
    // The low-time sound plays once the clock shows less than this many seconds.
    static constexpr int32_t kLowTimeSeconds = 121;
    // The longest level clock a level file or a save may set (100 hours).
    static constexpr int32_t kMaxLevelSeconds = 360000;
    // Seconds the level-complete picture grows before the level ends.
    static constexpr float kLevelCompleteTime = 3.0f;
    // The pause picture's fade-in.
    static constexpr float kPauseFadeTime = 0.5f;

    struct MessageBoxEntry {
        GUI::StaticImage* box = nullptr;
        std::u16string text;
        aSound* sound = nullptr;
        aImage* picture = nullptr;
        // The room that was on show when the box was asked for (none on the
        // map or the title): a note of that room, which closes when the player
        // leaves it while no follow-up waits.
        Room* room = nullptr;
    };

    GameApp();
    ~GameApp() override;

    // ---- aApplication ----
    int init(const char* name, void* instance, const char* commandLine, const char* company) override;
    int shutdown() override;
    // Start, then the engine's main loop.
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
    // Everything run does before the main loop: the level count, the
    // profiles, the devices, the locale files, the preload list, the loading
    // bar, the save system and the splash screens. 0 when the loop may start.
    int Start();
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
    void UpdateProgressCounters() override;
    bool DrawClock(const GUI::EventArgs& args);
    void CompleteLevel() override;
    void SetInputBlocked(bool blocked) override;
    bool IsLevelGoalReached() const;

    // ---- levels and rooms ----
    void CreateRooms();
    Room* FindRoom(const std::string& name) const override;
    void GotoRoom(const std::string& name);
    void ShowMap();
    void LoadLevel(bool keepSaving, bool playStartScene, const std::string& sceneName);
    void ResetRoomButtons();
    void UnhideRooms();
    // The level is done: the next one, or the end of the game.
    void EndLevel();
    // The time ran out: the level again, without its start scene.
    void RestartLevel();

    // ---- saved games ----
    void SaveGame();
    void LoadGame();
    // The current profile's save file.
    std::string GetSavePath() const;

    // ---- dialogs and services ----
    void InitGui();
    bool ShowMessageBoxText(const std::string& name, uint32_t action, const std::u16string& text,
                            aImage* picture, aSound* sound) override;
    bool ShowMessageBox(const std::string& name, uint32_t action, const std::string& localeKey,
                        aImage* picture, aSound* sound) override;
    bool IsPopupActive() const override;
    uint32_t GetHintState() const override;
    void ShowGameHelp() override;
    void OpenOptions();
    void OpenIngameMenu();

    // ---- managers ----
    aImageManager* GetImageManager() const override { return m_imageManager; }
    aSoundManager* GetSoundManager() const override { return m_soundManager; }
    aParticlesManager* GetParticlesManager() const override { return m_particlesManager; }
    aLocaleServer* GetLocaleServer() const override { return m_localeServer; }
    aInputServer* GetInputServer() const override { return getInputServer(); }
    GUI::Server* GetGuiServer() const override { return m_guiServer; }
    TipManager* GetTipManager() const override { return m_tipManager; }
    aMusicPlayer& GetMusicPlayer() override { return m_musicPlayer; }
    ProfilesManager& GetProfiles() { return m_profiles; }
    TitleScreen* GetTitleScreen() const { return m_titleScreen; }
    ScenePlayer* GetScenePlayer() const { return m_scenePlayer; }
    CreditsRoll* GetCreditsRoll() const { return m_credits; }
    SplashManager* GetSplashManager() const { return m_splashManager; }

    // ---- state ----
    uint32_t GetMode() const { return m_mode; }
    Room* GetCurrentRoom() const { return m_currentRoom; }
    BonusRoom* GetBonusRoom() const { return m_bonusRoom; }
    CardRoom* GetCardRoom() const { return m_cardRoom; }
    EvidenceRoom* GetEvidenceRoom() const { return m_evidenceRoom; }
    const std::vector<RoomButton*>& GetMapButtons() const { return m_mapButtons; }
    const std::string& GetReturnRoom() const { return m_returnRoom; }
    GUI::Widget* GetRootWidget() const { return m_root; }
    GUI::Widget* FindWidget(const std::string& name) const override;
    bool IsResourcesLoaded() const { return m_resourcesLoaded != 0; }
    bool IsTitleIntroPending() const { return m_titleIntroPending != 0; }
    bool IsCreditsShowing() const { return m_creditsShowing != 0; }
    // A story scene is playing.
    bool IsScenePlaying() const;
    const std::string& GetSceneName() const { return m_sceneName; }
    bool IsPaused() const { return m_paused != 0; }
    float GetPauseFade() const { return m_pauseFade; }
    bool IsMenuOpen() const { return m_menuOpen != 0; }
    bool IsClockStopped() const { return m_clockStopped != 0; }
    bool IsLowTimeWarned() const { return m_lowTimeWarned != 0; }
    bool IsGoalAnnounced() const { return m_goalAnnounced != 0; }
    bool IsLevelCompleted() const { return m_levelCompleted != 0; }
    bool IsMapHintShown() const { return m_mapHintShown != 0; }
    bool AreHiddenRoomsPending() const { return m_hiddenRoomsPending != 0; }
    float GetFrameTime() const { return m_frameTime; }
    float GetTimeLeft() const { return m_timeLeft; }
    float GetTimeAtGoal() const { return m_timeAtGoal; }
    double GetPlayTime() const { return m_playTime; }
    uint32_t GetHintsLeft() const override { return m_hintsLeft; }
    int32_t GetRandomLeft() const { return m_randomLeft; }
    uint32_t GetCluesTotal() const { return m_cluesTotal; }
    uint32_t GetCluesFound() const { return m_cluesFound; }
    uint32_t GetItemsTotal() const { return m_itemsTotal; }
    uint32_t GetItemsFound() const { return m_itemsFound; }
    const std::list<MessageBoxEntry>& GetMessageBoxes() const { return m_messageBoxes; }
    uint32_t GetMessageBoxAction() const { return m_messageBoxAction; }
    const std::vector<uint32_t>& GetHelpPages() const { return m_helpPages; }
    const std::string& GetSurveyUrl() const { return m_surveyUrl; }

protected:
    // The hidden-object room of a map button (tests put their own in).
    virtual Room* NewHiddenObjectRoom(const std::string& name);

    // The program's folder, where the settings file, the splash screens and
    // the data ("gameres/") lie: "home:", the folder of the program itself.
    // The test harness points it at a fixture folder.
    std::string m_programFolder = "home:";

    // engine objects
    aMusicPlayer m_musicPlayer{false};
    aImageManager* m_imageManager = nullptr;
    aSoundManager* m_soundManager = nullptr;
    aParticlesManager* m_particlesManager = nullptr;
    aLocaleServer* m_localeServer = nullptr;
    GUI::Server* m_guiServer = nullptr;
    SaveLoadSystem* m_saveSystem = nullptr;
    aCmdLine* m_cmdLine = nullptr;
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
    // The options dialog's place in the layout, kept when it is first opened.
    aRect m_optionsPlace;
    bool m_optionsPlaceKept = false;

    // rooms
    std::map<std::string, Room*> m_rooms; // owned
    std::vector<RoomButton*> m_mapButtons;
    Room* m_currentRoom = nullptr;
    BonusRoom* m_bonusRoom = nullptr;
    CardRoom* m_cardRoom = nullptr;
    EvidenceRoom* m_evidenceRoom = nullptr;
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
    float m_playerNameSize = 0.0f; // the font size the layout gives the title's name
    GUI::Widget* m_gameHelp = nullptr;
    GUI::Widget* m_creditsBack = nullptr;

    // level state
    uint32_t m_hintsLeft = 0;
    float m_timeLeft = 0.0f;
    uint8_t m_clockStopped = 0;
    uint8_t m_clockToggle = 0;
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

private:
    // ---- the title screen, splash screens, story scenes and credits ----
    void CreateSplashScreens(const std::string& settingsFile);
    void DestroySplashScreens();
    // True while splash screens still run.
    bool UpdateSplashScreens(float dt);
    bool IsSplashRunning() const;
    void DrawSplashScreens();
    void CreateTitleScreen();
    void DestroyTitleScreen();
    void UpdateTitleScreen(float dt);
    void DrawTitleScreen();
    void DrawTitleOverlay();
    bool IsTitleIntroDone() const;
    void RestartTitleScreen();
    // The current player's name on the title, on one line however long.
    void ShowPlayerName();
    void CreateScenePlayer();
    void DestroyScenePlayer();
    void UpdateScenePlayer(float dt);
    void PlayScene(const std::string& name, bool allowSkip);
    void CreateCreditsRoll(const std::string& group, const std::string& file);
    void DestroyCreditsRoll();
    void StartCredits();
    void UpdateCredits(float dt);
    void DrawCredits();

    // Every sound stops, the current room's notes close and the room, if
    // there is one, is left with the given sound.
    void LeaveCurrentRoom(aSound* exitSound);

    // ---- dialogs ----
    void DisplayMessageBox(const MessageBoxEntry& entry);
    bool CloseMessageBox();
    // Closes the notes the room asked for, before the player leaves it.
    void CloseNotesOf(const Room* room);
    void RunMessageBoxAction(uint32_t action);
    void ShowPendingClueCard(uint32_t action);
    void ShowHelpPage();
    void SetMapButtonSigns();
    void Subscribe(GUI::Widget* widget, const std::string& event,
                   bool (GameApp::*handler)(const GUI::EventArgs&));

    // ---- event handlers ----
    bool OnHandled(const GUI::EventArgs& args);
    bool OnCreditsBack(const GUI::EventArgs& args);
    bool OnPanelShow(const GUI::EventArgs& args);
    bool OnClockClick(const GUI::EventArgs& args);
    bool OnMessageBoxClose(const GUI::EventArgs& args);
    bool OnClueCardBoxClose(const GUI::EventArgs& args);
    bool OnClueCardBoxShow(const GUI::EventArgs& args);
    bool OnChangeProfile(const GUI::EventArgs& args);
    bool OnStart(const GUI::EventArgs& args);
    bool OnHelp(const GUI::EventArgs& args);
    bool OnOptions(const GUI::EventArgs& args);
    bool OnQuit(const GUI::EventArgs& args);
    bool OnCredits(const GUI::EventArgs& args);
    bool OnSurvey(const GUI::EventArgs& args);
    bool OnMapButtonClick(const GUI::EventArgs& args);
    bool OnMapEndRender(const GUI::EventArgs& args);
    bool OnCardRoomButton(const GUI::EventArgs& args);
    bool OnEvidenceRoomButton(const GUI::EventArgs& args);
    bool OnBackButton(const GUI::EventArgs& args);
    bool OnMapButton(const GUI::EventArgs& args);
    bool OnMenuButton(const GUI::EventArgs& args);
    bool OnHintButton(const GUI::EventArgs& args);
    bool OnOptionsShow(const GUI::EventArgs& args);
    bool OnOptionsApply(const GUI::EventArgs& args);
    bool OnOptionsCancel(const GUI::EventArgs& args);
    bool OnToggleFullscreen(const GUI::EventArgs& args);
    bool OnToggleShowTips(const GUI::EventArgs& args);
    bool OnMusicVolume(const GUI::EventArgs& args);
    bool OnSoundVolume(const GUI::EventArgs& args);
    bool OnSoundVolumeDone(const GUI::EventArgs& args);
    bool OnMenuMap(const GUI::EventArgs& args);
    bool OnMenuResume(const GUI::EventArgs& args);
    bool OnMenuExit(const GUI::EventArgs& args);
    bool OnConfirmSaveExit(const GUI::EventArgs& args);
    bool OnHelpOk(const GUI::EventArgs& args);
    bool OnHelpTurn(const GUI::EventArgs& args);

    // The named sounds fetched at start-up.
    aSound* m_soundLevelCompleted = nullptr;
    aSound* m_soundLevelFailed = nullptr;
    aSound* m_soundLowTime = nullptr;
    aSound* m_soundRoomEnter = nullptr;
    aSound* m_soundRoomExit = nullptr;
    aSound* m_soundRoomClear = nullptr;
    aSound* m_soundShowHint = nullptr;
    aSound* m_soundMultiClick = nullptr;
    aSound* m_soundGotClueCard = nullptr;

    bool m_profilesLoaded = false;
    // The "app" record just read was bad (short, or a level the game lacks).
    bool m_loadRejected = false;

    // The clock hands' running time (wraps at 720 s) and the HUD pictures,
    // fetched on first use.
    float m_clockAngle = 0.0f;
    bool m_clockImagesFetched = false;
    bool m_overlayImagesFetched = false;
    aImage* m_imageClockHour = nullptr;
    aImage* m_imageClockMinute = nullptr;
    aImage* m_imageClockOverlay = nullptr;
    aImage* m_imageClockWarning = nullptr;
    aImage* m_imageLevelCompleted = nullptr;
    aImage* m_imageWhiteDot = nullptr;
    aImage* m_imagePause = nullptr;
    // The scene last given to PlayScene.
    std::string m_sceneName;

    // The level's playlist, read once per run.
    bool m_playlistRead = false;
    std::vector<std::string> m_playlist;
    // The line spacing of "Orlevant_comment" at the first level load.
    bool m_commentSpacingKnown = false;
    float m_commentSpacing = 0.0f;
};
