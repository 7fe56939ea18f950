#include "acoustics/box_calc_port.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "acoustics/box_calc_text.h"
#include "model/physics.h"
#include "model/units.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

constexpr double kCentimetre = 0.01; // m
constexpr double kLitre = 0.001;     // m³
constexpr double kCentimetresPerMetre = 100;

constexpr int kVolumeDigits = 6;
constexpr int kResultDigits = 5;

constexpr int kMaxDamping = 4; // slider positions 0 .. 4
constexpr int kMaxTubes = 4;
// Acoustic volume of a damped box: Vg·(1 + 0.0375·x + 0.00625·x²) for slider position x.
constexpr double kDampingLinear = 0.0375;
constexpr double kDampingSquare = 0.00625;

// 344²/(2π)²: sqrt(K·S/(L·V)) is the Helmholtz frequency of a port of area S, length L, volume V.
constexpr double kHelmholtzK = 2997.485896874921;
// Kinematic viscosity of air, m²/s: dynamic viscosity 1.71e-5 Pa·s over density 1.2 kg/m³.
constexpr double kKinematicViscosity = 0.0000171 / 1.2;

// End corrections as multiples of S/U (half the radius of a round tube): outer, flanged end 1.7,
// inner end 1.228; the gap behind a round tube acts as a port of length 0.85·4·g.
constexpr double kOuterEndFactor = 1.7;
constexpr double kInnerEndFactor = 1.228;
constexpr double kGapLengthFactor = 0.85 * 4;
// The inner correction grows by half of what a too close opposite wall (g < h) covers of it.
constexpr double kCloseWallGrowth = 0.5;
// The mean wall distance W lowers the tuning like an added delay of 1.5·W/c.
constexpr double kWallDelayFactor = 1.5;

// Port velocity limit: 7.0710678 m/s rms for a hydraulic diameter of 6 cm at 32 Hz, growing with
// the square roots of both.
constexpr double kVmaxReference = 7.0710678; // m/s
constexpr double kVmaxDiameter = 0.06;       // m
constexpr double kVmaxFrequency = 32;        // Hz
// Half-space level of the volume velocity 2π·fb·vmax·S: 20·log10(0.18744·...) + 93.98 dB.
constexpr double kSplFactor = 0.18744;
constexpr double kSplOffset = 93.98;   // dB
constexpr double kHydraulicFactor = 4; // dh = 4·S/U

struct Failure {
    const char* article; // "der" or "die"
    const char* first;
    const char* second; // nullptr for one line
};

constexpr Failure kDuctTooLarge{"der", "Kanal größer ist als das angegebene Volumen incl. Kanal.",
                                nullptr};
constexpr Failure kNoArea{"der", "Kanal keine gültige Querschnittsfläche hat.", nullptr};
constexpr Failure kTubeTooClose{"der", "Abstand des Rohrs zur Rückwand zu klein ist.", nullptr};
constexpr Failure kPortTooClose{"der", "Abstand des Kanals zur Rückwand zu klein ist.", nullptr};
constexpr Failure kNoGeometry{"die", "Maße des Kanals geometrisch nicht sinnvoll erscheinen.",
                              nullptr};
constexpr Failure kNegativeWall{"der", "Abstand des Kanals zu einer Wand (Maße i, j, k, f) nicht",
                                "kleiner als 0 sein kann."};
constexpr Failure kNoWall{"der", "Abstand des Kanals zu mindestens einer Wand ",
                          "(Maße i, j, k, f) größer als 0 sein muss."};

void addFailure(ResultLines& lines, const Failure& failure) {
    lines.text(std::string("Sonora kann die Abstimmung nicht berechnen, da ") + failure.article);
    lines.text(failure.first);
    if (failure.second != nullptr) {
        lines.text(failure.second);
    }
}

// The share by which a wall closer than h0 covers the port's edge: (1 − dist/h0)².
double coveredShare(double distance, double h0) {
    const double free = 1 - distance / h0;
    return free * free;
}

// The page's values in metres and cubic metres, hostile values read as 0.
struct PortGeometry {
    bool circular;
    double volume, c, e, d, l, g, f, k, i, j;
    int tubes;
    int damping;
};

PortGeometry geometryOf(const PortInput& in) {
    PortGeometry p{};
    p.circular = in.shape == PortShape::Circular;
    if (in.volumeMode == PortVolumeMode::Explicit) {
        p.volume = finiteOrZero(in.volume) * kLitre;
    } else {
        const double b = finiteOrZero(in.b) * kCentimetre;
        const double h = finiteOrZero(in.h) * kCentimetre;
        const double t = finiteOrZero(in.t) * kCentimetre;
        // Two negative sizes would multiply to a positive volume; a box needs three positive ones.
        p.volume = b > 0 && h > 0 && t > 0 ? b * h * t : 0;
    }
    p.c = finiteOrZero(in.c) * kCentimetre;
    p.e = finiteOrZero(in.e) * kCentimetre;
    p.d = finiteOrZero(in.d) * kCentimetre;
    p.l = finiteOrZero(in.l) * kCentimetre;
    p.g = finiteOrZero(in.g) * kCentimetre;
    p.f = finiteOrZero(in.f) * kCentimetre;
    p.k = finiteOrZero(in.k) * kCentimetre;
    p.i = finiteOrZero(in.i) * kCentimetre;
    p.j = finiteOrZero(in.j) * kCentimetre;
    p.tubes = std::clamp(in.tubes, 1, kMaxTubes);
    p.damping = std::clamp(in.damping, 0, kMaxDamping);
    return p;
}

// Area, circumference and duct volume; the volumes of the box.
void measure(const PortGeometry& p, PortTuning& r) {
    r.volume = p.volume;
    if (p.circular) {
        const double tubeArea = std::numbers::pi * p.d * p.d / 4;
        r.area = p.tubes * tubeArea;
        r.circumference = p.tubes * std::numbers::pi * p.d;
        r.ductVolume = tubeArea * p.l; // one tube, whatever the count
    } else {
        r.area = p.c * p.e;
        r.circumference = 2 * (p.c + p.e);
        r.ductVolume = p.c * p.e * p.l;
    }
    r.geometricVolume = p.volume - r.ductVolume / 2;
    const double x = p.damping;
    r.acousticVolume = r.geometricVolume * (1 + kDampingLinear * x + kDampingSquare * x * x);
}

// Adds a line per failed check; true when all passed.
bool check(const PortGeometry& p, const PortTuning& r, ResultLines& lines) {
    bool ok = true;
    const auto fail = [&](const Failure& failure) {
        addFailure(lines, failure);
        ok = false;
    };
    if (r.ductVolume > p.volume) {
        fail(kDuctTooLarge);
    }
    // A negative length is no port either; it is reported like a port of no sensible shape.
    bool geometryReported = false;
    if (p.circular) {
        if (p.d <= 0) {
            fail(kNoArea);
        }
        if (p.d / 3 > p.g) {
            fail(kTubeTooClose);
        }
    } else {
        if (p.g * r.circumference < r.area) {
            fail(kPortTooClose);
        }
        // A negative height and width give a positive area and would pass S·U > 0.
        if (r.area * r.circumference <= 0 || p.c <= 0 || p.e <= 0) {
            fail(kNoGeometry);
            geometryReported = true;
        }
    }
    if (p.l < 0 && !geometryReported) {
        fail(kNoGeometry);
    }
    if (p.i < 0 || p.j < 0 || p.k < 0 || p.f < 0) {
        fail(kNegativeWall);
    }
    if (p.i + p.j + p.k + p.f <= 0) {
        fail(kNoWall);
    }
    return ok;
}

// Inner end correction h, m: walls closer than h0 cover part of the port's free edge.
double innerEndCorrection(const PortGeometry& p, const PortTuning& r) {
    const double h0 = kInnerEndFactor * r.area / r.circumference;
    double freeEdge = r.circumference;
    const auto cover = [&](double distance, double edge) {
        if (distance < h0) {
            freeEdge -= coveredShare(distance, h0) * edge;
        }
    };
    if (p.circular) {
        for (double distance : {p.f, p.k, p.i, p.j}) {
            cover(distance, p.d / 2);
        }
    } else {
        cover(p.f, p.e);
        cover(p.k, p.e);
        cover(p.i, p.c);
        cover(p.j, p.c);
    }
    double h = kInnerEndFactor * r.area / freeEdge;
    if (!p.circular && p.g < h) {
        h *= 1 + kCloseWallGrowth * (h - p.g) / h;
    }
    return h;
}

void tune(const PortGeometry& p, PortTuning& r) {
    const double S = r.area;
    const double U = r.circumference;
    const double Va = r.acousticVolume;
    r.innerEndCorrection = innerEndCorrection(p, r);
    r.fb1 =
        std::sqrt(kHelmholtzK * S / ((kOuterEndFactor * S / U + p.l + r.innerEndCorrection) * Va));
    if (p.circular) {
        const double fb2 = std::sqrt(kHelmholtzK * p.g * U / (kGapLengthFactor * p.g * Va));
        const double fbc = 1 / std::sqrt(1 / (r.fb1 * r.fb1) + 1 / (fb2 * fb2));
        const double share = p.g / p.d;
        r.fbPort = p.g < p.d ? (1 - share) * fbc + share * r.fb1 : r.fb1;
        r.meanWallDistance =
            (p.i * p.i + p.j * p.j + p.f * p.f + p.k * p.k) / (p.i + p.j + p.f + p.k);
    } else {
        r.fbPort = r.fb1;
        r.meanWallDistance = (p.i * p.i + p.j * p.j + p.f * p.f + p.k * p.k + p.g * p.g) /
                             (p.i + p.j + p.f + p.k + p.g);
    }
    r.fb = 1 / (kWallDelayFactor * r.meanWallDistance / kSpeedOfSound + 1 / r.fbPort);
    const double dh = kHydraulicFactor * S / U;
    r.vmax = kVmaxReference * std::sqrt(dh / kVmaxDiameter) * std::sqrt(r.fb / kVmaxFrequency);
    r.reynolds = r.vmax * dh / kKinematicViscosity;
    const double omega = 2 * std::numbers::pi * r.fb;
    r.xmax = r.vmax / omega;
    r.splMax = kDecibelFactor * std::log10(kSplFactor * omega * r.vmax * S) + kSplOffset;
}

using Field = CalcField<PortInput>;
using Kind = CalcFieldKind;

constexpr std::array<std::string_view, 2> kVolumeModes = {"explizit", "bxhxt"};
constexpr std::array<std::string_view, 2> kShapes = {"rechteckig", "rund"};

// A slider or count field: the number read, rounded (the page clamps it to its range).
bool setWhole(int& field, std::string_view text) {
    constexpr double kLimit = 1000; // far beyond every range, keeps the conversion defined
    double value = 0;
    if (!readEntryNumber(text, value)) {
        return false;
    }
    field = static_cast<int>(std::lround(std::clamp(value, -kLimit, kLimit)));
    return true;
}

const std::array<Field, 17> kFields = {{
    {"volmode", "Gehäusevolumen: explizit / über BxHxT", Kind::Choice,
     [](PortInput& in, std::string_view t) {
         int index = 0;
         if (!readEntryChoice(t, kVolumeModes, index)) {
             return false;
         }
         in.volumeMode = index == 0 ? PortVolumeMode::Explicit : PortVolumeMode::Dimensions;
         return true;
     }},
    {"v", "Gehäusevolumen incl. Kanal [Liter]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.volume); }},
    {"b", "Breite B [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.b); }},
    {"h", "Höhe H [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.h); }},
    {"t", "Tiefe T [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.t); }},
    {"damping", "Bedämpfung", Kind::Number, // 0 keine Wolle .. 4 stark gestopft
     [](PortInput& in, std::string_view t) { return setWhole(in.damping, t); }},
    {"shape", "Form: rechteckig / rund", Kind::Choice,
     [](PortInput& in, std::string_view t) {
         int index = 0;
         if (!readEntryChoice(t, kShapes, index)) {
             return false;
         }
         in.shape = index == 0 ? PortShape::Rectangular : PortShape::Circular;
         return true;
     }},
    {"c", "Höhe des Kanals (Maß c) [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.c); }},
    {"e", "Breite des Kanals (Maß e) [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.e); }},
    {"d", "Durchmesser des Kanals / der Kanäle [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.d); }},
    {"tubes", "Anzahl Kanäle ", Kind::Number, // 1 .. 4
     [](PortInput& in, std::string_view t) { return setWhole(in.tubes, t); }},
    {"l", "Länge des Kanals (Maß l) [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.l); }},
    {"g", "Abstand zur gegenüberliegenden Wand (Maß g) [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.g); }},
    {"f", "Abstand zum Boden (Maß f) [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.f); }},
    {"k", "Abstand zur Decke (Maß k) [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.k); }},
    {"i", "Abstand zur linken Wand (Maß i) [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.i); }},
    {"j", "Abstand zur rechten Wand (Maß j) [cm]", Kind::Number,
     [](PortInput& in, std::string_view t) { return readEntryNumber(t, in.j); }},
}};

} // namespace

PortResult calcPort(const PortInput& input) {
    PortResult result;
    const PortGeometry p = geometryOf(input);
    if (!(p.volume > 0)) {
        return result; // nothing is shown without a volume
    }
    PortTuning& r = result.tuning;
    measure(p, r);
    ResultLines lines;
    lines.number("Nettovolumen ohne Kanal: ", kVolumeDigits,
                 (p.volume - r.ductVolume) * kLitresPerCubicMetre, " Liter");
    lines.number("Nettovolumen incl. Kanal: ", kVolumeDigits, p.volume * kLitresPerCubicMetre,
                 " Liter");
    lines.number("Errechnetes geometrisches Volumen: ", kVolumeDigits,
                 r.geometricVolume * kLitresPerCubicMetre,
                 " Liter (incl. anteiligem Kanalvolumen)");
    lines.number("Errechnetes akustisches Volumen: ", kVolumeDigits,
                 r.acousticVolume * kLitresPerCubicMetre, " Liter");
    if (lines.overflowed() || !check(p, r, lines)) {
        result.lines = lines.finish();
        return result;
    }
    tune(p, r);
    const std::string fbText = lines.numberText(kResultDigits, r.fb);
    const std::string splText = lines.numberText(kResultDigits, r.splMax);
    const std::string reynoldsText = lines.integerText(r.reynolds);
    const std::string vmaxText = lines.numberText(kResultDigits, r.vmax);
    const std::string xmaxText = lines.numberText(kResultDigits, r.xmax * kCentimetresPerMetre);
    if (!lines.overflowed()) {
        lines.latin1(utf8ToLatin1(p.circular ? "Abstimmfrequenz fb = " : "fb = ") + fbText + " Hz");
        lines.latin1("SPLmax = " + splText + " dB (Halbraum, Reynolds = " + reynoldsText + ")");
        lines.latin1("vmax = " + vmaxText + " m/s (Effektivwert)");
        lines.latin1("xmax = " + xmaxText + " cm (Effektivwert)");
        r.tuned = true;
    }
    result.lines = lines.finish();
    return result;
}

std::span<const CalcField<PortInput>> portFields() {
    return kFields;
}

bool setPortField(PortInput& input, std::string_view name, std::string_view text) {
    return setCalcField(portFields(), input, name, text) == SetFieldResult::kOk;
}

} // namespace sonora
