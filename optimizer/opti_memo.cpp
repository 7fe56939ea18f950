#include "optimizer/opti_memo.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sonora {

namespace {

constexpr int kLineBuffer = 64; // longest line: 20 characters of label and a %8.3f number

std::string line(const char* label, double x) {
    char buf[kLineBuffer];
    std::snprintf(buf, sizeof buf, "%s = %8.3f", label, x);
    return buf;
}

constexpr double kChartBase = 115; // pixel row of grade 0
constexpr double kChartScale = 15; // pixels per grade unit

} // namespace

std::string gradeLines(const TBewertungen& g) {
    return line("Note Impedanz    ", g.Note_I) + "\r\n" + line("Note Frequenzgang", g.Note_F) +
           "\r\n" + line("Note Wirkungsgrad", g.Note_W) + "\r\n" +
           line("Note Phase       ", g.Note_Ph) + "\r\n" + line("Note Arb.-Bereich", g.Note_AB) +
           "\r\n" + line("Note gesamt      ", g.Note);
}

std::array<double, kOptiValueSlots> valueChanges(const std::array<double, kOptiValueSlots>& start,
                                                 const std::array<double, kOptiValueSlots>& now,
                                                 int count) {
    constexpr double kPercent = 100;
    std::array<double, kOptiValueSlots> change{};
    const auto n = static_cast<std::size_t>(std::clamp(count, 0, kOptiValueSlots));
    for (std::size_t i = 0; i < n; ++i) {
        change[i] = start[i] != 0 ? kPercent * (now[i] / start[i] - 1) : 0;
    }
    return change;
}

void OptiHistory::append(const TBewertungen& g) {
    append(g, {}, 0);
}

void OptiHistory::append(const TBewertungen& g, const std::array<double, kOptiValueSlots>& change,
                         int nValues) {
    OptiHistoryEntry e{g.Note, g.Note_F, g.Note_W, g.Note_I, g.Note_Ph};
    e.nValues = std::clamp(nValues, 0, kOptiValueSlots);
    e.change = change;
    if (nnhist < kMaxEntries) {
        nhist[static_cast<std::size_t>(nnhist++)] = e;
        return;
    }
    // Full: the new entry goes to the last slot, then everything moves down by one.
    nhist[kMaxEntries] = e;
    std::move(nhist.begin() + 1, nhist.end(), nhist.begin());
}

int historyChartY(double grade) {
    return static_cast<int>(std::lround(kChartBase - kChartScale * grade));
}

} // namespace sonora
