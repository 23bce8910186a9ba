#pragma once
// Every text shown to the player, as UTF-16 strings looked up by key.
//
// Locale string files are UTF-8 text, one assignment a line:
//   key = "First line\nsecond line"
//   key = file,"data:loc/intro.txt"
// A quoted text may hold double quotes (the text runs from the first to the
// last quote of the line) and "\n" for a line break; a file reference takes the
// whole file as the text, line breaks included. Lines starting with ';' are
// comments. Keys compare exactly; a later definition replaces an earlier one.

#include "mirel/base/a_utf.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

class aLocaleServer {
public:
    aLocaleServer();
    ~aLocaleServer();
    aLocaleServer(const aLocaleServer&) = delete;
    aLocaleServer& operator=(const aLocaleServer&) = delete;

    static aLocaleServer* getInstance() { return ms_instance; }

    // The most text one string file's references may bring in; the entries
    // after that (and after the 1000th reference) are not read.
    static constexpr size_t kMaxReferencedText = size_t(16) << 20;
    // The most texts one string file gives (each costs a hundred bytes or so
    // besides its text, many times a short line's size); the lines after
    // that are not read.
    static constexpr size_t kMaxEntries = 100000;

    // Reads a string file once: a path already loaded is not read again. The
    // group is put before every key of the file.
    void loadFile(const std::string& path, const std::string& group = "");
    // Reads string-file text given in memory; `path` names it in messages.
    void parseBuffer(const std::string& path, const char* data, size_t size, const std::string& group = "");

    // A copy of the text; a missing key is logged and gives an empty text.
    std::u16string getString(const std::string& key) const;
    // The stored text, or null, without a message.
    const std::u16string* findString(const std::string& key) const;

private:
    void parseFile(const std::string& path, const std::string& group);

    static aLocaleServer* ms_instance;
    std::unordered_map<std::string, std::u16string> m_strings;
    std::vector<std::pair<std::string, std::string>> m_files; // path, group
};
