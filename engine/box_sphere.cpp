#include "engine/box_sphere.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/box_interpolate.h"
#include "engine/box_phase.h"
#include "engine/box_sum.h"

namespace sonora {

namespace {

using std::numbers::pi;

constexpr int kRows = 722;                       // elevation rows of the sphere grid
constexpr int kColumns = 361;                    // azimuth columns
constexpr int kFirstSample = 65;                 // first sampled grid point
constexpr int kGridSize = kRows * kColumns;      // 260642
constexpr double kSamplingCorrection = 1.001024; // factor on the mean power of the samples
constexpr int kWeights = DirectionWeights::kMax;

} // namespace

int sphereStep(bool isOptimizeThread) {
    return isOptimizeThread ? kSphereStepOptimizer : kSphereStepInteractive;
}

SphereIntegration::SphereIntegration(const TProjekt& p, const TResult& res, int step) {
    step = std::max(step, 1);
    std::vector<Direction> direction; // of each sample
    for (int h = kFirstSample; h < kGridSize; h += step) {
        const double e = pi / 2.0 - ((h / kColumns) + 0.5) / kRows * pi; // elevation = bgrad
        const double z = static_cast<double>(h % kColumns) / kColumns * 2.0 * pi; // lgrad
        cosElevation_.push_back(std::cos(e));
        direction.push_back(sphereDirection(e, z));
        for (int mode = 0; mode < 2; ++mode) {
            const DirectionWeights w = directionWeights(e, z, mode == 1);
            for (int k = 0; k < kWeights; ++k) {
                index_[mode].push_back(k < w.count ? w.index[k] : 0);
                weight_[mode].push_back(k < w.count ? w.weight[k] : 0.0);
            }
        }
    }
    points_ = static_cast<int>(cosElevation_.size());
    for (double c : cosElevation_) {
        weightSum_ += c;
    }
    const int n = std::clamp<int>(p.nChassis, 0, kMaxChassis);
    for (int d = 0; d < n; ++d) {
        if (networkAmp(res, d) < 0) {
            continue;
        }
        for (int s = 0; s < kSides; ++s) {
            Source src{d, s, usesFiveDegreeRings(p, d, s) ? 1 : 0, {}};
            const OutletPosition o = outletPosition(p, d, s);
            src.projection.resize(points_);
            for (int k = 0; k < points_; ++k) {
                src.projection[k] = outletProjection(o, direction[k]);
            }
            sources_.push_back(std::move(src));
        }
    }
    for (auto* v : {&phase_, &cos_, &sin_, &pRe_, &pIm_}) {
        v->resize(points_);
    }
}

double SphereIntegration::directivityRatio(const TResult& res, int i, double f) {
    const double k = phasePerMetre(f);
    std::fill(pRe_.begin(), pRe_.end(), 0.0);
    std::fill(pIm_.begin(), pIm_.end(), 0.0);
    double* pRe = pRe_.data();
    double* pIm = pIm_.data();
    for (const Source& src : sources_) {
        for (int h = 0; h < points_; ++h) {
            phase_[h] = k * src.projection[h];
        }
        sinCosArray(phase_.data(), cos_.data(), sin_.data(), points_);
        const Complex* row = res.fgang_chas[src.d][src.s][i];
        const int* idx = index_[src.mode].data();
        const double* wt = weight_[src.mode].data();
        const double* c = cos_.data();
        const double* s = sin_.data();
        for (int h = 0; h < points_; ++h) {
            const int* ix = idx + kWeights * h;
            const double* w = wt + kWeights * h;
            // The sample's value, then CRotate by -k·q: its path phase from the outlet.
            const Complex v = applyFourWeights(row, ix, w);
            pRe[h] += c[h] * v.re + s[h] * v.im;
            pIm[h] += c[h] * v.im - s[h] * v.re;
        }
    }
    double power = 0.0;
    for (int h = 0; h < points_; ++h) {
        power += (pRe[h] * pRe[h] + pIm[h] * pIm[h]) * cosElevation_[h];
    }
    power = power / weightSum_ * kSamplingCorrection;
    if (power <= 0.0) { // a NaN passes on to the stage's fault check
        return 0.0;
    }
    const Complex& axis = res.fgang_box[i][0];
    return std::sqrt((axis.re * axis.re + axis.im * axis.im) / power);
}

} // namespace sonora
