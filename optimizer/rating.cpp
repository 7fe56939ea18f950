#include "optimizer/rating.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "optimizer/rated_planes.h"

namespace sonora {

namespace {

// Guards named by the rating's own formulas.
constexpr double kImpedanceGuard = 0.001; // Ohm, added to |Z| in the transistor grade
constexpr double kRatioGuard = 1e-10;     // added to |H0| and fc, start of the efficiency sum
constexpr double kMissingValue = 1e20;    // penalty for a missing maximum voltage or directivity
constexpr double kLogFloor = 1e-100;      // smallest argument any logarithm of the rating sees
// Lowest value of a plane grade's fitted reference line, as a share of that direction's mean
// level over the fitted band (-12 dB). Total grade of the two-way and three-way examples on grids
// of 84, 126, 200, 249, 250, 251 and 256 points (2026-12-10):
//   no floor   two-way 11.3 / 76.6 / 19.6 / 95.4 / 27449 / 22.0 / 56.2, three-way 6.5 ... 12.9
//   0.1        two-way 6.381 ... 6.404, three-way 5.964 ... 5.980 (Note_Fh 7.3 and 3.5)
//   0.25       two-way 5.513 ... 5.532, three-way 5.916 ... 5.929 (Note_Fh 1.99 and 3.22)
//   0.5        two-way 5.496 ... 5.514, three-way 5.838 ... 5.846 (Note_Fh 1.88 and 2.73)
// Any floor ends the jumps. At 0.1 the points just above the crossing still dominate the grade;
// from 0.25 on it hardly depends on the floor any more, so 0.25 is the lowest floor that judges
// the response rather than the line, and it leaves the line alone wherever it is honest.
constexpr double kReferenceFloor = 0.25;

// The grid and counts of a result, clamped to the record's dimensions so that a damaged result
// never reads out of range.
struct RatingGrid {
    int n;        // grid points
    int nAmps;    // amplifiers
    int nDrivers; // drivers of the result
};

RatingGrid ratingGrid(const TResult& res) {
    return {std::clamp<int>(res.nfreq, 0, kResultFreqs - 1),
            std::clamp<int>(res.nAmps, 0, kMaxAmps), std::clamp<int>(res.nChassis, 0, kMaxChassis)};
}

// num/den, and 0 for a vanishing divisor: the choice for the 0/0 cases (no grid point, no weight).
double ratioOrZero(double num, double den) {
    return den != 0.0 ? num / den : 0.0;
}

// num/den for a divisor that is >= 0 by construction but may vanish.
double guardedRatio(double num, double den) {
    return num / std::max(den, kRatingTiny);
}

// ln(a/b) for a, b >= 0 without the logarithm of zero.
double logRatio(double a, double b) {
    return std::log(std::max(a, kLogFloor)) - std::log(std::max(b, kLogFloor));
}

double guardedLog10(double x) {
    return std::log10(std::max(x, kLogFloor));
}

double onAxisBox(const TResult& res, int i) {
    return CAbs(res.fgang_box[i][0]);
}

// On-axis response of driver c: diaphragm side, direction 0.
const Complex& onAxisDriver(const TResult& res, int c, int i) {
    return res.fgang_chassis[c][0][i][0];
}

// 4-norm of Zmin/|Z| for each amplifier, the worst amplifier counts.
double transistorImpedanceGrade(const TResult& res, const RatingGrid& g, double zMin) {
    constexpr double kNorm = 4.0;
    double worst = 0.0;
    for (int a = 0; a < g.nAmps; ++a) {
        double sum = 0.0;
        for (int i = 0; i < g.n; ++i) {
            sum += std::pow(zMin / (CAbs(res.impedanz_box[a][i]) + kImpedanceGuard), kNorm);
        }
        worst = std::max(worst, std::pow(ratioOrZero(sum, g.n), 1.0 / kNorm));
    }
    return worst;
}

// A tube amplifier wants its transformer tap matched (I1) and a flat impedance (I2).
void tubeImpedanceGrades(const TResult& res, const RatingGrid& g, double zMin, TBewertungen& b) {
    constexpr double kAboveFactor = 0.3;  // mean impedance above the tap
    constexpr double kBelowFactor = -0.6; // below the tap: twice as bad
    constexpr double kFlatnessFactor = 4.0;
    double worst = 0.0;
    double zRef = zMin;
    for (int a = 0; a < g.nAmps; ++a) {
        // Geometric mean of |Z| with the points below Zmin counted twice.
        double s = 0.0;
        int count = 0;
        for (int i = 0; i < g.n; ++i) {
            const double z = CAbs(res.impedanz_box[a][i]);
            if (z >= zMin) {
                s += logRatio(z, zMin);
                count += 1;
            } else {
                s += 2.0 * logRatio(z, zMin);
                count += 2;
            }
        }
        const double zm = zMin * std::exp(ratioOrZero(s, count));
        const double grade =
            zm > zMin ? kAboveFactor * logRatio(zm, zMin) : kBelowFactor * logRatio(zm, zMin);
        worst = std::max(worst, grade);
        zRef = zm;
    }
    b.Note_I1 = worst;

    worst = 0.0;
    for (int a = 0; a < g.nAmps; ++a) {
        double sum = 0.0;
        for (int i = 0; i < g.n; ++i) {
            const double l = logRatio(CAbs(res.impedanz_box[a][i]), zRef);
            sum += l * l;
        }
        worst = std::max(worst, kFlatnessFactor * ratioOrZero(sum, g.n));
    }
    b.Note_I2 = worst;
    b.Note_I = (b.Note_I1 + b.Note_I2) * (b.Note_I1 + b.Note_I2);
}

// Mean weighted level of the box against the target, relative to the mean level of the
// amplifier channels.
double averageLevel(const TResult& res, const RatingGrid& g, const TBewertungsparameter& p) {
    double level = 0.0;
    double weight = 0.0;
    for (int i = 0; i < g.n; ++i) {
        const double f = res.freq[i];
        const double t = ratingTargetCurve(f, p.vgBasspegel, p.vgSHTPegel);
        const double w = ratingLevelWeight(f);
        level += onAxisBox(res, i) * w / t;
        weight += w * t;
    }
    double amps = 0.0;
    for (int a = 0; a < g.nAmps; ++a) {
        for (int i = 0; i < g.n; ++i) {
            amps += CAbs(res.fgang_akt[a][i]);
        }
    }
    const double meanAmp = ratioOrZero(amps, static_cast<double>(g.nAmps) * g.n);
    return guardedRatio(guardedRatio(level, weight), meanAmp);
}

// The 16-norm of 1/|Z| gives the effective impedance, low points dominate.
double efficiencyGrade(const TResult& res, const RatingGrid& g, double avgPegel) {
    constexpr double kNorm = 16.0;
    constexpr double kScale = 5.0;
    double sum = kRatioGuard;
    for (int a = 0; a < g.nAmps; ++a) {
        // Only the last amplifier's sum remains, by the grade's definition. Note that the start
        // value outweighs 1/|Z|^16 above about 4 Ohm, so the grade mostly sees low impedances.
        sum = kRatioGuard;
        for (int i = 0; i < g.n; ++i) {
            sum += 1.0 / std::pow(CAbs(res.impedanz_box[a][i]) + kRatioGuard, kNorm);
        }
    }
    const double zEff = std::pow(static_cast<double>(g.n) * g.nAmps / sum, 1.0 / kNorm);
    return kScale * guardedLog10(guardedRatio(1.0, std::sqrt(zEff) * avgPegel));
}

// The level the box reaches at its maximum input voltage: the lowest one above 40 Hz (m)
// and a weighted harmonic mean (M). Returns Note_P and sets m.
double maximumLevelGrade(const TResult& res, const RatingGrid& g, double& m) {
    constexpr double kStartMinimum = 999999.0;
    constexpr double kLowestFrequency = 40.0; // Hz: below it the minimum is not searched
    constexpr double kUpperCorner = 20000.0;  // Hz
    constexpr double kLowerCorner = 100.0;    // Hz
    m = kStartMinimum;
    double sum = 0.0;
    double weights = 0.0;
    for (int i = 0; i < g.n; ++i) {
        const double u = res.fgang_Uel_preamp[kBoxSlot][i];
        if (u <= 0.0) {
            sum += kMissingValue;
            continue;
        }
        const double f = res.freq[i];
        const double h0 = onAxisBox(res, i);
        const double wf =
            kUpperCorner * std::sqrt(std::max(f, 0.0) / (f + kLowerCorner)) / (f + kUpperCorner);
        if (f > kLowestFrequency) {
            m = std::min(m, h0 * u);
        }
        sum += guardedRatio(wf, u * h0);
        weights += wf;
    }
    const double harmonicMean = ratioOrZero(weights, sum);
    return 5.0 * guardedLog10(0.5 * harmonicMean + m);
}

// Smaller drivers that limit the level before the box does (P1), and smaller drivers that
// are loud near their resonance (P2).
void levelSubGrades(const TResult& res, const RatingGrid& g, const TProjekt& project, double m,
                    TBewertungen& b) {
    constexpr double kLowestFrequency = 40.0; // Hz
    constexpr double kAreaMargin = 1.1;       // a driver within 10 % of the largest area is large
    constexpr double kResonanceBand = 0.25;   // relative distance from fc
    constexpr double kLoudAtResonance = 0.31; // driver over box magnitude allowed near fc
    constexpr double kP1Scale = 200.0;
    constexpr double kP2Scale = 10.0;
    double largestArea = -std::numeric_limits<double>::infinity();
    for (int c = 0; c < g.nDrivers; ++c) {
        largestArea = std::max(largestArea, project.chassis[c].Sd);
    }
    double p1 = 0.0;
    double p2 = 0.0;
    for (int c = 0; c < g.nDrivers; ++c) {
        const TChassis& driver = project.chassis[c];
        if (kAreaMargin * driver.Sd >= largestArea) {
            continue;
        }
        for (int i = 0; i < g.n; ++i) {
            const double f = res.freq[i];
            if (f <= kLowestFrequency) {
                continue;
            }
            const double h0 = onAxisBox(res, i);
            const double um = res.fgang_Uel_preamp_mech[c][i];
            if (h0 * um < 2.0 * m && um > 0.0) {
                const double e = 0.5 - guardedRatio(m, h0 * um);
                p1 += e * e;
            }
            if (std::abs(1.0 - f / (driver.fc + kRatioGuard)) < kResonanceBand) {
                const double r = CAbs(onAxisDriver(res, c, i)) / (h0 + kRatingTiny);
                if (r > kLoudAtResonance) {
                    p2 = std::max(p2, (r - kLoudAtResonance) * (r - kLoudAtResonance));
                }
            }
        }
    }
    b.Note_P1 = (ratioOrZero(p1, g.n) + kRatingTiny) * kP1Scale;
    b.Note_P2 = (ratioOrZero(p2, g.n) + kRatingTiny) * kP2Scale;
}

// Deviation of the weighted directions of one plane from a straight line through
// their own response (in log f) shaped by the target. `flatAt1kHz` replaces the line by its value
// at 1 kHz (vertical plane). `plane` is fgang_box_h or fgang_box_v.
double planeGrade(const TResult& res, const RatingGrid& g, const TBewertungsparameter& p,
                  const double (&weights)[kWeightDirections],
                  const Complex (&plane)[kResultFreqs][kPlaneAngles], bool flatAt1kHz) {
    constexpr double kFitFrom = 200.0; // Hz: the line is fitted above this frequency only
    constexpr double kLog1kHz = 3.0;   // log10 of 1000 Hz
    constexpr double kDeviationScale = 3.0;
    constexpr double kDeviationPower = 1.5;
    constexpr double kGradeScale = 5.0;
    constexpr int kHalf = kWeightDirections / 2;
    double grade = 0.0;
    double sumWd = 0.0;
    for (int k = -kHalf; k <= kHalf; ++k) {
        if (!(weights[k + kHalf] > 0.0)) {
            continue;
        }
        const int angle = weightDirectionAngle(k + kHalf);
        double sw = 0.0, sx = 0.0, sy = 0.0;
        for (int i = 0; i < g.n; ++i) {
            const double f = res.freq[i];
            if (f > kFitFrom) {
                const double wd = ratingDirectionWeight(f);
                sw += wd;
                sx += wd * std::log10(f);
                sy += wd * CAbs(plane[i][angle]);
            }
        }
        // No point above 200 Hz leaves no line to compare with: 0/0, the plane's grade is 0.
        if (sw == 0.0) {
            return 0.0;
        }
        const double xMean = sx / sw;
        const double yMean = sy / sw;
        double sxy = 0.0, sxx = 0.0;
        for (int i = 0; i < g.n; ++i) {
            const double f = res.freq[i];
            if (f > kFitFrom) {
                const double wd = ratingDirectionWeight(f);
                const double dx = (std::log10(f) - xMean) * wd;
                const double dy = (CAbs(plane[i][angle]) - yMean) * wd;
                sxy += dx * dy;
                sxx += dx * dx;
            }
        }
        // A single frequency above 200 Hz has no slope: 0/0 again, the plane's grade is 0.
        if (sxx == 0.0) {
            return 0.0;
        }
        double slope = sxy / sxx;
        double intercept = yMean - slope * xMean;
        if (flatAt1kHz) {
            intercept += kLog1kHz * slope;
            slope = 0.0;
        }
        // The fitted line is a straight line in log f over a response that falls off at both
        // ends, so it may cross zero inside the grid (a steep line through a woofer's low end
        // does). Dividing by a reference near zero turns one grid point into a grade of
        // thousands that jumps with the grid. The floor keeps the reference at a share of the
        // direction's own mean level, which an honest line never goes below.
        const double floor = kReferenceFloor * yMean;
        for (int i = 0; i < g.n; ++i) {
            const double f = res.freq[i];
            const double wd = ratingDirectionWeight(f);
            sumWd += wd;
            const double line = std::max(slope * guardedLog10(f) + intercept, floor);
            const double reference = line * ratingTargetCurve(f, p.vgBasspegel, p.vgSHTPegel);
            const double deviation = std::abs(reference - CAbs(plane[i][angle])) /
                                     std::max(std::abs(reference), kRatingTiny);
            grade += kDeviationScale * std::pow(deviation, kDeviationPower) * wd;
        }
    }
    // No weighted direction: 0/0, the grade is 0.
    return ratioOrZero(grade * kGradeScale, sumWd);
}

// The energy and bass grades compare against a mean over a band; a missing directivity value counts
// as kMissingValue in it. Mean 0 becomes kRatingTiny so that it can divide.
double bandReference(double sum, int count) {
    const double mean = sum / (count + kRatingTiny);
    return mean == 0.0 ? kRatingTiny : mean;
}

// The energy response |H0|/fgang_bmass against the target, relative to its mean from
// 400 Hz to 6 kHz.
double energyGrade(const TResult& res, const RatingGrid& g, const TBewertungsparameter& p) {
    constexpr double kBandLow = 400.0;   // Hz
    constexpr double kBandHigh = 6000.0; // Hz
    constexpr double kDeviationScale = 3.0;
    constexpr double kDeviationPower = 1.5;
    constexpr double kGradeScale = 10.0;
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < g.n; ++i) {
        const double f = res.freq[i];
        if (f < kBandLow || f > kBandHigh) {
            continue;
        }
        const double dm = res.fgang_bmass[i];
        sum += dm > 0.0 ? onAxisBox(res, i) / dm / ratingTargetCurve(f, p.vgBasspegel, p.vgSHTPegel)
                        : kMissingValue;
        ++count;
    }
    const double r1 = bandReference(sum, count);
    double grade = 0.0;
    double sumWd = 0.0;
    for (int i = 0; i < g.n; ++i) {
        const double f = res.freq[i];
        const double wd = ratingDirectionWeight(f);
        // The weighted mean runs over the weights of this loop (not the sum of the plane grades).
        // Step 8's sum of weights runs over every weighted direction of a plane; read that way the
        // energy grade would shrink with the number of directions the user weights, which it has
        // nothing to do with. So Σwd here is this loop's own sum over the grid.
        sumWd += wd;
        const double dm = res.fgang_bmass[i];
        if (dm <= 0.0) {
            grade += kMissingValue;
            continue;
        }
        const double t = ratingTargetCurve(f, p.vgBasspegel, p.vgSHTPegel);
        const double e = std::abs(1.0 - onAxisBox(res, i) / t / dm / r1);
        grade += kDeviationScale * std::pow(e, kDeviationPower) * wd;
    }
    return ratioOrZero(grade * kGradeScale, sumWd);
}

// The bass region against a blend of energy, axis and the 30° directions from 200 Hz to
// 6 kHz; both the mean deviation and its square count. Returns Note_F5 and sets R2.
double bassGrade(const TResult& res, const RatingGrid& g, const TBewertungsparameter& p,
                 double& r2) {
    constexpr double kBandLow = 200.0;   // Hz
    constexpr double kBandHigh = 6000.0; // Hz
    constexpr double kEnergyShare = 0.25;
    constexpr double kAxisShare = 0.45;
    constexpr double kSideShare = 0.15; // each of 30° left and right
    constexpr int kLeft30 = 2;          // direction index, 30° to the left
    constexpr int kRight30 = 4;         // 30° to the right
    constexpr double kGradeScale = 5.0;
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < g.n; ++i) {
        const double f = res.freq[i];
        if (f < kBandLow || f > kBandHigh) {
            continue;
        }
        const double dm = res.fgang_bmass[i];
        if (dm > 0.0) {
            const double h0 = onAxisBox(res, i);
            const double blend = kEnergyShare * h0 / dm + kAxisShare * h0 +
                                 kSideShare * CAbs(res.fgang_box[i][kLeft30]) +
                                 kSideShare * CAbs(res.fgang_box[i][kRight30]);
            sum += blend / ratingTargetCurve(f, p.vgBasspegel, p.vgSHTPegel);
        } else {
            sum += kMissingValue;
        }
        ++count;
    }
    r2 = bandReference(sum, count);
    double s1 = 0.0, s2 = 0.0, sumWb = 0.0;
    for (int i = 0; i < g.n; ++i) {
        const double f = res.freq[i];
        const double wb = ratingBassWeight(f);
        sumWb += wb;
        const double dm = res.fgang_bmass[i];
        if (dm <= 0.0) {
            s1 += kMissingValue;
            continue;
        }
        const double t = ratingTargetCurve(f, p.vgBasspegel, p.vgSHTPegel);
        const double e = 1.0 - onAxisBox(res, i) / t / dm / r2;
        s1 += e * wb;
        s2 += e * e * wb;
    }
    return ratioOrZero((std::abs(s1) + s2) * kGradeScale, sumWb);
}

// Phase differences between the loudest driver and the others (A), and the difference
// between the two inclined listening directions (B).
double phaseGrade(const TResult& res, const RatingGrid& g, double r2) {
    constexpr double kBandLow = 100.0;       // Hz
    constexpr double kBandHigh = 20000.0;    // Hz
    constexpr double kPhaseTolerance = 0.16; // rad, mostly forgiven
    constexpr double kForgiven = 0.667;
    constexpr double kAScale = 30.0;
    constexpr double kUpTolerance = 0.015; // extra tolerance when the upper direction is louder
    constexpr double kTolerance = 0.03;
    constexpr double kBScale = 100.0;
    constexpr double kAWeight = 0.025;
    constexpr double pi = std::numbers::pi;

    double sumA = 0.0;
    int k = 0;
    for (int j = 0; j < kResultFreqs && res.freq[j] > 0.0; ++j) {
        const double f = res.freq[j];
        if (f < kBandLow || f > kBandHigh) {
            continue;
        }
        ++k;
        int loudest = 0;
        for (int c = 1; c < g.nDrivers; ++c) {
            if (CAbs(onAxisDriver(res, c, j)) > CAbs(onAxisDriver(res, loudest, j))) {
                loudest = c;
            }
        }
        const Complex& hMax = onAxisDriver(res, loudest, j);
        const double aMax = CAbs(hMax);
        if (aMax == 0.0) {
            continue;
        }
        for (int c = 0; c < g.nDrivers; ++c) {
            const Complex& hc = onAxisDriver(res, c, j);
            double d = std::abs(CArg(hc) - CArg(hMax));
            if (d > pi) {
                d = 2.0 * pi - d;
            }
            d -= kForgiven * std::min(d, kPhaseTolerance);
            sumA += CAbs(hc) * (d / pi) / aMax;
        }
    }
    const double a = sumA * kAScale / (k + kRatingTiny);

    double sumB = 0.0;
    for (int i = 0; i < g.n; ++i) {
        const double up = CAbs(res.fgang_box_inc_o[i]);
        const double down = CAbs(res.fgang_box_inc_u[i]);
        double x = std::abs(up - down) / r2;
        if (up > down) {
            x -= 0.5 * std::min(x, kUpTolerance);
        }
        x -= 0.5 * std::min(x, kTolerance);
        sumB += x;
    }
    const double b = kBScale * ratioOrZero(sumB, g.n);
    return b * b + kAWeight * a;
}

// The directivity should rise with frequency; drivers radiating sideways or backwards
// should stay quiet on axis.
double minimumDirectivityGrade(const TResult& res, const RatingGrid& g, const TProjekt& project,
                               double vgMindBM) {
    constexpr double kFrom = 150.0;        // Hz
    constexpr double kDriversFrom = 250.0; // Hz
    constexpr double kWeightDivisor = 33.0;
    constexpr double kBase = 0.3;
    constexpr double kCorner = 200.0;        // Hz
    constexpr double kAllowedHigh = 0.2;     // allowed driver over box magnitude far above 250 Hz
    constexpr double kAllowedCorner = 250.0; // Hz
    constexpr double kGradeScale = 200.0;
    const int nDrivers = std::clamp<int>(project.nChassis, 0, kMaxChassis);
    double sum = 0.0;
    int count = 0;
    for (int i = 0; i < g.n; ++i) {
        const double f = res.freq[i];
        if (f < kFrom) {
            continue;
        }
        const double target = (vgMindBM / kWeightDivisor + kBase) * f / (f + kCorner) + 1.0;
        if (target - res.fgang_bmass[i] > 0.0) {
            sum += target - res.fgang_bmass[i];
        }
        ++count;
        if (f < kDriversFrom) {
            continue;
        }
        const double h0 = onAxisBox(res, i);
        for (int c = 0; c < nDrivers; ++c) {
            if (project.schallwand[c].direction == 0) {
                continue;
            }
            const double r = CAbs(onAxisDriver(res, c, i)) / (h0 + kRatingTiny) -
                             (kAllowedHigh * f + kAllowedCorner) / (f + kAllowedCorner);
            if (r > 0.0) {
                sum += r * r;
            }
        }
    }
    return sum * kGradeScale / (count + kRatingTiny);
}

// Each driver above its permitted relative level outside its working range.
double workingRangeGrade(const TResult& res, const RatingGrid& g, const TBewertungsparameter& p) {
    constexpr double kScale = 2500.0;
    double sum = 0.0;
    for (int c = 0; c < g.nDrivers; ++c) {
        double excess = 0.0;
        for (int i = 0; i < g.n; ++i) {
            const double f = res.freq[i];
            const double hc = CAbs(onAxisDriver(res, c, i));
            const double h0 = onAxisBox(res, i);
            // The lower limit divides by |H0| as it is; only a vanishing box takes the guard.
            const double qLow = hc / std::max(h0, kRatioGuard);
            if (f < p.vgFmin[c] && qLow > p.vgPeg[c]) {
                excess += qLow - p.vgPeg[c];
            }
            const double qHigh = hc / (h0 + kRatioGuard);
            if (f > p.vgFmax[c] && qHigh > p.vgPeg[c]) {
                excess += qHigh - p.vgPeg[c];
            }
        }
        sum += ratioOrZero(excess, g.n);
    }
    return p.vgWAB * p.vgWAB * kScale * sum;
}

} // namespace

double ratingTargetCurve(double f, double bass, double treble) {
    constexpr double kBassCorner = 100.0;   // Hz
    constexpr double kBassResonance = 12.0; // Hz, linear term of the bass shelf's denominator
    constexpr double kBassShelf = 1088.0;   // Hz², over the bass taste
    constexpr double kTasteGuard = 0.001;
    constexpr double kTrebleGuard = 0.01;
    constexpr double kTrebleCorner = 15000.0; // Hz
    const double shelf = f * f - kBassResonance * f + kBassShelf / (bass + kTasteGuard);
    const double t = (kBassCorner * bass + f) / (f + kBassCorner) * (f * f + 1.0) /
                     (shelf != 0.0 ? shelf : kRatingTiny) * (treble + kTrebleGuard) *
                     (f + kTrebleCorner) / std::max(kTrebleCorner * treble + f, kRatingTiny);
    // A vanishing or negative target (only for tastes far outside the sliders' range, or f = 0
    // with a bass taste of 0) would divide by zero or flip the grades' sense.
    return std::isfinite(t) && t > kRatingTiny ? t : kRatingTiny;
}

double ratingLevelWeight(double f) {
    constexpr double kUpper = 20000.0; // Hz
    constexpr double kLower = 100.0;   // Hz
    const double hi = kUpper / (f + kUpper);
    const double lo = f / (f + kLower);
    return hi * hi * lo * lo;
}

double ratingDirectionWeight(double f) {
    constexpr double kLower = 200.0;       // Hz
    constexpr double kLowerSq = 16000.0;   // Hz², about 126 Hz
    constexpr double kUpperCube = 5.12e11; // Hz³, 8 kHz cubed
    return f / (f + kLower) * (f * f / (f * f + kLowerSq)) *
           (kUpperCube / (f * f * f + kUpperCube));
}

double ratingBassWeight(double f) {
    constexpr double kLowerSq = 900.0;   // Hz², 30 Hz
    constexpr double kUpperSq = 40000.0; // Hz², 200 Hz
    return f * f / (f * f + kLowerSq) * (kUpperSq / (f * f + kUpperSq));
}

int weightDirectionAngle(int k) {
    constexpr int kCentreAngle = 180; // index of 0° in the plane
    constexpr int kAngleStep = 5;     // degrees between the weighted directions
    return kCentreAngle + kAngleStep * (k - kWeightDirections / 2);
}

PlaneAngles ratedPlaneAngles(const TBewertungsparameter& bewPara) {
    PlaneAngles a;
    const double* weights[PlaneAngles::kPlanes] = {bewPara.vgfgWeight.horweight,
                                                   bewPara.vgfgWeight.vertweight};
    for (int plane = 0; plane < PlaneAngles::kPlanes; ++plane) {
        for (int k = 0; k < kWeightDirections; ++k) {
            // The same test as planeGrade's: a NaN weight is no weight.
            if (weights[plane][k] > 0.0) {
                a.angles[plane].set(static_cast<std::size_t>(weightDirectionAngle(k)));
            }
        }
    }
    return a;
}

void BewerteErgebnisse(const TResult& res, const TProjekt& aktProjekt,
                       const TBewertungsparameter& bewPara, TBewertungen& bewertungen) {
    constexpr double kStartGrade = 10.0;
    TBewertungen& b = bewertungen;
    const TBewertungsparameter& p = bewPara;
    const RatingGrid g = ratingGrid(res);

    // Start values; the impedance grade keeps its 10 for an unknown amplifier type.
    b.Note_I = b.Note_W = b.Note_F = b.Note = kStartGrade;

    // Impedance.
    if (p.vgAmpTyp == 0) {
        b.Note_I = transistorImpedanceGrade(res, g, p.vgMinImpedanz);
    } else if (p.vgAmpTyp == 1) {
        tubeImpedanceGrades(res, g, p.vgMinImpedanz, b);
    }

    // Level and efficiency.
    b.avgPegel = averageLevel(res, g, p);
    b.Note_W = efficiencyGrade(res, g, b.avgPegel);

    // Maximum level.
    double minimumLevel = 0.0;
    b.Note_P = maximumLevelGrade(res, g, minimumLevel);
    levelSubGrades(res, g, aktProjekt, minimumLevel, b);

    // Directional responses.
    b.Note_Fh = planeGrade(res, g, p, p.vgfgWeight.horweight, res.fgang_box_h, false);
    b.Note_Fv = planeGrade(res, g, p, p.vgfgWeight.vertweight, res.fgang_box_v, true);
    b.Note_F1 = (b.Note_Fh + b.Note_Fv) * 0.5;

    // Energy response and bass region.
    b.Note_F2 = energyGrade(res, g, p);
    double bassReference = kRatingTiny;
    b.Note_F5 = bassGrade(res, g, p, bassReference);

    // Frequency-response grade.
    constexpr double kResponseShare = 0.7;
    constexpr double kBassShare = 0.35;
    b.Note_F = (p.vgWFgAchse * b.Note_F1 + p.vgWFgEnergie * b.Note_F2) /
               (p.vgWFgAchse + p.vgWFgEnergie + kRatingTiny);
    b.Note_F = kResponseShare * b.Note_F + kBassShare * b.Note_F5;

    // Phase, minimum directivity, working ranges.
    b.Note_Ph = phaseGrade(res, g, bassReference);
    b.Note_BM = minimumDirectivityGrade(res, g, aktProjekt, p.vgMindBM);
    b.Note_AB = workingRangeGrade(res, g, p);

    // Total.
    constexpr double kFShare = 10.0;
    constexpr double kBMShare = 1.5;
    constexpr double kIShare = 4.0;
    constexpr double kLevelShare = 13.0;
    constexpr double kSubShare = 10.0;
    constexpr double kDivisor = 107.0;
    constexpr double kABDivisor = 5.0;
    const double wm = p.vgWMaxPegel;
    b.Note = ((9.0 - 5.0 * wm) * (kFShare * b.Note_F + b.Note_Ph +
                                  kBMShare * b.Note_BM * p.vgMindBM + kIShare * b.Note_I) +
              (5.0 * wm + 1.0) * kLevelShare * b.Note_W + kLevelShare * b.Note_P +
              kSubShare * b.Note_P1 + kSubShare * b.Note_P2) /
                 kDivisor +
             b.Note_AB / kABDivisor;
    if (b.Note_I > 1.0) {
        constexpr double kExcessShare = 0.25;
        b.Note += kExcessShare * (b.Note_I * b.Note_I - 1.0) / (b.Note_I + 4.0);
    }
}

} // namespace sonora
