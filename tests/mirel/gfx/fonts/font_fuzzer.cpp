// Arbitrary bytes as a bitmap font file over a fixed 32 x 16 atlas: read,
// measured and drawn with every flag, near and far, at every size.
#include "content/content_writers.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "support/fuzz_files.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct Bench {
    Bench() : files("font") {
        setenv("MIREL_HEADLESS", "1", 1);
        a_setLogObserver([](const char*, void*) {}, nullptr);
        graph = std::make_unique<aGraphServer>(128, 64, false, true, "fuzz", 0, false);
        aImage::setGraphServer(graph.get());
        content::Picture atlas(32, 16, 0xFFFFFFFF);
        content::saveFile(files.folder() + "atlas.png", content::writePng(atlas));
    }
    FuzzFiles files;
    std::unique_ptr<aGraphServer> graph;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Bench bench;
    const std::vector<std::string> parts = bench.files.write(data, size);
    aFont font("fz:0");
    const std::string text = "AB_ab?" + parts[0].substr(0, 64);
    float w = 0, h = 0;
    for (float scale : {1.0f, -30.0f, 0.0f, 1e30f}) {
        font.setSize(scale);
        font.getTextExtent(text, w, h);
        if (bench.graph->beginScene()) {
            for (uint32_t flags = 0; flags < 32; flags += 3) {
                font.drawText(5, 5, text, flags);
                font.drawText(3e38f, -3e38f, text, flags);
            }
            bench.graph->endScene();
        }
    }
    return 0;
}
