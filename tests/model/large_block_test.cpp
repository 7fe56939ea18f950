// Clearing a large block by handing its pages back must read exactly like memset: every byte of
// the range zero, the bytes around it untouched, also when the range starts and ends inside a
// page and when the block is used again afterwards.
#include "model/large_block.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "model/result.h"

namespace sonora {
namespace {

struct BlockDeleter {
    void operator()(unsigned char* p) const { releaseLarge(p); }
};
using Block = std::unique_ptr<unsigned char[], BlockDeleter>;

Block filledBlock(std::size_t bytes, LargeBlockUse use, unsigned char pattern) {
    Block b(static_cast<unsigned char*>(allocateLarge(bytes, use)));
    std::memset(b.get(), pattern, bytes);
    return b;
}

TEST(LargeBlock, ZeroingReadsLikeMemsetAtEveryAlignment) {
    constexpr std::size_t kBytes = 5 * 4096 * 64 + 123; // not a whole number of pages
    for (const LargeBlockUse use : {LargeBlockUse::Dense, LargeBlockUse::Sparse}) {
        // Ranges inside one page, across one boundary, over many pages, and the whole block.
        const std::pair<std::size_t, std::size_t> ranges[] = {
            {10, 100},         {4000, 200},          {4096, 4096},
            {1, 3 * 4096 + 7}, {777, kBytes - 1000}, {0, kBytes}};
        for (const auto& [from, length] : ranges) {
            Block b = filledBlock(kBytes, use, 0xA5);
            zeroLarge(b.get() + from, length);
            const unsigned char* p = b.get();
            EXPECT_TRUE(std::all_of(p, p + from, [](unsigned char c) { return c == 0xA5; }))
                << from << "+" << length;
            EXPECT_TRUE(
                std::all_of(p + from, p + from + length, [](unsigned char c) { return c == 0; }))
                << from << "+" << length;
            EXPECT_TRUE(std::all_of(p + from + length, p + kBytes,
                                    [](unsigned char c) { return c == 0xA5; }))
                << from << "+" << length;
            // The handed-back pages work like any others when written again.
            std::memset(b.get() + from, 0x5A, length);
            EXPECT_TRUE(std::all_of(p + from, p + from + length,
                                    [](unsigned char c) { return c == 0x5A; }));
        }
    }
}

TEST(LargeBlock, AZeroedResultIsZeroEvenInRecycledMemory) {
    // Free a dirty result so the allocator is likely to hand the same memory out again.
    {
        auto dirty = makeZeroedLarge<TResult>();
        std::memset(static_cast<void*>(dirty.get()), 0xFF, sizeof(TResult));
    }
    auto r = makeZeroedLarge<TResult>();
    const auto* bytes = reinterpret_cast<const unsigned char*>(r.get());
    EXPECT_TRUE(
        std::all_of(bytes, bytes + sizeof(TResult), [](unsigned char c) { return c == 0; }));
}

} // namespace
} // namespace sonora
