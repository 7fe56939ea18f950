// The calculator page "Tieftönerverwendung nach EBP": which enclosure suits a woofer, after
// Klinger's energy-bandwidth product fs/Qts.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "acoustics/calc_fields.h"

namespace sonora {

// Captions of the page (UTF-8).
inline constexpr char kEbpCaption[] = "Chassiseignung nach EBP (Energy Bandwidth Broduct)";
inline constexpr char kEbpListCaption[] = "Lautsprechergehäuseempfehlung nach Klinger (1975):";

// The page's entry fields with their start values.
struct EbpInput {
    double fs = 40;           // Hz
    double qts = 0.4;         // used when qesQmsKnown is off
    bool qesQmsKnown = false; // "Qes und Qms sind bekannt"
    double qes = 0.5;
    double qms = 2;
};

struct EbpResult {
    std::string qtsText;            // Qts field text when computed from Qes and Qms
    double ebp = 0;                 // fs/Qts, Hz; 0 when the input was rejected
    std::vector<std::string> lines; // Latin-1
};

EbpResult calcEbp(const EbpInput& input);

// Entry names: fs, qts, qesqms, qes, qms.
std::span<const CalcField<EbpInput>> ebpFields();
bool setEbpField(EbpInput& input, std::string_view name, std::string_view text);

} // namespace sonora
