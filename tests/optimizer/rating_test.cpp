// Rating of a design: every grade against values worked out by hand on small synthetic results.
//
// The expected numbers that are not closed forms were computed once with a few lines of Python
// written straight from the rating's formulas (target curve, weights, line fit), independently of
// the C++ code; each test says which ones.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "optimizer/rating.h"

namespace sonora {
namespace {

constexpr double kTol = 1e-9;
const double kLn2 = std::log(2.0);

class Rating : public ::testing::Test {
protected:
    void SetUp() override {
        res = std::make_unique<TResult>();
        project = std::make_unique<TProjekt>();
        // Neutral tastes, the window's default weights, no working-range grade.
        para.vgAmpTyp = 0;
        para.vgMinImpedanz = 4.0;
        para.vgWMaxPegel = 0.4;
        para.vgBasspegel = 1.0;
        para.vgSHTPegel = 1.0;
        para.vgWFgAchse = 10.0;
        para.vgWFgEnergie = 4.0;
        para.vgMindBM = 2.0;
        para.vgWAB = 0.0;
        res->nAmps = 1;
        res->nChassis = 1;
        project->nChassis = 1;
    }

    void grid(std::initializer_list<double> fs) {
        int i = 0;
        for (double f : fs) {
            res->freq[i++] = f;
        }
        res->freq[i] = 0.0;
        res->nfreq = i;
    }
    int n() const { return res->nfreq; }

    // Real responses are enough for every magnitude the rating reads.
    void setImpedance(int a, std::initializer_list<double> z) {
        int i = 0;
        for (double v : z) {
            res->impedanz_box[a][i++] = Complex{v, 0.0};
        }
    }
    void flatImpedance(int a, double z) {
        for (int i = 0; i < n(); ++i) {
            res->impedanz_box[a][i] = Complex{z, 0.0};
        }
    }
    void flatBox(double h) {
        for (int i = 0; i < n(); ++i) {
            for (int d = 0; d < kDirections; ++d) {
                res->fgang_box[i][d] = Complex{h, 0.0};
            }
        }
    }
    double target(int i) const { return ratingTargetCurve(res->freq[i], 1.0, 1.0); }

    void rate() { BewerteErgebnisse(*res, *project, para, b); }

    std::unique_ptr<TResult> res;
    std::unique_ptr<TProjekt> project;
    TBewertungsparameter para{};
    TBewertungen b{};
};

void expectAllFinite(const TBewertungen& b) {
    const double all[] = {b.Note_I,  b.Note_I1, b.Note_I2, b.Note_W,  b.Note_P,  b.Note_P1,
                          b.Note_P2, b.Note_F,  b.Note_Fh, b.Note_Fv, b.Note_Ph, b.Note_BM,
                          b.Note_AB, b.Note,    b.Note_F1, b.Note_F2, b.Note_F5, b.avgPegel};
    for (double v : all) {
        EXPECT_TRUE(std::isfinite(v)) << v;
    }
}

TEST(RatingCurves, TargetAndWeightsAtChosenFrequencies) {
    // Python values from the formulas; T is about 1 in the midrange for neutral tastes.
    EXPECT_NEAR(ratingTargetCurve(50.0, 1.0, 1.0), 0.8456925014214522, kTol);
    EXPECT_NEAR(ratingTargetCurve(1000.0, 1.0, 1.0), 1.0211448525264726, kTol);
    EXPECT_NEAR(ratingTargetCurve(10000.0, 1.0, 1.0), 1.011202462162699, kTol);
    // Slider ends: strong bass lifts 50 Hz, "englisch" treble lowers 10 kHz.
    const double strong = std::pow(10.0, 0.3), slim = std::pow(10.0, -0.3);
    EXPECT_NEAR(ratingTargetCurve(50.0, strong, slim), 1.7298276960014332, kTol);
    EXPECT_NEAR(ratingTargetCurve(10000.0, strong, slim), 0.737594992483555, kTol);
    EXPECT_NEAR(ratingLevelWeight(1000.0), 0.7496111392215287, kTol);
    EXPECT_NEAR(ratingDirectionWeight(1000.0), 0.8186111239019099, kTol);
    EXPECT_NEAR(ratingBassWeight(100.0), 0.7339449541284404, kTol);
    // Weights vanish at 0 Hz; the target curve stays positive and finite even for tastes of 0.
    EXPECT_EQ(ratingLevelWeight(0.0), 0.0);
    EXPECT_EQ(ratingDirectionWeight(0.0), 0.0);
    EXPECT_EQ(ratingBassWeight(0.0), 0.0);
    for (double f : {0.0, 6.0, 100.0, 20000.0}) {
        for (double taste : {0.0, -0.001, -5.0}) {
            const double t = ratingTargetCurve(f, taste, taste);
            EXPECT_TRUE(std::isfinite(t) && t > 0.0) << f << " " << taste;
        }
    }
}

TEST_F(Rating, TransistorImpedanceIsTheWorstAmplifiersFourNorm) {
    grid({100.0, 1000.0});
    res->nAmps = 2;
    flatImpedance(0, 8.0);       // never below Zmin = 4, still graded: 4 / 8.001
    setImpedance(1, {4.0, 8.0}); // ((4/4.001)^4 + (4/8.001)^4) / 2, fourth root
    rate();
    EXPECT_NEAR(b.Note_I, 0.8535311376127472, kTol);

    res->nAmps = 1;
    rate();
    EXPECT_NEAR(b.Note_I, 4.0 / 8.001, kTol);
    EXPECT_GT(b.Note_I, 0.0);
}

TEST_F(Rating, TubeImpedanceMatchesTheTapAndWantsAFlatCurve) {
    grid({100.0, 1000.0});
    para.vgAmpTyp = 1;
    para.vgMinImpedanz = 8.0;

    // Exactly at Zmin everywhere.
    flatImpedance(0, 8.0);
    rate();
    EXPECT_NEAR(b.Note_I1, 0.0, kTol);
    EXPECT_NEAR(b.Note_I2, 0.0, kTol);
    EXPECT_NEAR(b.Note_I, 0.0, kTol);

    // Amplifier 0 swings around Zmin with a geometric mean (low points counted twice) of Zmin:
    // ln(Z/Zmin) = 2 and -1 give S = 2 + 2·(-1) = 0, so I1 = 0. Amplifier 1 at Zmin sets Zref =
    // Zmin; I2 = 4/2·(2² + 1²) = 10 for amplifier 0, so Note_I = Note_I2² = 100.
    res->nAmps = 2;
    setImpedance(0, {8.0 * std::exp(2.0), 8.0 * std::exp(-1.0)});
    flatImpedance(1, 8.0);
    rate();
    EXPECT_NEAR(b.Note_I1, 0.0, kTol);
    EXPECT_NEAR(b.Note_I2, 10.0, kTol);
    EXPECT_NEAR(b.Note_I, 100.0, 1e-7);

    // Above the tap: 0.3·ln 2; below: -0.6·ln(1/2).
    res->nAmps = 1;
    flatImpedance(0, 16.0);
    rate();
    EXPECT_NEAR(b.Note_I1, 0.3 * kLn2, kTol);
    EXPECT_NEAR(b.Note_I, 0.09 * kLn2 * kLn2, kTol);
    flatImpedance(0, 4.0);
    rate();
    EXPECT_NEAR(b.Note_I1, 0.6 * kLn2, kTol);

    // 16 and 4 Ohm: S = ln 2 - 2 ln 2 over 3 counts, Zm = 8·2^(-1/3), I1 = 0.2 ln 2;
    // ln(16/Zm) = 4/3 ln 2, ln(4/Zm) = -2/3 ln 2, I2 = 2·(16/9 + 4/9)·ln²2.
    setImpedance(0, {16.0, 4.0});
    rate();
    EXPECT_NEAR(b.Note_I1, 0.2 * kLn2, kTol);
    EXPECT_NEAR(b.Note_I2, 40.0 / 9.0 * kLn2 * kLn2, kTol);
    EXPECT_NEAR(b.Note_I, std::pow(0.2 * kLn2 + 40.0 / 9.0 * kLn2 * kLn2, 2.0), kTol);
}

TEST_F(Rating, FlatResponseLevelEfficiencyAndMaximumLevel) {
    grid({100.0, 1000.0});
    flatBox(1.0);
    flatImpedance(0, 8.0);
    for (int i = 0; i < n(); ++i) {
        res->fgang_akt[0][i] = Complex{0.0, 1.0}; // magnitude 1, the phase does not count
        res->fgang_Uel_preamp[kBoxSlot][i] = 10.0;
    }
    rate();
    // avgPegel = Σ W/T / Σ W·T (Python); with one point it would be 1/T².
    EXPECT_NEAR(b.avgPegel, 0.9587771953657009, kTol);
    // At 8 Ohm the sum's start value 1e-10 outweighs 2/8^16 (Python value).
    EXPECT_NEAR(b.Note_W, -1.5181195940386507, 1e-8);
    // Level 10 everywhere: m = 10 and the harmonic mean M = 10, so 5·log10(5 + 10).
    EXPECT_NEAR(b.Note_P, 5.0 * std::log10(15.0), kTol);

    // At 0.5 Ohm the 16-norm gives back the impedance: Zeff = 0.5.
    const double level = b.avgPegel;
    flatImpedance(0, 0.5);
    rate();
    EXPECT_NEAR(b.Note_W, 5.0 * std::log10(1.0 / (std::sqrt(0.5) * level)), 1e-9);
    // Two amplifiers: only the last one's sum remains, over N·nAmps points:
    // Zeff = (2·2 / (2·4^16))^(1/16) = 2^(1/16)/4, whatever amplifier 0 has.
    res->nAmps = 2;
    flatImpedance(1, 0.25);
    for (int i = 0; i < n(); ++i) {
        res->fgang_akt[1][i] = Complex{1.0, 0.0};
    }
    rate();
    const double zEff = std::pow(2.0, 1.0 / 16.0) / 4.0;
    EXPECT_NEAR(b.Note_W, 5.0 * std::log10(1.0 / (std::sqrt(zEff) * level)), 1e-9);
    res->nAmps = 1;

    // Twice the amplifier level halves the relative level.
    for (int i = 0; i < n(); ++i) {
        res->fgang_akt[0][i] = Complex{2.0, 0.0};
    }
    rate();
    EXPECT_NEAR(b.avgPegel, 0.9587771953657009 / 2.0, kTol);

    // One grid point without a maximum voltage swamps the harmonic mean: only m is left.
    res->fgang_Uel_preamp[kBoxSlot][0] = 0.0;
    rate();
    EXPECT_NEAR(b.Note_P, 5.0 * std::log10(10.0), 1e-9);

    // Below 40 Hz a low level does not lower m.
    grid({30.0, 1000.0});
    res->fgang_Uel_preamp[kBoxSlot][0] = 1.0;
    res->fgang_Uel_preamp[kBoxSlot][1] = 10.0;
    rate();
    const double wf30 = 20000.0 * std::sqrt(30.0 / 130.0) / 20030.0;
    const double wf1k = 20000.0 * std::sqrt(1000.0 / 1100.0) / 21000.0;
    const double harmonic = (wf30 + wf1k) / (wf30 / 1.0 + wf1k / 10.0);
    EXPECT_NEAR(b.Note_P, 5.0 * std::log10(0.5 * harmonic + 10.0), kTol);
}

TEST_F(Rating, SmallDriversLimitingTheLevelOrLoudAtResonance) {
    grid({30.0, 800.0, 1000.0, 2000.0});
    res->nChassis = project->nChassis = 3;
    project->chassis[0].Sd = 0.05;
    project->chassis[1].Sd = 0.046; // 1.1 · 0.046 >= 0.05: counts as largest
    project->chassis[2].Sd = 0.01;
    project->chassis[0].fc = project->chassis[1].fc = 1000.0;
    project->chassis[2].fc = 1000.0;
    flatBox(1.0);
    for (int i = 0; i < n(); ++i) {
        res->fgang_Uel_preamp[kBoxSlot][i] = 10.0; // m = 10
        for (int c = 0; c < 3; ++c) {
            res->fgang_Uel_preamp_mech[c][i] = 10.0;            // limits at m: (0.5 - 1)² each
            res->fgang_chassis[c][0][i][0] = Complex{2.0, 0.0}; // loud everywhere
        }
    }
    // Small driver at its resonance (800 and 1000 Hz are within 25 %): r = 0.5 and 0.81.
    res->fgang_chassis[2][0][1][0] = Complex{0.5, 0.0};
    res->fgang_chassis[2][0][2][0] = Complex{0.81, 0.0};
    rate();
    // P1: three points above 40 Hz of the one small driver, over N = 4.
    EXPECT_NEAR(b.Note_P1, 3.0 * 0.25 / 4.0 * 200.0, kTol);
    // P2: the largest (0.81 - 0.31)² = 0.25; 2000 Hz is outside the band, 30 Hz below 40 Hz.
    EXPECT_NEAR(b.Note_P2, 0.25 / 4.0 * 10.0, kTol);

    // A driver within 10 % of the largest area is not graded.
    project->chassis[2].Sd = 0.046;
    rate();
    EXPECT_NEAR(b.Note_P1, 1e-20 * 200.0, 1e-25);
    EXPECT_NEAR(b.Note_P2, 1e-20 * 10.0, 1e-25);

    // A driver whose excursion limit is far above the box limit does not count for P1.
    project->chassis[2].Sd = 0.01;
    for (int i = 0; i < n(); ++i) {
        res->fgang_Uel_preamp_mech[2][i] = 20.0; // |H0|·Um = 2·m, not below
    }
    rate();
    EXPECT_NEAR(b.Note_P1, 1e-20 * 200.0, 1e-25);
}

class RatingPlanes : public Rating {
protected:
    void SetUp() override {
        Rating::SetUp();
        grid({100.0, 300.0, 1000.0, 3000.0});
    }
    // Only the direction k (angle 5·k degrees) weighted in both planes.
    void weightOnly(int k) {
        para.vgfgWeight = TFgangWeights{};
        para.vgfgWeight.horweight[k + 9] = 50.0;
        para.vgfgWeight.vertweight[k + 9] = 50.0;
    }
    template <class F> void setPlanes(int angleIndex, F response) {
        for (int i = 0; i < n(); ++i) {
            const double h = response(res->freq[i]);
            res->fgang_box_h[i][angleIndex] = Complex{h, 0.0};
            res->fgang_box_v[i][angleIndex] = Complex{h, 0.0};
        }
    }
};

TEST_F(RatingPlanes, LineFitAgainstTheTargetCurve) {
    constexpr double kFlat = 0.05100733249141012; // Python: flat 1 against T(f)
    weightOnly(0);
    setPlanes(180, [](double) { return 1.0; });
    rate();
    EXPECT_NEAR(b.Note_Fh, kFlat, kTol);
    EXPECT_NEAR(b.Note_Fv, kFlat, kTol); // a flat line is already flat at 1 kHz
    EXPECT_NEAR(b.Note_F1, kFlat, kTol);

    // A response exactly on a line in log f: the fit finds it, so the deviation is again only
    // the target curve's, |1 - 1/T|. The vertical plane flattens the line at its 1 kHz value 5.
    setPlanes(180, [](double f) { return 2.0 + std::log10(f); });
    rate();
    EXPECT_NEAR(b.Note_Fh, kFlat, kTol);
    EXPECT_NEAR(b.Note_Fv, 0.3954268266155934, kTol);

    // 100 Hz is outside the fit (f <= 200) but inside the sum.
    res->fgang_box_h[0][180] = Complex{10.0, 0.0};
    rate();
    EXPECT_NEAR(b.Note_Fh, 1.4758162922765508, kTol);
}

// Weighted least-squares line of `h` over log10 f above 200 Hz, as the plane grade fits it; the
// test uses it only to place a zero crossing of the line where it wants one.
struct FittedLine {
    double slope, intercept;
    double at(double f) const { return slope * std::log10(f) + intercept; }
};
FittedLine fitAbove200(const std::vector<double>& f, const std::vector<double>& h) {
    double sw = 0, sx = 0, sy = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] > 200.0) {
            const double w = ratingDirectionWeight(f[i]);
            sw += w;
            sx += w * std::log10(f[i]);
            sy += w * h[i];
        }
    }
    double sxy = 0, sxx = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] > 200.0) {
            const double w = ratingDirectionWeight(f[i]);
            const double dx = (std::log10(f[i]) - sx / sw) * w;
            sxy += dx * (h[i] - sy / sw) * w;
            sxx += dx * dx;
        }
    }
    const double s = sxy / sxx;
    return {s, sy / sw - s * sx / sw};
}

TEST_F(RatingPlanes, ALineCrossingZeroDoesNotMakeTheGradeExplode) {
    // A steeply rising response above 200 Hz: its line, extended below the fitted band, crosses
    // zero between 20 and 200 Hz. One grid point is swept through that region; without a floor
    // under the reference the grade divides by the line's value there and explodes near the
    // crossing.
    const std::vector<double> above = {300.0, 1000.0, 3000.0, 10000.0};
    const std::vector<double> levels = {0.1, 1.0, 1.0, 1.0};
    const FittedLine line = fitAbove200(above, levels);
    ASSERT_LT(line.at(20.0), 0.0);
    ASSERT_GT(line.at(200.0), 0.0);
    weightOnly(0);
    double lowest = 1e300, highest = 0.0;
    for (int k = 0; k <= 200; ++k) {
        const double f0 = 20.0 * std::pow(10.0, k / 200.0); // 20 ... 200 Hz
        grid({f0, 300.0, 1000.0, 3000.0, 10000.0});
        setPlanes(180, [&](double f) {
            for (std::size_t i = 0; i < above.size(); ++i) {
                if (f == above[i]) {
                    return levels[i];
                }
            }
            return 0.05; // the swept point, quiet as a woofer's low end
        });
        rate();
        SCOPED_TRACE(f0);
        expectAllFinite(b);
        lowest = std::min(lowest, b.Note_Fh);
        highest = std::max(highest, b.Note_Fh);
    }
    // The grade moves with the swept point's weight and its distance to the floored line, but it
    // stays within a small factor everywhere (unguarded, the point next to the crossing alone
    // would give thousands).
    EXPECT_GT(lowest, 0.0);
    EXPECT_LT(highest, 3.0 * lowest);
    EXPECT_LT(highest, 10.0);
}

TEST_F(RatingPlanes, DirectionIndexAndWeightsOnlyTestedAboveZero) {
    // k = -9 reads angle index 135 (-45°); the same flat response there gives the flat grade,
    // and the other angles (zero) are not read.
    weightOnly(-9);
    setPlanes(135, [](double) { return 1.0; });
    rate();
    EXPECT_NEAR(b.Note_Fh, 0.05100733249141012, kTol);
    // Several directions with the same response give the same mean, whatever their weights.
    setPlanes(225, [](double) { return 1.0; });
    para.vgfgWeight.horweight[18] = 100.0;
    rate();
    EXPECT_NEAR(b.Note_Fh, 0.05100733249141012, kTol);
    // A weighted direction that is silent: reference 0, deviation 0 (guarded, not NaN), but its
    // weights count in the mean.
    para.vgfgWeight.horweight[9] = 1.0;
    rate();
    EXPECT_NEAR(b.Note_Fh, 0.05100733249141012 * 2.0 / 3.0, kTol);
}

TEST_F(RatingPlanes, NoWeightOrNoPointAbove200HzGivesZero) {
    setPlanes(180, [](double) { return 1.0; });
    para.vgfgWeight = TFgangWeights{};
    para.vgfgWeight.horweight[9] = -1.0; // not above 0
    rate();
    EXPECT_EQ(b.Note_Fh, 0.0);
    EXPECT_EQ(b.Note_Fv, 0.0);

    weightOnly(0);
    grid({50.0, 100.0, 200.0});
    rate();
    EXPECT_EQ(b.Note_Fh, 0.0);
    EXPECT_EQ(b.Note_Fv, 0.0);

    // A single point above 200 Hz has no slope: also 0.
    grid({100.0, 1000.0});
    rate();
    EXPECT_EQ(b.Note_Fh, 0.0);
}

TEST_F(Rating, EnergyAndBassRegionAgainstTheirOwnMeans) {
    grid({50.0, 300.0, 1000.0, 5000.0, 10000.0});
    // Energy response 2·T everywhere: exactly its own mean times T, so no deviation.
    for (int i = 0; i < n(); ++i) {
        for (int d = 0; d < kDirections; ++d) {
            res->fgang_box[i][d] = Complex{2.0 * target(i), 0.0};
        }
        res->fgang_bmass[i] = 1.0;
    }
    rate();
    EXPECT_NEAR(b.Note_F2, 0.0, kTol);
    // Bass blend: 0.25·2 + 0.45·2 + 0.15·2 + 0.15·2 = 2 = R2, so e = 0.
    EXPECT_NEAR(b.Note_F5, 0.0, kTol);

    // Directivity 2: the energy is half the axis, blend 0.25 + 0.9 + 0.3 + 0.3 = 1.75, and
    // e = 1 - 1/1.75 everywhere: (e + e²)·5.
    for (int i = 0; i < n(); ++i) {
        res->fgang_bmass[i] = 2.0;
    }
    rate();
    const double e = 1.0 - 1.0 / 1.75;
    EXPECT_NEAR(b.Note_F5, (e + e * e) * 5.0, kTol);
    EXPECT_NEAR(b.Note_F2, 0.0, kTol); // a constant directivity is no energy deviation

    // Only the 30° directions 2 and 4 enter the blend besides the axis and energy.
    for (int i = 0; i < n(); ++i) {
        res->fgang_box[i][1] = res->fgang_box[i][3] = Complex{0.0, 0.0};
    }
    rate();
    EXPECT_NEAR(b.Note_F5, (e + e * e) * 5.0, kTol);

    // A missing directivity value makes both grades huge, not NaN.
    res->fgang_bmass[2] = 0.0;
    rate();
    EXPECT_GT(b.Note_F2, 1e19);
    EXPECT_GT(b.Note_F5, 1e19);
    expectAllFinite(b);
}

TEST_F(Rating, FrequencyResponseGradeBlendsItsParts) {
    grid({50.0, 300.0, 1000.0, 5000.0});
    for (int i = 0; i < n(); ++i) {
        for (int d = 0; d < kDirections; ++d) {
            res->fgang_box[i][d] = Complex{target(i), 0.0};
        }
        res->fgang_bmass[i] = 2.0;
        res->fgang_box_h[i][180] = res->fgang_box_v[i][180] = Complex{1.0, 0.0};
    }
    para.vgfgWeight.horweight[9] = para.vgfgWeight.vertweight[9] = 100.0;
    rate();
    EXPECT_GT(b.Note_F1, 0.0);
    EXPECT_GT(b.Note_F5, 0.0);
    EXPECT_NEAR(b.Note_F,
                0.7 * (10.0 * b.Note_F1 + 4.0 * b.Note_F2) / (14.0 + 1e-20) + 0.35 * b.Note_F5,
                kTol);
    // Both weights 0: only the bass region is left.
    para.vgWFgAchse = para.vgWFgEnergie = 0.0;
    rate();
    EXPECT_NEAR(b.Note_F, 0.35 * b.Note_F5, kTol);
}

TEST_F(Rating, PhaseOfTheDriversAndTheInclinedDirections) {
    grid({50.0, 1000.0, 5000.0, 30000.0});
    res->nChassis = project->nChassis = 2;
    // R2 = 1: the box equals T in every direction with directivity 1.
    for (int i = 0; i < n(); ++i) {
        for (int d = 0; d < kDirections; ++d) {
            res->fgang_box[i][d] = Complex{target(i), 0.0};
        }
        res->fgang_bmass[i] = 1.0;
        res->fgang_box_inc_o[i] = res->fgang_box_inc_u[i] = Complex{1.0, 0.0};
        res->fgang_chassis[0][0][i][0] = Complex{1.0, 0.0};
        res->fgang_chassis[1][0][i][0] = Complex{0.0, 0.5}; // 90° behind, half as loud
    }
    // Outside 100 Hz .. 20 kHz the phase does not count.
    res->fgang_chassis[1][0][0][0] = Complex{-0.5, 0.0};
    res->fgang_chassis[1][0][3][0] = Complex{-0.5, 0.0};
    rate();
    // A = 30 · 0.5·(π/2 - 0.667·0.16)/π per in-band point, mean over K = 2.
    EXPECT_NEAR(b.Note_Ph, 0.025 * 6.990449534196989, kTol);

    // 170° against -170°: 20° apart, not 340°. The louder driver is the reference.
    const double a170 = 170.0 * std::numbers::pi / 180.0;
    for (int i = 0; i < n(); ++i) {
        res->fgang_chassis[0][0][i][0] = Complex{0.5 * std::cos(a170), 0.5 * std::sin(a170)};
        res->fgang_chassis[1][0][i][0] = Complex{std::cos(-a170), std::sin(-a170)};
    }
    rate();
    const double d = 20.0 * std::numbers::pi / 180.0 - 0.667 * 0.16;
    EXPECT_NEAR(b.Note_Ph, 0.025 * 30.0 * 0.5 * d / std::numbers::pi, kTol);

    // Inclined directions 1.1 above against 1.0 below at every point: x = 0.1 - 0.0075 - 0.015.
    for (int i = 0; i < n(); ++i) {
        res->fgang_chassis[0][0][i][0] = res->fgang_chassis[1][0][i][0] = Complex{1.0, 0.0};
        res->fgang_box_inc_o[i] = Complex{1.1, 0.0};
    }
    rate();
    EXPECT_NEAR(b.Note_Ph, std::pow(100.0 * 0.0775, 2.0), 1e-8);
    // Louder below: only the common tolerance, x = 0.1 - 0.03·0.5.
    for (int i = 0; i < n(); ++i) {
        res->fgang_box_inc_o[i] = Complex{1.0, 0.0};
        res->fgang_box_inc_u[i] = Complex{1.1, 0.0};
    }
    rate();
    EXPECT_NEAR(b.Note_Ph, std::pow(100.0 * 0.085, 2.0), 1e-8);
}

TEST_F(Rating, MinimumDirectivityAndDriversNotFacingForward) {
    grid({100.0, 200.0});
    flatBox(1.0);
    // No directivity at 200 Hz: the whole target counts; 100 Hz is below 150 Hz.
    rate();
    EXPECT_NEAR(b.Note_BM, 236.06060606060603, 1e-9);

    // Enough directivity, but a rear driver as loud as the box at 250 Hz:
    // r = 1 - (0.2·250 + 250)/500 = 0.4, r² = 0.16 over one counted point.
    grid({250.0});
    res->fgang_bmass[0] = 5.0;
    res->nChassis = project->nChassis = 2;
    res->fgang_chassis[0][0][0][0] = Complex{1.0, 0.0};
    res->fgang_chassis[1][0][0][0] = Complex{1.0, 0.0};
    project->schallwand[0].direction = 0;
    project->schallwand[1].direction = 1;
    rate();
    EXPECT_NEAR(b.Note_BM, 0.16 * 200.0, 1e-12);
    project->schallwand[1].direction = 0;
    rate();
    EXPECT_EQ(b.Note_BM, 0.0);
}

TEST_F(Rating, WorkingRanges) {
    grid({100.0, 1000.0, 5000.0});
    flatBox(1.0);
    para.vgWAB = 1.0;
    // One driver with the reader's single-driver limits: 0 whatever its level.
    para.vgFmin[0] = 0.0;
    para.vgFmax[0] = 1000000.0;
    para.vgPeg[0] = 1.0;
    for (int i = 0; i < n(); ++i) {
        res->fgang_chassis[0][0][i][0] = Complex{1.0, 0.0};
    }
    rate();
    EXPECT_EQ(b.Note_AB, 0.0);

    // Two drivers: driver 0 at level 1 above its 2 kHz limit (excess 0.5 at 5 kHz), driver 1
    // at level 1 below its 500 Hz limit (excess 0.5 at 100 Hz). Each over N = 3.
    res->nChassis = project->nChassis = 2;
    para.vgFmin[0] = 0.0;
    para.vgFmax[0] = 2000.0;
    para.vgPeg[0] = 0.5;
    para.vgFmin[1] = 500.0;
    para.vgFmax[1] = 1000000.0;
    para.vgPeg[1] = 0.5;
    for (int i = 0; i < n(); ++i) {
        res->fgang_chassis[1][0][i][0] = Complex{1.0, 0.0};
    }
    rate();
    const double upper = 1.0 / (1.0 + 1e-10) - 0.5;
    EXPECT_NEAR(b.Note_AB, 2500.0 * (upper + 0.5) / 3.0, 1e-9);
    para.vgWAB = 0.5;
    rate();
    EXPECT_NEAR(b.Note_AB, 0.25 * 2500.0 * (upper + 0.5) / 3.0, 1e-9);

    // A silent box below the lower limit: large but finite.
    res->fgang_box[0][0] = Complex{0.0, 0.0};
    rate();
    EXPECT_GT(b.Note_AB, 1e9);
    EXPECT_TRUE(std::isfinite(b.Note_AB));
}

TEST_F(Rating, TotalGradeCombinesTheParts) {
    grid({100.0, 1000.0, 5000.0});
    flatBox(1.0);
    flatImpedance(0, 1.0); // far below Zmin = 4: Note_I > 1 adds the extra term
    for (int i = 0; i < n(); ++i) {
        res->fgang_akt[0][i] = Complex{1.0, 0.0};
        res->fgang_Uel_preamp[kBoxSlot][i] = 5.0;
        res->fgang_bmass[i] = 1.5;
    }
    para.vgWAB = 1.0;
    para.vgFmax[0] = 500.0;
    para.vgPeg[0] = 0.5;
    res->fgang_chassis[0][0][2][0] = Complex{1.0, 0.0};
    rate();
    ASSERT_GT(b.Note_I, 1.0);
    ASSERT_GT(b.Note_AB, 0.0);
    const double wm = 0.4;
    const double expected =
        ((9.0 - 5.0 * wm) * (10.0 * b.Note_F + b.Note_Ph + 1.5 * b.Note_BM * 2.0 + 4.0 * b.Note_I) +
         (5.0 * wm + 1.0) * 13.0 * b.Note_W + 13.0 * b.Note_P + 10.0 * b.Note_P1 +
         10.0 * b.Note_P2) /
            107.0 +
        b.Note_AB / 5.0 + 0.25 * (b.Note_I * b.Note_I - 1.0) / (b.Note_I + 4.0);
    EXPECT_NEAR(b.Note, expected, 1e-9 * std::abs(expected));

    // Fields the rating does not own keep their values.
    b.Note_B = 1.5;
    b.Note_T = 2.5;
    b.minUelmax = 3.5;
    rate();
    EXPECT_EQ(b.Note_B, 1.5);
    EXPECT_EQ(b.Note_T, 2.5);
    EXPECT_EQ(b.minUelmax, 3.5);
}

TEST_F(Rating, ZeroResponsesGiveFiniteGrades) {
    grid({20.0, 100.0, 250.0, 1000.0, 5000.0, 20000.0});
    res->nAmps = 2;
    res->nChassis = project->nChassis = 3;
    project->chassis[0].Sd = 0.05; // two smaller drivers with fc in the grid
    project->chassis[1].fc = project->chassis[2].fc = 1000.0;
    project->schallwand[2].direction = 1;
    para.vgfgWeight.horweight[9] = para.vgfgWeight.vertweight[9] = 100.0;
    para.vgWAB = 1.0;
    para.vgFmin[1] = 500.0;
    para.vgPeg[1] = 0.5;
    para.vgfgWeight.horweight[3] = 20.0;
    for (int typ : {0, 1}) {
        para.vgAmpTyp = typ;
        rate();
        SCOPED_TRACE(typ);
        expectAllFinite(b);
    }
    // Maximum voltages present but the box silent: the level grades divide by |H0| = 0.
    for (int i = 0; i < n(); ++i) {
        res->fgang_Uel_preamp[kBoxSlot][i] = 10.0;
        res->fgang_Uel_preamp_mech[1][i] = 10.0;
        res->fgang_chassis[1][0][i][0] = Complex{0.1, 0.0};
    }
    rate();
    expectAllFinite(b);
    EXPECT_GT(b.Note_P1, 0.0);

    // Zero-initialised parameters (tastes 0, Zmin 0) and a grid without points.
    para = TBewertungsparameter{};
    rate();
    expectAllFinite(b);
    para.vgAmpTyp = 1;
    rate();
    expectAllFinite(b);
    res->nfreq = 0;
    rate();
    expectAllFinite(b);
    // Every frequency 0 and counts out of range are clamped, not read past the record.
    res->nfreq = 100000;
    res->nAmps = -3;
    res->nChassis = 99;
    project->nChassis = 99;
    for (double& f : res->freq) {
        f = 0.0;
    }
    rate();
    expectAllFinite(b);
}

} // namespace
} // namespace sonora
