#include "mirel/base/a_random.h"

#include <gtest/gtest.h>

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
