// One frame of the title screen as the game draws it on the headless device:
// the title's update (clouds, birds, the waves video decoding its frame), the
// GUI's update, then sky, clouds, birds, video, foreground, logo, the main
// menu's widgets and the masks, presented. The intro is over, so the whole
// logo and its highlight are drawn; two flocks are in the air.
//
// The pictures are the game's own when MIREL_TITLE_DATA names a built data
// folder (its images/title/ImageList.txt, video/waves.ogg and signature.txt);
// otherwise stand-ins of the same sizes and coverage are made here.

#include "game/screens/title_screen.h"

#include "content/content_writers.h"
#include "mirel/base/a_random.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_server.h"
#include "mirel/input/a_inputserver.h"
#include "mirel/sound/a_sound.h"
#include "videogen.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

// A picture with soft shapes: opaque where `cover` says so, translucent at
// the edges, clear elsewhere.
content::Picture shapes(uint32_t w, uint32_t h, uint32_t colour, float cover, uint32_t seed) {
    content::Picture p(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const float v =
                std::sin(float(x) * 0.021f + float(seed)) * std::cos(float(y) * 0.033f + float(seed) * 0.7f);
            const float a = std::clamp((v - (1.0f - 2.0f * cover)) * 4.0f, 0.0f, 1.0f);
            p.at(x, y) = uint32_t(a * 255.0f) << 24 | (colour & 0xFFFFFFu);
        }
    return p;
}

std::string scratch() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/mirel-title-bench/";
}

std::string makeData() {
    const std::string dir = scratch() + "data/";
    std::filesystem::create_directories(dir + "images/title");
    std::filesystem::create_directories(dir + "video");
    const std::string t = dir + "images/title/";
    content::Picture sky(1024, 576);
    for (uint32_t y = 0; y < 576; ++y)
        for (uint32_t x = 0; x < 1024; ++x)
            sky.at(x, y) = 0xFF000000u | uint32_t(40 + y / 4) << 16 | uint32_t(60 + y / 6) << 8 | 120u;
    content::saveFile(t + "sky.jpg", content::writeJpeg(sky));
    content::saveFile(t + "clouds_layer_1.png", content::writePng(shapes(512, 72, 0xE0D8D0, 0.35f, 1)));
    content::saveFile(t + "clouds_layer_2.png", content::writePng(shapes(512, 60, 0xC8C0C8, 0.3f, 2)));
    content::saveFile(t + "clouds_layer_3.png", content::writePng(shapes(512, 48, 0xB0A8B8, 0.25f, 3)));
    content::Picture front = shapes(1024, 768, 0x202838, 0.3f, 4);
    for (uint32_t y = 0; y < 768; ++y)
        for (uint32_t x = 0; x < 1024; ++x)
            if (y < 330)
                front.at(x, y) = 0; // the sky shows through the top
    content::saveFile(t + "front.png", content::writePng(front));
    content::saveFile(t + "logo.png", content::writePng(shapes(556, 169, 0xC9A227, 0.5f, 5)));
    content::saveFile(t + "logo_highlight.png", content::writePng(shapes(556, 85, 0xFFF0C0, 0.4f, 6)));
    content::saveFile(t + "bird_l.png", content::writePng(shapes(192, 96, 0x000000, 0.3f, 7)));
    content::saveFile(t + "bird_r.png", content::writePng(shapes(192, 96, 0x000000, 0.3f, 8)));
    std::string list =
        "sky.jpg 0565 8888\nfront.png 4444 8888\nlogo.png 4444 8888\nlogo_highlight.png 4444 8888\n"
        "bird_l.png 4444 8888\nbird_r.png 4444 8888\n";
    for (int i = 1; i <= 3; ++i)
        list += "clouds_layer_" + std::to_string(i) + ".png 4444 8888\n";
    for (int i = 1; i <= 8; ++i) {
        content::saveFile(t + "mask_" + std::to_string(i) + ".png",
                          content::writePng(shapes(256, 192, 0x000000, 0.5f, 10 + i)));
        list += "mask_" + std::to_string(i) + ".png 4444 8888\n";
    }
    content::saveFile(t + "ImageList.txt", list);
    std::string strokes;
    for (int i = 0; i < 40; ++i)
        strokes += std::to_string(i * 13) + " 0 14 85\n";
    content::saveFile(dir + "signature.txt", strokes);
    videogen::Options o;
    o.width = 1024;
    o.height = 192;
    o.frames = 50;
    o.quality = 48;
    videogen::writeFile(dir + "video/waves.ogg", o, videogen::drawWaves);
    return dir;
}

// The main menu: five buttons on the right.
const char* const kMenu = R"(widget title_screen
{
 AreaRect 0 0 1024 768
 imagebutton btn_start
 {
  AreaRect 760 330 220 60
  Image button
 }
 imagebutton btn_options
 {
  AreaRect 760 400 220 60
  Image button
 }
 imagebutton btn_help
 {
  AreaRect 760 470 220 60
  Image button
 }
 imagebutton btn_credits
 {
  AreaRect 760 540 220 60
  Image button
 }
 imagebutton btn_quit
 {
  AreaRect 760 610 220 60
  Image button
 }
}
)";

void BM_TitleFrame(benchmark::State& state) {
    setenv("MIREL_HEADLESS", "1", 1);
    const char* real = std::getenv("MIREL_TITLE_DATA");
    const std::string data = real ? std::string(real) + "/" : makeData();
    aFileServerSources sources;
    sources.useSystem = false;
    sources.exePath = data + "game";
    aFileServer files(sources);
    files.setAssign("data", data);
    aGraphServer graph(1024, 768, false, true, "title", 0, false);
    aImage::setGraphServer(&graph);
    aInputServer input;
    {
        aImageManager images;
        aSoundManager sounds;
        images.loadList("data:images/title/ImageList.txt", "title");
        GUI::Server gui(&images, &sounds, &input);
        // The menu's button picture and script, the bench's own.
        const std::string own = scratch();
        std::filesystem::create_directories(own);
        content::saveFile(own + "button.png", content::writePng(shapes(220, 180, 0xEFE3C8, 0.8f, 9)));
        content::saveFile(own + "buttons.txt", std::string("button.png 4444 8888\n"));
        const std::string script = own + "menu.agui";
        content::saveFile(script, std::string(kMenu));
        images.loadList(own + "buttons.txt");
        gui.load(script);
        gui.InitializeWidgets();

        a_srand(5);
        TitleScreen title(&images);
        title.Restart(false);
        title.Update(5.0f); // the intro is over
        title.SpawnFlock();
        title.SpawnFlock();
        const float dt = 1.0f / 60.0f;
        for (auto _ : state) {
            title.Update(dt);
            gui.Update(dt);
            if (graph.beginScene()) {
                title.Draw();
                gui.Render();
                title.DrawMasks();
                graph.endScene();
            }
        }
        state.counters["birds"] = double(title.GetBirds().size());
    }
    aImage::setGraphServer(nullptr);
}
BENCHMARK(BM_TitleFrame)->Unit(benchmark::kMillisecond);

} // namespace
