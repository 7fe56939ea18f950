// Importing measured frequency and impedance responses from text files into a driver.
#include "measure/text_import.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "measure_test_support.h"
#include "storage/latin1.h"

namespace sonora {
namespace {

using measure_test::RecordingPrompt;

// Degrees to radians as the import converts them.
double importRadians(double degrees) {
    return degrees / 180.0 * 3.1415926;
}

std::string number(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

// Number of entries before the first frequency of 0.
int listLength(const double* f) {
    int n = 0;
    while (n < kCurvePoints && f[n] > 0.0) {
        ++n;
    }
    return n;
}

class TextImport : public measure_test::TempFolderTest {
protected:
    void SetUp() override {
        TempFolderTest::SetUp();
        c = std::make_unique<TChassis>();
        // Earlier data of the driver, to see what an import leaves alone.
        for (int i = 0; i < 5; ++i) {
            c->fgangaf[i] = c->fgangapf[i] = c->fgangif[i] = c->fgangipf[i] = 50.0 * (i + 1);
            c->fganga[i] = 70.0;
            c->fgangap[i] = 0.5;
            c->fgangi[i] = 8.0;
            c->fgangip[i] = -0.25;
        }
        before = std::make_unique<TChassis>(*c);
    }

    bool importF(const std::string& file) {
        return Import_FGang_txt(file, c->fgangaf, c->fganga, c->fgangapf, c->fgangap, prompt);
    }
    bool importI(const std::string& file) {
        return Import_IGang_txt(file, c->fgangif, c->fgangi, c->fgangipf, c->fgangip, prompt);
    }
    bool unchanged(const double (&a)[kCurvePoints], const double (&b)[kCurvePoints]) {
        return std::equal(std::begin(a), std::end(a), std::begin(b));
    }

    std::unique_ptr<TChassis> c;
    std::unique_ptr<TChassis> before;
    RecordingPrompt prompt;
};

TEST_F(TextImport, SemicolonsAndDecimalCommas) {
    const std::string file = writeText("a.txt", "Frequenz;Pegel;Phase\r\n1000;85,5;-12\r\n"
                                                "2000;86,25;-30,5\r\n");
    ASSERT_TRUE(importF(file));
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(c->fgangaf[0], 1000.0);
    EXPECT_EQ(c->fganga[0], 85.5);
    EXPECT_EQ(c->fgangapf[0], 1000.0);
    EXPECT_DOUBLE_EQ(c->fgangap[0], importRadians(-12.0));
    EXPECT_EQ(c->fgangaf[1], 2000.0);
    EXPECT_EQ(c->fganga[1], 86.25);
    EXPECT_DOUBLE_EQ(c->fgangap[1], importRadians(-30.5));
    // Terminated at index 2 and cleared up to index 599.
    for (int i = 2; i < 600; ++i) {
        ASSERT_EQ(c->fgangaf[i], 0.0) << i;
        ASSERT_EQ(c->fganga[i], 0.0) << i;
        ASSERT_EQ(c->fgangapf[i], 0.0) << i;
        ASSERT_EQ(c->fgangap[i], 0.0) << i;
    }
    EXPECT_TRUE(unchanged(c->fgangi, before->fgangi));
}

TEST_F(TextImport, PointAsSeparatorGivesOneColumn) {
    const std::string file = writeText("a.txt", "1000 .5\n2000 .7\n");
    ASSERT_TRUE(importF(file));
    // Values 5 and 7 lie in the range of levels: guessed and kept as levels.
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text, "Es wurde nur eine Datenspalte gefunden.\r\n"
                                    "Vermutlich handelt es sich um den Amplitudengang.");
    EXPECT_EQ(prompt.asked[0].buttons, "Daten sind Amplitudengang|Daten sind Phasengang");
    EXPECT_EQ(prompt.asked[0].defaultButton, 1);
    EXPECT_EQ(c->fganga[0], 5.0);
    EXPECT_EQ(c->fganga[1], 7.0);
    EXPECT_EQ(listLength(c->fgangaf), 2);
    // A one-column import leaves the phase alone.
    EXPECT_TRUE(unchanged(c->fgangapf, before->fgangapf));
    EXPECT_TRUE(unchanged(c->fgangap, before->fgangap));
}

TEST_F(TextImport, FrdFileWithCommentHeader) {
    std::string text = "* Sonora test curve, invented data\n"
                       "* Freq(Hz)\tSPL(dB)\tPhase(deg)\n"
                       "Frequency [Hz]  SPL [dB]  Phase [deg]\n"
                       "\"quoted header\"\n";
    for (int i = 0; i < 50; ++i) {
        const double f = 20.0 * std::pow(1.15, i);
        char line[128];
        std::snprintf(line, sizeof line, "%.6e\t%.6f\t%.6f\n", f, 80.0 + 0.1 * i, -1.5 * i);
        text += line;
    }
    ASSERT_TRUE(importF(writeText("driver.frd", text)));
    EXPECT_TRUE(prompt.asked.empty());
    ASSERT_EQ(listLength(c->fgangaf), 50);
    ASSERT_EQ(listLength(c->fgangapf), 50);
    for (int i = 0; i < 50; ++i) {
        EXPECT_NEAR(c->fgangaf[i], 20.0 * std::pow(1.15, i), 1e-5 * c->fgangaf[i]);
        EXPECT_NEAR(c->fganga[i], 80.0 + 0.1 * i, 1e-9);
        EXPECT_NEAR(c->fgangap[i], importRadians(-1.5 * i), 1e-9);
    }
}

TEST_F(TextImport, ZmaImpedanceWithBlanks) {
    std::string text = "* impedance, invented\n";
    for (int i = 0; i < 30; ++i) {
        text += "  " + number(10.0 * (i + 1)) + "   " + number(6.0 + i) + "   " +
                number(45.0 - 3.0 * i) + "\n";
    }
    ASSERT_TRUE(importI(writeText("driver.zma", text)));
    ASSERT_EQ(listLength(c->fgangif), 30);
    EXPECT_EQ(c->fgangif[29], 300.0);
    EXPECT_EQ(c->fgangi[29], 35.0);
    EXPECT_DOUBLE_EQ(c->fgangip[29], importRadians(45.0 - 87.0));
    EXPECT_EQ(c->fgangipf[0], 10.0);
    EXPECT_TRUE(unchanged(c->fganga, before->fganga));
}

// 600 records, 3 % apart except one pair 0.1 % apart; phases never 0, so three columns.
std::string sixHundredRecords() {
    std::string text;
    double f = 20.0;
    for (int i = 0; i < 600; ++i) {
        text +=
            number(f) + "\t" + number(10.0 + 0.1 * i) + "\t" + (i == 300 ? "170" : "-170") + "\n";
        f *= i == 300 ? 1.001 : 1.011;
    }
    return text;
}

TEST_F(TextImport, SixHundredRecordsAreThinnedAndAnnouncedForTheFrequencyResponse) {
    ASSERT_TRUE(importF(writeText("600.txt", sixHundredRecords())));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0],
              utf8ToLatin1("Die Datei enthält 600 Datensätze. Es werden max. 600ausgesucht."));
    EXPECT_EQ(listLength(c->fgangaf), 599);
    EXPECT_EQ(listLength(c->fgangapf), 599);
    EXPECT_NEAR(c->fganga[300], 40.05, 1e-9);
    // 170 and -170 degrees meet at 180 degrees.
    EXPECT_DOUBLE_EQ(c->fgangap[300], importRadians(180.0));
    EXPECT_DOUBLE_EQ(c->fgangap[301], importRadians(-170.0));
}

TEST_F(TextImport, SixHundredImpedanceRecordsAreThinnedSilently) {
    ASSERT_TRUE(importI(writeText("600.zma", sixHundredRecords())));
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(listLength(c->fgangif), 599);
    EXPECT_EQ(listLength(c->fgangipf), 599);
}

TEST_F(TextImport, ZeroPhasesCountAsOneColumnAndTheAnswerDecides) {
    const std::string file = writeText("a.txt", "100 10 0\n200 -20 0\n400 30 0\n");
    // A negative value: guessed phase. The second button changes the guess to levels.
    prompt.choices = {2};
    ASSERT_TRUE(importF(file));
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text, "Es wurde nur eine Datenspalte gefunden.\r\n"
                                    "Vermutlich handelt es sich um den Phasengang.");
    EXPECT_EQ(prompt.asked[0].buttons, "Daten sind Phasengang|Daten sind Amplitudengang");
    EXPECT_EQ(prompt.asked[0].defaultButton, 1);
    EXPECT_EQ(c->fganga[1], -20.0);
    EXPECT_EQ(listLength(c->fgangaf), 3);
    EXPECT_TRUE(unchanged(c->fgangap, before->fgangap));

    // Keeping the guess writes the column as phase and leaves the levels alone.
    c = std::make_unique<TChassis>(*before);
    prompt.asked.clear();
    ASSERT_TRUE(importF(file));
    EXPECT_DOUBLE_EQ(c->fgangap[1], importRadians(-20.0));
    EXPECT_EQ(listLength(c->fgangapf), 3);
    EXPECT_TRUE(unchanged(c->fganga, before->fganga));
    EXPECT_TRUE(unchanged(c->fgangaf, before->fgangaf));
}

TEST_F(TextImport, ImpedanceQuestionHasFixedButtonsAndTheGuessAsDefault) {
    const std::string phaseLike = writeText("p.zma", "100 -40\n200 30\n");
    ASSERT_TRUE(importI(phaseLike));
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text, "Es wurde nur eine Datenspalte gefunden.\r\n"
                                    "Vermutlich handelt es sich um den Phasengang.");
    EXPECT_EQ(prompt.asked[0].buttons,
              "Daten sind elektrischer Phasengang|Daten sind Impedanzgang");
    EXPECT_EQ(prompt.asked[0].defaultButton, 1);
    EXPECT_DOUBLE_EQ(c->fgangip[0], importRadians(-40.0));
    EXPECT_TRUE(unchanged(c->fgangi, before->fgangi));

    // Magnitudes in range: guessed impedance (default 2); the answer 1 makes them phases.
    c = std::make_unique<TChassis>(*before);
    const std::string magnitudes = writeText("z.zma", "100 8\n200 12\n");
    prompt.choices = {1};
    ASSERT_TRUE(importI(magnitudes));
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.asked[1].text, "Es wurde nur eine Datenspalte gefunden.\r\n"
                                    "Vermutlich handelt es sich um den Impedanzgang.");
    EXPECT_EQ(prompt.asked[1].defaultButton, 2);
    EXPECT_DOUBLE_EQ(c->fgangip[1], importRadians(12.0));
    EXPECT_TRUE(unchanged(c->fgangi, before->fgangi));

    // A magnitude of 0 is not plausible for an impedance, but is for a level.
    c = std::make_unique<TChassis>(*before);
    const std::string zero = writeText("0.txt", "100 0\n200 12\n");
    ASSERT_TRUE(importI(zero));
    EXPECT_EQ(prompt.asked.back().defaultButton, 1);
    ASSERT_TRUE(importF(zero));
    EXPECT_EQ(prompt.asked.back().text, "Es wurde nur eine Datenspalte gefunden.\r\n"
                                        "Vermutlich handelt es sich um den Amplitudengang.");
}

TEST_F(TextImport, SixtySixThousandLines) {
    std::string text;
    for (int i = 0; i < 70000; ++i) {
        text += number(20.0 * std::pow(1.0001, i)) + "\t" + number(80.0 + (i % 7)) + "\t-30\n";
    }
    ASSERT_TRUE(importF(writeText("big.txt", text)));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0],
              utf8ToLatin1("Die Datei enthält 66000 Datensätze. Es werden max. 600ausgesucht."));
    const int n = listLength(c->fgangaf);
    EXPECT_GT(n, 100);
    EXPECT_LE(n, 599);
    EXPECT_EQ(c->fgangaf[0], 20.0); // record 0 is never merged
    // Only the first 66000 lines were read.
    EXPECT_LE(c->fgangaf[n - 1], 20.0 * std::pow(1.0001, 65999) * (1 + 1e-9));
    EXPECT_GT(c->fgangaf[n - 1], 20.0 * std::pow(1.0001, 65000));
    for (int i = 1; i < n; ++i) {
        ASSERT_GT(c->fgangaf[i], c->fgangaf[i - 1]);
        ASSERT_GE(c->fganga[i], 80.0);
        ASSERT_LE(c->fganga[i], 86.0);
        ASSERT_DOUBLE_EQ(c->fgangap[i], importRadians(-30.0));
    }
}

TEST_F(TextImport, FailuresChangeNothing) {
    // The column question comes first (nothing in the file has a second value), then the notice.
    ASSERT_FALSE(importF(writeText("none.txt", "* only comments\nFreq dB\n0 0 0\n")));
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_NE(prompt.asked[0].text.find("nur eine Datenspalte"), std::string::npos);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages.back(), utf8ToLatin1("Die Datei enthält keine passenden Daten."));

    ASSERT_FALSE(importI(path("missing.zma")));
    EXPECT_EQ(prompt.messages.back(),
              "Die Datei " + path("missing.zma") + " wurde nicht gefunden.");

    ASSERT_FALSE(importF(dir.string())); // a folder cannot be read as a file
    EXPECT_EQ(prompt.messages.back(), "Die Datei " + dir.string() + " kann nicht gelesen werden.");
    EXPECT_EQ(0, std::memcmp(c.get(), before.get(), sizeof(TChassis)));
}

TEST_F(TextImport, EmptyFileNameShowsHelpThenTheFileDialog) {
    const std::string file = writeText("a.txt", "100 80 10\n");
    std::vector<std::string> filters;
    auto chooser = [&](const std::string& filter, std::string& name) {
        filters.push_back(filter);
        name = file;
        return true;
    };
    prompt.choices = {2};
    EXPECT_FALSE(
        Import_FGang_txt("", c->fgangaf, c->fganga, c->fgangapf, c->fgangap, prompt, chooser));
    EXPECT_TRUE(filters.empty());
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].buttons, "Ok|Abbruch");
    EXPECT_EQ(prompt.asked[0].text,
              utf8ToLatin1(
                  "ASCII-Datei mit Frequenzgang importieren.\r\nErwartet wird eine mit Tabulator, "
                  "Semikolon oder Leerzeichen getrennte ASCII-Datei mit Frequenz, Amplitude [dB] "
                  "und/oder Phase in einer Zeile. Dezimaltrenner darf \",\" oder \".\" sein, "
                  "Tausendertrenner sind nicht erlaubt. E-Format wird ebenfalls akzeptiert, "
                  "nachfolgende Einheiten und Leerzeichen werden ignoriert.\r\nZeilen die nicht "
                  "mit Leerzeichen, \"+\", \"-\", \".\", \",\" oder einer Ziffer beginnen werden "
                  "gänzlich ignoriert. Amplitude wird in dB/2,83V/m erwartet und Phasenlage in "
                  "Grad. "));
    // Without a file dialog, "Ok" ends the import as well.
    EXPECT_FALSE(Import_FGang_txt("", c->fgangaf, c->fganga, c->fgangapf, c->fgangap, prompt));
    EXPECT_EQ(0, std::memcmp(c.get(), before.get(), sizeof(TChassis)));

    ASSERT_TRUE(
        Import_IGang_txt("", c->fgangif, c->fgangi, c->fgangipf, c->fgangip, prompt, chooser));
    ASSERT_EQ(filters.size(), 1u);
    EXPECT_EQ(filters[0],
              "*.asc; *.txt; *.zma; *.imp; *.oct|*.asc; *.txt; *.zma; *.imp; *.oct|*.*|*.*");
    const std::string help = prompt.asked.back().text;
    EXPECT_EQ(help.find("ASCII-Datei mit Impedanzgang importieren.\r\n"), 0u);
    EXPECT_NE(help.find("Frequenz, Impedanz (Betrag) und/oder Phase"), std::string::npos);
    EXPECT_NE(help.find("Die Impedanz wird in Ohm (bzw. V/A) erwartet und Phasenlage in Grad. > 0 "
                        "Grad = induktiv, < 0 Grad = kapazitives Verhalten."),
              std::string::npos);
    EXPECT_EQ(c->fgangi[0], 80.0);
}

TEST_F(TextImport, HostileFilesNeverCrashAndWriteOnlyFiniteValues) {
    std::mt19937 rng(20240611);
    std::vector<std::string> texts = {
        "nan nan nan\ninf inf inf\n-inf 5 5\n1e999 5 5\n",
        "100 1e999 5\n200 5 -1e999\n300 nan 4\n",
        std::string(200000, '1') + " 5 5\n",
        "1 " + std::string(100000, '9') + "\n",
        std::string(100000, ';') + "\n",
        "$ff 3 4\n&101 1 1\n",
    };
    std::string huge;
    for (int i = 0; i < 1000; ++i) {
        huge += number(1e308 / (i + 1)) + " " + number(1e308) + " " + number(-1e308) + "\n";
    }
    texts.push_back(huge);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(1 + rng() % 65536, '\0');
        for (char& ch : bytes) {
            // Mostly digits and separators, so that many lines count as records.
            const unsigned v = rng() % 256;
            ch = static_cast<char>(v < 160 ? "0123456789 .,;\t\n-+eE"[v % 21] : v);
        }
        texts.push_back(bytes);
    }
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string file = writeText("h" + std::to_string(i) + ".txt", texts[i]);
        importF(file);
        importI(file);
        for (int k = 0; k < kCurvePoints; ++k) {
            ASSERT_TRUE(std::isfinite(c->fgangaf[k]) && std::isfinite(c->fganga[k]) &&
                        std::isfinite(c->fgangapf[k]) && std::isfinite(c->fgangap[k]) &&
                        std::isfinite(c->fgangif[k]) && std::isfinite(c->fgangi[k]) &&
                        std::isfinite(c->fgangipf[k]) && std::isfinite(c->fgangip[k]))
                << "text " << i << " index " << k;
        }
        EXPECT_LE(listLength(c->fgangaf), 599);
        EXPECT_LE(listLength(c->fgangif), 599);
    }
}

} // namespace
} // namespace sonora
