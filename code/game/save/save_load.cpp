#include "game/save/save_load.h"

#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kHeaderSize = 8; // version and record count
constexpr size_t kChecksumSize = 4;

uint32_t readU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeU32(uint8_t* p, uint32_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
    p[2] = uint8_t(value >> 16);
    p[3] = uint8_t(value >> 24);
}

void logLoadFailed(const std::string& path) {
    a_log("SaveLoadSystem: file \"%s\" load failed!", path.c_str());
}

} // namespace

uint32_t ComputeSaveChecksum(const uint8_t* bytes, size_t length) {
    uint8_t x = 0;
    uint32_t sum = 0;
    for (size_t i = length; i-- > 0;) {
        x ^= bytes[i];
        sum += x;
    }
    return sum;
}

void ScrambleSaveBytes(uint8_t* bytes, size_t length) {
    for (size_t i = 0; i < length; ++i)
        bytes[i] ^= uint8_t(i + i / 255) ^ kSaveScrambleKey;
}

std::string MakeSaveFileName(const std::string& languageCode, const std::string& profileName) {
    std::string name = languageCode + "_";
    for (char c : profileName)
        name += a_format("%x", {uint32_t(int32_t(static_cast<signed char>(c)))});
    return name + ".dat";
}

bool KeepFileAside(const std::string& path, const std::string& tag, const std::string& what) {
    std::string aside;
    if (!file_moveAside(path, tag, aside)) {
        a_log("%s '%s' could not be kept aside", what.c_str(), path.c_str());
        return false;
    }
    if (!aside.empty())
        a_log("%s '%s' kept as '%s'", what.c_str(), path.c_str(), aside.c_str());
    return true;
}

SaveLoadSystem::SaveLoadSystem(uint32_t kind) : m_kind(kind) {}

void SaveLoadSystem::BeginSave(const std::string& path, uint32_t version) {
    m_path = path;
    m_records.clear(); // they pointed into the old buffer
    m_buffer.clear();
    m_buffer.reserve(kSaveBufferSize);
    SaveWriter header(m_buffer);
    header.WriteU32(version);
    header.WriteU32(0); // the count, placed by EndSave
    m_state = STATE_SAVING;
    m_recordCount = 0;
}

void SaveLoadSystem::SaveEntity(SaveLoadEntity& entity) {
    if (m_state != STATE_SAVING) {
        a_log("SaveLoadSystem::SaveEntity - no save in progress for '%s'", entity.GetEntityName().c_str());
        return;
    }
    ++m_recordCount;
    SaveWriter head(m_buffer);
    head.WriteString(entity.GetEntityName());
    const size_t sizeAt = m_buffer.size();
    head.WriteU32(0);
    SaveWriter data(m_buffer);
    entity.Save(*this, data);
    writeU32(m_buffer.data() + sizeAt, uint32_t(data.GetSize()));
    entity.AfterSave(*this);
}

bool SaveLoadSystem::EndSave() {
    if (m_state != STATE_SAVING) {
        m_state = STATE_IDLE;
        return true;
    }
    m_state = STATE_IDLE;
    writeU32(m_buffer.data() + 4, m_recordCount);
    SaveWriter tail(m_buffer);
    tail.WriteU32(ComputeSaveChecksum(m_buffer.data(), m_buffer.size()));
    ScrambleSaveBytes(m_buffer.data(), m_buffer.size());
    const bool written = file_writeReplacing(m_path, m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    if (!written) {
        a_log("SaveLoadSystem: file \"%s\" save failed!", m_path.c_str());
        return false;
    }
    return true;
}

bool SaveLoadSystem::Load(const std::string& path, uint32_t version) {
    m_records.clear();
    m_buffer.clear();
    m_buffer.shrink_to_fit();

    size_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size);
    if (data && size >= kHeaderSize + kChecksumSize)
        m_buffer.assign(data, data + size);
    std::free(data);
    if (m_buffer.empty()) {
        logLoadFailed(path);
        return false;
    }

    ScrambleSaveBytes(m_buffer.data(), m_buffer.size());
    const size_t body = m_buffer.size() - kChecksumSize;
    const bool versionOk = version == kAnySaveVersion || readU32(m_buffer.data()) == version;
    if (!versionOk || ComputeSaveChecksum(m_buffer.data(), body) != readU32(m_buffer.data() + body) ||
        !ReadRecords()) {
        m_records.clear();
        m_buffer.clear();
        m_buffer.shrink_to_fit();
        logLoadFailed(path);
        return false;
    }
    m_path = path;
    m_state = STATE_LOADED;
    return true;
}

bool SaveLoadSystem::ReadRecords() {
    const uint8_t* bytes = m_buffer.data();
    const size_t end = m_buffer.size() - kChecksumSize;
    const uint32_t count = readU32(bytes + 4);
    size_t pos = kHeaderSize;
    for (uint32_t i = 0; i < count; ++i) {
        const void* nul = pos < end ? std::memchr(bytes + pos, 0, end - pos) : nullptr;
        if (!nul)
            return false;
        const size_t nameEnd = size_t(static_cast<const uint8_t*>(nul) - bytes);
        std::string name(reinterpret_cast<const char*>(bytes + pos), nameEnd - pos);
        pos = nameEnd + 1;
        if (end - pos < 4)
            return false;
        const uint32_t size = readU32(bytes + pos);
        pos += 4;
        if (size > end - pos)
            return false;
        m_records.emplace(std::move(name), Record{pos, size}); // an earlier record of the name stays
        pos += size;
    }
    m_recordCount = count;
    return true;
}

bool SaveLoadSystem::LoadEntity(SaveLoadEntity& entity) {
    auto it = m_records.find(entity.GetEntityName());
    if (it == m_records.end())
        return false;
    SaveReader reader(m_buffer.data() + it->second.offset, it->second.size);
    entity.Load(*this, reader);
    entity.AfterLoad(*this);
    return true;
}
