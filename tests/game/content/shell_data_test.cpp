// The sample game's own data tree, as the build puts it together, run as a
// player runs it: every file the game reads is there, every name the game
// shell looks up (widgets, pictures, sounds, texts, tips) is defined by the
// data, and the game goes from its first start through the profile dialog
// and the title's menu to the map of chapter 1 and into its first room, from
// the plain folder and from the same tree packed as gameres.pak.

#include "game/game_test_support.h"
#include "game/support/game_harness.h"

#include "game/credits/credits_roll.h"
#include "game/profiles/profile_record.h"
#include "game/profiles/profiles_manager.h"
#include "game/room.h"
#include "game/screens/scene_player.h"
#include "game/screens/title_screen.h"
#include "game/shell/game_app.h"
#include "game/tip_manager.h"
#include "game/widgets/room_button.h"
#include "mirel/base/a_utf.h"
#include "mirel/gfx/a_font.h"
#include "mirel/gfx/a_image.h"
#include "mirel/gfx/a_imagemanager.h"
#include "mirel/gui/gui_buttonbase.h"
#include "mirel/gui/gui_editbox.h"
#include "mirel/gui/gui_server.h"
#include "mirel/gui/gui_staticimage.h"
#include "mirel/gui/gui_statictext.h"
#include "mirel/gui/gui_widget.h"
#include "mirel/locale/a_localeserver.h"
#include "mirel/sound/a_sound.h"
#include "mirel/util/a_optionsfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace gametest;
namespace fs = std::filesystem;

namespace {

const std::string kProgram = MIREL_GAME_DIR "/";
const std::string kPacked = MIREL_GAME_PAK_DIR "/";
const std::string kData = kProgram + "gameres/";

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(" \t");
    const size_t b = s.find_last_not_of(" \t");
    return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
}

// "data:x" as a path in the built tree.
std::string OnDisk(const std::string& path) {
    return path.rfind("data:", 0) == 0 ? kData + path.substr(5) : path;
}

// The GUI scripts the main layout reads, itself first, following its includes.
std::vector<std::string> LayoutScripts() {
    std::vector<std::string> scripts = {"data:gui/main.agui"};
    for (size_t i = 0; i < scripts.size(); ++i) {
        for (const std::string& line : Lines(OnDisk(scripts[i]))) {
            const std::string t = Trim(line);
            if (t.rfind("#include", 0) != 0)
                continue;
            const size_t open = t.find('"'), close = t.rfind('"');
            if (open != std::string::npos && close > open)
                scripts.push_back(t.substr(open + 1, close - open - 1));
        }
    }
    return scripts;
}

// The files of every fontlist block of the layout.
std::vector<std::string> LayoutFonts() {
    std::vector<std::string> fonts;
    for (const std::string& script : LayoutScripts()) {
        bool inList = false;
        for (const std::string& line : Lines(OnDisk(script))) {
            const std::string t = Trim(line);
            if (t == "fontlist")
                inList = true;
            else if (inList && t == "}")
                inList = false;
            else if (inList && t != "{" && !t.empty() && t[0] != ';')
                fonts.push_back(Trim(t.substr(t.find_first_of(" \t") + 1)));
        }
    }
    return fonts;
}

// The files a list names, each beside the list ("name.ext" and a format or a volume).
std::vector<std::string> ListedFiles(const std::string& list) {
    std::vector<std::string> files;
    const std::string folder = list.substr(0, list.rfind('/') + 1);
    for (const std::string& line : Lines(OnDisk(list))) {
        const std::string t = Trim(line);
        if (!t.empty() && t[0] != ';')
            files.push_back(folder + t.substr(0, t.find_first_of(" \t")));
    }
    return files;
}

std::vector<std::string> Sections(const std::string& path) {
    std::vector<std::string> sections;
    for (const std::string& line : Lines(path)) {
        const std::string t = Trim(line);
        if (t.size() > 2 && t.front() == '[' && t.back() == ']')
            sections.push_back(t.substr(1, t.size() - 2));
    }
    return sections;
}

int LevelCount() {
    int count = 0;
    char name[32];
    for (;;) {
        std::snprintf(name, sizeof name, "levels/%02d.ini", count + 1);
        if (!fs::exists(kData + name))
            return count;
        ++count;
    }
}

// The rooms every chapter names ("[Room.x]" sections).
std::set<std::string> ChapterRooms() {
    std::set<std::string> rooms;
    for (int n = 1; n <= LevelCount(); ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "levels/%02d.ini", n);
        for (const std::string& section : Sections(kData + name))
            if (section.rfind("Room.", 0) == 0)
                rooms.insert(section.substr(5));
    }
    return rooms;
}

// Every text the texts files define ("file: key" and the text); their count.
int ForEachText(const aLocaleServer& locale,
                const std::function<void(const std::string& where, const std::u16string& text)>& check) {
    int texts = 0;
    for (const auto& entry : fs::directory_iterator(kData + "loc")) {
        if (entry.path().extension() != ".txt")
            continue;
        for (const std::string& line : Lines(entry.path().string())) {
            const std::string t = Trim(line);
            if (t.empty() || t[0] == ';' || t.find('"') == std::string::npos)
                continue;
            const std::string key = Trim(t.substr(0, t.find_first_of(" \t=")));
            if (const std::u16string* text = locale.findString(key)) {
                ++texts;
                check(entry.path().filename().string() + ": " + key, *text);
            }
        }
    }
    return texts;
}

// What the game shell itself looks up by name.
const char* const kShellWidgets[] = {
    // the title screen
    "title_screen", "user_name", "change_profile", "btn_start", "btn_help", "btn_options", "btn_quit",
    "btn_credits",
    // the panel and the hidden-object rooms' list in it
    "panel", "clock", "clock_text", "items_remain", "clues_remain", "btn_map", "btn_menu", "btn_hint",
    "btn_hint_label", "btn_cardroom", "btn_cardroom_b", "btn_evidroom", "btn_evidroom_b", "info_spy_room",
    "room_name", "bonus_item", "bonus_item_hint",
    // the map
    "game_map", "info_map", "level_num", "n_items", "n_clues", "Orlevant_comment",
    // the message boxes
    "msgbox_container_error", "msgbox_cheater_warning", "msgbox_clue", "msgbox_clue_large", "msgbox_comment",
    "msgbox_comment_large", "msgbox_text", "msgbox_image", "msgbox_roomclear", "msgbox_completed",
    "msgbox_timeover", "msgbox_suspect_bio", "msgbox_Quillby", "msgbox_clue_card",
    // options, menu, the save-and-exit question, help
    "options", "sound_vol", "music_vol", "fullscreen", "fullscreen_auto_check", "show_tips",
    "show_tips_auto_check", "btn_apply", "btn_cancel", "ingame_menu", "resume", "map", "help", "exit",
    "confirm_save_exit", "gamehelp", "pages", "buttons", "ok",
    // the player dialogs
    "profiles_list", "new_profile", "del_profile", "selection", "create_new_profile", "name", "refused",
    "btn_ok", "confirm_profile_delete", "btn_yes", "btn_no",
    // tips, story scenes, credits, bonus rooms, the input blocker
    "game_tip", "balloon", "dont_show", "dont_show_auto_check", "story_scene", "picture", "prev", "next",
    "skip", "finish", "credits_back", "bonus_desc", "skip_bonus_round", "finalize_bonus_round",
    "confirm_skip_dialog", "empty"};

const char* const kShellImages[] = {"white_dot",    "pause",         "level_completed", "clock_hand_h",
                                    "clock_hand_m", "clock_overlay", "clock_warning",   "bonus_round",
                                    "load_image",   "load_progress"};

const char* const kShellSounds[] = {"level_completed", "level_failed", "low_time",  "room_enter",
                                    "room_exit",       "room_clear",   "show_hint", "multiclick",
                                    "got_clue_card",   "tip",          "click"};

const char* const kShellTexts[] = {
    "map_first_time", "time_paused",  "fmt_items_remain",    "fmt_clues_remain", "fmt_n_items",
    "fmt_n_clues",    "level_header", "new_rooms_available", "card_room_empty",  "evidence_room_empty"};

// The tips the game and its rooms ask for.
const char* const kTips[] = {"clock", "evidence_room_intro", "hints_disabled_here", "items_list",
                             "item",  "container",           "player_stuck"};

// Log lines that tell of a missing or broken piece of data. Not the player's
// own files (the first start has no profiles and no saved game yet), and not
// the clue-card and evidence rooms' folders and chapter keys, which come with
// those rooms.
bool IsDataFault(const std::string& line) {
    for (const char* other : {"userappdata:", "#card_room/", "#evidence_room/", "[General].EvidencesTo"}) {
        if (line.find(other) != std::string::npos)
            return false;
    }
    for (const char* part : {"not found", "Cannot find", "Error open file", "invalid", "Invalid", "failed",
                             "not defined", "must be", "Error in line", "Unknown"}) {
        if (line.find(part) != std::string::npos)
            return true;
    }
    return false;
}

class ShellDataTest : public ::testing::Test {
protected:
    void TearDown() override { harness.reset(); }

    // The program folder started; frames until the splash screens are over
    // and everything is loaded, then the title's intro.
    void Start(const std::string& program) {
        ASSERT_TRUE(fs::exists(program + "Tarrowdene.ini")) << program;
        harness = std::make_unique<GameHarness>(program, Scratch() + "user/");
        ASSERT_TRUE(harness->Start());
        for (int i = 0; i < 400 && !Game().IsResourcesLoaded(); ++i)
            harness->Step();
        ASSERT_TRUE(Game().IsResourcesLoaded());
        harness->RunFor(TitleScreen::kIntroEnd - TitleScreen::kIntroStart);
    }
    GameApp& Game() { return harness->Game(); }
    std::vector<std::string> Faults() {
        std::vector<std::string> faults;
        for (const std::string& line : harness->Log().lines)
            if (IsDataFault(line))
                faults.push_back(line);
        return faults;
    }
    GUI::Widget* FrontBox() {
        const auto& boxes = Game().GetMessageBoxes();
        return boxes.empty() ? nullptr : static_cast<GUI::Widget*>(boxes.front().box);
    }
    bool StepUntil(const std::function<bool()>& done, int limit = 200) {
        for (int i = 0; i < limit && !done(); ++i)
            harness->Step();
        return done();
    }
    // First start to the first room of chapter 1, as a player goes.
    void PlayToTheFirstRoom() {
        // No player yet: the new-player dialog over the title.
        ASSERT_TRUE(harness->Visible("create_new_profile"));
        harness->TypeText("Mara");
        ASSERT_TRUE(harness->Click("btn_ok"));
        harness->Step();
        ASSERT_TRUE(harness->Visible("title_screen"));
        EXPECT_EQ(harness->Text("user_name"), u"Mara");
        EXPECT_TRUE(harness->Visible("btn_start"));

        // Play: chapter 1 opens with its story scene, which the player skips.
        ASSERT_TRUE(harness->Click("btn_start"));
        harness->Step();
        ASSERT_TRUE(Game().GetScenePlayer()->IsPlaying());
        EXPECT_TRUE(harness->Visible("story_scene"));
        ASSERT_TRUE(harness->Click("skip"));
        ASSERT_TRUE(StepUntil([&] { return !Game().GetScenePlayer()->IsPlaying(); }));

        // The map of chapter 1: its heading, its three rooms lit, the greeting.
        ASSERT_EQ(Game().GetMode(), GameApp::MODE_MAP);
        EXPECT_TRUE(harness->Visible("game_map"));
        EXPECT_TRUE(harness->Visible("panel"));
        EXPECT_EQ(harness->Text("level_num"), u"Chapter 1");
        EXPECT_EQ(harness->Text("Orlevant_comment"), u"A letter from Quillby");
        for (const char* room : {"harbour", "clockshop", "inn"}) {
            GUI::Widget* button = harness->Find(room);
            ASSERT_NE(button, nullptr) << room;
            EXPECT_TRUE(button->IsEnabled()) << room;
            EXPECT_TRUE(harness->Visible(std::string(room) + "_count")) << room;
        }
        EXPECT_FALSE(harness->Find("study")->IsEnabled());
        ASSERT_TRUE(StepUntil([&] { return !Game().GetMessageBoxes().empty(); }, 20));
        GUI::Widget* greeting = FrontBox();
        EXPECT_EQ(greeting->GetName(), "msgbox_text");
        EXPECT_NE(greeting->FindChild("text")->GetText().find(u"Welcome to Tarrowdene, Mara."),
                  std::u16string::npos);
        // Its box closed, and the tip it is followed by.
        for (int i = 0; i < 10 && (!Game().GetMessageBoxes().empty() || Game().GetTipManager()->IsTipShown());
             ++i) {
            if (GUI::Widget* box = FrontBox()) {
                GUI::Widget* close = box->FindChild("close", true);
                ASSERT_NE(close, nullptr);
                harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                                 close->GetAbsoluteY() + close->GetHeight() / 2);
            } else {
                harness->ClickAt(1000, 10);
            }
            harness->Steps(20);
        }

        // A click on the quay's stones enters the harbour.
        GUI::Widget* harbour = harness->Find("harbour");
        harness->ClickAt(harbour->GetAbsoluteX() + harbour->GetWidth() / 2,
                         harbour->GetAbsoluteY() + harbour->GetHeight() / 2);
        ASSERT_TRUE(StepUntil([&] { return Game().GetMode() == GameApp::MODE_ROOM; }, 20));
        ASSERT_NE(Game().GetCurrentRoom(), nullptr);
        EXPECT_EQ(Game().GetCurrentRoom()->GetName(), "harbour");
        EXPECT_TRUE(harness->Visible("info_spy_room"));
        EXPECT_EQ(harness->Text("room_name"), u"The Harbour Quay");
        EXPECT_FALSE(harness->Visible("game_map"));
        // The room's first tip points at its list; its close button shuts it.
        ASSERT_TRUE(StepUntil([&] { return Game().GetTipManager()->IsTipShown(); }, 20));
        GUI::Widget* close = harness->Find("game_tip")->FindChild("close", true);
        harness->Steps(10);
        harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                         close->GetAbsoluteY() + close->GetHeight() / 2);
        ASSERT_TRUE(StepUntil([&] { return !Game().GetTipManager()->IsTipShown(); }, 40));
    }

    std::unique_ptr<GameHarness> harness;
};

TEST(ShellData, EveryFileTheGameReadsIsInTheBuiltTree) {
    std::vector<std::string> files = {kProgram + "Tarrowdene.ini",
                                      kProgram + "splashscreens/settings.ini",
                                      "data:loc/main.txt",
                                      "data:loc/credits.txt",
                                      "data:loc/levels.txt",
                                      "data:loc/items_comments.txt",
                                      "data:tips.ini",
                                      "data:credits.ini",
                                      "data:particles/config.ini",
                                      "data:sounds/ambient/title_screen.ini",
                                      "data:sounds/ambient/map.ini",
                                      "data:music/menu_theme.ogg",
                                      "data:music/playlist.txt",
                                      "data:signature.txt",
                                      "data:video/waves.ogg"};
    for (const std::string& script : LayoutScripts())
        files.push_back(script);
    for (const std::string& font : LayoutFonts()) {
        files.push_back(font);
        // a font's atlas lies beside it, named after it
        files.push_back(font.substr(0, font.rfind('.')) + ".png");
    }
    for (const char* list :
         {"data:images/preload/ImageList.txt", "data:images/title/ImageList.txt",
          "data:images/map/ImageList.txt", "data:images/evidences/ImageList.txt",
          "data:images/credits/ImageList.txt", "data:images/ImageList.txt", "data:images/rooms/ImageList.txt",
          "data:particles/ImageList.txt", "data:sounds/SoundList.txt", "data:sounds/rooms/SoundList.txt",
          "data:sounds/ambient/SoundList.txt"}) {
        files.push_back(list);
        for (const std::string& file : ListedFiles(list))
            files.push_back(file);
    }
    for (const std::string& track : Lines(kData + "music/playlist.txt"))
        if (!Trim(track).empty())
            files.push_back("data:music/" + Trim(track));
    // every chapter's room: its folder and texts, and its map button's mask
    EXPECT_EQ(LevelCount(), 8);
    for (const std::string& room : ChapterRooms()) {
        for (const char* part : {"objects.ini", "items.ini", "images/ImageList.txt", "sounds/SoundList.txt",
                                 "sounds/ambient.ini"})
            files.push_back("data:rooms/" + room + "/" + part);
        files.push_back("data:loc/room_" + room + ".txt");
        files.push_back(RoomButton::MaskPath(room));
    }
    for (const std::string& file : files)
        EXPECT_TRUE(fs::is_regular_file(OnDisk(file))) << file;
    // The splash screens' pictures.
    for (const std::string& line : Lines(kProgram + "splashscreens/settings.ini")) {
        const std::string t = Trim(line);
        if (t.rfind("image", 0) == 0) {
            EXPECT_TRUE(fs::is_regular_file(kProgram + "splashscreens/" + Trim(t.substr(t.find('=') + 1))))
                << t;
        }
    }
}

TEST_F(ShellDataTest, EveryNameTheShellLooksUpIsDefined) {
    Start(kProgram);
    EXPECT_EQ(Faults(), std::vector<std::string>());

    for (const char* name : kShellWidgets)
        EXPECT_NE(harness->Find(name), nullptr) << name;
    // A room button on the map for every room a chapter names, with the
    // three children the map gives it: plate, tick and count.
    for (const std::string& room : ChapterRooms()) {
        GUI::Widget* button = harness->Find(room);
        ASSERT_NE(dynamic_cast<RoomButton*>(button), nullptr) << room;
        EXPECT_GE(button->GetChildren().size(), 3u) << room;
        EXPECT_NE(Game().GetImageManager()->getImage(RoomButton::DayName(room), "map"), nullptr) << room;
        EXPECT_NE(Game().FindRoom(room), nullptr) << room;
    }
    for (const char* name : kShellImages)
        EXPECT_NE(Game().GetImageManager()->getImage(name), nullptr) << name;
    for (const char* name : kShellSounds)
        EXPECT_TRUE(Game().GetSoundManager()->hasSound(name)) << name;

    const aLocaleServer* locale = Game().GetLocaleServer();
    std::vector<std::string> keys(std::begin(kShellTexts), std::end(kShellTexts));
    for (int n = 1; n <= LevelCount(); ++n) {
        keys.push_back("lev" + std::to_string(n) + ".title");
        keys.push_back("lev" + std::to_string(n) + ".completed");
    }
    const std::vector<std::string> tips = Sections(kData + "tips.ini");
    ASSERT_FALSE(tips.empty());
    for (size_t i = 1; i < tips.size(); ++i)
        keys.push_back("tip." + tips[i]);
    for (const std::string& room : ChapterRooms()) {
        keys.push_back("map." + room);
        keys.push_back("list." + room);
    }
    for (const std::string& key : keys)
        EXPECT_NE(locale->findString(key), nullptr) << key;
    // A "Text" of the layout that names no text would show the key itself.
    for (const std::string& script : LayoutScripts()) {
        for (const std::string& line : Lines(OnDisk(script))) {
            const std::string t = Trim(line);
            if (t.rfind("Text ", 0) == 0) {
                EXPECT_NE(locale->findString(Trim(t.substr(5))), nullptr) << script << ": " << t;
            }
        }
    }
    for (const char* tip : kTips)
        EXPECT_NE(Game().GetTipManager()->FindTip(tip), nullptr) << tip;
}

// The texts files hold a text between its first and last quote as it is:
// a backslash before a quote inside it would show on the screen.
TEST_F(ShellDataTest, NoTextShowsAnEscapedQuote) {
    Start(kProgram);
    const int texts =
        ForEachText(*Game().GetLocaleServer(), [](const std::string& where, const std::u16string& text) {
            EXPECT_EQ(text.find(u"\\\""), std::u16string::npos) << where;
        });
    EXPECT_GT(texts, 100);
}

// Every message box of the layout, shown as the game shows it (with a long
// text and a picture where it takes them; the clue card's box empty, with the
// card rising behind it), lies on the screen in one piece: its picture as
// wide as the box and cut to its height, its bottom under it at its full
// width. The clue card's box keeps the card's place clear.
TEST_F(ShellDataTest, EveryMessageBoxShowsInOnePieceOnTheScreen) {
    Start(kProgram);
    const std::u16string text = u"A text of several lines, as long as the longest comment of the notebook or "
                                u"the longest of Quillby's remarks, so that the box must grow to hold it all "
                                u"and still stay inside the screen with its bottom and its button.";
    aImage picture("data:images/evidences/large/harbour_ledger.jng", 21, 21);
    ASSERT_TRUE(picture.hasTexture());
    std::vector<GUI::Widget*> widgets = {Game().GetGuiServer()->GetRootWidget()};
    std::vector<GUI::StaticImage*> boxes;
    for (size_t i = 0; i < widgets.size(); ++i) {
        for (GUI::Widget* child : widgets[i]->GetChildren())
            widgets.push_back(child);
        if (widgets[i]->GetName().rfind("msgbox_", 0) == 0)
            if (auto* box = dynamic_cast<GUI::StaticImage*>(widgets[i]))
                boxes.push_back(box);
    }
    EXPECT_EQ(boxes.size(), 14u);
    for (GUI::StaticImage* box : boxes) {
        const std::string& name = box->GetName();
        const bool card = name == "msgbox_clue_card";
        const bool takesPicture = box->FindChild("image") != nullptr;
        ASSERT_TRUE(Game().ShowMessageBoxText(name, GameApp::ACTION_NONE, card ? std::u16string() : text,
                                              takesPicture && !card ? &picture : nullptr, nullptr))
            << name;
        harness->Step();
        ASSERT_TRUE(box->IsVisible(true)) << name;
        const int32_t x = box->GetAbsoluteX(), y = box->GetAbsoluteY();
        const int32_t w = box->GetWidth(), h = box->GetHeight();
        EXPECT_GE(x, 0) << name;
        EXPECT_GE(y, 0) << name;
        EXPECT_LE(x + w, 1024) << name;
        EXPECT_LE(y + h, 768) << name;
        // The upper part: the box's picture from its top, neither stretched nor squeezed.
        EXPECT_EQ(box->GetImageRect().x, 0) << name;
        EXPECT_EQ(box->GetImageRect().y, 0) << name;
        EXPECT_EQ(box->GetImageRect().width, w) << name;
        EXPECT_EQ(box->GetImageRect().height, h) << name;
        EXPECT_EQ(int32_t(box->GetImage().getWidth()), w) << name;
        // The lower part: under the upper one, as wide, on the screen.
        GUI::Widget* bottom = box->FindChild("bottom");
        ASSERT_NE(bottom, nullptr) << name;
        EXPECT_EQ(bottom->GetAbsoluteX(), x) << name;
        EXPECT_EQ(bottom->GetWidth(), w) << name;
        EXPECT_GT(bottom->GetAbsoluteY(), y) << name;
        EXPECT_LE(bottom->GetAbsoluteY(), y + h) << name;
        EXPECT_LE(bottom->GetAbsoluteY() + bottom->GetHeight(), 768) << name;
        GUI::Widget* close = bottom->FindChild("close");
        ASSERT_NE(close, nullptr) << name;
        EXPECT_GE(close->GetAbsoluteX(), x) << name;
        EXPECT_LE(close->GetAbsoluteX() + close->GetWidth(), x + w) << name;
        if (GUI::Widget* image = box->FindChild("image"); image && takesPicture && !card) {
            EXPECT_GE(image->GetAbsoluteX(), x) << name;
            EXPECT_LE(image->GetAbsoluteX() + image->GetWidth(), x + w) << name;
            EXPECT_LT(image->GetAbsoluteY() + image->GetHeight(), bottom->GetAbsoluteY()) << name;
        }
        if (card) {
            // The card ends its rise at full size on the screen's middle: the
            // box's picture is clear there and its bottom lies below it.
            const aImage& frame = box->GetImage();
            for (int32_t cy = 384 - 240; cy < 384 + 240; cy += 8)
                for (int32_t cx = 512 - 180; cx < 512 + 180 && cy - y < h; cx += 8) {
                    ASSERT_EQ(frame.getPixel(cx - x, cy - y) >> 24, 0u) << cx << "," << cy;
                }
            EXPECT_GE(bottom->GetAbsoluteY(), 384 + 240);
        }
        harness->ClickAt(close->GetAbsoluteX() + close->GetWidth() / 2,
                         close->GetAbsoluteY() + close->GetHeight() / 2);
        harness->Step();
        EXPECT_TRUE(Game().GetMessageBoxes().empty()) << name;
    }
}

// The options opened from the pause menu cover the menu's card (no edge of
// it shows beside them); opened from the title they take their own place.
TEST_F(ShellDataTest, OptionsFromThePauseMenuCoverItsCard) {
    Start(kProgram);
    PlayToTheFirstRoom();
    const auto clickOn = [&](GUI::Widget* w) {
        ASSERT_NE(w, nullptr);
        harness->ClickAt(w->GetAbsoluteX() + w->GetWidth() / 2, w->GetAbsoluteY() + w->GetHeight() / 2);
        harness->Step();
    };
    GUI::Widget* menu = harness->Find("ingame_menu");
    GUI::Widget* card = menu->FindChild("card");
    GUI::Widget* options = Game().GetGuiServer()->GetRootWidget()->FindChild("options");
    ASSERT_NE(card, nullptr);
    ASSERT_NE(options, nullptr);
    const aRect place = options->GetAreaRect();
    clickOn(harness->Find("btn_menu"));
    ASSERT_TRUE(harness->Visible("ingame_menu"));
    clickOn(menu->FindChild("options"));
    ASSERT_TRUE(options->IsVisible(true));
    EXPECT_LE(options->GetAbsoluteX(), card->GetAbsoluteX());
    EXPECT_LE(options->GetAbsoluteY(), card->GetAbsoluteY());
    EXPECT_GE(options->GetAbsoluteX() + options->GetWidth(), card->GetAbsoluteX() + card->GetWidth());
    EXPECT_GE(options->GetAbsoluteY() + options->GetHeight(), card->GetAbsoluteY() + card->GetHeight());
    EXPECT_LE(options->GetAbsoluteX() + options->GetWidth(), 1024);
    clickOn(options->FindChild("btn_cancel", true));
    EXPECT_FALSE(options->IsVisible(true));
    EXPECT_TRUE(harness->Visible("ingame_menu"));
    // Saved and back on the title: the options where the layout has them.
    clickOn(menu->FindChild("exit"));
    clickOn(harness->Find("confirm_save_exit")->FindChild("btn_yes"));
    ASSERT_TRUE(harness->Visible("btn_options"));
    clickOn(harness->Find("btn_options"));
    ASSERT_TRUE(options->IsVisible(true));
    EXPECT_EQ(options->GetAreaRect(), place);
}

// The credits lie inside the gold frame of their sea chart: the back button,
// every tile of the heap wherever it falls (turned, with its shadow), and
// every line of every screen; the heap keeps clear of the back button.
TEST_F(ShellDataTest, TheCreditsLieInsideTheirFrame) {
    Start(kProgram);
    // The frame's inner edge: the first brass pixel from the middle outwards.
    aImage chart("data:images/credits/background.jpg", 23, 23);
    ASSERT_EQ(chart.getWidth(), 1024u);
    const auto brass = [&](int32_t x, int32_t y) {
        const uint32_t p = chart.getPixel(x, y);
        return int32_t((p >> 16) & 0xFF) > int32_t(p & 0xFF) + 20;
    };
    int32_t left = 512, right = 512, top = 384, bottom = 384;
    while (left > 0 && !brass(left - 1, 384))
        --left;
    while (right < 1023 && !brass(right + 1, 384))
        ++right;
    while (top > 0 && !brass(512, top - 1))
        --top;
    while (bottom < 767 && !brass(512, bottom + 1))
        ++bottom;
    ASSERT_GT(left, 0);
    ASSERT_LT(right, 1023);
    ASSERT_GT(top, 0);
    ASSERT_LT(bottom, 767);
    const auto inside = [&](float x0, float y0, float x1, float y1) {
        return x0 >= float(left) && y0 >= float(top) && x1 <= float(right + 1) && y1 <= float(bottom + 1);
    };
    GUI::Widget* back = harness->Find("credits_back");
    ASSERT_NE(back, nullptr);
    const float bx0 = float(back->GetAbsoluteX()), by0 = float(back->GetAbsoluteY());
    const float bx1 = bx0 + float(back->GetWidth()), by1 = by0 + float(back->GetHeight());
    EXPECT_TRUE(inside(bx0, by0, bx1, by1)) << bx0 << "," << by0;

    // A tile at (x, y) turns about (x + 13.5, y + 14); turned any way, its
    // shadow (34 x 35 from x - 3, y - 3) stays within 25.1 pixels of that.
    constexpr float kReach = 25.1f;
    const auto tileInside = [&](float x, float y) {
        return inside(x + 13.5f - kReach, y + 14.0f - kReach, x + 13.5f + kReach, y + 14.0f + kReach);
    };
    CreditsRoll* roll = Game().GetCreditsRoll();
    ASSERT_NE(roll, nullptr);
    const CLetterHeap& heap = roll->GetHeap();
    const float hx = heap.GetX(), hy = heap.GetY(), hw = heap.GetWidth(), hh = heap.GetHeight();
    EXPECT_TRUE(tileInside(hx, hy) && tileInside(hx + hw, hy + hh))
        << hx << "," << hy << " " << hw << "x" << hh;
    const bool meetsBack = hx + 13.5f - kReach < bx1 && hx + hw + 13.5f + kReach > bx0 &&
                           hy + 14.0f - kReach < by1 && hy + hh + 14.0f + kReach > by0;
    EXPECT_FALSE(meetsBack) << "the heap reaches under the back button";

    std::set<size_t> screens;
    for (int i = 0; i < 20000 && screens.size() < roll->GetScreens().size(); ++i) {
        roll->Update(0.05f);
        if (roll->GetRollState() != 3 || !screens.insert(roll->GetScreenIndex()).second)
            continue;
        for (const auto& line : roll->GetLines())
            for (const CCreditsLine::Slot& slot : line->GetSlots()) {
                int32_t x = 0, y = 0;
                slot.letter.GetDestination(x, y);
                EXPECT_TRUE(tileInside(float(x), float(y)))
                    << "screen " << roll->GetScreenIndex() << ": " << x << "," << y;
            }
    }
    EXPECT_EQ(screens.size(), roll->GetScreens().size());
}

bool HasTwoBlanksInARow(const std::u16string& text) {
    for (size_t i = 1; i < text.size(); ++i)
        if ((text[i] == u' ' || text[i] == u'\t') && (text[i - 1] == u' ' || text[i - 1] == u'\t'))
            return true;
    return false;
}

// No text the player reads holds two blanks in a row: not the texts files,
// and not what the shell writes with them (the counters, the chapter's
// heading, the greeting with the player's name) once a game runs.
TEST_F(ShellDataTest, NoTextShowsTwoBlanksInARow) {
    Start(kProgram);
    const int texts =
        ForEachText(*Game().GetLocaleServer(), [](const std::string& where, const std::u16string& text) {
            EXPECT_FALSE(HasTwoBlanksInARow(text)) << where;
        });
    EXPECT_GT(texts, 100);
    PlayToTheFirstRoom();
    std::vector<GUI::Widget*> widgets = {Game().GetGuiServer()->GetRootWidget()};
    for (size_t i = 0; i < widgets.size(); ++i) {
        for (GUI::Widget* child : widgets[i]->GetChildren())
            widgets.push_back(child);
        EXPECT_FALSE(HasTwoBlanksInARow(widgets[i]->GetText())) << widgets[i]->GetName();
    }
    EXPECT_EQ(harness->Text("n_items"), u"Items found: 0 of 36");
}

// Every text the layout writes fits its place: a button's words its width,
// a text's lines its height.
TEST_F(ShellDataTest, EveryTextOfTheLayoutFitsItsPlace) {
    Start(kProgram);
    std::vector<GUI::Widget*> widgets = {Game().GetGuiServer()->GetRootWidget()};
    int texts = 0;
    for (size_t i = 0; i < widgets.size(); ++i) {
        GUI::Widget* w = widgets[i];
        for (GUI::Widget* child : w->GetChildren())
            widgets.push_back(child);
        if (w->GetText().empty() || !w->GetFont())
            continue;
        ++texts;
        if (dynamic_cast<GUI::ButtonBase*>(w)) {
            float width = 0.0f, height = 0.0f;
            w->GetFont()->getTextExtentW(w->GetText(), width, height);
            EXPECT_LE(width, float(w->GetWidth())) << w->GetName();
            EXPECT_LE(height, float(w->GetHeight())) << w->GetName();
        } else if (auto* text = dynamic_cast<GUI::StaticText*>(w)) {
            EXPECT_LE(text->GetTextHeight(), float(text->GetHeight()) + 2.0f) << w->GetName();
        }
    }
    EXPECT_GT(texts, 60);
}

TEST_F(ShellDataTest, FirstStartGoesThroughTheProfileAndTheMenuToTheMapAndTheFirstRoom) {
    Start(kProgram);
    PlayToTheFirstRoom();
    // The chapter's clock runs in the room.
    harness->RunFor(2.0f);
    EXPECT_EQ(harness->Text("clock_text").substr(0, 3), u"24:");
    EXPECT_EQ(Faults(), std::vector<std::string>());
}

// Where a name is shown: on one line, no wider than its place.
void ExpectOneLine(GUI::Widget* widget, const std::u16string& name) {
    auto* text = dynamic_cast<GUI::StaticText*>(widget);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetText(), name) << text->GetName();
    EXPECT_EQ(text->GetLayout().size(), 1u) << text->GetName();
    EXPECT_LE(text->GetTextWidth(), float(text->GetWidth())) << text->GetName();
    EXPECT_LE(text->GetTextHeight(), float(text->GetHeight())) << text->GetName();
}

// The longest name the name box takes, written in the widest character its
// fonts draw, fits the title's line under "Welcome back,", the player list
// and the question before a player is deleted; in the map's greeting it
// stands whole on one line, also when it holds a blank.
TEST_F(ShellDataTest, TheLongestNameFitsWhereverItIsShown) {
    Start(kProgram);
    GUI::Widget* dialog = harness->Find("create_new_profile");
    auto* box = dynamic_cast<GUI::Editbox*>(dialog->FindChild("name", true));
    ASSERT_NE(box, nullptr);
    const size_t longest = size_t(box->GetMaxLength());
    ASSERT_GT(longest, 8u);
    // The widest character the box takes, in the widest of the fonts showing names.
    std::vector<const aFont*> fonts = {box->GetFont(), harness->Find("user_name")->GetFont(),
                                       harness->Find("msgbox_text")->FindChild("text")->GetFont(),
                                       harness->Find("profile_line0")->GetFont(),
                                       harness->Find("confirm_profile_delete")->FindChild("name")->GetFont()};
    char16_t widest = u'W';
    float widestWidth = 0.0f;
    for (char16_t c : Game().GetProfiles().GetNameCharacters()) {
        for (const aFont* font : fonts) {
            float width = 0.0f, height = 0.0f;
            font->getTextExtentW(std::u16string(1, c), width, height);
            if (width > widestWidth) {
                widestWidth = width;
                widest = c;
            }
        }
    }
    // A click on the named child of a window (names repeat across windows).
    auto clickIn = [this](const std::string& window, const std::string& name) {
        GUI::Widget* widget = harness->Find(window)->FindChild(name, true);
        if (!widget || !widget->IsVisible(true))
            return false;
        harness->ClickAt(widget->GetAbsoluteX() + widget->GetWidth() / 2,
                         widget->GetAbsoluteY() + widget->GetHeight() / 2);
        return true;
    };
    const std::u16string names[] = {std::u16string(longest, widest),
                                    std::u16string(longest / 2 - 1, widest) + u" " +
                                        std::u16string(longest - longest / 2, widest)};
    for (const std::u16string& name : names) {
        SCOPED_TRACE(wideToUtf8(name));
        if (&name != &names[0]) {
            harness.reset();
            Start(kProgram);
        }
        // The first start's dialog: the name and OK.
        ASSERT_TRUE(harness->Visible("create_new_profile"));
        box = dynamic_cast<GUI::Editbox*>(harness->Find("create_new_profile")->FindChild("name", true));
        box->SetText(name);
        ASSERT_TRUE(clickIn("create_new_profile", "btn_ok"));
        harness->Step();
        ASSERT_TRUE(harness->Visible("title_screen"));
        ExpectOneLine(harness->Find("user_name"), name);
        ExpectOneLine(harness->Find("welcome"), u"Welcome back,");
        GUI::Widget* welcome = harness->Find("welcome");
        EXPECT_LE(welcome->GetAbsoluteY() + welcome->GetHeight(), harness->Find("user_name")->GetAbsoluteY());

        // The list, with a second player, and the question before the long name is deleted.
        ASSERT_TRUE(harness->Click("change_profile"));
        harness->Step();
        ASSERT_TRUE(clickIn("profiles_list", "new_profile"));
        harness->TypeText("Bo");
        ASSERT_TRUE(clickIn("create_new_profile", "btn_ok"));
        harness->Step();
        ExpectOneLine(harness->Find("profile_line0"), name);
        ASSERT_TRUE(clickIn("profiles_list", "profile_line0"));
        ASSERT_TRUE(clickIn("profiles_list", "del_profile"));
        harness->Step();
        ASSERT_TRUE(harness->Visible("confirm_profile_delete"));
        ExpectOneLine(harness->Find("confirm_profile_delete")->FindChild("name"), name);
        ASSERT_TRUE(clickIn("confirm_profile_delete", "btn_no"));
        ASSERT_TRUE(clickIn("profiles_list", "close")); // the long name stays chosen
        harness->Step();
        ExpectOneLine(harness->Find("user_name"), name);

        // The map's greeting.
        ASSERT_TRUE(harness->Click("btn_start"));
        harness->Step();
        ASSERT_TRUE(harness->Click("skip"));
        ASSERT_TRUE(StepUntil([&] { return !Game().GetMessageBoxes().empty(); }, 400));
        auto* greeting = dynamic_cast<GUI::StaticText*>(FrontBox()->FindChild("text"));
        ASSERT_NE(greeting, nullptr);
        std::u16string whole = name + u".";
        std::replace(whole.begin(), whole.end(), u' ', u'\u00a0');
        bool found = false;
        std::string lines; // as the greeting is laid out, for the message
        for (const GUI::StaticText::Line& line : greeting->GetLayout()) {
            EXPECT_LE(line.width, float(greeting->GetWidth()));
            for (const GUI::StaticText::Word& word : line.words) {
                found = found || word.text == whole;
                lines += wideToUtf8(word.text) + " ";
            }
            lines += "\n";
        }
        EXPECT_TRUE(found) << "the name stands whole on one line of the greeting:\n" << lines;
        EXPECT_EQ(Faults(), std::vector<std::string>());
    }
}

TEST_F(ShellDataTest, TheTreePackedAsGameresPakStartsTheSameWay) {
    ASSERT_TRUE(fs::is_regular_file(kPacked + "gameres.pak"));
    ASSERT_FALSE(fs::exists(kPacked + "gameres/gui/main.agui"));
    Start(kPacked);
    PlayToTheFirstRoom();
    EXPECT_EQ(Faults(), std::vector<std::string>());
}

} // namespace
