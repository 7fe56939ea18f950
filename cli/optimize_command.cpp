// sonora-cli optimize: the optimizer run without a window. The command answers the optimizer
// thread's calls itself (grades to standard output, parts fixed by series or kept as optimized),
// stops like the abort button after --max-seconds and writes run object 0's design.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/project_loading.h"
#include "cli/terminal_prompt.h"
#include "optimizer/opti_fixpart.h"
#include "optimizer/opti_host.h"
#include "optimizer/opti_memo.h"
#include "optimizer/opti_start.h"
#include "optimizer/opti_thread.h"
#include "optimizer/opti_values.h"
#include "optimizer/rating_params.h"
#include "storage/file_form.h"
#include "storage/latin1.h"
#include "storage/numbers.h"
#include "storage/project_file.h"

namespace sonora::cli {

namespace {

using namespace std::chrono_literals;

// The abort button looks at the run this often; the step time-outs of the optimizer bound the
// wait after a stop request.
constexpr auto kStopPoll = 250ms;
constexpr auto kObjectIdlePoll = 500ms; // late run objects after a time-out
constexpr double kMaxSecondsLimit = 1e6;
constexpr int kShownDigits = 6; // significant digits of a fixed part's value

// The window's sliders by a name without blanks and umlauts; positions as on the window.
struct SliderEntry {
    const char* name;
    const char* label; // the slider's caption in the optimizer window (UTF-8)
    int RatingSliders::*field;
    int max;
};
constexpr SliderEntry kSliders[] = {
    {"min-impedanz", "Verstärker min. Impedanz", &RatingSliders::minImpedance,
     kMinImpedanceSliderMax},
    {"maximalpegel", "Maximalpegel", &RatingSliders::maxLevel, kWeightSliderMax},
    {"bass", "Hörgeschmack Bass", &RatingSliders::bassTaste, kTasteSliderMax},
    {"hoehen", "Hörgeschmack Höhen", &RatingSliders::trebleTaste, kTasteSliderMax},
    {"frequenzgaenge", "Frequenz- gänge", &RatingSliders::directionalResponses, kWeightSliderMax},
    {"energie", "Energie- Frequenzgang", &RatingSliders::energyResponse, kWeightSliderMax},
    {"arbeitsbereich", "Vorgabe Arbeits- frequenzbereich", &RatingSliders::workingRange,
     kWeightSliderMax},
};

std::string sliderNameList() {
    std::string s;
    for (const SliderEntry& e : kSliders) {
        s += (s.empty() ? "" : ", ") + std::string(e.name) + " 0.." + std::to_string(e.max);
    }
    return s;
}

struct OptimizeOptions {
    std::string project;
    std::string out;
    FixChoice resistors = FixChoice::Manual;
    FixChoice capacitors = FixChoice::Manual;
    double maxSeconds = 0; // 0: no limit
    RatingSliders sliders;
    int markAnswer = kMarkMyself; // answer to the question when nothing is marked
};

bool parseChoice(const std::string& text, FixChoice& choice) {
    if (text == "E6") {
        choice = FixChoice::E6;
    } else if (text == "E12") {
        choice = FixChoice::E12;
    } else if (text == "manual") {
        choice = FixChoice::Manual;
    } else {
        return false;
    }
    return true;
}

bool parseSlider(const std::string& text, RatingSliders& sliders) {
    const std::size_t eq = text.find('=');
    const std::string name = text.substr(0, eq);
    for (const SliderEntry& e : kSliders) {
        if (eq == std::string::npos || name != e.name) {
            continue;
        }
        const std::string pos = text.substr(eq + 1);
        char* end = nullptr;
        const long p = std::strtol(pos.c_str(), &end, 10);
        if (pos.empty() || *end != '\0' || p < 0 || p > e.max) {
            std::fprintf(stderr, "Schieber %s (\"%s\"): Position 0 bis %d erwartet, nicht \"%s\"\n",
                         e.name, e.label, e.max, pos.c_str());
            return false;
        }
        sliders.*e.field = static_cast<int>(p);
        return true;
    }
    std::fprintf(stderr, "Unbekannter Schieber: %s\nMöglich sind: %s\n", text.c_str(),
                 sliderNameList().c_str());
    return false;
}

bool parseMaxSeconds(const std::string& text, double& seconds) {
    char* end = nullptr;
    seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(seconds > 0 && seconds <= kMaxSecondsLimit)) {
        std::fprintf(stderr, "--max-seconds: eine Zahl größer 0 erwartet, nicht \"%s\"\n",
                     text.c_str());
        return false;
    }
    return true;
}

bool parseOptimizeOptions(const Args& args, OptimizeOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--out" && hasValue) {
            o.out = args[++i];
        } else if ((a == "--resistors" || a == "--capacitors") && hasValue) {
            if (!parseChoice(args[++i], a == "--resistors" ? o.resistors : o.capacitors)) {
                std::fprintf(stderr, "%s: E6, E12 oder manual erwartet, nicht \"%s\"\n", a.c_str(),
                             args[i].c_str());
                return false;
            }
        } else if (a == "--max-seconds" && hasValue) {
            if (!parseMaxSeconds(args[++i], o.maxSeconds)) {
                return false;
            }
        } else if (a == "--slider" && hasValue) {
            if (!parseSlider(args[++i], o.sliders)) {
                return false;
            }
        } else if (a == "--mark" && hasValue) {
            const std::string& m = args[++i];
            if (m == "resistors") {
                o.markAnswer = kMarkResistors;
            } else if (m == "all") {
                o.markAnswer = kMarkAllParts;
            } else {
                std::fprintf(stderr, "--mark: resistors oder all erwartet, nicht \"%s\"\n",
                             m.c_str());
                return false;
            }
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            return false;
        }
    }
    if (o.project.empty() || o.out.empty()) {
        std::fprintf(stderr, "optimize: PROJEKT und --out DATEI fehlen\n\n");
        return false;
    }
    return true;
}

// The terminal prompt, with --mark as the answer to the question when nothing is marked. The
// question comes again when the answer marked nothing (no resistor to mark); the second time it
// takes the default answer, so the start ends instead of asking forever.
class OptimizePrompt : public TerminalPrompt {
public:
    explicit OptimizePrompt(int markAnswer) : markAnswer_(markAnswer) {}
    int choose(const std::string& text, const std::string& buttons, int defaultButton) override {
        const bool noMarks = text == utf8ToLatin1(kNoMarksQuestion);
        int answer = defaultButton;
        if (noMarks && !answered_) {
            answer = markAnswer_;
            answered_ = true;
        }
        answer = TerminalPrompt::choose(text, buttons, answer);
        if (noMarks && answer == kMarkMyself) {
            std::fprintf(stderr, "%s\n",
                         markAnswer_ == kMarkMyself
                             ? "(--mark resistors oder --mark all beantwortet die Frage)"
                             : "(--mark hat nichts markiert)");
        }
        return answer;
    }

private:
    int markAnswer_;
    bool answered_ = false;
};

// "C = 4,7 uF": a part as the optimizer labels its values.
std::string partText(const TPart& p) {
    const OptiValueLabel l = partValueLabel(p.typ);
    return l.text1 + compactNumberText(kShownDigits, p.value * l.multiplier) + l.text2;
}

// The optimizer thread's calls, answered at once on its own thread: nothing here waits for a user.
class CliOptiHost : public OptiHost {
public:
    CliOptiHost(const TBewertungsparameter& para, FixChoice resistors, FixChoice capacitors)
        : para_(para), resistors_(resistors), capacitors_(capacitors) {}

    void attach(const TOptiThread* thread) { thread_ = thread; }

    TBewertungsparameter HoleAlleBewPara() override { return para_; }
    void UpdatePercentage(int) override {}
    void Noten2Memo(const TBewertungen& grades, const TResult&) override {
        if (displays_++ == 0) {
            std::printf("Start:\n");
        } else {
            std::printf("Durchgang %d: %s\n", thread_->completedPasses(),
                        thread_->fortschritt().c_str());
        }
        std::printf("%s\n", terminalText(gradeLines(grades)).c_str());
        std::fflush(stdout);
    }
    void Choosefixpart(TPart& fixpart) override {
        const bool rounded = roundFixpartToSeries(fixpart, resistors_, capacitors_);
        // A manual choice (and every coil) keeps the optimizer's value: there is no part editor.
        std::printf("Festgelegt: %s%s\n", partText(fixpart).c_str(),
                    rounded ? " (gerundet auf die Reihe)" : " (Wert des Optimierers)");
        std::fflush(stdout);
    }
    void ShowOptimizeReady() override {
        std::printf("%s\n", "Die Optimierung wurde erfolgreich beendet.");
        std::fflush(stdout);
    }

private:
    TBewertungsparameter para_;
    FixChoice resistors_;
    FixChoice capacitors_;
    const TOptiThread* thread_ = nullptr;
    int displays_ = 0;
};

// Waits for the end of the run (polling like the abort button) and for run objects a time-out
// left calculating, so that object 0 may be read.
void waitForTheEnd(TOptiThread& thread) {
    while (!thread.waitUntilIdle(kStopPoll)) {
    }
    for (int k = 0; k < TOptiThread::kRunObjects; ++k) {
        while (!thread.waitRunObjectIdle(k, kObjectIdlePoll)) {
        }
    }
}

} // namespace

int runOptimize(const Args& args) {
    OptimizeOptions o;
    if (!parseOptimizeOptions(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    OptimizePrompt prompt(o.markAnswer);
    auto project = std::make_unique<TProjekt>();
    if (!loadProjectAnyForm(o.project, *project, prompt)) {
        return kExitUsage;
    }
    // No interactive run and no reference project on the command line.
    if (!optimizerStartChecks(*project, [] { return false; }, false, prompt, {})) {
        return kExitUsage;
    }
    const TBewertungsparameter para =
        HoleAlleBewPara(o.sliders, fgangWeightsFromSliders(WeightSliders{}),
                        InitArbeitsfreqs({}, *project), project->nChassis);

    CliOptiHost host(para, o.resistors, o.capacitors);
    TOptiThread::Options to;
    to.host = &host;
    to.lowerPriority = false; // batch use: nobody else needs the processor
    TOptiThread thread(to);
    host.attach(&thread);
    // The run objects are new, so their first run is a full one: they need no interactive result.
    {
        auto seed = std::make_unique<TResult>();
        auto seedStages = std::make_unique<TCalcStruct>();
        thread.start(*project, *seed, *seedStages, para);
    }
    const auto started = std::chrono::steady_clock::now();
    if (o.maxSeconds > 0) {
        const auto limit = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::duration<double>(o.maxSeconds));
        if (!thread.waitUntilIdle(limit)) {
            // The abort button: the run stops after the current step, object 0 keeps the best.
            std::printf("Zeitgrenze erreicht: Optimierung abgebrochen.\n");
            std::fflush(stdout);
            thread.requestStop();
        }
    }
    waitForTheEnd(thread);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("Laufzeit: %.1f s\n", seconds);

    // The grades of the design written: a part fixed at the end is not in the last pass's display.
    const TOptiThread::RunObject& bestObject = thread.runObject(TOptiThread::kBest);
    std::printf("Ende:\n%s\n", terminalText(gradeLines(bestObject.Bewertungen)).c_str());
    const TProjekt& best = *bestObject.calc->newProjekt;
    const bool compressed = detectFileFormOf(o.project) != FileForm::Plain;
    if (!writeProjectFile(best, o.out, compressed, prompt)) {
        return kExitUsage;
    }
    std::printf("Projekt geschrieben: %s\n", o.out.c_str());
    return kExitOk;
}

} // namespace sonora::cli
