#include "acoustics/network_calc_crossover.h"

#include <cmath>
#include <numbers>
#include <string>
#include <string_view>

namespace sonora {
namespace {

enum class PartKind { kInductor, kCapacitor };

// One part of a textbook filter: L = coefficient·R/ω, C = coefficient/(R·ω).
struct PartRule {
    std::string_view name; // "L1", "C2", ...
    PartKind kind;
    double coefficient;
};

// One line of a result list: a heading (no parts) or one or two part values.
struct LineRule {
    std::string_view heading;
    PartRule first{};
    PartRule second{};
    int partCount = 0;
};

constexpr LineRule heading(std::string_view text) {
    return LineRule{text, {}, {}, 0};
}
constexpr LineRule part(PartRule p) {
    return LineRule{{}, p, {}, 1};
}
// The fourth-order lines show two values joined by "; ".
constexpr LineRule pair(PartRule p, PartRule q) {
    return LineRule{{}, p, q, 2};
}

constexpr PartRule L(std::string_view name, double coefficient) {
    return PartRule{name, PartKind::kInductor, coefficient};
}
constexpr PartRule C(std::string_view name, double coefficient) {
    return PartRule{name, PartKind::kCapacitor, coefficient};
}

constexpr double kSqrt2 = std::numbers::sqrt2;
constexpr double kLinkwitz2 = 2; // second-order Linkwitz (Q = 0.5): L = 2·R/ω, C = 1/(2·R·ω)

// Third-order Butterworth coefficients.
constexpr double kBw3L1 = 1.5, kBw3L2 = 0.5, kBw3C1 = 4.0 / 3.0;
constexpr double kBw3L3 = 0.75, kBw3C2 = 2.0 / 3.0, kBw3C3 = 2;

// Fourth-order coefficients, low-pass then high-pass, Butterworth then Linkwitz-Riley.
constexpr double kBw4L1 = 1.5305839408289473, kBw4L2 = 1.0825928284270428;
constexpr double kBw4C1 = 1.5770795121020762, kBw4C2 = 0.3826459852072368;
constexpr double kLr4L1 = 1.8856, kLr4L2 = 0.94281, kLr4C1 = 1.591, kLr4C2 = 0.35355;
constexpr double kBw4L3 = 0.6339733974944203, kBw4L4 = 2.6131767692559900;
constexpr double kBw4C3 = 0.6534512719466770, kBw4C4 = 0.9236282401553992;
constexpr double kLr4L3 = 0.6285355122564425, kLr4L4 = 2.8284542497525103;
constexpr double kLr4C3 = 0.5303351718285957, kLr4C4 = 1.0606590935607386;

constexpr std::string_view kButterworth = "Butterworth:";
constexpr std::string_view kButterworthQ = "Butterworth (Q=0,707):";
constexpr std::string_view kLinkwitzQ = "Linkwitz (Q=0,5):";
constexpr std::string_view kLinkwitzRiley = "Linkwitz-Riley:";

const LineRule kLowPass1[] = {heading(kButterworth), part(L("L", 1))};
const LineRule kHighPass1[] = {heading(kButterworth), part(C("C", 1))};
const LineRule kLowPass2[] = {heading(kButterworthQ),    part(L("L1", kSqrt2)),
                              part(C("C1", 1 / kSqrt2)), heading(kLinkwitzQ),
                              part(L("L1", kLinkwitz2)), part(C("C1", 1 / kLinkwitz2))};
const LineRule kHighPass2[] = {heading(kButterworthQ),    part(L("L2", kSqrt2)),
                               part(C("C2", 1 / kSqrt2)), heading(kLinkwitzQ),
                               part(L("L2", kLinkwitz2)), part(C("C2", 1 / kLinkwitz2))};
const LineRule kLowPass3[] = {heading(kButterworth), part(L("L1", kBw3L1)), part(L("L2", kBw3L2)),
                              part(C("C1", kBw3C1))};
const LineRule kHighPass3[] = {heading(kButterworth), part(L("L3", kBw3L3)), part(C("C2", kBw3C2)),
                               part(C("C3", kBw3C3))};
const LineRule kLowPass4[] = {heading(kButterworth),
                              pair(L("L1", kBw4L1), L("L2", kBw4L2)),
                              pair(C("C1", kBw4C1), C("C2", kBw4C2)),
                              heading(kLinkwitzRiley),
                              pair(L("L1", kLr4L1), L("L2", kLr4L2)),
                              pair(C("C1", kLr4C1), C("C2", kLr4C2))};
const LineRule kHighPass4[] = {heading(kButterworth),
                               pair(L("L3", kBw4L3), L("L4", kBw4L4)),
                               pair(C("C3", kBw4C3), C("C4", kBw4C4)),
                               heading(kLinkwitzRiley),
                               pair(L("L3", kLr4L3), L("L4", kLr4L4)),
                               pair(C("C3", kLr4C3), C("C4", kLr4C4))};

const std::span<const LineRule> kLowPassRules[kStandardCrossoverOrders] = {kLowPass1, kLowPass2,
                                                                           kLowPass3, kLowPass4};
const std::span<const LineRule> kHighPassRules[kStandardCrossoverOrders] = {kHighPass1, kHighPass2,
                                                                            kHighPass3, kHighPass4};

// Value of a part in display units (mH or µF) for load R (Ohm) at ω (rad/s).
double partValue(const PartRule& rule, double R, double omega) {
    if (rule.kind == PartKind::kInductor) {
        return rule.coefficient * R / omega * kMilliPerUnit;
    }
    return rule.coefficient / (R * omega) * kMicroPerUnit;
}

// "L1 = 1,273 mH" or "C1 = 14,07 µF".
std::string partText(const PartRule& rule, double R, double omega) {
    return numberLine(std::string(rule.name) + " = ", kNetworkDigits, partValue(rule, R, omega),
                      rule.kind == PartKind::kInductor ? " mH" : " µF");
}

// The lines of one list; empty when extreme entries push a part value out of the double range.
NetworkLines memoLines(std::span<const LineRule> rules, double R, double omega) {
    for (const LineRule& rule : rules) {
        if ((rule.partCount >= 1 && !std::isfinite(partValue(rule.first, R, omega))) ||
            (rule.partCount == 2 && !std::isfinite(partValue(rule.second, R, omega)))) {
            return {};
        }
    }
    NetworkLines lines;
    for (const LineRule& rule : rules) {
        if (rule.partCount == 0) {
            lines.push_back(latin1Line(rule.heading));
        } else if (rule.partCount == 1) {
            lines.push_back(partText(rule.first, R, omega));
        } else {
            lines.push_back(partText(rule.first, R, omega) + "; " +
                            partText(rule.second, R, omega));
        }
    }
    return lines;
}

const CalcField<StandardCrossoverInputs> kFields[] = {
    {"fc", "Trennfrequenz [Hz]", CalcFieldKind::Number,
     [](StandardCrossoverInputs& in, std::string_view text) {
         return readEntryNumber(text, in.fc);
     }},
    {"rl", "Impedanz Tieftöner [Ohm]", CalcFieldKind::Number,
     [](StandardCrossoverInputs& in, std::string_view text) {
         return readEntryNumber(text, in.RL);
     }},
    {"rh", "Impedanz Hochtöner [Ohm]", CalcFieldKind::Number,
     [](StandardCrossoverInputs& in, std::string_view text) {
         return readEntryNumber(text, in.RH);
     }},
};

} // namespace

StandardCrossoverMemos standardCrossoverLines(const StandardCrossoverInputs& inputs) {
    StandardCrossoverMemos memos;
    // Each entry on its own must be positive: a product test alone would let two negative entries
    // through and show negative parts.
    if (!isPositiveEntry(inputs.fc) || !isPositiveEntry(inputs.RL) || !isPositiveEntry(inputs.RH)) {
        return memos;
    }
    const double omega = 2 * std::numbers::pi * inputs.fc; // rad/s
    for (int i = 0; i < kStandardCrossoverOrders; ++i) {
        memos.lowPass[i] = memoLines(kLowPassRules[i], inputs.RL, omega);
        memos.highPass[i] = memoLines(kHighPassRules[i], inputs.RH, omega);
    }
    return memos;
}

std::span<const CalcField<StandardCrossoverInputs>> standardCrossoverFields() {
    return kFields;
}

} // namespace sonora
