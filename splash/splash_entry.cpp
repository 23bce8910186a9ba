#include "splash_entry.h"

#include "splash_log.h"
#include "splash_profile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace pellucid {

namespace {

constexpr size_t kSectionNamesCapacity = 256;
constexpr size_t kValueCapacity = 1024;

bool fileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

SplashEntry SplashEntry::named(const std::string& name) {
    SplashEntry e;
    e.name = name;
    e.builtIn = name == kBuiltInEntryName;
    e.useFlash = e.builtIn;
    return e;
}

ColorRef ParseColor(const std::string& text) {
    ColorRef c = 0;
    for (int i = 0; i < 3; ++i) {
        std::string pair = text.substr(static_cast<size_t>(i) * 2, 2);
        long v = std::strtol(pair.c_str(), nullptr, 16);
        c |= static_cast<ColorRef>(static_cast<uint8_t>(v)) << (8 * i);
    }
    return c;
}

int32_t ParseNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<int64_t>(INT32_MAX) + 1)
            v = static_cast<int64_t>(INT32_MAX) + 1;
    }
    if (negative)
        v = -v;
    if (v > INT32_MAX)
        v = INT32_MAX;
    return static_cast<int32_t>(v);
}

std::string LibraryFolderFromPath(const std::string& name) {
    if (name.empty())
        return {};
    size_t slash = name.rfind('/');
    std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
    if (last.empty() || last == "." || last == "..")
        return name.back() == '/' ? name : name + "/";
    if (slash == std::string::npos)
        return {};
    return name.substr(0, slash + 1);
}

void ReadSplashEntry(const std::string& folder, SplashEntry& entry, const std::string& iniPath) {
    ProfileFile ini;
    ini.load(iniPath);
    auto get = [&](const char* key, std::string& out) {
        bool found = false;
        out = ini.value(entry.name, key, kValueCapacity, found);
        size_t len = ProfileFile::wideLength(out);
        return found && len != 0 && len != kValueCapacity - 1;
    };
    auto color = [&](const char* key, ColorRef& out) {
        std::string v;
        if (get(key, v)) {
            if (ProfileFile::wideLength(v) == 6)
                out = ParseColor(v);
            else
                splashLog("ReadSplashEntry - colour '%s' of '%s' is not six hexadecimal digits", v.c_str(),
                          entry.name.c_str());
        }
    };
    std::string v;
    if (get("FadeTime", v))
        entry.fadeTime = ParseNumber(v);
    color("FadeInColor", entry.fadeInColor);
    color("FadeOutColor", entry.fadeOutColor);
    if (get("FlashVideoPath", v) && !entry.builtIn) {
        entry.flashVideoPath = folder + v;
        entry.useFlash = true;
    }
    if (get("UseFlash", v))
        entry.useFlash = v[0] != '0';
    if (get("VideoWidth", v))
        entry.videoWidth = ParseNumber(v);
    if (get("VideoHeight", v))
        entry.videoHeight = ParseNumber(v);
    color("VideoBackground", entry.videoBackground);
    if (get("VideoTime", v))
        entry.videoTime = ParseNumber(v);
    if (get("StaticPath", v) && !entry.builtIn)
        entry.staticPath = folder + v;
    if (get("StaticTime", v))
        entry.staticTime = ParseNumber(v);
}

std::vector<SplashEntry> LoadSplashEntries(const std::string& folder) {
    std::vector<SplashEntry> entries;
    const std::string iniPath = folder + "Splash.ini";
    if (fileExists(iniPath)) {
        ProfileFile ini;
        bool truncated = false;
        std::vector<std::string> names;
        if (!ini.load(iniPath))
            splashLog("LoadSplashEntries - cannot read '%s'", iniPath.c_str());
        else
            names = ini.sectionNames(kSectionNamesCapacity, truncated);
        if (truncated)
            splashLog("LoadSplashEntries - too many section names in '%s'", iniPath.c_str());
        for (const std::string& name : names) {
            if (entries.size() >= kMaxSplashEntries)
                break;
            entries.push_back(SplashEntry::named(name));
            ReadSplashEntry(folder, entries.back(), iniPath);
        }
    }
    bool haveBuiltIn = false;
    for (const SplashEntry& e : entries)
        haveBuiltIn = haveBuiltIn || e.builtIn;
    if (!haveBuiltIn) {
        if (entries.size() >= kMaxSplashEntries)
            entries.resize(kMaxSplashEntries - 1);
        entries.push_back(SplashEntry::named(kBuiltInEntryName));
    }
    return entries;
}

} // namespace pellucid
