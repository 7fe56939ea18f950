// The crossover stage: the passive network of one amplifier output, solved at every grid
// frequency with the drivers' terminal impedances.
#include "engine/calc_thread.h"
#include "engine/crossover_solver.h"
#include "engine/stages.h"

namespace sonora {

void CalcCrossover(TCalcThread& calc, int amp) {
    if (amp < 0 || amp >= kMaxAmps) {
        return; // no status text to write to; the run never asks for such an amplifier
    }
    // Nothing here throws: the solver works in the run object's workspace and reports faults
    // as a status, which becomes the stage text.
    CrossoverWorkspace& ws = *calc.m;
    CrossoverStatus result = buildCrossoverNetwork(calc.aktProjekt->amp[amp].weiche, ws.network);
    if (result == CrossoverStatus::Ok) {
        calc.grad = ws.network.variableCount();
        TResult& res = *calc.Res;
        result = solveCrossover(ws.network, calc.aktProjekt->freq, res.impedanz_ch, ws,
                                res.fgang_weiche, res.impedanz_box[amp]);
    }
    StatusText& status = calc.CalcStruct.bfgang_weiche[amp];
    if (result == CrossoverStatus::Ok) {
        status.assign(kStatusOk);
    } else {
        status.assign(crossoverFailureText(amp));
    }
}

} // namespace sonora
