#include "mirel/gfx/a_font.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagedecode.h"
#include "mirel/util/a_optionsfile.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

std::string folderOf(const std::string& path) {
    size_t sep = path.find_last_of("/\\:");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

// One untextured line of the given colour on the device.
void drawLine(float x1, float y1, float x2, float y2, uint32_t colour) {
    aGraphServer* gs = aImage::getGraphServer();
    if (!gs || !gs->getDevice())
        return;
    aDevice* device = gs->getDevice();
    aVertex v[2] = {{x1, y1, 0.0f, 1.0f, colour, 0.0f, 0.0f}, {x2, y2, 0.0f, 1.0f, colour, 0.0f, 0.0f}};
    device->setVertexShader(A_FVF_TLVERTEX);
    device->setTexture(0, nullptr);
    device->drawPrimitiveUP(A_PT_LINELIST, 1, v, sizeof(aVertex));
}

// Glyph offsets, the spacing and the underline offset stay within this many
// atlas pixels; larger ones are no font's.
constexpr float kMaxMetric = 4096.0f;

// A metric read with atof: false for text that is not finite or too large.
bool readMetric(const std::string& text, float& out) {
    const double v = std::atof(text.c_str());
    if (!std::isfinite(v) || std::fabs(v) > kMaxMetric)
        return false;
    out = float(v);
    return true;
}

// A glyph value "x y width height left right", read as "%hi %hi %hi %hi %f
// %f" reads it: the values after the first that is missing stay 0. False
// for a value out of its range (a rectangle part beyond 16 bits, an offset
// not finite or too large).
bool readGlyph(const std::string& value, aFontGlyph& g) {
    g = aFontGlyph();
    const char* p = value.c_str();
    int16_t* parts[4] = {&g.x, &g.y, &g.width, &g.height};
    for (int16_t* part : parts) {
        char* end = nullptr;
        errno = 0;
        const long v = std::strtol(p, &end, 0);
        if (end == p)
            return true;
        if (errno == ERANGE || v < INT16_MIN || v > INT16_MAX)
            return false;
        *part = int16_t(v);
        p = end;
    }
    for (float* offset : {&g.leftOffset, &g.rightOffset}) {
        char* end = nullptr;
        const float v = std::strtof(p, &end);
        if (end == p)
            return true;
        if (!std::isfinite(v) || std::fabs(v) > kMaxMetric)
            return false;
        *offset = v;
        p = end;
    }
    return true;
}

} // namespace

aFont::aFont() = default;

aFont::aFont(const std::string& path) {
    load(path);
}

aFont::~aFont() {
    clear();
}

void aFont::clear() {
    m_glyphs.clear();
    m_atlas.unload();
    m_fontHeight = 0.0f;
}

int aFont::formatFromNumber(int number) {
    switch (number) {
    case 4444:
        return A_FMT_A4R4G4B4;
    case 8888:
        return A_FMT_A8R8G8B8;
    case 565:
        return A_FMT_R5G6B5;
    case 1555:
        return A_FMT_A1R5G5B5;
    default:
        return -1;
    }
}

void aFont::load(const std::string& path) {
    clear();
    aOptionsFile file(path);
    file.setSection("General");
    int f16 = formatFromNumber(file.getInt("Format16"));
    int f32 = formatFromNumber(file.getInt("Format32"));
    if (f16 < 0 || f32 < 0) {
        a_log("aFont. Unknown texture format: %s", path.c_str());
        f16 = f16 < 0 ? 0 : f16;
        f32 = f32 < 0 ? 0 : f32;
    }
    m_atlas.load(folderOf(path) + file.getString("Texture"), f16, f32);
    m_charSpacing = 0.0f;
    if (!readMetric(file.getString("CharSpacing"), m_charSpacing))
        a_log("aFont. Bad CharSpacing, 0 taken: %s", path.c_str());
    if (file.hasKey("UnderlineDY") && !readMetric(file.getString("UnderlineDY"), m_underlineDY)) {
        a_log("aFont. Bad UnderlineDY, no underlining: %s", path.c_str());
        m_underlineDY = 0.0f;
    }
    if (file.hasKey("UnderlineColor")) {
        unsigned colour = 0;
        if (std::sscanf(file.getString("UnderlineColor").c_str(), "%x", &colour) == 1)
            m_underlineColor = colour;
    }
    // Glyphs lie inside the atlas (when it has loaded: without one nothing
    // is drawn, and the rectangles only need to be sane).
    const bool atlas = m_atlas.hasTexture();
    const int32_t atlasWidth = atlas ? int32_t(m_atlas.getWidth()) : INT16_MAX;
    const int32_t atlasHeight = atlas ? int32_t(m_atlas.getHeight()) : INT16_MAX;
    unsigned refused = 0;
    if (file.setSection("Charlist")) {
        for (bool more = file.firstKey(); more && !file.isKeyEnd(); more = file.nextKey()) {
            unsigned code = 0;
            if (std::sscanf(file.getKeyName().c_str(), "%X", &code) != 1 || code >= 0x10000)
                continue;
            aFontGlyph g;
            if (!readGlyph(file.getKeyValue(), g) || g.x < 0 || g.y < 0 || g.width < 0 || g.height < 0 ||
                g.x + g.width > atlasWidth || g.y + g.height > atlasHeight) {
                m_glyphs.erase(code);
                ++refused;
                continue;
            }
            m_glyphs[code] = g;
        }
    }
    for (const auto& [code, g] : m_glyphs) {
        if (float(g.height) > m_fontHeight)
            m_fontHeight = float(g.height);
    }
    if (refused)
        a_log("aFont. %u glyphs with bad values or outside the texture left out: %s", refused, path.c_str());
    m_size = 1.0f;
    m_scale = 1.0f;
}

void aFont::setSize(float size) {
    m_size = size;
    if (size >= 0.0f)
        m_scale = size;
    else if (m_fontHeight > 0.0f)
        m_scale = -size / m_fontHeight;
}

const aFontGlyph* aFont::glyph(uint32_t code) const {
    auto it = m_glyphs.find(code);
    return it == m_glyphs.end() ? nullptr : &it->second;
}

aRect aFont::getCharRect(uint32_t code) const {
    const aFontGlyph* g = glyph(code);
    return g ? aRect(g->x, g->y, g->width, g->height) : aRect();
}

float aFont::getCharLeftOffset(uint32_t code) const {
    const aFontGlyph* g = glyph(code);
    return g ? g->leftOffset : 0.0f;
}

float aFont::getCharRightOffset(uint32_t code) const {
    const aFontGlyph* g = glyph(code);
    return g ? g->rightOffset : 0.0f;
}

template <class Str> void aFont::extent(const Str& text, float& width, float& height) const {
    float w = 0.0f;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = uint32_t(text[i]) & (sizeof(text[i]) == 1 ? 0xFFu : 0xFFFFu);
        if (m_underlineDY != 0.0f && c == '_')
            continue;
        const aFontGlyph* g = glyph(c);
        if (!g)
            continue;
        w += float(g->width);
        if (i > 0)
            w += g->leftOffset;
        if (i + 1 < n)
            w += g->rightOffset + m_charSpacing;
    }
    width = w * m_scale;
    height = m_fontHeight * m_scale;
}

void aFont::getTextExtentW(const std::u16string& text, float& width, float& height) const {
    extent(text, width, height);
}

void aFont::getTextExtent(const std::string& text, float& width, float& height) const {
    extent(text, width, height);
}

template <class Str> void aFont::drawString(float x, float y, const Str& text, uint32_t flags) const {
    if (flags & (A_FONT_CENTER_X | A_FONT_RIGHT | A_FONT_BOTTOM)) {
        float w, h;
        extent(text, w, h);
        if (flags & A_FONT_RIGHT)
            x -= w;
        else if (flags & A_FONT_CENTER_X)
            x -= w * 0.5f;
        if (flags & A_FONT_BOTTOM)
            y -= h;
        else if (flags & A_FONT_CENTER_Y)
            y -= h * 0.5f;
    }
    const uint32_t lineColour = m_underlineColor ? m_underlineColor : m_color;
    const float scale[2] = {m_scale, m_scale};
    float pen = x;
    float underlineStart = 0.0f;
    const size_t n = text.size();
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = uint32_t(text[i]) & (sizeof(text[i]) == 1 ? 0xFFu : 0xFFFFu);
        if (m_underlineDY != 0.0f && c == '_') {
            underlineStart = pen;
            continue;
        }
        const aFontGlyph* g = glyph(c);
        if (!g)
            continue;
        if (i > 0)
            pen += g->leftOffset * m_scale;
        aRect r(g->x, g->y, g->width, g->height);
        float pos[2] = {pen, y};
        if (flags & A_FONT_SNAP) { // truncated as an int would be, without leaving the float range
            pos[0] = std::trunc(pen + 0.5f);
            pos[1] = std::trunc(y + 0.5f);
        }
        m_atlas.draw(pos, &r, m_color, scale, 0.0f, nullptr, true);
        pen += (g->rightOffset + float(g->width) + m_charSpacing) * m_scale;
        if (underlineStart != 0.0f) {
            float ly = y + m_underlineDY * m_scale;
            drawLine(underlineStart - 0.5f, ly, pen + 0.5f, ly, lineColour);
            underlineStart = 0.0f;
        }
    }
}

void aFont::drawTextW(float x, float y, const std::u16string& text, uint32_t flags) const {
    drawString(x, y, text, flags);
}

void aFont::drawText(float x, float y, const std::string& text, uint32_t flags) const {
    drawString(x, y, text, flags);
}
