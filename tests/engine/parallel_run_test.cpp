// Runs with a worker pool against the sequential run: the same result record bit for bit, the
// same status texts and the same progress, on every example and on a 32-driver project.
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/box_stage.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/example_projects.h"
#include "engine/worker_pool.h"
#include "model/large_block.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;
constexpr auto kGenerous = 120s; // only guards against a hang

// What the listener sees at each progress call: the counters and every status text.
class ProgressLog : public CalcListener {
public:
    void showProgress(const TCalcThread& c) override { note(c, "progress"); }
    void showFinalMessage(const TCalcThread& c) override { note(c, "final"); }
    void resultsBack(const TCalcThread& c) override { note(c, "back"); }

    std::vector<std::string> take() {
        std::lock_guard lock(m_);
        std::vector<std::string> out;
        out.swap(lines_);
        return out;
    }

private:
    void note(const TCalcThread& c, const char* what) {
        const TCalcStruct& cs = c.CalcStruct;
        std::string line = std::string(what) + " " + std::to_string(c.percent_ready.load()) + "/" +
                           std::to_string(c.percent_all.load()) + " " +
                           std::string(cs.bChassiskontrolle.view()) + "|" +
                           std::string(cs.bfgang_box.view());
        for (int i = 0; i < kMaxChassis; ++i) {
            line += "|" + std::string(cs.bfgang_sw[i].view()) + "," +
                    std::string(cs.bfgang_ch[i].view());
        }
        for (int i = 0; i < kMaxAmps; ++i) {
            line += "|" + std::string(cs.bfgang_akt[i].view()) + "," +
                    std::string(cs.bfgang_weiche[i].view());
        }
        std::lock_guard lock(m_);
        lines_.push_back(std::move(line));
    }
    std::mutex m_;
    std::vector<std::string> lines_;
};

// A run object as the command line drives it, with the given pool size and a fixed date.
struct RunObject {
    ProgressLog log;
    std::unique_ptr<TCalcThread> calc;

    explicit RunObject(int poolSize) {
        TCalcThread::Options o;
        o.pause = 0ms;
        o.lowerPriority = false;
        o.listener = &log;
        o.poolSize = poolSize;
        o.today = [] { return DateValue{11, 12, 2026}; };
        calc = std::make_unique<TCalcThread>(o);
    }
    void all(const TProjekt& p) {
        calc->requestCalcAllNew(p);
        ASSERT_TRUE(calc->waitUntilIdle(kGenerous));
    }
    void changed(const TProjekt& p) {
        calc->requestCalcNew(p);
        ASSERT_TRUE(calc->waitUntilIdle(kGenerous));
    }
};

// Offset of the first byte in which two blocks differ, or -1.
long long firstDifference(const void* a, const void* b, std::size_t n) {
    const auto* x = static_cast<const unsigned char*>(a);
    const auto* y = static_cast<const unsigned char*>(b);
    for (std::size_t k = 0; k < n; ++k) {
        if (x[k] != y[k]) {
            return static_cast<long long>(k);
        }
    }
    return -1;
}

void expectSameRun(RunObject& sequential, RunObject& pooled, const std::string& what) {
    const TResult& a = *sequential.calc->Res;
    const TResult& b = *pooled.calc->Res;
    EXPECT_EQ(firstDifference(&a, &b, sizeof(TResult)), -1) << what << ": result record";
    EXPECT_EQ(
        std::memcmp(&sequential.calc->CalcStruct, &pooled.calc->CalcStruct, sizeof(TCalcStruct)), 0)
        << what << ": status texts";
    const std::vector<std::string> la = sequential.log.take();
    const std::vector<std::string> lb = pooled.log.take();
    EXPECT_EQ(la, lb) << what << ": progress";
    EXPECT_GT(la.size(), 2u) << what; // progress before each stage, final message, results back
}

// 32 drivers over 6 amplifiers: the three-way's network on every amplifier, each with its own
// three drivers (0-17), and 14 more drivers (18-31) in no network, whose baffles and enclosures
// are computed but which radiate nothing. Each driver sits at its own place on its own baffle.
void buildThirtyTwoDriverProject(TProjekt& p) {
    buildThreeWayExample(p, 250);
    p.nAmps = kMaxAmps;
    p.nChassis = kMaxChassis;
    for (int a = 1; a < kMaxAmps; ++a) {
        p.amp[a] = p.amp[0];
        for (TPart& part : p.amp[a].weiche) {
            if (part.typ == kPartDriver) {
                part.chassisnr = static_cast<std::int16_t>(part.chassisnr + 3 * a);
            }
        }
    }
    for (int d = 3; d < kMaxChassis; ++d) {
        p.chassis[d] = p.chassis[d % 3];
        p.einbau[d] = p.einbau[d % 3];
        p.schallwand[d] = p.schallwand[d % 3];
        TSchallwand& s = p.schallwand[d];
        const double shift = 0.01 * d; // m
        s.swhor += shift;
        s.swvert -= 0.5 * shift;
        s.swa += shift;
    }
}

using Builder = void (*)(TProjekt&, int);

struct Example {
    const char* name;
    Builder build;
};

const Example kExamples[] = {
    {"two-way", buildTwoWayExample},
    {"three-way", buildThreeWayExample},
    {"subwoofer bandpass", buildSubwooferBandpassExample},
    {"active two-way", buildActiveTwoWayExample},
    {"measured two-way", buildMeasuredTwoWayExample},
};

TEST(ParallelRun, EveryExampleGivesTheSequentialResultBitForBitWithTwoAndThreeWorkers) {
    for (const Example& e : kExamples) {
        auto p = std::make_unique<TProjekt>();
        e.build(*p, 250);
        RunObject sequential(1);
        sequential.all(*p);
        ASSERT_EQ(std::string(sequential.calc->CalcStruct.bfgang_box.view()), "OK") << e.name;
        for (int size : {2, 3}) {
            RunObject pooled(size);
            ASSERT_EQ(pooled.calc->pool()->workers(), size);
            pooled.all(*p);
            expectSameRun(sequential, pooled, std::string(e.name) + ", " + std::to_string(size));
            sequential.all(*p); // a second full run, for the next size's progress log
        }
    }
}

TEST(ParallelRun, ThirtyTwoDriversOnSixAmplifiersGiveTheSequentialResultBitForBit) {
    auto p = std::make_unique<TProjekt>();
    buildThirtyTwoDriverProject(*p);
    RunObject sequential(1);
    sequential.all(*p);
    ASSERT_EQ(std::string(sequential.calc->CalcStruct.bfgang_box.view()), "OK");
    ASSERT_EQ(sequential.calc->Res->nChassis, kMaxChassis);
    for (int size : {2, 3}) {
        RunObject pooled(size);
        pooled.all(*p);
        expectSameRun(sequential, pooled, "32 drivers, " + std::to_string(size));
        sequential.all(*p);
    }
}

TEST(ParallelRun, IncrementalChangesGiveTheSequentialResultBitForBit) {
    // A capacitor, then a baffle, then a driver's mounting: each runs a different set of stages on
    // top of the last result, in the sequential and in the pooled run object alike.
    auto p = std::make_unique<TProjekt>();
    buildThirtyTwoDriverProject(*p);
    RunObject sequential(1);
    RunObject pooled(2);
    sequential.all(*p);
    pooled.all(*p);
    expectSameRun(sequential, pooled, "first run");
    TPart& capacitor = p->amp[2].weiche[verticalSlot(1, 4)];
    capacitor.value *= 1.1;
    sequential.changed(*p);
    pooled.changed(*p);
    expectSameRun(sequential, pooled, "capacitor");
    p->schallwand[7].swa += 0.02;
    p->schallwand[20].swvert += 0.03;
    sequential.changed(*p);
    pooled.changed(*p);
    expectSameRun(sequential, pooled, "two baffles");
    p->einbau[4] = p->einbau[0];
    sequential.changed(*p);
    pooled.changed(*p);
    expectSameRun(sequential, pooled, "mounting");
}

TEST(ParallelRun, BoxStageWithAPoolEqualsThePlainLoopAndKeepsTheFaultFrequency) {
    auto p = std::make_unique<TProjekt>();
    buildThreeWayExample(*p, 250);
    RunObject run(1);
    run.all(*p);
    auto plain = makeZeroedLarge<TResult>();
    auto pooled = makeZeroedLarge<TResult>();
    for (int size : {2, 3}) {
        WorkerPool pool(size);
        std::memcpy(plain.get(), run.calc->Res.get(), sizeof(TResult));
        std::memcpy(pooled.get(), run.calc->Res.get(), sizeof(TResult));
        ASSERT_TRUE(computeBox(*p, *plain, 338));
        ASSERT_TRUE(computeBox(*p, *pooled, 338, PlaneAngles::all(), &pool));
        EXPECT_EQ(firstDifference(plain.get(), pooled.get(), sizeof(TResult)), -1) << size;
        // A fault at one frequency: both stop there; what comes before it is the same.
        constexpr int kFault = 150;
        plain->fgang_weiche[0][kFault] = Complex{std::nan(""), 0.0};
        pooled->fgang_weiche[0][kFault] = Complex{std::nan(""), 0.0};
        EXPECT_FALSE(computeBox(*p, *plain, 338));
        EXPECT_FALSE(computeBox(*p, *pooled, 338, PlaneAngles::all(), &pool));
        for (int i = 0; i < kFault; ++i) {
            ASSERT_EQ(
                std::memcmp(plain->fgang_box[i], pooled->fgang_box[i], sizeof plain->fgang_box[i]),
                0)
                << i;
            ASSERT_EQ(std::memcmp(&plain->fgang_bmass[i], &pooled->fgang_bmass[i], sizeof(double)),
                      0)
                << i;
        }
        EXPECT_TRUE(std::isnan(pooled->fgang_box[kFault][0].re));
    }
}

} // namespace
} // namespace sonora
