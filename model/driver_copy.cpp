#include "model/driver_copy.h"

#include <utility>

namespace sonora {

namespace {
bool validPair(int a, int b) {
    return a >= 0 && a < kMaxChassis && b >= 0 && b < kMaxChassis && a != b;
}
} // namespace

bool copyDriver(TProjekt& p, int source, int target, DriverCopyOptions options) {
    if (!validPair(source, target)) {
        return false;
    }
    p.chassis[target] = p.chassis[source];
    if (options.withEinbau) {
        p.einbau[target] = p.einbau[source];
    }
    if (options.withSchallwand) {
        p.schallwand[target] = p.schallwand[source];
    } else {
        p.schallwand[target].swd = p.schallwand[source].swd;
    }
    return true;
}

bool swapDrivers(TProjekt& p, int a, int b, DriverCopyOptions options) {
    if (!validPair(a, b)) {
        return false;
    }
    std::swap(p.chassis[a], p.chassis[b]);
    if (options.withEinbau) {
        std::swap(p.einbau[a], p.einbau[b]);
    }
    if (options.withSchallwand) {
        std::swap(p.schallwand[a], p.schallwand[b]);
    }
    return true;
}

} // namespace sonora
