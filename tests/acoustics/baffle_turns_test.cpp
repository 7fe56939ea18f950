#include "acoustics/baffle_turns.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

#include "acoustics/direction_set.h"
#include "tests/acoustics/baffle_test_support.h"

namespace sonora {
namespace {

using baffle_test::grid;
using baffle_test::makeResponse;
using baffle_test::Response;

using Vec = std::array<double, 3>;

// Unit vector of direction n (x right, y up, z forward). The oblique directions 22..29 lie in the
// baffle plane at (sin A, sin B, 0).
Vec vectorOf(int n) {
    const DirectionAngle d = DirectionAngles(n);
    const double a = d.A * std::numbers::pi / 180.0, b = d.B * std::numbers::pi / 180.0;
    if (n >= 22 && n <= 29) {
        return {std::sin(a), std::sin(b), 0.0};
    }
    if (d.A != 0.0) {
        return {std::sin(a), 0.0, std::cos(a)};
    }
    return {0.0, std::sin(b), std::cos(b)};
}

// Fills every entry with a value that names its row and direction.
void label(Response& r) {
    for (int i = 0; i < kResultFreqs; ++i) {
        for (int n = 0; n < kDirections; ++n) {
            r.rows[i][n] = Complex{static_cast<double>(n), static_cast<double>(i)};
        }
    }
}

using Turn = void (*)(const double*, int, BaffleResponse&);

// Direction k of the turned pattern reads the direction p[k] that the turn carries onto it: a
// rotation by 90° about the vertical axis (x, y, z) → (z, y, −x), about the horizontal axis
// (x, y, z) → (x, −z, y), and the mirror of front and back (x, y, −z).
TEST(BaffleTurns, PermutationsAreTheGeometricTurns) {
    const auto f = grid(100.0, 1000.0, 3);
    const struct {
        Turn turn;
        Vec (*map)(const Vec&);
    } cases[] = {
        {TurnHorizontal,
         [](const Vec& v) {
             return Vec{v[2], v[1], -v[0]};
         }},
        {TurnVertical,
         [](const Vec& v) {
             return Vec{v[0], -v[2], v[1]};
         }},
        {TurnToRear,
         [](const Vec& v) {
             return Vec{v[0], v[1], -v[2]};
         }},
    };
    auto r = makeResponse();
    for (const auto& c : cases) {
        label(*r);
        c.turn(f.data(), 600, r->rows);
        for (int k = 0; k < 30; ++k) {
            const int source = static_cast<int>(r->rows[0][k].re);
            const Vec expected = c.map(vectorOf(k));
            const Vec got = vectorOf(source);
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_NEAR(got[axis], expected[axis], 1e-12) << k << " <- " << source;
            }
        }
    }
}

TEST(BaffleTurns, FullTurnsAreIdentityAndTheRestStays) {
    const auto f = grid(100.0, 1000.0, 5);
    auto r = makeResponse();
    for (const auto& [turn, times] :
         {std::pair<Turn, int>{TurnHorizontal, 4}, {TurnVertical, 4}, {TurnToRear, 2}}) {
        label(*r);
        turn(f.data(), 600, r->rows);
        bool moved = false;
        for (int k = 0; k < 30; ++k) {
            moved = moved || r->rows[2][k].re != k;
        }
        EXPECT_TRUE(moved);
        for (int t = 1; t < times; ++t) {
            turn(f.data(), 600, r->rows);
        }
        for (int i = 0; i < kResultFreqs; ++i) {
            for (int n = 0; n < kDirections; ++n) {
                ASSERT_EQ(r->rows[i][n].re, n) << i << " " << n;
                ASSERT_EQ(r->rows[i][n].im, i);
            }
        }
    }
    // Only rows of the grid turn; the 5° rings never do.
    label(*r);
    TurnHorizontal(f.data(), 600, r->rows);
    for (int n = 0; n < kDirections; ++n) {
        EXPECT_EQ(r->rows[5][n].re, n) << "beyond the grid";
        if (n >= 30) {
            EXPECT_EQ(r->rows[0][n].re, n);
        }
    }
    // The count bounds the rows too.
    label(*r);
    TurnVertical(f.data(), 2, r->rows);
    EXPECT_NE(r->rows[1][0].re, 0);
    EXPECT_EQ(r->rows[2][0].re, 0);
}

} // namespace
} // namespace sonora
