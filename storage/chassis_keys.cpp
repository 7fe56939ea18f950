#include "storage/chassis_keys.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "model/physics.h"
#include "model/record_defaults.h"
#include "storage/ini_read.h"
#include "storage/my_ini_file.h"

namespace sonora {

namespace {

// A stored curve holds at most this many points; index 600 keeps the terminating 0.
constexpr int kMaxStoredPoints = kCurvePoints - 1;
// Three decimals of a degree.
constexpr double kMilliDegrees = 180000.0;
constexpr double kThousand = 1000.0;
constexpr double kHalfTurnDegrees = 180.0;

// Files before version 1105 hold the acoustic phase half a turn away: it is shifted by this
// rounded pi and wrapped back by this rounded 2 pi above the limit.
constexpr double kOldPhaseShift = 3.1415926;
constexpr double kOldPhaseLimit = 3.141592653;
constexpr double kOldPhaseWrap = 6.283185306;

// Category bits: bit 16 ("Archiv" in old files) moved to bit 20.
constexpr std::uint32_t kLowCategoryBits = 0xFFFFu;
constexpr std::uint32_t kOldArchiveBit = 1u << 16;
constexpr std::uint32_t kArchiveBit = 1u << 20;

// Mounting numbers of the measured response: the two old renumberings.
constexpr int kOldFgangDefault = 4;
constexpr int kFgangDefault = 5;
constexpr int kOldFgangShiftFrom = 2; // values from 2 on moved up by one
constexpr int kFgangRenumberFrom = 6; // values from 6 on moved down by three
constexpr int kFgangRenumberBy = 3;

constexpr std::int32_t kDefaultFilters = 119;
constexpr char kMakerMark[] = "   "; // value of "_hst": three blanks
constexpr char kNoMakerMark[] = "xxxx";

// Version thresholds and defaults of the conversions, in the numbering of each file.
struct VersionRules {
    bool convertTyp; // "typ" bit 16 -> bit 20 below typBelow
    int typBelow;
    int fgangNewFrom;          // from here default 5; below default 4 and stored values >= 2 plus 1
    int fgangRenumberBelow;    // from fgangNewFrom to below this: stored values >= 6 minus 3
    int degreesFrom;           // "FgangAP", "FgangIP" stored in degrees from here
    int phaseShiftBelow;       // "FgangAP" shifted by pi below this
    int a2fsBelow;             // "useFgangA2fs" := not "hintengeschl" below this
    int membranformAbove;      // "Membranform" in the driver's section above this version
    double re2, le2, re3, le3; // defaults of the voice-coil pairs, Ohm and H
};

constexpr VersionRules kDriverFileRules{.convertTyp = true,
                                        .typBelow = 1107,
                                        .fgangNewFrom = 1104,
                                        .fgangRenumberBelow = 1106,
                                        .degreesFrom = 1104,
                                        .phaseShiftBelow = 1105,
                                        .a2fsBelow = 1200,
                                        .membranformAbove = 0,
                                        .re2 = 0.0,
                                        .le2 = 0.0,
                                        .re3 = 1e-6,
                                        .le3 = 1e-6};
constexpr VersionRules kProjectFileRules{.convertTyp = false,
                                         .typBelow = 0,
                                         .fgangNewFrom = 1004,
                                         .fgangRenumberBelow = 1006,
                                         .degreesFrom = 1004,
                                         .phaseShiftBelow = 1005,
                                         .a2fsBelow = 1200,
                                         .membranformAbove = 1200,
                                         .re2 = 0.001,
                                         .le2 = 1e-6,
                                         .re3 = 0.001,
                                         .le3 = 1e-6};

// Texts cannot hold a line break in the file: it would end the value and start a new line.
std::string oneLine(std::string_view text) {
    std::string s(text);
    std::replace(s.begin(), s.end(), '\r', ' ');
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

// Entries that read as NaN or infinite become 0 (a frequency of 0 ends the curve).
void finiteEntries(double* a, int count) {
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(a[i])) {
            a[i] = 0.0;
        }
    }
}

template <std::size_t N>
void readText(TMyIniFile& ini, const std::string& section, const char* key, FixedText<N>& text,
              const std::string& def = {}) {
    text.assign(ini.ReadString(section, key, def));
}

void writeCurve(TMyIniFile& ini, const std::string& section, const char* key, const double* a,
                int count) {
    ini.WriteFloatArray(section, key, a, 0, count + 1);
}

void writePhaseCurve(TMyIniFile& ini, const std::string& section, const char* key,
                     const double* radians, int count, double pi) {
    std::vector<double> degrees(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i <= count; ++i) {
        degrees[static_cast<std::size_t>(i)] = phaseToFileDegrees(radians[i], pi);
    }
    ini.WriteFloatArray(section, key, degrees.data(), 0, count + 1);
}

// Reads a frequency array; returns its count and sets the terminating 0 at it.
int readFrequencies(TMyIniFile& ini, const std::string& section, const char* key, double* f) {
    const int count =
        std::clamp(ini.ReadFloatArray(section, key, f, 0, kMaxStoredPoints), 0, kMaxStoredPoints);
    finiteEntries(f, count);
    f[count] = 0.0;
    return count;
}

// Reads the value array of a curve whose frequency array has `count` entries; returns how many of
// them the file held.
int readValues(TMyIniFile& ini, const std::string& section, const std::string& key, double* a,
               int count) {
    const int read =
        std::clamp(ini.ReadFloatArray(section, key, a, 0, kMaxStoredPoints), 0, kMaxStoredPoints);
    finiteEntries(a, read);
    a[count] = 0.0;
    return std::min(read, count);
}

void degreesToRadians(double* a, int count, double pi) {
    for (int i = 0; i < count; ++i) {
        a[i] *= pi / kHalfTurnDegrees;
    }
}

std::int16_t toInt16(std::int32_t v) {
    return static_cast<std::int16_t>(std::clamp<std::int32_t>(
        v, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

} // namespace

double phaseToFileDegrees(double radians, double pi) {
    return std::nearbyint(radians * kMilliDegrees / pi) / kThousand;
}

int storedCurvePoints(const double* frequencies) {
    int n = 0;
    while (n < kMaxStoredPoints && frequencies[n] > 0.0) {
        ++n;
    }
    return n;
}

void writeChassisKeys(TMyIniFile& ini, const std::string& section, const TChassis& chassis,
                      const std::string& makerText, const std::string& pubdate) {
    writeChassisKeys(ini, section, chassis, makerText, pubdate, ChassisKeyOptions{});
}

void readChassisKeys(TMyIniFile& ini, const std::string& section, int version, TChassis& chassis) {
    readChassisKeys(ini, section, version, chassis, ChassisKeyOptions{});
}

void writeChassisKeys(TMyIniFile& ini, const std::string& section, const TChassis& c,
                      const std::string& makerText, const std::string& pubdate,
                      const ChassisKeyOptions& options) {
    const bool project = options.layout == ChassisKeyLayout::ProjectFile;
    const std::string& s = section;
    ini.WriteString(s, "Name", oneLine(c.name.view()));
    ini.WriteString(s, "Kommentar", oneLine(c.comment.view()));
    ini.WriteInteger(s, "typ", static_cast<std::int32_t>(c.typ));
    ini.WriteBool(s, "hintengeschl", c.HintenGeschlossen);
    if (project) {
        ini.WriteInteger(s, "fgang_which", c.fgang_which);
        ini.WriteInteger(s, "Special", c.special);
    } else {
        ini.WriteInteger(s, "Special", c.special);
        ini.WriteInteger(s, "fgang_which", c.fgang_which);
    }
    ini.WriteFloat(s, "fs", c.fs);
    ini.WriteFloat(s, "Qes", c.qes);
    ini.WriteFloat(s, "Qms", c.qms);
    ini.WriteFloat(s, "Vas", c.vas);
    ini.WriteFloat(s, "Re", c.Rdc);
    ini.WriteFloat(s, "Le", c.Le);
    ini.WriteFloat(s, "Re2", c.Re2);
    ini.WriteFloat(s, "Le2", c.Le2);
    ini.WriteFloat(s, "Re3", c.Re3);
    ini.WriteFloat(s, "Le3", c.Le3);
    ini.WriteFloat(s, "Amem", c.Sd);
    ini.WriteFloat(s, "xlin", c.xlin);
    ini.WriteFloat(s, "xmax", c._xMax);
    ini.WriteFloat(s, "seo", c.seo);
    ini.WriteBool(s, "useFgangA", c.useFGangA);
    ini.WriteBool(s, "useFgangAP", c.useFGangAP);
    ini.WriteBool(s, "useFgangA2fs", c.useFGangA2fs);
    ini.WriteBool(s, "useFgangI", c.useFGangI);
    ini.WriteBool(s, "useFgangIP", c.useFGangIP);
    ini.WriteInteger(s, "Membranform", c.membranform);
    ini.WriteInteger(s, "RichtSimu", c.Richt.RichtSimu);

    const int nA = storedCurvePoints(c.fgangaf);
    writeCurve(ini, s, "FgangAF", c.fgangaf, nA);
    writeCurve(ini, s, "FgangA", c.fganga, nA);
    const int nAP = storedCurvePoints(c.fgangapf);
    writeCurve(ini, s, "FgangAPF", c.fgangapf, nAP);
    writePhaseCurve(ini, s, "FgangAP", c.fgangap, nAP, kPhaseFilePi);
    const int nI = storedCurvePoints(c.fgangif);
    writeCurve(ini, s, "FgangIF", c.fgangif, nI);
    writeCurve(ini, s, "FgangI", c.fgangi, nI);
    const int nIP = storedCurvePoints(c.fgangipf);
    writeCurve(ini, s, "FgangIPF", c.fgangipf, nIP);
    writePhaseCurve(ini, s, "FgangIP", c.fgangip, nIP, kPhaseFilePi);

    ini.WriteInteger(s, "rNricht", c.Richt.nRicht);
    const int nR = storedCurvePoints(c.Richt.fgangf);
    writeCurve(ini, s, "RFgangf", c.Richt.fgangf, nR);
    for (int k = 0; k < kMaxRicht; ++k) {
        const std::string key = "RFgang" + std::to_string(k) + "au";
        writeCurve(ini, s, key.c_str(), c.Richt.fgangau[k], nR);
    }
    for (int k = 0; k < kMaxRicht; ++k) {
        const std::string key = "RFgang" + std::to_string(k) + "pu";
        writePhaseCurve(ini, s, key.c_str(), c.Richt.fgangpu[k], nR, std::numbers::pi);
    }

    ini.WriteFloat(s, "_ZNenn", c.ZNenn);
    ini.WriteFloat(s, "_PNorm", c._PNorm);
    ini.WriteFloat(s, "_PMax", c.Pmax);
    ini.WriteFloat(s, "_Hvc", c._Hvc);
    ini.WriteFloat(s, "_Dvc", c._Dvc);
    ini.WriteFloat(s, "_Hpp", c._Hpp);
    ini.WriteFloat(s, "_Bl", c._Bl);
    ini.WriteFloat(s, "_SPL", c._SPL);
    ini.WriteFloat(s, "_Le", c._le);
    ini.WriteFloat(s, "_Mmd", c._Mmd);
    ini.WriteString(s, "_fu", oneLine(c._fu.view()));
    ini.WriteString(s, "_fo", oneLine(c._fo.view()));
    ini.WriteFloat(s, "_magind", c._magind);
    ini.WriteFloat(s, "_magflu", c._magflu);
    ini.WriteString(s, "_bnr", oneLine(c._bnr.view()));
    if (makerText == kMakerTarvelo) {
        ini.WriteString(s, "_hst", kMakerMark);
    } else {
        ini.DeleteEntry(s, "_hst");
    }
    ini.WriteString(s, "_Da", oneLine(c._Da.view()));
    ini.WriteFloat(s, "_Etiefe", c._Etiefe);
    ini.WriteFloat(s, "_Ausschn", c._Ausschn);
    ini.WriteFloat(s, "_Gewicht", c._Gewicht);
    ini.WriteInteger(s, "Filters", c.Filters);
    ini.WriteString(s, "pubdate", oneLine(pubdate));
    ini.WriteString(s, "OrgFilename", oneLine(c.orgfilename.view()));
}

void readChassisKeys(TMyIniFile& ini, const std::string& section, int version, TChassis& c,
                     const ChassisKeyOptions& options) {
    const VersionRules& rules =
        options.layout == ChassisKeyLayout::ProjectFile ? kProjectFileRules : kDriverFileRules;
    const std::string& s = section;

    readText(ini, s, "Name", c.name);
    readText(ini, s, "Kommentar", c.comment);
    std::uint32_t typ = static_cast<std::uint32_t>(ini.ReadInteger(s, "typ", 0));
    if (rules.convertTyp && version < rules.typBelow) {
        typ = (typ & kLowCategoryBits) | ((typ & kOldArchiveBit) != 0 ? kArchiveBit : 0u);
    }
    c.typ = typ;
    c.HintenGeschlossen = ini.ReadBool(s, "hintengeschl", false);
    c.special = ini.ReadInteger(s, "Special", 0);

    // The measured-response mounting was renumbered twice; only stored values move.
    const bool fgangStored = ini.ValueExists(s, "fgang_which");
    std::int32_t fgang = ini.ReadInteger(
        s, "fgang_which", version < rules.fgangNewFrom ? kOldFgangDefault : kFgangDefault);
    if (fgangStored) {
        if (version < rules.fgangNewFrom) {
            if (fgang >= kOldFgangShiftFrom && fgang < std::numeric_limits<std::int32_t>::max()) {
                ++fgang;
            }
        } else if (version < rules.fgangRenumberBelow && fgang >= kFgangRenumberFrom) {
            fgang -= kFgangRenumberBy;
        }
    }
    c.fgang_which = toInt16(fgang);

    c.fs = readFiniteFloat(ini, s, "fs", 0.0);
    c.qes = readFiniteFloat(ini, s, "Qes", 0.0);
    c.qms = readFiniteFloat(ini, s, "Qms", 0.0);
    c.vas = readFiniteFloat(ini, s, "Vas", 0.0);
    c.Rdc = readFiniteFloat(ini, s, "Re", 0.0);
    c.Le = readFiniteFloat(ini, s, "Le", 0.0);
    c.Re2 = readFiniteFloat(ini, s, "Re2", rules.re2);
    c.Le2 = readFiniteFloat(ini, s, "Le2", rules.le2);
    c.Re3 = readFiniteFloat(ini, s, "Re3", rules.re3);
    c.Le3 = readFiniteFloat(ini, s, "Le3", rules.le3);
    c.Sd = readFiniteFloat(ini, s, "Amem", 0.0);
    c.xlin = readFiniteFloat(ini, s, "xlin", 0.0);
    c._xMax = readFiniteFloat(ini, s, "xmax", 0.0);
    c.seo = readFiniteFloat(ini, s, "seo", 0.0);
    c.useFGangA = ini.ReadBool(s, "useFgangA", false);
    c.useFGangAP = ini.ReadBool(s, "useFgangAP", false);
    c.useFGangA2fs = ini.ReadBool(s, "useFgangA2fs", false);
    if (version < rules.a2fsBelow) {
        c.useFGangA2fs = !c.HintenGeschlossen;
    }
    c.useFGangI = ini.ReadBool(s, "useFgangI", false);
    c.useFGangIP = ini.ReadBool(s, "useFgangIP", false);
    if (version > rules.membranformAbove) {
        c.membranform = ini.ReadInteger(s, "Membranform", 0);
    } else if (!options.membranformSection.empty()) {
        c.membranform = ini.ReadInteger(options.membranformSection, "Membranform", 0);
    }
    c.Richt.RichtSimu = ini.ReadInteger(s, "RichtSimu", 0);

    const int nA = readFrequencies(ini, s, "FgangAF", c.fgangaf);
    readValues(ini, s, "FgangA", c.fganga, nA);

    const int nAP = readFrequencies(ini, s, "FgangAPF", c.fgangapf);
    const int nAPValues = readValues(ini, s, "FgangAP", c.fgangap, nAP);
    if (version >= rules.degreesFrom) {
        degreesToRadians(c.fgangap, nAPValues, kPhaseFilePi);
    }
    if (version < rules.phaseShiftBelow) {
        // Only the points: the terminating entry keeps its 0.
        const int points = std::min(nAPValues, storedCurvePoints(c.fgangapf));
        for (int i = 0; i < points; ++i) {
            c.fgangap[i] += kOldPhaseShift;
            if (c.fgangap[i] > kOldPhaseLimit) {
                c.fgangap[i] -= kOldPhaseWrap;
            }
        }
    }

    const int nI = readFrequencies(ini, s, "FgangIF", c.fgangif);
    readValues(ini, s, "FgangI", c.fgangi, nI);
    const int nIP = readFrequencies(ini, s, "FgangIPF", c.fgangipf);
    const int nIPValues = readValues(ini, s, "FgangIP", c.fgangip, nIP);
    if (version >= rules.degreesFrom) {
        degreesToRadians(c.fgangip, nIPValues, kPhaseFilePi);
    }

    c.Richt.nRicht = std::clamp(ini.ReadInteger(s, "rNricht", 0), 0, kMaxRicht);
    const int nR = readFrequencies(ini, s, "RFgangf", c.Richt.fgangf);
    for (int k = 0; k < kMaxRicht; ++k) {
        readValues(ini, s, "RFgang" + std::to_string(k) + "au", c.Richt.fgangau[k], nR);
    }
    for (int k = 0; k < kMaxRicht; ++k) {
        const int read =
            readValues(ini, s, "RFgang" + std::to_string(k) + "pu", c.Richt.fgangpu[k], nR);
        degreesToRadians(c.Richt.fgangpu[k], read, std::numbers::pi);
    }

    c.ZNenn = readFiniteFloat(ini, s, "_ZNenn", 0.0);
    c._PNorm = readFiniteFloat(ini, s, "_PNorm", 0.0);
    c.Pmax = readFiniteFloat(ini, s, "_PMax", 0.0);
    c._Hvc = readFiniteFloat(ini, s, "_Hvc", 0.0);
    c._Dvc = readFiniteFloat(ini, s, "_Dvc", 0.0);
    c._Hpp = readFiniteFloat(ini, s, "_Hpp", 0.0);
    c._Bl = readFiniteFloat(ini, s, "_Bl", 0.0);
    c._SPL = readFiniteFloat(ini, s, "_SPL", 0.0);
    c._le = readFiniteFloat(ini, s, "_Le", 0.0);
    c._Mmd = readFiniteFloat(ini, s, "_Mmd", 0.0);
    readText(ini, s, "_fu", c._fu);
    readText(ini, s, "_fo", c._fo);
    c._magind = readFiniteFloat(ini, s, "_magind", 0.0);
    c._magflu = readFiniteFloat(ini, s, "_magflu", 0.0);
    readText(ini, s, "_bnr", c._bnr);
    c.OriginalTarvelo = ini.ReadString(s, "_hst", kNoMakerMark) == kMakerMark;
    readText(ini, s, "_Da", c._Da);
    c._Etiefe = readFiniteFloat(ini, s, "_Etiefe", 0.0);
    c._Ausschn = readFiniteFloat(ini, s, "_Ausschn", 0.0);
    c._Gewicht = readFiniteFloat(ini, s, "_Gewicht", 0.0);
    c.Filters = ini.ReadInteger(s, "Filters", kDefaultFilters);
    readText(ini, s, "pubdate", c.pubdate, kDefaultPubdate);
    readText(ini, s, "OrgFilename", c.orgfilename);
}

} // namespace sonora
