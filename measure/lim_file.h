// Impedance measurement files (".lim") of an outside measurement program: header and records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonora {

// The 28-byte header at the start of a ".lim" file (little-endian, no gaps).
struct TlimHeader {
    char filesignature[4];  // "LIM" and a 0 byte
    std::uint32_t version;  // not tested on reading
    std::int32_t reserved1; //
    std::int32_t numdata;   // number of data records in the file
    std::int32_t cursrpos;  // not used
    std::int32_t fftlen;    // not used
    float fs;               // sampling rate, Hz, not used
};
static_assert(sizeof(TlimHeader) == 28, "TlimHeader is the 28 bytes of the file");

// One 12-byte record of a ".lim" file.
struct TLimRecord {
    float f;     // Hz
    float z;     // impedance magnitude, Ohm
    float phase; // impedance phase, degrees (> 0 inductive)
};

class TLim {
public:
    static constexpr int kMaxRecords = 32768; // records the object holds
    static constexpr std::size_t kHeaderBytes = 28;
    static constexpr std::size_t kRecordBytes = 12;

    TlimHeader limHeader{};
    std::vector<TLimRecord> LimData; // nLimData records
    int nLimData = 0;                // records read
    std::string infotext;

    // Reads the header and, when the signature is "LIM" + 0, min(numdata, kMaxRecords) records.
    // A missing file, a wrong signature, a negative numdata or a file shorter than the records
    // it announces give false with the object unchanged and a German message in message().
    bool Loadfromfile(const std::string& fileName);

    // Why the last Loadfromfile failed, Latin-1; empty after a success.
    const std::string& message() const { return message_; }

private:
    std::string message_;
};

} // namespace sonora
