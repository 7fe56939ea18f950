// The stage functions of a calculation run. Each reads the run object's aktProjekt, writes its part
// of Res and its own status text: "OK", or a German error message naming its object.
#pragma once

namespace sonora {

class TCalcThread;

void CalcChassiskontrolle(TCalcThread& calc);      // driver check
void CalcBaffle(TCalcThread& calc, int chassis);   // baffle diffraction of one driver
void CalcActiveFilter(TCalcThread& calc, int amp); // active filter chain and level of one output
void CalcDriver(TCalcThread& calc, int chassis);   // driver in its enclosure
void CalcCrossover(TCalcThread& calc, int amp);    // passive crossover of one output
void CalcBox(TCalcThread& calc);                   // whole box and limits

} // namespace sonora
