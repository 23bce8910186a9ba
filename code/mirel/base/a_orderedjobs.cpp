#include "mirel/base/a_orderedjobs.h"

#include <algorithm>
#include <system_error>
#include <utility>

#if defined(__linux__)
#include <sched.h>
#endif

aOrderedJobs::aOrderedJobs(size_t count, Job job, unsigned threads, Limits limits)
    : m_job(std::move(job)), m_limits(limits), m_state(count, State::waiting), m_bytes(count, 0),
      m_errors(count) {
    // The caller does one job itself, so one job alone needs no helper.
    const size_t helpers = threads > 1 && count > 1 ? std::min<size_t>(threads - 1, count - 1) : 0;
    for (size_t i = 0; i < helpers; ++i) {
        try {
            m_helpers.emplace_back([this] { help(); });
        } catch (const std::system_error&) {
            break; // fewer helpers: the caller does the rest
        }
    }
}

aOrderedJobs::~aOrderedJobs() {
    stop();
    for (std::thread& helper : m_helpers) {
        helper.join();
    }
}

void aOrderedJobs::stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
    m_changed.notify_all();
}

bool aOrderedJobs::mayStart(size_t index) const {
    return index == m_taken || (index < m_taken + m_limits.ahead && m_held <= m_limits.heldLimit);
}

void aOrderedJobs::finish(size_t index, size_t bytes, std::exception_ptr error) {
    m_state[index] = State::done;
    m_errors[index] = std::move(error);
    // A result the caller has passed over is dropped with its bytes.
    if (index >= m_taken) {
        m_bytes[index] = bytes;
        m_held += bytes;
    }
    m_changed.notify_all();
}

void aOrderedJobs::help() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopped || m_next >= m_state.size() || mayStart(m_next); });
        if (m_stopped || m_next >= m_state.size()) {
            return;
        }
        const size_t index = m_next++;
        m_state[index] = State::running;
        run(lock, index);
    }
}

void aOrderedJobs::run(std::unique_lock<std::mutex>& lock, size_t index) {
    lock.unlock();
    size_t bytes = 0;
    std::exception_ptr error;
    try {
        bytes = m_job(index);
    } catch (...) {
        error = std::current_exception();
    }
    lock.lock();
    finish(index, bytes, std::move(error));
}

void aOrderedJobs::take(size_t index) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (index >= m_state.size() || index < m_taken) {
        return;
    }
    for (size_t passed = m_taken; passed < index; ++passed) {
        if (m_state[passed] == State::done) {
            m_held -= m_bytes[passed];
            m_bytes[passed] = 0;
            m_errors[passed] = nullptr;
        }
    }
    m_taken = index;
    m_next = std::max(m_next, index); // the jobs passed over never start
    if (m_state[index] == State::waiting) {
        m_next = index + 1;
        m_state[index] = State::running;
        m_changed.notify_all();
        run(lock, index);
    } else {
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_state[index] == State::done; });
    }
    m_held -= m_bytes[index];
    m_bytes[index] = 0;
    m_taken = index + 1;
    std::exception_ptr error = std::exchange(m_errors[index], nullptr);
    m_changed.notify_all();
    lock.unlock();
    if (error) {
        std::rethrow_exception(error);
    }
}

unsigned aOrderedJobs::machineThreads(unsigned most) {
    unsigned cpus = 0;
#if defined(__linux__)
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        cpus = static_cast<unsigned>(CPU_COUNT(&set));
    }
#endif
    if (cpus == 0) {
        cpus = std::thread::hardware_concurrency();
    }
    return std::clamp(cpus, 1u, std::max(most, 1u));
}
