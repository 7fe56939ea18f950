#include "acoustics/box_calc_ebp.h"

#include <array>

#include "acoustics/box_calc_q.h"
#include "acoustics/box_calc_text.h"

namespace sonora {

namespace {

constexpr int kEbpDigits = 4;

// Klinger's limits of fs/Qts, Hz: below the first transmission lines, then closed boxes, vented
// boxes, and from the last exponential horns.
constexpr double kClosedFrom = 40;
constexpr double kVentedFrom = 80;
constexpr double kHornFrom = 120;

const char* recommendation(double ebp) {
    if (ebp < kClosedFrom) {
        return "==> Chassis für Transmissionline-Boxen";
    }
    if (ebp < kVentedFrom) {
        return "==> Chassis für geschlossene Boxen";
    }
    if (ebp < kHornFrom) {
        return "==> Chassis für Bassreflexboxen";
    }
    return "==> Chassis für Exponentialhörner";
}

using Field = CalcField<EbpInput>;
using Kind = CalcFieldKind;

const std::array<Field, 5> kFields = {{
    {"fs", "Resonanzfrequenz fs [Hz]", Kind::Number,
     [](EbpInput& in, std::string_view t) { return readEntryNumber(t, in.fs); }},
    {"qts", "Resonanzgüte Qts", Kind::Number,
     [](EbpInput& in, std::string_view t) { return readEntryNumber(t, in.qts); }},
    {"qesqms", "Qes und Qms sind bekannt", Kind::Switch,
     [](EbpInput& in, std::string_view t) { return readEntrySwitch(t, in.qesQmsKnown); }},
    {"qes", "Qes", Kind::Number,
     [](EbpInput& in, std::string_view t) { return readEntryNumber(t, in.qes); }},
    {"qms", "Qms", Kind::Number,
     [](EbpInput& in, std::string_view t) { return readEntryNumber(t, in.qms); }},
}};

} // namespace

EbpResult calcEbp(const EbpInput& input) {
    EbpResult result;
    if (input.qesQmsKnown) {
        result.qtsText = qtsFieldText(finiteOrZero(input.qes), finiteOrZero(input.qms));
    }
    const double qts = pageQts(input.qts, input.qesQmsKnown, input.qes, input.qms);
    const double fs = finiteOrZero(input.fs);
    ResultLines lines;
    // The message names fs as well, so a resonance frequency <= 0 is refused like Qts <= 0.
    if (!(qts > 0) || !(fs > 0)) {
        lines.text("Unzulässige Eingabe. Qes, Qms, Qts und fs müssen > 0 sein.");
        result.lines = lines.finish();
        return result;
    }
    const double ebp = fs / qts;
    lines.number("EBP = ", kEbpDigits, ebp, "Hz");
    lines.text(recommendation(ebp));
    result.lines = lines.finish();
    if (!lines.overflowed()) {
        result.ebp = ebp;
    }
    return result;
}

std::span<const CalcField<EbpInput>> ebpFields() {
    return kFields;
}

bool setEbpField(EbpInput& input, std::string_view name, std::string_view text) {
    return setCalcField(ebpFields(), input, name, text) == SetFieldResult::kOk;
}

} // namespace sonora
