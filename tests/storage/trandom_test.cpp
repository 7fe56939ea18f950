#include "storage/trandom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace sonora {
namespace {

std::vector<std::uint32_t> firstCards(TRandom& random, int count) {
    std::vector<std::uint32_t> cards;
    for (int i = 0; i < count; ++i) {
        cards.push_back(random.GetRandomCard());
    }
    return cards;
}

TEST(TRandom, ResetFillsTheShuffleTableByHand) {
    TRandom random;
    random.Reset(1, 1);
    // One step from key1 = key2 = 1: 68501 + 1 and 68521 + 1, so entry 0 is 68502 + 68522.
    EXPECT_EQ(random.Shufflearray[0], 137024u);
    // Second step: 68502 * 68501 + 1 = 4692455503 = 397488207 mod 2^32,
    // 68522 * 68521 + 1 = 4695195963 = 400228667 mod 2^32.
    EXPECT_EQ(random.Shufflearray[1], 397488207u + 400228667u);
    // key3 starts at (1 mod 65534) * (1 mod 32547) = 1 and has stepped 256 times.
    std::uint32_t key3 = 1;
    for (int i = 0; i < 256; ++i) {
        key3 = key3 * 71005u + 1u;
    }
    EXPECT_EQ(random.key3, key3);
}

TEST(TRandom, FirstValuesAfterReset) {
    // Computed once with a separate arbitrary-precision script that follows the description of
    // Step, Reset and GetRandomCard (step 257 picks entry key3 and 255 = 94 for seeds 1, 1).
    TRandom random;
    random.Reset(1, 1);
    EXPECT_EQ(firstCards(random, 3),
              (std::vector<std::uint32_t>{3626883456u, 4240518978u, 542772464u}));
    random.KeyCreate(12345, 67890);
    EXPECT_EQ(firstCards(random, 3),
              (std::vector<std::uint32_t>{4062111299u, 834797201u, 1575723467u}));
}

TEST(TRandom, ResetMakesTheStreamRepeatable) {
    TRandom a;
    TRandom b;
    a.Reset(20040917, 1718281);
    b.AutoCreate(); // whatever the clock gave, the reset below must erase it
    b.Reset(20040917, 1718281);
    EXPECT_EQ(firstCards(a, 1000), firstCards(b, 1000));
    a.Reset(20040917, 1718282);
    b.Reset(20040917, 1718281);
    EXPECT_NE(firstCards(a, 16), firstCards(b, 16));
}

TEST(TRandom, DerivedValuesComeFromTheSameCard) {
    TRandom a;
    TRandom b;
    a.Reset(7, 9);
    b.Reset(7, 9);
    for (int i = 0; i < 200; ++i) {
        const std::uint32_t card = a.GetRandomCard();
        switch (i % 4) {
        case 0:
            EXPECT_EQ(b.GetRandomInt(255), card % 256u);
            break;
        case 1:
            EXPECT_EQ(b.GetRandomInt(9), card % 10u);
            break;
        case 2:
            EXPECT_EQ(b.GetRandomInt(0xFFFFFFFFu), card); // m + 1 wraps to 0: no modulus
            break;
        default:
            EXPECT_DOUBLE_EQ(b.GetRandom(), card / 4294967295.0);
        }
    }
}

std::uint32_t inverseOf(std::uint32_t odd) {
    std::uint32_t x = 1;
    for (int i = 0; i < 6; ++i) {
        x *= 2u - odd * x; // Newton's iteration doubles the correct low bits each time
    }
    return x;
}

TEST(TRandom, Key2SkipsAllOnes) {
    // 68521 * k + 1 = 0xFFFFFFFF mod 2^32 for k = 0xFFFFFFFE * 68521^-1.
    const std::uint32_t inverse = inverseOf(TRandom::kMultiplier2);
    ASSERT_EQ(inverse * TRandom::kMultiplier2, 1u);
    TRandom random;
    random.key2 = 0xFFFFFFFEu * inverse;
    random.Step();
    EXPECT_EQ(random.key2, 0u);
    random.Step();
    EXPECT_EQ(random.key2, 1u);
}

TEST(TRandom, AutoCreateSeedsWithinRange) {
    TRandom random;
    random.AutoCreate();
    // Step key1 and key2 back over the 256 steps of Reset to recover the seeds the clock gave
    // (key2's skip of 0xFFFFFFFF is ignored: it occurs with a chance of about 256 in 2^32).
    std::uint32_t k1 = random.key1;
    std::uint32_t k2 = random.key2;
    for (int i = 0; i < 256; ++i) {
        k1 = (k1 - 1u) * inverseOf(TRandom::kMultiplier1);
        k2 = (k2 - 1u) * inverseOf(TRandom::kMultiplier2);
    }
    EXPECT_GE(k1, 1u);
    EXPECT_LE(k1, TRandom::kAutoSeedLimit);
    EXPECT_GE(k2, 1u);
    EXPECT_LE(k2, TRandom::kAutoSeedLimit);
    TRandom again;
    again.Reset(k1, k2);
    EXPECT_EQ(again.key3, random.key3);
    EXPECT_EQ(again.Shufflearray, random.Shufflearray);
}

} // namespace
} // namespace sonora
