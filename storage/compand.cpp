// TCompand: the stream operations over the encoder and the decoder.
#include "storage/compand.h"

#include <exception>

#include "storage/compand_decoder.h"
#include "storage/compand_encoder.h"
#include "storage/compand_format.h"

namespace sonora {

bool TCompand::compressStream(const std::vector<std::uint8_t>& source,
                              std::vector<std::uint8_t>& destination) {
    try {
        return compand::compressCompandStream(source, destination, messages_, diagnostics_);
    } catch (const std::bad_alloc&) {
        // The destination could not grow: the archive is incomplete.
        compand::addMessage(messages_, compand::kMsgCompressWrite);
    } catch (const std::exception&) {
        compand::addMessage(messages_, compand::kMsgCompressFailed);
    }
    return false;
}

bool TCompand::expandStream(const std::vector<std::uint8_t>& source,
                            std::vector<std::uint8_t>& destination, std::size_t maxOutput) {
    return compand::expandCompandStream(source, destination, maxOutput, messages_);
}

} // namespace sonora
