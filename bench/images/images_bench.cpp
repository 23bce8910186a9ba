// Loading a room-sized set of pictures: one 845 x 768 JPEG background and 40
// JNG objects with alpha, through the image manager from an image list,
// against decoding the same files alone (whole-file read plus decoder).

#include "content/content_writers.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagedecode.h"
#include "mirel/gfx/a_imagemanager.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

struct RoomSet {
    std::string dir;
    std::string list;
    std::vector<std::string> files;
};

content::Picture painted(uint32_t w, uint32_t h, uint32_t seed, bool alpha) {
    content::Picture p(w, h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            float fx = float(x) / float(w), fy = float(y) / float(h);
            uint32_t r = uint32_t(127 + 120 * std::sin(fx * 7 + float(seed)));
            uint32_t g = uint32_t(127 + 120 * std::cos(fy * 5 + float(seed) * 0.3f));
            uint32_t b = uint32_t((x * 3 + y * 5 + seed * 17) & 0xFF);
            float dx = fx - 0.5f, dy = fy - 0.5f;
            uint32_t a = alpha ? (dx * dx + dy * dy < 0.2f ? 255u : 0u) : 255u;
            p.at(x, y) = (a << 24) | (r << 16) | (g << 8) | b;
        }
    return p;
}

const RoomSet& roomSet() {
    static RoomSet set = [] {
        RoomSet s;
        const char* tmp = std::getenv("TMPDIR");
        s.dir = std::string(tmp ? tmp : "/tmp") + "/mirel-images-bench/";
        std::filesystem::create_directories(s.dir);
        std::string text = "background.jpg 0565 8888\n";
        content::saveFile(s.dir + "background.jpg", content::writeJpeg(painted(845, 768, 1, false), 90));
        s.files.push_back(s.dir + "background.jpg");
        for (uint32_t i = 0; i < 40; ++i) {
            uint32_t w = 40 + (i * 37) % 161, h = 40 + (i * 53) % 161;
            std::string name = "object" + std::to_string(i) + ".jng";
            content::saveFile(s.dir + name,
                              content::writeJng(painted(w, h, i + 2, true), content::JngAlpha::Zlib, 90));
            s.files.push_back(s.dir + name);
            text += name + " 4444 8888\n";
        }
        s.list = s.dir + "ImageList.txt";
        content::saveFile(s.list, text);
        return s;
    }();
    return set;
}

void BM_ImageManagerLoadList(benchmark::State& state) {
    const RoomSet& set = roomSet();
    setenv("MIREL_HEADLESS", "1", 1);
    aGraphServer server(1024, 768, false, true, "bench", 0, false);
    aImage::setGraphServer(&server);
    for (auto _ : state) {
        aImageManager manager;
        manager.loadList(set.list, "room01");
        benchmark::DoNotOptimize(manager.getImageCount());
    }
    aImage::setGraphServer(nullptr);
}

void BM_BareDecoders(benchmark::State& state) {
    const RoomSet& set = roomSet();
    for (auto _ : state) {
        for (const std::string& f : set.files) {
            size_t size = 0;
            uint8_t* data = file_readFullAndMalloc(f, &size);
            aDecodedImage out;
            std::string error;
            bool jng = f.size() > 4 && f.compare(f.size() - 4, 4, ".jng") == 0;
            bool ok = jng ? a_decodeJng(data, size, out, error) : a_decodeJpeg(data, size, out, error);
            benchmark::DoNotOptimize(ok);
            std::free(data);
        }
    }
}

} // namespace

BENCHMARK(BM_ImageManagerLoadList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareDecoders)->Unit(benchmark::kMillisecond);
