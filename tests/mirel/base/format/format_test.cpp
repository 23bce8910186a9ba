#include "mirel/base/a_format.h"
#include "mirel/base/a_log.h"
#include "mirel/base/a_utf.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {} // namespace

// Formats narrow and wide alike.
void expectFormat(const char* format, std::initializer_list<aFormatArg> args, const char* expected) {
    EXPECT_EQ(a_format(format, args), expected) << format;
    EXPECT_EQ(a_format(utf8ToWide(format), args), utf8ToWide(expected)) << format;
}

// A mismatch: written literally, one log line for each call.
void expectMismatch(const char* format, std::initializer_list<aFormatArg> args, const char* expected,
                    const char* problem) {
    LogCapture log;
    EXPECT_EQ(a_format(format, args), expected) << format;
    EXPECT_EQ(a_format(utf8ToWide(format), args), utf8ToWide(expected)) << format;
    ASSERT_EQ(log.lines.size(), 2u) << format;
    EXPECT_EQ(log.lines[0], std::string("a_format - ") + problem + " in '" + format + "'");
    EXPECT_EQ(log.lines[1], log.lines[0]);
}

TEST(Format, ConversionsFlagsWidthAndPrecision) {
    const std::string dogs = "dogs";
    {
        expectFormat("%d of %i", {3, 12}, "3 of 12");
        expectFormat("[%5d|%-5d|%05d]", {42, 42, 42}, "[   42|42   |00042]");
        expectFormat("[%+d|% d|%+d]", {7, 7, -7}, "[+7| 7|-7]");
        expectFormat("%.3d", {5}, "005");
        expectFormat("%u %x %X %#x", {4000000000u, 255, 255, 255}, "4000000000 ff FF 0xff");
        expectFormat("%x %u", {-1, -1}, "ffffffff 4294967295");
        expectFormat("%lld %ld %hd", {-9000000000LL, 1L, static_cast<short>(2)}, "-9000000000 1 2");
        expectFormat("%f|%.2f|%8.3f|%-8.1f|%+.0f", {1.5, 3.14159, 2.0, 0.25, 2.5},
                     "1.500000|3.14|   2.000|0.2     |+2");
        expectFormat("%.1f %.1f", {3, 4u}, "3.0 4.0");
        expectFormat("%s and %s", {"cats", dogs}, "cats and dogs");
        expectFormat("[%6s|%-6s|%.2s]", {"ab", "ab", "abcdef"}, "[    ab|ab    |ab]");
        expectFormat("%c%c%c", {'o', u'k', 33}, "ok!");
        expectFormat("100%%", {}, "100%");
        expectFormat("%d", {'A'}, "65");
        enum Colour { Red = 2 };
        enum class Size : unsigned char { Big = 9 };
        expectFormat("%d %u %d", {Red, Size::Big, true}, "2 9 1");
    }
}

TEST(Format, WideAndNarrowTextMeetAsUtf8) {
    EXPECT_EQ(a_format(u"%s: %s", {"Привет", u"мир"}), u"Привет: мир");
    EXPECT_EQ(a_format("%s: %s", {"Привет", u"мир"}), "Привет: мир");
    EXPECT_EQ(a_format(u"%c", {U'\U0001F600'}), u"\U0001F600");
    EXPECT_EQ(a_format("%c", {u'ж'}), "ж");
    // precision never splits a character
    EXPECT_EQ(a_format("%.3s", {"жжж"}), "ж");
    EXPECT_EQ(a_format(u"%.1s", {u"\U0001F600x"}), u"");
}

TEST(Format, MismatchesAreWrittenLiterallyAndLoggedOnce) {
    {
        expectMismatch("%d and %s", {5}, "5 and %s", "missing argument");
        expectMismatch("%s", {}, "%s", "missing argument");
        expectMismatch("%s then %d", {7, 8}, "%s then 8", "argument of the wrong kind");
        expectMismatch("%d", {"text"}, "%d", "argument of the wrong kind");
        expectMismatch("%d", {1.5}, "%d", "argument of the wrong kind");
        expectMismatch("%f", {"x"}, "%f", "argument of the wrong kind");
        expectMismatch("%c", {2.0}, "%c", "argument of the wrong kind");
        expectMismatch("%n %p %d", {1, 2}, "%n %p 1", "unknown conversion");
        expectMismatch("%*d %d", {5, 6}, "%*d 5", "'*' width or precision");
        expectMismatch("%.*f", {2, 1.0}, "%.*f", "'*' width or precision");
        expectMismatch("%99999999999d", {1}, "%99999999999d", "width or precision too large");
        expectMismatch("%.5000f", {1.0}, "%.5000f", "width or precision too large");
        expectMismatch("cut %-0", {1}, "cut %-0", "incomplete conversion");
        expectMismatch("end %", {}, "end %", "incomplete conversion");
    }
}

TEST(Format, LeftOverArgumentsAreIgnoredSilently) {
    LogCapture log;
    EXPECT_EQ(a_format(u"no numbers", {1, 2, "x"}), u"no numbers");
    EXPECT_TRUE(log.lines.empty());
}

TEST(Format, LargeValuesAtTheLimits) {
    EXPECT_EQ(a_format("%d %u", {INT64_MIN, UINT64_MAX}), "-9223372036854775808 18446744073709551615");
    EXPECT_EQ(a_format("%1024d", {1}).size(), 1024u);
    EXPECT_EQ(a_format("%.0f", {1e300}).size(), 301u);
}
