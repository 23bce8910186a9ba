#pragma once
// The game's persistence. Everything saved derives from SaveLoadEntity and has
// a unique entity name; a SaveLoadSystem writes a file of named records, one
// per entity, and on loading hands each entity back its own record. The same
// format serves a player's saved game and the profiles file.
//
// File (little-endian, no padding):
//   u32 format version, u32 record count N, N records, u32 checksum of all
//   bytes before it.
//   Record: the entity name's bytes and a 0 byte, u32 data size S, S bytes
//   written by the entity's Save. A parent's record is followed directly by
//   the records its AfterSave writes.
// Every byte of the file, the checksum included, is then combined with
// (i mod 255) and the key kSaveScrambleKey, where i is the byte's offset.
//
// Entity names: "app" (the game application), "<profiles>", "<tip_manager>",
// "r:" + room name, "o:" + room name + ":" + object name, "b:" + puzzle name;
// they compare as exact byte strings.
//
// A save goes to a temporary file beside the target, which is flushed and
// renamed over it, so a failed save leaves the previous one whole. A file
// that is too short, of another version, with a wrong checksum or with a
// record running past its end does not load: one log line, and the caller
// starts afresh.

#include "game/save/save_record.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class SaveLoadSystem;

// The build number the game writes into every file as its format version.
constexpr uint32_t kSaveFormatVersion = 2768;
// A version argument of Load that accepts any stored version.
constexpr uint32_t kAnySaveVersion = 0xFFFFFFFFu;
// The one-byte key of the scrambling; reading and writing share it.
constexpr uint8_t kSaveScrambleKey = 0xA7;

class SaveLoadEntity {
public:
    explicit SaveLoadEntity(std::string entityName) : m_entityName(std::move(entityName)) {}
    virtual ~SaveLoadEntity() = default;
    SaveLoadEntity(const SaveLoadEntity&) = delete;
    SaveLoadEntity& operator=(const SaveLoadEntity&) = delete;

    // Reads the own record; the reader ends where the record ends.
    virtual void Load(SaveLoadSystem& system, SaveReader& record) = 0;
    // Writes the own record.
    virtual void Save(SaveLoadSystem& system, SaveWriter& record) = 0;
    // Right after the own record was written: saves child entities.
    virtual void AfterSave(SaveLoadSystem& system) { (void)system; }
    // Right after Load: loads child entities.
    virtual void AfterLoad(SaveLoadSystem& system) { (void)system; }

    const std::string& GetEntityName() const { return m_entityName; }

protected:
    std::string m_entityName;
};

class SaveLoadSystem {
public:
    enum State : uint32_t { STATE_SAVING = 0, STATE_LOADED = 1, STATE_IDLE = 2 };
    // The save buffer's first size; it grows when a save needs more.
    static constexpr size_t kSaveBufferSize = 500000;

    // kind: 1 for the game's saves, 0 for the profiles file; nothing reads it.
    explicit SaveLoadSystem(uint32_t kind);
    virtual ~SaveLoadSystem() = default;
    SaveLoadSystem(const SaveLoadSystem&) = delete;
    SaveLoadSystem& operator=(const SaveLoadSystem&) = delete;

    // Starts a save to the path: drops the loaded records and the old buffer.
    void BeginSave(const std::string& path, uint32_t version);
    // Appends the entity's record, then calls its AfterSave. Outside a save it
    // is logged and ignored.
    void SaveEntity(SaveLoadEntity& entity);
    // Ends a save: count, checksum, scrambling, then the file. True unless
    // the file could not be written (logged; the old file stays). Outside a
    // save it only returns the system to idle.
    bool EndSave();

    // Reads the file's records; false (logged) when it is missing or bad.
    // A failed load leaves the state as it was, with no records.
    bool Load(const std::string& path, uint32_t version);
    // Hands the entity its record (Load, then AfterLoad); false, and the
    // entity keeps its state, when the file had none of its name. Of two
    // records with one name the first counts.
    bool LoadEntity(SaveLoadEntity& entity);

    uint32_t GetState() const { return m_state; }
    uint32_t GetKind() const { return m_kind; }
    // Records written by this save, or read by the last load.
    uint32_t GetRecordCount() const { return m_recordCount; }
    bool HasRecord(const std::string& entityName) const { return m_records.count(entityName) != 0; }

private:
    struct Record {
        size_t offset = 0; // of the data in the buffer
        uint32_t size = 0;
    };
    bool ReadRecords();

    uint32_t m_kind;
    std::map<std::string, Record> m_records;
    uint32_t m_state = STATE_IDLE;
    std::vector<uint8_t> m_buffer;
    std::string m_path;
    uint32_t m_recordCount = 0;
};

// The checksum of a save file: over the bytes from the last to the first,
// x := x XOR byte (one byte, from 0), sum := sum + x (wrapping, from 0).
uint32_t ComputeSaveChecksum(const uint8_t* bytes, size_t length);
// Scrambles or unscrambles (the same operation) the bytes of a whole file.
void ScrambleSaveBytes(uint8_t* bytes, size_t length);
// The file name of a profile's saved game: the language code, "_", each byte
// of the name as a lowercase hexadecimal number of the byte taken as a signed
// value ("A" gives 41, 0x0A gives a, 0xE9 gives ffffffe9), and ".dat".
std::string MakeSaveFileName(const std::string& languageCode, const std::string& profileName);
// Keeps what lies at the path beside it under the path, ".", the tag (and a
// number when that name is taken; nothing is ever replaced), in one log line
// that begins with what: "<what> '<path>' kept as '<new path>'". True when the
// path is free afterwards, also when nothing lay there.
bool KeepFileAside(const std::string& path, const std::string& tag, const std::string& what);
