// Fitting of the voice-coil model (Le in series, Re2 || Le2 and Re3 || Le3) to a driver's measured
// impedance magnitude, and the driver editor's question around it.
#pragma once

#include <string>
#include <vector>

#include "model/records.h"

namespace sonora {

class UserPrompt;

// Fewer measured points than this from 1.2 fs upward are refused.
inline constexpr int kMinFitPoints = 6;

// The measured impedance, sorted by frequency, with the driver's values the model needs.
struct VoiceCoilCurve {
    std::vector<double> f; // Hz, ascending, all > 0
    std::vector<double> z; // measured magnitude at f, Ohm
    double fs = 0.0;       // resonance frequency, Hz
    double Rdc = 0.0;      // Ohm
    double Rms = 0.0;      // motional resistance, Ohm
    double Cms = 0.0;      // motional capacitance (the moving mass), F
    double Lms = 0.0;      // motional inductance (the compliance), H
};

// The points of fgangif/fgangi before the first frequency that is not > 0 (at most 601), sorted by
// frequency with each magnitude moving with its frequency, and fs, Rdc, Rms, Cms, Lms of `chassis`.
VoiceCoilCurve voiceCoilCurve(const TChassis& chassis);

// |Rdc + jwLe + Re3 || jwLe3 + Re2 || jwLe2 + Rms || 1/(jwCms) || jwLms| at f (Hz).
double voiceCoilModelMagnitude(const VoiceCoilCurve& curve, double f, double Le3, double Re3,
                               double Le2, double Re2, double Le);

// The five values of the voice-coil model, Ohm and H.
struct VoiceCoilValues {
    double Le, Re2, Le2, Re3, Le3;
};

// Index of the first smallest magnitude among the points at or above 1.2 fs, or -1 when fewer than
// kMinFitPoints points lie there.
int voiceCoilMinimumIndex(const VoiceCoilCurve& curve);

// Where the search starts, from the minimum at index m: Re3 = 1.2 (|Z|[m] - Rdc) + 1e-6 (1e-6 when
// that is not above 0), Le3 = Re3 / (2 * 3.14159 * f[m]) + 1e-6, Re2 = Rdc, Le2 = Le = 0.5 mH.
VoiceCoilValues voiceCoilStartValues(const VoiceCoilCurve& curve, int m);

// The error of one parameter set: the squared magnitude differences over the points above 2 fs,
// those within a tenth of that count of the minimum's index `m` counted twice. Reads the first
// `n` points of the curve (fewer when the curve is shorter).
double VoiceCoilError(const VoiceCoilCurve& curve, int m, int n, double Le3, double Re3, double Le2,
                      double Re2, double Le);

// Fits Le, Re2, Le2, Re3, Le3 of `chassis` to its measured impedance, using the chassis' Rms, Cms
// and Lms as they are. The record's curve keeps its order (a sorted copy is fitted). False with the
// German message (Latin-1) in `message`, and the record unchanged, when fewer than kMinFitPoints
// points lie at or above 1.2 fs; `message` is empty on success.
bool FitVoiceCoil(TChassis& chassis, std::string& message);
// The same for callers without a place to show the message (the file readers).
bool FitVoiceCoil(TChassis& chassis);

// The driver editor's result text: "Es wurde errechnet:", the five values in mH and Ohm, each on
// its own line, and the question whether to take them over (Latin-1, lines ended by CR LF).
std::string voiceCoilResultText(const TChassis& fitted);

// The editor button: fits a copy of `chassis` with the motional values of the bare driver (mounting
// kind 0, as the impedance is measured), shows the refusal or asks with the result text and
// " &Ja |&Nein" (default "Nein"). Only "Ja" copies the five values into `chassis`; returns whether
// it did.
bool offerVoiceCoilFit(TChassis& chassis, UserPrompt& prompt);

// The fit owed to drivers read from files of version 1000, which lack the voice-coil values: the
// readers take it as their OldFileVoiceCoilFit. Fits Le .. Le3 with the motional values of the
// bare driver, which are left in the record (Rms = Rdc qms / qes, Cms = qes / (2 pi fs Rdc),
// Lms = Rdc / (2 pi fs qes)). False, and the voice-coil values unchanged, when the curve has too
// few points or Rdc, qes, qms or fs is not > 0.
bool fitVoiceCoilOfOldFile(TChassis& chassis);

} // namespace sonora
