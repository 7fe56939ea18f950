#include "analysis/driver_response.h"

#include <algorithm>
#include <cmath>

#include "engine/box_sum.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr double kBaseSampleRate = 48000.0; // Hz
constexpr int kBaseLength = 65536;          // samples at the base rate
constexpr int kLongestLength = 1 << 22;     // the transform's limit
constexpr double kMsPerSecond = 1000.0;
constexpr int kTextWidth = 6; // compact number texts of the captions

int gridPoints(const TResult& r) {
    return std::clamp(r.nfreq, 0, kResultFreqs - 1);
}

std::string number(double value) {
    return compactNumberText(kTextWidth, value);
}

} // namespace

std::vector<int> soundingDrivers(const TResult& r) {
    std::vector<int> slots;
    const int n = std::clamp(r.nChassis, 0, kMaxChassis);
    for (int d = 0; d < n; ++d) {
        if (networkAmp(r, d) >= 0) {
            slots.push_back(d);
        }
    }
    return slots;
}

ImpulseSettings impulseSettingsFor(const TResult& r) {
    ImpulseSettings s;
    s.sampleRate = kBaseSampleRate;
    s.length = kBaseLength;
    const int n = gridPoints(r);
    const double top = n > 0 ? r.freq[n - 1] : 0.0;
    while (std::isfinite(top) && s.sampleRate / 2 <= top && s.length < kLongestLength) {
        s.sampleRate *= 2;
        s.length *= 2;
    }
    return s;
}

bool computeOnAxisImpulses(const TResult& r, const ImpulseSettings& settings, OnAxisImpulses& out,
                           std::string& error) {
    out = OnAxisImpulses{};
    if (!r.valid) {
        error = "Es liegt kein gültiges Rechenergebnis vor.";
        return false;
    }
    const int n = gridPoints(r);
    std::vector<Complex> h(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        h[static_cast<std::size_t>(i)] = r.fgang_box[i][0];
    }
    if (!computeImpulseResponse(r.freq, h.data(), n, settings, out.box, error)) {
        return false;
    }
    for (const int d : soundingDrivers(r)) {
        for (int i = 0; i < n; ++i) {
            h[static_cast<std::size_t>(i)] = driverOnAxis(r, d, i);
        }
        ImpulseResponse ir;
        if (!computeImpulseResponse(r.freq, h.data(), n, settings, ir, error)) {
            out = OnAxisImpulses{};
            return false;
        }
        out.drivers.push_back(d);
        out.driverResponses.push_back(std::move(ir));
    }
    return true;
}

std::string impulseRateText(const ImpulseResponse& ir) {
    const double span = ir.sampleRate > 0 ? ir.length / ir.sampleRate : 0.0;
    const double lead = ir.sampleRate > 0 ? ir.zeroSample * kMsPerSecond / ir.sampleRate : 0.0;
    return "Abtastrate " + number(ir.sampleRate) + " Hz, L\xE4nge " + std::to_string(ir.length) +
           " Punkte (" + number(span) + " s), t = 0 nach " + number(lead) + " ms Vorlauf";
}

std::string impulseWindowText(const ImpulseResponse& ir) {
    return "Fenster: unter " + number(ir.lowestFrequency) + " Hz Steigung der untersten Oktave (" +
           number(ir.lowSlope) + " dB/Oktave), \xFC" + "ber " + number(ir.fadeStart) +
           " Hz halbes Hann-Fenster bis " + number(ir.fadeEnd) + " Hz";
}

} // namespace sonora
