#include "engine/box_planes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/box_interpolate.h"
#include "engine/box_phase.h"
#include "engine/box_sum.h"
#include "model/physics.h"

namespace sonora {

namespace {

using std::numbers::pi;

constexpr int kAxisIndex = 180; // angle index of 0°
constexpr int kWeights = DirectionWeights::kMax;

// lgrad of the two halves of each plane: horizontal -A | +A, vertical -B | +B.
constexpr double kLgrad[2][2] = {{pi / 2.0, 3.0 * pi / 2.0}, {pi, 0.0}};

} // namespace

PlaneAngles PlaneAngles::all() {
    PlaneAngles a;
    for (auto& plane : a.angles) {
        plane.set();
    }
    return a;
}

bool PlaneAngles::isAll() const {
    return angles[0].all() && angles[1].all();
}

bool PlaneAngles::operator==(const PlaneAngles& other) const {
    return angles[0] == other.angles[0] && angles[1] == other.angles[1];
}

PlaneSummation::PlaneSummation(const TProjekt& p, const TResult& res, const PlaneAngles& selected) {
    for (int plane = 0; plane < kPlanes; ++plane) {
        for (int n = 0; n < kPlaneAngles; ++n) {
            if (!selected.angles[plane].test(static_cast<std::size_t>(n))) {
                continue;
            }
            angle_[plane].push_back(n);
            const double angle = (n - kAxisIndex) * kRadiansPerDegree;
            const double bgrad = pi / 2.0 - std::abs(angle);
            const double lgrad = kLgrad[plane][n < kAxisIndex ? 0 : 1];
            for (int mode = 0; mode < 2; ++mode) {
                const DirectionWeights w = directionWeights(bgrad, lgrad, mode == 1);
                for (int k = 0; k < kWeights; ++k) {
                    index_[plane][mode].push_back(k < w.count ? w.index[k] : 0);
                    weight_[plane][mode].push_back(k < w.count ? w.weight[k] : 0.0);
                }
            }
        }
    }
    for (int d = 0; d < kMaxChassis; ++d) {
        if (networkAmp(res, d) < 0) {
            continue;
        }
        Driver drv;
        drv.d = d;
        for (int s = 0; s < kSides; ++s) {
            drv.mode[s] = usesFiveDegreeRings(p, d, s) ? 1 : 0;
            const OutletPosition o = outletPosition(p, d, s);
            for (int plane = 0; plane < kPlanes; ++plane) {
                std::vector<double>& proj = drv.projection[plane][s];
                for (int n : angle_[plane]) {
                    // At 0° exactly the depth, as in table direction 0.
                    const double angle = (n - kAxisIndex) * kRadiansPerDegree;
                    proj.push_back(outletProjection(o, planeDirection(plane, angle)));
                }
            }
        }
        drivers_.push_back(std::move(drv));
    }
    const std::size_t most = std::max(angle_[0].size(), angle_[1].size());
    phase_.resize(most);
    for (int s = 0; s < kSides; ++s) {
        cos_[s].resize(most);
        sin_[s].resize(most);
    }
}

void PlaneSummation::sum(TResult& res, int i, double f) {
    const double k = phasePerMetre(f);
    for (int plane = 0; plane < kPlanes; ++plane) {
        Complex* out = plane == 0 ? res.fgang_box_h[i] : res.fgang_box_v[i];
        for (int n = 0; n < kPlaneAngles; ++n) {
            out[n] = Complex{0.0, 0.0};
        }
        // m counts the selected angles, angle[m] is the angle index it stands for.
        const int* angle = angle_[plane].data();
        const int count = static_cast<int>(angle_[plane].size());
        for (const Driver& drv : drivers_) {
            for (int s = 0; s < kSides; ++s) {
                const double* proj = drv.projection[plane][s].data();
                for (int m = 0; m < count; ++m) {
                    phase_[m] = k * proj[m];
                }
                sinCosArray(phase_.data(), cos_[s].data(), sin_[s].data(), count);
            }
            const Complex* row0 = res.fgang_chas[drv.d][0][i];
            const Complex* row1 = res.fgang_chas[drv.d][1][i];
            const int* ix0 = index_[plane][drv.mode[0]].data();
            const double* w0 = weight_[plane][drv.mode[0]].data();
            const int* ix1 = index_[plane][drv.mode[1]].data();
            const double* w1 = weight_[plane][drv.mode[1]].data();
            for (int m = 0; m < count; ++m) {
                const int b = kWeights * m;
                const Complex v0 = applyFourWeights(row0, ix0 + b, w0 + b);
                const Complex v1 = applyFourWeights(row1, ix1 + b, w1 + b);
                Complex r0, r1;
                rotateByPair(v0, cos_[0][m], sin_[0][m], r0);
                rotateByPair(v1, cos_[1][m], sin_[1][m], r1);
                // Front and rear of one driver first, then onto the sum: the order of fgang_box.
                Complex& o = out[angle[m]];
                o.re += r0.re + r1.re;
                o.im += r0.im + r1.im;
            }
        }
    }
}

} // namespace sonora
