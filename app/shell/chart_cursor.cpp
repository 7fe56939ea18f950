#include "app/shell/chart_cursor.h"

#include <cmath>

#include "analysis/driver_response.h"
#include "engine/box_sum.h"
#include "storage/numbers.h"

namespace sonora {

namespace {
constexpr int kCursorWidth = 5;    // characters of frequencies and levels
constexpr int kImpedanceWidth = 4; // characters of impedances
// "Pegel [dB]" -> "dB"; an axis label without brackets gives no unit.
std::string unitOf(const std::string& label) {
    const auto open = label.rfind('[');
    const auto close = label.rfind(']');
    if (open == std::string::npos || close == std::string::npos || close < open) {
        return {};
    }
    return label.substr(open + 1, close - open - 1);
}
} // namespace

const char* const kCursorRestingText =
    "Bewegen Sie die Maus in das Diagramm um den Cursor zu sehen.";

int cursorIndex(const TResult& r, double pointerFrequency) {
    const int n = boundedFreqs(r);
    if (n == 0) {
        return -1;
    }
    for (int i = 0; i < n; ++i) {
        if (r.freq[i] >= pointerFrequency) {
            return i;
        }
    }
    return n - 1;
}

std::string cursorText(const TResult& r, int i, const ChartSwitches& s) {
    if (!s.cursor || !r.valid || i < 0 || i >= boundedFreqs(r)) {
        return kCursorRestingText;
    }
    const Complex& front = r.fgang_box[i][0];
    std::string text = "f=" + compactNumberText(kCursorWidth, r.freq[i]) +
                       "Hz, Box gesamt: " + compactNumberText(kCursorWidth, responseLevel(front)) +
                       "dB";
    if (s.impedance) {
        for (int j = 0; j < boundedAmps(r); ++j) {
            text += ", Impedanz Verst\xe4rker " + std::to_string(j + 1) + ": " +
                    compactNumberText(kImpedanceWidth, CAbs(r.impedanz_box[j][i])) + " Ohm";
        }
    }
    if (s.energy) {
        text += ", Energiefrequenzgang: " +
                compactNumberText(kCursorWidth, energyLevel(front, r.fgang_bmass[i])) + "dB";
    }
    if (s.singleDrivers) {
        for (int n = 0; n < boundedChassis(r); ++n) {
            text += ", " + r.chassisNames[n].str() + ": " +
                    compactNumberText(kCursorWidth, responseLevel(driverOnAxis(r, n, i))) + "dB";
        }
    }
    return text;
}

std::string chartCursorText(const ChartContent& c, double pointerFrequency,
                            double* shownFrequency) {
    const ChartCurve* grid = nullptr;
    for (const ChartCurve& k : c.curves) {
        if (!k.x.empty()) {
            grid = &k;
            break;
        }
    }
    if (grid == nullptr) {
        return kCursorRestingText;
    }
    std::size_t i = 0;
    while (i + 1 < grid->x.size() && grid->x[i] < pointerFrequency) {
        ++i;
    }
    const double f = grid->x[i];
    if (shownFrequency != nullptr) {
        *shownFrequency = f;
    }
    std::string text = "f=" + compactNumberText(kCursorWidth, f) + "Hz";
    for (const ChartCurve& k : c.curves) {
        const std::string unit = unitOf(k.axis == ChartAxis::Right ? c.y2.label : c.y.label);
        // Curves of one chart share the grid; a shorter one shows a gap past its end.
        const bool onGrid = i < k.x.size() && i < k.y.size() && k.x[i] == f;
        const double v = onGrid ? k.y[i] : NAN;
        text += ", " + k.name + ": " +
                (std::isfinite(v) ? compactNumberText(kCursorWidth, v) + unit : std::string("-"));
    }
    return text;
}

} // namespace sonora
