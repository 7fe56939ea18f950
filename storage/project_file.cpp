#include "storage/project_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

#include "model/colors.h"
#include "model/crossover_grid.h"
#include "model/frequency_grid.h"
#include "model/record_defaults.h"
#include "storage/chassis_keys.h"
#include "storage/compand.h"
#include "storage/file_io.h"
#include "storage/ini_read.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"

namespace sonora {

namespace {

// Versions at which the layout of a project file changed.
constexpr int kVersionSmoothingStored = 1008;   // below: glatt_amp/glatt_imp derived from the grid
constexpr int kVersionFilterStages = 1200;      // up to: the old six filter switches
constexpr int kVersionRearOutletDefault = 1201; // below: "dr" 0 means 0.05 m
constexpr int kVersionGrid132 = 1300;           // up to: the older crossover numbering
constexpr int kVersionNoSharedCabinet = 1000;   // "usegemgeh" defaults to false
constexpr int kVersionVoiceCoilFit = 1000;      // voice-coil values fitted after reading

constexpr int kGridPointsShortFile = 84;    // what a stored sz below 6 becomes
constexpr double kOldRearOutlet = 0.05;     // m, rear outlet of files before 1201
constexpr double kOldFilterFrequency = 100; // Hz, old filter switches
constexpr double kOldFilterQ = 0.7;

// Old filter switches: key, filter kind, whether it has a quality.
struct OldFilterSwitch {
    const char* key;
    std::int32_t kind;
    bool hasQ;
};
constexpr OldFilterSwitch kOldFilterSwitches[] = {
    {"HP6", 1, false}, {"HP121", 2, true}, {"HP122", 2, true},
    {"TP6", 3, false}, {"TP121", 4, true}, {"TP122", 4, true},
};

// Crossover slot ranges.
constexpr int kLastHorizontalSlot = 119;
constexpr int kLastVerticalSlot = 300;
constexpr int kOldFileHorizontalEnd = 90; // old file slots 0..89 stay
constexpr int kOldFileVerticalEnd = 178;  // old file slots 90..177 go to 180..267
constexpr int kOldFileFreeWireEnd = 186;  // old file slots 178..185 are the free wires
constexpr int kMaxPartTyp = kPartAmplifier;

constexpr int kStoredChassisColors = 33; // entry 33 of ColorSetChassis is not stored

constexpr int kFirstTempProject = 900;   // "temp" + k + ".tmp" of a new project
constexpr int kFirstCabinetFile = 1000;  // "Sonoragehäuse" + k + ".tmp"
constexpr int kMaxNameAttempts = 100000; // bound of the search for an unused name
constexpr std::size_t kSignatureBytes = 8;

// Display option defaults are those of the record; the keys' defaults repeat them.
const TAnzOption& optionDefaults() {
    static const TAnzOption o = defaultAnzOption();
    return o;
}

std::string num(int n) {
    return std::to_string(n);
}

template <class T> T clampToType(std::int32_t v) {
    return static_cast<T>(
        std::clamp<std::int32_t>(v, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

// An integer that must lie in lo..hi; anything else gives `def`.
std::int32_t readInSet(TMyIniFile& ini, const std::string& section, const std::string& key,
                       std::int32_t def, std::int32_t lo, std::int32_t hi) {
    const std::int32_t v = ini.ReadInteger(section, key, def);
    return v >= lo && v <= hi ? v : def;
}

std::string partKey(int slot, const char* field) {
    return "_Part" + num(slot + 1) + field;
}

std::string filterKey(int stage, const char* field) {
    return "Fil" + num(stage + 1) + field;
}

bool isGridSlot(int slot) {
    return (slot >= 0 && slot <= kLastHorizontalSlot) ||
           (slot >= kVerticalSlotBase && slot <= kLastVerticalSlot);
}

// ---- writing ----

void writeGeneral(TMyIniFile& ini, const TProjekt& p) {
    ini.WriteInteger("Header", "Version", kProjectVersion);
    ini.WriteInteger("General", "nAmps", p.nAmps);
    ini.WriteInteger("General", "nChassis", p.nChassis);
    ini.WriteString("General", "Comment1", p.comment1.str());
    ini.WriteString("General", "Comment2", p.comment2.str());
    ini.WriteFloat("Option", "fMin", p.fMin);
    ini.WriteFloat("Option", "fMax", p.fMax);
    ini.WriteInteger("Option", "sz", p.sz);
    ini.WriteFloat("Option", "glatt_a", p.glatt_amp);
    ini.WriteFloat("Option", "glatt_i", p.glatt_imp);
    writeDisplayOptionKeys(ini, "Option", p.option);
}

void writeAktfilter(TMyIniFile& ini, const TAktfilter& a, int amp) {
    const std::string level = "AktFilter" + num(amp + 1);
    ini.WriteFloat(level, "Pegel", a.pegel);
    ini.WriteBool(level, "bOptiPeg", a.bOptiPeg);
    const std::string stages = "Aktfilter" + num(amp + 1);
    for (int j = 0; j < kMaxFilters; ++j) {
        const TFilter& f = a.fil[j];
        ini.WriteInteger(stages, filterKey(j, "_typ"), f.typ);
        ini.WriteBool(stages, filterKey(j, "_bOpti"), f.bOptimize);
        ini.WriteFloat(stages, filterKey(j, "_f"), f.f);
        ini.WriteFloat(stages, filterKey(j, "_Q"), f.q);
        ini.WriteFloat(stages, filterKey(j, "_A"), f.a);
        ini.WriteFloat(stages, filterKey(j, "_t"), f.t);
        ini.WriteInteger(stages, filterKey(j, "_n"), f.n);
        ini.WriteFloat(stages, filterKey(j, "_fch"), f.fch);
        ini.WriteFloat(stages, filterKey(j, "_Qch"), f.qch);
    }
}

void writeWeiche(TMyIniFile& ini, const TPart (&weiche)[kPartSlots], int amp) {
    const std::string section = "Weiche" + num(amp + 1);
    for (int s = 0; s < kUsedPartSlots; ++s) {
        const TPart& part = weiche[s];
        if (isFreeWireSlot(s)) {
            ini.WriteInteger(section, partKey(s, "_typ"), part.typ);
            ini.WriteInteger(section, partKey(s, "_nod1"), part.nod1);
            ini.WriteInteger(section, partKey(s, "_nod2"), part.nod2);
            continue;
        }
        if (!isGridSlot(s) || part.typ < kPartWire) {
            continue;
        }
        ini.WriteInteger(section, partKey(s, "_typ"), part.typ);
        if (part.bOptimize) {
            ini.WriteBool(section, partKey(s, "_bOpti"), true);
        }
        if (part.typ >= kPartDriver) {
            ini.WriteInteger(section, partKey(s, "_verpolt"), part.verpolt);
        }
        if (part.typ == kPartDriver) {
            ini.WriteInteger(section, partKey(s, "_chassisnr"), part.chassisnr);
        }
        if (part.typ >= kPartResistor && part.typ <= kPartCoil) {
            ini.WriteFloat(section, partKey(s, "_value"), part.value);
            ini.WriteString(section, partKey(s, "_bem"), part.bem.str());
        }
        if (part.typ == kPartCoil) {
            ini.WriteFloat(section, partKey(s, "_Rvalue"), part.Rvalue);
        }
    }
}

void writeChassis(TMyIniFile& ini, const TChassis& c, int n) {
    ChassisKeyOptions options;
    options.layout = ChassisKeyLayout::ProjectFile;
    writeChassisKeys(ini, "Chassis" + num(n + 1), c, c.OriginalTarvelo ? kMakerTarvelo : "",
                     c.pubdate.str(), options);
}

void writeGemGeh(TMyIniFile& ini, const TGemGeh& g) {
    const std::string s = "GemGeh";
    ini.WriteFloat(s, "h", g.h);
    ini.WriteFloat(s, "b", g.b);
    ini.WriteFloat(s, "t", g.t);
    ini.WriteFloat(s, "fasl", g.fasl);
    ini.WriteFloat(s, "fasr", g.fasr);
    ini.WriteFloat(s, "faso", g.faso);
    ini.WriteFloat(s, "fasu", g.fasu);
    ini.WriteBool(s, "beugl", g.beugl);
    ini.WriteBool(s, "beugo", g.beugo);
    ini.WriteBool(s, "beugr", g.beugr);
    ini.WriteBool(s, "beugu", g.beugu);
}

void writeEinbau(TMyIniFile& ini, const TEinbau& e, int n) {
    const std::string s = "Einbau" + num(n + 1);
    ini.WriteInteger(s, "Typ", e.typ);
    ini.WriteFloat(s, "Vb", e.Vb);
    ini.WriteFloat(s, "fb", e.fb);
    ini.WriteFloat(s, "Vbf", e.Vbf);
    ini.WriteFloat(s, "fbf", e.fbf);
    ini.WriteBool(s, "mbQExpl", e.mbQExpl);
    ini.WriteFloat(s, "vV", e.vV);
    ini.WriteFloat(s, "mb", e.mb);
    ini.WriteFloat(s, "fmb", e.fmb);
    ini.WriteFloat(s, "Ql", e.Ql);
    ini.WriteFloat(s, "Qb", e.Qb);
    ini.WriteFloat(s, "vVf", e.vVf);
    ini.WriteFloat(s, "Qbf", e.Qbf);
    ini.WriteFloat(s, "Qk", e.Qk);
    ini.WriteFloat(s, "Qkf", e.Qkf);
    ini.WriteInteger(s, "Bedv", e.Bedv);
    ini.WriteInteger(s, "Bedc", e.Bedc);
    ini.WriteInteger(s, "Bedk", e.Bedk);
    ini.WriteInteger(s, "Bedvf", e.Bedvf);
    ini.WriteInteger(s, "Bedkf", e.Bedkf);
}

// Baffle dimensions and positions: key and field, in the order written.
struct BaffleFloat {
    const char* key;
    double TSchallwand::*field;
};
constexpr BaffleFloat kBaffleFloats[] = {
    {"a", &TSchallwand::swa},         {"b", &TSchallwand::swb},
    {"c", &TSchallwand::swc},         {"t", &TSchallwand::swt},
    {"d", &TSchallwand::swd},         {"dr", &TSchallwand::swdr},
    {"e", &TSchallwand::swe},         {"f", &TSchallwand::swf},
    {"g", &TSchallwand::swg},         {"h", &TSchallwand::swh},
    {"i", &TSchallwand::swi},         {"hor", &TSchallwand::swhor},
    {"vert", &TSchallwand::swvert},   {"stra", &TSchallwand::swstra},
    {"horr", &TSchallwand::swhorr},   {"vertr", &TSchallwand::swvertr},
    {"strar", &TSchallwand::swstrar},
};

void writeSchallwand(TMyIniFile& ini, const TSchallwand& w, int n) {
    const std::string s = "Schallwand" + num(n + 1);
    ini.WriteBool(s, "beugl", w.beugl);
    ini.WriteBool(s, "beugr", w.beugr);
    ini.WriteBool(s, "beugo", w.beugo);
    ini.WriteBool(s, "beugu", w.beugu);
    ini.WriteBool(s, "usegemgeh", w.usegemgeh);
    ini.WriteInteger(s, "direction", w.direction);
    ini.WriteInteger(s, "directionr", w.directionr);
    for (const BaffleFloat& f : kBaffleFloats) {
        ini.WriteFloat(s, f.key, w.*f.field);
    }
}

// ---- reading ----

void readOption(TMyIniFile& ini, TProjekt& p, int version, UserPrompt& prompt) {
    p.fMin = readFiniteFloat(ini, "Option", "fMin", kDefaultFMin);
    p.fMax = readFiniteFloat(ini, "Option", "fMax", kDefaultFMax);
    // A grid must rise from a positive frequency; a non-positive fMin would make it NaN.
    if (p.fMin >= p.fMax || p.fMin <= 0) {
        p.fMin = kDefaultFMin;
        p.fMax = kDefaultFMax;
    }
    p.sz = ini.ReadInteger("Option", "sz", kDefaultGridPoints);
    if (p.sz < kMinGridPoints) {
        p.sz = kGridPointsShortFile;
    } else if (p.sz > kMaxGridPoints) {
        prompt.showMessage("Diese Version von Sonora erlaubt nur " + num(kMaxGridPoints) +
                           " Frequenzen. Anzahl der Frequenzen wird reduziert.");
        p.sz = kMaxGridPoints;
    }
    p.glatt_amp = readFiniteFloat(ini, "Option", "glatt_a", kDefaultGlattAmp);
    p.glatt_imp = readFiniteFloat(ini, "Option", "glatt_i", kDefaultGlattImp);
    readDisplayOptionKeys(ini, "Option", p.option);
    if (version < kVersionSmoothingStored) {
        p.glatt_amp = gridSmoothingWidth(p.fMin, p.fMax, p.sz);
        p.glatt_imp = p.glatt_amp;
    }
    BuildFrequencyGrid(p);
}

void readAktfilter(TMyIniFile& ini, TAktfilter& a, int amp, int version) {
    const std::string level = "AktFilter" + num(amp + 1);
    a.pegel = readFiniteFloat(ini, level, "Pegel", 1.0);
    a.bOptiPeg = ini.ReadBool(level, "bOptiPeg", false);
    if (version > kVersionFilterStages) {
        const std::string stages = "Aktfilter" + num(amp + 1);
        const TFilter d = defaultFilter();
        for (int j = 0; j < kMaxFilters; ++j) {
            TFilter& f = a.fil[j];
            f.typ = ini.ReadInteger(stages, filterKey(j, "_typ"), d.typ);
            f.bOptimize = ini.ReadBool(stages, filterKey(j, "_bOpti"), false);
            f.f = readFiniteFloat(ini, stages, filterKey(j, "_f"), d.f);
            f.q = readFiniteFloat(ini, stages, filterKey(j, "_Q"), d.q);
            f.a = readFiniteFloat(ini, stages, filterKey(j, "_A"), d.a);
            f.t = readFiniteFloat(ini, stages, filterKey(j, "_t"), d.t);
            f.n = ini.ReadInteger(stages, filterKey(j, "_n"), d.n);
            f.fch = readFiniteFloat(ini, stages, filterKey(j, "_fch"), d.fch);
            f.qch = readFiniteFloat(ini, stages, filterKey(j, "_Qch"), d.qch);
        }
        return;
    }
    // The old layout: six switches in the level section, each filling the next free stage.
    for (TFilter& f : a.fil) {
        f.typ = 0;
    }
    int next = 0;
    for (const OldFilterSwitch& sw : kOldFilterSwitches) {
        if (!ini.ReadBool(level, sw.key, false)) {
            continue;
        }
        TFilter& f = a.fil[next++];
        f.typ = sw.kind;
        f.f = readFiniteFloat(ini, level, std::string(sw.key) + "f", kOldFilterFrequency);
        if (sw.hasQ) {
            f.q = readFiniteFloat(ini, level, std::string(sw.key) + "q", kOldFilterQ);
        }
    }
}

std::int16_t readPartTyp(TMyIniFile& ini, const std::string& section, const std::string& key) {
    return static_cast<std::int16_t>(
        readInSet(ini, section, key, kPartEmpty, kPartEmpty, kMaxPartTyp));
}

void readGridSlot(TMyIniFile& ini, const std::string& section, int fileSlot, TPart& part) {
    part.typ = readPartTyp(ini, section, partKey(fileSlot, "_typ"));
    part.bOptimize = ini.ReadBool(section, partKey(fileSlot, "_bOpti"), false);
    part.verpolt =
        part.typ >= kPartDriver
            ? clampToType<std::int16_t>(ini.ReadInteger(section, partKey(fileSlot, "_verpolt"), 0))
            : std::int16_t{0};
    part.chassisnr =
        part.typ == kPartDriver
            ? static_cast<std::int16_t>(
                  readInSet(ini, section, partKey(fileSlot, "_chassisnr"), 0, 0, kMaxChassis - 1))
            : std::int16_t{0};
    if (part.typ >= kPartResistor && part.typ <= kPartCoil) {
        part.value = readFiniteFloat(ini, section, partKey(fileSlot, "_value"), 1.0);
        part.bem.assign(ini.ReadString(section, partKey(fileSlot, "_bem"), ""));
    } else {
        part.value = 1.0;
        part.bem.assign(""); // not clear(): that hands memcpy a null pointer
    }
    if (part.typ == kPartCoil) {
        part.Rvalue = readFiniteFloat(ini, section, partKey(fileSlot, "_Rvalue"), 0.0);
    }
}

void readFreeWire(TMyIniFile& ini, const std::string& section, int fileSlot, TPart& part) {
    part.typ = readPartTyp(ini, section, partKey(fileSlot, "_typ"));
    part.nod1 =
        std::clamp(ini.ReadInteger(section, partKey(fileSlot, "_nod1"), part.nod1), 0, kGridNodes);
    part.nod2 =
        std::clamp(ini.ReadInteger(section, partKey(fileSlot, "_nod2"), part.nod2), 0, kGridNodes);
}

void readWeiche(TMyIniFile& ini, TPart (&weiche)[kPartSlots], int amp, int version) {
    for (int s = 0; s < kUsedPartSlots; ++s) {
        weiche[s].typ = kPartEmpty;
        const SlotNodes n = gridSlotNodes(s); // {0, 0} outside the grid
        weiche[s].nod1 = n.nod1;
        weiche[s].nod2 = n.nod2;
    }
    const std::string section = "Weiche" + num(amp + 1);
    if (version > kVersionGrid132) {
        for (int s = 0; s < kUsedPartSlots; ++s) {
            if (isGridSlot(s)) {
                readGridSlot(ini, section, s, weiche[s]);
            } else if (isFreeWireSlot(s)) {
                readFreeWire(ini, section, s, weiche[s]);
            }
        }
        return;
    }
    // The older numbering of a smaller grid: its horizontal slots keep their numbers, its
    // vertical slots start at 180 and its free wires at 367.
    for (int f = 0; f < kOldFileFreeWireEnd; ++f) {
        if (f < kOldFileHorizontalEnd) {
            readGridSlot(ini, section, f, weiche[f]);
        } else if (f < kOldFileVerticalEnd) {
            readGridSlot(ini, section, f, weiche[f - kOldFileHorizontalEnd + kVerticalSlotBase]);
        } else {
            readFreeWire(ini, section, f, weiche[f - kOldFileVerticalEnd + kFirstFreeWireSlot]);
        }
    }
}

void readChassis(TMyIniFile& ini, TProjekt& p, int version, OldFileVoiceCoilFit fit) {
    for (int n = 0; n < kMaxChassis; ++n) {
        ChassisKeyOptions options;
        options.layout = ChassisKeyLayout::ProjectFile;
        options.membranformSection = "Schallwand" + num(n + 1);
        TChassis& c = p.chassis[n];
        readChassisKeys(ini, "Chassis" + num(n + 1), version, c, options);
        if (version == kVersionVoiceCoilFit && n < p.nChassis && fit != nullptr) {
            fit(c); // drivers without usable values keep what was read
        }
    }
}

void readGemGeh(TMyIniFile& ini, TGemGeh& g) {
    const std::string s = "GemGeh";
    g.h = readFiniteFloat(ini, s, "h", 0);
    g.b = readFiniteFloat(ini, s, "b", 0);
    g.t = readFiniteFloat(ini, s, "t", 0);
    g.fasl = readFiniteFloat(ini, s, "fasl", 0);
    g.fasr = readFiniteFloat(ini, s, "fasr", 0);
    g.faso = readFiniteFloat(ini, s, "faso", 0);
    g.fasu = readFiniteFloat(ini, s, "fasu", 0);
    g.beugl = ini.ReadBool(s, "beugl", true);
    g.beugo = ini.ReadBool(s, "beugo", true);
    g.beugr = ini.ReadBool(s, "beugr", true);
    g.beugu = ini.ReadBool(s, "beugu", true);
}

void readEinbau(TMyIniFile& ini, TEinbau& e, int n) {
    const std::string s = "Einbau" + num(n + 1);
    const TEinbau d = defaultEinbau();
    e.typ = ini.ReadInteger(s, "Typ", d.typ);
    e.Vb = readFiniteFloat(ini, s, "Vb", d.Vb);
    e.fb = readFiniteFloat(ini, s, "fb", d.fb);
    e.Vbf = readFiniteFloat(ini, s, "Vbf", d.Vbf);
    e.fbf = readFiniteFloat(ini, s, "fbf", d.fbf);
    e.mbQExpl = ini.ReadBool(s, "mbQExpl", false);
    if (e.mbQExpl) {
        e.vV = readFiniteFloat(ini, s, "vV", d.vV);
        e.mb = readFiniteFloat(ini, s, "mb", d.mb);
        e.fmb = readFiniteFloat(ini, s, "fmb", d.fmb);
        e.Ql = readFiniteFloat(ini, s, "Ql", d.Ql);
        e.Qb = readFiniteFloat(ini, s, "Qb", d.Qb);
        e.vVf = readFiniteFloat(ini, s, "vVf", d.vVf);
        e.Qbf = readFiniteFloat(ini, s, "Qbf", d.Qbf);
        e.Qk = readFiniteFloat(ini, s, "Qk", d.Qk);
        e.Qkf = readFiniteFloat(ini, s, "Qkf", d.Qkf);
    }
    e.Bedv = clampToType<std::int8_t>(ini.ReadInteger(s, "Bedv", d.Bedv));
    e.Bedc = clampToType<std::int8_t>(ini.ReadInteger(s, "Bedc", d.Bedc));
    e.Bedk = clampToType<std::int8_t>(ini.ReadInteger(s, "Bedk", d.Bedk));
    e.Bedvf = clampToType<std::int8_t>(ini.ReadInteger(s, "Bedvf", d.Bedvf));
    e.Bedkf = clampToType<std::int8_t>(ini.ReadInteger(s, "Bedkf", d.Bedkf));
}

constexpr std::int32_t kLastDirection = 5;  // "nach unten"
constexpr std::int32_t kLastDirectionR = 1; // "entgegengesetzt von Chassis"

void readSchallwand(TMyIniFile& ini, TSchallwand& w, int n, int version) {
    const std::string s = "Schallwand" + num(n + 1);
    w.beugl = ini.ReadBool(s, "beugl", true);
    w.beugr = ini.ReadBool(s, "beugr", true);
    w.beugo = ini.ReadBool(s, "beugo", true);
    w.beugu = ini.ReadBool(s, "beugu", true);
    w.usegemgeh = ini.ReadBool(s, "usegemgeh", version != kVersionNoSharedCabinet);
    w.direction = static_cast<std::int8_t>(readInSet(ini, s, "direction", 0, 0, kLastDirection));
    w.directionr = static_cast<std::int8_t>(readInSet(ini, s, "directionr", 0, 0, kLastDirectionR));
    for (const BaffleFloat& f : kBaffleFloats) {
        w.*f.field = readFiniteFloat(ini, s, f.key, 0.0);
    }
    if (version < kVersionRearOutletDefault && w.swdr == 0) {
        w.swdr = kOldRearOutlet;
    }
}

// ---- cabinet description ----

class PlainIniText {
public:
    void section(const std::string& name) { text_ += "[" + name + "]\n"; }
    void value(const std::string& key, const std::string& v) { text_ += key + "=" + v + "\n"; }
    void text(const std::string& key, std::string_view latin1) { value(key, latin1ToUtf8(latin1)); }
    void integer(const std::string& key, long long v) { value(key, std::to_string(v)); }
    void boolean(const std::string& key, bool v) { value(key, v ? "1" : "0"); }
    void number(const std::string& key, double v) {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        value(key, std::string(buf, r.ptr));
    }
    std::vector<std::uint8_t> bytes() const { return {text_.begin(), text_.end()}; }

private:
    std::string text_;
};

} // namespace

void writeDisplayOptionKeys(TMyIniFile& ini, const std::string& section, const TAnzOption& o) {
    std::int32_t colors[kChassisColors];
    for (int i = 0; i < kAmpColors; ++i) {
        colors[i] = static_cast<std::int32_t>(o.ColorSetAmps[i]);
    }
    ini.WriteIntArray(section, "ColorSetAmps", colors, 0, kAmpColors);
    for (int i = 0; i < kStoredChassisColors; ++i) {
        colors[i] = static_cast<std::int32_t>(o.ColorSetChassis[i]);
    }
    ini.WriteIntArray(section, "ColorSetChassis", colors, 0, kStoredChassisColors);
    for (int i = 0; i < kDirectionColors; ++i) {
        colors[i] = static_cast<std::int32_t>(o.ColorSetRichtungen[i]);
    }
    ini.WriteIntArray(section, "ColorSetRichtungen", colors, 0, kDirectionColors);
    ini.WriteFloat(section, "dBMin", o.dBmin);
    ini.WriteFloat(section, "dBMax", o.dBmax);
    ini.WriteFloat(section, "AfMin", o.Afmin);
    ini.WriteFloat(section, "AfMax", o.Afmax);
    ini.WriteFloat(section, "ImpMax", o.ImpMax);
    ini.WriteInteger(section, "GThickness", o.GraphsThickness);
}

void readDisplayOptionKeys(TMyIniFile& ini, const std::string& section, TAnzOption& o) {
    const TAnzOption& d = optionDefaults();
    std::int32_t colors[kChassisColors];
    auto readColors = [&](const char* key, const TColor* defaults, TColor* target, int count) {
        for (int i = 0; i < count; ++i) {
            colors[i] = static_cast<std::int32_t>(defaults[i]);
        }
        ini.ReadIntArray(section, key, colors, 0, count);
        for (int i = 0; i < count; ++i) {
            target[i] = static_cast<TColor>(colors[i]);
        }
    };
    readColors("ColorSetAmps", d.ColorSetAmps, o.ColorSetAmps, kAmpColors);
    o.ColorSetChassis[kChassisColors - 1] = d.ColorSetChassis[kChassisColors - 1];
    readColors("ColorSetChassis", d.ColorSetChassis, o.ColorSetChassis, kStoredChassisColors);
    readColors("ColorSetRichtungen", d.ColorSetRichtungen, o.ColorSetRichtungen, kDirectionColors);
    sanitizeColors(o);
    o.dBmin = readFiniteFloat(ini, section, "dBMin", d.dBmin);
    o.dBmax = readFiniteFloat(ini, section, "dBMax", d.dBmax);
    o.Afmin = readFiniteFloat(ini, section, "AfMin", d.Afmin);
    o.Afmax = readFiniteFloat(ini, section, "AfMax", d.Afmax);
    o.ImpMax = readFiniteFloat(ini, section, "ImpMax", d.ImpMax);
    o.GraphsThickness = ini.ReadInteger(section, "GThickness", d.GraphsThickness);
}

bool writeProjectFile(const TProjekt& project, const std::string& path, bool compressed,
                      UserPrompt& prompt) {
    TMyIniFile ini(path, false, true, compressed, compressed);
    writeGeneral(ini, project);
    const int nAmps = std::clamp<int>(project.nAmps, 0, kMaxAmps);
    const int nChassis = std::clamp<int>(project.nChassis, 0, kMaxChassis);
    for (int a = 0; a < nAmps; ++a) {
        writeAktfilter(ini, project.amp[a].aktfilter, a);
    }
    for (int a = 0; a < nAmps; ++a) {
        writeWeiche(ini, project.amp[a].weiche, a);
    }
    for (int n = 0; n < nChassis; ++n) {
        writeChassis(ini, project.chassis[n], n);
    }
    writeGemGeh(ini, project.Gemgeh);
    for (int n = 0; n < nChassis; ++n) {
        writeEinbau(ini, project.einbau[n], n);
    }
    for (int n = 0; n < nChassis; ++n) {
        writeSchallwand(ini, project.schallwand[n], n);
    }
    const bool ok = ini.save();
    showMessages(ini.messages(), prompt);
    return ok;
}

ProjectReadStatus readProjectFile(TProjekt& p, const std::string& path, bool scrambled,
                                  UserPrompt& prompt, OldFileVoiceCoilFit fit) {
    TMyIniFile ini(path, true, false, scrambled, false);
    showMessages(ini.messages(), prompt);
    if (ini.readRefused()) {
        return ProjectReadStatus::Refused; // an empty store must not read as a project of defaults
    }
    // A file without key lines (also a missing one) reads as a current file of defaults.
    const int version =
        ini.valueCount() == 0 ? kProjectVersion : ini.ReadInteger("Header", "Version", 0);
    if (version < kOldestProjectVersion || version > kProjectVersion) {
        prompt.showMessage("Datei hat falsches Datenformat.");
        return ProjectReadStatus::WrongFormat;
    }

    p.nAmps = static_cast<std::int16_t>(
        std::clamp<std::int32_t>(ini.ReadInteger("General", "nAmps", 1), 1, kMaxAmps));
    p.nChassis = static_cast<std::int16_t>(
        std::clamp<std::int32_t>(ini.ReadInteger("General", "nChassis", 1), 1, kMaxChassis));
    p.comment1.assign(ini.ReadString("General", "Comment1", ""));
    p.comment2.assign(ini.ReadString("General", "Comment2", kDateMarker));
    p.saved = true;

    readOption(ini, p, version, prompt);
    for (int a = 0; a < kMaxAmps; ++a) {
        readAktfilter(ini, p.amp[a].aktfilter, a, version);
    }
    for (int a = 0; a < kMaxAmps; ++a) {
        readWeiche(ini, p.amp[a].weiche, a, version);
    }
    readChassis(ini, p, version, fit);
    readGemGeh(ini, p.Gemgeh);
    for (int n = 0; n < p.nChassis; ++n) {
        readEinbau(ini, p.einbau[n], n);
    }
    for (int n = 0; n < p.nChassis; ++n) {
        readSchallwand(ini, p.schallwand[n], n, version);
    }
    return ProjectReadStatus::Ok;
}

bool hasProjectFileSignature(const std::vector<std::uint8_t>& firstBytes) {
    if (firstBytes.size() < kSignatureBytes) {
        return false;
    }
    if (std::memcmp(firstBytes.data(), kCompandMarker, kSignatureBytes) == 0) {
        return true;
    }
    return scrambledHeaderLength(firstBytes) != 0;
}

void makeDefaultProject(TProjekt& p, const std::string& projectsFolder, UserPrompt& prompt) {
    std::memset(&p, 0, sizeof p);
    std::string name;
    for (int k = kFirstTempProject; k < kFirstTempProject + kMaxNameAttempts; ++k) {
        name = projectsFolder + "temp" + num(k) + ".tmp";
        if (!fileExists(name)) {
            break;
        }
    }
    readProjectFile(p, name, true, prompt);
    std::error_code ec;
    std::filesystem::remove(name, ec); // the name was only borrowed; normally nothing is there
    for (int n = 1; n < kMaxChassis; ++n) {
        p.chassis[n] = p.chassis[0];
        p.einbau[n] = p.einbau[0];
        p.schallwand[n] = p.schallwand[0];
    }
}

ProjectOpenStatus openProjectFile(TProjekt& project, const std::string& path,
                                  const std::string& projectsFolder, UserPrompt& prompt,
                                  OldFileVoiceCoilFit fit) {
    std::vector<std::uint8_t> head(kSignatureBytes);
    std::ifstream in(path, std::ios::binary);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(in ? kSignatureBytes
                   : static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    if (!hasProjectFileSignature(head)) {
        prompt.showMessage(
            utf8ToLatin1(path) + "\r" +
            utf8ToLatin1("ist keine gültige Projektdatei dieser Version von Sonora."));
        makeDefaultProject(project, projectsFolder, prompt);
        return ProjectOpenStatus::NotAProjectFile;
    }
    if (readProjectFile(project, path, true, prompt, fit) != ProjectReadStatus::Ok) {
        return ProjectOpenStatus::WrongFormat;
    }
    return ProjectOpenStatus::Opened;
}

std::string projectSaveName(const std::string& dialogName) {
    if (dialogName.size() <= std::char_traits<char>::length(kProjectExtension)) {
        return {};
    }
    return endsWithIgnoringAsciiCase(dialogName, kProjectExtension)
               ? dialogName
               : dialogName + kProjectExtension;
}

std::string writeCabinetDescription(const TProjekt& p, const std::string& folder,
                                    std::string& error) {
    PlainIniText ini;
    ini.section("Header");
    ini.integer("Version", kProjectVersion);
    const int nChassis = std::clamp<int>(p.nChassis, 0, kMaxChassis);
    ini.section("General");
    ini.integer("nChassis", nChassis);
    ini.text("Comment1", p.comment1.view());
    ini.text("Comment2", p.comment2.view());
    const TGemGeh& g = p.Gemgeh;
    ini.section("GemGeh");
    ini.number("h", g.h);
    ini.number("b", g.b);
    ini.number("t", g.t);
    ini.number("fasl", g.fasl);
    ini.number("fasr", g.fasr);
    ini.number("faso", g.faso);
    ini.number("fasu", g.fasu);
    ini.boolean("beugl", g.beugl);
    ini.boolean("beugo", g.beugo);
    ini.boolean("beugr", g.beugr);
    ini.boolean("beugu", g.beugu);
    for (int n = 0; n < nChassis; ++n) {
        const TChassis& c = p.chassis[n];
        ini.section("Chassis" + num(n + 1));
        ini.text("Name", c.name.view());
        ini.text("Kommentar", c.comment.view());
        ini.boolean("hintengeschl", c.HintenGeschlossen);
        ini.number("Amem", c.Sd);
        ini.text("_Da", c._Da.view());
        ini.number("_Etiefe", c._Etiefe);
        ini.number("_Ausschn", c._Ausschn);
        ini.number("_Gewicht", c._Gewicht);
        ini.text("pubdate", c.pubdate.view());
        ini.text("OrgFilename", c.orgfilename.view());
    }
    for (int n = 0; n < nChassis; ++n) {
        const TEinbau& e = p.einbau[n];
        ini.section("Einbau" + num(n + 1));
        ini.integer("Typ", e.typ);
        ini.number("Vb", e.Vb);
        ini.number("Vbf", e.Vbf);
    }
    for (int n = 0; n < nChassis; ++n) {
        const TSchallwand& w = p.schallwand[n];
        ini.section("Schallwand" + num(n + 1));
        ini.boolean("usegemgeh", w.usegemgeh);
        ini.integer("direction", w.direction);
        ini.integer("directionr", w.directionr);
        for (const BaffleFloat& f : kBaffleFloats) {
            ini.number(f.key, w.*f.field);
        }
    }

    std::string dir = folder;
    if (!dir.empty() && dir.back() != '/') {
        dir += '/';
    }
    for (int k = kFirstCabinetFile; k < kFirstCabinetFile + kMaxNameAttempts; ++k) {
        const std::string path = dir + "Sonoragehäuse" + num(k) + ".tmp";
        if (fileExists(path)) {
            continue;
        }
        if (!writeFileAtomically(path, ini.bytes(), error)) {
            return {};
        }
        return path;
    }
    error = "Kein freier Dateiname für die Gehäusebeschreibung in " + dir;
    return {};
}

} // namespace sonora
