#include "analysis/crossover_finder.h"

#include <algorithm>

#include "storage/numbers.h"

namespace sonora {

namespace {

// Keeps the ratio defined when both sums vanish (two silent groups give 2, "group 1 louder").
constexpr double kRatioGuard = 1e-8;
constexpr int kCrossingDigits = 6;

// Number of result slots that hold drivers, whatever a damaged record says.
int resultDrivers(const TResult& result) {
    return std::clamp<int>(result.nChassis, 0, kMaxChassis);
}

bool hasDriver(const TResult& result, const ChassisGroup& group) {
    const int n = resultDrivers(result);
    return std::any_of(group.begin(), group.begin() + n, [](bool b) { return b; });
}

ChassisGroup* groupOf(int group, ChassisGroup& g1, ChassisGroup& g2) {
    return group == 1 ? &g1 : group == 2 ? &g2 : nullptr;
}

} // namespace

void GroupTicks::setTicked(int group, int driver, bool ticked) {
    ChassisGroup* mine = groupOf(group, group1_, group2_);
    if (mine == nullptr || driver < 0 || driver >= kMaxChassis) {
        return;
    }
    (*mine)[driver] = ticked;
    if (ticked) {
        (group == 1 ? group2_ : group1_)[driver] = false;
    }
}

bool GroupTicks::isTicked(int group, int driver) const {
    if (driver < 0 || driver >= kMaxChassis) {
        return false;
    }
    return group == 1 ? group1_[driver] : group == 2 ? group2_[driver] : false;
}

std::vector<std::string> finderDriverLines(const TProjekt& p) {
    const int n = std::clamp<int>(p.nChassis, 0, kMaxChassis);
    std::vector<std::string> lines;
    lines.reserve(n);
    for (int b = 0; b < n; ++b) {
        lines.push_back(std::to_string(b + 1) + ": " + p.chassis[b].name.str());
    }
    return lines;
}

double groupSum(const TResult& result, const ChassisGroup& group, int a) {
    if (a < 0 || a >= kResultFreqs) {
        return 0.0;
    }
    Complex sum{0.0, 0.0};
    const int n = resultDrivers(result);
    for (int b = 0; b < n; ++b) {
        if (group[b]) {
            // Direction 0 is the axis; side 0 the diaphragm, side 1 the rear vent.
            CAdd3(sum, result.fgang_chassis[b][0][a][0], result.fgang_chassis[b][1][a][0], sum);
        }
    }
    return CAbs(sum);
}

double crossoverRatio(double s1, double s2) {
    return 2.0 * (s1 + kRatioGuard) / (s2 + s1 + kRatioGuard);
}

std::vector<Crossing> findCrossings(const TResult& result, const ChassisGroup& group1,
                                    const ChassisGroup& group2) {
    std::vector<Crossing> crossings;
    if (!hasDriver(result, group1) || !hasDriver(result, group2) || !(result.freq[0] > 0.0)) {
        return crossings;
    }
    const double s1Start = groupSum(result, group1, 0);
    const double s2Start = groupSum(result, group2, 0);
    double gPrev = crossoverRatio(s1Start, s2Start);
    bool oneLouder = !(s2Start > s1Start);
    for (int a = 1; a < kResultFreqs && result.freq[a] > 0.0; ++a) {
        const double g = crossoverRatio(groupSum(result, group1, a), groupSum(result, group2, a));
        if ((oneLouder && g < 1.0) || (!oneLouder && g > 1.0)) {
            // Normally gPrev lies on the other side of 1, so the share is within 0 .. 1. Only a
            // start with both sums within 1e-8 of each other can put it outside; the crossing is
            // then kept between the two grid points instead of being extrapolated.
            double share = (1.0 - gPrev) / (g - gPrev);
            share = share >= 0.0 ? std::min(share, 1.0) : 0.0; // also catches NaN
            const double f0 = result.freq[a - 1];
            crossings.push_back(
                {f0 + (result.freq[a] - f0) * share,
                 oneLouder ? CrossingDirection::OneToTwo : CrossingDirection::TwoToOne});
            oneLouder = !oneLouder;
        }
        gPrev = g;
    }
    return crossings;
}

std::string crossingText(const Crossing& c) {
    return compactNumberText(kCrossingDigits, c.f) + (c.direction == CrossingDirection::OneToTwo
                                                          ? " Hz: Trennung 1 -> 2"
                                                          : " Hz: Trennung 2 -> 1");
}

std::vector<std::string> crossingLines(const TResult& result, const ChassisGroup& group1,
                                       const ChassisGroup& group2) {
    std::vector<std::string> lines;
    for (const Crossing& c : findCrossings(result, group1, group2)) {
        lines.push_back(crossingText(c));
    }
    return lines;
}

} // namespace sonora
