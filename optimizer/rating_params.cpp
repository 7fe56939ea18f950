#include "optimizer/rating_params.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/physics.h"
#include "storage/numbers.h"

namespace sonora {

namespace {

int clampSlider(int position, int lo, int hi) {
    return std::clamp(position, lo, hi);
}

// Reset values of a working-range column.
const WorkingRangeColumn kResetColumn{};

// The whole range at level 1: a single driver is never outside its working range.
constexpr double kSingleDriverFmin = 0.0;       // Hz
constexpr double kSingleDriverFmax = 1000000.0; // Hz
constexpr double kSingleDriverPeg = 1.0;

int clampedDrivers(int nChassis) {
    return std::clamp(nChassis, 0, kMaxChassis);
}

} // namespace

void setRatingDefaults(RatingSliders& sliders) {
    const RatingSliders defaults;
    sliders.directionalResponses = defaults.directionalResponses;
    sliders.energyResponse = defaults.energyResponse;
    sliders.maxLevel = defaults.maxLevel;
    sliders.workingRange = defaults.workingRange;
}

double minImpedanceFromSlider(int position, bool tubeAmplifier) {
    constexpr double kTransistorTop = 8.0; // Ohm at position 0
    constexpr double kTubeTop = 16.0;      // Ohm, the transformer's highest tap
    constexpr double kPositionsPerOctave = 4.0;
    const int p = clampSlider(position, 0, kMinImpedanceSliderMax);
    return (tubeAmplifier ? kTubeTop : kTransistorTop) * std::exp2(-p / kPositionsPerOctave);
}

double maxLevelWeightFromSlider(int position) {
    const int p = clampSlider(position, 0, kWeightSliderMax);
    return 1.0 - p / static_cast<double>(kWeightSliderMax);
}

double tasteFromSlider(int position) {
    constexpr int kNeutral = 3;
    constexpr double kDbPerStep = 1.0; // power dB, 10^(0.1·dB)
    const int p = clampSlider(position, 0, kTasteSliderMax);
    return std::pow(10.0, kDbPerStep * (kNeutral - p) / 10.0);
}

double responseWeightFromSlider(int position) {
    return kWeightSliderMax - clampSlider(position, 0, kWeightSliderMax);
}

double workingRangeWeightFromSlider(int position) {
    return responseWeightFromSlider(position) / kWeightSliderMax;
}

int sliderShownValue(int position) {
    return kWeightSliderMax - position;
}

std::array<std::string_view, 3> minImpedanceSliderLabels(bool tubeAmplifier) {
    if (tubeAmplifier) {
        return {"Übertrager 16 Ohm", "Übertrager 8 Ohm", "Übertrager 4 Ohm"};
    }
    return {"mögl. > 8 Ohm", "mögl. > 4 Ohm", "mögl. > 2 Ohm"};
}

void planeWeights(const PlaneWeightSliders& sliders, double (&weights)[kWeightDirections]) {
    constexpr double kFull = 100.0;
    // Outside the centre band: kBase - (kPerStep·b - kPerWidth·H).
    constexpr double kBase = 50.0;
    constexpr double kPerStep = 25.0;  // fall per 2.5° of distance
    constexpr double kPerWidth = 50.0; // rise per width step
    constexpr int kCentreBand = 2;     // steps of 2.5°: within 5° of the centre
    constexpr int kHalf = kWeightDirections / 2;
    const int h = clampSlider(sliders.width, 0, kWeightWidthMax);
    const int c = clampSlider(sliders.centre, -kWeightCentreLimit, kWeightCentreLimit);
    for (int k = -kHalf; k <= kHalf; ++k) {
        const int b = std::abs(2 * k - c);
        weights[k + kHalf] = b < kCentreBand
                                 ? kFull
                                 : std::clamp(kBase - (kPerStep * b - kPerWidth * h), 0.0, kFull);
    }
}

TFgangWeights fgangWeightsFromSliders(const WeightSliders& sliders) {
    TFgangWeights w{};
    planeWeights(sliders.horizontal, w.horweight);
    planeWeights(sliders.vertical, w.vertweight);
    return w;
}

double weightWidthShownDegrees(int width) {
    constexpr double kDegreesPerStep = 10.0;
    return kDegreesPerStep * width;
}

double weightCentreShownDegrees(int centre) {
    constexpr double kDegreesPerStep = 2.5;
    return kDegreesPerStep * centre;
}

std::string workingRangeHeader(int c, std::string_view name) {
    std::string header = std::to_string(c + 1);
    header += ": ";
    header += name;
    return header;
}

WorkingRangeGrid InitArbeitsfreqs(const WorkingRangeGrid& current, const TProjekt& projekt) {
    const int n = clampedDrivers(projekt.nChassis);
    bool matches = current.size() == static_cast<std::size_t>(n);
    for (int c = 0; matches && c < n; ++c) {
        matches = current[c].header == workingRangeHeader(c, projekt.chassis[c].name.view());
    }
    if (matches) {
        return current;
    }
    WorkingRangeGrid grid(n);
    for (int c = 0; c < n; ++c) {
        grid[c].header = workingRangeHeader(c, projekt.chassis[c].name.view());
    }
    return grid;
}

bool workingRangeInputEnabled(int nChassis) {
    return nChassis > 1;
}

void readWorkingRanges(const WorkingRangeGrid& grid, int nChassis, TBewertungsparameter& bewPara) {
    if (!workingRangeInputEnabled(nChassis)) {
        bewPara.vgFmin[0] = kSingleDriverFmin;
        bewPara.vgFmax[0] = kSingleDriverFmax;
        bewPara.vgPeg[0] = kSingleDriverPeg;
        return;
    }
    const int n = clampedDrivers(nChassis);
    for (int c = 0; c < n; ++c) {
        const WorkingRangeColumn& column =
            static_cast<std::size_t>(c) < grid.size() ? grid[c] : kResetColumn;
        bewPara.vgFmin[c] = parseFloat(column.lower).value;
        bewPara.vgFmax[c] = parseFloat(column.upper).value;
        bewPara.vgPeg[c] = std::pow(10.0, parseFloat(column.level).value / kDecibelFactor);
    }
}

TBewertungsparameter HoleAlleBewPara(const RatingSliders& sliders, const TFgangWeights& fgWeight,
                                     const WorkingRangeGrid& grid, int nChassis) {
    TBewertungsparameter p{};
    p.vgAmpTyp = sliders.tubeAmplifier ? 1 : 0;
    p.vgMinImpedanz = minImpedanceFromSlider(sliders.minImpedance, sliders.tubeAmplifier);
    p.vgWMaxPegel = maxLevelWeightFromSlider(sliders.maxLevel);
    p.vgBasspegel = tasteFromSlider(sliders.bassTaste);
    p.vgSHTPegel = tasteFromSlider(sliders.trebleTaste);
    p.vgWFgAchse = responseWeightFromSlider(sliders.directionalResponses);
    p.vgWFgEnergie = responseWeightFromSlider(sliders.energyResponse);
    p.vgMindBM = responseWeightFromSlider(kMinDirectivitySlider);
    p.vgWAB = workingRangeWeightFromSlider(sliders.workingRange);
    readWorkingRanges(grid, nChassis, p);
    p.vgfgWeight = fgWeight;
    return p;
}

} // namespace sonora
