// Crossover grids for the label layout tests: the three-way example with every empty grid slot
// filled, in turn, by a resistor, a capacitor, a coil and a driver, with values whose texts are
// among the longest the editor shows.
#pragma once

#include <cstdint>

#include "engine/example_projects.h"
#include "model/crossover_grid.h"
#include "model/records.h"

namespace sonora::test {

// Fills the empty grid slots, and with `overWires` the wires too.
inline void fillEveryGridSlot(TPart (&weiche)[kPartSlots], bool overWires = false) {
    int turn = 0;
    for (int slot = 0; slot < kFirstFreeWireSlot; ++slot) {
        const bool free =
            weiche[slot].typ == kPartEmpty || (overWires && weiche[slot].typ == kPartWire);
        if (gridSlotNodes(slot).nod2 == 0 || !free) {
            continue;
        }
        TPart& part = weiche[slot];
        switch (turn++ % 4) {
        case 0:
            part.typ = kPartResistor;
            part.value = 10.0;
            break;
        case 1:
            part.typ = kPartCapacitor;
            part.value = 68e-6;
            break;
        case 2:
            part.typ = kPartCoil;
            part.value = 4.7e-3;
            part.Rvalue = 0.57;
            part.bem.assign("L12");
            break;
        default:
            part.typ = kPartDriver;
            part.chassisnr = 2;
            part.verpolt = static_cast<std::int16_t>(slot % 2 == 0 ? 1 : -1);
            break;
        }
    }
}

// The three-way example's crossover with every grid slot holding a part; with `overWires` its
// wires give way to parts too, so that every slot has a text.
inline void denseThreeWay(TProjekt& p, bool overWires = false) {
    buildThreeWayExample(p, 6);
    fillEveryGridSlot(p.amp[0].weiche, overWires);
}

} // namespace sonora::test
