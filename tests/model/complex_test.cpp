// Complex operations checked against std::complex as an independent oracle.
#include "model/complex.h"

#include <algorithm>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace sonora {
namespace {

using Std = std::complex<double>;

constexpr double kRelTol = 1e-12;
constexpr int kSamples = 2000;
constexpr unsigned kSeed = 20240611u;

Std toStd(const Complex& z) {
    return Std(z.re, z.im);
}

void expectNear(const Complex& got, const Std& want) {
    const double scale = std::max(1.0, std::abs(want));
    EXPECT_NEAR(got.re, want.real(), kRelTol * scale);
    EXPECT_NEAR(got.im, want.imag(), kRelTol * scale);
}

// Random values over several decades in both parts and both signs, as impedances and responses are.
std::vector<Complex> randomValues() {
    std::mt19937 gen(kSeed);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-3, 3);
    std::vector<Complex> v(kSamples);
    for (Complex& z : v) {
        z.re = mantissa(gen) * std::pow(10.0, exponent(gen));
        z.im = mantissa(gen) * std::pow(10.0, exponent(gen));
    }
    return v;
}

TEST(Complex, ArithmeticMatchesStdComplexAlsoWhenOutputAliasesAnInput) {
    const std::vector<Complex> v = randomValues();
    for (std::size_t i = 0; i + 2 < v.size(); i += 3) {
        const Complex a = v[i], b = v[i + 1], c = v[i + 2];
        const Std sa = toStd(a), sb = toStd(b), sc = toStd(c);
        const double x = b.re; // a real factor / angle

        Complex r;
        CAdd(a, b, r);
        expectNear(r, sa + sb);
        CAdd3(a, b, c, r);
        expectNear(r, sa + sb + sc);
        CSub(a, b, r);
        expectNear(r, sa - sb);
        CMul(a, b, r);
        expectNear(r, sa * sb);
        CMul3(a, b, c, r);
        expectNear(r, sa * sb * sc);
        CScale(a, x, r);
        expectNear(r, x * sa);
        CDiv(a, b, r);
        expectNear(r, sa / sb);
        CParallel(a, b, r);
        expectNear(r, sa * sb / (sa + sb));
        CParallel3(a, b, c, r);
        expectNear(r, 1.0 / (1.0 / sa + 1.0 / sb + 1.0 / sc));
        CRotate(a, x, r);
        expectNear(r, sa * std::exp(Std(0.0, -x)));
        CPolar(x, a.re, r);
        expectNear(r, std::polar(a.re, x));
        EXPECT_NEAR(CAbs(a), std::abs(sa), kRelTol * std::abs(sa));
        EXPECT_NEAR(CArg(a), std::arg(sa), 1e-15);

        // Output is the first input.
        Complex z = a;
        CMul(z, b, z);
        expectNear(z, sa * sb);
        z = a;
        CDiv(z, b, z);
        expectNear(z, sa / sb);
        z = a;
        CMul3(z, b, c, z);
        expectNear(z, sa * sb * sc);
        z = a;
        CParallel(z, b, z);
        expectNear(z, sa * sb / (sa + sb));
        z = a;
        CParallel3(z, b, c, z);
        expectNear(z, 1.0 / (1.0 / sa + 1.0 / sb + 1.0 / sc));
        z = a;
        CRotate(z, x, z);
        expectNear(z, sa * std::exp(Std(0.0, -x)));
        z = a;
        CScale(z, x, z);
        expectNear(z, x * sa);
        z = a;
        CAdd3(z, b, c, z);
        expectNear(z, sa + sb + sc);

        // Output is the second or last input.
        z = b;
        CSub(a, z, z);
        expectNear(z, sa - sb);
        z = b;
        CDiv(a, z, z);
        expectNear(z, sa / sb);
        z = c;
        CMul3(a, b, z, z);
        expectNear(z, sa * sb * sc);
        z = c;
        CParallel3(a, b, z, z);
        expectNear(z, 1.0 / (1.0 / sa + 1.0 / sb + 1.0 / sc));

        // Every input is the output.
        z = a;
        CMul(z, z, z);
        expectNear(z, sa * sa);
        z = a;
        CAdd(z, z, z);
        expectNear(z, sa + sa);
        z = a;
        CParallel(z, z, z);
        expectNear(z, sa / 2.0);
    }
}

TEST(Complex, ArgumentRangeIsHalfOpenAndZeroForZero) {
    EXPECT_EQ(CArg(Complex{0.0, 0.0}), 0.0);
    EXPECT_EQ(CArg(Complex{-0.0, -0.0}), 0.0); // atan2 alone would give -pi
    EXPECT_EQ(CArg(Complex{-0.0, 0.0}), 0.0);  // atan2 alone would give pi
    EXPECT_DOUBLE_EQ(CArg(Complex{-1.0, 0.0}), std::numbers::pi);
    EXPECT_DOUBLE_EQ(CArg(Complex{-1.0, -0.0}), std::numbers::pi);
    EXPECT_DOUBLE_EQ(CArg(Complex{0.0, 2.0}), std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(CArg(Complex{0.0, -2.0}), -std::numbers::pi / 2);
    EXPECT_DOUBLE_EQ(CArg(Complex{-1.0, -1.0}), -3 * std::numbers::pi / 4);
}

TEST(Complex, ParallelWithAShortCircuitIsZero) {
    const Complex zero{0.0, 0.0};
    const Complex z{8.0, -3.5};
    Complex r{1.0, 1.0};
    CParallel(z, zero, r);
    EXPECT_EQ(r.re, 0.0);
    EXPECT_EQ(r.im, 0.0);
    r = Complex{1.0, 1.0};
    CParallel(zero, z, r);
    EXPECT_EQ(r.re, 0.0);
    EXPECT_EQ(r.im, 0.0);
    r = Complex{1.0, 1.0};
    CParallel(zero, zero, r); // 0 / 0 must not be formed
    EXPECT_EQ(r.re, 0.0);
    EXPECT_EQ(r.im, 0.0);

    for (int zeroAt = 0; zeroAt < 3; ++zeroAt) {
        Complex in[3] = {z, Complex{2.0, 1.0}, Complex{-1.0, 4.0}};
        in[zeroAt] = zero;
        r = Complex{1.0, 1.0};
        CParallel3(in[0], in[1], in[2], r);
        EXPECT_EQ(r.re, 0.0) << "zero argument " << zeroAt;
        EXPECT_EQ(r.im, 0.0) << "zero argument " << zeroAt;
    }
}

TEST(Complex, ParallelOfResistorsFollowsTheConductanceSum) {
    Complex r;
    CParallel(Complex{8.0, 0.0}, Complex{8.0, 0.0}, r);
    EXPECT_DOUBLE_EQ(r.re, 4.0);
    EXPECT_EQ(r.im, 0.0);
    CParallel3(Complex{6.0, 0.0}, Complex{3.0, 0.0}, Complex{2.0, 0.0}, r);
    EXPECT_DOUBLE_EQ(r.re, 1.0);
    EXPECT_NEAR(r.im, 0.0, 1e-15);
}

TEST(Complex, RotateIsADelay) {
    // A quarter-turn delay takes 1 to -j; rotating by x and back by -x returns the value.
    Complex r;
    CRotate(Complex{1.0, 0.0}, std::numbers::pi / 2, r);
    EXPECT_NEAR(r.re, 0.0, 1e-15);
    EXPECT_NEAR(r.im, -1.0, 1e-15);
    const Complex a{0.3, -2.0};
    CRotate(a, 1.234, r);
    EXPECT_NEAR(CAbs(r), CAbs(a), 1e-14);
    EXPECT_NEAR(CArg(r), CArg(a) - 1.234, 1e-14);
    CRotate(r, -1.234, r);
    EXPECT_NEAR(r.re, a.re, 1e-14);
    EXPECT_NEAR(r.im, a.im, 1e-14);
}

TEST(Complex, PolarRoundTripsThroughAbsAndArg) {
    Complex r;
    CPolar(-2.5, 3.0, r);
    EXPECT_NEAR(CAbs(r), 3.0, 1e-14);
    EXPECT_NEAR(CArg(r), -2.5, 1e-14);
}

} // namespace
} // namespace sonora
