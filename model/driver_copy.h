// Copying a driver onto another slot, or swapping two drivers, with the enclosure and baffle
// options.
#pragma once

#include "model/records.h"

namespace sonora {

struct DriverCopyOptions {
    bool withEinbau;     // "incl. Gehäusedaten"
    bool withSchallwand; // "incl. Schallwanddaten"
};

// "kopieren nach": the target's TChassis becomes the source's, and so does its outlet diameter
// swd (it belongs to the driver); TEinbau and the whole TSchallwand only with the options.
// Crossover slots refer to drivers by index and are left alone. Indexes outside 0..31 or equal
// indexes do nothing; returns whether anything was done.
bool copyDriver(TProjekt& p, int source, int target, DriverCopyOptions options);

// "tauschen mit": the two TChassis records are exchanged; TEinbau and TSchallwand only with the
// options.
bool swapDrivers(TProjekt& p, int a, int b, DriverCopyOptions options);

} // namespace sonora
