// The active-filter stage: level and filter chain of each amplifier output over the grid.
#include <algorithm>
#include <array>
#include <cmath>

#include "engine/active_filter.h"
#include "engine/calc_thread.h"
#include "engine/stages.h"
#include "model/frequency_grid.h"
#include "model/result.h"

namespace sonora {

namespace {
constexpr int kMaxStageGridPoints = kResultFreqs - 1; // the last entry is the grid's terminator
} // namespace

void CalcActiveFilter(TCalcThread& calc, int amp) {
    if (amp < 0 || amp >= kMaxAmps) {
        return; // no status text to write to
    }
    StatusText& text = calc.CalcStruct.bfgang_akt[amp];
    try {
        const TProjekt& p = *calc.aktProjekt;
        const TAktfilter& akt = p.amp[amp].aktfilter;
        if (auto fault = validateAktfilter(akt, amp)) {
            text.assign(*fault); // the results of this amplifier keep their previous contents
            return;
        }
        // Calculated aside and stored only when every point is finite, so a fault never leaves a
        // half-written or non-finite response behind.
        std::array<Complex, kMaxStageGridPoints> h;
        const int points = gridPointCount(p.freq);
        for (int i = 0; i < points; ++i) {
            const Complex v = aktfilterResponse(akt, p.freq[i]);
            if (!std::isfinite(v.re) || !std::isfinite(v.im)) {
                text.assign(activeFilterArithmeticFaultText(amp));
                return;
            }
            h[static_cast<std::size_t>(i)] = v;
        }
        std::copy_n(h.begin(), points, calc.Res->fgang_akt[amp]);
        text.assign("OK");
    } catch (...) {
        text.assign(activeFilterArithmeticFaultText(amp));
    }
}

} // namespace sonora
