#include "mirel/base/a_orderedjobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(OrderedJobs, ResultsComeInOrderAndPassedJobsNeverStart) {
    for (unsigned threads : {1u, 3u, 8u}) {
        std::vector<int> results(40, -1);
        std::vector<std::atomic<int>> runs(40);
        {
            aOrderedJobs jobs(
                results.size(),
                [&](size_t i) -> size_t {
                    ++runs[i];
                    // Early jobs take longest, so later ones end first.
                    std::this_thread::sleep_for(std::chrono::microseconds(i < 4 ? 3000 : 10));
                    results[i] = int(i) * 3;
                    return 0;
                },
                threads, aOrderedJobs::Limits{4, 1u << 20});
            for (size_t i = 0; i < 30; ++i) {
                if (i % 5 == 4)
                    continue; // passed over
                jobs.take(i);
                EXPECT_EQ(results[i], int(i) * 3) << threads;
            }
            jobs.stop();
        }
        for (size_t i = 0; i < 40; ++i) {
            EXPECT_LE(runs[i].load(), 1) << i;
            if (i < 30 && i % 5 != 4) {
                EXPECT_EQ(runs[i].load(), 1) << i;
            }
        }
        // Helpers stay within `ahead` of the caller: they never get near the end.
        EXPECT_EQ(runs[39].load(), 0) << threads;
    }
}

TEST(OrderedJobs, HeldBytesKeepHelpersBack) {
    std::atomic<size_t> started{0};
    aOrderedJobs jobs(
        20,
        [&](size_t) -> size_t {
            ++started;
            return 100;
        },
        4, aOrderedJobs::Limits{20, 250});
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Three results of 100 bytes are over 250: no fourth starts until one is taken
    // (the jobs running when the limit was passed may still end).
    EXPECT_LE(started.load(), 3u + 3u);
    for (size_t i = 0; i < 20; ++i)
        jobs.take(i);
    EXPECT_EQ(started.load(), 20u);
}

TEST(OrderedJobs, AJobsExceptionComesOutOfItsTake) {
    for (unsigned threads : {1u, 4u}) {
        aOrderedJobs jobs(
            6,
            [](size_t i) -> size_t {
                if (i == 2)
                    throw std::runtime_error("bad");
                return 0;
            },
            threads);
        jobs.take(0);
        jobs.take(1);
        EXPECT_THROW(jobs.take(2), std::runtime_error) << threads;
        EXPECT_NO_THROW(jobs.take(3));
        EXPECT_NO_THROW(jobs.take(5));
    }
}

TEST(OrderedJobs, MachineThreadsAreBounded) {
    EXPECT_EQ(aOrderedJobs::machineThreads(1), 1u);
    EXPECT_EQ(aOrderedJobs::machineThreads(0), 1u);
    EXPECT_GE(aOrderedJobs::machineThreads(64), 1u);
    EXPECT_LE(aOrderedJobs::machineThreads(4), 4u);
}

} // namespace
