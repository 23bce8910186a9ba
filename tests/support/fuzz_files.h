#pragma once
// Fuzz inputs that stand for several files, so that includes and file
// references reach files the input itself makes. The input is split at
// lines that hold only "#--file--"; part 0 is the file the fuzzer reads
// first, part i is written as "fz:i" (a scratch folder of the process's own
// that the assign "fz" names). Each call replaces the files of the last one.
//
//   static FuzzFiles files("options");
//   std::vector<std::string> parts = files.write(data, size);
//   aOptionsFile o(files.path(0));

#include "mirel/file/a_fileserver.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class FuzzFiles {
public:
    static constexpr std::string_view kSeparator = "#--file--";

    explicit FuzzFiles(const std::string& name)
        : m_folder("/tmp/mirel-fuzz-" + name + "-" + std::to_string(::getpid()) + "/") {
        std::filesystem::create_directories(m_folder);
        if (!aFileServer::getInstance()) {
            aFileServerSources s;
            s.useSystem = false;
            s.exePath = m_folder + "prog";
            m_server = new aFileServer(s); // kept for the process's life
        }
        aFileServer::getInstance()->setAssign("fz", m_folder);
    }

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
        for (size_t i = 0; i < parts.size(); ++i) {
            if (FILE* f = std::fopen(path(i).c_str(), "wb")) {
                std::fwrite(parts[i].data(), 1, parts[i].size(), f);
                std::fclose(f);
            }
        }
        for (size_t i = parts.size(); i < m_written; ++i)
            std::remove(path(i).c_str());
        m_written = parts.size();
        return parts;
    }

    // The real path of part i, and the folder of the parts (with its '/').
    std::string path(size_t i) const { return m_folder + std::to_string(i); }
    const std::string& folder() const { return m_folder; }

private:
    std::string m_folder;
    size_t m_written = 0;
    aFileServer* m_server = nullptr;
};
