// The drivers' radiated responses per direction and their sum: the whole box in the 90 table
// directions and at the two inclined listening directions.
#pragma once

#include <vector>

#include "engine/box_phase.h" // OutletPosition
#include "model/records.h"
#include "model/result.h"

namespace sonora {

// The amplifier whose network holds driver slot d, or -1 when it is in none. A chassisAmp outside
// 0..5 (damaged result) counts as none, so no stage reads beyond the amplifier arrays.
int networkAmp(const TResult& res, int d);

// Outlet position of side s (0 diaphragm, 1 vent) of driver d, m.
OutletPosition outletPosition(const TProjekt& p, int d, int s);

// Driver slot d as it reaches the listener on axis at grid index i: diaphragm plus vent (port or
// passive radiator) of fgang_chassis in the front direction, so with its baffle, active filter,
// crossover and the delay of its position. The vent's polarity is already in its plane. A driver
// in no amplifier's network radiates nothing and gives 0; a slot outside 0 … 31 gives 0 too.
// DriverSummation::sum adds the two sides in the same way in every direction.
Complex driverOnAxis(const TResult& res, int d, int i);

// The box on axis at grid index i as the sum of driverOnAxis over every slot, added in the order
// of DriverSummation::sum, so that it equals fgang_box[i][0] of a finished result bit for bit.
Complex boxOnAxisSum(const TResult& res, int i);

// Steps 2 and 3 of each grid frequency. The projections of every outlet onto the 90 directions
// are computed once, when the object is made; the networks (chassisAmp) are read then too.
class DriverSummation {
public:
    DriverSummation(const TProjekt& p, const TResult& res);

    // At grid index i (f in Hz): fgang_chas and fgang_chassis of all 32 slots (0 for a driver in
    // no network), fgang_box[i], fgang_box_inc_o[i] and fgang_box_inc_u[i].
    void sum(const TProjekt& p, TResult& res, int i, double f);

private:
    int amp_[kMaxChassis];
    std::vector<double> projection_; // [slot][side][direction], m
    std::vector<double> phase_, cos_, sin_;
};

} // namespace sonora
