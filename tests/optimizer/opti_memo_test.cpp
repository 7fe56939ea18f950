// The grade lines of the optimizer window and its history of 250 entries.
#include <gtest/gtest.h>

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

} // namespace
} // namespace sonora
