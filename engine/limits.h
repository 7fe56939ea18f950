// How far the box can be driven at each grid frequency: per driver the input voltage at its
// excursion limit and at its rated power, the resulting maximum levels, and the box's smallest
// allowed input voltage and its level there.
#pragma once

#include "model/physics.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

inline constexpr double kNoLimit = 1e10;       // V: nothing limits the input
inline constexpr double kSilentNoLimit = 1e50; // V: the driver radiates nothing on the axis

// First part, before the summation: fgang_peg[d][i], the level of driver d (below nChassis, where
// fgang_xch[d][i] ≠ 0) at its linear excursion, from its on-axis response on the baffle without
// crossover and measured corrections. Slots nChassis..31 get kLevelGuard; a driver without
// excursion at this frequency keeps its value.
void excursionLevels(const TProjekt& p, TResult& res, int i);

// Second part, after the summation: fgang_Uel_preamp, fgang_Uel_preamp_mech and the thermal
// correction of fgang_peg for the drivers in a network; the box slot 32 of fgang_Uel_preamp and
// fgang_peg. Reads fgang_chassis, fgang_weiche, fgang_akt and fgang_box at index i.
void inputVoltageLimits(const TProjekt& p, TResult& res, int i);

} // namespace sonora
