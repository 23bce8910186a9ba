#include "content/content_tree.h"

#include "content/content_ini.h"
#include "content/content_output.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace content {

namespace {

namespace fs = std::filesystem;

std::string lowerExt(const fs::path& p) {
    std::string e = p.extension().string();
    for (char& c : e)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

Bytes readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void put32(Bytes& b, uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

bool rawDeflate(const Bytes& in, Bytes& out) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    out.resize(deflateBound(&z, uLong(in.size())) + 16);
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = uInt(in.size());
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return rc == Z_STREAM_END;
}

} // namespace

bool isRecipeFile(const std::string& path) {
    fs::path p(path);
    if (p.filename() == ".gitkeep")
        return true;
    std::string e = lowerExt(p);
    return e == ".svg" || e == ".art" || e == ".fonts" || e == ".sfx" || e == ".music" || e == ".speech" ||
           e == ".video";
}

bool copyTree(const std::string& sourceRoot, const std::string& outputRoot, std::set<std::string>& reads,
              std::set<std::string>& outputs, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(sourceRoot, ec)) {
        error = "data folder " + sourceRoot + " not found";
        return false;
    }
    fs::create_directories(outputRoot, ec);
    for (fs::recursive_directory_iterator it(sourceRoot, ec), end; it != end; it.increment(ec)) {
        if (ec) {
            error = "cannot list " + sourceRoot + ": " + ec.message();
            return false;
        }
        if (!it->is_regular_file() || isRecipeFile(it->path().string()))
            continue;
        fs::path rel = fs::relative(it->path(), sourceRoot);
        fs::path out = fs::path(outputRoot) / rel;
        reads.insert(it->path().string());
        if (!writeOutput(out.string(), readAll(it->path()), error))
            return false;
        outputs.insert(out.lexically_normal().string());
    }
    return true;
}

std::vector<std::string> checkTree(const std::string& root) {
    std::vector<std::string> faults;
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(root, ec), end; it != end; it.increment(ec))
        if (!ec && it->is_regular_file())
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        std::string name = f.filename().string();
        if (name == "ImageList.txt" || name == "SoundList.txt") {
            std::ifstream in(f);
            std::string line;
            int n = 0;
            while (std::getline(in, line)) {
                ++n;
                std::istringstream ss(line);
                std::string file;
                if (!(ss >> file))
                    continue;
                if (!fs::is_regular_file(f.parent_path() / file))
                    faults.push_back(
                        f.string() + ":" + std::to_string(n) + ": " + file +
                        " is not in the built tree (no recipe makes it, no data file is copied)");
            }
        } else if (lowerExt(f) == ".fnt") {
            IniFile font;
            std::string error;
            if (!readIni(f.string(), font, error))
                continue;
            const IniSection* g = font.find("General");
            const IniKey* t = g ? g->find("Texture") : nullptr;
            if (!t)
                faults.push_back(f.string() + ": the font file has no Texture");
            else if (!fs::is_regular_file(f.parent_path() / t->value))
                faults.push_back(font.where(t->line) + "the atlas " + t->value + " is not in the built tree");
        }
    }
    return faults;
}

bool writeZip(const std::string& root, const std::string& archive, std::string& error) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(root, ec), end; it != end; it.increment(ec))
        if (!ec && it->is_regular_file())
            files.push_back(fs::relative(it->path(), root));
    if (ec) {
        error = "cannot list " + root;
        return false;
    }
    std::sort(files.begin(), files.end());
    Bytes out, central;
    uint32_t count = 0;
    for (const fs::path& rel : files) {
        Bytes data = readAll(fs::path(root) / rel);
        std::string name = rel.generic_string();
        std::string e = lowerExt(rel);
        bool stored = e == ".jpg" || e == ".jpeg" || e == ".jng" || e == ".png" || e == ".ogg";
        Bytes body;
        if (stored || !rawDeflate(data, body) || body.size() >= data.size()) {
            stored = true;
            body = data;
        }
        if (out.size() > 0xFFFFFFFFull - body.size() - 1024 || count == 0xFFFF) {
            error = archive + ": too large for a zip archive without zip64";
            return false;
        }
        uint32_t crc = uint32_t(crc32(0, data.data(), uInt(data.size())));
        uint32_t offset = uint32_t(out.size());
        auto header = [&](Bytes& b, bool isCentral) {
            put32(b, isCentral ? 0x02014b50 : 0x04034b50);
            if (isCentral)
                put16(b, 20); // made by
            put16(b, 20);     // needed
            put16(b, 0);      // flags
            put16(b, stored ? 0 : 8);
            put16(b, 0);    // time
            put16(b, 0x21); // date: 1980-01-01
            put32(b, crc);
            put32(b, uint32_t(body.size()));
            put32(b, uint32_t(data.size()));
            put16(b, uint32_t(name.size()));
            put16(b, 0); // extra
            if (isCentral) {
                put16(b, 0); // comment
                put16(b, 0); // disk
                put16(b, 0); // internal attributes
                put32(b, 0); // external attributes
                put32(b, offset);
            }
            b.insert(b.end(), name.begin(), name.end());
        };
        header(out, false);
        out.insert(out.end(), body.begin(), body.end());
        header(central, true);
        ++count;
    }
    uint32_t centralOffset = uint32_t(out.size());
    out.insert(out.end(), central.begin(), central.end());
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, count);
    put16(out, count);
    put32(out, uint32_t(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    return writeOutput(archive, out, error);
}

} // namespace content
