// Command line of the content tools; tools/content/README.md describes the
// recipes. Every command exits 0 on success and 1 with a message naming the
// file and line on the first fault.
//   mirel_content art <recipe.art> <source root> <output root> [options]
//   mirel_content fonts <recipe.fonts> <source root> <output root> [options]
//   mirel_content copy <source root> <output root> [options]
//   mirel_content check <folder>
//   mirel_content pack <program folder> <packed folder> [options]
//   mirel_content svg <in.svg> <out picture> [options]
//   mirel_content font <face.ttf> <pixel height> <out folder> <name>
//   mirel_content jng <in.png> <out.jng> [quality]
// Options: --stamp FILE (lists what was written; older outputs no longer made
// are removed), --depfile FILE (every file read), --clipart DIR, --preview DIR,
// --fonts DIR, --size W H, --element ID, --quality Q, --crop.

#include "content/content_art.h"
#include "content/content_fonts.h"
#include "content/content_lsan.h"
#include "content/content_output.h"
#include "content/content_picture.h"
#include "content/content_tree.h"
#include "content/content_writers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <png.h>

namespace {

namespace fs = std::filesystem;

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
    std::fprintf(stderr,
                 "usage: mirel_content art <recipe.art> <source root> <output root> [--clipart DIR] "
                 "[--preview DIR] [--stamp FILE] [--depfile FILE]\n"
                 "       mirel_content fonts <recipe.fonts> <source root> <output root> [--fonts DIR] "
                 "[--stamp FILE] [--depfile FILE]\n"
                 "       mirel_content copy <source root> <output root> [--stamp FILE] [--depfile FILE]\n"
                 "       mirel_content check <folder>\n"
                 "       mirel_content pack <program folder> <packed folder> [--stamp FILE]\n"
                 "       mirel_content svg <in.svg> <out picture> [--size W H] [--element ID] "
                 "[--clipart DIR] [--quality Q] [--crop]\n"
                 "       mirel_content font <face.ttf> <pixel height> <out folder> <name>\n"
                 "       mirel_content jng <in.png> <out.jng> [quality]\n");
    return 2;
}

struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> options;
    std::string get(const std::string& name, const std::string& fallback = "") const {
        auto it = options.find(name);
        return it == options.end() || it->second.empty() ? fallback : it->second[0];
    }
    bool has(const std::string& name) const { return options.count(name) != 0; }
};

bool parseArgs(int argc, char** argv, Args& a) {
    static const std::map<std::string, int> arity = {{"--stamp", 1},   {"--depfile", 1}, {"--clipart", 1},
                                                     {"--preview", 1}, {"--fonts", 1},   {"--size", 2},
                                                     {"--element", 1}, {"--quality", 1}, {"--crop", 0}};
    for (int i = 2; i < argc; ++i) {
        std::string s = argv[i];
        if (s.rfind("--", 0) != 0) {
            a.positional.push_back(s);
            continue;
        }
        auto it = arity.find(s);
        if (it == arity.end() || i + it->second >= argc) {
            std::fprintf(stderr, "mirel_content: unknown or incomplete option %s\n", s.c_str());
            return false;
        }
        std::vector<std::string>& values = a.options[s];
        for (int k = 0; k < it->second; ++k)
            values.push_back(argv[++i]);
    }
    return true;
}

// The build passes the folder it found, or its "not found" value.
std::string clipartDir(const Args& a) {
    std::string dir = a.get("--clipart");
    if (dir.size() >= 8 && dir.compare(dir.size() - 8, 8, "NOTFOUND") == 0)
        return "";
    return dir;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "error: %s\n", message.c_str());
    return 1;
}

// Writes the stamp and the dependency file of a recipe command.
int finish(const Args& a, const std::set<std::string>& reads, const std::set<std::string>& outputs) {
    std::string error;
    std::string stamp = a.get("--stamp");
    if (!stamp.empty() && !content::writeStamp(stamp, outputs, error))
        return fail(error);
    std::string dep = a.get("--depfile");
    if (!dep.empty() && !content::writeDepfile(dep, stamp.empty() ? "outputs" : stamp, reads, error))
        return fail(error);
    return 0;
}

int runArt(const Args& a) {
    if (a.positional.size() != 3)
        return usage();
    std::set<std::string> reads;
    content::ArtJob job;
    job.recipe = a.positional[0];
    job.sourceRoot = a.positional[1];
    job.outputRoot = a.positional[2];
    job.previewRoot = a.get("--preview");
    job.svg.clipartDir = clipartDir(a);
    job.svg.reads = &reads;
    std::string error;
    if (!content::runArt(job, error))
        return fail(error);
    return finish(a, reads, job.outputs);
}

int runFonts(const Args& a) {
    if (a.positional.size() != 3)
        return usage();
    content::FontJob job;
    job.recipe = a.positional[0];
    job.sourceRoot = a.positional[1];
    job.outputRoot = a.positional[2];
    job.fontDir = a.get("--fonts", job.fontDir);
    std::string error;
    if (!content::runFonts(job, error))
        return fail(error);
    return finish(a, job.reads, job.outputs);
}

int runCopy(const Args& a) {
    if (a.positional.size() != 2)
        return usage();
    std::set<std::string> reads, outputs;
    std::string error;
    if (!content::copyTree(a.positional[0], a.positional[1], reads, outputs, error))
        return fail(error);
    return finish(a, reads, outputs);
}

int runCheck(const Args& a) {
    if (a.positional.size() != 1)
        return usage();
    std::vector<std::string> faults = content::checkTree(a.positional[0]);
    for (const std::string& f : faults)
        std::fprintf(stderr, "error: %s\n", f.c_str());
    return faults.empty() ? 0 : 1;
}

int runPack(const Args& a) {
    if (a.positional.size() != 2)
        return usage();
    fs::path program = a.positional[0], packed = a.positional[1];
    std::set<std::string> reads, outputs;
    std::string error;
    std::error_code ec;
    // Everything beside the data folder, then the data folder as one archive.
    for (fs::directory_iterator it(program, ec), end; it != end; it.increment(ec)) {
        if (it->path().filename() == "gameres")
            continue;
        if (it->is_directory()) {
            if (!content::copyTree(it->path().string(), (packed / it->path().filename()).string(), reads,
                                   outputs, error))
                return fail(error);
        } else if (it->is_regular_file()) {
            fs::path out = packed / it->path().filename();
            fs::create_directories(packed, ec);
            if (!fs::copy_file(it->path(), out, fs::copy_options::update_existing, ec) && ec)
                return fail("cannot copy " + it->path().string() + ": " + ec.message());
            fs::permissions(out, fs::status(it->path()).permissions(), ec);
            outputs.insert(out.lexically_normal().string());
        }
    }
    if (ec)
        return fail("cannot list " + program.string());
    fs::path pak = packed / "gameres.pak";
    if (!content::writeZip((program / "gameres").string(), pak.string(), error))
        return fail(error);
    outputs.insert(pak.lexically_normal().string());
    return finish(a, reads, outputs);
}

int runSvg(const Args& a) {
    if (a.positional.size() != 2)
        return usage();
    std::set<std::string> reads;
    content::SvgContext ctx;
    ctx.clipartDir = clipartDir(a);
    ctx.reads = &reads;
    std::string doc, error;
    const std::string& in = a.positional[0];
    if (!content::loadSvg(in, ctx, doc, error))
        return fail(error);
    double w = 0, h = 0;
    if (a.has("--size")) {
        w = std::atof(a.options.at("--size")[0].c_str());
        h = std::atof(a.options.at("--size")[1].c_str());
    } else if (!content::svgPageSize(doc, w, h, error)) {
        return fail(in + ": " + error);
    }
    std::string element = a.get("--element");
    if (!element.empty() && element[0] != '#')
        element = "#" + element;
    content::Picture pic;
    if (!content::renderSvg(doc, in, uint32_t(w + 0.5), uint32_t(h + 0.5), element, pic, error))
        return fail(in + ": " + error);
    if (a.has("--crop")) {
        content::Bounds b = content::alphaBounds(pic);
        if (b.empty())
            return fail(in + ": draws nothing");
        pic = content::crop(pic, b);
    }
    content::WriteOptions o;
    o.quality = std::atoi(a.get("--quality", "90").c_str());
    content::Bytes bytes = content::encodePicture(a.positional[1], pic, o, error);
    if (bytes.empty() || !content::writeOutput(a.positional[1], bytes, error))
        return fail(error);
    return 0;
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
    Args a;
    if (!parseArgs(argc, argv, a))
        return 2;
    if (cmd == "art")
        return runArt(a);
    if (cmd == "fonts")
        return runFonts(a);
    if (cmd == "copy")
        return runCopy(a);
    if (cmd == "check")
        return runCheck(a);
    if (cmd == "pack")
        return runPack(a);
    if (cmd == "svg")
        return runSvg(a);
    return usage();
}
