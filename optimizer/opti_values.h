// The values the optimizer may change: which marked parts, gains and filter parameters of a project
// it collects, in which order, with which step sizes and limits, and how it reads and writes them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/records.h"

namespace sonora {

// atyp of an active value: the field of TFilter, or pegel of TAktfilter for a gain.
enum OptiActiveTyp : std::int32_t {
    kOptiGain = 0,
    kOptiF = 1,
    kOptiQ = 2,
    kOptiA = 3,
    kOptiT = 4,
    kOptiFch = 5,
    kOptiQch = 6,
};

// One optimisable value.
struct TOptiValue {
    bool bAktiv = false;      // false: a crossover part value; true: a filter parameter or a gain
    std::int32_t atyp = 0;    // OptiActiveTyp for active values
    std::int32_t wNr = 0;     // amplifier (crossover) index 0..5
    std::int32_t Partnr = 0;  // part slot 0..374, or filter stage 0..11; -1 for a gain
    bool bRValue = false;     // the value is the winding resistance Rvalue of a coil
    double Value = 0;         // value at the start of the run (not updated while running)
    double dValue = 0;        // current step size
    double minDvalue = 0;     // lower limit of the value and of the step
    double maxDvalue = 0;     // upper limit of the step
    std::string text1, text2; // label and unit for display
    double multiplier = 1;    // display factor
};

inline constexpr int kMaxOptiValues = 99;   // values collected at most
inline constexpr int kOptiValueSlots = 111; // OptiValues[0..110]

struct OptiValueList {
    std::array<TOptiValue, kOptiValueSlots> values;
    int count = 0;
};

// Collects the marked values of `p` (amplifiers 0 .. nAmps-1; per amplifier its parts in slot
// order, a coil's winding resistance right after its inductance, then its gain, then its 12 filter
// stages), at most kMaxOptiValues of them.
OptiValueList collectOptiValues(const TProjekt& p);

// The label, unit and display factor the optimizer shows a crossover part's value with, by the
// part's typ: "L = " … " mH", "C = " … " uF", and "R = " … " Ohm" for a resistor (and any other
// typ).
struct OptiValueLabel {
    const char* text1;
    const char* text2;
    double multiplier;
};
OptiValueLabel partValueLabel(std::int32_t typ);

// The name a value's curve carries in the history chart: its label without " = " and where it
// sits: "C W1/17" (amplifier 1's crossover, slot 17), "f F2/3" (amplifier 2, filter stage 3),
// "A V1" (amplifier 1's gain).
std::string optiValueName(const TOptiValue& v);

// Reads and writes the project field a value stands for.
double optiValueIn(const TProjekt& p, const TOptiValue& v);
void setOptiValue(TProjekt& p, const TOptiValue& v, double x);

// The crossover part a non-active value belongs to (its typ tells coil, capacitor, resistor).
const TPart& optiPartOf(const TProjekt& p, const TOptiValue& v);

// Removes entry `index`; for a coil's inductance also the winding resistance that follows it.
// Later entries move down.
void removeOptiValue(OptiValueList& list, int index);

// Counts over the amplifiers 0 .. nAmps-1: crossover parts that could be marked (typ 2..4 in slots
// 0..374), filter stages that could be marked (kind 1..18), gains; and the marked ones of each.
struct OptiMarkCount {
    int markableParts = 0;
    int markableFilters = 0;
    int markableGains = 0;
    int marked = 0; // parts, filter stages and gains with bOptimize / bOptiPeg
};
OptiMarkCount countOptiMarks(const TProjekt& p);

// True when typ is a part the optimizer can change: resistor, capacitor or coil.
bool isOptimisablePart(std::int16_t typ);

} // namespace sonora
