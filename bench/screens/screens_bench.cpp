// The game's screens timed, one number per line: the time from the start to
// the first drawn frame and to the main menu, each chapter's level load, the
// frame time (median and 99th percentile) of the title screen, the map,
// every room of every chapter and every chapter's puzzle (the ring puzzle's
// rings both at rest and while one is dragged round), the present of a
// frame through the SDL2 window (when a display is there), the peak resident
// memory against the bytes of the textures loaded at the peak, and the main
// thread's load on the title and in the paused menu (the built program on
// a virtual X server of its own, with and without a window manager).
//
// The game runs over the headless harness with a manual clock, so the times
// are the program's own work. The data is the built program folder when it
// holds the game's layout (MIREL_GAME_DIR, or the folder given as the first
// argument); otherwise the shell's fixture layout with the sample game's
// rooms, chapters and puzzles as the build made them. It names the vector
// level the drawing ran at; MIREL_SIMD ("sse2", "avx2", "avx512") lowers it.
// Run it on one core:
//   taskset -c 2 build/bench/bench/screens/game_screens_bench
//   MIREL_SIMD=avx2 taskset -c 2 build/bench/bench/screens/game_screens_bench

#include "game/support/fixture_tree.h"
#include "game/support/game_harness.h"
#include "game/support/real_desktop.h"

#include "game/bonus/bonus_room.h"
#include "game/bonus/bonus_round.h"
#include "game/bonus/circular_puzzle.h"
#include "game/profiles/profile_record.h"
#include "game/scenes/spy_room.h"
#include "game/shell/game_app.h"
#include "game/tip_manager.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/platform/graphics/a_device.h"
#include "mirel/platform/graphics/a_raster.h"
#include "mirel/platform/window/a_platform_window.h"
#include "mirel/platform/window/headless/a_headless_window.h"
#include "mirel/util/a_optionsfile.h"
#include "support/read_file.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The fixture shell with every room, chapter and puzzle of the built data.
bool WriteFixture(const std::string& built, gametest::FixtureTree& data) {
    if (!fs::exists(built + "rooms/harbour/objects.ini") || !fs::exists(built + "gui/bonus.agui"))
        return false;
    data.rooms.clear();
    const char* names[] = {"harbour", "clockshop",  "inn",    "study",
                           "market",  "lighthouse", "chapel", "harbour_night"};
    for (int i = 0; i < 8; ++i)
        data.rooms.push_back({names[i], 200 + 150 * (i % 4), 150 + 250 * (i / 4), 120, 90});
    data.extraLayout =
        "statictext bonus_desc\n{\n AreaRect 200 8 800 50\n Font main\n Visible 0\n}\n"
        "staticimage confirm_skip_dialog\n{\n AreaRect 362 250 300 150\n NormalImage box_bg\n Visible 0\n"
        " imagebutton yes\n {\n  AreaRect 20 100 120 30\n  Image button\n  ImageRect 0 0 120 120\n  Tag 1\n "
        "}\n"
        " imagebutton no\n {\n  AreaRect 160 100 120 30\n  Image button\n  ImageRect 0 0 120 120\n  Tag 0\n "
        "}\n"
        "}\n#include \"data:gui/bonus.agui\"\n";
    data.WriteShell();
    const auto copy = [&](const std::string& relative) {
        fs::create_directories(fs::path(data.Data(relative)).parent_path());
        fs::copy(built + relative, data.Data(relative),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    };
    const auto append = [&](const std::string& relative, const std::string& text) {
        data.Text(relative, ReadWholeFile(data.Data(relative)) + text);
    };
    for (const char* part :
         {"levels", "images/bonus", "images/bonus_round.png", "images/letter_frame.png",
          "images/scrap_shadow.png", "loc/radio.srt", "particles", "gui/bonus.agui",
          "fonts/bonus_subtitles.fnt", "fonts/bonus_subtitles.png", "loc/items_comments.txt", "images/rooms",
          "sounds/rooms", "fonts/spy_list.fnt", "fonts/spy_list.png", "fonts/spy_title.fnt",
          "fonts/spy_title.png", "gui/spy_room.agui", "gui/spy_room_fonts.agui"})
        copy(part);
    for (const char* room : names) {
        copy(std::string("rooms/") + room);
        copy(std::string("loc/room_") + room + ".txt");
    }
    append("images/ImageList.txt", "letter_frame.png 4444 8888\nscrap_shadow.png 4444 8888\n");
    append("loc/levels.txt", ReadWholeFile(built + "loc/levels.txt"));
    const std::string sounds = ReadWholeFile(built + "sounds/SoundList.txt");
    append("sounds/SoundList.txt", sounds);
    std::istringstream lines(sounds);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            copy("sounds/" + line.substr(0, line.find(' ')));
    std::string layout = ReadWholeFile(data.Data("gui/main.agui"));
    const std::string panel = "staticimage panel\n{\n";
    layout.insert(layout.find(panel) + panel.size(), "#include \"data:gui/spy_room.agui\"\n");
    data.Text("gui/main.agui", "#include \"data:gui/spy_room_fonts.agui\"\n" + layout);
    return true;
}

struct Figures {
    double median = 0.0, p99 = 0.0, worst = 0.0;
};

Figures Of(std::vector<double> ms) {
    Figures f;
    if (ms.empty())
        return f;
    std::sort(ms.begin(), ms.end());
    f.median = ms[ms.size() / 2];
    f.p99 = ms[std::min(ms.size() - 1, size_t(double(ms.size()) * 0.99))];
    f.worst = ms.back();
    return f;
}

class Bench {
public:
    Bench(const std::string& home, const std::string& user) : m_home(home), m_user(user) {}

    int Run() {
        // Start to the first drawn frame, then to the main menu.
        const auto start = Clock::now();
        m_h = std::make_unique<gametest::GameHarness>(m_home, m_user);
        if (!m_h->Start()) {
            std::printf("the game did not start\n");
            return 1;
        }
        const uint32_t presents = m_h->PresentCount();
        int frames = 0;
        while (m_h->PresentCount() == presents && frames < 100) {
            m_h->Step();
            ++frames;
        }
        std::printf("start to the first drawn frame: %.1f ms (%d frames)\n", Since(start), frames);
        double gameSeconds = 0.0;
        while (!(m_h->Game().IsResourcesLoaded() && !m_h->Game().IsTitleIntroPending() &&
                 (m_h->Visible("title_screen") || m_h->Visible("create_new_profile"))) &&
               frames < 2000) {
            m_h->Step();
            gameSeconds += gametest::GameHarness::kFrame;
            ++frames;
        }
        std::printf(
            "start to the main menu: %.1f ms of work, %.2f s of splash screens and intro on the clock\n",
            Since(start), gameSeconds);
        if (m_h->Visible("create_new_profile")) {
            m_h->TypeText("Bench");
            m_h->Click("btn_ok");
        }
        m_h->Step();
        Sample();

        Print("title screen", Frames(300));

        m_h->Click("btn_start");
        m_h->Steps(2);
        CloseAll();
        if (m_h->Game().GetMode() != GameApp::MODE_MAP)
            m_h->Game().ShowMap();
        CloseAll();
        Print("map", Frames(300));

        // Every chapter: its load, its rooms and its puzzle.
        std::string busiest;
        Figures busiestFigures;
        for (uint32_t level = 1;; ++level) {
            char name[32];
            std::snprintf(name, sizeof name, "levels/%02d.ini", level);
            const std::string file = m_home + "gameres/" + name;
            if (!fs::exists(file))
                break;
            CloseAll();
            m_h->Game().ShowMap();
            g_currentSettings.level = level;
            const auto load = Clock::now();
            m_h->Game().LoadLevel(true, false, std::string());
            const double loadMs = Since(load);
            std::printf("chapter %u level load: %.1f ms\n", level, loadMs);
            Sample();
            m_h->Steps(2);
            CloseAll();
            const aOptionsFile options(file);
            for (const std::string& section : options.getSectionNames()) {
                if (section.rfind("Room.", 0) != 0)
                    continue;
                const std::string room = section.substr(5);
                auto* spy = dynamic_cast<SpyRoom*>(m_h->Game().FindRoom(room));
                if (!spy || !spy->IsResourcesLoaded())
                    continue;
                m_h->Game().GotoRoom(room);
                m_h->Steps(2);
                CloseAll();
                const Figures f = Frames(200);
                Print("chapter " + std::to_string(level) + " room " + room + " (" +
                          std::to_string(spy->GetObjects().size()) + " objects)",
                      f);
                if (f.median > busiestFigures.median) {
                    busiestFigures = f;
                    busiest = room;
                }
                Sample();
                m_h->Game().ShowMap();
                m_h->Steps(2);
                CloseAll();
            }
            m_h->Game().GotoRoom(BonusRoom::kName);
            m_h->RunFor(3.2f);
            CloseAll();
            BonusRoom* bonus = m_h->Game().GetBonusRoom();
            const std::string puzzle =
                bonus && bonus->GetPuzzle() ? bonus->GetPuzzle()->GetPuzzleName() : "none";
            Print("chapter " + std::to_string(level) + " puzzle " + puzzle, Frames(200));
            if (auto* rings = dynamic_cast<CircularPuzzle*>(bonus ? bonus->GetPuzzle() : nullptr))
                RingFrames(level, *rings);
            Sample();
        }
        if (!busiest.empty())
            Print("busiest room, " + busiest, busiestFigures, false);

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        const double peakMb = double(usage.ru_maxrss) / 1024.0;
        const double textureMb = double(m_peakTextureBytes) / (1024.0 * 1024.0);
        std::printf(
            "peak resident memory: %.1f MB; textures at their peak: %.1f MB; goal 1.3 x textures + 40 MB = "
            "%.1f MB\n",
            peakMb, textureMb, 1.3 * textureMb + 40.0);
        m_h.reset();
        return 0;
    }

private:
    void Sample() {
        size_t bytes = 0;
        for (const aImageData* body : aImage::getBodies()) {
            for (const aImageCell& cell : body->cells) {
                if (cell.texture)
                    bytes += size_t(cell.texture->pitch()) * cell.texture->height();
            }
        }
        m_peakTextureBytes = std::max(m_peakTextureBytes, bytes);
    }
    // Frames of 50 ms with the mouse wandering over the screen.
    Figures Frames(int count) {
        CloseAll();
        std::vector<double> ms;
        ms.reserve(size_t(count));
        for (int i = 0; i < count; ++i) {
            m_h->MoveTo(200 + (i * 37) % 800, 50 + (i * 53) % 650);
            const auto t = Clock::now();
            m_h->Step();
            ms.push_back(Since(t));
        }
        return Of(ms);
    }
    // The ring puzzle's frames with its rings at rest, then with the
    // outermost unlocked ring dragged round its centre a few degrees a frame.
    void RingFrames(uint32_t level, const CircularPuzzle& puzzle) {
        const std::string name = "chapter " + std::to_string(level) + " puzzle circular";
        m_h->MoveTo(5, 5);
        std::vector<double> rest;
        for (int i = 0; i < 200; ++i) {
            const auto t = Clock::now();
            m_h->Step();
            rest.push_back(Since(t));
        }
        Print(name + ", rings at rest", Of(rest));
        const auto& rings = puzzle.GetRings();
        int ring = -1;
        for (int i = int(rings.size()) - 1; i >= 0 && ring < 0; --i)
            if (!rings[size_t(i)].locked)
                ring = i;
        if (ring < 0) {
            std::printf("frame, %s, rings turning: every ring is locked\n", name.c_str());
            return;
        }
        const double radius = puzzle.GetRadius0() + (ring - 0.5) * puzzle.GetRadiusDelta();
        const auto at = [&](double a) {
            m_h->MoveTo(CircularPuzzle::kCentreX + int32_t(std::lround(radius * std::cos(a))),
                        CircularPuzzle::kCentreY - int32_t(std::lround(radius * std::sin(a))));
        };
        // Start opposite the lock position, and never come near it again.
        double a = 3.0;
        at(a);
        m_h->Step();
        m_h->Press();
        m_h->Step();
        std::vector<double> turning;
        for (int i = 0; i < 200; ++i) {
            a += (i / 50) % 2 ? -0.05 : 0.05;
            at(a);
            const auto t = Clock::now();
            m_h->Step();
            turning.push_back(Since(t));
        }
        m_h->Release();
        m_h->Step();
        Print(name + ", rings turning (ring " + std::to_string(ring) + " dragged)", Of(turning));
    }
    void Print(const std::string& what, const Figures& f, bool withState = true) {
        if (!withState) {
            std::printf("frame, %s: median %.2f ms, p99 %.2f ms, worst %.2f ms\n", what.c_str(), f.median,
                        f.p99, f.worst);
            return;
        }
        GameApp& game = m_h->Game();
        const Room* room = game.GetCurrentRoom();
        std::printf("frame, %s: median %.2f ms, p99 %.2f ms, worst %.2f ms [mode %u, room %s%s%s%s]\n",
                    what.c_str(), f.median, f.p99, f.worst, game.GetMode(),
                    room ? room->GetName().c_str() : "none", game.IsScenePlaying() ? ", a story scene" : "",
                    game.IsPaused() ? ", paused" : "",
                    game.GetMessageBoxes().empty() ? "" : ", a message up");
        std::fflush(stdout);
    }
    void CloseAll() {
        for (int i = 0; i < 12; ++i) {
            GameApp& game = m_h->Game();
            if (!game.GetMessageBoxes().empty()) {
                auto* box = static_cast<GUI::Widget*>(game.GetMessageBoxes().front().box);
                GUI::Widget* close = box ? box->FindChild("close", true) : nullptr;
                if (!close)
                    return;
                m_h->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                             close->GetAbsoluteY() + close->GetHeight() / 2);
            } else if (game.GetTipManager() && game.GetTipManager()->IsTipShown()) {
                m_h->ClickAt(5, 760);
            } else if (game.IsScenePlaying()) {
                // The story scene's skip button, else its finish button (the last page).
                if (!m_h->Click("skip") && !m_h->Click("finish"))
                    m_h->Click("next");
                m_h->RunFor(1.0f);
            } else {
                return;
            }
        }
    }

    std::string m_home;
    std::string m_user;
    std::unique_ptr<gametest::GameHarness> m_h;
    size_t m_peakTextureBytes = 0;
};

// The bench's own folder (the fixture data and the user's folders): emptied
// before the run, removed after it.
struct ScratchFolder {
    explicit ScratchFolder(std::string folder) : path(std::move(folder)) { fs::remove_all(path); }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string path;
};

// The present of a 1024 x 768 frame through the SDL2 window, when a display
// is there: in a window (the frame's own size) and in full screen (scaled to
// the display), with every row of the frame new and with one row new.
void BenchPresent() {
    if (!std::getenv("DISPLAY")) {
        std::printf("present through SDL2: no display (run under xvfb-run)\n");
        return;
    }
    setenv("MIREL_HEADLESS", "0", 1);
    for (bool fullscreen : {false, true}) {
        aWindowDesc desc;
        desc.title = "present bench";
        desc.vsync = false;
        desc.fullscreen = fullscreen;
        std::unique_ptr<aPlatformWindow> window = a_createPlatformWindow(desc);
        if (!window || window->isHeadless()) {
            std::printf("present through SDL2: no window could be opened\n");
            return;
        }
        // A window manager gives the full-screen size a moment later.
        int32_t width = 0, height = 0;
        for (int i = 0; i < 200; ++i) {
            aWindowEvent event;
            while (window->peekEvent(event)) {
            }
            window->getClientSize(width, height);
            if (!fullscreen || width != 1024 || height != 768)
                break;
            usleep(10 * 1000);
        }
        std::vector<uint32_t> pixels(1024 * 768);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint32_t(i * 2654435761u) | 0xFF000000u;
        std::string figures;
        for (bool everyRow : {true, false}) {
            std::vector<double> ms;
            for (int i = 0; i < 300; ++i) {
                aWindowEvent event;
                while (window->peekEvent(event)) {
                }
                for (size_t row = everyRow ? 0 : size_t(i) % 768; row < 768; row += everyRow ? 1 : 768)
                    pixels[row * 1024 + size_t(i) % 1024] ^= 0xFFFFFFu;
                const auto t = Clock::now();
                window->present(pixels.data(), 1024, 768, 1024 * 4);
                ms.push_back(Since(t));
            }
            const Figures f = Of(ms);
            char text[128];
            std::snprintf(text, sizeof text, "%s median %.2f ms, p99 %.2f ms",
                          everyRow ? "every row new:" : "; one row new:", f.median, f.p99);
            figures += text;
        }
        std::printf("present through SDL2 (%s, %s %dx%d): %s\n", window->getDriverDescription().c_str(),
                    fullscreen ? "full screen" : "window", int(width), int(height), figures.c_str());
        std::fflush(stdout);
    }
}

// The main thread's share of a processor while the built program shows the
// title and while it is paused in the in-game menu, each in a window and in
// full screen, under a window manager and without one: the program on a
// virtual X server of its own, driven by real X input as a player drives it.
void BenchMainThreadInMenus(const std::string& built, const std::string& root) {
    using namespace realdesktop;
    if (built.empty() || !fs::exists(built + "game")) {
        std::printf("main thread: no built program folder\n");
        return;
    }
    constexpr double kWait = 60.0, kSample = 5.0;
    for (bool windowManager : {true, false}) {
        const char* desk = windowManager ? "openbox" : "no window manager";
        Desktop desktop;
        if (!desktop.Start(1280, 1024, windowManager)) {
            std::printf("main thread (%s): %s\n", desk, desktop.Why().c_str());
            continue;
        }
        Game game(desktop, built, root + "real-game/", "Tarrowdene");
        // The first-run dialog (its name field light), a name, the title.
        const bool started = game.Start() && game.WaitForWindow(kWait) &&
                             game.WaitForLog("GUI script 'data:gui/main.agui' parsing finished", 1, kWait) &&
                             game.ClickUntilLight({{1000, 20}}, 380, 371, kWait) && game.Type("Bench", 80) &&
                             game.Key("Return") && game.WaitForLog("Created new profile", 1, kWait) &&
                             game.Settle(kWait);
        if (!started) {
            std::printf("main thread (%s): the game did not reach its title\n", desk);
            continue;
        }
        const auto sample = [&](const char* what) {
            double main = 0.0, total = 0.0;
            if (game.Settle(kWait) && game.MainThreadLoad(kSample, main, total))
                std::printf("main thread, %s (%s): %.0f %% of a processor (the whole program %.0f %%)\n",
                            what, desk, main, total);
            std::fflush(stdout);
        };
        // Full screen at the start.
        sample("the title in full screen");
        game.Key("alt+Return");
        sample("the title in a window");
        game.Key("alt+Return");
        game.Settle(kWait);
        // Play (the story's text box shows), skip the story pages (the
        // greeting shows), close the greeting and open the menu.
        if (!game.ClickUntilLight({{707, 350}}, 200, 650, kWait) ||
            !game.ClickUntilLight({{770, 736}}, 420, 300, kWait) ||
            !game.ClickUntilLight({{600, 439}, {131, 646}}, 490, 250, kWait)) {
            std::printf("main thread (%s): the game did not reach its menu\n", desk);
            continue;
        }
        sample("paused in the menu in full screen");
        game.Key("alt+Return");
        sample("paused in the menu in a window");
    }
}

// The vector level the drawing runs at.
void PrintVectorLevel() {
    const char* asked = std::getenv("MIREL_SIMD");
    std::printf("vector level: %s (the processor has %s%s%s)\n", a_rasterSimdName(a_rasterSimdLevel()),
                a_rasterSimdName(a_rasterCpuSimdLevel()), asked ? "; MIREL_SIMD=" : "", asked ? asked : "");
}

} // namespace

int main(int argc, char** argv) {
#ifdef MIREL_GAME_DIR
    std::string built = MIREL_GAME_DIR;
#else
    std::string built;
#endif
    if (argc > 1)
        built = argv[1];
    if (!built.empty() && built.back() != '/')
        built += '/';
    const char* tmp = std::getenv("TMPDIR");
    const ScratchFolder scratch(std::string(tmp ? tmp : "/tmp") + "/mirel-screens-bench/");
    const std::string& root = scratch.path;
    std::string home;
    if (!built.empty() && fs::exists(built + "gameres/gui/main.agui")) {
        home = built;
        std::printf("data: the built program folder %s\n", built.c_str());
    } else {
        gametest::FixtureTree data(root + "game/");
        if (built.empty() || !WriteFixture(built + "gameres/", data)) {
            std::printf("no built game data: build the content first (or name the program folder)\n");
            return 1;
        }
        home = data.home;
        std::printf("data: the shell's fixture layout with the sample game's rooms and puzzles\n");
    }
    PrintVectorLevel();
    int result = 0;
    {
        Bench bench(home, root + "user/");
        result = bench.Run();
    }
    BenchPresent();
    BenchMainThreadInMenus(built, root);
    return result;
}
