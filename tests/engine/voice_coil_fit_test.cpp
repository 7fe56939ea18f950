// Voice-coil fit: recovery of known values from curves made with an independent model, the point
// rules, the error's weights and the editor's question.
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

#include "engine/voice_coil_fit.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using Cx = std::complex<double>;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A driver with the motional values of the bare driver (fs 40 Hz, Qes 0.4, Qms 3.2, Rdc 6 Ohm).
std::unique_ptr<TChassis> makeDriver() {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    c->fs = 40.0;
    c->qes = 0.4;
    c->qms = 3.2;
    c->Rdc = 6.0;
    c->Rms = c->Rdc * c->qms / c->qes;
    c->Cms = c->qes / (kTwoPi * c->Rdc * c->fs);
    c->Lms = c->Rdc / (kTwoPi * c->qes * c->fs);
    return c;
}

// The terminal impedance with std::complex, independent of the program's Complex helpers.
double oracleMagnitude(const TChassis& c, double f, const VoiceCoilValues& v) {
    const Cx jw(0.0, kTwoPi * f);
    auto parallel = [](Cx a, Cx b) { return a * b / (a + b); };
    const Cx motional = 1.0 / (1.0 / c.Rms + jw * c.Cms + 1.0 / (jw * c.Lms));
    return std::abs(c.Rdc + jw * v.Le + parallel(v.Re2, jw * v.Le2) + parallel(v.Re3, jw * v.Le3) +
                    motional);
}

// n log-spaced points from 20 Hz to 20 kHz.
void fillCurve(TChassis& c, const VoiceCoilValues& v, int n) {
    for (int i = 0; i < n; ++i) {
        const double f = 20.0 * std::pow(1000.0, i / (n - 1.0));
        c.fgangif[i] = f;
        c.fgangi[i] = oracleMagnitude(c, f, v);
    }
    c.fgangif[n] = 0.0;
}

void expectNear(double fitted, double truth, double relative, const char* what) {
    EXPECT_NEAR(fitted, truth, relative * std::abs(truth)) << what;
}

TEST(VoiceCoilFit, RecoversTheValuesOfASyntheticCurve) {
    // Two sets, each away from the start values (Le 0.5 mH, Re2 = Rdc, Le2 0.5 mH, Re3 from the
    // impedance minimum) in different parameters.
    const VoiceCoilValues sets[] = {{0.4e-3, 6.0, 0.6e-3, 0.5, 0.5e-3},
                                    {0.45e-3, 6.5, 0.5e-3, 1.0, 0.8e-3}};
    for (const VoiceCoilValues& truth : sets) {
        auto c = makeDriver();
        fillCurve(*c, truth, 200);
        std::string message = "stale";
        ASSERT_TRUE(FitVoiceCoil(*c, message));
        EXPECT_EQ(message, "");
        expectNear(c->Le, truth.Le, 0.01, "Le");
        expectNear(c->Re2, truth.Re2, 0.03, "Re2");
        expectNear(c->Le2, truth.Le2, 0.03, "Le2");
        expectNear(c->Re3, truth.Re3, 0.03, "Re3");
        expectNear(c->Le3, truth.Le3, 0.03, "Le3");
        // The curve itself is reproduced closely above 2 fs.
        const VoiceCoilValues fitted{c->Le, c->Re2, c->Le2, c->Re3, c->Le3};
        for (int i = 0; c->fgangif[i] > 0.0; ++i) {
            if (c->fgangif[i] > 2.0 * c->fs) {
                expectNear(oracleMagnitude(*c, c->fgangif[i], fitted), c->fgangi[i], 0.002, "|Z|");
            }
        }
    }
}

TEST(VoiceCoilFit, UnsortedPointsFitLikeSortedOnes) {
    const VoiceCoilValues truth{0.4e-3, 6.0, 0.6e-3, 0.5, 0.5e-3};
    auto sorted = makeDriver();
    fillCurve(*sorted, truth, 120);
    auto shuffled = std::make_unique<TChassis>(*sorted);
    // Reverse the points; each magnitude keeps its frequency.
    for (int i = 0, j = 119; i < j; ++i, --j) {
        std::swap(shuffled->fgangif[i], shuffled->fgangif[j]);
        std::swap(shuffled->fgangi[i], shuffled->fgangi[j]);
    }
    ASSERT_TRUE(FitVoiceCoil(*sorted));
    ASSERT_TRUE(FitVoiceCoil(*shuffled));
    EXPECT_EQ(shuffled->Le, sorted->Le);
    EXPECT_EQ(shuffled->Re2, sorted->Re2);
    EXPECT_EQ(shuffled->Le2, sorted->Le2);
    EXPECT_EQ(shuffled->Re3, sorted->Re3);
    EXPECT_EQ(shuffled->Le3, sorted->Le3);
    // The record's curve keeps its order: the fit sorts a copy.
    EXPECT_GT(shuffled->fgangif[0], shuffled->fgangif[1]);
}

TEST(VoiceCoilFit, NeedsSixPointsFromOnePointTwoFs) {
    const VoiceCoilValues truth{0.4e-3, 6.0, 0.6e-3, 0.5, 0.5e-3};
    // Points below 1.2 fs (48 Hz) do not count; 48 Hz itself does.
    const double below[] = {20.0, 30.0, 47.9};
    const double from[] = {48.0, 100.0, 200.0, 400.0, 800.0, 1600.0};
    for (int count : {6, 5}) {
        auto c = makeDriver();
        c->Le = c->Re2 = c->Le2 = c->Re3 = c->Le3 = 0.123;
        int n = 0;
        for (double f : below) {
            c->fgangif[n++] = f;
        }
        for (int i = 0; i < count; ++i) {
            c->fgangif[n++] = from[i];
        }
        for (int i = 0; i < n; ++i) {
            c->fgangi[i] = oracleMagnitude(*c, c->fgangif[i], truth);
        }
        auto before = std::make_unique<TChassis>(*c);
        std::string message;
        const bool fitted = FitVoiceCoil(*c, message);
        if (count == 6) {
            EXPECT_TRUE(fitted);
            EXPECT_EQ(message, "");
            EXPECT_NE(c->Le, 0.123);
        } else {
            EXPECT_FALSE(fitted);
            EXPECT_EQ(latin1ToUtf8(message),
                      "Werte für Re2, Le2, ... können nicht berechnet werden,da zu wenige "
                      "Meßwerte im Impedanzgang.");
            EXPECT_EQ(std::memcmp(before.get(), c.get(), sizeof(TChassis)), 0);
        }
    }
}

TEST(VoiceCoilFit, CurveEndsAtTheFirstFrequencyNotAboveZero) {
    auto c = makeDriver();
    const VoiceCoilValues truth{0.4e-3, 6.0, 0.6e-3, 0.5, 0.5e-3};
    fillCurve(*c, truth, 50);
    c->fgangif[3] = std::numeric_limits<double>::quiet_NaN(); // ends the curve after 3 points
    EXPECT_EQ(voiceCoilCurve(*c).f.size(), 3u);
    c->fgangif[3] = -1.0;
    EXPECT_EQ(voiceCoilCurve(*c).f.size(), 3u);
    std::string message;
    EXPECT_FALSE(FitVoiceCoil(*c, message));
    // A full array without terminator reads all 601 points and stays in bounds.
    for (int i = 0; i < kCurvePoints; ++i) {
        c->fgangif[i] = 50.0 + i;
        c->fgangi[i] = 7.0;
    }
    EXPECT_EQ(voiceCoilCurve(*c).f.size(), static_cast<std::size_t>(kCurvePoints));
}

TEST(VoiceCoilFit, StartValuesFollowTheMinimumAboveOnePointTwoFs) {
    auto c = makeDriver();
    // The deepest point lies below 1.2 fs and must be ignored; above, the minimum is at 60 Hz.
    const double f[] = {30.0, 45.0, 60.0, 100.0, 200.0, 400.0, 800.0, 1600.0};
    const double z[] = {1.0, 20.0, 6.5, 7.0, 8.0, 6.5, 12.0, 20.0};
    for (int i = 0; i < 8; ++i) {
        c->fgangif[i] = f[i];
        c->fgangi[i] = z[i];
    }
    VoiceCoilCurve curve = voiceCoilCurve(*c);
    const int m = voiceCoilMinimumIndex(curve);
    EXPECT_EQ(m, 2); // the first of the two 6.5 Ohm points
    VoiceCoilValues start = voiceCoilStartValues(curve, m);
    EXPECT_DOUBLE_EQ(start.Re3, 0.5 * 1.2 + 1e-6);
    EXPECT_DOUBLE_EQ(start.Le3, start.Re3 / (2.0 * 3.14159 * 60.0) + 1e-6);
    EXPECT_EQ(start.Re2, 6.0);
    EXPECT_EQ(start.Le, 0.0005);
    EXPECT_EQ(start.Le2, 0.0005);

    // A minimum below Rdc starts Re3 at 1e-6 Ohm.
    c->fgangi[2] = 5.0;
    curve = voiceCoilCurve(*c);
    start = voiceCoilStartValues(curve, voiceCoilMinimumIndex(curve));
    EXPECT_EQ(start.Re3, 1e-6);
    EXPECT_DOUBLE_EQ(start.Le3, 1e-6 / (2.0 * 3.14159 * 60.0) + 1e-6);
}

TEST(VoiceCoilFit, ErrorCountsPointsAboveTwoFsAndDoublesThoseNearTheMinimum) {
    auto c = makeDriver();
    // 4 points up to 2 fs (80 Hz, which is not above), 20 above.
    const double low[] = {50.0, 60.0, 70.0, 80.0};
    int n = 0;
    for (double f : low) {
        c->fgangif[n++] = f;
    }
    for (int i = 0; i < 20; ++i) {
        c->fgangif[n++] = 100.0 * (i + 1);
    }
    for (int i = 0; i < n; ++i) {
        c->fgangi[i] = 5.0 + i; // far from any model value
    }
    const VoiceCoilCurve curve = voiceCoilCurve(*c);
    const VoiceCoilValues v{0.3e-3, 4.0, 0.7e-3, 0.9, 0.2e-3};
    const int m = 6; // 300 Hz; c = 20, so points with 10 |j - m| < 20 (j = 5, 6, 7) count twice
    double expected = 0.0;
    for (int j = 4; j < n; ++j) {
        const double d = curve.z[j] - oracleMagnitude(*c, curve.f[j], v);
        expected += (std::abs(j - m) <= 1 ? 2.0 : 1.0) * d * d;
    }
    const double error = VoiceCoilError(curve, m, n, v.Le3, v.Re3, v.Le2, v.Re2, v.Le);
    EXPECT_NEAR(error, expected, 1e-9 * expected);

    // Points between 1.2 fs and 2 fs decide the minimum but do not enter the error.
    VoiceCoilCurve changed = curve;
    changed.z[1] = 0.5; // 60 Hz becomes the minimum
    EXPECT_EQ(voiceCoilMinimumIndex(changed), 1);
    EXPECT_EQ(VoiceCoilError(changed, m, n, v.Le3, v.Re3, v.Le2, v.Re2, v.Le), error);
    // The magnitudes of the model match the independent oracle.
    EXPECT_NEAR(voiceCoilModelMagnitude(curve, 1234.0, v.Le3, v.Re3, v.Le2, v.Re2, v.Le),
                oracleMagnitude(*c, 1234.0, v), 1e-12);
}

TEST(VoiceCoilFit, EditorShowsTheResultAndTakesItOverOnlyOnYes) {
    const VoiceCoilValues truth{0.4e-3, 6.0, 0.6e-3, 0.5, 0.5e-3};
    auto base = makeDriver();
    fillCurve(*base, truth, 200);
    base->vas = 0.05;
    base->Le = base->Re2 = base->Le2 = base->Re3 = base->Le3 = 0.0;
    // Derived values of another mounting in the record must not matter: the fit derives those of
    // the bare driver.
    base->Rms = base->Cms = base->Lms = 1.0;

    ScriptedPrompt no;
    no.choices.push_back(2);
    auto declined = std::make_unique<TChassis>(*base);
    EXPECT_FALSE(offerVoiceCoilFit(*declined, no));
    ASSERT_EQ(no.questions.size(), 1u);
    EXPECT_EQ(no.questions[0].rfind("Es wurde errechnet:\r\nLe  = ", 0), 0u);
    EXPECT_EQ(std::memcmp(declined.get(), base.get(), sizeof(TChassis)), 0);

    ScriptedPrompt yes;
    yes.choices.push_back(1);
    auto taken = std::make_unique<TChassis>(*base);
    EXPECT_TRUE(offerVoiceCoilFit(*taken, yes));
    expectNear(taken->Le, truth.Le, 0.01, "Le");
    expectNear(taken->Re3, truth.Re3, 0.03, "Re3");
    EXPECT_EQ(taken->Rms, 1.0); // only the five values are taken over
    EXPECT_EQ(yes.questions, no.questions);

    ScriptedPrompt refused;
    auto empty = makeDriver();
    EXPECT_FALSE(offerVoiceCoilFit(*empty, refused));
    EXPECT_TRUE(refused.questions.empty());
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].rfind(utf8ToLatin1("Werte für Re2"), 0), 0u);
}

TEST(VoiceCoilFit, ResultTextListsTheValuesInMilliHenryAndOhm) {
    auto c = makeDriver();
    c->Le = 0.0005;
    c->Re2 = 6.5;
    c->Le2 = 0.00125;
    c->Re3 = 0.75;
    c->Le3 = 0.0002;
    EXPECT_EQ(latin1ToUtf8(voiceCoilResultText(*c)), "Es wurde errechnet:\r\n"
                                                     "Le  = 0,5 mH\r\n"
                                                     "Re2 = 6,5 Ohm\r\n"
                                                     "Le2 = 1,25 mH\r\n"
                                                     "Re3 = 0,75 Ohm\r\n"
                                                     "Le3 = 0,2 mH\r\n"
                                                     "Sollen die Werte übernommen werden?");
}

} // namespace
} // namespace sonora
