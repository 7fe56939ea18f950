// Active filter stages of an amplifier output: transfer functions, captions, checks and the rules
// of the active-filter editor. Pure functions, shared by the calculation stage, the optimizer and
// the editor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/complex.h"
#include "model/records.h"

namespace sonora {

// The values of TFilter::typ, in the order of the editor's list.
enum class FilterKind : std::int32_t {
    None = 0,                   // "kein Filter"
    HighPass1 = 1,              // "Hochpass 1. Ordnung"
    HighPass2 = 2,              // "Hochpass 2. Ordnung"
    LowPass1 = 3,               // "Tiefpass 1. Ordnung"
    LowPass2 = 4,               // "Tiefpass 2. Ordnung"
    ShelfHigh1 = 5,             // "Kuhschwanzfilter hoch"
    ShelfLow1 = 6,              // "Kuhschwanzfilter tief"
    BandPass = 7,               // "Bandpass"
    ParametricEq = 8,           // "parametrischer Equalizer"
    ButterworthHighPass = 9,    // "Butterworth-Hochpass"
    ButterworthLowPass = 10,    // "Butterworth-Tiefpass"
    LinkwitzRileyHighPass = 11, // "Linkwitz-Riley-Hochpass"
    LinkwitzRileyLowPass = 12,  // "Linkwitz-Riley-Tiefpass"
    Delay = 13,                 // "Verzögerung / Delay"
    ShelfHigh2 = 14,            // "Shelving 2. Ordnung hoch"
    ShelfLow2 = 15,             // "Shelving 2. Ordnung tief"
    LinkwitzTransform = 16,     // "Linkwitzfilter"
    AllPass1 = 17,              // "Allpassfilter 1. Ordnung"
    AllPass2 = 18,              // "Allpassfilter 2. Ordnung"
};
inline constexpr int kFilterKinds = 19;
constexpr std::int32_t typOf(FilterKind k) {
    return static_cast<std::int32_t>(k);
}

inline constexpr int kMaxFilterOrder = 128;    // highest Butterworth / Linkwitz-Riley order
inline constexpr int kFallbackFilterOrder = 2; // what an invalid order is replaced by
// Beyond this order a Butterworth chain (one section per two orders, per grid point) would keep a
// run busy for minutes; a damaged file with such an order gets the stage's arithmetic fault.
inline constexpr int kMaxComputedFilterOrder = 4096;
inline constexpr double kMinFilterGain = 1e-10; // -200 dB, lowest allowed gain parameter `a`
inline constexpr double kMaxFilterGain = 1e10;  // +200 dB, highest allowed gain parameter `a`

// ---- Captions -----------------------------------------------------------------------------------

// The editor's list of filter kinds, index = typ, as Latin-1 texts.
std::vector<std::string> activeFilterCaptions();
// The caption of one kind (Latin-1); empty for a typ outside 0 .. 18.
std::string activeFilterCaption(int typ);

// ---- Transfer functions -------------------------------------------------------------------------

// Butterworth low-pass and high-pass of order n at the normalised frequency x = f_grid / f_corner:
// for odd n one first-order section and (n - 1)/2 second-order ones, for even n n/2 second-order
// sections. n < 1 gives 1 (no section).
Complex butterworthLowPass(double x, int n);
Complex butterworthHighPass(double x, int n);

// Whether the editor accepts the order of a Butterworth (typ 9, 10: 1 .. 128) or Linkwitz-Riley
// stage (typ 11, 12: 2, 4 .. 128); other kinds always. The calculation does not use this rule: it
// computes whatever order the record holds (see activeFilterResponse).
bool editorAcceptsFilterOrder(const TFilter& fil);

// The factor one stage multiplies the chain by at the grid frequency fGrid (Hz, > 0). typ 0 and
// kinds outside 0 .. 18 give 1. Butterworth and Linkwitz-Riley stages use the order `n` as stored:
// an order below 1 (Linkwitz-Riley: below 2) has no section and gives 1, an odd Linkwitz-Riley
// order applies the Butterworth of order n/2 (rounded down) twice, and an order above
// kMaxComputedFilterOrder gives NaN, which the stage reports as its arithmetic fault. Parameters
// are not checked: bad values may give infinities or NaN, which the caller has to test for (see
// validateAktfilter).
Complex activeFilterResponse(const TFilter& fil, double fGrid);

// The whole chain at fGrid: pegel times the factors of all 12 stages in signal order.
Complex aktfilterResponse(const TAktfilter& akt, double fGrid);

// ---- Checks of the calculation stage ------------------------------------------------------------

// The message of the last failing check of one stage (Latin-1, starting with ": "), or nothing.
// Checks in order: corner frequency `f` (all kinds but 0 and 13), `q`, for typ 16 `qch` and `fch`,
// the gain `a` within kMinFilterGain .. kMaxFilterGain. NaN passes every check (the comparisons
// are false); it is caught as an arithmetic fault when the response is calculated.
std::optional<std::string> filterStageFault(const TFilter& fil);

// The stage text for the last failing check of the level and the 12 stages, "Fehler: Aktives
// Filter an Verstärker <amp + 1>: ..." (Latin-1), or nothing when all checks pass.
std::optional<std::string> validateAktfilter(const TAktfilter& akt, int amp);

// The stage text for a response that cannot be calculated (arithmetic fault, non-finite value).
std::string activeFilterArithmeticFaultText(int amp);

// ---- Editor rules -------------------------------------------------------------------------------

// For typ 9 and 10 an order outside 1 .. 128, for typ 11 and 12 an order below 2, odd or above 128
// is replaced by 2; the message for the user (Latin-1) is returned then. Other kinds and valid
// orders stay as they are and give nothing.
std::optional<std::string> clampFilterOrder(TFilter& fil);

// The level entered in dB, or nothing when the entry is not a number. An entry that gives no
// finite positive gain resets the level to 0 dB (pegel 1) with the message.
struct LevelEntry {
    double pegel;                       // linear gain
    std::optional<std::string> message; // Latin-1, only when the entry was replaced
};
LevelEntry levelFromDbEntry(std::optional<double> dB);
double levelToDb(double pegel); // 20 * log10(pegel), what the editor shows

// The parameters the editor lists for a kind, in its order, with their captions.
enum class FilterField { F, Q, A, T, N, Fch, Qch };
struct FilterParameter {
    FilterField field;
    std::string_view caption; // ASCII
};
inline constexpr std::string_view kParameterColumnCaption = "Parameter";
inline constexpr std::string_view kValueColumnCaption = "Wert";
std::vector<FilterParameter> filterParameters(int typ);

// A field in the editor's units (a in dB, t in ms, the others as stored) and back. Entries are
// stored unchecked; the order rule is clampFilterOrder.
double filterFieldForDisplay(const TFilter& fil, FilterField field);
void setFilterFieldFromEntry(TFilter& fil, FilterField field, double entry);

} // namespace sonora
