// "Standardweichen": textbook two-way crossovers of orders 1 to 4 for resistive loads.
#pragma once

#include "acoustics/calc_fields.h"
#include "acoustics/network_calc_text.h"

#include <array>
#include <span>

namespace sonora {

// Entries of the page, in the units the user types; start values as the page opens.
struct StandardCrossoverInputs {
    double fc = 1000; // Hz, "Trennfrequenz [Hz]"
    double RL = 8;    // Ohm, "Impedanz Tieftöner [Ohm]"
    double RH = 8;    // Ohm, "Impedanz Hochtöner [Ohm]"
};

// Highest order on the page.
inline constexpr int kStandardCrossoverOrders = 4;

// The eight result lists: index order − 1; low-pass for the woofer (R = RL), high-pass for the
// tweeter (R = RH). All empty unless fc, RL and RH are all positive.
struct StandardCrossoverMemos {
    std::array<NetworkLines, kStandardCrossoverOrders> lowPass;
    std::array<NetworkLines, kStandardCrossoverOrders> highPass;
};

StandardCrossoverMemos standardCrossoverLines(const StandardCrossoverInputs& inputs);

// Entry fields by option name: "fc", "rl", "rh".
std::span<const CalcField<StandardCrossoverInputs>> standardCrossoverFields();

} // namespace sonora
