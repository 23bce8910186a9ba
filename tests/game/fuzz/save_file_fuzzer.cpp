// Arbitrary bytes as a saved game: loaded, then every kind of record this
// shell reads is handed to its entity, including a room and records of
// mixed fields. Must never crash, hang or read outside a record.

#include "fuzz_file.h"

#include "game/room.h"
#include "game/save/save_load.h"

#include <cstdint>
#include <string>

namespace {

class FuzzRoom : public Room {
public:
    explicit FuzzRoom(const std::string& name) : Room(name, nullptr, nullptr, nullptr) {}
    bool IsKind(uint32_t kind) const override { return kind == KIND_HIDDEN_OBJECT; }
    void Draw() override {}
};

// Reads fields of every type until its record ends; its children are rooms.
struct MixedEntity : SaveLoadEntity {
    MixedEntity() : SaveLoadEntity("app") {}
    void Save(SaveLoadSystem&, SaveWriter&) override {}
    void Load(SaveLoadSystem&, SaveReader& record) override {
        uint8_t u8;
        uint32_t u32;
        float f32;
        double f64;
        std::string text;
        while (record.IsOk() && record.GetRemaining() > 0) {
            record.ReadU32(u32) && record.ReadString(text) && record.ReadU8(u8) && record.ReadF32(f32) &&
                record.ReadF64(f64);
            sink += u32 + u8 + uint32_t(text.size());
        }
    }
    void AfterLoad(SaveLoadSystem& system) override {
        system.LoadEntity(hall);
        system.LoadEntity(attic);
    }
    FuzzRoom hall{"hall"};
    FuzzRoom attic{"attic"};
    uint32_t sink = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fuzzfile::Scratch scratch("fuzz_save_file");
    const std::string& path = scratch.path;
    fuzzfile::Write(path, data, size);
    SaveLoadSystem system(1);
    if (system.Load(path, kSaveFormatVersion)) {
        MixedEntity app;
        system.LoadEntity(app);
        system.EndSave();
    }
    return 0;
}
