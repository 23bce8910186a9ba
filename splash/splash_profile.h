// Reader for the library's configuration file, an INI file read the way the
// Windows private-profile functions read it: sections and keys compare
// without regard to ASCII case, the first section and the first key of a
// name win, values are trimmed and lose one pair of enclosing quotes, lines
// starting with ';' are comments. Files are UTF-8 (a BOM is skipped) or
// UTF-16LE with a BOM.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace pellucid {

class ProfileFile {
public:
    // A settings file has no reason to be larger: a larger one is not read.
    static constexpr size_t kMaxFileSize = 64 * 1024;
    // Lines are cut after this many bytes (no value or name read from the
    // file may be that long anyway).
    static constexpr size_t kMaxLine = 4096;

    // False when the file cannot be read (it then holds no section): missing,
    // not a plain file, or larger than kMaxFileSize (logged).
    bool load(const std::string& path);
    void parse(const std::string& text);

    // The section names in file order, packed the way the section-name call
    // packs them: each name and a terminator, and one more terminator at the
    // end, into `capacity` characters. `truncated` is set when the list does
    // not fit; the names are then empty.
    std::vector<std::string> sectionNames(size_t capacity, bool& truncated) const;

    // The value of a key, cut to `capacity - 1` characters (UTF-16 units, as
    // the wide call counts them); `found` is false when there is no such key.
    std::string value(const std::string& section, const std::string& key, size_t capacity, bool& found) const;

    // Length of a text in UTF-16 units.
    static size_t wideLength(const std::string& utf8);

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> keys;
    };
    std::vector<Section> m_sections;
};

} // namespace pellucid
