// Driver files of older versions and hostile driver files: the version dispatch with its
// messages, the conversions of each older version, the voice-coil fit of version 1000, defaults of
// missing keys and files that try to break the reader.
#include "storage/driver_file.h"

#include <complex>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "engine/voice_coil_fit.h"
#include "model/record_defaults.h"
#include "model/user_prompt.h"
#include "storage/latin1.h"
#include "tests/support/temp_folder.h"

namespace sonora {
namespace {

namespace fs = std::filesystem;

class DriverFileVersions : public test::TempFolderTest {
protected:
    // A plain key-value file made by hand: header line, "Header"/"Version", then the given lines of
    // section "Chassis" (each "key=\tvalue"). Written byte for byte, independent of our writer.
    std::string writePlain(int version, const std::string& chassisLines,
                           const std::string& name = "old.LSC") {
        std::string text = "## MyIniFile 1.0 by KT 2004 ##\r\n#Header\r\nVersion=\t" +
                           std::to_string(version) + "\r\n#Chassis\r\n" + chassisLines;
        return writeBytes(text, name);
    }
    std::string writeBytes(const std::string& bytes, const std::string& name) {
        const std::string p = (dir / name).string();
        std::ofstream(p, std::ios::binary) << bytes;
        return p;
    }

    // Loads `p` (plain form) into a fresh record with the program's fit for version 1000; fails
    // the test when the load fails.
    std::unique_ptr<TChassis> load(const std::string& p) {
        auto c = std::make_unique<TChassis>();
        initDefaultChassis(*c);
        ScriptedPrompt prompt;
        EXPECT_TRUE(loadDriver(*c, p, /*scrambled=*/false, prompt, fitVoiceCoilOfOldFile));
        EXPECT_TRUE(prompt.messages.empty());
        return c;
    }
};

std::string line(const std::string& key, const std::string& value) {
    return key + "=\t" + value + "\r\n";
}

TEST_F(DriverFileVersions, DispatchAcceptsTheKnownVersionsAndNamesTheOthers) {
    for (int v : {1000, 1001, 1002, 1103, 1104, 1105, 1106, 1107, 1108, 1200, 2000}) {
        auto c = load(writePlain(v, line("Name", "x") + line("Re", "6") + line("fs", "40")));
        EXPECT_EQ(c->name.str(), "x") << v;
    }
    const std::string retired = "Dieses Dateiformat wird nicht mehr unterstützt.\r\nBitte "
                                "verwenden Sie die aktuelle Chassisdatei.";
    const std::string wrong = "Datei hat falsches Datenformat.";
    struct Case {
        int version;
        const std::string& message;
    };
    const Case cases[] = {{1201, retired}, {1500, retired}, {1999, retired}, {999, wrong},
                          {1003, wrong},   {1102, wrong},   {1109, wrong},   {1199, wrong},
                          {2001, wrong},   {0, wrong},      {-1000, wrong}};
    for (const Case& k : cases) {
        auto c = std::make_unique<TChassis>();
        initDefaultChassis(*c);
        c->fs = 33.0;
        auto before = std::make_unique<TChassis>(*c);
        ScriptedPrompt prompt;
        EXPECT_FALSE(loadDriver(*c, writePlain(k.version, line("fs", "40") + line("Name", "y")),
                                false, prompt));
        ASSERT_EQ(prompt.messages.size(), 1u) << k.version;
        EXPECT_EQ(latin1ToUtf8(prompt.messages[0]), k.message) << k.version;
        EXPECT_EQ(std::memcmp(c.get(), before.get(), sizeof(TChassis)), 0) << k.version;
    }
    // A missing file and a file without "Version" are of the wrong format too.
    for (const std::string& p :
         {(dir / "missing.LSC").string(), writeBytes("## MyIniFile 1.0 by KT 2004 ##\r\n"
                                                     "#Chassis\r\nfs=\t40\r\n",
                                                     "noversion.LSC")}) {
        auto c = std::make_unique<TChassis>();
        ScriptedPrompt prompt;
        EXPECT_FALSE(loadDriver(*c, p, false, prompt));
        ASSERT_FALSE(prompt.messages.empty());
        EXPECT_EQ(prompt.messages.back(), wrong);
    }
}

TEST_F(DriverFileVersions, MeasurementMountingWasRenumberedTwice) {
    auto fgang = [&](int version, const std::string& value) {
        const std::string lines = value.empty() ? "" : line("fgang_which", value);
        return load(writePlain(version, line("Name", "x") + lines))->fgang_which;
    };
    EXPECT_EQ(fgang(1105, "7"), 4);
    EXPECT_EQ(fgang(1104, "6"), 3);
    EXPECT_EQ(fgang(1105, "5"), 5);
    EXPECT_EQ(fgang(1106, "7"), 7);
    EXPECT_EQ(fgang(2000, "8"), 8);
    EXPECT_EQ(fgang(1103, "2"), 3);
    EXPECT_EQ(fgang(1002, "4"), 5);
    EXPECT_EQ(fgang(1103, "1"), 1);
    // Defaults are not renumbered: 4 below 1104, 5 from there on.
    EXPECT_EQ(fgang(1103, ""), 4);
    EXPECT_EQ(fgang(1000, ""), 4);
    EXPECT_EQ(fgang(1104, ""), 5);
    EXPECT_EQ(fgang(2000, ""), 5);
}

TEST_F(DriverFileVersions, CategoryBitSixteenMovesToTwentyBelow1107) {
    // Bits 0, 3, 15, 16, 17 and 31 stored.
    const std::string stored = std::to_string(static_cast<std::int32_t>(0x80038009u));
    EXPECT_EQ(load(writePlain(1106, line("typ", stored)))->typ, 0x00108009u);
    EXPECT_EQ(load(writePlain(1000, line("typ", "65536")))->typ, 1u << 20);
    EXPECT_EQ(load(writePlain(1106, line("typ", "5")))->typ, 5u);
    EXPECT_EQ(load(writePlain(1107, line("typ", stored)))->typ, 0x80038009u);
    EXPECT_EQ(load(writePlain(2000, line("typ", stored)))->typ, 0x80038009u);
}

TEST_F(DriverFileVersions, OldPhasesAreRadiansOrShiftedByPi) {
    const std::string curve = line("FgangAPF", "100;\t200;\t0") + line("FgangAP", "90;\t-90;\t0") +
                              line("FgangIPF", "100;\t0") + line("FgangIP", "45;\t0");
    const double k = 3.1415926 / 180.0;
    // From 1105: degrees, no shift.
    auto c = load(writePlain(1105, curve));
    EXPECT_DOUBLE_EQ(c->fgangap[0], 90.0 * k);
    EXPECT_DOUBLE_EQ(c->fgangap[1], -90.0 * k);
    EXPECT_DOUBLE_EQ(c->fgangip[0], 45.0 * k);
    // 1104: degrees, then shifted by pi and wrapped above 3.141592653.
    c = load(writePlain(1104, curve));
    EXPECT_DOUBLE_EQ(c->fgangap[0], 90.0 * k + 3.1415926 - 6.283185306);
    EXPECT_DOUBLE_EQ(c->fgangap[1], -90.0 * k + 3.1415926);
    EXPECT_EQ(c->fgangap[2], 0.0);
    EXPECT_DOUBLE_EQ(c->fgangip[0], 45.0 * k);
    // Below 1104 both are radians as stored; the acoustic phase is shifted as well.
    const std::string radians = line("FgangAPF", "100;\t200;\t0") + line("FgangAP", "1;\t-1;\t0") +
                                line("FgangIPF", "100;\t0") + line("FgangIP", "0,5;\t0");
    c = load(writePlain(1103, radians));
    EXPECT_DOUBLE_EQ(c->fgangap[0], 1.0 + 3.1415926 - 6.283185306);
    EXPECT_DOUBLE_EQ(c->fgangap[1], -1.0 + 3.1415926);
    EXPECT_EQ(c->fgangip[0], 0.5);
    // Directional phases are degrees with the exact pi in every version.
    c = load(writePlain(1002, line("RFgangf", "100;\t0") + line("RFgang3pu", "180;\t0")));
    EXPECT_DOUBLE_EQ(c->Richt.fgangpu[3][0], std::numbers::pi);
}

TEST_F(DriverFileVersions, ReverseMeasurementFollowsTheClosedRearBelow1200) {
    const std::string keys = line("hintengeschl", "1") + line("useFgangA2fs", "1");
    EXPECT_FALSE(load(writePlain(1108, keys))->useFGangA2fs);
    EXPECT_TRUE(load(writePlain(1108, line("hintengeschl", "0")))->useFGangA2fs);
    EXPECT_TRUE(load(writePlain(1200, keys))->useFGangA2fs);
    EXPECT_FALSE(load(writePlain(2000, line("hintengeschl", "0")))->useFGangA2fs);
}

TEST_F(DriverFileVersions, Version1000FitsTheVoiceCoilFromTheImpedanceCurve) {
    // A curve made from known voice-coil values with the motional values that the qualities give.
    const double fs = 40.0, qes = 0.4, qms = 3.2, rdc = 6.0;
    const double twoPi = 2.0 * std::numbers::pi;
    const double rms = rdc * qms / qes, cms = qes / (twoPi * rdc * fs),
                 lms = rdc / (twoPi * qes * fs);
    const double le = 0.4e-3, re2 = 6.0, le2 = 0.6e-3, re3 = 0.5, le3 = 0.5e-3;
    std::string f, z;
    for (int i = 0; i < 150; ++i) {
        const double fi = 20.0 * std::pow(1000.0, i / 149.0);
        const std::complex<double> jw(0.0, twoPi * fi);
        auto par = [](std::complex<double> a, std::complex<double> b) { return a * b / (a + b); };
        const auto zi = rdc + jw * le + par(re2, jw * le2) + par(re3, jw * le3) +
                        1.0 / (1.0 / rms + jw * cms + 1.0 / (jw * lms));
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.17g;\t", fi);
        f += buf;
        std::snprintf(buf, sizeof buf, "%.17g;\t", std::abs(zi));
        z += buf;
    }
    const std::string keys = line("fs", "40") + line("Qes", "0,4") + line("Qms", "3,2") +
                             line("Re", "6") + line("FgangIF", f + "0") + line("FgangI", z + "0");
    auto c = load(writePlain(1000, keys));
    EXPECT_NEAR(c->Le, le, 0.01 * le);
    EXPECT_NEAR(c->Re2, re2, 0.03 * re2);
    EXPECT_NEAR(c->Le2, le2, 0.03 * le2);
    EXPECT_NEAR(c->Re3, re3, 0.03 * re3);
    EXPECT_NEAR(c->Le3, le3, 0.03 * le3);
    // The fit is the caller's: a reader given none leaves the values as read.
    auto asRead = std::make_unique<TChassis>();
    initDefaultChassis(*asRead);
    ScriptedPrompt prompt;
    ASSERT_TRUE(loadDriver(*asRead, writePlain(1000, keys), /*scrambled=*/false, prompt));
    EXPECT_EQ(asRead->Le, 0.0);
    // Version 1001 does not fit: the file's values (here the defaults) stay.
    c = load(writePlain(1001, keys));
    EXPECT_EQ(c->Le, 0.0);
    EXPECT_EQ(c->Re3, 1e-6);
    // Version 1000 without a usable curve keeps what was read.
    c = load(writePlain(1000, line("fs", "40") + line("Qes", "0,4") + line("Qms", "3,2") +
                                  line("Re", "6") + line("Le", "0,001")));
    EXPECT_EQ(c->Le, 0.001);
    // Nor without qualities: no division by zero ends up in the record.
    c = load(
        writePlain(1000, line("Re", "6") + line("FgangIF", f + "0") + line("FgangI", z + "0")));
    EXPECT_EQ(c->Le, 0.0);
}

TEST_F(DriverFileVersions, MissingKeysTakeTheirDefaults) {
    auto c = std::make_unique<TChassis>();
    initDefaultChassis(*c);
    // Stale contents that the defaults must replace, and curves that must keep all but index 0.
    c->fs = 99.0;
    c->Re3 = c->Le3 = 5.0;
    c->name.assign("stale");
    c->OriginalTarvelo = true;
    c->Filters = 3;
    c->pubdate.assign("31.12.2020");
    c->fgang_which = 2;
    for (int i = 0; i < 10; ++i) {
        c->fgangaf[i] = c->fganga[i] = 1.0 + i;
        c->Richt.fgangau[5][i] = 2.0;
    }
    ScriptedPrompt prompt;
    ASSERT_TRUE(loadDriver(*c, writePlain(2000, ""), false, prompt));
    EXPECT_EQ(c->fs, 0.0);
    EXPECT_EQ(c->Re3, 1e-6);
    EXPECT_EQ(c->Le3, 1e-6);
    EXPECT_EQ(c->Re2, 0.0);
    EXPECT_EQ(c->name.str(), "");
    EXPECT_FALSE(c->OriginalTarvelo);
    EXPECT_EQ(c->Filters, 119);
    EXPECT_EQ(c->pubdate.str(), "01.01.2000");
    EXPECT_EQ(c->fgang_which, 5);
    EXPECT_EQ(c->fgangaf[0], 0.0);
    EXPECT_EQ(c->fganga[0], 0.0);
    EXPECT_EQ(c->fgangaf[1], 2.0);
    EXPECT_EQ(c->Richt.fgangau[5][0], 0.0);
    EXPECT_EQ(c->Richt.fgangau[5][1], 2.0);
    // The maker mark needs exactly three blanks.
    EXPECT_TRUE(load(writePlain(2000, line("_hst", "   ")))->OriginalTarvelo);
    EXPECT_FALSE(load(writePlain(2000, line("_hst", "  ")))->OriginalTarvelo);
    EXPECT_FALSE(load(writePlain(2000, line("_hst", "TARVELO")))->OriginalTarvelo);
}

TEST_F(DriverFileVersions, HostileValuesStayInsideTheRecord) {
    std::string huge;
    for (int i = 0; i < 5000; ++i) {
        huge += std::to_string(i + 1) + ";\t";
    }
    huge += "0";
    const std::string keys =
        line("Name", std::string(300, 'N')) + line("Kommentar", std::string(500, 'K')) +
        line("_bnr", "0123456789ABCDEFGHIJ") + line("pubdate", "01.01.2000 und mehr Text") +
        line("OrgFilename", std::string(1000, 'o')) + line("fs", "abc") + line("Qes", "1e999") +
        line("Qms", "-1e999") + line("Re", "$ff") + line("rNricht", "99999") +
        line("fgang_which", "99999999") + line("Special", "garbage") + line("FgangAF", huge) +
        line("FgangA", huge + ";\t" + huge) + line("FgangAPF", "1;\t2;\t3") +
        line("FgangAP", "1e999;\tnan;\t5") + line("RFgangf", huge) + line("RFgang18pu", huge) +
        line("RFgang19au", huge) + line("FgangIF", "10;\t20;\t30") + line("FgangI", "5");
    auto c = load(writePlain(2000, keys));
    EXPECT_EQ(c->name.size(), 22u);
    EXPECT_EQ(c->comment.size(), 102u);
    EXPECT_EQ(c->_bnr.str(), "0123456789ABCDE");
    EXPECT_EQ(c->pubdate.str(), "01.01.2000 und m");
    EXPECT_EQ(c->orgfilename.size(), 255u);
    EXPECT_EQ(c->fs, 0.0);
    EXPECT_EQ(c->qes, 0.0); // infinite -> the default
    EXPECT_EQ(c->qms, 0.0);
    EXPECT_EQ(c->Rdc, 255.0);
    EXPECT_EQ(c->Richt.nRicht, 19);
    EXPECT_EQ(c->fgang_which, 32767);
    EXPECT_EQ(c->special, 0);
    EXPECT_EQ(c->fgangaf[599], 600.0);
    EXPECT_EQ(c->fgangaf[600], 0.0);
    EXPECT_EQ(c->fganga[600], 0.0);
    EXPECT_EQ(c->Richt.fgangf[600], 0.0);
    EXPECT_EQ(c->Richt.fgangpu[18][600], 0.0);
    EXPECT_EQ(c->fgangap[0], 0.0); // infinite -> 0
    EXPECT_EQ(c->fgangap[1], 0.0); // "nan" reads as 0
    EXPECT_DOUBLE_EQ(c->fgangap[2], 5.0 * 3.1415926 / 180.0);
    EXPECT_EQ(c->fgangapf[3], 0.0);
    // A value array shorter than its frequencies: the terminator still sits at the count.
    EXPECT_EQ(c->fgangi[0], 5.0);
    EXPECT_EQ(c->fgangi[3], 0.0);
    EXPECT_EQ(load(writePlain(2000, line("rNricht", "-4")))->Richt.nRicht, 0);
    EXPECT_EQ(load(writePlain(2000, line("fgang_which", "-99999")))->fgang_which, -32768);
}

TEST_F(DriverFileVersions, GarbageFilesAreRefusedWithoutHarm) {
    std::mt19937 random(20261209); // seeded: the same bytes on every run
    for (int round = 0; round < 40; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 3000), '\0');
        for (char& b : bytes) {
            b = static_cast<char>(random());
        }
        if (round % 4 == 1) {
            bytes.replace(0, std::min<std::size_t>(8, bytes.size()), "MyIni2CK");
        }
        if (round % 4 == 2) {
            bytes = "## MyIniFile 1.0 by KT 2004 ##\r\n#Header\r\nVersion=\t2000\r\n" + bytes;
        }
        const std::string p = writeBytes(bytes, "g" + std::to_string(round) + ".LSC");
        for (bool scrambled : {false, true}) {
            auto c = std::make_unique<TChassis>();
            initDefaultChassis(*c);
            ScriptedPrompt prompt;
            if (!loadDriver(*c, p, scrambled, prompt)) {
                ASSERT_FALSE(prompt.messages.empty());
                EXPECT_EQ(prompt.messages.back(), "Datei hat falsches Datenformat.");
            }
            EXPECT_LE(c->name.size(), 22u);
            EXPECT_GE(c->Richt.nRicht, 0);
            EXPECT_LE(c->Richt.nRicht, 19);
        }
    }
}

} // namespace
} // namespace sonora
