#include "model/crossover_grid.h"

namespace sonora {

namespace {
constexpr int kHorizontalColumns = 10; // elements per row: between 11 nodes
constexpr int kVerticalRows = 11;      // elements per column: between 12 nodes
constexpr int kLastHorizontalSlot = kGridRows * kHorizontalColumns - 1;                    // 119
constexpr int kLastVerticalSlot = kVerticalSlotBase + kGridColumns * (kVerticalRows - 1) + // 300
                                  (kGridColumns - 1);
} // namespace

bool isFreeWireSlot(int slot) {
    return slot >= kFirstFreeWireSlot && slot < kFirstFreeWireSlot + kFreeWires;
}

SlotNodes gridSlotNodes(int slot) {
    if (slot >= 0 && slot <= kLastHorizontalSlot) {
        const int row = slot / kHorizontalColumns;
        const int column = slot % kHorizontalColumns;
        const int node = kGridColumns * row + column;
        return {node, node + 1};
    }
    if (slot >= kVerticalSlotBase && slot <= kLastVerticalSlot) {
        const int rel = slot - kVerticalSlotBase;
        const int row = rel / kGridColumns;
        const int column = rel % kGridColumns;
        const int node = kGridColumns * row + column;
        return {node, node + kGridColumns};
    }
    return {0, 0};
}

void assignGridNodes(TPart (&weiche)[kPartSlots]) {
    for (int slot = 0; slot < kPartSlots; ++slot) {
        if (isFreeWireSlot(slot)) {
            continue;
        }
        const SlotNodes n = gridSlotNodes(slot);
        weiche[slot].nod1 = n.nod1;
        weiche[slot].nod2 = n.nod2;
    }
}

} // namespace sonora
