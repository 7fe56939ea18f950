// sonora-cli optimize on a two-way project whose woofer low-pass the test detunes: the grades are
// printed, the written design is better and its values moved back, the time limit stops the run,
// and the question when nothing is marked is answered by --mark or ends the command.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "engine/example_projects.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "optimizer/opti_eseries.h"
#include "optimizer/rating_params.h"
#include "storage/project_file.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/first_example_designs.h"

namespace {

namespace fs = std::filesystem;
using namespace sonora;
using sonora::cli_test::CliRun;
using sonora::cli_test::quoted;
using sonora::cli_test::runCli;

constexpr int kSmallGrid = 40;                 // points: a whole run takes a few seconds
constexpr int kFullGrid = 250;                 // points: far too slow to finish within one second
const int kCoilSlot = verticalSlot(0, 0);      // woofer series coil, 0.72 mH
const int kCapacitorSlot = verticalSlot(1, 0); // woofer shunt capacitor, 5.6 µF

const char* const kGradeLabels[] = {
    "Note Impedanz     = ", "Note Frequenzgang = ", "Note Wirkungsgrad = ",
    "Note Phase        = ", "Note Arb.-Bereich = ", "Note gesamt       = "};

// The grade of a design with the window's default rating controls, as the command rates it.
double noteOf(const TProjekt& p) {
    TCalcThread::Options o;
    o.isOptimizeThread = true;
    o.pause = std::chrono::milliseconds(0);
    o.lowerPriority = false;
    TCalcThread calc(o);
    const TBewertungsparameter para =
        HoleAlleBewPara(RatingSliders{}, fgangWeightsFromSliders(WeightSliders{}),
                        InitArbeitsfreqs({}, p), p.nChassis);
    TBewertungen grades{};
    calc.rating = [&](TCalcThread& c) { BewerteErgebnisse(*c.Res, *c.aktProjekt, para, grades); };
    calc.requestCalcNew(p);
    EXPECT_TRUE(calc.waitUntilIdle(std::chrono::seconds(60)));
    return grades.Note;
}

// Every "Note gesamt" value printed, in order.
std::vector<double> totalGrades(const std::string& out) {
    std::vector<double> notes;
    const std::regex total(R"(Note gesamt       = *([-0-9.]+))");
    for (auto it = std::sregex_iterator(out.begin(), out.end(), total);
         it != std::sregex_iterator(); ++it) {
        notes.push_back(std::stod((*it)[1].str()));
    }
    return notes;
}

// Every block of six grade lines follows a "Start:", a "Durchgang N: <marks>" or, last, the
// "Ende:" line (the design written).
void expectGradeBlocks(const std::string& out, std::size_t& passes) {
    const std::regex header(R"((Start:|Ende:|Durchgang ([0-9]+): ([SV.\-]*))\n)");
    passes = 0;
    std::size_t blocks = 0;
    bool ended = false;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), header);
         it != std::sregex_iterator(); ++it, ++blocks) {
        EXPECT_FALSE(ended) << "the written design's grades come last\n" << out;
        if ((*it)[2].matched) {
            EXPECT_EQ(std::stoul((*it)[2].str()), ++passes) << out;
        } else if ((*it)[1].str() == "Ende:") {
            ended = true;
        } else {
            EXPECT_EQ(blocks, 0u) << "the start grades come first\n" << out;
        }
        std::size_t at = static_cast<std::size_t>(it->position() + it->length());
        for (const char* label : kGradeLabels) {
            const std::size_t eol = out.find('\n', at);
            ASSERT_NE(eol, std::string::npos) << out;
            const std::string line = out.substr(at, eol - at);
            EXPECT_EQ(line.rfind(label, 0), 0u) << line;
            EXPECT_EQ(line.size(), std::string(label).size() + 8) << line; // "%8.3f"
            at = eol + 1;
        }
    }
    EXPECT_EQ(blocks, totalGrades(out).size()) << out;
    EXPECT_TRUE(ended) << out;
    EXPECT_GE(blocks, 2u) << out;
}

class CliOptimize : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_cli_opt_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        input = dir / "zweiwege verstimmt.LSP";
        output = dir / "optimiert.LSP";
    }
    void TearDown() override { fs::remove_all(dir); }

    // The first two-way design (the grades and values below were worked out on it); `detune`
    // doubles the woofer coil and capacitor and marks both.
    std::unique_ptr<TProjekt> writeTwoWay(int points, bool detune) {
        auto p = std::make_unique<TProjekt>();
        test::buildFirstTwoWayDesign(*p, points);
        if (detune) {
            for (int slot : {kCoilSlot, kCapacitorSlot}) {
                p->amp[0].weiche[slot].value *= 2;
                p->amp[0].weiche[slot].bOptimize = true;
            }
        }
        ScriptedPrompt prompt;
        EXPECT_TRUE(writeProjectFile(*p, input.string(), false, prompt));
        return p;
    }
    std::unique_ptr<TProjekt> readOutput() {
        auto p = std::make_unique<TProjekt>();
        initDefaultProjekt(*p);
        ScriptedPrompt prompt;
        EXPECT_TRUE(fs::exists(output));
        EXPECT_EQ(readProjectFile(*p, output.string(), false, prompt), ProjectReadStatus::Ok);
        EXPECT_TRUE(prompt.messages.empty());
        recomputeDerivedDriverValues(*p);
        return p;
    }
    CliRun optimize(const std::string& options) {
        return runCli("optimize " + quoted(input) + " --out " + quoted(output) + " " + options);
    }

    fs::path dir, input, output;
};

TEST_F(CliOptimize, DetunedTwoWayComesBackBetterWithTheGradesOfEveryPass) {
    const auto detuned = writeTwoWay(kSmallGrid, true);
    auto design = std::make_unique<TProjekt>();
    test::buildFirstTwoWayDesign(*design, kSmallGrid);
    const double detunedNote = noteOf(*detuned);
    // Generous limit: the run ends by itself after a few seconds.
    const CliRun r = optimize("--capacitors E12 --max-seconds 60");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    std::size_t passes = 0;
    expectGradeBlocks(r.out, passes);
    EXPECT_GE(passes, 2u);
    // The first printed total is the detuned design's grade; until a part is fixed (rounding may
    // cost a little) the best never gets worse.
    const std::vector<double> notes = totalGrades(r.out);
    ASSERT_GE(notes.size(), 4u);
    EXPECT_NEAR(notes.front(), detunedNote, 0.0005 + 1e-6 * detunedNote);
    const std::vector<double> beforeFixing = totalGrades(r.out.substr(0, r.out.find("Festgelegt")));
    ASSERT_GE(beforeFixing.size(), 2u);
    for (std::size_t i = 1; i < beforeFixing.size(); ++i) {
        EXPECT_LE(beforeFixing[i], beforeFixing[i - 1]) << r.out;
    }
    EXPECT_NE(r.out.find("Die Optimierung wurde erfolgreich beendet."), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Projekt geschrieben: "), std::string::npos) << r.out;

    // The written design rates as printed last ("Ende:"), far better than the detuned one.
    const auto best = readOutput();
    const double bestNote = noteOf(*best);
    EXPECT_NEAR(bestNote, notes.back(), 0.0005 + 1e-4 * bestNote);
    EXPECT_LT(bestNote, 0.8 * detunedNote);
    // The detuned coil moved back down towards the design. On this small grid the grade's own
    // optimum has the coil near half the hand-made value (the optimizer's two-way test finds the
    // same), so a run to its end is only checked for the direction and a clear move; the recovery
    // within 25 % is the optimizer test's bounded run. The shunt capacitor behind this design's
    // loud tweeter hardly moves the grade (since the rating floors its reference lines) and may
    // stay where E12 puts its detuned value.
    for (int slot : {kCoilSlot}) {
        const double was = detuned->amp[0].weiche[slot].value;
        const double now = best->amp[0].weiche[slot].value;
        const double target = design->amp[0].weiche[slot].value;
        EXPECT_LT(now, 0.75 * was)
            << "slot " << slot << ": " << now << " (design " << target << ")";
        EXPECT_GT(now, 0.25 * target) << "slot " << slot << ": " << now;
    }
    // A fixed capacitor lies on the E12 series; the coil keeps the optimizer's value.
    if (r.out.find("Festgelegt: C = ") != std::string::npos) {
        const double c = best->amp[0].weiche[kCapacitorSlot].value;
        EXPECT_DOUBLE_EQ(c, roundToSeries(c, ESeries::E12)) << c;
    }
    // Everything else of the project is as it was read.
    EXPECT_EQ(best->nChassis, detuned->nChassis);
    EXPECT_EQ(best->chassis[1].name.str(), detuned->chassis[1].name.str());
    EXPECT_DOUBLE_EQ(best->amp[0].weiche[verticalSlot(0, 3)].value,
                     detuned->amp[0].weiche[verticalSlot(0, 3)].value);
}

TEST_F(CliOptimize, MaxSecondsStopsLikeTheAbortButtonAndWritesAValidDesign) {
    const auto detuned = writeTwoWay(kFullGrid, true);
    const auto t0 = std::chrono::steady_clock::now();
    const CliRun r = optimize("--max-seconds 1 --mark all");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    ASSERT_EQ(r.exitCode, 0) << r.out;
    // One second plus the start design and the step in progress; the bound is loose for a busy
    // machine but far below a run to the end.
    EXPECT_LT(seconds, 20.0) << r.out;
    EXPECT_NE(r.out.find("Zeitgrenze erreicht: Optimierung abgebrochen."), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("Die Optimierung wurde erfolgreich beendet."), std::string::npos) << r.out;
    std::size_t passes = 0;
    expectGradeBlocks(r.out, passes);
    // Parts were already marked, so --mark is not used: the other parts stay unmarked.
    const auto best = readOutput();
    EXPECT_TRUE(best->amp[0].weiche[kCoilSlot].bOptimize);
    EXPECT_FALSE(best->amp[0].weiche[verticalSlot(0, 3)].bOptimize);
    for (int slot : {kCoilSlot, kCapacitorSlot}) {
        const double v = best->amp[0].weiche[slot].value;
        EXPECT_TRUE(std::isfinite(v) && v > 0) << v;
    }
    EXPECT_EQ(best->sz, detuned->sz);
    const std::vector<double> notes = totalGrades(r.out);
    ASSERT_FALSE(notes.empty());
    EXPECT_LE(notes.back(), notes.front());
}

TEST_F(CliOptimize, NothingMarkedAsksTheQuestionAndMarkAnswersIt) {
    writeTwoWay(kSmallGrid, false);
    const char* const question =
        "Es wurden keine Bauteile zur Optimierung markiert. Was soll geschehen?";
    // Without --mark the command ends with the question and exit code 2 and writes nothing.
    CliRun r = optimize("--max-seconds 1");
    EXPECT_EQ(r.exitCode, 2) << r.out;
    EXPECT_NE(r.out.find(question), std::string::npos) << r.out;
    EXPECT_FALSE(fs::exists(output));
    // The two-way has no resistor: "resistors" marks nothing, the question comes once more and
    // the command still ends.
    r = optimize("--max-seconds 1 --mark resistors");
    EXPECT_EQ(r.exitCode, 2) << r.out;
    EXPECT_FALSE(fs::exists(output));

    // "all" marks every coil and capacitor and the run goes.
    r = optimize("--max-seconds 1 --mark all");
    ASSERT_EQ(r.exitCode, 0) << r.out;
    std::size_t passes = 0;
    expectGradeBlocks(r.out, passes);
    const auto best = readOutput();
    int marked = 0;
    for (int slot = 0; slot < kUsedPartSlots; ++slot) {
        const TPart& part = best->amp[0].weiche[slot];
        if (part.typ == kPartCoil || part.typ == kPartCapacitor) {
            EXPECT_TRUE(part.bOptimize) << slot;
            ++marked;
        }
    }
    EXPECT_EQ(marked, 4);
}

TEST_F(CliOptimize, SlidersChangeTheRatingAndBadOptionsAreRefused) {
    writeTwoWay(kSmallGrid, true);
    // Both response weights at 0 leave only the bass-region part of the response grade, so the
    // start grade of the responses differs from the default one.
    const std::regex response(
        R"(Start:\nNote Impedanz += *[-0-9.]+\nNote Frequenzgang = *([-0-9.]+))");
    std::smatch m;
    const CliRun plain = optimize("--max-seconds 1");
    ASSERT_EQ(plain.exitCode, 0) << plain.out;
    ASSERT_TRUE(std::regex_search(plain.out, m, response)) << plain.out;
    const double defaultResponse = std::stod(m[1].str());
    const CliRun weighted =
        optimize("--max-seconds 1 --slider frequenzgaenge=10 --slider energie=10");
    ASSERT_EQ(weighted.exitCode, 0) << weighted.out;
    ASSERT_TRUE(std::regex_search(weighted.out, m, response)) << weighted.out;
    EXPECT_GT(std::abs(std::stod(m[1].str()) - defaultResponse), 0.01);

    // Refusals: exit code 2 with a message, nothing written.
    fs::remove(output);
    for (const char* bad :
         {"--slider lautheit=3", "--slider bass=7", "--slider bass=", "--slider bass",
          "--resistors E24", "--mark some", "--max-seconds 0", "--max-seconds x", "--frob"}) {
        const CliRun r = optimize(bad);
        EXPECT_EQ(r.exitCode, 2) << bad << "\n" << r.out;
        EXPECT_FALSE(fs::exists(output)) << bad;
    }
    const CliRun noOut = runCli("optimize " + quoted(input));
    EXPECT_EQ(noOut.exitCode, 2) << noOut.out;

    // Every slider name the command accepts is documented in the help, with its range.
    const CliRun unknown = optimize("--slider lautheit=3");
    const std::size_t at = unknown.out.find("Möglich sind: ");
    ASSERT_NE(at, std::string::npos) << unknown.out;
    const std::string list = unknown.out.substr(at, unknown.out.find('\n', at) - at);
    const std::string help = runCli("--help").out;
    const std::regex entry(R"(([a-z\-]+) (0\.\.[0-9]+))");
    int names = 0;
    for (auto it = std::sregex_iterator(list.begin(), list.end(), entry);
         it != std::sregex_iterator(); ++it, ++names) {
        EXPECT_NE(help.find((*it)[1].str() + " " + (*it)[2].str()), std::string::npos)
            << (*it)[0].str();
    }
    EXPECT_EQ(names, 7) << list;
}

} // namespace
