#include "engine/box_sum.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "engine/box_phase.h"

namespace sonora {

namespace {

// Path difference per metre of vertical position for the listening directions about 1° above
// and below the axis: 0.017455 ≈ sin 1°, with the program's rounded π.
constexpr double kRoundedPi = 3.14159;
constexpr double kInclination = 0.017455;

constexpr int kRowSize = kDirections;
constexpr int kSlotSize = kSides * kDirections;

// Sets a row of 90 directions to 0. Most rows are 0 already (the result is cleared before a full
// run, and unused slots stay so), and reading them is much cheaper than writing 5.7 kB per slot
// and frequency again.
void clearRow(Complex* row) {
    // The bits of all values but their signs, or-ed together: 0 only if every value is ±0. An
    // integer or runs on vector registers, a floating-point sum would not.
    constexpr std::uint64_t kNoSign = ~(std::uint64_t{1} << 63);
    std::uint64_t any = 0;
    for (int r = 0; r < kDirections; ++r) {
        any |= (std::bit_cast<std::uint64_t>(row[r].re) | std::bit_cast<std::uint64_t>(row[r].im));
    }
    if ((any & kNoSign) != 0) {
        std::fill_n(row, kDirections, Complex{0.0, 0.0});
    }
}

} // namespace

int networkAmp(const TResult& res, int d) {
    const int a = res.chassisAmp[d];
    return a >= 0 && a < kMaxAmps ? a : -1;
}

OutletPosition outletPosition(const TProjekt& p, int d, int s) {
    const TSchallwand& w = p.schallwand[d];
    if (s == 0) {
        return {w.swhor, w.swvert, w.swstra};
    }
    return {w.swhorr, w.swvertr, w.swstrar};
}

Complex driverOnAxis(const TResult& res, int d, int i) {
    Complex sum{0.0, 0.0};
    if (d < 0 || d >= kMaxChassis || networkAmp(res, d) < 0) {
        return sum;
    }
    CAdd(res.fgang_chassis[d][0][i][0], res.fgang_chassis[d][1][i][0], sum);
    return sum;
}

Complex boxOnAxisSum(const TResult& res, int i) {
    Complex box{0.0, 0.0};
    for (int d = 0; d < kMaxChassis; ++d) {
        // Skipped as sum() skips it: adding its 0 could turn a box of -0 into +0.
        if (networkAmp(res, d) < 0) {
            continue;
        }
        CAdd(box, driverOnAxis(res, d, i), box);
    }
    return box;
}

DriverSummation::DriverSummation(const TProjekt& p, const TResult& res)
    : projection_(static_cast<std::size_t>(kMaxChassis) * kSlotSize), phase_(kRowSize),
      cos_(kRowSize), sin_(kRowSize) {
    for (int d = 0; d < kMaxChassis; ++d) {
        amp_[d] = networkAmp(res, d);
        for (int s = 0; s < kSides; ++s) {
            const OutletPosition o = outletPosition(p, d, s);
            double* row = &projection_[static_cast<std::size_t>(d) * kSlotSize + s * kRowSize];
            for (int r = 0; r < kDirections; ++r) {
                row[r] = outletProjection(o, directionOfIndex(r));
            }
        }
    }
}

void DriverSummation::sum(const TProjekt& p, TResult& res, int i, double f) {
    const double k = phasePerMetre(f);
    const double u = f * 2.0 * kRoundedPi * kInclination / kSpeedOfSound; // rad per m
    Complex* box = res.fgang_box[i];
    std::fill(box, box + kDirections, Complex{0.0, 0.0});
    Complex incUp{0.0, 0.0}, incDown{0.0, 0.0};

    for (int d = 0; d < kMaxChassis; ++d) {
        const int a = amp_[d];
        if (a < 0) {
            // In no network: radiates nothing; adding its zeros to the box would change nothing.
            for (int s = 0; s < kSides; ++s) {
                clearRow(res.fgang_chas[d][s][i]);
                clearRow(res.fgang_chassis[d][s][i]);
            }
            continue;
        }
        for (int s = 0; s < kSides; ++s) {
            // Crossover voltage, driver response and active filter, the same for every direction.
            Complex gain;
            CMul3(res.fgang_weiche[d][i], res.fgang_ch[d][s][i], res.fgang_akt[a][i], gain);
            const Complex* sw = res.fgang_sw[d][s][i];
            Complex* chas = res.fgang_chas[d][s][i];
            Complex* chassis = res.fgang_chassis[d][s][i];
            const double* proj =
                &projection_[static_cast<std::size_t>(d) * kSlotSize + s * kRowSize];
            for (int r = 0; r < kDirections; ++r) {
                CMul(sw[r], gain, chas[r]);
                phase_[r] = k * proj[r];
            }
            sinCosArray(phase_.data(), cos_.data(), sin_.data(), kDirections);
            for (int r = 0; r < kDirections; ++r) {
                rotateByPair(chas[r], cos_[r], sin_[r], chassis[r]);
            }
        }
        // Diaphragm plus vent as driverOnAxis adds them, here in every direction.
        const Complex* front = res.fgang_chassis[d][0][i];
        const Complex* rear = res.fgang_chassis[d][1][i];
        for (int r = 0; r < kDirections; ++r) {
            box[r].re += front[r].re + rear[r].re;
            box[r].im += front[r].im + rear[r].im;
        }
        // A listener about 1° above the axis is nearer to a higher outlet by its height times
        // sin 1°, so that outlet leads as it does in the vertical plane (CRotate turns by -x).
        const TSchallwand& w = p.schallwand[d];
        Complex a0, a1, both;
        CRotate(front[0], -u * w.swvert, a0);
        CRotate(rear[0], -u * w.swvertr, a1);
        CAdd(a0, a1, both);
        CAdd(incUp, both, incUp);
        CRotate(front[0], u * w.swvert, a0);
        CRotate(rear[0], u * w.swvertr, a1);
        CAdd(a0, a1, both);
        CAdd(incDown, both, incDown);
    }
    res.fgang_box_inc_o[i] = incUp;
    res.fgang_box_inc_u[i] = incDown;
}

} // namespace sonora
