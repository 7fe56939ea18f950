// Heap blocks for the records that are megabytes big: the project (7.6 MB) and the result (75 MB).
#pragma once

#include <cstddef>

namespace sonora {

// Allocates `bytes` on 2 MB boundaries and asks the kernel for huge pages where it offers them
// (Linux with transparent huge pages in "madvise" mode). A fresh project block then faults in
// with 4 page faults instead of about 1900, which is what made the first undo snapshots and run
// requests of a session slow. Throws std::bad_alloc like operator new.
void* allocateLarge(std::size_t bytes);
void releaseLarge(void* block) noexcept;

} // namespace sonora

// Mixed into a record as `SONORA_LARGE_BLOCK` so that `new` and `std::make_unique` of the
// record use the blocks above; the record stays trivially copyable and keeps its layout.
#define SONORA_LARGE_BLOCK                                                                         \
    static void* operator new(std::size_t bytes) {                                                 \
        return ::sonora::allocateLarge(bytes);                                                     \
    }                                                                                              \
    static void operator delete(void* block) noexcept {                                            \
        ::sonora::releaseLarge(block);                                                             \
    }
