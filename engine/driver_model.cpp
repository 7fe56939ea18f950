#include "engine/driver_model.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "engine/measurement_baffle.h"
#include "model/frequency_grid.h"
#include "model/physics.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

// 4 pi^2 as the circuit values take it.
constexpr double kFourPiSquared = 39.478417604357434478;
// Rounded pi of the excursion formulas; the rounding is part of the program's results.
constexpr double kExcursionPi = 3.1415926;
constexpr double kMeasuredOnlyPi = 3.14159;

// Sentinels of open, vanishing and infinite circuit elements.
constexpr double kOpen = 1e99;            // an open or infinite element
constexpr double kNoCapacitance = 1e-105; // F
constexpr double kInfiniteL = 1e102;      // H
constexpr double kNoResistance = 1e-99;   // Ohm
constexpr double kAreaGuard = 1e-50;      // m², guards the division by Sd

// Compliance from the equivalent volume: Cmd = kComplianceFactor * vas / Sd² (m/N) with vas in m³
// and Sd in m², i.e. 1 / (rho * c²) with air at 1.18 kg/m³ and 344 m/s (rounded).
constexpr double kComplianceFactor = 7.21e-6;
// Sensitivity at 2.83 V / 1 m: 10 log10(kEfficiencyFactor fs³ vas / qes * 8 / Rdc) + 112 dB.
constexpr double kEfficiencyFactor = 9.64e-7;
constexpr double kReferenceLoad = 8.0; // Ohm: 2.83 V are 1 W into 8 Ohm
// Excursion of a response of magnitude 1: X = kExcursionFactor / (Sd * omega²), m.
constexpr double kExcursionFactor = 21.537;

// Speed of sound, m/s; the air-load fallback frequency is numerically the same.
constexpr double kDefaultFmb = 344.0;

// A value the validation accepts: greater than 0 and finite (NaN and infinity count as missing).
bool positive(double x) {
    return x > 0.0 && std::isfinite(x);
}

bool finite(const Complex& z) {
    return std::isfinite(z.re) && std::isfinite(z.im);
}

// Volume factor 1 + 0.0375 x + 0.00625 x² of a damping mix x.
double volumeFactor(double x) {
    constexpr double kLinear = 0.0375;
    constexpr double kSquare = 0.00625;
    return 1.0 + kLinear * x + kSquare * x * x;
}

// Port quality 20 / (2x + 1)² of a port damping slider position.
double portQuality(double x) {
    constexpr double kScale = 20.0;
    return kScale / (4.0 * x * x + 4.0 * x + 1.0);
}

// Vent quality 80 / (x + 2)² of a volume damping mix.
double ventQuality(double x) {
    constexpr double kScale = 80.0;
    return kScale / (x * x + 4.0 * x + 4.0);
}

// A quality that stands for "no losses".
constexpr double kLossless = 9999.0;

// Impedance of a capacitance C (F) at omega: -j / (omega C).
Complex capacitor(double omega, double c) {
    return Complex{0.0, -1.0 / (omega * c)};
}

// Impedance of an inductance L (H) at omega: j omega L.
Complex inductor(double omega, double l) {
    return Complex{0.0, omega * l};
}

Complex real(double r) {
    return Complex{r, 0.0};
}

std::string latin1(const char* utf8) {
    return utf8ToLatin1(utf8);
}

void clearResponse(DriverResponse& out) {
    for (int i = 0; i < kResultFreqs; ++i) {
        out.Z[i] = out.Pfront[i] = out.Prear[i] = out.X[i] = Complex{0.0, 0.0};
    }
}

// Messages of SimulateDriver (UTF-8 here, Latin-1 when returned).
const char kMsgThieleSmall[] = "fs, Rdc, Qes, Qms, Vas, Sd müssen > 0 sein oder Frequenz-"
                               " und Impedanzgang incl. Phase vollständig aus"
                               " Messdaten entnommen werden. ";
const char kMsgXlin[] = "Linearer Hub muss > 0 sein. ";
const char kMsgVoiceCoil[] = "Le, Re2, Le2, Re3 und Le3 müssen > 0 sein. ";
const char kMsgMounting[] = "fmb, Vb, vV, mb und Ql müssen > 0 sein. ";
const char kMsgVent[] = "Qb und fb müssen > 0 sein. ";
const char kMsgFrontVolume[] = "Vbf muß > 0 sein. ";
const char kMsgFrontVent[] = "Qbf und fbf müssen > 0 sein. ";
const char kMsgFault[] = "Chassis kann nicht berechnet werden.";

// A text of fewer characters than this is a success ("OK" or empty).
constexpr std::size_t kErrorLength = 3;

// The driver is described by measurements alone: all measured curves in use with their phases,
// no blending of the amplitude, and no enclosure to simulate.
bool measuredOnly(const TChassis& c, const TEinbau& e) {
    return c.useFGangA && c.useFGangAP && c.useFGangI && c.useFGangIP && !c.useFGangA2fs &&
           c.fgangaf[0] > 0.0 && c.fgangapf[0] > 0.0 && c.fgangif[0] > 0.0 && c.fgangipf[0] > 0.0 &&
           e.typ == kEinbauIntegriert;
}

std::atomic<const MeasurementBaffle*> gMeasurementBaffle{nullptr};

} // namespace

void DeriveMountingLosses(const TChassis& chassis, TEinbau& e) {
    if (e.mbQExpl) {
        return;
    }
    const double bedv = e.Bedv, bedc = e.Bedc, bedk = e.Bedk, bedvf = e.Bedvf, bedkf = e.Bedkf;
    const bool closedRear = e.typ == kEinbauGeschlossen || e.typ == kEinbauBandpass;
    const bool ventedRear = e.typ == kEinbauBassreflex || e.typ == kEinbauBandpassBiv;
    const bool ventedFront = e.typ == kEinbauBandpass || e.typ == kEinbauBandpassBiv;

    // 1. Volume increase by the damping material of the rear volume.
    if (e.typ == kEinbauIntegriert) {
        e.vV = 1.0;
    } else {
        const double x =
            closedRear ? 0.85 * bedv + 0.15 * bedc : 0.8 * bedv + 0.1 * bedc + 0.1 * bedk;
        e.vV = volumeFactor(x);
    }

    // 2. Air-load mass factor, weighted by how much the air load matters for this membrane.
    if (e.typ == kEinbauIntegriert) {
        e.mb = 1.0;
    } else {
        const double a = 0.3 * bedv + 0.7 * bedc;
        e.mb = 1.0 - 0.01 * a - 0.0075 * a * a;
        if (chassis.Sd > 0.0 && chassis.fs > 0.0 && chassis.vas > 0.0) {
            const double cmd = kComplianceFactor * chassis.vas / (chassis.Sd * chassis.Sd);
            const double omega = kTwoPi * chassis.fs;
            const double mmd = 1.0 / (omega * omega * cmd);
            // Light membranes of large area feel the air load most; kg/m².
            constexpr double kAreaShare = 0.25;
            e.mb = std::pow(e.mb, kAreaShare * chassis.Sd / mmd);
        }
    }

    // 3. Frequency up to which the air load acts, from the membrane size and the box size.
    e.fmb = kDefaultFmb;
    if (e.Vb > 0.0 && chassis.Sd > 0.0) {
        constexpr double kFmbScale = 85.0;       // Hz·m
        constexpr double kBoxLengthScale = 0.35; // relates Vb^(1/3) to a length, 1
        constexpr double kCubeRoot = 0.33333;
        const double v = (3.0 * bedc + 1.0) / (2.0 * bedc + bedv + 5.0);
        e.fmb = kFmbScale / (v * std::sqrt(0.25 * chassis.Sd) +
                             (1.0 - v) * kBoxLengthScale * std::pow(e.Vb, kCubeRoot));
    }

    // 4. Enclosure quality from the damping of the volume and near the driver.
    if (e.typ == kEinbauIntegriert) {
        e.Ql = kLossless;
    } else {
        const double x =
            closedRear ? 0.35 * bedv + 0.65 * bedc : 0.3 * bedv + 0.65 * bedc + 0.05 * bedk;
        constexpr double kQlScale = 240.0;
        constexpr double kQlOffset = 12.0;
        e.Ql = kQlScale / (x * x + 4.0 * x + kQlOffset);
    }

    // 5. Vented enclosure quality.
    e.Qb = ventedRear ? ventQuality(0.8 * bedv + 0.2 * bedc) : kLossless;

    // 6., 7. Front chamber of the bandpass kinds.
    e.vVf = ventedFront ? volumeFactor(0.85 * bedvf + 0.15 * bedkf) : 1.0;
    e.Qbf = ventedFront ? ventQuality(bedvf) : kLossless;

    // 8. Port losses.
    e.Qk = ventedRear ? portQuality(bedk) : kLossless;
    e.Qkf = ventedFront ? portQuality(bedkf) : kLossless;
}

void DeriveDriverValues(TChassis& c, const TEinbau& e, double f) {
    const int typ = e.typ;
    // 1., 2. Air-load factor at f and the compliance ratio of the rear volume.
    c.Vab = c.vas;
    double mbf = 1.0;
    double alpha = 1.0;
    if (typ != kEinbauIntegriert) {
        if (f > 0.0) {
            const double fmb2 = e.fmb * e.fmb;
            mbf = (f * f + e.mb * fmb2) / (f * f + fmb2);
        }
        c.Vab = e.Vb * e.vV;
        alpha = c.Vab <= 0.0 ? kOpen : std::sqrt(c.vas / c.Vab + 1.0);
    }
    // 3.
    if (typ == kEinbauBandpass || typ == kEinbauBandpassBiv) {
        c.Vabf = e.Vbf * e.vVf;
    }
    // 4. Qualities with the air load.
    c.Qesbg = c.qes / mbf;
    c.Qmsbg = c.qms / mbf;
    c.Qts = 0.0;
    c.Qtsbg = 0.0;
    if (c.qes > 0.0 && c.qms > 0.0) {
        c.Qts = c.qes * c.qms / (c.qes + c.qms);
        c.Qtsbg = c.Qesbg * c.Qmsbg / (c.Qesbg + c.Qmsbg);
    }
    // 5. Resonance in the mounting.
    c.fsbg = mbf * c.fs;
    c.fc = alpha * c.fsbg;
    c.Qec = alpha * c.Qesbg;
    // 6.
    if (typ == kEinbauIntegriert) {
        c.Qmc = c.qms;
    } else if (c.Qmsbg > 0.0 && e.Ql > 0.0) {
        c.Qmc = 1.0 / (1.0 / (alpha * c.Qmsbg) + 1.0 / e.Ql);
    } else {
        c.Qmc = 0.0;
    }
    c.Qtc = c.Qmc * c.Qec > 0.0 ? c.Qmc * c.Qec / (c.Qmc + c.Qec) : 0.0;
    // 7. Mechanical values.
    c.Cmd = c.Sd > 0.0 ? kComplianceFactor * c.vas / (c.Sd * c.Sd) : 0.0;
    c.Mmd = c.fs > 0.0 && c.Cmd > 0.0 ? 1.0 / (kFourPiSquared * c.fs * c.fs * c.Cmd) : 0.0;
    c.Rmd = c.qms > 0.0 && c.fs > 0.0 && c.Cmd > 0.0 ? 1.0 / (kTwoPi * c.fs * c.qms * c.Cmd) : 0.0;
    c.Bl = c.fs > 0.0 && c.Cmd > 0.0 && c.qes > 0.0
               ? std::sqrt(c.Rdc / (kTwoPi * c.fs * c.Cmd * c.qes))
               : 0.0;
    // 8. Sensitivity at 2.83 V.
    c.Spl = c.fs > 0.0 && c.vas > 0.0 && c.qes > 0.0 && c.Rdc > 0.0
                ? 10.0 * std::log10(kEfficiencyFactor * c.fs * c.fs * c.fs * c.vas / c.qes *
                                    kReferenceLoad / c.Rdc) +
                      kLevelOfUnity
                : 0.0;
    // 9. Moving system as electrical equivalents: Cms is the mass, Lms the compliance.
    const double omega0 = kTwoPi * c.fsbg;
    c.Rms = c.Qesbg <= 0.0 ? kOpen : c.Rdc * c.Qmsbg / c.Qesbg;
    c.Cms = c.Rdc <= 0.0 || c.fsbg <= 0.0 ? kOpen : c.Qesbg / (omega0 * c.Rdc);
    c.Lms = c.Qesbg <= 0.0 || c.fsbg <= 0.0 ? kOpen : c.Rdc / (omega0 * c.Qesbg);
    // 10. No enclosure elements.
    c.Rbr = c.Rab = c.Rbrf = c.Rabf = kOpen;
    c.Cbr = c.Cbrf = kNoCapacitance;
    c.Lab = c.Labf = kInfiniteL;
    if (typ < kEinbauGeschlossen || typ > kEinbauBandpassBiv) {
        return;
    }
    // 11. Rear volume: its compliance in parallel with the driver's.
    c.Rms = c.Qec <= 0.0 ? 0.0 : c.Rdc * c.Qmc / c.Qec;
    if (c.vas <= 0.0) {
        c.Lab = typ == kEinbauGeschlossen ? 0.0 : kOpen;
    } else {
        c.Lab = c.Vab / c.vas * c.Lms;
    }
    // 12. Vented rear: the vent's air mass (Cbr), its losses (Rbr) and the box leakage (Rab).
    if (typ == kEinbauBassreflex || typ == kEinbauBandpassBiv) {
        c.Cbr = 1.0 / (c.Lab * kFourPiSquared * e.fb * e.fb);
        c.Rbr = kTwoPi * e.fb * e.Qk * c.Lab;
        c.Rab = e.Qb <= 0.0 ? kOpen : kTwoPi * e.fb * c.Lab / e.Qb;
        if (e.fb <= 0.0 || c.Lab <= 0.0) {
            c.Cbr = kNoCapacitance;
            if (typ == kEinbauBassreflex) {
                c.Rbr = kNoResistance;
                c.Rab = e.Qk <= 0.0 ? kOpen : kNoResistance;
            }
        }
    }
    // 13. Vented front chamber.
    if (typ == kEinbauBandpass || typ == kEinbauBandpassBiv) {
        c.Labf = c.vas <= 0.0 ? kOpen : c.Vabf / c.vas * c.Lms;
        c.Cbrf = e.fbf <= 0.0 || c.Labf <= 0.0 ? kNoCapacitance
                                               : 1.0 / (c.Labf * kFourPiSquared * e.fbf * e.fbf);
        c.Rbrf = kTwoPi * e.fbf * e.Qkf * c.Labf;
        c.Rabf = e.Qbf <= 0.0 ? kOpen : kTwoPi * e.fbf * c.Labf / e.Qbf;
    }
}

void deriveAsMounted(TChassis& chassis, TEinbau& einbau) {
    DeriveMountingLosses(chassis, einbau);
    DeriveDriverValues(chassis, einbau, kDeriveAtDc);
}

void recomputeDerivedDriverValues(TProjekt& p) {
    const int nChassis = std::clamp<int>(p.nChassis, 0, kMaxChassis);
    for (int n = 0; n < nChassis; ++n) {
        deriveAsMounted(p.chassis[n], p.einbau[n]);
    }
}

std::string SimulateDriver(TChassis& c, const TEinbau& e, const double* freq, DriverResponse& out) {
    clearResponse(out);
    const int n = gridPointCount(freq);
    const int typ = e.typ;

    // 1. A missing vas from the stated sensitivity.
    if (c.vas <= 0.0 && c._SPL > 0.0 && c.fs > 0.0 && c.qes > 0.0 && c.Rdc > 0.0) {
        c.vas = std::pow(10.0, (c._SPL - kLevelOfUnity) / 10.0) /
                (kEfficiencyFactor * c.fs * c.fs * c.fs) * c.qes / (kReferenceLoad / c.Rdc);
    }

    // 2. to 7. Validation.
    std::string text;
    if (!positive(c.fs) || !positive(c.Rdc) || !positive(c.qes) || !positive(c.qms) ||
        !positive(c.vas) || !positive(c.Sd)) {
        if (measuredOnly(c, e)) {
            for (int i = 0; i < n; ++i) {
                const double f = freq[i];
                out.Z[i] = real(1.0);
                out.Pfront[i] = real(1.0);
                out.X[i] = real(kExcursionFactor / (4.0 * kMeasuredOnlyPi * kMeasuredOnlyPi *
                                                    (c.Sd + kAreaGuard) * f * f));
                if (!std::isfinite(out.X[i].re)) {
                    clearResponse(out);
                    return latin1(kMsgFault);
                }
            }
            return kStatusOk;
        }
        text += latin1(kMsgThieleSmall);
    }
    if (!positive(c.xlin)) {
        text += latin1(kMsgXlin);
    }
    if (!positive(c.Le) || !positive(c.Re2) || !positive(c.Le2) || !positive(c.Re3) ||
        !positive(c.Le3)) {
        text += latin1(kMsgVoiceCoil);
    }
    if (typ != kEinbauIntegriert && (!positive(e.fmb) || !positive(e.Vb) || !positive(e.vV) ||
                                     !positive(e.mb) || !positive(e.Ql))) {
        text += latin1(kMsgMounting);
    }
    if ((typ == kEinbauBassreflex || typ == kEinbauBandpassBiv) &&
        (!positive(e.Qb) || !positive(e.fb))) {
        text += latin1(kMsgVent);
    }
    if (typ == kEinbauBandpass || typ == kEinbauBandpassBiv) {
        if (!positive(e.Vbf)) {
            text += latin1(kMsgFrontVolume);
        }
        if (!positive(e.Qbf) || !positive(e.fbf)) {
            text += latin1(kMsgFrontVent);
        }
    }
    if (text.size() >= kErrorLength) {
        return text;
    }
    if (typ < kEinbauIntegriert || typ > kEinbauBandpassBiv) {
        return latin1(kMsgFault); // no circuit for an unknown mounting kind
    }

    // 8. Evaluation; a non-finite value anywhere is an arithmetic fault.
    for (int i = 0; i < n; ++i) {
        const double f = freq[i];
        const double omega = kTwoPi * f;
        DeriveDriverValues(c, e, f);

        // Voice coil with its two lossy inductances.
        Complex zv = Complex{c.Rdc, omega * c.Le};
        Complex branch;
        CParallel(real(c.Re2), inductor(omega, c.Le2), branch);
        CAdd(zv, branch, zv);
        CParallel(real(c.Re3), inductor(omega, c.Le3), branch);
        CAdd(zv, branch, zv);

        // Vent branches: rear and front.
        Complex zp, zb, kp, zpf, zbf, kpf;
        CParallel(real(c.Rbr), capacitor(omega, c.Cbr), zp);
        CAdd3(zp, real(c.Rab), inductor(omega, c.Lab), zb);
        CDiv(zp, zb, kp);
        CParallel(real(c.Rbrf), capacitor(omega, c.Cbrf), zpf);
        CAdd3(zpf, real(c.Rabf), inductor(omega, c.Labf), zbf);
        CDiv(zpf, zbf, kpf);

        // Moving system with the enclosure's compliance L, and the motional impedance.
        const Complex rms = real(c.Rms), cms = capacitor(omega, c.Cms);
        const Complex lms = inductor(omega, c.Lms);
        Complex zm;
        if (typ == kEinbauIntegriert || typ == kEinbauBandpassBiv) {
            CParallel3(rms, cms, lms, zm);
            if (typ == kEinbauBandpassBiv) {
                CParallel3(zm, zb, zbf, zm);
            }
        } else {
            Complex l;
            if (typ == kEinbauGeschlossen) {
                l = inductor(omega, c.Lab);
            } else if (typ == kEinbauBassreflex) {
                l = zb;
            } else {
                l = zbf;
            }
            Complex rc, ll;
            CParallel(rms, cms, rc);
            CParallel(lms, l, ll);
            CParallel(rc, ll, zm);
            if (typ == kEinbauBandpass) {
                CParallel(zm, inductor(omega, c.Lab), zm);
            }
        }

        Complex z;
        CAdd(zv, zm, z);
        // Diaphragm response: the current through the mass, normalised so that it tends to -1 well
        // above resonance.
        Complex p0;
        CDiv(zm, z, p0);
        CMul(p0, Complex{0.0, -omega * c.Cms * c.Rdc}, p0);

        Complex front = p0, rear{0.0, 0.0};
        if (typ == kEinbauBassreflex || typ == kEinbauBandpassBiv) {
            CMul(p0, kp, rear);
            CScale(rear, -1.0, rear);
        }
        if (typ == kEinbauBandpass || typ == kEinbauBandpassBiv) {
            CMul(p0, kpf, front);
        }
        double x = CAbs(p0) / (4.0 * kExcursionPi * kExcursionPi * f * f);

        // Level at 2.83 V with the air load of this frequency.
        c.Spl = 10.0 * std::log10(kEfficiencyFactor * c.fsbg * c.fsbg * c.fsbg * c.vas / c.Qesbg *
                                  kReferenceLoad / c.Rdc) +
                kLevelOfUnity;
        const double g = std::pow(10.0, (c.Spl - kLevelOfUnity) / 20.0);
        CScale(front, -g, front);
        CScale(rear, -g, rear);
        x = x * g * kExcursionFactor / c.Sd;

        if (!finite(z) || !finite(front) || !finite(rear) || !std::isfinite(x)) {
            clearResponse(out);
            return latin1(kMsgFault);
        }
        out.Z[i] = z;
        out.Pfront[i] = front;
        out.Prear[i] = rear;
        out.X[i] = real(x);
    }
    return kStatusOk;
}

void substituteMeasurementMounting(int fgangWhich, TEinbau& e) {
    // Closed test enclosures: volume (m³), volume factor, air-load factor, fmb (Hz), Ql.
    struct TestBox {
        double vb, vv, mb, fmb, ql;
    };
    constexpr double kInfiniteBaffleVolume = 1e99;
    constexpr double kLosslessBox = 99999.0;
    constexpr TestBox kInfinite{kInfiniteBaffleVolume, 1.0, 1.0, 1.0, kLosslessBox};
    constexpr TestBox kDin{0.2, 1.1, 0.99, 10.0, kLosslessBox};
    constexpr TestBox kTestSmall{0.5, 1.25, 1.0, 400.0, 8.5};
    constexpr TestBox kTestLarge{0.5, 1.25, 1.0, 600.0, 8.5};
    constexpr TestBox kBox370{0.37, 1.1, 0.98, 400.0, 10.0};
    const TestBox* box = nullptr;
    switch (fgangWhich) {
    case 1:
        box = &kInfinite;
        break;
    case 2:
        box = &kDin;
        break;
    case 3:
    case 6:
        box = &kTestSmall;
        break;
    case 4:
    case 7:
        box = &kTestLarge;
        break;
    case 8:
        box = &kBox370;
        break;
    default:
        return; // 5: the box to be simulated itself
    }
    e.typ = kEinbauGeschlossen;
    e.Vb = box->vb;
    e.vV = box->vv;
    e.mb = box->mb;
    e.fmb = box->fmb;
    e.Ql = box->ql;
    e.mbQExpl = true;
}

void substituteMeasurementBaffle(int fgangWhich, TSchallwand& sw) {
    const auto allEdges = [&sw](bool on) { sw.beugl = sw.beugr = sw.beugo = sw.beugu = on; };
    // The test enclosures' baffles are tabulated models selected by these direction values.
    constexpr std::int8_t kTestEnclosureSmall = -2;
    constexpr std::int8_t kTestEnclosureLarge = -3;
    constexpr double kColumnHeightExtra = 0.5; // m between the bevels of the column baffles
    switch (fgangWhich) {
    case 1: // infinite baffle: no edges
        allEdges(false);
        sw.direction = 0;
        break;
    case 2: // DIN baffle, m
        allEdges(true);
        sw.direction = 0;
        sw.swa = 0.766;
        sw.swb = 1.775;
        sw.swc = 0.654;
        sw.swe = sw.swf = sw.swg = 0.01;
        sw.swh = 2.266;
        sw.swi = 0.01;
        break;
    case 3:
        sw.direction = kTestEnclosureSmall;
        break;
    case 4:
        sw.direction = kTestEnclosureLarge;
        break;
    case 6:
    case 7: // narrow and wide column baffles, m
        allEdges(true);
        sw.direction = 0;
        sw.swa = 0.95165;
        sw.swb = fgangWhich == 6 ? 0.255 : 0.52;
        sw.swc = fgangWhich == 6 ? 0.1275 : 0.26;
        sw.swe = sw.swf = 0.0;
        sw.swg = fgangWhich == 6 ? 0.166 : 0.166145;
        sw.swi = 0.67165;
        sw.swh = sw.swi + kColumnHeightExtra + sw.swg;
        break;
    default: // 5 and 8: the baffle as it is
        break;
    }
}

void setMeasurementBaffle(const MeasurementBaffle* model) {
    gMeasurementBaffle.store(model);
}

const MeasurementBaffle* measurementBaffle() {
    const MeasurementBaffle* model = gMeasurementBaffle.load();
    return model != nullptr ? model : &defaultMeasurementBaffle(); // the baffle model itself
}

} // namespace sonora
