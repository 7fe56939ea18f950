#include "app/shell/chart_cursor.h"

#include <gtest/gtest.h>

#include <memory>

#include "storage/latin1.h"

namespace sonora {
namespace {

// Three grid points; at index 1 (1234.5 Hz, "1235" in 5 characters) the box is at 112 dB on axis,
// 7.54321 Ohm (as a negative real part), amplifier 2 4 Ohm, the box bundles by 2, and the two
// drivers reach 0.5 and 0.1 (two planes of 0.05 each).
std::unique_ptr<TResult> cursorResult() {
    auto r = std::make_unique<TResult>();
    r->freq[0] = 100;
    r->freq[1] = 1234.5;
    r->freq[2] = 10000;
    r->nfreq = 3;
    r->nAmps = 2;
    r->nChassis = 2;
    r->valid = true;
    r->chassisNames[0].assign("Tief");
    r->chassisNames[1].assign("Hoch");
    r->fgang_box[1][0] = {0.0, 1.0};
    r->impedanz_box[0][1] = {-7.54321, 0.0};
    r->impedanz_box[1][1] = {4.0, 0.0};
    r->fgang_bmass[1] = 2.0;
    r->fgang_chassis[0][0][1][0] = {0.5, 0.0};
    r->fgang_chassis[1][0][1][0] = {0.05, 0.0};
    r->fgang_chassis[1][1][1][0] = {0.05, 0.0};
    return r;
}

TEST(ChartCursor, SelectsTheFirstGridPointNotLeftOfThePointer) {
    auto r = cursorResult();
    EXPECT_EQ(cursorIndex(*r, 20.0), 0);
    EXPECT_EQ(cursorIndex(*r, 100.0), 0);
    EXPECT_EQ(cursorIndex(*r, 100.01), 1);
    EXPECT_EQ(cursorIndex(*r, 1234.5), 1);
    EXPECT_EQ(cursorIndex(*r, 5000.0), 2);
    EXPECT_EQ(cursorIndex(*r, 30000.0), 2); // the last index at most
    r->nfreq = 0;
    EXPECT_EQ(cursorIndex(*r, 1000.0), -1);
}

TEST(ChartCursor, TextWithEverySwitch) {
    auto r = cursorResult();
    ChartSwitches s;
    s.impedance = true;
    s.energy = true;
    s.singleDrivers = true;
    EXPECT_EQ(cursorText(*r, 1, s),
              utf8ToLatin1("f=1235Hz, Box gesamt: 112dB"
                           ", Impedanz Verstärker 1: 7,54 Ohm, Impedanz Verstärker 2: 4 Ohm"
                           ", Energiefrequenzgang: 106dB"
                           ", Tief: 106dB, Hoch: 92dB"));
}

TEST(ChartCursor, TextWithoutOptionalParts) {
    auto r = cursorResult();
    ChartSwitches s;
    s.impedance = false;
    s.energy = false;
    s.singleDrivers = false;
    EXPECT_EQ(cursorText(*r, 1, s), "f=1235Hz, Box gesamt: 112dB");
    // A zero response stays a number.
    EXPECT_EQ(cursorText(*r, 0, s), "f=100Hz, Box gesamt: -888dB");
}

TEST(ChartCursor, RestingTextWithoutCursor) {
    auto r = cursorResult();
    ChartSwitches s;
    const std::string resting = "Bewegen Sie die Maus in das Diagramm um den Cursor zu sehen.";
    EXPECT_EQ(kCursorRestingText, resting);
    EXPECT_EQ(cursorText(*r, 3, s), resting);
    EXPECT_EQ(cursorText(*r, -1, s), resting);
    s.cursor = false;
    EXPECT_EQ(cursorText(*r, 1, s), resting);
    s.cursor = true;
    r->valid = false;
    EXPECT_EQ(cursorText(*r, 1, s), resting);
}

} // namespace
} // namespace sonora
