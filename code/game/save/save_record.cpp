#include "game/save/save_record.h"

#include <bit>
#include <cstring>

void SaveWriter::WriteU32(uint32_t value) {
    const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    WriteBytes(bytes, sizeof bytes);
}

void SaveWriter::WriteF32(float value) {
    WriteU32(std::bit_cast<uint32_t>(value));
}

void SaveWriter::WriteF64(double value) {
    const uint64_t bits = std::bit_cast<uint64_t>(value);
    WriteU32(uint32_t(bits));
    WriteU32(uint32_t(bits >> 32));
}

void SaveWriter::WriteString(std::string_view text) {
    const size_t end = text.find('\0');
    if (end != std::string_view::npos)
        text = text.substr(0, end);
    WriteBytes(text.data(), text.size());
    WriteU8(0);
}

void SaveWriter::WriteBytes(const void* data, size_t size) {
    if (size == 0)
        return;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    m_buffer.insert(m_buffer.end(), bytes, bytes + size);
}

const uint8_t* SaveReader::Take(size_t count) {
    if (!m_ok || count > m_size - m_pos) {
        m_ok = false;
        return nullptr;
    }
    const uint8_t* p = m_data + m_pos;
    m_pos += count;
    return p;
}

bool SaveReader::ReadU8(uint8_t& value) {
    const uint8_t* p = Take(1);
    if (!p)
        return false;
    value = *p;
    return true;
}

bool SaveReader::ReadBool(bool& value) {
    uint8_t byte = 0;
    if (!ReadU8(byte))
        return false;
    value = byte != 0;
    return true;
}

bool SaveReader::ReadU32(uint32_t& value) {
    const uint8_t* p = Take(4);
    if (!p)
        return false;
    value = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return true;
}

bool SaveReader::ReadI32(int32_t& value) {
    uint32_t bits = 0;
    if (!ReadU32(bits))
        return false;
    value = static_cast<int32_t>(bits);
    return true;
}

bool SaveReader::ReadF32(float& value) {
    uint32_t bits = 0;
    if (!ReadU32(bits))
        return false;
    value = std::bit_cast<float>(bits);
    return true;
}

bool SaveReader::ReadF64(double& value) {
    const uint8_t* p = Take(8);
    if (!p)
        return false;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | p[i];
    value = std::bit_cast<double>(bits);
    return true;
}

bool SaveReader::ReadString(std::string& text) {
    if (!m_ok)
        return false;
    const void* nul = m_size > m_pos ? std::memchr(m_data + m_pos, 0, m_size - m_pos) : nullptr;
    if (!nul) {
        m_ok = false;
        return false;
    }
    const size_t length = size_t(static_cast<const uint8_t*>(nul) - (m_data + m_pos));
    text.assign(reinterpret_cast<const char*>(m_data + m_pos), length);
    m_pos += length + 1;
    return true;
}
