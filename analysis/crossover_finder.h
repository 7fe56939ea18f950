// Crossover-frequency finder: where the summed on-axis level of one group of drivers crosses that
// of a second group, from a calculation result.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Which drivers (0-based slots) belong to a group.
using ChassisGroup = std::array<bool, kMaxChassis>;

// The ticks of the two check lists "Chassisgruppe 1" and "Chassisgruppe 2". A driver is in at
// most one group: ticking it in one list clears it in the other.
class GroupTicks {
public:
    // `group` is 1 or 2, `driver` a 0-based slot; anything else is ignored.
    void setTicked(int group, int driver, bool ticked);
    bool isTicked(int group, int driver) const;
    const ChassisGroup& group1() const { return group1_; }
    const ChassisGroup& group2() const { return group2_; }

private:
    ChassisGroup group1_{};
    ChassisGroup group2_{};
};

// The lines of both check lists, one per driver of the project: number from 1 + ": " + name
// (Latin-1, like the names).
std::vector<std::string> finderDriverLines(const TProjekt& p);

// |sum over the group of the on-axis front and rear responses| at grid index `a`, as a linear
// pressure ratio (1 = 112 dB). Drivers at or beyond result.nChassis do not count; an empty group
// and an index outside the grid give 0.
double groupSum(const TResult& result, const ChassisGroup& group, int a);

// 2 (s1 + 1e-8) / (s2 + s1 + 1e-8): 1 where both groups are equally loud, above 1 where group 1
// is louder.
double crossoverRatio(double s1, double s2);

enum class CrossingDirection {
    OneToTwo, // below the crossing group 1 is louder
    TwoToOne,
};

struct Crossing {
    double f; // Hz, interpolated linearly between two grid points
    CrossingDirection direction;
};

// Every crossing of the two group sums over the result's grid, from low to high frequency.
// Nothing when either group has no driver of the result.
std::vector<Crossing> findCrossings(const TResult& result, const ChassisGroup& group1,
                                    const ChassisGroup& group2);

// The result memo's line: f with 6 significant digits + " Hz: Trennung 1 -> 2" (or "2 -> 1").
std::string crossingText(const Crossing& c);

// findCrossings as the memo lines.
std::vector<std::string> crossingLines(const TResult& result, const ChassisGroup& group1,
                                       const ChassisGroup& group2);

} // namespace sonora
