// Writes the game fuzzers' binary seeds with the game's own writers
// (support/seed_writer.h): a game record, saved games and profiles files.
//   game_seeds <seeds folder> <regressions folder>

#include "game/profiles/profiles_manager.h"
#include "game/save/game_record.h"
#include "game/save/save_load.h"
#include "game/save/save_record.h"
#include "support/seed_writer.h"

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

GameRecord sampleRecord() {
    GameRecord r;
    r.level = 3;
    r.timeOverCount = 1;
    r.scenePlaying = 1;
    r.sceneName = "intro";
    r.levelCompleteTimer = 0.5f;
    r.hintsLeft = 4;
    r.timeLeft = 120.0f;
    r.timeAtGoal = 30.0f;
    r.playTime = 3600.5;
    r.goalAnnounced = 1;
    return r;
}

// The application's record and two rooms' records, as a save has them.
struct App : SaveLoadEntity {
    App() : SaveLoadEntity("app") {}
    void Load(SaveLoadSystem&, SaveReader&) override {}
    void Save(SaveLoadSystem&, SaveWriter& record) override { WriteGameRecord(record, sampleRecord()); }
    void AfterSave(SaveLoadSystem& system) override {
        system.SaveEntity(hall);
        system.SaveEntity(attic);
    }
    struct Visits : SaveLoadEntity {
        explicit Visits(const char* name, uint32_t count) : SaveLoadEntity(name), visits(count) {}
        void Load(SaveLoadSystem&, SaveReader&) override {}
        void Save(SaveLoadSystem&, SaveWriter& record) override { record.WriteU32(visits); }
        uint32_t visits;
    };
    Visits hall{"hall", 2};
    Visits attic{"attic", 0};
};

// The profiles record with three profiles, laid out as the profiles manager
// writes it: the current settings, a count, then each profile.
struct Profiles : SaveLoadEntity {
    Profiles() : SaveLoadEntity("<profiles>") {}
    void Load(SaveLoadSystem&, SaveReader&) override {}
    void Save(SaveLoadSystem&, SaveWriter& record) override {
        const char* names[] = {"Anna", "Bo", "Caspar the Third"};
        write(record, names[0], 0.5f);
        record.WriteU32(3);
        for (const char* name : names)
            write(record, name, 0.25f);
    }
    static void write(SaveWriter& w, const char* name, float volume) {
        w.WriteString(name);
        w.WriteF32(volume);
        w.WriteF32(1.0f - volume);
        w.WriteU8(1);
        w.WriteU8(0);
        w.WriteU8(1);
    }
};

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The fuzzers take an odd first byte for "the rest is the file as stored".
Bytes stored(const Bytes& file) {
    Bytes out(1, 1);
    out.insert(out.end(), file.begin(), file.end());
    return out;
}

} // namespace

int main(int argc, char** argv) {
    SeedWriter seeds(argc, argv);
    const std::string scratch =
        (std::filesystem::temp_directory_path() / ("game-seeds-" + std::to_string(::getpid()))).string() +
        "/";
    std::filesystem::create_directories(scratch);

    Bytes record;
    SaveWriter writer(record);
    WriteGameRecord(writer, sampleRecord());
    seeds.save("fuzz_game_record", "record.bin", record);
    seeds.save("fuzz_game_record", "empty-scene.bin", Bytes(record.begin(), record.begin() + 9));

    {
        SaveLoadSystem system(1);
        App app;
        system.BeginSave(scratch + "save.dat", kSaveFormatVersion);
        system.SaveEntity(app);
        if (system.EndSave())
            seeds.save("fuzz_save_file", "app-and-rooms.bin", stored(readFile(scratch + "save.dat")));
        else
            seeds.fail();
    }
    {
        SaveLoadSystem system(1);
        Profiles profiles;
        system.BeginSave(scratch + "profiles.dat", kSaveFormatVersion);
        system.SaveEntity(profiles);
        if (system.EndSave())
            seeds.save("fuzz_profiles_file", "three-profiles.bin",
                       stored(readFile(scratch + "profiles.dat")));
        else
            seeds.fail();
    }
    {
        ProfileRecord settings;
        ProfilesManager manager(settings);
        manager.SetStorage(scratch, scratch, "en");
        manager.SaveProfiles();
        seeds.save("fuzz_profiles_file", "no-profiles.bin",
                   stored(readFile(scratch + MakeProfilesFileName("en"))));
    }
    {
        // A scrap map of 16 x 12: size bytes, then ARGB pixels with three
        // opaque scraps (one of them the letter's band along the top).
        const int w = 16, h = 12;
        Bytes map = {uint8_t(w - 1), uint8_t(h - 1)};
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool scrap =
                    y < 2 || (x >= 2 && x < 6 && y >= 4 && y < 8) || (x >= 10 && x < 14 && y >= 6);
                const uint32_t argb = scrap ? 0xFF806040u : 0x00000000u;
                for (int i = 0; i < 4; ++i)
                    map.push_back(uint8_t(argb >> (8 * i)));
            }
        }
        seeds.save("fuzz_scrap_map", "three-scraps.bin", map);
    }
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
    return seeds.finish();
}
