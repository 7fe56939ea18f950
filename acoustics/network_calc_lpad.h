// "Spannungsteiler": the L-pad for a wanted attenuation (exact values and suggestions from common
// resistors) and the reverse calculation from given resistors.
#pragma once

#include "acoustics/calc_fields.h"
#include "acoustics/network_calc_text.h"

#include <span>
#include <string>

namespace sonora {

// Number of entries in the list "Gewünschte Pegelabsenkung [dB]": −0.5 … −10 dB in 0.5 dB steps,
// then −11 … −15 dB in 1 dB steps.
inline constexpr int kWantedAttenuationCount = 25;

// Entry `index` of the list in dB (negative); an index outside the list gives the first entry.
double wantedAttenuationDb(int index);

// Caption of list entry `index`, as the list shows it ("-0,5 dB", "-1,5dB", "-11 dB"), ASCII.
std::string wantedAttenuationCaption(int index);

// Entries of the upper group; start values as the page opens.
struct LPadInputs {
    int attenuationIndex = 0; // entry of the wanted-attenuation list
    double Z = 8;             // Ohm, "Gewünschte Anschlussimpedanz [Ohm]"
    double RL = 8;            // Ohm, "Lastimpedanz des Lautsprechers RL [Ohm]"
    bool anyImpedance = true; // "Anschlussimpedanz egal": Z is not a condition for suggestions
};

// Entries of the lower group ("from given parts"); start values as the page opens.
struct ReverseLPadInputs {
    double R1 = 8;   // Ohm, series resistor
    double R2 = 6.8; // Ohm, resistor parallel to the load
    double RL = 8;   // Ohm, load
};

// The common resistor values the suggestions combine, Ohm; a value of at least
// kOpenResistor stands for a resistor that is left out.
inline constexpr int kCommonResistorCount = 15;
inline constexpr double kCommonResistors[kCommonResistorCount] = {
    0, 1, 1.5, 2.2, 3.3, 4.7, 6.8, 10, 15, 22, 33, 47, 68, 100, 1e10};
inline constexpr double kOpenResistor = 10000; // Ohm

// The parallel resistance of a and b (Ohm), 1/(1/a + 1/b).
double parallelResistance(double a, double b);

// Attenuation of an L-pad in dB (≤ 0): series resistor R1 ahead of the resistance Rp of the
// parallel resistor with the load, 20·log10(Rp/(R1 + Rp)).
double lpadAttenuationDb(double R1, double Rp);

// The memo of the upper group: the wanted level; then, when Z and RL are positive, the exact
// values, a possible warning and at least five suggestions where the table allows them.
NetworkLines lpadLines(const LPadInputs& inputs);

// The memo of the lower group: level and input impedance, or empty unless R1, R2, RL are positive.
NetworkLines reverseLpadLines(const ReverseLPadInputs& inputs);

// Entry fields by option name: "db" (a value of the list, sign optional: "6" and "-6" both mean
// −6 dB), "z", "rl", "egal" (switch).
std::span<const CalcField<LPadInputs>> lpadFields();

// Entry fields by option name: "r1", "r2", "rl".
std::span<const CalcField<ReverseLPadInputs>> reverseLpadFields();

} // namespace sonora
