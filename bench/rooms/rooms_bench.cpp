// The sample game's hidden-object rooms as a player meets them, over the
// headless harness: one frame in the harbour (the background, every object,
// the item list on the panel, the shell's widgets and 200 particles of the
// layer under the GUI, with the hint ring turning round an object), and the
// load of the harbour's pictures through the image manager from its image
// list against reading and decoding the same files alone.

#include "game/support/fixture_tree.h"
#include "game/support/game_harness.h"

#include "game/scenes/spy_room.h"
#include "game/screens/title_screen.h"
#include "game/tip_manager.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagedecode.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gfx/a_particle.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/util/a_stringlist.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string built() {
    return std::string(MIREL_GAME_DIR) + "/gameres/";
}

// The shell's fixture data with the sample game's first chapter.
std::string benchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    const std::string root = std::string(tmp ? tmp : "/tmp") + "/mirel-rooms-bench/";
    static bool written = false;
    if (written)
        return root;
    written = true;
    fs::remove_all(root);
    gametest::FixtureTree data(root + "game/");
    data.WriteShell();
    auto copy = [&](const std::string& relative) {
        const fs::path to = data.data + relative;
        fs::create_directories(to.parent_path());
        fs::copy(built() + relative, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    };
    for (const char* room : {"harbour", "clockshop", "inn"}) {
        copy(std::string("rooms/") + room);
        copy(std::string("loc/room_") + room + ".txt");
    }
    for (const char* file : {"loc/items_comments.txt", "images/rooms", "sounds/rooms", "fonts/spy_list.fnt",
                             "fonts/spy_list.png", "fonts/spy_title.fnt", "fonts/spy_title.png",
                             "gui/spy_room.agui", "gui/spy_room_fonts.agui"})
        copy(file);
    std::string layout = data.layout;
    const std::string panel = "staticimage panel\n{\n";
    layout.insert(layout.find(panel) + panel.size(), "#include \"data:gui/spy_room.agui\"\n");
    data.Text("gui/main.agui", "#include \"data:gui/spy_room_fonts.agui\"\n" + layout);
    std::ifstream level(built() + "levels/01.ini");
    const std::string text((std::istreambuf_iterator<char>(level)), std::istreambuf_iterator<char>());
    data.Text("levels/01.ini",
              "[General]\nTime=1500\nHintsCount=6\nRandomLeft=2\n" + text.substr(text.find("[Room.")));
    data.Text("particles/config.ini", "[embers]\nSystem = embers.psi\nImage = white_dot\n");
    data.Text("particles/embers.psi", "max_particles 200\nfps 60\nemit_per_sec 100\nparticle_life 2 2\n"
                                      "emitter_type 1\nemitter_size 300 100\nvelocity 10 30\ngravity -10 -5\n"
                                      "size 2 1 0.5\ncolor FFF2A541 00F2A541 0.5 0.5\nblend_mode 1\n");
    return root;
}

// In the harbour of a new game with its tips and boxes closed.
std::unique_ptr<gametest::GameHarness> inTheHarbour(const std::string& root) {
    auto h = std::make_unique<gametest::GameHarness>(root + "game/", root + "user/");
    if (!h->Start())
        return nullptr;
    h->Step();
    h->RunFor(TitleScreen::kIntroEnd - TitleScreen::kIntroStart);
    if (h->Visible("create_new_profile")) {
        h->TypeText("Bench");
        h->Click("btn_ok");
    }
    h->Click("btn_start");
    h->Steps(2);
    auto closeAll = [&] {
        for (int i = 0; i < 10; ++i) {
            if (!h->Game().GetMessageBoxes().empty()) {
                GUI::Widget* close = h->Game().GetMessageBoxes().front().box->FindChild("close", true);
                if (!close)
                    return;
                h->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                           close->GetAbsoluteY() + close->GetHeight() / 2);
            } else if (h->Game().GetTipManager() && h->Game().GetTipManager()->IsTipShown()) {
                h->ClickAt(5, 760);
            } else {
                return;
            }
        }
    };
    closeAll();
    GUI::Widget* button = h->Find("harbour");
    if (!button)
        return nullptr;
    h->ClickAt(button->GetAbsoluteX() + button->GetWidth() * 3 / 4,
               button->GetAbsoluteY() + button->GetHeight() / 2);
    closeAll();
    return h;
}

void BM_RoomFrame(benchmark::State& state) {
    auto h = inTheHarbour(benchFolder());
    auto* room = h ? dynamic_cast<SpyRoom*>(h->Game().GetCurrentRoom()) : nullptr;
    if (!room) {
        state.SkipWithError("the harbour was not reached");
        return;
    }
    const float at[2] = {500.0f, 600.0f};
    if (aParticlesManager* particles = h->Game().GetParticlesManager())
        particles->Add("embers", at, 2, false, true);
    h->Steps(120, 1.0f / 60.0f); // the particles fill up
    room->UseHint();
    h->MoveTo(700, 500);
    for (auto _ : state) {
        h->Step(1.0f / 60.0f);
        if (!room->GetHintedObject())
            room->UseHint();
    }
    state.counters["objects"] = double(room->GetObjects().size());
    state.counters["particles"] =
        h->Game().GetParticlesManager() ? double(h->Game().GetParticlesManager()->getInstanceCount()) : 0.0;
}
BENCHMARK(BM_RoomFrame)->Unit(benchmark::kMillisecond);

struct RoomPictures {
    std::string list;
    std::vector<std::string> files;
};

const RoomPictures& harbourPictures() {
    static RoomPictures set = [] {
        RoomPictures p;
        const std::string dir = built() + "rooms/harbour/images/";
        p.list = dir + "ImageList.txt";
        aStringList lines(p.list);
        for (lines.begin(); !lines.isEnd(); lines.next()) {
            const std::string line = lines.current();
            const size_t blank = line.find(' ');
            if (blank != std::string::npos)
                p.files.push_back(dir + line.substr(0, blank));
        }
        return p;
    }();
    return set;
}

void BM_RoomLoadThroughImageManager(benchmark::State& state) {
    const RoomPictures& set = harbourPictures();
    setenv("MIREL_HEADLESS", "1", 1);
    aFileServerSources sources;
    aFileServer files(sources);
    aGraphServer server(1024, 768, false, true, "bench", 0, false);
    aImage::setGraphServer(&server);
    for (auto _ : state) {
        aImageManager manager;
        manager.loadList(set.list, "harbour");
        benchmark::DoNotOptimize(manager.getImageCount());
    }
    aImage::setGraphServer(nullptr);
    state.counters["pictures"] = double(set.files.size());
}
BENCHMARK(BM_RoomLoadThroughImageManager)->Unit(benchmark::kMillisecond);

void BM_RoomLoadBareDecoders(benchmark::State& state) {
    const RoomPictures& set = harbourPictures();
    aFileServerSources sources;
    aFileServer files(sources);
    for (auto _ : state) {
        for (const std::string& f : set.files) {
            size_t size = 0;
            uint8_t* data = file_readFullAndMalloc(f, &size);
            aDecodedImage out;
            std::string error;
            const bool jng = f.size() > 4 && f.compare(f.size() - 4, 4, ".jng") == 0;
            const bool ok = jng ? a_decodeJng(data, size, out, error) : a_decodeJpeg(data, size, out, error);
            benchmark::DoNotOptimize(ok);
            std::free(data);
        }
    }
    state.counters["pictures"] = double(set.files.size());
}
BENCHMARK(BM_RoomLoadBareDecoders)->Unit(benchmark::kMillisecond);

} // namespace
