// videogen: writes a generated Ogg Theora video.
//   videogen <out.ogg> [bars|waves] [width] [height] [frames] [fps]
//   videogen recipe <recipe.video> <out.ogg>
// A recipe is one [video] section with Pattern (bars or waves), Size (width
// height), Frames, Fps and Quality (0..63).
// The title screen's video: videogen waves.ogg waves 1024 192 100 25
#include "videogen.h"

#include "content/content_ini.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int fromRecipe(const char* path, const char* out) {
    content::IniFile file;
    std::string error;
    if (!content::readIni(path, file, error)) {
        std::fprintf(stderr, "error: %s\n", error.c_str());
        return 1;
    }
    const content::IniSection* s = file.find("video");
    if (!s) {
        std::fprintf(stderr, "error: %s: a video recipe has a [video] section\n", path);
        return 1;
    }
    std::string pattern = s->get("Pattern", "waves");
    videogen::DrawFrame draw =
        pattern == "bars" ? videogen::DrawFrame(videogen::drawBars) : videogen::drawWaves;
    long width = 0, height = 0;
    char extra = 0;
    long frames = std::atol(s->get("Frames", "50").c_str()), fps = std::atol(s->get("Fps", "25").c_str());
    long quality = std::atol(s->get("Quality", "48").c_str());
    if ((pattern != "bars" && pattern != "waves") ||
        std::sscanf(s->get("Size").c_str(), "%ld %ld %c", &width, &height, &extra) != 2 || width < 1 ||
        width > 4096 || height < 1 || height > 4096 || frames < 1 || frames > 100000 || fps < 1 ||
        fps > 1000 || quality < 0 || quality > 63) {
        std::fprintf(stderr,
                     "error: %s%sthe video needs Pattern bars or waves, Size width height, Frames, Fps and "
                     "Quality 0..63\n",
                     file.where(s->line).c_str(), "");
        return 1;
    }
    videogen::Options options;
    options.width = uint32_t(width);
    options.height = uint32_t(height);
    options.frames = int(frames);
    options.fpsNumerator = uint32_t(fps);
    options.quality = int(quality);
    return videogen::writeFile(out, options, draw) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "recipe") == 0)
        return fromRecipe(argv[2], argv[3]);
    if (argc < 2) {
        std::fprintf(stderr, "usage: videogen <out.ogg> [bars|waves] [width] [height] [frames] [fps]\n");
        return 2;
    }
    videogen::DrawFrame draw = videogen::drawBars;
    if (argc > 2) {
        if (std::strcmp(argv[2], "waves") == 0)
            draw = videogen::drawWaves;
        else if (std::strcmp(argv[2], "bars") != 0) {
            std::fprintf(stderr, "videogen: unknown pattern '%s'\n", argv[2]);
            return 2;
        }
    }
    videogen::Options options;
    long width = argc > 3 ? std::atol(argv[3]) : 64;
    long height = argc > 4 ? std::atol(argv[4]) : 64;
    long frames = argc > 5 ? std::atol(argv[5]) : 25;
    long fps = argc > 6 ? std::atol(argv[6]) : 25;
    if (width < 1 || width > 4096 || height < 1 || height > 4096 || frames < 1 || frames > 100000 ||
        fps < 1 || fps > 1000) {
        std::fprintf(stderr, "videogen: bad video arguments\n");
        return 2;
    }
    options.width = uint32_t(width);
    options.height = uint32_t(height);
    options.frames = int(frames);
    options.fpsNumerator = uint32_t(fps);
    options.quality = 48;
    return videogen::writeFile(argv[1], options, draw) ? 0 : 1;
}
