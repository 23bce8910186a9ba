// The fixture tree, built by the content build as the game's tree is, read
// back through the engine's own readers: every kind of picture, the room's
// object pictures against its objects.ini, the fonts, the sounds, and the
// packed archive through the file server.

#include "content/content_ini.h"
#include "content/content_picture.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagedecode.h"
#include "mirel/gfx/images/image_test_env.h"
#include "mirel/gui/gui_region.h"
#include "mirel/sound/a_sound.h"
#include "mirel/sound/sound_test_support.h"
#include "support/read_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace {

namespace fs = std::filesystem;

const std::string kData = std::string(CONTENT_BUILT) + "/Program/gameres/";

aDecodedImage decode(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    aDecodedImage img;
    std::string error;
    EXPECT_TRUE(a_decodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), img, error))
        << path << ": " << error;
    return img;
}

uint32_t pixel(const aDecodedImage& img, uint32_t x, uint32_t y) {
    return img.pixels.at(size_t(y) * img.width + x);
}

bool near(uint32_t argb, uint32_t rgb, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((argb >> shift) & 255) - int((rgb >> shift) & 255)) > tolerance)
            return false;
    return true;
}

content::Picture asPicture(const aDecodedImage& img) {
    content::Picture p(img.width, img.height);
    p.argb = img.pixels;
    return p;
}

class ContentOutputs : public imgtest::GraphFixture {};

TEST_F(ContentOutputs, PicturesOfEveryKindDecode) {
    // The sign: a parchment card with a brass frame, a rust dot at (150, 50)
    // of its 200 x 100 page, and an apple of clip art.
    aDecodedImage jpg = decode(kData + "pictures/sign.jpg");
    ASSERT_EQ(jpg.width, 400u); // Size = 400 200
    ASSERT_EQ(jpg.height, 200u);
    EXPECT_EQ(jpg.fileFormat, A_FMT_X8R8G8B8);
    EXPECT_TRUE(near(pixel(jpg, 300, 100), 0x9E3B2E, 12)) << std::hex << pixel(jpg, 300, 100);
    EXPECT_TRUE(near(pixel(jpg, 240, 40), 0xEFE3C8, 12)) << std::hex << pixel(jpg, 240, 40);

    aDecodedImage png = decode(kData + "pictures/sign.png");
    ASSERT_EQ(png.width, 200u); // the page's own size
    ASSERT_EQ(png.height, 100u);
    EXPECT_EQ(pixel(png, 2, 2) >> 24, 0u);
    // Under the transparent corner lies the frame's brass, not black.
    EXPECT_TRUE(near(pixel(png, 2, 2), 0xC9A227, 40)) << std::hex << pixel(png, 2, 2);
    EXPECT_EQ(pixel(png, 150, 50), 0xFF9E3B2Eu);

    // Cropped to the card: x 10..190 and y 10..90 with a 4-pixel stroke.
    aDecodedImage jng = decode(kData + "pictures/sign.jng");
    EXPECT_EQ(jng.fileFormat, A_FMT_A8R8G8B8);
    EXPECT_NEAR(int(jng.width), 184, 1);
    EXPECT_NEAR(int(jng.height), 84, 1);
    EXPECT_EQ(pixel(jng, jng.width / 2, jng.height / 2) >> 24, 255u);

    // A clip-art drawing fitted into 48 x 48 and cropped to itself.
    aDecodedImage apple = decode(kData + "pictures/apple.jng");
    EXPECT_TRUE(apple.width == 48 || apple.height == 48) << apple.width << " x " << apple.height;
    EXPECT_LE(apple.width, 48u);
    EXPECT_LE(apple.height, 48u);

    // The engine's image class reads them as the image manager will.
    aImage image(kData + "pictures/apple.jng", A_FMT_A4R4G4B4, A_FMT_A8R8G8B8);
    EXPECT_EQ(image.getWidth(), apple.width);

    // The mask of the dot alone, at its place on the page.
    GUI::Region mask;
    ASSERT_TRUE(mask.LoadFromBitmap(kData + "pictures/dot_mask.bmp"));
    EXPECT_EQ(mask.GetWidth(), 200);
    EXPECT_EQ(mask.GetHeight(), 100);
    EXPECT_TRUE(mask.HitTest(150, 50));
    EXPECT_TRUE(mask.HitTest(150, 27));
    EXPECT_FALSE(mask.HitTest(150, 22));
    EXPECT_FALSE(mask.HitTest(40, 50)); // the apple and the card are not the element
}

TEST_F(ContentOutputs, RoomObjectsAreTheirOwnOutlinesAtTheirPlaces) {
    const std::string room = kData + "rooms/pantry/";
    aDecodedImage bg = decode(room + "images/background.jpg");
    EXPECT_EQ(bg.width, 845u);
    EXPECT_EQ(bg.height, 768u);
    // The shelf of pantry.svg (rust) with the warm room tint over nothing:
    // the background keeps its own colours.
    EXPECT_TRUE(near(pixel(bg, 700, 312), 0x9E3B2E, 14)) << std::hex << pixel(bg, 700, 312);

    content::IniFile objects;
    std::string error;
    ASSERT_TRUE(content::readIni(room + "objects.ini", objects, error)) << error;
    aDecodedImage preview = decode(std::string(CONTENT_BUILT) + "/preview/rooms/pantry/room.png");
    ASSERT_EQ(preview.width, 845u);
    const struct {
        const char* name;
        const char* file;
        bool shadow;
    } cases[] = {{"apple", "apple.jng", true}, {"broom", "broom.png", true}, {"net", "net.jng", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const content::IniSection* o = objects.find(c.name);
        ASSERT_NE(o, nullptr);
        aDecodedImage img = decode(room + "images/" + c.file);
        content::Picture pic = asPicture(img);
        // Cropped to the drawing: every edge row and column has a pixel.
        content::Bounds b = content::alphaBounds(pic);
        EXPECT_EQ(b.x, 0u);
        EXPECT_EQ(b.y, 0u);
        EXPECT_EQ(b.width, img.width);
        EXPECT_EQ(b.height, img.height);
        // The hit threshold of objects.ini separates the object from its
        // shadow: the shadow's pixels all lie below it.
        int alpha = o->has("Alpha") ? std::atoi(o->get("Alpha").c_str()) : 16;
        uint32_t faint = 0, solid = 0;
        for (uint32_t v : img.pixels) {
            uint32_t a = v >> 24;
            faint += a > 0 && a < uint32_t(alpha) && (v & 0xFFFFFF) < 0x101010;
            solid += a >= 250;
        }
        EXPECT_GT(solid, 50u);
        if (c.shadow) {
            EXPECT_GT(faint, 20u) << "a soft dark shadow below the threshold";
        }
        // The picture's top-left is the object's X, Y: in the preview its
        // opaque pixels show at that place.
        int x = std::atoi(o->get("X").c_str()), y = std::atoi(o->get("Y").c_str());
        int matched = 0, opaque = 0;
        for (uint32_t py = 0; py < img.height; ++py)
            for (uint32_t px = 0; px < img.width; ++px) {
                uint32_t v = pixel(img, px, py);
                if ((v >> 24) != 255 || x + px >= 845 || y + py >= 768)
                    continue;
                ++opaque;
                // JNG colour is JPEG: near, not equal.
                matched += near(pixel(preview, x + px, y + py), v, 48);
            }
        EXPECT_GT(opaque, 0);
        // Objects later in objects.ini (the net) cover parts of earlier ones.
        EXPECT_GT(matched, opaque * 3 / 5) << matched << " of " << opaque;
    }
}

TEST_F(ContentOutputs, FontsHaveTheGameCharacters) {
    const char16_t needed[] = {u'A',      u'g',      u'\u00E9', u'\u00DF', u'\u2018', u'\u2019',
                               u'\u201C', u'\u201D', u'\u2013', u'\u2014', u'\u2026', u'\u20AC'};
    for (const char* name : {"sans", "display", "script"}) {
        SCOPED_TRACE(name);
        aFont font(kData + "fonts/" + name + ".fnt");
        EXPECT_GT(font.getFontHeight(), 10.0f);
        for (char16_t c : needed)
            EXPECT_GT(font.getCharRect(c).width, 0) << std::hex << int(c);
        float w = 0, h = 0;
        font.getTextExtentW(u"\u201CLamp\u201D \u2014 Quillby\u2019s", w, h);
        EXPECT_GT(w, 40.0f);
        clearTo(0xFF000000);
        font.drawTextW(2, 2, u"Ag", A_FONT_SNAP);
        int lit = 0;
        for (uint32_t y = 0; y < 40; ++y)
            for (uint32_t x = 0; x < 60; ++x)
                lit += px(x, y) != 0xFF000000u;
        EXPECT_GT(lit, 20);
    }
    aFont script(kData + "fonts/script.fnt");
    EXPECT_GT(script.getCharRect(0x2022).width, 0) << "a code listed in Chars";
}

TEST_F(ContentOutputs, SoundsLoadAndPlay) {
    soundtest::ManualOutput output;
    std::ifstream list(kData + "sounds/SoundList.txt");
    std::string file;
    float volume;
    int count = 0;
    std::vector<std::string> files;
    while (list >> file >> volume)
        files.push_back(file);
    files.push_back("tune.ogg"); // music, not in the list
    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        aSound sound(kData + "sounds/" + f, 1.0f);
        ASSERT_TRUE(sound.hasSample());
        sound.play(false);
        const std::vector<int16_t>& mixed = soundtest::ManualOutput::mix(4096);
        int peak = 0;
        for (int16_t s : mixed)
            peak = std::max(peak, std::abs(int(s)));
        EXPECT_GT(peak, 200) << "not silent";
        sound.stop();
        ++count;
    }
    EXPECT_EQ(count, 10);
}

TEST_F(ContentOutputs, ThePackedTreeReadsLikeTheFolder) {
    // The packed program folder has no gameres/ folder, only gameres.pak.
    const fs::path packed = std::string(CONTENT_BUILT) + "/Packed";
    ASSERT_TRUE(fs::is_regular_file(packed / "gameres.pak"));
    ASSERT_FALSE(fs::exists(packed / "gameres"));
    EXPECT_TRUE(fs::is_regular_file(packed / "Tarrowdene.ini"));
    int files = 0;
    for (const auto& e : fs::recursive_directory_iterator(kData)) {
        if (!e.is_regular_file())
            continue;
        std::string rel = fs::relative(e.path(), kData).generic_string();
        size_t size = 0;
        uint8_t* data = file_readFullAndMalloc((packed / "gameres" / rel).string(), &size);
        ASSERT_NE(data, nullptr) << rel;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), ReadWholeFile(e.path().string())) << rel;
        std::free(data);
        ++files;
    }
    EXPECT_GT(files, 25);
}

} // namespace
