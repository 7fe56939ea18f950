#include "workspace_fixture.h"

#include <cmath>

#include "model/record_defaults.h"
#include "storage/my_ini_file.h"

namespace sonora::test {
namespace {

ProjectProperties grid(double fMin, double fMax, int points) {
    ProjectProperties p;
    p.fMin = fMin;
    p.fMax = fMax;
    p.points = points;
    return p;
}

TEST(ProjectPropertiesRules, EqualFrequenciesPointsAndCommentsFollowTheRules) {
    auto p = std::make_unique<TProjekt>();
    initDefaultProjekt(*p);
    applyProjectProperties(*p, grid(100, 100, 300));
    EXPECT_EQ(p->fMin, 20);
    EXPECT_EQ(p->fMax, 20000);
    EXPECT_EQ(p->sz, 256);
    EXPECT_EQ(p->freq[255], 20000);
    EXPECT_EQ(p->freq[256], 0);
    EXPECT_DOUBLE_EQ(p->glatt_amp, 7 * 3.0 / 256);
    EXPECT_EQ(p->glatt_imp, p->glatt_amp);

    applyProjectProperties(*p, grid(5000, 50, 3)); // reversed range, too few points
    EXPECT_EQ(p->fMin, 50);
    EXPECT_EQ(p->fMax, 5000);
    EXPECT_EQ(p->sz, 6);
    EXPECT_EQ(p->freq[6], 0);
    EXPECT_DOUBLE_EQ(p->glatt_amp, 7 * 2.0 / 6);

    ProjectProperties s = grid(0, -1, 84); // empty fields must not give a NaN grid
    s.nAmps = 9;
    s.nChassis = 0;
    s.comment1 = std::string(70, 'x');
    applyProjectProperties(*p, s);
    EXPECT_EQ(p->fMin, 20);
    EXPECT_EQ(p->fMax, 20000);
    EXPECT_EQ(p->nAmps, kMaxAmps);
    EXPECT_EQ(p->nChassis, 1);
    EXPECT_EQ(p->comment1.size(), 64u);

    const ProjectProperties m = withPreset(s, GridPreset::Mittel);
    EXPECT_EQ(m.points, 126);
    EXPECT_EQ(m.fMin, 20);
    EXPECT_EQ(m.comment1, s.comment1);
}

TEST_F(WorkspaceTest, AcceptedPropertiesPushTheirLabelAndRecalculateEverything) {
    ws->startUp(std::nullopt);
    ASSERT_EQ(ws->openEditor(EditorKind::Weiche, 0), EditorOpen::Open);
    ProjectProperties s = ws->projectProperties();
    s.fMin = s.fMax = 100;
    s.points = 300;
    s.nAmps = 2;
    ws->acceptProjectProperties(s);
    EXPECT_EQ(ws->undoStack().label(0), "Projekteigenschaften ändern");
    EXPECT_EQ(ws->project().sz, 256);
    EXPECT_EQ(ws->project().fMin, 20);
    EXPECT_EQ(calc.calcAllNewCount, 1);
    EXPECT_FALSE(ws->saved());
    EXPECT_FALSE(ws->editors().WEEditorOpen);
    EXPECT_EQ(view.menus.ampEntries, 2);
}

DisplayOptionsInput options(double fMin, double fMax, double dBMin, double dBMax) {
    DisplayOptionsInput in = displayOptionsInputOf(defaultAnzOption(), false);
    in.fMin = fMin;
    in.fMax = fMax;
    in.dBMin = dBMin;
    in.dBMax = dBMax;
    return in;
}

TEST(DisplayOptionRules, RangesAreWidenedFloorsAppliedAndSystemColoursCleared) {
    TAnzOption o = acceptDisplayOptions(options(100, 150, 80, 80.5));
    EXPECT_EQ(o.Afmin, 100);
    EXPECT_EQ(o.Afmax, 200);
    EXPECT_EQ(o.dBmin, 80);
    EXPECT_EQ(o.dBmax, 81);

    DisplayOptionsInput in = options(0, -5, -400, -260);
    in.impMax = 0;
    in.lineWidth = 3;
    in.option.ColorSetChassis[4] = 0x80000005u;
    in.option.ColorSetAmps[2] = 0x00123456u;
    o = acceptDisplayOptions(in);
    EXPECT_EQ(o.Afmin, 20);
    EXPECT_EQ(o.Afmax, 20000);
    EXPECT_EQ(o.dBmin, -300);
    EXPECT_EQ(o.dBmax, -250);
    EXPECT_EQ(o.ImpMax, 50);
    EXPECT_EQ(o.GraphsThickness, 3);
    EXPECT_EQ(o.ColorSetChassis[4], 0u);
    EXPECT_EQ(o.ColorSetAmps[2], 0x00123456u);

    o = acceptDisplayOptions(options(5000, 100, 100, 50)); // reversed: widened, then exchanged
    EXPECT_LT(o.Afmin, o.Afmax);
    EXPECT_LT(o.dBmin, o.dBmax);
    EXPECT_GE(o.Afmax / o.Afmin, 2);

    o = acceptDisplayOptions(options(NAN, INFINITY, NAN, 90));
    EXPECT_EQ(o.Afmin, 20);
    EXPECT_EQ(o.Afmax, 20000);
    EXPECT_EQ(o.dBmin, -300);
}

TEST_F(WorkspaceTest, DisplayOptionsForAllProjectsGoIntoSonoraIniAndIntoLaterProjects) {
    ws->startUp(std::nullopt);
    DisplayOptionsInput in = ws->displayOptions();
    EXPECT_FALSE(in.allProjects);
    in.fMin = 100;
    in.fMax = 150;
    in.dBMin = 80;
    in.dBMax = 80.5;
    in.lineWidth = 2;
    in.option.ColorSetRichtungen[9] = 0x00ABCDEFu;
    in.allProjects = true;
    const int calcs = calc.calcNewCount + calc.calcAllNewCount;
    ws->acceptDisplayOptions(in);
    EXPECT_EQ(ws->undoStack().label(0), "Anzeigeoptionen");
    EXPECT_EQ(ws->project().option.Afmax, 200);
    EXPECT_EQ(ws->project().option.dBmax, 81);
    EXPECT_FALSE(ws->project().saved);
    EXPECT_EQ(view.redraws, 1);
    EXPECT_EQ(calc.calcNewCount + calc.calcAllNewCount, calcs); // only redrawn
    EXPECT_TRUE(ws->environment().settings.useOption);

    {
        TMyIniFile ini(env.folders.settingsFile, true, false, false, false);
        EXPECT_TRUE(ini.ReadBool("Option", "UseOption", false));
        EXPECT_EQ(ini.ReadFloat("Option", "AfMin", 0), 100);
        EXPECT_EQ(ini.ReadFloat("Option", "AfMax", 0), 200);
        EXPECT_EQ(ini.ReadFloat("Option", "dBMin", 0), 80);
        EXPECT_EQ(ini.ReadFloat("Option", "dBMax", 0), 81);
        EXPECT_EQ(ini.ReadFloat("Option", "ImpMax", 0), 70);
        EXPECT_EQ(ini.ReadInteger("Option", "GThickness", 0), 2);
        std::int32_t colours[kDirectionColors] = {};
        EXPECT_EQ(ini.ReadIntArray("Option", "ColorSetRichtungen", colours, 0, kDirectionColors),
                  kDirectionColors);
        EXPECT_EQ(colours[9], 0x00ABCDEF);
        std::int32_t amps[kAmpColors + 1] = {};
        EXPECT_EQ(ini.ReadIntArray("Option", "ColorSetAmps", amps, 0, kAmpColors + 1), kAmpColors);
        std::int32_t chassis[kChassisColors] = {};
        EXPECT_EQ(ini.ReadIntArray("Option", "ColorSetChassis", chassis, 0, kChassisColors), 33);
    }

    // A new project takes the program-wide options.
    prompt.choices = {1};
    ASSERT_TRUE(ws->newProject());
    EXPECT_EQ(ws->project().option.Afmax, 200);
    EXPECT_EQ(ws->project().option.GraphsThickness, 2);

    // Switching it off writes UseOption = false, and later projects get the file defaults again.
    in = ws->displayOptions();
    EXPECT_TRUE(in.allProjects);
    in.allProjects = false;
    ws->acceptDisplayOptions(in);
    {
        TMyIniFile ini(env.folders.settingsFile, true, false, false, false);
        EXPECT_FALSE(ini.ReadBool("Option", "UseOption", true));
    }
    prompt.choices = {1};
    ASSERT_TRUE(ws->newProject());
    EXPECT_EQ(ws->project().option.Afmax, 20000);
}

} // namespace
} // namespace sonora::test
