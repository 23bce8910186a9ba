// Images on the headless device: formats, loading failures, shared bodies,
// pixel access, drawing geometry and effects.

#include "mirel/gfx/a_imagedecode.h"
#include "mirel/gfx/images/image_test_env.h"

#include <cmath>

using namespace imgtest;
using content::Picture;

namespace {

Picture palette4x2() {
    Picture p(4, 2);
    const uint32_t c[8] = {0xFFFF0000, 0x80FFFFFF, 0x00000000, 0xFF123456,
                           0xFF00FF00, 0xC0808080, 0x40F0E0D0, 0xFF0000FF};
    for (int i = 0; i < 8; ++i)
        p.argb[i] = c[i];
    return p;
}

} // namespace

class ImageTest : public GraphFixture {};

TEST_F(ImageTest, TextureFormatsFromListCodes) {
    Picture pic = palette4x2();
    std::string png = write("p.png", content::writePng(pic, true));
    std::string jpg = write("p.jpg", content::writeJpeg(solid(8, 8, 0xFF336699), 95));
    std::string bmp = write("p.bmp", content::writeBmp24(pic));
    for (int f : {A_FMT_A8R8G8B8, A_FMT_X8R8G8B8, A_FMT_R5G6B5, A_FMT_A1R5G5B5, A_FMT_A4R4G4B4}) {
        SCOPED_TRACE(f);
        aImage img(png, 0, f);
        ASSERT_TRUE(img.hasTexture());
        EXPECT_EQ(img.getFormat(), f);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(img.getPixel(x, y), a_pixelToArgb(f, a_pixelFromArgb(f, pic.at(x, y))))
                    << x << "," << y;
    }
    // Format 0: the file's own.
    struct Case {
        std::string path;
        int format;
    };
    for (const Case& c : {Case{png, A_FMT_A8R8G8B8}, Case{jpg, A_FMT_X8R8G8B8}, Case{bmp, A_FMT_X8R8G8B8}}) {
        aImage img(c.path, 0, 0);
        EXPECT_EQ(img.getFormat(), c.format) << c.path;
    }
    aImage j(jpg, 0, 0);
    EXPECT_EQ(j.getWidth(), 8u);
    EXPECT_EQ(j.getHeight(), 8u);
    EXPECT_EQ(j.getPixel(3, 3) >> 24, 0xFFu);
}

TEST_F(ImageTest, SixteenBitModeUsesTheFirstFormat) {
    startServer(false);
    Picture pic = palette4x2();
    std::string png = write("p.png", content::writePng(pic, true));
    std::string jng = write("p.jng", content::writeJng(pic, content::JngAlpha::Zlib, 100));
    aImage a(png, A_FMT_A1R5G5B5, A_FMT_A8R8G8B8);
    EXPECT_EQ(a.getFormat(), A_FMT_A1R5G5B5);
    EXPECT_EQ(a.getPixel(1, 0), 0xFFF8F8F8u); // alpha 0x80 keeps bit 15
    EXPECT_EQ(a.getPixel(2, 1), 0x00F0E0D0u & 0x00F8F8F8u);
    // JNG into A4R4G4B4: the top four bits of each decoded channel.
    aImage j(jng, A_FMT_A4R4G4B4, A_FMT_A8R8G8B8);
    ASSERT_EQ(j.getFormat(), A_FMT_A4R4G4B4);
    EXPECT_EQ(j.getPixel(2, 0) >> 28, 0u);
    EXPECT_EQ(j.getPixel(0, 0) >> 28, 0xFu);
    EXPECT_EQ(j.getPixel(1, 1) >> 24, 0xC0u);
}

TEST_F(ImageTest, JngDispatchAndDecode) {
    Picture pic(40, 30);
    for (uint32_t y = 0; y < 30; ++y)
        for (uint32_t x = 0; x < 40; ++x)
            pic.at(x, y) = ((x < 20 ? 0xFFu : 0x00u) << 24) | 0x2060A0u;
    std::string jng = write("obj.jng", content::writeJng(pic, content::JngAlpha::Zlib, 95));
    aImage img(jng, 0, 0);
    ASSERT_TRUE(img.hasTexture());
    EXPECT_EQ(img.getFormat(), A_FMT_A8R8G8B8);
    EXPECT_EQ(img.getWidth(), 40u);
    EXPECT_EQ(img.getPixel(5, 5) >> 24, 0xFFu);
    EXPECT_EQ(img.getPixel(30, 5) >> 24, 0x00u);
    uint32_t c = img.getPixel(5, 5);
    EXPECT_NEAR(int((c >> 16) & 0xFF), 0x20, 4);
    EXPECT_NEAR(int(c & 0xFF), 0xA0, 4);

    // Three bytes with the JNG magic's start are not a JNG: the general path refuses them.
    LogCapture log;
    std::string three = write("three.jng", content::Bytes{0x8B, 'J', 'N'});
    aImage bad(three, 0, 0);
    EXPECT_FALSE(bad.hasTexture());
    EXPECT_TRUE(log.has("Texture \"" + three + "\" load failed (unknown image format)"));
    EXPECT_FALSE(log.contains("createFromMNG"));
}

TEST_F(ImageTest, LoadFailuresAreLogged) {
    content::Bytes jng = content::writeJng(solid(8, 8, 0xFF00FF00));
    jng.resize(jng.size() / 2);
    content::Bytes jpg = content::writeJpeg(solid(16, 16, 0xFF00FF00));
    jpg.resize(jpg.size() - 40);
    struct Case {
        std::string file;
        std::string message;
    };
    std::string missing = m_dir + "missing.png";
    std::string cutJng = write("cut.jng", jng);
    std::string cutJpg = write("cut.jpg", jpg);
    std::string dds = write("x.dds", content::Bytes{'D', 'D', 'S', ' ', 1, 2, 3, 4});
    const Case cases[] = {
        {missing, "Texture \"" + missing + "\" load failed (file not found or empty)"},
        {cutJng, "aImage::createFromMNG - mnglib init/read error!"},
        {dds, "Texture \"" + dds + "\" load failed (unsupported image format)"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        aImage img(c.file, 0, 0);
        EXPECT_FALSE(img.hasTexture());
        EXPECT_TRUE(log.has(c.message)) << c.message;
        // An image without texture draws nothing and reads 0.
        EXPECT_EQ(img.getPixel(0, 0), 0u);
        img.drawAt(0, 0);
    }
    LogCapture log;
    aImage cut(cutJpg, 0, 0);
    EXPECT_FALSE(cut.hasTexture());
    EXPECT_TRUE(log.contains("Texture \"" + cutJpg + "\" load failed (corrupt JPEG data"));

    // Without a graphics server.
    aImage::setGraphServer(nullptr);
    LogCapture log2;
    aImage none(write("ok.png", content::writePng(solid(2, 2, 0xFFFFFFFF))), 0, 0);
    EXPECT_FALSE(none.hasTexture());
    EXPECT_TRUE(log2.has("aImage. Error, aApplication object not created!"));
}

TEST_F(ImageTest, SharedBodies) {
    std::string red = write("red.png", content::writePng(solid(4, 4, 0xFFFF0000)));
    std::string blue = write("blue.png", content::writePng(solid(6, 6, 0xFF0000FF)));
    size_t bodies = aImage::getBodies().size();
    auto first = std::make_unique<aImage>(red, 0, 0);
    aImage copy(*first);
    aImage assigned;
    assigned = copy;
    EXPECT_EQ(copy.getRefCount(), 3u);
    EXPECT_EQ(aImage::getBodies().size(), bodies + 1); // the empty body of `assigned` went
    first.reset();
    EXPECT_TRUE(copy.hasTexture());
    EXPECT_EQ(copy.getPixel(1, 1), 0xFFFF0000u);

    // Reloading one handle leaves the others' picture alone.
    assigned.load(blue, 0, 0);
    EXPECT_EQ(assigned.getPixel(1, 1), 0xFF0000FFu);
    EXPECT_EQ(assigned.getWidth(), 6u);
    EXPECT_EQ(copy.getPixel(1, 1), 0xFFFF0000u);
    EXPECT_EQ(copy.getWidth(), 4u);
    EXPECT_EQ(copy.getRefCount(), 1u);

    // Unloading a shared handle does not take the texture from the other.
    aImage again(copy);
    again.unload();
    EXPECT_FALSE(again.hasTexture());
    EXPECT_TRUE(copy.hasTexture());
    again = again; // self-assignment keeps it
    EXPECT_FALSE(again.hasTexture());
}

TEST_F(ImageTest, PixelAccessAndLock) {
    aImage img;
    img.createEmpty(5, 3);
    ASSERT_TRUE(img.hasTexture());
    EXPECT_EQ(img.getFormat(), A_FMT_A8R8G8B8);
    EXPECT_TRUE(img.setPixel(4, 2, 0x11223344));
    EXPECT_EQ(img.getPixel(4, 2), 0x11223344u);
    uint32_t* bits = nullptr;
    int pitch = 0;
    aRect r(1, 1, 3, 2);
    ASSERT_TRUE(img.lock(&r, false, &bits, &pitch));
    EXPECT_EQ(pitch, 5);
    bits[0] = 0xCAFEBABE; // pixel (1, 1)
    img.unlock();
    EXPECT_EQ(img.getPixel(1, 1), 0xCAFEBABEu);

    // Outside the picture: 0 and one log line for the body.
    LogCapture log;
    EXPECT_EQ(img.getPixel(5, 0), 0u);
    EXPECT_EQ(img.getPixel(-1, 0), 0u);
    EXPECT_EQ(img.getPixel(0, 3), 0u);
    EXPECT_EQ(log.lines.size(), 1u);
    EXPECT_FALSE(img.setPixel(9, 9, 0));

    aImage sixteen(write("s.png", content::writePng(solid(2, 2, 0xFFFFFFFF))), 0, A_FMT_R5G6B5);
    EXPECT_FALSE(sixteen.lock(nullptr, true, &bits, &pitch));
    EXPECT_TRUE(log.has("Image format != A8R8G8B8, lock failed!"));
    EXPECT_EQ(sixteen.getPixel(0, 0), 0xFFF8FCF8u);
}

TEST_F(ImageTest, DrawGeometry) {
    // 4 x 2: red top-left texel, green elsewhere.
    Picture pic = solid(4, 2, 0xFF00FF00);
    pic.at(0, 0) = 0xFFFF0000;
    aImage img(write("g.png", content::writePng(pic, false)), 0, 0);
    ASSERT_TRUE(img.hasTexture());

    // 1:1 at an integer point: texel (i, j) lands on pixel (x + i, y + j).
    clearTo(0xFF000000);
    img.drawAtInt(10, 20);
    EXPECT_EQ(px(10, 20), 0xFFFF0000u);
    EXPECT_EQ(px(13, 21), 0xFF00FF00u);
    EXPECT_EQ(px(14, 20), 0xFF000000u);
    EXPECT_EQ(px(10, 22), 0xFF000000u);

    // A zero-width rectangle draws nothing.
    clearTo(0xFF000000);
    img.drawRectAtInt(10, 20, aRect(0, 0, 0, 2));
    img.drawRectAtInt(10, 20, aRect(0, 0, 4, 0));
    for (uint32_t y = 18; y < 24; ++y)
        for (uint32_t x = 8; x < 16; ++x)
            ASSERT_EQ(px(x, y), 0xFF000000u);

    // A source rectangle at an integer point.
    clearTo(0xFF000000);
    img.drawRectAtInt(30, 30, aRect(1, 0, 2, 1));
    EXPECT_EQ(px(30, 30), 0xFF00FF00u);
    EXPECT_EQ(px(31, 30), 0xFF00FF00u);
    EXPECT_EQ(px(32, 30), 0xFF000000u);
    EXPECT_EQ(px(30, 31), 0xFF000000u);

    // Scale 2 without a centre: the picture doubles from the position.
    clearTo(0xFF000000);
    const float two[2] = {2.0f, 2.0f};
    img.drawAt(0.0f, 0.0f, 0xFFFFFFFF, two);
    EXPECT_EQ(px(1, 1), 0xFFFF0000u);
    EXPECT_EQ(px(2, 1), 0xFF00FF00u);
    EXPECT_EQ(px(7, 3), 0xFF00FF00u);
    EXPECT_EQ(px(8, 3), 0xFF000000u);

    // A quarter turn about the default centre (the middle of the rectangle):
    // positive angles turn counter-clockwise on screen, so the red left end
    // comes to the bottom.
    clearTo(0xFF000000);
    img.drawAt(20.0f, 20.0f, 0xFFFFFFFF, nullptr, float(M_PI / 2));
    // Centre (2, 1): the red texel (0, 0) covers x 21..22, y 22..23.
    EXPECT_EQ(px(21, 22), 0xFFFF0000u);
    EXPECT_EQ(px(21, 19), 0xFF00FF00u);
    EXPECT_EQ(px(22, 22), 0xFF00FF00u);
    EXPECT_EQ(px(20, 20), 0xFF000000u);
    EXPECT_EQ(px(23, 20), 0xFF000000u);
}

TEST_F(ImageTest, TintArithmetic) {
    aImage img(write("w.png", content::writePng(solid(2, 2, 0xFFFFFFFF), false)), 0, 0);
    struct Case {
        float r, g, b, a;
        uint32_t colour;
        uint32_t expect;
    };
    const Case cases[] = {
        {1, 1, 1, 1, 0xFFFFFFFF, 0xFFFFFFFF},
        {1, 0.5f, 1, 1, 0xFF804020, 0xFF801F20}, // 0x40 x 127 / 255 = 31
        {0, 1, 0.25f, 1, 0xFFFFFFFF, 0xFF00FF3F},
    };
    for (const Case& c : cases) {
        clearTo(0xFF000000);
        m_server->setGlobalColor(c.r, c.g, c.b, c.a);
        img.drawAtInt(1, 1, c.colour);
        EXPECT_EQ(px(1, 1), c.expect) << std::hex << c.colour;
    }
    m_server->setGlobalColor(1, 1, 1, 1);
}

TEST_F(ImageTest, GrayAndBlurEffects) {
    Picture pic = solid(3, 1, 0xFF000000);
    pic.at(0, 0) = 0x80306090; // grey (0x30 + 0x60 + 0x90) / 3 = 0x60
    aImage img(write("c.png", content::writePng(pic)), 0, 0);
    img.addGrayscale(false);
    ASSERT_NE(img.getGrayTexture(), nullptr);
    EXPECT_EQ(img.getGrayTexture()->texel(0, 0), 0x80606060u);
    EXPECT_EQ(img.getPixel(0, 0), 0x80306090u); // the copy leaves the picture alone
    img.addGrayscale(true);
    EXPECT_EQ(img.getPixel(0, 0), 0x80606060u);

    // Blur: a copy grown by the radius on every side, spread evenly.
    Picture dot = solid(5, 5, 0x00000000);
    dot.at(2, 2) = 0xFFFFFFFF;
    aImage d(write("dot.png", content::writePng(dot)), 0, 0);
    d.addBlur(2);
    aTexture* b = d.getBlurTexture();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->width(), 9u);
    EXPECT_EQ(b->height(), 9u);
    uint32_t centre = b->texel(4, 4) >> 24;
    EXPECT_GT(centre, 0u);
    EXPECT_EQ(b->texel(3, 4) >> 24, b->texel(5, 4) >> 24);
    EXPECT_EQ(b->texel(4, 3) >> 24, b->texel(4, 5) >> 24);
    EXPECT_LT(b->texel(3, 4) >> 24, centre);
    EXPECT_EQ(b->texel(0, 0) >> 24, 0u);
    // Effects come back after a reload of the same handle.
    d.load(write("dot2.png", content::writePng(dot)), 0, 0);
    ASSERT_NE(d.getBlurTexture(), nullptr);
    EXPECT_EQ(d.getBlurTexture()->width(), 9u);
}
