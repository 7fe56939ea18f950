// The driver check: every driver may sit in at most one crossover, and only drivers in use.
#include <string>

#include "engine/calc_thread.h"
#include "engine/stages.h"

namespace sonora {

namespace {
constexpr int kNone = -1;
constexpr char kLineBreak[] = "\r\n";
constexpr std::size_t kShortTextLimit = 10; // a text this short explains nothing
} // namespace

void CalcChassiskontrolle(TCalcThread& calc) {
    const TProjekt& p = *calc.aktProjekt;
    TResult& res = *calc.Res;
    int first[kMaxChassis];
    int second[kMaxChassis];
    for (int n = 0; n < kMaxChassis; ++n) {
        first[n] = kNone;
        second[n] = kNone;
        res.chassisAmp[n] = kNone;
    }

    bool failed = false;
    bool scanEnded = false;
    for (int i = 0; i < p.nAmps && i < kMaxAmps && !scanEnded; ++i) {
        for (int slot = 0; slot < kUsedPartSlots; ++slot) {
            const TPart& part = p.amp[i].weiche[slot];
            if (part.typ != kPartDriver) {
                continue;
            }
            const int n = part.chassisnr;
            if (n < 0 || n >= kMaxChassis) {
                failed = true; // an index outside the driver table ends the scan
                scanEnded = true;
                break;
            }
            if (first[n] == kNone) {
                first[n] = i;
                res.chassisAmp[n] = i;
            } else {
                second[n] = i;
                failed = true;
            }
            if (n >= p.nChassis) {
                failed = true;
            }
        }
    }

    if (!failed) {
        calc.CalcStruct.bChassiskontrolle.assign(kStatusOk);
        return;
    }
    std::string text;
    for (int n = 0; n < kMaxChassis; ++n) {
        if (second[n] != kNone) {
            text += "Fehler: Chassis " + std::to_string(n + 1) + " doppelt verwendet in Weiche " +
                    std::to_string(first[n] + 1) + " und " + std::to_string(second[n] + 1) + "." +
                    kLineBreak;
        }
    }
    for (int n = p.nChassis; n < kMaxChassis; ++n) {
        if (n >= 0 && first[n] != kNone) {
            text += "Fehler: Chassis " + std::to_string(n + 1) + " nicht verwendbar, wenn nur " +
                    std::to_string(p.nChassis) + " Chassis angew\xe4hlt." + kLineBreak;
        }
    }
    if (text.size() < kShortTextLimit) {
        text += std::string("Fehler in Chassiskontrolle") + kLineBreak;
    }
    text.resize(text.size() - 2); // without the final line break
    calc.CalcStruct.bChassiskontrolle.assign(text);
}

} // namespace sonora
