// The box stage on a run object: sums, path phases, inclined directions, planes, directivity,
// group delay, failure text. Responses are filled directly; no other stage runs.
#include <chrono>
#include <cmath>
#include <complex>
#include <cstring>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "acoustics/direction_set.h"
#include "engine/box_phase.h"
#include "engine/box_sphere.h"
#include "engine/box_stage.h"
#include "engine/calc_thread.h"
#include "engine/stages.h"
#include "model/frequency_grid.h"

namespace sonora {
namespace {

using std::numbers::pi;
using Cx = std::complex<double>;
constexpr double kDeg = pi / 180.0;
constexpr int kPoints = 12; // grid points, 100 Hz .. 10 kHz: fast enough under ThreadSanitizer
constexpr double kFMin = 100.0, kFMax = 10000.0;
const Complex kUntouched{-777.0, 777.0};

Cx cx(const Complex& z) {
    return {z.re, z.im};
}
Complex toC(const Cx& z) {
    return {z.real(), z.imag()};
}

// Polar angle (rad) of table direction r: the rings from their angles, the oblique directions
// lie in the baffle plane.
double polarAngle(int r) {
    if (r >= 22 && r <= 29) {
        return pi / 2.0;
    }
    const DirectionAngle a = DirectionAngles(r);
    return std::max(std::abs(a.A), std::abs(a.B)) * kDeg;
}

// The tests use driver slots below kUsedSlots. Clearing the result without the 90-direction
// arrays of the other slots (which the stage sets to 0 itself or never reads) keeps each test
// far from the 75 MB a whole clear would write.
constexpr int kUsedSlots = 4;
void clearUsedSlots(TResult& r) {
    const auto zero = [](auto& field) { std::memset(static_cast<void*>(&field), 0, sizeof field); };
    const auto zeroSlots = [](auto& field) {
        std::memset(static_cast<void*>(&field[0]), 0, kUsedSlots * sizeof field[0]);
    };
    zero(r.chassisAmp);
    zero(r.fgang_akt);
    zeroSlots(r.fgang_sw);
    zeroSlots(r.fgang_chas);
    zeroSlots(r.fgang_chassis);
    zero(r.fgang_ch);
    zero(r.fgang_ch_oMw);
    zero(r.fgang_weiche);
    zero(r.fgang_box);
    zero(r.fgang_box_inc_o);
    zero(r.fgang_box_inc_u);
    zero(r.fgang_box_h);
    zero(r.fgang_box_v);
    zero(r.fgang_glz);
    zero(r.fgang_Uel_preamp);
    zero(r.fgang_Uel_preamp_mech);
    zero(r.fgang_peg);
    zero(r.fgang_xch);
    zero(r.fgang_bmass);
}

// The outputs of the whole box, to compare two runs.
struct BoxOutputs {
    std::vector<Complex> box, h, v, incUp;
    std::vector<double> bmass, boxVoltage, boxLevel;
    explicit BoxOutputs(const TResult& r) {
        for (int i = 0; i < kPoints; ++i) {
            box.insert(box.end(), r.fgang_box[i], r.fgang_box[i] + kDirections);
            h.insert(h.end(), r.fgang_box_h[i], r.fgang_box_h[i] + kPlaneAngles);
            v.insert(v.end(), r.fgang_box_v[i], r.fgang_box_v[i] + kPlaneAngles);
            incUp.push_back(r.fgang_box_inc_o[i]);
            bmass.push_back(r.fgang_bmass[i]);
            boxVoltage.push_back(r.fgang_Uel_preamp[kBoxSlot][i]);
            boxLevel.push_back(r.fgang_peg[kBoxSlot][i]);
        }
    }
};

bool sameBits(const std::vector<Complex>& a, const std::vector<Complex>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0;
}

class BoxStage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TCalcThread::Options o;
        o.pause = std::chrono::milliseconds(0);
        o.lowerPriority = false;
        calc_ = new TCalcThread(o); // idle: its worker waits for a request that never comes
        TProjekt& p = *calc_->aktProjekt;
        std::memset(static_cast<void*>(&p), 0, sizeof p); // records are plain bytes
    }
    static void TearDownTestSuite() {
        delete calc_;
        calc_ = nullptr;
    }
    void SetUp() override {
        // Only what the stage reads from the project is reset: clearing the whole 7.6 MB record
        // for every case would dominate the tests under ThreadSanitizer.
        TProjekt& p = *calc_->aktProjekt;
        BuildFrequencyGrid(kFMin, kFMax, kPoints, p.freq);
        p.nAmps = 1;
        p.nChassis = 1;
        clearUsedSlots(*calc_->Res);
        TResult& res = *calc_->Res;
        for (int d = 0; d < kMaxChassis; ++d) {
            res.chassisAmp[d] = -1;
            p.schallwand[d] = TSchallwand{};
            p.chassis[d].Richt.RichtSimu = 0;
            p.chassis[d].Richt.nRicht = 0;
            p.chassis[d].Pmax = 100.0; // W
            p.chassis[d].ZNenn = 8.0;  // Ohm
            p.chassis[d].xlin = 0.004; // m
        }
        calc_->CalcStruct.bfgang_box.assign(kStatusPending);
    }
    static TProjekt& project() { return *calc_->aktProjekt; }
    static TResult& res() { return *calc_->Res; }
    static double freq(int i) { return calc_->aktProjekt->freq[i]; }
    static std::string text() { return std::string(calc_->CalcStruct.bfgang_box.view()); }

    // Driver d in the network of amplifier amp with the baffle pattern(r) on the diaphragm side
    // and rear(r) on the vent side; unit crossover, driver response and filter unless changed.
    static void addDriver(
        int d, int amp, const std::function<Cx(int)>& pattern,
        const std::function<Cx(int)>& rear = [](int) { return Cx(0.0); }) {
        TResult& r = res();
        r.chassisAmp[d] = amp;
        for (int i = 0; i < kResultFreqs; ++i) {
            r.fgang_weiche[d][i] = Complex{1.0, 0.0};
            r.fgang_akt[amp][i] = Complex{1.0, 0.0};
            for (int s = 0; s < kSides; ++s) {
                r.fgang_ch[d][s][i] = Complex{1.0, 0.0};
                r.fgang_ch_oMw[d][s][i] = Complex{1.0, 0.0};
            }
            r.fgang_xch[d][i] = 0.001; // m at the reference drive
            for (int k = 0; k < kDirections; ++k) {
                r.fgang_sw[d][0][i][k] = toC(pattern(k));
                r.fgang_sw[d][1][i][k] = toC(rear(k));
            }
        }
    }
    static void run() { CalcBox(*calc_); }
    // A shorter grid for tests whose patterns do not change with frequency.
    static void useGrid(int points) { BuildFrequencyGrid(kFMin, kFMax, points, project().freq); }
    // Measured directivity: the front half interpolates on the 5° rings.
    static void measuredDirectivity(int d) {
        project().chassis[d].Richt.RichtSimu = 1;
        project().chassis[d].Richt.nRicht = 19;
    }

    static TCalcThread* calc_;
};
TCalcThread* BoxStage::calc_ = nullptr;

Cx flat(int) {
    return 1.0;
}

TEST_F(BoxStage, SingleDriverAtTheOriginIsFrontPlusRearInEveryDirection) {
    addDriver(0, 0, flat, flat);
    TResult& r = res();
    for (int i = 0; i < kPoints; ++i) { // crossover, driver and filter differ per frequency
        r.fgang_weiche[0][i] = Complex{0.5 + 0.01 * i, -0.2};
        r.fgang_ch[0][0][i] = Complex{0.9, 0.1 * i};
        r.fgang_ch[0][1][i] = Complex{-0.3, 0.05};
        r.fgang_akt[0][i] = Complex{0.0, 1.5};
    }
    run();
    EXPECT_EQ(text(), "OK");
    for (int i = 0; i < kPoints; ++i) {
        const Cx g = cx(r.fgang_weiche[0][i]) * cx(r.fgang_akt[0][i]);
        const Cx front = g * cx(r.fgang_ch[0][0][i]), back = g * cx(r.fgang_ch[0][1][i]);
        for (int k = 0; k < kDirections; ++k) {
            ASSERT_LT(std::abs(cx(r.fgang_chas[0][0][i][k]) - front), 1e-14);
            ASSERT_LT(std::abs(cx(r.fgang_chas[0][1][i][k]) - back), 1e-14);
            ASSERT_LT(std::abs(cx(r.fgang_box[i][k]) - (front + back)), 1e-14);
        }
        EXPECT_EQ(r.fgang_box[i][0].re, r.fgang_chas[0][0][i][0].re + r.fgang_chas[0][1][i][0].re);
        EXPECT_EQ(r.fgang_box[i][0].im, r.fgang_chas[0][0][i][0].im + r.fgang_chas[0][1][i][0].im);
        // The same at every angle of both planes, and (radiating alike everywhere) a
        // directivity ratio close to 1.
        for (int n = 0; n < kPlaneAngles; ++n) {
            ASSERT_LT(std::abs(cx(r.fgang_box_h[i][n]) - (front + back)), 1e-14);
            ASSERT_LT(std::abs(cx(r.fgang_box_v[i][n]) - (front + back)), 1e-14);
        }
        EXPECT_NEAR(r.fgang_bmass[i], 1.0, 0.01);
    }
    EXPECT_EQ(r.fgang_box[kPoints][0].re, 0.0); // nothing beyond the grid
}

TEST_F(BoxStage, PositionsGiveThePathPhaseTowardsEachDirection) {
    TProjekt& p = project();
    p.nChassis = 2;
    std::mt19937 gen(17);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<Cx> pat(kDirections);
    for (auto& v : pat) {
        v = Cx(u(gen), u(gen));
    }
    addDriver(
        0, 0, [&](int k) { return pat[k]; }, [&](int k) { return 0.3 * pat[89 - k]; });
    addDriver(1, 0, [&](int k) { return pat[(k + 5) % kDirections]; });
    p.schallwand[0].swhor = 0.05, p.schallwand[0].swvert = 0.20, p.schallwand[0].swstra = -0.01;
    p.schallwand[0].swhorr = -0.1, p.schallwand[0].swvertr = -0.3, p.schallwand[0].swstrar = -0.2;
    p.schallwand[1].swhor = -0.02, p.schallwand[1].swvert = -0.1, p.schallwand[1].swstra = 0.03;
    run();
    ASSERT_EQ(text(), "OK");
    const TResult& r = res();
    for (int i = 0; i < kPoints; ++i) {
        Cx sum[kDirections] = {};
        for (int d = 0; d < 2; ++d) {
            const TSchallwand& w = p.schallwand[d];
            for (int k = 0; k < kDirections; ++k) {
                const double m0 = DirectionPhase(k, freq(i), w.swstra, w.swvert, w.swhor);
                const double m1 = DirectionPhase(k, freq(i), w.swstrar, w.swvertr, w.swhorr);
                const Cx c0 = cx(r.fgang_chas[d][0][i][k]) * std::polar(1.0, -m0);
                const Cx c1 = cx(r.fgang_chas[d][1][i][k]) * std::polar(1.0, -m1);
                ASSERT_LT(std::abs(cx(r.fgang_chassis[d][0][i][k]) - c0), 1e-14);
                ASSERT_LT(std::abs(cx(r.fgang_chassis[d][1][i][k]) - c1), 1e-14);
                sum[k] += c0 + c1;
            }
        }
        for (int k = 0; k < kDirections; ++k) {
            ASSERT_LT(std::abs(cx(r.fgang_box[i][k]) - sum[k]), 1e-13);
        }
        // Angle index 180 of both planes is the axis, bit for bit.
        EXPECT_EQ(r.fgang_box_h[i][180].re, r.fgang_box[i][0].re);
        EXPECT_EQ(r.fgang_box_h[i][180].im, r.fgang_box[i][0].im);
        EXPECT_EQ(r.fgang_box_v[i][180].re, r.fgang_box[i][0].re);
        EXPECT_EQ(r.fgang_box_v[i][180].im, r.fgang_box[i][0].im);
        // The 30° rings lie in the planes: vertical +30° is direction 1, horizontal -60° is 6,
        // horizontal +90° is 12, vertical -150° is 19 (the path phase follows the same geometry).
        EXPECT_LT(std::abs(cx(r.fgang_box_v[i][210]) - sum[1]), 1e-13);
        EXPECT_LT(std::abs(cx(r.fgang_box_h[i][120]) - sum[6]), 1e-13);
        EXPECT_LT(std::abs(cx(r.fgang_box_h[i][270]) - sum[12]), 1e-13);
        EXPECT_LT(std::abs(cx(r.fgang_box_v[i][30]) - sum[19]), 1e-13);
    }
}

TEST_F(BoxStage, PlanesOfAnOffsetSourceAndSymmetryOfACentredOne) {
    // A flat source 0.1 m right of the centre: e^(jk·0.1·sin α) in the horizontal plane.
    addDriver(0, 0, flat);
    project().schallwand[0].swhor = 0.1;
    run();
    ASSERT_EQ(text(), "OK");
    for (int i = 0; i < kPoints; i += 3) {
        const double k = 2.0 * pi * freq(i) / 344.0;
        for (int n = 0; n < kPlaneAngles; n += 7) {
            const double a = (n - 180) * kDeg;
            ASSERT_LT(
                std::abs(cx(res().fgang_box_h[i][n]) - std::polar(1.0, k * 0.1 * std::sin(a))),
                1e-13)
                << n;
            ASSERT_LT(std::abs(cx(res().fgang_box_v[i][n]) - 1.0), 1e-13) << n;
        }
    }
    // Centred horizontally, left and right alike but up and down not: a pattern symmetric between
    // -A and +A, different between +B and -B, and a vertical offset.
    SetUp();
    addDriver(0, 0, [](int k) {
        const DirectionAngle a = DirectionAngles(k);
        return Cx(std::cos(polarAngle(k) / 2.0), a.B > 0.0 ? 0.3 : -0.1);
    });
    project().schallwand[0].swvert = 0.15;
    project().schallwand[0].swstra = 0.02;
    run();
    ASSERT_EQ(text(), "OK");
    for (int i = 0; i < kPoints; ++i) {
        for (int n = 0; n <= 180; ++n) {
            ASSERT_EQ(res().fgang_box_h[i][n].re, res().fgang_box_h[i][360 - n].re) << n;
            ASSERT_EQ(res().fgang_box_h[i][n].im, res().fgang_box_h[i][360 - n].im) << n;
        }
        EXPECT_GT(std::abs(cx(res().fgang_box_v[i][150]) - cx(res().fgang_box_v[i][210])), 0.1);
    }
}

TEST_F(BoxStage, ADriverInNoNetworkContributesNothing) {
    TProjekt& p = project();
    p.nChassis = 2;
    addDriver(0, 0, flat, [](int k) { return Cx(0.1 * k, -0.2); });
    p.schallwand[0].swvert = 0.1;
    run();
    ASSERT_EQ(text(), "OK");
    const BoxOutputs alone(res());

    // Driver 1 radiates loudly from elsewhere, with stale per-driver results, but in no network.
    addDriver(
        1, 0, [](int) { return Cx(5.0, 5.0); }, flat);
    res().chassisAmp[1] = -1;
    p.schallwand[1].swhor = 0.4;
    for (int i = 0; i < kResultFreqs; ++i) {
        for (int s = 0; s < kSides; ++s) {
            for (int k = 0; k < kDirections; ++k) {
                res().fgang_chas[1][s][i][k] = kUntouched;
                res().fgang_chassis[1][s][i][k] = kUntouched;
            }
        }
    }
    run();
    ASSERT_EQ(text(), "OK");
    const TResult& r = res();
    for (int i = 0; i < kPoints; ++i) {
        for (int s = 0; s < kSides; ++s) {
            for (int k = 0; k < kDirections; ++k) {
                ASSERT_EQ(r.fgang_chas[1][s][i][k].re, 0.0);
                ASSERT_EQ(r.fgang_chassis[1][s][i][k].im, 0.0);
            }
        }
        EXPECT_EQ(r.fgang_Uel_preamp[1][i], 1e10);
        EXPECT_EQ(r.fgang_glz[1][i], 0.0);
    }
    const BoxOutputs with(r);
    EXPECT_TRUE(sameBits(with.box, alone.box));
    EXPECT_TRUE(sameBits(with.h, alone.h));
    EXPECT_TRUE(sameBits(with.v, alone.v));
    EXPECT_TRUE(sameBits(with.incUp, alone.incUp));
    EXPECT_EQ(with.bmass, alone.bmass);
    EXPECT_EQ(with.boxVoltage, alone.boxVoltage);
    EXPECT_EQ(with.boxLevel, alone.boxLevel);
}

TEST_F(BoxStage, InclinedDirectionsWeighTheVerticalPositions) {
    // Two identical drivers at ±0.2 m: both inclinations alike, 2·cos(u·h) times one driver.
    TProjekt& p = project();
    p.nChassis = 2;
    addDriver(0, 0, flat);
    addDriver(1, 0, flat);
    p.schallwand[0].swvert = 0.2;
    p.schallwand[1].swvert = -0.2;
    run();
    ASSERT_EQ(text(), "OK");
    for (int i = 0; i < kPoints; ++i) {
        const double u = freq(i) * 2.0 * 3.14159 * 0.017455 / 344.0; // rad per m of height
        const Cx up = cx(res().fgang_box_inc_o[i]), down = cx(res().fgang_box_inc_u[i]);
        EXPECT_LT(std::abs(up - down), 1e-15);
        EXPECT_LT(std::abs(up - 2.0 * std::cos(u * 0.2)), 1e-14);
    }
    // One driver above the axis: the two inclinations turn its phase in opposite senses, the
    // upper one as the vertical plane does at +1° (the listener above is nearer, so it leads)
    // and the lower one as at -1°.
    SetUp();
    addDriver(0, 0, flat);
    project().schallwand[0].swvert = 0.2;
    run();
    for (int i = 0; i < kPoints; ++i) {
        const double u = freq(i) * 2.0 * 3.14159 * 0.017455 / 344.0;
        EXPECT_LT(std::abs(cx(res().fgang_box_inc_o[i]) - std::polar(1.0, u * 0.2)), 1e-14);
        EXPECT_LT(std::abs(cx(res().fgang_box_inc_u[i]) - std::polar(1.0, -u * 0.2)), 1e-14);
        // The plane uses the exact sine of 1°, the inclinations 0.017455 with a rounded pi: their
        // path phases differ by 1.5e-4 of themselves.
        const double phaseError = 2e-4 * u * 0.2 + 1e-12;
        EXPECT_LT(std::abs(cx(res().fgang_box_inc_o[i]) - cx(res().fgang_box_v[i][181])),
                  phaseError);
        EXPECT_LT(std::abs(cx(res().fgang_box_inc_u[i]) - cx(res().fgang_box_v[i][179])),
                  phaseError);
    }
}

// Cardioid (1 + cos θ)/2 and dipole cos θ both put a third of an omnidirectional source's power
// into the sphere at the same axis level: directivity ratio √3 (4.77 dB).
TEST_F(BoxStage, DirectivityRatioOfCardioidAndDipole) {
    const auto cardioid = [](int k) { return Cx(0.5 * (1.0 + std::cos(polarAngle(k)))); };
    const auto dipole = [](int k) { return Cx(std::cos(polarAngle(k))); };
    // Measured directivity: the front half interpolates on the 5° rings; the 30° rings behind
    // carry little of the cardioid's power.
    constexpr int kShortGrid = 3;
    useGrid(kShortGrid);
    addDriver(0, 0, cardioid);
    measuredDirectivity(0);
    run();
    ASSERT_EQ(text(), "OK");
    for (int i = 0; i < kShortGrid; ++i) {
        EXPECT_NEAR(res().fgang_bmass[i], std::sqrt(3.0), 0.01 * std::sqrt(3.0));
    }
    // On the 30° rings alone the linear steps between the rings shift the result by a few per cent.
    for (const auto& pattern : {std::function<Cx(int)>(cardioid), std::function<Cx(int)>(dipole)}) {
        SetUp();
        useGrid(kShortGrid);
        addDriver(0, 0, pattern);
        run();
        ASSERT_EQ(text(), "OK");
        for (int i = 0; i < kShortGrid; ++i) {
            EXPECT_NEAR(res().fgang_bmass[i], std::sqrt(3.0), 0.05 * std::sqrt(3.0));
        }
    }
    // Silence everywhere: no directivity, no NaN.
    SetUp();
    useGrid(kShortGrid);
    addDriver(0, 0, [](int) { return Cx(0.0); });
    run();
    EXPECT_EQ(text(), "OK");
    EXPECT_EQ(res().fgang_bmass[0], 0.0);
}

// The directivity index 20·log10(fgang_bmass) of fields given on the 30° rings against their
// closed forms: omnidirectional 0 dB, cardioid and dipole 10·log10(3), and a rigid piston in an
// infinite baffle (2·J1(ka·sin θ)/(ka·sin θ) in front, nothing behind) with its exact index
// 10·log10((ka)² / (1 − J1(2ka)/ka)). The piston falls short at low ka because the field steps
// linearly from the 90° to the 120° ring (0.7 dB at ka = 0.1); the tolerances below are what
// a continuous field without a ring weight of its own reaches (see directionWeights).
TEST_F(BoxStage, DirectivityIndexAgainstClosedForms) {
    const auto indexOf = [](double bmass) { return 20.0 * std::log10(bmass); };
    const double tenLog3 = 10.0 * std::log10(3.0);
    struct Case {
        std::function<Cx(int)> pattern;
        double exact, tolerance;
        const char* name;
    };
    const Case cases[] = {
        {flat, 0.0, 0.01, "omnidirectional"},
        {[](int k) { return Cx(0.5 * (1.0 + std::cos(polarAngle(k)))); }, tenLog3, 0.1, "cardioid"},
        {[](int k) { return Cx(std::abs(std::cos(polarAngle(k)))); }, tenLog3, 0.25, "dipole"},
    };
    for (const Case& c : cases) {
        SetUp();
        useGrid(2);
        addDriver(0, 0, c.pattern);
        run();
        ASSERT_EQ(text(), "OK");
        EXPECT_NEAR(indexOf(res().fgang_bmass[0]), c.exact, c.tolerance) << c.name;
    }

    const double kas[] = {0.1, 1.0, 3.0, 5.0};
    SetUp();
    useGrid(4);
    addDriver(0, 0, flat);
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < kDirections; ++k) {
            const double theta = polarAngle(k);
            const double x = kas[i] * std::sin(theta);
            const double piston = theta > pi / 2.0 + 1e-9 ? 0.0
                                  : x < 1e-12             ? 1.0
                                                          : 2.0 * std::cyl_bessel_j(1.0, x) / x;
            res().fgang_sw[0][0][i][k] = Complex{piston, 0.0};
        }
    }
    run();
    ASSERT_EQ(text(), "OK");
    for (int i = 0; i < 4; ++i) {
        const double ka = kas[i];
        const double exact =
            10.0 * std::log10(ka * ka / (1.0 - std::cyl_bessel_j(1.0, 2.0 * ka) / ka));
        const double simulated = indexOf(res().fgang_bmass[i]);
        EXPECT_NEAR(simulated, exact, 0.75) << "ka " << ka;
        if (ka <= 1.0) {
            EXPECT_LT(simulated, exact) << "ka " << ka; // the step from 90° to 120° loses power
        }
    }
}

// Two equal omnidirectional sources a apart: on the axis (broadside) 2, mean power over the
// sphere 2 + 2·sin(ka)/(ka). Separated across, upwards and in depth (then the axis lies along the
// line between them, |1 + e^(-jka)|² on the axis).
TEST_F(BoxStage, DirectivityRatioOfTwoPointSources) {
    constexpr double kA = 0.2; // m
    useGrid(6);                // 100 Hz .. 10 kHz: ka from 0.37 to 37
    for (int axis = 0; axis < 3; ++axis) {
        SetUp();
        useGrid(6);
        project().nChassis = 2;
        for (int d = 0; d < 2; ++d) {
            addDriver(d, 0, flat);
            measuredDirectivity(d);
            TSchallwand& w = project().schallwand[d];
            const double x = d == 0 ? 0.5 * kA : -0.5 * kA;
            (axis == 0 ? w.swhor : axis == 1 ? w.swvert : w.swstra) = x;
        }
        run();
        ASSERT_EQ(text(), "OK");
        for (int i = 0; i < 6; ++i) {
            const double ka = 2.0 * pi * freq(i) / 344.0 * kA;
            if (ka > 8.0) {
                continue; // finer lobes than 771 samples resolve
            }
            const double onAxis = axis < 2 ? 4.0 : 2.0 + 2.0 * std::cos(ka);
            const double mean = (2.0 + 2.0 * std::sin(ka) / ka) * 1.001024;
            EXPECT_NEAR(res().fgang_bmass[i], std::sqrt(onAxis / mean),
                        0.01 * std::sqrt(onAxis / mean))
                << "axis " << axis << " ka " << ka;
        }
    }
}

TEST_F(BoxStage, OptimizerObjectsSampleTheSphereSparsely) {
    EXPECT_EQ(sphereStep(false), 338);
    EXPECT_EQ(sphereStep(true), 2366);
    const auto pattern = [](int k) { return Cx(std::pow(std::cos(polarAngle(k) / 2.0), 4)); };
    addDriver(0, 0, pattern);
    project().schallwand[0].swhor = 0.3;
    ASSERT_TRUE(computeBox(project(), res(), 338));
    std::vector<double> dense(res().fgang_bmass, res().fgang_bmass + kPoints);
    ASSERT_TRUE(computeBox(project(), res(), 2366));
    std::vector<double> sparse(res().fgang_bmass, res().fgang_bmass + kPoints);
    run(); // the interactive object
    for (int i = 0; i < kPoints; ++i) {
        EXPECT_EQ(res().fgang_bmass[i], dense[i]);
        EXPECT_NE(dense[i], sparse[i]);
        EXPECT_NEAR(dense[i], sparse[i], 0.1 * dense[i]); // the same quantity, sampled coarser
    }
    SphereIntegration interactive(project(), res(), 338), optimizer(project(), res(), 2366);
    EXPECT_EQ(interactive.samples(), 771);
    EXPECT_EQ(optimizer.samples(), 111);
}

TEST_F(BoxStage, SelectedPlaneAnglesComeOutBitForBitAndTheOthersAreZero) {
    // Two drivers off the centre, one with a vent behind and measured directivity (5° rings), so
    // that every plane angle has its own weights and path phase.
    const auto pattern = [](int k) { return std::polar(std::cos(polarAngle(k) / 3.0), 0.1 * k); };
    const auto rear = [](int k) { return Cx(0.3, -0.05 * k); };
    addDriver(0, 0, pattern);
    addDriver(1, 0, flat, rear);
    project().nChassis = 2;
    measuredDirectivity(1);
    TSchallwand& w0 = project().schallwand[0];
    w0.swhor = 0.11, w0.swvert = -0.23, w0.swstra = 0.017;
    TSchallwand& w1 = project().schallwand[1];
    w1.swhor = -0.04, w1.swvert = 0.19, w1.swstra = -0.012;
    w1.swhorr = 0.02, w1.swvertr = -0.3, w1.swstrar = -0.2;
    run();
    ASSERT_EQ(text(), "OK");
    const BoxOutputs full(res());

    // Scattered angles, the axis in one plane only, and a plane with none at all.
    std::vector<PlaneAngles> selections(3);
    for (int n = 0; n < kPlaneAngles; n += 7) {
        selections[0].angles[0].set(n);
        selections[0].angles[1].set(kPlaneAngles - 1 - n);
    }
    selections[1].angles[0].set(180);
    selections[1].angles[1].set(0);
    selections[1].angles[1].set(360);
    selections[2].angles[1].set(185);
    for (const PlaneAngles& selected : selections) {
        clearUsedSlots(res());
        addDriver(0, 0, pattern);
        addDriver(1, 0, flat, rear);
        CalcBoxAtPlaneAngles(*calc_, selected);
        ASSERT_EQ(text(), "OK");
        const BoxOutputs part(res());
        // Everything but the planes as in the full stage.
        EXPECT_TRUE(sameBits(part.box, full.box));
        EXPECT_TRUE(sameBits(part.incUp, full.incUp));
        EXPECT_EQ(part.bmass, full.bmass);
        EXPECT_EQ(part.boxLevel, full.boxLevel);
        int computed = 0;
        for (int i = 0; i < kPoints; ++i) {
            for (int n = 0; n < kPlaneAngles; ++n) {
                const std::size_t at = static_cast<std::size_t>(i) * kPlaneAngles + n;
                const Complex* got[2] = {&part.h[at], &part.v[at]};
                const Complex* want[2] = {&full.h[at], &full.v[at]};
                for (int plane = 0; plane < 2; ++plane) {
                    if (selected.angles[plane].test(n)) {
                        ++computed;
                        ASSERT_EQ(std::memcmp(got[plane], want[plane], sizeof(Complex)), 0)
                            << "plane " << plane << " angle " << n << " point " << i;
                        ASSERT_NE(want[plane]->re, 0.0); // a real value, not a cleared one
                    } else {
                        ASSERT_EQ(got[plane]->re, 0.0) << plane << " " << n;
                        ASSERT_EQ(got[plane]->im, 0.0) << plane << " " << n;
                    }
                }
            }
        }
        EXPECT_EQ(computed, kPoints * static_cast<int>(selected.angles[0].count() +
                                                       selected.angles[1].count()));
    }
    EXPECT_TRUE(PlaneAngles::all().isAll());
    EXPECT_FALSE(selections[0].isAll());
}

TEST_F(BoxStage, GroupDelayOfAPositionBehindTheBaffle) {
    // 3.44 cm behind the reference plane: 100 µs later, for the driver and for the box.
    addDriver(0, 0, flat);
    project().schallwand[0].swstra = -0.0344;
    run();
    ASSERT_EQ(text(), "OK");
    for (int i = 0; i < kPoints; ++i) {
        EXPECT_NEAR(res().fgang_glz[0][i], 1e-4, 1e-12);
        EXPECT_NEAR(res().fgang_glz[kBoxSlot][i], 1e-4, 1e-12);
        EXPECT_EQ(res().fgang_glz[5][i], 0.0);
    }
}

TEST_F(BoxStage, AnArithmeticFaultStopsWithTheMessageAndKeepsWhatWasWritten) {
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        SetUp();
        addDriver(0, 0, flat);
        TResult& r = res();
        for (int i = 0; i < kResultFreqs; ++i) {
            r.fgang_box[i][0] = kUntouched;
            r.fgang_bmass[i] = -1.0;
        }
        r.fgang_weiche[0][4] = Complex{bad, 0.0};
        run();
        EXPECT_EQ(text(), "Fehler: Gesamtbox kann nicht berechnet werden.");
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(r.fgang_box[i][0].re, 1.0);
            EXPECT_TRUE(std::isfinite(r.fgang_bmass[i]));
        }
        // The frequency where the fault arose: its values that are not finite are cleared to 0,
        // so no NaN or infinity reaches the charts or the export.
        EXPECT_EQ(r.fgang_box[4][0].re, 0.0);
        EXPECT_EQ(r.fgang_box[4][0].im, 0.0);
        EXPECT_TRUE(std::isfinite(r.fgang_bmass[4]));
        EXPECT_EQ(r.fgang_box[5][0].re, kUntouched.re); // later frequencies untouched
        EXPECT_EQ(r.fgang_bmass[5], -1.0);
        EXPECT_EQ(r.fgang_glz[kBoxSlot][0], 0.0); // group delays only after a clean grid
    }
    // A driver whose crossover passes nothing: zero magnitudes, but sentinels, no NaN.
    SetUp();
    addDriver(0, 0, flat);
    for (int i = 0; i < kResultFreqs; ++i) {
        res().fgang_weiche[0][i] = Complex{0.0, 0.0};
    }
    run();
    EXPECT_EQ(text(), "OK");
    EXPECT_EQ(res().fgang_Uel_preamp[0][3], 1e50);
    EXPECT_EQ(res().fgang_bmass[3], 0.0);
    EXPECT_EQ(res().fgang_glz[kBoxSlot][3], 0.0);
}

} // namespace
} // namespace sonora
