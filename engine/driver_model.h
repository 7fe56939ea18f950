// The driver in its enclosure as a lumped circuit seen from the voice-coil terminals.
//
// Pure functions over TChassis, TEinbau and a frequency grid: the driver editor, project loading,
// the driver stage of a run and the optimizer all call them. Texts returned are Latin-1 bytes, as
// every core text.
#pragma once

#include <string>

#include "model/complex.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {

class TCalcThread;

// Frequency at which the editor and project loading derive the driver values: so low that the
// frequency-dependent air-load factor equals mb, Hz.
inline constexpr double kDeriveAtDc = 1e-10;

// What SimulateDriver computes per grid point (index as the grid, at most 256 points).
struct DriverResponse {
    Complex Z[kResultFreqs];      // terminal impedance, Ohm
    Complex Pfront[kResultFreqs]; // diaphragm response (front vent in bandpass kinds); 1 = 112 dB
    Complex Prear[kResultFreqs];  // vent response, negative sign included; 0 where there is none
    Complex X[kResultFreqs];      // excursion in the real part, m (2.83 V)
};

// Turns the damping sliders of a mounting into vV, mb, fmb, Ql, Qb, Qk and their front-chamber
// twins. Does nothing when einbau.mbQExpl is set (the user entered these values).
void DeriveMountingLosses(const TChassis& chassis, TEinbau& einbau);

// Derived Thiele-Small and circuit values of the driver in its mounting at frequency f (Hz): Vab,
// Vabf, Qts, Qesbg, Qmsbg, Qtsbg, fsbg, fc, Qec, Qmc, Qtc, Cms, Lms, Rms, Lab, Rab, Cbr, Rbr,
// Labf, Rabf, Cbrf, Rbrf, Cmd, Mmd, Rmd, Bl, Spl. Call with kDeriveAtDc for the values the editor
// shows.
void DeriveDriverValues(TChassis& chassis, const TEinbau& einbau, double f);

// The values the editor shows for a driver in its mounting: the mounting's losses from its damping
// sliders (DeriveMountingLosses), then the derived values at kDeriveAtDc.
void deriveAsMounted(TChassis& chassis, TEinbau& einbau);

// deriveAsMounted for every driver in use, as after reading a project file.
void recomputeDerivedDriverValues(TProjekt& project);

// Validates driver and mounting and evaluates the circuit over the grid `freq` (Hz, ended by an
// entry <= 0; at most kResultFreqs - 1 points are read). Returns "OK" or the collected German
// messages. `chassis` receives a vas derived from _SPL where vas is missing, and the derived values
// of the last grid point. `out` holds zeros everywhere on failure, and never a non-finite number.
std::string SimulateDriver(TChassis& chassis, const TEinbau& einbau, const double* freq,
                           DriverResponse& out);

// The mounting and the baffle on which a driver's response was measured (`fgang_which` 1..8).
// Values without a substitution (5, and anything unknown) leave the record unchanged. The mounting
// substitution is meant for drivers whose own mounting typ is >= 1; the caller checks that.
void substituteMeasurementMounting(int fgangWhich, TEinbau& einbau);
void substituteMeasurementBaffle(int fgangWhich, TSchallwand& schallwand);

// The on-axis response of a baffle as the baffle diffraction model computes it: the driver stage
// needs it for the substituted measurement baffle to take the baffle out of a measured response.
// The baffle model provides the implementation (direction 0 of its 90-direction response for the
// given baffle and driver); the driver stage only calls it.
class MeasurementBaffle {
public:
    virtual ~MeasurementBaffle() = default;
    // Fills axis[i] for every point of the grid `freq` (ended by an entry <= 0, at most
    // kResultFreqs - 1 points). Returns "OK" or the baffle model's German message (Latin-1).
    // Called from several run objects at once: must not change shared state.
    virtual std::string axisResponse(const TSchallwand& schallwand, const TChassis& chassis,
                                     const double* freq, Complex* axis) const = 0;
};

// The baffle model the driver stage of every run object uses: the program's own diffraction model
// unless another one was set (tests set their own). Set it before any calculation; null restores
// the program's model.
void setMeasurementBaffle(const MeasurementBaffle* model);
const MeasurementBaffle* measurementBaffle();

// The driver stage with an explicit baffle model (CalcDriver uses measurementBaffle()).
void CalcDriverWithBaffle(TCalcThread& calc, int chassis, const MeasurementBaffle& baffle);

} // namespace sonora
