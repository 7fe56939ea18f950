// The driver keys in the project file's layout: key order, defaults, the project file's version
// numbers for the conversions and the old place of "Membranform".
#include "storage/chassis_keys.h"

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/record_defaults.h"
#include "storage/my_ini_file.h"

namespace sonora {
namespace {

ChassisKeyOptions projectLayout(const std::string& membranformSection = {}) {
    ChassisKeyOptions o;
    o.layout = ChassisKeyLayout::ProjectFile;
    o.membranformSection = membranformSection;
    return o;
}

// An in-memory store that takes writes but is never saved: writing is switched off before the
// store's destructor would save it.
struct MemoryIni {
    TMyIniFile ini{"", false, true, false, false};
    ~MemoryIni() { ini.bAllowchanges = false; }
};

std::unique_ptr<TChassis> readProject(TMyIniFile& ini, int version,
                                      const std::string& membranformSection = {}) {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    readChassisKeys(ini, "Chassis1", version, *c, projectLayout(membranformSection));
    return c;
}

TEST(ChassisKeysProject, RoundTripKeepsTheRecordsOwnDateAndMark) {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    c->name.assign("Tiefton");
    c->fgang_which = 2;
    c->special = 10;
    c->OriginalTarvelo = true;
    c->pubdate.assign("03.04.2019");
    c->Re2 = 3.5;
    c->typ = 1u << 16;
    c->membranform = 2;
    c->fgangapf[0] = 100.0;
    c->fgangap[0] = 10.0 * (3.1415926 / 180.0);
    MemoryIni memory;
    TMyIniFile& ini = memory.ini;
    writeChassisKeys(ini, "Chassis1", *c, kMakerTarvelo, c->pubdate.str(), projectLayout());

    const std::vector<std::uint8_t> image = ini.fileImage();
    const std::string text(image.begin(), image.end());
    EXPECT_LT(text.find("\r\nfgang_which="), text.find("\r\nSpecial="));
    EXPECT_LT(text.find("\r\nhintengeschl="), text.find("\r\nfgang_which="));

    auto back = readProject(ini, 2000);
    EXPECT_EQ(std::memcmp(back.get(), c.get(), sizeof(TChassis)), 0);
}

TEST(ChassisKeysProject, DefaultsAndConversionsUseTheProjectVersions) {
    MemoryIni memory;
    TMyIniFile* ini = &memory.ini;
    auto c = readProject(*ini, 2000);
    EXPECT_EQ(c->Re2, 0.001);
    EXPECT_EQ(c->Le2, 1e-6);
    EXPECT_EQ(c->Re3, 0.001);
    EXPECT_EQ(c->Le3, 1e-6);
    EXPECT_EQ(c->fgang_which, 5);
    EXPECT_EQ(readProject(*ini, 1003)->fgang_which, 4);

    ini->WriteInteger("Chassis1", "fgang_which", 7);
    EXPECT_EQ(readProject(*ini, 1005)->fgang_which, 4);
    EXPECT_EQ(readProject(*ini, 1006)->fgang_which, 7);
    ini->WriteInteger("Chassis1", "fgang_which", 2);
    EXPECT_EQ(readProject(*ini, 1003)->fgang_which, 3);
    EXPECT_EQ(readProject(*ini, 1004)->fgang_which, 2);

    // The category bits are read as stored in every version.
    ini->WriteInteger("Chassis1", "typ", 1 << 16);
    EXPECT_EQ(readProject(*ini, 1000)->typ, 1u << 16);

    // Degrees from 1004, the half-turn shift below 1005.
    const double f[] = {100.0, 0.0};
    const double degrees[] = {90.0, 0.0};
    ini->WriteFloatArray("Chassis1", "FgangAPF", f, 0, 2);
    ini->WriteFloatArray("Chassis1", "FgangAP", degrees, 0, 2);
    ini->WriteFloatArray("Chassis1", "FgangIPF", f, 0, 2);
    ini->WriteFloatArray("Chassis1", "FgangIP", degrees, 0, 2);
    const double k = 3.1415926 / 180.0;
    c = readProject(*ini, 1005);
    EXPECT_DOUBLE_EQ(c->fgangap[0], 90.0 * k);
    EXPECT_DOUBLE_EQ(c->fgangip[0], 90.0 * k);
    c = readProject(*ini, 1004);
    EXPECT_DOUBLE_EQ(c->fgangap[0], 90.0 * k + 3.1415926 - 6.283185306);
    c = readProject(*ini, 1003);
    EXPECT_DOUBLE_EQ(c->fgangap[0], 90.0 + 3.1415926 - 6.283185306);
    EXPECT_EQ(c->fgangip[0], 90.0);
}

TEST(ChassisKeysProject, MembraneShapeCameFromTheBaffleUpTo1200) {
    MemoryIni memory;
    TMyIniFile* ini = &memory.ini;
    ini->WriteInteger("Chassis1", "Membranform", 1);
    ini->WriteInteger("Schallwand1", "Membranform", 2);
    EXPECT_EQ(readProject(*ini, 1201, "Schallwand1")->membranform, 1);
    EXPECT_EQ(readProject(*ini, 1200, "Schallwand1")->membranform, 2);
    EXPECT_EQ(readProject(*ini, 1200, "Schallwand7")->membranform, 0); // missing: the default
    // Without a section the field is left as it was.
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    c->membranform = 9;
    readChassisKeys(*ini, "Chassis1", 1200, *c, projectLayout());
    EXPECT_EQ(c->membranform, 9);
    // The driver file reads it from its own section in every version.
    readChassisKeys(*ini, "Chassis1", 1000, *c);
    EXPECT_EQ(c->membranform, 1);
}

} // namespace
} // namespace sonora
