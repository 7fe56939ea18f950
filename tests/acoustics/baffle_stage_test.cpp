// The baffle stage of a run, the baffle model as the driver stage's measurement baffle, and
// concurrent runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "acoustics/baffle.h"
#include "acoustics/baffle_turns.h"
#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "engine/measurement_baffle.h"
#include "engine/stages.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"
#include "tests/acoustics/baffle_test_support.h"

namespace sonora {
namespace {

using namespace baffle_test;

constexpr int kSlot = 2; // driver number 3

class BaffleStage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TCalcThread::Options o;
        o.pause = std::chrono::milliseconds(0);
        o.lowerPriority = false;
        calc = new TCalcThread(o);
    }
    static void TearDownTestSuite() {
        delete calc;
        calc = nullptr;
    }
    void SetUp() override {
        TProjekt& p = *calc->aktProjekt;
        initDefaultProjekt(p);
        const auto f = grid(50.0, 16000.0, 12);
        std::copy(f.begin(), f.end(), p.freq);
        p.schallwand[kSlot] = bevelledBaffle();
        p.chassis[kSlot].membranform = 1;
        calc->CalcStruct.bfgang_sw[kSlot].assign("F");
    }
    TSchallwand& baffle() { return calc->aktProjekt->schallwand[kSlot]; }
    std::string status() const { return calc->CalcStruct.bfgang_sw[kSlot].str(); }
    const BaffleResponse& side(int s) const { return calc->Res->fgang_sw[kSlot][s]; }

    // The model on its own, for the stage's inputs.
    std::unique_ptr<Response> direct(std::string& text) const {
        const TProjekt& p = *calc->aktProjekt;
        auto r = makeResponse();
        CalcBaffle(r->rows, p.schallwand[kSlot], p.chassis[kSlot], text, kBaffleGridCount, p.freq,
                   p.chassis[kSlot].membranform);
        return r;
    }

    static TCalcThread* calc;
};
TCalcThread* BaffleStage::calc = nullptr;

TEST_F(BaffleStage, WritesFrontAndRearPatterns) {
    CalcBaffle(*calc, kSlot);
    ASSERT_EQ(status(), "OK");
    std::string text;
    const auto expected = direct(text);
    for (int i = 0; i < kResultFreqs; ++i) {
        for (int n = 0; n < kDirections; ++n) {
            ASSERT_EQ(cx(side(0)[i][n]), cx(expected->rows[i][n])) << i << " " << n;
            ASSERT_EQ(cx(side(1)[i][n]), cx(expected->rows[i][n])) << i << " " << n;
        }
    }
    // A vent opposite to the driver: the rear pattern is the front pattern mirrored, so its axis
    // is the front pattern's straight back.
    baffle().directionr = 1;
    CalcBaffle(*calc, kSlot);
    ASSERT_EQ(status(), "OK");
    TurnToRear(calc->aktProjekt->freq, kBaffleGridCount, expected->rows);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(cx(side(1)[i][0]), cx(side(0)[i][21])) << i;
        for (int n = 0; n < kDirections; ++n) {
            ASSERT_EQ(cx(side(1)[i][n]), cx(expected->rows[i][n])) << i << " " << n;
        }
    }
}

TEST_F(BaffleStage, FailuresNameTheDriver) {
    baffle().swd = -0.1;
    baffle().swa = 0.0;
    CalcBaffle(*calc, kSlot);
    EXPECT_EQ(status(), utf8ToLatin1("Fehler: Chassis 3: Maß d auf Schallwand muss >= 0 sein. "
                                     "Maße a, b, c und h auf Schallwand müssen > 0 sein. "));
    for (int s = 0; s < kSides; ++s) {
        for (int i = 0; i < kResultFreqs; ++i) {
            for (int n = 0; n < kDirections; ++n) {
                ASSERT_EQ(cx(side(s)[i][n]), cx(kTinyResponse));
            }
        }
    }
    baffle() = bevelledBaffle();
    calc->aktProjekt->freq[4] = std::numeric_limits<double>::infinity();
    CalcBaffle(*calc, kSlot);
    EXPECT_EQ(status(), "Fehler: Chassis 3: Unbekannter Fehler.");
    // No slot to report in: nothing happens.
    CalcBaffle(*calc, -1);
    CalcBaffle(*calc, kMaxChassis);
}

// Without a model set, the driver stage takes the baffle model: on an infinite baffle a dome's
// axis is exactly 1, so the measured correction is that of a constant baffle of 1.
TEST_F(BaffleStage, DriverStageUsesTheBaffleModel) {
    ASSERT_NE(measurementBaffle(), nullptr);
    EXPECT_EQ(measurementBaffle(), &defaultMeasurementBaffle());
    TProjekt& p = *calc->aktProjekt;
    TChassis& c = p.chassis[kSlot];
    initDefaultChassis(c);
    c.fs = 40.0; // Hz
    c.qes = 0.4;
    c.qms = 3.2;
    c.vas = 0.05; // m³
    c.Rdc = 6.0;  // Ohm
    c.Le = c.Le2 = c.Re2 = c.Le3 = c.Re3 = 1e-6;
    c.Sd = 0.022;   // m²
    c.xlin = 0.005; // m
    c.membranform = 0;
    p.einbau[kSlot] = defaultEinbau();
    p.einbau[kSlot].typ = kEinbauIntegriert;
    c.useFGangA = true;
    c.fgang_which = 1;
    c.fgangaf[0] = 10.0;
    c.fgangaf[1] = 100000.0;
    c.fganga[0] = c.fganga[1] = 90.0; // dB
    CalcDriver(*calc, kSlot);
    ASSERT_EQ(calc->CalcStruct.bfgang_ch[kSlot].str(), "OK");
    std::vector<Complex> withModel(calc->Res->fgang_ch[kSlot][0],
                                   calc->Res->fgang_ch[kSlot][0] + 12);

    class One : public MeasurementBaffle {
    public:
        std::string axisResponse(const TSchallwand&, const TChassis&, const double* freq,
                                 Complex* axis) const override {
            for (int i = 0; freq[i] > 0.0 && i < kResultFreqs - 1; ++i) {
                axis[i] = Complex{1.0, 0.0};
            }
            return "OK";
        }
    } one;
    CalcDriverWithBaffle(*calc, kSlot, one);
    ASSERT_EQ(calc->CalcStruct.bfgang_ch[kSlot].str(), "OK");
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(cx(withModel[i]), cx(calc->Res->fgang_ch[kSlot][0][i])) << i;
    }

    // The measurement baffle's axis is direction 0 of the model, on the substituted baffle too.
    TSchallwand din = p.schallwand[kSlot];
    substituteMeasurementBaffle(2, din);
    std::vector<Complex> axis(kResultFreqs, Complex{-1.0, -1.0});
    ASSERT_EQ(measurementBaffle()->axisResponse(din, c, p.freq, axis.data()), "OK");
    auto r = makeResponse();
    std::string text;
    CalcBaffle(r->rows, din, c, text, kBaffleGridCount, p.freq, c.membranform);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(cx(axis[i]), cx(r->rows[i][0])) << i;
    }
    EXPECT_EQ(cx(axis[12]), Cx(-1.0, -1.0)) << "nothing beyond the grid";
    // A failing baffle passes its text on.
    din.swd = -1.0;
    EXPECT_EQ(measurementBaffle()->axisResponse(din, c, p.freq, axis.data()),
              utf8ToLatin1("Maß d auf Schallwand muss >= 0 sein. "));
    // Setting a model and clearing it again returns to the baffle model.
    setMeasurementBaffle(&one);
    EXPECT_EQ(measurementBaffle(), &one);
    setMeasurementBaffle(nullptr);
    EXPECT_EQ(measurementBaffle(), &defaultMeasurementBaffle());
}

// Several run objects compute baffles at once, while the developer tool stores tuning values:
// each result is bit for bit the one computed alone.
TEST(BaffleConcurrency, ParallelRunsGiveTheSameResults) {
    const auto f = grid(100.0, 16000.0, 6);
    const TSchallwand sw = bevelledBaffle();
    auto dome = makeResponse(), cone = makeResponse();
    ASSERT_EQ(run(*dome, sw, f, 0), "OK");
    ASSERT_EQ(run(*cone, sw, f, 1), "OK");
    std::atomic<bool> done{false};
    std::atomic<int> mismatches{0};
    const auto worker = [&](int form, const Response& expected) {
        auto r = makeResponse();
        for (int k = 0; k < 2; ++k) { // the second run reuses nothing of the first
            if (run(*r, sw, f, form) != "OK") {
                ++mismatches;
            }
            for (int i = 0; i < kResultFreqs; ++i) {
                for (int n = 0; n < kDirections; ++n) {
                    if (cx(r->rows[i][n]) != cx(expected.rows[i][n])) {
                        ++mismatches;
                    }
                }
            }
        }
    };
    std::thread tuner([&] {
        while (!done.load()) {
            setBaffleTuning(kStartBaffleTuning);
            std::this_thread::yield();
        }
    });
    std::thread a(worker, 0, std::cref(*dome));
    std::thread b(worker, 1, std::cref(*cone));
    a.join();
    b.join();
    done = true;
    tuner.join();
    EXPECT_EQ(mismatches.load(), 0);
}

} // namespace
} // namespace sonora
