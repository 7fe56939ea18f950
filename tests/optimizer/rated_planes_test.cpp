// The optimizer's run objects compute the planes only where the rating reads them: the grades
// stay those of the full computation, bit for bit, and the result the window is shown holds
// every angle.
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/box_stage.h"
#include "engine/example_projects.h"
#include "engine/stages.h"
#include "optimizer/opti_host.h"
#include "optimizer/opti_thread.h"
#include "optimizer/rated_planes.h"
#include "optimizer/rating_params.h"
#include "tests/optimizer/design_note.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;

constexpr int kPoints = 120;     // grid of the examples: short, and still above 200 Hz enough
constexpr int kNeverRated = 230; // angle index of +50°, outside every weighted direction
constexpr int kRunPoints = 40;   // grid of the optimizer run
constexpr int kShownResults = 3; // the start and two passes
constexpr auto kNoHang = 120s;

struct Example {
    const char* name;
    void (*build)(TProjekt&, int);
};
const Example kExamples[] = {
    {"two-way", buildTwoWayExample},
    {"three-way", buildThreeWayExample},
    {"bandpass subwoofer", buildSubwooferBandpassExample},
    {"active two-way", buildActiveTwoWayExample},
    {"measured two-way", buildMeasuredTwoWayExample},
};

struct ParameterSet {
    std::string name;
    TBewertungsparameter para;
};

TBewertungsparameter withWeights(const TProjekt& p, const RatingSliders& sliders,
                                 const WeightSliders& weights) {
    return HoleAlleBewPara(sliders, fgangWeightsFromSliders(weights), InitArbeitsfreqs({}, p),
                           p.nChassis);
}

// The window's start values, and controls that widen, move, narrow or empty the weighted
// directions, together with other sliders off their start values.
std::vector<ParameterSet> parameterSets(const TProjekt& p) {
    std::vector<ParameterSet> sets;
    sets.push_back({"default", testing::defaultParameters(p)});
    WeightSliders wide;
    wide.horizontal.width = kWeightWidthMax;
    wide.vertical.width = kWeightWidthMax;
    sets.push_back({"wide", withWeights(p, RatingSliders{}, wide)});
    WeightSliders offCentre;
    offCentre.horizontal = {0, kWeightCentreLimit};
    offCentre.vertical = {4, -7};
    RatingSliders tube;
    tube.tubeAmplifier = true;
    tube.bassTaste = 0;
    tube.trebleTaste = 6;
    tube.directionalResponses = 3;
    sets.push_back({"off centre, tube, tastes", withWeights(p, tube, offCentre)});
    WeightSliders oneSide;
    oneSide.horizontal = {6, -kWeightCentreLimit};
    oneSide.vertical = {0, 0};
    sets.push_back({"one side", withWeights(p, RatingSliders{}, oneSide)});
    TBewertungsparameter none = testing::defaultParameters(p);
    none.vgfgWeight = TFgangWeights{};
    sets.push_back({"no direction weighted", none});
    return sets;
}

bool sameGrades(const TBewertungen& a, const TBewertungen& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(RatedPlanes, AreTheWeightedDirectionsOfEachPlane) {
    auto p = std::make_unique<TProjekt>();
    buildTwoWayExample(*p, kPoints);
    const std::vector<ParameterSet> sets = parameterSets(*p);
    // Start values: width 1 at the centre weighs -5°, 0° and +5° in both planes.
    const PlaneAngles start = ratedPlaneAngles(sets[0].para);
    for (int plane = 0; plane < 2; ++plane) {
        EXPECT_EQ(start.angles[plane].count(), 3U);
        EXPECT_TRUE(start.angles[plane].test(175) && start.angles[plane].test(180) &&
                    start.angles[plane].test(185));
    }
    // Widest: all 19 directions, -45° .. +45° in 5° steps.
    const PlaneAngles wide = ratedPlaneAngles(sets[1].para);
    for (int plane = 0; plane < 2; ++plane) {
        EXPECT_EQ(wide.angles[plane].count(), 19U);
        for (int n = 135; n <= 225; n += 5) {
            EXPECT_TRUE(wide.angles[plane].test(n)) << n;
        }
    }
    // Focused on +30° (centre 12 · 2.5°) horizontally.
    const PlaneAngles off = ratedPlaneAngles(sets[2].para);
    EXPECT_EQ(off.angles[0].count(), 1U);
    EXPECT_TRUE(off.angles[0].test(210));
    EXPECT_EQ(ratedPlaneAngles(sets[4].para).angles[0].count(), 0U);
    EXPECT_EQ(ratedPlaneAngles(sets[4].para).angles[1].count(), 0U);
    // A weight that is not a number weighs nothing, as in the rating.
    TBewertungsparameter nan = sets[0].para;
    nan.vgfgWeight.horweight[9] = std::nan("");
    EXPECT_FALSE(ratedPlaneAngles(nan).angles[0].test(180));
    EXPECT_TRUE(ratedPlaneAngles(nan).angles[1].test(180));
}

// Each example computed once on an optimizer run object, then its box stage repeated with only
// the rated angles: the grades must not move by a bit. The angles left out are 0 in that result,
// so a rating that read any of them would see the difference.
TEST(RatedPlanes, GradesEqualTheFullComputationBitForBit) {
    for (const Example& ex : kExamples) {
        auto p = std::make_unique<TProjekt>();
        ex.build(*p, kPoints);
        TCalcThread::Options o;
        o.isOptimizeThread = true;
        o.lowerPriority = false;
        TCalcThread calc(o);
        calc.requestCalcNew(*p);
        ASSERT_TRUE(calc.waitUntilIdle(kNoHang)) << ex.name;
        const TResult& res = *calc.Res;
        const int n = res.nfreq;
        ASSERT_GT(n, 0) << ex.name;
        for (const ParameterSet& set : parameterSets(*p)) {
            SCOPED_TRACE(std::string(ex.name) + ", " + set.name);
            CalcBox(calc); // the run object is idle: the test calls its stage directly
            ASSERT_EQ(std::string(calc.CalcStruct.bfgang_box.view()), "OK");
            const Complex neverRated = res.fgang_box_h[n / 2][kNeverRated];
            ASSERT_NE(neverRated.re, 0.0);
            TBewertungen full{}, part{};
            BewerteErgebnisse(res, *calc.aktProjekt, set.para, full);

            const PlaneAngles rated = ratedPlaneAngles(set.para);
            CalcBoxAtPlaneAngles(calc, rated);
            ASSERT_EQ(std::string(calc.CalcStruct.bfgang_box.view()), "OK");
            EXPECT_EQ(res.fgang_box_h[n / 2][kNeverRated].re, 0.0);
            EXPECT_EQ(res.fgang_box_v[n / 2][kNeverRated].im, 0.0);
            BewerteErgebnisse(res, *calc.aktProjekt, set.para, part);
            EXPECT_TRUE(sameGrades(full, part))
                << "Note " << full.Note << " / " << part.Note << ", Fh " << full.Note_Fh << " / "
                << part.Note_Fh << ", Fv " << full.Note_Fv << " / " << part.Note_Fv;
            if (rated.angles[0].any()) {
                EXPECT_GT(full.Note_Fh, 0.0); // the planes did count
            }
        }
    }
}

// Answers at once; the rating controls move to the widest weights after the start, so the run
// objects must compute other angles from the first pass on. Stops after kShownResults displays.
class CheckingHost : public OptiHost {
public:
    CheckingHost(const TBewertungsparameter& start, const TBewertungsparameter& later)
        : start_(start), later_(later) {}
    TBewertungsparameter HoleAlleBewPara() override { return later_; }
    void UpdatePercentage(int) override {}
    void Noten2Memo(const TBewertungen& grades, const TResult& res) override {
        const TProjekt& p = *thread->runObject(TOptiThread::kBest).calc->aktProjekt;
        const TBewertungsparameter& para = shown == 0 ? start_ : later_;
        ++shown;
        // Every angle of both planes was computed: none is left at 0.
        for (int i = 0; i < res.nfreq; ++i) {
            for (int n = 0; n < kPlaneAngles; ++n) {
                if (res.fgang_box_h[i][n].re == 0.0 || res.fgang_box_v[i][n].re == 0.0) {
                    ++zeros;
                }
            }
        }
        // The same planes as a full calculation of the same design on a new run object.
        TCalcThread::Options o;
        o.isOptimizeThread = true;
        o.lowerPriority = false;
        TCalcThread full(o);
        full.requestCalcNew(p);
        EXPECT_TRUE(full.waitUntilIdle(kNoHang));
        for (int i = 0; i < res.nfreq; ++i) {
            for (int n = 0; n < kPlaneAngles; ++n) {
                const Complex& h = res.fgang_box_h[i][n];
                const Complex& fh = full.Res->fgang_box_h[i][n];
                const Complex& v = res.fgang_box_v[i][n];
                const Complex& fv = full.Res->fgang_box_v[i][n];
                if (h.re != fh.re || h.im != fh.im || v.re != fv.re || v.im != fv.im) {
                    ++differences;
                }
            }
        }
        // The grades shown are those of the result shown, with the controls in force.
        TBewertungen again{};
        BewerteErgebnisse(res, p, para, again);
        if (!sameGrades(again, grades)) {
            ++gradeMismatches;
        }
        if (shown >= kShownResults) {
            thread->requestStop();
        }
    }
    void Choosefixpart(TPart&) override {}
    void ShowOptimizeReady() override {}

    TOptiThread* thread = nullptr;
    int shown = 0;
    int zeros = 0;
    int differences = 0;
    int gradeMismatches = 0;

private:
    TBewertungsparameter start_, later_;
};

TEST(RatedPlanes, TheWindowIsShownEveryAngleAndGradesThatHoldForIt) {
    auto p = std::make_unique<TProjekt>();
    buildTwoWayExample(*p, kRunPoints);
    for (int slot : {verticalSlot(0, 0), verticalSlot(1, 0)}) { // woofer coil and capacitor
        p->amp[0].weiche[slot].value *= 2;
        p->amp[0].weiche[slot].bOptimize = true;
    }
    const std::vector<ParameterSet> sets = parameterSets(*p);
    CheckingHost host(sets[0].para, sets[1].para);
    TOptiThread::Options o;
    o.host = &host;
    o.lowerPriority = false;
    TOptiThread thread(o);
    host.thread = &thread;
    auto seed = std::make_unique<TResult>();
    auto seedStages = std::make_unique<TCalcStruct>();
    thread.start(*p, *seed, *seedStages, sets[0].para);
    ASSERT_TRUE(thread.waitUntilIdle(300s));
    EXPECT_EQ(host.shown, kShownResults);
    EXPECT_EQ(host.zeros, 0);
    EXPECT_EQ(host.differences, 0);
    EXPECT_EQ(host.gradeMismatches, 0);
}

// Only the gain of the single amplifier is marked: the optimizer moves every gain by -d/1 and the
// own one by +d - d/1, so each candidate is object 0's design again and must rate exactly as it
// does. The weights change after the start; a candidate whose box stage were not repeated for the
// new directions would read angles its result does not hold, rate differently and be taken.
TEST(RatedPlanes, ChangedWeightsRepeatTheBoxStageOfEveryObject) {
    auto p = std::make_unique<TProjekt>();
    buildTwoWayExample(*p, kRunPoints);
    ASSERT_EQ(p->nAmps, 1);
    p->amp[0].aktfilter.bOptiPeg = true;
    const std::vector<ParameterSet> sets = parameterSets(*p);
    CheckingHost host(sets[0].para, sets[1].para);
    TOptiThread::Options o;
    o.host = &host;
    o.lowerPriority = false;
    TOptiThread thread(o);
    host.thread = &thread;
    auto seed = std::make_unique<TResult>();
    auto seedStages = std::make_unique<TCalcStruct>();
    thread.start(*p, *seed, *seedStages, sets[0].para);
    ASSERT_TRUE(thread.waitUntilIdle(300s));
    ASSERT_GE(host.shown, 2);
    EXPECT_EQ(thread.fortschritt().find_first_of("SV"), std::string::npos) << thread.fortschritt();
    EXPECT_EQ(host.zeros, 0);
    EXPECT_EQ(host.differences, 0);
    EXPECT_EQ(host.gradeMismatches, 0);
}

} // namespace
} // namespace sonora
