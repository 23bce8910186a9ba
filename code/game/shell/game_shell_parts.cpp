// The game's calls into its splash screens, title screen, story-scene player
// and credits roll.

#include "game/credits/credits_roll.h"
#include "game/profiles/player_name.h"
#include "game/profiles/profile_record.h"
#include "game/screens/scene_player.h"
#include "game/screens/splash_manager.h"
#include "game/screens/title_screen.h"
#include "game/shell/game_app.h"
#include "mirel/base/a_utf.h"
#include "mirel/gui/gui_widget.h"

void GameApp::CreateSplashScreens(const std::string& settingsFile) {
    m_splashManager = new SplashManager(settingsFile, m_inputServer);
    m_splashManager->Start(true);
}

void GameApp::DestroySplashScreens() {
    delete m_splashManager;
    m_splashManager = nullptr;
}

bool GameApp::UpdateSplashScreens(float dt) {
    return m_splashManager && m_splashManager->Update(dt);
}

bool GameApp::IsSplashRunning() const {
    return m_splashManager && m_splashManager->IsRunning();
}

void GameApp::DrawSplashScreens() {
    if (m_splashManager)
        m_splashManager->Draw();
}

void GameApp::CreateTitleScreen() {
    m_titleScreen = new TitleScreen(m_imageManager);
}

void GameApp::DestroyTitleScreen() {
    delete m_titleScreen;
    m_titleScreen = nullptr;
}

void GameApp::UpdateTitleScreen(float dt) {
    if (m_titleScreen)
        m_titleScreen->Update(dt);
}

void GameApp::DrawTitleScreen() {
    if (m_titleScreen)
        m_titleScreen->Draw();
}

void GameApp::DrawTitleOverlay() {
    // The title's clock stands while the credits or a story scene show, so
    // its masks would stand over them: they belong to the title alone.
    if (m_titleScreen && !m_creditsShowing && !IsScenePlaying())
        m_titleScreen->DrawMasks();
}

bool GameApp::IsTitleIntroDone() const {
    return !m_titleScreen || m_titleScreen->IsIntroDone();
}

void GameApp::RestartTitleScreen() {
    if (m_titleScreen)
        m_titleScreen->Restart(true);
}

void GameApp::ShowPlayerName() {
    if (m_titleScreenWidget)
        ShowOnOneLine(m_titleScreenWidget->FindChild("user_name"), ansiToWide(g_currentSettings.name),
                      m_playerNameSize);
}

void GameApp::CreateScenePlayer() {
    m_scenePlayer = new ScenePlayer(m_musicPlayer);
    if (m_guiServer)
        m_scenePlayer->InitGui(*m_guiServer);
}

void GameApp::DestroyScenePlayer() {
    delete m_scenePlayer;
    m_scenePlayer = nullptr;
}

void GameApp::UpdateScenePlayer(float dt) {
    if (m_scenePlayer)
        m_scenePlayer->Update(dt);
}

bool GameApp::IsScenePlaying() const {
    return m_scenePlayer && m_scenePlayer->IsPlaying();
}

void GameApp::PlayScene(const std::string& name, bool allowSkip) {
    m_sceneName = name;
    if (m_scenePlayer)
        m_scenePlayer->PlayScene(name, allowSkip);
}

void GameApp::CreateCreditsRoll(const std::string& group, const std::string& file) {
    m_credits = new CreditsRoll(m_localeServer);
    m_credits->Load(m_imageManager, group, file);
}

void GameApp::DestroyCreditsRoll() {
    delete m_credits;
    m_credits = nullptr;
}

void GameApp::StartCredits() {
    if (m_credits)
        m_credits->Start();
}

void GameApp::UpdateCredits(float dt) {
    if (m_credits)
        m_credits->Update(dt);
}

void GameApp::DrawCredits() {
    if (m_credits)
        m_credits->Draw();
}
