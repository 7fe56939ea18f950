// The hostile design of hostile_project.h computed from end to end: the run ends, every stage
// reports "OK" or a German message, and no NaN or infinity reaches the result or its export.
#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "measure/results_export.h"
#include "tests/engine/hostile_project.h"

namespace sonora {
namespace {

using namespace std::chrono_literals;

struct HostileRun {
    TFormRechnen form;
    std::unique_ptr<TCalcThread> calc;
    bool finished = false;

    explicit HostileRun(const TProjekt& p) {
        TCalcThread::Options o;
        o.pause = 0ms;
        o.lowerPriority = false;
        o.listener = &form;
        calc = std::make_unique<TCalcThread>(o);
        form.attach(calc.get());
        form.CalcAllNew(p);
        finished = calc->waitUntilIdle(300s);
    }
};

// Every stage of the run that belongs to the project's amplifiers and drivers.
std::vector<std::pair<std::string, std::string>> stageTexts(const TCalcStruct& s) {
    std::vector<std::pair<std::string, std::string>> texts;
    texts.emplace_back("Chassiskontrolle", s.bChassiskontrolle.str());
    for (int n = 0; n < kMaxChassis; ++n) {
        texts.emplace_back("Schallwand " + std::to_string(n + 1), s.bfgang_sw[n].str());
        texts.emplace_back("Chassis " + std::to_string(n + 1), s.bfgang_ch[n].str());
    }
    for (int a = 0; a < kMaxAmps; ++a) {
        texts.emplace_back("Aktivfilter " + std::to_string(a + 1), s.bfgang_akt[a].str());
        texts.emplace_back("Weiche " + std::to_string(a + 1), s.bfgang_weiche[a].str());
    }
    texts.emplace_back("Box", s.bfgang_box.str());
    return texts;
}

// The data rows of the export hold numbers only: digits, sign, decimal comma and exponent.
int nonNumericExportFields(const std::string& text, std::string& first) {
    constexpr int kHeaderLines = 6; // two comment lines and four header lines
    std::istringstream lines(text);
    std::string line;
    int bad = 0;
    for (int row = 0; std::getline(lines, line); ++row) {
        if (row < kHeaderLines) {
            continue;
        }
        std::istringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '\t')) {
            if (!field.empty() && field.back() == '\r') {
                field.pop_back();
            }
            if (field.empty()) {
                continue;
            }
            for (const char ch : field) {
                const bool ok = (ch >= '0' && ch <= '9') || ch == '-' || ch == '+' || ch == ',' ||
                                ch == 'E' || ch == 'e' || ch == ' ';
                if (!ok) {
                    if (bad++ == 0) {
                        first = field;
                    }
                    break;
                }
            }
        }
    }
    return bad;
}

std::string errorList(const TFormRechnen& form) {
    std::string s;
    for (const std::string& e : form.ErrMemo) {
        s += e + "\n";
    }
    return s;
}

TEST(HostileProject, TheBuilderFillsEverySlotAndEveryDriver) {
    auto p = std::make_unique<TProjekt>();
    test::buildHostileProject(*p, 40);
    EXPECT_EQ(p->nAmps, kMaxAmps);
    EXPECT_EQ(p->nChassis, kMaxChassis);
    int drivers = 0;
    for (int a = 0; a < kMaxAmps; ++a) {
        int amplifiers = 0;
        for (int slot = 0; slot < kUsedPartSlots; ++slot) {
            EXPECT_NE(p->amp[a].weiche[slot].typ, kPartEmpty) << a << " " << slot;
            drivers += p->amp[a].weiche[slot].typ == kPartDriver;
            amplifiers += p->amp[a].weiche[slot].typ == kPartAmplifier;
        }
        EXPECT_EQ(amplifiers, 1);
    }
    EXPECT_EQ(drivers, kMaxChassis);
}

TEST(HostileProject, ComputesToTheEndWithMessagesAndFiniteNumbers) {
    auto p = std::make_unique<TProjekt>();
    test::buildHostileProject(*p, 40);
    HostileRun run(*p);
    ASSERT_TRUE(run.finished);
    ASSERT_TRUE(run.form.result);
    for (const auto& [stage, text] : stageTexts(run.calc->CalcStruct)) {
        EXPECT_EQ(test::stageTextFault(text), "") << stage;
    }
    // The extremes must be reported, not silently computed.
    EXPECT_GT(run.form.errCount, 0);
    EXPECT_FALSE(run.form.result->valid);

    std::string where;
    EXPECT_EQ(test::nonFiniteResultValues(*run.form.result, &where), 0) << where;
    const std::string text = resultsExportText(*run.form.result, ExportSections::all());
    std::string first;
    EXPECT_EQ(nonNumericExportFields(text, first), 0) << "first: \"" << first << "\"";
}

TEST(HostileProject, ARunAfterTheHostileOneComputesAnOrdinaryDesignCleanly) {
    // The run object keeps its stages between requests: after the hostile design, an ordinary
    // one is computed completely and validly again.
    auto hostile = std::make_unique<TProjekt>();
    test::buildHostileProject(*hostile, 40);
    HostileRun run(*hostile);
    ASSERT_TRUE(run.finished);
    auto ordinary = std::make_unique<TProjekt>();
    buildTwoWayExample(*ordinary, 40);
    run.form.CalcNew(*ordinary);
    ASSERT_TRUE(run.calc->waitUntilIdle(300s));
    ASSERT_TRUE(run.form.result);
    EXPECT_EQ(run.form.errCount, 0) << errorList(run.form);
    EXPECT_TRUE(run.form.result->valid);
    EXPECT_EQ(test::nonFiniteResultValues(*run.form.result), 0);
}

} // namespace
} // namespace sonora
