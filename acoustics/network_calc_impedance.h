// "Impedanzkorrekturglieder": networks parallel to a driver that flatten its impedance at the
// resonance, along the voice-coil inductance, or both.
#pragma once

#include "acoustics/calc_fields.h"
#include "acoustics/network_calc_text.h"

#include <span>
#include <string_view>

namespace sonora {

// Entries of the page in the units the user types; start values as the page opens.
struct ImpedanceCorrectionInputs {
    double Qms = 2.8; // "Mechanische Resonanzgüte Qms"
    double Qes = 0.4; // "Elektrische Resonanzgüte Qes"
    double fc = 66;   // Hz, "Resonanzfrequenz (ggf. eingebaut) [Hz]"
    double Rdc = 6.8; // Ohm, "Gleichstromwiderstand Rdc [Ohm]"
    double Le = 0.8;  // mH, "Schwingspuleninduktivität [mH]"
};

// Group captions of the three result lists, UTF-8.
inline constexpr std::string_view kResonanceCorrectionCaption =
    "Impedanzkorrektur für Grundresonanz";
inline constexpr std::string_view kInductanceCorrectionCaption =
    "Impedanzkorrektur für Schwingspuleninduktivität";
inline constexpr std::string_view kCombinedCorrectionCaption =
    "Impedanzkorrektur für Grundresonanz und Schwingspuleninduktivität";

// The three result lists; each is empty unless the entries it needs are positive.
struct ImpedanceCorrectionMemos {
    NetworkLines resonance;  // series R, L, C parallel to the driver: needs fc, Rdc, Qms, Qes
    NetworkLines inductance; // Zobel, series R and C: needs Le, Rdc
    NetworkLines combined;   // both: needs all five
};

ImpedanceCorrectionMemos impedanceCorrectionLines(const ImpedanceCorrectionInputs& inputs);

// The part values, SI units (Ohm, H, F); one function per formula of the page.
double resonanceCorrectionR(double Rdc, double Qes, double Qms);   // Rdc·(Qes/Qms + 1)
double resonanceCorrectionL(double Rdc, double Qes, double omega); // Qes·Rdc/ω
double resonanceCorrectionC(double Rdc, double Qes, double omega); // 1/(Rdc·Qes·ω)
double zobelC(double Rdc, double LeHenry);                         // Le/Rdc²

// Entry fields by option name: "qms", "qes", "fc", "rdc", "le".
std::span<const CalcField<ImpedanceCorrectionInputs>> impedanceCorrectionFields();

} // namespace sonora
