// Rounding a part value to the E6 or E12 series, as the optimizer does when it fixes a part.
#pragma once

namespace sonora {

enum class ESeries { E6, E12 };

// The nearest value of the series; a tie keeps the lower value. Values below 1e-100 give 1e-100.
double roundToSeries(double x, ESeries series);

} // namespace sonora
