#include "content/content_art.h"

#include "content/content_ini.h"
#include "content/content_output.h"
#include "content/content_picture.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace content {

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kPlayfieldWidth = 845;
constexpr uint32_t kPlayfieldHeight = 768;
constexpr int kDefaultHitAlpha = 16; // the game's alpha threshold without an "Alpha" key

std::string lower(std::string s) {
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// How a drawing is turned and coloured: the keys shared by objects, clutter
// and fitted pictures, with the room's defaults.
struct Look {
    std::string rotate, flip, tint, hue, shadow, opacity;
};

Look readLook(const IniSection& s, const Look& defaults) {
    Look l = defaults;
    auto take = [&](const char* key, std::string& into) {
        if (const IniKey* k = s.find(key))
            into = k->value == "none" ? "" : k->value;
    };
    take("Rotate", l.rotate);
    take("Flip", l.flip);
    take("Tint", l.tint);
    take("Hue", l.hue);
    take("Shadow", l.shadow);
    take("Opacity", l.opacity);
    return l;
}

std::string imageElement(const std::string& href, double x, double y, double w, double h, const Look& l,
                         const std::string& fit) {
    std::string e = "<image href=\"" + xmlEscape(href) + "\" x=\"" + std::to_string(x) + "\" y=\"" +
                    std::to_string(y) + "\" width=\"" + std::to_string(w) + "\" height=\"" +
                    std::to_string(h) + "\"";
    auto add = [&](const char* name, const std::string& v) {
        if (!v.empty())
            e += std::string(" ") + name + "=\"" + xmlEscape(v) + "\"";
    };
    add("data-rotate", l.rotate);
    add("data-flip", l.flip);
    add("data-tint", l.tint);
    add("data-hue", l.hue);
    add("data-shadow", l.shadow);
    add("opacity", l.opacity);
    add("data-fit", fit);
    return e + "/>\n";
}

std::string svgDocument(double w, double h, const std::string& body) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"" +
           std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" viewBox=\"0 0 " + std::to_string(w) +
           " " + std::to_string(h) + "\">\n" + body + "</svg>\n";
}

bool readSize(const IniFile& f, const IniSection& s, const char* key, uint32_t& w, uint32_t& h,
              std::string& error) {
    const IniKey* k = s.find(key);
    if (!k)
        return false;
    char extra = 0;
    long a = 0, b = 0;
    if (std::sscanf(k->value.c_str(), "%ld %ld %c", &a, &b, &extra) != 2 || a < 1 || b < 1 || a > 8192 ||
        b > 8192) {
        error = f.where(k->line) + key + " '" + k->value + "' is not a width and a height in pixels";
        return false;
    }
    w = uint32_t(a);
    h = uint32_t(b);
    return true;
}

bool readInt(const IniFile& f, const IniSection& s, const char* key, int lo, int hi, int& value,
             std::string& error) {
    const IniKey* k = s.find(key);
    if (!k)
        return true;
    char* end = nullptr;
    long v = std::strtol(k->value.c_str(), &end, 10);
    if (k->value.empty() || *end || v < lo || v > hi) {
        error = f.where(k->line) + key + " '" + k->value + "' is not a number from " + std::to_string(lo) +
                " to " + std::to_string(hi);
        return false;
    }
    value = int(v);
    return true;
}

// The room of a recipe: its object list as the game reads it, and the file
// names its image list gives each image.
struct Room {
    IniFile objects;
    std::string imagesDir;                     // relative to the recipe's folder
    std::map<std::string, std::string> images; // image name, lower case -> file name
    std::string listPath;
};

bool readImageList(const std::string& path, Room& room, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = path + ": the room's image list is missing (it names the file of every picture)";
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream ss(line);
        std::string file;
        if (!(ss >> file))
            continue;
        size_t dot = file.find_last_of('.');
        if (dot == std::string::npos)
            continue;
        room.images.emplace(lower(file.substr(0, dot)), file);
    }
    return true;
}

struct Renderer {
    ArtJob& job;
    std::string& error;
    IniFile art;
    fs::path artDir;    // the recipe's folder
    fs::path outDir;    // its folder in the output tree
    std::string relDir; // the folder relative to the source root
    Look roomLook;
    bool hasRoom = false;
    Room room;
    std::set<std::string> written;

    bool write(const fs::path& rel, const Picture& pic, const WriteOptions& o, int line) {
        std::string relName = rel.lexically_normal().generic_string();
        if (!written.insert(relName).second) {
            error = art.where(line) + "a second picture for " + relName;
            return false;
        }
        Bytes bytes = encodePicture(relName, pic, o, error);
        if (bytes.empty()) {
            error = art.where(line) + error;
            return false;
        }
        fs::path out = outDir / rel;
        if (!writeOutput(out.string(), bytes, error))
            return false;
        job.outputs.insert(out.lexically_normal().string());
        return true;
    }

    bool options(const IniSection& s, WriteOptions& o) {
        int threshold = int(o.threshold);
        if (!readInt(art, s, "Quality", 1, 100, o.quality, error) ||
            !readInt(art, s, "Threshold", 1, 255, threshold, error))
            return false;
        o.threshold = uint32_t(threshold);
        return true;
    }

    bool render(const std::string& svg, uint32_t w, uint32_t h, const std::string& element, Picture& pic,
                int line) {
        std::string doc;
        if (!loadSvgText(svg, job.recipe, job.svg, doc, error) ||
            !renderSvg(doc, job.recipe, w, h, element, pic, error)) {
            error = art.where(line) + error;
            return false;
        }
        return true;
    }

    // A drawing fitted into a w x h box and turned as the look says, cropped
    // to its pixels.
    bool renderFitted(const IniSection& s, const std::string& href, uint32_t w, uint32_t h, const Look& look,
                      Picture& pic) {
        double ext = 0;
        if (!look.shadow.empty()) {
            double dx = 0, dy = 0, blur = 0, op = 0;
            std::sscanf(look.shadow.c_str(), "%lf %lf %lf %lf", &dx, &dy, &blur, &op);
            ext = std::fabs(dx) + std::fabs(dy) + 3 * std::fabs(blur);
        }
        double diag = std::sqrt(double(w) * w + double(h) * h);
        uint32_t margin = uint32_t(std::ceil((diag - std::min(w, h)) / 2 + ext)) + 2;
        uint32_t cw = w + 2 * margin, ch = h + 2 * margin;
        Picture full;
        if (!render(svgDocument(cw, ch, imageElement(href, margin, margin, w, h, look, "")), cw, ch, "", full,
                    s.line))
            return false;
        Bounds b = alphaBounds(full);
        if (b.empty()) {
            error = art.where(s.line) + "[" + s.name + "] draws nothing";
            return false;
        }
        pic = crop(full, b);
        return true;
    }

    // [file.ext]: a picture of this folder, from a page (Source, with an
    // optional Element) or a fitted drawing (Art).
    bool picture(const IniSection& s) {
        WriteOptions o;
        if (!options(s, o))
            return false;
        Picture pic;
        const IniKey* source = s.find("Source");
        const IniKey* artKey = s.find("Art");
        uint32_t w = 0, h = 0;
        bool sized = readSize(art, s, "Size", w, h, error);
        if (!error.empty())
            return false;
        if (!!source == !!artKey) {
            error =
                art.where(s.line) + "[" + s.name + "] needs either Source (a page) or Art (a fitted drawing)";
            return false;
        }
        if (artKey) {
            if (!sized) {
                error = art.where(s.line) + "[" + s.name + "] needs Size for its Art";
                return false;
            }
            if (!renderFitted(s, artKey->value, w, h, readLook(s, Look()), pic))
                return false;
        } else {
            // A page of our own or of the clip art, at its own size unless Size
            // says; with Element only that element, where the page has it.
            std::string path, fragment, doc;
            if (!resolvePictureRef(source->value, artDir.string(), job.svg,
                                   art.path + ":" + std::to_string(source->line), path, fragment, error))
                return false;
            if (!loadSvg(path, job.svg, doc, error)) {
                error = art.where(source->line) + error;
                return false;
            }
            if (!fragment.empty()) {
                error = art.where(source->line) + "a Source is a whole page: name one element with Element";
                return false;
            }
            if (!sized) {
                double pw = 0, ph = 0;
                if (!svgPageSize(doc, pw, ph, error)) {
                    error = art.where(source->line) + path + ": " + error;
                    return false;
                }
                w = uint32_t(std::max(1L, std::lround(pw)));
                h = uint32_t(std::max(1L, std::lround(ph)));
            }
            std::string element = s.get("Element");
            if (!element.empty() && element[0] != '#')
                element = "#" + element;
            if (!renderSvg(doc, path, w, h, element, pic, error)) {
                error = art.where(s.line) + path + ": " + error;
                return false;
            }
        }
        std::string crop = s.get("Crop");
        if (crop == "alpha") {
            Bounds b = alphaBounds(pic);
            if (b.empty()) {
                error = art.where(s.line) + "[" + s.name + "] draws nothing";
                return false;
            }
            pic = content::crop(pic, b);
        } else if (!crop.empty()) {
            error = art.where(s.find("Crop")->line) + "Crop '" + crop + "' is not 'alpha'";
            return false;
        }
        return write(s.name, pic, o, s.line);
    }

    bool readRoom(const IniSection& s) {
        hasRoom = true;
        roomLook = readLook(s, Look());
        std::string objectsName = s.get("Objects", "objects.ini");
        room.imagesDir = s.get("Images", "images");
        std::string objectsPath = (artDir / objectsName).string();
        job.svg.reads->insert(objectsPath);
        if (!readIni(objectsPath, room.objects, error)) {
            error = art.where(s.line) + "the room's object list " + objectsPath + " is missing";
            return false;
        }
        room.listPath = (artDir / room.imagesDir / "ImageList.txt").string();
        job.svg.reads->insert(room.listPath);
        return readImageList(room.listPath, room, error);
    }

    // The file the room's image list gives an image; empty with a message when none.
    std::string imageFile(const std::string& image, const std::string& what, int line) {
        auto it = room.images.find(lower(image));
        if (it == room.images.end()) {
            error = art.where(line) + room.listPath + " has no line for image '" + image + "' (" + what + ")";
            return "";
        }
        return it->second;
    }

    struct Placed {
        std::string name;
        int x = 0, y = 0;
        Picture picture;
    };
    std::vector<Placed> placed;
    Picture background;

    bool backgroundPicture(const IniSection& s, const std::vector<const IniSection*>& clutter) {
        WriteOptions o;
        o.quality = 85;
        if (!options(s, o))
            return false;
        const IniKey* source = s.find("Source");
        if (!source) {
            error = art.where(s.line) + "[background] needs Source, the room's " +
                    std::to_string(kPlayfieldWidth) + " x " + std::to_string(kPlayfieldHeight) + " picture";
            return false;
        }
        std::string body =
            imageElement(source->value, 0, 0, kPlayfieldWidth, kPlayfieldHeight, Look(), "page");
        for (const IniSection* c : clutter) {
            const IniKey* a = c->find("Art");
            const IniKey* box = c->find("Box");
            double x, y, w, h;
            char extra = 0;
            if (!a || !box ||
                std::sscanf(box->value.c_str(), "%lf %lf %lf %lf %c", &x, &y, &w, &h, &extra) != 4 ||
                w <= 0 || h <= 0) {
                error = art.where(c->line) + "[" + c->name +
                        "] needs Art and Box (x y width height in the playfield) for painted clutter";
                return false;
            }
            body += imageElement(a->value, x, y, w, h, readLook(*c, roomLook), "");
        }
        if (!render(svgDocument(kPlayfieldWidth, kPlayfieldHeight, body), kPlayfieldWidth, kPlayfieldHeight,
                    "", background, s.line))
            return false;
        std::string file = imageFile("background", "the room's background", s.line);
        if (file.empty())
            return false;
        return write(fs::path(room.imagesDir) / file, background, o, s.line);
    }

    bool object(const IniSection& s) {
        const IniSection* obj = room.objects.find(s.name);
        if (!obj) {
            error = art.where(s.line) + "[" + s.name + "] is no object of " + room.objects.path +
                    " (painted clutter is named clutter.<name>, pictures by their file name)";
            return false;
        }
        const IniKey* image = obj->find("Image");
        if (!image || image->raw.empty()) {
            error =
                room.objects.where(obj->line) + "object '" + s.name + "' has no Image key for its picture";
            return false;
        }
        if (image->raw != image->value) {
            error = room.objects.where(image->line) + "the Image name '" + image->raw +
                    "' has blanks around it, which the game keeps";
            return false;
        }
        if (obj->has("Rect")) {
            error = room.objects.where(obj->find("Rect")->line) + "object '" + s.name +
                    "' has a Rect, but its picture is rendered whole from " + art.path;
            return false;
        }
        std::string file = imageFile(image->value, "object '" + s.name + "'", s.line);
        if (file.empty())
            return false;
        if (!keepsAlpha(file)) {
            error = art.where(s.line) + "the picture " + file + " of object '" + s.name +
                    "' needs alpha for its outline: use .jng or .png";
            return false;
        }
        const IniKey* artKey = s.find("Art");
        uint32_t w = 0, h = 0;
        if (!artKey || !readSize(art, s, "Size", w, h, error)) {
            if (error.empty())
                error = art.where(s.line) + "[" + s.name +
                        "] needs Art and Size (the box its drawing is fitted into)";
            return false;
        }
        Look look = readLook(s, roomLook);
        // The hit test is the picture's own alpha from the object's threshold up:
        // a shadow must stay below it, the object above it.
        int hitAlpha = kDefaultHitAlpha;
        if (const IniKey* a = obj->find("Alpha"))
            hitAlpha = std::atoi(a->raw.c_str());
        if (!look.shadow.empty()) {
            double dx, dy, blur, op = 0;
            std::sscanf(look.shadow.c_str(), "%lf %lf %lf %lf", &dx, &dy, &blur, &op);
            int shadowAlpha = int(std::ceil(op * 255));
            if (hitAlpha <= shadowAlpha) {
                error = room.objects.where(obj->line) + "object '" + s.name +
                        "' has a shadow of alpha up to " + std::to_string(shadowAlpha) +
                        ": give it Alpha = " + std::to_string(shadowAlpha + 1) +
                        " or more so that only the object itself is hit";
                return false;
            }
        }
        if (!look.opacity.empty() && std::atof(look.opacity.c_str()) * 255 < hitAlpha) {
            error = art.where(s.find("Opacity")->line) + "object '" + s.name +
                    "' is too faint for its hit alpha " + std::to_string(hitAlpha);
            return false;
        }
        WriteOptions o;
        if (!options(s, o))
            return false;
        Placed p;
        p.name = s.name;
        if (!renderFitted(s, artKey->value, w, h, look, p.picture))
            return false;
        // Read as the game reads them.
        p.x = obj->has("X") ? std::atoi(obj->find("X")->raw.c_str()) : 0;
        p.y = obj->has("Y") ? std::atoi(obj->find("Y")->raw.c_str()) : 0;
        if (!write(fs::path(room.imagesDir) / file, p.picture, o, s.line))
            return false;
        placed.push_back(std::move(p));
        return true;
    }

    bool preview() {
        if (job.previewRoot.empty() || background.argb.empty())
            return true;
        Picture view = background;
        // Objects are drawn in the game's order, the order of objects.ini.
        for (const IniSection& o : room.objects.sections)
            for (const Placed& p : placed)
                if (p.name == o.name)
                    drawOver(view, p.picture, p.x, p.y);
        fs::path out = fs::path(job.previewRoot) / relDir / (fs::path(job.recipe).stem().string() + ".png");
        if (!writeOutput(out.string(), writePng(view, false), error))
            return false;
        job.outputs.insert(out.lexically_normal().string());
        return true;
    }

    bool run() {
        if (!job.svg.reads) {
            error = "internal: no read list";
            return false;
        }
        job.svg.reads->insert(job.recipe);
        if (!readIni(job.recipe, art, error))
            return false;
        artDir = fs::path(job.recipe).parent_path();
        relDir = fs::relative(artDir, job.sourceRoot).generic_string();
        if (relDir == ".")
            relDir.clear();
        if (relDir.rfind("..", 0) == 0) {
            error = job.recipe + ": the recipe lies outside its source tree " + job.sourceRoot;
            return false;
        }
        outDir = fs::path(job.outputRoot) / relDir;
        if (const IniSection* r = art.find("room"))
            if (!readRoom(*r))
                return false;
        std::vector<const IniSection*> clutter;
        const IniSection* bg = nullptr;
        for (const IniSection& s : art.sections) {
            if (s.name == "room")
                continue;
            if (s.name == "background")
                bg = &s;
            else if (s.name.rfind("clutter.", 0) == 0)
                clutter.push_back(&s);
            else if (isPictureFile(s.name)) {
                if (!picture(s))
                    return false;
            } else if (!hasRoom) {
                error =
                    art.where(s.line) + "[" + s.name +
                    "] is not a picture file name (objects, background and clutter need a [room] section)";
                return false;
            } else if (!object(s))
                return false;
        }
        if ((bg || !clutter.empty()) && !hasRoom) {
            error =
                art.where((bg ? bg : clutter.front())->line) + "background and clutter need a [room] section";
            return false;
        }
        if (!clutter.empty() && !bg) {
            error =
                art.where(clutter.front()->line) + "clutter is painted into the background: add [background]";
            return false;
        }
        if (bg && !backgroundPicture(*bg, clutter))
            return false;
        return preview();
    }
};

} // namespace

bool runArt(ArtJob& job, std::string& error) {
    error.clear();
    // Relative paths of the command line are the working folder's.
    job.recipe = fs::absolute(job.recipe).lexically_normal().string();
    job.sourceRoot = fs::absolute(job.sourceRoot).lexically_normal().string();
    job.outputRoot = fs::absolute(job.outputRoot).lexically_normal().string();
    if (!job.previewRoot.empty())
        job.previewRoot = fs::absolute(job.previewRoot).lexically_normal().string();
    Renderer r{job, error, {}, {}, {}, {}, {}, false, {}, {}, {}, {}};
    return r.run();
}

} // namespace content
