#include "acoustics/comparison_curves.h"
#include "model/physics.h"

#include <cmath>

namespace sonora {

namespace {

// Damping factors d of the second-order sections, as the filter list has always used them (the
// square root of two is stored slightly above its exact value).
constexpr double kSqrt2 = 1.4142135647461901;
constexpr double kLinkwitzRiley2Damping = 2.0;
constexpr double kBesselDamping = 1.7322016282695306;
constexpr double kButterworth3Damping = 1.0;
// The two sections of a 4th-order Butterworth: 2 sin(pi/8) and 2 cos(pi/8) to about 7 digits,
// as the filter list has always used them (the level at fc is 1.4e-6 dB off -3.0103 dB).
constexpr double kButterworth4DampingA = 0.7653668441552378;
constexpr double kButterworth4DampingB = 1.8477594069431407;

Complex lp2(double d, double x) {
    Complex r;
    CDiv({1.0, 0.0}, {1.0 - x * x, d * x}, r);
    return r;
}

Complex hp2(double d, double x) {
    Complex r;
    CDiv({-x * x, 0.0}, {1.0 - x * x, d * x}, r);
    return r;
}

Complex lp1(double x) {
    Complex r;
    CDiv({1.0, 0.0}, {1.0, x}, r);
    return r;
}

Complex hp1(double x) {
    Complex r;
    CDiv({1.0, 0.0}, {1.0, -1.0 / x}, r);
    return r;
}

Complex product(const Complex& a, const Complex& b) {
    Complex r;
    CMul(a, b, r);
    return r;
}

double levelDb(const Complex& h, double level) {
    double m = CAbs(h);
    if (!(m > kLevelGuard)) { // also NaN from an overflowing x
        m = kLevelGuard;
    }
    return kDecibelFactor * std::log10(m) + level;
}

} // namespace

std::string filterTypeName(FilterType type) {
    switch (type) {
    case FilterType::LinkwitzRiley2:
        return "Linkwitz-Riley 2. Ordnung";
    case FilterType::LinkwitzRiley4:
        return "Linkwitz-Riley 4. Ordnung";
    case FilterType::LinkwitzRiley8:
        return "Linkwitz-Riley 8. Ordnung";
    case FilterType::FirstOrder:
        return "1. Ordnung";
    case FilterType::Butterworth2:
        return "Butterworth 2.  Ordnung";
    case FilterType::Bessel2:
        return "Bessel 2. Ordnung";
    case FilterType::Butterworth3:
        return "Butterworth 3.  Ordnung";
    case FilterType::Butterworth4:
        return "Butterworth 4.  Ordnung";
    }
    return {};
}

FilterPair comparisonFilter(FilterType type, double x) {
    switch (type) {
    case FilterType::LinkwitzRiley2:
        return {lp2(kLinkwitzRiley2Damping, x), hp2(kLinkwitzRiley2Damping, x)};
    case FilterType::LinkwitzRiley4:
        return {product(lp2(kSqrt2, x), lp2(kSqrt2, x)), product(hp2(kSqrt2, x), hp2(kSqrt2, x))};
    case FilterType::LinkwitzRiley8: {
        const Complex lp = product(lp2(kButterworth4DampingA, x), lp2(kButterworth4DampingB, x));
        const Complex hp = product(hp2(kButterworth4DampingA, x), hp2(kButterworth4DampingB, x));
        return {product(lp, lp), product(hp, hp)};
    }
    case FilterType::FirstOrder:
        return {lp1(x), hp1(x)};
    case FilterType::Butterworth2:
        return {lp2(kSqrt2, x), hp2(kSqrt2, x)};
    case FilterType::Bessel2:
        return {lp2(kBesselDamping, x), hp2(kBesselDamping, x)};
    case FilterType::Butterworth3:
        return {product(lp2(kButterworth3Damping, x), lp1(x)),
                product(hp2(kButterworth3Damping, x), hp1(x))};
    case FilterType::Butterworth4:
        return {product(lp2(kButterworth4DampingA, x), lp2(kButterworth4DampingB, x)),
                product(hp2(kButterworth4DampingA, x), hp2(kButterworth4DampingB, x))};
    }
    return {{1.0, 0.0}, {1.0, 0.0}};
}

void clearComparisonCurve(ComparisonCurve& curve) {
    curve = ComparisonCurve{};
}

bool comparisonCurvesByFilter(const double (&freq)[kCurvePoints], double fc, double level,
                              FilterType type, ComparisonCurve& lowCurve,
                              ComparisonCurve& highCurve) {
    clearComparisonCurve(lowCurve);
    clearComparisonCurve(highCurve);
    if (!(fc > 0.0) || !std::isfinite(fc) || !std::isfinite(level)) {
        return false;
    }
    int used = 0;
    // A grid holds at most 256 points, so the 257-point limit only guards against damaged input.
    while (used < kCurvePoints && used < kComparisonPoints && freq[used] > 0.0) {
        const double f = freq[used];
        const FilterPair h = comparisonFilter(type, f / fc);
        lowCurve.points[used] = {f, levelDb(h.lowPass, level)};
        highCurve.points[used] = {f, levelDb(h.highPass, level)};
        ++used;
    }
    lowCurve.count = highCurve.count = used;
    lowCurve.valid = highCurve.valid = true;
    return true;
}

} // namespace sonora
