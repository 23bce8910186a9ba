// The built content of the opening, the title screen, the story scenes and
// the credits, loaded as the game loads it: every picture there at the size
// its drawing assumes, the signature's strokes covering the lettering, cloud
// layers that tile without a seam, a page for every scene of the design,
// credits whose every letter has its tile and its glyph, and a torn letter
// whose pieces, put together, keep every stroke of its writing. No picture
// draws on clip art of things the autumn of 1927 did not know.

#include "game/credits/credits_roll.h"
#include "game/screens/splash_manager.h"
#include "game/screens/title_screen.h"

#include "support/screen_bench.h"

#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gui/gui_server.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/util/a_optionsfile.h"
#include "mirel/video/a_theoravideo.h"

#include "content/content_lsan.h"
#include "content/content_svg.h"
#include "content/content_writers.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

using namespace screentest;

namespace {

const std::string kProgram = MIREL_GAME_DIR "/";

std::string ScenePath(const std::string& scene, int32_t page) {
    return "data:scenes/" + scene + "_p" + std::to_string(page + 1) + ".jpg";
}

// The headless graphics server and managers of the bench, with "data:" on the
// built program folder's gameres.
class ContentTest : public ::testing::Test {
protected:
    void SetUp() override {
        b.files->setAssign("data", kProgram + "gameres/");
        ASSERT_TRUE(std::filesystem::is_directory(kProgram + "gameres")) << kProgram;
    }
    aImage* Title(const std::string& name) {
        if (!titleLoaded) {
            b.h.images->loadList("data:images/title/ImageList.txt", "title");
            titleLoaded = true;
        }
        return b.h.images->getImage(name, "title");
    }
    // Alpha of a picture's pixel (pictures load as A8R8G8B8 in 32-bit mode).
    static uint32_t Alpha(const aImage& image, int x, int y) { return image.getPixel(x, y) >> 24; }

    ScreenBench b;
    bool titleLoaded = false;
};

TEST_F(ContentTest, SplashPicturesLoad) {
    SplashManager splash(kProgram + "splashscreens/settings.ini");
    ASSERT_GE(splash.GetEntries().size(), 2u);
    for (const SplashManager::Entry& e : splash.GetEntries()) {
        aImage picture(e.image, 23, 21);
        EXPECT_TRUE(picture.hasTexture()) << e.image;
        EXPECT_LE(picture.getWidth(), 1024u) << e.image;
        EXPECT_LE(picture.getHeight(), 768u) << e.image;
        EXPECT_GT(e.fadeInTime + e.showTime + e.fadeOutTime, 1.0f) << e.image;
        EXPECT_NE(e.skip, 0) << e.image;
    }
}

TEST_F(ContentTest, TitlePicturesFitTheirDrawing) {
    for (const char* name : {"sky", "clouds_layer_1", "clouds_layer_2", "clouds_layer_3", "front", "logo",
                             "logo_highlight", "bird_l", "bird_r", "mask_1", "mask_2", "mask_3", "mask_4",
                             "mask_5", "mask_6", "mask_7", "mask_8"}) {
        aImage* image = Title(name);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_TRUE(image->hasTexture()) << name;
    }
    // The video below the sky fills the screen's height and its width.
    aTheoraVideo video;
    ASSERT_TRUE(video.open("data:video/waves.ogg", true));
    video.update(0.04f);
    EXPECT_EQ(Title("sky")->getWidth(), 1024u);
    EXPECT_EQ(Title("sky")->getHeight() + video.getHeight(), 768u);
    EXPECT_EQ(Title("front")->getWidth(), 1024u);
    EXPECT_EQ(Title("front")->getHeight(), 768u);
    // The logo's band and body, the highlight over the band.
    EXPECT_EQ(Title("logo")->getWidth(), 556u);
    EXPECT_EQ(Title("logo")->getHeight(), 169u);
    EXPECT_EQ(Title("logo_highlight")->getWidth(), 556u);
    EXPECT_EQ(Title("logo_highlight")->getHeight(), 85u);
    // Eighteen gull frames of 32 x 32 in a strip.
    for (const char* name : {"bird_l", "bird_r"}) {
        EXPECT_EQ(Title(name)->getWidth(), 18u * 32u) << name;
        EXPECT_EQ(Title(name)->getHeight(), 32u) << name;
    }
    // The masks together cover the whole screen.
    for (int y = 0; y < 192; y += 7)
        for (int x = 0; x < 256; x += 7) {
            uint32_t most = 0;
            for (int i = 1; i <= 8; ++i)
                most = std::max(most, Alpha(*Title("mask_" + std::to_string(i)), x, y));
            EXPECT_EQ(most, 255u) << x << " " << y;
        }
}

// Tiled layers meet edge to edge: nothing of a cloud may lie on the first or
// last column, or the overlapping column would show.
TEST_F(ContentTest, CloudLayersTileWithoutASeam) {
    for (const char* name : {"clouds_layer_1", "clouds_layer_2", "clouds_layer_3"}) {
        const aImage& clouds = *Title(name);
        ASSERT_GT(clouds.getWidth(), 0u);
        uint32_t inked = 0;
        for (uint32_t y = 0; y < clouds.getHeight(); ++y) {
            EXPECT_EQ(Alpha(clouds, 0, int(y)), 0u) << name << " row " << y;
            EXPECT_EQ(Alpha(clouds, int(clouds.getWidth()) - 1, int(y)), 0u) << name << " row " << y;
            inked += Alpha(clouds, int(clouds.getWidth() / 2), int(y)) > 0;
        }
        EXPECT_GT(inked, 0u) << name;
    }
}

// The strokes lie in the band and, written out, cover every inked column of
// the lettering.
TEST_F(ContentTest, SignatureCoversTheLettering) {
    const std::vector<aRect> strokes = TitleScreen::ReadSignature("data:signature.txt");
    ASSERT_GE(strokes.size(), 10u);
    const aImage& logo = *Title("logo");
    std::vector<bool> covered(556, false);
    for (const aRect& r : strokes) {
        EXPECT_GE(r.x, 0);
        EXPECT_GE(r.y, 0);
        EXPECT_LE(r.x + r.width, 556);
        EXPECT_LE(r.y + r.height, 85);
        EXPECT_GT(r.width, 0);
        EXPECT_GT(r.height, 0);
        for (int x = r.x; x < r.x + r.width; ++x)
            covered[size_t(x)] = true;
    }
    for (int x = 0; x < 556; ++x) {
        bool ink = false;
        for (int y = 0; y < 85 && !ink; ++y)
            ink = Alpha(logo, x, y) > 128;
        if (ink) {
            EXPECT_TRUE(covered[size_t(x)]) << "column " << x;
        }
    }
}

TEST_F(ContentTest, EveryStorySceneHasPages) {
    for (const char* scene :
         {"arrival", "hall", "lamp", "chapel_opens", "regatta", "watch", "voice", "final"}) {
        ASSERT_TRUE(file_exists(ScenePath(scene, 0))) << scene;
        for (int32_t page = 0; file_exists(ScenePath(scene, page)); ++page) {
            aImage picture(ScenePath(scene, page), 23, 23);
            EXPECT_EQ(picture.getWidth(), 1024u) << scene << " " << page;
            EXPECT_EQ(picture.getHeight(), 768u) << scene << " " << page;
        }
    }
    EXPECT_TRUE(file_exists("data:music/storyline.ogg"));
}

// Every line of the credits is a text of its own, fits the screen, and each
// of its letters has a glyph; the tile sheet holds the sixteen variants.
TEST_F(ContentTest, CreditsLettersHaveTilesAndGlyphs) {
    aLocaleServer locale;
    locale.loadFile("data:loc/credits.txt");
    b.h.LoadScript("fontlist\n{\n CreditsFont data:fonts/credits_tiles.fnt\n}\n");
    aFont* font = b.h.server->GetFont("CreditsFont");
    ASSERT_NE(font, nullptr);
    b.h.images->loadList("data:images/credits/ImageList.txt", "credits");
    LogCapture log;
    CreditsRoll roll(&locale);
    roll.Load(b.h.images.get(), "credits", "data:credits.ini");
    EXPECT_TRUE(log.lines.empty()) << log.lines.front();
    ASSERT_GE(roll.GetScreens().size(), 3u);
    for (const CreditsScreen& screen : roll.GetScreens()) {
        std::vector<std::u16string> lines = screen.specialities;
        lines.insert(lines.end(), screen.names.begin(), screen.names.end());
        lines.push_back(screen.title);
        for (const std::u16string& line : lines) {
            ASSERT_FALSE(line.empty());
            EXPECT_LT(line.size() * 26, 1000u);
            for (char16_t c : line) {
                if (c != u' ') {
                    EXPECT_GT(font->getCharRect(c).width, 0) << int(c);
                }
            }
        }
    }
    const aImage* tiles = b.h.images->getImage("tiles", "credits");
    ASSERT_NE(tiles, nullptr);
    EXPECT_GE((tiles->getWidth() / 27) * (tiles->getHeight() / 28), 16u);
    // The roll goes round its screens and back to the first.
    std::set<size_t> seen;
    for (int i = 0; i < 20000 && seen.size() < roll.GetScreens().size(); ++i) {
        roll.Update(0.05f);
        seen.insert(roll.GetScreenIndex());
    }
    EXPECT_EQ(seen.size(), roll.GetScreens().size());
    EXPECT_TRUE(log.lines.empty()) << log.lines.front();
}

// The torn letter's pieces, each put at its place of layout.txt, give back
// the whole letter's writing: no tear takes a stroke of it (the edge drawn
// along a tear lies under the ink). The pieces lie on white, the worst ground.
TEST_F(ContentTest, TheTornLetterKeepsEveryStrokeOfItsWriting) {
    const std::string folder = "images/bonus/letter_assemble/evrane/";
    const std::string page = std::string(MIREL_CONTENT_DIR) + "/gameres/" + folder + "letter.svg";
    content::SvgContext context;
    std::string document, error;
    ASSERT_TRUE(content::loadSvg(page, context, document, error)) << error;
    content::Picture whole, ink;
    ASSERT_TRUE(content::renderSvg(document, page, 360, 480, "", whole, error)) << error;
    ASSERT_TRUE(content::renderSvg(document, page, 360, 480, "#ink", ink, error)) << error;

    content::Picture assembled(360, 480, 0xFFFFFFFFu);
    std::ifstream layout(kProgram + "gameres/" + folder + "layout.txt");
    int pieces = 0;
    for (std::string name, x, y;
         std::getline(layout, name) && std::getline(layout, x) && std::getline(layout, y);) {
        aImage piece(kProgram + "gameres/" + folder + name + ".png", 21, 21);
        ASSERT_TRUE(piece.hasTexture()) << name;
        ++pieces;
        const int32_t ox = std::stoi(x), oy = std::stoi(y);
        for (uint32_t py = 0; py < piece.getHeight(); ++py)
            for (uint32_t px = 0; px < piece.getWidth(); ++px) {
                const int32_t ax = ox + int32_t(px), ay = oy + int32_t(py);
                if (ax < 0 || ay < 0 || ax >= 360 || ay >= 480)
                    continue;
                const uint32_t s = piece.getPixel(int32_t(px), int32_t(py));
                const uint32_t a = s >> 24;
                uint32_t& d = assembled.at(uint32_t(ax), uint32_t(ay));
                uint32_t out = 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    const uint32_t c =
                        ((s >> shift & 0xFF) * a + (d >> shift & 0xFF) * (255 - a) + 127) / 255;
                    out |= c << shift;
                }
                d = out;
            }
    }
    EXPECT_EQ(pieces, 12);
    const auto lightness = [](uint32_t p) {
        return 0.299 * double(p >> 16 & 0xFF) + 0.587 * double(p >> 8 & 0xFF) + 0.114 * double(p & 0xFF);
    };
    int strokes = 0, lost = 0;
    for (uint32_t y = 0; y < 480; ++y)
        for (uint32_t x = 0; x < 360; ++x) {
            if ((ink.at(x, y) >> 24) < 200)
                continue;
            ++strokes;
            const double want = lightness(whole.at(x, y)), got = lightness(assembled.at(x, y));
            if (std::fabs(got - want) > 64.0) {
                ++lost;
                ADD_FAILURE_AT(__FILE__, __LINE__)
                    << "writing lost at " << x << "," << y << ": " << got << " for " << want;
                if (lost > 10)
                    return;
            }
        }
    EXPECT_GT(strokes, 2000);
}

// The story is set in 1927: no recipe draws on the clip art of computers and
// electronics, nor on the pictures found out of their time.
TEST(ContentPeriod, NoPictureDrawsOnClipArtOfLaterTimes) {
    const char* const laterFolders[] = {"computer/", "electronics/"};
    const struct {
        const char* file;
        const char* why;
    } later[] = {
        {"containers/ammo_can_ganson.svg", "a military ammunition can"},
        {"containers/cesto_architetto_frances_01.svg", "a plastic basket"},
        {"science/medicine/barattolo_di_pillole_arc_01.svg", "a plastic prescription vial"},
        {"office/newspaper_aubanel_monnie_01.svg", "a newspaper dated 2004"},
        {"office/addressed_envelope_with_stamp_01.svg", "an envelope with a ZIP+4 address"},
        {"signs_and_symbols/radio_wireless_tower_cor_.svg", "a mobile network's mast sign"},
    };
    int references = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(MIREL_CONTENT_DIR)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".art" && ext != ".svg"))
            continue;
        std::ifstream in(entry.path());
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (size_t at = text.find("clipart:"); at != std::string::npos; at = text.find("clipart:", at + 1)) {
            const size_t end = text.find_first_of("\"' \t\r\n#", at);
            const std::string file =
                text.substr(at + 8, end == std::string::npos ? std::string::npos : end - at - 8);
            ++references;
            for (const char* folder : laterFolders)
                EXPECT_NE(file.rfind(folder, 0), 0u) << entry.path() << ": " << file;
            for (const auto& l : later)
                EXPECT_NE(file, l.file) << entry.path() << ": " << l.why;
        }
    }
    EXPECT_GT(references, 100);
}

} // namespace
