// The game started over damaged files: saves, the profiles file, level files,
// a room's "objects.ini" and "items.ini", GUI scripts and image lists, each
// cut short, replaced by random bytes or holding absurd counts and sizes. The
// game starts, names the fault in the log, plays on to the map and into the
// room, and its log goes quiet once it plays. A profiles file it refuses is
// kept beside the new one, and so is the saved game of a player who types
// their name again. A save cut short while it is written leaves the save
// before it loadable.

#include "hostile_game.h"

#include "game/profiles/profile_record.h"
#include "game/profiles/profiles_manager.h"

#include <cmath>
#include <functional>
#include <limits>
#include <sstream>
#include <vector>

using namespace hostile;

namespace {

// One damaged file and the log text that names it.
struct Fault {
    const char* what;
    std::function<void()> damage;
    std::string line;   // empty: the game takes the file as it is, no line is owed
    bool listed = true; // the room is still part of the level (so it can be entered)
    bool kept = false;  // refused, the file is kept beside the one the game writes
};

// A BMP header that claims a picture of the given size, with no pixels after it.
Bytes HugeBmp(uint32_t width, uint32_t height) {
    Bytes b(54, 0);
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, 2, 54);
    PutU32(b, 10, 54);
    PutU32(b, 14, 40);
    PutU32(b, 18, width);
    PutU32(b, 22, height);
    b[26] = 1;
    b[28] = 24;
    return b;
}

std::string Repeat(const std::string& piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

class HostileFiles : public HostileGame {
protected:
    // Each fault in a fresh folder: damaged, started, played on.
    void Run(const std::vector<Fault>& faults, bool expectTitle = true) {
        for (const Fault& fault : faults) {
            SCOPED_TRACE(fault.what);
            Fresh();
            if (prepare)
                prepare();
            fault.damage();
            Start();
            const Reached r = PlayOn();
            EXPECT_FALSE(Game().IsClosed());
            EXPECT_GT(harness->PresentCount(), 50u) << "frames are drawn";
            if (expectTitle) {
                EXPECT_TRUE(r.title);
                EXPECT_TRUE(r.map || r.bonus) << "a game was started";
                EXPECT_EQ(r.room, fault.listed);
            }
            if (!fault.line.empty()) {
                EXPECT_GE(LinesWith(fault.line), 1u) << "the fault is named: " << fault.line << "\n"
                                                     << LogText();
            }
            EXPECT_LE(r.quietLines, 2u) << "no line per frame while playing:\n" << r.quietText;
            harness->Stop();
            if (std::filesystem::exists(SavePath())) {
                // What the game saved over the damage is a save it loads.
                SaveLoadSystem check(1);
                EXPECT_TRUE(check.Load(SavePath(), kSaveFormatVersion));
            }
        }
    }
    std::function<void()> prepare;
};

// A game saved in the room, with its profile: the files the save cases damage.
struct GoodFiles {
    Bytes save;
    Bytes profiles;
};

} // namespace

TEST_F(HostileFiles, TheUndamagedDataPlaysThrough) {
    Start();
    const Reached r = PlayOn();
    EXPECT_TRUE(r.title);
    EXPECT_TRUE(r.map);
    EXPECT_TRUE(r.room);
    EXPECT_EQ(r.quietLines, 0u) << r.quietText;
    EXPECT_GE(Harbour()->GetItemsFound(), 1u) << "the anchor was found";
}

TEST_F(HostileFiles, DamagedSaves) {
    // A real save of a game in the room.
    Start();
    PlayOn();
    GotoRoomAndSave();
    GoodFiles good{gametest::ReadBytes(SavePath()), gametest::ReadBytes(ProfilesPath())};
    ASSERT_GT(good.save.size(), 100u);
    ASSERT_FALSE(good.profiles.empty());
    const Bytes plain = Opened(good.save);
    const size_t room = RecordData(plain, "r:harbour");
    const size_t app = RecordData(plain, "app");
    const size_t tips = RecordData(plain, "<tip_manager>");
    const size_t anchor = RecordData(plain, "o:harbour:anchor");
    ASSERT_NE(room, std::string::npos);
    ASSERT_NE(app, std::string::npos);
    ASSERT_NE(tips, std::string::npos);
    ASSERT_NE(anchor, std::string::npos);

    const std::string failed = "load failed!";
    auto withFile = [&](Bytes file) { return [this, file]() { gametest::WriteBytes(SavePath(), file); }; };
    auto patched = [&](size_t at, uint32_t value) {
        Bytes p = plain;
        PutU32(p, at, value);
        return withFile(Sealed(p));
    };
    auto patchedF = [&](size_t at, float value) {
        Bytes p = plain;
        PutF32(p, at, value);
        return withFile(Sealed(p));
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // The "app" record: level, time-over count, scene flag, scene name (empty:
    // one byte), hidden rooms, level completed, its timer, hints, time left,
    // time at goal, play time (f64).
    const AppFields fields = AppFieldsAt(plain, app);
    const size_t timer = fields.timer, hints = fields.hints, timeLeft = fields.timeLeft,
                 timeAtGoal = fields.timeAtGoal;
    Bytes completedNan = plain;
    completedNan[fields.completed] = 1;
    PutF32(completedNan, timer, nan);

    const std::vector<Fault> faults = {
        {"cut in half", withFile(Bytes(good.save.begin(), good.save.begin() + long(good.save.size() / 2))),
         failed},
        {"eleven bytes", withFile(Bytes(good.save.begin(), good.save.begin() + 11)), failed},
        {"empty", withFile(Bytes()), failed},
        {"random bytes", withFile(Noise(1, good.save.size())), failed},
        {"random bytes with a good checksum", withFile(Sealed(Noise(2, 3000))), failed},
        {"a record count of four thousand million", patched(4, 0xFFFFFFFFu), failed},
        {"a record size past the end", patched(app - 4, 0xFFFFFFF0u), failed},
        {"absurd counters in the room", patched(room + 8, 0xFFFFFFFFu), "SpyRoom::Load"},
        {"two thousand million items on the room's list", patched(room + 27, 0x7FFFFFFFu), "SpyRoom::Load"},
        {"a damaged item name", patched(room + 31, 0xFFFFFFFFu), "not found"},
        {"time left NaN", patchedF(timeLeft, nan), "GameApp::Load - saved time left"},
        {"time left infinite", patchedF(timeLeft, inf), "GameApp::Load - saved time left"},
        {"time left 1e30", patchedF(timeLeft, 1e30f), "GameApp::Load - saved time left"},
        {"time left negative", patchedF(timeLeft, -1e30f), "GameApp::Load - saved time left"},
        {"time at goal NaN", patchedF(timeAtGoal, nan), "GameApp::Load - saved time at goal"},
        {"four thousand million hints", patched(hints, 0xFFFFFFFFu), ""},
        {"a completed level whose timer is NaN", withFile(Sealed(completedNan)), "level-complete timer"},
        {"two thousand million tips", patched(tips, 0x7FFFFFFFu), "TipManager::Load"},
        {"an object placed at no number", patched(anchor, 0xFFFFFFFFu), "SpyObject::Load"},
    };
    // Every case: the good profiles file and the damaged save.
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        Fresh();
        gametest::WriteBytes(ProfilesPath(), good.profiles);
        fault.damage();
        Start();
        const Reached r = PlayOn();
        EXPECT_FALSE(Game().IsClosed());
        EXPECT_TRUE(r.title);
        EXPECT_TRUE(r.map);
        EXPECT_TRUE(r.room);
        if (!fault.line.empty()) {
            EXPECT_GE(LinesWith(fault.line), 1u) << fault.line << "\n" << LogText();
        }
        EXPECT_LE(r.quietLines, 2u) << "no line per frame while playing:\n" << r.quietText;
        EXPECT_TRUE(std::isfinite(Game().GetTimeLeft()));
        EXPECT_GE(Game().GetTimeLeft(), 0.0f);
        EXPECT_LE(Game().GetTimeLeft(), 600.0f);
        harness->Stop();
        SaveLoadSystem check(1);
        if (std::filesystem::exists(SavePath())) {
            EXPECT_TRUE(check.Load(SavePath(), kSaveFormatVersion)) << "the game saved over the damage";
        }
    }
}

TEST_F(HostileFiles, DamagedProfilesFiles) {
    Start();
    PlayOn();
    harness->Stop();
    const Bytes good = gametest::ReadBytes(ProfilesPath());
    ASSERT_GT(good.size(), 20u);
    const Bytes plain = Opened(good);
    const size_t body = RecordData(plain, "<profiles>");
    ASSERT_NE(body, std::string::npos);
    // The body: the current name "Mara" and its NUL, two volumes, three flags,
    // the count, then the profiles.
    const size_t soundVolume = body + 5, musicVolume = body + 9, count = body + 16;
    auto withFile = [this](Bytes file) {
        return [this, file]() { gametest::WriteBytes(ProfilesPath(), file); };
    };
    auto patched = [&](size_t at, uint32_t value) {
        Bytes p = plain;
        PutU32(p, at, value);
        return withFile(Sealed(p));
    };
    auto patchedF = [&](size_t at, float value) {
        Bytes p = plain;
        PutF32(p, at, value);
        return withFile(Sealed(p));
    };
    Bytes noNul = plain;
    for (size_t i = body; i < noNul.size(); ++i)
        noNul[i] = 'x';
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::string failed = "load failed!";
    Bytes flipped = good;
    flipped[flipped.size() / 2] ^= 0x01;
    const std::vector<Fault> faults = {
        {"cut in half", withFile(Bytes(good.begin(), good.begin() + long(good.size() / 2))), failed, true,
         true},
        {"one flipped byte", withFile(flipped), failed, true, true},
        {"empty", withFile(Bytes()), failed, true, true},
        {"random bytes", withFile(Noise(3, 200)), failed, true, true},
        {"random bytes with a good checksum", withFile(Sealed(Noise(4, 500))), failed, true, true},
        {"four thousand million profiles", patched(count, 0xFFFFFFFFu), "ProfilesManager", true, true},
        {"two thousand million profiles", patched(count, 0x80000000u), "ProfilesManager", true, true},
        {"a name without its end", withFile(Sealed(noNul)), "ProfilesManager", true, true},
        {"a sound volume of NaN", patchedF(soundVolume, nan), "ProfilesManager"},
        {"a music volume of 1e30", patchedF(musicVolume, 1e30f), "ProfilesManager"},
        {"a sound volume below zero", patchedF(soundVolume, -4.0f), "ProfilesManager"},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.what);
        Fresh();
        fault.damage();
        const Bytes damaged = gametest::ReadBytes(ProfilesPath());
        Start();
        const Reached r = PlayOn();
        EXPECT_FALSE(Game().IsClosed());
        EXPECT_TRUE(r.title);
        EXPECT_TRUE(r.map);
        EXPECT_TRUE(r.room);
        EXPECT_GE(LinesWith(fault.line), 1u) << fault.line << "\n" << LogText();
        EXPECT_LE(r.quietLines, 2u) << "no line per frame while playing:\n" << r.quietText;
        EXPECT_TRUE(std::isfinite(g_currentSettings.soundVolume));
        EXPECT_TRUE(std::isfinite(g_currentSettings.musicVolume));
        EXPECT_GE(g_currentSettings.soundVolume, 0.0f);
        EXPECT_LE(g_currentSettings.soundVolume, 1.0f);
        EXPECT_GE(g_currentSettings.musicVolume, 0.0f);
        EXPECT_LE(g_currentSettings.musicVolume, 1.0f);
        harness->Stop();
        if (fault.kept) {
            EXPECT_EQ(gametest::ReadBytes(ProfilesPath() + ".refused"), damaged) << "kept as it was";
            EXPECT_EQ(LinesWith("kept as"), 1u) << LogText();
        } else {
            EXPECT_FALSE(std::filesystem::exists(ProfilesPath() + ".refused"));
        }
    }
}

// A returning player whose profiles file was damaged: every player's entry
// stays in the file kept beside the new one, and when they type their name
// again their saved game is kept too, not deleted.
TEST_F(HostileFiles, ADamagedProfilesFileLosesNoPlayerAndNoSavedGame) {
    Start();
    PlayOn();
    GotoRoomAndSave();
    const Bytes save = gametest::ReadBytes(SavePath());
    Bytes profiles = gametest::ReadBytes(ProfilesPath());
    ASSERT_GT(save.size(), 100u);
    profiles[profiles.size() / 2] ^= 0x40;
    gametest::WriteBytes(ProfilesPath(), profiles);

    Restart();
    const Reached r = PlayOn(); // no player is known: types "Mara" again
    EXPECT_TRUE(r.map);
    harness->Stop();
    EXPECT_GE(LinesWith("Created new profile \"Mara\""), 1u);
    EXPECT_EQ(gametest::ReadBytes(ProfilesPath() + ".refused"), profiles);
    EXPECT_EQ(gametest::ReadBytes(SavePath() + ".kept"), save);
    SaveLoadSystem check(1);
    EXPECT_TRUE(check.Load(SavePath() + ".kept", kSaveFormatVersion)) << "the kept game still loads";
    EXPECT_TRUE(check.Load(ProfilesPath(), kSaveFormatVersion)) << "the new profiles file";
}

TEST_F(HostileFiles, DamagedLevelFiles) {
    const std::string level = LevelText();
    auto with = [this](const std::string& text) {
        return [this, text]() { data->Text("levels/01.ini", text); };
    };
    auto general = [&](const std::string& keys) {
        return with("[General]\n" + keys + "\n" + scenetest::TestRoomSection());
    };
    std::string manySections = level;
    for (int i = 0; i < 20000; ++i)
        manySections += "[S" + std::to_string(i) + "]\nA=1\n";
    Run({
        {"cut in the middle of a key", with(level.substr(0, level.size() / 2)), "Cannot find key"},
        {"random bytes", with(NoiseText(5, 4000)), "levels/01.ini", false},
        {"a clock of 2147483647 seconds", general("Time=2147483647\nHintsCount=3\nRandomLeft=0"), "Time"},
        {"a clock of 99999999999999 seconds", general("Time=99999999999999\nHintsCount=3\nRandomLeft=0"),
         "Time"},
        {"a negative clock", general("Time=-5\nHintsCount=3\nRandomLeft=0"), "Time"},
        {"four thousand million hints", general("Time=600\nHintsCount=4000000000\nRandomLeft=0"),
         "HintsCount"},
        {"negative hints", general("Time=600\nHintsCount=-1\nRandomLeft=0"), "HintsCount"},
        {"a negative goal tolerance", general("Time=600\nHintsCount=3\nRandomLeft=-2000000000"), ""},
        {"absurd item counts",
         with("[General]\nTime=600\nHintsCount=3\nRandomLeft=0\n" +
              scenetest::TestRoomSection().replace(scenetest::TestRoomSection().find("2, 2, 1"), 7,
                                                   "2000000000, 2000000000, 2000000000")),
         ""},
        {"a line of a million characters", with(level + "Junk=" + std::string(1000000, 'j') + "\n"),
         "aStringList"},
        {"twenty thousand sections", with(manySections), ""},
    });
}

TEST_F(HostileFiles, DamagedRoomFiles) {
    const std::string room = "rooms/harbour/";
    auto with = [this](const std::string& file, const std::string& text) {
        return [this, file, text]() { data->Text(file, text); };
    };
    auto read = [this](const std::string& file) {
        const Bytes b = gametest::ReadBytes(data->Data(file));
        return std::string(b.begin(), b.end());
    };
    // The real files are only there once the fixture is written: damage them then.
    auto edit = [this, read](const std::string& file, std::function<std::string(std::string)> change) {
        return [this, file, read, change]() { data->Text(file, change(read(file))); };
    };
    auto replace = [](std::string text, const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
        return text;
    };
    std::string manyObjects;
    for (int i = 0; i < 5000; ++i)
        manyObjects += "[junk" + std::to_string(i) + "]\nClass = Image\nImage = nothing\nX = 1\nY = 1\n";
    std::string longObjectList =
        "[anchor]\nObject = " + Repeat("anchor, ", 5000) + "anchor\nDiffLevel = 0\nClue = 1\n";
    Run({
        {"objects: random bytes", with(room + "objects.ini", NoiseText(6, 3000)), "objects.ini"},
        {"objects: cut in the middle",
         edit(room + "objects.ini", [](std::string t) { return t.substr(0, t.size() / 2); }), "not found"},
        {"objects: places a thousand million pixels away",
         edit(room + "objects.ini",
              [&](std::string t) {
                  return replace(replace(t, "X = 100", "X = 1000000000"), "Y = 100", "Y = -999999999");
              }),
         "harbour"},
        {"objects: places that are not numbers",
         edit(room + "objects.ini", [&](std::string t) { return replace(t, "X = 100", "X = nan"); }),
         "harbour"},
        {"objects: an unknown class",
         edit(room + "objects.ini",
              [&](std::string t) { return replace(t, "Class = Image", "Class = Dragon"); }),
         "Dragon"},
        {"objects: five thousand of them, with no pictures",
         edit(room + "objects.ini", [&](std::string t) { return t + manyObjects; }), "nothing"},
        {"items: random bytes", with(room + "items.ini", NoiseText(7, 3000)), "items.ini"},
        {"items: cut in the middle",
         edit(room + "items.ini", [](std::string t) { return t.substr(0, t.size() / 2); }), "harbour"},
        {"items: one item of five thousand objects",
         edit(room + "items.ini",
              [&](std::string t) {
                  return replace(t, "[anchor]\nObject = anchor\nDiffLevel = 0\nClue = 1\n", longObjectList);
              }),
         "harbour"},
        {"items: an absurd difficulty",
         edit(room + "items.ini",
              [&](std::string t) { return replace(t, "DiffLevel = 1", "DiffLevel = 99999999999"); }),
         "DiffLevel"},
        {"items: containers that do not match",
         edit(room + "items.ini",
              [&](std::string t) { return replace(t, "Container = lock", "Container = lock, lock, lock"); }),
         "container count"},
        {"the room's image list: random bytes", with(room + "images/ImageList.txt", NoiseText(8, 2000)),
         "aImageManager"},
    });
}

TEST_F(HostileFiles, DamagedGuiScripts) {
    // The faults past the title's part of the layout leave the title and the
    // map; a layout cut before them leaves what it holds.
    auto with = [this](const std::function<std::string(const std::string&)> change) {
        return [this, change]() { data->Text("gui/main.agui", change(data->layout)); };
    };
    auto replace = [](std::string text, const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
        return text;
    };
    Run({
        {"huge areas", with([&](const std::string& l) {
             return replace(l, "AreaRect 240 440 120 30", "AreaRect 240 440 2000000000 2000000000");
         }),
         "out of range"},
        {"negative areas", with([&](const std::string& l) {
             return replace(l, "AreaRect 40 125 100 24", "AreaRect -2000000000 -2000000000 -5 -5");
         }),
         "out of range"},
        {"a text of a million characters", with([&](const std::string& l) {
             return replace(l, "Text \"page 0\"", "Text \"" + std::string(1000000, 'w') + "\"");
         }),
         "gui/main.agui"},
        {"a hundred thousand blocks inside each other",
         with([&](const std::string& l) { return l + "widget deep\n" + Repeat("{\n widget w\n", 100000); }),
         "gui/main.agui"},
        {"random bytes after the layout", with([&](const std::string& l) { return l + NoiseText(9, 5000); }),
         "gui/main.agui"},
        {"the font file is random bytes", [this]() { data->Text("fonts/main.fnt", NoiseText(10, 3000)); },
         "main.fnt"},
    });
    Run(
        {
            {"cut at a quarter", with([](const std::string& l) { return l.substr(0, l.size() / 4); }),
             "not found"},
            {"cut at three quarters",
             with([](const std::string& l) { return l.substr(0, l.size() * 3 / 4); }), "not found"},
            {"random bytes", with([](const std::string&) { return NoiseText(11, 20000); }), "not found"},
        },
        false);
}

TEST_F(HostileFiles, DamagedImageLists) {
    auto with = [this](const std::string& file, const Bytes& bytes) {
        return [this, file, bytes]() { gametest::WriteBytes(data->Data(file), bytes); };
    };
    auto text = [this](const std::string& file, const std::string& content) {
        return [this, file, content]() { data->Text(file, content); };
    };
    auto append = [this](const std::string& file, const std::string& more) {
        return [this, file, more]() {
            const Bytes b = gametest::ReadBytes(data->Data(file));
            data->Text(file, std::string(b.begin(), b.end()) + more);
        };
    };
    Run({
        {"random bytes", text("images/ImageList.txt", NoiseText(12, 3000)), "aImageManager"},
        {"a line cut short", append("images/ImageList.txt", "tick.p"), "tick.p"},
        {"a picture claiming 60000 x 60000 pixels", with("images/pause.png", HugeBmp(60000, 60000)),
         "pause.png"},
        {"a picture claiming 4000000000 pixels a side", with("images/tick.png", HugeBmp(0xEE6B2800u, 2)),
         "tick.png"},
        {"a picture cut short",
         [this]() {
             Bytes b = gametest::ReadBytes(data->Data("images/box_bg.png"));
             b.resize(b.size() / 3);
             gametest::WriteBytes(data->Data("images/box_bg.png"), b);
         },
         "box_bg.png"},
        {"ten thousand lines of one picture",
         append("images/ImageList.txt", Repeat("tick.png 8888 8888\n", 10000)), "already loaded"},
        {"a list that names a folder", append("images/ImageList.txt", "../images 8888 8888\n"), "images"},
        {"absurd format codes", append("images/ImageList.txt", "arrow.png 99999999999 -1\n"), "arrow.png"},
        {"a name of ten thousand characters",
         append("images/ImageList.txt", std::string(10000, 'n') + ".png 8888 8888\n"), "nnnn"},
        {"the map's list is random bytes", text("images/map/ImageList.txt", NoiseText(13, 2000)),
         "aImageManager"},
    });
}

TEST_F(HostileFiles, ASaveCutShortWhileWrittenLeavesTheSaveBeforeItLoadable) {
    Start();
    PlayOn();
    GotoRoomAndSave();
    SaveLoadSystem check(1);
    ASSERT_TRUE(check.Load(SavePath(), kSaveFormatVersion));
    const Bytes before = gametest::ReadBytes(SavePath());
    const float timeBefore = SavedTimeLeft();

    // The saves cannot be written (a file stands where their folder was):
    // every save fails with a line and the game plays on.
    const std::string saves = UserDir() + "saves";
    std::filesystem::rename(saves, saves + ".away");
    gametest::WriteBytes(saves, Bytes(1, 0));
    Restart();
    harness->Log().clear();
    PlayOn();
    EXPECT_GE(LinesWith("save failed!"), 1u) << LogText();
    EXPECT_FALSE(Game().IsClosed());
    harness->Stop();
    std::filesystem::remove(saves);
    std::filesystem::rename(saves + ".away", saves);
    EXPECT_EQ(gametest::ReadBytes(SavePath()), before) << "the save before is untouched";

    // A folder a crash left at the temporary file's name does not stop the
    // saves: they go through beside it.
    std::filesystem::create_directories(SavePath() + ".tmp");
    Restart();
    harness->Log().clear();
    PlayOn();
    EXPECT_EQ(LinesWith("save failed!"), 0u) << LogText();
    harness->Stop();
    EXPECT_TRUE(std::filesystem::is_directory(SavePath() + ".tmp"));
    EXPECT_NE(gametest::ReadBytes(SavePath()), before) << "the game played on is saved";
    ASSERT_TRUE(check.Load(SavePath(), kSaveFormatVersion));

    // A crash in the middle of writing leaves half a temporary file: the next
    // start loads the save before it, and its own saves replace both.
    std::filesystem::remove_all(SavePath() + ".tmp");
    gametest::WriteBytes(SavePath(), before);
    gametest::WriteBytes(SavePath() + ".tmp",
                         Bytes(before.begin(), before.begin() + long(before.size() / 2)));
    Restart();
    harness->ClickAt(1010, 760);
    ASSERT_TRUE(harness->Click("btn_start"));
    harness->Step();
    EXPECT_FALSE(harness->Log().contains("load failed")) << LogText();
    EXPECT_NEAR(Game().GetTimeLeft(), timeBefore, 0.2f) << "the saved game goes on";
    EXPECT_EQ(Game().GetMode(), GameApp::MODE_MAP);
    harness->Stop();
    EXPECT_FALSE(std::filesystem::exists(SavePath() + ".tmp"));
    ASSERT_TRUE(check.Load(SavePath(), kSaveFormatVersion));
}
