// The near-field levels: band choice, the directional cache and the cell loop.
#include "analysis/near_field.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustics/baffle_phasor.h"
#include "engine/box_interpolate.h"
#include "model/physics.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr double kSpeedOfSoundMm = 344000.0; // mm/s
constexpr double kDegPerRad = 57.29577951;   // as the angle index is defined
constexpr double kTinyDistance = 1e-99;      // mm, guard against division by zero
constexpr int kLastColor = 13;
constexpr int kFrequencyLabelDigits = 5;

// Band edges as ratios to the centre frequency: a third (2^(±1/6)) and an octave (2^(±1/2)).
constexpr double kThirdLow = 0.8909;
constexpr double kThirdHigh = 1.1225;
constexpr double kOctaveLow = 0.7071;
constexpr double kOctaveHigh = 1.4142;

int driverCount(const TResult& res) {
    return std::clamp<int>(res.nChassis, 0, kMaxChassis);
}

} // namespace

NearFieldBandRange selectNearFieldBand(const double* freq, int nfreq, int index,
                                       NearFieldBand band) {
    nfreq = std::clamp(nfreq, 0, kResultFreqs);
    if (freq == nullptr || index < 0 || index >= nfreq) {
        return {};
    }
    double low = 1.0, high = 1.0; // "1 Frequenz": no neighbour qualifies
    if (band == NearFieldBand::Terz) {
        low = kThirdLow;
        high = kThirdHigh;
    } else if (band == NearFieldBand::Oktave) {
        low = kOctaveLow;
        high = kOctaveHigh;
    }
    const double f0 = freq[index];
    int first = index, last = index;
    bool growDown = true, growUp = true;
    while ((growDown || growUp) && last - first + 1 < kNearFieldMaxBand) {
        if (growDown) {
            growDown = first > 0 && freq[first - 1] > low * f0;
            if (growDown) {
                --first;
            }
        }
        if (growUp && last - first + 1 < kNearFieldMaxBand) {
            growUp = last < nfreq - 1 && freq[last + 1] < high * f0;
            if (growUp) {
                ++last;
            }
        }
    }
    return {first, last - first + 1};
}

std::string nearFieldFrequencyLabel(double frequency) {
    return "Frequenz: " + compactNumberText(kFrequencyLabelDigits, frequency) + " Hz";
}

int nearFieldColorIndex(double level, double maxSPL, double step) {
    if (std::isnan(level) || std::isnan(maxSPL)) {
        return kLastColor;
    }
    if (!(step > 0.0)) {
        return level >= maxSPL ? 0 : kLastColor;
    }
    const double n = std::ceil((maxSPL - level) / step);
    if (n <= 0.0) {
        return 0;
    }
    if (n >= kLastColor) {
        return kLastColor;
    }
    return static_cast<int>(n);
}

NearFieldDirection nearFieldDirection(int angleIndex) {
    constexpr double kRadPerDeg = std::numbers::pi / 180.0;
    constexpr int kOnAxis = 90;
    constexpr int kFullTurn = 180;
    if (angleIndex <= kOnAxis) {
        return {angleIndex * kRadPerDeg, std::numbers::pi};
    }
    return {(kFullTurn - angleIndex) * kRadPerDeg, 0.0};
}

int nearFieldAngleIndex(double dx, double dy) {
    double t = dy / dx; // ±inf for dx = 0 gives ±90°
    if (std::isnan(t)) {
        t = 0.0;
    }
    const double angle = std::atan(t) * kDegPerRad + 90.0;
    return static_cast<int>(std::clamp(std::lround(angle), 0L, long{kNearFieldAngles - 1}));
}

NearFieldCache::NearFieldCache(int drivers, int slots)
    : drivers_(std::clamp(drivers, 0, kMaxChassis)),
      slots_(std::clamp(slots, 0, kNearFieldMaxBand)),
      values_(static_cast<std::size_t>(drivers_) * kNearFieldAngles * slots_, Complex{0.0, 0.0}) {}

NearFieldCache buildNearFieldCache(const TProjekt& p, const TResult& res,
                                   const NearFieldBandRange& band) {
    NearFieldCache cache(driverCount(res), band.count);
    for (int d = 0; d < cache.drivers(); ++d) {
        for (int a = 0; a < kNearFieldAngles; ++a) {
            const NearFieldDirection dir = nearFieldDirection(a);
            for (int k = 0; k < cache.slotCount(); ++k) {
                cache.set(
                    d, a, k,
                    Interpolate_FGang_Chas(p, res, band.first + k, d, 0, dir.bgrad, dir.lgrad));
            }
        }
    }
    return cache;
}

std::vector<NearFieldSource> nearFieldSources(const TProjekt& p, const TResult& res) {
    constexpr double kMmPerM = 1000.0;
    std::vector<NearFieldSource> sources;
    const double halfHeight = p.Gemgeh.h / 2.0;
    for (int d = 0; d < driverCount(res); ++d) {
        const TSchallwand& sw = p.schallwand[d];
        sources.push_back({kMmPerM * sw.swstra, kMmPerM * (sw.swvert + halfHeight)});
    }
    return sources;
}

std::vector<double> nearFieldBandFrequencies(const TResult& res, const NearFieldBandRange& band) {
    std::vector<double> f;
    for (int k = 0; k < band.count; ++k) {
        const int i = band.first + k;
        f.push_back(i >= 0 && i < kResultFreqs ? res.freq[i] : 0.0);
    }
    return f;
}

int nearFieldColumns(double maxDistance) {
    if (std::isnan(maxDistance)) {
        maxDistance = 0.0;
    }
    const double limit = std::min(maxDistance, kNearFieldDistanceLimit) * 1000.0; // mm
    int columns = 1;
    for (double x = kNearFieldFirstX; x < limit; x += kNearFieldCell) {
        ++columns;
    }
    return columns;
}

int nearFieldRows() {
    int rows = 1;
    for (double y = 0.0; y < kNearFieldTopY; y += kNearFieldCell) {
        ++rows;
    }
    return rows;
}

NearFieldLevels computeNearFieldLevels(const NearFieldCache& cache,
                                       const std::vector<NearFieldSource>& sources,
                                       const std::vector<double>& bandFreqs, double maxDistance) {
    NearFieldLevels out;
    out.columns = nearFieldColumns(maxDistance);
    out.rows = nearFieldRows();
    out.level.assign(static_cast<std::size_t>(out.columns) * out.rows, 0.0);

    const int n =
        std::min({cache.slotCount(), static_cast<int>(bandFreqs.size()), kNearFieldMaxBand});
    const int nd = std::min(cache.drivers(), static_cast<int>(sources.size()));

    // Wave numbers in rad/mm; the phase of slot k at distance r is k·r.
    double waveNumber[kNearFieldMaxBand] = {};
    double maxWaveNumber = 0.0;
    for (int k = 0; k < n; ++k) {
        waveNumber[k] = 2.0 * std::numbers::pi * bandFreqs[k] / kSpeedOfSoundMm;
        maxWaveNumber = std::max(maxWaveNumber, std::abs(waveNumber[k]));
    }
    // The farthest cell from any source bounds every phase; beyond the fast reduction's range
    // (or with odd inputs) the library's sine and cosine take over.
    double maxR = 0.0;
    for (int d = 0; d < nd; ++d) {
        const double dx = std::max(std::abs(out.x(0) - sources[d].x),
                                   std::abs(out.x(out.columns - 1) - sources[d].x));
        const double dy =
            std::max(std::abs(sources[d].y), std::abs(out.y(out.rows - 1) - sources[d].y));
        maxR = std::max(maxR, std::hypot(dx, dy));
    }
    const double maxPhase = maxWaveNumber * maxR;
    const bool fast = std::isfinite(maxPhase) && maxPhase <= kFastPhaseLimit;

    const double silentLevel = 20.0 * std::log10(kLevelGuard) + kLevelOfUnity;
    double re[kNearFieldMaxBand];
    double im[kNearFieldMaxBand];
    for (int row = 0; row < out.rows; ++row) {
        const double y = out.y(row);
        for (int col = 0; col < out.columns; ++col) {
            const double x = out.x(col);
            std::fill_n(re, n, 0.0);
            std::fill_n(im, n, 0.0);
            for (int d = 0; d < nd; ++d) {
                const double dx = x - sources[d].x;
                const double dy = y - sources[d].y;
                // A cell on the outlet itself gets a huge finite level instead of 1000/0.
                const double r = std::max(std::sqrt(dx * dx + dy * dy), kTinyDistance);
                const double amplitude = 1000.0 / r; // 1 at 1 m
                const Complex* v = cache.row(d, nearFieldAngleIndex(dx, dy));
                // v·amplitude·e^(-j·k·r) = amplitude·(v.re·cos + v.im·sin, v.im·cos - v.re·sin)
                if (fast) {
                    for (int k = 0; k < n; ++k) {
                        double s, c;
                        fastSinCos(waveNumber[k] * r, s, c);
                        re[k] += amplitude * (v[k].re * c + v[k].im * s);
                        im[k] += amplitude * (v[k].im * c - v[k].re * s);
                    }
                } else {
                    for (int k = 0; k < n; ++k) {
                        const double phase = waveNumber[k] * r;
                        const double s = std::sin(phase), c = std::cos(phase);
                        re[k] += amplitude * (v[k].re * c + v[k].im * s);
                        im[k] += amplitude * (v[k].im * c - v[k].re * s);
                    }
                }
            }
            double energy = 0.0;
            for (int k = 0; k < n; ++k) {
                energy += re[k] * re[k] + im[k] * im[k];
            }
            // 20·log10(sqrt(E/N)) written as 10·log10(E/N).
            const double mean = n > 0 ? energy / n : 0.0;
            out.level[static_cast<std::size_t>(row) * out.columns + col] =
                mean > 0.0 && !std::isnan(mean) ? 10.0 * std::log10(mean) + kLevelOfUnity
                                                : silentLevel;
        }
    }
    return out;
}

} // namespace sonora
