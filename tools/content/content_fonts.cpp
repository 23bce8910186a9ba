#include "content/content_fonts.h"

#include "content/content_ini.h"
#include "content/content_output.h"
#include "content/content_writers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace content {

namespace {

namespace fs = std::filesystem;

// Windows-1252's printable characters between 0x80 and 0x9F.
const uint32_t kWesternExtras[] = {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
                                   0x0160, 0x2039, 0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
                                   0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};

bool faceHas(const std::string& path, uint32_t code) {
    FT_Library lib;
    if (FT_Init_FreeType(&lib))
        return false;
    FT_Face face;
    bool has = false;
    if (!FT_New_Face(lib, path.c_str(), 0, &face)) {
        has = FT_Get_Char_Index(face, code) != 0;
        FT_Done_Face(face);
    }
    FT_Done_FreeType(lib);
    return has;
}

} // namespace

bool parseChars(const std::string& value, std::vector<uint32_t>& named, std::vector<uint32_t>& listed,
                std::string& error) {
    for (const std::string& t : splitList(value)) {
        if (t == "ascii" || t == "latin1" || t == "cp1252") {
            for (uint32_t c = 0x20; c <= 0x7E; ++c)
                named.push_back(c);
            if (t != "ascii")
                for (uint32_t c = 0xA0; c <= 0xFF; ++c)
                    named.push_back(c);
            if (t == "cp1252")
                named.insert(named.end(), std::begin(kWesternExtras), std::end(kWesternExtras));
            continue;
        }
        unsigned a = 0, b = 0;
        char extra = 0;
        int n = std::sscanf(t.c_str(), "%x-%x%c", &a, &b, &extra);
        if (n == 1 && t.find('-') == std::string::npos)
            b = a;
        else if (n != 2) {
            error = "'" + t + "' is neither ascii, latin1, cp1252 nor a hexadecimal code or range";
            return false;
        }
        if (a > b || b >= 0x10000) {
            error = "'" + t + "' is not a range of codes below 10000";
            return false;
        }
        for (uint32_t c = a; c <= b; ++c)
            listed.push_back(c);
    }
    return true;
}

bool runFonts(FontJob& job, std::string& error) {
    job.recipe = fs::absolute(job.recipe).lexically_normal().string();
    job.sourceRoot = fs::absolute(job.sourceRoot).lexically_normal().string();
    job.outputRoot = fs::absolute(job.outputRoot).lexically_normal().string();
    IniFile recipe;
    job.reads.insert(job.recipe);
    if (!readIni(job.recipe, recipe, error))
        return false;
    fs::path dir = fs::path(job.recipe).parent_path();
    std::string rel = fs::relative(dir, job.sourceRoot).generic_string();
    fs::path outDir = fs::path(job.outputRoot) / (rel == "." ? "" : rel);
    for (const IniSection& s : recipe.sections) {
        const IniKey* face = s.find("Face");
        const IniKey* size = s.find("Size");
        if (!face || !size) {
            error = recipe.where(s.line) + "font [" + s.name + "] needs Face and Size";
            return false;
        }
        FontBuildOptions o;
        o.facePath = fs::path(face->value).is_absolute() ? face->value
                                                         : (fs::path(job.fontDir) / face->value).string();
        if (!fs::is_regular_file(o.facePath)) {
            error = recipe.where(face->line) + "font face " + o.facePath +
                    " not found (its Debian font package is listed in setup.sh)";
            return false;
        }
        job.reads.insert(o.facePath);
        int px = std::atoi(size->value.c_str());
        if (px < 4 || px > 256) {
            error =
                recipe.where(size->line) + "Size '" + size->value + "' is not a pixel height from 4 to 256";
            return false;
        }
        o.pixelHeight = uint32_t(px);
        std::vector<uint32_t> named, listed;
        const IniKey* chars = s.find("Chars");
        if (!parseChars(chars ? chars->value : "cp1252", named, listed, error)) {
            error = recipe.where(chars->line) + "Chars: " + error;
            return false;
        }
        for (uint32_t c : listed)
            if (!faceHas(o.facePath, c)) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "%04X", c);
                error = recipe.where(chars->line) + "the face " + o.facePath + " has no glyph for " + hex;
                return false;
            }
        o.codes = named;
        o.codes.insert(o.codes.end(), listed.begin(), listed.end());
        std::sort(o.codes.begin(), o.codes.end());
        o.codes.erase(std::unique(o.codes.begin(), o.codes.end()), o.codes.end());
        o.charSpacing = float(std::atof(s.get("Spacing", "0").c_str()));
        if (const IniKey* u = s.find("Underline")) {
            float dy = 0;
            unsigned colour = 0;
            if (std::sscanf(u->value.c_str(), "%f %x", &dy, &colour) != 2) {
                error = recipe.where(u->line) + "Underline is an offset and a colour (aarrggbb)";
                return false;
            }
            o.underlineDY = dy;
            o.underlineColor = colour;
        }
        // An atlas about as wide as it is high.
        uint32_t width = 256;
        while (width < 2048 && double(width) * width < double(o.codes.size()) * px * px * 0.8)
            width *= 2;
        o.atlasWidth = width;
        o.textureName = s.name + ".png";
        FontBuildResult r;
        if (!buildFont(o, r)) {
            error = recipe.where(s.line) + "font [" + s.name + "]: " + r.error;
            return false;
        }
        fs::path fnt = outDir / (s.name + ".fnt"), png = outDir / (s.name + ".png");
        if (!writeOutput(png.string(), writePng(r.atlas), error) ||
            !writeOutput(fnt.string(), r.fontFile, error))
            return false;
        job.outputs.insert(fnt.lexically_normal().string());
        job.outputs.insert(png.lexically_normal().string());
    }
    return true;
}

} // namespace content
