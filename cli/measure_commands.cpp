// sonora-cli import and pir: bring measured curves into a driver file as the driver editor's
// buttons do, and print the response of an impulse-response file.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/terminal_prompt.h"
#include "engine/voice_coil_fit.h"
#include "measure/driver_import.h"
#include "measure/pir_file.h"
#include "model/physics.h"
#include "model/record_defaults.h"
#include "storage/driver_file.h"
#include "storage/file_form.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora::cli {

namespace {

constexpr std::int64_t kMaxPirPoints = 100000; // more points than any chart or table uses

// Answers the import's questions from the command line: the one-column question by the button
// whose caption names the chosen column, the level question by --level-at. Messages go to stderr.
class ImportPrompt : public TerminalPrompt {
public:
    std::string columnWord; // part of the button caption to press, Latin-1; empty: the default
    std::string levelAt;    // answer of the level question; empty: cancelled (90 dB)

    int choose(const std::string& text, const std::string& buttons, int defaultButton) override {
        std::fprintf(stderr, "%s\n", terminalText(text).c_str());
        if (columnWord.empty()) {
            return defaultButton;
        }
        int number = 1;
        std::size_t start = 0;
        for (;;) {
            const std::size_t bar = buttons.find('|', start);
            const std::string caption = buttons.substr(start, bar - start);
            if (caption.find(columnWord) != std::string::npos) {
                return number;
            }
            if (bar == std::string::npos) {
                return defaultButton;
            }
            start = bar + 1;
            ++number;
        }
    }
    bool askValue(const std::string&, const std::string&, std::string& value) override {
        if (levelAt.empty()) {
            return false;
        }
        value = levelAt;
        return true;
    }
};

struct ImportOptions {
    std::string driver, frequency, impedance, lim, column, levelAt;
};

bool parseImport(const Args& args, ImportOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--frequency" && hasValue) {
            o.frequency = args[++i];
        } else if (a == "--impedance" && hasValue) {
            o.impedance = args[++i];
        } else if (a == "--lim" && hasValue) {
            o.lim = args[++i];
        } else if (a == "--column" && hasValue) {
            o.column = args[++i];
        } else if (a == "--level-at" && hasValue) {
            o.levelAt = args[++i];
        } else if (!a.empty() && a[0] != '-' && o.driver.empty()) {
            o.driver = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            return false;
        }
    }
    const int sources = !o.frequency.empty() + !o.impedance.empty() + !o.lim.empty();
    return !o.driver.empty() && sources == 1;
}

// The button caption word of a --column value for the kind of import; false when the value does
// not belong to that kind.
bool columnWordFor(const std::string& column, bool frequency, std::string& word) {
    if (column.empty()) {
        return true;
    }
    if (frequency && (column == "level" || column == "phase")) {
        word = column == "level" ? "Amplitudengang" : "Phasengang";
        return true;
    }
    if (!frequency && (column == "impedance" || column == "phase")) {
        word = column == "impedance" ? "Impedanzgang" : "Phasengang";
        return true;
    }
    std::fprintf(stderr, "Unbekannte Spalte: %s\n", column.c_str());
    return false;
}

bool parseNumberList(const std::string& text, double& a, double& b) {
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) {
        return false;
    }
    a = parseFloat(text.substr(0, comma)).value;
    b = parseFloat(text.substr(comma + 1)).value;
    return std::isfinite(a) && std::isfinite(b);
}

} // namespace

int runImport(const Args& args) {
    ImportOptions o;
    if (!parseImport(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    ImportPrompt prompt;
    if (!columnWordFor(o.column, !o.frequency.empty(), prompt.columnWord)) {
        return kExitUsage;
    }
    prompt.levelAt = o.levelAt;
    auto chassis = std::make_unique<TChassis>();
    initDefaultChassis(*chassis);
    const FileForm form = detectFileFormOf(o.driver);
    if (form == FileForm::Unknown ||
        !loadDriver(*chassis, o.driver, form != FileForm::Plain, prompt, fitVoiceCoilOfOldFile)) {
        if (form == FileForm::Unknown) {
            prompt.showMessage(utf8ToLatin1(o.driver) + " hat falsches Format.");
        }
        return kExitUsage;
    }
    bool imported = false;
    if (!o.frequency.empty()) {
        imported = importFrequencyResponseForDriver(o.frequency, *chassis, prompt);
    } else if (!o.impedance.empty()) {
        TChassis& c = *chassis;
        imported =
            Import_IGang_txt(o.impedance, c.fgangif, c.fgangi, c.fgangipf, c.fgangip, prompt);
    } else {
        std::string message;
        imported = importLimForDriver(o.lim, *chassis, message);
        if (!imported) {
            prompt.showMessage(message);
        }
    }
    if (!imported) {
        std::fprintf(stderr, "Nichts importiert; %s bleibt unverändert.\n", o.driver.c_str());
        return kExitUsage;
    }
    // Saved as the driver editor saves: compressed, today's date.
    if (!saveDriver(*chassis, o.driver, "", prompt)) {
        return kExitUsage;
    }
    std::printf("%s geschrieben\n", o.driver.c_str());
    return kExitOk;
}

int runPir(const Args& args) {
    std::string file;
    double windowL = 0, windowH = 0;
    bool window = false;
    int points = -1; // every bin
    double from = 20.0, to = 20000.0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--window" && hasValue && parseNumberList(args[i + 1], windowL, windowH)) {
            window = true;
            ++i;
        } else if (a == "--points" && hasValue) {
            const std::int64_t n = parseInteger(args[++i]).value;
            points = n < 2 ? -1 : static_cast<int>(std::min<std::int64_t>(n, kMaxPirPoints));
        } else if (a == "--from" && hasValue) {
            from = parseFloat(args[++i]).value;
        } else if (a == "--to" && hasValue) {
            to = parseFloat(args[++i]).value;
        } else if (!a.empty() && a[0] != '-' && file.empty()) {
            file = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            printUsage(stderr);
            return kExitUsage;
        }
    }
    if (file.empty()) {
        printUsage(stderr);
        return kExitUsage;
    }
    auto pir = std::make_unique<Tpir>();
    if (!pir->Loadfromfile(file)) {
        std::fprintf(stderr, "%s\n", terminalText(pir->message()).c_str());
        return kExitUsage;
    }
    const double delay = pir->EstimateDelayMs();
    if (window) {
        pir->Fenstern(windowL, windowH);
    }
    if (!pir->CalcFgang(points, delay, to, from)) {
        std::fprintf(stderr, "Der Frequenzgang kann so nicht berechnet werden.\n");
        return kExitUsage;
    }
    std::printf("f [Hz]\tPegel [dB]\tPhase [Grad]\n");
    for (int i = 0; i < pir->nFgang; ++i) {
        const TFgangPoint& p = pir->fgang[static_cast<std::size_t>(i)];
        std::printf("%s\t%s\t%s\n", latin1ToUtf8(compactNumberText(6, p.f)).c_str(),
                    latin1ToUtf8(compactNumberText(6, p.level)).c_str(),
                    latin1ToUtf8(compactNumberText(6, p.phase * kDegreesPerRadian)).c_str());
    }
    return kExitOk;
}

} // namespace sonora::cli
