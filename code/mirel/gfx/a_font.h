#pragma once
// aFont: text drawn from a texture atlas. A font file (an options file) maps
// each UTF-16 code to a rectangle of the atlas and two spacing offsets. With
// an underline offset set, '_' in a text is not drawn but underlines the
// character after it.

#include "mirel/base/a_rect.h"
#include "mirel/gfx/a_image.h"

#include <cstdint>
#include <string>
#include <unordered_map>

enum : uint32_t {
    A_FONT_CENTER_X = 1,
    A_FONT_RIGHT = 2,
    A_FONT_CENTER_Y = 4,
    A_FONT_BOTTOM = 8,
    A_FONT_SNAP = 16,
};

struct aFontGlyph {
    int16_t x = 0, y = 0, width = 0, height = 0;
    float leftOffset = 0.0f;
    float rightOffset = 0.0f;
};

class aFont {
public:
    aFont();
    explicit aFont(const std::string& path);
    ~aFont();
    aFont(const aFont&) = delete;
    aFont& operator=(const aFont&) = delete;

    void load(const std::string& path);
    void clear();

    // 0 or more: the scale itself; negative: a pixel height (scale = -size / font height).
    void setSize(float size);
    float getSize() const { return m_size; }
    float getScale() const { return m_scale; }
    void setColor(uint32_t argb) { m_color = argb; }
    uint32_t getColor() const { return m_color; }
    float getFontHeight() const { return m_fontHeight; }
    float getCharSpacing() const { return m_charSpacing; }
    float getUnderlineDY() const { return m_underlineDY; }
    uint32_t getUnderlineColor() const { return m_underlineColor; }
    const aImage& getAtlas() const { return m_atlas; }

    // True when the font draws the code (a blank's glyph may be 0 wide).
    bool hasGlyph(uint32_t code) const { return glyph(code) != nullptr; }
    aRect getCharRect(uint32_t code) const;
    float getCharLeftOffset(uint32_t code) const;
    float getCharRightOffset(uint32_t code) const;

    void getTextExtentW(const std::u16string& text, float& width, float& height) const;
    void getTextExtent(const std::string& text, float& width, float& height) const;

    void drawTextW(float x, float y, const std::u16string& text, uint32_t flags = 0) const;
    void drawText(float x, float y, const std::string& text, uint32_t flags = 0) const;

    // Texture format code of a font file's format number (8888, 565, 1555,
    // 4444); -1 when unknown.
    static int formatFromNumber(int number);

private:
    const aFontGlyph* glyph(uint32_t code) const;
    template <class Str> void extent(const Str& text, float& width, float& height) const;
    template <class Str> void drawString(float x, float y, const Str& text, uint32_t flags) const;

    aImage m_atlas;
    float m_size = 1.0f;
    uint32_t m_color = 0xFFFFFFFF;
    float m_fontHeight = 0.0f;
    float m_charSpacing = 0.0f;
    std::unordered_map<uint32_t, aFontGlyph> m_glyphs;
    float m_scale = 1.0f;
    float m_underlineDY = 0.0f;
    uint32_t m_underlineColor = 0xFFFFFFFF;
};
