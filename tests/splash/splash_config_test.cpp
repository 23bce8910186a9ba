// "Splash.ini" and its values: entry limits, the built-in entry, colours,
// numbers, the Flash and path rules, the library folder.
#include <gtest/gtest.h>

#include "splash_entry.h"
#include "splash_profile.h"
#include "splash_test_support.h"

#include <functional>

using namespace pellucid;
using splashtest::ScratchFolder;
using splashtest::WriteFile;

namespace {

std::string sections(int count, const std::string& prefix) {
    std::string ini;
    for (int i = 0; i < count; ++i)
        ini += "[" + prefix + std::to_string(i) + "]\nStaticTime=" + std::to_string(i) + "\n";
    return ini;
}

// `count` sections named with `length` characters each ("N" and digits),
// the last one `extra` characters longer.
std::string fixedSections(int count, int length, int extra, std::vector<std::string>* listed) {
    std::string ini;
    for (int i = 0; i < count; ++i) {
        std::string digits = std::to_string(i);
        int len = length + (i == count - 1 ? extra : 0);
        std::string name = "N" + std::string(static_cast<size_t>(len) - 1 - digits.size(), '0') + digits;
        if (listed)
            listed->push_back(name);
        ini += "[" + name + "]\n";
    }
    return ini;
}

std::vector<std::string> names(const std::vector<SplashEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries)
        out.push_back(e.name + (e.builtIn ? "*" : ""));
    return out;
}

} // namespace

TEST(SplashConfig, EntryTable) {
    struct Case {
        const char* what;
        const char* ini; // nullptr: no file
        std::vector<std::string> expected;
    };
    const std::string twelve = sections(12, "S");
    const std::string tenWithBuiltIn = sections(9, "S") + "[Velquist]\n";
    // 15 names of 16 characters, a terminator each and the closing one fill
    // exactly 256 characters; one character more does not fit.
    std::vector<std::string> exact;
    const std::string exactFit = fixedSections(15, 16, 0, &exact);
    const std::string tooLong = fixedSections(15, 16, 1, nullptr);
    exact.resize(9);
    exact.push_back("Velquist*");
    std::vector<std::string> nineAndBuiltIn;
    for (int i = 0; i < 9; ++i)
        nineAndBuiltIn.push_back("S" + std::to_string(i));
    nineAndBuiltIn.push_back("Velquist*");
    const Case cases[] = {
        {"no file", nullptr, {"Velquist*"}},
        {"no section", "; nothing here\nkey=value\n", {"Velquist*"}},
        {"12 sections", twelve.c_str(), nineAndBuiltIn},
        {"built-in among ten", tenWithBuiltIn.c_str(), nineAndBuiltIn},
        {"names do not fit", tooLong.c_str(), {"Velquist*"}},
        {"names fit exactly", exactFit.c_str(), exact},
        {"built-in first", "[Velquist]\n[Intro]\n", {"Velquist*", "Intro"}},
        {"name with other case", "[velquist]\n", {"velquist", "Velquist*"}},
        {"blanks around a name", "  [ Intro ]  \r\n", {"Intro", "Velquist*"}},
    };
    for (const Case& c : cases) {
        std::string folder = ScratchFolder("entries");
        if (c.ini)
            WriteFile(folder + "Splash.ini", c.ini);
        EXPECT_EQ(names(LoadSplashEntries(folder)), c.expected) << c.what;
    }
}

TEST(SplashConfig, EntryValues) {
    const std::string long1023(1023, '7'), long1022(1022, '7');
    struct Case {
        const char* what;
        std::string body; // keys of section [E]
        std::function<void(const SplashEntry&)> check;
    };
    const std::string f = "/lib/";
    const Case cases[] = {
        {"defaults", "",
         [](const SplashEntry& e) {
             EXPECT_EQ(e.fadeTime, 1000);
             EXPECT_EQ(e.fadeInColor, 0u);
             EXPECT_EQ(e.fadeOutColor, 0u);
             EXPECT_FALSE(e.builtIn);
             EXPECT_FALSE(e.useFlash);
             EXPECT_EQ(e.videoWidth, 800);
             EXPECT_EQ(e.videoHeight, 600);
             EXPECT_EQ(e.videoBackground, 0xFEFEFEu);
             EXPECT_EQ(e.videoTime, 7500);
             EXPECT_EQ(e.staticTime, 2000);
             EXPECT_EQ(e.staticPath, "");
         }},
        {"colours", "FadeInColor=FF0000\nFadeOutColor=00ff00\nVideoBackground=123456\n",
         [](const SplashEntry& e) {
             EXPECT_EQ(e.fadeInColor, 0x0000FFu);
             EXPECT_EQ(e.fadeOutColor, 0x00FF00u);
             EXPECT_EQ(e.videoBackground, 0x563412u);
         }},
        {"colours of other lengths", "FadeInColor=F00\nFadeOutColor=FF00000\n",
         [](const SplashEntry& e) {
             EXPECT_EQ(e.fadeInColor, 0u);
             EXPECT_EQ(e.fadeOutColor, 0u);
         }},
        {"numbers",
         "FadeTime=250ms\nStaticTime=abc\nVideoTime=-40\nVideoWidth= 1024\nVideoHeight=99999999999\n",
         [](const SplashEntry& e) {
             EXPECT_EQ(e.fadeTime, 250);
             EXPECT_EQ(e.staticTime, 0);
             EXPECT_EQ(e.videoTime, -40);
             EXPECT_EQ(e.videoWidth, 1024);
             EXPECT_EQ(e.videoHeight, INT32_MAX);
         }},
        {"empty values keep defaults", "FadeTime=\nStaticTime=\"\"\n",
         [](const SplashEntry& e) {
             EXPECT_EQ(e.fadeTime, 1000);
             EXPECT_EQ(e.staticTime, 2000);
         }},
        {"value lengths", "FadeTime=" + long1023 + "\nStaticTime=" + long1022 + "\n",
         [](const SplashEntry& e) {
             EXPECT_EQ(e.fadeTime, 1000);        // 1023 characters or more: not used
             EXPECT_EQ(e.staticTime, INT32_MAX); // 1022 characters: used
         }},
        {"keys without case, first wins", "fadetime=5\nFADETIME=6\n",
         [](const SplashEntry& e) { EXPECT_EQ(e.fadeTime, 5); }},
        {"video path turns Flash on", "FlashVideoPath=v/clip.flv\n",
         [&](const SplashEntry& e) {
             EXPECT_TRUE(e.useFlash);
             EXPECT_EQ(e.flashVideoPath, f + "v/clip.flv");
         }},
        {"UseFlash after the path", "FlashVideoPath=clip.flv\nUseFlash=0\n",
         [](const SplashEntry& e) { EXPECT_FALSE(e.useFlash); }},
        {"UseFlash reads its first character", "UseFlash=no\n",
         [](const SplashEntry& e) { EXPECT_TRUE(e.useFlash); }},
        {"UseFlash zero", "UseFlash=01\n", [](const SplashEntry& e) { EXPECT_FALSE(e.useFlash); }},
        {"static path, quoted", "StaticPath=\"pics/a b.jpg\"\n",
         [&](const SplashEntry& e) { EXPECT_EQ(e.staticPath, f + "pics/a b.jpg"); }},
    };
    for (const Case& c : cases) {
        std::string folder = ScratchFolder("values");
        WriteFile(folder + "Splash.ini", "[E]\n" + c.body + "[Other]\nFadeTime=1\n");
        SplashEntry e = SplashEntry::named("E");
        ReadSplashEntry(f, e, folder + "Splash.ini");
        c.check(e);
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << c.what;
            return;
        }
    }
}

TEST(SplashConfig, BuiltInEntryIgnoresPathsButNotTimes) {
    std::string folder = ScratchFolder("builtin");
    WriteFile(folder + "Splash.ini",
              "[Velquist]\nStaticPath=mine.jpg\nFlashVideoPath=mine.flv\nStaticTime=10\nUseFlash=0\n");
    auto entries = LoadSplashEntries(folder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_TRUE(entries[0].builtIn);
    EXPECT_EQ(entries[0].staticPath, "");
    EXPECT_EQ(entries[0].flashVideoPath, "");
    EXPECT_EQ(entries[0].staticTime, 10);
    EXPECT_FALSE(entries[0].useFlash);
}

TEST(SplashConfig, Utf16FileAndColorPairs) {
    std::string folder = ScratchFolder("utf16");
    std::string text = "[Intro]\r\nFadeTime=42\r\n";
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    WriteFile(folder + "Splash.ini", bytes);
    auto entries = LoadSplashEntries(folder);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "Intro");
    EXPECT_EQ(entries[0].fadeTime, 42);

    struct Color {
        const char* text;
        ColorRef value;
    };
    for (const Color& c : {Color{"FF0000", 0x0000FF}, Color{"0000ff", 0xFF0000}, Color{"GG8001", 0x018000},
                           Color{"102030", 0x302010}}) {
        EXPECT_EQ(ParseColor(c.text), c.value) << c.text;
    }
}

TEST(SplashConfig, LibraryFolder) {
    struct Case {
        const char* name;
        const char* folder;
    };
    const Case cases[] = {
        {"/opt/app/libPellucid.so", "/opt/app/"},
        {"/libPellucid.so", "/"},
        {"libPellucid.so", ""},
        {"", ""},
        {"/opt/app/", "/opt/app/"},
        {"/opt/app/.", "/opt/app/./"},
        {"/opt/app/..", "/opt/app/../"},
        {"./lib/libPellucid.so", "./lib/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LibraryFolderFromPath(c.name), c.folder) << c.name;
}
