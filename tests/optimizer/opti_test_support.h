// Shared pieces of the optimizer tests: instant stages, a closed-form rating and a host that
// answers the optimizer thread's calls directly.
#pragma once

#include <cmath>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/calc_thread.h"
#include "model/record_defaults.h"
#include "optimizer/opti_host.h"
#include "optimizer/opti_thread.h"

namespace sonora::testing {

// Every stage succeeds at once without touching the result: the grades come from the project.
class InstantStages : public CalcStages {
public:
    void driverCheck(TCalcThread& c) override { c.CalcStruct.bChassiskontrolle.assign("OK"); }
    void baffle(TCalcThread& c, int i) override { c.CalcStruct.bfgang_sw[i].assign("OK"); }
    void activeFilter(TCalcThread& c, int i) override { c.CalcStruct.bfgang_akt[i].assign("OK"); }
    void driver(TCalcThread& c, int i) override { c.CalcStruct.bfgang_ch[i].assign("OK"); }
    void crossover(TCalcThread& c, int i) override { c.CalcStruct.bfgang_weiche[i].assign("OK"); }
    void box(TCalcThread& c) override { c.CalcStruct.bfgang_box.assign("OK"); }
};

// A bowl with its minimum at known part values: Note = sum of ln(value/target)^2 over the parts
// of amplifier 0 that have a target, plus ln(pegel)^2 per amplifier gain (best at 1).
struct BowlRating {
    struct Target {
        int slot;
        double value;
    };
    std::vector<Target> targets;
    bool gains = false;

    double note(const TProjekt& p) const {
        double sum = 0;
        for (const Target& t : targets) {
            const double r = std::log(p.amp[0].weiche[t.slot].value / t.value);
            sum += r * r;
        }
        for (int a = 0; gains && a < p.nAmps; ++a) {
            const double r = std::log(p.amp[a].aktfilter.pegel);
            sum += r * r;
        }
        return sum;
    }
    OptiRating function() const {
        return [copy = *this](const TResult&, const TProjekt& p, const TBewertungsparameter&,
                              TBewertungen& b) {
            b = TBewertungen{};
            b.Note = copy.note(p);
        };
    }
};

// Answers every call at once and records what it was given. Choosefixpart runs `onFix`.
class RecordingHost : public OptiHost {
public:
    TBewertungsparameter HoleAlleBewPara() override {
        ++parameterReads;
        return {};
    }
    void UpdatePercentage(int pbtag) override { lastPercentage = pbtag; }
    void Noten2Memo(const TBewertungen& grades, const TResult&) override {
        notes.push_back(grades.Note);
    }
    void Choosefixpart(TPart& fixpart) override {
        fixed.push_back(fixpart);
        if (onFix) {
            onFix(fixpart);
        }
    }
    void ShowOptimizeReady() override { ++readyShown; }

    int parameterReads = 0;
    int lastPercentage = 0;
    std::vector<double> notes; // Note at every Noten2Memo
    std::vector<TPart> fixed;  // fixpart as offered
    int readyShown = 0;
    std::function<void(TPart&)> onFix;
};

// A project with one amplifier and the given parts in the first slots of its crossover.
inline std::unique_ptr<TProjekt> projectWithParts(const std::vector<TPart>& parts) {
    auto p = std::make_unique<TProjekt>();
    initDefaultProjekt(*p);
    p->nAmps = 1;
    p->nChassis = 1;
    p->chassis[0].Sd = p->chassis[0].xlin = p->chassis[0].Pmax = 1;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        p->amp[0].weiche[i] = parts[i];
    }
    return p;
}

inline TPart part(std::int16_t typ, double value, double rvalue = 0, bool marked = true) {
    TPart x{};
    x.typ = typ;
    x.value = value;
    x.Rvalue = rvalue;
    x.bOptimize = marked;
    return x;
}

} // namespace sonora::testing
