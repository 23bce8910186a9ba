// The title screen: its intro clock and Restart, the eight-mask transition,
// the logo growing in and its lettering revealed by the signature, the cloud
// layers' tiling, the flocks of birds and the video at the bottom, as drawn.

#include "game/screens/title_screen.h"

#include "support/screen_bench.h"

#include <cmath>

using namespace screentest;

namespace {

constexpr uint32_t kBand = 0xFFFF0000u; // the logo's lettering band
constexpr uint32_t kBody = 0xFF00FF00u; // the logo's body
constexpr uint32_t kBlack = 0xFF000000u;

// The logo: a red band of 556 x 85 over a green body of 556 x 84.
content::Picture Logo() {
    content::Picture p(556, 169, kBand);
    for (uint32_t y = 85; y < 169; ++y)
        for (uint32_t x = 0; x < 556; ++x)
            p.at(x, y) = kBody;
    return p;
}

uint32_t MaskColor(int i) {
    return 0xFF000000u | uint32_t(20 * (i + 1)) << 16 | uint32_t(255 - 20 * i);
}

class TitleTest : public ::testing::Test {
protected:
    // The pictures of the group "title" (those named in `without` are left out).
    void Pictures(const std::vector<std::string>& without = {}) {
        std::map<std::string, content::Picture> p;
        p["logo"] = Logo();
        p["logo_highlight"] = content::Picture(556, 85, 0xFF0000FFu);
        for (int i = 0; i < 8; ++i)
            p["mask_" + std::to_string(i + 1)] = content::Picture(8, 6, MaskColor(i));
        content::Picture birds(32 * 6, 32 * 3, 0xFFFFFFFFu); // 18 frames in a grid
        p["bird_l"] = birds;
        p["bird_r"] = birds;
        for (const std::string& name : without)
            p.erase(name);
        b.LoadGroup("title", p);
    }
    TitleScreen& Make() {
        title = std::make_unique<TitleScreen>(b.h.images.get());
        return *title;
    }
    // Moves the intro clock to t (Update also moves clouds and birds).
    void At(float t) {
        title->Restart(false);
        title->Update(t);
    }
    void Draw() {
        b.DrawFrame([&] { title->Draw(); });
    }
    void DrawMasks() {
        b.DrawFrame([&] { title->DrawMasks(); });
    }

    ScreenBench b;
    std::unique_ptr<TitleScreen> title;
};

TEST_F(TitleTest, IntroClockAndRestart) {
    Pictures();
    TitleScreen& t = Make();
    EXPECT_EQ(t.GetTime(), -0.75f);
    EXPECT_FALSE(t.IsIntroDone());
    EXPECT_GE(t.GetFlockTimer(), 2.0f);
    EXPECT_LE(t.GetFlockTimer(), 5.0f);
    t.Update(4.0f);
    EXPECT_FALSE(t.IsIntroDone()); // 3.25
    t.Update(0.75f);
    EXPECT_TRUE(t.IsIntroDone());
    t.Restart(true);
    EXPECT_EQ(t.GetTime(), -0.75f);
    EXPECT_FALSE(t.IsIntroDone());
    t.Restart(false);
    EXPECT_EQ(t.GetTime(), 0.0f);
    EXPECT_GE(t.GetFlockTimer(), 2.0f);
    EXPECT_LE(t.GetFlockTimer(), 5.0f);
}

// Masks over a black screen: mask_8 is drawn last, so it shows on top.
TEST_F(TitleTest, EightMaskTransition) {
    Pictures();
    TitleScreen& t = Make();
    DrawMasks(); // t = -0.75: all eight opaque
    EXPECT_EQ(b.Pixel(500, 400), MaskColor(7));
    EXPECT_EQ(b.Pixel(1023, 767), MaskColor(7));

    // Two and a half mask times in: masks 1 to 5 opaque, mask 6 half, 7 and 8 gone.
    t.Update(2.5f * 0.09375f);
    DrawMasks();
    const uint32_t px = b.Pixel(300, 300);
    const uint32_t under = MaskColor(4), over = MaskColor(5);
    EXPECT_NEAR(Red(px), (Red(under) + Red(over)) / 2, 2);
    EXPECT_NEAR(Blue(px), (Blue(under) + Blue(over)) / 2, 2);

    // At t = -0.09 only mask_1 is left, at 96 percent.
    t.Restart(true);
    t.Update(0.66f);
    DrawMasks();
    const uint32_t last = b.Pixel(10, 10);
    EXPECT_NEAR(Red(last), 0.96 * Red(MaskColor(0)), 2);
    EXPECT_NEAR(Blue(last), 0.96 * Blue(MaskColor(0)), 2);

    t.Update(0.09f); // t = 0: no masks any more
    DrawMasks();
    EXPECT_EQ(b.Pixel(10, 10), kBlack);
}

TEST_F(TitleTest, LogoGrowsAndFadesIn) {
    Pictures();
    Make();
    At(0.0f); // scale 0.9, alpha 0: nothing shows
    Draw();
    EXPECT_EQ(b.Pixel(313, 150), kBlack);

    At(2.0f); // scale 0.95 around the middle: x from 48.9, y from 112.1; alpha 0.5
    Draw();
    EXPECT_EQ(b.Pixel(47, 150), kBlack);
    EXPECT_NEAR(Green(b.Pixel(52, 150)), 128, 2);
    EXPECT_EQ(Red(b.Pixel(52, 150)), 0);
    EXPECT_EQ(b.Pixel(300, 111), kBlack);
    EXPECT_NEAR(Green(b.Pixel(300, 114)), 128, 2);

    At(4.5f); // whole, with the highlight at half over the lettering
    Draw();
    EXPECT_EQ(b.Pixel(35, 110), kBody);
    EXPECT_EQ(b.Pixel(590, 193), kBody);
    EXPECT_EQ(b.Pixel(34, 150), kBlack);
    EXPECT_EQ(b.Pixel(591, 150), kBlack);
    EXPECT_EQ(b.Pixel(300, 60), kBand); // the band covers the highlight
}

TEST_F(TitleTest, SignatureRevealsTheLettering) {
    Pictures({"logo_highlight"});
    // Four strokes of 10 x 10 along the band, and lines that are no strokes.
    b.Write("data/signature.txt", "0 0 10 10\nstroke\n100 0 10 10 trailing words\n200 0 10\n"
                                  "300 0 10 10\n40000 0 10 10\n400 0 10 10\n");
    TitleScreen& t = Make();
    ASSERT_EQ(t.GetSignature().size(), 4u);
    EXPECT_EQ(t.GetSignature()[1], aRect(100, 0, 10, 10));
    struct Case {
        float t;
        int strokes; // drawn: trunc(4 x (t - 1) / 3)
    };
    for (const Case c : {Case{1.0f, 0}, Case{1.5f, 0}, Case{1.75f, 1}, Case{2.5f, 2}, Case{3.9f, 3}}) {
        At(c.t);
        Draw();
        const int xs[4] = {0, 100, 300, 400};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(b.Pixel(35 + xs[i] + 5, 30), i < c.strokes ? kBand : kBlack)
                << "t " << c.t << " stroke " << i;
        EXPECT_EQ(b.Pixel(35 + 50, 30), kBlack); // between strokes
    }
    At(4.0f); // t - 1 = 3: the whole band
    Draw();
    EXPECT_EQ(b.Pixel(35 + 50, 30), kBand);
}

TEST_F(TitleTest, EmptyOrMissingSignatureShowsTheWholeBandAtOne) {
    Pictures({"logo_highlight"});
    for (bool empty : {false, true}) {
        if (empty)
            b.Write("data/signature.txt", "\n\nno strokes here\n");
        Make();
        EXPECT_TRUE(title->GetSignature().empty());
        At(1.0f);
        Draw();
        EXPECT_EQ(b.Pixel(300, 60), kBlack);
        At(1.01f);
        Draw();
        EXPECT_EQ(b.Pixel(300, 60), kBand);
        EXPECT_EQ(b.Pixel(35, 25), kBand);
        EXPECT_EQ(b.Pixel(590, 109), kBand);
    }
}

// A layer 300 pixels wide is drawn at double size every 599 pixels and jumps
// back by 600 once its offset passes 0.
TEST_F(TitleTest, CloudLayersTile) {
    content::Picture cloud(300, 10, 0xFFFFFFFFu);
    for (uint32_t y = 0; y < 10; ++y)
        cloud.at(0, y) = 0xFFFF00FFu; // a marked first column
    b.LoadGroup("title",
                {{"clouds_layer_1", cloud}, {"clouds_layer_3", content::Picture(4, 4, 0xFF0000FFu)}});
    b.Write("data/images/title/more.txt", "clouds_layer_2.png 8888 8888\n"); // a picture that is not there
    b.h.images->loadList(b.h.dir + "data/images/title/more.txt", "title");
    TitleScreen& t = Make();
    t.Update(1.0f); // layer 1 moves 1 pixel: 1 - 600
    EXPECT_EQ(t.GetCloudLayer(0).x, -599.0f);
    EXPECT_EQ(t.GetCloudLayer(1).x, 0.0f); // no picture: stands
    EXPECT_FLOAT_EQ(t.GetCloudLayer(2).x, 4.0f - 8.0f);
    b.h.graph->setLinearFilter(false);
    Draw();
    const int y = 135 + 5; // layer 1 lies at y 135
    EXPECT_EQ(b.Pixel(0, y), 0xFFFF00FFu);
    EXPECT_EQ(b.Pixel(1, y), 0xFFFF00FFu);
    EXPECT_EQ(b.Pixel(2, y), 0xFFFFFFFFu);
    EXPECT_EQ(b.Pixel(598, y), 0xFFFFFFFFu);
    EXPECT_EQ(b.Pixel(599, y), 0xFFFF00FFu);
    EXPECT_EQ(b.Pixel(1023, y), 0xFFFFFFFFu);
    EXPECT_EQ(b.Pixel(1023, 135 + 21), kBlack); // 20 pixels high
    t.Update(599.0f);                           // reaching 0 is not passing it
    EXPECT_EQ(t.GetCloudLayer(0).x, 0.0f);
    t.Update(0.5f);
    EXPECT_EQ(t.GetCloudLayer(0).x, -599.5f);
}

TEST_F(TitleTest, FlocksOfBirds) {
    Pictures();
    TitleScreen& t = Make();
    for (int flock = 0; flock < 20; ++flock) {
        const size_t before = t.GetBirds().size();
        t.SpawnFlock();
        const size_t count = t.GetBirds().size() - before;
        EXPECT_GE(count, 5u);
        EXPECT_LE(count, 19u);
        auto it = std::next(t.GetBirds().begin(), std::ptrdiff_t(before));
        const float direction = it->vx > 0 ? 1.0f : -1.0f;
        for (; it != t.GetBirds().end(); ++it) {
            EXPECT_GE(it->depth, 0.1f);
            EXPECT_LE(it->depth, 0.5f);
            // 70 pixels per second at depth 0.1 up to 100 at 0.5, upwards.
            const float speed = std::hypot(it->vx, it->vy);
            EXPECT_NEAR(speed, 70.0f + (it->depth - 0.1f) * 75.0f, 1e-3);
            EXPECT_LT(it->vy, 0.0f);
            EXPECT_EQ(it->vx > 0 ? 1.0f : -1.0f, direction);
            EXPECT_GE(it->y, 280.0f);
            EXPECT_LE(it->y, 320.0f);
            EXPECT_EQ(it->anim.getFrameCount(), 18);
            EXPECT_NEAR(it->anim.getFrameTime(), 1.0f / (15.0f + (it->depth - 0.1f) * 50.0f), 1e-6);
        }
    }
    // Every bird leaves the top of the screen and is forgotten; new flocks come.
    for (int i = 0; i < 400; ++i)
        t.Update(0.05f);
    for (const auto& bird : t.GetBirds())
        EXPECT_GT(bird.y, -32.0f * bird.depth);
    EXPECT_LT(t.GetBirds().size(), 60u);
}

TEST_F(TitleTest, BirdsAreBlackSilhouettes) {
    Pictures();
    b.LoadGroup("title", {{"sky", content::Picture(1024, 4, 0xFFFFFFFFu)}});
    TitleScreen& t = Make();
    a_srand(7);
    t.SpawnFlock();
    At(-0.5f); // no logo yet
    Draw();
    // Where a bird is, the white sky turns grey or black, never another colour;
    // the nearest birds (depth 0.5) are opaque black.
    int dark = 0;
    for (const auto& bird : t.GetBirds()) {
        const uint32_t px =
            b.Pixel(uint32_t(bird.x + 16.0f * bird.depth), uint32_t(bird.y + 16.0f * bird.depth));
        EXPECT_EQ(Red(px), Green(px));
        EXPECT_EQ(Green(px), Blue(px));
        const int alpha = int(((bird.depth - 0.1f) / 0.4f * 0.9f + 0.1f) * 255.0f + 0.5f);
        EXPECT_LE(Red(px), 255 - alpha + 1);
        dark += Red(px) < 255;
    }
    EXPECT_EQ(dark, int(t.GetBirds().size()));
}

TEST_F(TitleTest, VideoAtTheBottomAndTheSkyAboveIt) {
    Pictures();
    b.LoadGroup("title", {{"sky", content::Picture(1024, 4, 0xFFFF0000u)}});
    b.WavesVideo(64, 32);
    TitleScreen& t = Make();
    t.Update(0.04f);
    Draw();
    EXPECT_EQ(b.Pixel(10, 735), 0xFFFF0000u); // the sky stops 32 pixels above the bottom
    EXPECT_NE(b.Pixel(10, 737), 0xFFFF0000u);
    EXPECT_NE(b.Pixel(10, 737), kBlack);  // the video's first frame
    EXPECT_EQ(b.Pixel(100, 740), kBlack); // the video is 64 wide

    b.Remove("data/video/waves.ogg");
    LogCapture log;
    TitleScreen without(b.h.images.get());
    without.Update(0.04f);
    b.DrawFrame([&] { without.Draw(); });
    EXPECT_EQ(b.Pixel(10, 767), 0xFFFF0000u); // no video: the sky reaches the bottom
}

} // namespace
