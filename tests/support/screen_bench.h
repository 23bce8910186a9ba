#pragma once
// A bench for the game's full-screen pieces (splash screens, title screen,
// story scenes, credits): the GUI harness (headless graphics server, scripted
// input, manual clock, image and sound managers, GUI server) plus a file
// server whose "home:" and "data:" assigns point into the test's scratch
// folder, and writers of pictures, image lists and videos there.

#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "mirel/base/a_random.h"
#include "mirel/file/a_fileserver.h"
#include "videogen.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace screentest {

class ScreenBench {
public:
    ScreenBench() {
        aFileServerSources s;
        s.useSystem = false;
        s.exePath = h.dir + "home/game";
        s.home = h.dir + "home";
        s.tmpDir = h.dir + "tmp";
        std::filesystem::create_directories(h.dir + "home");
        std::filesystem::create_directories(h.dir + "data");
        files = std::make_unique<aFileServer>(s);
        files->setAssign("data", h.dir + "data/");
        a_srand(1);
    }

    // A file under the scratch folder ("data/scenes/a_p1.jpg"); its real path.
    std::string Write(const std::string& relative, const std::string& text) {
        return Put(relative, content::Bytes(text.begin(), text.end()));
    }
    std::string Write(const std::string& relative, const content::Bytes& bytes) {
        return Put(relative, bytes);
    }
    std::string Png(const std::string& relative, const content::Picture& picture) {
        return Put(relative, content::writePng(picture));
    }
    void Remove(const std::string& relative) { std::filesystem::remove(h.dir + relative); }

    // Pictures loaded into an image group of the image manager, through a
    // list under "data/images/<group>/".
    void LoadGroup(const std::string& group, const std::map<std::string, content::Picture>& pictures) {
        std::string list;
        for (const auto& [name, picture] : pictures) {
            Png("data/images/" + group + "/" + name + ".png", picture);
            list += name + ".png 8888 8888\n";
        }
        // A list file of its own for every call: a list is read once.
        const std::string file = "ImageList" + std::to_string(m_lists++) + ".txt";
        h.images->loadList(Write("data/images/" + group + "/" + file, list), group);
    }

    // A waves video of the given size under "data/video/waves.ogg".
    void WavesVideo(uint32_t width, uint32_t height, int frames = 4) {
        videogen::Options o;
        o.width = width;
        o.height = height;
        o.frames = frames;
        o.quality = 20;
        std::filesystem::create_directories(h.dir + "data/video");
        EXPECT_TRUE(videogen::writeFile(h.dir + "data/video/waves.ogg", o, videogen::drawWaves));
    }

    // One frame drawn by fn into the cleared back buffer.
    template <class F> void DrawFrame(F&& fn) { h.DrawFrame(fn); }
    uint32_t Pixel(uint32_t x, uint32_t y) const { return h.Pixel(x, y); }

    guitest::GuiHarness h;
    std::unique_ptr<aFileServer> files;

private:
    int m_lists = 0;
    std::string Put(const std::string& relative, const content::Bytes& bytes) {
        const std::filesystem::path p = std::filesystem::path(h.dir) / relative;
        std::filesystem::create_directories(p.parent_path());
        EXPECT_TRUE(content::saveFile(p.string(), bytes)) << p;
        return p.string();
    }
};

// Channels of a pixel.
inline int Red(uint32_t argb) {
    return int((argb >> 16) & 0xFF);
}
inline int Green(uint32_t argb) {
    return int((argb >> 8) & 0xFF);
}
inline int Blue(uint32_t argb) {
    return int(argb & 0xFF);
}

} // namespace screentest
