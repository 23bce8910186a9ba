#include "app_test_support.h"

#include "game/scenes/card_room.h"
#include "game/scenes/evidence_room.h"
#include "mirel/gui/gui_slider.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/platform/system/a_openurl.h"
#include "mirel/sound/a_sound.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

using namespace gametest;

namespace {

class DialogsTest : public GameTest {
protected:
    float SoundVolume() { return Game().GetSoundManager()->getSound("room_clear")->getMasterVolume(); }
    float MusicVolume() {
        aMusicPlayer& music = Game().GetMusicPlayer();
        return music.getTrackVolume(music.findTrack("menu_theme.ogg"));
    }
    // Drags the slider's thumb by dx pixels.
    void DragThumb(const std::string& slider, int32_t dx) {
        GUI::Widget* thumb = harness->Find(slider + "_auto_thumb");
        ASSERT_NE(thumb, nullptr);
        const int32_t x = thumb->GetAbsoluteX() + thumb->GetWidth() / 2;
        const int32_t y = thumb->GetAbsoluteY() + thumb->GetHeight() / 2;
        harness->Drag(x, y, x + dx, y);
    }
    // A new game in chapter 2 (one room, the notebook open), its greeting closed.
    void StartChapterTwo() {
        data->WriteLevel(2, 600, 3, 2, {"harbour"});
        StartGame();
        g_currentSettings.level = 2;
        g_levelCount = 2;
        Game().LoadLevel(true, false, std::string());
        harness->Step();
        CloseBox();
        harness->Step();
    }
    float Position(const std::string& slider) {
        return static_cast<GUI::Slider*>(harness->Find(slider))->m_position;
    }
    // The visible help page and next-page button, by index (-1: none).
    int VisibleChild(const std::string& parent) {
        GUI::Widget* w = harness->Find(parent);
        int shown = -1;
        for (size_t i = 0; i < w->GetChildCount(); ++i) {
            if (w->GetChildren()[i]->IsVisible(true)) {
                EXPECT_EQ(shown, -1) << "two visible in " << parent;
                shown = int(i);
            }
        }
        return shown;
    }
};

} // namespace

TEST_F(DialogsTest, OptionsApplyKeepsTheNewVolumesAndCancelRestoresTheOldOnes) {
    BeginWithProfile();
    ASSERT_TRUE(harness->Click("btn_options"));
    ASSERT_TRUE(harness->Visible("options"));
    EXPECT_FLOAT_EQ(Position("sound_vol"), 0.75f);
    EXPECT_FLOAT_EQ(Position("music_vol"), 0.5f);
    EXPECT_TRUE(harness->Find("fullscreen_auto_check")->IsVisible(true));
    EXPECT_TRUE(harness->Find("show_tips_auto_check")->IsVisible(true));

    // Moving the sliders previews the volumes; cancel undoes them.
    DragThumb("sound_vol", -140);
    DragThumb("music_vol", 100);
    EXPECT_LT(Position("sound_vol"), 0.5f);
    EXPECT_NEAR(SoundVolume(), Position("sound_vol"), 1e-6f);
    EXPECT_NEAR(MusicVolume(), Position("music_vol"), 1e-6f);
    ASSERT_TRUE(harness->Click("show_tips"));
    EXPECT_FALSE(harness->Find("show_tips_auto_check")->IsVisible(true));
    ASSERT_TRUE(harness->Click("btn_cancel"));
    EXPECT_FALSE(harness->Visible("options"));
    EXPECT_FLOAT_EQ(SoundVolume(), 0.75f);
    EXPECT_FLOAT_EQ(MusicVolume(), 0.5f);
    EXPECT_EQ(g_currentSettings.showTips, 1);

    // Again, and apply: the settings take the new values and are saved.
    ASSERT_TRUE(harness->Click("btn_options"));
    EXPECT_FLOAT_EQ(Position("sound_vol"), 0.75f) << "the dialog shows the settings again";
    DragThumb("sound_vol", -140);
    const float chosen = Position("sound_vol");
    ASSERT_TRUE(harness->Click("show_tips"));
    ASSERT_TRUE(harness->Click("btn_apply"));
    EXPECT_FLOAT_EQ(g_currentSettings.soundVolume, chosen);
    EXPECT_FLOAT_EQ(SoundVolume(), chosen);
    EXPECT_EQ(g_currentSettings.showTips, 0);
    RecordProbe profiles("<profiles>");
    profiles.bytes = ReadRecord(harness->UserDir() + "en_profiles.dat", "<profiles>");
    ASSERT_GE(profiles.bytes.size(), 9u);
    float saved = 0.0f;
    const uint32_t bits = profiles.U32(5); // after "Mara" and its 0 byte
    std::memcpy(&saved, &bits, sizeof saved);
    EXPECT_FLOAT_EQ(saved, chosen);
}

TEST_F(DialogsTest, HelpPagesDependOnTheLevelAndTheRoom) {
    BeginWithProfile();
    // On the title (and in level 1): pages 0 and 2.
    ASSERT_TRUE(harness->Click("btn_help"));
    EXPECT_EQ(Game().GetHelpPages(), (std::vector<uint32_t>{0, 2}));
    EXPECT_EQ(VisibleChild("pages"), 0);
    EXPECT_EQ(VisibleChild("buttons"), 2);
    ASSERT_TRUE(harness->Click("help_next2"));
    EXPECT_EQ(VisibleChild("pages"), 2);
    EXPECT_EQ(VisibleChild("buttons"), 0);
    EXPECT_TRUE(Game().IsPopupActive());
    ASSERT_TRUE(harness->Click("ok"));
    EXPECT_FALSE(harness->Visible("gamehelp"));
    EXPECT_FALSE(Game().IsPopupActive());

    // From level 2 on, in the evidence room: page 1 as well, opened on it.
    StartChapterTwo();
    CloseTip(); // the evidence room's introduction
    ASSERT_TRUE(harness->Click("btn_evidroom"));
    ASSERT_EQ(Game().GetCurrentRoom(), Game().GetEvidenceRoom());
    // The first visit opens the help itself, over the empty notebook's message.
    EXPECT_TRUE(harness->Visible("gamehelp"));
    harness->Click("ok");
    harness->Step();
    CloseBox();
    harness->Step();
    Game().ShowGameHelp();
    EXPECT_EQ(Game().GetHelpPages(), (std::vector<uint32_t>{0, 2, 1}));
    EXPECT_EQ(VisibleChild("pages"), 1);
    EXPECT_EQ(VisibleChild("buttons"), 0);
    harness->Click("ok");
    // In the clue-card room it opens on the second entry, page 2.
    ASSERT_TRUE(harness->Click("btn_cardroom"));
    // The rooms' own notes ("no cards yet" and the like) are closed first:
    // a box over the menu would take the click meant for its help button.
    for (int i = 0; i < 5 && CloseBox(); ++i) {
    }
    ASSERT_TRUE(harness->Click("btn_menu"));
    ASSERT_TRUE(harness->Click("help"));
    EXPECT_EQ(VisibleChild("pages"), 2);
    EXPECT_EQ(VisibleChild("buttons"), 1);
}

// A note a room put up closes when the player leaves the room for another
// (the notebook's comment does not stay over the clue cards); a box that
// leads on somewhere when it is closed stays.
TEST_F(DialogsTest, ARoomsNotesCloseWhenThePlayerLeavesIt) {
    BeginWithProfile();
    StartChapterTwo();
    CloseTip();
    ASSERT_TRUE(harness->Click("btn_evidroom"));
    ASSERT_EQ(Game().GetCurrentRoom(), Game().GetEvidenceRoom());
    harness->Click("ok");
    harness->Step();
    for (int i = 0; i < 5 && CloseBox(); ++i) {
    }
    // A comment of the notebook on show, then the clue cards.
    ASSERT_TRUE(Game().ShowMessageBoxText("msgbox_comment", GameApp::ACTION_NONE, u"Crane's own books.",
                                          nullptr, nullptr));
    harness->Step();
    ASSERT_TRUE(harness->Visible("msgbox_comment"));
    ASSERT_TRUE(harness->Click("btn_cardroom"));
    harness->Step();
    ASSERT_EQ(Game().GetCurrentRoom(), Game().GetCardRoom());
    EXPECT_FALSE(harness->Visible("msgbox_comment"));
    EXPECT_EQ(FrontBox(), "msgbox_text") << "the clue-card room's own note";
    EXPECT_EQ(Game().GetMessageBoxes().size(), 1u);
    // Its note goes too on the way back to the map.
    ASSERT_TRUE(harness->Click("btn_map"));
    harness->Step();
    EXPECT_TRUE(Game().GetMessageBoxes().empty());
    EXPECT_FALSE(harness->Visible("msgbox_text"));

    // A room's "all found" leads on when it is closed: it stays.
    EnterRoom("harbour");
    ASSERT_TRUE(
        Game().ShowMessageBox("msgbox_roomclear", GameApp::ACTION_ROOM_COMPLETED, "", nullptr, nullptr));
    ASSERT_TRUE(harness->Click("btn_cardroom"));
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_roomclear");
}

TEST_F(DialogsTest, TheQueueShowsOneBoxAtATimeAndRunsTheLastActionOnce) {
    NewGameOnMap();
    EnterRoom("harbour");
    GameApp& game = Game();
    // Two room-complete boxes: both queued, only the last action runs, once.
    ASSERT_TRUE(
        game.ShowMessageBox("msgbox_roomclear", GameApp::ACTION_ROOM_COMPLETED, "", nullptr, nullptr));
    ASSERT_TRUE(game.ShowMessageBox("msgbox_text", GameApp::ACTION_ROOM_COMPLETED, "card_room_empty", nullptr,
                                    nullptr));
    EXPECT_EQ(game.GetMessageBoxes().size(), 2u);
    EXPECT_TRUE(harness->Visible("msgbox_roomclear"));
    EXPECT_FALSE(harness->Visible("msgbox_text"));
    ASSERT_TRUE(CloseBox());
    EXPECT_EQ(FrontBox(), "msgbox_text");
    EXPECT_EQ(game.GetMode(), GameApp::MODE_ROOM) << "no action before the queue is empty";
    ASSERT_TRUE(CloseBox());
    EXPECT_EQ(game.GetMode(), GameApp::MODE_MAP);

    // A time-over box is accepted behind another and its action wins; from
    // then on further boxes are refused.
    EnterRoom("harbour");
    ASSERT_TRUE(
        game.ShowMessageBox("msgbox_text", GameApp::ACTION_NONE, "card_room_empty", nullptr, nullptr));
    ASSERT_TRUE(
        game.ShowMessageBoxText("msgbox_timeover", GameApp::ACTION_RESTART_LEVEL, u"", nullptr, nullptr));
    EXPECT_EQ(game.GetMessageBoxAction(), uint32_t(GameApp::ACTION_RESTART_LEVEL));
    EXPECT_FALSE(
        game.ShowMessageBox("msgbox_roomclear", GameApp::ACTION_ROOM_COMPLETED, "", nullptr, nullptr));
    EXPECT_EQ(game.GetMessageBoxes().size(), 2u);
    CloseBox();
    CloseBox();
    EXPECT_EQ(g_currentSettings.timeOverCount, 1u);

    // A box the layout lacks, or a widget that is no picture, is refused.
    EXPECT_FALSE(game.ShowMessageBox("msgbox_nowhere", GameApp::ACTION_NONE, "", nullptr, nullptr));
    EXPECT_TRUE(harness->Log().has("ERROR! Message box 'msgbox_nowhere' not found or must be StaticImage"));
    EXPECT_FALSE(game.ShowMessageBox("user_name", GameApp::ACTION_NONE, "", nullptr, nullptr));
    EXPECT_TRUE(game.GetMessageBoxes().empty());
}

TEST_F(DialogsTest, ABoxLaysOutItsPictureTextAndBottom) {
    NewGameOnMap();
    auto* box = static_cast<GUI::StaticImage*>(harness->Find("msgbox_clue"));
    GUI::Widget* image = box->FindChild("image");
    auto* text = static_cast<GUI::StaticText*>(box->FindChild("text"));
    GUI::Widget* bottom = box->FindChild("bottom");
    aImage picture;
    picture.createEmpty(80, 40);

    struct Case {
        int32_t step; // the bottom's Tag
    } cases[] = {{8}, {0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        bottom->BeginFillProperties();
        bottom->Set("Tag", std::to_string(c.step));
        bottom->EndFillProperties();
        ASSERT_TRUE(
            Game().ShowMessageBoxText("msgbox_clue", GameApp::ACTION_NONE, u"A clue!", &picture, nullptr));
        EXPECT_EQ(image->GetAreaRect(), aRect(110, 20, 80, 40)) << "centred, sized to the picture";
        EXPECT_EQ(text->GetAreaRect().y, 20 + 40 + 6) << "below the picture by the text's Tag";
        EXPECT_EQ(text->GetText(), u"A clue!");
        const int32_t c0 = text->GetAreaRect().y + int32_t(text->GetTextHeight());
        const uint32_t rest = c.step == 0 ? 0u : uint32_t(500 - 60 - c0) % uint32_t(c.step);
        const int32_t bottomY = c0 + int32_t(rest);
        EXPECT_EQ(bottom->GetAreaRect().y, bottomY);
        EXPECT_EQ(box->GetHeight(), bottomY + 30);
        EXPECT_EQ(box->GetImageRect(), aRect(0, 0, 300, int16_t(bottomY + 30)));
        EXPECT_EQ(box->GetAreaRect().y, -((bottomY + 60) / 2));
        EXPECT_TRUE(box->IsVisible(true));
        CloseBox();
    }
}

TEST_F(DialogsTest, TheSurveyOpensOnlyWebAddressesWithoutAShell) {
    // A stand-in for the desktop's opener records what it was given.
    const std::string bin = root + "bin/";
    std::filesystem::create_directories(bin);
    WriteText(bin + a_webOpenerProgram(), "#!/bin/sh\nprintf '%s' \"$1\" > \"" + root + "opened.txt\"\n");
    std::filesystem::permissions(bin + a_webOpenerProgram(), std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin + ":" + path).c_str(), 1);

    const std::string url =
        "https://example.org/survey?a=1&b=$(touch " + root + "pwned)`touch " + root + "pwned`";
    data->WriteShell();
    data->WriteSettings("en", url);
    Begin(false);
    harness->TypeText("Mara");
    harness->Click("btn_ok");
    ASSERT_TRUE(harness->Click("survey"));
    for (int i = 0; i < 200 && !std::filesystem::exists(root + "opened.txt"); ++i)
        usleep(10000);
    setenv("PATH", path.c_str(), 1);
    usleep(50000);
    const Bytes opened = ReadBytes(root + "opened.txt");
    EXPECT_EQ(std::string(opened.begin(), opened.end()), url);
    EXPECT_FALSE(std::filesystem::exists(root + "pwned"));

    struct Case {
        const char* url;
        bool web;
    } cases[] = {{"https://example.org/", true}, {"HTTP://example.org", true},   {"http://", false},
                 {"file:///etc/passwd", false},  {"javascript:alert(1)", false}, {"", false},
                 {"-https://x", false},          {"https://a\nb", false}};
    for (const Case& c : cases)
        EXPECT_EQ(a_isWebAddress(c.url), c.web) << c.url;
    EXPECT_FALSE(a_openWebPage("file:///etc/passwd"));
}

TEST_F(DialogsTest, ASurveyAddressThatIsNoWebPageIsRefusedWithALogLine) {
    data->WriteShell();
    data->WriteSettings("en", "file:///etc/passwd");
    Begin(false);
    harness->TypeText("Mara");
    harness->Click("btn_ok");
    ASSERT_TRUE(harness->Click("survey"));
    EXPECT_TRUE(harness->Log().has("GameApp::OnSurvey - survey address 'file:///etc/passwd' is not an "
                                   "http:// or https:// address, not opened"));
}

TEST(CardFlip, ScalesTheWidthAndTellsWhichSideFaces) {
    constexpr float kPi = 3.14159265f;
    struct Case {
        float angle;
        float width;
        bool back;
    } cases[] = {{0.0f, 100.0f, false},          {kPi / 4, 50.0f, false},
                 {3 * kPi / 4, 50.0f, true},     {5 * kPi / 4, 50.0f, true},
                 {7 * kPi / 4, 50.0f, false},    {2 * kPi + kPi / 4, 50.0f, false},
                 {kPi / 2 + 0.0001f, 0.0f, true}};
    for (const Case& c : cases) {
        float width = 100.0f;
        EXPECT_EQ(CardFlipScale(width, c.angle), c.back) << c.angle;
        EXPECT_NEAR(width, c.width, 0.02f) << c.angle;
    }
}
