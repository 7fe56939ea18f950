// Complex numbers of the engine: a plain pair of doubles and the operations on it.
//
// Every operation writes its result into a caller-supplied Complex given as the last parameter.
// Each one copies its inputs into locals before it writes, so the result may be the same object as
// any input (`CMul(z, w, z)` is fine). They are called millions of times per calculation and are
// therefore inline. Angles are in radians.
#pragma once

#include <cmath>
#include <numbers>
#include <type_traits>

namespace sonora {

struct Complex {
    double re;
    double im;
};
static_assert(std::is_aggregate_v<Complex>);
static_assert(std::is_trivially_copyable_v<Complex>);
static_assert(sizeof(Complex) == 2 * sizeof(double));

// r = a + b
inline void CAdd(const Complex& a, const Complex& b, Complex& r) {
    const Complex x = a, y = b;
    r.re = x.re + y.re;
    r.im = x.im + y.im;
}

// r = a + b + c
inline void CAdd3(const Complex& a, const Complex& b, const Complex& c, Complex& r) {
    const Complex x = a, y = b, z = c;
    r.re = x.re + y.re + z.re;
    r.im = x.im + y.im + z.im;
}

// r = a - b
inline void CSub(const Complex& a, const Complex& b, Complex& r) {
    const Complex x = a, y = b;
    r.re = x.re - y.re;
    r.im = x.im - y.im;
}

// r = a * b
inline void CMul(const Complex& a, const Complex& b, Complex& r) {
    const Complex x = a, y = b;
    r.re = x.re * y.re - x.im * y.im;
    r.im = y.re * x.im + x.re * y.im;
}

// r = (a * b) * c
inline void CMul3(const Complex& a, const Complex& b, const Complex& c, Complex& r) {
    const Complex z = c;
    Complex ab;
    CMul(a, b, ab);
    CMul(ab, z, r);
}

// r = x * a for a real factor x
inline void CScale(const Complex& a, double x, Complex& r) {
    const Complex y = a;
    r.re = x * y.re;
    r.im = x * y.im;
}

// r = a / b. Deliberately unguarded: b = 0 gives infinities or NaN; callers that can meet a zero
// divisor test for it themselves.
inline void CDiv(const Complex& a, const Complex& b, Complex& r) {
    const Complex x = a, y = b;
    const double d = y.re * y.re + y.im * y.im;
    r.re = (x.re * y.re + x.im * y.im) / d;
    r.im = (y.re * x.im - x.re * y.im) / d;
}

// |a|
inline double CAbs(const Complex& a) {
    return std::sqrt(a.re * a.re + a.im * a.im);
}

// Parallel connection of two impedances, a*b / (a + b). A short circuit on either side (product 0)
// gives 0 without dividing.
inline void CParallel(const Complex& a, const Complex& b, Complex& r) {
    const Complex x = a, y = b;
    Complex p;
    CMul(x, y, p);
    if (CAbs(p) != 0.0) {
        Complex sum;
        CAdd(x, y, sum);
        CDiv(p, sum, r);
    } else {
        r = p;
    }
}

// Parallel connection of three impedances, 1 / (1/a + 1/b + 1/c); 0 if any of them is 0.
inline void CParallel3(const Complex& a, const Complex& b, const Complex& c, Complex& r) {
    const Complex x = a, y = b, z = c;
    if (CAbs(x) != 0.0 && CAbs(y) != 0.0 && CAbs(z) != 0.0) {
        const Complex one{1.0, 0.0};
        Complex ix, iy, iz, sum;
        CDiv(one, x, ix);
        CDiv(one, y, iy);
        CDiv(one, z, iz);
        CAdd3(ix, iy, iz, sum);
        CDiv(one, sum, r);
    } else {
        r = Complex{0.0, 0.0};
    }
}

// r = a * e^(-j*x): a delay of x radians.
inline void CRotate(const Complex& a, double x, Complex& r) {
    const Complex y = a;
    const double c = std::cos(x), s = std::sin(x);
    r.re = c * y.re + s * y.im;
    r.im = c * y.im - s * y.re;
}

// r = rad * e^(j*phi)
inline void CPolar(double phi, double rad, Complex& r) {
    r.re = rad * std::cos(phi);
    r.im = rad * std::sin(phi);
}

// Argument of a in (-pi, pi]; 0 for (0, 0) whatever the signs of the zeros. atan2 returns -pi for a
// negative real part with a negative zero (or vanishing negative) imaginary part; that is folded to
// +pi so the range stays half-open.
inline double CArg(const Complex& a) {
    if (a.re == 0.0 && a.im == 0.0) {
        return 0.0;
    }
    const double phi = std::atan2(a.im, a.re);
    return phi == -std::numbers::pi ? std::numbers::pi : phi;
}

} // namespace sonora
