// The driver stage: each driver in its enclosure, with measured corrections.
#include <cmath>
#include <exception>
#include <memory>
#include <string>

#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "engine/stages.h"
#include "model/frequency_grid.h"
#include "model/interpolate.h"
#include "model/physics.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

constexpr double kPhasePi = 3.14159; // rounded pi of the acoustic-centre delay
// A text of fewer characters is a success ("OK" or empty); combined driver and baffle texts of
// fewer characters are two successes.
constexpr std::size_t kErrorLength = 3;
constexpr std::size_t kCombinedOkLength = 5;
// Blending of the measured amplitude with useFGangA2fs: none below fc, full from 3 fc.
constexpr double kBlendEnd = 3.0;
// Measured impedance replaces the simulated one of an enclosure only above 3 fc, where the box
// no longer shapes it.
constexpr double kImpedanceFromFc = 3.0;

const char kMsgFault[] = "Chassis kann nicht berechnet werden.";

bool finite(const Complex& z) {
    return std::isfinite(z.re) && std::isfinite(z.im);
}

// Weight of the measured correction at f with useFGangA2fs: 0 below fc, rising linearly to 1 at
// 3 fc (one half at 2 fc).
double blendWeight(double f, double fc) {
    if (f < fc) {
        return 0.0;
    }
    if (f < kBlendEnd * fc) {
        return 0.5 * f / fc - 0.5;
    }
    return 1.0;
}

// What the stage computes before it writes anything into the result.
struct DriverStageResult {
    DriverResponse sim;           // corrected responses and impedance
    Complex front0[kResultFreqs]; // responses before the measured corrections
    Complex rear0[kResultFreqs];
};

// Runs the stage for driver d of p into r; returns the stage text before its prefix.
std::string computeDriver(const TProjekt& p, int d, const MeasurementBaffle& baffle,
                          DriverStageResult& r) {
    const TChassis& driver = p.chassis[d];
    const TEinbau& mounting = p.einbau[d];
    const int n = gridPointCount(p.freq);

    // 1. The driver in the box to be simulated.
    auto chassis = std::make_unique<TChassis>(driver);
    TEinbau einbau = mounting;
    std::string text = SimulateDriver(*chassis, einbau, p.freq, r.sim);
    for (int i = 0; i < n; ++i) {
        r.front0[i] = r.sim.Pfront[i];
        r.rear0[i] = r.sim.Prear[i];
    }

    // 2. The driver as it was measured: mounting and baffle of the measurement condition.
    std::string baffleText;
    auto measured = std::make_unique<DriverResponse>();
    auto axis = std::make_unique<Complex[]>(kResultFreqs);
    if (driver.useFGangA) {
        *chassis = driver;
        einbau = mounting;
        if (einbau.typ >= kEinbauGeschlossen) {
            substituteMeasurementMounting(driver.fgang_which, einbau);
        }
        DeriveMountingLosses(*chassis, einbau);
        if (text.size() < kErrorLength) {
            text.clear();
        }
        // The texts are concatenated: after a failed first run even the "OK" of this one.
        text += SimulateDriver(*chassis, einbau, p.freq, *measured);
        if (text.size() < kErrorLength) {
            TSchallwand schallwand = p.schallwand[d];
            substituteMeasurementBaffle(driver.fgang_which, schallwand);
            baffleText = baffle.axisResponse(schallwand, driver, p.freq, axis.get());
        }
    }
    const bool allOk = text.size() + baffleText.size() < kCombinedOkLength;
    if (text.size() < kErrorLength && baffleText.size() >= kErrorLength) {
        text = baffleText;
    }
    if (!allOk) {
        return text;
    }

    // 3. Measured amplitude (and phase): the ratio of the measurement to the simulated
    // measurement condition corrects the simulated responses.
    const double fc = driver.fc; // as the editor and project loading stored it
    if (driver.useFGangA) {
        for (int i = 0; i < n; ++i) {
            const double f = p.freq[i];
            const double lambda = kSpeedOfSound / f;
            const double level = InterpolateSmoothed(driver.fgangaf, driver.fganga, f, p.glatt_amp);
            const double phase = InterpolatePhase(driver.fgangapf, driver.fgangap, f);
            Complex mMeas;
            CPolar(phase, std::pow(10.0, (level - kLevelOfUnity) / 20.0), mMeas);
            CRotate(mMeas, 2.0 * kPhasePi * driver.seo / lambda, mMeas);
            Complex mSim, rear;
            CMul(axis[i], measured->Pfront[i], mSim);
            CMul(axis[i], measured->Prear[i], rear);
            CAdd(mSim, rear, mSim);
            Complex k;
            if (driver.useFGangAP) {
                CDiv(mMeas, mSim, k);
            } else {
                k = Complex{CAbs(mMeas) / CAbs(mSim), 0.0};
            }
            if (driver.useFGangA2fs) {
                const double e = blendWeight(f, fc);
                k = Complex{e * k.re + (1.0 - e), e * k.im};
            }
            CMul(r.sim.Pfront[i], k, r.sim.Pfront[i]);
            CMul(r.sim.Prear[i], k, r.sim.Prear[i]);
        }
    }

    // 4. Measured impedance, above the enclosure's influence.
    if (driver.useFGangI) {
        for (int i = 0; i < n; ++i) {
            const double f = p.freq[i];
            if (mounting.typ != kEinbauIntegriert && f <= kImpedanceFromFc * fc) {
                continue;
            }
            const double m = InterpolateSmoothed(driver.fgangif, driver.fgangi, f, p.glatt_imp);
            const double phase = InterpolatePhase(driver.fgangipf, driver.fgangip, f);
            if (driver.useFGangIP) {
                CPolar(phase, m, r.sim.Z[i]);
            } else {
                CPolar(CArg(r.sim.Z[i]), m, r.sim.Z[i]);
            }
        }
    }

    for (int i = 0; i < n; ++i) {
        if (!finite(r.sim.Z[i]) || !finite(r.sim.Pfront[i]) || !finite(r.sim.Prear[i])) {
            return utf8ToLatin1(kMsgFault);
        }
    }
    return text;
}

} // namespace

void CalcDriverWithBaffle(TCalcThread& calc, int chassis, const MeasurementBaffle& baffle) {
    if (chassis < 0 || chassis >= kMaxChassis || !calc.aktProjekt || !calc.Res) {
        return; // no status slot to report in
    }
    const TProjekt& p = *calc.aktProjekt;
    std::string text;
    std::unique_ptr<DriverStageResult> r;
    try {
        r = std::make_unique<DriverStageResult>();
        text = computeDriver(p, chassis, baffle, *r);
    } catch (const std::exception&) {
        text = utf8ToLatin1(kMsgFault);
    }

    if (text == kStatusOk) {
        TResult& res = *calc.Res;
        const int n = gridPointCount(p.freq);
        for (int i = 0; i < n; ++i) {
            res.impedanz_ch[chassis][i] = r->sim.Z[i];
            res.fgang_ch[chassis][0][i] = r->sim.Pfront[i];
            res.fgang_ch[chassis][1][i] = r->sim.Prear[i];
            res.fgang_ch_oMw[chassis][0][i] = r->front0[i];
            res.fgang_ch_oMw[chassis][1][i] = r->rear0[i];
            res.fgang_xch[chassis][i] = r->sim.X[i].re;
        }
    } else if (text.size() >= kErrorLength) {
        text = "Fehler: Chassis " + std::to_string(chassis + 1) + ": " + text;
    }
    calc.CalcStruct.bfgang_ch[chassis].assign(text);
}

void CalcDriver(TCalcThread& calc, int chassis) {
    CalcDriverWithBaffle(calc, chassis, *measurementBaffle());
}

} // namespace sonora
