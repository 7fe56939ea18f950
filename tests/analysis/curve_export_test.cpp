// Curves for other programs: every FRD and ZMA file of a computed example read back by the
// driver editor's own text import reproduces its curve; the plane angles against the box's
// direction set; the angle list; results and folders that cannot give files.
#include "analysis/curve_export.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/driver_response.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "measure/driver_import.h"
#include "measure/text_import.h"
#include "model/interpolate.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/latin1.h"
#include "storage/project_file.h"
#include "tests/analysis/example_results.h"

namespace sonora {
namespace {

namespace fs = std::filesystem;
using std::numbers::pi;

std::complex<double> cx(const Complex& c) {
    return {c.re, c.im};
}

double levelOf(std::complex<double> h) {
    return 20 * std::log10(std::abs(h)) + 112;
}

// Difference of two angles in degrees, folded into -180 … 180.
double angleDifference(double a, double b) {
    return std::remainder(a - b, 360.0);
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The example computed once for all tests.
class CurveExport : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::unique_ptr<TResult> result = test::computeExample("Zweiwege aktiv");
        ASSERT_TRUE(result);
        result_ = result.release();
    }
    static void TearDownTestSuite() {
        delete result_;
        result_ = nullptr;
    }

    void SetUp() override {
        ASSERT_NE(result_, nullptr);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("sonora_frd_" + std::to_string(::getpid()) + "_" + info->name());
        fs::remove_all(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    static const TResult& result() { return *result_; }

    static TResult* result_;
    fs::path dir_;
};

TResult* CurveExport::result_ = nullptr;

// A file imported as a driver's frequency response: the level at 90 dB is left as it is, so the
// driver holds exactly what the file says.
struct ImportedResponse {
    std::unique_ptr<TChassis> chassis = std::make_unique<TChassis>();
    ScriptedPrompt prompt;
};

TEST_F(CurveExport, EveryFileReadBackByTheTextImportReproducesItsCurve) {
    const TResult& r = result();
    const int n = r.nfreq;
    ASSERT_GT(n, 100);
    CurveExportChoice choice;
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(parsePlaneAngles("H30,H-30,V10,V-10,H180,V-180", choice.angles, error));
    ASSERT_TRUE(writeCurveExport(dir_.string(), r, "Zweiwege aktiv", choice, written, error))
        << error;
    const std::vector<std::string> expectedNames = {
        "Box_0Grad.frd",
        "Box_Hoerfenster.frd",
        "Box_H30Grad.frd",
        "Box_H-30Grad.frd",
        "Box_V10Grad.frd",
        "Box_V-10Grad.frd",
        "Box_H180Grad.frd",
        "Box_V-180Grad.frd",
        "Chassis_1_" + fileNameStem(r.chassisNames[0].view()) + ".frd",
        "Chassis_2_" + fileNameStem(r.chassisNames[1].view()) + ".frd",
        "Verstaerker_1.zma",
        "Verstaerker_2.zma"};
    ASSERT_EQ(r.nChassis, 2);
    ASSERT_EQ(r.nAmps, 2);
    EXPECT_EQ(written, expectedNames);
    std::vector<std::string> onDisk;
    for (const auto& e : fs::directory_iterator(dir_)) {
        onDisk.push_back(e.path().filename().string());
    }
    EXPECT_EQ(onDisk.size(), expectedNames.size()); // no temporary file is left

    // The curves as this test works them out from the result.
    auto plane = [&r](bool horizontal, int degrees) {
        return [&r, horizontal, degrees](int i) {
            return cx(horizontal ? r.fgang_box_h[i][180 + degrees]
                                 : r.fgang_box_v[i][180 + degrees]);
        };
    };
    // The listening window: energy mean of the axis, ±10° vertical and ±10°, ±20°, ±30°
    // horizontal; it carries the phase on axis.
    auto listeningLevel = [&r](int i) {
        double e = 0;
        for (const int h : {0, 10, -10, 20, -20, 30, -30}) {
            e += std::norm(cx(r.fgang_box_h[i][180 + h]));
        }
        for (const int v : {10, -10}) {
            e += std::norm(cx(r.fgang_box_v[i][180 + v]));
        }
        return 10 * std::log10(e / 9) + 112;
    };
    struct Expected {
        std::string file;
        std::function<std::complex<double>(int)> h;
    };
    const std::vector<Expected> responses = {
        {"Box_0Grad.frd", [&r](int i) { return cx(r.fgang_box[i][0]); }},
        {"Box_Hoerfenster.frd", [&r](int i) { return cx(r.fgang_box[i][0]); }},
        {"Box_H30Grad.frd", plane(true, 30)},
        {"Box_H-30Grad.frd", plane(true, -30)},
        {"Box_V10Grad.frd", plane(false, 10)},
        {"Box_V-10Grad.frd", plane(false, -10)},
        {"Box_H180Grad.frd", plane(true, 180)},
        {"Box_V-180Grad.frd", plane(false, -180)},
        {expectedNames[8],
         [&r](int i) { return cx(r.fgang_chassis[0][0][i][0]) + cx(r.fgang_chassis[0][1][i][0]); }},
        {expectedNames[9],
         [&r](int i) { return cx(r.fgang_chassis[1][0][i][0]) + cx(r.fgang_chassis[1][1][i][0]); }},
    };
    for (const Expected& e : responses) {
        SCOPED_TRACE(e.file);
        const std::string text = readAll(dir_ / e.file);
        EXPECT_EQ(text.rfind("* Sonora ", 0), 0u);
        EXPECT_NE(text.find("* Projekt: Zweiwege aktiv\r\n"), std::string::npos);
        std::istringstream lines(text);
        int rows = 0;
        for (std::string line; std::getline(lines, line);) {
            ASSERT_FALSE(line.empty());
            EXPECT_EQ(line.back(), '\r');
            if (line[0] != '*') {
                EXPECT_EQ(line.find(','), std::string::npos) << line; // "." is the decimal point
                ++rows;
            }
        }
        EXPECT_EQ(rows, n);

        ImportedResponse imp;
        imp.prompt.values = {"90"}; // "Pegelanpassung": the file's 90 dB stays 90 dB
        ASSERT_TRUE(
            importFrequencyResponseForDriver((dir_ / e.file).string(), *imp.chassis, imp.prompt));
        // Three columns: no question about what a column holds, only the level question.
        ASSERT_EQ(imp.prompt.questions.size(), 1u);
        EXPECT_TRUE(imp.prompt.messages.empty());
        const TChassis& c = *imp.chassis;
        for (int i = 0; i < n; ++i) {
            const std::complex<double> h = e.h(i);
            const double wantLevel =
                e.file == "Box_Hoerfenster.frd" ? listeningLevel(i) : levelOf(h);
            const double wantPhase = std::arg(h) * 180 / pi;
            EXPECT_NEAR(c.fgangaf[i], r.freq[i], 1e-3) << i;
            EXPECT_NEAR(c.fganga[i], wantLevel, 0.01) << i;
            EXPECT_NEAR(c.fgangapf[i], r.freq[i], 1e-3) << i;
            EXPECT_NEAR(angleDifference(c.fgangap[i] * 180 / pi, wantPhase), 0, 0.1) << i;
            // What the engine reads from the driver at the grid frequency is the same curve.
            EXPECT_NEAR(InterpolateSmoothed(c.fgangaf, c.fganga, r.freq[i], 0), wantLevel, 0.01);
            EXPECT_NEAR(
                angleDifference(InterpolatePhase(c.fgangapf, c.fgangap, r.freq[i]) * 180 / pi,
                                wantPhase),
                0, 0.1);
        }
        EXPECT_EQ(c.fgangaf[n], 0.0); // the list ends after the grid
    }

    for (int a = 0; a < 2; ++a) {
        const std::string file = "Verstaerker_" + std::to_string(a + 1) + ".zma";
        SCOPED_TRACE(file);
        auto chassis = std::make_unique<TChassis>();
        ScriptedPrompt prompt;
        ASSERT_TRUE(Import_IGang_txt((dir_ / file).string(), chassis->fgangif, chassis->fgangi,
                                     chassis->fgangipf, chassis->fgangip, prompt));
        EXPECT_TRUE(prompt.questions.empty() && prompt.messages.empty());
        for (int i = 0; i < n; ++i) {
            const std::complex<double> z = cx(r.impedanz_box[a][i]);
            EXPECT_NEAR(chassis->fgangif[i], r.freq[i], 1e-3) << i;
            // 0.01 dB of a magnitude is 0.115 %.
            EXPECT_NEAR(chassis->fgangi[i], std::abs(z), 1e-6 * std::abs(z)) << i;
            EXPECT_NEAR(angleDifference(chassis->fgangip[i] * 180 / pi, std::arg(z) * 180 / pi), 0,
                        0.1)
                << i;
        }
    }
}

TEST_F(CurveExport, PlaneAnglesPointWhereTheBoxDirectionsPoint) {
    // The result holds the 90 table directions and the two planes in separate arrays; at 30° the
    // planes meet the table's first ring: direction 1 top, 2 left, 3 bottom, 4 right. A plane
    // angle read from the wrong side or the wrong plane would miss it.
    const TResult& r = result();
    CurveExportChoice choice;
    choice.onAxis = choice.listeningWindow = choice.drivers = choice.amplifiers = false;
    choice.angles = {{CurvePlane::Horizontal, 30},
                     {CurvePlane::Horizontal, -30},
                     {CurvePlane::Vertical, 30},
                     {CurvePlane::Vertical, -30}};
    std::vector<CurveFile> files;
    std::string error;
    ASSERT_TRUE(curveExportFiles(r, "x", choice, files, error)) << error;
    ASSERT_EQ(files.size(), 4u);
    const int direction[] = {4, 2, 1, 3};
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(files[k].name);
        std::istringstream in(files[k].text);
        int i = 0;
        double worst = 0;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '*') {
                continue;
            }
            double f = 0, level = 0, phase = 0;
            std::istringstream(line) >> f >> level >> phase;
            ASSERT_LT(i, r.nfreq);
            EXPECT_NEAR(f, r.freq[i], 1e-3);
            worst = std::max(worst, std::abs(level - levelOf(cx(r.fgang_box[i][direction[k]]))));
            ++i;
        }
        EXPECT_EQ(i, r.nfreq);
        EXPECT_LT(worst, 1e-3); // the same field, to the file's last digit
    }
}

TEST(CurveExportAngles, ListsAreReadWithTheirSignsAndBadEntriesNamed) {
    std::vector<PlaneAngle> angles;
    std::string error;
    ASSERT_TRUE(parsePlaneAngles(" H30, v-10 ,h+45,V180,H-180,H30", angles, error)) << error;
    const std::vector<PlaneAngle> want = {{CurvePlane::Horizontal, 30},
                                          {CurvePlane::Vertical, -10},
                                          {CurvePlane::Horizontal, 45},
                                          {CurvePlane::Vertical, 180},
                                          {CurvePlane::Horizontal, -180}};
    EXPECT_EQ(angles, want); // the repeated H30 is written once
    EXPECT_EQ(planeAngleFileName(want[1]), "Box_V-10Grad.frd");
    EXPECT_EQ(planeAngleFileName(want[2]), "Box_H45Grad.frd");

    ASSERT_TRUE(parsePlaneAngles(kDefaultCurveAngles, angles, error));
    EXPECT_EQ(angles.size(), 16u);
    ASSERT_TRUE(parsePlaneAngles("  ", angles, error));
    EXPECT_TRUE(angles.empty());

    const std::vector<PlaneAngle> kept = want;
    for (const char* bad : {"H181", "V-181", "X30", "H", "30", "H30,", "H3.5", "H30;V10", "H+-3",
                            "H 30", "H30°", "H99999999999"}) {
        SCOPED_TRACE(bad);
        angles = kept;
        error.clear();
        EXPECT_FALSE(parsePlaneAngles(bad, angles, error));
        EXPECT_EQ(angles, kept);
        EXPECT_EQ(error.rfind("Ungültiger Winkel \"", 0), 0u) << error;
    }
}

TEST(CurveExportNames, DriverNamesBecomeSafeFileNames) {
    EXPECT_EQ(driverFileName(0, "Tieft\xF6ner 17/2 \"Gro\xDF\""),
              "Chassis_1_Tieftoener_17_2_Gross.frd");
    EXPECT_EQ(driverFileName(11, "../../etc"), "Chassis_12_etc.frd");
    EXPECT_EQ(driverFileName(2, ""), "Chassis_3.frd");
    EXPECT_EQ(driverFileName(2, "\x01\xA7/"), "Chassis_3.frd");
    EXPECT_EQ(amplifierFileName(5), "Verstaerker_6.zma");
}

TEST_F(CurveExport, NamesWithLineBreaksStayInTheHeader) {
    auto r = std::make_unique<TResult>(result());
    r->chassisNames[0].assign("TT\r\n10\t80\t0");
    CurveExportChoice choice;
    choice.onAxis = choice.listeningWindow = choice.amplifiers = false;
    std::vector<CurveFile> files;
    std::string error;
    ASSERT_TRUE(curveExportFiles(*r, "Projekt\n5 90 0", choice, files, error)) << error;
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].name, "Chassis_1_TT_10_80_0.frd");
    // Every line is either a header line or one of the grid's rows.
    int rows = 0;
    std::istringstream in(files[0].text);
    for (std::string line; std::getline(in, line);) {
        ASSERT_FALSE(line.empty());
        rows += line[0] == '*' ? 0 : 1;
        EXPECT_TRUE(line[0] == '*' || std::isdigit(static_cast<unsigned char>(line[0]))) << line;
    }
    EXPECT_EQ(rows, r->nfreq);
}

TEST_F(CurveExport, ResultsThatCannotGiveCurvesWriteNothing) {
    auto bad = std::make_unique<TResult>(result());
    CurveExportChoice choice;
    std::vector<std::string> written;
    std::string error;

    bad->valid = false;
    EXPECT_FALSE(writeCurveExport(dir_.string(), *bad, "p", choice, written, error));
    EXPECT_EQ(error, "Das Rechenergebnis ist fehlerhaft; es wurden keine Kurven geschrieben.");

    *bad = result();
    bad->nfreq = 0;
    EXPECT_FALSE(writeCurveExport(dir_.string(), *bad, "p", choice, written, error));
    EXPECT_EQ(error,
              "Das Rechenergebnis enthält keine Frequenzen; es wurden keine Kurven geschrieben.");

    *bad = result();
    bad->freq[7] = bad->freq[6]; // a grid that does not rise
    EXPECT_FALSE(writeCurveExport(dir_.string(), *bad, "p", choice, written, error));
    EXPECT_NE(error.find("Frequenzraster"), std::string::npos) << error;

    *bad = result();
    bad->impedanz_box[1][40].re = std::nan("");
    EXPECT_FALSE(writeCurveExport(dir_.string(), *bad, "p", choice, written, error));
    EXPECT_EQ(error, "Die Kurve Verstaerker_2.zma enthält ungültige Werte; es wurden keine Kurven "
                     "geschrieben.");

    *bad = result();
    CurveExportChoice none;
    none.onAxis = none.listeningWindow = none.drivers = none.amplifiers = false;
    EXPECT_FALSE(writeCurveExport(dir_.string(), *bad, "p", none, written, error));
    EXPECT_EQ(error, "Es ist keine Kurve ausgewählt.");

    EXPECT_TRUE(written.empty());
    EXPECT_FALSE(fs::exists(dir_)); // not even the folder was made

    // Damaged counts stay inside the record; a driver in no network gets no file.
    *bad = result();
    bad->nfreq = 100000;
    bad->nChassis = 1000;
    bad->nAmps = -3;
    bad->chassisAmp[1] = -1;
    std::vector<CurveFile> files;
    CurveExportChoice drivers = none;
    drivers.drivers = true;
    drivers.amplifiers = true;
    // The grid beyond the result's points ends with 0: not a rising grid.
    EXPECT_FALSE(curveExportFiles(*bad, "p", drivers, files, error));
    bad->nfreq = result().nfreq;
    ASSERT_TRUE(curveExportFiles(*bad, "p", drivers, files, error)) << error;
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].name.rfind("Chassis_1", 0), 0u);
}

TEST_F(CurveExport, AFolderThatCannotBeWrittenGetsNothing) {
    const TResult& r = result();
    CurveExportChoice choice;
    std::vector<std::string> written;
    std::string error;

    // The parent of the folder is missing.
    const fs::path deep = dir_ / "fehlt" / "auch";
    EXPECT_FALSE(writeCurveExport(deep.string(), r, "p", choice, written, error));
    EXPECT_EQ(error.rfind("Der Ordner " + deep.string() + " kann nicht angelegt werden: ", 0), 0u)
        << error;
    EXPECT_FALSE(fs::exists(dir_));

    // A file where the folder should be.
    fs::create_directories(dir_);
    const fs::path file = dir_ / "datei";
    std::ofstream(file) << "x";
    EXPECT_FALSE(writeCurveExport(file.string(), r, "p", choice, written, error));
    EXPECT_EQ(error, file.string() + " ist kein Ordner.");

    // A folder without write permission (root may write anyway, so the test says so).
    const fs::path locked = dir_ / "gesperrt";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    const bool rootWritesAnyway = ::access(locked.c_str(), W_OK) == 0;
    if (!rootWritesAnyway) {
        EXPECT_FALSE(writeCurveExport(locked.string(), r, "p", choice, written, error));
        EXPECT_NE(error.find("Box_0Grad.frd"), std::string::npos) << error;
        EXPECT_TRUE(fs::is_empty(locked));
    }
    fs::permissions(locked, fs::perms::owner_all);

    // A later file that cannot be written: the files already made are removed again. A folder
    // in the way of the third file's name stops the export there.
    const fs::path partly = dir_ / "teilweise";
    fs::create_directories(partly / "Box_H30Grad.frd");
    std::ofstream(partly / "alt.txt") << "bleibt";
    choice.angles = {{CurvePlane::Horizontal, 30}};
    EXPECT_FALSE(writeCurveExport(partly.string(), r, "p", choice, written, error));
    EXPECT_NE(error.find("Box_H30Grad.frd"), std::string::npos) << error;
    EXPECT_TRUE(written.empty());
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(partly)) {
        left.push_back(e.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Box_H30Grad.frd", "alt.txt"}));

    // A missing folder whose parent exists is made.
    const fs::path fresh = dir_ / "neu";
    EXPECT_TRUE(writeCurveExport(fresh.string(), r, "p", choice, written, error)) << error;
    EXPECT_TRUE(fs::exists(fresh / "Box_0Grad.frd"));
    EXPECT_TRUE(fs::exists(fresh / "Box_H30Grad.frd"));
}

// The time responses: one table per curve with every sample, how they were made in the header;
// the step column is the running sum of the impulse column, and the impulse column is what the
// analysis transforms.
TEST_F(CurveExport, ImpulseTablesHoldEverySampleAndSayHowTheyWereMade) {
    const TResult& r = result();
    CurveExportChoice choice;
    choice.onAxis = choice.listeningWindow = choice.drivers = choice.amplifiers = false;
    choice.impulses = true;
    std::vector<CurveFile> files;
    std::string error;
    ASSERT_TRUE(curveExportFiles(r, "Zweiwege aktiv", choice, files, error)) << error;
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files[0].name, "Box_0Grad_Impuls.txt");
    EXPECT_EQ(files[1].name, "Chassis_1_" + fileNameStem(r.chassisNames[0].view()) + "_Impuls.txt");
    EXPECT_EQ(files[2].name, "Chassis_2_" + fileNameStem(r.chassisNames[1].view()) + "_Impuls.txt");

    OnAxisImpulses t;
    ASSERT_TRUE(computeOnAxisImpulses(r, impulseSettingsFor(r), t, error)) << error;
    const ImpulseResponse* expected[] = {&t.box, &t.driverResponses[0], &t.driverResponses[1]};
    for (std::size_t k = 0; k < files.size(); ++k) {
        SCOPED_TRACE(files[k].name);
        const ImpulseResponse& ir = *expected[k];
        const std::string& text = files[k].text;
        EXPECT_NE(text.find("* " + impulseRateText(ir) + "\r\n"), std::string::npos);
        EXPECT_NE(text.find("* " + impulseWindowText(ir) + "\r\n"), std::string::npos);
        EXPECT_NE(text.find(utf8ToLatin1("* Abtastrate 48000 Hz, Länge 65536 Punkte")),
                  std::string::npos);
        EXPECT_NE(text.find("* Zeit [ms]\tImpulsantwort\tSprungantwort\r\n"), std::string::npos);
        std::istringstream lines(text);
        int row = 0;
        double running = 0;
        double peak = 0;
        for (const double v : ir.impulse) {
            peak = std::max(peak, std::abs(v));
        }
        for (std::string line; std::getline(lines, line);) {
            ASSERT_EQ(line.back(), '\r');
            if (line[0] == '*') {
                continue;
            }
            double time = 0, impulse = 0, step = 0;
            ASSERT_EQ(std::sscanf(line.c_str(), "%lf\t%lf\t%lf", &time, &impulse, &step), 3)
                << line;
            EXPECT_NEAR(time, (row - ir.zeroSample) * 1000.0 / ir.sampleRate, 1e-5);
            EXPECT_NEAR(impulse, ir.impulse[static_cast<std::size_t>(row)], 1e-8 * peak);
            running += impulse;
            EXPECT_NEAR(step, running, 1e-5 * peak + 1e-8 * std::abs(step)) << row;
            ++row;
        }
        EXPECT_EQ(row, ir.length);
    }

    // The box's impulse leads into a folder with the other curves.
    choice.onAxis = true;
    std::vector<std::string> written;
    ASSERT_TRUE(writeCurveExport(dir_.string(), r, "Zweiwege aktiv", choice, written, error))
        << error;
    EXPECT_EQ(written.size(), 4u);
    EXPECT_EQ(readAll(dir_ / "Box_0Grad_Impuls.txt"), files[0].text);
}

} // namespace
} // namespace sonora
