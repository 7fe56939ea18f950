// Entry point of one libFuzzer program; the build names the target with SONORA_FUZZ_TARGET.
#include "tests/fuzz/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sonora::fuzz::SONORA_FUZZ_TARGET(data, size);
    return 0;
}
