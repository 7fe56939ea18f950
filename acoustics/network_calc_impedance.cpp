#include "acoustics/network_calc_impedance.h"

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace sonora {
namespace {

// One "name = value unit" line and its value, so a list can be dropped when a value overflows.
struct ValueLine {
    std::string_view prefix;
    double value;
    std::string_view unit;
};

constexpr std::string_view kOhm = " Ohm";
constexpr std::string_view kMilliHenry = " mH";
constexpr std::string_view kMicroFarad = " µF";

// The lines of one list; empty when extreme entries push a value out of the double range.
NetworkLines valueLines(std::initializer_list<ValueLine> values) {
    NetworkLines lines;
    for (const ValueLine& v : values) {
        if (!std::isfinite(v.value)) {
            return {};
        }
        lines.push_back(numberLine(v.prefix, kNetworkDigits, v.value, v.unit));
    }
    return lines;
}

template <double ImpedanceCorrectionInputs::*Member>
bool setNumber(ImpedanceCorrectionInputs& in, std::string_view text) {
    return readEntryNumber(text, in.*Member);
}

const CalcField<ImpedanceCorrectionInputs> kFields[] = {
    {"qms", "Mechanische Resonanzgüte Qms", CalcFieldKind::Number,
     setNumber<&ImpedanceCorrectionInputs::Qms>},
    {"qes", "Elektrische Resonanzgüte Qes", CalcFieldKind::Number,
     setNumber<&ImpedanceCorrectionInputs::Qes>},
    {"fc", "Resonanzfrequenz (ggf. eingebaut) [Hz]", CalcFieldKind::Number,
     setNumber<&ImpedanceCorrectionInputs::fc>},
    {"rdc", "Gleichstromwiderstand Rdc [Ohm]", CalcFieldKind::Number,
     setNumber<&ImpedanceCorrectionInputs::Rdc>},
    {"le", "Schwingspuleninduktivität [mH]", CalcFieldKind::Number,
     setNumber<&ImpedanceCorrectionInputs::Le>},
};

} // namespace

double resonanceCorrectionR(double Rdc, double Qes, double Qms) {
    return Rdc * (Qes / Qms + 1);
}

double resonanceCorrectionL(double Rdc, double Qes, double omega) {
    return Qes * Rdc / omega;
}

double resonanceCorrectionC(double Rdc, double Qes, double omega) {
    return 1 / (Rdc * Qes * omega);
}

double zobelC(double Rdc, double LeHenry) {
    return LeHenry / (Rdc * Rdc);
}

ImpedanceCorrectionMemos impedanceCorrectionLines(const ImpedanceCorrectionInputs& in) {
    const double omega = 2 * std::numbers::pi * in.fc; // rad/s
    const double LeHenry = in.Le / kMilliPerUnit;
    const bool resonanceKnown = isPositiveEntry(in.fc) && isPositiveEntry(in.Rdc) &&
                                isPositiveEntry(in.Qms) && isPositiveEntry(in.Qes);
    const bool inductanceKnown = isPositiveEntry(in.Le) && isPositiveEntry(in.Rdc);

    ImpedanceCorrectionMemos memos;
    if (resonanceKnown) {
        memos.resonance = valueLines(
            {{"R = ", resonanceCorrectionR(in.Rdc, in.Qes, in.Qms), kOhm},
             {"L = ", resonanceCorrectionL(in.Rdc, in.Qes, omega) * kMilliPerUnit, kMilliHenry},
             {"C = ", resonanceCorrectionC(in.Rdc, in.Qes, omega) * kMicroPerUnit, kMicroFarad}});
    }
    if (inductanceKnown) {
        memos.inductance =
            valueLines({{"R = ", in.Rdc, kOhm},
                        {"C = ", zobelC(in.Rdc, LeHenry) * kMicroPerUnit, kMicroFarad}});
    }
    if (resonanceKnown && inductanceKnown) {
        // "L  = " with two blanks lines the value up with "R1 = " and "C1 = ".
        memos.combined = valueLines(
            {{"R1 = ", in.Rdc, kOhm},
             {"R2 = ", in.Rdc * in.Qes / in.Qms, kOhm},
             {"L  = ", resonanceCorrectionL(in.Rdc, in.Qes, omega) * kMilliPerUnit, kMilliHenry},
             {"C1 = ", zobelC(in.Rdc, LeHenry) * kMicroPerUnit, kMicroFarad},
             {"C2 = ", resonanceCorrectionC(in.Rdc, in.Qes, omega) * kMicroPerUnit, kMicroFarad}});
    }
    return memos;
}

std::span<const CalcField<ImpedanceCorrectionInputs>> impedanceCorrectionFields() {
    return kFields;
}

} // namespace sonora
