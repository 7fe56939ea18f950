#include "acoustics/baffle_test_enclosures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "acoustics/baffle_phasor.h"

namespace sonora {

namespace {

constexpr int kComponents = 50;

// Small side of the test cabinet (direction -2).
constexpr TestEnclosureTable kTableA = {
    kComponents,
    {10.33222, 10.26528, 9.16287, 8.85046, 6.14553, 5.59083, 6.15029, 5.58595, 4.97061, 4.4316,
     3.20687,  3.05775,  3.23675, 2.87182, 2.56691, 2.71045, 0.80242, 1.87737, 1.87471, 1.57599,
     1.13468,  1.178,    1.2503,  1.11566, 0.98194, 0.75664, 0.68739, 0.73381, 0.732,   0.63851,
     0.46355,  0.45014,  0.4364,  0.41446, 0.36599, 0.36426, 0.31398, 0.29241, 0.29334, 0.16862,
     0.21315,  0.1777,   0.17012, 0.1575,  0.12523, 0.12546, 0.12665, 0.08466, 0.07815, 0.001},
    {-0.15559, 0.08606,  0.01123,  0.02054,  -0.08924, -0.17791, 0.13014,  0.0898,   0.07398,
     0.02327,  -0.12271, -0.14634, 0.17877,  0.18522,  -0.00999, -0.01719, -0.20399, 0.02481,
     -0.0381,  0.07234,  -0.36822, -0.39191, 0.09698,  0.39663,  0.13039,  -0.09851, 0.24196,
     0.3559,   0.09015,  -0.0678,  0.62944,  -0.30568, 0.32879,  -1.08849, -0.74578, 0.25484,
     0.91677,  0.85235,  -0.03643, -1.96546, 0.9006,   -0.69003, 1.8229,   1.12087,  -0.75424,
     -0.35637, -3.15292, 1.55954,  1.14541,  0.24321},
    {0.02169, 0.02022, 0.02058, 0.01672, 0.0,     0.02335, 0.00297, 0.0063,  0.00855, 0.0,
     0.01018, 0.02488, 0.01125, 0.01718, 0.04217, 0.00492, 0.01924, 0.00692, 0.00636, 0.00793,
     0.01862, 0.05086, 0.00518, 0.00999, 0.00977, 0.01459, 0.06119, 0.02382, 0.01599, 0.0,
     0.01551, 0.04996, 0.00968, 0.02409, 0.02987, 0.01242, 0.0254,  0.02283, 0.0,     0.08096,
     0.0329,  0.02398, 0.02805, 0.02885, 0.04825, 0.04682, 0.21791, 0.07134, 0.07677, 0.01},
};

// Large side of the test cabinet (direction -3).
constexpr TestEnclosureTable kTableB = {
    kComponents,
    {24.677,  23.22091, 21.16674, 18.63546, 16.25905, 14.39892, 12.89344, 11.55468, 9.84162,
     8.58674, 7.16636,  7.40676,  6.26738,  5.84898,  5.46119,  5.17019,  4.12581,  3.79852,
     3.51276, 2.55718,  3.32874,  2.93596,  2.50216,  1.89621,  1.86652,  1.52089,  1.51821,
     1.44145, 1.30771,  1.32252,  0.80933,  1.03102,  0.55898,  0.79568,  0.4116,   0.54427,
     0.44561, 0.3829,   0.41554,  0.36919,  0.29764,  0.29261,  0.28301,  0.28785,  0.21969,
     0.21391, 0.16379,  0.12143,  0.12907,  0.001},
    {0.02954,  0.02032, 0.08044,  0.1184,   0.12968,  0.10852,  0.06589,  0.05033,  0.02777,
     -0.05474, 0.12553, -0.0212,  -0.1914,  0.13554,  -0.0476,  -0.03889, -0.20138, 0.23499,
     -0.19442, 0.38079, -0.0262,  -0.06104, -0.18437, 0.09287,  -0.08402, 0.30646,  -0.3605,
     -0.17785, 0.18191, -0.32147, -0.253,   0.05981,  -0.14331, 0.2694,   -0.20942, 0.03267,
     -0.46471, 0.28546, 0.49111,  0.87347,  -2.28292, 3.7969,   -1.31784, -1.37476, -1.06091,
     -0.03907, 4.74045, -0.9451,  -1.34733, -0.23481},
    {0.0099,  0.00447, 0.00773, 0.00971, 0.00928, 0.00859, 0.0074,  0.00885, 0.0086,  0.02029,
     0.03192, 0.00722, 0.01413, 0.01929, 0.01189, 0.00625, 0.01846, 0.02364, 0.01568, 0.04995,
     0.00312, 0.00844, 0.01254, 0.07509, 0.00904, 0.03425, 0.06224, 0.04001, 0.01893, 0.03196,
     0.09654, 0.0109,  0.08448, 0.02937, 0.01934, 0.0,     0.05877, 0.1148,  0.00526, 0.0,
     0.03878, 0.01463, 0.00996, 0.04164, 0.0,     0.0,     0.08834, 0.0,     0.0,     0.01},
};

constexpr int kSmallSide = -2;
constexpr double kSpreadExponent = 0.25;
// Each component's amplitude is shared by its 11 spread terms; the 0.5 is the edge's half share.
constexpr double kTermShare = 0.5 / 11.0;
// Components fade towards low frequencies: 5λ²/(x + 5λ²).
constexpr double kFadeFactor = 5.0;

} // namespace

const TestEnclosureTable& testEnclosureTable(int direction) {
    return direction == kSmallSide ? kTableA : kTableB;
}

TestEnclosureModel::TestEnclosureModel(const TestEnclosureTable& table)
    : table_(table), paths_(0), maxAbs_(0.0), s_{} {
    const int count = std::clamp(table.count, 0, kTestEnclosureCapacity);
    for (int b = 0; b < count; ++b) {
        for (int i = -kTestEnclosureSpread; i <= kTestEnclosureSpread; ++i) {
            const double spread = i * std::pow(std::abs(i), kSpreadExponent) * table.y[b];
            s_[paths_] = table.x[b] * (1.0 + spread);
            maxAbs_ = std::max(maxAbs_, std::abs(s_[paths_]));
            ++paths_;
        }
    }
}

Complex TestEnclosureModel::edges(double lambda) const {
    std::array<double, kMaxPaths> w;
    const double fade = kFadeFactor * lambda * lambda;
    for (int p = 0; p < paths_; ++p) {
        const int b = p / kTerms;
        w[p] = table_.a[b] * kTermShare * (fade / (table_.x[b] + fade));
    }
    const double k = 2.0 * std::numbers::pi / lambda;
    return phasorSum(s_.data(), w.data(), paths_, k, maxAbs_);
}

} // namespace sonora
