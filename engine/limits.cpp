#include "engine/limits.h"

#include <algorithm>
#include <cmath>

#include "engine/box_sum.h"

namespace sonora {

namespace {

// fgang_xch is the excursion at the reference drive; the limits scale it with these factors.
constexpr double kReferenceVoltage = 2.828;       // V, for the excursion and the box level
constexpr double kThermalReferenceVoltage = 2.83; // V, for the level at the rated power
constexpr double kPeakFactor = 0.5;               // xlin per side against the excursion
// The program's calibration of the excursion level against the reference drive.
constexpr double kExcursionScale = 3.7;
constexpr double kExcursionDerating = 0.8;

} // namespace

void excursionLevels(const TProjekt& p, TResult& res, int i) {
    const int n = std::clamp<int>(p.nChassis, 0, kMaxChassis);
    for (int d = 0; d < n; ++d) {
        const double x = res.fgang_xch[d][i];
        if (x == 0.0) {
            continue;
        }
        Complex front, rear, onAxis;
        CMul(res.fgang_sw[d][0][i][0], res.fgang_ch_oMw[d][0][i], front);
        CMul(res.fgang_sw[d][1][i][0], res.fgang_ch_oMw[d][1][i], rear);
        CAdd(front, rear, onAxis);
        res.fgang_peg[d][i] = CAbs(onAxis) * p.chassis[d].xlin * kPeakFactor / x /
                              kReferenceVoltage * kExcursionScale * kExcursionDerating;
    }
    for (int d = n; d < kMaxChassis; ++d) {
        res.fgang_peg[d][i] = kLevelGuard;
    }
}

void inputVoltageLimits(const TProjekt& p, TResult& res, int i) {
    double& boxVoltage = res.fgang_Uel_preamp[kBoxSlot][i];
    boxVoltage = kNoLimit;
    for (int d = 0; d < kMaxChassis; ++d) {
        double& allowed = res.fgang_Uel_preamp[d][i];
        allowed = kNoLimit;
        const int a = networkAmp(res, d);
        if (a < 0) {
            continue;
        }
        // On-axis response in the box for 1 V at the input.
        const double level = CAbs(driverOnAxis(res, d, i));

        // Excursion limit.
        allowed = level != 0.0 ? res.fgang_peg[d][i] / level * kReferenceVoltage : kSilentNoLimit;
        res.fgang_Uel_preamp_mech[d][i] = allowed;

        // Thermal limit: the rated voltage over the voltage gain to the terminals.
        Complex toTerminals;
        CMul(res.fgang_weiche[d][i], res.fgang_akt[a][i], toTerminals);
        const double gain = CAbs(toTerminals) + kLevelGuard;
        const double power = p.chassis[d].Pmax * p.chassis[d].ZNenn; // V²
        const double ratedVoltage = std::sqrt(power + kLevelGuard);
        if (ratedVoltage / gain < allowed) {
            allowed = std::sqrt(power) / gain + kLevelGuard;
            res.fgang_peg[d][i] = std::sqrt(power) * level / kThermalReferenceVoltage / gain;
        }
        if (allowed < boxVoltage) {
            boxVoltage = allowed;
        }
    }
    res.fgang_peg[kBoxSlot][i] = CAbs(res.fgang_box[i][0]) * boxVoltage / kReferenceVoltage;
}

} // namespace sonora
