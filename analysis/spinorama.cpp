#include "analysis/spinorama.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/physics.h"

namespace sonora {

namespace {

// Plane layout (fgang_box_h, fgang_box_v, filled by the box stage): index n stands for the angle
// n − 180° in 1° steps, 180 is the axis. In the horizontal plane n > 180 lies to the right as the
// listener sees it, in the vertical plane n > 180 lies upwards (θ > 0); 0 and 360 are both
// straight back. The spinorama's angle lists below use these signs: V −20° is towards the floor.
constexpr int kAxis = 180;
constexpr int kBack = 360; // +180°; the same direction as index 0

constexpr double kEnergyGuard = 1e-100; // (1e-50)², the guard of the charts' levels, squared

// In-room response: the shares of listening window, early reflections and sound power.
constexpr double kInRoomLw = 0.12;
constexpr double kInRoomEr = 0.44;
constexpr double kInRoomSp = 0.44;

enum Plane { H, V };
struct Point {
    Plane plane;
    int angle; // degrees, signs as above
};

constexpr Point kListeningWindow[] = {{H, 0},  {V, 10},  {V, -10}, {H, 10}, {H, -10},
                                      {H, 20}, {H, -20}, {H, 30},  {H, -30}};
constexpr Point kFloor[] = {{V, -20}, {V, -30}, {V, -40}};
constexpr Point kCeiling[] = {{V, 40}, {V, 50}, {V, 60}};
constexpr Point kFrontWall[] = {{H, 0}, {H, 10}, {H, -10}, {H, 20}, {H, -20}, {H, 30}, {H, -30}};
constexpr Point kSideWalls[] = {{H, 40},  {H, -40}, {H, 50},  {H, -50}, {H, 60},
                                {H, -60}, {H, 70},  {H, -70}, {H, 80},  {H, -80}};
constexpr Point kRearWall[] = {{H, 90}, {H, -90}, {H, 180}};

double energy(const Complex* horizontal, const Complex* vertical, Point p) {
    const int n = p.angle == 180 ? kBack : kAxis + p.angle;
    const Complex& c = p.plane == H ? horizontal[n] : vertical[n];
    return c.re * c.re + c.im * c.im;
}

template <std::size_t N>
double mean(const Complex* horizontal, const Complex* vertical, const Point (&points)[N]) {
    double sum = 0;
    for (const Point& p : points) {
        sum += energy(horizontal, vertical, p);
    }
    return sum / N;
}

double level(double e) {
    return 10.0 * std::log10(e + kEnergyGuard) + kLevelOfUnity;
}

// The sound-power weights per whole 10° step from the axis, 0° … 90°, and their use count: the
// 70 points are the horizontal plane every 10° all around and the vertical plane every 10°
// without its 0° and 180° (which the horizontal plane already has).
struct PowerWeights {
    double w[10];
    double total;
};

PowerWeights makePowerWeights() {
    PowerWeights pw{};
    for (int k = 0; k <= 9; ++k) {
        pw.w[k] = soundPowerWeight(10 * k);
    }
    for (int a = -170; a <= 180; a += 10) {
        const int folded = std::abs(a) > 90 ? 180 - std::abs(a) : std::abs(a);
        pw.total += pw.w[folded / 10]; // horizontal
        if (a != 0 && a != 180) {
            pw.total += pw.w[folded / 10]; // vertical
        }
    }
    return pw;
}

const PowerWeights& powerWeights() {
    static const PowerWeights pw = makePowerWeights();
    return pw;
}

double soundPowerEnergy(const Complex* horizontal, const Complex* vertical) {
    const PowerWeights& pw = powerWeights();
    double sum = 0;
    for (int a = -170; a <= 180; a += 10) {
        const int folded = std::abs(a) > 90 ? 180 - std::abs(a) : std::abs(a);
        const double w = pw.w[folded / 10];
        sum += w * energy(horizontal, vertical, {H, a});
        if (a != 0 && a != 180) {
            sum += w * energy(horizontal, vertical, {V, a});
        }
    }
    return sum / pw.total;
}

} // namespace

const char* spinCurveCaption(SpinCurve curve) {
    switch (curve) {
    case SpinCurve::OnAxis:
        return "Achse";
    case SpinCurve::ListeningWindow:
        return "H\xF6rfenster";
    case SpinCurve::EarlyReflections:
        return "Fr\xFChe Reflexionen";
    case SpinCurve::SoundPower:
        return "Schallleistung";
    case SpinCurve::InRoom:
        return "Vorhergesagte Raumantwort";
    case SpinCurve::EarlyDi:
        return "DI fr\xFChe Reflexionen";
    case SpinCurve::SoundPowerDi:
        return "DI Schallleistung";
    case SpinCurve::Floor:
        return "Boden";
    case SpinCurve::Ceiling:
        return "Decke";
    case SpinCurve::FrontWall:
        return "Vorderwand";
    case SpinCurve::SideWalls:
        return "Seitenw\xE4nde";
    case SpinCurve::RearWall:
        return "R\xFC"
               "ckwand";
    }
    return "";
}

bool spinCurveIsDi(SpinCurve curve) {
    return curve == SpinCurve::EarlyDi || curve == SpinCurve::SoundPowerDi;
}

// The spherical rectangle. With the axis along z, x to the right and y upwards, the great circle
// "horizontal angle = x" is the plane through the y axis with normal n1 = (cos x, 0, −sin x), and
// "vertical angle = x" the plane through the x axis with normal n2 = (0, cos x, −sin x). The four
// circles at ±x bound a spherical quadrilateral with four equal corner angles α. The angle
// between the two planes at a corner is the angle between their normals (or its supplement):
// cos = n1·n2 = sin²x, and inside the region the corner angle is the obtuse one, α = π −
// arccos(sin²x) (for small x the region is a flat square with right-angled corners: α → π/2;
// at x = 90° the four sides fall onto the baffle plane's great circle: α → π). By Girard's
// theorem the area of a spherical polygon with k corners is the sum of its angles minus (k − 2)π:
//   Q(x) = 4α − 2π = 2π − 4·arccos(sin²x) = 4·arcsin(sin²x).
// Checks: Q(45°) = 4·arcsin(1/2) = 2π/3, one face of a cube seen from its centre; Q(90°) = 2π,
// the front half of the sphere. The test compares it with a numerical surface integral.
double spinSquareArea(double x) {
    const double s = std::sin(x);
    return 4.0 * std::asin(std::min(1.0, s * s));
}

// w(0°) = Q(5°); w(a) = Q(a + 5°) − Q(a − 5°) for a = 10° … 80°; w(90°) = 2·(Q(90°) − Q(85°)),
// the band on both sides of the baffle plane. A point beyond 90° is folded to 180° − a.
double soundPowerWeight(int degrees) {
    if (degrees < 0 || degrees > 180 || degrees % 10 != 0) {
        return 0;
    }
    const int a = degrees > 90 ? 180 - degrees : degrees;
    if (a == 0) {
        return spinSquareArea(5 * kRadiansPerDegree);
    }
    if (a == 90) {
        return 2.0 *
               (spinSquareArea(90 * kRadiansPerDegree) - spinSquareArea(85 * kRadiansPerDegree));
    }
    return spinSquareArea((a + 5) * kRadiansPerDegree) -
           spinSquareArea((a - 5) * kRadiansPerDegree);
}

SpinLevels spinLevelsAt(const Complex* horizontal, const Complex* vertical) {
    const double onAxis = energy(horizontal, vertical, {H, 0});
    const double lw = mean(horizontal, vertical, kListeningWindow);
    double groups[kSpinGroups] = {
        mean(horizontal, vertical, kFloor), mean(horizontal, vertical, kCeiling),
        mean(horizontal, vertical, kFrontWall), mean(horizontal, vertical, kSideWalls),
        mean(horizontal, vertical, kRearWall)};
    double er = 0;
    for (const double g : groups) {
        er += g;
    }
    er /= kSpinGroups;
    const double sp = soundPowerEnergy(horizontal, vertical);
    const double pir = kInRoomLw * lw + kInRoomEr * er + kInRoomSp * sp;

    SpinLevels out{};
    auto set = [&out](SpinCurve c, double v) { out.level[static_cast<int>(c)] = v; };
    set(SpinCurve::OnAxis, level(onAxis));
    set(SpinCurve::ListeningWindow, level(lw));
    set(SpinCurve::EarlyReflections, level(er));
    set(SpinCurve::SoundPower, level(sp));
    set(SpinCurve::InRoom, level(pir));
    set(SpinCurve::EarlyDi, level(lw) - level(er));
    set(SpinCurve::SoundPowerDi, level(lw) - level(sp));
    for (int g = 0; g < kSpinGroups; ++g) {
        out.level[kSpinFirstGroup + g] = level(groups[g]);
    }
    return out;
}

void computeSpinorama(const double* freq, int nfreq, const Complex (*horizontal)[kPlaneAngles],
                      const Complex (*vertical)[kPlaneAngles], Spinorama& out) {
    const int n = std::clamp(nfreq, 0, kResultFreqs - 1);
    out = Spinorama{};
    out.nfreq = n;
    for (int i = 0; i < n; ++i) {
        out.freq[i] = freq[i];
        const SpinLevels s = spinLevelsAt(horizontal[i], vertical[i]);
        for (int c = 0; c < kSpinCurves; ++c) {
            out.curve[c][i] = s.level[c];
        }
    }
    auto curve = [&out](SpinCurve c) { return out.curve[static_cast<int>(c)]; };
    out.rating =
        ratePreference(out.freq, n, curve(SpinCurve::OnAxis), curve(SpinCurve::ListeningWindow),
                       curve(SpinCurve::SoundPower), curve(SpinCurve::InRoom));
}

void computeSpinorama(const TResult& result, Spinorama& out) {
    computeSpinorama(result.freq, result.nfreq, result.fgang_box_h, result.fgang_box_v, out);
}

} // namespace sonora
