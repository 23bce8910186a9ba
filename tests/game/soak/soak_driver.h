#pragma once
// A long stretch of play under random input, through the headless harness:
// clicks on whatever widget is shown, clicks anywhere, clicks on the listed
// objects of the room (so levels move on), drags, keys, typed names, the
// window losing and getting the focus, Alt+Enter and idle waits, all drawn
// from one seeded generator. Frames take random lengths. Every minute of game
// time the live particle systems, picture bodies, sound-library users,
// widgets and the resident memory are sampled. A game that quits (its quit
// button, say) is started again over the same folders.

#include "game/support/clickable_point.h"
#include "game/support/game_harness.h"

#include "game/scenes/objects/spy_object.h"
#include "game/scenes/spy_room.h"
#include "game/shell/game_app.h"
#include "game/widgets/room_button.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/platform/window/a_platform_input.h"
#include "mirel/sound/a_soundlibrary.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace soak {

struct Sample {
    double minute = 0.0; // game time
    size_t particles = 0;
    size_t images = 0;
    int sounds = 0;
    size_t widgets = 0;
    long residentKb = 0;
    uint32_t mode = 0;
};

inline long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

inline size_t CountWidgets(const GUI::Widget* widget) {
    if (!widget)
        return 0;
    size_t n = 1;
    for (const GUI::Widget* child : widget->GetChildren())
        n += CountWidgets(child);
    return n;
}

class Driver {
public:
    Driver(std::string home, std::string userRoot, uint32_t seed)
        : m_home(std::move(home)), m_userRoot(std::move(userRoot)), m_random(seed) {}

    // Plays until the game time (summed over restarts) reaches the seconds.
    void Run(double seconds) {
        double nextSample = 0.0;
        while (GameTime() < seconds) {
            if (!m_harness || m_harness->Game().IsClosed())
                StartGame();
            if (!m_harness)
                return;
            if (GameTime() >= nextSample) {
                TakeSample();
                nextSample += 60.0;
            }
            Act();
        }
        TakeSample();
        Finish();
    }

    const std::vector<Sample>& Samples() const { return m_samples; }
    const std::vector<std::string>& Assertions() const { return m_assertions; }
    int Restarts() const { return m_starts - 1; }
    size_t Frames() const { return m_frames; }
    size_t RoomsEntered() const { return m_roomsEntered; }
    size_t LogLines() const { return m_logLines; }
    uint32_t ModesSeen() const { return m_modesSeen; }
    uint32_t HighestLevel() const { return m_highestLevel; }
    const std::vector<std::string>& Widgets() const { return m_clickedNames; }

    double GameTime() const {
        return m_timeBefore + (m_harness ? double(m_harness->Clock().counter()) / 1e6 : 0.0);
    }

private:
    void StartGame() {
        Finish();
        ++m_starts;
        m_harness = std::make_unique<gametest::GameHarness>(m_home, m_userRoot);
        if (!m_harness->Start()) {
            m_assertions.push_back("the game did not start");
            m_harness.reset();
            return;
        }
        Frame();
    }
    // Reads what the log says, then shuts the game down.
    void Finish() {
        if (!m_harness)
            return;
        m_harness->Stop();
        ScanLog();
        m_timeBefore += double(m_harness->Clock().counter()) / 1e6;
        m_harness.reset();
    }
    void ScanLog() {
        auto& lines = m_harness->Log().lines;
        for (const std::string& line : lines) {
            if (IsAssertion(line) && m_assertions.size() < 50)
                m_assertions.push_back(line);
        }
        m_logLines += lines.size();
        lines.clear();
    }

    // An assertion's line ends in "(file, line N)".
    static bool IsAssertion(const std::string& line) {
        if (line.empty() || line.back() != ')')
            return false;
        const size_t at = line.rfind(", line ");
        const size_t open = line.rfind('(');
        if (at == std::string::npos || open == std::string::npos || open > at)
            return false;
        const std::string digits = line.substr(at + 7, line.size() - at - 8);
        return !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
    }

    gametest::SteppedGame& Game() { return m_harness->Game(); }

    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    float Length() { return std::uniform_real_distribution<float>(0.01f, 0.2f)(m_random); }

    void Frame() {
        m_harness->Step(Length());
        ++m_frames;
        Observe();
    }
    void Frames(int count) {
        for (int i = 0; i < count && !Game().IsClosed(); ++i)
            Frame();
    }
    void Observe() {
        m_modesSeen |= 1u << std::min<uint32_t>(Game().GetMode(), 7);
        if (Game().GetCurrentRoom() && Game().GetCurrentRoom() != m_lastRoom)
            ++m_roomsEntered;
        m_lastRoom = Game().GetCurrentRoom();
        if (Game().GetMode() != GameApp::MODE_TITLE)
            m_highestLevel = std::max(m_highestLevel, g_currentSettings.level);
        if (m_harness->Log().lines.size() > 20000)
            ScanLog();
    }

    void ClickAt(int32_t x, int32_t y, int button = 0) {
        m_harness->MoveTo(x, y);
        Frame();
        m_harness->Press(button);
        Frame();
        m_harness->Release(button);
        Frame();
    }

    // Every visible, enabled widget but the ones that end the program.
    void Clickable(GUI::Widget* widget, std::vector<GUI::Widget*>& out) {
        if (!widget || !widget->IsVisible())
            return;
        const std::string& name = widget->GetName();
        if (name == "btn_quit" || name == "survey")
            return;
        if (widget->IsEnabled() && widget->GetWidth() > 0 && widget->GetHeight() > 0 &&
            widget != Game().GetRootWidget() && name != "empty")
            out.push_back(widget);
        for (GUI::Widget* child : widget->GetChildren())
            Clickable(child, out);
    }
    void ClickWidget() {
        std::vector<GUI::Widget*> widgets;
        Clickable(Game().GetRootWidget(), widgets);
        if (widgets.empty()) {
            ClickAnywhere();
            return;
        }
        GUI::Widget* w = widgets[size_t(Uniform(0, int(widgets.size()) - 1))];
        if (m_clickedNames.size() < 4000)
            m_clickedNames.push_back(w->GetName());
        ClickAt(w->GetAbsoluteX() + w->GetWidth() / 2, w->GetAbsoluteY() + w->GetHeight() / 2,
                Uniform(0, 9) == 0 ? 1 : 0);
    }
    void ClickAnywhere() { ClickAt(Uniform(0, 1023), Uniform(0, 767), Uniform(0, 7) == 0 ? 1 : 0); }

    void ClickObject() {
        auto* room = dynamic_cast<SpyRoom*>(Game().GetCurrentRoom());
        if (!room) {
            ClickWidget();
            return;
        }
        std::vector<const SpyItem*> open;
        for (const SpyItem& item : room->GetActiveItems()) {
            if (item.remaining != 0 && !item.objects.empty())
                open.push_back(&item);
        }
        if (open.empty()) {
            ClickWidget();
            return;
        }
        const SpyItem* item = open[size_t(Uniform(0, int(open.size()) - 1))];
        SpyObject* object = item->objects.front();
        SpyObject* target = item->containers.empty() ? nullptr : item->containers.front();
        int32_t x = 0, y = 0;
        if (!gametest::ClickablePoint(*room, object, x, y)) {
            ClickAnywhere();
            return;
        }
        ClickAt(x, y);
        if (target && target != object && room->GetDraggedObject() == object &&
            gametest::ClickablePoint(*room, target, x, y))
            ClickAt(x, y);
    }
    void Drag() {
        const int32_t x0 = Uniform(0, 1023), y0 = Uniform(0, 767);
        const int32_t x1 = Uniform(0, 1023), y1 = Uniform(0, 767);
        m_harness->MoveTo(x0, y0);
        Frame();
        m_harness->Press(0);
        Frame();
        const int steps = Uniform(2, 12);
        for (int i = 1; i <= steps; ++i) {
            m_harness->MoveTo(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
            Frame();
        }
        m_harness->Release(0);
        Frame();
    }
    void TapKey() {
        static const uint8_t keys[] = {A_KEY_ESCAPE, A_KEY_RETURN, A_KEY_SPACE, A_KEY_SPACE, 0x1E, 0x30,
                                       0x2E,         0x02,         0x03,        0x0E,        0x0F, 0xC8,
                                       0xD0,         0xCB,         0xCD,        0x3B};
        const uint8_t key = keys[Uniform(0, int(sizeof keys) - 1)];
        m_harness->KeyDown(key);
        Frame();
        m_harness->KeyUp(key);
        Frame();
    }
    void TypeName() {
        std::string name;
        const int n = Uniform(1, 8);
        for (int i = 0; i < n; ++i)
            name += char((Uniform(0, 1) ? 'a' : 'A') + Uniform(0, 25));
        m_harness->TypeText(name);
        m_frames += size_t(n) * 2 + 1;
    }
    void Focus() {
        m_harness->Deactivate();
        Frames(Uniform(1, 3));
        m_harness->Activate();
        Frame();
    }
    void AltEnter() {
        m_harness->KeyDown(A_KEY_LMENU);
        Frame();
        m_harness->KeyDown(A_KEY_RETURN);
        Frame();
        m_harness->KeyUp(A_KEY_RETURN);
        m_harness->KeyUp(A_KEY_LMENU);
        Frame();
    }
    void Idle() {
        m_harness->MoveTo(Uniform(0, 1023), Uniform(0, 767));
        Frames(Uniform(3, 120));
    }

    // What a player who knows the game does next: closes the box on show,
    // names the first profile, starts the game, picks a room of the map,
    // leaves a room for the map now and then.
    bool ClickNamed(const std::string& name) {
        GUI::Widget* w = m_harness->Find(name);
        if (!w || !w->IsVisible() || !w->IsEnabled())
            return false;
        ClickAt(w->GetAbsoluteX() + w->GetWidth() / 2, w->GetAbsoluteY() + w->GetHeight() / 2);
        return true;
    }
    void GoOn() {
        if (!Game().GetMessageBoxes().empty()) {
            auto* box = static_cast<GUI::Widget*>(Game().GetMessageBoxes().front().box);
            if (GUI::Widget* close = box ? box->FindChild("close", true) : nullptr) {
                ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                        close->GetAbsoluteY() + close->GetHeight() / 2);
                return;
            }
        }
        if (m_harness->Visible("create_new_profile")) {
            TypeName();
            ClickNamed("btn_ok");
            return;
        }
        for (const char* window :
             {"options", "gamehelp", "ingame_menu", "profiles_list", "confirm_save_exit"}) {
            if (m_harness->Visible(window)) {
                for (const char* button : {"btn_cancel", "ok", "resume", "close", "btn_no"})
                    if (GUI::Widget* b = m_harness->Find(window)->FindChild(button, true);
                        b && b->IsVisible()) {
                        ClickAt(b->GetAbsoluteX() + b->GetWidth() / 2,
                                b->GetAbsoluteY() + b->GetHeight() / 2);
                        return;
                    }
            }
        }
        if (Game().IsCreditsShowing() && ClickNamed("credits_back"))
            return;
        if (Game().GetMode() == GameApp::MODE_TITLE && ClickNamed("btn_start"))
            return;
        if (Game().GetMode() == GameApp::MODE_MAP && !Game().GetMapButtons().empty()) {
            const auto& buttons = Game().GetMapButtons();
            GUI::Widget* b = buttons[size_t(Uniform(0, int(buttons.size()) - 1))];
            if (b->IsVisible()) {
                ClickAt(b->GetAbsoluteX() + b->GetWidth() * 3 / 4, b->GetAbsoluteY() + b->GetHeight() / 2);
                return;
            }
        }
        // A puzzle the player gives up on now and then: skipped, then finished,
        // which leads into the next chapter.
        if (Game().GetCurrentRoom() && Game().GetCurrentRoom() == Game().FindRoom("#bonus_room")) {
            if (ClickNamed("finalize_bonus_round"))
                return;
            if (GUI::Widget* dialog = m_harness->Find("confirm_skip_dialog"); dialog && dialog->IsVisible()) {
                if (GUI::Widget* yes = dialog->FindChild("yes", true)) {
                    ClickAt(yes->GetAbsoluteX() + yes->GetWidth() / 2,
                            yes->GetAbsoluteY() + yes->GetHeight() / 2);
                    return;
                }
            }
            if (Uniform(0, 3) == 0 && ClickNamed("skip_bonus_round"))
                return;
        }
        if (Game().GetMode() == GameApp::MODE_ROOM && Uniform(0, 5) == 0 && ClickNamed("btn_map"))
            return;
        ClickObject();
    }

    void Act() {
        const int roll = Uniform(0, 99);
        if (roll < 12)
            GoOn();
        else if (roll < 30)
            ClickWidget();
        else if (roll < 45)
            ClickAnywhere();
        else if (roll < 70)
            ClickObject();
        else if (roll < 76)
            Drag();
        else if (roll < 84)
            TapKey();
        else if (roll < 86)
            TypeName();
        else if (roll < 89)
            Focus();
        else if (roll < 91)
            AltEnter();
        else
            Idle();
    }

    void TakeSample() {
        if (!m_harness)
            return;
        Sample s;
        s.minute = GameTime() / 60.0;
        const aParticlesManager* particles = Game().GetParticlesManager();
        s.particles = particles ? particles->getInstanceCount() : 0;
        s.images = aImage::getBodies().size();
        s.sounds = a_soundLibraryUsers();
        s.widgets = CountWidgets(Game().GetRootWidget());
        s.residentKb = ResidentKb();
        s.mode = Game().GetMode();
        m_samples.push_back(s);
    }

    std::string m_home;
    std::string m_userRoot;
    std::mt19937 m_random;
    std::unique_ptr<gametest::GameHarness> m_harness;
    double m_timeBefore = 0.0;
    int m_starts = 0;
    size_t m_frames = 0;
    size_t m_roomsEntered = 0;
    size_t m_logLines = 0;
    uint32_t m_modesSeen = 0;
    uint32_t m_highestLevel = 0;
    const Room* m_lastRoom = nullptr;
    std::vector<Sample> m_samples;
    std::vector<std::string> m_assertions;
    std::vector<std::string> m_clickedNames;
};

} // namespace soak
