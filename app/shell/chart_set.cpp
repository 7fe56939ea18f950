#include "app/shell/chart_set.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "analysis/driver_response.h"
#include "analysis/spinorama.h"
#include "app/shell/chart_style.h"
#include "engine/box_sum.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

constexpr double kSecondsToMs = 1000.0;
constexpr double kPhaseLimit = 180.0;   // degrees
constexpr int kChassisStageColors = 4;  // colour slots of the four chain stages of a driver
constexpr double kSpinDiAxisMin = -5.0; // dB, right axis of the spinorama: DI of real boxes
constexpr double kSpinDiAxisMax = 25.0; // lies between 0 and about 15 dB

std::string latin1(const char* utf8) {
    return utf8ToLatin1(utf8);
}

struct ChartTitle {
    ChartKind kind;
    const char* internalName;
    const char* title; // UTF-8 here, Latin-1 in the content
    const char* subtitle;
};

constexpr ChartTitle kTitles[] = {
    {ChartKind::Box, "bcFgangImp", "Frequenzgang Gesamtbox", "(alle Verstärker und Chassis)"},
    {ChartKind::DirectionsUp, "bcFgangOben", "Richtungen vorne und verschiedene Winkel nach oben",
     ""},
    {ChartKind::DirectionsDown, "bcFgangUnten",
     "Richtungen vorne und verschiedene Winkel nach unten", ""},
    {ChartKind::DirectionsLeft, "bcFgangLinks",
     "Richtungen vorne und verschiedene Winkel nach links", ""},
    {ChartKind::DirectionsRight, "bcFgangRechts",
     "Richtungen vorne und verschiedene Winkel nach rechts", ""},
    {ChartKind::Chassis, "bcChassis", "Frequenzgang Chassis ",
     "Chassis selbst, .. mit Schallwand, .. aktivem Filter, .. Weiche"},
    {ChartKind::Phase, "bcFgangPha", "Phasengänge", "in Hauptstrahlrichtung der Box"},
    {ChartKind::MaxVoltage, "bcFgangUmax", "Maximale eff. Eingangsspannung",
     "vor aktivem Filter für linearen Hub und max. elektr. Belastbarkeit"},
    {ChartKind::MaxLevel, "bcFgangMaxPeg", "Maximaler Pegel",
     "in Hauptstrahlrichtung für linearen Hub und max. elektr. Belastbarkeit"},
    {ChartKind::DriverVoltages, "bcUChassis", "Effektivspannung an den Chassis", "0 dB = 2,83V"},
    {ChartKind::DirectivityIndex, "bcFgnagBmass", "Bündelungsmaß",
     "0 dB = Kugelstrahler in Vollraum, 3 dB = Kugelstrahler in Halbraum"},
    {ChartKind::ElectricalPhase, "bcPhaseChassis",
     "Phasenlage des elektrischen Signals an den Chassis", ""},
    {ChartKind::GroupDelay, "bcFgangGlz", "Gruppenlaufzeit",
     "Gesamtbox und Einzelchassis auf Achse"},
    {ChartKind::Spinorama, "bcSpinorama", "Spinorama",
     "aus den Ebenen horizontal und vertikal, DI rechts"},
    {ChartKind::Reflections, "bcReflexionen", "Frühe Reflexionen",
     "Boden, Decke, Vorderwand, Seitenwände, Rückwand"},
    {ChartKind::Impulse, "bcImpuls", "Impulsantwort", "Gesamtbox und Einzelchassis auf Achse"},
    {ChartKind::Step, "bcSprung", "Sprungantwort", "Gesamtbox und Einzelchassis auf Achse"},
};

ChartContent makeChart(const ChartTitle& t, int chassis) {
    ChartContent c;
    c.kind = t.kind;
    c.chassis = chassis;
    c.internalName = t.internalName;
    c.title = latin1(t.title);
    c.subtitle = latin1(t.subtitle);
    if (t.kind == ChartKind::Chassis) {
        c.internalName += std::to_string(chassis + 1);
        c.title += std::to_string(chassis + 1);
    }
    if (t.kind == ChartKind::Impulse || t.kind == ChartKind::Step) {
        c.x.label = "Zeit [ms]";
    } else {
        c.x.logarithmic = true;
        c.x.label = "Frequenz [Hz]";
    }
    return c;
}

int lineWidth(const TAnzOption& o) {
    return std::max(1, static_cast<int>(o.GraphsThickness));
}

// The whole box is what the chart is about: its curve is drawn at twice the width.
constexpr int kWholeBoxWidthFactor = 2;

ChartCurve wholeBox(ChartCurve c) {
    c.width *= kWholeBoxWidthFactor;
    return c;
}

ChartCurve impedanceCurve(ChartCurve c) {
    c.axis = ChartAxis::Right;
    c.style = LineStyle::LongDash;
    return c;
}

TColor chassisColor(const TAnzOption& o, int chassis) {
    return o.ColorSetChassis[std::clamp(chassis + 1, 0, kChassisColors - 1)];
}

// A curve over the first n grid points with y = value(i).
template <typename F>
ChartCurve curve(const TResult& r, std::string name, TColor color, const TAnzOption& o, F value) {
    ChartCurve c;
    c.name = std::move(name);
    c.color = color;
    c.width = lineWidth(o);
    const int n = boundedFreqs(r);
    c.x.assign(r.freq, r.freq + n);
    c.y.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        c.y[static_cast<std::size_t>(i)] = value(i);
    }
    return c;
}

std::string chassisName(const TResult& r, int n) {
    const std::string name = r.chassisNames[n].str();
    return name.empty() ? "Chassis " + std::to_string(n + 1) : name;
}

void levelAxis(ChartContent& c, const TAnzOption& o) {
    c.y = {o.dBmin, o.dBmax, false, "Pegel [dB]"};
}

void impedanceAxis(ChartContent& c, const TAnzOption& o) {
    c.hasRightAxis = true;
    c.y2 = {0.0, o.ImpMax, false, "Impedanz [Ohm]"};
}

void phaseAxis(ChartContent& c) {
    c.y = {-kPhaseLimit, kPhaseLimit, false, latin1("Phase [°]")};
}

void autoRange(ChartContent& c, double levelSpan = 0.0) {
    autoRangeAxis(c.y, c.curves, ChartAxis::Left, levelSpan);
}

// Values a logarithmic axis cannot show become gaps.
double positiveOrGap(double v) {
    return v > 0 ? v : std::numeric_limits<double>::quiet_NaN();
}

void buildBox(ChartContent& c, const TResult& r, const TAnzOption& o, const ChartSwitches& s) {
    levelAxis(c, o);
    c.curves.push_back(wholeBox(curve(r, "Gesamt", o.ColorSetAmps[0], o,
                                      [&](int i) { return responseLevel(r.fgang_box[i][0]); })));
    const int amps = boundedAmps(r);
    const int drivers = boundedChassis(r);
    if (amps > 1) {
        for (int j = 0; j < amps; ++j) {
            c.curves.push_back(curve(r, latin1("Verstärker ") + std::to_string(j + 1),
                                     o.ColorSetAmps[j + 1], o, [&](int i) {
                                         Complex sum{};
                                         for (int n = 0; n < drivers; ++n) {
                                             if (r.chassisAmp[n] == j) {
                                                 CAdd(sum, driverOnAxis(r, n, i), sum);
                                             }
                                         }
                                         return responseLevel(sum);
                                     }));
        }
    }
    if (s.energy) {
        c.curves.push_back(curve(r, "Energiefrequenzgang", o.ColorSetChassis[0], o, [&](int i) {
            return energyLevel(r.fgang_box[i][0], r.fgang_bmass[i]);
        }));
    }
    if (s.singleDrivers) {
        for (int n = 0; n < drivers; ++n) {
            c.curves.push_back(curve(r, chassisName(r, n), chassisColor(o, n), o,
                                     [&](int i) { return responseLevel(driverOnAxis(r, n, i)); }));
        }
    }
    if (s.impedance) {
        impedanceAxis(c, o);
        for (int j = 0; j < amps; ++j) {
            c.curves.push_back(impedanceCurve(curve(
                r, latin1("Impedanz Verstärker ") + std::to_string(j + 1), o.ColorSetAmps[j + 1], o,
                [&](int i) { return CAbs(r.impedanz_box[j][i]); })));
        }
    }
}

void buildDirections(ChartContent& c, const TResult& r, const TAnzOption& o, const ChartSwitches& s,
                     DirectionSide side) {
    levelAxis(c, o);
    const auto angles = directionAngles(s.directionSet);
    for (int k = 0; k < kDirectionCurves; ++k) {
        const int a = angles[static_cast<std::size_t>(k)];
        std::string name = k == 0 ? std::string("vorne") : std::to_string(a) + latin1("°");
        c.curves.push_back(curve(r, std::move(name), o.ColorSetRichtungen[k], o, [&](int i) {
            return responseLevel(directionResponse(r, side, a, i));
        }));
    }
}

void buildChassis(ChartContent& c, const TResult& r, const TAnzOption& o) {
    levelAxis(c, o);
    impedanceAxis(c, o);
    const int n = c.chassis;
    if (n < 0 || n >= boundedChassis(r)) {
        return; // a slot beyond the project's drivers shows an empty chart
    }
    const int amp = r.chassisAmp[n];
    auto bare = [&](int i) {
        Complex sum{};
        CAdd(r.fgang_ch[n][0][i], r.fgang_ch[n][1][i], sum);
        return sum;
    };
    auto withBaffle = [&](int i) {
        Complex a{}, b{}, sum{};
        CMul(r.fgang_ch[n][0][i], r.fgang_sw[n][0][i][0], a);
        CMul(r.fgang_ch[n][1][i], r.fgang_sw[n][1][i][0], b);
        CAdd(a, b, sum);
        return sum;
    };
    static_assert(kChassisStageColors <= kChassisColors);
    c.curves.push_back(curve(r, "Chassis selbst", o.ColorSetChassis[1], o,
                             [&](int i) { return responseLevel(bare(i)); }));
    c.curves.push_back(curve(r, "mit Schallwand", o.ColorSetChassis[2], o,
                             [&](int i) { return responseLevel(withBaffle(i)); }));
    if (amp >= 0 && amp < kMaxAmps) {
        c.curves.push_back(curve(r, "mit aktivem Filter", o.ColorSetChassis[3], o, [&](int i) {
            Complex h{};
            CMul(withBaffle(i), r.fgang_akt[amp][i], h);
            return responseLevel(h);
        }));
        c.curves.push_back(curve(r, "mit Weiche", o.ColorSetChassis[0], o, [&](int i) {
            Complex sum{};
            CAdd(r.fgang_chas[n][0][i][0], r.fgang_chas[n][1][i][0], sum);
            return responseLevel(sum);
        }));
    }
    c.curves.push_back(impedanceCurve(curve(r, "Impedanz", o.ColorSetAmps[0], o,
                                            [&](int i) { return CAbs(r.impedanz_ch[n][i]); })));
}

void buildPhase(ChartContent& c, const TResult& r, const TAnzOption& o) {
    phaseAxis(c);
    c.curves.push_back(wholeBox(curve(r, "Gesamt", o.ColorSetChassis[0], o,
                                      [&](int i) { return phaseDegrees(r.fgang_box[i][0]); })));
    for (int n = 0; n < boundedChassis(r); ++n) {
        c.curves.push_back(curve(r, chassisName(r, n), chassisColor(o, n), o,
                                 [&](int i) { return phaseDegrees(driverOnAxis(r, n, i)); }));
    }
}

// One curve for the box (slot 32) and one per driver of a 33-slot array.
template <typename F>
void boxAndDrivers(ChartContent& c, const TResult& r, const TAnzOption& o, F value) {
    c.curves.push_back(wholeBox(
        curve(r, "Gesamt", o.ColorSetChassis[0], o, [&](int i) { return value(kBoxSlot, i); })));
    for (int n = 0; n < boundedChassis(r); ++n) {
        c.curves.push_back(
            curve(r, chassisName(r, n), chassisColor(o, n), o, [&](int i) { return value(n, i); }));
    }
}

// The transfer from the amplifier input to a driver's terminals: active filter times crossover.
Complex driverDrive(const TResult& r, int n, int i) {
    Complex h{};
    CMul(r.fgang_akt[r.chassisAmp[n]][i], r.fgang_weiche[n][i], h);
    return h;
}

bool driverOnAmp(const TResult& r, int n) {
    return r.chassisAmp[n] >= 0 && r.chassisAmp[n] < kMaxAmps;
}

void buildDriverVoltages(ChartContent& c, const TResult& r, const TAnzOption& o, bool phase) {
    if (phase) {
        phaseAxis(c);
    } else {
        c.y.label = "Pegel [dB]";
    }
    for (int n = 0; n < boundedChassis(r); ++n) {
        if (!driverOnAmp(r, n)) {
            continue; // a driver in no network gets no signal
        }
        c.curves.push_back(curve(r, chassisName(r, n), chassisColor(o, n), o, [&](int i) {
            const Complex h = driverDrive(r, n, i);
            return phase ? phaseDegrees(h) : magnitudeLevel(CAbs(h)) - kLevelOfUnity;
        }));
    }
    if (!phase) {
        autoRange(c, kLevelSpanShown);
    }
}

void buildOther(ChartContent& c, const TResult& r, const TAnzOption& o) {
    switch (c.kind) {
    case ChartKind::Phase:
        buildPhase(c, r, o);
        return;
    case ChartKind::MaxVoltage:
        c.y.logarithmic = true;
        c.y.label = "Spannung [V]";
        boxAndDrivers(c, r, o,
                      [&](int k, int i) { return positiveOrGap(r.fgang_Uel_preamp[k][i]); });
        autoRange(c);
        return;
    case ChartKind::MaxLevel:
        c.y.label = "Pegel [dB]";
        boxAndDrivers(c, r, o, [&](int k, int i) { return magnitudeLevel(r.fgang_peg[k][i]); });
        autoRange(c, kLevelSpanShown);
        return;
    case ChartKind::DriverVoltages:
        buildDriverVoltages(c, r, o, false);
        return;
    case ChartKind::ElectricalPhase:
        buildDriverVoltages(c, r, o, true);
        return;
    case ChartKind::DirectivityIndex:
        c.y.label = latin1("Bündelungsmaß [dB]");
        c.curves.push_back(wholeBox(curve(r, "Gesamt", o.ColorSetChassis[0], o, [&](int i) {
            return magnitudeLevel(r.fgang_bmass[i]) - kLevelOfUnity;
        })));
        autoRange(c);
        return;
    case ChartKind::GroupDelay:
        c.y.label = "Gruppenlaufzeit [ms]";
        boxAndDrivers(c, r, o, [&](int k, int i) { return kSecondsToMs * r.fgang_glz[k][i]; });
        autoRange(c);
        return;
    default:
        return;
    }
}

// Colour slots of the spinorama curves: the whole box, then the driver colours in turn.
TColor spinColor(const TAnzOption& o, int k) {
    return k == 0 ? o.ColorSetChassis[0] : o.ColorSetChassis[1 + (k - 1) % (kChassisColors - 1)];
}

// The spinorama and the reflection groups: curves of the analysis, nothing computed here.
void buildSpinorama(ChartContent& c, const TResult& r, const TAnzOption& o) {
    auto spin = std::make_unique<Spinorama>();
    computeSpinorama(r, *spin);
    levelAxis(c, o);
    const bool groups = c.kind == ChartKind::Reflections;
    const int first = groups ? kSpinFirstGroup : 0;
    const int count = groups ? kSpinGroups : kSpinMainCurves;
    for (int k = 0; k < count; ++k) {
        const auto which = static_cast<SpinCurve>(first + k);
        ChartCurve line = curve(r, spinCurveCaption(which), spinColor(o, k), o,
                                [&](int i) { return spin->curve[first + k][i]; });
        if (spinCurveIsDi(which)) {
            line.axis = ChartAxis::Right;
        }
        c.curves.push_back(std::move(line));
    }
    if (!groups) {
        c.hasRightAxis = true;
        c.y2 = {kSpinDiAxisMin, kSpinDiAxisMax, false, "DI [dB]"};
        const PreferenceRating& rating = spin->rating;
        c.notes = {ratingScoreText(rating, false), ratingScoreText(rating, true)};
        for (int k = 0; k < kRatingInputs; ++k) {
            c.notes.push_back(ratingInputText(rating, static_cast<RatingInput>(k)));
        }
    }
}

// The time charts show from the first sample to where the box's curve has died away: the last
// sample above this share of its largest magnitude, with a quarter more after it, at least
// kShortestShownMs and at most the whole transform.
constexpr double kShownShare = 1e-2; // -40 dB
constexpr double kShownMargin = 1.25;
constexpr double kShortestShownMs = 5.0;

int shownSamples(const std::vector<double>& box, double sampleRate, int zeroSample) {
    double peak = 0;
    for (const double v : box) {
        peak = std::max(peak, std::abs(v));
    }
    int last = 0;
    for (int m = static_cast<int>(box.size()) - 1; m > 0; --m) {
        if (std::abs(box[static_cast<std::size_t>(m)]) > kShownShare * peak) {
            last = m;
            break;
        }
    }
    const double afterZero =
        std::max((last - zeroSample) * kShownMargin, kShortestShownMs * sampleRate / kSecondsToMs);
    const int count = zeroSample + static_cast<int>(std::ceil(afterZero)) + 1;
    return std::clamp(count, 1, static_cast<int>(box.size()));
}

ChartCurve timeCurve(const ImpulseResponse& ir, bool step, int count, std::string name,
                     TColor color, const TAnzOption& o) {
    ChartCurve c;
    c.name = std::move(name);
    c.color = color;
    c.width = lineWidth(o);
    const std::vector<double>& v = step ? ir.step : ir.impulse;
    const int n = std::min(count, static_cast<int>(v.size()));
    c.x.resize(static_cast<std::size_t>(n));
    c.y.assign(v.begin(), v.begin() + n);
    for (int m = 0; m < n; ++m) {
        c.x[static_cast<std::size_t>(m)] = (m - ir.zeroSample) * kSecondsToMs / ir.sampleRate;
    }
    return c;
}

} // namespace

struct ChartSet::TimeResponses {
    bool made = false; // in this update
    bool ok = false;
    OnAxisImpulses t;
    std::string error; // UTF-8
};

namespace {

// The impulse or step response of the box and its drivers on axis, as the analysis transforms
// them; the subtitle states the sample rate, length and windows.
void buildTimeChart(ChartContent& c, const TResult& r, const TAnzOption& o,
                    ChartSet::TimeResponses& time) {
    const bool step = c.kind == ChartKind::Step;
    c.x = {0.0, 1.0, false, "Zeit [ms]"};
    c.y.label = step ? "Sprungantwort" : "Impulsantwort";
    c.subtitle = latin1("Gesamtbox und Einzelchassis auf Achse");
    if (!r.valid) {
        return;
    }
    if (!time.made) {
        time.ok = computeOnAxisImpulses(r, impulseSettingsFor(r), time.t, time.error);
        time.made = true;
    }
    if (!time.ok) {
        c.subtitle = latin1(time.error.c_str());
        return;
    }
    const OnAxisImpulses& t = time.t;
    c.subtitle = impulseRateText(t.box) + "; " + impulseWindowText(t.box);
    const int count =
        shownSamples(step ? t.box.step : t.box.impulse, t.box.sampleRate, t.box.zeroSample);
    c.curves.push_back(wholeBox(timeCurve(t.box, step, count, "Gesamt", o.ColorSetChassis[0], o)));
    for (std::size_t k = 0; k < t.drivers.size(); ++k) {
        const int n = t.drivers[k];
        c.curves.push_back(
            timeCurve(t.driverResponses[k], step, count, chassisName(r, n), chassisColor(o, n), o));
    }
    c.x.min = c.curves.front().x.front();
    c.x.max = c.curves.front().x.back();
    autoRange(c);
}

ChartSet::Builder builderFor(ChartKind kind, const std::shared_ptr<ChartSet::TimeResponses>& time) {
    switch (kind) {
    case ChartKind::Box:
        return buildBox;
    case ChartKind::DirectionsUp:
    case ChartKind::DirectionsDown:
    case ChartKind::DirectionsLeft:
    case ChartKind::DirectionsRight: {
        const DirectionSide side = kind == ChartKind::DirectionsUp     ? DirectionSide::Up
                                   : kind == ChartKind::DirectionsDown ? DirectionSide::Down
                                   : kind == ChartKind::DirectionsLeft ? DirectionSide::Left
                                                                       : DirectionSide::Right;
        return [side](ChartContent& c, const TResult& r, const TAnzOption& o,
                      const ChartSwitches& s) { buildDirections(c, r, o, s, side); };
    }
    case ChartKind::Chassis:
        return [](ChartContent& c, const TResult& r, const TAnzOption& o, const ChartSwitches&) {
            buildChassis(c, r, o);
        };
    case ChartKind::Spinorama:
    case ChartKind::Reflections:
        return [](ChartContent& c, const TResult& r, const TAnzOption& o, const ChartSwitches&) {
            buildSpinorama(c, r, o);
        };
    case ChartKind::Impulse:
    case ChartKind::Step:
        return [time](ChartContent& c, const TResult& r, const TAnzOption& o,
                      const ChartSwitches&) { buildTimeChart(c, r, o, *time); };
    default:
        return [](ChartContent& c, const TResult& r, const TAnzOption& o, const ChartSwitches&) {
            buildOther(c, r, o);
        };
    }
}

} // namespace

const char* const kNoResultText =
    "Noch kein Ergebnis: die Kurven erscheinen, sobald die Berechnung fertig ist.";
const char* const kNoCurvesText = "Dieses Diagramm hat für das Projekt keine Kurven.";
const char* const kReferencePrefix = "Referenz: ";

std::string updateChartsFailureText(const std::string& internalName) {
    return "Unerwarteter Fehler: UpdateCharts mit " + internalName;
}

ChartSet::ChartSet() : time_(std::make_shared<TimeResponses>()) {
    for (const ChartTitle& t : kTitles) {
        const int count = t.kind == ChartKind::Chassis ? kMaxChassis : 1;
        for (int n = 0; n < count; ++n) {
            charts_.push_back(makeChart(t, t.kind == ChartKind::Chassis ? n : -1));
            charts_.back().emptyText = latin1(kNoResultText);
            builders_.push_back(builderFor(t.kind, time_));
        }
    }
}

int ChartSet::indexOf(ChartKind kind, int chassis) const {
    for (std::size_t k = 0; k < charts_.size(); ++k) {
        if (charts_[k].kind == kind) {
            return static_cast<int>(k) + (kind == ChartKind::Chassis ? chassis : 0);
        }
    }
    return 0;
}

std::vector<std::string> ChartSet::update(const TResult& r, const TAnzOption& o,
                                          const ChartSwitches& s) {
    std::vector<std::string> failures;
    *time_ = {};
    for (std::size_t k = 0; k < charts_.size(); ++k) {
        ChartContent& c = charts_[k];
        c.curves.clear();
        c.notes.clear();
        c.hasRightAxis = false;
        c.x.min = o.Afmin;
        c.x.max = o.Afmax;
        c.y = {};
        try {
            builders_[k](c, r, o, s);
        } catch (...) { // any fault of one chart: report it, go on with the next
            c.curves.clear();
            failures.push_back(updateChartsFailureText(c.internalName));
        }
        separateNearColours(c.curves);
        c.emptyText = !r.valid           ? latin1(kNoResultText)
                      : c.curves.empty() ? latin1(kNoCurvesText)
                                         : std::string();
    }
    *time_ = {}; // the curves hold what the charts show; the transforms are not kept
    return failures;
}

void ChartSet::rememberComparison() {
    for (ChartContent& c : charts_) {
        c.comparison = c.curves;
        for (ChartCurve& k : c.comparison) {
            k.name = kReferencePrefix + k.name;
            k.style = LineStyle::Dash;
        }
    }
}

void ChartSet::clearComparison() {
    for (ChartContent& c : charts_) {
        c.comparison.clear();
    }
}

void ChartSet::replaceBuilder(int index, Builder builder) {
    if (index >= 0 && static_cast<std::size_t>(index) < builders_.size()) {
        builders_[static_cast<std::size_t>(index)] = std::move(builder);
    }
}

} // namespace sonora
