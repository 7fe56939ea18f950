#include "engine/voice_coil_fit.h"
#include "storage/project_file.h"

#include "engine/driver_model.h"
#include "model/crossover_grid.h"
#include "model/frequency_grid.h"
#include "model/record_defaults.h"
#include "storage/chassis_keys.h"
#include "storage/compand.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"
#include "storage/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace sonora {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<TProjekt> defaultProject() {
    auto p = std::make_unique<TProjekt>();
    initDefaultProjekt(*p);
    return p;
}

std::unique_ptr<TProjekt> zeroProject() {
    return std::make_unique<TProjekt>(); // value-initialised: every byte 0
}

// A phase as the file reader produces it from `degrees` (three decimals), so that it survives the
// degree form of the file exactly.
double filePhase(double degrees) {
    return degrees * (kPhaseFilePi / 180.0);
}
double directionPhase(double degrees) {
    return degrees * (std::numbers::pi / 180.0);
}

// Fills a driver with values that all differ from the defaults; `k` varies them per driver.
void fillDriver(TChassis& c, int k) {
    initDefaultChassis(c);
    c.name.assign(utf8ToLatin1("Hochtöner Ä") + std::to_string(k));
    c.comment.assign(utf8ToLatin1("Gewebekalotte, größer als üblich"));
    c.typ = (1u << 8) | (1u << 20) | static_cast<std::uint32_t>(k);
    c.HintenGeschlossen = k == 0;
    c.special = k == 2 ? kSpecialVoltmeter : kSpecialNone;
    c.fgang_which = static_cast<std::int16_t>(1 + k);
    c.fs = 1200.5 - 500 * k;
    const double qes[] = {0.9, 0.95, 1.05}; // values that have a short decimal text
    c.qes = qes[k % 3];
    c.qms = 3.1;
    c.vas = 0.00012;
    c.Rdc = 5.6;
    c.Le = 5e-05;
    c.Le2 = 0.00012;
    c.Re2 = 2.2;
    c.Le3 = 3.3e-05;
    c.Re3 = 1.5;
    c.Sd = 0.00075;
    c.xlin = 0.0003;
    c.Pmax = 80;
    c.ZNenn = 8;
    c.seo = -0.004;
    c.useFGangA = true;
    c.useFGangAP = k == 1;
    c.useFGangA2fs = true;
    c.useFGangI = true;
    c.useFGangIP = k != 1;
    const int points = 12 + k;
    for (int i = 0; i < points; ++i) {
        const double f = 20.0 * std::pow(2.0, i); // Hz, exact in decimal
        c.fgangaf[i] = f;
        c.fganga[i] = 85.25 + 0.5 * i;
        c.fgangapf[i] = f;
        c.fgangap[i] = filePhase(-170.125 + 27.5 * i);
        c.fgangif[i] = f;
        c.fgangi[i] = 6.5 + 0.75 * i;
        c.fgangipf[i] = f * 1.5;
        c.fgangip[i] = filePhase(45.5 - 9 * i);
    }
    c.Richt.RichtSimu = 1;
    c.Richt.nRicht = 3;
    for (int i = 0; i < 5; ++i) {
        c.Richt.fgangf[i] = 100.0 * (i + 1);
        for (int r = 0; r < kMaxRicht; ++r) {
            c.Richt.fgangau[r][i] = 1.5 - 0.25 * r - i; // never -0, which reads back as 0
            c.Richt.fgangpu[r][i] = directionPhase(10.5 * r - 3 * i);
        }
    }
    c._PNorm = 40;
    c._xMax = 0.001;
    c._Hvc = 0.002;
    c._Dvc = 0.025;
    c._Hpp = 0.003;
    c._Bl = 3.5;
    c._SPL = 90.5;
    c._le = 4e-05;
    c._Mmd = 0.0004;
    c._fu.assign("1500");
    c._fo.assign("25000");
    c._Da.assign("104");
    c._magind = 1.2;
    c._magflu = 350;
    c._bnr.assign(utf8ToLatin1("HT-25 ß"));
    c._Etiefe = 0.03;
    c._Ausschn = 0.075;
    c._Gewicht = 0.5;
    c.membranform = k % 3;
    c.OriginalTarvelo = k == 0;
    c.Filters = 7 + k;
    c.pubdate.assign("24.12.2023");
    c.orgfilename.assign(utf8ToLatin1("/daten/Chassis/Kalotte Ü.LSC"));
}

void setPart(TPart& part, PartTyp typ, double value = 0, const char* bem = "") {
    part.typ = typ;
    part.value = value;
    part.bem.assign(utf8ToLatin1(bem));
}

// A project that uses every section: three amplifiers, three drivers with curves, filters,
// crossover parts of every kind, explicit and slider enclosures, umlauts in names.
std::unique_ptr<TProjekt> richProject() {
    auto p = defaultProject();
    p->nAmps = 3;
    p->nChassis = 3;
    p->fMin = 10;
    p->fMax = 25000;
    p->sz = 126;
    p->glatt_amp = 0.12;
    p->glatt_imp = 0.08;
    BuildFrequencyGrid(*p);
    p->comment1.assign(utf8ToLatin1("Prüfstand für Größe"));
    p->comment2.assign("Zweiwege <d>");
    p->option.ColorSetAmps[2] = 0x123456;
    p->option.ColorSetChassis[20] = 0xABCDEF;
    p->option.ColorSetRichtungen[9] = 0x010203;
    p->option.dBmin = 30;
    p->option.dBmax = 120;
    p->option.Afmin = 15;
    p->option.Afmax = 30000;
    p->option.ImpMax = 50;
    p->option.GraphsThickness = 2;

    TAktfilter& a0 = p->amp[0].aktfilter;
    a0.pegel = 0.5;
    a0.bOptiPeg = true;
    a0.fil[0].typ = 9;
    a0.fil[0].f = 2500;
    a0.fil[0].q = 0.5;
    a0.fil[0].n = 4;
    a0.fil[3].typ = 16;
    a0.fil[3].bOptimize = true;
    a0.fil[3].fch = 120;
    a0.fil[3].qch = 2.5;
    a0.fil[3].a = 0.25;
    a0.fil[3].t = 0.002;
    p->amp[1].aktfilter.pegel = 1.25;
    p->amp[1].aktfilter.fil[11].typ = 5;

    TPart* w = p->amp[0].weiche;
    setPart(w[0], kPartAmplifier);
    w[0].verpolt = 1;
    setPart(w[1], kPartResistor, 4.7, "R1 Öl");
    setPart(w[2], kPartCoil, 0.00082, "L1");
    w[2].Rvalue = 0.35;
    w[2].bOptimize = true;
    setPart(w[119], kPartWire);
    setPart(w[183], kPartCapacitor, 3.3e-06, "C1");
    w[183].bOptimize = true;
    setPart(w[190], kPartDriver);
    w[190].chassisnr = 1;
    w[190].verpolt = -1;
    setPart(w[300], kPartWire);
    setPart(w[367], kPartWire);
    w[367].nod1 = 5;
    w[367].nod2 = 131;
    w[374].nod1 = 132;
    TPart* w1 = p->amp[1].weiche;
    setPart(w1[50], kPartDriver);
    w1[50].chassisnr = 2;
    w1[50].verpolt = 1;
    setPart(w1[51], kPartResistor, 8.2, "Spannungsteiler");
    setPart(p->amp[2].weiche[200], kPartCapacitor, 1e-05, "");

    for (int k = 0; k < 3; ++k) {
        fillDriver(p->chassis[k], k);
    }

    p->einbau[1].typ = kEinbauBassreflex;
    p->einbau[1].Vb = 0.03;
    p->einbau[1].fb = 42;
    p->einbau[1].mbQExpl = true;
    p->einbau[1].vV = 1.1;
    p->einbau[1].mb = 0.9;
    p->einbau[1].fmb = 300;
    p->einbau[1].Ql = 7;
    p->einbau[1].Qb = 20;
    p->einbau[1].vVf = 1.05;
    p->einbau[1].Qbf = 15;
    p->einbau[1].Qk = 999;
    p->einbau[1].Qkf = 30;
    p->einbau[1].Bedv = 1;
    p->einbau[2].typ = kEinbauBandpassBiv;
    p->einbau[2].Vb = 0.02;
    p->einbau[2].Vbf = 0.01;
    p->einbau[2].fbf = 80;
    p->einbau[2].Bedv = 0;
    p->einbau[2].Bedc = 1;
    p->einbau[2].Bedk = 2;
    p->einbau[2].Bedvf = 1;
    p->einbau[2].Bedkf = 3;

    for (int k = 0; k < 3; ++k) {
        TSchallwand& s = p->schallwand[k];
        s.beugl = true;
        s.beugr = k != 1;
        s.beugo = k == 2;
        s.beugu = false;
        s.usegemgeh = k != 0;
        s.direction = static_cast<std::int8_t>(k + 2);
        s.directionr = static_cast<std::int8_t>(k % 2);
        s.swa = 0.2;
        const double widths[] = {0.1, 0.11, 0.12};
        s.swb = widths[k];
        s.swc = 0.15;
        s.swt = 0.35;
        s.swd = 0.026;
        s.swdr = 0.05;
        s.swe = 0.01;
        s.swf = 0.012;
        s.swg = 0.3;
        s.swh = 0.4;
        s.swi = 0.02;
        s.swhor = -0.05;
        s.swvert = 0.25;
        s.swstra = 0.001;
        s.swhorr = 0.07;
        s.swvertr = -0.3;
        s.swstrar = -0.2;
    }
    p->Gemgeh.h = 1.0;
    p->Gemgeh.b = 0.25;
    p->Gemgeh.t = 0.3;
    p->Gemgeh.fasl = 0.01;
    p->Gemgeh.fasr = 0.02;
    p->Gemgeh.faso = 0.03;
    p->Gemgeh.fasu = 0.04;
    p->Gemgeh.beugl = true;
    p->Gemgeh.beugo = false;
    p->Gemgeh.beugr = true;
    p->Gemgeh.beugu = true;
    return p;
}

// Sets the fields a project file does not store to fixed values, so that an original and the
// project read back from its file compare equal byte for byte. Not stored: header, saved, dummy2,
// dummy, the 34th driver colour; amplifiers beyond nAmps; in crossover slots every field the slot
// kind does not write (free wires keep only typ and nodes, unused slots nothing); drivers,
// enclosures and baffles beyond nChassis; the derived driver values, dummy2/dummy3, the reserved
// measurement_type and dummy of the directional responses, curve entries from the terminator on
// (the value arrays' entry at the terminator is written as read, 0); the reserved fields of
// enclosure and baffle, and the nine explicit enclosure values while mbQExpl is clear.
void normaliseUnstored(TProjekt& p) {
    p.header = 0;
    p.saved = false;
    p.dummy2 = 0;
    std::memset(p.dummy, 0, sizeof p.dummy);
    p.option.ColorSetChassis[kChassisColors - 1] = 0;
    for (int a = 0; a < kMaxAmps; ++a) {
        TAmp& amp = p.amp[a];
        if (a >= p.nAmps) {
            amp.aktfilter = defaultAktfilter();
            std::memset(amp.weiche, 0, sizeof amp.weiche);
            assignGridNodes(amp.weiche);
        }
        for (int s = 0; s < kPartSlots; ++s) {
            TPart& part = amp.weiche[s];
            const SlotNodes nodes = gridSlotNodes(s);
            const bool grid = nodes.nod2 != 0; // every grid slot ends at a node above 0
            if (isFreeWireSlot(s)) {
                TPart keep{};
                keep.typ = part.typ;
                keep.nod1 = part.nod1;
                keep.nod2 = part.nod2;
                part = keep;
                continue;
            }
            if (!grid || s >= kUsedPartSlots) {
                part = TPart{};
                continue;
            }
            if (part.typ == kPartEmpty) {
                part.bOptimize = false;
            }
            if (part.typ < kPartDriver) {
                part.verpolt = 0;
            }
            if (part.typ != kPartDriver) {
                part.chassisnr = 0;
            }
            if (part.typ < kPartResistor || part.typ > kPartCoil) {
                part.value = 0;
                part.bem.assign("");
            }
            if (part.typ != kPartCoil) {
                part.Rvalue = 0;
            }
        }
    }
    for (int n = 0; n < kMaxChassis; ++n) {
        if (n >= p.nChassis) {
            std::memset(&p.chassis[n], 0, sizeof p.chassis[n]);
            std::memset(&p.einbau[n], 0, sizeof p.einbau[n]);
            std::memset(&p.schallwand[n], 0, sizeof p.schallwand[n]);
            continue;
        }
        TChassis& c = p.chassis[n];
        TChassis clean = c;
        std::memset(&clean.Cms, 0,
                    reinterpret_cast<const char*>(&c.OriginalTarvelo) -
                        reinterpret_cast<const char*>(&c.Cms));
        clean.dummy2 = 0;
        clean.dummy3 = 0;
        clean.Richt.measurement_type = 0;
        std::memset(clean.Richt.dummy, 0, sizeof clean.Richt.dummy);
        auto cutCurve = [](double* f, double* y) {
            int count = 0;
            while (count < kCurvePoints && f[count] > 0) {
                ++count;
            }
            for (int i = count; i < kCurvePoints; ++i) {
                f[i] = 0;
                y[i] = 0;
            }
            return count;
        };
        cutCurve(clean.fgangaf, clean.fganga);
        cutCurve(clean.fgangapf, clean.fgangap);
        cutCurve(clean.fgangif, clean.fgangi);
        cutCurve(clean.fgangipf, clean.fgangip);
        double scratch[kCurvePoints];
        const int nR = cutCurve(clean.Richt.fgangf, scratch);
        for (int r = 0; r < kMaxRicht; ++r) {
            for (int i = nR; i < kCurvePoints; ++i) {
                clean.Richt.fgangau[r][i] = 0;
                clean.Richt.fgangpu[r][i] = 0;
            }
        }
        c = clean;
        TEinbau& e = p.einbau[n];
        e.ldummy = 0;
        std::memset(e.ddummy, 0, sizeof e.ddummy);
        if (!e.mbQExpl) {
            e.vV = e.mb = e.fmb = e.Ql = e.Qb = e.vVf = e.Qbf = e.Qk = e.Qkf = 0;
        }
        TSchallwand& s = p.schallwand[n];
        s.dummy1 = s.dummy2 = s.dummy3 = s.dummy4 = 0;
    }
}

// Where two projects first differ, for a readable failure.
std::string firstDifference(const TProjekt& a, const TProjekt& b) {
    const auto* pa = reinterpret_cast<const unsigned char*>(&a);
    const auto* pb = reinterpret_cast<const unsigned char*>(&b);
    std::size_t i = 0;
    while (i < sizeof a && pa[i] == pb[i]) {
        ++i;
    }
    if (i == sizeof a) {
        return "none";
    }
    auto in = [&](const void* start, std::size_t size) {
        const std::size_t off = static_cast<const unsigned char*>(start) - pa;
        return i >= off && i < off + size ? static_cast<long>(i - off) : -1L;
    };
    std::ostringstream out;
    out << "byte " << i;
    for (int k = 0; k < kMaxAmps; ++k) {
        if (long o = in(&a.amp[k], sizeof a.amp[k]); o >= 0) {
            out << " in amp[" << k << "] at " << o;
        }
    }
    for (int k = 0; k < kMaxChassis; ++k) {
        if (long o = in(&a.chassis[k], sizeof a.chassis[k]); o >= 0) {
            out << " in chassis[" << k << "] at " << o;
        }
        if (long o = in(&a.einbau[k], sizeof a.einbau[k]); o >= 0) {
            out << " in einbau[" << k << "] at " << o;
        }
        if (long o = in(&a.schallwand[k], sizeof a.schallwand[k]); o >= 0) {
            out << " in schallwand[" << k << "] at " << o;
        }
    }
    return out.str();
}

class ProjectFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("sonora_project_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }

    // A plain key-value file made of `body` (section and key lines separated by "\n").
    std::string plainFile(const std::string& name, const std::string& body) {
        std::string text = std::string(kMyIniHeader) + "\r\n";
        std::istringstream lines(body);
        for (std::string line; std::getline(lines, line);) {
            text += line + "\r\n";
        }
        const std::string p = path(name);
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }

    std::string fileText(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // Reads a plain file into a default project.
    std::unique_ptr<TProjekt> readPlain(const std::string& p, ScriptedPrompt& prompt) {
        auto project = defaultProject();
        EXPECT_EQ(readProjectFile(*project, p, false, prompt, fitVoiceCoilOfOldFile),
                  ProjectReadStatus::Ok);
        return project;
    }

    fs::path dir;
};

TEST_F(ProjectFile, RoundTripKeepsEveryStoredFieldInBothForms) {
    const auto original = richProject();
    for (const bool compressed : {true, false}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const std::string p = path(compressed ? "rich.LSP" : "rich_plain.LSP");
        ScriptedPrompt prompt;
        ASSERT_TRUE(writeProjectFile(*original, p, compressed, prompt));
        auto back = defaultProject();
        ASSERT_EQ(readProjectFile(*back, p, compressed, prompt), ProjectReadStatus::Ok);
        EXPECT_TRUE(prompt.messages.empty());
        EXPECT_TRUE(back->saved);

        // A few fields checked directly, so that the comparison below cannot pass by
        // normalising too much.
        EXPECT_EQ(back->chassis[0].name.str(), utf8ToLatin1("Hochtöner Ä0"));
        EXPECT_EQ(back->comment1.str(), utf8ToLatin1("Prüfstand für Größe"));
        EXPECT_EQ(back->amp[0].weiche[2].Rvalue, 0.35);
        EXPECT_EQ(back->amp[0].weiche[183].value, 3.3e-06);
        EXPECT_EQ(back->amp[0].weiche[367].nod2, 131);
        EXPECT_EQ(back->schallwand[1].swt, 0.35);
        EXPECT_EQ(back->chassis[0].fgangap[3], filePhase(-170.125 + 27.5 * 3));
        EXPECT_EQ(back->chassis[1].Richt.fgangpu[18][4], directionPhase(10.5 * 18 - 12));
        EXPECT_TRUE(back->chassis[0].OriginalTarvelo);
        EXPECT_FALSE(back->chassis[1].OriginalTarvelo);
        EXPECT_EQ(back->chassis[0].pubdate.str(), "24.12.2023");
        EXPECT_EQ(back->einbau[1].Qk, 999);

        const auto a = std::make_unique<TProjekt>(*original);
        normaliseUnstored(*a);
        normaliseUnstored(*back);
        EXPECT_EQ(std::memcmp(a.get(), back.get(), sizeof(TProjekt)), 0)
            << firstDifference(*a, *back);
    }
}

TEST_F(ProjectFile, SixAmplifiersAndThirtyTwoDriversSurviveInBothForms) {
    // Every slot in use, each with values of its own (numbers short enough to be stored exactly).
    auto original = richProject();
    TProjekt& p = *original;
    p.nAmps = kMaxAmps;
    p.nChassis = kMaxChassis;
    for (int a = 0; a < kMaxAmps; ++a) {
        TAmp& amp = p.amp[a];
        if (a > 0) {
            amp.weiche[0] = p.amp[0].weiche[0];
            for (int slot = 1; slot < kPartSlots; ++slot) {
                amp.weiche[slot] = p.amp[0].weiche[slot];
                if (amp.weiche[slot].typ >= kPartResistor && amp.weiche[slot].typ <= kPartCoil) {
                    amp.weiche[slot].value = 0.5 * (a + 1) + slot;
                }
            }
        }
        amp.aktfilter.pegel = 0.25 * (a + 1);
        for (int k = 0; k < kMaxFilters; ++k) {
            TFilter& f = amp.aktfilter.fil[k];
            f.typ = (a + k) % 19;
            f.f = 100.0 * (k + 1) + a;
            f.q = 0.5 + 0.125 * k;
            f.a = 0.5 + a;
            f.t = (k + 1) / 1000.0; // exactly the double its text reads back as
            f.n = 1 + (a + k) % 8;
            f.fch = 50.0 + k;
            f.qch = 0.25 * (a + 1);
            f.bOptimize = (a + k) % 3 == 0;
        }
    }
    for (int d = 0; d < kMaxChassis; ++d) {
        p.chassis[d] = p.chassis[d % 3];
        p.einbau[d] = p.einbau[d % 3];
        p.schallwand[d] = p.schallwand[d % 3];
        p.chassis[d].name.assign(utf8ToLatin1("Chassis Nr. " + std::to_string(d + 1) + " ä"));
        p.chassis[d].fs = 20.0 + d;
        p.chassis[d].Pmax = 10.0 * (d + 1);
        p.einbau[d].Vb = (d + 1) / 1000.0;
        p.schallwand[d].swvert = d / 100.0;
        p.schallwand[d].direction = static_cast<std::int8_t>(d % 6);
    }
    for (const bool compressed : {true, false}) {
        SCOPED_TRACE(compressed ? "compressed" : "plain");
        const std::string file = path(compressed ? "full.LSP" : "full_plain.LSP");
        ScriptedPrompt prompt;
        ASSERT_TRUE(writeProjectFile(p, file, compressed, prompt));
        auto back = defaultProject();
        ASSERT_EQ(readProjectFile(*back, file, compressed, prompt), ProjectReadStatus::Ok);
        EXPECT_TRUE(prompt.messages.empty());
        EXPECT_EQ(back->nAmps, kMaxAmps);
        EXPECT_EQ(back->nChassis, kMaxChassis);
        EXPECT_EQ(back->chassis[31].name.str(), utf8ToLatin1("Chassis Nr. 32 ä"));
        EXPECT_EQ(back->amp[5].aktfilter.fil[11].f, 1205.0);
        const auto a = std::make_unique<TProjekt>(p);
        normaliseUnstored(*a);
        normaliseUnstored(*back);
        EXPECT_EQ(std::memcmp(a.get(), back.get(), sizeof(TProjekt)), 0)
            << firstDifference(*a, *back);
    }
}

TEST_F(ProjectFile, PlainFileHasTheSectionsAndKeysInTheirOrder) {
    auto project = richProject();
    project->nAmps = 2;
    project->nChassis = 2;
    const std::string p = path("layout.LSP");
    ScriptedPrompt prompt;
    ASSERT_TRUE(writeProjectFile(*project, p, false, prompt));
    const std::string text = fileText(p);
    EXPECT_EQ(text.rfind(std::string(kMyIniHeader) + "\r\n#Header\r\nVersion=\t2000\r\n#General\r\n"
                                                     "nAmps=\t2\r\nnChassis=\t2\r\n",
                         0),
              0u);
    // Sections in the order written; none for a third amplifier or driver.
    std::vector<std::string> sections;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.size() > 1 && line[0] == '#' && line[1] != '#') {
            sections.push_back(line.substr(1, line.size() - 2)); // without the CR
        }
    }
    const std::vector<std::string> expected = {
        "Header",     "General", "Option",      "AktFilter1", "Aktfilter1", "AktFilter2",
        "Aktfilter2", "Weiche1", "Weiche2",     "Chassis1",   "Chassis2",   "GemGeh",
        "Einbau1",    "Einbau2", "Schallwand1", "Schallwand2"};
    EXPECT_EQ(sections, expected);

    const std::size_t weiche1 = text.find("#Weiche1\r\n");
    const std::size_t weiche2 = text.find("#Weiche2\r\n");
    const std::string w1 = text.substr(weiche1, weiche2 - weiche1);
    // Occupied grid slots with the keys of their kind; empty grid slots not at all; the free wires
    // always with their nodes; "_bOpti" only when set.
    EXPECT_NE(w1.find("_Part1_typ=\t6\r\n_Part1_verpolt=\t1\r\n"), std::string::npos);
    EXPECT_NE(w1.find("_Part3_typ=\t4\r\n_Part3_bOpti=\t1\r\n_Part3_value=\t" +
                      compactNumberText(kFileNumberWidth, 0.00082) +
                      "\r\n_Part3_bem=\tL1\r\n_Part3_Rvalue=\t0,35\r\n"),
              std::string::npos);
    EXPECT_NE(w1.find("_Part191_typ=\t5\r\n_Part191_verpolt=\t-1\r\n_Part191_chassisnr=\t1\r\n"),
              std::string::npos);
    EXPECT_EQ(w1.find("_Part4_"), std::string::npos);
    EXPECT_EQ(w1.find("_Part2_bOpti"), std::string::npos);
    EXPECT_NE(w1.find("_Part368_typ=\t1\r\n_Part368_nod1=\t5\r\n_Part368_nod2=\t131\r\n"),
              std::string::npos);
    EXPECT_NE(w1.find("_Part375_typ=\t0\r\n_Part375_nod1=\t132\r\n_Part375_nod2=\t0\r\n"),
              std::string::npos);
    EXPECT_EQ(w1.find("_Part376"), std::string::npos);

    const std::size_t chassis1 = text.find("#Chassis1\r\n");
    const std::size_t chassis2 = text.find("#Chassis2\r\n");
    const std::string c1 = text.substr(chassis1, chassis2 - chassis1);
    EXPECT_LT(c1.find("\nfgang_which=\t1\r\n"), c1.find("\nSpecial=\t0\r\n"));
    EXPECT_NE(c1.find("\n_hst=\t   \r\n"), std::string::npos);
    EXPECT_NE(c1.find("\npubdate=\t24.12.2023\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(chassis2, text.find("#GemGeh") - chassis2).find("_hst"),
              std::string::npos);
    EXPECT_NE(text.find("#Schallwand2\r\nbeugl=\t1\r\nbeugr=\t0\r\nbeugo=\t0\r\nbeugu=\t0\r\n"
                        "usegemgeh=\t1\r\ndirection=\t3\r\ndirectionr=\t1\r\na=\t0,2\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("\r\nt=\t0,35\r\n"), std::string::npos);
}

TEST_F(ProjectFile, TwoAmplifiersReadBackResetAmplifiersThreeToSixToTheDefaults) {
    auto project = richProject();
    project->nAmps = 2;
    for (int a = 2; a < kMaxAmps; ++a) {
        project->amp[a].aktfilter.pegel = 3;
        project->amp[a].aktfilter.fil[0].typ = 7;
        setPart(project->amp[a].weiche[10], kPartResistor, 1.5, "x");
    }
    const std::string p = path("two.LSP");
    ScriptedPrompt prompt;
    ASSERT_TRUE(writeProjectFile(*project, p, true, prompt));
    ASSERT_EQ(readProjectFile(*project, p, true, prompt), ProjectReadStatus::Ok);
    const TAktfilter def = defaultAktfilter();
    for (int a = 2; a < kMaxAmps; ++a) {
        EXPECT_EQ(std::memcmp(&project->amp[a].aktfilter, &def, sizeof def), 0) << a;
        EXPECT_EQ(project->amp[a].weiche[10].typ, kPartEmpty);
        EXPECT_EQ(project->amp[a].weiche[10].nod1, 10 / 10 * 11 + 0);
    }
    EXPECT_EQ(project->amp[1].aktfilter.pegel, 1.25);
}

TEST_F(ProjectFile, MissingFileReadsAsDefaultsWithoutMessage) {
    auto project = zeroProject();
    ScriptedPrompt prompt;
    ASSERT_EQ(readProjectFile(*project, path("nothing.LSP"), true, prompt), ProjectReadStatus::Ok);
    EXPECT_TRUE(prompt.messages.empty());
    const TProjekt& p = *project;
    EXPECT_EQ(p.nAmps, 1);
    EXPECT_EQ(p.nChassis, 1);
    EXPECT_TRUE(p.saved);
    EXPECT_EQ(p.fMin, 20);
    EXPECT_EQ(p.fMax, 20000);
    EXPECT_EQ(p.sz, 250);
    EXPECT_EQ(p.freq[0], 20);
    EXPECT_EQ(p.freq[249], 20000);
    EXPECT_EQ(p.freq[250], 0);
    EXPECT_EQ(p.glatt_amp, 0.24);
    EXPECT_EQ(p.glatt_imp, 0.18);
    EXPECT_TRUE(p.comment1.empty());
    EXPECT_EQ(p.comment2.str(), "<d>");
    const TAnzOption option = defaultAnzOption();
    EXPECT_EQ(std::memcmp(&p.option, &option, sizeof option), 0);
    const TAktfilter aktfilter = defaultAktfilter();
    for (int a = 0; a < kMaxAmps; ++a) {
        EXPECT_EQ(std::memcmp(&p.amp[a].aktfilter, &aktfilter, sizeof aktfilter), 0);
        for (int s = 0; s < kPartSlots; ++s) {
            const SlotNodes n = isFreeWireSlot(s) ? SlotNodes{0, 0} : gridSlotNodes(s);
            EXPECT_EQ(p.amp[a].weiche[s].typ, 0);
            EXPECT_EQ(p.amp[a].weiche[s].nod1, n.nod1) << s;
            EXPECT_EQ(p.amp[a].weiche[s].nod2, n.nod2) << s;
        }
    }
    EXPECT_EQ(p.amp[0].weiche[185].nod1, 5);
    EXPECT_EQ(p.amp[0].weiche[185].nod2, 16);
    for (int n = 0; n < kMaxChassis; ++n) {
        const TChassis& c = p.chassis[n];
        EXPECT_EQ(c.Re2, 0.001);
        EXPECT_EQ(c.Le2, 1e-6);
        EXPECT_EQ(c.Re3, 0.001);
        EXPECT_EQ(c.Le3, 1e-6);
        EXPECT_EQ(c.fgang_which, 5);
        EXPECT_EQ(c.Filters, 119);
        EXPECT_EQ(c.pubdate.str(), "01.01.2000");
        EXPECT_FALSE(c.OriginalTarvelo);
    }
    EXPECT_EQ(p.einbau[0].typ, 0);
    EXPECT_EQ(p.einbau[0].Bedv, 2);
    EXPECT_EQ(p.einbau[0].Bedc, 2);
    EXPECT_EQ(p.einbau[0].Bedk, 0);
    EXPECT_EQ(p.einbau[1].Bedv, 0); // beyond nChassis: not read
    EXPECT_TRUE(p.schallwand[0].beugl && p.schallwand[0].beugr && p.schallwand[0].beugo &&
                p.schallwand[0].beugu && p.schallwand[0].usegemgeh);
    EXPECT_EQ(p.schallwand[0].swdr, 0); // version 2000: no old rear-outlet default
    EXPECT_TRUE(p.Gemgeh.beugl && p.Gemgeh.beugo && p.Gemgeh.beugr && p.Gemgeh.beugu);
    EXPECT_EQ(p.Gemgeh.h, 0);
}

TEST_F(ProjectFile, GridSettingsAreRepairedAndOldFilesDeriveTheSmoothing) {
    ScriptedPrompt prompt;
    auto many = readPlain(
        plainFile("many.LSP", "#Header\nVersion=\t2000\n#Option\nsz=\t300\nfMin=\t50\nfMax=\t50"),
        prompt);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0], "Diese Version von Sonora erlaubt nur 256 Frequenzen. Anzahl "
                                  "der Frequenzen wird reduziert.");
    EXPECT_EQ(many->sz, 256);
    EXPECT_EQ(many->freq[255], 20000);
    EXPECT_EQ(many->freq[256], 0);
    EXPECT_EQ(many->fMin, 20); // fMin >= fMax
    EXPECT_EQ(many->glatt_amp, 0.24);

    ScriptedPrompt quiet;
    auto few = readPlain(plainFile("few.LSP", "#Header\nVersion=\t1007\n#Option\nsz=\t3\n"
                                              "fMin=\t10\nfMax=\t10000\nglatt_a=\t0,5"),
                         quiet);
    EXPECT_TRUE(quiet.messages.empty());
    EXPECT_EQ(few->sz, 84);
    // Before 1008 both widths come from the grid: 7 * log10(1000) / 84.
    EXPECT_DOUBLE_EQ(few->glatt_amp, 7.0 * 3.0 / 84.0);
    EXPECT_DOUBLE_EQ(few->glatt_imp, 7.0 * 3.0 / 84.0);

    auto stored = readPlain(plainFile("stored.LSP", "#Header\nVersion=\t1008\n#Option\n"
                                                    "glatt_a=\t0,5\nglatt_i=\t0,25"),
                            quiet);
    EXPECT_EQ(stored->glatt_amp, 0.5);
    EXPECT_EQ(stored->glatt_imp, 0.25);
}

TEST_F(ProjectFile, WrongVersionLeavesTheProjectAsItWas) {
    for (const char* version : {"999", "2001", "0"}) {
        auto project = richProject();
        const auto before = std::make_unique<TProjekt>(*project);
        ScriptedPrompt prompt;
        const std::string p = plainFile("wrong.LSP", std::string("#Header\nVersion=\t") + version +
                                                         "\n#General\nnAmps=\t4");
        EXPECT_EQ(readProjectFile(*project, p, false, prompt), ProjectReadStatus::WrongFormat);
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0], "Datei hat falsches Datenformat.");
        EXPECT_EQ(std::memcmp(project.get(), before.get(), sizeof(TProjekt)), 0) << version;
    }
}

TEST_F(ProjectFile, OldFilterSwitchesFillTheStagesInOrder) {
    ScriptedPrompt prompt;
    auto p = readPlain(plainFile("filters.LSP", "#Header\nVersion=\t1200\n#AktFilter1\n"
                                                "Pegel=\t2\nTP6=\t1\nTP6f=\t3000\nHP121=\t1\n"
                                                "HP121f=\t45\nHP121q=\t0,5\n#AktFilter2\n"
                                                "HP122=\t1\nTP122=\t1\n"),
                       prompt);
    const TAktfilter& a = p->amp[0].aktfilter;
    EXPECT_EQ(a.pegel, 2);
    EXPECT_EQ(a.fil[0].typ, 2);
    EXPECT_EQ(a.fil[0].f, 45);
    EXPECT_EQ(a.fil[0].q, 0.5);
    EXPECT_EQ(a.fil[1].typ, 3);
    EXPECT_EQ(a.fil[1].f, 3000);
    for (int j = 2; j < kMaxFilters; ++j) {
        EXPECT_EQ(a.fil[j].typ, 0) << j;
    }
    const TAktfilter& b = p->amp[1].aktfilter;
    EXPECT_EQ(b.fil[0].typ, 2);
    EXPECT_EQ(b.fil[0].f, 100); // old defaults
    EXPECT_EQ(b.fil[0].q, 0.7);
    EXPECT_EQ(b.fil[1].typ, 4);
    EXPECT_EQ(b.fil[2].typ, 0);

    // From 1201 on the stages have keys of their own and the switches mean nothing.
    auto newer = readPlain(plainFile("filters2.LSP", "#Header\nVersion=\t1201\n#AktFilter1\n"
                                                     "HP6=\t1\n#Aktfilter1\nFil2_typ=\t11\n"
                                                     "Fil2_n=\t4\nFil2_f=\t1,5E3\n"),
                           prompt);
    EXPECT_EQ(newer->amp[0].aktfilter.fil[0].typ, 0);
    EXPECT_EQ(newer->amp[0].aktfilter.fil[1].typ, 11);
    EXPECT_EQ(newer->amp[0].aktfilter.fil[1].n, 4);
    EXPECT_EQ(newer->amp[0].aktfilter.fil[1].f, 1500);
    EXPECT_EQ(newer->amp[0].aktfilter.fil[1].q, 0.707107);
}

TEST_F(ProjectFile, OlderCrossoverNumberingMovesSlots) {
    ScriptedPrompt prompt;
    const std::string body = "#Weiche1\n_Part5_typ=\t1\n_Part95_typ=\t2\n_Part95_value=\t6,8\n"
                             "_Part95_bem=\tR\n_Part180_typ=\t1\n_Part180_nod1=\t7\n"
                             "_Part180_nod2=\t8\n_Part187_typ=\t1\n";
    auto old = readPlain(plainFile("old.LSP", "#Header\nVersion=\t1300\n" + body), prompt);
    const TPart* w = old->amp[0].weiche;
    EXPECT_EQ(w[4].typ, kPartWire);
    EXPECT_EQ(w[184].typ, kPartResistor); // file slot 94
    EXPECT_EQ(w[184].value, 6.8);
    EXPECT_EQ(w[184].bem.str(), "R");
    EXPECT_EQ(w[184].nod1, gridSlotNodes(184).nod1);
    EXPECT_EQ(w[94].typ, kPartEmpty);
    EXPECT_EQ(w[368].typ, kPartWire); // file slot 179 is the second free wire
    EXPECT_EQ(w[368].nod1, 7);
    EXPECT_EQ(w[368].nod2, 8);
    EXPECT_EQ(w[186].typ, kPartEmpty); // file slot 186 lies beyond the old layout

    auto current = readPlain(plainFile("new.LSP", "#Header\nVersion=\t1301\n" + body), prompt);
    EXPECT_EQ(current->amp[0].weiche[94].typ, kPartResistor);
    EXPECT_EQ(current->amp[0].weiche[184].typ, kPartEmpty);
    EXPECT_EQ(current->amp[0].weiche[186].typ, kPartWire);
    EXPECT_EQ(current->amp[0].weiche[179].typ, kPartEmpty); // unused slot
}

TEST_F(ProjectFile, ReadingEmptiesTheCrossoverAndSetsTheDefaultsOfEachKind) {
    auto project = richProject();
    ScriptedPrompt prompt;
    const std::string p = plainFile(
        "kinds.LSP", "#Header\nVersion=\t2000\n#Weiche1\n_Part1_typ=\t3\n_Part2_typ=\t5\n"
                     "_Part2_value=\t9\n_Part2_bem=\tweg\n_Part2_verpolt=\t1\n_Part3_typ=\t0\n"
                     "_Part3_bOpti=\t1\n");
    ASSERT_EQ(readProjectFile(*project, p, false, prompt), ProjectReadStatus::Ok);
    const TPart* w = project->amp[0].weiche;
    EXPECT_EQ(w[0].typ, kPartCapacitor);
    EXPECT_EQ(w[0].value, 1); // "_value" default
    EXPECT_EQ(w[0].verpolt, 0);
    EXPECT_EQ(w[1].typ, kPartDriver);
    EXPECT_EQ(w[1].value, 1); // not read for a driver
    EXPECT_TRUE(w[1].bem.empty());
    EXPECT_EQ(w[1].verpolt, 1);
    EXPECT_EQ(w[2].typ, kPartEmpty);
    EXPECT_TRUE(w[2].bOptimize);  // read for every grid slot
    EXPECT_EQ(w[2].Rvalue, 0.35); // only coils read it: the old value stays
    EXPECT_EQ(w[183].typ, kPartEmpty);
    EXPECT_EQ(w[367].typ, kPartEmpty);
    EXPECT_EQ(w[367].nod1, 0);
}

TEST_F(ProjectFile, OlderDriverAndBaffleConversions) {
    ScriptedPrompt prompt;
    auto v1000 = readPlain(
        plainFile(
            "v1000.LSP",
            "#Header\nVersion=\t1000\n#General\nnChassis=\t2\n#Chassis1\nfgang_which=\t2\n"
            "hintengeschl=\t1\ntyp=\t65537\nFgangAPF=\t100;\t0\nFgangAP=\t0,5;\t0\n"
            "FgangIPF=\t100;\t0\nFgangIP=\t1,5;\t0\n#Chassis2\n#Schallwand1\nMembranform=\t2\n"
            "dr=\t0,08\n#Schallwand2\n"),
        prompt);
    EXPECT_EQ(v1000->chassis[0].fgang_which, 3);  // below 1004: above 1 increased by 1
    EXPECT_EQ(v1000->chassis[1].fgang_which, 4);  // below 1004: default 4
    EXPECT_FALSE(v1000->chassis[0].useFGangA2fs); // opposite of "hintengeschl" below 1200
    EXPECT_TRUE(v1000->chassis[1].useFGangA2fs);
    EXPECT_EQ(v1000->chassis[0].typ, 65537u);    // project files never moved the category bits
    EXPECT_EQ(v1000->chassis[0].membranform, 2); // from "Schallwand" + n up to 1200
    // Below 1004 the phases are radians; the acoustic phase still gets the old shift.
    EXPECT_DOUBLE_EQ(v1000->chassis[0].fgangap[0], 0.5 + 3.1415926 - 6.283185306);
    EXPECT_EQ(v1000->chassis[0].fgangip[0], 1.5);
    EXPECT_FALSE(v1000->schallwand[0].usegemgeh); // version 1000 default
    EXPECT_EQ(v1000->schallwand[0].swdr, 0.08);
    EXPECT_EQ(v1000->schallwand[1].swdr, 0.05); // below 1201 a rear outlet of 0 is 0.05 m

    auto v1005 =
        readPlain(plainFile("v1005.LSP", "#Header\nVersion=\t1005\n#Chassis1\n"
                                         "fgang_which=\t7\nMembranform=\t1\n"
                                         "FgangAPF=\t100;\t200;\t0\nFgangAP=\t90;\t-90;\t0\n"
                                         "#Schallwand1\nMembranform=\t2\n"),
                  prompt);
    EXPECT_EQ(v1005->chassis[0].fgang_which, 4);
    EXPECT_EQ(v1005->chassis[0].membranform, 2);
    EXPECT_TRUE(v1005->schallwand[0].usegemgeh);
    EXPECT_DOUBLE_EQ(v1005->chassis[0].fgangap[0], 90 * 3.1415926 / 180);

    auto v1004 = readPlain(plainFile("v1004.LSP", "#Header\nVersion=\t1004\n#Chassis1\n"
                                                  "FgangAPF=\t100;\t0\nFgangAP=\t90;\t0\n"),
                           prompt);
    // Degrees, then the old shift by 3.1415926 with the wrap above 3.141592653.
    EXPECT_DOUBLE_EQ(v1004->chassis[0].fgangap[0], 90 * 3.1415926 / 180 + 3.1415926 - 6.283185306);

    auto v1201 = readPlain(plainFile("v1201.LSP", "#Header\nVersion=\t1201\n#Chassis1\n"
                                                  "Membranform=\t1\n#Schallwand1\n"
                                                  "Membranform=\t2\n"),
                           prompt);
    EXPECT_EQ(v1201->chassis[0].membranform, 1);
    EXPECT_EQ(v1201->schallwand[0].swdr, 0);
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(ProjectFile, Version1000FitsTheVoiceCoilOfTheDriversInUse) {
    // An impedance curve of a driver with a clear rise above resonance.
    std::string curve = "FgangIF=\t";
    std::string values = "FgangI=\t";
    for (int i = 0; i < 40; ++i) {
        const double f = 20 * std::pow(1.2, i);
        const double z = 6 + 0.002 * f + (std::abs(f - 60) < 20 ? 20 : 0);
        curve += compactNumberText(10, f) + ";\t";
        values += compactNumberText(10, z) + ";\t";
    }
    curve += "0";
    values += "0";
    const std::string driver = "fs=\t60\nQes=\t0,4\nQms=\t4\nRe=\t5,8\nLe=\t0,001\nRe2=\t1\n"
                               "Le2=\t0,001\nRe3=\t1\nLe3=\t0,001\n" +
                               curve + "\n" + values + "\n";
    const std::string body =
        "#General\nnChassis=\t1\n#Chassis1\n" + driver + "#Chassis2\n" + driver;
    ScriptedPrompt prompt;
    auto fitted = readPlain(plainFile("fit.LSP", "#Header\nVersion=\t1000\n" + body), prompt);
    auto kept = readPlain(plainFile("nofit.LSP", "#Header\nVersion=\t1001\n" + body), prompt);
    EXPECT_NE(fitted->chassis[0].Le, 0.001);
    EXPECT_EQ(fitted->chassis[1].Le, 0.001); // beyond nChassis
    EXPECT_EQ(kept->chassis[0].Le, 0.001);
    EXPECT_EQ(kept->chassis[0].Re2, 1);
}

TEST_F(ProjectFile, ExplicitEnclosureValuesAreReadOnlyWhenSwitchedOn) {
    auto project = defaultProject();
    project->einbau[0].vV = 1.2;
    ScriptedPrompt prompt;
    const std::string p =
        plainFile("einbau.LSP", "#Header\nVersion=\t2000\n#Einbau1\nTyp=\t1\nvV=\t1,05\n"
                                "Ql=\t9\nBedv=\t1\n");
    ASSERT_EQ(readProjectFile(*project, p, false, prompt), ProjectReadStatus::Ok);
    EXPECT_EQ(project->einbau[0].typ, 1);
    EXPECT_EQ(project->einbau[0].vV, 1.2);
    EXPECT_EQ(project->einbau[0].Ql, 0);
    EXPECT_EQ(project->einbau[0].Bedv, 1);
    EXPECT_EQ(project->einbau[0].Bedc, 2);

    const std::string q =
        plainFile("einbau2.LSP", "#Header\nVersion=\t2000\n#Einbau1\nmbQExpl=\t1\nvV=\t1,05\n"
                                 "Ql=\t9\n");
    ASSERT_EQ(readProjectFile(*project, q, false, prompt), ProjectReadStatus::Ok);
    EXPECT_EQ(project->einbau[0].vV, 1.05);
    EXPECT_EQ(project->einbau[0].Ql, 9);
    EXPECT_EQ(project->einbau[0].mb, 1); // key missing: its default
}

TEST_F(ProjectFile, HostileValuesAreBounded) {
    ScriptedPrompt prompt;
    std::string colors = "ColorSetChassis=\t";
    for (int i = 0; i < 50; ++i) {
        colors += std::to_string(i + 1) + ";\t";
    }
    colors += "7";
    const std::string body =
        "#Header\nVersion=\t2000\n#General\nnAmps=\t99\nnChassis=\t-5\nComment1=\t" +
        std::string(100, 'x') +
        "\n#Option\nfMin=\t-3\nfMax=\t1e999\ndBMin=\t1E400\nColorSetAmps=\t-1;\t255;\t16777216\n" +
        colors +
        "\n#AktFilter1\nPegel=\t1e999\n#Aktfilter1\nFil1_f=\t-1e999\n#Weiche1\n"
        "_Part1_typ=\t12\n_Part2_typ=\t5\n_Part2_chassisnr=\t77\n_Part2_verpolt=\t70000\n"
        "_Part3_typ=\t2\n_Part3_bem=\t" +
        std::string(30, 'b') +
        "\n_Part368_typ=\t1\n_Part368_nod1=\t999\n_Part368_nod2=\t-4\n"
        "#Einbau1\nBedv=\t300\nBedc=\t-300\nVb=\t1e999\n"
        "#Schallwand1\ndirection=\t17\ndirectionr=\t-2\na=\t-1e999\n";
    auto p = readPlain(plainFile("hostile.LSP", body), prompt);
    EXPECT_EQ(p->nAmps, kMaxAmps);
    EXPECT_EQ(p->nChassis, 1);
    EXPECT_EQ(p->comment1.size(), 64u);
    EXPECT_EQ(p->fMin, 20);
    EXPECT_EQ(p->fMax, 20000);
    EXPECT_EQ(p->option.dBmin, 40);
    const TAnzOption def = defaultAnzOption();
    EXPECT_EQ(p->option.ColorSetAmps[0], 0u); // -1 has a non-zero top byte
    EXPECT_EQ(p->option.ColorSetAmps[1], 255u);
    EXPECT_EQ(p->option.ColorSetAmps[2], 0u); // 0x01000000
    EXPECT_EQ(p->option.ColorSetAmps[3], def.ColorSetAmps[3]);
    EXPECT_EQ(p->option.ColorSetChassis[32], 33u); // at most 33 entries are taken
    EXPECT_EQ(p->option.ColorSetChassis[33], def.ColorSetChassis[33]);
    EXPECT_EQ(p->amp[0].aktfilter.pegel, 1);
    EXPECT_EQ(p->amp[0].aktfilter.fil[0].f, 1000);
    const TPart* w = p->amp[0].weiche;
    EXPECT_EQ(w[0].typ, kPartEmpty);
    EXPECT_EQ(w[1].typ, kPartDriver);
    EXPECT_EQ(w[1].chassisnr, 0);
    EXPECT_EQ(w[1].verpolt, 32767);
    EXPECT_EQ(w[2].bem.size(), 16u);
    EXPECT_EQ(w[367].typ, kPartWire); // "_Part368" is the first free wire
    EXPECT_EQ(w[367].nod1, kGridNodes);
    EXPECT_EQ(w[367].nod2, 0);
    EXPECT_EQ(p->einbau[0].Bedv, 127);
    EXPECT_EQ(p->einbau[0].Bedc, -128);
    EXPECT_EQ(p->einbau[0].Vb, 0);
    EXPECT_EQ(p->schallwand[0].direction, 0);
    EXPECT_EQ(p->schallwand[0].directionr, 0);
    EXPECT_EQ(p->schallwand[0].swa, 0);
}

TEST_F(ProjectFile, SignatureDecidesWhatTheMainWindowOpens) {
    auto project = richProject();
    ScriptedPrompt prompt;
    const std::string compressed = path("c.LSP");
    const std::string plain = path("p.LSP");
    ASSERT_TRUE(writeProjectFile(*project, compressed, true, prompt));
    ASSERT_TRUE(writeProjectFile(*project, plain, false, prompt));

    std::vector<std::uint8_t> head(kCompandMarker, kCompandMarker + 8);
    EXPECT_TRUE(hasProjectFileSignature(head));
    head.pop_back();
    EXPECT_FALSE(hasProjectFileSignature(head));
    {
        TMyIniFile scrambled("", false, false, true, false);
        scrambled.bAllowchanges = false;
        std::vector<std::uint8_t> image = scrambled.fileImage();
        ASSERT_GE(image.size(), 8u);
        image.resize(8);
        EXPECT_TRUE(hasProjectFileSignature(image));
        image[1] = 36; // the older header variant, whatever its text
        EXPECT_TRUE(hasProjectFileSignature(image));
        std::fill(image.begin() + 2, image.end(), std::uint8_t{'x'});
        EXPECT_TRUE(hasProjectFileSignature(image));
        image[1] = 30; // the current length needs the current header's start
        EXPECT_FALSE(hasProjectFileSignature(image));
        image[1] = 35;
        EXPECT_FALSE(hasProjectFileSignature(image));
    }
    const std::string plainText = fileText(plain);
    EXPECT_FALSE(hasProjectFileSignature({plainText.begin(), plainText.begin() + 8}));

    auto opened = defaultProject();
    EXPECT_EQ(openProjectFile(*opened, compressed, path(""), prompt, fitVoiceCoilOfOldFile),
              ProjectOpenStatus::Opened);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(opened->nChassis, 3);
    // The derived values of the drivers in use are recomputed after reading, as every opener does.
    recomputeDerivedDriverValues(*opened);
    auto expected = std::make_unique<TProjekt>(*opened);
    for (int n = 0; n < 3; ++n) {
        expected->chassis[n].Qts = 0;
    }
    recomputeDerivedDriverValues(*expected);
    EXPECT_GT(opened->chassis[1].Qts, 0);
    EXPECT_EQ(opened->chassis[1].Qts, expected->chassis[1].Qts);
    EXPECT_EQ(opened->chassis[3].Qts, 0); // not in use

    auto refused = richProject();
    EXPECT_EQ(openProjectFile(*refused, plain, path(""), prompt, fitVoiceCoilOfOldFile),
              ProjectOpenStatus::NotAProjectFile);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0],
              plain + "\r" +
                  utf8ToLatin1("ist keine gültige Projektdatei dieser Version von Sonora."));
    EXPECT_EQ(refused->nAmps, 1);
    EXPECT_EQ(refused->nChassis, 1);
    EXPECT_TRUE(refused->chassis[0].name.empty());
}

TEST_F(ProjectFile, DefaultProjectReadsAnUnusedTemporaryName) {
    const std::string folder = path("") + "/";
    std::ofstream(path("temp900.tmp")) << "someone else's";
    auto project = richProject();
    ScriptedPrompt prompt;
    makeDefaultProject(*project, folder, prompt);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_TRUE(fs::exists(path("temp900.tmp"))); // not ours: kept
    EXPECT_FALSE(fs::exists(path("temp901.tmp")));
    EXPECT_EQ(project->nAmps, 1);
    EXPECT_EQ(project->sz, 250);
    EXPECT_EQ(project->header, 0);
    EXPECT_TRUE(project->schallwand[31].usegemgeh);
    EXPECT_EQ(project->einbau[31].Bedv, 2);
    EXPECT_EQ(std::memcmp(&project->chassis[31], &project->chassis[0], sizeof(TChassis)), 0);
    EXPECT_EQ(project->chassis[0].Re2, 0.001);
}

TEST(ProjectSaveName, AppendsTheExtensionUnlessPresent) {
    EXPECT_EQ(projectSaveName("/p/box"), "/p/box.LSP");
    EXPECT_EQ(projectSaveName("/p/box.lsp"), "/p/box.lsp");
    EXPECT_EQ(projectSaveName("/p/box.LsP"), "/p/box.LsP");
    EXPECT_EQ(projectSaveName("/p/box.txt"), "/p/box.txt.LSP");
    EXPECT_EQ(projectSaveName("a.ls"), "");
    EXPECT_EQ(projectSaveName("abcde"), "abcde.LSP");
}

TEST_F(ProjectFile, CabinetDescriptionHoldsTheReducedProject) {
    auto project = richProject();
    project->nChassis = 2;
    std::string error;
    const std::string first = writeCabinetDescription(*project, dir.string(), error);
    ASSERT_EQ(first, path("Sonoragehäuse1000.tmp")) << error;
    const std::string second = writeCabinetDescription(*project, dir.string() + "/", error);
    EXPECT_EQ(second, path("Sonoragehäuse1001.tmp"));

    const std::string text = fileText(first);
    EXPECT_EQ(text.rfind("[Header]\nVersion=2000\n[General]\nnChassis=2\n"
                         "Comment1=Prüfstand für Größe\nComment2=Zweiwege <d>\n[GemGeh]\nh=1\n"
                         "b=0.25\nt=0.3\nfasl=0.01\nfasr=0.02\nfaso=0.03\nfasu=0.04\nbeugl=1\n"
                         "beugo=0\nbeugr=1\nbeugu=1\n[Chassis1]\nName=Hochtöner Ä0\n",
                         0),
              0u);
    EXPECT_NE(text.find("[Chassis2]\nName=Hochtöner Ä1\nKommentar=Gewebekalotte, größer als "
                        "üblich\nhintengeschl=0\nAmem=0.00075\n_Da=104\n_Etiefe=0.03\n"
                        "_Ausschn=0.075\n_Gewicht=0.5\npubdate=24.12.2023\n"
                        "OrgFilename=/daten/Chassis/Kalotte Ü.LSC\n[Einbau1]\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Einbau2]\nTyp=2\nVb=0.03\nVbf=0\n[Schallwand1]\nusegemgeh=0\n"
                        "direction=2\ndirectionr=0\na=0.2\nb=0.1\nc=0.15\nt=0.35\n"),
              std::string::npos);
    EXPECT_NE(text.find("vertr=-0.3\nstrar=-0.2\n"), std::string::npos);
    EXPECT_EQ(text.find("[Chassis3]"), std::string::npos);
    EXPECT_EQ(text.find("beugl=1\nbeugr"), std::string::npos); // no baffle edges

    EXPECT_EQ(writeCabinetDescription(*project, path("missing/folder"), error), "");
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace sonora
