#include "mirel/base/a_random.h"

#include <gtest/gtest.h>

#include <vector>

// The sequences are pinned: saved layouts, recorded tests and anything else
// that replays a seed depend on them never changing.
TEST(Random, TheSequenceOfASeedIsPinned) {
    struct Case {
        uint32_t seed;
        std::vector<int> values;
    } cases[] = {
        {1, {16838, 5758, 10113, 17515, 31051, 5627, 23010, 7419, 16212, 4086}}, // the C standard's example
        {7, {19564, 9806, 10868, 22674, 32531}},
        {123456789, {3536, 17195, 26824, 12985, 24941}},
    };
    for (const Case& c : cases) {
        a_srand(c.seed);
        std::vector<int> got;
        for (size_t i = 0; i < c.values.size(); ++i) {
            got.push_back(a_rand());
        }
        EXPECT_EQ(got, c.values) << c.seed;
    }
    a_srand(1);
    EXPECT_EQ(a_randRangeInt(0, 100), 51); // 16838 * 100 / 32767
    EXPECT_FLOAT_EQ(a_randRange(-1.0f, 1.0f), -1.0f + 5758.0f * 2.0f / 32767.0f);
}

TEST(Random, FifteenBitRangeAndRepeatableSequence) {
    a_srand(7);
    int first[5];
    for (int& v : first) {
        v = a_rand();
    }
    a_srand(7);
    for (int v : first) {
        EXPECT_EQ(a_rand(), v);
    }
    a_srand(1);
    int lo = A_RAND_MAX, hi = 0;
    for (int i = 0; i < 100000; ++i) {
        int v = a_rand();
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, A_RAND_MAX);
}

TEST(Random, RangeHelperStaysInside) {
    a_srand(3);
    for (int i = 0; i < 10000; ++i) {
        float f = a_randRange(-2.0f, 5.0f);
        EXPECT_GE(f, -2.0f);
        EXPECT_LE(f, 5.0f);
        int n = a_randRangeInt(3, 9);
        EXPECT_GE(n, 3);
        EXPECT_LE(n, 9);
    }
}
