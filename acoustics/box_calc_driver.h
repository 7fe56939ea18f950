// "Parameter für Tieftöner aus Chassisdatei laden ..": fills the driver fields of the closed/vented
// and the EBP page from a driver record or a driver file.
#pragma once

#include <string>

#include "model/records.h"

namespace sonora {

class UserPrompt;
struct ClosedVentedInput;
struct EbpInput;

// The calculators' file dialog filter (Latin-1).
inline constexpr char kBoxCalcDriverFilter[] = "Chassisdateien (*.LSC)|*.LSC";

// Switches "Qes und Qms sind bekannt" on and fills fs, Qes, Qms, Vas (litres) and Rdc as the
// fields show them, written with the formatter at 6 digits (at most six characters, so
// 80.1235 l becomes 80,123) and read back. Returns the text to show: "\nDaten von " + name +
// " wurden geladen." (Latin-1).
std::string loadDriverParameters(const TChassis& chassis, ClosedVentedInput& input);
// The same for the EBP page: fs, Qes and Qms.
std::string loadDriverParameters(const TChassis& chassis, EbpInput& input);

// Reads the driver file at `path` with the driver-file reader (all forms) and fills `input` as
// above; the reader's messages go to `prompt`. On success `message` gets the text to show; on
// failure the input is unchanged and the result is false.
bool loadDriverFileParameters(const std::string& path, ClosedVentedInput& input, UserPrompt& prompt,
                              std::string& message);
bool loadDriverFileParameters(const std::string& path, EbpInput& input, UserPrompt& prompt,
                              std::string& message);

} // namespace sonora
