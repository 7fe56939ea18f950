// Frequency responses at equal height in front of the shared cabinet.
#include "analysis/near_field_curves.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "engine/box_interpolate.h"
#include "model/physics.h"

namespace sonora {

const char* const kNearFieldCurvesTitle = "Chart von ....";

namespace {

constexpr double kTinyDistance = 1e-99; // m, guard against division by zero
constexpr double kStepTolerance = 1e-9; // relative, for the last distance
constexpr int kFullColor = 255;

} // namespace

std::vector<double> nearFieldCurveDistances(double step, double maxDistance) {
    std::vector<double> out;
    if (!(step > 0.0) || !std::isfinite(step) || std::isnan(maxDistance)) {
        return out;
    }
    for (int k = 1; k <= kNearFieldMaxCurves; ++k) {
        const double x = k * step;
        if (x > maxDistance * (1.0 + kStepTolerance)) {
            break;
        }
        out.push_back(x);
    }
    return out;
}

TColor nearFieldCurveColor(double distance, double maxDistance) {
    const double share = maxDistance > 0.0 ? (distance - 1.0) / maxDistance : 0.0;
    const int v = std::isfinite(share)
                      ? static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * kFullColor))
                      : 0;
    const int vc = std::clamp(v, 0, kFullColor);
    const TColor red = static_cast<TColor>(kFullColor - vc);
    const TColor blue = static_cast<TColor>(vc);
    return red | (blue << 16); // 0x00BBGGRR
}

NearFieldCurve nearFieldCurveAt(const TProjekt& p, const TResult& res, double distance,
                                double listeningHeight) {
    NearFieldCurve curve{distance, 0, {}, {}};
    const int nfreq = std::clamp<int>(res.nfreq, 0, kResultFreqs);
    const int nd = std::clamp<int>(res.nChassis, 0, kMaxChassis);
    for (int i = 0; i < nfreq; ++i) {
        const double f = res.freq[i];
        const double k = 2.0 * std::numbers::pi * f / kSpeedOfSound;
        Complex sum{0.0, 0.0};
        for (int d = 0; d < nd; ++d) {
            const TSchallwand& sw = p.schallwand[d];
            const double dx = distance - sw.swstra;
            const double dz = (listeningHeight - p.Gemgeh.h / 2.0) - sw.swvert;
            const double r = std::max(std::sqrt(dx * dx + dz * dz), kTinyDistance);
            double t = dz / dx; // ±inf for dx = 0 gives φ = 0 or π
            if (std::isnan(t)) {
                t = 0.0;
            }
            const double phi = std::atan(t) + std::numbers::pi / 2.0;
            const Complex resp =
                phi <= std::numbers::pi / 2.0
                    ? Interpolate_FGang_Chas(p, res, i, d, 0, phi, std::numbers::pi)
                    : Interpolate_FGang_Chas(p, res, i, d, 0, std::numbers::pi - phi, 0.0);
            const double c = std::cos(k * r), s = std::sin(k * r);
            // resp·(1/r)·e^(-j·k·r)
            sum.re += (resp.re * c + resp.im * s) / r;
            sum.im += (resp.im * c - resp.re * s) / r;
        }
        const double mag = std::sqrt(sum.re * sum.re + sum.im * sum.im);
        curve.freq.push_back(f);
        curve.level.push_back(20.0 * std::log10(mag > 0.0 ? mag : kLevelGuard) + kLevelOfUnity);
    }
    return curve;
}

NearFieldCurves buildNearFieldCurves(const TProjekt& p, const TResult& res,
                                     const NearFieldSettings& settings) {
    NearFieldCurves out{kNearFieldCurvesTitle, {}};
    const std::vector<double> distances =
        nearFieldCurveDistances(settings.distanceStep, settings.maxDistance);
    const int count = static_cast<int>(distances.size());
    for (int k = 0; k < count; ++k) {
        NearFieldCurve c = nearFieldCurveAt(p, res, distances[k], settings.listeningHeight);
        c.color = nearFieldCurveColor(distances[k], settings.maxDistance);
        out.curves.push_back(std::move(c));
    }
    return out;
}

} // namespace sonora
