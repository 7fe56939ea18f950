// The driver stage: each driver in its enclosure, with measured corrections.
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

void CalcDriver(TCalcThread& calc, int chassis) {
    calc.CalcStruct.bfgang_ch[chassis].assign(utf8ToLatin1(
        "Fehler: Chassis " + std::to_string(chassis + 1) + ": Das Chassismodell" + kNotYet));
}

} // namespace sonora
