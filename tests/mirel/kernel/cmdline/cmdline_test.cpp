#include "mirel/base/a_math.h"
#include "mirel/base/a_rect.h"
#include "mirel/kernel/a_cmdline.h"

#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

Args split(const std::string& text) {
    aCmdLine cmd(text);
    Args out;
    for (int i = 0; i < cmd.getCount(); ++i) {
        out.emplace_back(cmd.getArgument(i));
    }
    return out;
}

TEST(CmdLine, SplitsLikeTheShell) {
    struct Case {
        std::string text;
        Args expected;
    } cases[] = {
        {"one \"two three\" four", {"invalid", "one", "two three", "four"}},
        {"one \"two three\" four  ", {"invalid", "one", "two three", "four", ""}},
        {"one \"two three\" four ", {"invalid", "one", "two three", "four"}},
        {"a \"\" b", {"invalid", "a", "", "b"}},
        {"\"unclosed rest", {"invalid", "unclosed", "rest"}},
        {"\t a\r\nb", {"invalid", "a", "", "b"}},
        {"x\"y\"z", {"invalid", "x\"y\"z"}},
        {"\"q\"tail", {"invalid", "q", "tail"}},
        {"", {"invalid"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split(c.text), c.expected) << c.text;
    }
}

TEST(CmdLine, KeepsAtMostSixtyFourAndNeedsAnApplication) {
    std::string text;
    for (int i = 1; i <= 70; ++i) {
        text += "a" + std::to_string(i) + " ";
    }
    aCmdLine cmd(text);
    EXPECT_EQ(cmd.getCount(), 64);
    EXPECT_STREQ(cmd.getArgument(63), "a63");
    EXPECT_STREQ(cmd.getArgument(64), "");
    EXPECT_STREQ(cmd.getArgument(-1), "");

    LogCapture log;
    aCmdLine none;
    EXPECT_EQ(log.lines, (std::vector<std::string>{"aCmdLine. Error, aApplication object not created!"}));
    EXPECT_EQ(none.getCount(), 1);
    EXPECT_STREQ(none.getArgument(0), "invalid");
}

TEST(Rect, ContainsAndIntersection) {
    const aRect r(0, 0, 10, 10);
    EXPECT_TRUE(r.contains(0, 0));
    EXPECT_TRUE(r.contains(9, 9));
    EXPECT_FALSE(r.contains(10, 5));
    EXPECT_FALSE(r.contains(-1, 5));
    EXPECT_TRUE(aRect(32000, 0, 767, 1).contains(32766, 0)); // no 16-bit overflow in the sum

    struct Case {
        aRect other, expected;
    } cases[] = {
        {aRect(10, 0, 5, 5), aRect(10, 0, 0, 5)}, // touching: zero width kept
        {aRect(20, 20, 5, 5), aRect(0, 0, 0, 0)}, // apart
        {aRect(5, -5, 10, 10), aRect(5, 0, 5, 5)},
        {aRect(2, 3, 4, 5), aRect(2, 3, 4, 5)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(r.intersection(c.other), c.expected);
        EXPECT_EQ(c.other.intersection(r), c.expected);
    }
}

TEST(Angles, WrapOneStep) {
    struct Case {
        float in, twoPi, pi;
    } cases[] = {
        {A_2PI, 0.0f, A_2PI - A_2PI},
        {-0.5f, A_2PI - 0.5f, -0.5f},
        {1.0f, 1.0f, 1.0f},
        {4.0f, 4.0f, 4.0f - A_2PI},
        {-4.0f, -4.0f + A_2PI, -4.0f + A_2PI},
        {A_PI, A_PI, A_PI},
        {-A_PI, -A_PI + A_2PI, -A_PI},
        {3 * A_2PI, 2 * A_2PI, 3 * A_2PI - A_2PI}, // one step only
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(wrapAngle2Pi(c.in), c.twoPi) << c.in;
        EXPECT_FLOAT_EQ(wrapAnglePi(c.in), c.pi) << c.in;
    }
}

TEST(AlphaBytes, FractionsRoundAndClampWithNaNAsTransparent) {
    struct Case {
        float fraction;
        uint8_t byte;
    } cases[] = {
        {-3.0f, 0},    {0.0f, 0},   {0.001f, 0}, {0.002f, 1},        {0.5f, 128},
        {0.998f, 254}, {1.0f, 255}, {7.0f, 255}, {std::nanf(""), 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(alphaByte(c.fraction), c.byte) << c.fraction;
    EXPECT_EQ(whiteWithAlpha(0.5f), 0x80FFFFFFu);
    EXPECT_EQ(whiteWithAlpha(std::nanf("")), 0x00FFFFFFu);
}

} // namespace
