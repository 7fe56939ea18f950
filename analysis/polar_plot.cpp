#include "analysis/polar_plot.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/physics.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr int kFullTurnDegrees = 360; // points 0 and 360 are both straight ahead
constexpr double kQuarterTurn = 3;    // clock positions of 90°
constexpr double kHalfTurn = 6;       // clock positions of 180°
constexpr int kFrequencyDigits = 5;   // digits of the frequency label

} // namespace

double polarLevel(double magnitude) {
    return 20 * std::log10(magnitude + kLevelGuard) + kLevelOfUnity;
}

double horizontalClockPosition(int i) {
    return static_cast<double>(i) / kFullTurnDegrees * kClockTurn;
}

double verticalClockPosition(int i) {
    const double p = kHalfTurn - (horizontalClockPosition(i) + kQuarterTurn);
    return p < 0 ? p + kClockTurn : p;
}

double polarRadius(double level, double minLevel, double maxLevel) {
    if (!(maxLevel > minLevel)) {
        return level >= maxLevel ? 1.0 : 0.0;
    }
    const double share = (level - minLevel) / (maxLevel - minLevel);
    if (std::isnan(share)) {
        return 0;
    }
    return std::clamp(share, 0.0, 1.0);
}

std::array<PolarPoint, kPolarPoints> polarPoints(const TDirData& d, int j, bool vertical,
                                                 double minLevel, double maxLevel) {
    std::array<PolarPoint, kPolarPoints> points{};
    const bool inRange = j >= 0 && j < std::clamp<int>(d.nvalues, 0, kResultFreqs - 1);
    for (int i = 0; i < kPolarPoints; ++i) {
        const double position = vertical ? verticalClockPosition(i) : horizontalClockPosition(i);
        PolarPoint& p = points[i];
        p.angle = position * std::numbers::pi / kHalfTurn;
        if (!inRange) {
            p.level = polarLevel(0);
            continue;
        }
        const int a = (i + kAxisAngleIndex) % kFullTurnDegrees;
        p.level = polarLevel(vertical ? d.yv[j][a] : d.yh[j][a]);
        p.radius = polarRadius(p.level, minLevel, maxLevel);
    }
    return points;
}

PixelPoint polarPixel(const PolarPoint& p, double centreX, double centreY, double fullRadius) {
    const double r = p.radius * fullRadius;
    return {centreX + r * std::sin(p.angle), centreY - r * std::cos(p.angle)};
}

std::string polarFrequencyLabel(double f) {
    return "Frequenz: " + compactNumberText(kFrequencyDigits, f) + " Hz";
}

int nearestGridIndex(const TDirData& d, double f) {
    const int n = std::clamp<int>(d.nvalues, 0, kResultFreqs - 1);
    int best = 0;
    double bestDistance = HUGE_VAL;
    for (int i = 0; i < n; ++i) {
        const double distance = std::abs(std::log(d.x[i] / f));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

} // namespace sonora
