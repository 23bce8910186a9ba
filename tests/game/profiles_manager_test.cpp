// Player profiles through the GUI server with scripted keys and clicks: the
// first run, creating, choosing and deleting profiles, names as typed, the
// letters a name can hold, the profiles file byte for byte, profiles files
// that must not load and are kept, and saved games a new profile keeps.

#include "game_test_support.h"
#include "name_font.h"
#include "support/gui_harness.h"
#include "support/log_capture.h"

#include "game/profiles/profiles_manager.h"
#include "mirel/gui/gui_editbox.h"
#include "mirel/gui/gui_keys.h"
#include "mirel/platform/window/a_clipboard.h"
#include "mirel/platform/window/a_platform_input.h"
#include "mirel/platform/window/headless/a_headless_clipboard.h"

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <memory>

using namespace gametest;

namespace {

// Three lines; "selection" lies over the selected one and lets clicks through.
constexpr const char* kLayout =
    "window profiles_list\n{\n AreaRect 100 100 400 300\n Visible 0\n"
    " statictext line0\n {\n  AreaRect 10 10 200 20\n  Font fixed\n  Tag 1\n }\n"
    " statictext line1\n {\n  AreaRect 10 40 200 20\n  Font fixed\n  Tag 1\n }\n"
    " statictext line2\n {\n  AreaRect 10 70 200 20\n  Font fixed\n  Tag 1\n }\n"
    " widget selection\n {\n  AreaRect 0 0 1 1\n  Static 1\n }\n"
    " imagebutton new_profile\n {\n  AreaRect 10 200 50 20\n }\n"
    " imagebutton del_profile\n {\n  AreaRect 70 200 50 20\n }\n"
    " imagebutton close\n {\n  AreaRect 130 200 50 20\n }\n"
    "}\n"
    "window create_new_profile\n{\n AreaRect 100 100 400 200\n Visible 0\n"
    " editbox name\n {\n  AreaRect 10 10 380 20\n  Font fixed\n }\n"
    " statictext refused\n {\n  AreaRect 10 40 380 20\n  Font fixed\n  Visible 0\n }\n"
    " imagebutton btn_ok\n {\n  AreaRect 10 100 50 20\n  Tag 1\n }\n"
    " imagebutton btn_cancel\n {\n  AreaRect 70 100 50 20\n }\n"
    "}\n"
    "window confirm_profile_delete\n{\n AreaRect 100 100 300 100\n Visible 0\n"
    " statictext name\n {\n  AreaRect 10 10 200 20\n  Font fixed\n }\n"
    " imagebutton btn_yes\n {\n  AreaRect 10 50 50 20\n  Tag 1\n }\n"
    " imagebutton btn_no\n {\n  AreaRect 70 50 50 20\n }\n"
    "}\n";

ProfileRecord Profile(const std::string& name, float sound = 0.75f) {
    ProfileRecord r;
    r.name = name;
    r.soundVolume = sound;
    return r;
}

class ProfilesTest : public testing::Test {
protected:
    void SetUp() override {
        h.LoadScript(gametest::NameFontSection(h) + Layout());
        settings = ProfileRecord();
        std::filesystem::create_directories(files.root + "user");
        std::filesystem::create_directories(files.root + "saves");
    }
    virtual std::string Layout() const { return kLayout; }
    // A manager as the game builds one at start: storage, file, then (once
    // per GUI) the dialogs.
    void Start(bool bindGui = true) {
        profiles = std::make_unique<ProfilesManager>(settings);
        profiles->SetStorage(files.root + "user/", files.root + "saves/", "en");
        profiles->LoadProfiles();
        if (bindGui)
            profiles->InitGui(*h.server);
    }
    // What the next start would read.
    void Reload() { Start(false); }
    // Writes a profiles file with these profiles (the current name first).
    void WriteProfiles(const std::vector<ProfileRecord>& records, const std::string& current) {
        SaveFileBuilder body;
        body.Str(current).F32(0.75f).F32(0.5f).U8(1).U8(1).U8(1).U32(uint32_t(records.size()));
        for (const ProfileRecord& r : records)
            body.Str(r.name)
                .F32(r.soundVolume)
                .F32(r.musicVolume)
                .U8(r.vsync)
                .U8(r.showTips)
                .U8(r.fullscreen);
        WriteBytes(ProfilesPath(),
                   SaveFileBuilder().Header(2768, 1).Record("<profiles>", body.bytes).Finish());
    }
    std::string ProfilesPath() const { return files.root + "user/en_profiles.dat"; }
    std::string SavePath(const std::string& hex) const { return files.root + "saves/en_" + hex + ".dat"; }

    GUI::Widget* In(const std::string& window, const std::string& name) {
        return h.Find(window)->FindChild(name, true);
    }
    bool Shown(const std::string& window) { return h.Find(window)->IsVisible(); }
    std::vector<std::string> Names() const {
        std::vector<std::string> out;
        for (const ProfileRecord& r : profiles->GetProfiles())
            out.push_back(r.name);
        return out;
    }

    void Press(uint32_t key, bool shift = false) {
        if (shift)
            h.SetKey(A_KEY_LSHIFT, true);
        h.SetKey(uint8_t(key), true);
        h.Frame(0.02f, false);
        h.SetKey(uint8_t(key), false);
        if (shift)
            h.SetKey(A_KEY_LSHIFT, false);
        h.Frame(0.02f, false);
    }
    void Type(const std::string& text) {
        for (char c : text) {
            bool typed = false;
            for (uint32_t key = 1; key < 256 && !typed; ++key) {
                for (bool shift : {false, true}) {
                    if (GUI::KeyToChar(key, shift ? uint32_t(GUI::MOD_SHIFT) : 0u) == c) {
                        Press(key, shift);
                        typed = true;
                        break;
                    }
                }
            }
            ASSERT_TRUE(typed) << c;
        }
    }
    void Click(GUI::Widget* w, bool twice = false) {
        ASSERT_NE(w, nullptr);
        h.SetCursor(w->GetAbsoluteX() + 2, w->GetAbsoluteY() + 2);
        h.Frame(0.5f, false); // far from any earlier click
        for (int i = 0; i < (twice ? 2 : 1); ++i) {
            h.SetButton(0, true);
            h.Frame(0.02f, false);
            h.SetButton(0, false);
            h.Frame(0.02f, false);
        }
    }

    FileServerFixture files{Scratch()};
    guitest::GuiHarness h;
    LogCapture log;
    ProfileRecord settings;
    std::unique_ptr<ProfilesManager> profiles;
};

TEST_F(ProfilesTest, FirstRunOpensTheNewProfileDialogAndEscapeKeepsPlayer) {
    Start();
    EXPECT_TRUE(profiles->GetProfiles().empty());
    EXPECT_TRUE(log.has("SaveLoadSystem: file \"" + ProfilesPath() + "\" load failed!"));
    EXPECT_TRUE(log.has("Profiles list"));
    EXPECT_EQ(profiles->GetLineCount(), 3u);
    EXPECT_EQ(In("profiles_list", "line2")->GetTag(), 2);
    EXPECT_TRUE(In("profiles_list", "line2")->IsMultiClick());

    settings.soundVolume = 0.3f; // changed before any profile exists
    ASSERT_TRUE(profiles->Open(true));
    EXPECT_EQ(profiles->GetMode(), uint32_t(ProfilesManager::MODE_FIRST_RUN));
    EXPECT_TRUE(Shown("create_new_profile"));
    EXPECT_EQ(h.server->GetFocusWidget(), In("create_new_profile", "name"));
    EXPECT_FALSE(In("create_new_profile", "btn_ok")->IsEnabled(true));
    EXPECT_FALSE(profiles->Open(false)); // a dialog is open

    Press(A_KEY_RETURN); // nothing typed: nothing happens
    EXPECT_TRUE(Shown("create_new_profile"));
    Press(A_KEY_ESCAPE);
    EXPECT_FALSE(Shown("create_new_profile"));
    EXPECT_EQ(Names(), std::vector<std::string>{"Player"});
    EXPECT_FLOAT_EQ(profiles->GetProfiles()[0].soundVolume, 0.3f);
    EXPECT_EQ(profiles->GetMode(), uint32_t(ProfilesManager::MODE_IDLE));
    EXPECT_TRUE(log.has("Created new profile \"Player\""));

    Reload(); // the file was written
    EXPECT_EQ(Names(), std::vector<std::string>{"Player"});
    EXPECT_EQ(profiles->GetSelected(), 0u);
    EXPECT_TRUE(log.has("* Player"));
    EXPECT_FALSE(profiles->Open(true)); // profiles exist
}

TEST_F(ProfilesTest, FirstRunWithATypedNameTrimsItAndStartsItsGameAfresh) {
    Start();
    WriteBytes(SavePath("416e6e"), Bytes(20, 1)); // an old save of that name
    settings.vsync = 0;
    settings.musicVolume = 0.1f;
    ASSERT_TRUE(profiles->Open(true));
    Type("   ");
    EXPECT_FALSE(In("create_new_profile", "btn_ok")->IsEnabled(true));
    Press(A_KEY_RETURN);
    EXPECT_TRUE(profiles->GetProfiles().empty());
    Type("Ann  ");
    EXPECT_TRUE(In("create_new_profile", "btn_ok")->IsEnabled(true));
    Press(A_KEY_RETURN);
    ASSERT_EQ(Names(), std::vector<std::string>{"Ann"});
    const ProfileRecord& ann = profiles->GetProfiles()[0];
    EXPECT_EQ(ann.vsync, 0); // copied from the current settings
    EXPECT_FLOAT_EQ(ann.musicVolume, 0.5f);
    EXPECT_EQ(settings.name, "Ann"); // the first profile becomes current
    EXPECT_FLOAT_EQ(settings.musicVolume, 0.5f);
    EXPECT_FALSE(std::filesystem::exists(SavePath("416e6e")));
    EXPECT_FALSE(Shown("create_new_profile"));

    // Keys typed later, with the dialog gone, make no profile out of sight.
    Type("Bob");
    Press(A_KEY_RETURN);
    EXPECT_EQ(Names(), std::vector<std::string>{"Ann"});
    EXPECT_EQ(In("create_new_profile", "name")->GetText(), u"   Ann  ");
}

TEST_F(ProfilesTest, ListCreatesProfilesByExactNameUpToTheLineCount) {
    WriteProfiles({Profile("Ann"), Profile("Bob")}, "Bob");
    Start();
    EXPECT_EQ(profiles->GetSelected(), 1u);
    ASSERT_TRUE(profiles->Open(false));
    EXPECT_EQ(profiles->GetMode(), uint32_t(ProfilesManager::MODE_LIST));
    EXPECT_EQ(In("profiles_list", "line0")->GetText(), u"Ann");
    EXPECT_EQ(In("profiles_list", "line1")->GetText(), u"Bob");
    EXPECT_FALSE(In("profiles_list", "line2")->IsVisible(true));
    GUI::Widget* frame = In("profiles_list", "selection");
    EXPECT_EQ(frame->GetAreaRect().y, 40);
    EXPECT_TRUE(frame->IsVisible(true));
    EXPECT_TRUE(In("profiles_list", "new_profile")->IsEnabled(true));
    EXPECT_TRUE(In("profiles_list", "del_profile")->IsEnabled(true));

    Click(In("profiles_list", "new_profile"));
    ASSERT_TRUE(Shown("create_new_profile"));
    Type(" Ann");
    Press(A_KEY_RETURN); // exists: chosen, not made again
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(profiles->GetSelected(), 0u);
    EXPECT_EQ(frame->GetAreaRect().y, 10); // the frame follows
    EXPECT_FALSE(Shown("create_new_profile"));

    Click(In("profiles_list", "new_profile"));
    Type("ann"); // another letter case is another name
    Click(In("create_new_profile", "btn_ok"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob", "ann"}));
    EXPECT_EQ(profiles->GetSelected(), 2u);
    EXPECT_EQ(In("profiles_list", "line2")->GetText(), u"ann");
    EXPECT_FALSE(In("profiles_list", "new_profile")->IsEnabled(true)); // as many as lines
    EXPECT_EQ(profiles->GetMode(), uint32_t(ProfilesManager::MODE_LIST));

    Click(In("profiles_list", "close"));
    EXPECT_FALSE(Shown("profiles_list"));
    EXPECT_EQ(settings.name, "ann");
    EXPECT_EQ(profiles->GetMode(), uint32_t(ProfilesManager::MODE_IDLE));
}

TEST_F(ProfilesTest, CancelAndEscapeInTheListCreateNothing) {
    WriteProfiles({Profile("Ann")}, "Ann");
    Start();
    ASSERT_TRUE(profiles->Open(false));
    EXPECT_FALSE(In("profiles_list", "del_profile")->IsEnabled(true)); // the last one stays
    Click(In("profiles_list", "new_profile"));
    Type("Cy");
    Click(In("create_new_profile", "btn_cancel"));
    EXPECT_FALSE(Shown("create_new_profile"));
    Click(In("profiles_list", "new_profile"));
    EXPECT_TRUE(In("create_new_profile", "name")->GetText().empty()); // opened empty
    Type("Cy");
    Press(A_KEY_ESCAPE);
    EXPECT_EQ(Names(), std::vector<std::string>{"Ann"});
    EXPECT_TRUE(Shown("profiles_list"));
}

TEST_F(ProfilesTest, LinesSelectOnPressAndAcceptOnDoubleClick) {
    WriteProfiles({Profile("Ann", 0.1f), Profile("Bob", 0.2f), Profile("Cy", 0.3f)}, "Ann");
    Start();
    ASSERT_TRUE(profiles->Open(false));
    Click(In("profiles_list", "line2"));
    EXPECT_EQ(profiles->GetSelected(), 2u);
    EXPECT_EQ(In("profiles_list", "selection")->GetAreaRect().y, 70);
    EXPECT_TRUE(Shown("profiles_list")); // one click only selects
    Click(In("profiles_list", "line1"), true);
    EXPECT_FALSE(Shown("profiles_list"));
    EXPECT_EQ(settings.name, "Bob");
    EXPECT_FLOAT_EQ(settings.soundVolume, 0.2f);
}

TEST_F(ProfilesTest, DeletingAskedAndAnswered) {
    WriteProfiles({Profile("Ann"), Profile("Bob"), Profile("Cy")}, "Cy");
    WriteBytes(SavePath("4379"), Bytes(20, 1));
    WriteBytes(SavePath("426f62"), Bytes(20, 1));
    Start();
    ASSERT_TRUE(profiles->Open(false));
    Click(In("profiles_list", "del_profile"));
    ASSERT_TRUE(Shown("confirm_profile_delete"));
    EXPECT_EQ(In("confirm_profile_delete", "name")->GetText(), u"Cy");
    Click(In("confirm_profile_delete", "btn_no"));
    EXPECT_FALSE(Shown("confirm_profile_delete"));
    EXPECT_EQ(profiles->GetProfiles().size(), 3u);

    Click(In("profiles_list", "del_profile"));
    Click(In("confirm_profile_delete", "btn_yes"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(profiles->GetSelected(), 1u); // the last one went: the new last one
    EXPECT_EQ(In("profiles_list", "selection")->GetAreaRect().y, 40);
    EXPECT_FALSE(std::filesystem::exists(SavePath("4379")));
    EXPECT_TRUE(std::filesystem::exists(SavePath("426f62")));
    EXPECT_TRUE(log.has("Profile \"Cy\" deleted"));
    EXPECT_TRUE(In("profiles_list", "new_profile")->IsEnabled(true));

    Click(In("profiles_list", "line0"));
    Click(In("profiles_list", "del_profile"));
    Click(In("confirm_profile_delete", "btn_yes"));
    EXPECT_EQ(Names(), std::vector<std::string>{"Bob"});
    EXPECT_EQ(profiles->GetSelected(), 0u);
    EXPECT_FALSE(In("profiles_list", "del_profile")->IsEnabled(true));
}

TEST_F(ProfilesTest, OpeningTheListKeepsTheChangedSettingsOfTheCurrentProfile) {
    WriteProfiles({Profile("Ann"), Profile("Bob")}, "Ann");
    Start();
    settings.soundVolume = 0.2f; // the options dialog
    settings.showTips = 0;
    ASSERT_TRUE(profiles->Open(false));
    EXPECT_FLOAT_EQ(profiles->GetProfiles()[0].soundVolume, 0.2f);
    Click(In("profiles_list", "line1"), true); // choose Bob: his own settings
    EXPECT_FLOAT_EQ(settings.soundVolume, 0.75f);
    EXPECT_EQ(settings.showTips, 1);
    Reload();
    EXPECT_FLOAT_EQ(profiles->GetProfiles()[0].soundVolume, 0.2f);
    EXPECT_EQ(profiles->GetProfiles()[0].showTips, 0);
}

TEST_F(ProfilesTest, NamesAreCappedWhereTheBoxTakesThem) {
    Start();
    EXPECT_EQ(dynamic_cast<GUI::Editbox*>(In("create_new_profile", "name"))->GetMaxLength(),
              int32_t(ProfilesManager::kMaxNameLength));
    ASSERT_TRUE(profiles->Open(true));
    Type("abcdefghijklmnopqrstuvwxyzabcdef");
    Press(A_KEY_RETURN);
    ASSERT_EQ(profiles->GetProfiles().size(), 1u);
    EXPECT_EQ(profiles->GetProfiles()[0].name, "abcdefghijklmnopqrstuvwx");
}

TEST_F(ProfilesTest, ProfilesFileByteForByte) {
    Start();
    settings.level = 4; // the game's: not stored
    settings.timeOverCount = 2;
    ASSERT_TRUE(profiles->Open(true));
    Type("Ab");
    Press(A_KEY_RETURN);
    ProfileRecord second = Profile("\xE9", 0.25f);
    settings.musicVolume = 0.125f;
    settings.fullscreen = 0;
    SaveFileBuilder body;
    body.Str("Ab").F32(0.75f).F32(0.125f).U8(1).U8(1).U8(0).U32(1);
    body.Str("Ab").F32(0.75f).F32(0.125f).U8(1).U8(1).U8(0);
    profiles->SaveProfiles(); // no dialog: the current settings go into the selected profile
    EXPECT_EQ(ReadBytes(ProfilesPath()),
              SaveFileBuilder().Header(2768, 1).Record("<profiles>", body.bytes).Finish());
    EXPECT_EQ(profiles->GetSaveFileName(profiles->GetProfiles()[0]), SavePath("4162"));
    EXPECT_EQ(profiles->GetSaveFileName(second), SavePath("ffffffe9"));

    settings = ProfileRecord();
    settings.level = 7;
    Reload();
    EXPECT_EQ(settings.name, "Ab");
    EXPECT_FLOAT_EQ(settings.musicVolume, 0.125f);
    EXPECT_EQ(settings.fullscreen, 0);
    EXPECT_EQ(settings.level, 7u); // left as it was
}

TEST_F(ProfilesTest, BadProfilesFilesLeaveNoProfilesAndTheSettingsAlone) {
    const auto body = [](uint32_t count) {
        SaveFileBuilder b;
        b.Str("Eve").F32(0.1f).F32(0.1f).U8(0).U8(0).U8(0).U32(count);
        b.Str("Eve").F32(0.1f).F32(0.1f).U8(0).U8(0).U8(0);
        return b.bytes;
    };
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"count past the record", SaveFileBuilder().Header(2768, 1).Record("<profiles>", body(2)).Finish()},
        {"count of four billion",
         SaveFileBuilder().Header(2768, 1).Record("<profiles>", body(0xFFFFFFFF)).Finish()},
        {"record cut in the current name",
         SaveFileBuilder().Header(2768, 1).Record("<profiles>", {'E', 'v'}).Finish()},
        {"another version", SaveFileBuilder().Header(2767, 1).Record("<profiles>", body(1)).Finish()},
        {"no profiles record", SaveFileBuilder().Header(2768, 1).Record("app", body(1)).Finish()},
        {"random bytes", {0x13, 0x37, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(ProfilesPath(), c.file);
        settings = ProfileRecord();
        Reload();
        EXPECT_TRUE(profiles->GetProfiles().empty());
        EXPECT_EQ(settings, ProfileRecord());
        EXPECT_TRUE(profiles->Open(true)); // the first-run dialog
    }
    // Volumes that are no numbers or out of range read as the defaults or the range's ends.
    SaveFileBuilder b;
    b.Str("Eve").F32(std::numeric_limits<float>::quiet_NaN()).F32(7.0f).U8(0).U8(0).U8(0).U32(0);
    WriteBytes(ProfilesPath(), SaveFileBuilder().Header(2768, 1).Record("<profiles>", b.bytes).Finish());
    Reload();
    EXPECT_EQ(settings.name, "Eve");
    EXPECT_FLOAT_EQ(settings.soundVolume, 0.75f);
    EXPECT_FLOAT_EQ(settings.musicVolume, 1.0f);
}

// A profiles file of Ann and Bo, Bo playing, as the game writes it.
TEST_F(ProfilesTest, ARefusedProfilesFileIsKeptBesideTheNewOne) {
    const std::string aside = ProfilesPath() + ".refused";
    WriteProfiles({Profile("Ann"), Profile("Bo")}, "Bo");
    const Bytes good = ReadBytes(ProfilesPath());
    auto damaged = [&](const std::function<void(Bytes&)>& change) {
        return [this, good, change] {
            Bytes file = good;
            change(file);
            WriteBytes(ProfilesPath(), file);
        };
    };
    auto plainRecord = [&](const std::function<void(SaveFileBuilder&)>& body) {
        return [this, body] {
            SaveFileBuilder b;
            body(b);
            WriteBytes(ProfilesPath(),
                       SaveFileBuilder().Header(2768, 1).Record("<profiles>", b.bytes).Finish());
        };
    };
    const struct {
        const char* what;
        std::function<void()> damage;
    } faults[] = {
        {"one flipped byte", damaged([](Bytes& f) { f[f.size() / 2] ^= 0x10; })},
        {"cut short", damaged([](Bytes& f) { f = Bytes(f.begin(), f.begin() + long(f.size() / 2)); })},
        {"empty", damaged([](Bytes& f) { f.clear(); })},
        {"another version",
         [this] {
             WriteBytes(ProfilesPath(), SaveFileBuilder().Header(2767, 1).Record("<profiles>", {0}).Finish());
         }},
        {"a count of two thousand million", plainRecord([](SaveFileBuilder& b) {
             b.Str("Bo").F32(0.5f).F32(0.5f).U8(1).U8(1).U8(1).U32(1u << 31);
         })},
        {"no profiles record",
         [this] {
             WriteBytes(ProfilesPath(), SaveFileBuilder().Header(2768, 1).Record("app", {0}).Finish());
         }},
        {"a pipe", [this] { ASSERT_EQ(::mkfifo(ProfilesPath().c_str(), 0600), 0); }},
        {"a folder", [this] { std::filesystem::create_directory(ProfilesPath()); }},
    };
    for (const auto& fault : faults) {
        SCOPED_TRACE(fault.what);
        std::filesystem::remove_all(files.root + "user");
        std::filesystem::create_directories(files.root + "user");
        fault.damage();
        const auto kind = std::filesystem::symlink_status(ProfilesPath()).type();
        const bool regular = kind == std::filesystem::file_type::regular;
        const Bytes before = regular ? ReadBytes(ProfilesPath()) : Bytes();
        log.clear();
        Start();
        EXPECT_TRUE(profiles->GetProfiles().empty());
        EXPECT_TRUE(log.has("ProfilesManager::LoadProfiles - the profiles file '" + ProfilesPath() +
                            "' kept as '" + aside + "'"));
        // The first-run dialog makes a profile and writes a new file; the refused one stays.
        ASSERT_TRUE(profiles->Open(true));
        Press(A_KEY_ESCAPE);
        EXPECT_TRUE(std::filesystem::is_regular_file(ProfilesPath()));
        EXPECT_EQ(std::filesystem::symlink_status(aside).type(), kind);
        if (regular) {
            EXPECT_EQ(ReadBytes(aside), before);
        }
        Reload();
        EXPECT_EQ(Names(), std::vector<std::string>{"Player"});
    }

    // Refused again: the file kept before stays as it is.
    std::filesystem::remove_all(files.root + "user");
    std::filesystem::create_directories(files.root + "user");
    WriteBytes(ProfilesPath(), Bytes(3, 7));
    Reload();
    WriteBytes(ProfilesPath(), Bytes(4, 8));
    Reload();
    EXPECT_EQ(ReadBytes(aside), Bytes(3, 7));
    EXPECT_EQ(ReadBytes(aside + "-2"), Bytes(4, 8));
    // A missing file or a good one is not moved.
    Reload();
    WriteProfiles({Profile("Ann")}, "Ann");
    Reload();
    EXPECT_EQ(Names(), std::vector<std::string>{"Ann"});
    EXPECT_FALSE(std::filesystem::exists(aside + "-3"));
}

// A returning player whose profile was lost types their name again: their
// game starts afresh, and the save they had is kept, not deleted.
TEST_F(ProfilesTest, ANewProfileKeepsTheSaveAnEarlierOneOfItsNameLeft) {
    const struct {
        const char* name;
        const char* hex;
        std::function<void()> create;
    } ways[] = {
        {"Bo", "426f",
         [this] {
             Type("Bo");
             Press(A_KEY_RETURN);
         }},
        {"Player", "506c61796572", [this] { Press(A_KEY_ESCAPE); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        std::filesystem::remove_all(files.root + "user");
        std::filesystem::remove_all(files.root + "saves");
        std::filesystem::create_directories(files.root + "user");
        WriteBytes(SavePath(way.hex), Bytes(20, 1));
        WriteBytes(SavePath(way.hex) + ".kept", Bytes(20, 2)); // kept once before
        settings = ProfileRecord();
        log.clear();
        Start();
        ASSERT_TRUE(profiles->Open(true));
        way.create();
        ASSERT_EQ(Names(), std::vector<std::string>{way.name});
        EXPECT_FALSE(std::filesystem::exists(SavePath(way.hex))) << "the new profile starts afresh";
        EXPECT_EQ(ReadBytes(SavePath(way.hex) + ".kept-2"), Bytes(20, 1));
        EXPECT_EQ(ReadBytes(SavePath(way.hex) + ".kept"), Bytes(20, 2));
        EXPECT_TRUE(log.has("ProfilesManager - the saved game of an earlier \"" + std::string(way.name) +
                            "\" '" + SavePath(way.hex) + "' kept as '" + SavePath(way.hex) + ".kept-2'"));
    }
}

TEST_F(ProfilesTest, NamesInTheLogShowControlCharactersEscaped) {
    WriteProfiles({Profile("Eve\nFake line"), Profile("Bo\x1b[2J")}, "Bo\x1b[2J");
    Start();
    ASSERT_TRUE(profiles->Open(false));
    Click(In("profiles_list", "del_profile"));
    Click(In("confirm_profile_delete", "btn_yes"));
    EXPECT_TRUE(log.has("  Eve\\x0aFake line"));
    EXPECT_TRUE(log.has("* Bo\\x1b[2J"));
    EXPECT_TRUE(log.has("Profile \"Bo\\x1b[2J\" deleted"));
    for (const std::string& line : log.lines)
        EXPECT_EQ(line.find_first_of("\n\x1b"), std::string::npos) << line;
}

// The name box with copy and paste on, so that any character can reach it.
class ProfilesPasteTest : public ProfilesTest {
protected:
    std::string Layout() const override {
        std::string layout = kLayout;
        const std::string box = " editbox name\n {\n";
        layout.insert(layout.find(box) + box.size(), "  AllowCopyPaste 1\n");
        return layout;
    }
    void SetUp() override {
        ProfilesTest::SetUp();
        a_setClipboard(&clipboard);
    }
    void TearDown() override { a_setClipboard(nullptr); }
    void Paste(const std::u16string& text) {
        clipboard.setUnicodeText(text);
        h.SetKey(A_KEY_LCONTROL, true);
        Press(A_KEY_V);
        h.SetKey(A_KEY_LCONTROL, false);
    }
    aHeadlessClipboard clipboard;
};

TEST_F(ProfilesPasteTest, TheNameBoxTakesWhatTheFileStoresAndTheFontDrawsAndRefusesTheRestVisibly) {
    Start();
    // The font draws é, which the file's code page cannot store; the code
    // page stores Ж, which the font cannot draw.
    const std::u16string& chars = profiles->GetNameCharacters();
    for (char16_t c : std::u16string(u"aZ9 ~.\u00ab\u00bb\u2013\u20ac"))
        EXPECT_NE(chars.find(c), std::u16string::npos) << int(c);
    for (char16_t c : std::u16string(u"\u00e9\u0416\u007f\u00a0\t"))
        EXPECT_EQ(chars.find(c), std::u16string::npos) << int(c);

    ASSERT_TRUE(profiles->Open(true));
    GUI::Widget* refused = In("create_new_profile", "refused");
    GUI::Widget* name = In("create_new_profile", "name");
    EXPECT_FALSE(refused->IsVisible());
    Paste(u"Zo\u00eb \u00c5ngstr\u00f6m");
    EXPECT_EQ(name->GetText(), u"Zo ngstrm");
    EXPECT_TRUE(refused->IsVisible()) << "the letters left out are not dropped without a word";
    Press(A_KEY_LSHIFT); // a key that only changes others
    EXPECT_TRUE(refused->IsVisible());
    Press(A_KEY_BACK);
    EXPECT_FALSE(refused->IsVisible()) << "gone once the name changes";
    Press(A_KEY_NUMPAD1); // types nothing here
    EXPECT_TRUE(refused->IsVisible());
    Type("m");
    EXPECT_FALSE(refused->IsVisible());
    EXPECT_EQ(name->GetText(), u"Zo ngstrm");

    // What the box takes beyond ASCII goes into the file as code-page bytes and comes back the same.
    Press(A_KEY_ESCAPE); // first run: "Player" made
    ASSERT_TRUE(profiles->Open(false));
    Click(In("profiles_list", "new_profile"));
    EXPECT_FALSE(refused->IsVisible()) << "the dialog opens without it";
    Paste(u"\u00abBo\u00bb \u2013 \u20ac");
    Press(A_KEY_RETURN);
    ASSERT_EQ(Names(), (std::vector<std::string>{"Player", "\xab"
                                                           "Bo\xbb \x96 \x88"}));
    const ProfileRecord bo = profiles->GetProfiles()[1];
    EXPECT_EQ(profiles->GetSaveFileName(bo), SavePath("ffffffab426fffffffbb20ffffff9620ffffff88"));
    EXPECT_EQ(In("profiles_list", "line1")->GetText(), u"\u00abBo\u00bb \u2013 \u20ac");
    Reload();
    EXPECT_EQ(Names(), (std::vector<std::string>{"Player", "\xab"
                                                           "Bo\xbb \x96 \x88"}));
    EXPECT_EQ(profiles->GetSaveFileName(profiles->GetProfiles()[1]), profiles->GetSaveFileName(bo));
}

} // namespace
