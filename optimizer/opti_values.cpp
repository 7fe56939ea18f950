#include "optimizer/opti_values.h"

#include <algorithm>

namespace sonora {

namespace {

// Filter kinds of the active filter editor's list (TFilter.typ).
constexpr std::int32_t kFilterFirst = 1;
constexpr std::int32_t kFilterLastPlain = 12; // kinds 1..12 have a frequency f
constexpr std::int32_t kFilterDelay = 13;     // "Verzögerung / Delay": only the time t
constexpr std::int32_t kFilterLinkwitz = 16;  // "Linkwitzfilter": also fch and qch
constexpr std::int32_t kFilterLast = 18;

constexpr double kPartStepDivisor = 16.0; // start step of a value: a sixteenth of it
constexpr double kCoilRStepDivisor = 7.0; // start step of a winding resistance: a seventh

bool hasQ(std::int32_t kind) {
    return kind == 2 || kind == 4 || kind == 7 || kind == 8 || kind == 14 || kind == 15 ||
           kind == 18;
}
bool hasA(std::int32_t kind) {
    return kind == 5 || kind == 6 || kind == 8 || kind == 14 || kind == 15;
}
bool hasF(std::int32_t kind) {
    return (kind >= kFilterFirst && kind <= kFilterLastPlain) ||
           (kind > kFilterDelay && kind <= kFilterLast);
}

struct Limits {
    double divisor, minD, maxD;
    const char* text1;
    const char* text2;
    double multiplier;
};

// Step limits and display texts of each kind of value.
constexpr Limits kResistor{kPartStepDivisor, 0.001, 1000, "R = ", " Ohm", 1};
constexpr Limits kCapacitor{kPartStepDivisor, 1e-9, 0.001, "C = ", " uF", 1e6};
constexpr Limits kCoil{kPartStepDivisor, 1e-6, 1, "L = ", " mH", 1e3};
constexpr Limits kCoilR{kCoilRStepDivisor, 0.001, 1000, "R(L) = ", " Ohm", 1};
constexpr Limits kGain{kPartStepDivisor, 0.001, 100, "A = ", "", 1};
constexpr Limits kFreq{kPartStepDivisor, 0.01, 1000, "f = ", " Hz", 1};
constexpr Limits kQual{kPartStepDivisor, 1e-4, 10, "Q = ", " ", 1};
constexpr Limits kAmount{kPartStepDivisor, 1e-4, 10, "A = ", " ", 1};
constexpr Limits kTime{kPartStepDivisor, 1e-8, 0.001, "t = ", " s", 1};
constexpr Limits kFreqCh{kPartStepDivisor, 0.01, 1000, "fch = ", " Hz", 1};
constexpr Limits kQualCh{kPartStepDivisor, 1e-4, 10, "Qch = ", " ", 1};

const Limits& partLimits(std::int32_t typ) {
    return typ == kPartCoil ? kCoil : typ == kPartCapacitor ? kCapacitor : kResistor;
}

void add(OptiValueList& list, TOptiValue v, const Limits& l) {
    if (list.count >= kMaxOptiValues) {
        return;
    }
    v.dValue = v.Value / l.divisor;
    v.minDvalue = l.minD;
    v.maxDvalue = l.maxD;
    v.text1 = l.text1;
    v.text2 = l.text2;
    v.multiplier = l.multiplier;
    list.values[static_cast<std::size_t>(list.count++)] = std::move(v);
}

TOptiValue partValue(int amp, int slot, bool rvalue, double x) {
    TOptiValue v;
    v.bAktiv = false;
    v.wNr = amp;
    v.Partnr = slot;
    v.bRValue = rvalue;
    v.Value = x;
    return v;
}

TOptiValue activeValue(int amp, int stage, std::int32_t atyp, double x) {
    TOptiValue v;
    v.bAktiv = true;
    v.atyp = atyp;
    v.wNr = amp;
    v.Partnr = stage;
    v.Value = x;
    return v;
}

int usedAmps(const TProjekt& p) {
    return std::clamp<int>(p.nAmps, 0, kMaxAmps);
}

// The field of a filter stage an active value stands for; null for a gain.
template <typename Filter> auto* filterField(Filter& f, std::int32_t atyp) {
    using Field = decltype(&f.f);
    switch (atyp) {
    case kOptiF:
        return static_cast<Field>(&f.f);
    case kOptiQ:
        return static_cast<Field>(&f.q);
    case kOptiA:
        return static_cast<Field>(&f.a);
    case kOptiT:
        return static_cast<Field>(&f.t);
    case kOptiFch:
        return static_cast<Field>(&f.fch);
    case kOptiQch:
        return static_cast<Field>(&f.qch);
    default:
        return static_cast<Field>(nullptr);
    }
}

} // namespace

std::string optiValueName(const TOptiValue& v) {
    std::string name = v.text1;
    const std::size_t equals = name.find(" = ");
    if (equals != std::string::npos) {
        name.resize(equals);
    }
    const std::string amp = std::to_string(v.wNr + 1);
    if (!v.bAktiv) {
        return name + " W" + amp + "/" + std::to_string(v.Partnr + 1);
    }
    if (v.Partnr < 0) {
        return name + " V" + amp;
    }
    return name + " F" + amp + "/" + std::to_string(v.Partnr + 1);
}

OptiValueLabel partValueLabel(std::int32_t typ) {
    const Limits& l = partLimits(typ);
    return {l.text1, l.text2, l.multiplier};
}

bool isOptimisablePart(std::int16_t typ) {
    return typ == kPartResistor || typ == kPartCapacitor || typ == kPartCoil;
}

OptiValueList collectOptiValues(const TProjekt& p) {
    OptiValueList list;
    for (int w = 0; w < usedAmps(p); ++w) {
        const TAmp& amp = p.amp[w];
        for (int slot = 0; slot < kUsedPartSlots; ++slot) {
            const TPart& part = amp.weiche[slot];
            if (!part.bOptimize) {
                continue;
            }
            switch (part.typ) {
            case kPartResistor:
                add(list, partValue(w, slot, false, part.value), kResistor);
                break;
            case kPartCapacitor:
                add(list, partValue(w, slot, false, part.value), kCapacitor);
                break;
            case kPartCoil:
                add(list, partValue(w, slot, false, part.value), kCoil);
                add(list, partValue(w, slot, true, part.Rvalue), kCoilR);
                break;
            default:
                break;
            }
        }
        const TAktfilter& akt = amp.aktfilter;
        if (akt.bOptiPeg) {
            add(list, activeValue(w, -1, kOptiGain, akt.pegel), kGain);
        }
        for (int s = 0; s < kMaxFilters; ++s) {
            const TFilter& f = akt.fil[s];
            if (!f.bOptimize) {
                continue;
            }
            if (hasF(f.typ)) {
                add(list, activeValue(w, s, kOptiF, f.f), kFreq);
            }
            if (hasQ(f.typ)) {
                add(list, activeValue(w, s, kOptiQ, f.q), kQual);
            }
            if (hasA(f.typ)) {
                add(list, activeValue(w, s, kOptiA, f.a), kAmount);
            }
            if (f.typ == kFilterDelay) {
                add(list, activeValue(w, s, kOptiT, f.t), kTime);
            }
            if (f.typ == kFilterLinkwitz) {
                add(list, activeValue(w, s, kOptiFch, f.fch), kFreqCh);
                add(list, activeValue(w, s, kOptiQch, f.qch), kQualCh);
            }
        }
    }
    return list;
}

const TPart& optiPartOf(const TProjekt& p, const TOptiValue& v) {
    return p.amp[v.wNr].weiche[v.Partnr];
}

double optiValueIn(const TProjekt& p, const TOptiValue& v) {
    const TAmp& amp = p.amp[v.wNr];
    if (!v.bAktiv) {
        const TPart& part = amp.weiche[v.Partnr];
        return v.bRValue ? part.Rvalue : part.value;
    }
    if (v.atyp == kOptiGain) {
        return amp.aktfilter.pegel;
    }
    const double* field = filterField(amp.aktfilter.fil[v.Partnr], v.atyp);
    return field != nullptr ? *field : 0.0;
}

void setOptiValue(TProjekt& p, const TOptiValue& v, double x) {
    TAmp& amp = p.amp[v.wNr];
    if (!v.bAktiv) {
        TPart& part = amp.weiche[v.Partnr];
        (v.bRValue ? part.Rvalue : part.value) = x;
        return;
    }
    if (v.atyp == kOptiGain) {
        amp.aktfilter.pegel = x;
        return;
    }
    double* field = filterField(amp.aktfilter.fil[v.Partnr], v.atyp);
    if (field != nullptr) {
        *field = x;
    }
}

void removeOptiValue(OptiValueList& list, int index) {
    if (index < 0 || index >= list.count) {
        return;
    }
    const TOptiValue& v = list.values[static_cast<std::size_t>(index)];
    int removed = 1;
    const int next = index + 1;
    if (!v.bAktiv && !v.bRValue && next < list.count) {
        const TOptiValue& r = list.values[static_cast<std::size_t>(next)];
        if (!r.bAktiv && r.bRValue && r.wNr == v.wNr && r.Partnr == v.Partnr) {
            removed = 2; // the coil's winding resistance goes with it
        }
    }
    auto first = list.values.begin() + index;
    std::move(first + removed, list.values.begin() + list.count, first);
    list.count -= removed;
    for (int i = list.count; i < list.count + removed; ++i) {
        list.values[static_cast<std::size_t>(i)] = TOptiValue{};
    }
}

OptiMarkCount countOptiMarks(const TProjekt& p) {
    OptiMarkCount c;
    for (int w = 0; w < usedAmps(p); ++w) {
        const TAmp& amp = p.amp[w];
        for (int slot = 0; slot < kUsedPartSlots; ++slot) {
            const TPart& part = amp.weiche[slot];
            if (isOptimisablePart(part.typ)) {
                ++c.markableParts;
                c.marked += part.bOptimize ? 1 : 0;
            }
        }
        for (const TFilter& f : amp.aktfilter.fil) {
            if (f.typ >= kFilterFirst && f.typ <= kFilterLast) {
                ++c.markableFilters;
                c.marked += f.bOptimize ? 1 : 0;
            }
        }
        ++c.markableGains;
        c.marked += amp.aktfilter.bOptiPeg ? 1 : 0;
    }
    return c;
}

} // namespace sonora
