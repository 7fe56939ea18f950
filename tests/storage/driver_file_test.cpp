// Driver files: save and load round trips of every key, curves and phases as stored, the maker
// mark, the publication date, the save dialog's name rule and the editor's load rule.
#include "engine/driver_model.h"
#include "engine/voice_coil_fit.h"
#include "storage/driver_file.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/chassis_keys.h"
#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"
#include "storage/numbers.h"
#include "tests/support/temp_folder.h"

namespace sonora {
namespace {

namespace fs = std::filesystem;

class DriverFile : public test::TempFolderTest {};

std::unique_ptr<TChassis> blankChassis() {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    return c;
}

// A driver with every stored field set to a value the file keeps exactly: numbers with few digits,
// phases that are whole degrees computed as the reader computes them, texts with umlauts. Derived
// fields stay 0, since the file does not hold them.
std::unique_ptr<TChassis> fullChassis() {
    auto c = blankChassis();
    c->name.assign(utf8ToLatin1("Bändchen-HT 8 Ohm"));
    c->comment.assign(utf8ToLatin1("Maße laut Datenblatt; größere Schallwand, Übergang 3 kHz"));
    c->special = 0;
    c->fgang_which = 3;
    c->HintenGeschlossen = true;
    c->fs = 38.5;
    c->qes = 0.42;
    c->qms = 3.75;
    c->vas = 0.0325;
    c->Rdc = 5.6;
    c->Le = 0.00045;
    c->Le2 = 0.0011;
    c->Re2 = 7.25;
    c->Le3 = 0.00032;
    c->Re3 = 0.85;
    c->Sd = 0.0214;
    c->xlin = 0.0045;
    c->Pmax = 80.0;
    c->ZNenn = 8.0;
    c->seo = 0.012;
    c->useFGangA = true;
    c->useFGangAP = false;
    c->useFGangA2fs = true;
    c->useFGangI = true;
    c->useFGangIP = true;
    const double filePi = 3.1415926 / 180.0; // rad per degree as the reader converts
    for (int i = 0; i < 40; ++i) {
        c->fgangaf[i] = 20.0 + 25.5 * i;
        c->fganga[i] = 80.0 + 0.25 * i;
        c->fgangapf[i] = 30.0 + 10.0 * i;
        c->fgangap[i] = (i - 20) * filePi;
        c->fgangif[i] = 10.0 + 5.0 * i;
        c->fgangi[i] = 6.0 + 0.5 * i;
    }
    for (int i = 0; i < 7; ++i) {
        c->fgangipf[i] = 100.0 * (i + 1);
        c->fgangip[i] = (15 * i - 45) * filePi;
    }
    c->Richt.RichtSimu = 1;
    c->Richt.nRicht = 5;
    const double exactPi = std::numbers::pi / 180.0;
    for (int i = 0; i < 12; ++i) {
        c->Richt.fgangf[i] = 200.0 * (i + 1);
        for (int k = 0; k < kMaxRicht; ++k) {
            c->Richt.fgangau[k][i] = 70.0 + k + 0.5 * i;
            c->Richt.fgangpu[k][i] = (i * 10 - k) * exactPi;
        }
    }
    c->_PNorm = 50.0;
    c->_xMax = 0.009;
    c->_Hvc = 0.012;
    c->_Dvc = 0.025;
    c->_Hpp = 0.006;
    c->_Bl = 5.5;
    c->_SPL = 88.5;
    c->_le = 0.0005;
    c->_Mmd = 0.0123;
    c->_fu.assign("35");
    c->_fo.assign("4000");
    c->_Da.assign(utf8ToLatin1("Ø 130"));
    c->_magind = 1.1;
    c->_magflu = 450.0;
    c->_bnr.assign("ABC-1234567890X");
    c->_Etiefe = 0.055;
    c->_Ausschn = 0.112;
    c->_Gewicht = 0.95;
    c->membranform = 1;
    c->typ = (1u << 20) | (1u << 2) | 1u;
    c->Filters = 77;
    c->orgfilename.assign(utf8ToLatin1("C:\\Chassis\\Bändchen.LSC"));
    return c;
}

TEST_F(DriverFile, SavedDriverReadsBackInEveryField) {
    const auto original = fullChassis();
    ScriptedPrompt prompt;
    ASSERT_TRUE(saveDriver(*original, path("ht.LSC"), "", prompt));
    EXPECT_TRUE(prompt.messages.empty());

    auto back = blankChassis();
    ASSERT_TRUE(loadDriver(*back, path("ht.LSC"), /*scrambled=*/true, prompt));
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_FALSE(back->OriginalTarvelo);
    EXPECT_EQ(back->pubdate.str(), dateText(today()));

    // Apart from the date, the whole record is the same byte for byte: every key, both phase
    // kinds, the 19 directional rows and the texts.
    auto expected = std::make_unique<TChassis>(*original);
    expected->pubdate.assign(dateText(today()));
    EXPECT_EQ(back->name, expected->name);
    EXPECT_EQ(back->comment, expected->comment);
    EXPECT_EQ(back->fgangap[3], expected->fgangap[3]);
    EXPECT_EQ(back->Richt.fgangpu[18][11], expected->Richt.fgangpu[18][11]);
    EXPECT_EQ(std::memcmp(back.get(), expected.get(), sizeof(TChassis)), 0);

    // The maker text "TARVELO" writes the mark; it reads back as OriginalTarvelo.
    ASSERT_TRUE(saveDriver(*original, path("maker.LSC"), kMakerTarvelo, prompt));
    ASSERT_TRUE(loadDriver(*back, path("maker.LSC"), true, prompt));
    EXPECT_TRUE(back->OriginalTarvelo);
    // The record's own flag and date are not what is written.
    auto flagged = fullChassis();
    flagged->OriginalTarvelo = true;
    flagged->pubdate.assign("24.12.1999");
    ASSERT_TRUE(saveDriver(*flagged, path("user.LSC"), "tarvelo", prompt));
    ASSERT_TRUE(loadDriver(*back, path("user.LSC"), true, prompt));
    EXPECT_FALSE(back->OriginalTarvelo);
    EXPECT_EQ(back->pubdate.str(), dateText(today()));
}

TEST_F(DriverFile, FileIsCompressedWithHeaderVersionAndKeysInOrder) {
    const auto c = fullChassis();
    ScriptedPrompt prompt;
    ASSERT_TRUE(saveDriver(*c, path("a.LSC"), "", prompt));
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(readFileBytes(path("a.LSC"), bytes), ReadStatus::Ok);
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "MyIni2CK");
    // The plain flag cannot read it.
    auto back = blankChassis();
    EXPECT_FALSE(loadDriver(*back, path("a.LSC"), /*scrambled=*/false, prompt));

    // Re-written in the plain form, the text shows the sections and the order of the keys.
    TMyIniFile ini(path("a.LSC"), true, false, true, true);
    EXPECT_EQ(ini.ReadInteger("Header", "Version", 0), 2000);
    TMyIniFile plain(path("plain.txt"), false, true, false, false);
    plain.WriteInteger("Header", "Version", 2000);
    writeChassisKeys(plain, "Chassis", *c, "", "01.02.2003");
    const std::vector<std::uint8_t> image = plain.fileImage();
    const std::string text(image.begin(), image.end());
    const char* order[] = {"\r\nName=",       "\r\nKommentar=",
                           "\r\ntyp=",        "\r\nhintengeschl=",
                           "\r\nSpecial=",    "\r\nfgang_which=",
                           "\r\nfs=",         "\r\nLe3=",
                           "\r\nAmem=",       "\r\nseo=",
                           "\r\nuseFgangIP=", "\r\nMembranform=",
                           "\r\nRichtSimu=",  "\r\nFgangAF=",
                           "\r\nFgangIP=",    "\r\nrNricht=",
                           "\r\nRFgangf=",    "\r\nRFgang0au=",
                           "\r\nRFgang18au=", "\r\nRFgang0pu=",
                           "\r\nRFgang18pu=", "\r\n_ZNenn=",
                           "\r\n_bnr=",       "\r\n_Da=",
                           "\r\nFilters=",    "\r\npubdate=\t01.02.2003\r\n",
                           "\r\nOrgFilename="};
    std::size_t at = text.find("#Chassis");
    ASSERT_NE(at, std::string::npos);
    for (const char* key : order) {
        const std::size_t next = text.find(key, at);
        ASSERT_NE(next, std::string::npos) << key;
        EXPECT_GT(next, at) << key;
        at = next;
    }
    EXPECT_EQ(text.find("_hst"), std::string::npos);
}

TEST_F(DriverFile, PhasesAreStoredInDegreesWithTheirTwoPiConstants) {
    auto c = blankChassis();
    c->fgangapf[0] = 100.0;
    c->fgangap[0] = std::numbers::pi / 2.0;
    c->fgangipf[0] = 100.0;
    c->fgangip[0] = -std::numbers::pi / 4.0;
    c->Richt.fgangf[0] = 100.0;
    c->Richt.fgangpu[7][0] = std::numbers::pi / 2.0;
    ScriptedPrompt prompt;
    ASSERT_TRUE(saveDriver(*c, path("p.LSC"), "", prompt));

    TMyIniFile ini(path("p.LSC"), true, false, true, true);
    double stored[3] = {};
    ASSERT_EQ(ini.ReadFloatArray("Chassis", "FgangAP", stored, 0, 3), 2);
    EXPECT_EQ(stored[0], 90.0); // pi/2 * 180000 / 3.1415926 = 90000.0047 -> 90000
    EXPECT_EQ(stored[1], 0.0);  // the terminator
    ASSERT_EQ(ini.ReadFloatArray("Chassis", "FgangIP", stored, 0, 3), 2);
    EXPECT_EQ(stored[0], -45.0);
    ASSERT_EQ(ini.ReadFloatArray("Chassis", "RFgang7pu", stored, 0, 3), 2);
    EXPECT_EQ(stored[0], 90.0);

    auto back = blankChassis();
    ASSERT_TRUE(loadDriver(*back, path("p.LSC"), true, prompt));
    EXPECT_DOUBLE_EQ(back->fgangap[0], 90.0 * 3.1415926 / 180.0);
    EXPECT_DOUBLE_EQ(back->fgangip[0], -45.0 * 3.1415926 / 180.0);
    EXPECT_DOUBLE_EQ(back->Richt.fgangpu[7][0], std::numbers::pi / 2.0);
}

TEST(DriverFilePhase, DegreesRoundToThreeDecimalsWithTiesToEven) {
    // With 180000 in place of pi the milli-degrees are the radians themselves, so x.5 is an exact
    // tie: it goes to the even neighbour.
    constexpr double kIdentity = 180000.0;
    EXPECT_EQ(phaseToFileDegrees(0.5, kIdentity), 0.0);
    EXPECT_EQ(phaseToFileDegrees(1.5, kIdentity), 0.002);
    EXPECT_EQ(phaseToFileDegrees(2.5, kIdentity), 0.002);
    EXPECT_EQ(phaseToFileDegrees(-2.5, kIdentity), -0.002);
    EXPECT_EQ(phaseToFileDegrees(2.5000001, kIdentity), 0.003);
    EXPECT_EQ(phaseToFileDegrees(1.0, std::numbers::pi), 57.296);
    EXPECT_EQ(phaseToFileDegrees(1.0, kPhaseFilePi), 57.296);
    EXPECT_EQ(phaseToFileDegrees(std::numbers::pi, kPhaseFilePi), 180.0);
}

TEST_F(DriverFile, CurveOfSixHundredPointsKeepsItsTerminator) {
    auto c = blankChassis();
    for (int i = 0; i < 600; ++i) {
        c->fgangaf[i] = 10.0 + i;
        c->fganga[i] = 90.0;
        c->Richt.fgangf[i] = 20.0 + i;
        c->Richt.fgangau[18][i] = 60.0;
    }
    c->fganga[600] = 55.0; // beyond the curve: written as the terminating entry, read as 0
    // A frequency array without terminator at all: only 600 points are stored.
    for (int i = 0; i < kCurvePoints; ++i) {
        c->fgangif[i] = 5.0 + i;
        c->fgangi[i] = 7.0;
    }
    ScriptedPrompt prompt;
    ASSERT_TRUE(saveDriver(*c, path("c.LSC"), "", prompt));

    TMyIniFile ini(path("c.LSC"), true, false, true, true);
    std::vector<double> raw(700, -1.0);
    EXPECT_EQ(ini.ReadFloatArray("Chassis", "FgangAF", raw.data(), 0, 700), 601);
    EXPECT_EQ(raw[600], 0.0);
    EXPECT_EQ(ini.ReadFloatArray("Chassis", "FgangA", raw.data(), 0, 700), 601);
    EXPECT_EQ(ini.ReadFloatArray("Chassis", "FgangIF", raw.data(), 0, 700), 601);
    EXPECT_EQ(ini.ReadFloatArray("Chassis", "RFgang18au", raw.data(), 0, 700), 601);
    EXPECT_EQ(ini.ReadFloatArray("Chassis", "FgangAPF", raw.data(), 0, 700), 1); // empty curve

    auto back = blankChassis();
    for (double& v : back->fganga) {
        v = -3.0;
    }
    ASSERT_TRUE(loadDriver(*back, path("c.LSC"), true, prompt));
    EXPECT_EQ(back->fgangaf[599], 609.0);
    EXPECT_EQ(back->fgangaf[600], 0.0);
    EXPECT_EQ(back->fganga[599], 90.0);
    EXPECT_EQ(back->fganga[600], 0.0);
    EXPECT_EQ(back->fgangif[599], 604.0);
    EXPECT_EQ(back->fgangif[600], 0.0);
    EXPECT_EQ(back->fgangi[600], 0.0);
    EXPECT_EQ(back->Richt.fgangf[600], 0.0);
    EXPECT_EQ(back->Richt.fgangau[18][599], 60.0);
    EXPECT_EQ(back->Richt.fgangau[18][600], 0.0);
}

TEST_F(DriverFile, LineBreaksInTextsCannotAddKeys) {
    auto c = blankChassis();
    c->fs = 40.0;
    c->name.assign("A\r\nfs=\t99");
    ScriptedPrompt prompt;
    ASSERT_TRUE(saveDriver(*c, path("t.LSC"), "", prompt));
    auto back = blankChassis();
    ASSERT_TRUE(loadDriver(*back, path("t.LSC"), true, prompt));
    EXPECT_EQ(back->fs, 40.0);
    EXPECT_EQ(back->name.str(), "A  fs=\t99");
}

TEST_F(DriverFile, SaveIntoAMissingFolderReportsTheError) {
    const auto c = fullChassis();
    ScriptedPrompt prompt;
    EXPECT_FALSE(saveDriver(*c, path("nowhere/x.LSC"), "", prompt));
    ASSERT_FALSE(prompt.messages.empty());
    EXPECT_NE(prompt.messages.back().find("x.LSC"), std::string::npos);
}

TEST(DriverFileName, SaveDialogEndsEveryNameInUpperCaseLsc) {
    EXPECT_EQ(driverFileName("box"), "box.LSC");
    EXPECT_EQ(driverFileName("box.lsc"), "box.LSC");
    EXPECT_EQ(driverFileName("box.LsC"), "box.LSC");
    EXPECT_EQ(driverFileName("box.LSC"), "box.LSC");
    EXPECT_EQ(driverFileName(".lsc"), ".LSC");
    EXPECT_EQ(driverFileName("LSC"), "LSC.LSC");
    EXPECT_EQ(driverFileName("x.lsc.txt"), "x.lsc.txt.LSC");
    EXPECT_EQ(driverFileName(""), ".LSC");
}

TEST_F(DriverFile, EditorLoadTakesTheOutletDiameterForKindsZeroToTwo) {
    auto c = fullChassis();
    ScriptedPrompt prompt;
    ASSERT_TRUE(saveDriver(*c, path("e.LSC"), "", prompt));
    const double d = std::sqrt(4.0 * 0.0214 / std::numbers::pi);
    for (std::int32_t typ = 0; typ <= 4; ++typ) {
        auto edited = blankChassis();
        TEinbau einbau = defaultEinbau();
        einbau.typ = typ;
        einbau.Vb = 0.02;
        einbau.Vbf = 0.01;
        einbau.fb = 40.0;
        einbau.fbf = 60.0;
        TSchallwand sw{};
        sw.swd = 0.5;
        ScriptedPrompt p;
        ASSERT_TRUE(
            loadDriverIntoEditor(*edited, einbau.typ, sw, path("e.LSC"), p, fitVoiceCoilOfOldFile));
        deriveAsMounted(*edited, einbau); // what the editor does next
        ASSERT_EQ(p.messages.size(), 1u);
        if (typ <= 2) {
            EXPECT_NEAR(sw.swd, d, 1e-15);
            EXPECT_EQ(latin1ToUtf8(p.messages[0]),
                      "Chassis wurde geladen.\rAkustischer Durchmesser auf Schallwand wurde aus "
                      "Chassisdatei übernommen.");
        } else {
            EXPECT_EQ(sw.swd, 0.5);
            EXPECT_EQ(p.messages[0], "Chassis wurde geladen.");
        }
        // The derived values were recomputed.
        EXPECT_DOUBLE_EQ(edited->Qts, 0.42 * 3.75 / (0.42 + 3.75));
        EXPECT_GT(edited->Cms, 0.0);
    }
    // A failed load shows only the load's message and leaves everything as it was.
    auto edited = blankChassis();
    TEinbau einbau = defaultEinbau();
    TSchallwand sw{};
    sw.swd = 0.5;
    ScriptedPrompt p;
    EXPECT_FALSE(loadDriverIntoEditor(*edited, einbau.typ, sw, path("missing.LSC"), p,
                                      fitVoiceCoilOfOldFile));
    EXPECT_EQ(sw.swd, 0.5);
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0], "Datei hat falsches Datenformat.");
}

} // namespace
} // namespace sonora
