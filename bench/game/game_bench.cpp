// The game program over the headless harness with the shell's fixture data:
// the time from the start of the program to its first frame (settings,
// profiles, devices, lists, the layout and the rooms all loaded, the first
// frame drawn), and the time of one frame on the map (update and drawing of
// the whole layout with the map's room buttons). The same two over the
// sample game's own built tree, when the build has put it together: from the
// start through the splash screens to the loaded title, and a frame of
// chapter 1's map.

#include "game/support/fixture_tree.h"
#include "game/support/game_harness.h"

#include "game/screens/scene_player.h"
#include "mirel/gui/gui_staticimage.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

std::string benchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string root = std::string(tmp ? tmp : "/tmp") + "/mirel-game-bench/";
    static bool written = false;
    if (!written) {
        written = true;
        std::filesystem::remove_all(root);
        gametest::FixtureTree data(root + "game/");
        data.WriteShell();
    }
    return root;
}

// The harness on the map of a new game with a profile, its greeting closed.
std::unique_ptr<gametest::GameHarness> onTheMap(const std::string& root) {
    auto h = std::make_unique<gametest::GameHarness>(root + "game/", root + "user/");
    if (!h->Start())
        return nullptr;
    h->Step();
    if (h->Visible("create_new_profile")) {
        h->TypeText("Bench");
        h->Click("btn_ok");
    }
    h->Click("btn_start");
    // The hidden-object rooms have no items yet, so a new game's goal is
    // reached at once and it opens in the bonus room: back to the map.
    h->Game().ShowMap();
    h->Steps(3);
    // The greeting and whatever follows it are closed as a player would.
    for (int i = 0; i < 5 && !h->Game().GetMessageBoxes().empty(); ++i) {
        GUI::Widget* close = h->Game().GetMessageBoxes().front().box->FindChild("close", true);
        if (!close)
            break;
        h->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                   close->GetAbsoluteY() + close->GetHeight() / 2);
    }
    return h;
}

void BM_StartToFirstFrame(benchmark::State& state) {
    const std::string root = benchFolder();
    for (auto _ : state) {
        auto h = std::make_unique<gametest::GameHarness>(root + "game/", root + "user/");
        if (!h->Start()) {
            state.SkipWithError("the game did not start");
            return;
        }
        h->Step(); // the first frame loads the resources and draws
        state.PauseTiming();
        h.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond);

void BM_MapFrame(benchmark::State& state) {
    const std::string root = benchFolder();
    auto h = onTheMap(root);
    if (!h || h->Game().GetMode() != GameApp::MODE_MAP) {
        state.SkipWithError("the map was not reached");
        return;
    }
    for (auto _ : state)
        h->Step(1.0f / 60.0f);
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MapFrame)->Unit(benchmark::kMillisecond);

#ifdef MIREL_GAME_DIR
// A scratch user folder for the sample game's runs.
std::string sampleUser() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/mirel-game-bench/sample-user/";
}

void BM_SampleStartToTitle(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(sampleUser());
        state.ResumeTiming();
        auto h = std::make_unique<gametest::GameHarness>(MIREL_GAME_DIR "/", sampleUser());
        if (!h->Start()) {
            state.SkipWithError("the game did not start");
            return;
        }
        for (int i = 0; i < 400 && !h->Game().IsResourcesLoaded(); ++i)
            h->Step();
        state.PauseTiming();
        h.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SampleStartToTitle)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SampleMapFrame(benchmark::State& state) {
    std::filesystem::remove_all(sampleUser());
    auto h = std::make_unique<gametest::GameHarness>(MIREL_GAME_DIR "/", sampleUser());
    if (!h->Start()) {
        state.SkipWithError("the game did not start");
        return;
    }
    for (int i = 0; i < 400 && !h->Game().IsResourcesLoaded(); ++i)
        h->Step();
    h->RunFor(5.0f);
    h->TypeText("Bench");
    h->Click("btn_ok");
    h->Step();
    h->Click("btn_start");
    h->Step();
    h->Click("skip");
    for (int i = 0; i < 100 && h->Game().GetScenePlayer()->IsPlaying(); ++i)
        h->Step();
    h->Steps(3);
    for (int i = 0; i < 5 && !h->Game().GetMessageBoxes().empty(); ++i) {
        GUI::Widget* close = h->Game().GetMessageBoxes().front().box->FindChild("close", true);
        if (!close)
            break;
        h->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                   close->GetAbsoluteY() + close->GetHeight() / 2);
    }
    if (h->Game().GetMode() != GameApp::MODE_MAP) {
        state.SkipWithError("the map was not reached");
        return;
    }
    for (auto _ : state)
        h->Step(1.0f / 60.0f);
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SampleMapFrame)->Unit(benchmark::kMillisecond);
#endif

} // namespace
