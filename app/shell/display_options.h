// The display-options dialog's values and the rules applied when it is accepted.
#pragma once

#include "model/records.h"

namespace sonora {

// What the dialog edits: the colours, the five numbers of the axis fields, the line width of the
// slider and the switch "Diese Einstellungen bei allen Projektdateien verwenden".
struct DisplayOptionsInput {
    TAnzOption option{}; // colours; the numbers below replace the axis fields
    double fMin = 20;    // lowest frequency, Hz
    double fMax = 20000; // highest frequency, Hz
    double dBMin = 40;   // lowest level, dB
    double dBMax = 110;  // highest level, dB
    double impMax = 70;  // top of the impedance axis, Ohm
    int lineWidth = 1;   // the slider
    bool allProjects = false;
};

// Floors of the accepted numbers and the values that replace what is below them.
inline constexpr double kAcceptedFMin = 20;     // Hz, for a lowest frequency <= 0
inline constexpr double kAcceptedFMax = 20000;  // Hz, for a highest frequency <= 0
inline constexpr double kLowestDbMin = -300;    // dB
inline constexpr double kLowestDbMax = -250;    // dB
inline constexpr double kAcceptedImpMax = 50;   // Ohm, for an impedance maximum <= 0
inline constexpr double kMinFrequencyRatio = 2; // highest / lowest frequency at least
inline constexpr double kMinLevelSpan = 1;      // dB between lowest and highest level

// The dialog's values for `option` (with `allProjects` as the switch).
DisplayOptionsInput displayOptionsInputOf(const TAnzOption& option, bool allProjects);

// Steps 1 to 3 of accepting: the floors, a frequency ratio of at least 2 and a level span of at
// least 1 dB, the line width, and the exchange of reversed ranges. Non-finite numbers count as
// not above their floor. Colours with a non-zero top byte become 0. Returns the options to store.
TAnzOption acceptDisplayOptions(const DisplayOptionsInput& input);

// Replaces every colour whose top byte is not zero (a system colour) by 0.
void clearSystemColours(TAnzOption& option);

} // namespace sonora
