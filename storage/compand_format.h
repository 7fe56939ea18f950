// Constants and value mappings of the compressed stream shared by the encoder and the decoder.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/latin1.h"

namespace sonora::compand {

// Symbol alphabet.
inline constexpr int kSymbolCount = 356;
inline constexpr int kEndSymbol = 256;
inline constexpr int kNewLengthsSymbol = 257;
inline constexpr int kNewPairsSymbol = 258;
inline constexpr int kMatch3Symbol = 259;    // length 3, distance classes 0..7
inline constexpr int kMatch4Symbol = 267;    // length 4, distance classes 0..9
inline constexpr int kMatchLongSymbol = 277; // length 5 to 5464, distance classes 0..14
inline constexpr int kPairSymbol = 292;      // pairs 0..63
inline constexpr int kMatch3Classes = 8;
inline constexpr int kMatch4Classes = 10;
inline constexpr int kMatchLongClasses = 15;

// Huffman codes are 1 to 16 bits; the decoder looks up the next 16 bits in one table.
inline constexpr int kMaxCodeLength = 16;
inline constexpr int kInitialCodeLength = 9;
inline constexpr std::size_t kDecodeTableSize = std::size_t{1} << kMaxCodeLength;

// Matches: 3 to 5464 bytes, 1 to 262136 bytes back.
inline constexpr int kMinMatch = 3;
inline constexpr int kMaxMatch = 5464;
inline constexpr std::uint32_t kMaxDistance = 262136;
inline constexpr std::uint32_t kMaxDistanceLength3 = 2040; // end of distance class 7
inline constexpr std::uint32_t kMaxDistanceLength4 = 8184; // end of distance class 9

// Pair table: a ring of 64 byte pairs; symbol 258 sends 1 to 32 new ones (5 bits k, k + 1 pairs).
inline constexpr int kPairCount = 64;
inline constexpr int kPairCountBits = 5;
inline constexpr int kMaxNewPairs = 32;

// Rows of the length bits of long matches: row j (1..6) has 2j extra bits.
inline constexpr int kLengthRows = 6;
inline constexpr std::array<int, kLengthRows + 1> kLengthRowFirst = {5, 9, 25, 89, 345, 1369, 5465};

// Output handling: the decoder and the encoder keep this much history; the encoder reads chunks
// of kChunkBytes and leaves kMaxMatch bytes of each (but the last) for the next round.
inline constexpr std::size_t kHistoryBytes = kMaxDistance;
inline constexpr std::size_t kChunkBytes = std::size_t{1} << 20;

using CodeLengths = std::array<std::uint8_t, kSymbolCount>;
using Codes = std::array<std::uint16_t, kSymbolCount>;

// Distance classes: class c holds c + 3 value bits; its first distance is 2^(c+3) - 7.
constexpr int distanceBits(int distanceClass) {
    return distanceClass + 3;
}
constexpr std::uint32_t distanceBase(int distanceClass) {
    return (std::uint32_t{1} << distanceBits(distanceClass)) - 7;
}
constexpr int distanceClassOf(std::uint32_t distance) {
    // distance + 7 lies in [2^(c+3), 2^(c+4)).
    return static_cast<int>(std::bit_width(distance + 7)) - 4;
}

// Row j (1..6) of a match length of at least 5.
constexpr int lengthRowOf(int length) {
    int row = 1;
    while (length >= kLengthRowFirst[row]) {
        ++row;
    }
    return row;
}
constexpr int lengthRowExtraBits(int row) {
    return 2 * row;
}

// The pre-code symbol of a match; callers keep length 3 within kMaxDistanceLength3 and length 4
// within kMaxDistanceLength4.
constexpr int matchSymbol(int length, std::uint32_t distance) {
    const int distanceClass = distanceClassOf(distance);
    if (length == 3) {
        return kMatch3Symbol + distanceClass;
    }
    if (length == 4) {
        return kMatch4Symbol + distanceClass;
    }
    return kMatchLongSymbol + distanceClass;
}

// One literal, pair or match of a chunk as the encoder collects it: the symbol number with the
// match's length and distance (both 0 for literals and pairs).
struct PreCode {
    std::uint16_t symbol;
    std::uint16_t length;
    std::uint32_t distance;
};

// True when `symbol` is the match symbol of this length and distance (length 3 only within
// class 7, length 4 within class 9).
constexpr bool matchFits(int symbol, int length, std::uint32_t distance) {
    if (length < kMinMatch || length > kMaxMatch || distance < 1 || distance > kMaxDistance) {
        return false;
    }
    const int distanceClass = distanceClassOf(distance);
    if (length == 3) {
        return distanceClass < kMatch3Classes && symbol == kMatch3Symbol + distanceClass;
    }
    if (length == 4) {
        return distanceClass < kMatch4Classes && symbol == kMatch4Symbol + distanceClass;
    }
    return symbol == kMatchLongSymbol + distanceClass;
}

// The German texts of the compressor (UTF-8 here, stored as Latin-1).
inline constexpr std::string_view kMsgLengthTooSmall = "Achtung: Huffman-Codelänge <= 0!";
inline constexpr std::string_view kMsgLengthTooLarge = "Achtung: Huffman-Codelänge > 16!";
inline constexpr std::string_view kMsgOverfull = "Achtung: Zu viele Huffman-Code belegt.";
inline constexpr std::string_view kMsgBadSymbol = "Fehlerhaftes Zeichen bei Decodieren gefunden.";
inline constexpr std::string_view kMsgExpandWrite =
    "Disk full? ... ging jedenfalls nicht schreiben!";
inline constexpr std::string_view kMsgCompressWrite =
    "Disk full? ... Archiv ging jedenfalls nicht schreiben!";
inline constexpr std::string_view kMsgExpandFailed = "ExpandStream ging schief!";
inline constexpr std::string_view kMsgCompressFailed = "CompressStream ging schief!";
inline constexpr std::string_view kMsgHuffman3 = "Fehler 3 bei Huffman-Codierung.";
inline constexpr std::string_view kMsgHuffman4 = "Fehler 4 bei Huffman-Codierung.";
inline constexpr std::string_view kMsgPreCodeTooLong =
    "PreCodesToOutbuf: Huffman-Codelänge zu groß.";
inline constexpr std::string_view kMsgPreCodeTooShort =
    "PreCodesToOutbuf: Huffman-Codelänge zu klein.";
inline constexpr std::string_view kMsgBadPreCode = "Ungültiges Zeichen in Precode";
inline constexpr std::string_view kMsgUncleanBits = "CodeOut erhielt unsaubere Daten!";
inline constexpr std::string_view kMsgTableReused = "Huffman-Tabelle wiederverwendet.";

inline void addMessage(std::vector<std::string>& messages, std::string_view utf8Text) {
    messages.push_back(utf8ToLatin1(utf8Text));
}

} // namespace sonora::compand
