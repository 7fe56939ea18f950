#include "acoustics/baffle_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "acoustics/baffle_edges.h"
#include "tests/acoustics/baffle_test_support.h"

namespace sonora {
namespace {

using baffle_test::bevelledBaffle;
using baffle_test::centredBaffle;

constexpr double kStep = 12.5663708 / 960.0; // rad between rays

std::vector<EdgePoint> edgePoints(const TSchallwand& sw) {
    std::vector<EdgePoint> points(kEdgePointCapacity);
    EXPECT_EQ(BuildEdgePoints(points.data(), kEdgePointCapacity, sw, kStartBaffleTuning),
              kEdgePoints);
    return points;
}

double totalWeight(const PathList& list) {
    double sum = 0.0;
    for (int i = 0; i < list.count; ++i) {
        sum += list.w[i];
    }
    return sum;
}

// Every point lies on its ray and on the edge its label names; outer points sit on the baffle
// outline, a bevel deep, inner points on the flat front where the bevels begin.
TEST(BaffleEdges, PointsLieOnTheirRayAndEdge) {
    const TSchallwand sw = bevelledBaffle();
    const auto points = edgePoints(sw);
    const double top = sw.swh - sw.swa, bottom = sw.swa, left = sw.swc, right = sw.swb - sw.swc;
    for (int i = 0; i < kEdgePoints; ++i) {
        const EdgePoint& p = points[i];
        const bool outer = i < kEdgePointsPerPass;
        const double phi = (i % kEdgePointsPerPass) * kStep;
        ASSERT_NEAR(p.phi, phi, 1e-12) << i;
        // On the ray: perpendicular component 0, along-ray component positive.
        // (to 1e-7 rad: the side loops subtract the program's rounded quarter turns)
        EXPECT_NEAR(p.x * std::cos(phi) + p.y * std::sin(phi), 0.0, 1e-7 * std::hypot(p.x, p.y))
            << i;
        EXPECT_GT(-p.x * std::sin(phi) + p.y * std::cos(phi), 0.0) << i;
        const char side = p.label[0];
        EXPECT_EQ(p.label[1], outer ? side : '\0') << i;
        double bevel = 0.0;
        switch (side) {
        case 'o':
            EXPECT_NEAR(p.y, outer ? top : top - sw.swg, 1e-9) << i;
            bevel = sw.swg;
            break;
        case 'l':
            EXPECT_NEAR(p.x, outer ? -left : -(left - sw.swe), 1e-9) << i;
            bevel = sw.swe;
            break;
        case 'u':
            EXPECT_NEAR(p.y, outer ? -bottom : -(bottom - sw.swi), 1e-9) << i;
            bevel = sw.swi;
            break;
        case 'r':
            EXPECT_NEAR(p.x, outer ? right : right - sw.swf, 1e-9) << i;
            bevel = sw.swf;
            break;
        default:
            ADD_FAILURE() << "label of point " << i;
        }
        const double flat = std::hypot(p.x, p.y);
        EXPECT_NEAR(p.z, outer ? -bevel : 0.0, 1e-15) << i;
        EXPECT_NEAR(p.r, outer ? flat + 0.41421356 * bevel : flat, 1e-12) << i;
        EXPECT_DOUBLE_EQ(p.w, 2.0 / 960.0) << i;
    }
    // The rays meet the edges in the order top, left, bottom, right, top.
    EXPECT_EQ(points[0].label[0], 'o');
    EXPECT_EQ(points[120].label[0], 'l');
    EXPECT_EQ(points[240].label[0], 'u');
    EXPECT_EQ(points[360].label[0], 'r');
    EXPECT_EQ(points[479].label[0], 'o');
}

TEST(BaffleEdges, SwitchedOffEdgesWeighNothing) {
    TSchallwand sw = bevelledBaffle();
    sw.beugl = sw.beugu = false;
    const auto points = edgePoints(sw);
    for (int i = 0; i < kEdgePoints; ++i) {
        const bool off = points[i].label[0] == 'l' || points[i].label[0] == 'u';
        EXPECT_EQ(points[i].w, off ? 0.0 : 2.0 / 960.0) << i;
    }
    // A short capacity is respected.
    std::vector<EdgePoint> few(10);
    EXPECT_EQ(BuildEdgePoints(few.data(), 10, sw, kStartBaffleTuning), 10);
}

// Without bevels inner and outer points coincide; on axis they share 0.6 (inner) and 0.4 (outer)
// of the total weight 1, and the path is the distance from the driver centre.
TEST(BafflePaths, AxisListWithoutBevels) {
    const auto points = edgePoints(centredBaffle());
    for (int i = 0; i < kEdgePointsPerPass; ++i) {
        const EdgePoint &outer = points[i], &inner = points[i + kEdgePointsPerPass];
        ASSERT_EQ(outer.x, inner.x) << i;
        ASSERT_EQ(outer.y, inner.y) << i;
        ASSERT_EQ(outer.r, inner.r) << i;
        ASSERT_EQ(outer.z, 0.0) << i;
    }
    auto list = std::make_unique<PathList>();
    BuildPathList(*list, points.data(), 0, kStartBaffleTuning);
    ASSERT_EQ(list->count, kEdgePoints);
    EXPECT_NEAR(totalWeight(*list), 1.0, 1e-12);
    // Pairs of equal path lengths: the outer share 0.4/480 and the inner 0.6/480.
    std::vector<double> weights(list->w, list->w + kEdgePoints);
    std::sort(weights.begin(), weights.end());
    EXPECT_NEAR(weights.front(), 0.4 * 2.0 / 960.0, 1e-15);
    EXPECT_NEAR(weights.back(), 0.6 * 2.0 / 960.0, 1e-15);
    EXPECT_NEAR(list->s[0], std::hypot(0.1, 0.15), 1e-3); // the rays next to the corners are the
                                                          // longest
    EXPECT_NEAR(list->s[kEdgePoints - 1], 0.1, 1e-9);     // the side edges the shortest
}

// Closed forms of the weights: the base shares sum to their table value, the side share of
// (1 ± cos φ)² averages 1.5 over a full turn, and the concentrated shares go to the facing points
// with the groups crossed.
TEST(BafflePaths, WeightsOfTheDirections) {
    const TSchallwand sw = bevelledBaffle();
    const auto points = edgePoints(sw);
    const auto& t = kStartBaffleTuning.SW_EDGEWEIGHT;
    auto list = std::make_unique<PathList>();
    // Rows: direction → row of SW_EDGEWEIGHT.
    const std::pair<int, int> rows[] = {{1, 6},   {4, 6},   {9, 18}, {12, 18}, {13, 19},
                                        {18, 20}, {21, 21}, {30, 1}, {49, 5},  {50, 7},
                                        {69, 11}, {70, 13}, {89, 17}};
    for (const auto& [n, e] : rows) {
        BuildPathList(*list, points.data(), n, kStartBaffleTuning);
        const double expected = t[e][0][0] + t[e][1][0] + 0.6667 * 1.5 * (t[e][0][1] + t[e][1][1]) +
                                t[e][0][2] + t[e][1][2];
        // The rays step by the program's rounding of 4π/960, so the turn closes to about 1e-7.
        EXPECT_NEAR(totalWeight(*list), expected, 1e-6) << n;
    }
    // Straight up (direction 9): the inner top point (path 0) gets the inner 90° share 0.914 on
    // top of its base share, the outer top point (path 0.414·g) the outer group's 0.066.
    BuildPathList(*list, points.data(), 9, kStartBaffleTuning);
    const auto heaviest = std::max_element(list->w, list->w + list->count);
    const int h = static_cast<int>(heaviest - list->w);
    EXPECT_NEAR(list->s[h], 0.0, 1e-12);
    EXPECT_NEAR(list->w[h], 0.914 + 0.019 * 2.0 / 960.0, 1e-12);
    bool foundOuter = false;
    for (int i = 0; i < list->count; ++i) {
        if (std::abs(list->s[i] - 0.41421356 * sw.swg) < 1e-12) {
            EXPECT_NEAR(list->w[i], 0.066, 1e-12);
            foundOuter = true;
        }
    }
    EXPECT_TRUE(foundOuter);
    // Directions in the baffle plane have no list.
    BuildPathList(*list, points.data(), 25, kStartBaffleTuning);
    EXPECT_EQ(list->count, 0);
}

// Paths of a direction: s = r − z·cos θ − (y or x)·sin θ; straight back s = r + z.
TEST(BafflePaths, PathLengthsFollowTheGeometry) {
    const auto points = edgePoints(bevelledBaffle());
    auto list = std::make_unique<PathList>();
    const auto sortedPaths = [&](auto path) {
        std::vector<double> s;
        for (const EdgePoint& p : points) {
            if (&p - points.data() < kEdgePoints) {
                s.push_back(path(p));
            }
        }
        std::sort(s.rbegin(), s.rend());
        return s;
    };
    const double c60 = std::cos(std::numbers::pi / 3), s60 = std::sin(std::numbers::pi / 3);
    const auto left60 =
        sortedPaths([&](const EdgePoint& p) { return p.r - p.z * c60 + p.x * s60; });
    BuildPathList(*list, points.data(), 6, kStartBaffleTuning); // A = −60
    for (int i = 0; i < kEdgePoints; ++i) {
        EXPECT_NEAR(list->s[i], left60[i], 1e-12) << i;
    }
    const auto back = sortedPaths([](const EdgePoint& p) { return p.r + p.z; });
    BuildPathList(*list, points.data(), 21, kStartBaffleTuning);
    for (int i = 0; i < kEdgePoints; ++i) {
        EXPECT_NEAR(list->s[i], back[i], 1e-12) << i;
    }
}

TEST(BafflePaths, GapSortGivesDescendingPairs) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto list = std::make_unique<PathList>();
    for (const int count : {kEdgePoints, 400, 2, 1, 0}) {
        std::vector<std::pair<double, double>> pairs;
        for (int i = 0; i < count; ++i) {
            // Some equal path lengths, as a symmetric baffle gives.
            list->s[i] = i % 7 == 0 ? 0.5 : u(rng);
            list->w[i] = u(rng);
            pairs.emplace_back(list->s[i], list->w[i]);
        }
        list->count = count;
        sortPathList(*list);
        std::vector<std::pair<double, double>> sorted;
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                EXPECT_GE(list->s[i - 1], list->s[i]);
            }
            sorted.emplace_back(list->s[i], list->w[i]);
        }
        std::sort(pairs.begin(), pairs.end());
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(pairs, sorted) << "the pairs stay together";
    }
}

// The fast sort gives exactly the order of the program's passes, ties included (they decide which
// entries merge), on real lists and on lists full of equal path lengths.
TEST(BafflePaths, SortIsThePassSort) {
    const auto points = edgePoints(centredBaffle()); // symmetric: many equal paths
    auto fast = std::make_unique<PathList>(), passes = std::make_unique<PathList>();
    std::mt19937_64 rng(5);
    std::uniform_int_distribution<int> level(0, 40);
    for (int n = 0; n < 12; ++n) {
        for (int i = 0; i < kEdgePoints; ++i) {
            const EdgePoint& p = points[i];
            // Quantised geometric paths of direction-like mixes, and coarse random levels.
            fast->s[i] = n < 6 ? std::round((p.r - p.x * 0.2 * n) * 1e4) : level(rng);
            fast->w[i] = i; // names the entry
        }
        fast->count = n % 3 == 2 ? 500 : kEdgePoints;
        *passes = *fast;
        sortPathList(*fast);
        sortPathListByPasses(*passes);
        for (int i = 0; i < fast->count; ++i) {
            ASSERT_EQ(fast->s[i], passes->s[i]) << n << " " << i;
            ASSERT_EQ(fast->w[i], passes->w[i]) << n << " " << i;
        }
    }
}

TEST(BafflePaths, MergeJoinsNeighboursOnce) {
    auto list = std::make_unique<PathList>();
    const double s[] = {1.0, 0.99, 0.5, 0.49, 0.48, 0.47, 0.1};
    const double w[] = {1.0, 3.0, 0.0, 2.0, 2.0, 4.0, 1.0};
    for (int i = 0; i < 7; ++i) {
        list->s[i] = s[i];
        list->w[i] = w[i];
    }
    list->count = 7;
    const double lambda = 0.8; // merge width 0.025 · 0.8 = 0.02 m
    MergePathList(*list, lambda, kStartBaffleTuning);
    ASSERT_EQ(list->count, 4);
    EXPECT_DOUBLE_EQ(list->s[0], 0.25 * 1.0 + 0.75 * 0.99); // weighted mean of the pair
    EXPECT_EQ(list->w[0], 4.0);
    EXPECT_DOUBLE_EQ(list->s[1], 0.485); // the zero weight between is dropped
    EXPECT_EQ(list->w[1], 4.0);
    EXPECT_EQ(list->s[2], 0.47); // its partner is taken: no second merge in this call
    EXPECT_EQ(list->w[2], 4.0);
    EXPECT_EQ(list->s[3], 0.1);
    EXPECT_EQ(list->w[4], kEndMark);
    // The next call merges the clusters further.
    MergePathList(*list, lambda, kStartBaffleTuning);
    ASSERT_EQ(list->count, 3);
    EXPECT_EQ(list->w[1], 8.0);
    EXPECT_NEAR(list->s[1], 0.4775, 1e-15);
    EXPECT_EQ(list->w[3], kEndMark);
}

// A full list: the total weight and the order are kept, the list at most halves per call, and at
// long wavelengths the lists collapse while the edge sum barely moves.
TEST(BafflePaths, MergingKeepsWeightAndSum) {
    const auto points = edgePoints(bevelledBaffle());
    auto list = std::make_unique<PathList>();
    BuildPathList(*list, points.data(), 2, kStartBaffleTuning);
    const double weight = totalWeight(*list);
    const double lambda = 3.44; // m, 100 Hz
    const Complex before = SumEdges(*list, lambda);
    // Entries of weight 0 (here the outer points but the facing one) are dropped.
    int count = static_cast<int>(
        std::count_if(list->w, list->w + kEdgePoints, [](double w) { return w != 0.0; }));
    for (int call = 0; call < 12; ++call) {
        MergePathList(*list, lambda, kStartBaffleTuning);
        EXPECT_GE(2 * list->count, count);
        EXPECT_NEAR(totalWeight(*list), weight, 1e-12);
        for (int i = 1; i < list->count; ++i) {
            EXPECT_GE(list->s[i - 1], list->s[i]);
        }
        if (list->count < kEdgePoints) {
            EXPECT_EQ(list->w[list->count], kEndMark);
        }
        count = list->count;
    }
    EXPECT_LT(list->count, 20);
    const Complex after = SumEdges(*list, lambda);
    EXPECT_NEAR(after.re, before.re, 5e-3);
    EXPECT_NEAR(after.im, before.im, 5e-3);
}

TEST(BafflePaths, SumEdgesIsThePhasorSum) {
    const auto points = edgePoints(bevelledBaffle());
    auto list = std::make_unique<PathList>();
    BuildPathList(*list, points.data(), 8, kStartBaffleTuning);
    MergePathList(*list, 0.0172, kStartBaffleTuning); // shortened: the end mark bounds the sum
    for (const double lambda : {0.0172, 0.344, 34.4}) {
        std::complex<double> expected = 0.0;
        const double k = 2.0 * std::numbers::pi / lambda;
        for (int i = 0; i < kEdgePoints && list->w[i] > -1000.0; ++i) {
            expected += list->w[i] * std::exp(std::complex<double>(0.0, -k * list->s[i]));
        }
        const Complex e = SumEdges(*list, lambda);
        EXPECT_NEAR(e.re, expected.real(), 1e-13) << lambda;
        EXPECT_NEAR(e.im, expected.imag(), 1e-13) << lambda;
    }
}

} // namespace
} // namespace sonora
