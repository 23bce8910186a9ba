// Recipe faults stop the content build with a message that names the recipe
// (or the game file) and what is wrong; a good room recipe writes exactly its
// pictures, and outputs it no longer makes are removed.

#include "content/content_art.h"
#include "content/content_fonts.h"
#include "content/content_output.h"
#include "content/content_picture.h"
#include "content/content_tree.h"
#include "content_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using contenttest::put;

const char* const kObjects = "[apple]\nClass = Image\nImage = apple\nX = 10\nY = 20\nAlpha = 100\n"
                             "[plain]\nClass = Image\nImage = plain\nX = 0\nY = 0\n";
const char* const kList =
    "background.jpg 0565 8888\napple.jng 4444 8888\nplain.jng 4444 8888\nflat.jpg 0565 8888\n";
const char* const kPage = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"845\" height=\"768\">"
                          "<rect width=\"845\" height=\"768\" fill=\"#336699\"/></svg>";

struct Tree {
    std::string root = contenttest::scratch();
    std::string src = root + "src/";
    std::string out = root + "out/";
    std::set<std::string> reads;

    Tree() {
        put(src + "room/objects.ini", kObjects);
        put(src + "room/images/ImageList.txt", kList);
        put(src + "room/page.svg", kPage);
        put(src + "room/thing.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\">"
                                    "<circle cx=\"5\" cy=\"5\" r=\"5\" fill=\"#C9A227\"/></svg>");
    }
    bool art(const std::string& recipe, std::string& error, std::set<std::string>* outputs = nullptr) {
        put(src + "room/room.art", recipe);
        content::ArtJob job;
        job.recipe = src + "room/room.art";
        job.sourceRoot = src;
        job.outputRoot = out;
        job.svg.clipartDir = CONTENT_CLIPART;
        job.svg.reads = &reads;
        bool ok = content::runArt(job, error);
        if (outputs)
            *outputs = job.outputs;
        return ok;
    }
};

TEST(ContentRecipes, FaultsNameTheirPlace) {
    struct Case {
        std::string recipe;
        std::string where;   // the file and line the message starts with
        std::string message; // what it says
    } cases[] = {
        {"[sign.png]\nSource = nothing.svg\n", "room.art:2", "picture 'nothing.svg' not found"},
        {"[sign.png]\nArt = clipart:food/none.svg\nSize = 10 10\n", "room.art:1",
         "clip art 'food/none.svg' not found"},
        {"[sign.png]\nSource = page.svg\nArt = thing.svg\n", "room.art:1", "needs either Source"},
        {"[sign.png]\nArt = thing.svg\n", "room.art:1", "needs Size"},
        {"[sign.png]\nArt = thing.svg\nSize = 10\n", "room.art:3", "is not a width and a height"},
        {"[sign.gif]\nSource = page.svg\n", "room.art:1", "is not a picture file name"},
        {"[sign.png]\nSource = page.svg\nQuality = 300\n", "room.art:3", "Quality '300' is not a number"},
        {"[room]\n[pear]\nArt = thing.svg\nSize = 5 5\n", "room.art:2", "is no object of"},
        {"[room]\nObjects = other.ini\n", "room.art:1", "object list"},
        {"[room]\n[apple]\nArt = thing.svg\n", "room.art:2", "needs Art and Size"},
        {"[room]\nShadow = 2 2 1 0.5\n[apple]\nArt = thing.svg\nSize = 5 5\n", "objects.ini:1",
         "give it Alpha = 129 or more"},
        {"[room]\n[apple]\nArt = thing.svg\nSize = 5 5\nOpacity = 0.2\n", "room.art:5", "too faint"},
        {"[room]\n[background]\n", "room.art:2", "needs Source"},
        {"[room]\n[clutter.pot]\nArt = thing.svg\nBox = 1 2 3 4\n", "room.art:2", "add [background]"},
        {"[room]\n[background]\nSource = page.svg\n[clutter.pot]\nArt = thing.svg\n", "room.art:4",
         "needs Art and Box"},
        {"[background]\nSource = page.svg\n", "room.art:1", "need a [room] section"},
        {"[room]\n[flat.jpg]\nSource = page.svg\n[plain]\nArt = thing.svg\nSize = 4 4\n[plain]\nArt = "
         "thing.svg\nSize = 4 4\n",
         "room.art:7", "a second picture for images/plain.jng"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recipe);
        Tree t;
        std::string error;
        EXPECT_FALSE(t.art(c.recipe, error));
        EXPECT_NE(error.find(c.where + ": "), std::string::npos) << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(ContentRecipes, GameFileFaultsAreReportedInTheGameFile) {
    const struct {
        std::string objects, list, message;
    } cases[] = {
        {"[apple]\nClass = Image\nX = 1\nY = 1\n", kList, "object 'apple' has no Image key"},
        {"[apple]\nClass = Image\nImage = apple \nX = 1\n", kList, "has blanks around it"},
        {"[apple]\nClass = Image\nImage = apple\nRect = 0 0 4 4\n", kList, "has a Rect"},
        {kObjects, "background.jpg 0565 8888\n", "has no line for image 'apple'"},
        {kObjects, "apple.jpg 0565 8888\n", "needs alpha for its outline"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        Tree t;
        put(t.src + "room/objects.ini", c.objects);
        put(t.src + "room/images/ImageList.txt", c.list);
        std::string error;
        EXPECT_FALSE(t.art("[room]\n[apple]\nArt = thing.svg\nSize = 8 8\n", error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
}

TEST(ContentRecipes, ARoomWritesItsPicturesAndForgetsOldOnes) {
    Tree t;
    std::string error;
    std::set<std::string> outputs;
    ASSERT_TRUE(t.art("[room]\n[background]\nSource = page.svg\n[apple]\nArt = thing.svg\nSize = 8 8\n"
                      "[plain]\nArt = thing.svg\nSize = 4 4\n",
                      error, &outputs))
        << error;
    const std::string images = t.out + "room/images/";
    EXPECT_EQ(outputs,
              (std::set<std::string>{images + "apple.jng", images + "background.jpg", images + "plain.jng"}));
    // Every file read is a dependency of the recipe's step.
    for (const char* f : {"room/room.art", "room/objects.ini", "room/images/ImageList.txt", "room/page.svg",
                          "room/thing.svg"})
        EXPECT_EQ(t.reads.count(t.src + f), 1u) << f;
    std::string stamp = t.root + "room.stamp";
    ASSERT_TRUE(content::writeStamp(stamp, outputs, error));

    // Without the plain object's section its picture goes at the next build.
    ASSERT_TRUE(t.art("[room]\n[background]\nSource = page.svg\n[apple]\nArt = thing.svg\nSize = 8 8\n",
                      error, &outputs))
        << error;
    ASSERT_TRUE(content::writeStamp(stamp, outputs, error));
    EXPECT_TRUE(fs::exists(images + "apple.jng"));
    EXPECT_FALSE(fs::exists(images + "plain.jng"));
}

TEST(ContentRecipes, FontRecipes) {
    std::string root = contenttest::scratch();
    struct Case {
        std::string recipe, message;
    } cases[] = {
        {"[f]\nSize = 12\n", "needs Face and Size"},
        {"[f]\nFace = truetype/none/None.ttf\nSize = 12\n",
         "font face /usr/share/fonts/truetype/none/None.ttf not found"},
        {"[f]\nFace = truetype/dejavu/DejaVuSans.ttf\nSize = 1\n", "is not a pixel height"},
        {"[f]\nFace = truetype/dejavu/DejaVuSans.ttf\nSize = 12\nChars = latin2\n", "is neither ascii"},
        {"[f]\nFace = opentype/dancingscript/DancingScript-Regular.otf\nSize = 12\nChars = 4E00\n",
         "has no glyph for 4E00"},
        {"[f]\nFace = truetype/dejavu/DejaVuSans.ttf\nSize = 12\nChars = ascii 2190-2193\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recipe);
        put(root + "src/fonts/game.fonts", c.recipe);
        content::FontJob job;
        job.recipe = root + "src/fonts/game.fonts";
        job.sourceRoot = root + "src";
        job.outputRoot = root + "out";
        std::string error;
        bool ok = content::runFonts(job, error);
        if (c.message.empty()) {
            EXPECT_TRUE(ok) << error;
            EXPECT_TRUE(fs::exists(root + "out/fonts/f.fnt"));
            EXPECT_TRUE(fs::exists(root + "out/fonts/f.png"));
        } else {
            EXPECT_FALSE(ok);
            EXPECT_NE(error.find(c.message), std::string::npos) << error;
        }
    }
}

TEST(ContentRecipes, ColourRunsOnUnderTransparentPixels) {
    content::Picture p(6, 3, 0);
    p.at(0, 1) = 0xFFFF0000u;
    p.at(1, 1) = 0x80FF0000u;
    content::bleedColours(p);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 6; ++x) {
            uint32_t expected = x == 0 && y == 1 ? 0xFFFF0000u : x == 1 && y == 1 ? 0x80FF0000u : 0x00FF0000u;
            EXPECT_EQ(p.at(x, y), expected) << x << "," << y;
        }
    content::Picture clear(3, 3, 0);
    content::bleedColours(clear);
    EXPECT_EQ(clear.argb, std::vector<uint32_t>(9, 0));
}

TEST(ContentRecipes, TheTreeCheckFindsEveryMissingFile) {
    std::string root = contenttest::scratch();
    put(root + "a/ImageList.txt", "here.jpg 0565 8888\nmissing.jng 4444 8888\n\n");
    put(root + "a/here.jpg", "x");
    put(root + "s/SoundList.txt", "gone.ogg 1.0\n");
    put(root + "f/big.fnt", "[General]\nTexture = big.png\n[Charlist]\n");
    std::vector<std::string> faults = content::checkTree(root);
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_NE(faults[0].find("ImageList.txt:2: missing.jng"), std::string::npos) << faults[0];
    EXPECT_NE(faults[1].find("big.fnt:2: the atlas big.png"), std::string::npos) << faults[1];
    EXPECT_NE(faults[2].find("SoundList.txt:1: gone.ogg"), std::string::npos) << faults[2];
}

} // namespace
