// The passive crossover: element list, node numbering, solutions against closed forms and an
// independent nodal analysis, limits and failure texts of the stage.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/calc_thread.h"
#include "engine/crossover_solver.h"
#include "engine/stages.h"
#include "model/crossover_grid.h"
#include "model/frequency_grid.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using Cx = std::complex<double>;

constexpr double kTwoPi = 6.283185307179586477;
constexpr double kRelTol = 1e-11;     // solutions against closed forms, relative
constexpr int kGridPoints = 250;      // the "fein" grid
constexpr short kNormal = -1;         // verpolt as the editor stores it without "Polung negativ"
constexpr short kReversed = 1;        // verpolt with "Polung negativ"
const Complex kUntouched{-7.5, 3.25}; // marks array entries the solver must not write

// The solver's inputs and outputs as the run object holds them (about 260 kB).
struct Arrays {
    Complex impedanz_ch[kMaxChassis][kResultFreqs];
    Complex fgang_weiche[kMaxChassis][kResultFreqs];
    Complex impedanz_box[kResultFreqs];
};

// One amplifier's parts, the grid, driver impedances and the output arrays, all on the heap.
struct Bench {
    std::unique_ptr<TAmp> amp = std::make_unique<TAmp>();
    std::vector<double> freq = std::vector<double>(kCurvePoints, 0.0);
    std::unique_ptr<Arrays> a = std::make_unique<Arrays>();
    std::unique_ptr<CrossoverWorkspace> ws = std::make_unique<CrossoverWorkspace>();
    Complex (&impedanz_ch)[kMaxChassis][kResultFreqs] = a->impedanz_ch;
    Complex (&fgang_weiche)[kMaxChassis][kResultFreqs] = a->fgang_weiche;
    Complex (&impedanz_box)[kResultFreqs] = a->impedanz_box;
    int nextSlot = 0;

    explicit Bench(int points = kGridPoints) {
        BuildFrequencyGrid(kDefaultGridFMin, kDefaultGridFMax, points, freq.data());
        for (int i = 0; i < kResultFreqs; ++i) {
            for (int d = 0; d < kMaxChassis; ++d) {
                fgang_weiche[d][i] = kUntouched;
            }
            impedanz_box[i] = kUntouched;
        }
    }
    Bench(const Bench&) = delete;
    Bench& operator=(const Bench&) = delete;

    int points() const {
        int n = 0;
        while (freq[n] > 0) {
            ++n;
        }
        return n;
    }
    double omega(int i) const { return kTwoPi * freq[i]; }

    TPart& add(PartTyp typ, int nod1, int nod2, double value = 0.0, double rvalue = 0.0) {
        TPart& p = amp->weiche[nextSlot++];
        p.typ = typ;
        p.nod1 = nod1;
        p.nod2 = nod2;
        p.value = value;
        p.Rvalue = rvalue;
        p.verpolt = kNormal;
        return p;
    }
    void source(int nod1, int nod2, short verpolt = kNormal) {
        add(kPartAmplifier, nod1, nod2).verpolt = verpolt;
    }
    void driver(int chassis, int nod1, int nod2, short verpolt = kNormal) {
        TPart& p = add(kPartDriver, nod1, nod2);
        p.chassisnr = static_cast<std::int16_t>(chassis);
        p.verpolt = verpolt;
    }
    // Driver d as Re + jw*Le at every grid frequency (Ohm, H).
    void driverImpedance(int d, double re, double le) {
        for (int i = 0; i < kResultFreqs; ++i) {
            impedanz_ch[d][i] = Complex{re, omega(i) * le};
        }
    }
    CrossoverStatus run() {
        const CrossoverStatus built = buildCrossoverNetwork(amp->weiche, ws->network);
        if (built != CrossoverStatus::Ok) {
            return built;
        }
        return solveCrossover(ws->network, freq.data(), impedanz_ch, *ws, fgang_weiche,
                              impedanz_box);
    }
};

Cx cx(const Complex& z) {
    return {z.re, z.im};
}

// |got - want| within kRelTol of |want| (or absolutely for small values).
::testing::AssertionResult near(const Complex& got, Cx want, int i) {
    const double err = std::abs(cx(got) - want);
    if (err <= kRelTol * std::max(1.0, std::abs(want))) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "at grid index " << i << ": got (" << got.re << ", " << got.im << "), want " << want;
}

bool same(const Complex& a, const Complex& b) {
    return a.re == b.re && a.im == b.im;
}

// --- Element list -----------------------------------------------------------------------------

TEST(CrossoverBuild, DegenerateValuesAndPolarity) {
    Bench b;
    b.add(kPartResistor, 1, 2, 0.0);              // 0 Ohm: wire
    b.add(kPartCapacitor, 3, 4, 0.0, 0.0);        // 0 F, no resistance: wire
    b.add(kPartCapacitor, 5, 6, 0.0, 2.0);        // 0 F with a resistance: stays a capacitor
    b.add(kPartCoil, 7, 8, 0.0, 1.5);             // 0 H: no connection, nodes kept
    b.add(kPartResistor, 9, 10, 8.0).verpolt = 0; // read without polarity
    b.driver(3, 11, 12, kReversed);
    b.amp->weiche[kUsedPartSlots].typ = kPartResistor; // the never-used last slot is ignored
    b.amp->weiche[kUsedPartSlots].value = 1.0;
    b.amp->weiche[kUsedPartSlots - 1].typ = -3; // garbage kinds below 1 are empty slots
    CrossoverNetwork& net = b.ws->network;
    collectCrossoverElements(b.amp->weiche, net);
    ASSERT_EQ(net.elementCount, 6);
    EXPECT_EQ(net.elements[0].typ, kPartWire);
    EXPECT_EQ(net.elements[1].typ, kPartWire);
    EXPECT_EQ(net.elements[2].typ, kPartCapacitor);
    EXPECT_EQ(net.elements[3].typ, kPartEmpty);
    EXPECT_EQ(net.elements[4].typ, kPartResistor);
    EXPECT_EQ(net.elements[5].typ, kPartDriver);
    EXPECT_EQ(net.elements[5].chassisnr, 3);
    EXPECT_EQ(net.elements[4].v, -1);
    EXPECT_EQ(net.elements[5].v, 1);
    for (int j = 0; j < 6; ++j) {
        EXPECT_EQ(net.elements[j].slot, j);
    }

    EXPECT_EQ(crossoverPolarity(-1), -1);
    EXPECT_EQ(crossoverPolarity(0), -1);
    EXPECT_EQ(crossoverPolarity(1), 1);
    EXPECT_EQ(crossoverPolarity(2), 1);
}

TEST(CrossoverBuild, WiresMergeInListOrder) {
    // Chained wires 4->3 then 8->4: the second wire already reads 3 for its nod1, so 3, 4 and 8
    // become one node. In the opposite order the same nodes end as 3 as well.
    for (bool chainFirst : {true, false}) {
        Bench b;
        if (chainFirst) {
            b.add(kPartWire, 3, 4);
            b.add(kPartWire, 4, 8);
        } else {
            b.add(kPartWire, 4, 8);
            b.add(kPartWire, 3, 4);
        }
        b.add(kPartResistor, 8, 4, 1.0);
        b.add(kPartResistor, 4, 9, 1.0);
        b.add(kPartResistor, 3, 8, 1.0);
        CrossoverNetwork& net = b.ws->network;
        collectCrossoverElements(b.amp->weiche, net);
        mergeCrossoverWires(net);
        ASSERT_EQ(net.elementCount, 3) << chainFirst;
        EXPECT_EQ(net.elements[0].nod1, 3);
        EXPECT_EQ(net.elements[0].nod2, 3);
        EXPECT_EQ(net.elements[1].nod1, 3);
        EXPECT_EQ(net.elements[1].nod2, 9);
        EXPECT_EQ(net.elements[2].nod1, 3);
        EXPECT_EQ(net.elements[2].nod2, 3);
        // The part's own numbers stay.
        EXPECT_EQ(net.elements[0].partNod1, 8);
        EXPECT_EQ(net.elements[0].partNod2, 4);
        EXPECT_EQ(net.elements[0].slot, 2);
    }
}

TEST(CrossoverBuild, CompactionOnAScrambledExample) {
    // Worked by hand: node 0 is used, 1 is not -> the first number above 1 in list order is A's
    // nod1 = 5 -> 1. Then 2 is used, 3 is not -> A's nod2 = 9 -> 3. Then 4 is not -> C's 7 -> 4.
    // Numbering by first appearance would give different names, so this pins the rule down.
    Bench b;
    b.add(kPartResistor, 5, 9, 1.0); // A
    b.add(kPartResistor, 9, 2, 1.0); // B
    b.add(kPartResistor, 0, 7, 1.0); // C
    b.add(kPartResistor, 2, 5, 1.0); // D
    CrossoverNetwork& net = b.ws->network;
    ASSERT_EQ(buildCrossoverNetwork(b.amp->weiche, net), CrossoverStatus::Ok);
    EXPECT_EQ(net.nodeCount, 5);
    EXPECT_EQ(net.variableCount(), 9);
    const int want[4][2] = {{1, 3}, {3, 2}, {0, 4}, {2, 1}};
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(net.elements[j].nod1, want[j][0]) << j;
        EXPECT_EQ(net.elements[j].nod2, want[j][1]) << j;
    }

    // An element whose two numbers are both above the count: nod1 is renamed first.
    Bench c;
    c.add(kPartResistor, 40, 20, 1.0);
    c.add(kPartResistor, 20, 0, 1.0);
    ASSERT_EQ(buildCrossoverNetwork(c.amp->weiche, c.ws->network), CrossoverStatus::Ok);
    EXPECT_EQ(c.ws->network.elements[0].nod1, 1);
    EXPECT_EQ(c.ws->network.elements[0].nod2, 2);
    EXPECT_EQ(c.ws->network.elements[1].nod1, 2);
    EXPECT_EQ(c.ws->network.nodeCount, 3);
}

TEST(CrossoverBuild, VariableLimit) {
    // A synthetic list right at the limit and one beyond it.
    CrossoverNetwork net;
    net.elementCount = kUsedPartSlots;
    for (int j = 0; j < net.elementCount; ++j) {
        const int next = (j + 1) % kUsedPartSlots;
        net.elements[j] = CrossoverElement{j, 0, 0, j, next, kPartResistor, -1, 0, 0.0, 1.0};
    }
    net.nodeCount = kMaxCrossoverVariables - kUsedPartSlots;
    EXPECT_EQ(checkCrossoverNetwork(net), CrossoverStatus::Ok);
    ++net.nodeCount;
    EXPECT_EQ(checkCrossoverNetwork(net), CrossoverStatus::TooManyVariables);

    // Out-of-range node numbers in the parts are the only way past the limit: 375 resistors on
    // distinct node pairs make 375 + 750 variables.
    Bench hostile;
    for (int slot = 0; slot < kUsedPartSlots; ++slot) {
        hostile.add(kPartResistor, 1000 + 2 * slot, 1001 + 2 * slot, 1.0);
    }
    EXPECT_EQ(hostile.run(), CrossoverStatus::TooManyVariables);
    EXPECT_TRUE(same(hostile.impedanz_box[0], kUntouched));

    // With the node numbers of project data (0 .. 132) even all 375 slots filled stay within:
    // at most 375 + 133 = 508 variables.
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> node(0, kGridNodes);
    std::uniform_int_distribution<int> kind(kPartWire, kPartCoil);
    int largest = 0;
    for (int trial = 0; trial < 20; ++trial) {
        Bench full(1);
        for (int slot = 0; slot < kUsedPartSlots; ++slot) {
            full.add(static_cast<PartTyp>(kind(rng)), node(rng), node(rng), 1e-3, 0.5);
        }
        ASSERT_EQ(buildCrossoverNetwork(full.amp->weiche, full.ws->network), CrossoverStatus::Ok);
        largest = std::max(largest, full.ws->network.variableCount());
    }
    EXPECT_LE(largest, kUsedPartSlots + kGridNodes + 1);
}

TEST(CrossoverBuild, DriverIndexAndNegativeNodes) {
    for (int chassis : {-1, kMaxChassis, 200}) {
        Bench b;
        b.source(0, 1);
        b.driver(chassis, 0, 1);
        EXPECT_EQ(b.run(), CrossoverStatus::BadDriverIndex) << chassis;
        EXPECT_TRUE(same(b.impedanz_box[0], kUntouched));
    }
    Bench ok;
    ok.source(0, 1);
    ok.driver(kMaxChassis - 1, 0, 1);
    ok.driverImpedance(kMaxChassis - 1, 6.0, 0.0);
    EXPECT_EQ(ok.run(), CrossoverStatus::Ok);

    Bench negative;
    negative.source(0, 1);
    negative.add(kPartResistor, 1, -4, 2.0);
    EXPECT_EQ(negative.run(), CrossoverStatus::BadNode);
}

// --- Solutions ---------------------------------------------------------------------------------

TEST(CrossoverSolve, VoltageDivider) {
    // Source across nodes 1/0, R1 from 1 to 2, R2 parallel to a resistive driver from 2 to 0.
    const double r1 = 3.3, r2 = 10.0, rd = 6.8; // Ohm
    Bench b;
    b.source(1, 0);
    b.add(kPartResistor, 1, 2, r1);
    b.add(kPartResistor, 2, 0, r2);
    b.driver(0, 2, 0);
    b.driverImpedance(0, rd, 0.0);
    ASSERT_EQ(b.run(), CrossoverStatus::Ok);
    const double rp = r2 * rd / (r2 + rd);
    for (int i = 0; i < b.points(); ++i) {
        EXPECT_TRUE(near(b.fgang_weiche[0][i], rp / (r1 + rp), i));
        // The amplifier sees the load itself, with the load's sign and phase.
        EXPECT_TRUE(near(b.impedanz_box[i], r1 + rp, i));
    }
    EXPECT_TRUE(same(b.impedanz_box[b.points()], kUntouched)); // nothing past the grid

    // "Polung negativ" at the amplifier, or the source drawn the other way round, inverts the
    // driver's voltage but not the load the amplifier sees.
    for (const bool swapped : {false, true}) {
        Bench r;
        if (swapped) {
            r.source(0, 1);
        } else {
            r.source(1, 0, kReversed);
        }
        r.add(kPartResistor, 1, 2, r1);
        r.add(kPartResistor, 2, 0, r2);
        r.driver(0, 2, 0);
        r.driverImpedance(0, rd, 0.0);
        ASSERT_EQ(r.run(), CrossoverStatus::Ok);
        for (int i = 0; i < r.points(); ++i) {
            EXPECT_TRUE(near(r.fgang_weiche[0][i], -rp / (r1 + rp), i)) << swapped;
            EXPECT_TRUE(near(r.impedanz_box[i], r1 + rp, i)) << swapped;
        }
    }
}

TEST(CrossoverSolve, SecondOrderLowPass) {
    const double l = 0.47e-3, rl = 0.35, c = 22e-6, rd = 8.0; // H, Ohm, F, Ohm
    Bench b;
    b.source(1, 0);
    b.add(kPartCoil, 1, 2, l, rl);
    b.add(kPartCapacitor, 2, 0, c);
    b.driver(4, 2, 0);
    b.driverImpedance(4, rd, 0.0);
    ASSERT_EQ(b.run(), CrossoverStatus::Ok);
    for (int i = 0; i < b.points(); ++i) {
        const double w = b.omega(i);
        const Cx zl(rl, w * l);
        const Cx zc = 1.0 / Cx(0.0, w * c);
        const Cx zp = zc * rd / (zc + rd);
        EXPECT_TRUE(near(b.fgang_weiche[4][i], zp / (zl + zp), i));
        EXPECT_TRUE(near(b.impedanz_box[i], zl + zp, i));
    }
}

TEST(CrossoverSolve, ZobelMakesTheLoadFlat) {
    // Driver Re + jwLe in parallel with Re in series with Le/Re^2 is exactly Re at all frequencies.
    const double re = 6.2, le = 0.9e-3; // Ohm, H
    Bench b;
    b.source(1, 0);
    b.driver(2, 1, 0);
    b.driverImpedance(2, re, le);
    b.add(kPartResistor, 1, 3, re);
    b.add(kPartCapacitor, 3, 0, le / (re * re));
    ASSERT_EQ(b.run(), CrossoverStatus::Ok);
    for (int i = 0; i < b.points(); ++i) {
        EXPECT_TRUE(near(b.impedanz_box[i], re, i));
        EXPECT_TRUE(near(b.fgang_weiche[2][i], 1.0, i));
    }
}

TEST(CrossoverSolve, DriverPolarity) {
    // Source and driver between the same two nodes: +1 for normal polarity (also for slots read
    // without a polarity), -1 with "Polung negativ". A reversed source turns the sign as well.
    struct Case {
        short source, driver;
        double want;
    };
    for (const Case& k :
         {Case{kNormal, kNormal, 1.0}, Case{kNormal, 0, 1.0}, Case{kNormal, kReversed, -1.0},
          Case{kReversed, kNormal, -1.0}, Case{kReversed, kReversed, 1.0}}) {
        Bench b(16);
        b.source(0, 1, k.source);
        b.driver(0, 0, 1, k.driver);
        b.driverImpedance(0, 4.0, 0.2e-3);
        ASSERT_EQ(b.run(), CrossoverStatus::Ok);
        for (int i = 0; i < b.points(); ++i) {
            EXPECT_TRUE(near(b.fgang_weiche[0][i], k.want, i)) << k.source << " " << k.driver;
        }
    }
}

TEST(CrossoverSolve, ZeroOhmResistorAndEmptyCapacitorAreWires) {
    // Source -> 0 Ohm -> node 2 -> driver: same results as with an explicit wire, bit for bit.
    Bench wire, zeroOhm, zeroFarad;
    for (Bench* b : {&wire, &zeroOhm, &zeroFarad}) {
        b->source(1, 0);
        b->driver(0, 2, 0);
        b->driverImpedance(0, 8.0, 0.5e-3);
        b->add(kPartResistor, 2, 0, 20.0);
    }
    wire.add(kPartWire, 1, 2);
    zeroOhm.add(kPartResistor, 1, 2, 0.0);
    zeroFarad.add(kPartCapacitor, 1, 2, 0.0, 0.0);
    for (Bench* b : {&wire, &zeroOhm, &zeroFarad}) {
        ASSERT_EQ(b->run(), CrossoverStatus::Ok);
    }
    for (int i = 0; i < wire.points(); ++i) {
        EXPECT_TRUE(near(wire.fgang_weiche[0][i], 1.0, i));
        EXPECT_TRUE(same(zeroOhm.fgang_weiche[0][i], wire.fgang_weiche[0][i])) << i;
        EXPECT_TRUE(same(zeroOhm.impedanz_box[i], wire.impedanz_box[i])) << i;
        EXPECT_TRUE(same(zeroFarad.fgang_weiche[0][i], wire.fgang_weiche[0][i])) << i;
    }
}

TEST(CrossoverSolve, ZeroCoilDisconnectsItsBranch) {
    // Driver 0 hangs behind a coil of 0 mH, driver 1 sits across the source.
    const double rd0 = 8.0, rd1 = 4.0; // Ohm
    Bench b;
    b.source(1, 0);
    b.add(kPartCoil, 1, 2, 0.0, 0.3);
    b.driver(0, 2, 0);
    b.driver(1, 1, 0);
    b.driverImpedance(0, rd0, 0.0);
    b.driverImpedance(1, rd1, 0.0);
    ASSERT_EQ(b.run(), CrossoverStatus::Ok);
    for (int i = 0; i < b.points(); ++i) {
        EXPECT_LT(std::abs(cx(b.fgang_weiche[0][i])), 1e-12) << i;
        EXPECT_TRUE(near(b.fgang_weiche[1][i], 1.0, i));
        EXPECT_TRUE(near(b.impedanz_box[i], rd1, i)); // only the connected driver loads it
    }
}

TEST(CrossoverSolve, TwoDriversGetIndependentVoltages) {
    // Driver 3 across the source; driver 7 behind a series resistor; driver 5 is in no network.
    const double rs = 2.0, rd3 = 8.0, rd7 = 6.0; // Ohm
    Bench b;
    b.source(1, 0);
    b.driver(3, 1, 0);
    b.add(kPartResistor, 1, 2, rs);
    b.driver(7, 0, 2, kReversed); // connected upside down and reversed: the same as normal
    b.driverImpedance(3, rd3, 0.0);
    b.driverImpedance(7, rd7, 0.0);
    b.driverImpedance(5, 1.0, 0.0);
    ASSERT_EQ(b.run(), CrossoverStatus::Ok);
    for (int i = 0; i < b.points(); ++i) {
        EXPECT_TRUE(near(b.fgang_weiche[3][i], 1.0, i));
        EXPECT_TRUE(near(b.fgang_weiche[7][i], rd7 / (rs + rd7), i));
        EXPECT_TRUE(near(b.impedanz_box[i], rd3 * (rs + rd7) / (rd3 + rs + rd7), i));
        EXPECT_TRUE(same(b.fgang_weiche[5][i], kUntouched));
    }
}

// Independent oracle: nodal analysis with std::complex over the same random networks. Wires and
// 0 Ohm resistors are merged by a union-find, the source fixes V(a) - V(b) = 1 V.
struct OracleNet {
    struct Branch {
        int a, b;
        PartTyp typ;
        double value, rvalue;
        int chassis;
        short verpolt;
    };
    int nodes;
    std::vector<Branch> branches;
    double re[2], le[2]; // the two drivers' Re (Ohm) and Le (H)
};

OracleNet randomNetwork(std::mt19937& rng) {
    std::uniform_real_distribution<double> u(0.0, 1.0);
    OracleNet net;
    net.nodes = 7;
    // A spanning tree over nodes 0..6 so nothing floats, then extra branches.
    for (int n = 1; n < net.nodes; ++n) {
        const int parent = static_cast<int>(u(rng) * n);
        net.branches.push_back({parent, n, kPartResistor, 1.0 + 20.0 * u(rng), 0.0, 0, 0});
    }
    for (int extra = 0; extra < 6; ++extra) {
        const int a = static_cast<int>(u(rng) * net.nodes);
        const int b = static_cast<int>(u(rng) * net.nodes);
        const double pick = u(rng);
        if (pick < 0.35) {
            net.branches.push_back({a, b, kPartCoil, 0.1e-3 + 5e-3 * u(rng), u(rng), 0, 0});
        } else if (pick < 0.7) {
            net.branches.push_back({a, b, kPartCapacitor, 1e-6 + 100e-6 * u(rng), 0.0, 0, 0});
        } else {
            net.branches.push_back({a, b, kPartResistor, 0.5 + 30.0 * u(rng), 0.0, 0, 0});
        }
    }
    // One wire between two nodes other than the source's 0 and 1.
    net.branches.push_back({2 + static_cast<int>(u(rng) * 5), 2 + static_cast<int>(u(rng) * 5),
                            kPartWire, 0.0, 0.0, 0, 0});
    for (int d = 0; d < 2; ++d) {
        const int a = static_cast<int>(u(rng) * net.nodes);
        const int b = (a + 1 + static_cast<int>(u(rng) * (net.nodes - 1))) % net.nodes;
        net.branches.push_back(
            {a, b, kPartDriver, 0.0, 0.0, 10 + d, u(rng) < 0.5 ? kNormal : kReversed});
        net.re[d] = 3.0 + 5.0 * u(rng);
        net.le[d] = 1e-3 * u(rng);
    }
    return net;
}

// Impedance of an oracle branch at angular frequency w (rad/s); false for a wire.
bool branchImpedance(const OracleNet& net, const OracleNet::Branch& br, double w, Cx& z) {
    switch (br.typ) {
    case kPartResistor:
        z = br.value;
        return true;
    case kPartCoil:
        z = Cx(br.rvalue, w * br.value);
        return true;
    case kPartCapacitor:
        z = 1.0 / Cx(0.0, w * br.value);
        return true;
    case kPartDriver:
        z = Cx(net.re[br.chassis - 10], w * net.le[br.chassis - 10]);
        return true;
    default:
        return false;
    }
}

// Node voltages of the oracle network at angular frequency w, node 0 at 0 V and node 1 at 1 V;
// nodes joined by a wire share their voltage and get the same group number.
std::vector<Cx> oracleVoltages(const OracleNet& net, double w, std::vector<int>& group) {
    const int n = net.nodes;
    std::vector<int> root(n);
    std::iota(root.begin(), root.end(), 0);
    auto find = [&](int k) {
        while (root[k] != k) {
            k = root[k];
        }
        return k;
    };
    for (const auto& br : net.branches) {
        if (br.typ == kPartWire) {
            root[find(br.b)] = find(br.a);
        }
    }
    std::vector<std::vector<Cx>> y(n, std::vector<Cx>(n + 1, 0.0));
    for (const auto& br : net.branches) {
        Cx z;
        if (!branchImpedance(net, br, w, z)) {
            continue;
        }
        const int a = find(br.a), b = find(br.b);
        y[a][a] += 1.0 / z;
        y[b][b] += 1.0 / z;
        y[a][b] -= 1.0 / z;
        y[b][a] -= 1.0 / z;
    }
    // The rows of the source's nodes and of merged-away nodes become fixed values.
    const int s1 = find(1), s0 = find(0);
    for (int r = 0; r < n; ++r) {
        if (r == s1 || r == s0 || find(r) != r) {
            std::fill(y[r].begin(), y[r].end(), 0.0);
            y[r][r] = 1.0;
            y[r][n] = (r == s1) ? 1.0 : 0.0;
        }
    }
    for (int j = 0; j < n; ++j) { // Gauss-Jordan with partial pivoting
        int p = j;
        for (int k = j + 1; k < n; ++k) {
            if (std::abs(y[k][j]) > std::abs(y[p][j])) {
                p = k;
            }
        }
        std::swap(y[j], y[p]);
        for (int k = 0; k < n; ++k) {
            if (k != j) {
                const Cx f = y[k][j] / y[j][j];
                for (int q = j; q <= n; ++q) {
                    y[k][q] -= f * y[j][q];
                }
            }
        }
    }
    std::vector<Cx> v(n);
    group.resize(n);
    for (int r = 0; r < n; ++r) {
        group[r] = find(r);
        v[r] = y[group[r]][n] / y[group[r]][group[r]];
    }
    return v;
}

TEST(CrossoverSolve, RandomNetworksMatchNodalAnalysis) {
    std::mt19937 rng(4711);
    constexpr int kNodeShift = 17; // node numbers in the parts, so compaction has work
    for (int trial = 0; trial < 12; ++trial) {
        const OracleNet net = randomNetwork(rng);
        Bench b(40);
        // Parts in scattered slots, so the list order differs from the branch order.
        std::vector<int> slots(kUsedPartSlots);
        std::iota(slots.begin(), slots.end(), 0);
        std::shuffle(slots.begin(), slots.end(), rng);
        int next = 0;
        b.nextSlot = slots[next++];
        b.source(1 + kNodeShift, kNodeShift);
        for (const auto& br : net.branches) {
            b.nextSlot = slots[next++];
            if (br.typ == kPartDriver) {
                b.driver(br.chassis, br.a + kNodeShift, br.b + kNodeShift, br.verpolt);
            } else {
                b.add(br.typ, br.a + kNodeShift, br.b + kNodeShift, br.value, br.rvalue);
            }
        }
        for (int d = 0; d < 2; ++d) {
            b.driverImpedance(10 + d, net.re[d], net.le[d]);
        }
        ASSERT_EQ(b.run(), CrossoverStatus::Ok) << trial;
        for (int i = 0; i < b.points(); ++i) {
            const double w = b.omega(i);
            std::vector<int> group;
            const std::vector<Cx> v = oracleVoltages(net, w, group);
            Cx intoNetwork = 0.0; // A, leaving node 1 through the branches
            for (const auto& br : net.branches) {
                Cx z;
                if (!branchImpedance(net, br, w, z)) {
                    continue;
                }
                if (br.typ == kPartDriver) {
                    const double sign = br.verpolt == kReversed ? -1.0 : 1.0;
                    const Cx want = sign * (v[br.a] - v[br.b]);
                    EXPECT_LT(std::abs(cx(b.fgang_weiche[br.chassis][i]) - want), 1e-9)
                        << "trial " << trial << " index " << i;
                }
                const Cx current = (v[br.a] - v[br.b]) / z;
                const bool atA = group[br.a] == group[1], atB = group[br.b] == group[1];
                if (atA && !atB) {
                    intoNetwork += current;
                } else if (atB && !atA) {
                    intoNetwork -= current;
                }
            }
            EXPECT_TRUE(near(b.impedanz_box[i], 1.0 / intoNetwork, i)) << "trial " << trial;
        }
    }
}

TEST(CrossoverSolve, OpenNetworksDoNotFault) {
    // A source alone carries no current: its admittance becomes 1e-100 twice over, no error.
    Bench alone(8);
    alone.source(0, 1);
    ASSERT_EQ(alone.run(), CrossoverStatus::Ok);
    for (int i = 0; i < alone.points(); ++i) {
        EXPECT_TRUE(near(alone.impedanz_box[i], 5e99, i));
    }
    // A driver without a source gets no voltage; the impedance is the open 1e100.
    Bench noSource(8);
    noSource.driver(0, 0, 1);
    noSource.add(kPartResistor, 1, 2, 4.0);
    noSource.driverImpedance(0, 8.0, 0.0);
    ASSERT_EQ(noSource.run(), CrossoverStatus::Ok);
    for (int i = 0; i < noSource.points(); ++i) {
        EXPECT_TRUE(near(noSource.fgang_weiche[0][i], 0.0, i));
        EXPECT_TRUE(near(noSource.impedanz_box[i], 1e100, i));
    }
    // No parts at all: nothing is written.
    Bench empty(8);
    ASSERT_EQ(empty.run(), CrossoverStatus::Ok);
    EXPECT_EQ(empty.ws->network.variableCount(), 0);
    EXPECT_TRUE(same(empty.impedanz_box[0], kUntouched));
}

TEST(CrossoverSolve, NonFiniteValuesAreFaults) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        PartTyp typ;
        double value, rvalue;
    };
    for (const Case& k :
         {Case{kPartResistor, nan, 0.0}, Case{kPartResistor, inf, 0.0}, Case{kPartCoil, 1e-3, nan},
          Case{kPartCoil, inf, 0.2}, Case{kPartCapacitor, nan, 0.0}, Case{kPartCapacitor, 0.0, 1.0},
          Case{kPartCapacitor, 1e-320, 0.0}}) {
        Bench b(8);
        b.source(1, 0);
        b.add(k.typ, 1, 2, k.value, k.rvalue);
        b.driver(0, 2, 0);
        b.driverImpedance(0, 8.0, 0.0);
        EXPECT_EQ(b.run(), CrossoverStatus::ArithmeticFault) << k.typ << " " << k.value;
        EXPECT_TRUE(same(b.fgang_weiche[0][0], kUntouched));
        EXPECT_TRUE(same(b.impedanz_box[0], kUntouched));
    }

    // A driver impedance that turns bad in the middle of the grid: the frequencies before it
    // stay written, nothing from that frequency on.
    constexpr int kBadIndex = 5;
    Bench b(12);
    b.source(1, 0);
    b.driver(0, 1, 0);
    b.driverImpedance(0, 8.0, 0.0);
    b.impedanz_ch[0][kBadIndex] = Complex{nan, 0.0};
    EXPECT_EQ(b.run(), CrossoverStatus::ArithmeticFault);
    for (int i = 0; i < b.points(); ++i) {
        if (i < kBadIndex) {
            EXPECT_TRUE(near(b.fgang_weiche[0][i], 1.0, i));
        } else {
            EXPECT_TRUE(same(b.fgang_weiche[0][i], kUntouched)) << i;
            EXPECT_TRUE(same(b.impedanz_box[i], kUntouched)) << i;
        }
    }
}

// --- The stage on a run object ------------------------------------------------------------------

class CrossoverStage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TCalcThread::Options o;
        o.pause = std::chrono::milliseconds(0);
        o.lowerPriority = false;
        calc_ = new TCalcThread(o); // idle: its worker waits for a request that never comes
    }
    static void TearDownTestSuite() {
        delete calc_;
        calc_ = nullptr;
    }
    void SetUp() override {
        TProjekt& p = *calc_->aktProjekt;
        std::memset(static_cast<void*>(&p), 0, sizeof p); // records are plain bytes
        BuildFrequencyGrid(kDefaultGridFMin, kDefaultGridFMax, kGridPoints, p.freq);
        TResult& res = *calc_->Res;
        for (int i = 0; i < kResultFreqs; ++i) {
            for (int a = 0; a < kMaxAmps; ++a) {
                res.impedanz_box[a][i] = kUntouched;
            }
            for (int d = 0; d < kMaxChassis; ++d) {
                res.fgang_weiche[d][i] = kUntouched;
                res.impedanz_ch[d][i] = Complex{8.0, 0.0};
            }
        }
        for (auto& t : calc_->CalcStruct.bfgang_weiche) {
            t.assign(kStatusPending);
        }
    }
    static TPart& slot(int amp, int s, PartTyp typ, double value = 0.0, double rvalue = 0.0) {
        TPart& part = calc_->aktProjekt->amp[amp].weiche[s];
        part.typ = typ;
        part.value = value;
        part.Rvalue = rvalue;
        part.verpolt = kNormal;
        return part;
    }
    static std::string text(int amp) {
        return std::string(calc_->CalcStruct.bfgang_weiche[amp].view());
    }
    static bool noNaN() {
        const TResult& res = *calc_->Res;
        for (int i = 0; i < kResultFreqs; ++i) {
            for (int a = 0; a < kMaxAmps; ++a) {
                if (std::isnan(res.impedanz_box[a][i].re) ||
                    std::isnan(res.impedanz_box[a][i].im)) {
                    return false;
                }
            }
            for (int d = 0; d < kMaxChassis; ++d) {
                if (std::isnan(res.fgang_weiche[d][i].re) ||
                    std::isnan(res.fgang_weiche[d][i].im)) {
                    return false;
                }
            }
        }
        return true;
    }
    static TCalcThread* calc_;
};
TCalcThread* CrossoverStage::calc_ = nullptr;

TEST_F(CrossoverStage, SolvesANetworkDrawnOnTheGrid) {
    // Amplifier 2 (index 1): source in the vertical slot at column 0, coil along the top row,
    // capacitor down at column 1, a wire on to column 2 where driver 6 goes down; the bottom row
    // is wired through. Node numbers as the project reader assigns them.
    constexpr int kAmp = 1, kChassis = 6;
    const double l = 1.2e-3, rl = 0.4, c = 15e-6; // H, Ohm, F
    slot(kAmp, kVerticalSlotBase + 0, kPartAmplifier);
    slot(kAmp, 0, kPartCoil, l, rl);
    slot(kAmp, kVerticalSlotBase + 1, kPartCapacitor, c);
    slot(kAmp, 1, kPartWire);
    slot(kAmp, kVerticalSlotBase + 2, kPartDriver).chassisnr = kChassis;
    slot(kAmp, 10, kPartWire);
    slot(kAmp, 11, kPartWire);
    assignGridNodes(calc_->aktProjekt->amp[kAmp].weiche);
    TResult& res = *calc_->Res;
    const double re = 5.6, le = 0.3e-3; // Ohm, H
    for (int i = 0; i < kResultFreqs; ++i) {
        res.impedanz_ch[kChassis][i] = Complex{re, kTwoPi * calc_->aktProjekt->freq[i] * le};
    }

    CalcCrossover(*calc_, kAmp);
    EXPECT_EQ(text(kAmp), "OK");
    EXPECT_EQ(calc_->grad, 4 + 3); // source, coil, capacitor, driver; nodes 0, 1 = 2, 11 = 12 = 13
    for (int i = 0; i < kGridPoints; ++i) {
        const double w = kTwoPi * calc_->aktProjekt->freq[i];
        const Cx zl(rl, w * l), zd(re, w * le);
        const Cx zc = 1.0 / Cx(0.0, w * c);
        const Cx zp = zc * zd / (zc + zd);
        EXPECT_TRUE(near(res.fgang_weiche[kChassis][i], zp / (zl + zp), i));
        EXPECT_TRUE(near(res.impedanz_box[kAmp][i], zl + zp, i));
        EXPECT_TRUE(same(res.impedanz_box[0][i], kUntouched));
    }
    EXPECT_EQ(text(0), "F");
}

TEST_F(CrossoverStage, NoPartsEndsOkAndLeavesTheImpedance) {
    CalcCrossover(*calc_, 0);
    EXPECT_EQ(text(0), "OK");
    EXPECT_TRUE(same(calc_->Res->impedanz_box[0][0], kUntouched));
}

TEST_F(CrossoverStage, FailureTexts) {
    const std::string want3 =
        utf8ToLatin1("Fehler: Weiche an Verstärker 3 kann nicht berechnet werden.");
    EXPECT_EQ(crossoverFailureText(2), want3);

    // A driver index above 31.
    slot(2, kVerticalSlotBase, kPartAmplifier);
    slot(2, kVerticalSlotBase + 1, kPartDriver).chassisnr = kMaxChassis;
    slot(2, 0, kPartWire);
    slot(2, 10, kPartWire);
    assignGridNodes(calc_->aktProjekt->amp[2].weiche);
    CalcCrossover(*calc_, 2);
    EXPECT_EQ(text(2), want3);
    EXPECT_TRUE(same(calc_->Res->impedanz_box[2][0], kUntouched));

    // More than 750 variables, only possible with node numbers outside the grid.
    for (int s = 0; s < kUsedPartSlots; ++s) {
        TPart& p = slot(5, s, kPartResistor, 1.0);
        p.nod1 = 500 + 2 * s;
        p.nod2 = 501 + 2 * s;
    }
    CalcCrossover(*calc_, 5);
    EXPECT_EQ(text(5), utf8ToLatin1("Fehler: Weiche an Verstärker 6 kann nicht berechnet werden."));

    // A part value that is not a number: the stage fails and no NaN reaches the results.
    slot(0, kVerticalSlotBase, kPartAmplifier);
    slot(0, 0, kPartResistor, std::numeric_limits<double>::quiet_NaN());
    slot(0, kVerticalSlotBase + 1, kPartDriver).chassisnr = 0;
    slot(0, 10, kPartWire);
    assignGridNodes(calc_->aktProjekt->amp[0].weiche);
    CalcCrossover(*calc_, 0);
    EXPECT_EQ(text(0), utf8ToLatin1("Fehler: Weiche an Verstärker 1 kann nicht berechnet werden."));
    EXPECT_TRUE(noNaN());
}

} // namespace
} // namespace sonora
