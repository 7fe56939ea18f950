#include "analysis/tolerance.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <numbers>

#include "analysis/crossover_finder.h"
#include "analysis/spinorama.h"
#include "engine/box_sum.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "engine/stages.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

constexpr double kMinFactor = 0.01; // a drawn value never falls below 1 % of its nominal value
constexpr double kPercent = 100.0;
constexpr double kReferenceLevel = 112.0; // dB of a pressure of magnitude 1
constexpr double kTiny = 1e-30;
constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr std::chrono::seconds kCalcTimeout{600}; // a guard against a hang only
constexpr double kQuantiles[] = {0.05, 0.5, 0.95};

// ---- Random draws -----------------------------------------------------------------------------

// SplitMix64: small, fast and good enough to draw part values; its output for a given state is the
// same on every platform, unlike the standard library's distributions.
std::uint64_t splitMix(std::uint64_t& state) {
    state += 0x9e3779b97f4a7c15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// The draws of one trial: a stream of its own, seeded from the run's seed and the trial's index,
// so a trial draws the same values whichever thread computes it and whenever.
class TrialRandom {
public:
    TrialRandom(std::uint64_t seed, int trial) {
        std::uint64_t s = seed;
        state_ = splitMix(s);
        s = static_cast<std::uint64_t>(trial) ^ state_;
        state_ = splitMix(s) ^ splitMix(s);
    }
    double uniform() { return static_cast<double>(splitMix(state_) >> 11) * 0x1.0p-53; }
    // Two uniform draws per quantity whatever the distribution: u itself and, with a second
    // draw, a standard normal z (Box-Muller).
    void draw(double& u, double& z) {
        u = uniform();
        const double v = uniform();
        z = std::sqrt(-2.0 * std::log(1.0 - u)) * std::cos(2.0 * std::numbers::pi * v);
    }

private:
    std::uint64_t state_;
};

double drawnDeviation(ToleranceDistribution d, double tolerance, double u, double z) {
    return d == ToleranceDistribution::Uniform ? tolerance * (2.0 * u - 1.0) : 0.5 * tolerance * z;
}

// ---- The quantities varied --------------------------------------------------------------------

enum class QuantityKind : std::uint8_t { PartValue, CoilResistance, Driver };

struct Quantity {
    QuantityKind kind;
    int amp = -1, slot = -1, chassis = -1;
    ToleranceField field = ToleranceField::Fs;
    double tolerance = 0; // per cent, or dB for the level
};

template <typename C> auto* driverValue(C& c, ToleranceField f) {
    switch (f) {
    case ToleranceField::Fs:
        return &c.fs;
    case ToleranceField::Qes:
        return &c.qes;
    case ToleranceField::Qms:
        return &c.qms;
    case ToleranceField::Vas:
        return &c.vas;
    case ToleranceField::Re:
        return &c.Rdc;
    case ToleranceField::Le:
        return &c.Le;
    case ToleranceField::Level:
        // The level offset travels in the driver's spare field, which no stage of the engine reads
        // and which the analysis clears in its own copy of the project: a changed offset marks
        // the driver's stages (not its baffle) as any other driver value does, and the driver
        // stage below applies it.
        return &c.dummy2;
    }
    return &c.fs; // not reached
}

double fieldTolerance(const ToleranceSettings& s, ToleranceField f) {
    switch (f) {
    case ToleranceField::Fs:
        return s.fs;
    case ToleranceField::Qes:
        return s.qes;
    case ToleranceField::Qms:
        return s.qms;
    case ToleranceField::Vas:
        return s.vas;
    case ToleranceField::Re:
        return s.re;
    case ToleranceField::Le:
        return s.le;
    case ToleranceField::Level:
        return s.levelDb;
    }
    return 0;
}

bool usable(double tolerance) {
    return std::isfinite(tolerance) && tolerance > 0;
}

std::vector<Quantity> quantitiesOf(const TProjekt& p, const ToleranceSettings& s) {
    std::vector<Quantity> out;
    const int nAmps = std::clamp<int>(p.nAmps, 0, kMaxAmps);
    const int nChassis = std::clamp<int>(p.nChassis, 0, kMaxChassis);
    for (int a = 0; a < nAmps; ++a) {
        for (int k = 0; k < kUsedPartSlots; ++k) {
            const TPart& part = p.amp[a].weiche[k];
            double t = 0;
            if (part.typ == kPartResistor) {
                t = s.resistors;
            } else if (part.typ == kPartCapacitor) {
                t = s.capacitors;
            } else if (part.typ == kPartCoil) {
                t = s.coils;
            }
            if (usable(t) && std::isfinite(part.value) && part.value > 0) {
                out.push_back({QuantityKind::PartValue, a, k, -1, ToleranceField::Fs, t});
            }
            if (part.typ == kPartCoil && usable(s.coilResistance) && std::isfinite(part.Rvalue) &&
                part.Rvalue > 0) {
                out.push_back(
                    {QuantityKind::CoilResistance, a, k, -1, ToleranceField::Fs, s.coilResistance});
            }
        }
    }
    for (int c = 0; c < nChassis; ++c) {
        if (ampOfChassis(p, c) < 0) {
            continue; // adds nothing to the box
        }
        for (int f = 0; f < kToleranceFields; ++f) {
            const auto field = static_cast<ToleranceField>(f);
            const double t = fieldTolerance(s, field);
            if (!usable(t)) {
                continue;
            }
            const double v = *driverValue(p.chassis[c], field);
            if (field != ToleranceField::Level && !(std::isfinite(v) && v > 0)) {
                continue;
            }
            out.push_back({QuantityKind::Driver, -1, -1, c, field, t});
        }
    }
    return out;
}

// Sets quantity q of p to its nominal value (from `nominal`) changed by `deviation` (a fraction of
// the value, or dB for the level).
void applyDeviation(const TProjekt& nominal, TProjekt& p, const Quantity& q, double deviation) {
    switch (q.kind) {
    case QuantityKind::PartValue:
        p.amp[q.amp].weiche[q.slot].value =
            nominal.amp[q.amp].weiche[q.slot].value * std::max(kMinFactor, 1.0 + deviation);
        return;
    case QuantityKind::CoilResistance:
        p.amp[q.amp].weiche[q.slot].Rvalue =
            nominal.amp[q.amp].weiche[q.slot].Rvalue * std::max(kMinFactor, 1.0 + deviation);
        return;
    case QuantityKind::Driver: {
        const double v = *driverValue(nominal.chassis[q.chassis], q.field);
        *driverValue(p.chassis[q.chassis], q.field) =
            q.field == ToleranceField::Level ? v + deviation
                                             : v * std::max(kMinFactor, 1.0 + deviation);
        return;
    }
    }
}

// The derived driver values follow the drawn ones, as the editor derives them on accepting.
void deriveChangedDrivers(TProjekt& p, const std::vector<Quantity>& changed) {
    int last = -1;
    for (const Quantity& q : changed) {
        if (q.kind == QuantityKind::Driver && q.field != ToleranceField::Level &&
            q.chassis != last) {
            deriveAsMounted(p.chassis[q.chassis], p.einbau[q.chassis]);
            last = q.chassis;
        }
    }
}

std::string partName(const TProjekt& p, const Quantity& q) {
    const TPart& part = p.amp[q.amp].weiche[q.slot];
    std::string name(part.bem.view());
    if (name.empty()) {
        name = part.typ == kPartResistor ? "R" : part.typ == kPartCapacitor ? "C" : "L";
        name += " Platz " + std::to_string(q.slot + 1);
    }
    if (q.kind == QuantityKind::CoilResistance) {
        name += utf8ToLatin1(" Drahtwiderstand");
    }
    return name + utf8ToLatin1(" (Verstärker ") + std::to_string(q.amp + 1) + ")";
}

std::string quantityName(const TProjekt& p, const Quantity& q) {
    if (q.kind != QuantityKind::Driver) {
        return partName(p, q);
    }
    std::string name = "Chassis " + std::to_string(q.chassis + 1);
    const std::string_view own = p.chassis[q.chassis].name.view();
    if (!own.empty()) {
        name += " " + std::string(own);
    }
    return name + ": " + toleranceFieldName(q.field);
}

// ---- The stages of the analysis' run objects --------------------------------------------------

// The engine's stages, with each driver's level offset applied to its response.
class ToleranceStages : public CalcStages {
public:
    void driver(TCalcThread& calc, int chassis) override {
        CalcDriver(calc, chassis);
        if (chassis < 0 || chassis >= kMaxChassis) {
            return;
        }
        const double offset = calc.aktProjekt->chassis[chassis].dummy2;
        if (offset == 0.0 || !std::isfinite(offset) ||
            calc.CalcStruct.bfgang_ch[chassis] != std::string_view(kStatusOk)) {
            return;
        }
        const double g = std::pow(10.0, offset / 20.0);
        TResult& r = *calc.Res;
        for (int side = 0; side < kSides; ++side) {
            for (int i = 0; i < kResultFreqs; ++i) {
                CScale(r.fgang_ch[chassis][side][i], g, r.fgang_ch[chassis][side][i]);
                CScale(r.fgang_ch_oMw[chassis][side][i], g, r.fgang_ch_oMw[chassis][side][i]);
            }
        }
    }
};

// ---- What a calculation keeps -----------------------------------------------------------------

struct PairSetup {
    int low, high;
    double fNominal;
};

struct Kept {
    bool done = false;
    std::vector<double> onAxis, listening;
    std::vector<std::vector<double>> impedance; // per amplifier
    std::vector<std::vector<double>> phase;     // per pair, degrees
    std::vector<double> phaseAtCrossing, fCrossing;
};

double phaseDifference(const TResult& r, int low, int high, int i) {
    Complex q;
    CDiv(driverOnAxis(r, low, i), driverOnAxis(r, high, i), q);
    return CArg(q) * kDegrees;
}

// `value` moved by whole turns to lie within half a turn of `reference`.
double unwrapTo(double value, double reference) {
    return value - 360.0 * std::round((value - reference) / 360.0);
}

double energyOf(const Complex& z) {
    return z.re * z.re + z.im * z.im;
}

double levelOf(double energy) {
    return kReferenceLevel + 10.0 * std::log10(energy + kTiny);
}

// The crossing of two drivers nearest `fNear` (any, when fNear is 0), or 0 when there is none.
// With fNear 0 the loudest crossing is taken: crossings far in a stop band are quiet.
double crossingOf(const TResult& r, int low, int high, double fNear) {
    ChassisGroup g1{}, g2{};
    g1[static_cast<std::size_t>(low)] = true;
    g2[static_cast<std::size_t>(high)] = true;
    const std::vector<Crossing> all = findCrossings(r, g1, g2);
    double best = 0, bestScore = 0;
    for (const Crossing& c : all) {
        double score = 0;
        if (fNear > 0) {
            score = -std::abs(std::log(c.f / fNear));
        } else {
            int i = 0;
            while (i + 1 < r.nfreq && r.freq[i + 1] < c.f) {
                ++i;
            }
            score = groupSum(r, g1, i);
        }
        if (best == 0 || score > bestScore) {
            best = c.f;
            bestScore = score;
        }
    }
    return best;
}

// Phase difference at f, interpolated between the two grid points around it.
double phaseDifferenceAt(const TResult& r, int low, int high, double f) {
    int i = 0;
    while (i + 2 < r.nfreq && r.freq[i + 1] < f) {
        ++i;
    }
    if (r.nfreq < 2) {
        return phaseDifference(r, low, high, 0);
    }
    const double a = phaseDifference(r, low, high, i);
    const double b = unwrapTo(phaseDifference(r, low, high, i + 1), a);
    const double t = std::clamp((f - r.freq[i]) / (r.freq[i + 1] - r.freq[i]), 0.0, 1.0);
    return a + t * (b - a);
}

// The curves of a finished result. `nominal` (null for the nominal project itself) anchors the
// phases and the crossings.
void keep(const TResult& r, const std::vector<PairSetup>& pairs, int nAmps, bool onAxisOnly,
          const Kept* nominal, Kept& k) {
    const int n = r.nfreq;
    k.onAxis.resize(static_cast<std::size_t>(n));
    if (!onAxisOnly) {
        k.listening.resize(static_cast<std::size_t>(n));
    }
    for (int i = 0; i < n; ++i) {
        if (onAxisOnly) {
            k.onAxis[static_cast<std::size_t>(i)] =
                levelOf(energyOf(r.fgang_box_h[i][kPlaneAngles / 2]));
            continue;
        }
        const SpinLevels s = spinLevelsAt(r.fgang_box_h[i], r.fgang_box_v[i]);
        k.onAxis[static_cast<std::size_t>(i)] = s.level[static_cast<int>(SpinCurve::OnAxis)];
        k.listening[static_cast<std::size_t>(i)] =
            s.level[static_cast<int>(SpinCurve::ListeningWindow)];
    }
    if (!onAxisOnly) {
        k.impedance.assign(static_cast<std::size_t>(nAmps), std::vector<double>(n));
        for (int a = 0; a < nAmps; ++a) {
            for (int i = 0; i < n; ++i) {
                k.impedance[a][static_cast<std::size_t>(i)] = CAbs(r.impedanz_box[a][i]);
            }
        }
        const std::size_t np = pairs.size();
        k.phase.assign(np, std::vector<double>(n));
        k.phaseAtCrossing.assign(np, 0.0);
        k.fCrossing.assign(np, 0.0);
        for (std::size_t j = 0; j < np; ++j) {
            const PairSetup& pr = pairs[j];
            for (int i = 0; i < n; ++i) {
                const double d = phaseDifference(r, pr.low, pr.high, i);
                k.phase[j][static_cast<std::size_t>(i)] =
                    nominal ? unwrapTo(d, nominal->phase[j][static_cast<std::size_t>(i)]) : d;
            }
            double f = crossingOf(r, pr.low, pr.high, pr.fNominal);
            if (f <= 0) {
                f = pr.fNominal; // the crossing moved out of the grid: read at the nominal one
            }
            const double d = phaseDifferenceAt(r, pr.low, pr.high, f);
            k.phaseAtCrossing[j] = nominal ? unwrapTo(d, nominal->phaseAtCrossing[j]) : d;
            k.fCrossing[j] = f;
        }
    }
    k.done = true;
}

// Drivers in a network ordered by the power-weighted mean of their log frequency; neighbours in
// that order that cross are the pairs.
std::vector<PairSetup> pairsOf(const TProjekt& p, const TResult& r) {
    struct Centre {
        int d;
        double logF;
    };
    std::vector<Centre> centres;
    const int nChassis = std::clamp<int>(p.nChassis, 0, kMaxChassis);
    for (int d = 0; d < nChassis; ++d) {
        if (ampOfChassis(p, d) < 0) {
            continue;
        }
        double sum = 0, weighted = 0;
        for (int i = 0; i < r.nfreq; ++i) {
            const double e = energyOf(driverOnAxis(r, d, i));
            sum += e;
            weighted += e * std::log(r.freq[i]);
        }
        if (sum > 0 && std::isfinite(weighted)) {
            centres.push_back({d, weighted / sum});
        }
    }
    std::stable_sort(centres.begin(), centres.end(),
                     [](const Centre& a, const Centre& b) { return a.logF < b.logF; });
    std::vector<PairSetup> out;
    for (std::size_t j = 0; j + 1 < centres.size(); ++j) {
        const int low = centres[j].d, high = centres[j + 1].d;
        const double f = crossingOf(r, low, high, 0.0);
        if (f > 0) {
            out.push_back({low, high, f});
        }
    }
    return out;
}

// ---- Statistics -------------------------------------------------------------------------------

double quantile(const std::vector<double>& sorted, double q) {
    if (sorted.empty()) {
        return 0;
    }
    const double h = q * static_cast<double>(sorted.size() - 1);
    const auto lo = static_cast<std::size_t>(std::floor(h));
    const std::size_t hi = std::min(lo + 1, sorted.size() - 1);
    return sorted[lo] + (h - static_cast<double>(lo)) * (sorted[hi] - sorted[lo]);
}

// Fills nominal, 5 %, 50 %, 95 %, min, max of the values got(t) over the trials.
template <typename Get> void spread(int trials, Get got, double nominal, double out[6]) {
    std::vector<double> v(static_cast<std::size_t>(trials));
    for (int t = 0; t < trials; ++t) {
        v[static_cast<std::size_t>(t)] = got(t);
    }
    std::sort(v.begin(), v.end());
    out[0] = nominal;
    for (int q = 0; q < 3; ++q) {
        out[1 + q] = quantile(v, kQuantiles[q]);
    }
    out[4] = v.empty() ? nominal : v.front();
    out[5] = v.empty() ? nominal : v.back();
}

template <typename Get>
ToleranceBand band(int n, int trials, const std::vector<double>& nominal, Get curveOf) {
    ToleranceBand b;
    for (auto* v : {&b.nominal, &b.q05, &b.q50, &b.q95, &b.min, &b.max}) {
        v->resize(static_cast<std::size_t>(n));
    }
    for (int i = 0; i < n; ++i) {
        const auto at = static_cast<std::size_t>(i);
        double s[6];
        spread(
            trials, [&](int t) { return curveOf(t)[at]; }, nominal[at], s);
        b.nominal[at] = s[0];
        b.q05[at] = s[1];
        b.q50[at] = s[2];
        b.q95[at] = s[3];
        b.min[at] = s[4];
        b.max[at] = s[5];
    }
    return b;
}

bool inBand(double f) {
    return f >= kToleranceBandLow && f <= kToleranceBandHigh;
}

// ---- The run ----------------------------------------------------------------------------------

struct Worker {
    TFormRechnen form{ResultCopy::None};
    ToleranceStages stages;
    std::unique_ptr<TCalcThread> calc;
    std::unique_ptr<TProjekt> project = std::make_unique<TProjekt>();

    explicit Worker(bool lowerPriority) {
        // Run as the optimizer runs its objects: the box stage samples the sphere more coarsely,
        // which changes only the directivity ratio, not a curve kept here. The window's error
        // list is made at the end of each run from the rating hook.
        TCalcThread::Options o;
        o.kennung = "T";
        o.isOptimizeThread = true;
        o.pause = std::chrono::milliseconds(0);
        o.stages = &stages;
        o.lowerPriority = lowerPriority;
        calc = std::make_unique<TCalcThread>(o);
        calc->rating = [this](TCalcThread& c) { form.showFinalMessage(c); };
        form.attach(calc.get());
    }

    // Computes `p` (a full run the first time, else only what changed); false with the first
    // error text when the run failed.
    bool compute(const TProjekt& p, bool full, std::string& error) {
        if (full) {
            form.CalcAllNew(p);
        } else {
            form.CalcNew(p);
        }
        if (!calc->waitUntilIdle(kCalcTimeout)) {
            error = "Zeitüberschreitung";
            return false;
        }
        if (form.errCount != 0) {
            error = form.ErrMemo.empty() ? std::string("?") : form.ErrMemo.front();
            return false;
        }
        return true;
    }
};

struct Shared {
    const TProjekt* nominal;
    const ToleranceSettings* settings;
    const ToleranceControl* control;
    const std::vector<Quantity>* quantities;
    std::vector<int> sensitivityItems; // indices into quantities
    const std::vector<PairSetup>* pairs;
    const Kept* nominalKept;
    int nAmps;
    int trials;
    int jobs;
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::mutex mutex; // progress, error
    int done = 0;
    std::string error;
    std::vector<Kept> kept; // per job
};

void workOn(Shared& sh, Worker& w, bool first) {
    std::string error;
    bool full = first;
    while (!sh.failed.load()) {
        if (sh.control->cancel != nullptr && sh.control->cancel->load()) {
            return;
        }
        const int job = sh.next.fetch_add(1);
        if (job >= sh.jobs) {
            return;
        }
        TProjekt& p = *w.project;
        p = *sh.nominal;
        if (job < sh.trials) {
            TrialRandom random(sh.settings->seed, job);
            for (const Quantity& q : *sh.quantities) {
                double u = 0, z = 0;
                random.draw(u, z);
                const double tol =
                    q.kind == QuantityKind::Driver && q.field == ToleranceField::Level
                        ? q.tolerance
                        : q.tolerance / kPercent;
                applyDeviation(*sh.nominal, p, q,
                               drawnDeviation(sh.settings->distribution, tol, u, z));
            }
            deriveChangedDrivers(p, *sh.quantities);
        } else {
            const int s = job - sh.trials;
            const Quantity& q =
                (*sh.quantities)[static_cast<std::size_t>(sh.sensitivityItems[s / 2])];
            applyDeviation(*sh.nominal, p, q, s % 2 == 0 ? kSensitivityStep : -kSensitivityStep);
            deriveChangedDrivers(p, {q});
        }
        if (!w.compute(p, full, error)) {
            std::lock_guard lock(sh.mutex);
            if (!sh.failed.exchange(true)) {
                sh.error = (job < sh.trials ? "Versuch " + std::to_string(job + 1)
                                            : std::string("Empfindlichkeit")) +
                           ": " + error;
            }
            return;
        }
        full = false;
        keep(*w.calc->Res, *sh.pairs, sh.nAmps, job >= sh.trials, sh.nominalKept,
             sh.kept[static_cast<std::size_t>(job)]);
        std::lock_guard lock(sh.mutex);
        ++sh.done;
        if (sh.control->progress) {
            sh.control->progress(sh.done, sh.jobs);
        }
    }
}

int threadCount(int asked, int jobs) {
    int n = asked;
    if (n <= 0) {
        n = static_cast<int>(std::thread::hardware_concurrency());
    }
    return std::clamp(std::min(n, jobs), 1, kMaxToleranceThreads);
}

} // namespace

const char* toleranceFieldName(ToleranceField f) {
    static const char* const kNames[kToleranceFields] = {"fs", "Qes", "Qms",  "Vas",
                                                         "Re", "Le",  "Pegel"};
    const auto i = static_cast<int>(f);
    return i >= 0 && i < kToleranceFields ? kNames[i] : "?";
}

std::vector<ToleranceCurve> toleranceCurves(const ToleranceResult& r) {
    std::vector<ToleranceCurve> curves;
    curves.push_back({"Achse", "dB", &r.onAxis});
    curves.push_back({utf8ToLatin1("Hörfenster"), "dB", &r.listeningWindow});
    for (std::size_t a = 0; a < r.impedance.size(); ++a) {
        curves.push_back(
            {utf8ToLatin1("Impedanz Verstärker ") + std::to_string(a + 1), "Ohm", &r.impedance[a]});
    }
    for (const TolerancePair& p : r.pairs) {
        curves.push_back({"Phasendifferenz Chassis " + std::to_string(p.low + 1) + "/" +
                              std::to_string(p.high + 1),
                          "Grad", &p.phaseCurve});
    }
    return curves;
}

std::string toleranceNumberText(double value) {
    constexpr double kHundredths = 100.0;
    return compactNumberText(kFileNumberWidth, std::round(value * kHundredths) / kHundredths);
}

std::string toleranceFrequencyText(double f) {
    return compactNumberText(kFileNumberWidth, std::round(f)) + " Hz";
}

std::string toleranceDeviationText(const ToleranceResult& r) {
    return utf8ToLatin1("Größte Abweichung auf Achse (") +
           toleranceFrequencyText(kToleranceBandLow) + " bis " +
           compactNumberText(kFileNumberWidth, kToleranceBandHigh / 1000.0) +
           " kHz): " + toleranceNumberText(r.deviationOnAxis) + " dB bei " +
           toleranceFrequencyText(r.fDeviationOnAxis) + "; 5-%/95-%-Band bis " +
           toleranceNumberText(r.envelopeOnAxis) + " dB";
}

double toleranceFactor(ToleranceDistribution d, double tolerancePercent, double u, double z) {
    return std::max(kMinFactor, 1.0 + drawnDeviation(d, tolerancePercent / kPercent, u, z));
}

ToleranceStatus computeTolerance(const TProjekt& project, const ToleranceSettings& settings,
                                 ToleranceResult& result, const ToleranceControl& control,
                                 std::string& error) {
    result = ToleranceResult{};
    error.clear();
    const int trials = std::clamp(settings.trials, 1, kMaxToleranceTrials);
    auto nominal = std::make_unique<TProjekt>(project);
    for (TChassis& c : nominal->chassis) {
        c.dummy2 = 0.0; // the level offset of the trials; nominal is none
    }
    const std::vector<Quantity> quantities = quantitiesOf(*nominal, settings);

    // The nominal project, computed completely on the first run object.
    std::vector<std::unique_ptr<Worker>> workers;
    workers.push_back(std::make_unique<Worker>(settings.lowerPriority));
    std::string why;
    if (!workers[0]->compute(*nominal, true, why)) {
        error = "Nennwerte: " + why;
        return ToleranceStatus::Failed;
    }
    const TResult& r0 = *workers[0]->calc->Res;
    const int n = r0.nfreq;
    const int nAmps = std::clamp<int>(nominal->nAmps, 0, kMaxAmps);
    const std::vector<PairSetup> pairs = pairsOf(*nominal, r0);
    Kept nominalKept;
    keep(r0, pairs, nAmps, false, nullptr, nominalKept);
    result.freq.assign(r0.freq, r0.freq + n);

    Shared sh;
    sh.nominal = nominal.get();
    sh.settings = &settings;
    sh.control = &control;
    sh.quantities = &quantities;
    for (std::size_t q = 0; q < quantities.size(); ++q) {
        if (settings.sensitivities && !(quantities[q].kind == QuantityKind::Driver &&
                                        quantities[q].field == ToleranceField::Level)) {
            sh.sensitivityItems.push_back(static_cast<int>(q));
        }
    }
    sh.pairs = &pairs;
    sh.nominalKept = &nominalKept;
    sh.nAmps = nAmps;
    sh.trials = trials;
    sh.jobs = trials + 2 * static_cast<int>(sh.sensitivityItems.size());
    sh.kept.resize(static_cast<std::size_t>(sh.jobs));

    const int nThreads = threadCount(settings.threads, sh.jobs);
    for (int k = 1; k < nThreads; ++k) {
        workers.push_back(std::make_unique<Worker>(settings.lowerPriority));
    }
    {
        std::vector<std::thread> threads;
        for (int k = 1; k < nThreads; ++k) {
            threads.emplace_back(
                [&sh, &w = *workers[static_cast<std::size_t>(k)]] { workOn(sh, w, true); });
        }
        workOn(sh, *workers[0], false); // the first object holds the nominal project already
        for (std::thread& t : threads) {
            t.join();
        }
    }
    if (sh.failed.load()) {
        error = sh.error;
        return ToleranceStatus::Failed;
    }
    if (sh.done < sh.jobs) {
        return ToleranceStatus::Cancelled;
    }

    // Statistics over the trials.
    result.trials = trials;
    for (const Quantity& q : quantities) {
        (q.kind == QuantityKind::Driver ? result.valuesVaried : result.partsVaried) += 1;
    }
    const auto& kept = sh.kept;
    result.onAxis = band(n, trials, nominalKept.onAxis,
                         [&](int t) -> const std::vector<double>& { return kept[t].onAxis; });
    result.listeningWindow =
        band(n, trials, nominalKept.listening,
             [&](int t) -> const std::vector<double>& { return kept[t].listening; });
    for (int a = 0; a < nAmps; ++a) {
        result.impedance.push_back(
            band(n, trials, nominalKept.impedance[a],
                 [&](int t) -> const std::vector<double>& { return kept[t].impedance[a]; }));
    }
    for (std::size_t j = 0; j < pairs.size(); ++j) {
        TolerancePair pr;
        pr.low = pairs[j].low;
        pr.high = pairs[j].high;
        pr.fNominal = pairs[j].fNominal;
        pr.phaseCurve = band(n, trials, nominalKept.phase[j],
                             [&](int t) -> const std::vector<double>& { return kept[t].phase[j]; });
        spread(
            trials, [&](int t) { return kept[t].phaseAtCrossing[j]; },
            nominalKept.phaseAtCrossing[j], pr.atCrossing);
        spread(
            trials, [&](int t) { return kept[t].fCrossing[j]; }, nominalKept.fCrossing[j],
            pr.fCrossing);
        result.pairs.push_back(std::move(pr));
    }
    for (int i = 0; i < n; ++i) {
        if (!inBand(result.freq[i])) {
            continue;
        }
        const auto at = static_cast<std::size_t>(i);
        for (int t = 0; t < trials; ++t) {
            const double dOn = std::abs(kept[t].onAxis[at] - nominalKept.onAxis[at]);
            if (dOn > result.deviationOnAxis) {
                result.deviationOnAxis = dOn;
                result.fDeviationOnAxis = result.freq[at];
            }
            const double dLw = std::abs(kept[t].listening[at] - nominalKept.listening[at]);
            if (dLw > result.deviationListening) {
                result.deviationListening = dLw;
                result.fDeviationListening = result.freq[at];
            }
        }
        result.envelopeOnAxis = std::max(
            {result.envelopeOnAxis, std::abs(result.onAxis.q05[at] - result.onAxis.nominal[at]),
             std::abs(result.onAxis.q95[at] - result.onAxis.nominal[at])});
    }

    // Sensitivities: central difference over ±1 %, per +1 %.
    for (std::size_t s = 0; s < sh.sensitivityItems.size(); ++s) {
        const Quantity& q = quantities[static_cast<std::size_t>(sh.sensitivityItems[s])];
        const Kept& plus = kept[static_cast<std::size_t>(trials) + 2 * s];
        const Kept& minus = kept[static_cast<std::size_t>(trials) + 2 * s + 1];
        ToleranceSensitivity e;
        e.name = quantityName(*nominal, q);
        e.amp = q.amp;
        e.slot = q.slot;
        e.chassis = q.chassis;
        e.field = q.kind == QuantityKind::Driver           ? static_cast<int>(q.field)
                  : q.kind == QuantityKind::CoilResistance ? -2
                                                           : -1;
        e.curve.resize(static_cast<std::size_t>(n));
        const double perPercent = 1.0 / (2.0 * kSensitivityStep * kPercent);
        for (int i = 0; i < n; ++i) {
            const auto at = static_cast<std::size_t>(i);
            e.curve[at] = (plus.onAxis[at] - minus.onAxis[at]) * perPercent;
            if (inBand(result.freq[at]) && std::abs(e.curve[at]) > e.largest) {
                e.largest = std::abs(e.curve[at]);
                e.fLargest = result.freq[at];
            }
        }
        result.sensitivities.push_back(std::move(e));
    }
    std::stable_sort(result.sensitivities.begin(), result.sensitivities.end(),
                     [](const ToleranceSensitivity& a, const ToleranceSensitivity& b) {
                         return a.largest > b.largest;
                     });
    return ToleranceStatus::Ok;
}

ToleranceJob::~ToleranceJob() {
    cancel();
    if (worker_.joinable()) {
        worker_.join();
    }
}

bool ToleranceJob::start(const TProjekt& project, const ToleranceSettings& settings,
                         std::function<void(int, int)> progress) {
    if (!finished_.load()) {
        return false;
    }
    if (worker_.joinable()) {
        worker_.join();
    }
    project_ = std::make_unique<TProjekt>(project);
    cancel_ = false;
    finished_ = false;
    worker_ = std::thread([this, settings, progress = std::move(progress)] {
        ToleranceControl control;
        control.progress = progress;
        control.cancel = &cancel_;
        status_ = computeTolerance(*project_, settings, result_, control, error_);
        finished_ = true;
    });
    return true;
}

void ToleranceJob::wait() {
    if (worker_.joinable()) {
        worker_.join();
    }
}

} // namespace sonora
