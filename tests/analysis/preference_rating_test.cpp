// The preference rating: the model's formula, each input on curves whose value is known in closed
// form, and grids that cannot give an input.
#include "analysis/preference_rating.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace sonora {
namespace {

constexpr int kOn = static_cast<int>(RatingInput::NbdOn);
constexpr int kPir = static_cast<int>(RatingInput::NbdPir);
constexpr int kLfx = static_cast<int>(RatingInput::Lfx);
constexpr int kSm = static_cast<int>(RatingInput::SmPir);

// A geometric grid as the program builds it: `n` points from fMin to fMax.
std::vector<double> grid(int n, double fMin = 20, double fMax = 20000) {
    std::vector<double> f(n);
    for (int i = 0; i < n; ++i) {
        f[i] = fMin * std::pow(fMax / fMin, static_cast<double>(i) / (n - 1));
    }
    return f;
}

// Level of a second-order Butterworth high-pass at fc, dB.
double highPassDb(double f, double fc) {
    const double r = std::pow(f / fc, 4);
    return 10 * std::log10(r / (1 + r));
}

TEST(PreferenceScore, PublishedFormulaOnKnownInputs) {
    // Worked by hand: 12.69 − 2.49·0.5 − 2.99·0.4 − 4.31·1.6 + 2.32·0.8
    //               = 12.69 − 1.245 − 1.196 − 6.896 + 1.856 = 5.209.
    EXPECT_NEAR(preferenceScore(0.5, 0.4, 1.6, 0.8), 5.209, 1e-12);
    // Every input zero leaves the intercept; each coefficient alone.
    EXPECT_DOUBLE_EQ(preferenceScore(0, 0, 0, 0), 12.69);
    EXPECT_NEAR(preferenceScore(1, 0, 0, 0), 12.69 - 2.49, 1e-12);
    EXPECT_NEAR(preferenceScore(0, 1, 0, 0), 12.69 - 2.99, 1e-12);
    EXPECT_NEAR(preferenceScore(0, 0, 1, 0), 12.69 - 4.31, 1e-12);
    EXPECT_NEAR(preferenceScore(0, 0, 0, 1), 12.69 + 2.32, 1e-12);
    // The ideal subwoofer: log10 14.5 = 1.161368...
    EXPECT_NEAR(idealSubwooferLfx(), 1.1613680022349748, 1e-15);
    EXPECT_STREQ(ratingInputName(RatingInput::NbdOn), "NBD_ON");
    EXPECT_STREQ(ratingInputName(RatingInput::SmPir), "SM_PIR");
}

// A flat, smooth, wide-band speaker: on axis and listening window flat at 85 dB above a
// second-order high-pass at 40 Hz, the sound power the same below 300 Hz, and an in-room response
// tilted down by 1 dB per octave. Its inputs follow in closed form:
// - NBD_ON ≈ 0 (the high-pass bends the lowest band by less than 0.1 dB);
// - NBD_PIR: a straight line over a band of width w octaves is spread evenly over w dB, whose
//   mean absolute deviation is w/4: 13 half-octave bands give 0.125 dB, the last one from
//   100·2^6.5 Hz to 12 kHz (0.407 octaves) 0.1018 dB; the average is 0.1233 dB;
// - LFX: the high-pass is 6 dB down where (f/fc)^4 = 1/(10^0.6 − 1), f = 0.7608·fc = 30.43 Hz;
// - SM_PIR = 1 (a straight line), slightly less through the high-pass at 100 Hz.
TEST(PreferenceRating, FlatSmoothWideBandSpeakerScoresItsClosedForm) {
    const std::vector<double> f = grid(250);
    const int n = static_cast<int>(f.size());
    constexpr double fc = 40, tilt = 1.0;
    std::vector<double> on(n), lw(n), sp(n), pir(n);
    for (int i = 0; i < n; ++i) {
        on[i] = lw[i] = 85 + highPassDb(f[i], fc);
        sp[i] = f[i] < 300 ? lw[i] : lw[i] - 3 * std::log2(f[i] / 300);
        pir[i] = 85 + highPassDb(f[i], fc) - tilt * std::log2(f[i] / 100);
    }
    const PreferenceRating r =
        ratePreference(f.data(), n, on.data(), lw.data(), sp.data(), pir.data());
    ASSERT_TRUE(r.scoreOk);
    ASSERT_TRUE(r.scoreWithSubOk);
    const double lastBand = std::log2(12000 / (100 * std::exp2(6.5)));
    const double nbdPir = (13 * 0.125 + lastBand / 4) / 14;
    const double f6 = fc * std::pow(1 / (std::pow(10, 0.6) - 1), 0.25);
    EXPECT_NEAR(r.input[kOn], 0, 0.01);
    EXPECT_NEAR(r.input[kPir], nbdPir, 0.01);
    EXPECT_NEAR(r.lfxHz, f6, 0.3);
    EXPECT_NEAR(r.input[kLfx], std::log10(f6), 0.005);
    EXPECT_NEAR(r.input[kSm], 1, 0.005);
    const double analytic = preferenceScore(0, nbdPir, std::log10(f6), 1);
    EXPECT_NEAR(r.score, analytic, 0.05);
    EXPECT_NEAR(r.scoreWithSub, preferenceScore(0, nbdPir, std::log10(14.5), 1), 0.05);
    // The score is the formula of the inputs it shows, exactly.
    EXPECT_DOUBLE_EQ(r.score,
                     preferenceScore(r.input[kOn], r.input[kPir], r.input[kLfx], r.input[kSm]));
    for (int k = 0; k < kRatingInputs; ++k) {
        EXPECT_TRUE(r.inputOk[k]);
        EXPECT_TRUE(r.note[k].empty()) << r.note[k].str();
    }
}

TEST(PreferenceRating, InputsOnCurvesWithExactValues) {
    const std::vector<double> f = grid(200);
    const int n = static_cast<int>(f.size());
    // A constant level deviates nowhere and lies exactly on its line.
    std::vector<double> flat(n, 90.0);
    RatingNote note;
    double nbd = -1, r2 = -1;
    ASSERT_TRUE(narrowBandDeviation(f.data(), n, flat.data(), nbd, note));
    EXPECT_EQ(nbd, 0.0);
    ASSERT_TRUE(smoothness(f.data(), n, flat.data(), r2, note));
    EXPECT_EQ(r2, 1.0);

    // Straight lines over log f of any slope fit exactly.
    std::vector<double> line(n), zigzag(n);
    for (int i = 0; i < n; ++i) {
        line[i] = 80 - 2.5 * std::log10(f[i]);
        zigzag[i] = 80 + (i % 2 == 0 ? 1.0 : -1.0);
    }
    ASSERT_TRUE(smoothness(f.data(), n, line.data(), r2, note));
    EXPECT_NEAR(r2, 1.0, 1e-12);
    // A level jumping ±1 dB from point to point has no trend at all, and deviates by about 1 dB
    // from every band's mean (exactly 1 in bands with an even count of points).
    ASSERT_TRUE(smoothness(f.data(), n, zigzag.data(), r2, note));
    EXPECT_LT(r2, 0.01);
    ASSERT_TRUE(narrowBandDeviation(f.data(), n, zigzag.data(), nbd, note));
    EXPECT_NEAR(nbd, 1.0, 0.02);

    // LFX: the sound power rises by 12 dB per octave up to 100 Hz and is flat at the listening
    // window's 85 dB above. It is 6 dB down half an octave below 100 Hz, at 70.71 Hz, and the
    // interpolation over log f between the grid points finds that exactly.
    std::vector<double> lw(n, 85.0), sp(n);
    for (int i = 0; i < n; ++i) {
        sp[i] = f[i] < 100 ? 85 + 12 * std::log2(f[i] / 100) : 85;
    }
    double lfx = 0, hz = 0;
    ASSERT_TRUE(lowFrequencyExtension(f.data(), n, lw.data(), sp.data(), lfx, hz, note));
    EXPECT_NEAR(hz, 100 / std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(lfx, std::log10(100 / std::sqrt(2.0)), 1e-12);

    // Down already at the last point below 300 Hz and only just up at the first one above: the
    // crossing lies above 300 Hz, where the search starts, and counts as 300 Hz.
    std::vector<double> late(n);
    for (int i = 0; i < n; ++i) {
        late[i] = f[i] <= 300 ? 78.0 : 79.01;
    }
    ASSERT_TRUE(lowFrequencyExtension(f.data(), n, lw.data(), late.data(), lfx, hz, note));
    EXPECT_NEAR(hz, 300.0, 1e-9);
}

TEST(PreferenceRating, GridsThatCannotGiveAnInputSaySo) {
    // A grid from 200 Hz: no narrow-band deviation, no smoothness from 100 Hz, no LFX search
    // below 300 Hz that could reach the -6 dB point; nothing invented.
    {
        const std::vector<double> f = grid(100, 200, 20000);
        const int n = static_cast<int>(f.size());
        std::vector<double> flat(n, 85.0);
        const PreferenceRating r =
            ratePreference(f.data(), n, flat.data(), flat.data(), flat.data(), flat.data());
        EXPECT_FALSE(r.scoreOk);
        EXPECT_FALSE(r.scoreWithSubOk);
        EXPECT_FALSE(r.inputOk[kOn]);
        EXPECT_EQ(r.note[kOn].str(), "Das Frequenzraster reicht nicht von 100 Hz bis 12000 Hz.");
        EXPECT_EQ(r.note[kSm].str(), "Das Frequenzraster reicht nicht von 100 Hz bis 16000 Hz.");
        EXPECT_EQ(r.note[kLfx].str(), "Die Schallleistung f\xE4llt bis 200 Hz nicht 6 dB unter "
                                      "den Mittelwert des H\xF6rfensters von 300 Hz bis 10 kHz.");
    }
    // The coarsest grid the program allows (6 points over 20 Hz .. 20 kHz) leaves half-octave
    // bands empty; the smoothness has its 3 points, and LFX needs only the sound power.
    {
        const std::vector<double> f = grid(6);
        const int n = static_cast<int>(f.size());
        std::vector<double> lw(n), sp(n), pir(n);
        for (int i = 0; i < n; ++i) {
            lw[i] = 85;
            sp[i] = f[i] < 100 ? 70 : 82;
            pir[i] = 85 - std::log2(f[i]);
        }
        const PreferenceRating r =
            ratePreference(f.data(), n, lw.data(), lw.data(), sp.data(), pir.data());
        EXPECT_FALSE(r.inputOk[kOn]);
        EXPECT_EQ(r.note[kOn].str(), "Kein Rasterpunkt im Halboktavband 100 Hz bis 141 Hz.");
        EXPECT_TRUE(r.inputOk[kSm]);
        EXPECT_TRUE(r.inputOk[kLfx]);
        EXPECT_FALSE(r.scoreOk);
        EXPECT_FALSE(r.scoreWithSubOk);
    }
    // A sound power that stays up to the lowest grid point: the full score needs LFX, the one
    // with an ideal subwoofer does not.
    {
        const std::vector<double> f = grid(250);
        const int n = static_cast<int>(f.size());
        std::vector<double> flat(n, 85.0);
        const PreferenceRating r =
            ratePreference(f.data(), n, flat.data(), flat.data(), flat.data(), flat.data());
        EXPECT_FALSE(r.inputOk[kLfx]);
        EXPECT_EQ(r.lfxHz, 0.0);
        EXPECT_FALSE(r.scoreOk);
        ASSERT_TRUE(r.scoreWithSubOk);
        EXPECT_NEAR(r.scoreWithSub, preferenceScore(0, 0, std::log10(14.5), 1), 1e-12);
    }
}

TEST(PreferenceRating, HostileGridsAndLevelsGiveNotesNotNumbers) {
    std::vector<double> f = grid(120);
    const int n = static_cast<int>(f.size());
    std::vector<double> flat(n, 85.0);
    auto all = [&](const std::vector<double>& freq, const std::vector<double>& lv) {
        return ratePreference(freq.data(), n, lv.data(), lv.data(), lv.data(), lv.data());
    };
    // A grid that falls back, a zero and a NaN frequency.
    for (const double bad : {f[10] * 0.5, 0.0, std::numeric_limits<double>::quiet_NaN()}) {
        std::vector<double> g = f;
        g[40] = bad;
        const PreferenceRating r = all(g, flat);
        for (int k = 0; k < kRatingInputs; ++k) {
            EXPECT_FALSE(r.inputOk[k]);
            EXPECT_EQ(r.note[k].str(), "Das Frequenzraster ist nicht aufsteigend.");
        }
        EXPECT_FALSE(r.scoreOk);
        EXPECT_FALSE(r.scoreWithSubOk);
    }
    // A level that is no number inside a range is named with its frequency.
    std::vector<double> level = flat;
    int at = 0;
    while (f[at] < 1000) {
        ++at;
    }
    level[at] = std::numeric_limits<double>::infinity();
    const PreferenceRating r = all(f, level);
    EXPECT_FALSE(r.inputOk[kOn]);
    EXPECT_NE(r.note[kOn].str().find(" Hz ist keine endliche Zahl."), std::string::npos);
    EXPECT_FALSE(r.scoreOk);
    // No grid at all.
    const PreferenceRating empty =
        ratePreference(f.data(), 0, flat.data(), flat.data(), flat.data(), flat.data());
    EXPECT_FALSE(empty.scoreOk);
    EXPECT_FALSE(empty.scoreWithSubOk);
    EXPECT_FALSE(empty.note[kOn].empty());
}

} // namespace
} // namespace sonora
