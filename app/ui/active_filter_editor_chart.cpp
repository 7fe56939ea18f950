#include "app/ui/active_filter_editor_chart.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/active_filter.h"
#include "model/physics.h"
#include "storage/latin1.h"

namespace sonora::ui {

namespace {

constexpr TColor kMagnitudeColour = 0x00B04000; // 0x00BBGGRR: dark blue
constexpr TColor kPhaseColour = 0x000000C0;     // dark red
constexpr int kCurveWidth = 2;                  // pixels
constexpr double kDbStep = 10;                  // dB, the level axis ends on whole steps
constexpr double kMinDbSpan = 40;               // dB shown at least, so a flat chain stays flat
constexpr double kMaxDbSpan = 100;              // dB shown at most below the top
constexpr double kHalfTurn = 180;               // degrees

} // namespace

ChartContent activeFilterChart(const TProjekt& grid, const TAktfilter& chain, int amp) {
    ChartContent c;
    c.title = utf8ToLatin1("Aktive Filter Verstärker " + std::to_string(amp + 1));
    c.subtitle = utf8ToLatin1("Betrag und Phase der Filterkette");
    ChartCurve magnitude;
    magnitude.name = utf8ToLatin1("Betrag [dB]");
    magnitude.color = kMagnitudeColour;
    magnitude.width = kCurveWidth;
    ChartCurve phase;
    phase.name = utf8ToLatin1("Phase [°]");
    phase.color = kPhaseColour;
    phase.width = kCurveWidth;
    phase.axis = ChartAxis::Right;

    for (int i = 0; i < kCurvePoints && grid.freq[i] > 0; ++i) {
        const Complex h = aktfilterResponse(chain, grid.freq[i]);
        const double level = 20 * std::log10(CAbs(h)); // dB of the pressure ratio
        const double degrees = CArg(h) * kDegreesPerRadian;
        if (!std::isfinite(level) || !std::isfinite(degrees)) {
            continue;
        }
        magnitude.x.push_back(grid.freq[i]);
        magnitude.y.push_back(level);
        phase.x.push_back(grid.freq[i]);
        // CArg may return exactly +-pi or a value a rounding step outside; keep the axis range.
        phase.y.push_back(std::clamp(degrees, -kHalfTurn, kHalfTurn));
    }

    c.x = {grid.fMin, grid.fMax, true, "f [Hz]"};
    double top = kDbStep;
    double bottom = top - kMinDbSpan;
    if (!magnitude.y.empty()) {
        const auto [lo, hi] = std::minmax_element(magnitude.y.begin(), magnitude.y.end());
        top = std::ceil((*hi + 1) / kDbStep) * kDbStep;
        bottom = std::max(std::min(std::floor(*lo / kDbStep) * kDbStep, top - kMinDbSpan),
                          top - kMaxDbSpan);
    }
    c.y = {bottom, top, false, "Betrag [dB]"};
    c.hasRightAxis = true;
    c.y2 = {-kHalfTurn, kHalfTurn, false, utf8ToLatin1("Phase [°]")};
    c.curves.push_back(std::move(magnitude));
    c.curves.push_back(std::move(phase));
    return c;
}

} // namespace sonora::ui
