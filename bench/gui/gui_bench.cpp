// Initialising a GUI script of many sibling static texts: each one looks for
// its scrollbars by name in the whole tree.
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/sound/a_sound.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_InitializeSiblingStaticTexts(benchmark::State& state) {
    a_setLogObserver([](const char*, void*) {}, nullptr);
    aImageManager images;
    aSoundManager sounds;
    GUI::Server server(&images, &sounds, nullptr);
    std::string script;
    for (int64_t i = 0; i < state.range(0); ++i)
        script += "statictext t" + std::to_string(i) + "\n{\n AreaRect 0 0 100 20\n}\n";
    server.loadBuffer("bench.agui", script.data(), script.size());
    for (auto _ : state)
        server.InitializeWidgets();
    state.SetComplexityN(state.range(0));
    a_setLogObserver(nullptr, nullptr);
}
BENCHMARK(BM_InitializeSiblingStaticTexts)
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The whole life of such a script: read, initialised, one update, and freed.
void BM_LoadAndFreeSiblingStaticTexts(benchmark::State& state) {
    a_setLogObserver([](const char*, void*) {}, nullptr);
    aImageManager images;
    aSoundManager sounds;
    std::string script;
    for (int64_t i = 0; i < state.range(0); ++i)
        script += "statictext t" + std::to_string(i) + "\n{\n AreaRect 0 0 100 20\n}\n";
    for (auto _ : state) {
        GUI::Server server(&images, &sounds, nullptr);
        server.loadBuffer("bench.agui", script.data(), script.size());
        server.InitializeWidgets();
        server.Update(0.02f);
    }
    state.SetComplexityN(state.range(0));
    a_setLogObserver(nullptr, nullptr);
}
BENCHMARK(BM_LoadAndFreeSiblingStaticTexts)
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
