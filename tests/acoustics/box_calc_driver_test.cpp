// Loading the calculators' driver fields from a driver record and from a driver file.
#include "acoustics/box_calc_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>

#include "acoustics/box_calc_closed.h"
#include "acoustics/box_calc_ebp.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/driver_file.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<TChassis> woofer() {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    c->name.assign(utf8ToLatin1("Bass 20 Übergröße"));
    c->fs = 28.123456789;
    c->qes = 0.41;
    c->qms = 3.2;
    c->vas = 0.0801234567; // m³
    c->Rdc = 5.6;
    return c;
}

TEST(BoxCalcDriver, FillsTheFieldsWithSixCharacters) {
    const auto c = woofer();
    ClosedVentedInput in;
    const std::string message = loadDriverParameters(*c, in);
    EXPECT_EQ(latin1ToUtf8(message), "\nDaten von Bass 20 Übergröße wurden geladen.");
    EXPECT_TRUE(in.qesQmsKnown);
    EXPECT_DOUBLE_EQ(in.fs, 28.123);
    EXPECT_DOUBLE_EQ(in.qes, 0.41);
    EXPECT_DOUBLE_EQ(in.qms, 3.2);
    EXPECT_DOUBLE_EQ(in.vas, 80.123); // litres
    EXPECT_DOUBLE_EQ(in.rdc, 5.6);
    // The page now computes Qts from Qes and Qms: 0.41·3.2/3.61 = 0.363435.
    EXPECT_EQ(calcClosedVented(in).qtsText, "0,3634");

    EbpInput ebp;
    EXPECT_EQ(loadDriverParameters(*c, ebp), message);
    EXPECT_TRUE(ebp.qesQmsKnown);
    EXPECT_DOUBLE_EQ(ebp.fs, 28.123);
    EXPECT_DOUBLE_EQ(ebp.qms, 3.2);
}

TEST(BoxCalcDriver, HostileRecordValuesBecomeZero) {
    auto c = woofer();
    c->fs = std::numeric_limits<double>::quiet_NaN();
    c->vas = std::numeric_limits<double>::infinity();
    ClosedVentedInput in;
    loadDriverParameters(*c, in);
    EXPECT_EQ(in.fs, 0.0);
    EXPECT_EQ(in.vas, 0.0);
}

class BoxCalcDriverFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("sonora_box_calc_driver_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    fs::path dir;
};

TEST_F(BoxCalcDriverFile, LoadsASavedDriver) {
    const auto c = woofer();
    ScriptedPrompt prompt;
    const std::string path = (dir / "bass.LSC").string();
    ASSERT_TRUE(saveDriver(*c, path, "", prompt));
    ClosedVentedInput in;
    std::string message;
    ASSERT_TRUE(loadDriverFileParameters(path, in, prompt, message));
    EXPECT_EQ(latin1ToUtf8(message), "\nDaten von Bass 20 Übergröße wurden geladen.");
    EXPECT_DOUBLE_EQ(in.vas, 80.123);
    EXPECT_DOUBLE_EQ(in.fs, 28.123);
    EbpInput ebp;
    ASSERT_TRUE(loadDriverFileParameters(path, ebp, prompt, message));
    EXPECT_DOUBLE_EQ(ebp.qes, 0.41);
}

TEST_F(BoxCalcDriverFile, MissingFileLeavesTheInputs) {
    ScriptedPrompt prompt;
    ClosedVentedInput in;
    std::string message = "unchanged";
    EXPECT_FALSE(loadDriverFileParameters((dir / "none.LSC").string(), in, prompt, message));
    EXPECT_EQ(message, "unchanged");
    EXPECT_FALSE(in.qesQmsKnown);
    EXPECT_DOUBLE_EQ(in.vas, 80);
    EXPECT_FALSE(prompt.messages.empty());
}

} // namespace
} // namespace sonora
