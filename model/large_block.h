// Heap blocks for the records that are megabytes big: the project (7.6 MB) and the result (75 MB).
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>

namespace sonora {

// How a block's pages are used. A dense block (the project) is copied and compared whole, so huge
// pages save faults. A sparse block (the result) has most of its pages unused by a run: a few
// written bytes would pull in a whole 2 MB huge page each, so it keeps small pages.
enum class LargeBlockUse { Dense, Sparse };

// Allocates `bytes` on 2 MB boundaries and, for a dense block, asks the kernel for huge pages
// where it offers them (Linux with transparent huge pages in "madvise" mode). A fresh project
// block then faults in with 4 page faults instead of about 1900, which is what made the first
// undo snapshots and run requests of a session slow. Throws std::bad_alloc like operator new.
void* allocateLarge(std::size_t bytes, LargeBlockUse use = LargeBlockUse::Dense);
void releaseLarge(void* block) noexcept;

// memset(block, 0, bytes) for a block from allocateLarge, without touching its whole pages: they
// go back to the kernel and read as zero until written again. A 75 MB result of a three-way run
// writes about a tenth of its pages, so clearing it this way keeps the rest out of memory.
void zeroLarge(void* block, std::size_t bytes) noexcept;

// A zeroed record in a large block, as std::make_unique<T>() gives it, with its pages untouched.
template <class T> std::unique_ptr<T> makeZeroedLarge() {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_default_constructible_v<T>);
    std::unique_ptr<T> record(new T);
    zeroLarge(record.get(), sizeof(T));
    return record;
}

} // namespace sonora

// Mixed into a record as `SONORA_LARGE_BLOCK(Dense)` or `(Sparse)` so that `new` and
// `std::make_unique` of the record use the blocks above; the record stays trivially copyable and
// keeps its layout.
#define SONORA_LARGE_BLOCK(use)                                                                    \
    static void* operator new(std::size_t bytes) {                                                 \
        return ::sonora::allocateLarge(bytes, ::sonora::LargeBlockUse::use);                       \
    }                                                                                              \
    static void operator delete(void* block) noexcept {                                            \
        ::sonora::releaseLarge(block);                                                             \
    }
