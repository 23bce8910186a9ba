#include "mirel/gfx/a_imagemanager.h"

#include "mirel/base/a_log.h"
#include "mirel/base/a_orderedjobs.h"
#include "mirel/gfx/a_graphserver.h"
#include "mirel/gfx/a_imagedecode.h"

#include <set>
#include <vector>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The folder part of a list path, with its separator (an assign's colon counts).
std::string listFolder(const std::string& path) {
    size_t sep = path.find_last_of("/\\:");
    return sep == std::string::npos ? std::string() : path.substr(0, sep + 1);
}

struct ListLine {
    std::string name, file, format16, format32;
};

// Splits "file.ext fmt16 fmt32"; false when a part is missing.
bool splitLine(const std::string& line, ListLine& out) {
    size_t dot = line.rfind('.');
    if (dot == std::string::npos)
        return false;
    size_t fileEnd = dot;
    while (fileEnd < line.size() && !isBlank(line[fileEnd]))
        ++fileEnd;
    if (fileEnd >= line.size())
        return false;
    size_t p = fileEnd;
    while (p < line.size() && isBlank(line[p]))
        ++p;
    if (p >= line.size())
        return false;
    size_t f1 = p;
    while (p < line.size() && !isBlank(line[p]))
        ++p;
    if (p >= line.size())
        return false;
    size_t f1End = p;
    while (p < line.size() && isBlank(line[p]))
        ++p;
    if (p >= line.size())
        return false;
    size_t f2 = p;
    while (p < line.size() && !isBlank(line[p]))
        ++p;
    out.name = line.substr(0, dot);
    out.file = line.substr(0, fileEnd);
    out.format16 = line.substr(f1, f1End - f1);
    out.format32 = line.substr(f2, p - f2);
    return true;
}

} // namespace

aImageManager::aImageManager()
    : m_last(m_images.end()), m_loadThreads(aOrderedJobs::machineThreads(kMostLoadThreads)) {}

aImageManager::~aImageManager() = default;

int aImageManager::formatFromText(const std::string& text) {
    if (text == "1555")
        return A_FMT_A1R5G5B5;
    if (text == "4444")
        return A_FMT_A4R4G4B4;
    if (text == "0565")
        return A_FMT_R5G6B5;
    if (text == "8888")
        return A_FMT_A8R8G8B8;
    return -1;
}

std::string aImageManager::makeKey(const std::string& name, const std::string& group) {
    return group.empty() ? name : name + ":" + group;
}

void aImageManager::openList(const std::string& path) {
    if (!m_listHeld || path != m_listPath) {
        m_list.loadFile(path);
        m_listPath = path;
        m_listHeld = true;
    }
    m_list.begin();
}

uint32_t aImageManager::getListSize(const std::string& path) {
    openList(path);
    return m_list.getCount();
}

void aImageManager::loadList(const std::string& path, const std::string& group) {
    openList(path);
    const std::string folder = listFolder(path);
    std::vector<std::string> lines;
    lines.reserve(m_list.getCount());
    for (m_list.begin(); !m_list.isEnd(); m_list.next())
        lines.push_back(m_list.current());

    // The files of the lines that will make an image are read and decoded
    // ahead, on helper threads; everything else happens below, line by line.
    std::vector<std::string> files(lines.size());
    {
        std::set<std::string, StringLessNoCase> keys;
        for (size_t i = 0; i < lines.size(); ++i) {
            ListLine parts;
            if (splitLine(lines[i], parts) && !m_images.count(makeKey(parts.name, group)) &&
                keys.insert(makeKey(parts.name, group)).second)
                files[i] = folder + parts.file;
        }
    }
    aGraphServer* server = aImage::getGraphServer();
    const unsigned threads = server && server->getDevice() ? m_loadThreads : 1;
    std::vector<aImageFile> read(lines.size());
    aOrderedJobs jobs(
        lines.size(),
        [&](size_t i) -> size_t {
            if (files[i].empty())
                return 0;
            read[i] = a_readImageFile(files[i]);
            return read[i].heldBytes();
        },
        threads, aOrderedJobs::Limits{size_t(threads) * 2, kHeldDecodeBytes});

    int32_t left = int32_t(lines.size()) - 1;
    size_t textureBytes = 0;
    bool budgetSpent = false;
    for (size_t i = 0; i < lines.size(); ++i, --left) {
        const std::string& line = lines[i];
        ListLine parts;
        if (!splitLine(line, parts)) {
            a_log("aImageManager: Error in line: %s", line.c_str());
            continue;
        }
        int f16 = formatFromText(parts.format16), f32 = formatFromText(parts.format32);
        if (f16 < 0 || f32 < 0) {
            a_log("aImageManager. Unknown image format: %s", line.c_str());
            f16 = f16 < 0 ? 0 : f16;
            f32 = f32 < 0 ? 0 : f32;
        }
        std::string key = makeKey(parts.name, group);
        if (m_images.count(key)) {
            a_log("aImageManager. Image with name \"%s\" already loaded!", parts.file.c_str());
            continue;
        }
        if (budgetSpent) {
            a_log("aImageManager. Texture memory of the list used up, not loaded: %s", parts.file.c_str());
            continue;
        }
        jobs.take(i);
        aImage image = files[i].empty() ? aImage(folder + parts.file, f16, f32)
                                        : aImage(folder + parts.file, f16, f32, std::move(read[i]));
        read[i] = aImageFile();
        const size_t bytes = image.getTextureBytes();
        if (bytes > m_listBudget - textureBytes) {
            a_log("aImageManager. Texture memory of the list used up, not loaded: %s", parts.file.c_str());
            budgetSpent = true;
            jobs.stop();
            continue;
        }
        textureBytes += bytes;
        m_images.emplace(key, image);
        if (m_progress)
            m_progress(int16_t(left < 0 ? 0 : left));
    }
}

void aImageManager::unloadList(const std::string& path, const std::string& group) {
    openList(path);
    for (m_list.begin(); !m_list.isEnd(); m_list.next()) {
        const std::string& line = m_list.current();
        size_t dot = line.rfind('.');
        if (dot == std::string::npos)
            continue;
        auto it = m_images.find(makeKey(line.substr(0, dot), group));
        if (it == m_images.end())
            continue;
        if (it == m_last)
            m_last = m_images.end();
        m_images.erase(it);
    }
}

aImage* aImageManager::getImage(const std::string& name, const std::string& group) {
    std::string key = makeKey(name, group);
    if (m_last != m_images.end() && a_stricmp(m_last->first, key) == 0)
        return &m_last->second;
    auto it = m_images.find(key);
    if (it == m_images.end()) {
        if (group.empty())
            a_log("aImageManager. Cannot find image: %s", name.c_str());
        else
            a_log("aImageManager. Cannot find image: %s : %s", name.c_str(), group.c_str());
        return nullptr;
    }
    m_last = it;
    return &it->second;
}
