// videogen: writes a generated Ogg Theora video.
//   videogen <out.ogg> [bars|waves] [width] [height] [frames] [fps]
// The title screen's video: videogen waves.ogg waves 1024 192 100 25
#include "videogen.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
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
    if (width < 1 || width > 4096 || height < 1 || height > 4096 || frames < 1 || frames > 100000 || fps < 1 ||
        fps > 1000) {
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
