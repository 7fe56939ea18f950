#include "analysis/preference_rating.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "storage/numbers.h"

namespace sonora {

namespace {

// Coefficients of the regression model.
constexpr double kIntercept = 12.69;
constexpr double kWeightNbdOn = 2.49;
constexpr double kWeightNbdPir = 2.99;
constexpr double kWeightLfx = 4.31;
constexpr double kWeightSmPir = 2.32;
constexpr double kIdealSubwooferHz = 14.5; // low-frequency extension of an ideal subwoofer

// Ranges of the inputs, Hz.
constexpr double kNbdLow = 100.0;
constexpr double kNbdHigh = 12000.0;
constexpr int kNbdBands = 14; // half-octave bands from 100 Hz; the last one ends at 12 kHz
constexpr double kSmLow = 100.0;
constexpr double kSmHigh = 16000.0;
constexpr int kSmMinPoints = 3;       // a line through two points always fits
constexpr double kLfxSearchTop = 300; // the search for the -6 dB point starts here, downwards
constexpr double kLfxMeanLow = 300.0; // range of the listening window's mean
constexpr double kLfxMeanHigh = 10000.0;
constexpr double kLfxDrop = 6.0; // dB below that mean

// A grid point counts as lying on a range end when it misses it by less than this fraction: the
// grid is built by repeated multiplication and seldom hits 100 Hz exactly.
constexpr double kEdgeTolerance = 1e-9;
// Below this spread (dB²) a level is taken as constant: the line through it fits exactly.
constexpr double kConstantSpread = 1e-20;

std::string hz(double f) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", f);
    return buf;
}

// The grid must rise strictly and hold finite positive frequencies; every range search relies on
// it. A damaged result gives a note instead of a number.
bool gridIsUsable(const double* freq, int n, RatingNote& note) {
    for (int i = 0; i < n; ++i) {
        const bool ok = std::isfinite(freq[i]) && freq[i] > 0 && (i == 0 || freq[i] > freq[i - 1]);
        if (!ok) {
            note.assign("Das Frequenzraster ist nicht aufsteigend.");
            return false;
        }
    }
    return true;
}

bool gridReaches(const double* freq, int n, double low, double high, RatingNote& note) {
    if (n <= 0 || freq[0] > low * (1 + kEdgeTolerance) ||
        freq[n - 1] < high * (1 - kEdgeTolerance)) {
        note.assign("Das Frequenzraster reicht nicht von " + hz(low) + " Hz bis " + hz(high) +
                    " Hz.");
        return false;
    }
    return true;
}

bool inRange(double f, double low, double high) {
    return f >= low * (1 - kEdgeTolerance) && f <= high * (1 + kEdgeTolerance);
}

bool levelsFinite(const double* freq, int n, const double* level, double low, double high,
                  RatingNote& note) {
    for (int i = 0; i < n; ++i) {
        if (inRange(freq[i], low, high) && !std::isfinite(level[i])) {
            note.assign("Der Pegel bei " + hz(freq[i]) + " Hz ist keine endliche Zahl.");
            return false;
        }
    }
    return true;
}

} // namespace

const char* ratingInputName(RatingInput input) {
    switch (input) {
    case RatingInput::NbdOn:
        return "NBD_ON";
    case RatingInput::NbdPir:
        return "NBD_PIR";
    case RatingInput::Lfx:
        return "LFX";
    case RatingInput::SmPir:
        return "SM_PIR";
    }
    return "";
}

std::string ratingInputText(const PreferenceRating& rating, RatingInput input) {
    constexpr int kWidth = 5; // "0,412", "41,63"
    const int k = static_cast<int>(input);
    const std::string name = ratingInputName(input);
    if (k < 0 || k >= kRatingInputs) {
        return {};
    }
    if (!rating.inputOk[k]) {
        return name + ": " + rating.note[k].str();
    }
    std::string text = name + " " + compactNumberText(kWidth, rating.input[k]);
    switch (input) {
    case RatingInput::NbdOn:
    case RatingInput::NbdPir:
        text += " dB";
        break;
    case RatingInput::Lfx:
        text += " (" + compactNumberText(kWidth, rating.lfxHz) + " Hz)";
        break;
    case RatingInput::SmPir:
        break;
    }
    return text;
}

std::string ratingScoreText(const PreferenceRating& rating, bool withSubwoofer) {
    constexpr int kWidth = 5;
    const std::string name = withSubwoofer ? "Bewertung mit idealem Subwoofer" : "Bewertung";
    const bool ok = withSubwoofer ? rating.scoreWithSubOk : rating.scoreOk;
    if (!ok) {
        return name + ": nicht berechenbar";
    }
    return name + " " +
           compactNumberText(kWidth, withSubwoofer ? rating.scoreWithSub : rating.score);
}

double preferenceScore(double nbdOn, double nbdPir, double lfx, double smPir) {
    return kIntercept - kWeightNbdOn * nbdOn - kWeightNbdPir * nbdPir - kWeightLfx * lfx +
           kWeightSmPir * smPir;
}

double idealSubwooferLfx() {
    return std::log10(kIdealSubwooferHz);
}

bool narrowBandDeviation(const double* freq, int n, const double* level, double& nbd,
                         RatingNote& note) {
    note.clear();
    if (!gridIsUsable(freq, n, note) || !gridReaches(freq, n, kNbdLow, kNbdHigh, note) ||
        !levelsFinite(freq, n, level, kNbdLow, kNbdHigh, note)) {
        return false;
    }
    double sum = 0;
    for (int b = 0; b < kNbdBands; ++b) {
        // Band b covers [100·2^(b/2), 100·2^((b+1)/2)); the last one is closed at 12 kHz. A
        // point on an edge belongs to the upper band.
        const double low = kNbdLow * std::exp2(0.5 * b);
        const bool last = b == kNbdBands - 1;
        const double high = last ? kNbdHigh : kNbdLow * std::exp2(0.5 * (b + 1));
        auto inBand = [&](double f) {
            return f >= low * (1 - kEdgeTolerance) &&
                   (last ? f <= high * (1 + kEdgeTolerance) : f < high * (1 - kEdgeTolerance));
        };
        double mean = 0;
        int count = 0;
        for (int i = 0; i < n; ++i) {
            if (inBand(freq[i])) {
                mean += level[i];
                ++count;
            }
        }
        if (count == 0) {
            note.assign("Kein Rasterpunkt im Halboktavband " + hz(low) + " Hz bis " + hz(high) +
                        " Hz.");
            return false;
        }
        mean /= count;
        double deviation = 0;
        for (int i = 0; i < n; ++i) {
            if (inBand(freq[i])) {
                deviation += std::abs(level[i] - mean);
            }
        }
        sum += deviation / count;
    }
    nbd = sum / kNbdBands;
    return true;
}

bool smoothness(const double* freq, int n, const double* level, double& r2, RatingNote& note) {
    note.clear();
    if (!gridIsUsable(freq, n, note) || !gridReaches(freq, n, kSmLow, kSmHigh, note) ||
        !levelsFinite(freq, n, level, kSmLow, kSmHigh, note)) {
        return false;
    }
    double mx = 0, my = 0;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        if (inRange(freq[i], kSmLow, kSmHigh)) {
            mx += std::log10(freq[i]);
            my += level[i];
            ++count;
        }
    }
    if (count < kSmMinPoints) {
        note.assign("Zu wenige Rasterpunkte von " + hz(kSmLow) + " Hz bis " + hz(kSmHigh) + " Hz.");
        return false;
    }
    mx /= count;
    my /= count;
    double sxx = 0, syy = 0, sxy = 0;
    for (int i = 0; i < n; ++i) {
        if (inRange(freq[i], kSmLow, kSmHigh)) {
            const double dx = std::log10(freq[i]) - mx;
            const double dy = level[i] - my;
            sxx += dx * dx;
            syy += dy * dy;
            sxy += dx * dy;
        }
    }
    // A constant level lies exactly on its line (no residue), so it counts as perfectly smooth;
    // the ratio below would be 0/0.
    r2 = syy <= kConstantSpread * count ? 1.0 : sxy * sxy / (sxx * syy);
    return true;
}

bool lowFrequencyExtension(const double* freq, int n, const double* listeningWindow,
                           const double* soundPower, double& lfx, double& hzOut, RatingNote& note) {
    note.clear();
    hzOut = 0;
    if (!gridIsUsable(freq, n, note) || !gridReaches(freq, n, kLfxMeanLow, kLfxMeanHigh, note) ||
        !levelsFinite(freq, n, listeningWindow, kLfxMeanLow, kLfxMeanHigh, note) ||
        !levelsFinite(freq, n, soundPower, 0, kLfxSearchTop, note)) {
        return false;
    }
    double mean = 0;
    int count = 0;
    int top = -1; // highest grid point at or below 300 Hz
    for (int i = 0; i < n; ++i) {
        if (inRange(freq[i], kLfxMeanLow, kLfxMeanHigh)) {
            mean += listeningWindow[i];
            ++count;
        }
        if (freq[i] <= kLfxSearchTop * (1 + kEdgeTolerance)) {
            top = i;
        }
    }
    if (count == 0 || top < 0) {
        note.assign("Das Frequenzraster reicht nicht von " + hz(kLfxMeanLow) + " Hz bis " +
                    hz(kLfxMeanHigh) + " Hz.");
        return false;
    }
    const double threshold = mean / count - kLfxDrop;
    for (int j = top; j >= 0; --j) {
        if (soundPower[j] > threshold) {
            continue;
        }
        // Between this point and the one above it the level crosses the threshold: interpolate
        // over log f. When the point above lies below the threshold too (only possible above
        // 300 Hz), the search started below the threshold and this point is the answer.
        double logF = std::log10(freq[j]);
        if (j + 1 < n && soundPower[j + 1] > threshold) {
            const double upper = std::log10(freq[j + 1]);
            const double t = (soundPower[j + 1] - threshold) / (soundPower[j + 1] - soundPower[j]);
            // The search starts at 300 Hz: a crossing found just above it counts as 300 Hz.
            logF = std::min(upper - t * (upper - logF), std::log10(kLfxSearchTop));
        }
        lfx = logF;
        hzOut = std::pow(10.0, logF);
        return true;
    }
    note.assign("Die Schallleistung f\xE4llt bis " + hz(freq[0]) +
                " Hz nicht 6 dB unter den Mittelwert des H\xF6rfensters von 300 Hz bis 10 kHz.");
    return false;
}

PreferenceRating ratePreference(const double* freq, int n, const double* onAxis,
                                const double* listeningWindow, const double* soundPower,
                                const double* inRoom) {
    PreferenceRating r{};
    double* in = r.input;
    constexpr int kOn = static_cast<int>(RatingInput::NbdOn);
    constexpr int kPir = static_cast<int>(RatingInput::NbdPir);
    constexpr int kLfx = static_cast<int>(RatingInput::Lfx);
    constexpr int kSm = static_cast<int>(RatingInput::SmPir);
    r.inputOk[kOn] = narrowBandDeviation(freq, n, onAxis, in[kOn], r.note[kOn]);
    r.inputOk[kPir] = narrowBandDeviation(freq, n, inRoom, in[kPir], r.note[kPir]);
    r.inputOk[kLfx] = lowFrequencyExtension(freq, n, listeningWindow, soundPower, in[kLfx], r.lfxHz,
                                            r.note[kLfx]);
    r.inputOk[kSm] = smoothness(freq, n, inRoom, in[kSm], r.note[kSm]);
    r.scoreWithSubOk = r.inputOk[kOn] && r.inputOk[kPir] && r.inputOk[kSm];
    r.scoreOk = r.scoreWithSubOk && r.inputOk[kLfx];
    if (r.scoreOk) {
        r.score = preferenceScore(in[kOn], in[kPir], in[kLfx], in[kSm]);
    }
    if (r.scoreWithSubOk) {
        r.scoreWithSub = preferenceScore(in[kOn], in[kPir], idealSubwooferLfx(), in[kSm]);
    }
    return r;
}

} // namespace sonora
