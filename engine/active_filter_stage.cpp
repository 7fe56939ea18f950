// The active-filter stage: level and filter chain of each amplifier output.
// This version does not compute it yet: it reports a clear error, never "OK", so no result computed
// without it can pass as valid.
#include <string>

#include "engine/calc_thread.h"
#include "engine/stages.h"
#include "storage/latin1.h"

namespace sonora {

namespace {
const std::string kNotYet = " ist in dieser Version noch nicht enthalten.";
} // namespace

void CalcActiveFilter(TCalcThread& calc, int amp) {
    calc.CalcStruct.bfgang_akt[amp].assign(utf8ToLatin1("Fehler: Aktives Filter an Verstärker " +
                                                        std::to_string(amp + 1) +
                                                        ": Die Filterberechnung" + kNotYet));
}

} // namespace sonora
