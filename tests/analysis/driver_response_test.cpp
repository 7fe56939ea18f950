// Each driver as it reaches the box on axis and the box as their sum: the sum against the box
// response the calculation itself made, for every shipped example; drivers in no network and
// damaged slots; the impulse and step responses of the box and its drivers, which add up as the
// transform is linear on the grid.
#include "analysis/driver_response.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/box_sum.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/latin1.h"
#include "storage/numbers.h"
#include "storage/project_file.h"
#include "tests/analysis/example_results.h"

namespace sonora {
namespace {

const char* const kExamples[] = {"Dreiwege Bassreflex", "Subwoofer Bandpass", "Zweiwege aktiv",
                                 "Zweiwege gemessen", "Zweiwege geschlossen"};

double magnitude(const Complex& c) {
    return std::hypot(c.re, c.im);
}

// The shipped examples, each computed once for all tests.
class DriverResponse : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const char* name : kExamples) {
            std::unique_ptr<TResult> result = test::computeExample(name);
            ASSERT_TRUE(result) << name;
            results()[name] = std::move(result);
        }
    }
    static void TearDownTestSuite() { results().clear(); }

    static std::map<std::string, std::unique_ptr<TResult>>& results() {
        static std::map<std::string, std::unique_ptr<TResult>> all;
        return all;
    }
    static const TResult& result(const char* name) { return *results().at(name); }
};

TEST_F(DriverResponse, BoxSumIsTheCalculatedBoxOnAxisForEveryExample) {
    for (const char* name : kExamples) {
        SCOPED_TRACE(name);
        const TResult& r = result(name);
        ASSERT_GT(r.nfreq, 50);
        const std::vector<int> drivers = soundingDrivers(r);
        EXPECT_FALSE(drivers.empty());
        double worst = 0;
        int differentBits = 0;
        for (int i = 0; i < r.nfreq; ++i) {
            const Complex box = r.fgang_box[i][0];
            const Complex sum = boxOnAxisSum(r, i);
            worst = std::max(worst, std::hypot(sum.re - box.re, sum.im - box.im) /
                                        std::max(magnitude(box), 1e-30));
            // The calculation adds the same two sides in the same order: not a rounding apart.
            differentBits += std::memcmp(&sum, &box, sizeof(Complex)) != 0 ? 1 : 0;
            // Only the drivers in a network make the sum; the others give nothing.
            Complex own{};
            for (int d = 0; d < kMaxChassis; ++d) {
                const Complex h = driverOnAxis(r, d, i);
                if (std::find(drivers.begin(), drivers.end(), d) == drivers.end()) {
                    ASSERT_EQ(magnitude(h), 0.0) << "slot " << d;
                }
                own.re += h.re;
                own.im += h.im;
            }
            EXPECT_NEAR(own.re, box.re, 1e-12 * magnitude(box) + 1e-300);
            EXPECT_NEAR(own.im, box.im, 1e-12 * magnitude(box) + 1e-300);
        }
        EXPECT_LT(worst, 1e-12);
        EXPECT_EQ(differentBits, 0);
    }
}

TEST_F(DriverResponse, DriversOutsideEveryNetworkAndDamagedSlotsGiveNothing) {
    auto r = std::make_unique<TResult>(result("Dreiwege Bassreflex"));
    ASSERT_EQ(soundingDrivers(*r).size(), 3u);
    const int i = r->nfreq / 2;
    const Complex first = driverOnAxis(*r, 0, i);
    ASSERT_GT(magnitude(first), 0.0);
    EXPECT_EQ(magnitude(driverOnAxis(*r, -1, i)), 0.0);
    EXPECT_EQ(magnitude(driverOnAxis(*r, kMaxChassis, i)), 0.0);

    // A damaged amplifier number puts the woofer into no network: it leaves the box sum, which
    // then lacks exactly its share.
    const Complex whole = boxOnAxisSum(*r, i);
    r->chassisAmp[0] = 77;
    EXPECT_EQ(magnitude(driverOnAxis(*r, 0, i)), 0.0);
    EXPECT_EQ(soundingDrivers(*r), (std::vector<int>{1, 2}));
    const Complex rest = boxOnAxisSum(*r, i);
    EXPECT_NEAR(rest.re + first.re, whole.re, 1e-12 * magnitude(whole));
    EXPECT_NEAR(rest.im + first.im, whole.im, 1e-12 * magnitude(whole));
    r->chassisAmp[0] = -1;
    EXPECT_EQ(magnitude(driverOnAxis(*r, 0, i)), 0.0);

    // A count beyond the record is limited to its slots.
    r->nChassis = 5000;
    EXPECT_LE(soundingDrivers(*r).size(), static_cast<std::size_t>(kMaxChassis));
}

TEST_F(DriverResponse, DriverImpulsesAddUpToTheBoxImpulse) {
    for (const char* name : kExamples) {
        SCOPED_TRACE(name);
        const TResult& r = result(name);
        OnAxisImpulses t;
        std::string error;
        const ImpulseSettings settings = impulseSettingsFor(r);
        ASSERT_TRUE(computeOnAxisImpulses(r, settings, t, error)) << error;
        ASSERT_EQ(t.drivers, soundingDrivers(r));
        ASSERT_EQ(t.driverResponses.size(), t.drivers.size());
        const std::vector<double>& box = t.box.impulse;
        ASSERT_EQ(static_cast<int>(box.size()), settings.length);
        double peak = 0;
        for (const double v : box) {
            peak = std::max(peak, std::abs(v));
        }
        ASSERT_GT(peak, 0.0);
        // The grid points add up exactly; between them each curve is interpolated in level and
        // phase of its own, and below the grid each follows the slope of its own lowest octave,
        // so the sum is close but not exact.
        double worstImpulse = 0;
        double worstStep = 0;
        double stepPeak = 0;
        for (const double v : t.box.step) {
            stepPeak = std::max(stepPeak, std::abs(v));
        }
        for (std::size_t m = 0; m < box.size(); ++m) {
            double impulse = 0;
            double step = 0;
            for (const ImpulseResponse& d : t.driverResponses) {
                impulse += d.impulse[m];
                step += d.step[m];
            }
            worstImpulse = std::max(worstImpulse, std::abs(impulse - box[m]));
            worstStep = std::max(worstStep, std::abs(step - t.box.step[m]));
        }
        // The examples stay within 2e-4 of the peak.
        EXPECT_LT(worstImpulse, 1e-3 * peak);
        EXPECT_LT(worstStep, 1e-3 * stepPeak);
    }
}

TEST_F(DriverResponse, SettingsFollowTheGridAndTheTextsStateThem) {
    const TResult& r = result("Zweiwege geschlossen");
    const ImpulseSettings s = impulseSettingsFor(r);
    EXPECT_EQ(s.sampleRate, 48000.0);
    EXPECT_EQ(s.length, 65536);
    OnAxisImpulses t;
    std::string error;
    ASSERT_TRUE(computeOnAxisImpulses(r, s, t, error)) << error;
    const std::string rate = latin1ToUtf8(impulseRateText(t.box));
    EXPECT_EQ(rate.rfind("Abtastrate 48000 Hz, Länge 65536 Punkte (1,3653 s), t = 0 nach 1 ms", 0),
              0u)
        << rate;
    const std::string window = latin1ToUtf8(impulseWindowText(t.box));
    EXPECT_EQ(window.rfind("Fenster: unter " + latin1ToUtf8(compactNumberText(6, r.freq[0])) +
                               " Hz Steigung der untersten Oktave (",
                           0),
              0u)
        << window;
    EXPECT_NE(window.find("Hz halbes Hann-Fenster bis 24000 Hz"), std::string::npos) << window;

    // A grid above 24 kHz needs a faster rate; the time span stays the same.
    auto high = std::make_unique<TResult>(r);
    high->freq[high->nfreq - 1] = 30000;
    const ImpulseSettings fast = impulseSettingsFor(*high);
    EXPECT_EQ(fast.sampleRate, 96000.0);
    EXPECT_EQ(fast.length, 131072);
    high->freq[high->nfreq - 1] = 1e300; // damaged: the rate stops at the transform's limit
    EXPECT_LE(impulseSettingsFor(*high).length, 1 << 22);

    high->valid = false;
    EXPECT_FALSE(computeOnAxisImpulses(*high, s, t, error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(t.drivers.empty());
}

} // namespace
} // namespace sonora
