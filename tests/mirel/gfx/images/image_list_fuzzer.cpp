// Arbitrary bytes as an image list over a folder of pictures (a.png 8 x 8,
// big.png 512 x 512): loaded into a group, looked up and unloaded. A list's
// texture memory stays within its budget (kept small here).
#include "content/content_writers.h"
#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "support/fuzz_files.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct Bench {
    Bench() : files("imagelist") {
        setenv("MIREL_HEADLESS", "1", 1);
        a_setLogObserver([](const char*, void*) {}, nullptr);
        graph = std::make_unique<aGraphServer>(64, 64, false, true, "fuzz", 0, false);
        aImage::setGraphServer(graph.get());
        content::saveFile(files.folder() + "a.png", content::writePng(content::Picture(8, 8, 0x80FF0000)));
        content::saveFile(files.folder() + "big.png",
                          content::writePng(content::Picture(512, 512, 0xFF00FF00)));
    }
    FuzzFiles files;
    std::unique_ptr<aGraphServer> graph;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Bench bench;
    bench.files.write(data, size);
    aImageManager images;
    images.setListTextureBudget(8u << 20);
    images.loadList("fz:0", "g");
    size_t bytes = 0;
    for (const char* name : {"a", "big", "./big", "A"}) {
        if (aImage* image = images.getImage(name, "g"))
            bytes += image->getTextureBytes();
    }
    if (bytes > images.getListTextureBudget())
        __builtin_trap();
    images.unloadList("fz:0", "g");
    return 0;
}
