// Bitmap fonts: loading, extent and draw flags with a fixed-metric font, and
// a font built from a real face by the content tools.

#include "mirel/gfx/a_font.h"
#include "mirel/gfx/images/image_test_env.h"

using namespace imgtest;

class FontTest : public GraphFixture {
protected:
    // 'A' 10 x 15 (left 1, right 2) and 'B' 8 x 15 (left 1, right 1), solid white.
    std::string fixedFont(const std::string& general) {
        write("atlas.png", content::writePng(solid(32, 16, 0xFFFFFFFF)));
        return write("fixed.fnt", "[General]\nFormat16 = 4444\nFormat32 = 8888\nTexture = atlas.png\n" +
                                      general + "\n[Charlist]\n41 = 0 0 10 15 1 2\n42 = 10 0 8 15 1 1\n");
    }
    int litColumns(uint32_t y) {
        int n = 0;
        for (uint32_t x = 0; x < 64; ++x)
            n += px(x, y) != 0xFF000000u;
        return n;
    }
};

TEST_F(FontTest, ExtentRules) {
    aFont f(fixedFont("CharSpacing = 0.5"));
    EXPECT_FLOAT_EQ(f.getFontHeight(), 15.0f);
    struct Case {
        std::string text;
        float width;
    };
    const Case cases[] = {
        {"A", 10},
        {"AB", 10 + 2 + 0.5f + 1 + 8},
        {"BA", 8 + 1 + 0.5f + 1 + 10},
        {"A?B", 10 + 2 + 0.5f + 1 + 8}, // no glyph: no space, still a position
        {"?A", 1 + 10},                 // not first: its left offset counts
        {"", 0},
    };
    for (const Case& c : cases) {
        float w, h;
        f.getTextExtent(c.text, w, h);
        EXPECT_FLOAT_EQ(w, c.width) << c.text;
        EXPECT_FLOAT_EQ(h, 15.0f);
    }
    float w, h;
    f.getTextExtentW(u"AB", w, h);
    EXPECT_FLOAT_EQ(w, 21.5f);
    f.setSize(-30);
    EXPECT_FLOAT_EQ(f.getScale(), 2.0f);
    f.getTextExtent("A", w, h);
    EXPECT_FLOAT_EQ(w, 20.0f);
    EXPECT_FLOAT_EQ(h, 30.0f);
    f.setSize(0.5f);
    EXPECT_FLOAT_EQ(f.getScale(), 0.5f);
    EXPECT_EQ(f.getCharRect('B'), aRect(10, 0, 8, 15));
    EXPECT_EQ(f.getCharRect('Z'), aRect());
    EXPECT_FLOAT_EQ(f.getCharRightOffset('A'), 2.0f);
    EXPECT_FLOAT_EQ(f.getCharLeftOffset('Z'), 0.0f);
}

TEST_F(FontTest, DrawFlags) {
    aFont f(fixedFont("CharSpacing = 0"));
    struct Case {
        uint32_t flags;
        float x, y;
        int firstX, firstY; // top-left pixel of the text
    };
    const Case cases[] = {
        {0, 5, 5, 5, 5},
        {A_FONT_RIGHT, 40, 5, 19, 5},    // ends exactly at 40 (width 21)
        {A_FONT_CENTER_X, 30, 5, 20, 5}, // 30 - 10.5, snapped below
        {A_FONT_BOTTOM, 5, 30, 5, 15},
        {A_FONT_CENTER_Y, 5, 30, 5, 30}, // alone: y does not move
        {A_FONT_CENTER_X | A_FONT_CENTER_Y, 30, 30, 20, 23},
    };
    for (const Case& c : cases) {
        clearTo(0xFF000000);
        f.drawText(c.x, c.y, "AB", c.flags | A_FONT_SNAP);
        SCOPED_TRACE(c.flags);
        EXPECT_NE(px(c.firstX, c.firstY), 0xFF000000u);
        EXPECT_EQ(px(c.firstX - 1, c.firstY), 0xFF000000u);
        EXPECT_EQ(px(c.firstX, c.firstY - 1), 0xFF000000u);
        EXPECT_EQ(litColumns(c.firstY), 18);
    }
    // Right-aligned: the last lit pixel is 39.
    clearTo(0xFF000000);
    f.drawText(40, 5, "AB", A_FONT_RIGHT);
    EXPECT_NE(px(39, 5), 0xFF000000u);
    EXPECT_EQ(px(40, 5), 0xFF000000u);
}

TEST_F(FontTest, Underline) {
    aFont plain(fixedFont("CharSpacing = 0"));
    clearTo(0xFF000000);
    plain.drawText(5, 5, "A_B");
    EXPECT_EQ(litColumns(5), 18); // '_' has no glyph here: nothing drawn, no space
    float w, h;
    plain.getTextExtent("A_B", w, h);
    EXPECT_FLOAT_EQ(w, 21.0f);

    aFont u(fixedFont("CharSpacing = 0\nUnderlineDY = 14\nUnderlineColor = ffff0000"));
    EXPECT_FLOAT_EQ(u.getUnderlineDY(), 14.0f);
    u.getTextExtent("A_B", w, h);
    EXPECT_FLOAT_EQ(w, 10 + 2 + 1 + 8); // '_' skipped but still a position
    clearTo(0xFF000000);
    u.drawText(5, 5, "A_B");
    // A at 5..14, pen 17; B at 18..25; the line runs under the gap and B.
    EXPECT_EQ(px(17, 19), 0xFFFF0000u);
    EXPECT_EQ(px(17, 18), 0xFF000000u);
    EXPECT_EQ(px(20, 19), 0xFFFF0000u);
    EXPECT_EQ(px(20, 18), 0xFFFFFFFFu);
    EXPECT_EQ(px(10, 19), 0xFFFFFFFFu); // A is not underlined
}

TEST_F(FontTest, UnknownFormatAndBuiltFont) {
    write("atlas.png", content::writePng(solid(8, 8, 0xFFFFFFFF)));
    std::string bad =
        write("bad.fnt", std::string("[General]\nFormat16 = 123\nFormat32 = 8888\nTexture = atlas.png\n"
                                     "CharSpacing = 0\n[Charlist]\n41 = 0 0 4 4 0 0\n10000 = 0 0 8 8 0 0\n"));
    LogCapture log;
    aFont f(bad);
    EXPECT_TRUE(log.has("aFont. Unknown texture format: " + bad));
    EXPECT_TRUE(f.getAtlas().hasTexture());
    EXPECT_FLOAT_EQ(f.getFontHeight(), 4.0f); // code 0x10000 ignored

    content::FontBuildOptions o;
    o.pixelHeight = 18;
    o.textureName = "dejavu.png";
    content::FontBuildResult r;
    ASSERT_TRUE(content::buildFont(o, r)) << r.error;
    write("dejavu.png", content::writePng(r.atlas));
    aFont d(write("dejavu.fnt", r.fontFile));
    EXPECT_GT(d.getFontHeight(), 15.0f);
    float wi, wm, h;
    d.getTextExtent("i", wi, h);
    d.getTextExtent("m", wm, h);
    EXPECT_GT(wm, wi);
    EXPECT_NE(d.getCharRect(0xE9).width, 0); // e acute
    clearTo(0xFF000000);
    d.drawText(2, 2, "Hello");
    int lit = 0;
    for (uint32_t y = 0; y < 30; ++y)
        lit += litColumns(y);
    EXPECT_GT(lit, 20);
}

TEST_F(FontTest, BadValuesAndGlyphsOutsideTheAtlasAreLeftOut) {
    write("atlas.png", content::writePng(solid(32, 16, 0xFFFFFFFF)));
    const std::string path =
        write("bad.fnt", "[General]\nFormat16 = 4444\nFormat32 = 8888\nTexture = atlas.png\n"
                         "CharSpacing = nan\nUnderlineDY = 1e30\n[Charlist]\n"
                         "41 = 0 0 10 15 1 2\n"                // good
                         "42 = 0 0 10 15 nan 1\n"              // offsets that are no numbers
                         "43 = 0 0 10 15 1 inf\n"              // or not finite
                         "44 = 0 0 10 15 1e20 0\n"             // or absurd
                         "45 = 30 0 10 15 0 0\n"               // past the right edge
                         "46 = 0 10 10 15 0 0\n"               // past the bottom
                         "47 = -1 0 4 4 0 0\n"                 // before the left edge
                         "48 = 0 0 -4 4 0 0\n"                 // negative size
                         "49 = 0 0 70000 4 0 0\n"              // beyond 16 bits
                         "4A = 22 1 10 15\n"                   // good, offsets missing: 0
                         "4B = 1 1 1 1 1 1\n4B = 0 0 99 1\n"); // the last one counts
    LogCapture log;
    aFont f(path);
    EXPECT_TRUE(log.has("aFont. Bad CharSpacing, 0 taken: " + path));
    EXPECT_TRUE(log.has("aFont. Bad UnderlineDY, no underlining: " + path));
    EXPECT_TRUE(log.has("aFont. 9 glyphs with bad values or outside the texture left out: " + path));
    EXPECT_FLOAT_EQ(f.getCharSpacing(), 0.0f);
    EXPECT_FLOAT_EQ(f.getUnderlineDY(), 0.0f);
    EXPECT_EQ(f.getCharRect('A'), aRect(0, 0, 10, 15));
    EXPECT_EQ(f.getCharRect('J'), aRect(22, 1, 10, 15));
    for (char c = 'B'; c <= 'I'; ++c)
        EXPECT_EQ(f.getCharRect(uint32_t(c)), aRect()) << c;
    EXPECT_EQ(f.getCharRect('K'), aRect());
    EXPECT_FLOAT_EQ(f.getFontHeight(), 15.0f);
    float w, h;
    f.getTextExtent("ABJ", w, h);
    EXPECT_FLOAT_EQ(w, 10 + 2 + 10);

    // Far off the screen, snapped: nothing is drawn and nothing overflows.
    clearTo(0xFF000000);
    f.drawText(3e38f, 5, "AJ", A_FONT_SNAP);
    f.drawText(-3e38f, -3e38f, "AJ", A_FONT_SNAP | A_FONT_RIGHT);
    EXPECT_EQ(litColumns(5), 0);
    f.drawText(5, 5, "AJ", A_FONT_SNAP);
    EXPECT_EQ(litColumns(5), 20);
}
