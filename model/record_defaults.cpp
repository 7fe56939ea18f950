#include "model/record_defaults.h"

#include <cstring>

#include "model/crossover_grid.h"
#include "model/frequency_grid.h"

namespace sonora {

namespace {
constexpr TColor kAmpColorDefaults[kAmpColors] = {128,      128,      0xFF00FF, 0x0080FF,
                                                  0xFF8080, 0x00C000, 0x00B0B0};
// Slot 0 is the whole box; slots 1..8 the first eight drivers.
constexpr TColor kChassisColorDefaults[] = {0,        0xF00000, 0x00A020, 0x0000D0, 0x00A0A0,
                                            0xD0A000, 0xD000B0, 0xA05000, 0x007050};
constexpr int kChassisColorDefaultCount = sizeof(kChassisColorDefaults) / sizeof(TColor);
constexpr TColor kDirectionColorDefaults[] = {0,        0x0000B0, 0xB00090, 0xD86000,
                                              0x00B000, 0x00A080, 0x808020};
constexpr int kDirectionColorDefaultCount = sizeof(kDirectionColorDefaults) / sizeof(TColor);

constexpr double kDefaultFilterF = 1000.0; // Hz
constexpr double kDefaultFilterA = 0.5;
constexpr double kDefaultFilterT = 0.01; // s
constexpr std::int32_t kDefaultFilterOrder = 2;
constexpr std::int8_t kDefaultDampingVolume = 2; // slider "stark gestopft"
constexpr double kDefaultDBMin = 40.0;
constexpr double kDefaultDBMax = 110.0;
constexpr double kDefaultImpMax = 70.0; // Ohm
} // namespace

TFilter defaultFilter() {
    TFilter f{};
    f.f = kDefaultFilterF;
    f.q = kDefaultFilterQ;
    f.a = kDefaultFilterA;
    f.t = kDefaultFilterT;
    f.n = kDefaultFilterOrder;
    f.fch = kDefaultFilterF;
    f.qch = kDefaultFilterQ;
    return f;
}

TAktfilter defaultAktfilter() {
    TAktfilter a{};
    a.pegel = 1.0;
    for (TFilter& f : a.fil) {
        f = defaultFilter();
    }
    return a;
}

TEinbau defaultEinbau() {
    TEinbau e{};
    e.vV = 1.0;
    e.mb = 1.0;
    e.fmb = 1.0;
    e.vVf = 1.0;
    e.Bedv = kDefaultDampingVolume;
    e.Bedc = kDefaultDampingVolume;
    return e;
}

TAnzOption defaultAnzOption() {
    TAnzOption o{};
    for (int i = 0; i < kAmpColors; ++i) {
        o.ColorSetAmps[i] = kAmpColorDefaults[i];
    }
    // Only nine driver colours have fixed defaults; the further slots repeat the eight driver
    // colours so that every driver curve stays distinguishable.
    for (int i = 0; i < kChassisColors; ++i) {
        o.ColorSetChassis[i] =
            i < kChassisColorDefaultCount
                ? kChassisColorDefaults[i]
                : kChassisColorDefaults[1 + (i - 1) % (kChassisColorDefaultCount - 1)];
    }
    for (int i = 0; i < kDirectionColorDefaultCount; ++i) {
        o.ColorSetRichtungen[i] = kDirectionColorDefaults[i];
    }
    o.Afmin = kDefaultFMin;
    o.Afmax = kDefaultFMax;
    o.dBmin = kDefaultDBMin;
    o.dBmax = kDefaultDBMax;
    o.ImpMax = kDefaultImpMax;
    o.GraphsThickness = 1;
    return o;
}

void initDefaultChassis(TChassis& c) {
    std::memset(&c, 0, sizeof c);
    c.Filters = kDefaultChassisFilters;
    c.pubdate.assign(kDefaultPubdate);
}

void initDefaultProjekt(TProjekt& p) {
    std::memset(&p, 0, sizeof p);
    p.nAmps = 1;
    p.nChassis = 1;
    p.fMin = kDefaultFMin;
    p.fMax = kDefaultFMax;
    p.sz = kDefaultGridPoints;
    p.glatt_amp = kDefaultGlattAmp;
    p.glatt_imp = kDefaultGlattImp;
    BuildFrequencyGrid(p);
    p.option = defaultAnzOption();
    for (TAmp& a : p.amp) {
        a.aktfilter = defaultAktfilter();
        assignGridNodes(a.weiche);
    }
    initDefaultChassis(p.chassis[0]);
    for (int i = 1; i < kMaxChassis; ++i) {
        p.chassis[i] = p.chassis[0];
    }
    for (TEinbau& e : p.einbau) {
        e = defaultEinbau();
    }
    p.comment2.assign(kDateMarker);
}

} // namespace sonora
