// SVG compositions: references to clip art and to our own drawings are
// inlined so that their names never meet, fitted into their boxes and turned.

#include "content/content_lsan.h"
#include "content/content_picture.h"
#include "content/content_svg.h"
#include "content_test_support.h"

#include <gtest/gtest.h>

namespace {

using contenttest::put;

const char* const kHead =
    "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100\" height=\"50\" viewBox=\"0 0 100 50\">";

// A drawing whose style sheet and gradient use names every such file uses.
std::string swatch(const std::string& colour) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"400\">"
           "<style>.st0{fill:" +
           colour +
           "} #box{stroke:none}</style>"
           "<defs><linearGradient id=\"g\"><stop offset=\"0\" stop-color=\"" +
           colour +
           "\"/></linearGradient></defs>"
           "<rect id=\"box\" class=\"st0\" x=\"100\" y=\"100\" width=\"100\" height=\"100\"/>"
           "<rect x=\"200\" y=\"100\" width=\"100\" height=\"100\" fill=\"url(#g)\"/></svg>";
}

content::Picture render(const std::string& dir, const std::string& body,
                        const content::SvgContext& ctx = {}) {
    put(dir + "page.svg", std::string(kHead) + body + "</svg>");
    content::Picture pic;
    std::string error;
    EXPECT_TRUE(content::renderSvgFile(dir + "page.svg", ctx, 100, 50, pic, error)) << error;
    return pic;
}

TEST(SvgComposition, InlinedDrawingsKeepTheirOwnStylesAndNames) {
    std::string dir = contenttest::scratch();
    put(dir + "parts/red.svg", swatch("#ff0000"));
    put(dir + "parts/blue.svg", swatch("#0000ff"));
    // Each drawing's inked box (200 x 100) fills its 50 x 25 box.
    content::Picture p =
        render(dir, "<image href=\"parts/red.svg\" x=\"0\" y=\"0\" width=\"50\" height=\"25\"/>"
                    "<image href=\"parts/blue.svg\" x=\"50\" y=\"25\" width=\"50\" height=\"25\"/>");
    EXPECT_EQ(p.at(12, 12), 0xFFFF0000u); // red style sheet
    EXPECT_EQ(p.at(37, 12), 0xFFFF0000u); // red gradient
    EXPECT_EQ(p.at(62, 37), 0xFF0000FFu);
    EXPECT_EQ(p.at(87, 37), 0xFF0000FFu);
    EXPECT_EQ(p.at(75, 12) >> 24, 0u);
    content::Bounds b = content::alphaBounds(p);
    EXPECT_EQ(b.x, 0u);
    EXPECT_EQ(b.width, 100u);
}

TEST(SvgComposition, FitTurnFlipTintAndOneElement) {
    std::string dir = contenttest::scratch();
    put(dir + "half.svg",
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"20\" height=\"10\">"
        "<rect x=\"0\" y=\"0\" width=\"10\" height=\"10\" fill=\"#ffffff\"/>"
        "<rect id=\"right\" x=\"10\" y=\"0\" width=\"10\" height=\"10\" fill=\"#808080\"/></svg>");
    struct Case {
        const char* attributes;
        int x, y;          // a pixel to look at
        uint32_t expected; // its colour
    } cases[] = {
        {"", 10, 25, 0xFFFFFFFF}, // white left half of a 40 x 20 box at 0, 15
        {"", 30, 25, 0xFF808080},
        {"data-flip=\"x\"", 10, 25, 0xFF808080},           // mirrored
        {"data-rotate=\"180\"", 10, 25, 0xFF808080},       // turned about the box centre
        {"data-tint=\"#ff0000\"", 10, 25, 0xFFFF0000},     // multiplied
        {"data-tint=\"#000000 0.5\"", 10, 25, 0xFF808080}, // half way
        {"opacity=\"0\"", 10, 25, 0x00000000},
        {"data-fit=\"page\" href=\"half.svg#right\"", 30, 25, 0xFF808080}, // page fit keeps its place
        {"data-fit=\"page\" href=\"half.svg#right\"", 10, 25, 0x00000000}, // and only the element
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        std::string attrs = c.attributes;
        std::string href = attrs.find("href") == std::string::npos ? " href=\"half.svg\"" : "";
        content::Picture p =
            render(dir, "<image x=\"0\" y=\"15\" width=\"40\" height=\"20\"" + href + " " + attrs + "/>");
        uint32_t v = p.at(uint32_t(c.x), uint32_t(c.y));
        if (c.expected >> 24)
            for (int shift = 0; shift <= 24; shift += 8)
                EXPECT_NEAR(int((v >> shift) & 255), int((c.expected >> shift) & 255), 2) << std::hex << v;
        else
            EXPECT_EQ(v >> 24, 0u) << std::hex << v;
    }
}

TEST(SvgComposition, ReferencesThatCannotBeFollowedAreNamed) {
    std::string dir = contenttest::scratch();
    put(dir + "loop.svg", std::string(kHead) + "<image href=\"loop.svg\" width=\"10\" height=\"10\"/></svg>");
    put(dir + "parts.svg", std::string(kHead) + "<rect id=\"a\" width=\"5\" height=\"5\"/></svg>");
    content::SvgContext none;
    content::SvgContext clipart;
    clipart.clipartDir = CONTENT_CLIPART;
    struct Case {
        std::string body;
        const content::SvgContext* ctx;
        std::string message;
    } cases[] = {
        {"<image href=\"clipart:food/apple_bitten_dan_gerhard_01.svg\"/>", &none, "install openclipart-svg"},
        {"<image href=\"clipart:food/no_such_thing.svg\"/>", &clipart,
         "clip art 'food/no_such_thing.svg' not found"},
        {"<image href=\"clipart:../../../etc/x.svg\"/>", &clipart, "leaves the clip-art folder"},
        {"<image href=\"/usr/share/openclipart/svg/food/apple_bitten_dan_gerhard_01.svg\"/>", &clipart,
         "must be clipart:<path> or a relative path"},
        {"<image href=\"missing.svg\"/>", &none, "picture 'missing.svg' not found"},
        {"<image href=\"loop.svg\"/>", &none, "nest deeper than"},
        {"<image href=\"parts.svg#nothing\"/>", &none, "no element with id 'nothing'"},
        {"<image href=\"clipart:food/apple_bitten_dan_gerhard_01.svg\" data-tint=\"red\"/>", &clipart,
         "is not a colour"},
        {"<image href=\"clipart:food/apple_bitten_dan_gerhard_01.svg\" data-flip=\"z\"/>", &clipart,
         "is not x, y or xy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        put(dir + "page.svg", std::string(kHead) + c.body + "</svg>");
        content::Picture pic;
        std::string error;
        EXPECT_FALSE(content::renderSvgFile(dir + "page.svg", *c.ctx, 100, 50, pic, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_NE(error.find(dir), std::string::npos) << "names the file: " << error;
    }
}

TEST(SvgComposition, TextIsDrawnWithTheSystemFonts) {
    std::string dir = contenttest::scratch();
    content::Picture p = render(dir, "<text x=\"5\" y=\"40\" font-family=\"DejaVu Sans\" font-size=\"36\" "
                                     "fill=\"#000000\">Ab</text>");
    content::Bounds b = content::alphaBounds(p);
    EXPECT_GT(b.width, 30u);
    EXPECT_GT(b.height, 20u);
}

TEST(SvgComposition, ClipArtFitsItsBox) {
    std::string dir = contenttest::scratch();
    content::SvgContext ctx;
    ctx.clipartDir = CONTENT_CLIPART;
    std::set<std::string> reads;
    ctx.reads = &reads;
    content::Picture p = render(dir,
                                "<image href=\"clipart:food/apple_bitten_dan_gerhard_01.svg\" x=\"10\" "
                                "y=\"5\" width=\"40\" height=\"40\"/>",
                                ctx);
    content::Bounds b = content::alphaBounds(p);
    // Fitted by its inked box, keeping its proportions, centred in the box.
    EXPECT_TRUE(b.width >= 39 || b.height >= 39) << b.width << " x " << b.height;
    EXPECT_GE(b.x, 10u);
    EXPECT_GE(b.y, 5u);
    EXPECT_LE(b.x + b.width, 51u);
    EXPECT_LE(b.y + b.height, 46u);
    EXPECT_EQ(reads.count(std::string(CONTENT_CLIPART) + "/food/apple_bitten_dan_gerhard_01.svg"), 1u);
}

} // namespace
