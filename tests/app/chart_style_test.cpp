// The rules that keep the line charts readable: near colours, useful ranges, tick texts, the
// legend's place, the empty state and the cursor line of every chart.
#include "app/shell/chart_style.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "app/shell/chart_cursor.h"
#include "app/shell/chart_set.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora {
namespace {

constexpr TColor kMaroon = 0x000080; // 0x00BBGGRR
constexpr TColor kRed = 0x0000D0;
constexpr TColor kBlue = 0xF00000;
constexpr TColor kGreen = 0x00A020;

ChartCurve flatCurve(TColor color, LineStyle style = LineStyle::Solid) {
    ChartCurve c;
    c.color = color;
    c.style = style;
    return c;
}

// A curve over 20 Hz .. 20 kHz on `points` log-spaced points with y = value(share of the axis).
template <typename F> ChartCurve sweep(int points, F value, ChartAxis axis = ChartAxis::Left) {
    ChartCurve c;
    c.axis = axis;
    for (int i = 0; i < points; ++i) {
        const double share = i / double(points - 1);
        c.x.push_back(20.0 * std::pow(1000.0, share));
        c.y.push_back(value(share));
    }
    return c;
}

ChartContent plainChart() {
    ChartContent c;
    c.x = {20.0, 20000.0, true, "Frequenz [Hz]"};
    c.y = {0.0, 100.0, false, "Pegel [dB]"};
    c.y2 = {0.0, 50.0, false, "Impedanz [Ohm]"};
    return c;
}

TEST(ChartStyle, ThinLinesOfOneHueAreTooCloseOthersAreNot) {
    // The box chart's case: the whole box in maroon beside a driver in red.
    EXPECT_TRUE(coloursTooClose(kMaroon, kRed));
    EXPECT_TRUE(coloursTooClose(kRed, kMaroon));
    EXPECT_TRUE(coloursTooClose(kBlue, kBlue));
    EXPECT_TRUE(coloursTooClose(0x808080, 0x8C8C8C)); // two mid greys
    EXPECT_TRUE(coloursTooClose(0x000000, 0x200000)); // black and a navy next to black
    EXPECT_FALSE(coloursTooClose(kBlue, kGreen));
    EXPECT_FALSE(coloursTooClose(kRed, kGreen));
    EXPECT_FALSE(coloursTooClose(0x000000, 0xFFFFFF));
    EXPECT_FALSE(coloursTooClose(0x000000, kRed));
    // Same hue but far apart in lightness: a pale pink is told from a dark red.
    EXPECT_FALSE(coloursTooClose(0x000060, 0xC0C0FF));
}

TEST(ChartStyle, LaterCurveOfANearColourGetsADistinctStyle) {
    std::vector<ChartCurve> curves = {flatCurve(kMaroon), flatCurve(kBlue), flatCurve(kRed),
                                      flatCurve(kMaroon, LineStyle::LongDash), flatCurve(0x000090)};
    separateNearColours(curves);
    EXPECT_EQ(curves[0].style, LineStyle::Solid); // the first keeps its style
    EXPECT_EQ(curves[1].style, LineStyle::Solid); // nothing near blue
    EXPECT_NE(curves[2].style, LineStyle::Solid);
    EXPECT_EQ(curves[3].style, LineStyle::LongDash); // already told apart by its dashes
    // Every pair of near colours now differs in style.
    for (std::size_t a = 0; a < curves.size(); ++a) {
        for (std::size_t b = a + 1; b < curves.size(); ++b) {
            if (coloursTooClose(curves[a].color, curves[b].color)) {
                EXPECT_NE(curves[a].style, curves[b].style) << a << " " << b;
            }
        }
    }
}

TEST(ChartStyle, VoltageAxisShowsAtMostFourDecadesAboveItsLowestCurve) {
    ChartAxisRange axis{0, 1, true, "Spannung [V]"};
    // The three-way's maximum voltages: 5 V at the woofer's resonance, 3e6 V for the tweeter.
    const std::vector<ChartCurve> curves = {
        sweep(100, [](double s) { return 5.0 * std::pow(10.0, 3.0 * s); }),
        sweep(100, [](double s) { return 3e6 * std::pow(10.0, -5.0 * s); }),
        sweep(100, [](double) { return -1.0; })}; // no value a logarithmic axis shows
    autoRangeAxis(axis, curves, ChartAxis::Left);
    EXPECT_LT(axis.min, 5.0);
    EXPECT_GT(axis.min, 1.0);
    EXPECT_LE(axis.max / 5.0, 1e4 * (1 + 1e-12));
    EXPECT_GE(axis.max / 5.0, 1e4 * (1 - 1e-12));
    // A narrow range keeps its margin and is not stretched to four decades.
    autoRangeAxis(axis, {sweep(10, [](double s) { return 10.0 + 10.0 * s; })}, ChartAxis::Left);
    EXPECT_NEAR(axis.min, 10.0 / 1.25, 1e-12);
    EXPECT_NEAR(axis.max, 20.0 * 1.25, 1e-12);
}

TEST(ChartStyle, LevelAxisReachesSixtyDecibelsBelowTheHighestCurve) {
    ChartAxisRange axis{};
    const std::vector<ChartCurve> curves = {sweep(50, [](double s) { return -125.0 * s; }),
                                            sweep(50, [](double) { return -10.0; })};
    autoRangeAxis(axis, curves, ChartAxis::Left, kLevelSpanShown);
    EXPECT_GE(axis.max, 0.0);
    EXPECT_LE(axis.min, -60.0);
    EXPECT_GE(axis.min, -60.0 - 0.1 * 60.0);
    // Curves on the right axis do not widen the left one.
    autoRangeAxis(axis,
                  {sweep(
                       5, [](double) { return 1e6; }, ChartAxis::Right),
                   curves[1]},
                  ChartAxis::Left, kLevelSpanShown);
    EXPECT_LT(axis.max, 0.0);
    EXPECT_GT(axis.min, -11.0);
}

TEST(ChartStyle, TickTextsOfOneAxisShareOneStyle) {
    auto hasPower = [](const std::string& t) { return t.find('E') != std::string::npos; };
    const auto plain = tickTexts({1, 10, 100, 1000, 10000, 100000, 1e6});
    ASSERT_EQ(plain.size(), 7u);
    EXPECT_EQ(plain[0], "1");
    EXPECT_EQ(plain[6], "1000000");
    for (const std::string& t : plain) {
        EXPECT_FALSE(hasPower(t)) << t;
    }
    const auto decimals = tickTexts({0.1 + 0.2, 0.5, -1.5, 0.0});
    EXPECT_EQ(decimals, (std::vector<std::string>{"0,3", "0,5", "-1,5", "0"}));
    // One number beyond the plain width puts the whole axis into the power form.
    const auto powers = tickTexts({1e5, 1e7, 1e9, 2.5e10});
    EXPECT_EQ(powers, (std::vector<std::string>{"1E5", "1E7", "1E9", "2,5E10"}));
    EXPECT_EQ(tickTexts({0.001, 1e-6}), (std::vector<std::string>{"1E-3", "1E-6"}));
}

TEST(ChartStyle, LegendGoesWhereItHidesTheLeastData) {
    ChartContent c = plainChart();
    // An empty chart keeps the usual corner.
    EXPECT_EQ(legendPlace(c, 0.3, 0.3), LegendPlace::TopRight);
    // A curve high on the right (a tweeter) and one high on the left: a bottom corner is free.
    c.curves.push_back(sweep(200, [](double s) { return s < 0.5 ? 40.0 : 90.0; }));
    c.curves.push_back(sweep(200, [](double s) { return s < 0.5 ? 90.0 : 40.0; }));
    LegendPlace place = legendPlace(c, 0.3, 0.3);
    EXPECT_TRUE(place == LegendPlace::BottomLeft || place == LegendPlace::BottomRight);
    EXPECT_EQ(pointsUnderLegend(c, place, 0.3, 0.3), 0);
    EXPECT_GT(pointsUnderLegend(c, LegendPlace::TopRight, 0.3, 0.3), 0);
    // Curves at every height: no corner is free, the legend goes outside.
    for (int k = 0; k < 10; ++k) {
        c.curves.push_back(sweep(200, [k](double) { return 5.0 + 10.0 * k; }));
    }
    EXPECT_EQ(legendPlace(c, 0.3, 0.3), LegendPlace::Outside);
    // A legend as large as the plot never fits inside.
    EXPECT_EQ(legendPlace(plainChart(), 1.0, 0.2), LegendPlace::Outside);
    // Points off the axis range are not drawn, so they are not hidden either.
    ChartContent off = plainChart();
    off.curves.push_back(sweep(200, [](double) { return 500.0; }));
    EXPECT_EQ(pointsUnderLegend(off, LegendPlace::TopRight, 0.5, 0.5), 0);
    // The right axis's curves are placed by the right axis's range.
    ChartContent right = plainChart();
    right.curves.push_back(sweep(
        200, [](double) { return 45.0; }, ChartAxis::Right));
    EXPECT_GT(pointsUnderLegend(right, LegendPlace::TopLeft, 0.3, 0.3), 0);
    EXPECT_EQ(pointsUnderLegend(right, LegendPlace::BottomLeft, 0.3, 0.3), 0);
}

std::unique_ptr<TResult> threeDriverResult(bool valid) {
    auto r = std::make_unique<TResult>();
    constexpr int kPoints = 30;
    for (int i = 0; i < kPoints; ++i) {
        r->freq[i] = 20.0 * std::pow(1000.0, i / double(kPoints - 1));
        r->fgang_box[i][0] = {1.0, 0.0};
        r->impedanz_box[0][i] = {8.0, 0.0};
        for (int n = 0; n < 3; ++n) {
            r->fgang_chassis[n][0][i][0] = {0.5, 0.0};
        }
    }
    r->nfreq = kPoints;
    r->nAmps = 1;
    r->nChassis = 3;
    for (int n = 0; n < 3; ++n) {
        r->chassisNames[n].assign("TT" + std::to_string(n + 1));
        r->chassisAmp[n] = 0;
    }
    r->valid = valid;
    return r;
}

TEST(ChartStyle, ChartSetDrawsTheWholeBoxThickTheImpedanceDashedAndNearColoursApart) {
    ChartSet set;
    const TAnzOption o = defaultAnzOption();
    set.update(*threeDriverResult(true), o, ChartSwitches{});
    const ChartContent& box = set.chart(ChartKind::Box);
    ASSERT_GE(box.curves.size(), 5u);
    EXPECT_EQ(box.curves[0].name, "Gesamt");
    EXPECT_EQ(box.curves[0].width, 2 * box.curves[1].width);
    const ChartCurve& z = box.curves.back();
    EXPECT_EQ(z.axis, ChartAxis::Right);
    EXPECT_EQ(z.style, LineStyle::LongDash);
    // The default colours put the whole box (maroon) beside the third driver (red).
    ASSERT_TRUE(coloursTooClose(box.curves[0].color, box.curves[3].color));
    for (const ChartContent& c : set.charts()) {
        for (std::size_t a = 0; a < c.curves.size(); ++a) {
            for (std::size_t b = a + 1; b < c.curves.size(); ++b) {
                if (coloursTooClose(c.curves[a].color, c.curves[b].color)) {
                    EXPECT_NE(c.curves[a].style, c.curves[b].style)
                        << c.internalName << ": " << c.curves[a].name << " / " << c.curves[b].name;
                }
            }
        }
    }
    // The reference layer is dashed and named as such in the legend.
    set.rememberComparison();
    const ChartContent& remembered = set.chart(ChartKind::Box);
    ASSERT_EQ(remembered.comparison.size(), remembered.curves.size());
    EXPECT_EQ(remembered.comparison[0].name, "Referenz: Gesamt");
    EXPECT_EQ(remembered.comparison[0].style, LineStyle::Dash);
}

TEST(ChartStyle, ChartsShowAnEmptyStateUntilThereIsSomethingToDraw) {
    ChartSet set;
    for (const ChartContent& c : set.charts()) {
        EXPECT_EQ(c.emptyText, utf8ToLatin1(kNoResultText)) << c.internalName;
    }
    set.update(*threeDriverResult(true), defaultAnzOption(), ChartSwitches{});
    EXPECT_TRUE(set.chart(ChartKind::Box).emptyText.empty());
    EXPECT_TRUE(set.chart(ChartKind::Chassis, 2).emptyText.empty());
    // A driver slot beyond the project's drivers has no curves to show.
    EXPECT_EQ(set.chart(ChartKind::Chassis, 3).emptyText, utf8ToLatin1(kNoCurvesText));
    set.update(*threeDriverResult(false), defaultAnzOption(), ChartSwitches{});
    EXPECT_EQ(set.chart(ChartKind::Box).emptyText, utf8ToLatin1(kNoResultText));
}

TEST(ChartStyle, EveryChartsCursorReadsItsCurvesAtTheGridPoint) {
    ChartSet set;
    set.update(*threeDriverResult(true), defaultAnzOption(), ChartSwitches{});
    const ChartContent& box = set.chart(ChartKind::Box);
    double shown = 0;
    const std::string text = chartCursorText(box, 1000.0, &shown);
    // The first grid point at or right of the pointer, as the box chart's own cursor takes it.
    auto r = threeDriverResult(true);
    const int i = cursorIndex(*r, 1000.0);
    EXPECT_EQ(shown, r->freq[i]);
    const std::string head = "f=" + compactNumberText(5, r->freq[i]) + "Hz, Gesamt: 112dB, ";
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find(utf8ToLatin1("Impedanz Verstärker 1: 8Ohm")), std::string::npos) << text;
    EXPECT_NE(text.find("TT1: 106dB"), std::string::npos) << text;
    // Beyond the grid the last point; a gap reads "-"; no curves gives the resting text.
    ChartContent gap = plainChart();
    gap.curves.push_back(sweep(3, [](double s) { return s > 0.9 ? NAN : 1.0; }));
    gap.curves[0].name = "A";
    EXPECT_EQ(chartCursorText(gap, 1e9), "f=20000Hz, A: -");
    EXPECT_EQ(chartCursorText(gap, 1.0), "f=20Hz, A: 1dB");
    EXPECT_EQ(chartCursorText(plainChart(), 100.0), kCursorRestingText);
}

} // namespace
} // namespace sonora
