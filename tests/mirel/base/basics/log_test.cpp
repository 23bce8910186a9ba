#include "mirel/base/a_log.h"

#include "mirel/base/a_clock.h"
#include "mirel/base/a_timer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

// The log written to a temporary stream on a hand-stepped clock.
struct LogTest : ::testing::Test {
    aManualClock clock;
    FILE* file = nullptr;
    void SetUp() override {
        a_setClock(&clock);
        a_logClock().reset();
        file = std::tmpfile();
        a_setLogFile(file);
    }
    void TearDown() override {
        a_setLogFile(nullptr);
        std::fclose(file);
        a_setClock(nullptr);
        a_logClock().reset();
    }
    std::string text() {
        std::fflush(file);
        std::rewind(file);
        std::string out;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, file)) > 0) {
            out.append(buf, n);
        }
        return out;
    }
};

TEST_F(LogTest, StampsLinesWithTimeSinceStart) {
    a_log("at %s", "start");
    clock.advance(3725.042);
    a_log("later %d", 7);
    a_log(nullptr);
    a_logString("100% literal %s");
    EXPECT_EQ(text(), "00:00:00.000\tat start\n"
                      "01:02:05.042\tlater 7\n"
                      "01:02:05.042\ta_log. NULL log string\n"
                      "01:02:05.042\t100% literal %s\n");
}

TEST_F(LogTest, LongMessagesAreCutAndNoFileMeansNothing) {
    const std::string huge(5000, 'x');
    a_log("%s", huge.c_str());
    std::string out = text();
    EXPECT_EQ(out.size(), 13 + 1999 + 1u);

    a_setLogFile(nullptr);
    a_log("dropped"); // no stream: nothing happens, nothing breaks
    a_setLogFile(file);
    EXPECT_EQ(text(), out);
}

TEST_F(LogTest, AssertionsLogTheirPlaceAndGoOn) {
    EXPECT_STREQ(a_assertLocation("C:\\work\\src\\kernel\\a_thing.cpp", 42), "(a_thing.cpp, line 42)");
    EXPECT_STREQ(a_assertLocation("/src/kernel/a_other.cpp", 7), "(a_other.cpp, line 7)");
    EXPECT_STREQ(a_assertLocation("plain.cpp", 1), "(plain.cpp, line 1)");
    int after = 0;
    A_ASSERT(1 + 1 == 3);
    const unsigned assertLine = __LINE__ - 1;
    after = 1;
    A_ASSERT(after == 1);
    const std::string line =
        "00:00:00.000\tTestBody: 1 + 1 == 3 (log_test.cpp, line " + std::to_string(assertLine) + ")\n";
    EXPECT_EQ(text(), line);
    EXPECT_EQ(after, 1);
}

TEST_F(LogTest, HeldLinesWaitForTheThreadTheyWorkFor) {
    std::vector<std::string> held;
    std::thread helper([&] {
        aLogHold hold;
        a_log("read %d", 1);
        {
            aLogHold inner; // the innermost hold keeps the lines
            a_log("inner");
            EXPECT_EQ(inner.take(), std::vector<std::string>{"inner"});
        }
        a_log(nullptr);
        a_log("%s", std::string(3000, 'y').c_str());
        held = hold.take();
        EXPECT_TRUE(hold.take().empty());
    });
    helper.join();
    EXPECT_EQ(text(), "") << "nothing written while held";
    a_log("before");
    a_logLines(held);
    a_log("after");
    EXPECT_EQ(text(), "00:00:00.000\tbefore\n00:00:00.000\tread 1\n00:00:00.000\ta_log. NULL log string\n"
                      "00:00:00.000\t" +
                          std::string(1999, 'y') + "\n00:00:00.000\tafter\n");
}

} // namespace
