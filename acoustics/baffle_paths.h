// Path lists of the baffle model: delay and weight of every edge source per direction.
//
// Sorted by path length, shortened by merging neighbours as the wavelength grows, and summed as
// phasors.
#pragma once

#include "acoustics/baffle_edges.h"
#include "acoustics/baffle_tuning.h"
#include "model/complex.h"

namespace sonora {

// Weight of the entry that ends a shortened list; any weight <= kEndMarkLimit ends a list.
inline constexpr double kEndMark = -9999.0;
inline constexpr double kEndMarkLimit = -1000.0;

// Structure of arrays so the phasor sum streams through two contiguous arrays.
struct PathList {
    double s[kEdgePoints]; // path length, m, descending
    double w[kEdgePoints]; // weight
    int count = 0;         // entries before the end mark (w[count] = kEndMark if < 960)
    double maxAbsS = 0.0;  // largest |s| of those entries, m
};

// The list of direction n (0..89) from the 960 edge points, sorted by s descending. Directions
// 22..29 (in the baffle plane) need no list; for them the list is left empty.
void BuildPathList(PathList& list, const EdgePoint* points, int n, const BaffleTuning& tuning);

// Sorts the first `count` pairs by s, descending, as the program's gap sort does: start gap 321;
// passes at one gap swap pair i and i + gap when s_i < s_(i+gap); after a pass without swaps the
// gap becomes gap/3 + 1 (321, 108, 37, 13, 5, 2, 1); done after a pass at gap 1 without swaps.
// The order of equal path lengths is part of the result (it decides which entries merge).
void sortPathList(PathList& list);

// The same sort pass by pass, literally. sortPathList gives the identical order faster and falls
// back to this for lists holding NaN.
void sortPathListByPasses(PathList& list);

// Merges neighbouring entries whose path lengths differ by less than mergeFraction·lambda (m) into
// one with their summed weight at their weighted mean path; drops entries of weight 0; each entry
// takes part in at most one merge per call. Writes the end mark after the last entry.
void MergePathList(PathList& list, double lambda, const BaffleTuning& tuning);

// Σ w·e^(-j·k·s) over the entries before the end mark, k = 2π/lambda (lambda in m).
Complex SumEdges(const PathList& list, double lambda);

} // namespace sonora
