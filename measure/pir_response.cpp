// The frequency response of an impulse response (Tpir::CalcFgang).
#include "measure/pir_file.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "measure/fft.h"

namespace sonora {

namespace {

constexpr double kMsPerSecond = 1000.0;
// Level of a magnitude of 1 (1 Pa), dB.
constexpr double kLevelOfOnePascal = 94.0;
// n < 0 lists the bins up to 9/20 of the sampling rate.
constexpr int kBinListNumerator = 9;
constexpr int kBinListDenominator = 20;
// Guard against the logarithm of 0 (the program's vanishing-value sentinel).
constexpr double kTinyMagnitude = 1e-100;

double levelOf(double scaledMagnitude) {
    return 20.0 * std::log10(std::max(scaledMagnitude, kTinyMagnitude)) + kLevelOfOnePascal;
}

} // namespace

bool Tpir::CalcFgang(int n, double delayMs, double fEnd, double fStart) {
    fgang.clear();
    nFgang = 0;
    const int len = sampleCount();
    const int rate = pirHeader.samplerate;
    if (len < 2 || rate <= 0 || n == 0 || n == 1 || !std::isfinite(delayMs)) {
        return false;
    }
    if (n >= 2 && !(fStart > 0.0 && fEnd > 0.0 && std::isfinite(fStart) && std::isfinite(fEnd))) {
        return false;
    }
    std::vector<double> samples(pirData.begin(), pirData.begin() + len);
    std::vector<std::complex<double>> spectrum;
    if (!realForwardDft(samples, spectrum)) {
        return false;
    }
    // The program's transform is scaled as a one-sided amplitude spectrum (2/len). With the
    // scale s = sqrt(8) * len / 2 the magnitude s * |X| is then 2.83 * |H(f)|: the sound
    // pressure at 2.83 V of an impulse response measured per volt.
    const double toAmplitude = 2.0 / len;
    for (std::complex<double>& bin : spectrum) {
        bin *= toAmplitude;
    }
    const double df = static_cast<double>(rate) / len; // Hz per bin
    const double s = std::sqrt(8.0) * len / 2.0;
    // Undo the delay on the bins of positive frequency below Nyquist.
    const double tau = delayMs / kMsPerSecond; // s
    for (int j = 1; j < len / 2; ++j) {
        spectrum[j] *= std::polar(1.0, 2.0 * std::numbers::pi * j * df * tau);
    }

    const double sens = pirHeader.devicesens;
    const double sensCorrection = sens > 0.0 && std::isfinite(sens) ? 20.0 * std::log10(sens) : 0.0;

    if (n < 0) {
        const int count = std::min(len * kBinListNumerator / kBinListDenominator, kMaxFgang);
        fgang.reserve(static_cast<std::size_t>(count));
        for (int k = 1; k <= count; ++k) {
            fgang.push_back({k * df, levelOf(std::abs(spectrum[k]) * s) - sensCorrection,
                             std::arg(spectrum[k])});
        }
        nFgang = count;
        return true;
    }

    const int points = std::min(n, kMaxFgang);
    const double r = std::pow(fEnd / fStart, 1.0 / (points - 1));
    const double lnR = std::fabs(std::log(r));
    // Highest bin used: the last one below Nyquist (the Nyquist bin itself for len 2 or 3).
    const int maxBin = std::max(len / 2 - 1, 1);
    auto clampBin = [maxBin](double b) {
        return static_cast<int>(std::clamp(b, 1.0, static_cast<double>(maxBin)));
    };
    fgang.reserve(static_cast<std::size_t>(points));
    for (int i = 0; i < points; ++i) {
        const double f = fStart * std::pow(fEnd / fStart, static_cast<double>(i) / (points - 1));
        int lo = clampBin(std::floor(f / df));
        while (lo - 1 >= 1 && (lo - 1) * df > f / r) {
            --lo;
        }
        int hi = clampBin(std::ceil(f / df));
        while (hi + 1 <= maxBin && (hi + 1) * df < f * r) {
            ++hi;
        }
        double level = 0.0;
        double phase = 0.0;
        if (hi == lo) {
            level = levelOf(std::abs(spectrum[lo]) * s);
            phase = std::arg(spectrum[lo]);
        } else if (hi == lo + 1) {
            // Interpolation in log frequency between the two bins around f.
            const double da = std::fabs(std::log(lo * df / f));
            const double db = std::fabs(std::log(hi * df / f));
            const double power =
                (std::norm(spectrum[lo]) * db + std::norm(spectrum[hi]) * da) / (da + db);
            level = levelOf(s * std::sqrt(power));
            phase = std::arg(spectrum[lo] * db + spectrum[hi] * da);
        } else {
            // Triangular weights in log frequency over the bins within one step of f. A bin
            // outside the step (possible for the two bins around f) gets no weight.
            double weightSum = 0.0;
            double powerSum = 0.0;
            for (int k = lo; k <= hi; ++k) {
                const double w = std::max(1.0 - std::fabs(std::log(k * df / f)) / lnR, 0.0);
                weightSum += w;
                powerSum += w * std::norm(spectrum[k]);
            }
            const int nearest = std::clamp(clampBin(std::round(f / df)), lo, hi);
            const double power =
                weightSum > 0.0 ? powerSum / weightSum : std::norm(spectrum[nearest]);
            level = levelOf(s * std::sqrt(power));
            phase = std::arg(spectrum[nearest]);
        }
        fgang.push_back({f, level - sensCorrection, phase});
    }
    nFgang = points;
    return true;
}

} // namespace sonora
