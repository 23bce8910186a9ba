#include "game/support/fixture_tree.h"

#include "soundgen.h"

#include <filesystem>
#include <sstream>

namespace gametest {

namespace {

content::Picture flat(uint32_t w, uint32_t h, uint32_t colour) {
    return content::Picture(w, h, colour);
}

// A button strip: four glyphs stacked (normal, pushed, hover, disabled).
content::Picture buttonStrip(uint32_t w, uint32_t h) {
    content::Picture p(w, h * 4);
    const uint32_t colours[4] = {0xFF6A5A3A, 0xFF4A3A1A, 0xFFC9A227, 0xFF808080};
    for (uint32_t y = 0; y < h * 4; ++y)
        for (uint32_t x = 0; x < w; ++x)
            p.at(x, y) = colours[y / h];
    return p;
}

std::string rect(int32_t x, int32_t y, int32_t w, int32_t h) {
    std::ostringstream s;
    s << x << " " << y << " " << w << " " << h;
    return s.str();
}

// A plain image button.
std::string button(const std::string& name, int32_t x, int32_t y, int32_t w = 120, int32_t h = 30,
                   const std::string& more = std::string(), const std::string& type = "imagebutton") {
    return " " + type + " " + name + "\n {\n  AreaRect " + rect(x, y, w, h) +
           "\n  Image button\n  ImageRect 0 0 120 120\n  Font main\n" + more + " }\n";
}

std::string text(const std::string& name, int32_t x, int32_t y, int32_t w, int32_t h,
                 const std::string& more = std::string()) {
    return " statictext " + name + "\n {\n  AreaRect " + rect(x, y, w, h) + "\n  Font main\n" + more + " }\n";
}

} // namespace

FixtureTree::FixtureTree(const std::string& homeFolder) : home(homeFolder), data(homeFolder + "gameres/") {
    std::filesystem::create_directories(data);
    rooms = {{"harbour", 260, 120, 120, 90}, {"clockshop", 460, 120, 120, 90}, {"inn", 660, 120, 120, 90}};
}

void FixtureTree::Text(const std::string& relative, const std::string& content) const {
    const std::string path = relative.rfind("home:", 0) == 0 ? home + relative.substr(5) : data + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    content::saveFile(path, content);
}

void FixtureTree::Picture(const std::string& relative, const content::Picture& picture) const {
    const std::string path = data + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const bool bmp = relative.size() > 4 && relative.substr(relative.size() - 4) == ".bmp";
    content::saveFile(path, bmp ? content::writeBmp24(picture) : content::writePng(picture));
}

void FixtureTree::Tone(const std::string& relative, double seconds, double frequency) const {
    const std::string path = data + relative;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    soundgen::Tone tone;
    tone.seconds = seconds;
    tone.frequency = frequency;
    tone.rate = 22050;
    soundgen::Format format = soundgen::Format::Wav;
    soundgen::formatFromPath(path, format);
    soundgen::writeFile(tone, format, path);
}

void FixtureTree::WriteShell() {
    WriteSettings();
    WriteFont();
    WriteImages();
    WriteSounds();
    WriteLocale();
    WriteTips();
    WriteMusic();
    WriteLayout();
    std::vector<std::string> names;
    for (const FixtureRoom& room : rooms)
        names.push_back(room.name);
    WriteLevel(1, 600, 3, 2, names);
    Text("particles/config.ini", "");
    Text("particles/ImageList.txt", "");
    Text("sounds/ambient/title_screen.ini", "");
    Text("sounds/ambient/map.ini", "");
    Text("sounds/ambient/SoundList.txt", "");
    Text("credits.ini", "");
    Text("home:splashscreens/settings.ini", "");
}

void FixtureTree::WriteSettings(const std::string& lang, const std::string& surveyUrl) {
    Text("home:Tarrowdene.ini",
         "[general]\nlang=" + lang + "\nsurveyurl=" + surveyUrl + "\ncrashmessage=Please write to us.\n");
}

void FixtureTree::WriteFont() {
    content::FontBuildOptions options;
    options.pixelHeight = 14;
    options.textureName = "main.png";
    content::FontBuildResult result;
    if (!content::buildFont(options, result))
        return;
    Picture("fonts/main.png", result.atlas);
    Text("fonts/main.fnt", result.fontFile);
}

void FixtureTree::WriteImages() {
    Picture("images/preload/load_image.png", flat(1024, 768, kLoadColour));
    // The bar: the filled half above the frame half.
    content::Picture bar(100, 20, kBarColour);
    for (uint32_t y = 10; y < 20; ++y)
        for (uint32_t x = 0; x < 100; ++x)
            bar.at(x, y) = (x < 2 || x >= 98 || y < 12 || y >= 18) ? kFrameColour : 0;
    Picture("images/preload/load_progress.png", bar);
    Text("images/preload/ImageList.txt", "load_image.png 8888 8888\nload_progress.png 8888 8888\n");

    Picture("images/white_dot.png", flat(4, 4, 0xFFFFFFFF));
    Picture("images/pause.png", flat(200, 100, kPauseColour));
    Picture("images/level_completed.png", flat(300, 100, 0xFFF2A541));
    Picture("images/clock_hand_h.png", flat(30, 8, 0xFF1F1B18));
    Picture("images/clock_hand_m.png", flat(40, 8, 0xFF1F1B18));
    Picture("images/clock_overlay.png", flat(20, 20, 0xFFC9A227));
    Picture("images/clock_warning.png", flat(90, 90, 0xFFFF0000));
    Picture("images/box_bg.png", flat(300, 500, kBoxColour));
    Picture("images/button.png", buttonStrip(120, 30));
    Picture("images/tick.png", flat(20, 20, 0xFF2E4057));
    Picture("images/panel_bg.png", flat(179, 768, kPanelColour));
    Picture("images/title_bg.png", flat(64, 48, kTitleColour));
    Picture("images/map_bg.png", flat(64, 48, kMapColour));
    Picture("images/map_marks.png", flat(1024, 768, 0xFFFAF6EC));
    Picture("images/arrow.png", flat(16, 16, 0xFFFFFFFF));
    Picture("images/tip_bg.png", flat(30, 30, 0xFFFAF6EC));
    Picture("images/bonus_round.png", flat(200, 80, 0xFF3C6E71));
    Text("images/ImageList.txt",
         "white_dot.png 8888 8888\npause.png 8888 8888\nlevel_completed.png 8888 8888\n"
         "clock_hand_h.png 8888 8888\nclock_hand_m.png 8888 8888\nclock_overlay.png 8888 8888\n"
         "clock_warning.png 8888 8888\nbox_bg.png 8888 8888\nbutton.png 8888 8888\ntick.png 8888 8888\n"
         "panel_bg.png 8888 8888\ntitle_bg.png 8888 8888\nmap_bg.png 8888 8888\nmap_marks.png 8888 8888\n"
         "arrow.png 8888 8888\ntip_bg.png 8888 8888\nbonus_round.png 8888 8888\n");

    std::string mapList;
    for (const FixtureRoom& room : rooms) {
        if (room.name.size() > 6 && room.name.substr(room.name.size() - 6) == "_night")
            continue;
        Picture("images/map/" + room.name + ".png",
                flat(uint32_t(room.width), uint32_t(room.height), kRoomColour));
        // The room's outline: all of the rectangle but its left quarter.
        std::vector<uint8_t> mask(size_t(room.width) * size_t(room.height), 0);
        for (int32_t y = 0; y < room.height; ++y)
            for (int32_t x = room.width / 4; x < room.width; ++x)
                mask[size_t(y) * size_t(room.width) + size_t(x)] = 1;
        const std::string maskPath = data + "images/map/regions/" + room.name + ".bmp";
        std::filesystem::create_directories(std::filesystem::path(maskPath).parent_path());
        content::saveFile(maskPath, content::writeBmp1(uint32_t(room.width), uint32_t(room.height), mask));
        mapList += room.name + ".png 8888 8888\n";
    }
    Text("images/map/ImageList.txt", mapList);
    for (const char* group : {"title", "evidences", "credits"})
        Text(std::string("images/") + group + "/ImageList.txt", "");
}

void FixtureTree::WriteSounds() {
    struct Named {
        const char* name;
        double seconds;
    };
    const Named sounds[] = {
        {"level_completed", 0.5}, {"level_failed", 0.3}, {"low_time", 0.2},  {"room_enter", 0.1},
        {"room_exit", 0.1},       {"room_clear", 0.2},   {"show_hint", 0.1}, {"multiclick", 0.1},
        {"got_clue_card", 0.2},   {"tip", 0.1},          {"click", 0.05}};
    std::string list;
    for (const Named& s : sounds) {
        Tone(std::string("sounds/") + s.name + ".wav", s.seconds);
        list += std::string(s.name) + ".wav 1.0\n";
    }
    Text("sounds/SoundList.txt", list);
}

void FixtureTree::WriteLocale() {
    Text("loc/main.txt", "map_first_time = \"Welcome to Tarrowdene, %s!\"\n"
                         "time_paused = \"--:--\"\n"
                         "fmt_items_remain = \"Items left: %d\"\n"
                         "fmt_clues_remain = \"Clues left: %d\"\n"
                         "fmt_n_items = \"Items %d of %d\"\n"
                         "fmt_n_clues = \"Clues %d of %d\"\n"
                         "level_header = \"Chapter %d\"\n"
                         "new_rooms_available = \"New places to visit.\"\n"
                         "card_room_empty = \"No cards yet.\"\n"
                         "evidence_room_empty = \"No evidence yet.\"\n"
                         "tip.clock = \"The clock runs while you search.\"\n"
                         "tip.evidence_room_intro = \"Mara's notebook.\"\n"
                         "tip.hints_disabled_here = \"No hints here.\"\n"
                         "tip.items_list = \"Find these.\"\n" +
                             extraLocale);
    Text("loc/credits.txt", "");
    Text("loc/levels.txt", "lev1.title = \"A letter from Quillby\"\n"
                           "lev2.title = \"Marsh Hall\"\n"
                           "lev3.title = \"The dark lamp\"\n");
    Text("loc/items_comments.txt", "");
}

void FixtureTree::WriteTips() {
    Text("tips.ini", "[General]\nFadeTime=0\nCloseAnywhereTime=0\n"
                     "[clock]\nTimesPerLevel=1\nLevelsCount=1\n"
                     "[evidence_room_intro]\nTimesPerLevel=1\nLevelsCount=1\n"
                     "[hints_disabled_here]\nTimesPerLevel=-1\nLevelsCount=-1\n"
                     "[items_list]\nTimesPerLevel=1\nLevelsCount=1\n");
}

void FixtureTree::WriteMusic(const std::vector<std::string>& tracks) {
    std::string list;
    for (const std::string& track : tracks) {
        Tone("music/" + track, 0.5, 220.0);
        list += track + "\n";
    }
    Tone("music/menu_theme.ogg", 0.5, 330.0);
    Text("music/playlist.txt", list);
}

void FixtureTree::WriteLevel(int number, int seconds, int hints, int randomLeft,
                             const std::vector<std::string>& levelRooms, const std::string& extra) {
    std::ostringstream s;
    s << "[General]\nTime=" << seconds << "\nHintsCount=" << hints << "\nRandomLeft=" << randomLeft << "\n"
      << extra;
    for (const std::string& room : levelRooms)
        s << "[Room." << room << "]\n";
    char name[32];
    std::snprintf(name, sizeof name, "levels/%02d.ini", number);
    Text(name, s.str());
}

void FixtureTree::WriteLayout() {
    std::ostringstream s;
    s << "fontlist\n{\n main data:fonts/main.fnt\n}\n"
         "cursor default\n{\n Image arrow\n NumFrames 1\n FrameSize 16 16\n}\n";
    for (int q = 0; q < 4; ++q)
        s << "style tip_style" << q << "\n{\n Image tip_bg\n AutoSlice all\n FillType stretch\n}\n";

    // The title screen and its buttons.
    s << "staticimage title_screen\n{\n AreaRect 0 0 1024 768\n NormalImage title_bg\n Visible 0\n"
      << text("user_name", 400, 250, 224, 30) << button("btn_start", 450, 300)
      << button("btn_options", 450, 340) << button("btn_help", 450, 380) << button("btn_credits", 450, 420)
      << button("btn_quit", 450, 460) << button("change_profile", 450, 500) << button("survey", 880, 700)
      << "}\n";

    // The map with its room buttons (children in screen coordinates).
    s << "staticimage game_map\n{\n AreaRect 0 0 1024 768\n NormalImage map_bg\n Visible 0\n";
    for (const FixtureRoom& r : rooms) {
        s << " roombutton " << r.name << "\n {\n  AreaRect " << rect(r.x, r.y, r.width, r.height)
          << "\n  FadeInTime 0.5\n  FadeOutTime 0.5\n"
          << "  staticimage " << r.name << "_label\n  {\n   NormalImage map_marks\n   NormalRect "
          << rect(r.x, r.y + r.height, r.width, 20) << "\n  }\n"
          << "  staticimage " << r.name << "_done\n  {\n   NormalImage map_marks\n   NormalRect "
          << rect(r.x + r.width - 20, r.y, 20, 20) << "\n   Visible 0\n  }\n"
          << "  statictext " << r.name << "_count\n  {\n   AreaRect "
          << rect(r.x, r.y + r.height + 20, 60, 20) << "\n   Font main\n   Visible 0\n  }\n }\n";
    }
    s << "}\n";
    s << "widget info_map\n{\n AreaRect 800 420 220 300\n Visible 0\n"
      << text("level_num", 0, 0, 220, 20) << text("n_items", 0, 30, 220, 20)
      << text("n_clues", 0, 60, 220, 20) << text("Orlevant_comment", 0, 90, 220, 60, "  Tag 2\n") << "}\n";

    // The panel.
    s << "staticimage panel\n{\n AreaRect 0 0 179 768\n NormalImage panel_bg\n Visible 0\n"
      << button("clock", 40, 20, 100, 100) << text("clock_text", 40, 125, 100, 24)
      << text("items_remain", 10, 160, 160, 20) << text("clues_remain", 10, 185, 160, 20)
      << button("btn_map", 30, 300) << button("btn_menu", 30, 340)
      << " hintbutton btn_hint\n {\n  AreaRect 30 380 120 30\n  Image button\n  ImageRect 0 0 120 120\n"
         "  statictext btn_hint_label\n  {\n   AreaRect 90 5 25 20\n   Font main\n  }\n }\n"
      << button("btn_cardroom", 30, 420) << button("btn_cardroom_b", 30, 420, 120, 30, "  Visible 0\n")
      << button("btn_evidroom", 30, 460, 120, 30, "  Visible 0\n", "panelbutton")
      << button("btn_evidroom_b", 30, 460, 120, 30, "  Visible 0\n") << "}\n";

    // The rooms' own windows.
    s << "widget card_room\n{\n AreaRect 179 0 845 768\n Visible 0\n}\n"
      << button("skip_bonus_round", 700, 700, 120, 30, "  Visible 0\n")
      << button("finalize_bonus_round", 850, 700, 120, 30, "  Visible 0\n");

    // The message boxes, centred on a layer across the middle of the screen.
    s << "widget msgbox_layer\n{\n AreaRect 0 384 1024 1\n AlwaysOnTop 1\n";
    const char* boxes[] = {
        "msgbox_container_error", "msgbox_cheater_warning", "msgbox_clue",     "msgbox_clue_large",
        "msgbox_comment",         "msgbox_comment_large",   "msgbox_text",     "msgbox_image",
        "msgbox_roomclear",       "msgbox_completed",       "msgbox_timeover", "msgbox_suspect_bio",
        "msgbox_Quillby",         "msgbox_clue_card"};
    for (const char* box : boxes) {
        s << " staticimage " << box
          << "\n {\n  AreaRect 362 -150 300 300\n  NormalImage box_bg\n  Visible 0\n"
          << "  ClipByParent 0\n  Tag 1\n"
          << "  staticimage image\n  {\n   AreaRect 20 20 100 60\n  }\n"
          << "  statictext text\n  {\n   AreaRect 20 90 260 40\n   Font main\n   Tag 6\n   Text \"" << box
          << "\"\n  }\n"
          << "  staticimage bottom\n  {\n   AreaRect 0 200 300 60\n   Tag 8\n"
          << "   imagebutton close\n   {\n    AreaRect 90 10 120 30\n    Image button\n    ImageRect 0 0 120 "
             "120\n"
          << "   }\n  }\n }\n";
    }
    s << "}\n";

    // Options, in-game menu, the save-and-exit question, the help.
    s << "staticimage options\n{\n AreaRect 312 200 400 320\n NormalImage box_bg\n Visible 0\n";
    for (const char* slider : {"sound_vol", "music_vol"}) {
        const int32_t y = std::string(slider) == "sound_vol" ? 40 : 90;
        s << " slider " << slider << "\n {\n  AreaRect " << rect(50, y, 300, 20) << "\n"
          << "  imagebutton " << slider << "_auto_thumb\n  {\n   AreaRect 0 0 20 20\n   Image button\n"
          << "   ImageRect 0 0 120 120\n  }\n }\n";
    }
    for (const char* toggle : {"fullscreen", "show_tips"}) {
        const int32_t y = std::string(toggle) == "fullscreen" ? 140 : 190;
        s << " imagebutton " << toggle << "\n {\n  AreaRect " << rect(50, y, 40, 40)
          << "\n  Image button\n  ImageRect 0 0 120 120\n"
          << "  staticimage " << toggle << "_auto_check\n  {\n   AreaRect 10 10 20 20\n   NormalImage tick\n"
          << "   Static 1\n  }\n }\n";
    }
    s << button("btn_apply", 40, 260) << button("btn_cancel", 240, 260) << "}\n";
    s << "staticimage ingame_menu\n{\n AreaRect 362 150 300 320\n NormalImage box_bg\n Visible 0\n"
      << button("resume", 90, 30) << button("map", 90, 80) << button("options", 90, 130)
      << button("help", 90, 180) << button("exit", 90, 230) << "}\n";
    s << "staticimage confirm_save_exit\n{\n AreaRect 362 250 300 150\n NormalImage box_bg\n Visible 0\n"
      << button("btn_yes", 20, 100, 120, 30, "  Tag 1\n") << button("btn_no", 160, 100, 120, 30, "  Tag 0\n")
      << "}\n";
    s << "staticimage gamehelp\n{\n AreaRect 212 100 600 500\n NormalImage box_bg\n Visible 0\n"
      << button("ok", 240, 440) << " widget pages\n {\n  AreaRect 0 0 600 400\n";
    for (int i = 0; i < 3; ++i)
        s << "  statictext help_page" << i
          << "\n  {\n   AreaRect 20 20 560 360\n   Font main\n   Text \"page " << i << "\"\n  }\n";
    s << " }\n widget buttons\n {\n  AreaRect 400 440 200 40\n";
    for (int i = 0; i < 3; ++i)
        s << "  imagebutton help_next" << i << "\n  {\n   AreaRect 0 0 120 30\n   Image button\n"
          << "   ImageRect 0 0 120 120\n  }\n";
    s << " }\n}\n";

    // The profile dialogs.
    s << "staticimage profiles_list\n{\n AreaRect 362 150 300 400\n NormalImage box_bg\n Visible 0\n"
      << button("new_profile", 20, 300) << button("del_profile", 160, 300) << button("close", 90, 350)
      << " staticimage selection\n {\n  AreaRect 10 20 280 30\n  NormalImage tick\n  Static 1\n }\n";
    for (int i = 0; i < 5; ++i)
        s << text("profile_line" + std::to_string(i), 20, 20 + 40 * i, 260, 30, "  Tag 1\n");
    s << "}\n";
    s << "staticimage create_new_profile\n{\n AreaRect 362 250 300 200\n NormalImage box_bg\n Visible 0\n"
      << " editbox name\n {\n  AreaRect 20 40 260 30\n  Font main\n }\n"
      << text("refused", 20, 80, 260, 30, "  Visible 0\n") << button("btn_ok", 20, 140, 120, 30, "  Tag 1\n")
      << button("btn_cancel", 160, 140, 120, 30, "  Tag 0\n") << "}\n";
    s << "staticimage confirm_profile_delete\n{\n AreaRect 362 250 300 200\n NormalImage box_bg\n Visible 0\n"
      << text("name", 20, 40, 260, 30) << button("btn_yes", 20, 140, 120, 30, "  Tag 1\n")
      << button("btn_no", 160, 140, 120, 30, "  Tag 0\n") << "}\n";

    // Tips, the credits' back button and the input blocker.
    s << "widget game_tip\n{\n AreaRect 0 0 1024 768\n Visible 0\n AlwaysOnTop 1\n"
      << " window balloon\n {\n  AreaRect 10 20 240 90\n  NormalStyle tip_style0\n"
      << text("text", 10, 10, 220, 40) << button("close", 200, 5, 20, 20)
      << " imagebutton dont_show\n  {\n   AreaRect 10 60 20 20\n   Image button\n   ImageRect 0 0 120 120\n"
      << "   staticimage dont_show_auto_check\n   {\n    AreaRect 0 0 20 20\n    NormalImage tick\n   }\n  "
         "}\n"
      << " }\n}\n";
    s << button("credits_back", 880, 720, 120, 30, " Visible 0\n").substr(1);
    s << extraLayout;
    s << "widget empty\n{\n AreaRect 0 0 1024 768\n Visible 0\n}\n";
    layout = s.str();
    Text("gui/main.agui", layout);
}

} // namespace gametest
