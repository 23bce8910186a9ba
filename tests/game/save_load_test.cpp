// The save-file format byte for byte, loading back, and files that must not
// load: short, foreign, damaged or random ones, and saves that fail or were
// cut short before the rename.

#include "game_test_support.h"
#include "support/log_capture.h"

#include "game/save/save_load.h"

#include <filesystem>
#include <random>

using namespace gametest;

namespace {

// An entity whose record is its bytes, which saves and loads its children
// after its own record, and which keeps what it was handed.
struct BlobEntity : SaveLoadEntity {
    explicit BlobEntity(std::string name, Bytes bytes = {})
        : SaveLoadEntity(std::move(name)), data(std::move(bytes)) {}
    void Save(SaveLoadSystem&, SaveWriter& record) override { record.WriteBytes(data.data(), data.size()); }
    void Load(SaveLoadSystem&, SaveReader& record) override {
        ++loads;
        loaded.clear();
        uint8_t b = 0;
        while (record.ReadU8(b))
            loaded.push_back(b);
    }
    void AfterSave(SaveLoadSystem& system) override {
        for (BlobEntity* child : children)
            system.SaveEntity(*child);
    }
    void AfterLoad(SaveLoadSystem& system) override {
        for (BlobEntity* child : children)
            system.LoadEntity(*child);
    }
    Bytes data;
    std::vector<BlobEntity*> children;
    Bytes loaded;
    int loads = 0;
};

// One u32, taken only when the record holds it.
struct CounterEntity : SaveLoadEntity {
    CounterEntity(std::string name, uint32_t v) : SaveLoadEntity(std::move(name)), value(v) {}
    void Save(SaveLoadSystem&, SaveWriter& record) override { record.WriteU32(value); }
    void Load(SaveLoadSystem&, SaveReader& record) override {
        uint32_t v = 0;
        if (record.ReadU32(v))
            value = v;
        left = record.GetRemaining();
    }
    uint32_t value;
    size_t left = 0;
};

class SaveFile : public testing::Test {
protected:
    void SetUp() override { path = Scratch() + "en_4162.dat"; }
    std::string FailLine() const { return "SaveLoadSystem: file \"" + path + "\" load failed!"; }

    // Saves "app", a room with one child object and an empty record.
    void SaveSample(SaveLoadSystem& system) {
        BlobEntity app("app", {0xAA});
        BlobEntity room("r:hall", {1, 2, 3, 4});
        BlobEntity vase("o:hall:vase", {9});
        BlobEntity tips("<tip_manager>");
        room.children = {&vase};
        system.BeginSave(path, kSaveFormatVersion);
        system.SaveEntity(app);
        system.SaveEntity(room);
        system.SaveEntity(tips);
        ASSERT_TRUE(system.EndSave());
    }
    static Bytes SampleFile() {
        return SaveFileBuilder()
            .Header(2768, 4)
            .Record("app", {0xAA})
            .Record("r:hall", {1, 2, 3, 4})
            .Record("o:hall:vase", {9})
            .Record("<tip_manager>", {})
            .Finish();
    }

    std::string path;
    LogCapture log;
};

TEST(SaveChecksum, RunsFromTheLastByteToTheFirst) {
    struct Case {
        Bytes bytes;
        uint32_t sum;
    };
    const Case cases[] = {
        {{}, 0},
        {{'a', 'b', 'c'}, 196},
        {{1, 2, 3}, 4},       // x: 3, 1, 0
        {{0xFF, 0xFF}, 255},  // x: 255, 0
        {{0x80, 0, 0}, 0x80}, // x only changes where the first byte is reached
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComputeSaveChecksum(c.bytes.data(), c.bytes.size()), c.sum);
    const Bytes many(20000000, 0xFF); // x alternates 255, 0: the sum wraps past 32 bits
    EXPECT_EQ(ComputeSaveChecksum(many.data(), many.size()), uint32_t(255ull * 10000000ull));
}

TEST(SaveScramble, PositionByteRunsToTwoFiftyFourAndStartsAgain) {
    Bytes b(600, 0);
    ScrambleSaveBytes(b.data(), b.size());
    EXPECT_EQ(b[0], kSaveScrambleKey);
    EXPECT_EQ(b[254], 254 ^ kSaveScrambleKey);
    EXPECT_EQ(b[255], kSaveScrambleKey);
    EXPECT_EQ(b[256], 1 ^ kSaveScrambleKey);
    EXPECT_EQ(b[510], kSaveScrambleKey);
    for (size_t i = 0; i < b.size(); ++i)
        ASSERT_EQ(b[i], uint8_t(i % 255) ^ kSaveScrambleKey) << i;
    ScrambleSaveBytes(b.data(), b.size());
    EXPECT_EQ(b, Bytes(600, 0));
}

TEST(SaveFileName, EachByteAsSignedHexadecimal) {
    const struct {
        std::string name;
        std::string file;
    } cases[] = {
        {"Ab", "en_4162.dat"},
        {"\xE9", "en_ffffffe9.dat"},
        {"\x80x", "en_ffffff8078.dat"},
        {"\n\x7F", "en_a7f.dat"},
        {"", "en_.dat"},
        {"a/b", "en_612f62.dat"}, // no byte reaches the path as itself
    };
    for (const auto& c : cases)
        EXPECT_EQ(MakeSaveFileName("en", c.name), c.file) << c.name;
}

TEST(SaveRecord, FieldsRoundTripAndReadsStopAtTheEnd) {
    Bytes buffer{0xEE}; // a writer appends after what is there
    SaveWriter w(buffer);
    w.WriteU8(7);
    w.WriteBool(true);
    w.WriteU32(0x01020304);
    w.WriteI32(-2);
    w.WriteF32(0.75f);
    w.WriteF64(1e100);
    w.WriteString("abc");
    w.WriteString(std::string("x\0y", 3)); // ends at its first 0 byte
    EXPECT_EQ(w.GetSize(), 1 + 1 + 4 + 4 + 4 + 8 + 4 + 2u);
    EXPECT_EQ(buffer[3], 0x04); // little-endian

    SaveReader r(buffer.data() + 1, buffer.size() - 1);
    uint8_t u8 = 0;
    bool flag = false;
    uint32_t u32 = 0;
    int32_t i32 = 0;
    float f32 = 0;
    double f64 = 0;
    std::string s1, s2;
    EXPECT_TRUE(r.ReadU8(u8) && r.ReadBool(flag) && r.ReadU32(u32) && r.ReadI32(i32) && r.ReadF32(f32) &&
                r.ReadF64(f64) && r.ReadString(s1) && r.ReadString(s2));
    EXPECT_EQ(u8, 7);
    EXPECT_TRUE(flag);
    EXPECT_EQ(u32, 0x01020304u);
    EXPECT_EQ(i32, -2);
    EXPECT_EQ(f32, 0.75f);
    EXPECT_EQ(f64, 1e100);
    EXPECT_EQ(s1, "abc");
    EXPECT_EQ(s2, "x");
    EXPECT_TRUE(r.IsOk());
    EXPECT_EQ(r.GetRemaining(), 0u);
    u8 = 42;
    EXPECT_FALSE(r.ReadU8(u8));
    EXPECT_EQ(u8, 42); // untouched
    EXPECT_FALSE(r.IsOk());

    const Bytes three{1, 2, 3};
    SaveReader shortRecord(three.data(), three.size());
    u32 = 9;
    EXPECT_FALSE(shortRecord.ReadU32(u32));
    EXPECT_EQ(u32, 9u);
    EXPECT_FALSE(shortRecord.ReadU8(u8)); // a failed read ends the record
    SaveReader noEnd(three.data(), three.size());
    EXPECT_FALSE(noEnd.ReadString(s1)); // no 0 byte before the end
    EXPECT_EQ(s1, "abc");
    SaveReader none(nullptr, 10);
    EXPECT_EQ(none.GetSize(), 0u);
}

TEST_F(SaveFile, FormatByteForByte) {
    SaveLoadSystem system(1);
    SaveSample(system);
    const Bytes file = ReadBytes(path);
    EXPECT_EQ(file, SampleFile());
    // The version is the first word, scrambled from offset 0 on.
    ASSERT_GE(file.size(), 12u);
    EXPECT_EQ(file[0], 0xD0 ^ kSaveScrambleKey);
    EXPECT_EQ(file[1], (0x0A ^ 1) ^ kSaveScrambleKey);
    // The checksum covers the version and count words too.
    const Bytes plain = Unscramble(file);
    const uint32_t stored = plain[plain.size() - 4] | plain[plain.size() - 3] << 8 |
                            plain[plain.size() - 2] << 16 | uint32_t(plain[plain.size() - 1]) << 24;
    EXPECT_EQ(stored, ComputeSaveChecksum(plain.data(), plain.size() - 4));
    EXPECT_NE(stored, ComputeSaveChecksum(plain.data() + 8, plain.size() - 12));
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST_F(SaveFile, LoadHandsEachEntityItsOwnRecord) {
    SaveLoadSystem system(1);
    SaveSample(system);

    SaveLoadSystem reader(1);
    ASSERT_TRUE(reader.Load(path, kSaveFormatVersion));
    EXPECT_EQ(reader.GetState(), SaveLoadSystem::STATE_LOADED);
    EXPECT_EQ(reader.GetRecordCount(), 4u);
    BlobEntity app("app"), room("r:hall"), vase("o:hall:vase"), tips("<tip_manager>"), attic("r:attic", {5});
    room.children = {&vase};
    EXPECT_TRUE(reader.LoadEntity(app));
    EXPECT_TRUE(reader.LoadEntity(room));
    EXPECT_TRUE(reader.LoadEntity(tips));
    EXPECT_EQ(app.loaded, Bytes({0xAA}));
    EXPECT_EQ(room.loaded, Bytes({1, 2, 3, 4})); // its child's record is not part of its own
    EXPECT_EQ(vase.loaded, Bytes({9}));
    EXPECT_EQ(tips.loads, 1); // a record of size 0 is a record
    EXPECT_TRUE(tips.loaded.empty());
    EXPECT_FALSE(reader.LoadEntity(attic));
    EXPECT_EQ(attic.loads, 0);
    EXPECT_TRUE(reader.EndSave());
    EXPECT_EQ(reader.GetState(), SaveLoadSystem::STATE_IDLE);
    EXPECT_TRUE(reader.LoadEntity(app)); // the records stay until the next save or load
}

TEST_F(SaveFile, StatesOfSavingAndLoading) {
    SaveLoadSystem system(1);
    EXPECT_EQ(system.GetState(), SaveLoadSystem::STATE_IDLE);
    system.BeginSave(path, kSaveFormatVersion);
    EXPECT_EQ(system.GetState(), SaveLoadSystem::STATE_SAVING);
    EXPECT_TRUE(system.EndSave());
    EXPECT_EQ(system.GetState(), SaveLoadSystem::STATE_IDLE);
    EXPECT_EQ(ReadBytes(path), SaveFileBuilder().Header(2768, 0).Finish()); // 12 bytes

    ASSERT_TRUE(system.Load(path, kSaveFormatVersion)); // exactly 12 bytes, no records
    EXPECT_EQ(system.GetState(), SaveLoadSystem::STATE_LOADED);
    EXPECT_EQ(system.GetRecordCount(), 0u);
    std::filesystem::remove(path);
    EXPECT_FALSE(system.Load(path, kSaveFormatVersion));
    EXPECT_EQ(system.GetState(), SaveLoadSystem::STATE_LOADED); // a failed load keeps the state

    SaveSample(system);
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    system.BeginSave(Scratch() + "other.dat", kSaveFormatVersion);
    EXPECT_FALSE(system.HasRecord("app")); // a new save drops what was loaded
    BlobEntity app("app");
    EXPECT_FALSE(system.LoadEntity(app));
    EXPECT_TRUE(system.EndSave());
}

TEST_F(SaveFile, FirstOfTwoRecordsWithOneNameCounts) {
    WriteBytes(path, SaveFileBuilder().Header(2768, 2).Record("app", {1}).Record("app", {2}).Finish());
    SaveLoadSystem system(1);
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    BlobEntity app("app");
    EXPECT_TRUE(system.LoadEntity(app));
    EXPECT_EQ(app.loaded, Bytes({1}));
}

TEST_F(SaveFile, VersionMustMatchUnlessAnyIsAsked) {
    WriteBytes(path, SaveFileBuilder().Header(0x12345678, 1).Record("app", {1}).Finish());
    SaveLoadSystem system(1);
    EXPECT_FALSE(system.Load(path, kSaveFormatVersion));
    EXPECT_EQ(log.count(FailLine()), 1u);
    EXPECT_TRUE(system.Load(path, kAnySaveVersion));
    EXPECT_TRUE(system.HasRecord("app"));
}

TEST_F(SaveFile, BadFilesLoadNothing) {
    const Bytes valid = SaveFileBuilder().Header(2768, 1).Record("app", {1, 2}).Plain();
    Bytes wrongSum = valid;
    wrongSum[9] ^= 1;
    struct Case {
        const char* what;
        Bytes file; // as stored
    };
    const Case cases[] = {
        {"empty", {}},
        {"11 bytes", Bytes(11, 0x5A)},
        {"wrong checksum",
         [&] {
             Bytes b = wrongSum;
             ScrambleSaveBytes(b.data(), b.size());
             return b;
         }()},
        {"checksum of another key", SaveFileBuilder().Header(2768, 1).Record("app", {1, 2}).Plain()},
        {"name without end", SaveFileBuilder().Header(2768, 1).Raw({'a', 'p', 'p'}).Finish()},
        {"size cut short", SaveFileBuilder().Header(2768, 1).Str("app").Raw({2, 0}).Finish()},
        {"size past the end", SaveFileBuilder().Header(2768, 1).Str("app").U32(3).Raw({1, 2}).Finish()},
        {"size past 4 GB", SaveFileBuilder().Header(2768, 1).Str("app").U32(0xFFFFFFFF).Raw({1}).Finish()},
        {"more records than the file holds", SaveFileBuilder().Header(2768, 2).Record("app", {1}).Finish()},
        {"count without records", SaveFileBuilder().Header(2768, 0xFFFFFFFF).Finish()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.file);
        log.clear();
        SaveLoadSystem system(1);
        EXPECT_FALSE(system.Load(path, kSaveFormatVersion));
        EXPECT_EQ(log.lines, std::vector<std::string>{FailLine()});
        EXPECT_FALSE(system.HasRecord("app"));
        EXPECT_EQ(system.GetState(), SaveLoadSystem::STATE_IDLE);
    }
    log.clear();
    SaveLoadSystem system(1);
    EXPECT_FALSE(system.Load(path + ".missing", kSaveFormatVersion));
    EXPECT_TRUE(log.has("SaveLoadSystem: file \"" + path + ".missing\" load failed!"));
    // A record that ends exactly where the checksum starts is whole.
    WriteBytes(path, SaveFileBuilder().Header(2768, 1).Record("app", {1, 2}).Finish());
    EXPECT_TRUE(system.Load(path, kSaveFormatVersion));
}

TEST_F(SaveFile, RandomBytesDoNotLoad) {
    std::mt19937 random(15);
    SaveLoadSystem system(1);
    for (int i = 0; i < 500; ++i) {
        Bytes b(random() % 300);
        for (uint8_t& x : b)
            x = uint8_t(random());
        WriteBytes(path, b);
        ASSERT_FALSE(system.Load(path, kSaveFormatVersion)) << i;
        ASSERT_FALSE(system.HasRecord("app"));
    }
    EXPECT_EQ(log.count(FailLine()), 500u);
}

TEST_F(SaveFile, ShortRecordLeavesTheEntityAsItWas) {
    // "r:hall" holds 2 bytes where its entity reads 4; the next record must not be read for them.
    WriteBytes(
        path,
        SaveFileBuilder().Header(2768, 2).Record("r:hall", {7, 0}).Record("r:next", {1, 0, 0, 0}).Finish());
    SaveLoadSystem system(1);
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    CounterEntity hall("r:hall", 5), next("r:next", 5);
    EXPECT_TRUE(system.LoadEntity(hall));
    EXPECT_EQ(hall.value, 5u);
    EXPECT_TRUE(system.LoadEntity(next));
    EXPECT_EQ(next.value, 1u);
    EXPECT_EQ(next.left, 0u);
}

TEST_F(SaveFile, SaveLargerThanTheFirstBufferGrowsIt) {
    Bytes big(SaveLoadSystem::kSaveBufferSize + 200000);
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = uint8_t(i * 7);
    BlobEntity a("a", big), b("b", {1, 2, 3});
    SaveLoadSystem system(1);
    system.BeginSave(path, kSaveFormatVersion);
    system.SaveEntity(a);
    system.SaveEntity(b);
    ASSERT_TRUE(system.EndSave());
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    BlobEntity a2("a"), b2("b");
    system.LoadEntity(a2);
    system.LoadEntity(b2);
    EXPECT_EQ(a2.loaded, big);
    EXPECT_EQ(b2.loaded, Bytes({1, 2, 3}));
}

TEST_F(SaveFile, FailedWriteKeepsTheOldSave) {
    CounterEntity app("app", 1);
    SaveLoadSystem system(1);
    system.BeginSave(path, kSaveFormatVersion);
    system.SaveEntity(app);
    ASSERT_TRUE(system.EndSave());
    const Bytes first = ReadBytes(path);

    // The temporary file cannot be made (a file stands where the folder
    // should be): the save fails before anything is replaced.
    const std::string blocked = path.substr(0, path.rfind('/') + 1) + "blocked";
    WriteBytes(blocked, Bytes(1, 0));
    app.value = 2;
    system.BeginSave(blocked + "/x.dat", kSaveFormatVersion);
    system.SaveEntity(app);
    EXPECT_FALSE(system.EndSave());
    EXPECT_TRUE(log.has("SaveLoadSystem: file \"" + blocked + "/x.dat\" save failed!"));
    EXPECT_EQ(system.GetState(), SaveLoadSystem::STATE_IDLE);
    EXPECT_EQ(ReadBytes(path), first);

    // A folder left at the temporary file's name does not stop the save.
    std::filesystem::create_directory(path + ".tmp");
    system.BeginSave(path, kSaveFormatVersion);
    system.SaveEntity(app);
    EXPECT_TRUE(system.EndSave());
    EXPECT_TRUE(std::filesystem::is_directory(path + ".tmp"));
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    system.LoadEntity(app);
    EXPECT_EQ(app.value, 2u);

    // A save into a folder that is not there fails the same way.
    system.BeginSave(Scratch() + "gone/x.dat", kSaveFormatVersion);
    EXPECT_FALSE(system.EndSave());
}

TEST_F(SaveFile, SaveCutShortBeforeTheRenameLeavesTheOldSave) {
    CounterEntity app("app", 1);
    SaveLoadSystem system(1);
    system.BeginSave(path, kSaveFormatVersion);
    system.SaveEntity(app);
    ASSERT_TRUE(system.EndSave());
    // What a crash in the middle of the next save leaves: half a temporary file.
    WriteBytes(path + ".tmp", Bytes(7, 0x33));

    CounterEntity loaded("app", 0);
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    system.LoadEntity(loaded);
    EXPECT_EQ(loaded.value, 1u);

    app.value = 3;
    system.BeginSave(path, kSaveFormatVersion);
    system.SaveEntity(app);
    EXPECT_TRUE(system.EndSave());
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    ASSERT_TRUE(system.Load(path, kSaveFormatVersion));
    system.LoadEntity(loaded);
    EXPECT_EQ(loaded.value, 3u);
}

TEST_F(SaveFile, SavingAnEntityOutsideASaveIsIgnored) {
    SaveLoadSystem system(1);
    BlobEntity app("app", {1});
    system.SaveEntity(app);
    EXPECT_TRUE(log.has("SaveLoadSystem::SaveEntity - no save in progress for 'app'"));
    EXPECT_EQ(system.GetRecordCount(), 0u);
    EXPECT_TRUE(system.EndSave());
    EXPECT_FALSE(std::filesystem::exists(path));
}

} // namespace
