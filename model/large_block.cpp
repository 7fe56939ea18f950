#include "model/large_block.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace sonora {

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kPage = 4096; // the smallest page of every Linux machine we run on
} // namespace

void* allocateLarge(std::size_t bytes, LargeBlockUse use) {
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
    if (use == LargeBlockUse::Dense) {
        (void)madvise(block, rounded, MADV_HUGEPAGE);
    }
#else
    (void)use;
#endif
    return block;
}

void releaseLarge(void* block) noexcept {
    std::free(block);
}

void zeroLarge(void* block, std::size_t bytes) noexcept {
    auto* start = static_cast<unsigned char*>(block);
    unsigned char* end = start + bytes;
#if defined(__linux__) && defined(MADV_DONTNEED)
    // The block is private anonymous memory, where MADV_DONTNEED drops the pages and the next read
    // sees zeros. Only whole pages inside the block are handed back; the ends are cleared by hand.
    const auto address = reinterpret_cast<std::uintptr_t>(start);
    auto* first = reinterpret_cast<unsigned char*>((address + kPage - 1) / kPage * kPage);
    auto* last =
        reinterpret_cast<unsigned char*>(reinterpret_cast<std::uintptr_t>(end) / kPage * kPage);
    if (first < last &&
        madvise(first, static_cast<std::size_t>(last - first), MADV_DONTNEED) == 0) {
        std::memset(start, 0, static_cast<std::size_t>(first - start));
        std::memset(last, 0, static_cast<std::size_t>(end - last));
        return;
    }
#endif
    std::memset(start, 0, bytes);
}

} // namespace sonora
