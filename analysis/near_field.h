// The sound field in the vertical plane in front of the shared cabinet: band choice, the drivers'
// directional responses over 181 angles, and the band level of every 30 mm cell.
#pragma once

#include <string>
#include <vector>

#include "model/complex.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

// The band choice of the near-field window: "1 Frequenz", "1 Terz", "1 Oktave".
enum class NearFieldBand { Frequenz = 0, Terz = 1, Oktave = 2 };

inline constexpr int kNearFieldMaxBand = 31;     // band frequencies taken part at most
inline constexpr int kNearFieldAngles = 181;     // angle index 0..180, 1° steps, 90 = on axis
inline constexpr double kNearFieldCell = 30.0;   // cell size, mm, in both directions
inline constexpr double kNearFieldFirstX = 60.0; // distance of the first column, mm
inline constexpr double kNearFieldTopY = 4000.0; // rows continue while the previous is below, mm
// Larger distances are taken as this, m: 200 m already make about 900 000 cells.
inline constexpr double kNearFieldDistanceLimit = 200.0;

// The window's entries with their start values.
struct NearFieldSettings {
    double maxSPL = 110;     // "max. SPL in dB": level of the first colour
    double step = 6;         // "SPL-Schritt in dB": width of one colour band
    double maxDistance = 20; // "max. Entfernung in m"
    NearFieldBand band = NearFieldBand::Frequenz;
    double listeningHeight = 1.2; // m above the cabinet's bottom edge, for the curves
    double distanceStep = 5;      // m between the curves
    bool autoUpdate = true;       // "Graph automatisch aktualisieren"
};

// A run of consecutive grid indices first .. first + count - 1.
struct NearFieldBandRange {
    int first = 0;
    int count = 0;
};

// The grid indices around `index` that make up the band. "1 Frequenz" is the index alone; "1 Terz"
// extends downwards while the next lower grid frequency is above 0.8909·f0 and upwards while the
// next higher one is below 1.1225·f0 (f0 = freq[index]); "1 Oktave" likewise with 0.7071 and
// 1.4142. The range never leaves the grid 0 .. nfreq - 1 and takes at most 31 indices (extending
// down and up in turn, so a long band stays centred). An index outside the grid gives count 0.
NearFieldBandRange selectNearFieldBand(const double* freq, int nfreq, int index,
                                       NearFieldBand band);

// "Frequenz: " + frequency with 5 significant digits + " Hz" (ASCII).
std::string nearFieldFrequencyLabel(double frequency);

// Colour index of a level: ceil((maxSPL - L)/step) limited to 0..13; louder than maxSPL takes 0,
// anything below the range (and a level that is not a number) 13. A step that is not positive
// leaves only the two ends.
int nearFieldColorIndex(double level, double maxSPL, double step);

// Direction of angle index a (0..180) of the cache in the terms of Interpolate_FGang_Chas: a < 91
// looks into the lower half-plane (lgrad π) at bgrad a°, a >= 91 into the upper one (lgrad 0) at
// bgrad (180 - a)°. Radians.
struct NearFieldDirection {
    double bgrad;
    double lgrad;
};
NearFieldDirection nearFieldDirection(int angleIndex);

// Angle index of a cell seen from a source: atan(dy/dx)·57.29577951 + 90, rounded, limited to
// 0..180 (mm or any common unit). dx = 0 counts as ±90° by the sign of dy, dx = dy = 0 as on axis.
int nearFieldAngleIndex(double dx, double dy);

// The front-sound responses of the drivers for every angle index and band slot:
// value(d, a, k) = Interpolate_FGang_Chas(res, first + k, d, side 0, nearFieldDirection(a)).
class NearFieldCache {
public:
    NearFieldCache() = default;
    // drivers x 181 x slots values, all 0 (tests and synthetic sources fill them with set).
    NearFieldCache(int drivers, int slots);

    int drivers() const { return drivers_; }
    int slotCount() const { return slots_; }
    const Complex& value(int d, int a, int k) const { return values_[offset(d, a, k)]; }
    void set(int d, int a, int k, Complex v) { values_[offset(d, a, k)] = v; }
    // The slots of one driver and angle, contiguous.
    const Complex* row(int d, int a) const { return &values_[offset(d, a, 0)]; }

private:
    int offset(int d, int a, int k) const { return (d * kNearFieldAngles + a) * slots_ + k; }
    int drivers_ = 0;
    int slots_ = 0;
    std::vector<Complex> values_;
};

// One call of Interpolate_FGang_Chas per driver below res.nChassis, angle and band slot.
NearFieldCache buildNearFieldCache(const TProjekt& p, const TResult& res,
                                   const NearFieldBandRange& band);

// A driver's front outlet in the plane of the map, mm: `x` forwards from the front plane, `y`
// above the cabinet's bottom edge.
struct NearFieldSource {
    double x;
    double y;
};

// The outlets of the drivers below res.nChassis: x = 1000·swstra, y = 1000·(swvert + h/2) with h
// the height of the shared cabinet.
std::vector<NearFieldSource> nearFieldSources(const TProjekt& p, const TResult& res);

// The band levels of the cell grid. Columns x = 60, 90, … mm while the previous value was below
// maxDistance·1000 (at least one); rows y = 0, 30, … 4020 mm. level[row·columns + column], dB.
struct NearFieldLevels {
    int columns = 0;
    int rows = 0;
    std::vector<double> level;
    double x(int column) const { return kNearFieldFirstX + kNearFieldCell * column; }
    double y(int row) const { return kNearFieldCell * row; }
    double at(int column, int row) const { return level[row * columns + column]; }
};

// Number of columns for a maximum distance in m (limited to kNearFieldDistanceLimit; not a
// number counts as 0) and the fixed number of rows.
int nearFieldColumns(double maxDistance);
int nearFieldRows();

// For every cell and band frequency f_k: p_k = Σ_d value(d, a_d, k)·(1000/r_d)·e^(-j·2π·f_k·r_d/
// 344000), r_d the distance from source d in mm and a_d its angle index; the level is
// 20·log10(sqrt(Σ_k |p_k|²/N)) + 112 dB (a silent cell gets the level of 1e-50). bandFreqs holds
// the N = cache.slotCount() frequencies, Hz; sources one entry per cache driver.
NearFieldLevels computeNearFieldLevels(const NearFieldCache& cache,
                                       const std::vector<NearFieldSource>& sources,
                                       const std::vector<double>& bandFreqs, double maxDistance);

// The band frequencies of a range, Hz.
std::vector<double> nearFieldBandFrequencies(const TResult& res, const NearFieldBandRange& band);

} // namespace sonora
