// Arbitrary bytes as a GUI script: read through the server with every
// registered widget type, initialised, updated with input and drawn. Must
// never crash, leak or hang. Lines "#--file--" split the input into the files
// it may include as "fz:1", "fz:2", ... (support/fuzz_files.h).

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/platform/window/headless/a_headless_window.h"
#include "mirel/sound/a_sound.h"
#include "support/fuzz_files.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace {

class Host : public aInputHost {
public:
    void setInputServer(aInputServer*) override {}
    bool isActive() const override { return true; }
    aPlatformWindow* getPlatformWindow() const override { return window; }
    void getBackBufferSize(int32_t& w, int32_t& h) const override {
        w = 256;
        h = 192;
    }
    void refreshCursor() override {}
    void setCursorSprite(aSprite*) override {}
    void setSystemCursorId(int32_t) override {}
    aPlatformWindow* window = nullptr;
};

struct Bench {
    Bench() {
        setenv("MIREL_HEADLESS", "1", 1);
        a_setLogObserver([](const char*, void*) {}, nullptr);
        graph = std::make_unique<aGraphServer>(256, 192, false, true, "fuzz", 0, false);
        aImage::setGraphServer(graph.get());
        host.window = graph->getWindow();
        window = dynamic_cast<aHeadlessWindow*>(graph->getWindow());
        input = std::make_unique<aInputServer>(&host);
    }
    std::unique_ptr<aGraphServer> graph;
    Host host;
    aHeadlessWindow* window = nullptr;
    std::unique_ptr<aInputServer> input;
    aImageManager images;
    aSoundManager sounds;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Bench bench;
    static FuzzFiles files("gui");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // includes are followed: keep away from device files that never end
    if (text.find("/dev") != std::string_view::npos || text.find("/proc") != std::string_view::npos)
        return 0;
    const std::vector<std::string> parts = files.write(data, size);
    GUI::Server server(&bench.images, &bench.sounds, bench.input.get());
    server.loadBuffer("fz:0", parts[0].data(), parts[0].size());
    server.InitializeWidgets();
    // A few frames of input over the tree: hover, a press and a key.
    const uint8_t seed = size ? data[0] : 0;
    for (int frame = 0; frame < 4; ++frame) {
        if (bench.window) {
            bench.window->setCursorClient((seed * 7 + frame * 40) % 256, (seed * 3 + frame * 30) % 192);
            bench.window->setButton(0, frame == 1 || frame == 2);
            bench.window->setKey(uint8_t(0x1E + seed % 20), frame >= 2);
        }
        bench.input->update();
        server.Update(0.05f);
        if (bench.graph->beginScene()) {
            server.Render();
            bench.graph->endScene();
        }
    }
    if (bench.window) {
        bench.window->setButton(0, false);
        bench.window->releaseAllKeys();
    }
    bench.input->update();
    return 0;
}
