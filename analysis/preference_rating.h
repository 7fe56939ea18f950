// The predicted preference rating of a loudspeaker from its spinorama curves, after the published
// regression model, with its four inputs: the narrow-band deviation on axis and of the predicted
// in-room response, the low-frequency extension and the smoothness of the in-room response.
#pragma once

#include <cstdint>
#include <string>

#include "model/fixed_text.h"

namespace sonora {

// The inputs of the model, in the order the tables show them.
enum class RatingInput : std::uint8_t { NbdOn, NbdPir, Lfx, SmPir };
inline constexpr int kRatingInputs = 4;

// Why an input could not be computed (German, Latin-1); empty when it was.
using RatingNote = FixedText<160>;

struct PreferenceRating {
    double input[kRatingInputs]; // NBD_ON (dB), NBD_PIR (dB), LFX (log10 Hz), SM_PIR (r²)
    bool inputOk[kRatingInputs];
    RatingNote note[kRatingInputs];
    double lfxHz; // the frequency behind LFX, Hz (0 when not computed)
    double score; // valid only with scoreOk
    double
        scoreWithSub; // with an ideal subwoofer: LFX = log10 14.5; valid only with scoreWithSubOk
    bool scoreOk;
    bool scoreWithSubOk;
};

// Short name of an input for tables and the command line: "NBD_ON", "NBD_PIR", "LFX", "SM_PIR".
const char* ratingInputName(RatingInput input);

// One input as the tables show it (Latin-1): "NBD_ON 0,412 dB", "LFX 1,619 (41,6 Hz)",
// "SM_PIR 0,873", or the name with the note: "NBD_ON: Kein Rasterpunkt im Halboktavband ...".
std::string ratingInputText(const PreferenceRating& rating, RatingInput input);
// "Bewertung 5,209" / "Bewertung mit idealem Subwoofer 7,104", or with ": nicht berechenbar" when
// an input it needs is missing.
std::string ratingScoreText(const PreferenceRating& rating, bool withSubwoofer);

// The model: 12.69 − 2.49·NBD_ON − 2.99·NBD_PIR − 4.31·LFX + 2.32·SM_PIR.
double preferenceScore(double nbdOn, double nbdPir, double lfx, double smPir);
// LFX of an ideal subwoofer: log10 of 14.5 Hz.
double idealSubwooferLfx();

// The rating from levels in dB on `n` grid points `freq` (Hz, rising): on axis, listening window,
// sound power and predicted in-room response. Each input that the grid cannot give is marked
// with a note instead of a number, and so is each score that needs it.
PreferenceRating ratePreference(const double* freq, int n, const double* onAxis,
                                const double* listeningWindow, const double* soundPower,
                                const double* inRoom);

// Mean absolute deviation from the band mean over the half-octave bands from 100 Hz to 12 kHz,
// averaged over the bands (dB). False, with a note, when a band holds no grid point.
bool narrowBandDeviation(const double* freq, int n, const double* level, double& nbd,
                         RatingNote& note);
// r² of the straight line through the level over log10 f from 100 Hz to 16 kHz.
bool smoothness(const double* freq, int n, const double* level, double& r2, RatingNote& note);
// log10 of the frequency below 300 Hz where the sound power falls 6 dB below the mean of the
// listening window from 300 Hz to 10 kHz; `hz` is that frequency.
bool lowFrequencyExtension(const double* freq, int n, const double* listeningWindow,
                           const double* soundPower, double& lfx, double& hz, RatingNote& note);

} // namespace sonora
