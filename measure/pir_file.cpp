#include "measure/pir_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "measure/file_messages.h"
#include "measure/little_endian.h"
#include "storage/file_io.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

constexpr char kPirSignature[4] = {'P', 'I', 'R', '\0'};
constexpr std::size_t kSampleBytes = 4;  // one Float32
constexpr std::size_t kFieldBytes = 4;   // every header field
constexpr std::size_t kHeaderWords = 20; // header fields after each other
constexpr double kMsPerSecond = 1000.0;
// Samples per half millisecond: samplerate div this.
constexpr int kHalfMsDivisor = 2000;
// The rising flank starts where the signal reaches this part of its peak.
constexpr double kOnsetFraction = 0.15;
// The window starts this long before the estimated delay, ms.
constexpr double kWindowLeadMs = 0.5;
// Sample counts beyond this are clipped before rounding (far beyond any file).
constexpr double kLargestCount = 1e15;

TpirHeader decodeHeader(const std::uint8_t* p) {
    // Every field is 4 bytes; decode them one by one in file order.
    std::uint32_t words[kHeaderWords];
    for (std::size_t i = 0; i < kHeaderWords; ++i) {
        words[i] = loadLeU32(p + kFieldBytes * i);
    }
    TpirHeader h{};
    std::memcpy(h.filesignature, p, sizeof h.filesignature);
    std::size_t i = 1;
    auto i32 = [&] { return static_cast<std::int32_t>(words[i++]); };
    auto f32 = [&] { return std::bit_cast<float>(words[i++]); };
    h.version = words[i++];
    h.infosize = i32();
    h.reserved1 = i32();
    h.reserved2 = i32();
    h.fskHz = f32();
    h.samplerate = i32();
    h.len = i32();
    h.inputdevice = i32();
    h.devicesens = f32();
    h.measurement_type = i32();
    h.avgtype = i32();
    h.numavg = i32();
    h.bfiltered = i32();
    h.genused = i32();
    h.peakleft = f32();
    h.peakright = f32();
    h.reserved3 = f32();
    h.reserved4 = f32();
    h.reserved5 = f32();
    return h;
}

void encodeHeader(const TpirHeader& h, std::vector<std::uint8_t>& out) {
    // Byte by byte: GCC 12 misreads a range insert of these four bytes as an overflow.
    for (char c : h.filesignature) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
    appendLeU32(out, h.version);
    appendLeI32(out, h.infosize);
    appendLeI32(out, h.reserved1);
    appendLeI32(out, h.reserved2);
    appendLeF32(out, h.fskHz);
    appendLeI32(out, h.samplerate);
    appendLeI32(out, h.len);
    appendLeI32(out, h.inputdevice);
    appendLeF32(out, h.devicesens);
    appendLeI32(out, h.measurement_type);
    appendLeI32(out, h.avgtype);
    appendLeI32(out, h.numavg);
    appendLeI32(out, h.bfiltered);
    appendLeI32(out, h.genused);
    appendLeF32(out, h.peakleft);
    appendLeF32(out, h.peakright);
    appendLeF32(out, h.reserved3);
    appendLeF32(out, h.reserved4);
    appendLeF32(out, h.reserved5);
}

// Nearest integer of a sample position or count; NaN gives 0, huge values are clipped.
long long roundToSamples(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    return std::llround(std::clamp(v, -kLargestCount, kLargestCount));
}

} // namespace

int Tpir::sampleCount() const {
    return std::clamp(pirHeader.len, 0, static_cast<int>(pirData.size()));
}

bool Tpir::Loadfromfile(const std::string& fileName) {
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
    TpirHeader header = decodeHeader(bytes.data());
    if (std::memcmp(header.filesignature, kPirSignature, sizeof kPirSignature) != 0) {
        message_ = utf8ToLatin1("Die Datei " + fileName + " ist keine Impulsantwort-Datei (.pir).");
        return false;
    }
    if (header.samplerate <= 0 || header.len < 2) {
        message_ = damagedFileMessage(fileName);
        return false;
    }
    const int count = std::min(header.len, kMaxSamples);
    if ((bytes.size() - kHeaderBytes) / kSampleBytes < static_cast<std::size_t>(count)) {
        message_ = damagedFileMessage(fileName);
        return false;
    }
    std::vector<float> samples(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        samples[i] = loadLeF32(bytes.data() + kHeaderBytes + kSampleBytes * i);
        if (!std::isfinite(samples[i])) {
            message_ = damagedFileMessage(fileName);
            return false;
        }
    }
    header.len = count;
    pirHeader = header;
    pirData = std::move(samples);
    filename = fileName;
    return true;
}

bool Tpir::Savetofile(const std::string& fileName) {
    message_.clear();
    const int count = sampleCount();
    TpirHeader header = pirHeader;
    header.len = count;
    header.infosize = 0;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(kHeaderBytes + kSampleBytes * static_cast<std::size_t>(count));
    encodeHeader(header, bytes);
    for (int i = 0; i < count; ++i) {
        appendLeF32(bytes, pirData[i]);
    }
    std::string error;
    if (!writeFileAtomically(fileName, bytes, error)) {
        message_ = utf8ToLatin1(error);
        return false;
    }
    pirHeader = header;
    return true;
}

double Tpir::EstimateDelayMs() const {
    const int count = sampleCount();
    const int rate = pirHeader.samplerate;
    if (count == 0 || rate <= 0) {
        return 0.0;
    }
    int peak = 0;
    double peakMagnitude = std::fabs(static_cast<double>(pirData[0]));
    for (int i = 1; i < count; ++i) {
        const double m = std::fabs(static_cast<double>(pirData[i]));
        if (m > peakMagnitude) {
            peak = i;
            peakMagnitude = m;
        }
    }
    // Search the flank from half a millisecond before the peak; the peak itself ends the search.
    int i = std::max(peak - rate / kHalfMsDivisor, 0);
    while (i < peak &&
           std::fabs(static_cast<double>(pirData[i])) < kOnsetFraction * peakMagnitude) {
        ++i;
    }
    const int j = std::max(i - 1, 0);
    const double xi = pirData[i];
    const double xj = pirData[j];
    // Where the line through samples j and i crosses zero, in samples.
    const double t = xi != xj ? (j * xi - i * xj) / (xi - xj) : 0.0;
    return t * kMsPerSecond / rate;
}

void Tpir::Fenstern(double L, double H) {
    const int count = sampleCount();
    const int rate = pirHeader.samplerate;
    if (count == 0 || rate <= 0) {
        return;
    }
    const double delay = EstimateDelayMs();
    const long long start = roundToSamples((delay - kWindowLeadMs) / kMsPerSecond * rate);
    const long long flat = std::max(roundToSamples(rate * (L - H) / kMsPerSecond), 0LL);
    const long long end = roundToSamples(rate * L / kMsPerSecond);
    const long long rise = rate / kHalfMsDivisor;
    const long long fall = std::max(end - flat, 0LL);
    for (int i = 0; i < count; ++i) {
        const long long k = i - start; // samples since the start of the rise
        double w = 0.0;
        if (k < 0) {
            w = 0.0;
        } else if (k < rise) {
            // Raised-cosine flanks: 0 to 1 over the rise, 1 to 0 over the fall.
            w = 0.5 - 0.5 * std::cos(std::numbers::pi * static_cast<double>(k) / rise);
        } else if (k < rise + flat) {
            w = 1.0;
        } else if (k < rise + flat + fall) {
            const double kf = static_cast<double>(k - rise - flat);
            w = 0.5 + 0.5 * std::cos(std::numbers::pi * kf / static_cast<double>(fall));
        }
        pirData[i] = static_cast<float>(pirData[i] * w);
    }
}

} // namespace sonora
