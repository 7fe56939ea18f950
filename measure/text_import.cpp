#include "measure/text_import.h"

#include <string_view>
#include <vector>

#include "measure/file_messages.h"
#include "measure/text_records.h"
#include "storage/file_io.h"
#include "storage/latin1.h"

namespace sonora {

namespace {

// Plausible range of a level (dB) or an impedance magnitude (Ohm); a single data column with a
// value outside it is probably a phase.
constexpr double kHighestPlausibleValue = 120.0;
// Records above which the thinning is announced: the frequency response announces it from 600
// records on, the impedance only from 601 on (both are thinned to 599).
constexpr int kAnnouncedAboveFrequency = 599;
constexpr int kAnnouncedAboveImpedance = 600;
// Degrees to radians as the import has always converted them.
constexpr double kImportPi = 3.1415926;
constexpr double kHalfTurnDegrees = 180.0;

const char* const kNoDataText = "Die Datei enthält keine passenden Daten.";
const char* const kOneColumnText = "Es wurde nur eine Datenspalte gefunden.\r\n";

bool outsidePlausibleRange(ResponseKind kind, double x) {
    if (kind == ResponseKind::Frequency) {
        return x < 0.0 || x > kHighestPlausibleValue;
    }
    return x <= 0.0 || x > kHighestPlausibleValue;
}

// Asks whether a single data column is a phase; `guessPhase` is the program's guess.
bool askColumnIsPhase(ResponseKind kind, bool guessPhase, UserPrompt& prompt) {
    const std::string guess = guessPhase ? "Vermutlich handelt es sich um den Phasengang."
                              : kind == ResponseKind::Frequency
                                  ? "Vermutlich handelt es sich um den Amplitudengang."
                                  : "Vermutlich handelt es sich um den Impedanzgang.";
    const std::string text = utf8ToLatin1(std::string(kOneColumnText) + guess);
    if (kind == ResponseKind::Frequency) {
        // The first button keeps the guess.
        const std::string buttons = guessPhase ? "Daten sind Phasengang|Daten sind Amplitudengang"
                                               : "Daten sind Amplitudengang|Daten sind Phasengang";
        const bool changed = prompt.choose(text, buttons, 1) == 2;
        return guessPhase != changed;
    }
    // The first button means phase, the second impedance; the guess is the default.
    const int answer = prompt.choose(
        text, "Daten sind elektrischer Phasengang|Daten sind Impedanzgang", guessPhase ? 1 : 2);
    if (answer == 1 || answer == 2) {
        return answer == 1;
    }
    return guessPhase;
}

void writeList(const std::vector<MeasuredRecord>& records, bool phase,
               double (&freqs)[kCurvePoints], double (&data)[kCurvePoints]) {
    const int count = static_cast<int>(records.size());
    for (int i = 0; i < count; ++i) {
        freqs[i] = records[i].f;
        data[i] = phase ? records[i].y / kHalfTurnDegrees * kImportPi : records[i].x;
    }
    // The 0 at index `count` ends the list; the rest up to index 599 is cleared as well.
    for (int i = count; i <= kMaxThinnedRecords; ++i) {
        freqs[i] = 0.0;
        data[i] = 0.0;
    }
}

} // namespace

std::string textImportHelp(ResponseKind kind) {
    const bool frequency = kind == ResponseKind::Frequency;
    const std::string what = frequency ? "Frequenzgang" : "Impedanzgang";
    const std::string value = frequency ? "Amplitude [dB]" : "Impedanz (Betrag)";
    const std::string units =
        frequency ? "Amplitude wird in dB/2,83V/m erwartet und Phasenlage in Grad. "
                  : "Die Impedanz wird in Ohm (bzw. V/A) erwartet und Phasenlage in Grad. > 0 "
                    "Grad = induktiv, < 0 Grad = kapazitives Verhalten.";
    return utf8ToLatin1(
        "ASCII-Datei mit " + what +
        " importieren.\r\nErwartet wird eine mit Tabulator, Semikolon oder Leerzeichen getrennte "
        "ASCII-Datei mit Frequenz, " +
        value +
        " und/oder Phase in einer Zeile. Dezimaltrenner darf \",\" oder \".\" sein, "
        "Tausendertrenner sind nicht erlaubt. E-Format wird ebenfalls akzeptiert, nachfolgende "
        "Einheiten und Leerzeichen werden ignoriert.\r\nZeilen die nicht mit Leerzeichen, \"+\", "
        "\"-\", \".\", \",\" oder einer Ziffer beginnen werden gänzlich ignoriert. " +
        units);
}

std::string textImportFilter(ResponseKind kind) {
    return kind == ResponseKind::Frequency
               ? "*.asc; *.txt; *.frd; *.amp; *.oct|*.asc; *.txt; *.frd; *.amp; *.oct|*.*|*.*"
               : "*.asc; *.txt; *.zma; *.imp; *.oct|*.asc; *.txt; *.zma; *.imp; *.oct|*.*|*.*";
}

TextImportResult importResponseText(ResponseKind kind, const std::string& fileName,
                                    double (&valueFreq)[kCurvePoints],
                                    double (&values)[kCurvePoints],
                                    double (&phaseFreq)[kCurvePoints],
                                    double (&phases)[kCurvePoints], UserPrompt& prompt,
                                    const ChooseFile& chooseFile) {
    TextImportResult result;
    std::string name = fileName;
    if (name.empty()) {
        if (prompt.choose(textImportHelp(kind), "Ok|Abbruch", 1) != 1 || !chooseFile ||
            !chooseFile(textImportFilter(kind), name) || name.empty()) {
            return result;
        }
    }

    std::vector<std::uint8_t> bytes;
    const ReadStatus status = readFileBytes(name, bytes, kMaxFileBytes);
    if (status != ReadStatus::Ok) {
        prompt.showMessage(fileReadMessage(name, status, kMaxFileBytes));
        return result;
    }
    std::vector<MeasuredRecord> records = readMeasuredRecords(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    bytes.clear();

    bool threeColumns = false;
    bool guessPhase = false;
    for (const MeasuredRecord& r : records) {
        threeColumns = threeColumns || r.y != 0.0;
        guessPhase = guessPhase || outsidePlausibleRange(kind, r.x);
    }
    bool oneColumnPhase = false;
    if (!threeColumns) {
        oneColumnPhase = askColumnIsPhase(kind, guessPhase, prompt);
        if (oneColumnPhase) {
            for (MeasuredRecord& r : records) {
                r.y = r.x;
                r.x = 0.0;
            }
        }
    }
    // Only after the column question: a file without records has one column of nothing.
    if (records.empty()) {
        prompt.showMessage(utf8ToLatin1(kNoDataText));
        return result;
    }

    const int count = static_cast<int>(records.size());
    const int announcedAbove =
        kind == ResponseKind::Frequency ? kAnnouncedAboveFrequency : kAnnouncedAboveImpedance;
    if (count > announcedAbove) {
        prompt.showMessage(utf8ToLatin1("Die Datei enthält " + std::to_string(count) +
                                        " Datensätze. " + "Es werden max. " + "600" +
                                        "ausgesucht."));
    }
    thinMeasuredRecords(records);

    result.wroteValues = threeColumns || !oneColumnPhase;
    result.wrotePhases = threeColumns || oneColumnPhase;
    if (result.wroteValues) {
        writeList(records, false, valueFreq, values);
    }
    if (result.wrotePhases) {
        writeList(records, true, phaseFreq, phases);
    }
    result.records = static_cast<int>(records.size());
    result.ok = true;
    return result;
}

bool Import_FGang_txt(const std::string& fileName, double (&fgangaf)[kCurvePoints],
                      double (&fganga)[kCurvePoints], double (&fgangapf)[kCurvePoints],
                      double (&fgangap)[kCurvePoints], UserPrompt& prompt,
                      const ChooseFile& chooseFile) {
    return importResponseText(ResponseKind::Frequency, fileName, fgangaf, fganga, fgangapf, fgangap,
                              prompt, chooseFile)
        .ok;
}

bool Import_IGang_txt(const std::string& fileName, double (&fgangif)[kCurvePoints],
                      double (&fgangi)[kCurvePoints], double (&fgangipf)[kCurvePoints],
                      double (&fgangip)[kCurvePoints], UserPrompt& prompt,
                      const ChooseFile& chooseFile) {
    return importResponseText(ResponseKind::Impedance, fileName, fgangif, fgangi, fgangipf, fgangip,
                              prompt, chooseFile)
        .ok;
}

} // namespace sonora
