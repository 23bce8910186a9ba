#include "mirel/locale/a_localeserver.h"

#include "mirel/base/a_log.h"
#include "mirel/file/a_fileserver.h"
#include "mirel/util/a_loadbudget.h"
#include "mirel/util/a_stringlist.h"

#include <algorithm>
#include <cstdlib>

aLocaleServer* aLocaleServer::ms_instance = nullptr;

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool hasBom(const std::string& s) {
    return s.size() >= 3 && s.compare(0, 3, "\xEF\xBB\xBF") == 0;
}

std::string unescapeNewlines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += '\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A whole file as text: a leading signature skipped, carriage returns removed.
// `read` is the number of bytes the file had.
std::string readTextFile(const std::string& path, size_t& read) {
    uint32_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size, A_FILE_MAX_TEXT);
    read = data ? size : 0;
    std::string text;
    if (data) {
        text.assign(reinterpret_cast<const char*>(data), size);
        std::free(data);
    }
    if (hasBom(text)) {
        text.erase(0, 3);
    }
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

} // namespace

aLocaleServer::aLocaleServer() {
    aLocaleServer*& Singleton = ms_instance;
    // clang-format off
    A_ASSERT(Singleton==0);
    // clang-format on
    Singleton = this;
}

aLocaleServer::~aLocaleServer() {
    aLocaleServer*& Singleton = ms_instance;
    A_ASSERT(Singleton);
    // a second server replaced this one: leave the live one published
    if (Singleton == this) {
        Singleton = nullptr;
    }
}

void aLocaleServer::loadFile(const std::string& path, const std::string& group) {
    for (const auto& file : m_files) {
        if (file.first == path) {
            return;
        }
    }
    m_files.emplace_back(path, group);
    parseFile(path, group);
}

void aLocaleServer::parseFile(const std::string& path, const std::string& group) {
    uint32_t size = 0;
    uint8_t* data = file_readFullAndMalloc(path, &size, A_FILE_MAX_TEXT);
    parseBuffer(path, reinterpret_cast<const char*>(data), data ? size : 0, group);
    std::free(data);
}

void aLocaleServer::parseBuffer(const std::string& path, const char* data, size_t size,
                                const std::string& group) {
    aStringList list;
    list.parseBuffer(data, data ? size : 0);
    aLoadBudget references(aLoadBudget::kMaxFiles,
                           kMaxReferencedText); // the text files this file's entries name
    size_t entries = 0;
    int lineNo = 0;
    for (list.begin(); !list.isEnd(); list.next()) {
        ++lineNo;
        std::string line = list.current();
        if (lineNo == 1 && hasBom(line)) {
            line.erase(0, 3);
        }
        size_t p = 0;
        while (p < line.size() && isBlank(line[p]))
            ++p;
        if (p == line.size() || line[p] == ';') {
            continue;
        }
        size_t keyEnd = line.find_first_of(" \t=", p + 1);
        size_t first = keyEnd == std::string::npos ? std::string::npos : line.find('"', keyEnd);
        size_t last = line.rfind('"');
        if (first == std::string::npos || last == first) {
            a_log("aLocaleServer. Error in file %s, line %i", path.c_str(), lineNo);
            continue;
        }
        if (entries++ == kMaxEntries) {
            a_log("aLocaleServer. Too many texts in file %s, line %i and later lines not read", path.c_str(),
                  lineNo);
            break;
        }
        std::string key = line.substr(p, keyEnd - p);
        std::string value = line.substr(first + 1, last - first - 1);
        size_t fileRef = line.find("file,", keyEnd);
        std::string text;
        if (fileRef != std::string::npos && fileRef < first) {
            if (!references.takeFile()) {
                if (references.firstComplaint()) {
                    a_log("aLocaleServer. Too much text referenced in file %s, line %i and later references "
                          "not read",
                          path.c_str(), lineNo);
                }
                continue;
            }
            size_t read = 0;
            text = readTextFile(value, read);
            references.spend(read);
        } else {
            text = unescapeNewlines(value);
        }
        m_strings[group + key] = utf8ToWide(text);
    }
}

std::u16string aLocaleServer::getString(const std::string& key) const {
    auto it = m_strings.find(key);
    if (it == m_strings.end()) {
        a_log("aLocaleServer. String [%s] not found", key.c_str());
        return std::u16string();
    }
    return it->second;
}

const std::u16string* aLocaleServer::findString(const std::string& key) const {
    auto it = m_strings.find(key);
    return it != m_strings.end() ? &it->second : nullptr;
}
