// Directivity data of the main window: the magnitudes of the box's horizontal and vertical
// responses over frequency, the view options of the directivity map, its band limits, reference
// and map values, and the angle sets of the chart of directional responses.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "model/fixed_text.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

// Colour bands of the directivity map, from the loudest to the quietest.
inline constexpr int kDirBands = 14;
// Angle index of the axis in the 361-angle arrays (index a <-> angle a − 180°).
inline constexpr int kAxisAngleIndex = 180;

// One plot data set. About 2.2 MB: keep it on the heap (makeDirData).
struct TDirData {
    bool valid;
    FixedText<34> Legende;
    std::int32_t nvalues; // grid frequencies in use
    TColor color;
    double x[kResultFreqs];                // grid frequencies, Hz
    double y[kResultFreqs][kPlaneAngles];  // |p| / reference of the current map view
    double yh[kResultFreqs][kPlaneAngles]; // |p| of the horizontal responses (1 = 112 dB)
    double yv[kResultFreqs][kPlaneAngles]; // |p| of the vertical responses
};

// A zeroed, invalid data set.
std::unique_ptr<TDirData> makeDirData();

// Takes a result in: valid, the grid, and the magnitudes of fgang_box_h and fgang_box_v for every
// grid index below nfreq. `y` is left for the map to compute.
void Fill(TDirData& d, const TResult& r);

// View options of the tab "Richtungsplots" with the window's defaults.
struct DirViewOptions {
    bool vertical = false;       // "vertikales Abstrahlverhalten zeigen"
    bool fixedReference = false; // "0 dB bei fixem Pegel" instead of "0 dB bestimmen aus ..."
    int referenceAngleItem = 9;  // item of "0 dB bei -90°" … "0 dB bei 90°": 9 = "0 dB bei 0°"
    std::string fixedLevel = "87"; // level field of the fixed reference, dB
    int bandWidthItem = 5;         // item of "0,5 dB" … "6 dB": 5 = "3 dB"
    bool noJumpAtZero = true;      // "kein Farbsprung bei 0 dB"
    bool range90 = false;          // "±90° statt ±180° zeigen"
};

inline constexpr int kReferenceAngleItems = 19; // -90° … 90° in 10° steps
inline constexpr int kBandWidthItems = 12;      // 0.5 dB … 6 dB in 0.5 dB steps

// Captions of the two lists ("0 dB bei -90°", "3 dB"; Latin-1).
std::string referenceAngleCaption(int item);
std::string bandWidthCaption(int item);

// Band limits of the map, dB: 14 bands of width s between upper and lower.
struct BandLimits {
    double lower;
    double upper;
};
// With item k: s = 0.5·(k + 1) dB, lower = −10·s, upper = 4·s; without a colour jump at 0 dB both
// are raised by half a band so that 0 dB lies in the middle of one. k is clamped to the list.
BandLimits bandLimits(int bandWidthItem, bool noJumpAtZero);

// The reference of the map: with the fixed level L the magnitude 10^((L − 112)/20); 0 stands for
// the per-frequency reference at referenceAngleIndex.
double dirReference(const DirViewOptions& o);
// Angle index of the per-frequency reference: 180 + the chosen angle (10° steps from −90°).
int referenceAngleIndex(const DirViewOptions& o);

// y := v / ref, or v / (v at referenceAngleIndex + 1e-20) per frequency when ref is 0, where v is
// yv for the vertical view and yh otherwise; for the first nvalues grid indices.
void computeMapValues(TDirData& d, bool vertical, double ref, int refAngleIndex);

// Title and note above the map, and the title of its y axis (Latin-1).
std::string dirMapTitle(bool vertical);
std::string dirMapNote(bool vertical);
std::string dirMapAxisTitle();

// The colours of the bands, loudest first, as TColor values (blue-green-red byte order).
const std::array<TColor, kDirBands>& dirBandColors();

// Angle sets of the chart "F-Gang Richtungen": seven angles each, degrees.
inline constexpr int kDirectionAngleSets = 4;
inline constexpr int kAnglesPerSet = 7;
inline constexpr int kDefaultDirectionAngleSet = 2; // "0, 15, 30, 45, 60, 75 und 90°"
const std::array<int, kAnglesPerSet>& directionAngleSet(int set);
std::string directionAngleSetCaption(int set); // Latin-1

// The map object of the main window: the current data set, the remembered one of the reference
// project and the frequency range of the display options.
class TDirPlot {
public:
    TDirPlot();

    // After every calculation: the result's data and the display range fmin, fmax.
    void Fill(const TResult& r, const TAnzOption& display);
    // "Projekt als Referenz merken" / "Referenzprojekt löschen".
    void Copy2Merk();
    void ClearMerk();

    TDirData& DirData() { return *dirData_; }
    const TDirData& DirData() const { return *dirData_; }
    const TDirData& MerkDirData() const { return *merkDirData_; }

    double fmin = 20;    // Hz, left end of the frequency axis
    double fmax = 20000; // Hz, right end

private:
    std::unique_ptr<TDirData> dirData_;
    std::unique_ptr<TDirData> merkDirData_;
};

} // namespace sonora
