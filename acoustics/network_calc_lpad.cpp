#include "acoustics/network_calc_lpad.h"

#include "model/physics.h"
#include "storage/numbers.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace sonora {
namespace {

// The wanted-attenuation list: 20 entries in half-decibel steps, then whole decibels from −11.
constexpr int kHalfStepEntries = 20;
constexpr double kHalfStepDb = 0.5;
constexpr double kFirstWholeStepDb = 11;
// The one list caption written without a blank before the unit.
constexpr int kCaptionWithoutBlank = 2;

// Guard in the exact R2 against a zero denominator when Z·k equals RL.
constexpr double kGuardConductance = 1e-20; // 1/Ohm
// |R2| from this value on means "leave R2 out".
constexpr double kOpenExactR2 = 1e10; // Ohm

// The suggestions: at most this many tolerance steps, until this many lines exist.
constexpr int kToleranceSteps = 100;
constexpr int kWantedSuggestions = 5;
// Per tolerance step t the input impedance may lie 1 % · t below and 2 % · t above Z, and the
// level may miss the wanted one by 0.05 dB + 0.05 dB · t.
constexpr double kImpedanceBelowPerStep = 0.01;
constexpr double kImpedanceAbovePerStep = 0.02;
constexpr double kLevelToleranceDb = 0.05;
constexpr double kLevelTolerancePerStepDb = 0.05;

bool sameDb(double a, double b) {
    constexpr double kListMatch = 1e-9; // dB; list values are exact multiples of 0.5
    return std::abs(a - b) < kListMatch;
}

// "R1 = 4,7 Ohm; " or "R1 = offen lassen; " (and the same for R2 with a blank instead of ";").
std::string suggestedResistorText(std::string_view name, double R, std::string_view end) {
    std::string text(name);
    text += " = ";
    if (R >= kOpenResistor) {
        text += "offen lassen";
    } else {
        text += compactNumberText(kNetworkDigits, R);
        text += " Ohm";
    }
    text += end;
    return text;
}

void appendSuggestions(const LPadInputs& inputs, double A, NetworkLines& lines) {
    int suggestions = 0;
    for (int t = 0; t < kToleranceSteps && suggestions < kWantedSuggestions; ++t) {
        const double zLow = (1 - kImpedanceBelowPerStep * t) * inputs.Z;
        const double zHigh = (1 + kImpedanceAbovePerStep * t) * inputs.Z;
        const double levelTolerance = kLevelToleranceDb + kLevelTolerancePerStepDb * t;
        for (double R1 : kCommonResistors) {
            // The first table value, 0 Ohm, would short the load and is never used for R2.
            for (int j = 1; j < kCommonResistorCount; ++j) {
                const double R2 = kCommonResistors[j];
                const double Rp = parallelResistance(inputs.RL, R2);
                const double Rin = Rp + R1;
                const double a = lpadAttenuationDb(R1, Rp);
                const bool impedanceFits = inputs.anyImpedance || (zLow < Rin && Rin < zHigh);
                if (!impedanceFits || !(std::abs(a - A) < levelTolerance)) {
                    continue;
                }
                std::string line = suggestedResistorText("R1", R1, "; ") +
                                   suggestedResistorText("R2", R2, " ") + "ergibt " +
                                   compactNumberText(kNetworkDigits, a) +
                                   " dB Absenkung bei Anschlussimpedanz von " +
                                   compactNumberText(kNetworkDigits, Rin) + " Ohm.";
                if (std::find(lines.begin(), lines.end(), line) == lines.end()) {
                    lines.push_back(std::move(line));
                    ++suggestions;
                }
            }
        }
    }
}

const CalcField<LPadInputs> kLPadFields[] = {
    {"db", "Gewünschte Pegelabsenkung [dB]", CalcFieldKind::Number,
     [](LPadInputs& in, std::string_view text) {
         double db = 0;
         if (!readEntryNumber(text, db)) {
             return false;
         }
         const double wanted = -std::abs(db);
         for (int i = 0; i < kWantedAttenuationCount; ++i) {
             if (sameDb(wantedAttenuationDb(i), wanted)) {
                 in.attenuationIndex = i;
                 return true;
             }
         }
         return false;
     }},
    {"z", "Gewünschte Anschlussimpedanz [Ohm]", CalcFieldKind::Number,
     [](LPadInputs& in, std::string_view text) { return readEntryNumber(text, in.Z); }},
    {"rl", "Lastimpedanz des Lautsprechers RL [Ohm]", CalcFieldKind::Number,
     [](LPadInputs& in, std::string_view text) { return readEntryNumber(text, in.RL); }},
    {"egal", "Anschlussimpedanz egal", CalcFieldKind::Switch,
     [](LPadInputs& in, std::string_view text) { return readEntrySwitch(text, in.anyImpedance); }},
};

const CalcField<ReverseLPadInputs> kReverseFields[] = {
    {"r1", "R1 [Ohm]", CalcFieldKind::Number,
     [](ReverseLPadInputs& in, std::string_view text) { return readEntryNumber(text, in.R1); }},
    {"r2", "R2 [Ohm]", CalcFieldKind::Number,
     [](ReverseLPadInputs& in, std::string_view text) { return readEntryNumber(text, in.R2); }},
    {"rl", "RL [Ohm]", CalcFieldKind::Number,
     [](ReverseLPadInputs& in, std::string_view text) { return readEntryNumber(text, in.RL); }},
};

} // namespace

double wantedAttenuationDb(int index) {
    if (index < 0 || index >= kWantedAttenuationCount) {
        index = 0;
    }
    if (index < kHalfStepEntries) {
        return -kHalfStepDb * (index + 1);
    }
    return -(kFirstWholeStepDb + (index - kHalfStepEntries));
}

std::string wantedAttenuationCaption(int index) {
    constexpr int kCaptionDigits = 5; // "-0,5", "-10", "-15"
    const bool blank = index != kCaptionWithoutBlank;
    return compactNumberText(kCaptionDigits, wantedAttenuationDb(index)) + (blank ? " dB" : "dB");
}

double parallelResistance(double a, double b) {
    return 1 / (1 / a + 1 / b);
}

double lpadAttenuationDb(double R1, double Rp) {
    return kDecibelFactor * std::log10(Rp / (R1 + Rp));
}

NetworkLines lpadLines(const LPadInputs& inputs) {
    const double A = wantedAttenuationDb(inputs.attenuationIndex); // dB, negative
    NetworkLines lines;
    lines.push_back(numberLine("dBWunsch = ", kNetworkWideDigits, A, " dB"));
    if (!isPositiveEntry(inputs.Z) || !isPositiveEntry(inputs.RL)) {
        return lines;
    }
    const double k = std::pow(10.0, A / kDecibelFactor); // wanted voltage ratio
    const double R1 = inputs.Z * (1 - k);
    const double R2 = 1 / (1 / (inputs.Z * k) - 1 / inputs.RL + kGuardConductance);
    // Entries at the ends of the double range (Z·k and RL both rounding to zero) leave nothing
    // that can be shown: keep the first line only, as for non-positive entries.
    if (!std::isfinite(R1) || std::isnan(R2)) {
        return lines;
    }
    lines.push_back(latin1Line("Exakte Werte nach Vorgabe:"));
    lines.push_back(numberLine("R1 = ", kNetworkWideDigits, R1, " Ohm"));
    if (std::abs(R2) >= kOpenExactR2) {
        lines.push_back(latin1Line("R2 = offen"));
    } else {
        lines.push_back(numberLine("R2 = ", kNetworkWideDigits, R2, " Ohm"));
    }
    if (R2 < 0 && !inputs.anyImpedance) {
        lines.push_back(latin1Line("Achtung: Anschlussimpedanz nicht realisierbar, daher R2<0!"));
    }
    lines.emplace_back();
    lines.push_back(latin1Line("Vorschläge bei Einsatz gängiger Widerstände:"));
    appendSuggestions(inputs, A, lines);
    return lines;
}

NetworkLines reverseLpadLines(const ReverseLPadInputs& inputs) {
    if (!isPositiveEntry(inputs.R1) || !isPositiveEntry(inputs.R2) || !isPositiveEntry(inputs.RL)) {
        return {};
    }
    const double Rp = parallelResistance(inputs.R2, inputs.RL);
    const double level = lpadAttenuationDb(inputs.R1, Rp);
    const double Rin = Rp + inputs.R1;
    // Entries at the ends of the double range can still overflow or lose the level entirely.
    if (!std::isfinite(level) || !std::isfinite(Rin)) {
        return {};
    }
    return {numberLine("Pegelabsenkung: ", kNetworkDigits, level, " dB"),
            numberLine("Anschlußimpedanz: ", kNetworkDigits, Rin, " Ohm")};
}

std::span<const CalcField<LPadInputs>> lpadFields() {
    return kLPadFields;
}

std::span<const CalcField<ReverseLPadInputs>> reverseLpadFields() {
    return kReverseFields;
}

} // namespace sonora
