#include "app/shell/chart_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "model/frequency_grid.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

// A result on a grid of `points` frequencies from 100 Hz in octaves, everything else zero.
std::unique_ptr<TResult> syntheticResult(int points, int amps = 1, int drivers = 2) {
    auto r = std::make_unique<TResult>();
    for (int i = 0; i < points; ++i) {
        r->freq[i] = 100.0 * std::pow(2.0, i);
    }
    r->nfreq = points;
    r->nAmps = amps;
    r->nChassis = drivers;
    for (int n = 0; n < drivers; ++n) {
        r->chassisNames[n].assign("TT" + std::to_string(n + 1));
        r->chassisAmp[n] = 0;
    }
    r->valid = true;
    return r;
}

const ChartCurve* findCurve(const ChartContent& c, const std::string& name) {
    for (const ChartCurve& k : c.curves) {
        if (k.name == name) {
            return &k;
        }
    }
    return nullptr;
}

TEST(ChartSet, EveryChartHasItsTitlesAndOneChartPerDriverSlot) {
    ChartSet set;
    ASSERT_EQ(set.charts().size(), 5u + kMaxChassis + 11u);
    const ChartContent& box = set.chart(ChartKind::Box);
    EXPECT_EQ(box.title, "Frequenzgang Gesamtbox");
    EXPECT_EQ(box.subtitle, utf8ToLatin1("(alle Verstärker und Chassis)"));
    EXPECT_EQ(set.chart(ChartKind::DirectionsLeft).title,
              "Richtungen vorne und verschiedene Winkel nach links");
    EXPECT_EQ(set.chart(ChartKind::DirectionsUp).subtitle, "");
    for (int n = 0; n < kMaxChassis; ++n) {
        const ChartContent& c = set.chart(ChartKind::Chassis, n);
        EXPECT_EQ(c.title, "Frequenzgang Chassis " + std::to_string(n + 1));
        EXPECT_EQ(c.chassis, n);
        EXPECT_EQ(c.subtitle, "Chassis selbst, .. mit Schallwand, .. aktivem Filter, .. Weiche");
    }
    EXPECT_EQ(set.chart(ChartKind::Phase).title, utf8ToLatin1("Phasengänge"));
    EXPECT_EQ(set.chart(ChartKind::MaxVoltage).subtitle,
              utf8ToLatin1("vor aktivem Filter für linearen Hub und max. elektr. Belastbarkeit"));
    EXPECT_EQ(
        set.chart(ChartKind::MaxLevel).subtitle,
        utf8ToLatin1("in Hauptstrahlrichtung für linearen Hub und max. elektr. Belastbarkeit"));
    EXPECT_EQ(set.chart(ChartKind::DriverVoltages).subtitle, "0 dB = 2,83V");
    EXPECT_EQ(set.chart(ChartKind::DirectivityIndex).title, utf8ToLatin1("Bündelungsmaß"));
    EXPECT_EQ(set.chart(ChartKind::ElectricalPhase).title,
              "Phasenlage des elektrischen Signals an den Chassis");
    EXPECT_EQ(set.chart(ChartKind::GroupDelay).subtitle, "Gesamtbox und Einzelchassis auf Achse");
    EXPECT_EQ(set.chart(ChartKind::DirectivityIndex).internalName, "bcFgnagBmass");
    EXPECT_EQ(set.chart(ChartKind::Impulse).title, "Impulsantwort");
    EXPECT_EQ(set.chart(ChartKind::Step).title, "Sprungantwort");
    for (const ChartKind k : {ChartKind::Impulse, ChartKind::Step}) {
        EXPECT_EQ(set.chart(k).x.label, "Zeit [ms]");
        EXPECT_FALSE(set.chart(k).x.logarithmic);
    }
    EXPECT_TRUE(set.chart(ChartKind::Reflections).x.logarithmic);
}

// A two-way whose drivers are a complementary first-order pair at 1 kHz, both 2 ms away: the box
// is a pure delay of 2 ms. Its impulse peaks there and its step rises there to 1; the drivers'
// curves add up to the box's, since the transform is linear where the curves are smooth.
TEST(ChartSet, TimeChartsShowTheBoxAndItsDriversOverTime) {
    constexpr int kPoints = 250;
    constexpr double kDelay = 2e-3;  // s
    constexpr double kCorner = 1000; // Hz
    auto r = syntheticResult(0);
    std::vector<double> freq(kCurvePoints);
    BuildFrequencyGrid(20, 20000, kPoints, freq.data());
    for (int i = 0; i < kPoints; ++i) {
        const double f = freq[static_cast<std::size_t>(i)];
        r->freq[i] = f;
        const std::complex<double> delay = std::polar(1.0, -2 * std::numbers::pi * f * kDelay);
        const std::complex<double> jf(0, f / kCorner);
        const std::complex<double> low = delay / (1.0 + jf);
        const std::complex<double> high = delay * jf / (1.0 + jf);
        r->fgang_chassis[0][0][i][0] = {low.real(), low.imag()};
        r->fgang_chassis[1][0][i][0] = {high.real(), high.imag()};
        r->fgang_box[i][0] = {delay.real(), delay.imag()};
    }
    r->nfreq = kPoints;
    ChartSet set;
    EXPECT_TRUE(set.update(*r, defaultAnzOption(), ChartSwitches{}).empty());
    for (const ChartKind k : {ChartKind::Impulse, ChartKind::Step}) {
        const ChartContent& c = set.chart(k);
        SCOPED_TRACE(c.title);
        ASSERT_EQ(c.curves.size(), 3u);
        EXPECT_EQ(c.curves[0].name, "Gesamt");
        EXPECT_EQ(c.curves[1].name, "TT1");
        EXPECT_EQ(c.curves[2].name, "TT2");
        EXPECT_EQ(c.emptyText, "");
        EXPECT_EQ(c.subtitle.rfind(utf8ToLatin1("Abtastrate 48000 Hz, Länge 65536 Punkte"), 0), 0u)
            << c.subtitle;
        EXPECT_NE(c.subtitle.find("Fenster: unter 20 Hz"), std::string::npos) << c.subtitle;
        const ChartCurve& box = c.curves[0];
        ASSERT_GT(box.x.size(), 100u);
        EXPECT_NEAR(box.x.front(), -1.0, 1e-9); // 1 ms before t = 0
        EXPECT_NEAR(box.x[1] - box.x[0], 1000.0 / 48000, 1e-12);
        EXPECT_GT(box.x.back(), 1000 * kDelay);
        EXPECT_DOUBLE_EQ(c.x.min, box.x.front());
        EXPECT_DOUBLE_EQ(c.x.max, box.x.back());
        double peak = 0;
        double worst = 0;
        for (std::size_t m = 0; m < box.y.size(); ++m) {
            ASSERT_EQ(c.curves[1].x[m], box.x[m]);
            peak = std::max(peak, std::abs(box.y[m]));
            worst = std::max(worst, std::abs(c.curves[1].y[m] + c.curves[2].y[m] - box.y[m]));
        }
        EXPECT_LT(worst, 0.01 * peak);
        if (k == ChartKind::Impulse) {
            const auto top = std::max_element(box.y.begin(), box.y.end());
            const double at = box.x[static_cast<std::size_t>(top - box.y.begin())];
            EXPECT_NEAR(at, 1000 * kDelay, 1000.0 / 48000); // within one sample
        } else {
            for (std::size_t m = 0; m < box.y.size(); ++m) {
                if (box.x[m] < 1000 * kDelay - 0.5) {
                    EXPECT_NEAR(box.y[m], 0.0, 0.02) << box.x[m];
                } else if (box.x[m] > 1000 * kDelay + 0.5) {
                    EXPECT_NEAR(box.y[m], 1.0, 0.02) << box.x[m];
                }
            }
        }
    }
    // The comparison layer keeps the time axis.
    set.rememberComparison();
    EXPECT_EQ(set.chart(ChartKind::Step).comparison.size(), 3u);
    EXPECT_EQ(set.chart(ChartKind::Step).comparison[0].x, set.chart(ChartKind::Step).curves[0].x);

    // Before a valid result there is nothing to transform.
    r->valid = false;
    EXPECT_TRUE(set.update(*r, defaultAnzOption(), ChartSwitches{}).empty());
    EXPECT_TRUE(set.chart(ChartKind::Impulse).curves.empty());
    EXPECT_EQ(set.chart(ChartKind::Impulse).emptyText, utf8ToLatin1(kNoResultText));
}

// The spinorama charts show the analysis' curves under their captions, the directivity indices on
// the right axis, and the rating beside the chart; a grid in octave steps cannot give the rating.
TEST(ChartSet, SpinoramaChartsShowTheAnalysisCurvesAndTheRating) {
    auto r = syntheticResult(8); // 100 Hz .. 12.8 kHz
    for (int i = 0; i < 8; ++i) {
        for (int n = 0; n < kPlaneAngles; ++n) {
            r->fgang_box_h[i][n] = r->fgang_box_v[i][n] = Complex{0.25, 0.0}; // about 100 dB
        }
    }
    auto p = std::make_unique<TProjekt>();
    initDefaultProjekt(*p);
    ChartSet set;
    EXPECT_TRUE(set.update(*r, p->option, ChartSwitches{}).empty());
    const double level = 20 * std::log10(0.25) + 112;

    const ChartContent& spin = set.chart(ChartKind::Spinorama);
    EXPECT_EQ(spin.title, "Spinorama");
    ASSERT_EQ(spin.curves.size(), 7u);
    EXPECT_TRUE(spin.hasRightAxis);
    const char* names[] = {"Achse",
                           "Hörfenster",
                           "Frühe Reflexionen",
                           "Schallleistung",
                           "Vorhergesagte Raumantwort",
                           "DI frühe Reflexionen",
                           "DI Schallleistung"};
    for (std::size_t k = 0; k < 7; ++k) {
        const ChartCurve& c = spin.curves[k];
        EXPECT_EQ(c.name, utf8ToLatin1(names[k]));
        const bool di = k >= 5;
        EXPECT_EQ(c.axis, di ? ChartAxis::Right : ChartAxis::Left) << k;
        ASSERT_EQ(c.y.size(), 8u);
        for (double v : c.y) {
            EXPECT_NEAR(v, di ? 0.0 : level, 1e-12) << k;
        }
    }
    ASSERT_EQ(spin.notes.size(), 6u);
    EXPECT_EQ(spin.notes[0], "Bewertung: nicht berechenbar");
    EXPECT_EQ(spin.notes[2], "NBD_ON: Kein Rasterpunkt im Halboktavband 141 Hz bis 200 Hz.");

    const ChartContent& groups = set.chart(ChartKind::Reflections);
    EXPECT_EQ(groups.title, utf8ToLatin1("Frühe Reflexionen"));
    ASSERT_EQ(groups.curves.size(), 5u);
    EXPECT_EQ(groups.curves[0].name, "Boden");
    EXPECT_EQ(groups.curves[4].name, utf8ToLatin1("Rückwand"));
    EXPECT_TRUE(groups.notes.empty());
    for (const ChartCurve& c : groups.curves) {
        EXPECT_EQ(c.axis, ChartAxis::Left);
        EXPECT_NEAR(c.y.at(3), level, 1e-12);
    }
}

TEST(ChartLevels, LevelConversionAndZeroResponse) {
    EXPECT_DOUBLE_EQ(responseLevel({1.0, 0.0}), 112.0);
    EXPECT_NEAR(responseLevel({0.0, 0.5}), 112.0 - 20.0 * std::log10(2.0), 1e-12);
    EXPECT_NEAR(responseLevel({3.0, 4.0}), 112.0 + 20.0 * std::log10(5.0), 1e-12);
    EXPECT_NEAR(responseLevel({0.0, 0.0}), -888.0, 1e-9);
    EXPECT_NEAR(phaseDegrees({0.0, -1.0}), -90.0, 1e-12);
    // A box that radiates into half space only: on axis sqrt 2 above the sphere's RMS.
    EXPECT_NEAR(energyLevel({1.0, 0.0}, std::sqrt(2.0)), 112.0 - 20.0 * std::log10(std::sqrt(2.0)),
                1e-6);
}

TEST(ChartSet, ZeroResultDrawsAtMinus888DbWithoutFailing) {
    ChartSet set;
    auto r = syntheticResult(4);
    const auto failures = set.update(*r, defaultAnzOption(), ChartSwitches{});
    EXPECT_TRUE(failures.empty());
    const ChartCurve* total = findCurve(set.chart(ChartKind::Box), "Gesamt");
    ASSERT_NE(total, nullptr);
    ASSERT_EQ(total->y.size(), 4u);
    for (double y : total->y) {
        EXPECT_NEAR(y, -888.0, 1e-9);
    }
    EXPECT_EQ(total->x[3], 800.0);
}

TEST(ChartSet, AxesColoursAndWidthComeFromTheDisplayOptions) {
    ChartSet set;
    auto r = syntheticResult(3);
    TAnzOption o = defaultAnzOption();
    o.Afmin = 31.5;
    o.Afmax = 16000;
    o.dBmin = 50;
    o.dBmax = 100;
    o.ImpMax = 40;
    o.GraphsThickness = 3;
    o.ColorSetAmps[0] = 0x123456;
    o.ColorSetChassis[2] = 0x654321;
    set.update(*r, o, ChartSwitches{});
    const ChartContent& box = set.chart(ChartKind::Box);
    EXPECT_TRUE(box.x.logarithmic);
    EXPECT_EQ(box.x.min, 31.5);
    EXPECT_EQ(box.x.max, 16000);
    EXPECT_EQ(box.y.min, 50);
    EXPECT_EQ(box.y.max, 100);
    ASSERT_TRUE(box.hasRightAxis);
    EXPECT_EQ(box.y2.max, 40);
    const ChartCurve* total = findCurve(box, "Gesamt");
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->color, 0x123456u);
    EXPECT_EQ(total->width, 6);                       // the whole box at twice the chosen width
    const ChartCurve* second = findCurve(box, "TT2"); // driver index 1 takes slot 2
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->width, 3);
    EXPECT_EQ(second->color, 0x654321u);
    EXPECT_EQ(set.chart(ChartKind::GroupDelay).x.max, 16000);
}

TEST(ChartSet, BoxChartFollowsTheSwitches) {
    ChartSet set;
    auto r = syntheticResult(2);
    r->impedanz_box[0][1] = {6.0, 8.0};
    r->fgang_box[1][0] = {1.0, 0.0};
    r->fgang_bmass[1] = 2.0;
    ChartSwitches s;
    s.impedance = true;
    s.energy = true;
    s.singleDrivers = false;
    set.update(*r, defaultAnzOption(), s);
    const ChartContent& box = set.chart(ChartKind::Box);
    const ChartCurve* z = findCurve(box, utf8ToLatin1("Impedanz Verstärker 1"));
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(z->axis, ChartAxis::Right);
    EXPECT_NEAR(z->y[1], 10.0, 1e-12); // magnitude, whatever the sign of the real part
    const ChartCurve* e = findCurve(box, "Energiefrequenzgang");
    ASSERT_NE(e, nullptr);
    EXPECT_NEAR(e->y[1], 112.0 - 20.0 * std::log10(2.0), 1e-6);
    EXPECT_EQ(findCurve(box, "TT1"), nullptr);

    s.impedance = false;
    s.energy = false;
    s.singleDrivers = true;
    set.update(*r, defaultAnzOption(), s);
    EXPECT_FALSE(set.chart(ChartKind::Box).hasRightAxis);
    EXPECT_EQ(findCurve(set.chart(ChartKind::Box), "Energiefrequenzgang"), nullptr);
    EXPECT_NE(findCurve(set.chart(ChartKind::Box), "TT1"), nullptr);
}

TEST(ChartSet, DirectionChartsTakeTheirSideOfThePlaneResults) {
    ChartSet set;
    auto r = syntheticResult(1);
    r->fgang_box_v[0][180 + 45] = {0.5, 0.0};            // 45° up
    r->fgang_box_v[0][180 - 45] = {0.25, 0.0};           // 45° down
    r->fgang_box_h[0][180 + 90] = {2.0, 0.0};            // 90° right
    r->fgang_box_h[0][0] = {4.0, 0.0};                   // straight back
    set.update(*r, defaultAnzOption(), ChartSwitches{}); // default set 0, 15, ..., 90°
    const ChartContent& up = set.chart(ChartKind::DirectionsUp);
    ASSERT_EQ(up.curves.size(), 7u);
    EXPECT_EQ(up.curves[0].name, "vorne");
    EXPECT_EQ(up.curves[3].name, utf8ToLatin1("45°"));
    EXPECT_NEAR(up.curves[3].y[0], 112.0 + 20.0 * std::log10(0.5), 1e-9);
    EXPECT_NEAR(set.chart(ChartKind::DirectionsDown).curves[3].y[0],
                112.0 + 20.0 * std::log10(0.25), 1e-9);
    EXPECT_NEAR(set.chart(ChartKind::DirectionsRight).curves[6].y[0],
                112.0 + 20.0 * std::log10(2.0), 1e-9);
    EXPECT_NEAR(set.chart(ChartKind::DirectionsLeft).curves[6].y[0], -888.0, 1e-9);
    EXPECT_EQ(up.curves[2].color, defaultAnzOption().ColorSetRichtungen[2]);

    ChartSwitches wide;
    wide.directionSet = 3; // 0, 30, ..., 180°: the last curve looks straight back
    set.update(*r, defaultAnzOption(), wide);
    EXPECT_NEAR(set.chart(ChartKind::DirectionsLeft).curves[6].y[0], 112.0 + 20.0 * std::log10(4.0),
                1e-9);
    EXPECT_EQ(directionAngleSetCaption(2), utf8ToLatin1("0, 15, 30, 45, 60, 75 und 90°"));
    EXPECT_EQ(directionAngleSetCaption(0), utf8ToLatin1("0, 5, 10, 15, 20, 25 und 30°"));
    EXPECT_EQ(directionAngles(-1), directionAngles(kDefaultDirectionAngleSet));
}

TEST(ChartSet, DriverChartShowsTheStagesOfItsChain) {
    ChartSet set;
    auto r = syntheticResult(1, 1, 2);
    r->fgang_ch[1][0][0] = {0.5, 0.0};
    r->fgang_sw[1][0][0][0] = {0.0, 2.0}; // baffle doubles the pressure and turns it
    r->fgang_akt[0][0] = {0.5, 0.0};
    r->fgang_chas[1][0][0][0] = {0.25, 0.0};
    r->impedanz_ch[1][0] = {-3.0, 4.0};
    set.update(*r, defaultAnzOption(), ChartSwitches{});
    const ChartContent& c = set.chart(ChartKind::Chassis, 1);
    EXPECT_NEAR(findCurve(c, "Chassis selbst")->y[0], 112.0 + 20.0 * std::log10(0.5), 1e-9);
    EXPECT_NEAR(findCurve(c, "mit Schallwand")->y[0], 112.0, 1e-9);
    EXPECT_NEAR(findCurve(c, "mit aktivem Filter")->y[0], 112.0 + 20.0 * std::log10(0.5), 1e-9);
    EXPECT_NEAR(findCurve(c, "mit Weiche")->y[0], 112.0 + 20.0 * std::log10(0.25), 1e-9);
    EXPECT_NEAR(findCurve(c, "Impedanz")->y[0], 5.0, 1e-12);
    // Slots beyond the project's drivers stay empty.
    EXPECT_TRUE(set.chart(ChartKind::Chassis, 2).curves.empty());

    r->chassisAmp[1] = -1; // in no network: no filter or crossover stage to show
    set.update(*r, defaultAnzOption(), ChartSwitches{});
    EXPECT_EQ(findCurve(set.chart(ChartKind::Chassis, 1), "mit Weiche"), nullptr);
    EXPECT_EQ(set.chart(ChartKind::DriverVoltages).curves.size(), 1u);
}

TEST(ChartSet, LimitAndDelayChartsConvertTheirUnits) {
    ChartSet set;
    auto r = syntheticResult(2, 1, 1);
    r->fgang_glz[kBoxSlot][0] = 0.002; // s
    r->fgang_glz[kBoxSlot][1] = 0.001;
    r->fgang_peg[kBoxSlot][0] = 10.0; // linear ratio
    r->fgang_Uel_preamp[kBoxSlot][0] = 20.0;
    r->fgang_Uel_preamp[kBoxSlot][1] = 0.0; // nothing a logarithmic axis can show
    r->fgang_bmass[0] = std::sqrt(2.0);
    r->fgang_akt[0][0] = {2.0, 0.0};
    r->fgang_weiche[0][0] = {0.0, 0.5};
    set.update(*r, defaultAnzOption(), ChartSwitches{});
    const ChartContent& glz = set.chart(ChartKind::GroupDelay);
    EXPECT_NEAR(findCurve(glz, "Gesamt")->y[0], 2.0, 1e-12);
    EXPECT_LE(glz.y.min, 1.0);
    EXPECT_GE(glz.y.max, 2.0);
    EXPECT_NEAR(findCurve(set.chart(ChartKind::MaxLevel), "Gesamt")->y[0], 132.0, 1e-9);
    const ChartContent& umax = set.chart(ChartKind::MaxVoltage);
    EXPECT_TRUE(umax.y.logarithmic);
    EXPECT_EQ(findCurve(umax, "Gesamt")->y[0], 20.0);
    EXPECT_TRUE(std::isnan(findCurve(umax, "Gesamt")->y[1]));
    EXPECT_GT(umax.y.min, 0.0);
    EXPECT_NEAR(findCurve(set.chart(ChartKind::DirectivityIndex), "Gesamt")->y[0], 3.0103, 1e-4);
    EXPECT_NEAR(set.chart(ChartKind::DriverVoltages).curves[0].y[0], 0.0, 1e-9);
    EXPECT_NEAR(set.chart(ChartKind::ElectricalPhase).curves[0].y[0], 90.0, 1e-9);
}

TEST(ChartSet, ComparisonLayerIsCopiedAndCleared) {
    ChartSet set;
    auto r = syntheticResult(3);
    r->fgang_box[0][0] = {1.0, 0.0};
    set.update(*r, defaultAnzOption(), ChartSwitches{});
    set.rememberComparison();
    r->fgang_box[0][0] = {0.1, 0.0};
    set.update(*r, defaultAnzOption(), ChartSwitches{});
    for (const ChartContent& c : set.charts()) {
        EXPECT_EQ(c.comparison.size(), c.curves.size()) << c.internalName;
    }
    const ChartContent& box = set.chart(ChartKind::Box);
    EXPECT_NEAR(box.comparison[0].y[0], 112.0, 1e-9);
    EXPECT_NEAR(box.curves[0].y[0], 92.0, 1e-9);
    set.clearComparison();
    for (const ChartContent& c : set.charts()) {
        EXPECT_TRUE(c.comparison.empty());
    }
}

TEST(ChartSet, OneFailingChartIsReportedAndTheOthersAreStillBuilt) {
    ChartSet set;
    const int phase = set.indexOf(ChartKind::Phase);
    set.replaceBuilder(
        phase, [](ChartContent& c, const TResult&, const TAnzOption&, const ChartSwitches&) {
            c.curves.push_back({});
            throw std::runtime_error("broken");
        });
    auto r = syntheticResult(3);
    const auto failures = set.update(*r, defaultAnzOption(), ChartSwitches{});
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "Unerwarteter Fehler: UpdateCharts mit bcFgangPha");
    EXPECT_TRUE(set.chart(ChartKind::Phase).curves.empty());
    EXPECT_FALSE(set.chart(ChartKind::GroupDelay).curves.empty()); // after the failing one
    EXPECT_FALSE(set.chart(ChartKind::Box).curves.empty());
}

TEST(ChartSet, DamagedCountsDrawNothingBeyondTheArrays) {
    ChartSet set;
    auto r = syntheticResult(3);
    r->nfreq = 100000;
    r->nAmps = -4;
    r->nChassis = 999;
    EXPECT_TRUE(set.update(*r, defaultAnzOption(), ChartSwitches{}).empty());
    EXPECT_EQ(set.chart(ChartKind::Box).curves[0].y.size(), 256u);
    EXPECT_EQ(set.chart(ChartKind::Phase).curves.size(), 1u + kMaxChassis);
}

} // namespace
} // namespace sonora
