// The window's copy of each result: through the driver span it must come out as the run object's
// record byte for byte, whatever the copy held before (more drivers, fewer, a failed run).
#include <chrono>
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/example_projects.h"
#include "tests/engine/hostile_project.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;
constexpr auto kGenerous = 120s; // only guards against a hang
constexpr int kPoints = 40;

// Equal apart from `valid`, which only the window's copy sets.
bool sameRecord(TResult& copy, const TResult& run) {
    const bool valid = copy.valid;
    copy.valid = run.valid;
    const bool same = std::memcmp(&copy, &run, sizeof(TResult)) == 0;
    copy.valid = valid;
    return same;
}

TEST(ResultHandover, TheWindowsCopyIsTheRunObjectsRecordAfterEveryKindOfRun) {
    TFormRechnen form;
    TCalcThread::Options o;
    o.pause = 0ms;
    o.lowerPriority = false;
    o.listener = &form;
    TCalcThread calc(o);
    form.attach(&calc);
    auto project = std::make_unique<TProjekt>();
    auto run = [&](bool full) {
        if (full) {
            form.CalcAllNew(*project);
        } else {
            form.CalcNew(*project);
        }
        ASSERT_TRUE(calc.waitUntilIdle(kGenerous));
    };

    // 32 drivers fill every slot; then the three-way, whose full run clears all but three.
    test::buildHostileProject(*project, kPoints);
    run(true);
    EXPECT_EQ(calc.Res->driverSpan, kMaxChassis);
    EXPECT_TRUE(sameRecord(*form.result, *calc.Res));
    buildThreeWayExample(*project, kPoints);
    run(true);
    EXPECT_EQ(calc.Res->driverSpan, 3);
    EXPECT_TRUE(sameRecord(*form.result, *calc.Res));
    EXPECT_TRUE(form.result->valid);

    // An incremental change, and one driver fewer without a full run: the slot once written stays
    // in the span and in both records.
    project->amp[0].weiche[verticalSlot(1, 4)].value *= 1.1;
    run(false);
    EXPECT_TRUE(sameRecord(*form.result, *calc.Res));
    project->nChassis = 2;
    run(false);
    EXPECT_EQ(calc.Res->driverSpan, 3);
    EXPECT_TRUE(sameRecord(*form.result, *calc.Res));

    // Back to the 32 drivers without a full run, then the two-way with one.
    test::buildHostileProject(*project, kPoints);
    run(false);
    EXPECT_TRUE(sameRecord(*form.result, *calc.Res));
    buildTwoWayExample(*project, kPoints);
    run(true);
    EXPECT_EQ(calc.Res->driverSpan, 2);
    EXPECT_TRUE(sameRecord(*form.result, *calc.Res));
}

} // namespace
} // namespace sonora
