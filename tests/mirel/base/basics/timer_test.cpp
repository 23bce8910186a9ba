#include "mirel/base/a_clock.h"
#include "mirel/base/a_timer.h"

#include <gtest/gtest.h>

namespace {

struct ManualClockTest : ::testing::Test {
    aManualClock clock;
    void SetUp() override { a_setClock(&clock); }
    void TearDown() override { a_setClock(nullptr); }
};

TEST_F(ManualClockTest, CounterModeMeasuresAndDeltas) {
    aTimer t(0);
    clock.advance(1.5);
    EXPECT_FLOAT_EQ(t.getTime(), 1.5f);
    EXPECT_EQ(t.getTimeMs(), 1500u);
    EXPECT_FLOAT_EQ(t.getDelta(), 1.5f);
    clock.advance(0.25);
    EXPECT_FLOAT_EQ(t.getDelta(), 0.25f);
    EXPECT_FLOAT_EQ(t.getTime(), 1.75f);
    t.reset();
    EXPECT_FLOAT_EQ(t.getTime(), 0.0f);
}

TEST_F(ManualClockTest, MillisecondModeSurvivesTheWrap) {
    clock.setMillisecondBase(0xFFFFFFFFu - 100);
    aTimer t(1);
    clock.advance(0.3);
    EXPECT_NEAR(t.getTime(), 0.3f, 1e-6);
    EXPECT_EQ(t.getTimeMs(), 300u);
}

TEST_F(ManualClockTest, CounterModeMillisecondsWrapLikeTheMillisecondCounter) {
    aTimer t(0);
    clock.advance(5000000.25);            // about 58 days
    EXPECT_EQ(t.getTimeMs(), 705032954u); // 5000000250 ms modulo 2^32
    // A clock that stands behind the timer's start, as the log's clock does
    // while a test's clock is installed, wraps too.
    aTimer ahead(0);
    clock.advance(-1.0);
    EXPECT_EQ(ahead.getTimeMs(), uint32_t(-1000));
}

TEST_F(ManualClockTest, WaitReturnsOnAManualClock) {
    aTimer t(0);
    t.wait(20);
    EXPECT_GE(t.getTimeMs(), 20u);
}

} // namespace
