#include "model/result.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace sonora {

namespace {

// The three per-driver direction arrays, in the order they lie in the record.
constexpr std::size_t kDriverArrays[] = {offsetof(TResult, fgang_sw), offsetof(TResult, fgang_chas),
                                         offsetof(TResult, fgang_chassis)};
constexpr std::size_t kDriverSlotBytes = sizeof(TResult::fgang_sw[0]);
constexpr std::size_t kDriverArrayBytes = sizeof(TResult::fgang_sw);
static_assert(sizeof(TResult::fgang_chas) == kDriverArrayBytes &&
              sizeof(TResult::fgang_chassis) == kDriverArrayBytes);

int clampedSpan(std::int32_t span) {
    return std::clamp<int>(span, 0, kMaxChassis);
}

// Calls `whole(offset, bytes)` for every stretch outside the three arrays and `slots(offset,
// bytes)` for the first `span` driver slots of each array, in the record's order.
template <typename Whole, typename Slots> void forRegions(int span, Whole whole, Slots slots) {
    std::size_t at = 0;
    for (const std::size_t array : kDriverArrays) {
        whole(at, array - at);
        slots(array, static_cast<std::size_t>(span) * kDriverSlotBytes);
        at = array + kDriverArrayBytes;
    }
    whole(at, sizeof(TResult) - at);
}

} // namespace

void copyResult(TResult& to, const TResult& from) {
    const int span = std::max(clampedSpan(to.driverSpan), clampedSpan(from.driverSpan));
    auto* target = reinterpret_cast<unsigned char*>(&to);
    const auto* source = reinterpret_cast<const unsigned char*>(&from);
    auto copy = [&](std::size_t offset, std::size_t bytes) {
        std::memcpy(target + offset, source + offset, bytes);
    };
    forRegions(span, copy, copy);
}

void clearResult(TResult& res) {
    auto* bytes = reinterpret_cast<unsigned char*>(&res);
    auto clear = [&](std::size_t offset, std::size_t count) {
        std::memset(bytes + offset, 0, count);
    };
    forRegions(clampedSpan(res.driverSpan), clear, clear);
}

void coverDriversOf(const TProjekt& p, TResult& res) {
    int span = std::max(clampedSpan(res.driverSpan), clampedSpan(p.nChassis));
    for (int d = span; d < kMaxChassis; ++d) {
        if (res.chassisAmp[d] >= 0) {
            span = d + 1;
        }
    }
    res.driverSpan = span;
}

} // namespace sonora
