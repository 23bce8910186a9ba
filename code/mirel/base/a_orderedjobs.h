#pragma once
// Jobs shared out to helper threads whose results the calling thread takes
// one by one, in order.
//
// Loading a list of files is mostly decoding, which threads can share; what
// the results go into (textures, managers, the log) stays with the thread
// that loads, in the list's order. aOrderedJobs runs job(i) for i from 0 to
// count - 1: helper threads start jobs in increasing order, and take(i)
// returns once job i is done, running it on the calling thread itself when no
// helper has started it. Jobs the caller passes over without taking are
// never started (those already running finish). A job returns the bytes its
// result holds until it is taken: helpers start no job beyond the next one
// to take while the results done and not taken hold more than `heldLimit`
// bytes, or once `ahead` jobs lie beyond it. An exception thrown by a job
// comes out of take. Without helpers every job runs inside take, in order.
//
// The results live with the caller: they must outlive the aOrderedJobs
// (whose destructor waits for the jobs that run).

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class aOrderedJobs {
public:
    using Job = std::function<size_t(size_t index)>;

    struct Limits {
        size_t ahead = 8;
        size_t heldLimit = size_t(64) << 20;
    };

    // `threads` counts the calling thread: 1 or less runs every job in take.
    aOrderedJobs(size_t count, Job job, unsigned threads, Limits limits);
    aOrderedJobs(size_t count, Job job, unsigned threads)
        : aOrderedJobs(count, std::move(job), threads, Limits()) {}
    ~aOrderedJobs();
    aOrderedJobs(const aOrderedJobs&) = delete;
    aOrderedJobs& operator=(const aOrderedJobs&) = delete;

    // Waits for job `index` (running it here when no helper took it); indexes
    // are taken in increasing order, each at most once.
    void take(size_t index);
    // No further job starts; those running finish.
    void stop();

    // The threads worth giving such work: the processors this process may
    // run on, at most `most`, at least 1.
    static unsigned machineThreads(unsigned most);

private:
    enum class State : unsigned char { waiting, running, done };

    void help();
    bool mayStart(size_t index) const;
    void finish(size_t index, size_t bytes, std::exception_ptr error);
    // Runs the job with the lock let go, then finishes it under the lock.
    void run(std::unique_lock<std::mutex>& lock, size_t index);

    Job m_job;
    Limits m_limits;
    std::vector<State> m_state;
    std::vector<size_t> m_bytes;
    std::vector<std::exception_ptr> m_errors;
    size_t m_next = 0;  // the first job no thread has started
    size_t m_taken = 0; // the next job the caller takes
    size_t m_held = 0;  // bytes of the results done and not taken
    bool m_stopped = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_helpers;
};
