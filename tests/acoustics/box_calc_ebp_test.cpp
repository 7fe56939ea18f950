// The EBP calculator page: fs/Qts with four digits, Klinger's four recommendations at their exact
// limits, Qts from Qes and Qms, refused and hostile entries.
#include "acoustics/box_calc_ebp.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "box_calc_test_support.h"

namespace sonora {
namespace {

using box_calc_test::showsNonNumber;
using box_calc_test::utf8;
using Lines = std::vector<std::string>;

Lines ebpLines(double fs, double qts) {
    EbpInput in;
    in.fs = fs;
    in.qts = qts;
    return utf8(calcEbp(in).lines);
}

TEST(BoxCalcEbp, RecommendationsAtTheirLimits) {
    EXPECT_EQ(ebpLines(40, 1.0001),
              (Lines{"EBP = 40Hz", "==> Chassis für Transmissionline-Boxen"}));
    EXPECT_EQ(ebpLines(40, 1), (Lines{"EBP = 40Hz", "==> Chassis für geschlossene Boxen"}));
    EXPECT_EQ(ebpLines(39.95, 0.5), (Lines{"EBP = 79,9Hz", "==> Chassis für geschlossene Boxen"}));
    EXPECT_EQ(ebpLines(40, 0.5), (Lines{"EBP = 80Hz", "==> Chassis für Bassreflexboxen"}));
    EXPECT_EQ(ebpLines(47.99, 0.4), (Lines{"EBP = 120Hz", "==> Chassis für Bassreflexboxen"}));
    EXPECT_EQ(ebpLines(48, 0.4), (Lines{"EBP = 120Hz", "==> Chassis für Exponentialhörner"}));
}

TEST(BoxCalcEbp, StartValuesAndFourDigits) {
    const EbpResult start = calcEbp({});
    EXPECT_DOUBLE_EQ(start.ebp, 100);
    EXPECT_EQ(utf8(start.lines), (Lines{"EBP = 100Hz", "==> Chassis für Bassreflexboxen"}));
    // 35/0.3 = 116.667 shows with four characters as 117.
    EXPECT_EQ(ebpLines(35, 0.3)[0], "EBP = 117Hz");
    EXPECT_EQ(ebpLines(30, 0.8)[0], "EBP = 37,5Hz");
}

TEST(BoxCalcEbp, QtsFromQesAndQms) {
    EbpInput in;
    in.qesQmsKnown = true;
    in.qts = 5; // ignored
    in.fs = 20;
    const EbpResult r = calcEbp(in); // Qts = 0.5·2/2.5 = 0.4
    EXPECT_EQ(r.qtsText, "0,4");
    EXPECT_EQ(utf8(r.lines)[0], "EBP = 50Hz");
    in.qms = 0;
    EXPECT_EQ(calcEbp(in).qtsText, "");
    EXPECT_EQ(utf8(calcEbp(in).lines),
              (Lines{"Unzulässige Eingabe. Qes, Qms, Qts und fs müssen > 0 sein."}));
}

TEST(BoxCalcEbp, RefusedAndHostileEntries) {
    const Lines refused = {"Unzulässige Eingabe. Qes, Qms, Qts und fs müssen > 0 sein."};
    EXPECT_EQ(ebpLines(40, 0), refused);
    EXPECT_EQ(ebpLines(40, -0.4), refused);
    EXPECT_EQ(ebpLines(0, 0.4), refused);
    EXPECT_EQ(ebpLines(-40, 0.4), refused);
    for (double value : box_calc_test::hostileValues()) {
        for (bool known : {false, true}) {
            for (int field = 0; field < 4; ++field) {
                EbpInput in;
                in.qesQmsKnown = known;
                double* targets[] = {&in.fs, &in.qts, &in.qes, &in.qms};
                *targets[field] = value;
                const EbpResult r = calcEbp(in);
                EXPECT_FALSE(showsNonNumber(r.lines)) << value;
                EXPECT_FALSE(r.lines.empty());
            }
        }
    }
    // fs/Qts beyond the range of four characters.
    EXPECT_EQ(ebpLines(1e300, 1e-300),
              (Lines{"Ergebnis außerhalb des darstellbaren Zahlenbereichs."}));
}

TEST(BoxCalcEbp, FieldsByName) {
    EbpInput in;
    EXPECT_TRUE(setEbpField(in, "fs", "33,3"));
    EXPECT_DOUBLE_EQ(in.fs, 33.3);
    EXPECT_TRUE(setEbpField(in, "qesqms", "an"));
    EXPECT_TRUE(in.qesQmsKnown);
    EXPECT_TRUE(setEbpField(in, "qms", "4"));
    EXPECT_DOUBLE_EQ(in.qms, 4);
    EXPECT_FALSE(setEbpField(in, "vas", "80"));
    EXPECT_EQ(ebpFields().size(), 5u);
}

} // namespace
} // namespace sonora
