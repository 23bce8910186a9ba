// Command-line front of the content writers:
//   mirel_content font <face.ttf> <pixel height> <out folder> <name>
//       writes <name>.png (atlas) and <name>.fnt (font file)
//   mirel_content jng <in.png> <out.jng> [quality]
//       re-encodes a PNG picture as JNG with deflated alpha

#include "content/content_writers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <png.h>

namespace {

bool readPng(const char* path, content::Picture& pic) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path))
        return false;
    image.format = PNG_FORMAT_BGRA;
    pic = content::Picture(image.width, image.height);
    bool ok = png_image_finish_read(&image, nullptr, pic.argb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

int usage() {
    std::fprintf(stderr, "usage: mirel_content font <face.ttf> <pixel height> <out folder> <name>\n"
                         "       mirel_content jng <in.png> <out.jng> [quality]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    std::string cmd = argv[1];
    if (cmd == "font" && argc == 6) {
        content::FontBuildOptions o;
        o.facePath = argv[2];
        o.pixelHeight = uint32_t(std::atoi(argv[3]));
        std::string dir = argv[4], name = argv[5];
        o.textureName = name + ".png";
        content::FontBuildResult r;
        if (!o.pixelHeight || !content::buildFont(o, r)) {
            std::fprintf(stderr, "font: %s\n", r.error.empty() ? "bad pixel height" : r.error.c_str());
            return 1;
        }
        if (!content::saveFile(dir + "/" + name + ".png", content::writePng(r.atlas)) ||
            !content::saveFile(dir + "/" + name + ".fnt", r.fontFile)) {
            std::fprintf(stderr, "font: cannot write into %s\n", dir.c_str());
            return 1;
        }
        return 0;
    }
    if (cmd == "jng" && (argc == 4 || argc == 5)) {
        content::Picture pic;
        if (!readPng(argv[2], pic)) {
            std::fprintf(stderr, "jng: cannot read %s\n", argv[2]);
            return 1;
        }
        int quality = argc == 5 ? std::atoi(argv[4]) : 90;
        content::Bytes jng = content::writeJng(pic, content::JngAlpha::Zlib, quality);
        if (jng.empty() || !content::saveFile(argv[3], jng)) {
            std::fprintf(stderr, "jng: cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    return usage();
}
