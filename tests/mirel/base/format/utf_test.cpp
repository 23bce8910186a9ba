#include "mirel/base/a_utf.h"

#include <gtest/gtest.h>

#include <string>

TEST(Utf, Utf8DecodesEveryLengthAndReplacesBadBytes) {
    struct Case {
        std::string bytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {"plain", u"plain"},
        {"\xD0\x96\xE2\x82\xAC", u"Ж€"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"}, // surrogate pair
        {"a\xFF"
         "b",
         u"a\uFFFDb"}, // bad lead byte; text goes on
        {"a\x80"
         "b",
         u"a\uFFFDb"}, // stray continuation
        {"\xD0"
         "A",
         u"\uFFFDA"},                                      // continuation missing
        {"x\xE2\x82", u"x\uFFFD"},                         // cut off by the end
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},           // overlong
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(utf8ToWide(c.bytes), c.expected) << c.bytes;
        EXPECT_EQ(decodeUtf8(c.bytes.data(), c.bytes.size()), c.expected) << c.bytes;
    }
    EXPECT_EQ(decodeUtf8(nullptr, 5), u"");
}

TEST(Utf, Utf16ToUtf8RoundTripsAndReplacesLoneSurrogates) {
    const std::u16string text = u"A Ж € \U0001F600 end";
    EXPECT_EQ(utf8ToWide(wideToUtf8(text)), text);
    EXPECT_EQ(wideToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(wideToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
    EXPECT_EQ(wideToUtf8(std::u16string{u'x', 0xDC00}), "x\xEF\xBF\xBD");
}

TEST(Utf, Windows1251BothWays) {
    EXPECT_EQ(ansiToWide("abc \xC0\xFF\xA8\xB8\x88\xB9"), u"abc АяЁё€№");
    EXPECT_EQ(ansiToWide("\x98"), u"\uFFFD");
    EXPECT_EQ(wideToAnsi(u"abc АяЁё€№"), "abc \xC0\xFF\xA8\xB8\x88\xB9");
    // not in the code page: one '?' per character
    EXPECT_EQ(wideToAnsi(u"é\U0001F600中\uFFFD"), "????");
    // every byte the code page assigns comes back unchanged
    for (int b = 0x80; b <= 0xFF; ++b) {
        if (b == 0x98)
            continue;
        std::string one(1, static_cast<char>(b));
        EXPECT_EQ(wideToAnsi(ansiToWide(one)), one) << b;
    }
}
