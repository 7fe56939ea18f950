// The calculator page "Gehäuse geschlossen/Bassreflex": closed box for a wanted Qtc, vented box
// after Hoge, and the tuning for an alternative volume.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "acoustics/calc_fields.h"

namespace sonora {

// The page's entry fields with their start values, in the page's units.
struct ClosedVentedInput {
    double qts = 0.4;            // "Resonanzgüte Qts"
    bool qesQmsKnown = false;    // "Qes und Qms sind bekannt": Qts is then computed from them
    double qes = 0.5;            // electrical Q
    double qms = 2;              // mechanical Q
    double vas = 80;             // litres, "Äquivalentvolumen Vas [Liter]"
    double fs = 35;              // Hz, "Resonanzfrequenz fs [Hz]"
    bool seriesResistor = false; // "Vorwiderstand berücksichtigen"
    double rdc = 6;              // Ohm, voice-coil DC resistance
    double rv = 1.0;             // Ohm, series resistor
    double qtc = 0.7;            // "Gewünschte Gesamtgüte Qtc"
    double altVolume = 0;        // litres, "Alternatives Volumen [Liter]"; 0 = empty field
};

// What the page shows after a calculation. Lines are Latin-1.
struct ClosedVentedResult {
    std::string qtsText;         // Qts field text when computed from Qes and Qms (may be empty)
    double qts = 0;              // the Qts computed with
    bool seriesResistor = false; // the switch afterwards (turned off when Rdc <= 0)
    double effectiveQ = 0;       // Q' including the series resistor
    std::vector<std::string> closedBox;   // "Auslegung geschlossene Box"
    std::vector<std::string> ventedBox;   // "Auslegung Baßreflexbox (nach Hoge)"
    std::vector<std::string> alternative; // the list below "Alternatives Volumen"
};

ClosedVentedResult calcClosedVented(ClosedVentedInput input);

// All three lists one after the other, each after its caption (Latin-1), for a text output.
std::vector<std::string> closedVentedLines(const ClosedVentedResult& result);

// Entry names: qts, qesqms, qes, qms, vas, fs, series, rdc, rv, qtc, valt.
std::span<const CalcField<ClosedVentedInput>> closedVentedFields();
bool setClosedVentedField(ClosedVentedInput& input, std::string_view name, std::string_view text);

} // namespace sonora
