#include "app/shell/chart_style.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

#include "storage/numbers.h"

namespace sonora {

namespace {

// CIELAB of an sRGB colour (D65 white), the space in which distances follow what the eye sees.
struct Lab {
    double l;
    double a;
    double b;
};

constexpr double kByteMax = 255.0;

double linearChannel(unsigned byte) {
    // The sRGB transfer curve: a linear toe, then the 2.4 power.
    const double v = byte / kByteMax;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double labCurve(double t) {
    constexpr double kEpsilon = 216.0 / 24389.0;
    constexpr double kKappa = 24389.0 / 27.0;
    return t > kEpsilon ? std::cbrt(t) : (kKappa * t + 16.0) / 116.0;
}

Lab toLab(TColor c) {
    const double r = linearChannel(c & 0xFFu);
    const double g = linearChannel((c >> 8) & 0xFFu);
    const double b = linearChannel((c >> 16) & 0xFFu);
    // sRGB primaries to XYZ, each row divided by the D65 white's X, Y, Z.
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const double fx = labCurve(x);
    const double fy = labCurve(y);
    const double fz = labCurve(z);
    return {116.0 * fy - 16.0, 500.0 * (fx - fy), 200.0 * (fy - fz)};
}

// Thin lines are told apart by hue first; lightness and saturation alone are hard to see in a
// line one or two pixels wide. Measured on the default colour sets: maroon beside the drivers' red
// differs by 1° of hue and 17 of lightness and reads as the same colour; blue and green differ by
// more than 100°.
constexpr double kSameColour = 12.0;       // CIELAB distance below which colours are one colour
constexpr double kChromatic = 15.0;        // chroma from which a colour has a visible hue
constexpr double kSameHue = 20.0;          // degrees
constexpr double kSimilarLightness = 30.0; // of 100
constexpr double kSimilarGrey = 25.0;      // lightness step two greys need
constexpr double kNearBlack = 15.0;        // lightness below which every colour reads as black

double hueDegrees(const Lab& c) {
    return std::atan2(c.b, c.a) * 180.0 / std::numbers::pi;
}

constexpr std::array kSeparatingStyles = {LineStyle::Dot, LineStyle::DashDot, LineStyle::DashDotDot,
                                          LineStyle::Dash, LineStyle::LongDash};

constexpr double kLinearMargin = 0.05; // share of the data span added above and below
constexpr double kLogMargin = 1.25;    // factor beyond the data on logarithmic axes

// Tick texts: plain decimals within these bounds, else the power-of-ten form for the whole axis.
constexpr double kPlainTickMax = 1e7;
constexpr double kPlainTickMin = 1e-4;
constexpr int kPlainTickDecimals = 6; // more than any tick step inside the plain bounds needs
constexpr int kMantissaWidth = 5;

// "1000000", "0,3", "-1,5"; rounding noise of the tick positions disappears in the decimals.
std::string plainText(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", kPlainTickDecimals, v);
    std::string text = buffer;
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        text.pop_back();
    }
    if (text == "-0") {
        text = "0";
    }
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string powerText(double v) {
    if (v == 0 || !std::isfinite(v)) {
        return compactNumberText(kMantissaWidth, v);
    }
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    // A mantissa of 9.9999999999 from a rounded power of ten is 10 in the eye of the reader.
    const double mantissa = std::round(v / std::pow(10.0, exponent) * 1e10) / 1e10;
    if (std::fabs(mantissa) >= 10.0) {
        return compactNumberText(kMantissaWidth, mantissa / 10.0) + "E" +
               std::to_string(exponent + 1);
    }
    return compactNumberText(kMantissaWidth, mantissa) + "E" + std::to_string(exponent);
}

struct Box {
    double left, right, bottom, top; // parts of the plot area, 0 .. 1 from left and bottom
};

Box legendBox(LegendPlace place, double w, double h) {
    switch (place) {
    case LegendPlace::TopLeft:
        return {0.0, w, 1.0 - h, 1.0};
    case LegendPlace::BottomRight:
        return {1.0 - w, 1.0, 0.0, h};
    case LegendPlace::BottomLeft:
        return {0.0, w, 0.0, h};
    case LegendPlace::TopRight:
    case LegendPlace::Outside:
        break;
    }
    return {1.0 - w, 1.0, 1.0 - h, 1.0};
}

// The position of v on the axis as a part of its length; NaN when it cannot be placed.
double axisShare(const ChartAxisRange& axis, double v) {
    if (!std::isfinite(v)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (axis.logarithmic) {
        if (v <= 0 || axis.min <= 0 || axis.max <= axis.min) {
            return std::numeric_limits<double>::quiet_NaN();
        }
        return std::log(v / axis.min) / std::log(axis.max / axis.min);
    }
    if (axis.max <= axis.min) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return (v - axis.min) / (axis.max - axis.min);
}

bool inside(double share) {
    return share >= 0.0 && share <= 1.0;
}

} // namespace

bool coloursTooClose(TColor a, TColor b) {
    const Lab p = toLab(a);
    const Lab q = toLab(b);
    const double distance = std::hypot(p.l - q.l, p.a - q.a, p.b - q.b);
    if (distance < kSameColour) {
        return true;
    }
    if (p.l < kNearBlack && q.l < kNearBlack) {
        return true;
    }
    const double chromaP = std::hypot(p.a, p.b);
    const double chromaQ = std::hypot(q.a, q.b);
    const double lightness = std::fabs(p.l - q.l);
    if (chromaP >= kChromatic && chromaQ >= kChromatic) {
        double hue = std::fabs(hueDegrees(p) - hueDegrees(q));
        hue = std::min(hue, 360.0 - hue);
        return hue < kSameHue && lightness < kSimilarLightness;
    }
    if (chromaP < kChromatic && chromaQ < kChromatic) {
        return lightness < kSimilarGrey;
    }
    return false;
}

void separateNearColours(std::vector<ChartCurve>& curves) {
    for (std::size_t k = 1; k < curves.size(); ++k) {
        std::vector<LineStyle> taken;
        bool clash = false;
        for (std::size_t j = 0; j < k; ++j) {
            if (coloursTooClose(curves[j].color, curves[k].color)) {
                taken.push_back(curves[j].style);
                clash = clash || curves[j].style == curves[k].style;
            }
        }
        if (!clash) {
            continue;
        }
        for (LineStyle s : kSeparatingStyles) {
            if (std::find(taken.begin(), taken.end(), s) == taken.end()) {
                curves[k].style = s;
                break;
            }
        }
    }
}

void autoRangeAxis(ChartAxisRange& axis, const std::vector<ChartCurve>& curves, ChartAxis side,
                   double levelSpan) {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    for (const ChartCurve& k : curves) {
        if (k.axis != side) {
            continue;
        }
        for (double v : k.y) {
            if (std::isfinite(v) && (!axis.logarithmic || v > 0)) {
                lo = std::min(lo, v);
                hi = std::max(hi, v);
            }
        }
    }
    if (lo > hi) {
        axis.min = axis.logarithmic ? 0.1 : 0.0;
        axis.max = axis.logarithmic ? 10.0 : 1.0;
        return;
    }
    if (axis.logarithmic) {
        axis.min = lo / kLogMargin;
        axis.max = std::min(hi * kLogMargin, lo * std::pow(10.0, kMaxDecadesShown));
        return;
    }
    if (levelSpan > 0) {
        lo = std::max(lo, hi - levelSpan);
    }
    const double span = hi > lo ? hi - lo : 1.0;
    axis.min = lo - kLinearMargin * span;
    axis.max = hi + kLinearMargin * span;
}

std::vector<std::string> tickTexts(const std::vector<double>& ticks) {
    std::vector<std::string> texts;
    texts.reserve(ticks.size());
    bool plain = true;
    for (double v : ticks) {
        const double size = std::fabs(v);
        plain =
            plain && std::isfinite(v) && size < kPlainTickMax && (v == 0 || size >= kPlainTickMin);
        texts.push_back(plain ? plainText(v) : std::string());
    }
    if (!plain) {
        for (std::size_t k = 0; k < ticks.size(); ++k) {
            texts[k] = powerText(ticks[k]);
        }
    }
    return texts;
}

int pointsUnderLegend(const ChartContent& chart, LegendPlace place, double widthShare,
                      double heightShare) {
    if (place == LegendPlace::Outside) {
        return 0;
    }
    const Box box = legendBox(place, widthShare, heightShare);
    int count = 0;
    auto countCurves = [&](const std::vector<ChartCurve>& curves) {
        for (const ChartCurve& c : curves) {
            const ChartAxisRange& y = c.axis == ChartAxis::Right ? chart.y2 : chart.y;
            const std::size_t n = std::min(c.x.size(), c.y.size());
            for (std::size_t i = 0; i < n; ++i) {
                const double sx = axisShare(chart.x, c.x[i]);
                const double sy = axisShare(y, c.y[i]);
                if (inside(sx) && inside(sy) && sx >= box.left && sx <= box.right &&
                    sy >= box.bottom && sy <= box.top) {
                    ++count;
                }
            }
        }
    };
    countCurves(chart.curves);
    countCurves(chart.comparison);
    return count;
}

LegendPlace legendPlace(const ChartContent& chart, double widthShare, double heightShare) {
    if (widthShare >= 1.0 || heightShare >= 1.0) {
        return LegendPlace::Outside;
    }
    std::size_t total = 0;
    for (const auto* curves : {&chart.curves, &chart.comparison}) {
        for (const ChartCurve& c : *curves) {
            total += std::min(c.x.size(), c.y.size());
        }
    }
    LegendPlace best = LegendPlace::TopRight;
    int fewest = std::numeric_limits<int>::max();
    for (LegendPlace p : {LegendPlace::TopRight, LegendPlace::TopLeft, LegendPlace::BottomRight,
                          LegendPlace::BottomLeft}) {
        const int hidden = pointsUnderLegend(chart, p, widthShare, heightShare);
        if (hidden < fewest) {
            fewest = hidden;
            best = p;
        }
    }
    return fewest <= kLegendHiddenShare * static_cast<double>(total) ? best : LegendPlace::Outside;
}

} // namespace sonora
