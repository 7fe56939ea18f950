// Project records: exact byte-wise copies, texts, defaults, driver copy and swap, colours, grid
// nodes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "model/colors.h"
#include "model/crossover_grid.h"
#include "model/driver_copy.h"
#include "model/large_block.h"
#include "model/record_defaults.h"
#include "model/records.h"
#include "model/result.h"

namespace sonora {
namespace {

template <typename T> bool sameBytes(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

TEST(FixedText, CutsToCapacityAndKeepsTailZero) {
    FixedText<8> t{};
    t.assign("Tieftoener-Chassis");
    EXPECT_EQ(t.size(), 8u);
    EXPECT_EQ(t.view(), "Tieftoen");
    t.assign("HT");
    EXPECT_EQ(t.view(), "HT");
    // The longer text before must leave no bytes behind, or byte comparison would see a change.
    for (std::size_t i = 2; i < 8; ++i) {
        EXPECT_EQ(t.chars[i], 0) << i;
    }
    EXPECT_TRUE(sameBytes(t, FixedText<8>::from("HT")));
    // Clearing (an empty view with a null pointer underneath) zeroes everything; UBSan checks
    // that no null pointer reaches memcpy.
    t.clear();
    EXPECT_TRUE(t.empty());
    EXPECT_TRUE(sameBytes(t, FixedText<8>{}));
}

TEST(FixedText, HoldsLatin1BytesAndLongTexts) {
    const FixedText<22> t = FixedText<22>::from("Geh\xe4use");
    EXPECT_EQ(t.size(), 7u);
    EXPECT_EQ(static_cast<unsigned char>(t.chars[3]), 0xE4u);
    StatusText long_{};
    const std::string text(5000, 'x');
    long_.assign(text);
    EXPECT_EQ(long_.size(), StatusText::kCapacity);
    EXPECT_EQ(sizeof(StatusText), StatusText::kCapacity + 2);
}

TEST(Records, TwoProjectsBuiltAlikeAreEqualByteForByte) {
    auto a = std::make_unique<TProjekt>();
    // Fill b's memory with garbage first: building it the same way must erase every byte.
    // (Raw memory from the record's own allocator, which its deleter gives back.)
    auto b =
        std::unique_ptr<TProjekt>(static_cast<TProjekt*>(TProjekt::operator new(sizeof(TProjekt))));
    std::memset(static_cast<void*>(b.get()), 0xA5, sizeof(TProjekt));
    initDefaultProjekt(*a);
    initDefaultProjekt(*b);
    a->chassis[3].name.assign("Basstreiber 20 cm");
    b->chassis[3].name.assign("Basstreiber 20 cm");
    EXPECT_TRUE(sameBytes(*a, *b));

    // A copy is exact, and a change anywhere is seen.
    auto c = std::make_unique<TProjekt>(*a);
    EXPECT_TRUE(sameBytes(*a, *c));
    c->amp[5].weiche[374].bOptimize = true;
    EXPECT_FALSE(sameBytes(*a, *c));
}

TEST(Records, ValueInitialisedRecordsAreAllZero) {
    const TFilter f{};
    const TPart part{};
    const TSchallwand s{};
    const unsigned char zeros[sizeof(TSchallwand)] = {};
    EXPECT_EQ(std::memcmp(&s, zeros, sizeof s), 0);
    EXPECT_EQ(std::memcmp(&f, zeros, sizeof f), 0);
    EXPECT_EQ(std::memcmp(&part, zeros, sizeof part), 0);
}

TEST(Records, ResultRecordIsLargeAndCopiedWhole) {
    // The result is about 75 MB; the arrays it holds must be there in full.
    EXPECT_GT(sizeof(TResult), 70u * 1000u * 1000u);
    EXPECT_LT(sizeof(TResult), 80u * 1000u * 1000u);
    auto r = std::make_unique<TResult>();
    r->fgang_chassis[31][1][256][89] = Complex{1.5, -2.5};
    r->fgang_bmass[256] = 3.0;
    auto copy = std::make_unique<TResult>(*r);
    EXPECT_EQ(copy->fgang_chassis[31][1][256][89].im, -2.5);
    EXPECT_EQ(copy->fgang_bmass[256], 3.0);
    EXPECT_TRUE(sameBytes(*r, *copy));
}

TEST(RecordDefaults, MatchTheDocumentedValues) {
    const TFilter f = defaultFilter();
    EXPECT_EQ(f.typ, 0);
    EXPECT_EQ(f.f, 1000.0);
    EXPECT_EQ(f.q, 0.707107);
    EXPECT_EQ(f.a, 0.5);
    EXPECT_EQ(f.t, 0.01);
    EXPECT_EQ(f.n, 2);
    EXPECT_EQ(f.fch, 1000.0);
    EXPECT_EQ(f.qch, 0.707107);

    const TEinbau e = defaultEinbau();
    EXPECT_EQ(e.typ, 0);
    EXPECT_EQ(e.vV, 1.0);
    EXPECT_EQ(e.mb, 1.0);
    EXPECT_EQ(e.fmb, 1.0);
    EXPECT_EQ(e.vVf, 1.0);
    EXPECT_EQ(e.Bedv, 2);
    EXPECT_EQ(e.Bedc, 2);
    EXPECT_EQ(e.Bedk, 0);

    const TAnzOption o = defaultAnzOption();
    EXPECT_EQ(o.ColorSetAmps[0], 128u);
    EXPECT_EQ(o.ColorSetAmps[6], 0x00B0B0u);
    EXPECT_EQ(o.ColorSetChassis[1], 0xF00000u);
    EXPECT_EQ(o.ColorSetChassis[8], 0x007050u);
    EXPECT_EQ(o.ColorSetRichtungen[6], 0x808020u);
    EXPECT_EQ(o.dBmin, 40.0);
    EXPECT_EQ(o.dBmax, 110.0);
    EXPECT_EQ(o.ImpMax, 70.0);
    EXPECT_EQ(o.GraphsThickness, 1);
    for (TColor c : o.ColorSetChassis) {
        EXPECT_EQ(c, sanitizeColor(c));
    }
}

TEST(RecordDefaults, DefaultProjectIsComplete) {
    auto p = std::make_unique<TProjekt>();
    initDefaultProjekt(*p);
    EXPECT_EQ(p->nAmps, 1);
    EXPECT_EQ(p->nChassis, 1);
    EXPECT_EQ(p->sz, 250);
    EXPECT_EQ(p->freq[0], 20.0);
    EXPECT_EQ(p->freq[249], 20000.0);
    EXPECT_EQ(p->freq[250], 0.0);
    EXPECT_EQ(p->comment1.view(), "");
    EXPECT_EQ(p->comment2.view(), "<d>");
    EXPECT_EQ(p->chassis[31].Filters, 119);
    EXPECT_EQ(p->chassis[31].pubdate.view(), "01.01.2000");
    EXPECT_EQ(p->amp[5].aktfilter.pegel, 1.0);
    // Every grid slot carries its nodes, also the empty ones; unused slots node 0.
    EXPECT_EQ(p->amp[0].weiche[0].nod2, 1);
    EXPECT_EQ(p->amp[3].weiche[300].nod1, 120);
    EXPECT_EQ(p->amp[3].weiche[150].nod1, 0);
    EXPECT_EQ(p->amp[3].weiche[150].nod2, 0);
}

TEST(CrossoverGrid, SlotNodesFollowTheGridLayout) {
    // Horizontal: slot 10*row + col joins 11*row + col and its right neighbour.
    EXPECT_EQ(gridSlotNodes(0).nod1, 0);
    EXPECT_EQ(gridSlotNodes(0).nod2, 1);
    EXPECT_EQ(gridSlotNodes(119).nod1, 11 * 11 + 9);
    EXPECT_EQ(gridSlotNodes(119).nod2, 11 * 11 + 10);
    // Vertical: slot 180 + 11*row + col joins 11*row + col and the node below.
    EXPECT_EQ(gridSlotNodes(180).nod1, 0);
    EXPECT_EQ(gridSlotNodes(180).nod2, 11);
    EXPECT_EQ(gridSlotNodes(300).nod1, 11 * 10 + 10);
    EXPECT_EQ(gridSlotNodes(300).nod2, 131);
    for (int slot : {120, 179, 301, 366, 367, 374, 375, -1, 376}) {
        EXPECT_EQ(gridSlotNodes(slot).nod1, 0) << slot;
        EXPECT_EQ(gridSlotNodes(slot).nod2, 0) << slot;
    }
    // Every node pair of the grid is joined by exactly one slot.
    int joins[kGridNodes][kGridNodes] = {};
    for (int slot = 0; slot < kPartSlots; ++slot) {
        const SlotNodes n = gridSlotNodes(slot);
        if (n.nod1 != n.nod2) {
            ASSERT_LT(n.nod2, kGridNodes);
            ++joins[n.nod1][n.nod2];
        }
    }
    int count = 0;
    for (auto& row : joins) {
        for (int j : row) {
            EXPECT_LE(j, 1);
            count += j;
        }
    }
    EXPECT_EQ(count, 12 * 10 + 11 * 11);
}

TEST(CrossoverGrid, AssignKeepsFreeWireNodes) {
    TPart weiche[kPartSlots] = {};
    weiche[367].nod1 = 5;
    weiche[367].nod2 = 77;
    weiche[200].nod1 = 99;
    assignGridNodes(weiche);
    EXPECT_EQ(weiche[367].nod1, 5);
    EXPECT_EQ(weiche[367].nod2, 77);
    EXPECT_EQ(weiche[200].nod1, 20);
    EXPECT_EQ(weiche[200].nod2, 31);
}

class DriverCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        p = std::make_unique<TProjekt>();
        initDefaultProjekt(*p);
        p->nChassis = 3;
        p->chassis[0].name.assign("Quelle");
        p->chassis[0].fs = 28.0;
        p->einbau[0].Vb = 0.04;
        p->schallwand[0].swd = 0.17;
        p->schallwand[0].swa = 0.25;
        p->chassis[1].name.assign("Ziel");
        p->einbau[1].Vb = 0.01;
        p->schallwand[1].swd = 0.03;
        p->schallwand[1].swa = 0.5;
        p->amp[0].weiche[5].typ = kPartDriver;
        p->amp[0].weiche[5].chassisnr = 1;
    }
    std::unique_ptr<TProjekt> p;
};

TEST_F(DriverCopyTest, CopyWithoutOptionsMovesDriverAndOutletOnly) {
    auto before = std::make_unique<TProjekt>(*p);
    ASSERT_TRUE(copyDriver(*p, 0, 1, {false, false}));
    EXPECT_TRUE(sameBytes(p->chassis[1], before->chassis[0]));
    EXPECT_EQ(p->schallwand[1].swd, 0.17);
    // Nothing else of the target's baffle or enclosure changes.
    TSchallwand expected = before->schallwand[1];
    expected.swd = 0.17;
    EXPECT_TRUE(sameBytes(p->schallwand[1], expected));
    EXPECT_TRUE(sameBytes(p->einbau[1], before->einbau[1]));
    EXPECT_EQ(p->amp[0].weiche[5].chassisnr, 1);
    EXPECT_TRUE(sameBytes(p->chassis[0], before->chassis[0]));
}

TEST_F(DriverCopyTest, CopyWithOptionsMovesEnclosureAndBaffle) {
    ASSERT_TRUE(copyDriver(*p, 0, 1, {true, true}));
    EXPECT_TRUE(sameBytes(p->einbau[1], p->einbau[0]));
    EXPECT_TRUE(sameBytes(p->schallwand[1], p->schallwand[0]));
}

TEST_F(DriverCopyTest, SwapExchangesOnlyWhatIsChosen) {
    auto before = std::make_unique<TProjekt>(*p);
    ASSERT_TRUE(swapDrivers(*p, 0, 1, {true, false}));
    EXPECT_TRUE(sameBytes(p->chassis[0], before->chassis[1]));
    EXPECT_TRUE(sameBytes(p->chassis[1], before->chassis[0]));
    EXPECT_TRUE(sameBytes(p->einbau[0], before->einbau[1]));
    EXPECT_TRUE(sameBytes(p->schallwand[0], before->schallwand[0]));
    EXPECT_EQ(p->amp[0].weiche[5].chassisnr, 1);
}

TEST_F(DriverCopyTest, RejectsInvalidIndexes) {
    auto before = std::make_unique<TProjekt>(*p);
    EXPECT_FALSE(copyDriver(*p, 0, 32, {true, true}));
    EXPECT_FALSE(copyDriver(*p, -1, 0, {true, true}));
    EXPECT_FALSE(swapDrivers(*p, 2, 2, {true, true}));
    EXPECT_TRUE(sameBytes(*p, *before));
}

TEST(Colors, SystemColoursBecomeBlack) {
    EXPECT_EQ(sanitizeColor(0x00FF8080u), 0x00FF8080u);
    EXPECT_EQ(sanitizeColor(0x80000005u), 0u);
    EXPECT_EQ(sanitizeColor(0x01000000u), 0u);
    TAnzOption o = defaultAnzOption();
    o.ColorSetRichtungen[9] = 0xFF000000u;
    o.ColorSetChassis[33] = 0x12345678u;
    sanitizeColors(o);
    EXPECT_EQ(o.ColorSetRichtungen[9], 0u);
    EXPECT_EQ(o.ColorSetChassis[33], 0u);
    EXPECT_EQ(o.ColorSetAmps[2], 0xFF00FFu);
}

} // namespace
} // namespace sonora

namespace sonora {
namespace {

// Projects and results live in huge-page blocks: `new` and make_unique must give zeroed,
// 2 MB aligned blocks that copy and free like any other, and the records must keep their layout.
TEST(LargeBlock, ProjectsAndResultsAreZeroedAlignedAndCopyable) {
    static_assert(std::is_trivially_copyable_v<TProjekt> && std::is_trivially_copyable_v<TResult>);
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    std::vector<std::unique_ptr<TProjekt>> projects;
    for (int k = 0; k < 3; ++k) {
        projects.push_back(std::make_unique<TProjekt>());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(projects.back().get()) % kHugePage, 0u);
        EXPECT_TRUE(sameBytes(*projects.back(), *projects.front()));
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(projects[1].get());
    EXPECT_TRUE(
        std::all_of(bytes, bytes + sizeof(TProjekt), [](unsigned char b) { return b == 0; }));
    projects[0]->fMax = 20000;
    projects[0]->comment1.assign("Zweiwege");
    auto copy = std::make_unique<TProjekt>(*projects[0]);
    EXPECT_TRUE(sameBytes(*copy, *projects[0]));
    EXPECT_FALSE(sameBytes(*copy, *projects[1]));

    auto result = std::make_unique<TResult>();
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(result.get()) % kHugePage, 0u);
    EXPECT_FALSE(result->valid);
    EXPECT_EQ(result->fgang_bmass[kResultFreqs - 1], 0.0);
    result->fgang_box_h[kResultFreqs - 1][kPlaneAngles - 1] = Complex{1, 2};
    const auto copied = std::make_unique<TResult>(*result);
    EXPECT_EQ(copied->fgang_box_h[kResultFreqs - 1][kPlaneAngles - 1].im, 2.0);
    EXPECT_EQ(std::memcmp(copied.get(), result.get(), sizeof(TResult)), 0);
}

TEST(LargeBlock, ATinyRequestStillGetsAWholeBlock) {
    void* block = allocateLarge(0);
    ASSERT_NE(block, nullptr);
    static_cast<unsigned char*>(block)[(std::size_t{2} << 20) - 1] = 1;
    releaseLarge(block);
}

} // namespace
} // namespace sonora
