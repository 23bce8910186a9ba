#pragma once
// Scratch files for fuzzers.
//
// FuzzFolder: a folder of the process's own (FuzzScratch: in $TMPDIR, gone
// when the process ends) that a file server's assign names (a file server is
// made for the process's life when none exists), and files written into it
// by relative path.
//
//   static FuzzFolder folder("rooms", "data");
//   folder.write("levels/fz.ini", text);      // "data:levels/fz.ini"
//
// FuzzParts: an input cut at lines that hold only a separator, into a fixed
// number of parts (the last keeps the rest; missing parts are empty).
//
// FuzzFiles: inputs that stand for several files, so that includes and file
// references reach files the input itself makes. The input is split at
// lines that hold only "#--file--"; part 0 is the file the fuzzer reads
// first, part i is written as "fz:i". Each call replaces the files of the
// last one.
//
//   static FuzzFiles files("options");
//   std::vector<std::string> parts = files.write(data, size);
//   aOptionsFile o(files.path(0));

#include "mirel/file/a_fileserver.h"
#include "support/fuzz_scratch.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class FuzzFolder {
public:
    explicit FuzzFolder(const std::string& name, const std::string& assign = "fz")
        : m_scratch("mirel-fuzz-" + name), m_folder(m_scratch.folder()) {
        if (!aFileServer::getInstance()) {
            aFileServerSources s;
            s.useSystem = false;
            s.exePath = m_folder + "prog";
            new aFileServer(s); // kept for the process's life
        }
        aFileServer::getInstance()->setAssign(assign, m_folder);
    }

    // Writes the file at a path below the folder, making its folders.
    void write(const std::string& relative, std::string_view text) const {
        const std::filesystem::path full = m_folder + relative;
        std::filesystem::create_directories(full.parent_path());
        if (FILE* f = std::fopen(full.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }

    // The real path of a file below the folder; the folder (with its '/').
    std::string path(const std::string& relative) const { return m_folder + relative; }
    const std::string& folder() const { return m_folder; }

private:
    FuzzScratch m_scratch;
    std::string m_folder;
};

inline std::vector<std::string> FuzzParts(const uint8_t* data, size_t size, std::string_view separator,
                                          size_t count) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string mark = "\n" + std::string(separator) + "\n";
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() + 1 < count) {
        const size_t at = input.find(mark, start);
        if (at == std::string_view::npos)
            break;
        parts.emplace_back(input.substr(start, at - start));
        start = at + mark.size();
    }
    parts.emplace_back(input.substr(start));
    parts.resize(count);
    return parts;
}

class FuzzFiles {
public:
    static constexpr std::string_view kSeparator = "#--file--";

    explicit FuzzFiles(const std::string& name) : m_folder(name) {}

    // Splits the input and writes every part as a file; returns the parts.
    std::vector<std::string> write(const uint8_t* data, size_t size) {
        std::vector<std::string> parts(1);
        std::string_view text(reinterpret_cast<const char*>(data), size);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line == kSeparator)
                parts.emplace_back();
            else
                parts.back().append(text.substr(start, std::min(end + 1, text.size()) - start));
            start = end + 1;
        }
        for (size_t i = 0; i < parts.size(); ++i)
            m_folder.write(std::to_string(i), parts[i]);
        for (size_t i = parts.size(); i < m_written; ++i)
            std::remove(path(i).c_str());
        m_written = parts.size();
        return parts;
    }

    // The real path of part i, and the folder of the parts (with its '/').
    std::string path(size_t i) const { return m_folder.path(std::to_string(i)); }
    const std::string& folder() const { return m_folder.folder(); }

private:
    FuzzFolder m_folder;
    size_t m_written = 0;
};
