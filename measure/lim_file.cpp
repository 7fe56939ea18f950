#include "measure/lim_file.h"

#include <algorithm>
#include <cstring>

#include "measure/file_messages.h"
#include "measure/little_endian.h"
#include "storage/file_io.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

constexpr char kLimSignature[4] = {'L', 'I', 'M', '\0'};

// Offsets of the header fields, bytes.
constexpr std::size_t kVersionOffset = 4;
constexpr std::size_t kReserved1Offset = 8;
constexpr std::size_t kNumdataOffset = 12;
constexpr std::size_t kCursrposOffset = 16;
constexpr std::size_t kFftlenOffset = 20;
constexpr std::size_t kFsOffset = 24;
// Offsets inside a record, bytes.
constexpr std::size_t kImpedanceOffset = 4;
constexpr std::size_t kPhaseOffset = 8;

TlimHeader decodeHeader(const std::uint8_t* p) {
    TlimHeader h{};
    std::memcpy(h.filesignature, p, sizeof h.filesignature);
    h.version = loadLeU32(p + kVersionOffset);
    h.reserved1 = loadLeI32(p + kReserved1Offset);
    h.numdata = loadLeI32(p + kNumdataOffset);
    h.cursrpos = loadLeI32(p + kCursrposOffset);
    h.fftlen = loadLeI32(p + kFftlenOffset);
    h.fs = loadLeF32(p + kFsOffset);
    return h;
}

} // namespace

bool TLim::Loadfromfile(const std::string& fileName) {
    message_.clear();
    std::vector<std::uint8_t> bytes;
    const ReadStatus status = readFileBytes(fileName, bytes, kMaxFileBytes);
    if (status != ReadStatus::Ok) {
        message_ = fileReadMessage(fileName, status, kMaxFileBytes);
        return false;
    }
    if (bytes.size() < kHeaderBytes) {
        message_ = damagedFileMessage(fileName);
        return false;
    }
    const TlimHeader header = decodeHeader(bytes.data());
    if (std::memcmp(header.filesignature, kLimSignature, sizeof kLimSignature) != 0) {
        message_ = utf8ToLatin1("Die Datei " + fileName + " ist keine Lim-Datei.");
        return false;
    }
    if (header.numdata < 0) {
        message_ = damagedFileMessage(fileName);
        return false;
    }
    const std::size_t count =
        std::min(static_cast<std::size_t>(header.numdata), static_cast<std::size_t>(kMaxRecords));
    if ((bytes.size() - kHeaderBytes) / kRecordBytes < count) {
        message_ = damagedFileMessage(fileName);
        return false;
    }
    std::vector<TLimRecord> records(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = bytes.data() + kHeaderBytes + i * kRecordBytes;
        records[i] = {loadLeF32(p), loadLeF32(p + kImpedanceOffset), loadLeF32(p + kPhaseOffset)};
    }
    limHeader = header;
    LimData = std::move(records);
    nLimData = static_cast<int>(count);
    return true;
}

} // namespace sonora
