// What the optimizer window shows of a run: the six grade lines and the history of grades.
#pragma once

#include <array>
#include <string>

#include "optimizer/opti_values.h"
#include "optimizer/rating.h"

namespace sonora {

// Six lines "Note Impedanz     = %8.3f" ... "Note gesamt       = %8.3f", joined by "\r\n".
std::string gradeLines(const TBewertungen& grades);

// One history entry: Note, Note_F, Note_W, Note_I, Note_Ph, and how far each optimized value of
// the best design stood from its start value at that moment, in percent.
struct OptiHistoryEntry {
    double Note = 0, Note_F = 0, Note_W = 0, Note_I = 0, Note_Ph = 0;
    int nValues = 0;
    std::array<double, kOptiValueSlots> change{};
};

// The values' departures from their start, in percent, from the optimizer's HistValues rows 0
// (start value) and 2 (the best design's value now); 0 where a start value is 0.
std::array<double, kOptiValueSlots> valueChanges(const std::array<double, kOptiValueSlots>& start,
                                                 const std::array<double, kOptiValueSlots>& now,
                                                 int count);

// The grade history, at most 250 entries: a new entry beyond that drops the oldest.
class OptiHistory {
public:
    static constexpr int kSlots = 251;      // nhist
    static constexpr int kMaxEntries = 250; // entries it holds at most

    void clear() { nnhist = 0; }
    void append(const TBewertungen& grades);
    // With the values' changes of valueChanges (the first `nValues` are kept).
    void append(const TBewertungen& grades, const std::array<double, kOptiValueSlots>& change,
                int nValues);
    int size() const { return nnhist; }
    const OptiHistoryEntry& operator[](int i) const { return nhist[static_cast<std::size_t>(i)]; }

private:
    std::array<OptiHistoryEntry, kSlots> nhist{};
    int nnhist = 0;
};

// Vertical pixel of a grade in the history chart (one pixel per entry across).
int historyChartY(double grade);

} // namespace sonora
