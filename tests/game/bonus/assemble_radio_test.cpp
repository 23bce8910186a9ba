// The radio played with the mouse through the harness: its layers and parts
// from the layout, the glow, picking up and dropping (in place, 21 px off,
// the part that is not needed), the cover, and the voice with its subtitles.

#include "bonus_test_support.h"

#include "mirel/gui/gui_statictext.h"

using namespace gametest;

namespace {

class AssembleRadioTest : public BonusTest {
protected:
    void Enter(const std::string& section = kRadioSection) {
        EnterBonusRoom(section);
        radio = Puzzle<AssembleRadio>();
        ASSERT_NE(radio, nullptr);
    }
    const AssembleRadio::Layer& L(const std::string& name) {
        return radio->GetLayers()[size_t(radio->FindLayer(name))];
    }
    const AssembleRadio::Part& PartOf(const std::string& looseName) {
        const int32_t loose = radio->FindLayer(looseName);
        for (const AssembleRadio::Part& part : radio->GetParts())
            if (part.loose == loose)
                return part;
        static AssembleRadio::Part none;
        return none;
    }
    // Picks the part up by its middle as it lies.
    void PickUp(const std::string& looseName) {
        const AssembleRadio::Layer& loose = L(looseName);
        harness->ClickAt(loose.x + 20, loose.y + 30);
    }
    // With a 40 x 60 part held: drops it so that its top-left is (x, y).
    void DropAt(int32_t x, int32_t y) { harness->ClickAt(x + 20, y + 30); }
    // Screen place of a layer given in the layout's play-area coordinates.
    static int32_t X(int32_t layoutX) { return 179 + layoutX; }

    AssembleRadio* radio = nullptr;
};

} // namespace

TEST_F(AssembleRadioTest, ReadsLayersAndPartsFromTheLayout) {
    Enter();
    ASSERT_EQ(radio->GetLayers().size(), 16u);
    EXPECT_EQ(L("#valve-o").x, X(50));
    EXPECT_EQ(L("#valve-o").y, 500);
    // Roles: the glow shows at alpha 0, the part as it lies at 1, the rest hidden.
    struct Role {
        const char* name;
        bool visible;
        float alpha;
    };
    const Role roles[] = {{"#valve-g", true, 0.0f},  {"#valve-o", true, 1.0f},  {"#valve-m", false, 1.0f},
                          {"#valve-h", false, 1.0f}, {"#valve-i", false, 1.0f}, {"cover", false, 0.0f}};
    for (const Role& r : roles) {
        EXPECT_EQ(L(r.name).visible, r.visible) << r.name;
        EXPECT_FLOAT_EQ(L(r.name).alpha, r.alpha) << r.name;
    }
    ASSERT_EQ(radio->GetParts().size(), 3u);
    const AssembleRadio::Part& valve = PartOf("#valve-o");
    EXPECT_TRUE(valve.required);
    EXPECT_EQ(valve.installed, radio->FindLayer("#valve-i"));
    EXPECT_EQ(valve.held, radio->FindLayer("#valve-h"));
    EXPECT_EQ(valve.mask, radio->FindLayer("#valve-m"));
    EXPECT_EQ(valve.glow, radio->FindLayer("#valve-g"));
    EXPECT_FALSE(PartOf("#spanner_o").required) << "a name ending in _o is not needed";
    EXPECT_EQ(radio->GetCover(), radio->FindLayer("cover"));
    EXPECT_EQ(radio->GetSubtitles().GetCues().size(), 2u);
    EXPECT_EQ(radio->GetFinishSound(), Sound("radio_voice")) << "the finish sound is the voice";
    harness->Log().clear();
    EXPECT_EQ(radio->FindLayer("aerial"), -1);
    EXPECT_TRUE(harness->Log().has("AssembleRadio::FindLayer - layer 'aerial' not found"));
}

TEST_F(AssembleRadioTest, SolvedWithTheMouse) {
    Enter();
    // The valve: picked up, held under the cursor, dropped 20 px off its place: in.
    PickUp("#valve-o");
    EXPECT_EQ(radio->GetDragged(), 0);
    EXPECT_TRUE(Playing("radio_select"));
    EXPECT_FALSE(L("#valve-o").visible);
    EXPECT_FALSE(L("#valve-g").visible);
    EXPECT_TRUE(L("#valve-h").visible);
    harness->MoveTo(600, 400);
    harness->Step();
    EXPECT_EQ(PartOf("#valve-o").dragX, 580);
    EXPECT_EQ(PartOf("#valve-o").dragY, 370);
    // (The cursor's own picture covers the point itself.)
    EXPECT_EQ(At(590, 420), kValveColour) << "the held part is drawn under the cursor";
    EXPECT_EQ(At(X(70), 530), kRadioBackground) << "and no longer where it lay";
    DropAt(X(400) + 20, 200 - 20);
    EXPECT_TRUE(PartOf("#valve-o").placed);
    EXPECT_TRUE(Playing("radio_lock"));
    EXPECT_TRUE(L("#valve-i").visible);
    EXPECT_FALSE(L("#valve-h").visible);
    EXPECT_EQ(radio->GetDragged(), -1);
    harness->Step();
    EXPECT_EQ(At(X(420), 230), kValveInColour);

    // The coil 21 px off goes back to where it lay.
    PickUp("#coil-o");
    DropAt(X(500) + 21, 200);
    EXPECT_FALSE(PartOf("#coil-o").placed);
    EXPECT_TRUE(Playing("radio_placeback"));
    EXPECT_TRUE(L("#coil-o").visible);
    EXPECT_TRUE(L("#coil-g").visible);
    EXPECT_FLOAT_EQ(L("#coil-g").alpha, 0.0f);
    EXPECT_FALSE(L("#coil-i").visible);

    // The spanner is not needed: dropped exactly on its place, it goes back.
    PickUp("#spanner_o");
    DropAt(X(450), 200);
    EXPECT_FALSE(PartOf("#spanner_o").placed);
    EXPECT_TRUE(L("#spanner_o").visible);
    EXPECT_FALSE(radio->IsCoverPhase());

    PickUp("#coil-o");
    DropAt(X(500) - 20, 200 + 20);
    EXPECT_TRUE(PartOf("#coil-o").placed);
    // Every needed part is in: the loose parts go, the cover fades in over 0.5 s.
    EXPECT_TRUE(radio->IsCoverPhase());
    EXPECT_FALSE(L("#spanner_o").visible);
    EXPECT_FALSE(L("#spanner_g").visible);
    EXPECT_TRUE(L("cover").visible);
    EXPECT_FALSE(radio->IsCompleted());
    // (The drop's release frame was the first of the phase.)
    harness->Steps(4);
    EXPECT_NEAR(L("cover").alpha, 0.5f, 1e-4f);
    EXPECT_FALSE(radio->IsCompleted());
    harness->Steps(6);
    EXPECT_TRUE(radio->IsCompleted());
    EXPECT_FLOAT_EQ(L("cover").alpha, 1.0f);
    harness->Step();
    EXPECT_EQ(FrontBox(), "msgbox_completed");
    EXPECT_TRUE(Playing("radio_completed"));
    ASSERT_TRUE(CloseBox());
    EXPECT_EQ(At(X(450), 250), kCoverColour);
}

TEST_F(AssembleRadioTest, AHoveredPartGlowsInAThirdOfASecond) {
    Enter();
    harness->MoveTo(X(70), 530);
    harness->Step(0.15f);
    EXPECT_NEAR(L("#valve-g").alpha, 0.5f, 1e-4f);
    harness->Step(0.15f);
    harness->Step(0.15f);
    EXPECT_FLOAT_EQ(L("#valve-g").alpha, 1.0f);
    EXPECT_FLOAT_EQ(L("#coil-g").alpha, 0.0f);
    // The glow picture shows around the part at its alpha.
    EXPECT_EQ(At(X(45), 495), kGlowColour);
    harness->MoveTo(1000, 10);
    harness->Step(0.15f);
    EXPECT_NEAR(L("#valve-g").alpha, 0.5f, 1e-4f);
    harness->Step(0.15f);
    EXPECT_FLOAT_EQ(L("#valve-g").alpha, 0.0f);
    EXPECT_EQ(At(X(45), 495), kRadioBackground);
}

TEST_F(AssembleRadioTest, TheSubtitlesFollowTheVoice) {
    Enter();
    radio->Solve();
    for (int i = 0; i < 20 && !radio->IsCompleted(); ++i)
        harness->Step();
    ASSERT_TRUE(radio->IsCompleted());
    harness->Step();
    // The completion message is up: the voice waits, and so do its subtitles.
    ASSERT_EQ(FrontBox(), "msgbox_completed");
    harness->RunFor(2.0f);
    EXPECT_FALSE(Playing("radio_voice"));
    EXPECT_FALSE(radio->IsVoiceStarted());
    EXPECT_DOUBLE_EQ(radio->GetSubtitles().GetTime(), 0.0);
    ASSERT_TRUE(CloseBox());
    harness->Step();
    // The finish button came with the voice, which stopped the music.
    EXPECT_TRUE(harness->Visible("finalize_bonus_round"));
    EXPECT_TRUE(Playing("radio_voice"));
    EXPECT_FALSE(Playing("btn_finish_level"));
    EXPECT_TRUE(radio->IsVoiceStarted());
    GUI::StaticText* subtitles = radio->GetSubtitleWidget();
    ASSERT_NE(subtitles, nullptr);
    EXPECT_EQ(subtitles->GetName(), "$radio_subs$");
    EXPECT_EQ(subtitles->GetAreaRect().y, 650) << "set up from its template";
    EXPECT_EQ(subtitles->GetParent(), nullptr) << "not part of the GUI tree";

    // The clock starts with the voice: cue 1 from 0.2 s, two lines; a gap; cue 2.
    const std::pair<float, std::u16string> expected[] = {
        {0.1f, u""}, {0.3f, u"This is the lamp room.\nEvrane speaking."},
        {0.7f, u""}, {0.9f, u"Crane darkened the lamp."},
        {1.3f, u""},
    };
    double t = radio->GetSubtitles().GetTime();
    for (const auto& [at, text] : expected) {
        while (t < at - 1e-4) {
            harness->Step(0.05f);
            t = radio->GetSubtitles().GetTime();
        }
        EXPECT_EQ(subtitles->GetText(), text) << "at " << t << " s";
    }

    // The finish click stops the voice and empties the subtitles.
    ASSERT_TRUE(harness->Click("finalize_bonus_round"));
    EXPECT_FALSE(Playing("radio_voice"));
    EXPECT_EQ(subtitles->GetText(), u"");
    EXPECT_TRUE(Game().IsLevelCompleted());
}

TEST_F(AssembleRadioTest, SolvePutsEveryNeededPartInEvenWhileOneIsHeld) {
    Enter();
    PickUp("#valve-o");
    ASSERT_EQ(radio->GetDragged(), 0);
    radio->Solve();
    EXPECT_EQ(radio->GetDragged(), -1);
    EXPECT_FALSE(L("#valve-h").visible) << "the held picture does not stay in the air";
    for (const AssembleRadio::Part& part : radio->GetParts()) {
        EXPECT_EQ(part.placed, part.required);
        EXPECT_EQ(radio->GetLayers()[size_t(part.installed)].visible, part.required);
    }
    harness->Step();
    EXPECT_TRUE(radio->IsCoverPhase());
    harness->RunFor(0.6f);
    EXPECT_TRUE(radio->IsCompleted());
}

TEST_F(AssembleRadioTest, ALayoutShortOfLayersIsLoggedAndStillPlays) {
    // Without the coil's installed picture and without the cover.
    WriteBonusData(kRadioSection);
    std::string layout;
    for (const RadioLayer& l : kRadioLayers) {
        if (std::string(l.name) == "#coil-i" || std::string(l.name) == "cover")
            continue;
        layout += std::string(l.name) + "\n" + std::to_string(l.x) + "\n" + std::to_string(l.y) + "\n";
    }
    data->Text("images/bonus/radio/layout.txt", layout + "dangling\n");
    StartOnMap();
    Game().GotoRoom(BonusRoom::kName);
    harness->Step();
    radio = Puzzle<AssembleRadio>();
    ASSERT_NE(radio, nullptr);
    EXPECT_TRUE(harness->Log().has("AssembleRadio::FindLayer - layer '#coil-i' not found"));
    EXPECT_TRUE(harness->Log().has("AssembleRadio::FindLayer - layer 'cover' not found"));
    EXPECT_TRUE(harness->Log().contains("not groups of three"));
    EXPECT_EQ(radio->GetParts().size(), 2u) << "the coil is left out";
    PickUp("#valve-o");
    DropAt(X(400), 200);
    harness->RunFor(0.6f);
    EXPECT_TRUE(radio->IsCompleted());
}
