// Copying and clearing a result record through its driver span: the outcome is the same, byte for
// byte, as copying or clearing the whole record.
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "model/result.h"

namespace sonora {
namespace {

bool sameBytes(const TResult& a, const TResult& b) {
    return std::memcmp(&a, &b, sizeof(TResult)) == 0;
}

// Every byte outside the three per-driver direction arrays, and their first `span` driver slots,
// set from `seed`; the slots beyond stay zero, as the span promises.
void fill(TResult& r, int span, unsigned char seed) {
    std::memset(&r, 0, sizeof r);
    auto* bytes = reinterpret_cast<unsigned char*>(&r);
    for (std::size_t k = 0; k < offsetof(TResult, fgang_sw); ++k) {
        bytes[k] = static_cast<unsigned char>(seed + k * 7);
    }
    for (int d = 0; d < span; ++d) {
        for (int s = 0; s < kSides; ++s) {
            r.fgang_sw[d][s][3][4] = Complex{seed + 1.0 * d, -1.0};
            r.fgang_chas[d][s][256][89] = Complex{seed + 2.0 * d, 2.0};
            r.fgang_chassis[d][s][0][0] = Complex{seed + 3.0 * d, 3.0};
        }
    }
    r.impedanz_ch[31][5] = Complex{seed + 0.5, 0.25};
    r.fgang_box_v[256][360] = Complex{seed + 0.75, 1.5};
    r.fgang_bmass[256] = seed;
    r.driverSpan = span;
}

TEST(ResultCopy, CopyAndClearEqualTheWholeRecordOperations) {
    auto from = std::make_unique<TResult>();
    auto to = std::make_unique<TResult>();
    auto whole = std::make_unique<TResult>();
    // A target that held more drivers than the source (its slots 3..5 must become zeros), one that
    // held fewer (the source's slots 1..2 must arrive), and a full record.
    const int spans[][2] = {{3, 6}, {3, 1}, {32, 32}, {0, 32}, {32, 0}};
    for (const auto& [sourceSpan, targetSpan] : spans) {
        fill(*from, sourceSpan, 11);
        fill(*to, targetSpan, 99);
        copyResult(*to, *from);
        EXPECT_TRUE(sameBytes(*to, *from)) << sourceSpan << " over " << targetSpan;
    }
    fill(*whole, 0, 0);
    std::memset(whole.get(), 0, sizeof(TResult));
    for (int span : {0, 3, 32}) {
        fill(*to, span, 42);
        clearResult(*to);
        EXPECT_TRUE(sameBytes(*to, *whole)) << span;
    }
    // A damaged span is clamped to the record, never read beyond it.
    fill(*from, 32, 5);
    from->driverSpan = 1000;
    fill(*to, 2, 6);
    to->driverSpan = -7;
    copyResult(*to, *from);
    EXPECT_TRUE(sameBytes(*to, *from));
}

TEST(ResultCopy, TheSpanCoversTheDriversInUseAndInTheCrossoversAndNeverShrinks) {
    auto r = std::make_unique<TResult>();
    auto p = std::make_unique<TProjekt>();
    for (int d = 0; d < kMaxChassis; ++d) {
        r->chassisAmp[d] = -1;
    }
    p->nChassis = 3;
    coverDriversOf(*p, *r);
    EXPECT_EQ(r->driverSpan, 3);
    r->chassisAmp[7] = 2; // a crossover holds driver 8 beyond the count
    coverDriversOf(*p, *r);
    EXPECT_EQ(r->driverSpan, 8);
    r->chassisAmp[7] = -1;
    p->nChassis = 1;
    coverDriversOf(*p, *r);
    EXPECT_EQ(r->driverSpan, 8); // slots once written stay covered until the record is cleared
    p->nChassis = 99;
    coverDriversOf(*p, *r);
    EXPECT_EQ(r->driverSpan, kMaxChassis);
}

} // namespace
} // namespace sonora
