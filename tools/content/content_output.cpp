#include "content/content_output.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace content {

namespace fs = std::filesystem;

bool writeOutput(const std::string& path, const Bytes& bytes, std::string& error) {
    std::error_code ec;
    fs::path p(path);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path(), ec);
    if (fs::is_regular_file(p, ec) && fs::file_size(p, ec) == bytes.size()) {
        std::ifstream in(path, std::ios::binary);
        Bytes old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (old == bytes)
            return true;
    }
    if (!saveFile(path, bytes)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool writeOutput(const std::string& path, const std::string& text, std::string& error) {
    return writeOutput(path, Bytes(text.begin(), text.end()), error);
}

bool writeStamp(const std::string& stamp, const std::set<std::string>& outputs, std::string& error) {
    std::ifstream in(stamp);
    std::string line;
    std::error_code ec;
    while (std::getline(in, line))
        if (!line.empty() && !outputs.count(line))
            fs::remove(line, ec);
    std::string text;
    for (const std::string& o : outputs)
        text += o + "\n";
    fs::path p(stamp);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path(), ec);
    // The stamp is always rewritten: its time tells the build the recipe ran.
    if (!saveFile(stamp, text)) {
        error = "cannot write " + stamp;
        return false;
    }
    return true;
}

bool writeDepfile(const std::string& depfile, const std::string& target, const std::set<std::string>& reads,
                  std::string& error) {
    auto escape = [](const std::string& s) {
        std::string out;
        for (char c : s) {
            if (c == ' ' || c == '#' || c == '\\')
                out += '\\';
            if (c == '$')
                out += '$';
            out += c;
        }
        return out;
    };
    std::string text = escape(target) + ":";
    for (const std::string& r : reads)
        text += " \\\n  " + escape(fs::absolute(r).lexically_normal().string());
    text += "\n";
    std::error_code ec;
    fs::path p(depfile);
    if (p.has_parent_path())
        fs::create_directories(p.parent_path(), ec);
    if (!saveFile(depfile, text)) {
        error = "cannot write " + depfile;
        return false;
    }
    return true;
}

} // namespace content
