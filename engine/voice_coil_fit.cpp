#include "engine/voice_coil_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numeric>

#include "engine/driver_model.h"
#include "model/complex.h"
#include "model/physics.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

// The rounded pi of the start value of Le3; part of the program's results.
constexpr double kStartPi = 3.14159;

constexpr double kMinimumSearchFrom = 1.2; // the minimum is searched from 1.2 fs upward
constexpr double kErrorFrom = 2.0;         // the error counts points above 2 fs
constexpr int kNearMinimumDivisor = 10;    // points within c / 10 of the minimum count twice

constexpr double kStartRe3Factor = 1.2;       // Re3 starts at 1.2 times the excess over Rdc
constexpr double kStartOffset = 1e-6;         // keeps Re3 and Le3 above 0, Ohm and H
constexpr double kStartInductance = 5e-4;     // start of Le and Le2, H
constexpr double kStartInductanceStep = 5e-6; // H
constexpr double kRelativeStep = 0.01;        // the resistance steps start at 1 % of the value

constexpr int kCycles = 10;
constexpr int kMaxPasses = 1501;
constexpr double kStepGrowth = 1.03; // a step that improved grows by 3 %
constexpr double kStepShrink = 0.5;  // after each cycle

constexpr double kMilli = 1000.0; // H -> mH

const char kMsgTooFewPoints[] = "Werte für Re2, Le2, ... können nicht berechnet werden,da zu "
                                "wenige Meßwerte im Impedanzgang.";

Complex inductor(double omega, double l) {
    return Complex{0.0, omega * l};
}

} // namespace

VoiceCoilCurve voiceCoilCurve(const TChassis& chassis) {
    VoiceCoilCurve curve;
    curve.fs = chassis.fs;
    curve.Rdc = chassis.Rdc;
    curve.Rms = chassis.Rms;
    curve.Cms = chassis.Cms;
    curve.Lms = chassis.Lms;

    // `!(f > 0)` also ends the curve at a NaN, which sorting could not order.
    int n = 0;
    while (n < kCurvePoints && chassis.fgangif[n] > 0.0) {
        ++n;
    }
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return chassis.fgangif[a] < chassis.fgangif[b]; });
    curve.f.reserve(order.size());
    curve.z.reserve(order.size());
    for (const int i : order) {
        curve.f.push_back(chassis.fgangif[i]);
        curve.z.push_back(chassis.fgangi[i]);
    }
    return curve;
}

double voiceCoilModelMagnitude(const VoiceCoilCurve& curve, double f, double Le3, double Re3,
                               double Le2, double Re2, double Le) {
    const double omega = kTwoPi * f;
    Complex z{curve.Rdc, omega * Le};
    Complex branch;
    CParallel(Complex{Re3, 0.0}, inductor(omega, Le3), branch);
    CAdd(z, branch, z);
    CParallel(Complex{Re2, 0.0}, inductor(omega, Le2), branch);
    CAdd(z, branch, z);
    CParallel3(Complex{curve.Rms, 0.0}, Complex{0.0, -1.0 / (omega * curve.Cms)},
               inductor(omega, curve.Lms), branch);
    CAdd(z, branch, z);
    return CAbs(z);
}

double VoiceCoilError(const VoiceCoilCurve& curve, int m, int n, double Le3, double Re3, double Le2,
                      double Re2, double Le) {
    const int count = std::clamp(n, 0, static_cast<int>(curve.f.size()));
    const double fFrom = kErrorFrom * curve.fs;
    int c = 0;
    for (int j = 0; j < count; ++j) {
        if (curve.f[j] > fFrom) {
            ++c;
        }
    }
    double error = 0.0;
    for (int j = 0; j < count; ++j) {
        if (!(curve.f[j] > fFrom)) {
            continue;
        }
        const double d =
            curve.z[j] - voiceCoilModelMagnitude(curve, curve.f[j], Le3, Re3, Le2, Re2, Le);
        const double weight = kNearMinimumDivisor * std::abs(j - m) < c ? 2.0 : 1.0;
        error += weight * d * d;
    }
    return error;
}

int voiceCoilMinimumIndex(const VoiceCoilCurve& curve) {
    const int n = static_cast<int>(curve.f.size());
    int i0 = 0;
    while (i0 < n && !(curve.f[i0] >= kMinimumSearchFrom * curve.fs)) {
        ++i0;
    }
    if (i0 + kMinFitPoints - 1 >= n) {
        return -1;
    }
    int m = i0;
    for (int j = i0 + 1; j < n; ++j) {
        if (curve.z[j] < curve.z[m]) {
            m = j;
        }
    }
    return m;
}

VoiceCoilValues voiceCoilStartValues(const VoiceCoilCurve& curve, int m) {
    const auto i = static_cast<std::size_t>(m);
    double re3 = (curve.z[i] - curve.Rdc) * kStartRe3Factor + kStartOffset;
    if (!(re3 > 0.0)) {
        re3 = kStartOffset;
    }
    const double le3 = re3 / (2.0 * kStartPi * curve.f[i]) + kStartOffset;
    return {kStartInductance, curve.Rdc, kStartInductance, re3, le3};
}

bool FitVoiceCoil(TChassis& chassis, std::string& message) {
    message.clear();
    const VoiceCoilCurve curve = voiceCoilCurve(chassis);
    const int n = static_cast<int>(curve.f.size());

    // 2., 3. The points from 1.2 fs upward decide the minimum.
    const int m = voiceCoilMinimumIndex(curve);
    if (m < 0) {
        message = utf8ToLatin1(kMsgTooFewPoints);
        return false;
    }

    // 4. Start values and steps, in the search order Le, Re2, Le2, Re3, Le3.
    const VoiceCoilValues start = voiceCoilStartValues(curve, m);
    enum { kLe, kRe2, kLe2, kRe3, kLe3, kParameters };
    double value[kParameters] = {start.Le, start.Re2, start.Le2, start.Re3, start.Le3};
    double step[kParameters];
    step[kLe] = kStartInductanceStep;
    step[kRe2] = start.Re2 * kRelativeStep;
    step[kLe2] = kStartInductanceStep;
    step[kRe3] = std::abs(start.Re3) * kRelativeStep;
    step[kLe3] = std::abs(start.Le3) * kRelativeStep;

    auto errorOf = [&](const double* v) {
        return VoiceCoilError(curve, m, n, v[kLe3], v[kRe3], v[kLe2], v[kRe2], v[kLe]);
    };
    double e = errorOf(value);

    // 5. Coordinate search: a step that improves is taken and grows; each cycle halves the steps.
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        for (int pass = 0; pass < kMaxPasses; ++pass) {
            bool improved = false;
            for (int p = 0; p < kParameters; ++p) {
                double trial[kParameters];
                std::copy(std::begin(value), std::end(value), trial);
                trial[p] = value[p] + step[p];
                double et = errorOf(trial);
                if (et < e) {
                    value[p] = trial[p];
                    e = et;
                    step[p] *= kStepGrowth;
                    improved = true;
                }
                if (value[p] > step[p]) {
                    std::copy(std::begin(value), std::end(value), trial);
                    trial[p] = value[p] - step[p];
                    et = errorOf(trial);
                    if (et < e) {
                        value[p] = trial[p];
                        e = et;
                        step[p] *= kStepGrowth;
                        improved = true;
                    }
                }
            }
            if (!improved) {
                break;
            }
        }
        for (double& s : step) {
            s *= kStepShrink;
        }
    }

    // 6.
    chassis.Le = value[kLe];
    chassis.Re2 = value[kRe2];
    chassis.Le2 = value[kLe2];
    chassis.Re3 = value[kRe3];
    chassis.Le3 = value[kLe3];
    return true;
}

bool FitVoiceCoil(TChassis& chassis) {
    std::string message;
    return FitVoiceCoil(chassis, message);
}

std::string voiceCoilResultText(const TChassis& fitted) {
    auto number = [](double x) { return compactNumberText(kFileNumberWidth, x); };
    std::string text = "Es wurde errechnet:\r\n";
    text += "Le  = " + number(fitted.Le * kMilli) + " mH\r\n";
    text += "Re2 = " + number(fitted.Re2) + " Ohm\r\n";
    text += "Le2 = " + number(fitted.Le2 * kMilli) + " mH\r\n";
    text += "Re3 = " + number(fitted.Re3) + " Ohm\r\n";
    text += "Le3 = " + number(fitted.Le3 * kMilli) + " mH\r\n";
    text += utf8ToLatin1("Sollen die Werte übernommen werden?");
    return text;
}

namespace {

// A copy of `chassis` with the motional values Rms, Cms and Lms of the bare driver (mounting kind
// 0, as an impedance is measured), which the fit holds fixed.
std::unique_ptr<TChassis> bareDriver(const TChassis& chassis) {
    auto bare = std::make_unique<TChassis>(chassis);
    TEinbau mounting = defaultEinbau();
    mounting.typ = kEinbauIntegriert;
    deriveAsMounted(*bare, mounting);
    return bare;
}

void copyVoiceCoilValues(const TChassis& from, TChassis& to) {
    to.Le = from.Le;
    to.Re2 = from.Re2;
    to.Le2 = from.Le2;
    to.Re3 = from.Re3;
    to.Le3 = from.Le3;
}

} // namespace

bool offerVoiceCoilFit(TChassis& chassis, UserPrompt& prompt) {
    constexpr int kYes = 1;
    constexpr int kNo = 2;
    auto fitted = bareDriver(chassis);
    std::string message;
    if (!FitVoiceCoil(*fitted, message)) {
        prompt.showMessage(message);
        return false;
    }
    if (prompt.choose(voiceCoilResultText(*fitted), " &Ja |&Nein", kNo) != kYes) {
        return false;
    }
    copyVoiceCoilValues(*fitted, chassis);
    return true;
}

bool fitVoiceCoilOfOldFile(TChassis& chassis) {
    // Without these the motional values are not defined; the fit would only produce noise.
    if (!(chassis.Rdc > 0.0) || !(chassis.qes > 0.0) || !(chassis.qms > 0.0) ||
        !(chassis.fs > 0.0)) {
        return false;
    }
    auto fitted = bareDriver(chassis);
    chassis.Rms = fitted->Rms;
    chassis.Cms = fitted->Cms;
    chassis.Lms = fitted->Lms;
    if (!FitVoiceCoil(*fitted)) {
        return false;
    }
    copyVoiceCoilValues(*fitted, chassis);
    return true;
}

} // namespace sonora
