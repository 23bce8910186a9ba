#pragma once
// Recipe files and the game's options files as the content tools read them:
// "[section]" lines, "key = value" lines and ';' comments, in file order with
// duplicates kept. Each key remembers its line for messages.
//
// Values are cut at the first ';' like the engine does. Recipes read them
// trimmed; `raw` gives the value exactly as the game sees it.

#include <string>
#include <vector>

namespace content {

struct IniKey {
    std::string name;
    std::string value; // trimmed
    std::string raw;   // as the engine reads it: leading blanks and '=' skipped, the rest up to ';'
    int line = 0;
};

struct IniSection {
    std::string name;
    int line = 0;
    std::vector<IniKey> keys;

    // The first key of that name, or null.
    const IniKey* find(const std::string& key) const;
    // The trimmed value of the first such key, or the fallback.
    std::string get(const std::string& key, const std::string& fallback = "") const;
    bool has(const std::string& key) const { return find(key) != nullptr; }
};

struct IniFile {
    std::string path;
    std::vector<IniSection> sections;

    const IniSection* find(const std::string& section) const;
    // "path:line: " for messages about a key or section.
    std::string where(int line) const;
};

// Reads the file; false (with a message in error) when it cannot be read.
bool readIni(const std::string& path, IniFile& out, std::string& error);
// Parses text; `path` names it in messages.
IniFile parseIni(const std::string& path, const std::string& text);

// Splits at runs of blanks and commas, as the engine's lists do.
std::vector<std::string> splitList(const std::string& value);
std::string trim(const std::string& s);

} // namespace content
