// Baffles of several drivers computed together on the run's worker pool, ahead of their stages.
#pragma once

#include <memory>
#include <string>

#include "acoustics/baffle_response.h"
#include "acoustics/baffle_tuning.h"
#include "model/records.h"

namespace sonora {

// When the first of several pending baffle stages runs, it computes all of them at once on the
// pool into these entries; each stage then takes its own entry at its turn, so the results, status
// texts and progress come out one stage at a time as without the pool. An entry holds the inputs
// it was made from and is used only while they are the same bit for bit, so a request that
// changes the project in between makes the stage compute afresh.
struct BaffleAhead {
    struct Entry {
        TSchallwand sw;
        TChassis ch;
        double freq[kCurvePoints];
        BaffleTuning tuning;
        std::string text;
        BaffleResponse front;
        BaffleResponse rear;
    };
    std::unique_ptr<Entry> entries[kMaxChassis]; // null: nothing computed ahead for that driver
};

} // namespace sonora
