#include "acoustics/baffle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "acoustics/baffle_driver_table.h"
#include "acoustics/baffle_membrane.h"
#include "acoustics/direction_set.h"
#include "storage/latin1.h"
#include "tests/acoustics/baffle_test_support.h"

namespace sonora {
namespace {

using namespace baffle_test;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const std::string kMsgD = utf8ToLatin1("Maß d auf Schallwand muss >= 0 sein. ");
const std::string kMsgEfgi = utf8ToLatin1("Maße e, f, g, und i auf Schallwand müssen >= 0 sein. ");
const std::string kMsgAbch = utf8ToLatin1("Maße a, b, c und h auf Schallwand müssen > 0 sein. ");
const std::string kMsgPos =
    utf8ToLatin1("Chassisposition auf der Schallwand geometrisch nicht möglich. ");
const std::string kUnknown = "Unbekannter Fehler.";

double meanAxis(const Response& r, const std::vector<double>& f, double from, double to) {
    double sum = 0.0;
    int n = 0;
    for (int i = 0; f[i] > 0.0; ++i) {
        if (f[i] >= from && f[i] <= to) {
            sum += std::abs(cx(r.rows[i][0]));
            ++n;
        }
    }
    return sum / n;
}

// The baffle step: well below the baffle size in wavelengths half the sound flows round the edges
// (−6 dB on axis), well above the baffle radiates into half space (0 dB); edge ripple in between.
TEST(BaffleModel, BaffleStep) {
    const auto f = grid(20.0, 20000.0, 60);
    auto r = makeResponse();
    ASSERT_EQ(run(*r, centredBaffle(), f), "OK");
    EXPECT_NEAR(meanAxis(*r, f, 20.0, 60.0), 0.5, 0.01);
    EXPECT_NEAR(meanAxis(*r, f, 8000.0, 20000.0), 1.0, 0.05);
    EXPECT_TRUE(allFinite(*r));
    // The rows beyond the grid keep the tiny value.
    for (int i = 60; i < kResultFreqs; ++i) {
        for (int n = 0; n < kDirections; ++n) {
            ASSERT_EQ(cx(r->rows[i][n]), cx(kTinyResponse)) << i << " " << n;
        }
    }
}

// Without edges the front directions are the driver's own directivity: for a cone the piston,
// behind the baffle nothing, in its plane half the 90° value.
TEST(BaffleModel, WithoutEdgesTheDriverAlone) {
    const auto f = grid(100.0, 20000.0, 12);
    TSchallwand sw = centredBaffle(0.1);
    setEdges(sw, false);
    auto r = makeResponse();
    for (int form : {0, 1}) {
        ASSERT_EQ(run(*r, sw, f, form), "OK");
        const MembraneModel model(sw.swd, form);
        for (int i = 0; i < 12; ++i) {
            const double lambda = 344.0 / f[i];
            DriverTable t{};
            membraneTable(model, sw.swd, form, lambda, t);
            for (int n = 0; n < kDirections; ++n) {
                const bool behind = n >= 13 && n <= 21, inPlane = n >= 22 && n <= 29;
                const Cx expected = behind ? Cx(0.0, 0.0) : inPlane ? 0.5 * cx(t.D90) : cx(t.D[n]);
                ASSERT_EQ(cx(r->rows[i][n]), expected) << form << " " << i << " " << n;
            }
            if (form == 0) {
                EXPECT_EQ(cx(r->rows[i][0]), Cx(1.0, 0.0));
            } else {
                const double k = 2.0 * std::numbers::pi / lambda;
                EXPECT_NEAR(std::abs(cx(r->rows[i][0])), 1.0, 1e-15);
                for (int q = 0; q < 4; ++q) {
                    EXPECT_NEAR(std::abs(cx(r->rows[i][1 + q])), std::abs(piston(k * 0.05 * 0.5)),
                                1e-3);
                    EXPECT_NEAR(std::abs(cx(r->rows[i][9 + q])), std::abs(piston(k * 0.05)), 1e-3);
                }
            }
        }
    }
    // Without edges the baffle dimensions are not checked.
    sw.swa = 0.0;
    sw.swb = -1.0;
    sw.swh = kNaN;
    EXPECT_EQ(run(*r, sw, f), "OK");
    EXPECT_TRUE(allFinite(*r));
}

// Zero edge weights are the same as no edges; the tuning in use is what CalcBaffle reads.
TEST(BaffleModel, TuningValuesAreUsed) {
    const auto f = grid(100.0, 10000.0, 8);
    const TSchallwand sw = bevelledBaffle();
    TSchallwand off = sw;
    setEdges(off, false);
    auto none = makeResponse(), silent = makeResponse(), normal = makeResponse();
    ASSERT_EQ(run(*none, off, f), "OK");
    BaffleTuning t = kStartBaffleTuning;
    t.outerEdgeWeight = t.innerEdgeWeight = 0.0;
    auto ch = std::make_unique<TChassis>();
    std::string text;
    CalcBaffle(silent->rows, sw, *ch, text, kBaffleGridCount, f.data(), 1, t);
    ASSERT_EQ(text, "OK");
    for (int i = 0; i < 8; ++i) {
        for (int n = 0; n < kDirections; ++n) {
            ASSERT_EQ(cx(silent->rows[i][n]), cx(none->rows[i][n])) << i << " " << n;
        }
    }
    ASSERT_EQ(run(*normal, sw, f), "OK");
    setBaffleTuning(t);
    EXPECT_EQ(baffleTuning().outerEdgeWeight, 0.0);
    ASSERT_EQ(run(*silent, sw, f), "OK");
    setBaffleTuning(kStartBaffleTuning);
    EXPECT_EQ(cx(silent->rows[3][0]), cx(none->rows[3][0]));
    EXPECT_NE(cx(normal->rows[3][0]), cx(none->rows[3][0]));
}

TEST(BaffleModel, CheckMessagesAndTheirOrder) {
    const auto f = grid(100.0, 1000.0, 6);
    auto r = makeResponse();
    const auto expectFailure = [&](const TSchallwand& sw, const std::string& text) {
        EXPECT_EQ(run(*r, sw, f), text);
        EXPECT_TRUE(allTiny(*r));
    };
    TSchallwand sw = centredBaffle();
    sw.swd = -0.01;
    expectFailure(sw, kMsgD);
    sw = centredBaffle();
    sw.swi = -0.001;
    expectFailure(sw, kMsgEfgi);
    sw.swi = 0.0;
    sw.swf = kNaN;
    expectFailure(sw, kMsgEfgi + kMsgPos);
    // All four, in order; NaN fails every check it enters.
    sw = centredBaffle();
    sw.swd = kNaN;
    sw.swe = -0.01;
    sw.swb = 0.0;
    expectFailure(sw, kMsgD + kMsgEfgi + kMsgAbch + kMsgPos);
    sw = centredBaffle();
    sw.swh = kNaN;
    expectFailure(sw, kMsgAbch + kMsgPos);
    // One edge on is enough for the dimension checks.
    setEdges(sw, false);
    sw.beugr = true;
    expectFailure(sw, kMsgAbch + kMsgPos);
    // The test enclosures have no geometry to check.
    sw.direction = -2;
    EXPECT_EQ(run(*r, sw, f), "OK");
}

// The outlet circle may touch a bevel; a hair more and it no longer fits.
TEST(BaffleModel, OutletTouchingABevel) {
    const auto f = grid(100.0, 1000.0, 6);
    TSchallwand sw = bevelledBaffle();
    sw.swc = 0.1;
    sw.swe = 0.02;
    sw.swd = 2.0 * (sw.swc - sw.swe) - 1e-10; // d/2 + e = c with d = swd + 1e-10
    while ((sw.swd + 1e-10) / 2.0 + sw.swe > sw.swc) {
        sw.swd = std::nextafter(sw.swd, 0.0);
    }
    ASSERT_GT((sw.swd + 1e-10) / 2.0 + sw.swe, sw.swc - 1e-15);
    auto r = makeResponse();
    EXPECT_EQ(run(*r, sw, f), "OK");
    sw.swd += 1e-9;
    EXPECT_EQ(run(*r, sw, f), kMsgPos);
    // The other three sides, each with its own bevel.
    for (int side = 0; side < 3; ++side) {
        TSchallwand s = bevelledBaffle();
        s.swd = 0.1;
        if (side == 0) {
            s.swa = s.swi + 0.05 + 1e-10; // bottom: d/2 + i = a with d = swd + 1e-10
        } else if (side == 1) {
            s.swh = s.swa + s.swg + 0.05 - 1e-9; // top: a + d/2 > h - g
        } else {
            s.swb = s.swc + s.swf + 0.05 - 1e-9; // right: c + d/2 > b - f
        }
        EXPECT_EQ(run(*r, s, f), side == 0 ? std::string("OK") : kMsgPos) << side;
    }
}

// Zero, negative, NaN and infinite values never crash and never leave a non-finite number; a
// failure leaves the tiny value everywhere.
TEST(BaffleModel, HostileValues) {
    const auto f = grid(50.0, 15000.0, 3);
    auto r = makeResponse();
    double TSchallwand::*fields[] = {&TSchallwand::swa, &TSchallwand::swb, &TSchallwand::swc,
                                     &TSchallwand::swd, &TSchallwand::swe, &TSchallwand::swf,
                                     &TSchallwand::swg, &TSchallwand::swh, &TSchallwand::swi};
    for (bool edges : {true, false}) {
        // (A zero bevel is the usual baffle; zero dimensions with edges are in the message test.)
        const std::vector<double> values = edges
                                               ? std::vector<double>{-1.0, kNaN, kInf, 1e300}
                                               : std::vector<double>{0.0, -kInf, kNaN, kInf, 1e300};
        for (double value : values) {
            for (auto field : fields) {
                TSchallwand sw = bevelledBaffle();
                setEdges(sw, edges);
                sw.*field = value;
                const std::string text = run(*r, sw, f);
                ASSERT_TRUE(allFinite(*r)) << value << " " << text;
                if (text != "OK") {
                    ASSERT_TRUE(allTiny(*r)) << value << " " << text;
                }
            }
        }
    }
    // Infinite baffles pass the checks; the computation then meets infinity and gives up.
    TSchallwand sw = bevelledBaffle();
    sw.swb = sw.swh = kInf;
    EXPECT_EQ(run(*r, sw, f), kUnknown);
    EXPECT_TRUE(allTiny(*r));
    sw = bevelledBaffle();
    setEdges(sw, false);
    sw.swd = kInf;
    EXPECT_EQ(run(*r, sw, f), kUnknown);
    // Hostile grids: a NaN ends the grid, an infinite frequency fails, an empty grid is fine.
    std::vector<double> g = {100.0, kNaN, 300.0, 0.0};
    g.resize(kCurvePoints, 0.0);
    EXPECT_EQ(run(*r, bevelledBaffle(), g), "OK");
    EXPECT_NE(cx(r->rows[0][0]), cx(kTinyResponse));
    EXPECT_EQ(cx(r->rows[1][0]), cx(kTinyResponse));
    g[1] = kInf;
    EXPECT_EQ(run(*r, bevelledBaffle(), g), kUnknown);
    EXPECT_TRUE(allTiny(*r));
    g[0] = 0.0;
    EXPECT_EQ(run(*r, bevelledBaffle(), g), "OK");
    EXPECT_TRUE(allTiny(*r));
    std::string text = "x";
    auto ch = std::make_unique<TChassis>();
    CalcBaffle(r->rows, bevelledBaffle(), *ch, text, -5, f.data(), 0);
    EXPECT_EQ(text, "OK");
    EXPECT_TRUE(allTiny(*r));
    // Hostile measured directivity: a level that vanishes divides by zero.
    ch->Richt.RichtSimu = 1;
    ch->Richt.nRicht = 19;
    ch->Richt.fgangf[0] = 10.0;
    ch->Richt.fgangau[0][0] = -1e6; // dB
    EXPECT_EQ(run(*r, bevelledBaffle(), f, 1, ch.get()), kUnknown);
    EXPECT_TRUE(allTiny(*r));
}

// Radiating backwards, sideways, up or down turns the front pattern: the listener on axis hears
// what the front pattern sends to the direction that now faces him.
TEST(BaffleModel, DirectionsTurnThePattern) {
    const auto f = grid(100.0, 10000.0, 10);
    const TSchallwand front = bevelledBaffle();
    auto r0 = makeResponse(), r = makeResponse();
    ASSERT_EQ(run(*r0, front, f), "OK");
    const int axisFrom[] = {0, 21, 12, 10, 11, 9}; // direction 0..5: straight back, A = +90, ...
    for (int d = 1; d <= 5; ++d) {
        TSchallwand sw = front;
        sw.direction = static_cast<std::int8_t>(d);
        // Directions other than 0 use the membrane model: here the same as in front.
        ASSERT_EQ(run(*r, sw, f), "OK");
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(cx(r->rows[i][0]), cx(r0->rows[i][axisFrom[d]])) << d << " " << i;
            for (int n = 30; n < kDirections; ++n) {
                ASSERT_EQ(cx(r->rows[i][n]), cx(r0->rows[i][n]));
            }
        }
    }
}

// Measured directivity: 1 dB and −0.1 rad per 5° slot, flat over frequency.
std::unique_ptr<TChassis> measuredDriver(int nRicht) {
    auto ch = std::make_unique<TChassis>();
    ch->Richt.RichtSimu = 1;
    ch->Richt.nRicht = nRicht;
    ch->Richt.fgangf[0] = 10.0;
    ch->Richt.fgangf[1] = 100000.0;
    for (int j = 0; j < kMaxRicht; ++j) {
        for (int p = 0; p < 2; ++p) {
            ch->Richt.fgangau[j][p] = 112.0 - j;
            ch->Richt.fgangpu[j][p] = -0.1 * j;
        }
    }
    return ch;
}

Cx slotRatio(int j) {
    return std::polar(std::pow(10.0, -j / 20.0), -0.1 * j);
}

TEST(BaffleModel, MeasuredDirectivity) {
    const auto f = grid(100.0, 10000.0, 8);
    TSchallwand sw = centredBaffle();
    setEdges(sw, false);
    auto r = makeResponse();
    auto ch = measuredDriver(19);
    ASSERT_EQ(run(*r, sw, f, 1, ch.get()), "OK");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(cx(r->rows[i][0]), Cx(1.0, 0.0));
        for (int q = 0; q < 4; ++q) {
            for (int ring = 1; ring <= 3; ++ring) {
                EXPECT_NEAR(std::abs(cx(r->rows[i][4 * ring - 3 + q]) - slotRatio(6 * ring)), 0.0,
                            1e-12);
            }
            // The 5° rings come from the measured slots.
            for (int j = 1; j <= 17; ++j) {
                if (j % 6 == 0) {
                    continue;
                }
                const int n = fivedegreeGroup(j) + q;
                EXPECT_NEAR(std::abs(cx(r->rows[i][n]) - slotRatio(j)), 0.0, 1e-12) << j;
            }
        }
        for (int n = 22; n <= 29; ++n) {
            EXPECT_NEAR(std::abs(cx(r->rows[i][n]) - 0.5 * slotRatio(18)), 0.0, 1e-12);
        }
    }
    // With fewer slots the 5° rings lie between the 30° values.
    auto some = measuredDriver(10);
    ASSERT_EQ(run(*r, sw, f, 1, some.get()), "OK");
    EXPECT_NEAR(std::abs(cx(r->rows[2][30]) - (5.0 / 6.0 + slotRatio(6) / 6.0)), 0.0, 1e-12);
    EXPECT_NEAR(std::abs(cx(r->rows[2][89]) - (slotRatio(12) / 6.0 + 5.0 / 6.0 * slotRatio(18))),
                0.0, 1e-12);
    // Radiating other than to the front, or with fewer than four slots, the membrane decides.
    auto membrane = makeResponse();
    for (const auto& [direction, n] : {std::pair<int, int>{4, 19}, {0, 3}}) {
        sw.direction = static_cast<std::int8_t>(direction);
        auto c = measuredDriver(n);
        ASSERT_EQ(run(*r, sw, f, 1, c.get()), "OK");
        ASSERT_EQ(run(*membrane, sw, f, 1), "OK");
        for (int i = 0; i < 8; ++i) {
            for (int k = 0; k < kDirections; ++k) {
                ASSERT_EQ(cx(r->rows[i][k]), cx(membrane->rows[i][k])) << direction << " " << k;
            }
        }
    }
}

TEST(BaffleModel, ConeAndWaveguideAreTheSame) {
    const auto f = grid(100.0, 20000.0, 10);
    auto cone = makeResponse(), guide = makeResponse(), dome = makeResponse();
    ASSERT_EQ(run(*cone, bevelledBaffle(), f, 1), "OK");
    ASSERT_EQ(run(*guide, bevelledBaffle(), f, 2), "OK");
    ASSERT_EQ(run(*dome, bevelledBaffle(), f, 0), "OK");
    for (int i = 0; i < kResultFreqs; ++i) {
        for (int n = 0; n < kDirections; ++n) {
            ASSERT_EQ(cx(cone->rows[i][n]), cx(guide->rows[i][n]));
        }
    }
    EXPECT_NE(cx(cone->rows[9][1]), cx(dome->rows[9][1]));
}

// The test enclosures give the axis only. Their components add up to 0.99999: at very low
// frequencies the axis is 1 − 0.5·0.99999·V(90°), the same baffle step as a real baffle.
TEST(BaffleModel, TestEnclosuresGiveTheAxisOnly) {
    std::vector<double> f = grid(20.0, 20000.0, 8);
    f[0] = 1e-4; // Hz: the longest path, 25 m, is 5e-5 rad
    auto small = makeResponse(), large = makeResponse(), other = makeResponse();
    TSchallwand sw = bevelledBaffle();
    const double v90 = MembraneModel(sw.swd, 1).directivity(0.0)[2];
    sw.direction = -2;
    ASSERT_EQ(run(*small, sw, f), "OK");
    sw.direction = -3;
    ASSERT_EQ(run(*large, sw, f), "OK");
    sw.direction = -7;
    ASSERT_EQ(run(*other, sw, f), "OK");
    for (const Response* r : {small.get(), large.get()}) {
        EXPECT_NEAR(r->rows[0][0].re, 1.0 - 0.5 * 0.99999 * v90, 1e-6);
        for (int i = 0; i < 8; ++i) {
            for (int n = 1; n < kDirections; ++n) {
                ASSERT_EQ(cx(r->rows[i][n]), cx(kTinyResponse));
            }
        }
    }
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(cx(other->rows[i][0]), cx(large->rows[i][0]));
    }
    EXPECT_NE(cx(small->rows[5][0]), cx(large->rows[5][0]));
}

} // namespace
} // namespace sonora
