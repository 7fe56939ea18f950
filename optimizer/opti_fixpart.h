// How a part the optimizer fixes gets its final value: rounded to a chosen series, or by the user.
#pragma once

#include "model/records.h"

namespace sonora {

// The choices of the optimizer window for resistors and for capacitors ("Widerstände aus
// E6-Reihe", "... aus E12-Reihe", "Widerstände manuell wählen"; likewise "Kondensatoren ...").
// Coils are always chosen by the user.
enum class FixChoice { E6, E12, Manual };

// Rounds a resistor or capacitor to its chosen series and returns true; returns false (part
// unchanged) when the user has to choose: a manual choice, a coil, or any other part.
bool roundFixpartToSeries(TPart& fixpart, FixChoice resistors, FixChoice capacitors);

} // namespace sonora
