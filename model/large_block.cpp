#include "model/large_block.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace sonora {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
} // namespace

void* allocateLarge(std::size_t bytes) {
    // aligned_alloc wants a multiple of the alignment; the tail of the last huge page is the
    // price (under 1 MB on a 7.6 MB project).
    const std::size_t rounded =
        (std::max<std::size_t>(bytes, 1) + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only advice: where huge pages are off or none is free the block works with small pages.
    (void)madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return block;
}

void releaseLarge(void* block) noexcept {
    std::free(block);
}

} // namespace sonora
