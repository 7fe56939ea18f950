// Tolerance analysis of a project: how far the spread of real parts and drivers moves the
// response. A Monte-Carlo run draws every crossover part and driver value within its tolerance,
// computes each drawn project on run objects of its own (incrementally: a trial that changes only
// crossover parts reruns only crossovers and the box) and gathers the quantiles of the kept
// curves; one central difference per part and driver value gives the sensitivity of the on-axis
// level.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "model/records.h"
#include "model/result.h"

namespace sonora {

enum class ToleranceDistribution : std::uint8_t {
    Uniform, // evenly within ± the tolerance
    Normal,  // normal, the tolerance being two standard deviations
};

// Tolerances in per cent of the nominal value (the level offset in dB); 0 leaves a value fixed.
struct ToleranceSettings {
    double resistors = 5.0;
    double capacitors = 5.0;
    double coils = 5.0;
    double coilResistance = 0.0; // winding resistance of the coils
    double fs = 10.0;
    double qes = 10.0; // the data sheet's Qts tolerance applies to Qes and Qms alike
    double qms = 10.0;
    double vas = 15.0;
    double re = 0.0;
    double le = 0.0;
    double levelDb = 1.0; // sensitivity of each driver, dB
    ToleranceDistribution distribution = ToleranceDistribution::Normal;
    int trials = 200;
    std::uint64_t seed = 1;
    int threads = 0;            // run objects computing at once; 0: one per processor core
    bool sensitivities = true;  // also the central difference per part and driver value
    bool lowerPriority = false; // run the run objects one step below normal priority
};

inline constexpr int kMaxToleranceTrials = 100000;
// Tolerances beyond these are no tolerances: per cent of a value, dB of a driver's level.
inline constexpr double kMaxTolerancePercent = 100.0;
inline constexpr double kMaxToleranceLevelDb = 20.0;
inline constexpr int kMaxToleranceThreads = 16;
inline constexpr double kSensitivityStep = 0.01; // ±1 % of the value
// The band over which the largest deviation and the largest sensitivity are taken, Hz.
inline constexpr double kToleranceBandLow = 200.0;
inline constexpr double kToleranceBandHigh = 15000.0;

// The spread of one kept curve per grid point over all trials (quantiles interpolated linearly
// between the sorted trials) and the nominal project's value.
struct ToleranceBand {
    std::vector<double> nominal, q05, q50, q95, min, max;
};

// Two drivers neighbouring in frequency (0-based slots) and where their on-axis responses cross.
struct TolerancePair {
    int low = 0, high = 0; // the one playing lower, the one playing higher
    double fNominal = 0;   // crossing of the nominal project, Hz
    // Phase of the lower driver minus the higher one (degrees) per grid point; each trial is
    // unwrapped against the nominal difference.
    ToleranceBand phaseCurve;
    // The same at each trial's own crossing (the one nearest the nominal crossing): nominal, 5 %,
    // 50 %, 95 %, min, max.
    double atCrossing[6] = {};
    double fCrossing[6] = {}; // the trials' crossing frequencies, same order
};

// What one part or driver value does to the on-axis level.
struct ToleranceSensitivity {
    std::string name;   // e.g. "C2 (Verstärker 1)", "Chassis 1 Tieftöner: fs" (Latin-1)
    int amp = -1;       // crossover part: amplifier and slot; else -1
    int slot = -1;      //
    int chassis = -1;   // driver value: driver slot; else -1
    int field = -1;     // ToleranceField of a driver value; for a coil's winding resistance -2
    double largest = 0; // largest |curve| over the band, dB per +1 %
    double fLargest = 0;
    std::vector<double> curve; // dB change of the on-axis level per +1 % of the value
};

enum class ToleranceField : std::uint8_t { Fs, Qes, Qms, Vas, Re, Le, Level };
inline constexpr int kToleranceFields = 7;
// "fs", "Qes", "Qms", "Vas", "Re", "Le", "Pegel".
const char* toleranceFieldName(ToleranceField f);

struct ToleranceResult {
    int trials = 0;
    std::vector<double> freq; // the result's grid
    ToleranceBand onAxis;     // dB
    ToleranceBand listeningWindow;
    std::vector<ToleranceBand> impedance; // |Z| each amplifier sees, Ohm
    std::vector<TolerancePair> pairs;
    // Largest |trial - nominal| of any trial over the band, dB, and the frequency.
    double deviationOnAxis = 0, fDeviationOnAxis = 0;
    double deviationListening = 0, fDeviationListening = 0;
    // Largest distance of the 5 % and 95 % quantiles from nominal over the band, dB.
    double envelopeOnAxis = 0;
    std::vector<ToleranceSensitivity> sensitivities; // from the most to the least sensitive
    int partsVaried = 0;                             // crossover values drawn per trial
    int valuesVaried = 0;                            // driver values drawn per trial
};

// One kept curve of a result: its caption ("Achse", "Hörfenster", "Impedanz Verstärker 1",
// "Phasendifferenz Chassis 1/2"; Latin-1), its unit ("dB", "Ohm", "Grad") and its band.
struct ToleranceCurve {
    std::string caption;
    std::string unit;
    const ToleranceBand* band = nullptr; // points into the result
};
// On axis, listening window, each amplifier's impedance, each pair's phase difference.
std::vector<ToleranceCurve> toleranceCurves(const ToleranceResult& r);

// The numbers of the summaries (Latin-1): dB, degrees and dB per per cent rounded to two
// decimals ("1,23"), frequencies to whole Hz ("2512 Hz").
std::string toleranceNumberText(double value);
std::string toleranceFrequencyText(double f);
// "Größte Abweichung auf Achse (200 Hz bis 15 kHz): 1,23 dB bei 2512 Hz; 5-%/95-%-Band bis
// 0,81 dB" (Latin-1).
std::string toleranceDeviationText(const ToleranceResult& r);

// Progress and cancelling. The callback is called from the run's own threads (never two at once)
// after each finished calculation: done of total calculations.
struct ToleranceControl {
    std::function<void(int done, int total)> progress;
    const std::atomic<bool>* cancel = nullptr; // set to stop after the running calculations
};

enum class ToleranceStatus : std::uint8_t { Ok, Cancelled, Failed };

// Computes the analysis on the calling thread (which waits for the run objects). `error` gets the
// German reason (Latin-1) of a failed run: the nominal project or a trial that does not compute.
// Same project, settings and seed give the same numbers for any number of threads.
ToleranceStatus computeTolerance(const TProjekt& project, const ToleranceSettings& settings,
                                 ToleranceResult& result, const ToleranceControl& control,
                                 std::string& error);

// The factor a trial applies to the nominal value for a drawn quantity, from a standard draw
// `u` (uniform in [0, 1)) and `z` (standard normal): 1 + t (2u - 1) or 1 + z t / 2, t the
// tolerance as a fraction; never below 0.01 (a part does not change sign).
double toleranceFactor(ToleranceDistribution d, double tolerancePercent, double u, double z);

// The same on a thread of its own, for a window: start() returns at once; poll finished() or
// wait(); cancel() asks the run to stop after its running calculations.
class ToleranceJob {
public:
    ToleranceJob() = default;
    ~ToleranceJob(); // cancels and joins
    ToleranceJob(const ToleranceJob&) = delete;
    ToleranceJob& operator=(const ToleranceJob&) = delete;

    // False while a run is going on.
    bool start(const TProjekt& project, const ToleranceSettings& settings,
               std::function<void(int done, int total)> progress = {});
    void cancel() { cancel_ = true; }
    bool finished() const { return finished_.load(); }
    void wait();
    // Valid once finished().
    ToleranceStatus status() const { return status_; }
    const ToleranceResult& result() const { return result_; }
    const std::string& error() const { return error_; }

private:
    std::unique_ptr<TProjekt> project_;
    ToleranceResult result_;
    ToleranceStatus status_ = ToleranceStatus::Ok;
    std::string error_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{true};
    std::thread worker_;
};

} // namespace sonora
