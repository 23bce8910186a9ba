#include "mirel/base/a_memory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

void a_prefaultForWrite(void* p, size_t bytes) {
#if defined(__linux__)
#ifndef MADV_POPULATE_WRITE
    constexpr int MADV_POPULATE_WRITE = 23; // the kernel's value; older headers lack it
#endif
    constexpr uintptr_t kPage = 4096;
    if (!p || bytes < (size_t(256) << 10)) {
        return;
    }
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(p) + kPage - 1) & ~(kPage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + bytes) & ~(kPage - 1);
    if (end > begin) {
        // Advice only: a kernel without it refuses, and the pages fault in as usual.
        (void)madvise(reinterpret_cast<void*>(begin), size_t(end - begin), MADV_POPULATE_WRITE);
    }
#else
    (void)p;
    (void)bytes;
#endif
}
