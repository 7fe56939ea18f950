// The baffle stage: diffraction of each driver's baffle in 90 directions, for its front sound and
// for its rear sound (the vent), computed straight into the run's result, or, with a worker pool,
// for all pending drivers at once at the first one's turn (see baffle_ahead.h).
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "acoustics/baffle.h"
#include "acoustics/baffle_tuning.h"
#include "acoustics/baffle_turns.h"
#include "engine/baffle_ahead.h"
#include "engine/calc_thread.h"
#include "engine/stages.h"
#include "engine/worker_pool.h"

namespace sonora {

namespace {

constexpr std::int8_t kRearOpposite = 1; // directionr: the vent radiates opposite to the driver

bool sameBytes(const void* a, const void* b, std::size_t n) {
    return std::memcmp(a, b, n) == 0;
}

// The baffle of driver `chassis`, front and rear, and its status text. Every value written depends
// only on the driver's baffle, its directional data, the grid and the tuning: the computation
// first fills all of `front` and then copies it to all of `rear`.
std::string computeBaffleOf(const TProjekt& p, int chassis, const BaffleTuning& tuning,
                            BaffleResponse& front, BaffleResponse& rear) {
    const TSchallwand& sw = p.schallwand[chassis];
    const TChassis& ch = p.chassis[chassis];
    std::string text;
    CalcBaffle(front, sw, ch, text, kBaffleGridCount, p.freq, ch.membranform, tuning);
    for (int i = 0; i < kResultFreqs; ++i) {
        for (int n = 0; n < kDirections; ++n) {
            rear[i][n] = front[i][n];
        }
    }
    if (text == kStatusOk && sw.directionr == kRearOpposite) {
        TurnToRear(p.freq, kBaffleGridCount, rear);
    }
    if (text != kStatusOk) {
        text = "Fehler: Chassis " + std::to_string(chassis + 1) + ": " + text;
    }
    return text;
}

bool entryFits(const BaffleAhead::Entry& e, const TProjekt& p, int chassis,
               const BaffleTuning& tuning) {
    return sameBytes(&e.sw, &p.schallwand[chassis], sizeof e.sw) &&
           sameBytes(&e.ch, &p.chassis[chassis], sizeof e.ch) &&
           sameBytes(e.freq, p.freq, sizeof e.freq) && sameBytes(&e.tuning, &tuning, sizeof tuning);
}

// Computes on the pool the baffles of `chassis` and of every later driver whose baffle stage is
// pending, unless fewer than two are. Returns false when nothing was computed ahead.
bool computeAhead(TCalcThread& calc, int chassis, const BaffleTuning& tuning) {
    const TProjekt& p = *calc.aktProjekt;
    const int nChassis = p.nChassis < kMaxChassis ? p.nChassis : kMaxChassis;
    std::vector<int> drivers{chassis};
    for (int j = chassis + 1; j < nChassis; ++j) {
        if (calc.CalcStruct.bfgang_sw[j] == std::string_view(kStatusPending)) {
            drivers.push_back(j);
        }
    }
    if (drivers.size() < 2) {
        return false;
    }
    if (!calc.baffleAhead) {
        calc.baffleAhead = std::make_unique<BaffleAhead>();
    }
    BaffleAhead& ahead = *calc.baffleAhead;
    for (int j : drivers) {
        if (!ahead.entries[j]) {
            ahead.entries[j] = std::make_unique<BaffleAhead::Entry>();
        }
    }
    calc.pool()->parallelFor(static_cast<int>(drivers.size()), 1, [&](int, int begin, int end) {
        for (int k = begin; k < end; ++k) {
            const int j = drivers[static_cast<std::size_t>(k)];
            BaffleAhead::Entry& e = *ahead.entries[j];
            e.sw = p.schallwand[j];
            e.ch = p.chassis[j];
            std::memcpy(e.freq, p.freq, sizeof e.freq);
            e.tuning = tuning;
            e.text = computeBaffleOf(p, j, tuning, e.front, e.rear);
        }
    });
    return true;
}

} // namespace

void CalcBaffle(TCalcThread& calc, int chassis) {
    if (chassis < 0 || chassis >= kMaxChassis || !calc.aktProjekt || !calc.Res) {
        return; // no status text to write to
    }
    const TProjekt& p = *calc.aktProjekt;
    auto& front = calc.Res->fgang_sw[chassis][0];
    auto& rear = calc.Res->fgang_sw[chassis][1];
    const BaffleTuning tuning = baffleTuning(); // one set for the whole stage
    WorkerPool* pool = calc.pool();
    if (pool != nullptr && pool->workers() > 1) {
        std::unique_ptr<BaffleAhead::Entry>* slot =
            calc.baffleAhead ? &calc.baffleAhead->entries[chassis] : nullptr;
        if ((slot == nullptr || !*slot || !entryFits(**slot, p, chassis, tuning)) &&
            computeAhead(calc, chassis, tuning)) {
            slot = &calc.baffleAhead->entries[chassis];
        }
        if (slot != nullptr && *slot && entryFits(**slot, p, chassis, tuning)) {
            std::memcpy(front, (*slot)->front, sizeof front);
            std::memcpy(rear, (*slot)->rear, sizeof rear);
            calc.CalcStruct.bfgang_sw[chassis].assign((*slot)->text);
            slot->reset(); // used once: a later run computes its own
            return;
        }
    }
    const std::string text = computeBaffleOf(p, chassis, tuning, front, rear);
    calc.CalcStruct.bfgang_sw[chassis].assign(text);
}

} // namespace sonora
