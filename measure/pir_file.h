// Impulse-response files (".pir") of an outside measurement program: loading, saving, the delay
// estimate, the time window and the frequency response on a logarithmic grid.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonora {

// The 80-byte header at the start of a ".pir" file (little-endian, no gaps). Fields without a
// comment are carried but not interpreted.
struct TpirHeader {
    char filesignature[4]; // "PIR" and a 0 byte
    std::uint32_t version;
    std::int32_t infosize;
    std::int32_t reserved1;
    std::int32_t reserved2;
    float fskHz;             // sampling rate, kHz (not used)
    std::int32_t samplerate; // sampling rate, Hz
    std::int32_t len;        // number of samples
    std::int32_t inputdevice;
    float devicesens; // sensitivity of the input, V per unit; levels are corrected by it
    std::int32_t measurement_type;
    std::int32_t avgtype;
    std::int32_t numavg;
    std::int32_t bfiltered;
    std::int32_t genused;
    float peakleft;
    float peakright;
    float reserved3;
    float reserved4;
    float reserved5;
};
static_assert(sizeof(TpirHeader) == 80, "TpirHeader is the 80 bytes of the file");

// One point of a computed frequency response.
struct TFgangPoint {
    double f;     // Hz
    double level; // dB
    double phase; // rad
};

class Tpir {
public:
    static constexpr int kMaxSamples = 131073; // samples the object holds
    static constexpr int kMaxFgang = 131073;   // points of a computed response
    static constexpr std::size_t kHeaderBytes = 80;

    TpirHeader pirHeader{};
    std::vector<float> pirData; // pirHeader.len samples
    std::string infotext;
    std::string filename;           // file of the last successful Loadfromfile, UTF-8
    std::vector<TFgangPoint> fgang; // nFgang points
    int nFgang = 0;

    // Reads the header and, when the signature is "PIR" + 0, `len` samples; remembers the file
    // name. Rejected, with the object unchanged and a German message in message(): a missing or
    // unreadable file, a wrong signature, a sampling rate <= 0, len < 2, a file shorter than the
    // samples it announces, and samples that are not finite. A len above kMaxSamples reads the
    // first kMaxSamples samples and sets len to that.
    bool Loadfromfile(const std::string& fileName);

    // Writes the header and the samples through a temporary file. len is written as the number
    // of samples held and infosize as 0, since no info block follows the samples.
    bool Savetofile(const std::string& fileName);

    // Delay of the impulse, ms: where the rising flank in front of the largest sample, extended
    // as a straight line, crosses zero. 0 without samples.
    double EstimateDelayMs() const;

    // Time window in place (L, H in ms): zero up to 0.5 ms before the estimated delay, then a
    // raised-cosine rise over 0.5 ms, then unchanged for L - H ms, a raised-cosine fall over
    // H ms, and zero from L ms after the end of the rise on. A negative L - H counts as 0.
    void Fenstern(double L, double H);

    // Frequency response of the samples with a delay of `delayMs` removed. n < 0: one point per
    // bin up to 0.45 of the sampling rate; n >= 2: n points from fStart to fEnd (Hz) spaced by a
    // constant ratio, each averaged over the bins within one step of it. Levels in dB with
    // 94 dB for 1 Pa, corrected by devicesens. Returns false and leaves no points for n = 0 or 1,
    // frequencies that are not finite and > 0, a delay that is not finite, or no samples.
    bool CalcFgang(int n, double delayMs, double fEnd, double fStart);

    // Why the last Loadfromfile or Savetofile failed, Latin-1; empty after a success.
    const std::string& message() const { return message_; }

private:
    // Samples that may be used: len, bounded by the samples held.
    int sampleCount() const;

    std::string message_;
};

} // namespace sonora
