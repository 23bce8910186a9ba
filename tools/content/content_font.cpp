#include "content/content_writers.h"

#include <cmath>
#include <cstdio>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace content {

namespace {

std::string fmtFloat(float v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", double(v));
    return buf;
}

struct Glyph {
    uint32_t code;
    uint32_t w = 0, h = 0;
    int left = 0, top = 0; // bitmap bearing
    float advance = 0;
    std::vector<uint8_t> coverage;
    uint32_t ax = 0, ay = 0; // cell position in the atlas
};

} // namespace

bool buildFont(const FontBuildOptions& o, FontBuildResult& r) {
    r = FontBuildResult();
    std::vector<uint32_t> codes = o.codes;
    if (codes.empty()) {
        for (uint32_t c = 0x20; c <= 0x7E; ++c)
            codes.push_back(c);
        for (uint32_t c = 0xA0; c <= 0xFF; ++c)
            codes.push_back(c);
    }
    FT_Library lib;
    if (FT_Init_FreeType(&lib)) {
        r.error = "FreeType initialisation failed";
        return false;
    }
    FT_Face face;
    if (FT_New_Face(lib, o.facePath.c_str(), 0, &face)) {
        FT_Done_FreeType(lib);
        r.error = "cannot open font face " + o.facePath;
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, o.pixelHeight);
    int ascender = int(face->size->metrics.ascender >> 6);
    int descender = int(-(face->size->metrics.descender >> 6));
    uint32_t cellH = uint32_t(ascender + descender);

    std::vector<Glyph> glyphs;
    for (uint32_t code : codes) {
        if (code >= 0x10000 || !FT_Get_Char_Index(face, code))
            continue;
        if (FT_Load_Char(face, code, FT_LOAD_RENDER))
            continue;
        FT_GlyphSlot s = face->glyph;
        Glyph g;
        g.code = code;
        g.w = s->bitmap.width;
        g.h = s->bitmap.rows;
        g.left = s->bitmap_left;
        g.top = s->bitmap_top;
        g.advance = float(s->advance.x) / 64.0f;
        g.coverage.resize(size_t(g.w) * g.h);
        for (uint32_t y = 0; y < g.h; ++y)
            for (uint32_t x = 0; x < g.w; ++x)
                g.coverage[size_t(y) * g.w + x] =
                    s->bitmap.buffer[size_t(y) * uint32_t(std::abs(s->bitmap.pitch)) + x];
        glyphs.push_back(std::move(g));
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    if (glyphs.empty()) {
        r.error = "no glyphs rendered";
        return false;
    }

    // Cells of the full line height side by side in rows; the glyph stands on
    // the baseline inside its cell so that every cell draws at the same y.
    uint32_t x = o.padding, y = o.padding;
    for (Glyph& g : glyphs) {
        if (x + g.w + o.padding > o.atlasWidth) {
            x = o.padding;
            y += cellH + o.padding;
        }
        if (g.w + 2 * o.padding > o.atlasWidth) {
            r.error = "atlas too narrow";
            return false;
        }
        g.ax = x;
        g.ay = y;
        x += g.w + o.padding;
    }
    uint32_t height = y + cellH + o.padding;
    r.atlas = Picture(o.atlasWidth, height, 0x00FFFFFFu);
    for (const Glyph& g : glyphs) {
        int top = ascender - g.top;
        for (uint32_t gy = 0; gy < g.h; ++gy) {
            int ty = top + int(gy);
            if (ty < 0 || ty >= int(cellH))
                continue;
            for (uint32_t gx = 0; gx < g.w; ++gx)
                r.atlas.at(g.ax + gx, g.ay + uint32_t(ty)) =
                    (uint32_t(g.coverage[size_t(gy) * g.w + gx]) << 24) | 0xFFFFFFu;
        }
    }

    std::string f;
    f += "[General]\n";
    f += "Format16 = " + std::to_string(o.format16) + "\n";
    f += "Format32 = " + std::to_string(o.format32) + "\n";
    f += "Texture = " + o.textureName + "\n";
    f += "CharSpacing = " + fmtFloat(o.charSpacing) + "\n";
    if (o.underlineDY != 0.0f) {
        f += "UnderlineDY = " + fmtFloat(o.underlineDY) + "\n";
        char buf[16];
        std::snprintf(buf, sizeof buf, "%x", o.underlineColor);
        f += std::string("UnderlineColor = ") + buf + "\n";
    }
    f += "\n[Charlist]\n";
    for (const Glyph& g : glyphs) {
        char line[160];
        float right = g.advance - float(g.left) - float(g.w);
        std::snprintf(line, sizeof line, "%X = %u %u %u %u %s %s\n", g.code, g.ax, g.ay, g.w, cellH,
                      fmtFloat(float(g.left)).c_str(), fmtFloat(right).c_str());
        f += line;
    }
    r.fontFile = f;
    return true;
}

} // namespace content
