// The evidence room on its own: evidence granted and withdrawn by picture
// and region (plain, numbered and "_night"), provisional evidence of a level
// forgotten on a restart and kept on completion, the entries' layout and
// colours, the regions shown per picture, the region widget, and the room's
// saved record.

#include "room_alone.h"

#include "game/scenes/cross_button.h"
#include "game/scenes/evidence.h"
#include "game/scenes/evidence_room.h"
#include "mirel/gfx/a_imagemanager.h"

#include <filesystem>

using namespace scenetest;

namespace {

class EvidenceRoomTest : public RoomAlone {
protected:
    void SetUp() override {
        RoomAlone::SetUp();
        content::FontBuildOptions options;
        options.pixelHeight = 14;
        options.textureName = "main.png";
        content::FontBuildResult font;
        ASSERT_TRUE(content::buildFont(options, font));
        gui.WriteFile("main.png", content::writePng(font.atlas));
        gui.WriteFile("main.fnt", font.fontFile);

        // Region pictures (normal and hover halves side by side) and their masks.
        const std::string folder = data + "images/evidences/";
        std::filesystem::create_directories(folder + "regions");
        std::string list;
        for (const char* name : {"ev_anchor", "ev_rope1", "ev_rope2", "ev_net", "ev_net2", "ev_mug"}) {
            content::saveFile(folder + name + ".png",
                              content::writePng(content::Picture(80, 40, 0xFF806040u)));
            list += std::string(name) + ".png 8888 8888\n";
        }
        content::saveFile(folder + "ev_tall.png", content::writePng(content::Picture(40, 80, 0xFF806040u)));
        list += "ev_tall.png 8888 8888\n";
        gametest::WriteText(folder + "ImageList.txt", list);
        gui.images->loadList("data:images/evidences/ImageList.txt", "evidences");
        // The anchor's region: the left half of its 40 x 40.
        std::vector<uint8_t> mask(40 * 40, 0);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 20; ++x)
                mask[size_t(y * 40 + x)] = 1;
        content::saveFile(folder + "regions/ev_anchor.bmp", content::writeBmp1(40, 40, mask));

        gametest::WriteText(data + "loc/evidence.txt", "list.harbour = \"The harbour office\"\n"
                                                       "list.inn = \"The Drowned Bell\"\n");
        locale.loadFile("data:loc/evidence.txt");

        auto region = [](const char* name, int x, const char* image, const char* more = "") {
            return std::string(" evidence ") + name + "\n {\n  AreaRect " + std::to_string(x) +
                   " 100 1 1\n  Image " + image + "\n" + more + " }\n";
        };
        std::string script = "fontlist\n{\n main " + gui.dir + "main.fnt\n}\n";
        script += "widget info_evidence_room\n{\n AreaRect 10 100 160 500\n Visible 0\n";
        for (int i = 0; i < 3; ++i)
            script += " crossbutton entry" + std::to_string(i) + "\n {\n  AreaRect 5 " +
                      std::to_string(10 + i * 300) +
                      " 150 5\n  Font main\n  NextSpacing 6\n  LineSpacing 2\n }\n";
        script += " widget pointer\n {\n  AreaRect 0 0 4 4\n  Tag 2\n }\n}\n";
        script += "widget evidence_room\n{\n AreaRect 179 0 845 768\n Visible 0\n";
        script += "widget harbour\n{\n AreaRect 0 0 845 768\n Visible 0\n" +
                  region("anchor", 100, "ev_anchor") + region("rope_1", 200, "ev_rope1") +
                  region("rope_2", 300, "ev_rope2") + region("net", 400, "ev_net") +
                  region("net_2", 500, "ev_net2") + "}\n";
        script += "widget inn\n{\n AreaRect 0 0 845 768\n Visible 0\n" +
                  region("mug", 100, "ev_mug", "  Tag 1\n") +
                  region("tall", 200, "ev_tall", "  Layout Vertical\n") + region("nothing", 300, "ev_none") +
                  " evidence bare\n {\n  AreaRect 400 100 60 30\n }\n}\n}\n";
        gui.LoadScript(script);
        evidence = std::make_unique<EvidenceRoom>(gui.images.get(), gui.sounds.get(), nullptr);
    }
    void TearDown() override {
        evidence.reset();
        RoomAlone::TearDown();
    }
    std::vector<std::string> Records() const {
        std::vector<std::string> out;
        for (const EvidenceRoom::Record& r : evidence->GetRecords())
            out.push_back(r.picture + "." + r.region + (r.flag ? "*" : ""));
        return out;
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> out;
        for (const EvidenceRoom::Entry& e : evidence->GetEntries())
            out.push_back(e.picture + (e.isNew ? "!" : ""));
        return out;
    }
    GUI::Widget* Region(const std::string& name) const { return gui.Find(name); }
    aOptionsFile LevelWith(const std::string& add, const std::string& del) {
        gametest::WriteText(data + "levels/ev.ini",
                            "[General]\nEvidencesToAdd = " + add + "\nEvidencesToDel = " + del + "\n");
        return aOptionsFile("data:levels/ev.ini");
    }
    uint32_t NormalColour(int i) const { return evidence->GetEntryButtons()[size_t(i)]->GetTextColor(); }

    std::unique_ptr<EvidenceRoom> evidence;
};

} // namespace

TEST_F(EvidenceRoomTest, RegionsAreGrantedByPlainAndNumberedNamesAndNightPictures) {
    ASSERT_EQ(evidence->GetEntryButtons().size(), 3u);
    struct Grant {
        const char* text;
        bool recorded;
    };
    const Grant grants[] = {
        {"harbour.anchor", true}, {"harbour_night.rope", true}, // R_1 and R_2, in the day picture
        {"harbour.net", true},                                  // R and R_2: R alone
        {"no dot", false},        {"market.anchor", false},     // no such picture
        {"harbour.ghost", false}, {"inn.mug", true},
    };
    for (const Grant& g : grants) {
        SCOPED_TRACE(g.text);
        EXPECT_EQ(evidence->AddEvidence(g.text), g.recorded);
    }
    EXPECT_EQ(Records(), (std::vector<std::string>{"harbour.anchor*", "harbour.rope_1*", "harbour.rope_2*",
                                                   "harbour.net*", "inn.mug*"}));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"harbour!", "inn!"}));

    evidence->AddEvidence("harbour.anchor");
    evidence->RemoveEvidence("harbour.anchor");
    evidence->RemoveEvidence("harbour_NIGHT.ROPE");
    evidence->RemoveEvidence("inn.net");
    evidence->RemoveEvidence("harbour");
    EXPECT_EQ(Records(), (std::vector<std::string>{"harbour.net*", "inn.mug*", "harbour.anchor*"}))
        << "one record a name; the numbered ones while each removes one";
    evidence->RemoveEvidence("inn.mug");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"harbour!", "inn!"})) << "entries stay";
}

TEST_F(EvidenceRoomTest, ARestartForgetsTheAttemptAndCompletionKeepsTheLevel) {
    // Level 1: the anchor is found, then the time runs out.
    evidence->LoadResources(LevelWith("inn.mug", "harbour.net"));
    EXPECT_EQ(evidence->GetAddList(), (std::vector<std::string>{"inn.mug"}));
    ASSERT_TRUE(evidence->AddEvidence("harbour.anchor"));
    evidence->ShowEvidence("harbour");
    evidence->LoadResources(LevelWith("inn.mug", "harbour.net"));
    EXPECT_TRUE(Records().empty()) << "the restart forgets what the attempt found";
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(evidence->GetCurrentPicture(), "");
    EXPECT_EQ(evidence->GetShownPicture(), nullptr);

    // The second attempt finds it and completes the level.
    ASSERT_TRUE(evidence->AddEvidence("harbour.anchor"));
    ASSERT_TRUE(evidence->AddEvidence("harbour.net"));
    evidence->OnLevelComplete();
    EXPECT_EQ(Records(), (std::vector<std::string>{"harbour.anchor", "inn.mug"}))
        << "permanent, the net withdrawn and the mug granted";
    evidence->LoadResources(LevelWith("", ""));
    EXPECT_EQ(Records(), (std::vector<std::string>{"harbour.anchor", "inn.mug"})) << "kept by the next level";
    EXPECT_EQ(Entries(), (std::vector<std::string>{"harbour!", "inn!"}));

    // A restart of level 2 keeps level 1's evidence.
    evidence->AddEvidence("harbour.rope");
    evidence->LoadResources(LevelWith("", ""));
    EXPECT_EQ(Records(), (std::vector<std::string>{"harbour.anchor", "inn.mug"}));
    // A chapter without the lists has none, and says nothing of them.
    gametest::WriteText(data + "levels/none.ini", "[General]\nTime = 600\n");
    evidence->LoadResources(aOptionsFile("data:levels/none.ini"));
    EXPECT_TRUE(evidence->GetAddList().empty());
    EXPECT_FALSE(log.contains("EvidencesTo"));
}

TEST_F(EvidenceRoomTest, EnteringListsTheEntriesInRedUntilViewedAndShowsTheEarnedRegions) {
    evidence->AddEvidence("harbour.anchor");
    evidence->AddEvidence("inn.mug");
    evidence->Enter(nullptr);
    const auto& buttons = evidence->GetEntryButtons();
    EXPECT_TRUE(evidence->GetListWindow()->IsVisible() && evidence->GetPictureWindow()->IsVisible());
    EXPECT_EQ(buttons[0]->GetText(), u"The harbour office");
    EXPECT_EQ(buttons[1]->GetText(), u"The Drowned Bell");
    EXPECT_EQ(buttons[0]->GetTag(), 0);
    EXPECT_EQ(buttons[1]->GetTag(), 1);
    EXPECT_EQ(buttons[1]->GetAreaRect().y, buttons[0]->GetAreaRect().y + buttons[0]->GetHeight());
    EXPECT_EQ(buttons[1]->GetAreaRect().x, 5);
    EXPECT_FALSE(buttons[2]->IsVisible(true)) << "no third entry";
    // The first entry was clicked: grey and on show; the second is new.
    EXPECT_EQ(evidence->GetCurrentPicture(), "harbour");
    EXPECT_EQ(NormalColour(0), EvidenceRoom::kSeenColour);
    EXPECT_EQ(NormalColour(1), EvidenceRoom::kNewColour);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"harbour", "inn!"}));
    GUI::Widget* pointer = evidence->GetPointer();
    EXPECT_TRUE(pointer->IsVisible(true));
    EXPECT_EQ(pointer->GetAreaRect().y, buttons[0]->GetAreaRect().y + 2);
    EXPECT_EQ(pointer->GetHeight(), buttons[0]->GetHeight() - 4 - 6);

    EXPECT_TRUE(gui.Find("harbour")->IsVisible(true));
    EXPECT_TRUE(Region("anchor")->IsVisible(true));
    EXPECT_FALSE(Region("rope_1")->IsVisible(true));
    EXPECT_FALSE(Region("net")->IsVisible(true));
    evidence->ShowEvidence("inn");
    EXPECT_FALSE(gui.Find("harbour")->IsVisible(true));
    EXPECT_TRUE(Region("mug")->IsVisible(true));
    EXPECT_FALSE(Region("tall")->IsVisible(true));

    // Granted again after it was viewed: red until clicked.
    evidence->AddEvidence("harbour.net");
    evidence->Leave(nullptr);
    EXPECT_FALSE(evidence->GetListWindow()->IsVisible(true));
    evidence->Enter(nullptr);
    EXPECT_EQ(evidence->GetCurrentPicture(), "inn") << "the picture on show stays";
    EXPECT_EQ(NormalColour(0), EvidenceRoom::kNewColour);
    EXPECT_EQ(NormalColour(1), EvidenceRoom::kSeenColour);
    evidence->ShowEvidence("harbour");
    EXPECT_TRUE(Region("net")->IsVisible(true));
    EXPECT_FALSE(Region("net_2")->IsVisible(true));
}

TEST_F(EvidenceRoomTest, RegionWidgetsTakeTheirSizeFromThePictureAndHitByTheirMask) {
    auto* anchor = dynamic_cast<Evidence*>(Region("anchor"));
    ASSERT_NE(anchor, nullptr);
    EXPECT_EQ(anchor->GetType(), "Evidence");
    EXPECT_TRUE(anchor->IsKindOf("ImageButton") && anchor->IsKindOf("ButtonBase"));
    EXPECT_EQ(anchor->GetImageName(), "ev_anchor");
    EXPECT_EQ(anchor->GetWidth(), 40) << "the left half of the picture";
    EXPECT_EQ(anchor->GetHeight(), 40);
    EXPECT_EQ(anchor->GetStateRect(GUI::ImageButton::STATE_HOVER).x, 40);
    ASSERT_NE(anchor->GetRegion(), nullptr);
    EXPECT_TRUE(anchor->IsPointInside(5, 20));
    EXPECT_FALSE(anchor->IsPointInside(30, 20)) << "outside its mask";
    GUI::Widget* tall = Region("tall");
    EXPECT_EQ(tall->GetWidth(), 40);
    EXPECT_EQ(tall->GetHeight(), 40) << "vertical: the top half";
    EXPECT_EQ(Region("nothing")->GetWidth(), 1) << "without its picture";
    EXPECT_EQ(Region("nothing")->GetHeight(), 1);
    EXPECT_EQ(Region("bare")->GetWidth(), 1) << "without \"Image\" its layout size is not kept";
    EXPECT_EQ(Region("bare")->GetHeight(), 1);
    EXPECT_EQ(Region("mug")->GetRegion(), nullptr) << "without its bitmap the rectangle is hit";
    EXPECT_TRUE(Region("mug")->IsPointInside(30, 20));
}

TEST_F(EvidenceRoomTest, TheRecordHoldsEntriesAndRecordsAndRejectsImpossibleCounts) {
    evidence->AddEvidence("harbour.anchor");
    evidence->AddEvidence("inn.mug");
    evidence->OnLevelComplete();
    evidence->AddEvidence("harbour.rope");
    evidence->ShowEvidence("inn");
    std::vector<uint8_t> bytes;
    SaveLoadSystem system(1);
    SaveWriter writer(bytes);
    evidence->Save(system, writer);
    // The current picture; two entries; four records (anchor, mug, rope_1, rope_2).
    const size_t own = 4 + 4 + (8 + 1) + (4 + 1) + 4 + (7 + 8 + 1) + (4 + 4 + 1) + 2 * (7 + 8 + 1);
    ASSERT_EQ(bytes.size(), own + 4);

    EvidenceRoom other(gui.images.get(), gui.sounds.get(), nullptr);
    SaveReader reader(bytes.data(), bytes.size());
    other.Load(system, reader);
    EXPECT_EQ(other.GetCurrentPicture(), "inn");
    ASSERT_EQ(other.GetEntries().size(), 2u);
    EXPECT_TRUE(other.GetEntries()[0].isNew);
    ASSERT_EQ(other.GetRecords().size(), 4u);
    EXPECT_EQ(other.GetRecords()[2].region, "rope_1");
    EXPECT_EQ(other.GetRecords()[2].flag, 1) << "still provisional";
    EXPECT_EQ(other.GetRecords()[0].flag, 0);

    // Counts the record cannot hold.
    std::vector<uint8_t> huge = bytes;
    huge[4 + 3] = 0x40; // entry count's top byte
    SaveReader hugeReader(huge.data(), huge.size());
    other.Reset();
    other.Load(system, hugeReader);
    EXPECT_TRUE(other.GetEntries().empty());
    EXPECT_TRUE(log.has("EvidenceRoom::Load - bad record, evidence not taken"));
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 20);
    SaveReader cutReader(cut.data(), cut.size());
    other.Load(system, cutReader);
    EXPECT_TRUE(other.GetRecords().empty());
}
