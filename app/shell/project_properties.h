// The project-properties dialog's values and the rules applied when it is accepted.
#pragma once

#include <string>

#include "model/frequency_grid.h"
#include "model/records.h"

namespace sonora {

// Longest comment line kept, characters (bytes of the record's Latin-1 text).
inline constexpr int kMaxCommentLength = 64;

struct ProjectProperties {
    int nAmps = 1;
    int nChassis = 1;
    double fMin = kDefaultGridFMin; // Hz
    double fMax = kDefaultGridFMax; // Hz
    int points = kGridPointsFein;
    std::string comment1; // Latin-1, as in the record
    std::string comment2;
};

// What the dialog shows for `project`.
ProjectProperties propertiesOf(const TProjekt& project);

// A preset button ("grob", "mittel", "fein"): 20 Hz, 20000 Hz and 84, 126 or 250 points; the
// counts and comments stay.
ProjectProperties withPreset(ProjectProperties properties, GridPreset preset);

// Accepting the dialog: the counts (limited to 1..6 amplifiers and 1..32 drivers), the grid rule
// (swap when fMax < fMin, 20/20000 Hz when equal, 6..256 points) with the grid rebuilt and both
// smoothing widths set to 7 * log10(fMax / fMin) / points, and at most 64 characters per comment.
void applyProjectProperties(TProjekt& project, const ProjectProperties& properties);

} // namespace sonora
