// The first-touch advice for large blocks: it keeps what a block holds, does
// nothing to blocks too small or absent, and where the system offers it the
// block's pages are resident afterwards.

#include "mirel/base/a_memory.h"

#include <gtest/gtest.h>

#include <sys/mman.h>

#include <cstdint>
#include <vector>

TEST(MemoryAdvice, BlocksKeepTheirContents) {
    for (size_t bytes :
         {size_t(0), size_t(100), size_t(255) << 10, size_t(1) << 20, (size_t(3) << 20) + 12}) {
        std::vector<uint8_t> block(bytes + 7);
        for (size_t i = 0; i < block.size(); ++i)
            block[i] = uint8_t(i * 131 + 7);
        a_prefaultForWrite(block.data() + 7, bytes); // an unaligned start
        for (size_t i = 0; i < block.size(); ++i)
            ASSERT_EQ(block[i], uint8_t(i * 131 + 7)) << bytes << " byte " << i;
    }
    a_prefaultForWrite(nullptr, size_t(1) << 20);
}

TEST(MemoryAdvice, AFreshBlockIsResidentAfterwards) {
    const size_t page = 4096, bytes = size_t(1) << 20;
    void* map = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(map, MAP_FAILED);
    std::vector<unsigned char> resident(bytes / page);
    ASSERT_EQ(mincore(map, bytes, resident.data()), 0);
    size_t before = 0;
    for (unsigned char r : resident)
        before += r & 1;
    a_prefaultForWrite(map, bytes);
    ASSERT_EQ(mincore(map, bytes, resident.data()), 0);
    size_t after = 0;
    for (unsigned char r : resident)
        after += r & 1;
    munmap(map, bytes);
    EXPECT_EQ(before, 0u);
    if (after == 0)
        GTEST_SKIP() << "the system does not populate pages on advice";
    EXPECT_EQ(after, bytes / page);
}
