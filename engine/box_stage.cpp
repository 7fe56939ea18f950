// The box stage: the whole box in every direction, and its limits.
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

void CalcBox(TCalcThread& calc) {
    calc.CalcStruct.bfgang_box.assign(utf8ToLatin1(
        "Fehler: Gesamtbox kann nicht berechnet werden. Die Gesamtberechnung" + kNotYet));
}

} // namespace sonora
