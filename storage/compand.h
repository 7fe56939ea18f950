// TCompand: the program's lossless compressor for the compressed file form.
//
// A sliding-window match coder with canonical Huffman codes that may be replaced inside the stream
// and a ring of 64 byte pairs sent as single symbols. A stream starts with the 8 bytes "MyIni2CK".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sonora {

// The marker at the start of every compressed stream.
inline constexpr char kCompandMarker[] = "MyIni2CK";
inline constexpr std::size_t kCompandMarkerLength = 8;

// Expansion stops with a message beyond this many output bytes: a hostile stream must not make the
// reader allocate without bound. Far above any project file.
inline constexpr std::size_t kMaxExpandedBytes = 256u * 1024u * 1024u;

class TCompand {
public:
    // Compresses `source` into `destination` (replaced; marker included). Returns false and adds
    // a message when the encoder finds an internal inconsistency; the destination then holds what
    // was written so far.
    bool compressStream(const std::vector<std::uint8_t>& source,
                        std::vector<std::uint8_t>& destination);

    // Expands a stream written by compressStream or any other valid encoder into `destination`
    // (replaced). Returns false and adds a message on a damaged stream; the destination then holds
    // what was expanded so far. Never reads outside `source`, never writes more than maxOutput
    // bytes ("Disk full? ... ging jedenfalls nicht schreiben!" when the stream holds more). A
    // distance reaching before the start of the output or a stream ending before its end symbol
    // gives "ExpandStream ging schief!"; rejected code lengths keep the old code, decoding goes
    // on and the result is false.
    bool expandStream(const std::vector<std::uint8_t>& source,
                      std::vector<std::uint8_t>& destination,
                      std::size_t maxOutput = kMaxExpandedBytes);

    // German messages (Latin-1) of the last operations, in order, for the caller to show.
    const std::vector<std::string>& messages() const { return messages_; }
    void clearMessages() { messages_.clear(); }

    // Diagnostics of the encoder, e.g. "Huffman-Tabelle wiederverwendet." per chunk that reused the
    // current code lengths. Not shown to the user.
    const std::vector<std::string>& diagnostics() const { return diagnostics_; }

private:
    std::vector<std::string> messages_;
    std::vector<std::string> diagnostics_;
};

} // namespace sonora
