#include "app/shell/project_properties.h"

#include <algorithm>
#include <cmath>

namespace sonora {
namespace {

// A frequency the grid can use: positive and finite; anything else takes `fallback`.
double usableFrequency(double f, double fallback) {
    return std::isfinite(f) && f > 0 ? f : fallback;
}

} // namespace

ProjectProperties propertiesOf(const TProjekt& p) {
    ProjectProperties s;
    s.nAmps = p.nAmps;
    s.nChassis = p.nChassis;
    s.fMin = p.fMin;
    s.fMax = p.fMax;
    s.points = p.sz;
    s.comment1 = p.comment1.str();
    s.comment2 = p.comment2.str();
    return s;
}

ProjectProperties withPreset(ProjectProperties properties, GridPreset preset) {
    const GridSettings g = gridPreset(preset);
    properties.fMin = g.fMin;
    properties.fMax = g.fMax;
    properties.points = g.points;
    return properties;
}

void applyProjectProperties(TProjekt& p, const ProjectProperties& s) {
    p.nAmps = static_cast<std::int16_t>(std::clamp(s.nAmps, 1, kMaxAmps));
    p.nChassis = static_cast<std::int16_t>(std::clamp(s.nChassis, 1, kMaxChassis));
    // A field left empty or typed as 0 would make the grid's logarithm meaningless.
    applyGridSettings(p, GridSettings{usableFrequency(s.fMin, kDefaultGridFMin),
                                      usableFrequency(s.fMax, kDefaultGridFMax), s.points});
    p.comment1.assign(std::string_view(s.comment1).substr(0, kMaxCommentLength));
    p.comment2.assign(std::string_view(s.comment2).substr(0, kMaxCommentLength));
}

} // namespace sonora
