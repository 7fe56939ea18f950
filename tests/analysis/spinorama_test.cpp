// The spinorama: the sound-power weights against a numerical surface integral, fields whose curves
// are known in closed form, the sides of the planes, and the shipped two-way against a spinorama
// computed here from its exported planes.
#include "analysis/spinorama.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "measure/results_export.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/project_file.h"
#include "tests/analysis/example_results.h"

namespace sonora {
namespace {

using std::numbers::pi;
constexpr double kDeg = pi / 180;

double curveAt(const SpinLevels& s, SpinCurve c) {
    return s.level[static_cast<int>(c)];
}

// Solid angle of the region |horizontal angle| ≤ x, |vertical angle| ≤ x by a surface integral in
// the two plane angles: a direction (tan α, tan β, 1)/|…| covers dΩ = sec²α·sec²β /
// (1 + tan²α + tan²β)^(3/2) dα dβ (the solid angle of the tangent-plane element du dv at distance
// 1 is du dv·cos/r², u = tan α, v = tan β). Midpoint rule, 800 × 800 cells.
double numericSquareArea(double x) {
    constexpr int kCells = 800;
    const double h = 2 * x / kCells;
    double sum = 0;
    for (int i = 0; i < kCells; ++i) {
        const double a = -x + (i + 0.5) * h;
        const double ta = std::tan(a), sa = 1 / (std::cos(a) * std::cos(a));
        for (int j = 0; j < kCells; ++j) {
            const double b = -x + (j + 0.5) * h;
            const double tb = std::tan(b), sb = 1 / (std::cos(b) * std::cos(b));
            sum += sa * sb / std::pow(1 + ta * ta + tb * tb, 1.5);
        }
    }
    return sum * h * h;
}

TEST(SoundPowerWeights, SquareAreaMatchesTheSurfaceIntegral) {
    // The midpoint rule is good to about 1e-5 of the area; near 90° the integrand grows steeply
    // at the edges, where it loses most.
    for (const double degrees : {5.0, 15.0, 45.0, 75.0, 85.0, 89.0}) {
        const double numeric = numericSquareArea(degrees * kDeg);
        EXPECT_NEAR(spinSquareArea(degrees * kDeg), numeric, 5e-5 * numeric) << degrees;
    }
    // A cube's face seen from its centre is a sixth of the sphere; the front half is 2π.
    EXPECT_NEAR(spinSquareArea(45 * kDeg), 4 * pi / 6, 1e-12);
    EXPECT_NEAR(spinSquareArea(90 * kDeg), 2 * pi, 1e-12);
    EXPECT_EQ(spinSquareArea(0), 0.0);
}

TEST(SoundPowerWeights, RingsFoldingAndNonPoints) {
    const double q5 = spinSquareArea(5 * kDeg);
    EXPECT_DOUBLE_EQ(soundPowerWeight(0), q5);
    EXPECT_DOUBLE_EQ(soundPowerWeight(180), q5);
    EXPECT_DOUBLE_EQ(soundPowerWeight(30), spinSquareArea(35 * kDeg) - spinSquareArea(25 * kDeg));
    EXPECT_DOUBLE_EQ(soundPowerWeight(150), soundPowerWeight(30));
    EXPECT_DOUBLE_EQ(soundPowerWeight(90), 2 * (2 * pi - spinSquareArea(85 * kDeg)));
    // Each ring of width 10° holds more of the sphere than the one before it, up to 80°.
    for (int a = 10; a <= 80; a += 10) {
        EXPECT_GT(soundPowerWeight(a), soundPowerWeight(a - 10)) << a;
    }
    for (const int bad : {-10, 5, 95, 190, 370}) {
        EXPECT_EQ(soundPowerWeight(bad), 0.0) << bad;
    }
}

// Plane pair filled by a function of the signed angle (degrees) per plane.
struct Planes {
    Complex h[kPlaneAngles];
    Complex v[kPlaneAngles];
    template <class F> void fill(F pressure) {
        for (int n = 0; n < kPlaneAngles; ++n) {
            h[n] = pressure(false, n - 180);
            v[n] = pressure(true, n - 180);
        }
    }
};

TEST(Spinorama, UniformFieldGivesEqualCurvesAndNoDirectivity) {
    auto p = std::make_unique<Planes>();
    // Magnitude 0.5 (106 dB) everywhere, the phase turning with the angle: only energy counts.
    p->fill([](bool vertical, int angle) {
        const double phase = (vertical ? 0.03 : 0.07) * angle;
        return Complex{0.5 * std::cos(phase), 0.5 * std::sin(phase)};
    });
    const SpinLevels s = spinLevelsAt(p->h, p->v);
    const double expected = 20 * std::log10(0.5) + 112;
    for (int c = 0; c < kSpinCurves; ++c) {
        const auto curve = static_cast<SpinCurve>(c);
        EXPECT_NEAR(s.level[c], spinCurveIsDi(curve) ? 0.0 : expected, 1e-12)
            << spinCurveCaption(curve);
    }
}

// Energy 1 in front of the baffle plane, 0 behind it, and e90 on the plane itself (the four
// points at ±90°). With Q as above the 70 weights sum to 2·Q(5°) + 8·Σ(ring weights 10°…80°) +
// 4·w(90°) = 8·Q(90°) − 6·Q(5°), and the front half with the 90° points at e90 to
// 4·Q(85°) − 3·Q(5°) + 8·(Q(90°) − Q(85°))·e90. With e90 = 1/2 that is exactly half the total:
// the sound power is half the front level and the sound-power DI 10·log10 2 = 3.0103 dB. With the
// 90° points in front (e90 = 1) the DI is 2.681 dB, with them behind (e90 = 0) 3.367 dB.
TEST(Spinorama, HalfSpaceFieldGivesThreeDecibelsOfSoundPowerDi) {
    const double q5 = spinSquareArea(5 * kDeg), q85 = spinSquareArea(85 * kDeg), q90 = 2 * pi;
    const double total = 8 * q90 - 6 * q5;
    for (const double e90 : {0.5, 1.0, 0.0}) {
        auto p = std::make_unique<Planes>();
        p->fill([e90](bool, int angle) {
            const int a = std::abs(angle);
            const double e = a < 90 ? 1.0 : a == 90 ? e90 : 0.0;
            return Complex{std::sqrt(e), 0.0};
        });
        const SpinLevels s = spinLevelsAt(p->h, p->v);
        const double front = 4 * q85 - 3 * q5 + 8 * (q90 - q85) * e90;
        const double di = -10 * std::log10(front / total);
        EXPECT_NEAR(curveAt(s, SpinCurve::SoundPowerDi), di, 1e-12) << e90;
        EXPECT_NEAR(curveAt(s, SpinCurve::ListeningWindow), 112.0, 1e-12);
        EXPECT_NEAR(curveAt(s, SpinCurve::OnAxis), 112.0, 1e-12);
        // Early reflections: four groups wholly in front, the rear wall (±90°, 180°) at
        // 2·e90/3, so the DI is −10·log10((4 + 2·e90/3)/5).
        EXPECT_NEAR(curveAt(s, SpinCurve::EarlyDi), -10 * std::log10((4 + 2 * e90 / 3) / 5), 1e-12);
        // The in-room response adds the three energies with 0.12, 0.44 and 0.44.
        const double er = (4 + 2 * e90 / 3) / 5, sp = front / total;
        EXPECT_NEAR(curveAt(s, SpinCurve::InRoom),
                    10 * std::log10(0.12 + 0.44 * er + 0.44 * sp) + 112, 1e-12);
        if (e90 == 0.5) {
            EXPECT_NEAR(curveAt(s, SpinCurve::SoundPowerDi), 10 * std::log10(2.0), 1e-12);
        }
    }
    // The values stated above, to the digits given.
    EXPECT_NEAR(-10 * std::log10((8 * q90 - 4 * q85 - 3 * q5) / total), 2.681, 5e-4);
    EXPECT_NEAR(-10 * std::log10((4 * q85 - 3 * q5) / total), 3.367, 5e-4);
}

TEST(Spinorama, EachPointLandsInItsGroupOnItsSide) {
    // One point at a time carries energy 1: the groups that hold it (n of them) show
    // 10·log10(1/n) + 112, the others the floor of the level guard. V −30° is 30° below the axis.
    struct Case {
        bool vertical;
        int angle;
        SpinCurve group;
        int count; // points in that group
    };
    const Case cases[] = {
        {true, -30, SpinCurve::Floor, 3},      {true, 50, SpinCurve::Ceiling, 3},
        {false, -20, SpinCurve::FrontWall, 7}, {false, 70, SpinCurve::SideWalls, 10},
        {false, 180, SpinCurve::RearWall, 3},  {false, -90, SpinCurve::RearWall, 3},
    };
    for (const Case& c : cases) {
        auto p = std::make_unique<Planes>();
        p->fill([&c](bool vertical, int angle) {
            return Complex{vertical == c.vertical && angle == c.angle ? 1.0 : 0.0, 0.0};
        });
        const SpinLevels s = spinLevelsAt(p->h, p->v);
        for (int g = kSpinFirstGroup; g < kSpinCurves; ++g) {
            const double expected =
                static_cast<SpinCurve>(g) == c.group ? 112 - 10 * std::log10(c.count) : -888.0;
            EXPECT_NEAR(s.level[g], expected, 1e-9) << c.angle << " " << g;
        }
    }
    // V +30° (up) is no early-reflection point but belongs to the sound power with its ring
    // weight; V −10° belongs to the listening window (one of 9 points).
    auto p = std::make_unique<Planes>();
    p->fill([](bool vertical, int angle) {
        return Complex{vertical && angle == 30 ? 1.0 : 0.0, 0.0};
    });
    SpinLevels s = spinLevelsAt(p->h, p->v);
    const double total = 8 * 2 * pi - 6 * spinSquareArea(5 * kDeg);
    EXPECT_NEAR(curveAt(s, SpinCurve::SoundPower),
                10 * std::log10(soundPowerWeight(30) / total) + 112, 1e-9);
    EXPECT_NEAR(curveAt(s, SpinCurve::EarlyReflections), -888.0, 1e-9);
    p->fill([](bool vertical, int angle) {
        return Complex{vertical && angle == -10 ? 1.0 : 0.0, 0.0};
    });
    s = spinLevelsAt(p->h, p->v);
    EXPECT_NEAR(curveAt(s, SpinCurve::ListeningWindow), 112 - 10 * std::log10(9.0), 1e-9);
}

// ---- The shipped two-way against a spinorama computed from its exported planes ----

std::vector<std::string> splitText(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) {
        parts.push_back(part);
    }
    return parts;
}

double exportNumber(std::string text) {
    for (char& ch : text) {
        if (ch == ',') {
            ch = '.';
        }
    }
    return std::stod(text);
}

// The exported 5° planes as levels by label: "30° top" → column of its magnitude.
struct ExportedPlanes {
    std::vector<double> freq;
    std::map<std::string, std::vector<double>> level; // "h 30° right", "v 40° bottom", "h 0°", ...
};

ExportedPlanes readExport(const std::string& text) {
    std::vector<std::string> lines;
    for (std::string& l : splitText(text, '\n')) {
        if (!l.empty() && l.back() == '\r') {
            l.pop_back();
        }
        lines.push_back(l);
    }
    // Two comment lines, four header lines, then the rows.
    const std::vector<std::string> titles = splitText(lines[2], '\t');
    const std::vector<std::string> labels = splitText(lines[3], '\t');
    ExportedPlanes e;
    std::string plane;
    std::map<std::size_t, std::string> columns;
    for (std::size_t k = 1; k < labels.size(); ++k) {
        if (k < titles.size() && !titles[k].empty()) {
            plane = titles[k].find("horizontal") != std::string::npos ? "h " : "v ";
        }
        if (!labels[k].empty()) {
            columns[k] = plane + labels[k];
        }
    }
    for (std::size_t r = 6; r < lines.size(); ++r) {
        const std::vector<std::string> fields = splitText(lines[r], '\t');
        if (fields.empty()) {
            continue;
        }
        e.freq.push_back(exportNumber(fields[0]));
        for (const auto& [k, name] : columns) {
            e.level[name].push_back(exportNumber(fields.at(k)));
        }
    }
    return e;
}

TEST(Spinorama, ShippedTwoWayMatchesTheExportedPlanes) {
    const std::unique_ptr<TResult> result = test::computeExample("Zweiwege geschlossen");
    ASSERT_TRUE(result);

    auto spin = std::make_unique<Spinorama>();
    computeSpinorama(*result, *spin);
    const ExportedPlanes e = readExport(
        resultsExportText(*result, {ExportSection::BoxHorizontal5, ExportSection::BoxVertical5}));
    ASSERT_EQ(static_cast<int>(e.freq.size()), spin->nfreq);
    ASSERT_GT(spin->nfreq, 100);

    // The angle lists, written out by label as the export names the directions.
    const std::vector<std::string> lw = {"h 0\xB0",        "v 10\xB0 top",   "v 10\xB0 bottom",
                                         "h 10\xB0 left",  "h 10\xB0 right", "h 20\xB0 left",
                                         "h 20\xB0 right", "h 30\xB0 left",  "h 30\xB0 right"};
    const std::vector<std::vector<std::string>> groups = {
        {"v 20\xB0 bottom", "v 30\xB0 bottom", "v 40\xB0 bottom"},
        {"v 40\xB0 top", "v 50\xB0 top", "v 60\xB0 top"},
        {"h 0\xB0", "h 10\xB0 left", "h 10\xB0 right", "h 20\xB0 left", "h 20\xB0 right",
         "h 30\xB0 left", "h 30\xB0 right"},
        {"h 40\xB0 left", "h 40\xB0 right", "h 50\xB0 left", "h 50\xB0 right", "h 60\xB0 left",
         "h 60\xB0 right", "h 70\xB0 left", "h 70\xB0 right", "h 80\xB0 left", "h 80\xB0 right"},
        {"h 90\xB0 left", "h 90\xB0 right", "h 180\xB0 right"}};
    // Sound power: the 70 points with their areas of the sphere, worked out here from the
    // spherical squares 4·asin(sin²x) (checked against the surface integral above).
    auto q = [](double degrees) {
        const double s = std::sin(degrees * kDeg);
        return 4 * std::asin(s * s);
    };
    std::vector<std::pair<std::string, double>> power;
    auto weight = [&q](int a) {
        return a == 0 ? q(5) : a == 90 ? 2 * (q(90) - q(85)) : q(a + 5) - q(a - 5);
    };
    power.emplace_back("h 0\xB0", weight(0));
    power.emplace_back("h 180\xB0 right", weight(0));
    for (int a = 10; a <= 170; a += 10) {
        const int folded = a > 90 ? 180 - a : a;
        const std::string deg = std::to_string(a) + "\xB0";
        for (const char* side : {"h %s left", "h %s right", "v %s top", "v %s bottom"}) {
            std::string name = side;
            name.replace(name.find("%s"), 2, deg);
            power.emplace_back(name, weight(folded));
        }
    }
    ASSERT_EQ(power.size(), 70u);

    auto energy = [&e](const std::string& name, std::size_t i) {
        return std::pow(10.0, (e.level.at(name).at(i) - 112) / 10);
    };
    auto average = [&](const std::vector<std::string>& names, std::size_t i) {
        double sum = 0;
        for (const std::string& n : names) {
            sum += energy(n, i);
        }
        return sum / names.size();
    };
    auto db = [](double x) { return 10 * std::log10(x) + 112; };
    // The export writes levels as 6-character texts ("105,12"): off by at most 0.005 dB, and an
    // energy average of such levels by no more.
    constexpr double kTolerance = 5.5e-3;
    auto at = [&spin](SpinCurve c, std::size_t i) { return spin->curve[static_cast<int>(c)][i]; };
    for (std::size_t i = 0; i < e.freq.size(); ++i) {
        ASSERT_NEAR(e.freq[i], spin->freq[i], spin->freq[i] * 1e-4);
        const double onAxis = energy("h 0\xB0", i);
        const double w = average(lw, i);
        double er = 0;
        for (int g = 0; g < kSpinGroups; ++g) {
            const double eg = average(groups[g], i);
            EXPECT_NEAR(spin->curve[kSpinFirstGroup + g][i], db(eg), kTolerance) << i << " " << g;
            er += eg / kSpinGroups;
        }
        double sp = 0, total = 0;
        for (const auto& [name, wt] : power) {
            sp += wt * energy(name, i);
            total += wt;
        }
        sp /= total;
        EXPECT_NEAR(at(SpinCurve::OnAxis, i), db(onAxis), kTolerance) << i;
        EXPECT_NEAR(at(SpinCurve::ListeningWindow, i), db(w), kTolerance) << i;
        EXPECT_NEAR(at(SpinCurve::EarlyReflections, i), db(er), kTolerance) << i;
        EXPECT_NEAR(at(SpinCurve::SoundPower, i), db(sp), kTolerance) << i;
        EXPECT_NEAR(at(SpinCurve::InRoom, i), db(0.12 * w + 0.44 * er + 0.44 * sp), kTolerance)
            << i;
        EXPECT_NEAR(at(SpinCurve::EarlyDi, i), db(w) - db(er), 2 * kTolerance) << i;
        EXPECT_NEAR(at(SpinCurve::SoundPowerDi, i), db(w) - db(sp), 2 * kTolerance) << i;
    }
    // A closed two-way on a 250-point grid from 20 Hz: every input can be computed, and the
    // score is the formula of its inputs.
    const PreferenceRating& r = spin->rating;
    ASSERT_TRUE(r.scoreOk) << r.note[0].str() << r.note[1].str() << r.note[2].str()
                           << r.note[3].str();
    EXPECT_DOUBLE_EQ(r.score, preferenceScore(r.input[0], r.input[1], r.input[2], r.input[3]));
    EXPECT_GT(r.lfxHz, 20.0);
    EXPECT_LT(r.lfxHz, 300.0);
}

TEST(Spinorama, DamagedCountsStayInsideTheRecord) {
    auto r = std::make_unique<TResult>();
    auto s = std::make_unique<Spinorama>();
    for (const int n : {-5, 0, 100000}) {
        r->nfreq = n;
        computeSpinorama(*r, *s);
        EXPECT_GE(s->nfreq, 0);
        EXPECT_LE(s->nfreq, kResultFreqs - 1);
        EXPECT_FALSE(s->rating.scoreOk);
    }
}

} // namespace
} // namespace sonora
