#pragma once
// The engine's options files: [section] lines, "key = value" lines, ';'
// comments and #include "file" lines. Sections and keys are kept in file order,
// duplicates included; every look-up finds the first. Names, keys and values
// compare exactly. Blanks (spaces and tabs) are trimmed before a line, around
// keys and values and before a ';' comment. One load reads and keeps at most
// aLoadBudget's files and bytes, its includes counted in.
//
// Sections and keys are looked up through indexes made once per load, so a
// look-up costs the logarithm of their number, not a walk over them.

#include "mirel/util/a_loadbudget.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class aOptionsFile {
public:
    aOptionsFile() = default;
    explicit aOptionsFile(const std::string& path);
    // A copy has its own current section and key cursor at the same places.
    aOptionsFile(const aOptionsFile& other) = default;
    aOptionsFile& operator=(const aOptionsFile& other) = default;

    // Drops all sections and parses the file; the first section becomes current.
    void load(const std::string& path);

    bool setSection(const std::string& name);
    // Makes the section at that place in file order (from 0) current, so that
    // sections sharing a name can each be read; false past the last one.
    bool selectSection(size_t index);
    size_t getSectionCount() const { return m_sections.size(); }
    std::string getSectionName() const;
    // Every section's name in file order, duplicates included.
    std::vector<std::string> getSectionNames() const;

    std::string getString(const std::string& key) const;
    int getInt(const std::string& key) const;
    std::string getValue(const std::string& section, const std::string& key) const;
    // The value of the key in the first section of that name; null, without a
    // log line, when either is missing.
    const std::string* findValue(const std::string& section, const std::string& key) const;
    // Appends the tokens of a value split at runs of commas and blanks.
    void getStringList(const std::string& section, const std::string& key,
                       std::vector<std::string>& list) const;
    void getIntList(const std::string& section, const std::string& key, std::vector<int>& list) const;

    bool hasKey(const std::string& name) const;
    bool firstKey();
    bool nextKey();
    bool isKeyEnd() const;
    std::string getKeyName() const;
    std::string getKeyValue() const;

private:
    using Key = std::pair<std::string, std::string>;
    struct Section {
        std::string name;
        std::vector<Key> keys;        // file order
        std::vector<uint32_t> byName; // places in keys, sorted by key, file order among equal keys

        const Key* find(const std::string& key) const;
    };
    static constexpr size_t kNone = size_t(-1);

    void parse(const std::string& path, bool top);
    bool keep(size_t bytes, const std::string& path);
    void makeIndexes();
    const Section* findSection(const std::string& name) const;
    bool hasCurrent() const { return m_current < m_sections.size(); }
    const Section& current() const { return m_sections[m_current]; }

    std::vector<Section> m_sections;
    std::vector<uint32_t>
        m_sectionsByName;     // places in m_sections, sorted by name, file order among equal names
    size_t m_current = kNone; // the current section's place
    size_t m_key = 0;         // the key cursor's place in the current section
    bool m_sectionSeen = false;
    std::vector<std::string> m_including; // files being parsed, outermost first
    aLoadBudget m_budget;                 // of the load under way, includes counted in
};
