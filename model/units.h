// Decimal factors between the SI values the records hold and the units a user reads and types:
// shown value = stored value · factor.
#pragma once

namespace sonora {

inline constexpr double kMilliPerUnit = 1e3;           // mH per H, mm per m, g per kg
inline constexpr double kMicroPerUnit = 1e6;           // µF per F
inline constexpr double kCentiPerUnit = 100.0;         // cm per m
inline constexpr double kLitresPerCubicMetre = 1000.0; // l per m³
inline constexpr double kSquareCmPerSquareM = 10000.0; // cm² per m²

} // namespace sonora
