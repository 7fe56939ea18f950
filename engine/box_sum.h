// The drivers' radiated responses per direction and their sum: the whole box in the 90 table
// directions and at the two inclined listening directions.
#pragma once

#include <vector>

#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Number of grid points the box stage computes: entries of freq while they are > 0, at most 256.
int boxGridPoints(const double* freq);

// The amplifier whose network holds driver slot d, or -1 when it is in none. A chassisAmp outside
// 0..5 (damaged result) counts as none, so no stage reads beyond the amplifier arrays.
int networkAmp(const TResult& res, int d);

// Outlet position of side s (0 diaphragm, 1 vent) of driver d, m.
struct OutletPosition {
    double horizontal;
    double vertical;
    double depth;
};
OutletPosition outletPosition(const TProjekt& p, int d, int s);

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
