// The driver Q values shared by the closed/vented and the EBP page.
#pragma once

#include <string>

namespace sonora {

// Digits (the formatter's width) of a value written into a driver entry field (Qts, and the values
// loaded from a driver file).
inline constexpr int kDriverFieldDigits = 6;

// The Qts field when "Qes und Qms sind bekannt" is on: Qes·Qms/(Qes + Qms) with the formatter at 6
// digits, Latin-1; empty when Qes·Qms <= 0 (or not finite).
std::string qtsFieldText(double qes, double qms);

// The Qts the page computes with: the field above read back (0 for an empty field), or `qts`
// itself when the switch is off (non-finite values read as 0).
double pageQts(double qts, bool qesQmsKnown, double qes, double qms);

// Effective total Q with the series resistor: Qts·(Rdc + Rv)/Rdc when `seriesResistor` is on and
// Rdc > 0, else Qts. With Rdc <= 0 the switch is turned off (`seriesResistor` becomes false).
double effectiveQ(double qts, bool& seriesResistor, double rdc, double rv);

} // namespace sonora
