// The optimizer window's rating controls as plain values (slider positions, the weights window,
// the working-range grid) and the reader that turns them into TBewertungsparameter.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/records.h"
#include "optimizer/rating.h"

namespace sonora {

// Slider ranges; every slider runs from position 0.
inline constexpr int kMinImpedanceSliderMax = 8; // "Verstärker min. Impedanz"
inline constexpr int kTasteSliderMax = 6;        // "Hörgeschmack Bass", "Hörgeschmack Höhen"
inline constexpr int kWeightSliderMax = 10;      // the other sliders
// The minimum-directivity slider is not shown; its position stays here.
inline constexpr int kMinDirectivitySlider = 8;

// Positions of the rating controls in the optimizer window, with the window's start values.
struct RatingSliders {
    bool tubeAmplifier = false;   // check box "Röhrenverstärker"
    int minImpedance = 5;         // "Verstärker min. Impedanz", 0..8
    int maxLevel = 6;             // "Maximalpegel", 0..10
    int bassTaste = 3;            // "Hörgeschmack Bass", 0 "kräftig" .. 6 "schlank"
    int trebleTaste = 3;          // "Hörgeschmack Höhen", 0 "strahlend" .. 6 "englisch"
    int directionalResponses = 0; // "Frequenz- gänge", 0..10
    int energyResponse = 6;       // "Energie- Frequenzgang", 0..10
    int workingRange = 10;        // "Vorgabe Arbeits- frequenzbereich", 0..10
};

// The button "Defaultwerte setzen": resets the four weight sliders, keeps the others.
void setRatingDefaults(RatingSliders& sliders);

// Slider positions to parameters. Positions outside a slider's range are clamped to it.
// vgMinImpedanz, Ohm: 8 Ohm (16 Ohm with a tube amplifier) halved every 4 positions.
double minImpedanceFromSlider(int position, bool tubeAmplifier);
// vgWMaxPegel: 1 at position 0 down to 0 at 10.
double maxLevelWeightFromSlider(int position);
// vgBasspegel and vgSHTPegel, linear: +3 dB at 0, 1 at 3, -3 dB at 6.
double tasteFromSlider(int position);
// vgWFgAchse, vgWFgEnergie and vgMindBM: 10 at position 0 down to 0 at 10.
double responseWeightFromSlider(int position);
// vgWAB: 1 at position 0 down to 0 at 10.
double workingRangeWeightFromSlider(int position);
// The number shown beside a 0..10 slider.
int sliderShownValue(int position);
// Labels of the minimum-impedance slider at positions 0, 4 and 8 (UTF-8).
std::array<std::string_view, 3> minImpedanceSliderLabels(bool tubeAmplifier);

// Weights window "Sonora-Optimierer Frequenzganggewichtung": width H and centre C of each plane.
inline constexpr int kWeightWidthMax = 9;     // H = 0 "fokussiert" .. 9 "breit" ("verteilt")
inline constexpr int kWeightCentreLimit = 12; // C = -12 .. 12
struct PlaneWeightSliders {
    int width = 1;  // H, shown as H·10°
    int centre = 0; // C, shown as C·2.5°: "links"/"rechts", vertically "nach unten"/"nach oben"
};
struct WeightSliders {
    PlaneWeightSliders horizontal;
    PlaneWeightSliders vertical;
};

// The 19 weights 0..100 of one plane for width H and centre C (clamped to their ranges). With b
// the distance of direction k (angle 5·k degrees) from the centre in 2.5° steps, b = |2k - C|:
// 100 for b < 2, otherwise 50 - (25·b - 50·H) clamped to 0..100.
void planeWeights(const PlaneWeightSliders& sliders, double (&weights)[kWeightDirections]);
TFgangWeights fgangWeightsFromSliders(const WeightSliders& sliders);
double weightWidthShownDegrees(int width);   // H·10°
double weightCentreShownDegrees(int centre); // C·2.5°

// The working-range grid: one column per driver.
inline constexpr char kWorkingRangeLowerTitle[] = "Untere Grenze des Arbeitsbereich [Hz]";
inline constexpr char kWorkingRangeUpperTitle[] = "Obere Grenze des Arbeitsbereich [Hz]";
inline constexpr char kWorkingRangeLevelTitle[] = "zulässiger Pegel an den Grenzen [dB]"; // UTF-8
struct WorkingRangeColumn {
    std::string header;          // driver number from 1, ": ", driver name (Latin-1)
    std::string lower = "0";     // Hz
    std::string upper = "99999"; // Hz
    std::string level = "-6";    // dB
};
using WorkingRangeGrid = std::vector<WorkingRangeColumn>;

// Header of driver c (index from 0) with its name.
std::string workingRangeHeader(int c, std::string_view name);
// InitArbeitsfreqs: the grid to show for the drivers of `projekt`. The current entries stay when
// the columns match the drivers (count and every header); otherwise every column is reset.
WorkingRangeGrid InitArbeitsfreqs(const WorkingRangeGrid& current, const TProjekt& projekt);
// With one driver (or none) the grid, the working-range slider and its labels are disabled.
bool workingRangeInputEnabled(int nChassis);
// Fills vgFmin, vgFmax and vgPeg from the grid: with one driver the whole range at level 1; with
// more, column c for driver c, the level converted from dB. A missing column reads as the reset
// values "0", "99999", "-6".
void readWorkingRanges(const WorkingRangeGrid& grid, int nChassis, TBewertungsparameter& bewPara);

// HoleAlleBewPara: the rating parameters from the window's controls, the weights window's current
// weights and the working-range grid for a project with nChassis drivers. The window copies the
// result into each optimizer run object.
TBewertungsparameter HoleAlleBewPara(const RatingSliders& sliders, const TFgangWeights& fgWeight,
                                     const WorkingRangeGrid& grid, int nChassis);

} // namespace sonora
