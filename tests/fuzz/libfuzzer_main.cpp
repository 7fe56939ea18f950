// Entry point of one libFuzzer program; the build names the target with SONORA_FUZZ_TARGET.
#include "tests/fuzz/fuzz_targets.h"

// One empty input before the fuzzing starts, outside libFuzzer's per-input timer: a target's
// one-time set-up (the whole-project target's run object) does not count as a slow input.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sonora::fuzz::SONORA_FUZZ_TARGET(nullptr, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonora::fuzz::SONORA_FUZZ_TARGET(data, size);
    return 0;
}
