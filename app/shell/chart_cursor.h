// The frequency cursor of the box chart: which grid point the pointer selects and the one line of
// text shown for it.
#pragma once

#include <string>

#include "app/shell/chart_set.h"
#include "model/result.h"

namespace sonora {

// Shown while there is no cursor (Latin-1).
extern const char* const kCursorRestingText;

// The grid index of the first grid frequency not left of the pointer's frequency (the last index
// at most); -1 when the result holds no grid.
int cursorIndex(const TResult& r, double pointerFrequency);

// "f=" + frequency + "Hz, Box gesamt: " + front level + "dB", then per amplifier its impedance,
// the energy response and each driver's level as the switches ask (Latin-1). Numbers are compact
// texts of width 5, impedances of width 4. Without the cursor switch, for a result that is not
// valid and for an index outside the grid the text is the resting text.
std::string cursorText(const TResult& r, int i, const ChartSwitches& s);

// The cursor of every other frequency chart, read from what it draws: "f=" + the grid frequency
// at or right of the pointer + "Hz", then each current curve's name, value and the unit of its
// axis ("Pegel [dB]" gives "dB"); a gap in a curve shows "-". The resting text when the chart has
// no curves; the frequency of the shown point is returned in `shownFrequency`.
std::string chartCursorText(const ChartContent& c, double pointerFrequency,
                            double* shownFrequency = nullptr);

} // namespace sonora
