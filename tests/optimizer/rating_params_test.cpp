// The optimizer window's rating controls: slider mappings, the weights window and the
// working-range grid, all as pure functions.
#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "optimizer/rating_params.h"

namespace sonora {
namespace {

constexpr double kTol = 1e-12;

TEST(RatingSliders, MappingsAtTheirEndsAndDefaults) {
    EXPECT_NEAR(minImpedanceFromSlider(0, false), 8.0, kTol);
    EXPECT_NEAR(minImpedanceFromSlider(4, false), 4.0, kTol);
    EXPECT_NEAR(minImpedanceFromSlider(8, false), 2.0, kTol);
    EXPECT_NEAR(minImpedanceFromSlider(5, false), 8.0 * std::pow(2.0, -1.25), kTol); // 3.3636 Ohm
    EXPECT_NEAR(minImpedanceFromSlider(0, true), 16.0, kTol);
    EXPECT_NEAR(minImpedanceFromSlider(8, true), 4.0, kTol);
    EXPECT_NEAR(minImpedanceFromSlider(-1, false), 8.0, kTol); // clamped
    EXPECT_NEAR(minImpedanceFromSlider(9, false), 2.0, kTol);

    EXPECT_NEAR(maxLevelWeightFromSlider(0), 1.0, kTol);
    EXPECT_NEAR(maxLevelWeightFromSlider(6), 0.4, kTol);
    EXPECT_NEAR(maxLevelWeightFromSlider(10), 0.0, kTol);

    EXPECT_NEAR(tasteFromSlider(0), 1.9952623149688795, kTol); // +3 dB "kräftig"/"strahlend"
    EXPECT_NEAR(tasteFromSlider(3), 1.0, kTol);
    EXPECT_NEAR(tasteFromSlider(6), 0.5011872336272722, kTol); // -3 dB "schlank"/"englisch"
    EXPECT_NEAR(tasteFromSlider(7), tasteFromSlider(6), kTol);

    EXPECT_EQ(responseWeightFromSlider(0), 10.0);
    EXPECT_EQ(responseWeightFromSlider(6), 4.0);
    EXPECT_EQ(responseWeightFromSlider(10), 0.0);
    EXPECT_EQ(responseWeightFromSlider(kMinDirectivitySlider), 2.0);

    EXPECT_NEAR(workingRangeWeightFromSlider(0), 1.0, kTol);
    EXPECT_NEAR(workingRangeWeightFromSlider(10), 0.0, kTol);
    EXPECT_NEAR(workingRangeWeightFromSlider(7), 0.3, kTol);
    EXPECT_EQ(sliderShownValue(0), 10);
    EXPECT_EQ(sliderShownValue(6), 4);

    const auto transistor = minImpedanceSliderLabels(false);
    EXPECT_EQ(transistor[0], "mögl. > 8 Ohm");
    EXPECT_EQ(transistor[2], "mögl. > 2 Ohm");
    const auto tube = minImpedanceSliderLabels(true);
    EXPECT_EQ(tube[0], "Übertrager 16 Ohm");
    EXPECT_EQ(tube[1], "Übertrager 8 Ohm");
}

TEST(RatingSliders, WindowDefaultsAndTheDefaultButton) {
    const TBewertungsparameter p = HoleAlleBewPara(RatingSliders{}, TFgangWeights{}, {}, 1);
    EXPECT_EQ(p.vgAmpTyp, 0);
    EXPECT_NEAR(p.vgMinImpedanz, 3.363585661014858, kTol);
    EXPECT_NEAR(p.vgWMaxPegel, 0.4, kTol);
    EXPECT_NEAR(p.vgBasspegel, 1.0, kTol);
    EXPECT_NEAR(p.vgSHTPegel, 1.0, kTol);
    EXPECT_EQ(p.vgWFgAchse, 10.0);
    EXPECT_EQ(p.vgWFgEnergie, 4.0);
    EXPECT_EQ(p.vgMindBM, 2.0);
    EXPECT_EQ(p.vgWAB, 0.0);

    RatingSliders s;
    s.tubeAmplifier = true;
    s.minImpedance = 0;
    s.maxLevel = 1;
    s.bassTaste = 0;
    s.trebleTaste = 6;
    s.directionalResponses = 9;
    s.energyResponse = 2;
    s.workingRange = 3;
    const TBewertungsparameter q = HoleAlleBewPara(s, TFgangWeights{}, {}, 1);
    EXPECT_EQ(q.vgAmpTyp, 1);
    EXPECT_NEAR(q.vgMinImpedanz, 16.0, kTol);
    EXPECT_NEAR(q.vgBasspegel, 1.9952623149688795, kTol);
    EXPECT_NEAR(q.vgSHTPegel, 0.5011872336272722, kTol);
    EXPECT_NEAR(q.vgWAB, 0.7, kTol);

    // "Defaultwerte setzen" resets the four weight sliders only.
    setRatingDefaults(s);
    EXPECT_EQ(s.directionalResponses, 0);
    EXPECT_EQ(s.energyResponse, 6);
    EXPECT_EQ(s.maxLevel, 6);
    EXPECT_EQ(s.workingRange, 10);
    EXPECT_TRUE(s.tubeAmplifier);
    EXPECT_EQ(s.minImpedance, 0);
    EXPECT_EQ(s.bassTaste, 0);
    EXPECT_EQ(s.trebleTaste, 6);
}

std::vector<double> weightsOf(int width, int centre) {
    double w[kWeightDirections];
    planeWeights(PlaneWeightSliders{width, centre}, w);
    return {w, w + kWeightDirections};
}

// Weights at angles -45 .. +45 in 5° steps written as 19 numbers.
std::vector<double> weights(std::initializer_list<std::pair<int, double>> nonZero) {
    std::vector<double> w(kWeightDirections, 0.0);
    for (const auto& [k, v] : nonZero) {
        w[k + 9] = v;
    }
    return w;
}

TEST(RatingWeights, WindowFormulaByHand) {
    // Start values H = 1, C = 0: 100 at 0°, 50 at ±5°.
    EXPECT_EQ(weightsOf(1, 0), weights({{-1, 50.0}, {0, 100.0}, {1, 50.0}}));
    // Narrowest: only the centre.
    EXPECT_EQ(weightsOf(0, 0), weights({{0, 100.0}}));
    // Centre between two directions (C = 1, 2.5°): both within 5°.
    EXPECT_EQ(weightsOf(0, 1), weights({{0, 100.0}, {1, 100.0}}));
    // Far right with H = 0: 30°.
    EXPECT_EQ(weightsOf(0, 12), weights({{6, 100.0}}));
    // H = 3, C = 5: b = |2k - 5| gives 100 up to b = 3, then 75, 25, 0.
    EXPECT_EQ(weightsOf(3, 5), weights({{-1, 25.0},
                                        {0, 75.0},
                                        {1, 100.0},
                                        {2, 100.0},
                                        {3, 100.0},
                                        {4, 100.0},
                                        {5, 75.0},
                                        {6, 25.0}}));
    // Widest: 100 everywhere except 50 at the two ends (b = 18).
    std::vector<double> wide(kWeightDirections, 100.0);
    wide.front() = wide.back() = 50.0;
    EXPECT_EQ(weightsOf(9, 0), wide);
    // Mirror symmetry of the centre, and clamping of both sliders.
    std::vector<double> left = weightsOf(2, -7), right = weightsOf(2, 7);
    std::reverse(right.begin(), right.end());
    EXPECT_EQ(left, right);
    EXPECT_EQ(weightsOf(20, 40), weightsOf(9, 12));

    // Both planes, each from its own sliders.
    const TFgangWeights both = fgangWeightsFromSliders(WeightSliders{{0, 0}, {0, -12}});
    EXPECT_EQ(both.horweight[9], 100.0);
    EXPECT_EQ(both.vertweight[9], 0.0);
    EXPECT_EQ(both.vertweight[3], 100.0);
    EXPECT_EQ(weightWidthShownDegrees(3), 30.0);
    EXPECT_EQ(weightCentreShownDegrees(-5), -12.5);
}

TEST(RatingWorkingRanges, GridFollowsTheDrivers) {
    auto p = std::make_unique<TProjekt>();
    p->nChassis = 2;
    p->chassis[0].name.assign("Tief");
    p->chassis[1].name.assign("Hoch\xE4"); // Latin-1 name stays as it is
    WorkingRangeGrid grid = InitArbeitsfreqs({}, *p);
    ASSERT_EQ(grid.size(), 2u);
    EXPECT_EQ(grid[0].header, "1: Tief");
    EXPECT_EQ(grid[1].header, "2: Hoch\xE4");
    EXPECT_EQ(grid[1].lower, "0");
    EXPECT_EQ(grid[1].upper, "99999");
    EXPECT_EQ(grid[1].level, "-6");

    // The user's entries stay while the drivers are the same ...
    grid[1].lower = "150";
    grid[1].upper = "3000,5";
    grid[1].level = "-3";
    EXPECT_EQ(InitArbeitsfreqs(grid, *p)[1].lower, "150");
    // ... and every column is reset when a name or the count changes.
    p->chassis[0].name.assign("Bass");
    WorkingRangeGrid renamed = InitArbeitsfreqs(grid, *p);
    EXPECT_EQ(renamed[0].header, "1: Bass");
    EXPECT_EQ(renamed[1].lower, "0");
    p->chassis[0].name.assign("Tief");
    p->nChassis = 3;
    EXPECT_EQ(InitArbeitsfreqs(grid, *p).size(), 3u);
    EXPECT_EQ(InitArbeitsfreqs(grid, *p)[1].upper, "99999");
    p->nChassis = 2;

    // Two drivers: read with the program's number reader, the level in dB.
    TBewertungsparameter bp{};
    readWorkingRanges(grid, 2, bp);
    EXPECT_EQ(bp.vgFmin[0], 0.0);
    EXPECT_EQ(bp.vgFmax[0], 99999.0);
    EXPECT_NEAR(bp.vgPeg[0], std::pow(10.0, -6.0 / 20.0), kTol);
    EXPECT_EQ(bp.vgFmin[1], 150.0);
    EXPECT_EQ(bp.vgFmax[1], 3000.5);
    EXPECT_NEAR(bp.vgPeg[1], 0.7079457843841379, kTol);
    // Missing columns read as reset columns; text that is no number reads as 0.
    grid[0].lower = "abc";
    readWorkingRanges(grid, 3, bp);
    EXPECT_EQ(bp.vgFmin[0], 0.0);
    EXPECT_EQ(bp.vgFmax[2], 99999.0);
    EXPECT_TRUE(workingRangeInputEnabled(2));
}

TEST(RatingWorkingRanges, OneDriverCoversEverything) {
    auto p = std::make_unique<TProjekt>();
    p->nChassis = 1;
    p->chassis[0].name.assign("Breitband");
    WorkingRangeGrid grid = InitArbeitsfreqs({}, *p);
    ASSERT_EQ(grid.size(), 1u);
    grid[0].lower = "500";
    grid[0].level = "-20";
    EXPECT_FALSE(workingRangeInputEnabled(1));
    // The grid is ignored: the whole range at level 1.
    const TBewertungsparameter bp = HoleAlleBewPara(RatingSliders{}, TFgangWeights{}, grid, 1);
    EXPECT_EQ(bp.vgFmin[0], 0.0);
    EXPECT_EQ(bp.vgFmax[0], 1000000.0);
    EXPECT_EQ(bp.vgPeg[0], 1.0);

    // The weights of the weights window are copied as they are.
    TFgangWeights w = fgangWeightsFromSliders(WeightSliders{});
    const TBewertungsparameter withWeights = HoleAlleBewPara(RatingSliders{}, w, grid, 1);
    EXPECT_EQ(withWeights.vgfgWeight.horweight[8], 50.0);
    EXPECT_EQ(withWeights.vgfgWeight.vertweight[10], 50.0);
}

} // namespace
} // namespace sonora
