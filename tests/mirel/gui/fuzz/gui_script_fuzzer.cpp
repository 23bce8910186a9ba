// Arbitrary bytes as a GUI script: read through the server with every
// registered widget type, initialised, updated with input and drawn. Must
// never crash, leak or hang.

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/platform/window/headless/a_headless_window.h"
#include "mirel/sound/a_sound.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

class Host : public aInputHost {
public:
    void setInputServer(aInputServer*) override {}
    bool isActive() const override { return true; }
    aPlatformWindow* getPlatformWindow() const override { return window; }
    void getBackBufferSize(int32_t& w, int32_t& h) const override
    {
        w = 256;
        h = 192;
    }
    void refreshCursor() override {}
    void setCursorSprite(aSprite*) override {}
    void setSystemCursorId(int32_t) override {}
    aPlatformWindow* window = nullptr;
};

struct Bench {
    Bench()
    {
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Bench bench;
    GUI::Server server(&bench.images, &bench.sounds, bench.input.get());
    server.loadBuffer("fuzz.agui", reinterpret_cast<const char*>(data), size);
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
