#pragma once
// A GUI test bench: a headless graphics server on the software device, an
// input server whose keys, buttons and cursor the test sets per frame, a
// manual clock, image and sound managers and a GUI::Server built from script
// text. Frame(dt) runs one frame (input, GUI update, render) and Pixel reads
// back what was drawn.
//
//   GuiHarness h;                      // or derive a fixture from GuiFixture
//   h.AddImage("btn", content::Picture(8, 8, 0xFFFF0000));
//   h.LoadScript("imagebutton ok\n{\n AreaRect 10 10 8 8\n}\n");
//   h.SetCursor(12, 12);
//   h.SetButton(0, true);
//   h.Frame();
//   EXPECT_EQ(h.Pixel(12, 12), 0xFFFF0000u);
//
// Link the test with `mirel mirel_content`.

#include "content/content_writers.h"
#include "mirel/base/a_clock.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/gui/gui_widgetfactory.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/platform/graphics/a_device.h"
#include "mirel/platform/window/headless/a_headless_window.h"
#include "mirel/sound/a_sound.h"
#include "support/gui_fakes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace guitest {

// A fresh scratch folder for the running test (under MIREL_TEST_TMP).
inline std::string ScratchDir(const std::string& suite) {
    const char* root = std::getenv("MIREL_TEST_TMP");
    const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name =
        info ? std::string(info->test_suite_name()) + "." + info->name() : std::string("no-test");
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    std::filesystem::path p = std::filesystem::path(root ? root : "/tmp/mirel-gui-tests") / suite / name;
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p.string() + "/";
}

// The application side of the input server: the headless window, the screen
// size, and a record of the cursors it was given.
class InputHost : public aInputHost {
public:
    void setInputServer(aInputServer* server) override { input = server; }
    bool isActive() const override { return true; }
    aPlatformWindow* getPlatformWindow() const override { return window; }
    void getBackBufferSize(int32_t& w, int32_t& h) const override {
        w = width;
        h = height;
    }
    void refreshCursor() override {}
    void setCursorSprite(aSprite* sprite) override { cursorSprites.push_back(sprite); }
    void setSystemCursorId(int32_t id) override { systemCursorIds.push_back(id); }

    aInputServer* input = nullptr;
    aPlatformWindow* window = nullptr;
    int32_t width = 1024;
    int32_t height = 768;
    std::vector<aSprite*> cursorSprites; // null entries: the sprite cursor was removed
    std::vector<int32_t> systemCursorIds;
};

class GuiHarness {
public:
    // The screen size of the graphics server and the GUI root.
    explicit GuiHarness(uint16_t width = 1024, uint16_t height = 768) {
        setenv("MIREL_HEADLESS", "1", 1);
        a_setClock(&clock);
        aImage::setGraphServer(nullptr);
        graph = std::make_unique<aGraphServer>(width, height, false, true, "gui", 0, false);
        aImage::setGraphServer(graph.get());
        graph->setClearColor(0xFF000000);
        window = dynamic_cast<aHeadlessWindow*>(graph->getWindow());
        host.window = graph->getWindow();
        host.width = width;
        host.height = height;
        input = std::make_unique<aInputServer>(&host);
        images = std::make_unique<aImageManager>();
        sounds = std::make_unique<aSoundManager>();
        server = std::make_unique<GUI::Server>(images.get(), sounds.get(), input.get());
        dir = ScratchDir("gui");
    }
    ~GuiHarness() {
        server.reset();
        sounds.reset();
        images.reset();
        input.reset();
        aImage::setGraphServer(nullptr);
        graph.reset();
        a_setClock(nullptr);
    }
    GuiHarness(const GuiHarness&) = delete;
    GuiHarness& operator=(const GuiHarness&) = delete;

    // ---- content ----

    // Writes a file into the test's scratch folder; returns its path.
    std::string WriteFile(const std::string& name, const std::string& text) const {
        std::string path = dir + name;
        EXPECT_TRUE(content::saveFile(path, text)) << path;
        return path;
    }
    std::string WriteFile(const std::string& name, const content::Bytes& bytes) const {
        std::string path = dir + name;
        EXPECT_TRUE(content::saveFile(path, bytes)) << path;
        return path;
    }
    // Makes an image the image manager (and so the GUI server) knows by name.
    aImage* AddImage(const std::string& name, const content::Picture& picture) {
        WriteFile(name + ".png", content::writePng(picture));
        images->loadList(
            WriteFile(name + "_list.txt", name + ".png 8888 8888\n")); // names are relative to the list
        return images->getImage(name);
    }
    // Loads a GUI script given as text (written as `name` in the scratch
    // folder) and, unless told not to, initialises the widgets.
    void LoadScript(const std::string& text, bool initialize = true, const std::string& name = "test.agui") {
        server->load(WriteFile(name, text));
        if (initialize)
            server->InitializeWidgets();
    }

    // ---- widgets ----

    GUI::Widget* Root() const { return server->GetRootWidget(); }
    GUI::Widget* Find(const std::string& name) const { return Root()->FindChild(name, true); }
    template <class T> T* FindAs(const std::string& name) const { return dynamic_cast<T*>(Find(name)); }

    // ---- input for the next frames ----

    void SetCursor(int32_t x, int32_t y) { window->setCursorClient(x, y); }
    void SetButton(int button, bool down) { window->setButton(button, down); }
    void SetKey(uint8_t scanCode, bool down) { window->setKey(scanCode, down); }
    void SetToggled(aToggleKey key, bool on) { window->setToggled(key, on); }
    void TurnWheel(int32_t notches) { window->turnWheel(notches * 120); }

    // ---- frames ----

    // Time passes, the input server reads the devices, the GUI updates, and
    // (unless render is false) the frame is drawn with point filtering.
    void Frame(float dt = 0.02f, bool render = true) {
        clock.advance(dt);
        input->update();
        server->Update(dt);
        if (render)
            Render();
    }
    // Draws the GUI into the cleared back buffer.
    void Render() {
        if (!graph->beginScene())
            return;
        graph->setLinearFilter(linearFilter);
        server->Render();
        graph->endScene();
    }
    // Runs fn inside a frame of its own (cleared back buffer, point filtering).
    template <class F> void DrawFrame(F&& fn) {
        if (!graph->beginScene())
            return;
        graph->setLinearFilter(linearFilter);
        fn();
        graph->endScene();
    }
    // A pixel of the last frame (0xAARRGGBB).
    uint32_t Pixel(uint32_t x, uint32_t y) const { return graph->getDevice()->backPixel(x, y); }

    aManualClock clock;
    InputHost host;
    std::unique_ptr<aGraphServer> graph;
    aHeadlessWindow* window = nullptr;
    std::unique_ptr<aInputServer> input;
    std::unique_ptr<aImageManager> images;
    std::unique_ptr<aSoundManager> sounds;
    std::unique_ptr<GUI::Server> server;
    std::string dir;
    bool linearFilter = false;
};

// A fixture holding one harness.
class GuiFixture : public testing::Test {
protected:
    GuiHarness h;
};

} // namespace guitest
