// Placeholder until the compressor is built: every operation fails with its German message.
#include "storage/compand.h"

namespace sonora {

bool TCompand::compressStream(const std::vector<std::uint8_t>&, std::vector<std::uint8_t>&) {
    messages_.push_back("CompressStream ging schief!");
    return false;
}

bool TCompand::expandStream(const std::vector<std::uint8_t>&, std::vector<std::uint8_t>&,
                            std::size_t) {
    messages_.push_back("ExpandStream ging schief!");
    return false;
}

} // namespace sonora
