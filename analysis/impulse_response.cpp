#include "analysis/impulse_response.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "measure/fft.h"
#include "model/physics.h"

namespace sonora {

namespace {

constexpr int kMinLength = 16;
constexpr int kMaxLength = 1 << 22; // 4194304 samples: 87 s at 48 kHz, 64 MiB per curve
constexpr int kDelayMemory = 3;     // steps whose group delays predict the next step's turn

double levelOf(const Complex& h) {
    return 20.0 * std::log10(std::hypot(h.re, h.im) + kLevelGuard);
}

double wrapped(double x) {
    return std::remainder(x, kTwoPi); // -π … π
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The response on the grid as level (dB) and unwrapped phase (rad).
struct GridCurve {
    std::vector<double> f, level, phase;
    int n = 0;

    // Level and phase at fx inside the grid (f[0] ≤ fx ≤ f[n-1]); `segment` is advanced.
    void at(double fx, int& segment, double& l, double& p) const {
        while (segment + 2 < n && fx > f[segment + 1]) {
            ++segment;
        }
        const int i = segment;
        const double u = std::log(fx / f[i]) / std::log(f[i + 1] / f[i]);
        const double v = (fx - f[i]) / (f[i + 1] - f[i]);
        l = level[i] + u * (level[i + 1] - level[i]);
        p = phase[i] + v * (phase[i + 1] - phase[i]);
    }
};

// Unwraps the phase step by step: each step is expected to turn as far as the group delay of
// the last few steps says (their median, so that the half turn at a zero of the response does
// not mislead the next step), and the measured phase picks the turn nearest to that.
void unwrapPhase(const Complex* h, GridCurve& g) {
    std::vector<double> delays; // s, of the last steps
    g.phase[0] = std::atan2(h[0].im, h[0].re);
    for (int i = 1; i < g.n; ++i) {
        const double dw = kTwoPi * (g.f[i] - g.f[i - 1]);
        const double tau = delays.empty() ? 0.0 : median(delays);
        const double predicted = g.phase[i - 1] - tau * dw;
        g.phase[i] = predicted + wrapped(std::atan2(h[i].im, h[i].re) - predicted);
        delays.push_back(-(g.phase[i] - g.phase[i - 1]) / dw);
        if (static_cast<int>(delays.size()) > kDelayMemory) {
            delays.erase(delays.begin());
        }
    }
}

std::string checkInput(const double* freq, const Complex* h, int n, const ImpulseSettings& s) {
    if (freq == nullptr || h == nullptr || n < 2) {
        return "Für die Impulsantwort fehlen Frequenzen (mindestens zwei).";
    }
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(freq[i]) || freq[i] <= 0 || (i > 0 && freq[i] <= freq[i - 1])) {
            return "Das Frequenzraster ist beschädigt.";
        }
        if (!std::isfinite(h[i].re) || !std::isfinite(h[i].im)) {
            return "Der Frequenzgang enthält ungültige Werte.";
        }
    }
    if (s.length < kMinLength || s.length > kMaxLength || s.length % 2 != 0) {
        return "Die Länge der Impulsantwort muss gerade sein und zwischen 16 und 4194304 "
               "Samples liegen.";
    }
    if (!std::isfinite(s.sampleRate) || s.sampleRate / 2 <= freq[n - 1]) {
        return "Die Abtastrate ist zu klein: ihre Hälfte muss über der höchsten Frequenz des "
               "Frequenzgangs liegen.";
    }
    if (!(s.preRoll >= 0) || s.preRoll * s.sampleRate >= s.length / 2) {
        return "Die Vorlaufzeit muss zwischen 0 und der halben Länge der Impulsantwort liegen.";
    }
    return {};
}

} // namespace

bool computeImpulseResponse(const double* freq, const Complex* response, int n,
                            const ImpulseSettings& settings, ImpulseResponse& out,
                            std::string& error) {
    out = ImpulseResponse{};
    error = checkInput(freq, response, n, settings);
    if (!error.empty()) {
        return false;
    }
    GridCurve g;
    g.n = n;
    g.f.assign(freq, freq + n);
    g.level.resize(static_cast<std::size_t>(n));
    g.phase.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        g.level[i] = levelOf(response[i]);
    }
    unwrapPhase(response, g);

    const double f0 = g.f.front();
    const double fTop = g.f.back();
    const double nyquist = settings.sampleRate / 2;

    // The lowest octave (or the whole grid where it spans less): its level slope and its group
    // delay carry the response down to 0 Hz.
    const double fOctave = std::min(2 * f0, fTop);
    int segment = 0;
    double lOctave = 0, pOctave = 0;
    g.at(fOctave, segment, lOctave, pOctave);
    const double octaves = std::log2(fOctave / f0);
    const double slope = std::max(0.0, (lOctave - g.level[0]) / octaves);
    const double lowDelay = -(pOctave - g.phase[0]) / (kTwoPi * (fOctave - f0));
    // The highest step's group delay continues the phase above the grid.
    const double topDelay =
        -(g.phase[n - 1] - g.phase[n - 2]) / (kTwoPi * (g.f[n - 1] - g.f[n - 2]));

    const int bins = settings.length / 2 + 1;
    std::vector<std::complex<double>> spectrum(static_cast<std::size_t>(bins));
    segment = 0;
    for (int k = 0; k < bins; ++k) {
        const double fk = settings.sampleRate * k / settings.length;
        double l = 0, p = 0, weight = 1;
        if (fk < f0) {
            p = g.phase[0] + kTwoPi * lowDelay * (f0 - fk);
            if (fk <= 0) {
                // 0 Hz is real: a falling slope reaches nothing, a flat one the real part.
                spectrum[0] = slope > 0 ? 0.0 : std::pow(10.0, g.level[0] / 20) * std::cos(p);
                continue;
            }
            l = g.level[0] + slope * std::log2(fk / f0);
        } else if (fk <= fTop) {
            g.at(fk, segment, l, p);
        } else {
            l = g.level[n - 1];
            p = g.phase[n - 1] - kTwoPi * topDelay * (fk - fTop);
            const double c = std::cos(std::numbers::pi / 2 * (fk - fTop) / (nyquist - fTop));
            weight = c * c;
        }
        spectrum[static_cast<std::size_t>(k)] = std::polar(weight * std::pow(10.0, l / 20), p);
    }

    std::vector<double> samples;
    if (!realInverseDft(spectrum, samples)) {
        error = "Die Rücktransformation ist fehlgeschlagen (zu wenig Speicher).";
        return false;
    }
    // The transform is periodic: its last samples are the time before 0, which moves to the front.
    const auto zero = static_cast<std::size_t>(std::lround(settings.preRoll * settings.sampleRate));
    std::rotate(samples.begin(), samples.end() - static_cast<std::ptrdiff_t>(zero), samples.end());
    const double scale = 1.0 / settings.length;
    out.impulse.resize(samples.size());
    out.step.resize(samples.size());
    double sum = 0;
    for (std::size_t m = 0; m < samples.size(); ++m) {
        out.impulse[m] = samples[m] * scale;
        sum += out.impulse[m];
        out.step[m] = sum;
    }
    out.zeroSample = static_cast<int>(zero);
    out.sampleRate = settings.sampleRate;
    out.length = settings.length;
    out.lowestFrequency = f0;
    out.lowSlope = slope;
    out.fadeStart = fTop;
    out.fadeEnd = nyquist;
    return true;
}

} // namespace sonora
