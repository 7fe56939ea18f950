// The crossover stage: the passive network of each amplifier output.
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

void CalcCrossover(TCalcThread& calc, int amp) {
    calc.CalcStruct.bfgang_weiche[amp].assign(
        utf8ToLatin1("Fehler: Weiche an Verstärker " + std::to_string(amp + 1) +
                     " kann nicht berechnet werden. Die Weichenberechnung" + kNotYet));
}

} // namespace sonora
