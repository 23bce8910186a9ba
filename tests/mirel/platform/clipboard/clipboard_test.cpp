#include "mirel/platform/window/a_clipboard.h"
#include "mirel/platform/window/a_platform_window.h"
#include "mirel/platform/window/headless/a_headless_clipboard.h"
#include "mirel/platform/window/sdl/a_sdl_clipboard.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace {

struct ClipboardTest : ::testing::Test {
    aHeadlessClipboard clipboard;
};

TEST_F(ClipboardTest, UnicodeTextRoundTripsAndReplacesAnsiText) {
    EXPECT_EQ(a_readClipboardText(clipboard), u"");
    clipboard.setAnsiText("old");
    const std::u16string text = u"Abc \u0416\u00e9 \U0001F600";
    EXPECT_TRUE(clipboard.setUnicodeText(text));
    std::string ansi;
    EXPECT_FALSE(clipboard.getAnsiText(ansi));
    EXPECT_EQ(a_readClipboardText(clipboard), text);
    clipboard.clear();
    EXPECT_EQ(a_readClipboardText(clipboard), u"");
}

TEST_F(ClipboardTest, AnsiOnlyTextIsReadThroughTheCyrillicCodePage) {
    clipboard.setAnsiText("\xcf\xf0\xe8 1");
    std::u16string unicode;
    EXPECT_FALSE(clipboard.getUnicodeText(unicode));
    EXPECT_EQ(a_readClipboardText(clipboard), u"\u041f\u0440\u0438 1");
}

TEST_F(ClipboardTest, TextEndsAtItsFirstZero) {
    clipboard.setUnicodeText(std::u16string(u"ab\0cd", 5));
    EXPECT_EQ(a_readClipboardText(clipboard), u"ab");
    clipboard.setAnsiText(std::string("xy\0z", 4));
    EXPECT_EQ(a_readClipboardText(clipboard), u"xy");
}

TEST_F(ClipboardTest, ATestClipboardReplacesTheDefaultUntilCleared) {
    ASSERT_EQ(a_currentPlatformWindow(), nullptr);
    EXPECT_EQ(&a_clipboard(), &aHeadlessClipboard::processClipboard());
    a_setClipboard(&clipboard);
    a_clipboard().setUnicodeText(u"mine");
    a_setClipboard(nullptr);
    EXPECT_EQ(a_readClipboardText(clipboard), u"mine");
    EXPECT_EQ(&a_clipboard(), &aHeadlessClipboard::processClipboard());
}

TEST(SdlClipboardBytes, WellFormedUtf8IsUnicodeTextAndTheRestIs8BitText) {
    struct Case {
        std::string bytes;
        bool unicode;
        std::u16string read; // as the paste reads it
    };
    const Case cases[] = {
        {"plain", true, u"plain"},
        {"\xd0\x96\xf0\x9f\x98\x80", true, u"\u0416\U0001F600"},
        {"\xef\xbf\xbd", true, u"\ufffd"},
        {"\xc0\xe1", false, u"\u0410\u0431"},           // 8-bit Cyrillic
        {"caf\xe9", false, u"caf\u0439"},               // cut-off sequence
        {"\xed\xa0\x80", false, u"\u043d\u00a0\u0402"}, // encoded surrogate
    };
    for (const Case& c : cases) {
        std::u16string unicode;
        std::string ansi;
        EXPECT_EQ(a_splitClipboardBytes(c.bytes, unicode, ansi), c.unicode) << c.bytes;
        aHeadlessClipboard offered;
        if (c.unicode)
            offered.setUnicodeText(unicode);
        else
            offered.setAnsiText(ansi);
        EXPECT_EQ(a_readClipboardText(offered), c.read) << c.bytes;
    }
}

TEST(SdlClipboard, RoundTripsUnicodeTextUnderXvfb) {
    if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xvfb-run not installed";
    const std::string command = std::string("env -u MIREL_HEADLESS -u WAYLAND_DISPLAY SDL_VIDEODRIVER=x11 "
                                            "ASAN_OPTIONS=detect_leaks=0 xvfb-run -a ") +
                                MIREL_CLIPBOARD_HELPER;
    int status = std::system(command.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 1) // the virtual server failed to start: once more
        status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
