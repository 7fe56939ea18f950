#include "acoustics/box_calc_closed.h"

#include <array>
#include <cmath>

#include "acoustics/box_calc_q.h"
#include "acoustics/box_calc_text.h"
#include "model/physics.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

// Digits of the results (the formatter's width, comma included).
constexpr int kVolumeDigits = 6;
constexpr int kFrequencyDigits = 5;

// Hoge's fits for a vented box: Vb = 15.2·Q^2.87·Vas, f3 = 0.26·fs/Q^1.41, fb = 0.42·fs/Q^0.9.
constexpr double kHogeVolumeFactor = 15.2;
constexpr double kHogeVolumeExponent = 2.87;
constexpr double kHogeF3Factor = 0.26;
constexpr double kHogeF3Exponent = 1.41;
constexpr double kHogeFbFactor = 0.42;
constexpr double kHogeFbExponent = 0.9;

// Alternative volume with r = Vas/V': f3 = fs·r^0.49, fb = fs·r^0.32,
// ripple = 20·log10(2.58·Q·r^0.3484) dB.
constexpr double kAltF3Exponent = 0.49;
constexpr double kAltFbExponent = 0.32;
constexpr double kRippleFactor = 2.58;
constexpr double kRippleExponent = 0.3484;

void missingData(ResultLines& lines) {
    lines.text("Daten unvollständig.");
    lines.text("Mindestens Qts, Vas und fs müssen eingegeben werden und");
    lines.text("größer als 0 sein.");
}

std::vector<std::string> closedBox(double vas, double fs, double q, double qtc) {
    ResultLines lines;
    if (!(qtc > q)) {
        lines.text("Auslegung nicht möglich, da Qts oder Rv zu hoch.");
        return lines.finish();
    }
    const double ratio = qtc / q;
    const double vb = vas / (ratio * ratio - 1);
    const double fc = fs * std::sqrt(vas / vb + 1);
    lines.number("Berechnetes Volumen: ", kVolumeDigits, vb, " Liter");
    lines.number("Resonanzfrequenz des eingebauten Chassis: ", kFrequencyDigits, fc, " Hz");
    return lines.finish();
}

std::vector<std::string> ventedBox(double vas, double fs, double q) {
    ResultLines lines;
    const double vb = kHogeVolumeFactor * std::pow(q, kHogeVolumeExponent) * vas;
    const double f3 = kHogeF3Factor * fs / std::pow(q, kHogeF3Exponent);
    const double fb = kHogeFbFactor * fs / std::pow(q, kHogeFbExponent);
    lines.number("Volumen: ", kVolumeDigits, vb, " Liter");
    lines.number("Grenzfrequenz: ", kFrequencyDigits, f3, " Hz");
    lines.number("Abstimmfrequenz: ", kFrequencyDigits, fb, " Hz");
    return lines.finish();
}

std::vector<std::string> alternativeVolume(double vas, double fs, double q, double volume) {
    ResultLines lines;
    if (!(volume > 0)) {
        lines.text("Alternatives Volumen muss größer als 0 sein.");
        return lines.finish();
    }
    const double r = vas / volume;
    const double f3 = fs * std::pow(r, kAltF3Exponent);
    const double fb = fs * std::pow(r, kAltFbExponent);
    const double ripple =
        kDecibelFactor * std::log10(kRippleFactor * q * std::pow(r, kRippleExponent));
    lines.number("Grenzfrequenz: ", kFrequencyDigits, f3, " Hz");
    lines.number("Abstimmfrequenz: ", kFrequencyDigits, fb, " Hz");
    lines.number("\"Ripple\": ", kFrequencyDigits, ripple, " dB");
    return lines.finish();
}

using Field = CalcField<ClosedVentedInput>;
using Kind = CalcFieldKind;

const std::array<Field, 11> kFields = {{
    {"qts", "Resonanzgüte Qts", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.qts); }},
    {"qesqms", "Qes und Qms sind bekannt", Kind::Switch,
     [](ClosedVentedInput& in, std::string_view t) { return readEntrySwitch(t, in.qesQmsKnown); }},
    {"qes", "Qes", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.qes); }},
    {"qms", "Qms", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.qms); }},
    {"vas", "Äquivalentvolumen Vas [Liter]", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.vas); }},
    {"fs", "Resonanzfrequenz fs [Hz]", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.fs); }},
    {"series", "Vorwiderstand berücksichtigen", Kind::Switch,
     [](ClosedVentedInput& in, std::string_view t) {
         return readEntrySwitch(t, in.seriesResistor);
     }},
    {"rdc", "Rdc [Ohm]", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.rdc); }},
    {"rv", "Vorwiderstand Rv [Ohm]", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.rv); }},
    {"qtc", "Gewünschte Gesamtgüte Qtc", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.qtc); }},
    {"valt", "Alternatives Volumen [Liter]", Kind::Number,
     [](ClosedVentedInput& in, std::string_view t) { return readEntryNumber(t, in.altVolume); }},
}};

} // namespace

ClosedVentedResult calcClosedVented(ClosedVentedInput input) {
    ClosedVentedResult result;
    if (input.qesQmsKnown) {
        result.qtsText = qtsFieldText(finiteOrZero(input.qes), finiteOrZero(input.qms));
    }
    result.qts = pageQts(input.qts, input.qesQmsKnown, input.qes, input.qms);
    const double vas = finiteOrZero(input.vas);
    const double fs = finiteOrZero(input.fs);
    result.seriesResistor = input.seriesResistor;
    result.effectiveQ = effectiveQ(result.qts, result.seriesResistor, finiteOrZero(input.rdc),
                                   finiteOrZero(input.rv));
    // A series resistor below -Rdc would give Q' <= 0, for which no formula of the page holds;
    // such a Q' counts as missing data like Qts <= 0.
    const bool complete = result.qts > 0 && vas > 0 && fs > 0 && result.effectiveQ > 0 &&
                          std::isfinite(result.effectiveQ);
    if (!complete) {
        ResultLines lines;
        missingData(lines);
        result.closedBox = result.ventedBox = result.alternative = lines.finish();
        return result;
    }
    const double q = result.effectiveQ;
    result.closedBox = closedBox(vas, fs, q, finiteOrZero(input.qtc));
    result.ventedBox = ventedBox(vas, fs, q);
    result.alternative = alternativeVolume(vas, fs, q, finiteOrZero(input.altVolume));
    return result;
}

std::vector<std::string> closedVentedLines(const ClosedVentedResult& result) {
    std::vector<std::string> lines;
    const auto append = [&lines](std::string_view caption, const std::vector<std::string>& list) {
        lines.push_back(utf8ToLatin1(caption));
        lines.insert(lines.end(), list.begin(), list.end());
    };
    append("Auslegung geschlossene Box", result.closedBox);
    append("Auslegung Baßreflexbox (nach Hoge)", result.ventedBox);
    append("Falls Volumen oder f3 nicht o.k., bitte nachfolgend anderes Volumen eingeben",
           result.alternative);
    return lines;
}

std::span<const CalcField<ClosedVentedInput>> closedVentedFields() {
    return kFields;
}

bool setClosedVentedField(ClosedVentedInput& input, std::string_view name, std::string_view text) {
    return setCalcField(closedVentedFields(), input, name, text) == SetFieldResult::kOk;
}

} // namespace sonora
