#include "app/shell/chart_cursor.h"

#include "storage/numbers.h"

namespace sonora {

namespace {
constexpr int kCursorWidth = 5;    // characters of frequencies and levels
constexpr int kImpedanceWidth = 4; // characters of impedances
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
                    compactNumberText(kCursorWidth, responseLevel(chassisFront(r, n, i))) + "dB";
        }
    }
    return text;
}

} // namespace sonora
