// Node numbers of the crossover grid: which two nodes each of the 376 slots of an amplifier joins.
#pragma once

#include "model/records.h"

namespace sonora {

struct SlotNodes {
    int nod1;
    int nod2;
};

// Fixed nodes of a grid slot: horizontal slots 0..119 and vertical slots 180..300. Unused slots and
// the free wires (367..374, whose nodes the user chooses) give {0, 0}.
SlotNodes gridSlotNodes(int slot);

bool isFreeWireSlot(int slot);

// Writes the fixed node numbers into every grid slot of the crossover and 0 into the unused ones;
// free wires keep theirs. Readers call this after loading a crossover.
void assignGridNodes(TPart (&weiche)[kPartSlots]);

} // namespace sonora
