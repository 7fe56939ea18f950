// The rating of the shipped designs does not depend on where the grid's points happen to fall:
// the same design on grids of 84 to 256 points gets nearly the same total grade.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "engine/example_projects.h"
#include "tests/optimizer/design_note.h"

namespace sonora {
namespace {

constexpr int kGridSizes[] = {84, 126, 200, 249, 250, 251, 256};
constexpr double kSpread = 0.2; // every grade within ±20 % of the median over the grids

void expectSteadyOverGrids(void (*build)(TProjekt&, int), const char* name) {
    std::vector<double> notes;
    for (int points : kGridSizes) {
        auto p = std::make_unique<TProjekt>();
        build(*p, points);
        const TBewertungen b = testing::designGrades(*p);
        std::printf("%s, %d points: Note %.4f (F %.4f, Fh %.4f, Fv %.4f, Ph %.4f)\n", name, points,
                    b.Note, b.Note_F, b.Note_Fh, b.Note_Fv, b.Note_Ph);
        ASSERT_TRUE(std::isfinite(b.Note)) << points;
        notes.push_back(b.Note);
    }
    std::vector<double> sorted = notes;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    for (std::size_t k = 0; k < notes.size(); ++k) {
        EXPECT_NEAR(notes[k], median, kSpread * median) << name << ", " << kGridSizes[k];
    }
}

TEST(RatingOverGrids, TwoWayExample) {
    expectSteadyOverGrids(buildTwoWayExample, "Zweiwege");
}

TEST(RatingOverGrids, ThreeWayExample) {
    expectSteadyOverGrids(buildThreeWayExample, "Dreiwege");
}

} // namespace
} // namespace sonora
