// Story scenes: pages counted from their files, the buttons of each page, the
// cross-fade as drawn, turning forward and back, skipping and finishing, the
// story music and the music that comes back after it.

#include "game/screens/scene_player.h"

#include "support/screen_bench.h"

#include "mirel/gui/gui_staticimage.h"
#include "mirel/platform/audio/a_audio.h"
#include "mirel/platform/audio/a_audiooutput.h"
#include "mirel/sound/a_music.h"
#include "soundgen.h"

using namespace screentest;

namespace {

constexpr float kDt = 0.125f; // exact in binary
const uint32_t kPageColors[3] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};

const char* const kLayout = R"(widget story_scene
{
 AreaRect 0 0 1024 768
 Visible 0
 staticimage picture
 {
  AreaRect 0 0 1024 700
  FadeInTime 0.5
  FadeOutTime 0.5
 }
 imagebutton prev
 {
  AreaRect 10 710 40 40
  Image btn
  Tag -1
 }
 imagebutton next
 {
  AreaRect 60 710 40 40
  Image btn
  Tag 1
 }
 imagebutton skip
 {
  AreaRect 110 710 40 40
  Image btn
 }
 imagebutton finish
 {
  AreaRect 160 710 40 40
  Image btn
 }
}
)";

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        aManualAudioOutput::install();
        soundgen::Tone tone;
        tone.seconds = 0.5;
        for (const char* name : {"storyline.ogg", "menu_theme.ogg"}) {
            std::vector<unsigned char> bytes;
            ASSERT_TRUE(soundgen::encode(tone, soundgen::Format::Ogg, bytes));
            b.Write(std::string("data/music/") + name, content::Bytes(bytes.begin(), bytes.end()));
        }
        music.setMusicDir("data:music/");
        ASSERT_TRUE(music.addTrack("menu_theme.ogg", 1.0f));
        b.h.AddImage("btn", content::Picture(40, 40, 0xFF808080u));
        settings.musicVolume = 0.25f;
    }
    void TearDown() override {
        player.reset();
        FSOUND_Close();
        a_setAudioOutputFactory(nullptr);
    }
    void Pages(const std::string& scene, int count) {
        for (int i = 0; i < count; ++i)
            b.Write("data/scenes/" + scene + "_p" + std::to_string(i + 1) + ".jpg",
                    content::writeJpeg(content::Picture(64, 48, kPageColors[i % 3])));
    }
    ScenePlayer& Make(const std::string& layout = kLayout) {
        b.h.LoadScript(layout);
        player = std::make_unique<ScenePlayer>(music, settings);
        player->InitGui(*b.h.server);
        return *player;
    }
    // One frame: input, GUI, the scene player, the music, drawing.
    void Step() {
        b.h.Frame(kDt, false);
        player->Update(kDt);
        music.update(kDt);
        b.h.Render();
    }
    // Three frames: the pointer comes over the button, presses, releases.
    void Click(const std::string& button) {
        GUI::Widget* w = b.h.Find(button);
        ASSERT_NE(w, nullptr);
        b.h.SetCursor(w->GetAbsoluteX() + 5, w->GetAbsoluteY() + 5);
        Step();
        b.h.SetButton(0, true);
        Step();
        b.h.SetButton(0, false);
        Step();
        b.h.SetCursor(900, 750);
    }
    bool Shown(const std::string& name) const { return b.h.Find(name)->IsVisible(); }
    std::string Buttons() const {
        std::string s;
        for (const char* name : {"prev", "next", "skip", "finish"}) {
            if (Shown(name))
                s += std::string(s.empty() ? "" : " ") + name;
        }
        return s;
    }
    // Steps until the picture is fully faded in (at most 3 s).
    void Settle() {
        for (int i = 0; i < 24 && !(player->GetShownPage() == player->GetTargetPage() &&
                                    player->GetPictureAlpha() == 1.0f);
             ++i)
            Step();
    }
    int Track(const std::string& name) const { return music.findTrack(name); }

    ScreenBench b;
    aMusicPlayer music;
    ProfileRecord settings;
    std::unique_ptr<ScenePlayer> player;
};

TEST_F(SceneTest, PageFilesAndButtons) {
    EXPECT_EQ(ScenePlayer::PagePath("arrival", 0), "data:scenes/arrival_p1.jpg");
    Pages("one", 1);
    Pages("three", 3);
    b.Write("data/scenes/three_p5.jpg", "a gap ends the count");
    struct Case {
        std::string scene;
        bool allowSkip;
        std::vector<std::string> buttons; // per page
    };
    const Case cases[] = {
        {"one", true, {"finish"}},
        {"one", false, {"finish"}},
        {"three", true, {"next skip", "prev next skip", "prev finish"}},
        {"three", false, {"next", "prev next", "prev finish"}},
    };
    ScenePlayer& p = Make();
    for (const Case& c : cases) {
        p.PlayScene(c.scene, c.allowSkip);
        ASSERT_TRUE(p.IsPlaying());
        EXPECT_EQ(p.GetPageCount(), int32_t(c.buttons.size()));
        EXPECT_TRUE(Shown("story_scene"));
        for (size_t page = 0; page < c.buttons.size(); ++page) {
            Settle();
            EXPECT_EQ(p.GetShownPage(), int32_t(page));
            EXPECT_EQ(Buttons(), c.buttons[page]) << c.scene << " page " << page;
            if (page + 1 < c.buttons.size())
                Click("next");
        }
        Click("finish");
        Settle();
        EXPECT_FALSE(p.IsPlaying());
        EXPECT_FALSE(Shown("story_scene"));
    }
}

// The picture fades in and out over 0.5 s each, as drawn; clicks while it is
// not fully shown are ignored, so two quick clicks turn one page.
TEST_F(SceneTest, CrossFadesForwardAndBack) {
    Pages("hall", 3);
    ScenePlayer& p = Make();
    p.PlayScene("hall", true);
    EXPECT_EQ(p.GetShownPage(), -1);
    Step(); // the fade out from alpha 0 ends at once: page 0 is loaded
    EXPECT_EQ(p.GetShownPage(), 0);
    EXPECT_EQ(p.GetPictureAlpha(), 0.0f);
    Click("next"); // comes at alpha 0.5: ignored
    EXPECT_EQ(p.GetTargetPage(), 0);
    EXPECT_FLOAT_EQ(p.GetPictureAlpha(), 0.75f);
    EXPECT_NEAR(Red(b.Pixel(500, 300)), 191, 6);
    EXPECT_LT(Green(b.Pixel(500, 300)), 8);
    Step();
    EXPECT_FLOAT_EQ(p.GetPictureAlpha(), 1.0f);
    EXPECT_GT(Red(b.Pixel(500, 300)), 245);

    Click("next");
    EXPECT_EQ(p.GetTargetPage(), 1);
    EXPECT_FLOAT_EQ(p.GetPictureAlpha(), 0.75f); // fading out
    EXPECT_NEAR(Red(b.Pixel(500, 300)), 191, 6);
    Click("next"); // during the fade out: ignored
    EXPECT_EQ(p.GetTargetPage(), 1);
    EXPECT_EQ(p.GetShownPage(), 1);
    Settle();
    EXPECT_EQ(p.GetShownPage(), 1);
    EXPECT_GT(Green(b.Pixel(500, 300)), 245);
    EXPECT_LT(Red(b.Pixel(500, 300)), 8);

    Click("prev");
    Settle();
    EXPECT_EQ(p.GetShownPage(), 0);
    EXPECT_GT(Red(b.Pixel(500, 300)), 245);
}

TEST_F(SceneTest, StoryMusicAndTheMusicBefore) {
    Pages("lamp", 2);
    ScenePlayer& p = Make();
    ASSERT_GE(Track("storyline.ogg"), 0); // registered by InitGui
    EXPECT_EQ(music.getTrackVolume(Track("storyline.ogg")), 1.0f);
    music.playMusic("menu_theme.ogg", 0.5f, false, false);

    p.PlayScene("lamp", true);
    EXPECT_EQ(p.GetPreviousMusic(), "menu_theme.ogg");
    EXPECT_EQ(music.getCurrentTrack(), "storyline.ogg");
    EXPECT_EQ(music.getTrackVolume(Track("storyline.ogg")), 0.25f); // the settings' music volume
    Settle();
    Click("skip");
    EXPECT_EQ(p.GetTargetPage(), -1);
    EXPECT_EQ(music.getCurrentTrack(), ""); // stopping with a fade
    EXPECT_EQ(music.getState(Track("storyline.ogg")), aMusicPlayer::FadingToStop);
    Settle();
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_FALSE(Shown("story_scene"));
    EXPECT_EQ(music.getCurrentTrack(), "menu_theme.ogg");

    // Finished on the last page: the same.
    p.PlayScene("lamp", false);
    Settle();
    Click("next");
    Settle();
    Click("finish");
    Settle();
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_EQ(music.getCurrentTrack(), "menu_theme.ogg");
}

TEST_F(SceneTest, ASceneReplacedWhilePlayingKeepsTheMusicFromBefore) {
    Pages("watch", 1);
    Pages("voice", 1);
    ScenePlayer& p = Make();
    music.playMusic("menu_theme.ogg", 0.5f, false, false);
    p.PlayScene("watch", true);
    p.PlayScene("voice", true);
    EXPECT_EQ(p.GetSceneName(), "voice");
    Settle();
    Click("finish");
    Settle();
    EXPECT_EQ(music.getCurrentTrack(), "menu_theme.ogg");
}

TEST_F(SceneTest, SceneWithoutPages) {
    ScenePlayer& p = Make();
    music.playMusic("menu_theme.ogg", 0.5f, false, false);
    LogCapture log;
    p.PlayScene("nowhere", true);
    EXPECT_TRUE(log.has("ScenePlayer::PlayScene - scene 'nowhere' has 0 pages!"));
    EXPECT_FALSE(p.IsPlaying());
    EXPECT_FALSE(Shown("story_scene"));
    EXPECT_EQ(music.getCurrentTrack(), "menu_theme.ogg");
    Step();
    EXPECT_FALSE(p.IsPlaying());
}

// A step beyond the pages stops at the last; a layout without the window
// logs and plays nothing visible, but the scene still runs to its end.
TEST_F(SceneTest, OddLayouts) {
    Pages("final", 2);
    std::string layout = kLayout;
    layout.replace(layout.find("Tag 1"), 5, "Tag 5");
    ScenePlayer& p = Make(layout);
    p.PlayScene("final", true);
    Settle();
    Click("next");
    Settle();
    EXPECT_EQ(p.GetShownPage(), 1);
    EXPECT_EQ(Buttons(), "prev finish");

    b.h.Root()->RemoveAllChildren();
    LogCapture log;
    player = std::make_unique<ScenePlayer>(music, settings);
    player->InitGui(*b.h.server);
    EXPECT_TRUE(log.has("ScenePlayer::InitGui - widget 'story_scene' not found"));
    player->PlayScene("final", true);
    EXPECT_TRUE(player->IsPlaying());
    Step();
    Step();
    EXPECT_EQ(player->GetShownPage(), 0);
}

} // namespace
