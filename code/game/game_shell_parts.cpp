// The game's calls into its splash screens, title screen, story-scene player
// and credits roll. Those parts of the shell come separately; until they are
// there the game runs without them: no splash screens (the resources load on
// the first frame), a title without its animated background (its intro counts
// as done), story scenes that are noted but not shown, and no credits roll.

#include "game/game_app.h"

void GameApp::CreateSplashScreens(const std::string&) {}

void GameApp::DestroySplashScreens() {
    m_splashManager = nullptr;
}

bool GameApp::UpdateSplashScreens(float) {
    return false;
}

bool GameApp::IsSplashRunning() const {
    return false;
}

void GameApp::DrawSplashScreens() {}

void GameApp::CreateTitleScreen() {}

void GameApp::DestroyTitleScreen() {
    m_titleScreen = nullptr;
}

void GameApp::UpdateTitleScreen(float) {}

void GameApp::DrawTitleScreen() {}

void GameApp::DrawTitleOverlay() {}

bool GameApp::IsTitleIntroDone() const {
    return true;
}

void GameApp::RestartTitleScreen() {}

void GameApp::CreateScenePlayer() {}

void GameApp::DestroyScenePlayer() {
    m_scenePlayer = nullptr;
}

void GameApp::UpdateScenePlayer(float) {}

bool GameApp::IsScenePlaying() const {
    return false;
}

void GameApp::PlayScene(const std::string& name, bool) {
    m_sceneName = name;
}

void GameApp::CreateCreditsRoll(const std::string&, const std::string&) {}

void GameApp::DestroyCreditsRoll() {
    m_credits = nullptr;
}

void GameApp::StartCredits() {}

void GameApp::UpdateCredits(float) {}

void GameApp::DrawCredits() {}
