// The baffle stage: diffraction of each driver's baffle in 90 directions, for its front sound and
// for its rear sound (the vent), computed straight into the run's result.
#include <string>

#include "acoustics/baffle.h"
#include "acoustics/baffle_turns.h"
#include "engine/calc_thread.h"
#include "engine/stages.h"

namespace sonora {

namespace {
constexpr std::int8_t kRearOpposite = 1; // directionr: the vent radiates opposite to the driver
} // namespace

void CalcBaffle(TCalcThread& calc, int chassis) {
    if (chassis < 0 || chassis >= kMaxChassis || !calc.aktProjekt || !calc.Res) {
        return; // no status text to write to
    }
    const TProjekt& p = *calc.aktProjekt;
    const TSchallwand& sw = p.schallwand[chassis];
    const TChassis& ch = p.chassis[chassis];
    auto& front = calc.Res->fgang_sw[chassis][0];
    auto& rear = calc.Res->fgang_sw[chassis][1];
    std::string text;
    CalcBaffle(front, sw, ch, text, kBaffleGridCount, p.freq, ch.membranform);
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
    calc.CalcStruct.bfgang_sw[chassis].assign(text);
}

} // namespace sonora
