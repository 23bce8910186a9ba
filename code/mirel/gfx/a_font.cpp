#include "mirel/gfx/a_font.h"

#include "mirel/base/a_log.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagedecode.h"
#include "mirel/util/a_optionsfile.h"

#include <cmath>
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

} // namespace

aFont::aFont() = default;

aFont::aFont(const std::string& path) { load(path); }

aFont::~aFont() { clear(); }

void aFont::clear() {
    m_glyphs.clear();
    m_atlas.unload();
    m_fontHeight = 0.0f;
}

int aFont::formatFromNumber(int number) {
    switch (number) {
    case 4444: return A_FMT_A4R4G4B4;
    case 8888: return A_FMT_A8R8G8B8;
    case 565: return A_FMT_R5G6B5;
    case 1555: return A_FMT_A1R5G5B5;
    default: return -1;
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
    m_charSpacing = float(std::atof(file.getString("CharSpacing").c_str()));
    if (file.hasKey("UnderlineDY"))
        m_underlineDY = float(std::atof(file.getString("UnderlineDY").c_str()));
    if (file.hasKey("UnderlineColor")) {
        unsigned colour = 0;
        if (std::sscanf(file.getString("UnderlineColor").c_str(), "%x", &colour) == 1)
            m_underlineColor = colour;
    }
    if (file.setSection("Charlist")) {
        for (bool more = file.firstKey(); more && !file.isKeyEnd(); more = file.nextKey()) {
            unsigned code = 0;
            if (std::sscanf(file.getKeyName().c_str(), "%X", &code) != 1 || code >= 0x10000)
                continue;
            aFontGlyph& g = m_glyphs[code];
            short x = 0, y = 0, w = 0, h = 0;
            float l = 0.0f, r = 0.0f;
            std::sscanf(file.getKeyValue().c_str(), "%hi %hi %hi %hi %f %f", &x, &y, &w, &h, &l, &r);
            g = aFontGlyph{x, y, w, h, l, r};
            if (float(h) > m_fontHeight)
                m_fontHeight = float(h);
        }
    }
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

void aFont::getTextExtent(const std::string& text, float& width, float& height) const { extent(text, width, height); }

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
        if (flags & A_FONT_SNAP) {
            pos[0] = float(int(pen + 0.5f));
            pos[1] = float(int(y + 0.5f));
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
