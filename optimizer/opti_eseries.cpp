#include "optimizer/opti_eseries.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace sonora {

namespace {

constexpr double kSmallest = 1e-100; // the result for zero, negative and vanishing values

// The E24 series of one decade, followed by the first values of the next one, so that a value
// near the top of a decade can round up to 10 (E6 and E12 both step onto 10; E12 can reach 15).
constexpr std::array<double, 29> kTable{1.0, 1.1, 1.2, 1.3, 1.5, 1.6, 1.8, 2.0, 2.2, 2.4,
                                        2.7, 3.0, 3.3, 3.6, 3.9, 4.3, 4.7, 5.1, 5.6, 6.2,
                                        6.8, 7.5, 8.2, 9.1, 10,  11,  12,  13,  15};

constexpr std::size_t kStepE6 = 4;  // every fourth E24 value is an E6 value
constexpr std::size_t kStepE12 = 2; // every second one an E12 value

} // namespace

double roundToSeries(double x, ESeries series) {
    if (!(x >= kSmallest)) {
        return kSmallest;
    }
    const double decade = std::pow(10.0, std::floor(std::log10(x)));
    const std::size_t step = series == ESeries::E6 ? kStepE6 : kStepE12;
    std::size_t i = 0;
    // Walk up while the next series value is strictly nearer; on a tie the lower one stays.
    while (i + step < kTable.size() &&
           std::abs(x - decade * kTable[i + step]) < std::abs(x - decade * kTable[i])) {
        i += step;
    }
    return decade * kTable[i];
}

} // namespace sonora
