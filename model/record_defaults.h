// Default values of the project records, as a new record or a file without the key gets them.
#pragma once

#include "model/records.h"

namespace sonora {

inline constexpr double kDefaultFilterQ = 0.707107; // Butterworth Q of a second-order stage
inline constexpr double kDefaultFMin = 20.0;        // Hz
inline constexpr double kDefaultFMax = 20000.0;     // Hz
inline constexpr int kDefaultGridPoints = 250;
inline constexpr double kDefaultGlattAmp = 0.24;
inline constexpr double kDefaultGlattImp = 0.18;
inline constexpr std::int32_t kDefaultChassisFilters = 119;
inline constexpr char kDefaultPubdate[] = "01.01.2000";
inline constexpr char kDateMarker[] = "<d>"; // replaced by the date of the run in comments

TFilter defaultFilter();
TAktfilter defaultAktfilter();
TEinbau defaultEinbau();
TAnzOption defaultAnzOption();
// A driver with the file defaults of its stored fields; everything else is zero.
void initDefaultChassis(TChassis& c);
// Fills a whole project with the defaults of its records: one amplifier, one driver, the default
// grid (built), empty crossovers with their grid node numbers, comment2 "<d>". Every driver slot
// gets the same default driver, enclosure and baffle.
void initDefaultProjekt(TProjekt& p);

} // namespace sonora
