// The grade lines of the optimizer window and its history of 250 entries.
#include <gtest/gtest.h>

#include <array>

#include "optimizer/opti_memo.h"

namespace sonora {
namespace {

TEST(OptiMemo, SixGradeLinesInTheWindowsWording) {
    TBewertungen g{};
    g.Note_I = 0.5;
    g.Note_F = 12.3456;
    g.Note_W = -1.25;
    g.Note_Ph = 1234.5;
    g.Note_AB = 0;
    g.Note = 8.86009;
    EXPECT_EQ(gradeLines(g), "Note Impedanz     =    0.500\r\n"
                             "Note Frequenzgang =   12.346\r\n"
                             "Note Wirkungsgrad =   -1.250\r\n"
                             "Note Phase        = 1234.500\r\n"
                             "Note Arb.-Bereich =    0.000\r\n"
                             "Note gesamt       =    8.860");
}

TEST(OptiMemo, HistoryKeepsTheLatest250Entries) {
    OptiHistory h;
    TBewertungen g{};
    for (int i = 0; i < 250; ++i) {
        g.Note = i;
        g.Note_F = 2.0 * i;
        g.Note_Ph = -i;
        h.append(g);
    }
    ASSERT_EQ(h.size(), 250);
    EXPECT_DOUBLE_EQ(h[0].Note, 0);
    EXPECT_DOUBLE_EQ(h[249].Note, 249);
    EXPECT_DOUBLE_EQ(h[249].Note_F, 498);
    EXPECT_DOUBLE_EQ(h[249].Note_Ph, -249);
    for (int i = 250; i < 253; ++i) {
        g.Note = i;
        h.append(g);
    }
    ASSERT_EQ(h.size(), 250);
    EXPECT_DOUBLE_EQ(h[0].Note, 3); // the three oldest dropped
    EXPECT_DOUBLE_EQ(h[248].Note, 251);
    EXPECT_DOUBLE_EQ(h[249].Note, 252);
    h.clear();
    EXPECT_EQ(h.size(), 0);
    EXPECT_EQ(historyChartY(0), 115);
    EXPECT_EQ(historyChartY(2), 85);
}

TEST(OptiMemo, ValueChangesAreTheDepartureFromTheStartInPercent) {
    std::array<double, kOptiValueSlots> start{}, now{};
    start[0] = 4.7e-6, now[0] = 2.35e-6; // halved
    start[1] = 2.0, now[1] = 3.0;        // up by half
    start[2] = 0.0, now[2] = 1.0;        // no start to compare with
    start[3] = 1.0, now[3] = 9.0;        // beyond the count
    const auto c = valueChanges(start, now, 3);
    EXPECT_DOUBLE_EQ(c[0], -50);
    EXPECT_DOUBLE_EQ(c[1], 50);
    EXPECT_EQ(c[2], 0);
    EXPECT_EQ(c[3], 0);
    EXPECT_EQ(valueChanges(start, now, -4)[0], 0);
    EXPECT_DOUBLE_EQ(valueChanges(start, now, 1000)[3], 800); // clamped to the slots

    // The changes move down with their grades when the history is full.
    OptiHistory h;
    TBewertungen g{};
    for (int i = 0; i < 252; ++i) {
        g.Note = i;
        std::array<double, kOptiValueSlots> change{};
        change[1] = -i;
        h.append(g, change, 2);
    }
    ASSERT_EQ(h.size(), 250);
    EXPECT_EQ(h[0].nValues, 2);
    EXPECT_DOUBLE_EQ(h[0].change[1], -2);
    EXPECT_DOUBLE_EQ(h[249].change[1], -251);
    h.append(g); // an entry without values
    EXPECT_EQ(h[249].nValues, 0);
    EXPECT_EQ(h[249].change[1], 0);
}

TEST(OptiMemo, ValueNamesSayWhereEachValueSits) {
    TOptiValue v;
    v.text1 = "C = ";
    v.wNr = 0;
    v.Partnr = 16;
    EXPECT_EQ(optiValueName(v), "C W1/17");
    v.text1 = "R(L) = ";
    v.bRValue = true;
    EXPECT_EQ(optiValueName(v), "R(L) W1/17");
    v.bAktiv = true;
    v.text1 = "A = ";
    v.wNr = 2;
    v.Partnr = -1;
    EXPECT_EQ(optiValueName(v), "A V3");
    v.text1 = "fch = ";
    v.Partnr = 11;
    EXPECT_EQ(optiValueName(v), "fch F3/12");
}

} // namespace
} // namespace sonora
