// The vent calculator page: volumes, every check with its exact lines, the tuning of a round tube
// against the Helmholtz formula with its end corrections, wall and gap effects, the limits and
// hostile entries.
#include "acoustics/box_calc_port.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "box_calc_test_support.h"
#include "storage/numbers.h"

namespace sonora {
namespace {

using box_calc_test::showsNonNumber;
using box_calc_test::utf8;
using Lines = std::vector<std::string>;

const std::string kCannot = "Sonora kann die Abstimmung nicht berechnen, da der";

PortInput roundTube(double dCm, double lCm) {
    PortInput in;
    in.shape = PortShape::Circular;
    in.d = dCm;
    in.l = lCm;
    return in;
}

bool hasLine(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool tuned(const Lines& lines) {
    for (const std::string& line : lines) {
        if (line.rfind("SPLmax = ", 0) == 0) {
            return true;
        }
    }
    return false;
}

TEST(BoxCalcPort, VolumesOfTheStartValues) {
    // Rectangular 8 x 20 x 15 cm port: 2.4 l; geometric volume 50 - 1.2 l.
    const PortResult r = calcPort({});
    const Lines lines = utf8(r.lines);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Nettovolumen ohne Kanal: 47,6 Liter");
    EXPECT_EQ(lines[1], "Nettovolumen incl. Kanal: 50 Liter");
    EXPECT_EQ(lines[2],
              "Errechnetes geometrisches Volumen: 48,8 Liter (incl. anteiligem Kanalvolumen)");
    EXPECT_EQ(lines[3], "Errechnetes akustisches Volumen: 48,8 Liter");
    EXPECT_TRUE(r.tuning.tuned);
    EXPECT_EQ(lines[4], "fb = " + compactNumberText(5, r.tuning.fb) + " Hz");
    // Fully stuffed: 48.8·(1 + 0.0375·4 + 0.00625·16) = 48.8·1.25 = 61 l.
    PortInput stuffed;
    stuffed.damping = 4;
    EXPECT_EQ(utf8(calcPort(stuffed).lines)[3], "Errechnetes akustisches Volumen: 61 Liter");
    EXPECT_LT(calcPort(stuffed).tuning.fb, r.tuning.fb);
    stuffed.damping = 9; // the slider ends at 4
    EXPECT_EQ(utf8(calcPort(stuffed).lines)[3], "Errechnetes akustisches Volumen: 61 Liter");
}

TEST(BoxCalcPort, VolumeFromInnerDimensions) {
    PortInput in;
    in.volumeMode = PortVolumeMode::Dimensions; // 20 x 98 x 23 cm = 45.08 l
    EXPECT_EQ(utf8(calcPort(in).lines)[1], "Nettovolumen incl. Kanal: 45,08 Liter");
    in.b = -20;
    in.h = -98; // two negative sizes are no box
    EXPECT_TRUE(calcPort(in).lines.empty());
}

TEST(BoxCalcPort, NothingWithoutVolume) {
    for (double v : {0.0, -50.0}) {
        PortInput in;
        in.volume = v;
        EXPECT_TRUE(calcPort(in).lines.empty());
    }
}

TEST(BoxCalcPort, FourTubesCountFourTimesButSubtractOne) {
    PortInput in = roundTube(7, 15);
    in.tubes = 4;
    in.f = in.k = in.i = in.j = 10;
    const PortResult four = calcPort(in);
    in.tubes = 1;
    const PortResult one = calcPort(in);
    EXPECT_NEAR(four.tuning.area, 4 * one.tuning.area, 1e-15);
    EXPECT_NEAR(four.tuning.circumference, 4 * one.tuning.circumference, 1e-15);
    EXPECT_DOUBLE_EQ(four.tuning.ductVolume, one.tuning.ductVolume);
    // 50 l - π·3.5²·15 cm³ = 50 - 0.57727 l.
    EXPECT_EQ(utf8(four.lines)[0], "Nettovolumen ohne Kanal: 49,423 Liter");
    EXPECT_EQ(four.lines[0], one.lines[0]);
    EXPECT_GT(four.tuning.fb, one.tuning.fb); // more area tunes higher
    in.tubes = 7;                             // at most four tubes
    EXPECT_EQ(calcPort(in).tuning.area, one.tuning.area * 4);
}

TEST(BoxCalcPort, RoundTubeFarFromWallsFollowsHelmholtz) {
    // One tube, d = 5 cm, l = 10 cm, every wall 2 cm away (beyond h0 = 1.228·d/4 = 1.535 cm, so
    // no wall covers the inner end) and the back wall 20 cm away (g >= d: no gap resonator).
    PortInput in = roundTube(5, 10);
    in.g = 20;
    in.f = in.k = in.i = in.j = 2;
    const PortResult r = calcPort(in);
    ASSERT_TRUE(r.tuning.tuned);
    const double radius = 0.025;
    const double area = std::numbers::pi * radius * radius;
    // Flanged outer end 0.85·r, inner end 0.614·r.
    const double effectiveLength = 0.10 + 0.85 * radius + 0.614 * radius;
    const double volume = 0.050 - area * 0.10 / 2; // half the tube counts to the box
    const double helmholtz =
        344 / (2 * std::numbers::pi) * std::sqrt(area / (volume * effectiveLength));
    EXPECT_NEAR(r.tuning.fb1, helmholtz, 1e-9 * helmholtz);
    EXPECT_DOUBLE_EQ(r.tuning.fbPort, r.tuning.fb1);
    // The mean wall distance of 2 cm lowers the tuning like a delay of 1.5·W/c.
    const double expected = 1 / (1.5 * 0.02 / 344 + 1 / helmholtz);
    EXPECT_NEAR(r.tuning.fb, expected, 1e-9 * expected);
    EXPECT_EQ(utf8(r.lines)[4], "Abstimmfrequenz fb = " + compactNumberText(5, expected) + " Hz");
}

TEST(BoxCalcPort, CloseWallsAndGapLowerTheTuning) {
    PortInput in = roundTube(5, 10);
    in.g = 20;
    in.f = in.k = in.i = in.j = 2;
    const double free = calcPort(in).tuning.fb1;
    in.f = 0.5; // inside h0: the wall covers part of the inner end, the port acts longer
    const PortTuning covered = calcPort(in).tuning;
    EXPECT_LT(covered.fb1, free);
    EXPECT_GT(covered.innerEndCorrection, 0.614 * 0.025);
    in.f = 2;
    in.g = 2.5; // between d/3 and d: the gap behind the tube joins in
    const PortTuning gap = calcPort(in).tuning;
    EXPECT_LT(gap.fbPort, gap.fb1);
    // A rectangular port with its back wall closer than h gets a longer inner end.
    PortInput rect;
    rect.f = rect.k = rect.i = rect.j = 10;
    rect.g = 10;
    const double far = calcPort(rect).tuning.innerEndCorrection;
    rect.g = 3; // h is about 3.5 cm here; g·U = 168 cm² still covers S = 160 cm²
    EXPECT_GT(calcPort(rect).tuning.innerEndCorrection, far);
}

TEST(BoxCalcPort, LimitsOfASixCentimetreTube) {
    // d = 6 cm is the hydraulic diameter of the velocity limit: vmax = 7.0710678·sqrt(fb/32).
    PortInput in = roundTube(6, 12);
    in.g = 20;
    in.f = in.k = in.i = in.j = 3;
    const PortResult r = calcPort(in);
    ASSERT_TRUE(r.tuning.tuned);
    const double fb = r.tuning.fb;
    const double vmax = 7.0710678 * std::sqrt(fb / 32);
    const double area = std::numbers::pi * 0.03 * 0.03;
    const double reynolds = vmax * 0.06 / (1.71e-5 / 1.2);
    // Volume velocity 2π·fb·vmax·S in half space.
    const double spl = 20 * std::log10(0.18744 * 2 * std::numbers::pi * fb * vmax * area) + 93.98;
    const Lines lines = utf8(r.lines);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[5], "SPLmax = " + compactNumberText(5, spl) + " dB (Halbraum, Reynolds = " +
                            std::to_string(std::llround(reynolds)) + ")");
    EXPECT_EQ(lines[6], "vmax = " + compactNumberText(5, vmax) + " m/s (Effektivwert)");
    EXPECT_EQ(lines[7], "xmax = " + compactNumberText(5, vmax / (2 * std::numbers::pi * fb) * 100) +
                            " cm (Effektivwert)");
}

TEST(BoxCalcPort, AllWallDistancesZeroIsRefused) {
    PortInput in = roundTube(7, 15);
    in.k = 0; // f, i, j are 0 already
    const Lines lines = utf8(calcPort(in).lines);
    EXPECT_EQ(lines,
              (Lines{"Nettovolumen ohne Kanal: 49,423 Liter", "Nettovolumen incl. Kanal: 50 Liter",
                     "Errechnetes geometrisches Volumen: 49,711 Liter (incl. anteiligem "
                     "Kanalvolumen)",
                     "Errechnetes akustisches Volumen: 49,711 Liter", kCannot,
                     "Abstand des Kanals zu mindestens einer Wand ",
                     "(Maße i, j, k, f) größer als 0 sein muss."}));
}

TEST(BoxCalcPort, EveryCheckWithItsLines) {
    PortInput negativeWall;
    negativeWall.i = -1;
    Lines lines = utf8(calcPort(negativeWall).lines);
    EXPECT_TRUE(hasLine(lines, "Abstand des Kanals zu einer Wand (Maße i, j, k, f) nicht"));
    EXPECT_TRUE(hasLine(lines, "kleiner als 0 sein kann."));
    EXPECT_FALSE(tuned(lines));

    PortInput longDuct;
    longDuct.l = 400; // 8·20·400 cm³ = 64 l > 50 l
    lines = utf8(calcPort(longDuct).lines);
    EXPECT_TRUE(hasLine(lines, "Kanal größer ist als das angegebene Volumen incl. Kanal."));
    EXPECT_FALSE(tuned(lines));

    PortInput noTube = roundTube(0, 15);
    noTube.k = 90;
    lines = utf8(calcPort(noTube).lines);
    EXPECT_TRUE(hasLine(lines, "Kanal keine gültige Querschnittsfläche hat."));
    EXPECT_FALSE(tuned(lines));

    PortInput tubeAtWall = roundTube(7, 15);
    tubeAtWall.g = 2; // below d/3
    lines = utf8(calcPort(tubeAtWall).lines);
    EXPECT_TRUE(hasLine(lines, "Abstand des Rohrs zur Rückwand zu klein ist."));
    tubeAtWall.g = 2.34; // just beyond d/3 passes
    EXPECT_TRUE(calcPort(tubeAtWall).tuning.tuned);

    PortInput portAtWall;
    portAtWall.g = 2; // g·U = 2·56 < S = 160 cm²
    lines = utf8(calcPort(portAtWall).lines);
    EXPECT_TRUE(hasLine(lines, kCannot));
    EXPECT_TRUE(hasLine(lines, "Abstand des Kanals zur Rückwand zu klein ist."));

    for (auto [c, e] : {std::pair{0.0, 20.0}, std::pair{-8.0, 20.0}, std::pair{-3.0, -1.0}}) {
        PortInput flat;
        flat.c = c;
        flat.e = e;
        flat.g = -1; // would pass g·U < S for a negative circumference
        lines = utf8(calcPort(flat).lines);
        EXPECT_TRUE(hasLine(lines, "Sonora kann die Abstimmung nicht berechnen, da die")) << c;
        EXPECT_TRUE(hasLine(lines, "Maße des Kanals geometrisch nicht sinnvoll erscheinen."));
        EXPECT_FALSE(tuned(lines));
    }
}

TEST(BoxCalcPort, SeveralFailuresAreAllListed) {
    PortInput in = roundTube(7, 15);
    in.g = 1;
    in.k = -5; // negative wall, and with f, i, j = 0 no positive sum either
    const Lines lines = utf8(calcPort(in).lines);
    int intros = 0;
    for (const std::string& line : lines) {
        intros += line == kCannot;
    }
    EXPECT_EQ(intros, 3);
}

TEST(BoxCalcPort, NegativeLengthIsNoPort) {
    PortInput in = roundTube(7, -30);
    in.k = 90;
    const Lines lines = utf8(calcPort(in).lines);
    EXPECT_TRUE(hasLine(lines, "Maße des Kanals geometrisch nicht sinnvoll erscheinen."));
    EXPECT_FALSE(tuned(lines));
    PortInput hole = roundTube(7, 0); // a plain hole in the wall is a port
    hole.k = 90;
    EXPECT_TRUE(calcPort(hole).tuning.tuned);
}

TEST(BoxCalcPort, HostileEntriesNeverShowNanOrInf) {
    double PortInput::*const fields[] = {
        &PortInput::volume, &PortInput::b, &PortInput::h, &PortInput::t, &PortInput::c,
        &PortInput::e,      &PortInput::d, &PortInput::l, &PortInput::g, &PortInput::f,
        &PortInput::k,      &PortInput::i, &PortInput::j};
    for (PortShape shape : {PortShape::Rectangular, PortShape::Circular}) {
        for (PortVolumeMode mode : {PortVolumeMode::Explicit, PortVolumeMode::Dimensions}) {
            for (double PortInput::*field : fields) {
                for (double value : box_calc_test::hostileValues()) {
                    PortInput in;
                    in.shape = shape;
                    in.volumeMode = mode;
                    in.k = 10;
                    in.*field = value;
                    const PortResult r = calcPort(in);
                    EXPECT_FALSE(showsNonNumber(r.lines)) << value;
                    if (r.tuning.tuned) {
                        EXPECT_TRUE(std::isfinite(r.tuning.fb) && r.tuning.fb > 0);
                    }
                }
            }
        }
    }
    PortInput counts;
    counts.tubes = -3;
    counts.damping = -100;
    counts.shape = PortShape::Circular;
    counts.k = 10;
    EXPECT_TRUE(calcPort(counts).tuning.tuned);
}

TEST(BoxCalcPort, FieldsByName) {
    PortInput in;
    EXPECT_TRUE(setPortField(in, "shape", "rund"));
    EXPECT_EQ(in.shape, PortShape::Circular);
    EXPECT_TRUE(setPortField(in, "shape", "0"));
    EXPECT_EQ(in.shape, PortShape::Rectangular);
    EXPECT_FALSE(setPortField(in, "shape", "oval"));
    EXPECT_EQ(in.shape, PortShape::Rectangular);
    EXPECT_TRUE(setPortField(in, "volmode", "BxHxT"));
    EXPECT_EQ(in.volumeMode, PortVolumeMode::Dimensions);
    EXPECT_TRUE(setPortField(in, "tubes", "3"));
    EXPECT_EQ(in.tubes, 3);
    EXPECT_TRUE(setPortField(in, "damping", "2,4"));
    EXPECT_EQ(in.damping, 2);
    EXPECT_TRUE(setPortField(in, "g", "12,5"));
    EXPECT_DOUBLE_EQ(in.g, 12.5);
    EXPECT_TRUE(setPortField(in, "h", "77"));
    EXPECT_DOUBLE_EQ(in.h, 77);
    EXPECT_FALSE(setPortField(in, "x", "1"));
    EXPECT_EQ(portFields().size(), 17u);
}

} // namespace
} // namespace sonora
