// The game application: construction, start-up, the one-time resource load
// after the splash screens, the settings applied to the devices, and shutdown.

#include "game/shell/game_app.h"

#include "game/room.h"
#include "game/tip_manager.h"
#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_utf.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/kernel/a_cmdline.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_ambientsound.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

std::string g_languageCode;
uint32_t g_levelCount = 0;

namespace {

constexpr const char* kBuildKind = "RELEASE";
constexpr int kBuildNumber = 2768;
constexpr const char* kSettingsFile = "Tarrowdene.ini";
constexpr const char* kSplashSettings = "splashscreens/settings.ini";
constexpr const char* kGuiScript = "data:gui/main.agui";
constexpr const char* kMenuTheme = "menu_theme.ogg";

// The lists loaded after the splash screens: (group, file).
struct ListEntry {
    const char* group;
    const char* file;
};
constexpr ListEntry kImageLists[] = {
    {"title", "data:images/title/ImageList.txt"},
    {"map", "data:images/map/ImageList.txt"},
    {"evidences", "data:images/evidences/ImageList.txt"},
    {"credits", "data:images/credits/ImageList.txt"},
    {"", "data:images/ImageList.txt"},
    {"", "data:images/rooms/ImageList.txt"}, // shared by the hidden-object rooms
    {"", "data:particles/ImageList.txt"},
};
constexpr ListEntry kSoundLists[] = {
    {"", "data:sounds/SoundList.txt"},
    {"", "data:sounds/rooms/SoundList.txt"}, // shared by the hidden-object rooms
    {"", "data:sounds/ambient/SoundList.txt"},
};

bool desktopFits(const aPlatformRect& area) {
    return area.width() >= 1024 && area.height() >= 768;
}

bool desktopKnown(const aPlatformRect& area) {
    return area.width() > 0 && area.height() > 0;
}

std::string settingOf(const aOptionsFile& file, const char* key) {
    const std::string* value = file.findValue("general", key);
    return value ? *value : std::string();
}

} // namespace

GameApp::GameApp() : aApplication(), SaveLoadEntity("app") {
    m_gameTimer.reset();
}

GameApp::~GameApp() {
    // A copy that never ran (another copy was running, or start-up failed
    // before the main loop) may still hold some of these.
    for (auto& entry : m_rooms)
        delete entry.second;
    m_rooms.clear();
    delete m_cmdLine;
}

int GameApp::init(const char* name, void* instance, const char* commandLine, const char* company) {
    const int result = aApplication::init(name, instance, commandLine, company);
    a_log("%s BUILD #%d", kBuildKind, kBuildNumber);
    a_log("%s", "");
    delete m_cmdLine;
    m_cmdLine = new aCmdLine(commandLine ? commandLine : "");
    m_fileServer.setAssign("data", m_programFolder + "gameres/");

    const aOptionsFile settings(m_programFolder + kSettingsFile);
    g_languageCode = settingOf(settings, "lang");
    m_surveyUrl = settingOf(settings, "surveyurl");
    setCrashMessage(settingOf(settings, "crashmessage"));
    return result;
}

int GameApp::Start() {
    g_levelCount = 0;
    while (file_exists(a_format("data:levels/%02d.ini", {g_levelCount + 1})))
        ++g_levelCount;

    m_profiles.SetStorage(getUserFolder(), getSavedGamesFolder(), g_languageCode);
    m_profiles.LoadProfiles();
    m_profilesLoaded = true;

    // The work area is known once a window was open; an unknown one is
    // checked again as soon as the window exists.
    if (!g_currentSettings.fullscreen && desktopKnown(getWorkArea()) && !desktopFits(getWorkArea()))
        g_currentSettings.fullscreen = 1;

    try {
        new aGraphServer(1024, 768, g_currentSettings.fullscreen != 0, true, nullptr, 102,
                         g_currentSettings.vsync != 0, false);
    } catch (int32_t code) {
        showError(code);
        throw;
    }
    if (m_window && m_window->isHeadless() && !a_platformHeadless()) {
        a_log("GameApp::run - no window could be opened on the desktop");
        return kNoDisplay;
    }
    if (!m_graphServer->isFullscreen() && desktopKnown(getWorkArea()) && !desktopFits(getWorkArea())) {
        g_currentSettings.fullscreen = 1;
        m_graphServer->setFullscreen(true);
    }

    new aInputServer(this);
    m_localeServer = new aLocaleServer();
    CreateFonts();
    for (const char* file :
         {"data:loc/main.txt", "data:loc/credits.txt", "data:loc/levels.txt", "data:loc/items_comments.txt"})
        m_localeServer->loadFile(file);

    m_musicPlayer.setMusicDir("data:music/");
    m_musicPlayer.setFadeTime(0.5f);

    m_imageManager = new aImageManager();
    m_imageManager->loadList("data:images/preload/ImageList.txt");
    InitLoadingProgress(m_graphServer, m_imageManager->getImage("load_image"),
                        m_imageManager->getImage("load_progress"), kLoadingBarX, kLoadingBarY);
    m_imageManager->setProgressCallback(&LoadingProgressCallback);
    m_soundManager = new aSoundManager();
    m_soundManager->setProgressCallback(&LoadingProgressCallback);

    m_saveSystem = new SaveLoadSystem(1);
    CreateSplashScreens(m_programFolder + kSplashSettings);

    m_gameTimer.reset();
    m_mode = MODE_TITLE;
    return 0;
}

int GameApp::run() {
    const int result = Start();
    if (result != 0)
        return result;
    return aApplication::run();
}

void GameApp::LoadResources() {
    uint32_t total = 0;
    for (const ListEntry& list : kImageLists)
        total += m_imageManager->getListSize(list.file);
    for (const ListEntry& list : kSoundLists)
        total += m_soundManager->getListSize(list.file);
    SetLoadingTotal(total);
    StepLoadingProgress(-1);

    m_musicPlayer.addTrack(kMenuTheme, 1.0f);
    m_musicPlayer.playMusic(kMenuTheme, g_currentSettings.musicVolume, false, false);

    for (const ListEntry& list : kImageLists)
        m_imageManager->loadList(list.file, list.group);
    for (const ListEntry& list : kSoundLists)
        m_soundManager->loadList(list.file, list.group);
    m_soundManager->setMasterVolume(g_currentSettings.soundVolume);

    m_guiServer = new GUI::Server(m_imageManager, m_soundManager, m_inputServer);
    m_guiServer->load(kGuiScript);
    InitGui();

    m_particlesManager =
        new aParticlesManager("data:particles/config.ini", "data:particles/", m_imageManager);
    m_tipManager = new TipManager(*m_guiServer, m_soundManager, m_localeServer, g_currentSettings);
    CreateTitleScreen();
    m_titleAmbience = new aAmbientSoundSystem("data:sounds/ambient/title_screen.ini", m_soundManager, "");
    m_mapAmbience = new aAmbientSoundSystem("data:sounds/ambient/map.ini", m_soundManager, "");
    CreateScenePlayer();
    CreateCreditsRoll("credits", "data:credits.ini");
    CreateRooms();
    GUI::Widget* playerName = m_titleScreenWidget ? m_titleScreenWidget->FindChild("user_name") : nullptr;
    GUI::Widget* greetingBox = FindWidget("msgbox_text");
    m_profiles.InitGui(*m_guiServer, {playerName, greetingBox ? greetingBox->FindChild("text") : nullptr});
    if (playerName)
        m_playerNameSize = playerName->GetFontSize(true);
    ShowPlayerName();

    GetSounds(m_soundManager, "",
              {{"level_completed", nullptr, &m_soundLevelCompleted},
               {"level_failed", nullptr, &m_soundLevelFailed},
               {"low_time", nullptr, &m_soundLowTime},
               {"room_enter", nullptr, &m_soundRoomEnter},
               {"room_exit", nullptr, &m_soundRoomExit},
               {"room_clear", nullptr, &m_soundRoomClear},
               {"show_hint", nullptr, &m_soundShowHint},
               {"multiclick", nullptr, &m_soundMultiClick},
               {"got_clue_card", nullptr, &m_soundGotClueCard}});

    const bool dialog = m_profiles.Open(true);
    m_profileRefreshPending = dialog ? 1 : 0;
    m_titleIntroPending = dialog ? 1 : 0;
    if (m_titleScreenWidget)
        m_titleScreenWidget->SetVisible(!dialog);
}

void GameApp::CreateFonts() {
    aFontDesc desc;
    desc.faceName = "Arial";
    desc.height = -13;
    desc.weight = 700;
    desc.charSet = 1;
    m_graphServer->createFont("debug", desc, &m_debugFont);
}

void GameApp::ApplySettings() {
    if (m_graphServer) {
        m_graphServer->setFullscreen(g_currentSettings.fullscreen != 0);
        m_graphServer->setVSync(g_currentSettings.vsync != 0);
    }
    if (m_soundManager)
        m_soundManager->setMasterVolume(g_currentSettings.soundVolume);
    m_musicPlayer.setVolume(g_currentSettings.musicVolume);
}

bool GameApp::allowFullscreenToggle() {
    if (!m_graphServer || !m_graphServer->isFullscreen())
        return true;
    return desktopFits(getWorkArea());
}

intptr_t GameApp::windowProc(const aWindowEvent& event) {
    return aApplication::windowProc(event);
}

void GameApp::destroyInput() {
    aApplication::destroyInput();
}

int GameApp::shutdown() {
    if (m_mode != MODE_TITLE) {
        if (m_soundManager)
            m_soundManager->stopAll();
        if (m_currentRoom)
            m_currentRoom->Leave(nullptr);
        m_currentRoom = nullptr;
        SaveGame();
    }
    if (m_profilesLoaded)
        m_profiles.SaveProfiles();

    for (auto& entry : m_rooms) {
        entry.second->UnloadResources();
        delete entry.second;
    }
    m_rooms.clear();
    m_bonusRoom = nullptr;
    m_cardRoom = nullptr;
    m_evidenceRoom = nullptr;
    m_mapButtons.clear();

    delete m_cmdLine;
    m_cmdLine = nullptr;
    delete m_saveSystem;
    m_saveSystem = nullptr;
    DestroyScenePlayer();
    delete m_tipManager;
    m_tipManager = nullptr;
    delete m_mapAmbience;
    m_mapAmbience = nullptr;
    DestroyTitleScreen();
    delete m_titleAmbience;
    m_titleAmbience = nullptr;
    DestroyCreditsRoll();
    delete m_particlesManager;
    m_particlesManager = nullptr;
    DestroySplashScreens();

    if (m_graphServer && m_graphServer->hasFont("debug"))
        m_graphServer->deleteFont("debug");
    m_debugFont = nullptr;

    delete m_guiServer;
    m_guiServer = nullptr;
    delete m_localeServer;
    m_localeServer = nullptr;
    delete m_imageManager;
    m_imageManager = nullptr;
    delete m_soundManager;
    m_soundManager = nullptr;
    destroyInput();
    delete m_graphServer;
    m_graphServer = nullptr;
    return aApplication::shutdown();
}
