// The driver editor's measurement actions: level question, level change, ".lim" impedance.
#include "measure/driver_import.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

#include <gtest/gtest.h>

#include "measure_test_support.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using measure_test::RecordingPrompt;

class DriverImport : public measure_test::TempFolderTest {
protected:
    std::unique_ptr<TChassis> c = std::make_unique<TChassis>();
    RecordingPrompt prompt;
};

TEST_F(DriverImport, LevelQuestionShiftsTheImportedLevels) {
    const std::string file = writeText("a.txt", "100 80 -10\n200 85 -20\n400 83 -30\n");
    prompt.values = {"85"};
    ASSERT_TRUE(importFrequencyResponseForDriver(file, *c, prompt));
    ASSERT_EQ(prompt.valueCaptions.size(), 1u);
    EXPECT_EQ(prompt.valueCaptions[0], "Pegelanpassung");
    EXPECT_EQ(prompt.valueTexts[0], "Welcher Wert in der Datei entspricht 90dB/2,83V/m? %d");
    EXPECT_EQ(c->fganga[0], 85.0);
    EXPECT_EQ(c->fganga[1], 90.0);
    EXPECT_EQ(c->fganga[2], 88.0);
    EXPECT_EQ(c->fganga[3], 0.0); // the terminator's value is not shifted
    EXPECT_DOUBLE_EQ(c->fgangap[1], -20.0 / 180.0 * 3.1415926);

    // A cancelled question, or an answer without a number, counts as 90.
    for (const char* answer : {"\x18", "abc"}) {
        c = std::make_unique<TChassis>();
        prompt.values.clear();
        if (std::string(answer) != "\x18") {
            prompt.values = {answer};
        }
        ASSERT_TRUE(importFrequencyResponseForDriver(file, *c, prompt));
        EXPECT_EQ(c->fganga[1], 85.0) << answer;
    }
}

// The level question follows every successful import; a phase-only import shifts nothing.
TEST_F(DriverImport, PhaseOnlyImportIsAskedTheLevelButKeepsTheStoredLevels) {
    const std::string file = writeText("p.txt", "100 -150\n200 -160\n");
    c->fgangaf[0] = 50.0;
    c->fganga[0] = 77.0;
    prompt.values = {"80"};
    ASSERT_TRUE(importFrequencyResponseForDriver(file, *c, prompt));
    ASSERT_EQ(prompt.valueCaptions.size(), 1u);
    EXPECT_EQ(prompt.valueCaptions[0], "Pegelanpassung");
    EXPECT_EQ(c->fganga[0], 77.0);
    EXPECT_EQ(c->fgangapf[1], 200.0);
}

TEST_F(DriverImport, LevelChangeSkipsTinyFrequenciesAndStopsAtTheEnd) {
    c->fgangaf[0] = 0.0005;
    c->fgangaf[1] = 0.001;
    c->fgangaf[2] = 100.0;
    c->fganga[0] = c->fganga[1] = c->fganga[2] = 80.0;
    c->fganga[3] = 1.0; // after the terminator
    c->fganga[4] = 1.0;
    c->fgangaf[4] = 500.0;
    prompt.values = {"-3,5"};
    ASSERT_TRUE(changeMeasuredLevel(*c, prompt));
    EXPECT_EQ(prompt.valueCaptions[0], utf8ToLatin1("Pegeländerung"));
    EXPECT_EQ(prompt.valueTexts[0], utf8ToLatin1("Meßdaten im Pegel ändern [dB] %d"));
    EXPECT_EQ(c->fganga[0], 80.0);
    EXPECT_EQ(c->fganga[1], 76.5);
    EXPECT_EQ(c->fganga[2], 76.5);
    EXPECT_EQ(c->fganga[3], 1.0);
    EXPECT_EQ(c->fganga[4], 1.0);
    EXPECT_FALSE(changeMeasuredLevel(*c, prompt)); // cancelled
    EXPECT_EQ(c->fganga[2], 76.5);
}

TEST(LimImpedance, SevenHundredRecordsFillSixHundredEntries) {
    TLim lim;
    for (int i = 0; i < 700; ++i) {
        lim.LimData.push_back({10.0f + i, 7.0f, 90.0f});
    }
    lim.nLimData = 700;
    auto c = std::make_unique<TChassis>();
    c->fgangif[600] = 123.0;
    EXPECT_EQ(writeLimImpedance(lim, *c), 600);
    EXPECT_EQ(c->fgangif[599], 609.0);
    EXPECT_EQ(c->fgangipf[599], 609.0);
    EXPECT_EQ(c->fgangi[599], 7.0);
    EXPECT_DOUBLE_EQ(c->fgangip[599], std::numbers::pi / 2);
    EXPECT_EQ(c->fgangif[600], 0.0);
    EXPECT_EQ(c->fgangipf[600], 0.0);
}

TEST(LimImpedance, StopsAtTheFirstUnusableRecord) {
    TLim lim;
    lim.LimData = {{10, 6, 0}, {20, 7, -45}, {0, 8, 0}, {40, 9, 0}};
    lim.nLimData = 4;
    auto c = std::make_unique<TChassis>();
    for (int i = 0; i < 5; ++i) {
        c->fgangif[i] = c->fgangipf[i] = 1000.0;
    }
    EXPECT_EQ(writeLimImpedance(lim, *c), 2);
    EXPECT_DOUBLE_EQ(c->fgangip[1], -std::numbers::pi / 4);
    EXPECT_EQ(c->fgangif[2], 0.0);
    EXPECT_EQ(c->fgangipf[2], 0.0);
    lim.LimData[1].z = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(writeLimImpedance(lim, *c), 1);
    EXPECT_EQ(c->fgangif[1], 0.0);
}

TEST_F(DriverImport, LimFileIntoTheDriver) {
    std::vector<std::uint8_t> bytes = {'L', 'I', 'M', 0};
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    auto f32 = [&](float v) {
        std::uint32_t u;
        std::memcpy(&u, &v, 4);
        u32(u);
    };
    u32(1);
    u32(0);
    u32(2); // numdata
    u32(0);
    u32(0);
    f32(0);
    f32(100);
    f32(5.5f);
    f32(30);
    f32(200);
    f32(6.5f);
    f32(-30);
    std::string message;
    ASSERT_TRUE(importLimForDriver(writeBytes("z.lim", bytes), *c, message)) << message;
    EXPECT_EQ(c->fgangif[1], 200.0);
    EXPECT_EQ(c->fgangi[0], 5.5);
    EXPECT_DOUBLE_EQ(c->fgangip[1], -std::numbers::pi / 6);
    EXPECT_EQ(c->fgangif[2], 0.0);

    const auto before = std::make_unique<TChassis>(*c);
    bytes[3] = 1;
    EXPECT_FALSE(importLimForDriver(writeBytes("bad.lim", bytes), *c, message));
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(std::memcmp(c.get(), before.get(), sizeof(TChassis)), 0);
}

} // namespace
} // namespace sonora
