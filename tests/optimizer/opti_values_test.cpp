// Which values the optimizer collects, in which order and with which steps and limits.
#include <gtest/gtest.h>

#include "opti_test_support.h"
#include "optimizer/opti_values.h"

namespace sonora {
namespace {

using testing::part;
using testing::projectWithParts;

TEST(OptiValues, MarkedCoilGivesInductanceThenResistanceAndFixingRemovesBoth) {
    auto p = projectWithParts({part(kPartResistor, 4.0, 0, false), part(kPartCoil, 0.8e-3, 0.35),
                               part(kPartCapacitor, 10e-6)});
    OptiValueList list = collectOptiValues(*p);
    ASSERT_EQ(list.count, 3);
    const TOptiValue& l = list.values[0];
    const TOptiValue& r = list.values[1];
    EXPECT_FALSE(l.bAktiv);
    EXPECT_FALSE(l.bRValue);
    EXPECT_EQ(l.Partnr, 1);
    EXPECT_DOUBLE_EQ(l.Value, 0.8e-3);
    EXPECT_DOUBLE_EQ(l.dValue, 0.8e-3 / 16);
    EXPECT_DOUBLE_EQ(l.minDvalue, 1e-6);
    EXPECT_DOUBLE_EQ(l.maxDvalue, 1);
    EXPECT_EQ(l.text1, "L = ");
    EXPECT_EQ(l.text2, " mH");
    EXPECT_DOUBLE_EQ(l.multiplier, 1000);
    EXPECT_TRUE(r.bRValue);
    EXPECT_EQ(r.Partnr, 1);
    EXPECT_DOUBLE_EQ(r.Value, 0.35);
    EXPECT_DOUBLE_EQ(r.dValue, 0.35 / 7);
    EXPECT_EQ(r.text1, "R(L) = ");
    EXPECT_EQ(list.values[2].text1, "C = ");
    EXPECT_DOUBLE_EQ(list.values[2].minDvalue, 1e-9);
    EXPECT_DOUBLE_EQ(list.values[2].maxDvalue, 0.001);

    removeOptiValue(list, 0);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.values[0].Partnr, 2); // the capacitor moved down
    // Removing a resistance-less entry takes exactly one.
    removeOptiValue(list, 0);
    EXPECT_EQ(list.count, 0);
}

// The command line labels a fixed part as the optimizer labels its value while running.
TEST(OptiValues, PartLabelsAreTheCollectedOnes) {
    auto p = projectWithParts({part(kPartResistor, 4.0, 0, true), part(kPartCoil, 0.8e-3, 0.35),
                               part(kPartCapacitor, 10e-6)});
    const OptiValueList list = collectOptiValues(*p);
    ASSERT_EQ(list.count, 4); // R, L, the coil's R(L), C
    for (int k = 0; k < list.count; ++k) {
        const TOptiValue& v = list.values[static_cast<std::size_t>(k)];
        if (v.bRValue) {
            continue;
        }
        const OptiValueLabel l = partValueLabel(optiPartOf(*p, v).typ);
        EXPECT_EQ(v.text1, l.text1);
        EXPECT_EQ(v.text2, l.text2);
        EXPECT_EQ(v.multiplier, l.multiplier);
    }
    EXPECT_STREQ(partValueLabel(kPartCapacitor).text2, " uF");
}

TEST(OptiValues, OrderIsPartsThenGainThenFilterStagesAndStopsAt99) {
    auto p = projectWithParts({part(kPartResistor, 2.0)});
    p->nAmps = 2;
    TAktfilter& akt = p->amp[0].aktfilter;
    akt.bOptiPeg = true;
    akt.pegel = 0.5;
    akt.fil[0].typ = 16; // Linkwitz: f, fch, qch
    akt.fil[0].bOptimize = true;
    akt.fil[0].f = 40;
    akt.fil[0].fch = 25;
    akt.fil[0].qch = 0.7;
    akt.fil[1].typ = 13; // delay: t only
    akt.fil[1].bOptimize = true;
    akt.fil[1].t = 1e-4;
    akt.fil[2].typ = 8; // f, q and a
    akt.fil[2].bOptimize = true;
    akt.fil[3].typ = 4; // marked kind without the flag: not collected
    p->amp[1].weiche[5] = part(kPartCapacitor, 1e-6);
    const OptiValueList list = collectOptiValues(*p);
    ASSERT_EQ(list.count, 10);
    const std::int32_t expectAtyp[] = {kOptiGain, kOptiF, kOptiFch, kOptiQch,
                                       kOptiT,    kOptiF, kOptiQ,   kOptiA};
    EXPECT_FALSE(list.values[0].bAktiv);
    for (int i = 0; i < 8; ++i) {
        EXPECT_TRUE(list.values[i + 1].bAktiv) << i;
        EXPECT_EQ(list.values[i + 1].atyp, expectAtyp[i]) << i;
        EXPECT_EQ(list.values[i + 1].wNr, 0);
    }
    EXPECT_EQ(list.values[1].Partnr, -1);
    EXPECT_DOUBLE_EQ(list.values[1].maxDvalue, 100);
    EXPECT_DOUBLE_EQ(list.values[5].minDvalue, 1e-8); // t
    EXPECT_EQ(list.values[9].wNr, 1);                 // the second amplifier comes last

    // 60 coils give 120 candidates; the list stops at 99, cutting the last coil's resistance.
    auto many = projectWithParts({});
    for (int slot = 0; slot < 60; ++slot) {
        many->amp[0].weiche[slot] = part(kPartCoil, 1e-3, 0.5);
    }
    const OptiValueList full = collectOptiValues(*many);
    EXPECT_EQ(full.count, kMaxOptiValues);
    EXPECT_FALSE(full.values[98].bRValue);
}

TEST(OptiValues, ReadsAndWritesTheFieldItStandsFor) {
    auto p = projectWithParts({part(kPartCoil, 1e-3, 0.4)});
    p->amp[0].aktfilter.bOptiPeg = true;
    p->amp[0].aktfilter.fil[2].typ = 16;
    p->amp[0].aktfilter.fil[2].bOptimize = true;
    OptiValueList list = collectOptiValues(*p);
    for (int i = 0; i < list.count; ++i) {
        setOptiValue(*p, list.values[i], 10.0 + i);
    }
    EXPECT_DOUBLE_EQ(p->amp[0].weiche[0].value, 10);
    EXPECT_DOUBLE_EQ(p->amp[0].weiche[0].Rvalue, 11);
    EXPECT_DOUBLE_EQ(p->amp[0].aktfilter.pegel, 12);
    EXPECT_DOUBLE_EQ(p->amp[0].aktfilter.fil[2].f, 13);
    EXPECT_DOUBLE_EQ(p->amp[0].aktfilter.fil[2].fch, 14);
    EXPECT_DOUBLE_EQ(p->amp[0].aktfilter.fil[2].qch, 15);
    for (int i = 0; i < list.count; ++i) {
        EXPECT_DOUBLE_EQ(optiValueIn(*p, list.values[i]), 10.0 + i);
    }
}

TEST(OptiValues, CountsMarkableAndMarkedOverUsedAmplifiers) {
    auto p = projectWithParts({part(kPartResistor, 1, 0, false), part(kPartWire, 0, 0, true),
                               part(kPartCoil, 1e-3, 0.1, true)});
    p->amp[0].aktfilter.fil[0].typ = 3;
    p->amp[0].aktfilter.fil[0].bOptimize = true;
    p->amp[1].weiche[0] = part(kPartCapacitor, 1e-6); // amplifier 1 is not in use
    const OptiMarkCount c = countOptiMarks(*p);
    EXPECT_EQ(c.markableParts, 2); // the wire does not count
    EXPECT_EQ(c.markableFilters, 1);
    EXPECT_EQ(c.markableGains, 1);
    EXPECT_EQ(c.marked, 2);
}

} // namespace
} // namespace sonora
