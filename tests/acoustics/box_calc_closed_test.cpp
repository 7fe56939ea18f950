// The closed/vented calculator page: closed box for a wanted Qtc, Hoge's vented box, the
// alternative volume, Q' with a series resistor, Qts from Qes and Qms, and hostile entries.
#include "acoustics/box_calc_closed.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acoustics/box_calc_q.h"
#include "box_calc_test_support.h"
#include "storage/numbers.h"

namespace sonora {
namespace {

using box_calc_test::showsNonNumber;
using box_calc_test::utf8;
using Lines = std::vector<std::string>;

const Lines kMissing = {"Daten unvollständig.",
                        "Mindestens Qts, Vas und fs müssen eingegeben werden und",
                        "größer als 0 sein."};

TEST(BoxCalcClosed, StartValuesGiveTheWorkedClosedBox) {
    // Vb = 80/(1.75² - 1) = 38.7879 l, fc = 35·sqrt(80/38.79 + 1) = 35·1.75 = 61.25 Hz.
    const ClosedVentedResult r = calcClosedVented({});
    EXPECT_EQ(utf8(r.closedBox), (Lines{"Berechnetes Volumen: 38,788 Liter",
                                        "Resonanzfrequenz des eingebauten Chassis: 61,25 Hz"}));
    EXPECT_DOUBLE_EQ(r.effectiveQ, 0.4);
    EXPECT_EQ(utf8(r.alternative), (Lines{"Alternatives Volumen muss größer als 0 sein."}));
}

TEST(BoxCalcClosed, ClosedBoxResonanceIsFsTimesQtcOverQ) {
    // fs·sqrt(Vas/Vb + 1) with Vb = Vas/((Qtc/Q)² - 1) is fs·Qtc/Q for every box.
    for (double qts : {0.2, 0.33, 0.5}) {
        for (double qtc : {0.6, 0.707, 1.2}) {
            ClosedVentedInput in;
            in.qts = qts;
            in.qtc = qtc;
            in.fs = 27;
            const Lines lines = utf8(calcClosedVented(in).closedBox);
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[1], "Resonanzfrequenz des eingebauten Chassis: " +
                                    compactNumberText(5, 27 * qtc / qts) + " Hz");
        }
    }
}

TEST(BoxCalcClosed, WantedQNotAboveQIsRefused) {
    ClosedVentedInput in;
    in.qtc = 0.4; // equal to Qts
    EXPECT_EQ(utf8(calcClosedVented(in).closedBox),
              (Lines{"Auslegung nicht möglich, da Qts oder Rv zu hoch."}));
    in.qtc = 0.7;
    in.seriesResistor = true;
    in.rv = 6.5; // Q' = 0.4·12.5/6 = 0.833 > 0.7
    EXPECT_EQ(utf8(calcClosedVented(in).closedBox),
              (Lines{"Auslegung nicht möglich, da Qts oder Rv zu hoch."}));
}

TEST(BoxCalcClosed, SeriesResistorRaisesQ) {
    ClosedVentedInput in;
    in.seriesResistor = true; // Rdc 6, Rv 1: Q' = 0.4·7/6
    const ClosedVentedResult r = calcClosedVented(in);
    EXPECT_NEAR(r.effectiveQ, 0.46667, 1e-5);
    EXPECT_TRUE(r.seriesResistor);
    // (0.7/0.46667)² = 2.25, so Vb = 80/1.25 = 64 l and fc = 35·1.5 = 52.5 Hz.
    EXPECT_EQ(utf8(r.closedBox), (Lines{"Berechnetes Volumen: 64 Liter",
                                        "Resonanzfrequenz des eingebauten Chassis: 52,5 Hz"}));
    // The vented box uses Q' too.
    in.seriesResistor = false;
    EXPECT_NE(calcClosedVented(in).ventedBox, r.ventedBox);
}

TEST(BoxCalcClosed, SeriesResistorWithoutRdcIsSwitchedOff) {
    for (double rdc : {0.0, -3.0}) {
        ClosedVentedInput in;
        in.seriesResistor = true;
        in.rdc = rdc;
        const ClosedVentedResult r = calcClosedVented(in);
        EXPECT_FALSE(r.seriesResistor);
        EXPECT_DOUBLE_EQ(r.effectiveQ, 0.4);
        EXPECT_EQ(r.closedBox, calcClosedVented({}).closedBox);
    }
}

TEST(BoxCalcClosed, HogeVentedBox) {
    // With Q' = 1 the fits reduce to their factors: 15.2·Vas, 0.26·fs, 0.42·fs.
    ClosedVentedInput in;
    in.qts = 1;
    in.vas = 10;
    in.fs = 100;
    EXPECT_EQ(utf8(calcClosedVented(in).ventedBox),
              (Lines{"Volumen: 152 Liter", "Grenzfrequenz: 26 Hz", "Abstimmfrequenz: 42 Hz"}));
    // Start values, checked by hand: 15.2·0.4^2.87·80 = 87.669 l, 0.26·35/0.4^1.41 = 33.124 Hz,
    // 0.42·35/0.4^0.9 = 33.532 Hz.
    EXPECT_EQ(
        utf8(calcClosedVented({}).ventedBox),
        (Lines{"Volumen: 87,669 Liter", "Grenzfrequenz: 33,12 Hz", "Abstimmfrequenz: 33,53 Hz"}));
}

TEST(BoxCalcClosed, AlternativeVolume) {
    ClosedVentedInput in;
    in.qts = 0.5;
    in.altVolume = 80; // r = 1: f3 = fb = fs, ripple = 20·log10(2.58·0.5) = 2.2118 dB
    EXPECT_EQ(utf8(calcClosedVented(in).alternative),
              (Lines{"Grenzfrequenz: 35 Hz", "Abstimmfrequenz: 35 Hz", "\"Ripple\": 2,212 dB"}));
    in.qts = 0.4;
    in.altVolume = 40; // r = 2: 35·2^0.49 = 49.156, 35·2^0.32 = 43.692, 2.3712 dB
    EXPECT_EQ(
        utf8(calcClosedVented(in).alternative),
        (Lines{"Grenzfrequenz: 49,16 Hz", "Abstimmfrequenz: 43,69 Hz", "\"Ripple\": 2,371 dB"}));
    in.altVolume = -5;
    EXPECT_EQ(utf8(calcClosedVented(in).alternative),
              (Lines{"Alternatives Volumen muss größer als 0 sein."}));
}

TEST(BoxCalcClosed, MissingDriverDataOnEveryList) {
    ClosedVentedInput zeroQts;
    zeroQts.qts = 0;
    ClosedVentedInput negativeVas;
    negativeVas.vas = -80;
    ClosedVentedInput zeroFs;
    zeroFs.fs = 0;
    zeroFs.altVolume = 40;
    for (const ClosedVentedInput& in : {zeroQts, negativeVas, zeroFs}) {
        const ClosedVentedResult r = calcClosedVented(in);
        EXPECT_EQ(utf8(r.closedBox), kMissing);
        EXPECT_EQ(utf8(r.ventedBox), kMissing);
        EXPECT_EQ(utf8(r.alternative), kMissing);
    }
}

TEST(BoxCalcClosed, QtsFromQesAndQmsIsComputedWithTheFieldText) {
    ClosedVentedInput in;
    in.qesQmsKnown = true;
    in.qts = 99; // ignored while the switch is on
    const ClosedVentedResult start = calcClosedVented(in);
    EXPECT_EQ(start.qtsText, "0,4"); // 0.5·2/2.5
    EXPECT_EQ(start.closedBox, calcClosedVented({}).closedBox);
    // 1·2/3 shows as "0,6667" in a six-character field; Vb = 80/((0.7/0.6667)² - 1) = 781.33 l,
    // while the unrounded 2/3 would give 780.49 l.
    in.qes = 1;
    const ClosedVentedResult r = calcClosedVented(in);
    EXPECT_EQ(r.qtsText, "0,6667");
    ASSERT_EQ(r.closedBox.size(), 2u);
    EXPECT_EQ(utf8(r.closedBox)[0], "Berechnetes Volumen: 781,33 Liter");
}

TEST(BoxCalcClosed, QtsFieldIsEmptyWithoutAPositiveProduct) {
    EXPECT_EQ(qtsFieldText(0, 2), "");
    EXPECT_EQ(qtsFieldText(-0.5, 2), "");
    EXPECT_EQ(qtsFieldText(0.5, 2), "0,4");
    ClosedVentedInput in;
    in.qesQmsKnown = true;
    in.qes = -0.5;
    const ClosedVentedResult r = calcClosedVented(in);
    EXPECT_EQ(r.qtsText, "");
    EXPECT_EQ(utf8(r.closedBox), kMissing);
    // Two negative values have a positive product but a negative Qts: still missing data.
    in.qms = -2;
    EXPECT_EQ(utf8(calcClosedVented(in).ventedBox), kMissing);
}

TEST(BoxCalcClosed, ANegativeSeriesResistorBelowMinusRdcIsMissingData) {
    ClosedVentedInput in;
    in.seriesResistor = true;
    in.rv = -7; // Q' = 0.4·(6 - 7)/6 < 0
    EXPECT_EQ(utf8(calcClosedVented(in).closedBox), kMissing);
}

TEST(BoxCalcClosed, HostileEntriesNeverShowNanOrInf) {
    double ClosedVentedInput::*const fields[] = {
        &ClosedVentedInput::qts, &ClosedVentedInput::qes, &ClosedVentedInput::qms,
        &ClosedVentedInput::vas, &ClosedVentedInput::fs,  &ClosedVentedInput::rdc,
        &ClosedVentedInput::rv,  &ClosedVentedInput::qtc, &ClosedVentedInput::altVolume};
    for (bool switches : {false, true}) {
        for (double ClosedVentedInput::*field : fields) {
            for (double value : box_calc_test::hostileValues()) {
                ClosedVentedInput in;
                in.qesQmsKnown = switches;
                in.seriesResistor = switches;
                in.altVolume = 40;
                in.*field = value;
                const ClosedVentedResult r = calcClosedVented(in);
                const Lines all = closedVentedLines(r);
                EXPECT_FALSE(showsNonNumber(all)) << value << " " << latin1ToUtf8(all[1]);
                EXPECT_FALSE(r.closedBox.empty());
                EXPECT_FALSE(r.ventedBox.empty());
                EXPECT_FALSE(r.alternative.empty());
            }
        }
    }
}

TEST(BoxCalcClosed, HugeResultsAreReportedAsOutOfRange) {
    ClosedVentedInput in;
    in.qts = 1e110; // Hoge: Vb = 15.2·1e315·Vas overflows
    EXPECT_EQ(utf8(calcClosedVented(in).ventedBox),
              (Lines{"Ergebnis außerhalb des darstellbaren Zahlenbereichs."}));
}

TEST(BoxCalcClosed, FieldsByName) {
    ClosedVentedInput in;
    EXPECT_TRUE(setClosedVentedField(in, "vas", "55,5"));
    EXPECT_DOUBLE_EQ(in.vas, 55.5);
    EXPECT_TRUE(setClosedVentedField(in, "valt", "12.5"));
    EXPECT_DOUBLE_EQ(in.altVolume, 12.5);
    // The box pages read numbers by the same strict rule as the network pages: a text that is no
    // whole finite number is refused and leaves the entry as it was.
    in.rv = 0.25;
    for (const char* bad : {"1e999", "abc", "", "12x"}) {
        EXPECT_FALSE(setClosedVentedField(in, "rv", bad)) << bad;
        EXPECT_EQ(in.rv, 0.25) << bad;
    }
    EXPECT_TRUE(setClosedVentedField(in, "series", "JA"));
    EXPECT_TRUE(in.seriesResistor);
    // "an" and "ein" both switch on, "aus" off.
    for (const char* on : {"an", "ein", "On"}) {
        in.seriesResistor = false;
        EXPECT_TRUE(setClosedVentedField(in, "series", on)) << on;
        EXPECT_TRUE(in.seriesResistor) << on;
    }
    EXPECT_TRUE(setClosedVentedField(in, "series", "aus"));
    EXPECT_FALSE(in.seriesResistor);
    EXPECT_FALSE(setClosedVentedField(in, "series", "vielleicht"));
    EXPECT_FALSE(in.seriesResistor); // a refused text leaves the switch as it was
    EXPECT_FALSE(setClosedVentedField(in, "Vas", "1")); // names are exact
    EXPECT_DOUBLE_EQ(in.vas, 55.5);
    // Every entry field has its own name, and each number field reaches a different member.
    const auto fields = closedVentedFields();
    EXPECT_EQ(fields.size(), 11u);
    for (std::size_t a = 0; a < fields.size(); ++a) {
        for (std::size_t b = a + 1; b < fields.size(); ++b) {
            EXPECT_NE(fields[a].name, fields[b].name);
        }
    }
    for (const auto& field : fields) {
        if (field.kind != CalcFieldKind::Number) {
            continue;
        }
        ClosedVentedInput changed;
        ASSERT_TRUE(field.set(changed, "123,25"));
        int hits = 0;
        for (double v : {changed.qts, changed.qes, changed.qms, changed.vas, changed.fs,
                         changed.rdc, changed.rv, changed.qtc, changed.altVolume}) {
            hits += v == 123.25;
        }
        EXPECT_EQ(hits, 1) << field.name;
    }
}

} // namespace
} // namespace sonora
