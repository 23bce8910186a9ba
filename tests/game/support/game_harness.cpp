#include "game/support/game_harness.h"

#include "game/profiles/profile_record.h"
#include "game/scenes/card_popup.h"
#include "mirel/gui/gui_keys.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/platform/audio/a_audiooutput.h"
#include "mirel/platform/window/a_platform_input.h"
#include "mirel/platform/window/headless/a_headless_window.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>

namespace gametest {

bool SteppedGame::Turn() {
    if (m_closed || !m_window)
        return false;
    // As the engine's loop: pending events first; while inactive it waits
    // for the next one (the headless window answers at once by taking the
    // focus back); then one frame.
    m_running = true;
    for (;;) {
        aWindowEvent event;
        if (m_active) {
            if (!m_window->peekEvent(event))
                break;
        } else {
            m_window->waitEvent(event);
        }
        if (event.type == aWindowEventType::Quit) {
            m_closed = true;
            m_running = false;
            return false;
        }
        windowProc(event);
    }
    frame();
    return true;
}

Room* SteppedGame::NewHiddenObjectRoom(const std::string& name) {
    if (makeHiddenObjectRoom)
        return makeHiddenObjectRoom(name);
    return GameApp::NewHiddenObjectRoom(name);
}

namespace {

void boxObserver(const char*, const char*, void*) {}

} // namespace

GameHarness::GameHarness(const std::string& home, const std::string& userRoot)
    : m_home(home), m_userRoot(userRoot) {
    for (const char* sub : {"xdg-data", "home", "run", "config"})
        std::filesystem::create_directories(userRoot + sub);
    setenv("MIREL_HEADLESS", "1", 1);
    setenv("XDG_DATA_HOME", (userRoot + "xdg-data").c_str(), 1);
    setenv("HOME", (userRoot + "home").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (userRoot + "run").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (userRoot + "config").c_str(), 1);
    a_setClock(&m_clock);
    aManualAudioOutput::install();
    a_setMessageBoxObserver(&boxObserver, nullptr);
    g_currentSettings = ProfileRecord();
    m_game = std::make_unique<SteppedGame>(home);
}

GameHarness::~GameHarness() {
    Stop();
    CloseCardPopup();
    SetCardPopupWindow(nullptr);
    m_game.reset();
    a_setAudioOutputFactory(nullptr);
    a_setMessageBoxObserver(nullptr, nullptr);
    a_setClock(nullptr);
    g_currentSettings = ProfileRecord();
}

bool GameHarness::Start() {
    if (m_game->init(kProduct, nullptr, "", kCompany) != 0)
        return false;
    m_started = true;
    return m_game->Start() == 0;
}

void GameHarness::Stop() {
    if (!m_started || m_stopped)
        return;
    m_stopped = true;
    SetCardPopupWindow(nullptr);
    m_game->shutdown();
}

void GameHarness::PlaceCursor() {
    aHeadlessWindow* window = Window();
    if (!window)
        return;
    const aPlatformRect area = window->getPictureArea();
    // The input server maps picture pixels to the logical screen by
    // truncation: the first picture pixel of each logical one.
    const int32_t w = area.width(), h = area.height();
    const int32_t cx = w > 0 ? int32_t((int64_t(m_x) * w + 1023) / 1024) : 0;
    const int32_t cy = h > 0 ? int32_t((int64_t(m_y) * h + 767) / 768) : 0;
    window->setCursorPos(cx, cy);
}

void GameHarness::Step(float dt) {
    m_clock.advance(dt);
    if (aManualAudioOutput* out = aManualAudioOutput::current())
        out->mix(int(double(dt) * out->mixRate()));
    PlaceCursor();
    m_game->Turn();
}

void GameHarness::Steps(int count, float dt) {
    for (int i = 0; i < count; ++i)
        Step(dt);
}

void GameHarness::RunFor(float seconds, float dt) {
    const int count = int(seconds / dt + 0.5f);
    Steps(count, dt);
}

void GameHarness::MoveTo(int32_t x, int32_t y) {
    m_x = x;
    m_y = y;
    PlaceCursor();
}

void GameHarness::Press(int button) {
    if (aHeadlessWindow* window = Window())
        window->setButton(button, true);
}

void GameHarness::Release(int button) {
    if (aHeadlessWindow* window = Window())
        window->setButton(button, false);
}

void GameHarness::ClickAt(int32_t x, int32_t y, int button) {
    MoveTo(x, y);
    Step();
    Press(button);
    Step();
    Release(button);
    Step();
}

void GameHarness::Drag(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int button) {
    MoveTo(fromX, fromY);
    Step();
    Press(button);
    Step();
    constexpr int kMoves = 8;
    for (int i = 1; i <= kMoves; ++i) {
        MoveTo(fromX + (toX - fromX) * i / kMoves, fromY + (toY - fromY) * i / kMoves);
        Step();
    }
    Release(button);
    Step();
}

bool GameHarness::Click(const std::string& name) {
    GUI::Widget* widget = Find(name);
    if (!widget || !widget->IsVisible())
        return false;
    ClickAt(widget->GetAbsoluteX() + widget->GetWidth() / 2,
            widget->GetAbsoluteY() + widget->GetHeight() / 2);
    return true;
}

void GameHarness::KeyDown(uint8_t scanCode) {
    if (aHeadlessWindow* window = Window())
        window->setKey(scanCode, true);
}

void GameHarness::KeyUp(uint8_t scanCode) {
    if (aHeadlessWindow* window = Window())
        window->setKey(scanCode, false);
}

void GameHarness::TapKey(uint8_t scanCode) {
    KeyDown(scanCode);
    Step();
    KeyUp(scanCode);
    Step();
}

namespace {

// Each letter, digit or blank of the text goes down and up (with shift
// around it for capitals), with a frame after each change or all in the
// frame to come.
void TypeKeys(GameHarness& harness, const std::string& text, bool framePerKey) {
    for (char c : text) {
        const bool upper = std::isupper(static_cast<unsigned char>(c)) != 0;
        const uint32_t key =
            c == ' ' ? uint32_t(A_KEY_SPACE)
                     : GUI::KeyFromName(std::string(1, char(std::tolower(static_cast<unsigned char>(c)))));
        if (key == 0)
            continue;
        if (upper)
            harness.KeyDown(A_KEY_LSHIFT);
        harness.KeyDown(uint8_t(key));
        if (framePerKey)
            harness.Step();
        harness.KeyUp(uint8_t(key));
        if (framePerKey)
            harness.Step();
        if (upper)
            harness.KeyUp(A_KEY_LSHIFT);
    }
}

} // namespace

void GameHarness::TypeText(const std::string& text) {
    TypeKeys(*this, text, true);
    Step();
}

void GameHarness::TypeTextInOneFrame(const std::string& text) {
    TypeKeys(*this, text, false);
    Step();
    Step();
}

void GameHarness::Deactivate() {
    if (aHeadlessWindow* window = Window())
        window->setFocus(false);
}

void GameHarness::Activate() {
    if (aHeadlessWindow* window = Window())
        window->setFocus(true);
}

aHeadlessWindow* GameHarness::Window() const {
    return dynamic_cast<aHeadlessWindow*>(m_game->getPlatformWindow());
}

GUI::Widget* GameHarness::Find(const std::string& name) const {
    GUI::Widget* root = m_game->GetRootWidget();
    return root ? root->FindChild(name, true) : nullptr;
}

bool GameHarness::Visible(const std::string& name) const {
    GUI::Widget* widget = Find(name);
    return widget && widget->IsVisible();
}

std::u16string GameHarness::Text(const std::string& name) const {
    GUI::Widget* widget = Find(name);
    return widget ? widget->GetText() : std::u16string();
}

uint32_t GameHarness::Pixel(int32_t x, int32_t y) const {
    aHeadlessWindow* window = Window();
    if (!window || x < 0 || y < 0 || x >= window->lastFrameWidth() || y >= window->lastFrameHeight())
        return 0;
    return window->lastFrame()[size_t(y) * size_t(window->lastFrameWidth()) + size_t(x)] & 0xFFFFFFu;
}

uint32_t GameHarness::PresentCount() const {
    aHeadlessWindow* window = Window();
    return window ? window->presentCount() : 0;
}

std::string GameHarness::UserDir() const {
    return m_userRoot + "xdg-data/" + kCompany + "/" + kProduct + "/";
}

std::string GameHarness::SavesDir() const {
    return UserDir() + "saves/";
}

} // namespace gametest
