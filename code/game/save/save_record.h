#pragma once
// The data of one record of a save file. SaveWriter appends little-endian
// fields to the save buffer, which grows as needed; SaveReader hands them back
// and never reads past the record's end: a read that does not fit fails,
// leaves its output alone, and so does every read after it. An entity reads
// its fields into locals and takes them only when the reader IsOk, so a short
// record leaves its state as it was.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class SaveWriter {
public:
    // Appends to the end of the buffer.
    explicit SaveWriter(std::vector<uint8_t>& buffer) : m_buffer(buffer), m_start(buffer.size()) {}

    void WriteU8(uint8_t value) { m_buffer.push_back(value); }
    void WriteBool(bool value) { WriteU8(value ? 1 : 0); }
    void WriteU32(uint32_t value);
    void WriteI32(int32_t value) { WriteU32(static_cast<uint32_t>(value)); }
    void WriteF32(float value);
    void WriteF64(double value);
    // The bytes up to the first 0 byte (or the end), then one 0 byte.
    void WriteString(std::string_view text);
    void WriteBytes(const void* data, size_t size);

    // Bytes written through this writer.
    size_t GetSize() const { return m_buffer.size() - m_start; }

private:
    std::vector<uint8_t>& m_buffer;
    size_t m_start;
};

class SaveReader {
public:
    SaveReader(const uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}

    bool ReadU8(uint8_t& value);
    // A byte, true when it is not 0.
    bool ReadBool(bool& value);
    bool ReadU32(uint32_t& value);
    bool ReadI32(int32_t& value);
    bool ReadF32(float& value);
    bool ReadF64(double& value);
    // The bytes up to the next 0 byte, which is skipped; fails when the record
    // ends before one.
    bool ReadString(std::string& text);

    // No read has run past the end.
    bool IsOk() const { return m_ok; }
    size_t GetSize() const { return m_size; }
    size_t GetRemaining() const { return m_size - m_pos; }

private:
    const uint8_t* Take(size_t count);

    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};
