// sonora-cli toleranz: compute a project, then draw its crossover parts and driver values within
// their tolerances many times; print how far the response spreads and which part matters most,
// and write the curves with --csv.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/tolerance.h"
#include "cli/commands.h"
#include "cli/project_loading.h"
#include "cli/terminal_prompt.h"
#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora::cli {

namespace {

constexpr std::size_t kSensitivitiesShown = 12;

struct ToleranceOptions {
    std::string project;
    std::string csv; // empty: no table
    ToleranceSettings settings;
};

// The whole text must be a finite number ("5", "2,5").
bool readPercent(const std::string& text, double& value) {
    const std::optional<double> typed = parseWholeNumber(text);
    value = typed.value_or(0);
    return typed.has_value();
}

bool readWhole(const std::string& text, std::int64_t lowest, std::int64_t highest,
               std::int64_t& value) {
    const IntParseResult p = parseInteger(text);
    if (text.empty() || p.end != text.size() || p.value < lowest || p.value > highest) {
        return false;
    }
    value = p.value;
    return true;
}

// The option's tolerance field, or null for an option that is none.
double* percentOption(const std::string& a, ToleranceSettings& s) {
    if (a == "--widerstaende") {
        return &s.resistors;
    }
    if (a == "--kondensatoren") {
        return &s.capacitors;
    }
    if (a == "--spulen") {
        return &s.coils;
    }
    if (a == "--spulenwiderstand") {
        return &s.coilResistance;
    }
    if (a == "--fs") {
        return &s.fs;
    }
    if (a == "--qts") {
        return &s.qes; // Qms follows below
    }
    if (a == "--vas") {
        return &s.vas;
    }
    if (a == "--re") {
        return &s.re;
    }
    if (a == "--le") {
        return &s.le;
    }
    return nullptr;
}

bool parseToleranceOptions(const Args& args, ToleranceOptions& o) {
    ToleranceSettings& s = o.settings;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
        const std::string value = hasValue ? args[i + 1] : std::string();
        double v = 0;
        std::int64_t n = 0;
        double* percent = percentOption(a, s);
        if (a == "--csv" && hasValue) {
            o.csv = value;
        } else if (percent != nullptr && hasValue && readPercent(value, v) && v >= 0 &&
                   v <= kMaxTolerancePercent) {
            *percent = v;
            if (a == "--qts") {
                s.qms = v;
            }
        } else if (a == "--pegel" && hasValue && readPercent(value, v) && v >= 0 &&
                   v <= kMaxToleranceLevelDb) {
            s.levelDb = v;
        } else if (a == "--versuche" && hasValue && readWhole(value, 1, kMaxToleranceTrials, n)) {
            s.trials = static_cast<int>(n);
        } else if (a == "--seed" && hasValue && readWhole(value, 0, INT64_MAX, n)) {
            s.seed = static_cast<std::uint64_t>(n);
        } else if (a == "--threads" && hasValue && readWhole(value, 1, kMaxToleranceThreads, n)) {
            s.threads = static_cast<int>(n);
        } else if (a == "--verteilung" && (value == "gleich" || value == "normal")) {
            s.distribution =
                value == "gleich" ? ToleranceDistribution::Uniform : ToleranceDistribution::Normal;
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
            continue;
        } else {
            std::fprintf(stderr, "Unbekannte Option oder falscher Wert: %s%s%s\n\n", a.c_str(),
                         hasValue && a.size() > 2 && a[0] == '-' ? " " : "",
                         hasValue && a.size() > 2 && a[0] == '-' ? value.c_str() : "");
            return false;
        }
        ++i; // the option's value
    }
    return !o.project.empty();
}

std::string number(double value) {
    return compactNumberText(kFileNumberWidth, value);
}

// A Latin-1 line for the terminal.
void printLine(const std::string& latin1) {
    std::printf("%s\n", terminalText(latin1).c_str());
}

void printSummary(const ToleranceOptions& o, const ToleranceResult& r) {
    const ToleranceSettings& s = o.settings;
    const bool uniform = s.distribution == ToleranceDistribution::Uniform;
    printLine(utf8ToLatin1("Toleranzanalyse: " + std::to_string(r.trials) + " Versuche, Seed " +
                           std::to_string(s.seed) + ", Verteilung " +
                           (uniform ? "gleich" : "normal (Toleranz = 2 Sigma)")));
    printLine(utf8ToLatin1("Gestreut: " + std::to_string(r.partsVaried) + " Weichenwerte, " +
                           std::to_string(r.valuesVaried) + " Chassiswerte"));
    printLine(toleranceDeviationText(r));
    printLine(utf8ToLatin1(
        "Größte Abweichung im Hörfenster: " + toleranceNumberText(r.deviationListening) +
        " dB bei " + toleranceFrequencyText(r.fDeviationListening)));
    for (const TolerancePair& p : r.pairs) {
        printLine(utf8ToLatin1("Trennung Chassis " + std::to_string(p.low + 1) + "/" +
                               std::to_string(p.high + 1) + " bei " +
                               toleranceFrequencyText(p.fNominal) + ": Phasendifferenz " +
                               toleranceNumberText(p.atCrossing[0]) + "°, 5 % " +
                               toleranceNumberText(p.atCrossing[1]) + "°, 95 % " +
                               toleranceNumberText(p.atCrossing[3]) + "°; Trennfrequenz 5 % " +
                               toleranceFrequencyText(p.fCrossing[1]) + ", 95 % " +
                               toleranceFrequencyText(p.fCrossing[3])));
    }
    if (r.sensitivities.empty()) {
        return;
    }
    printLine(utf8ToLatin1("Empfindlichkeit (Pegel auf Achse je +1 %, größter Betrag 200 Hz bis "
                           "15 kHz):"));
    for (std::size_t k = 0; k < r.sensitivities.size() && k < kSensitivitiesShown; ++k) {
        const ToleranceSensitivity& e = r.sensitivities[k];
        printLine("  " + toleranceNumberText(e.largest) + " dB bei " +
                  toleranceFrequencyText(e.fLargest) + "  " + e.name);
    }
    if (r.sensitivities.size() > kSensitivitiesShown) {
        printLine(utf8ToLatin1("  ... " +
                               std::to_string(r.sensitivities.size() - kSensitivitiesShown) +
                               " weitere in der Tabelle (--csv)"));
    }
}

// The curves as a table for spreadsheets: ";" between the fields, numbers as the program writes
// them into its files (decimal comma, at most 10 characters), Latin-1, lines ending in "\r\n".
std::string csvText(const ToleranceResult& r) {
    struct Column {
        std::string caption;
        const std::vector<double>* values;
    };
    std::vector<Column> columns;
    const auto addBand = [&columns](const std::string& what, const ToleranceBand& b) {
        columns.push_back({what + " nominal", &b.nominal});
        columns.push_back({what + " 5 %", &b.q05});
        columns.push_back({what + " 50 %", &b.q50});
        columns.push_back({what + " 95 %", &b.q95});
        columns.push_back({what + " min", &b.min});
        columns.push_back({what + " max", &b.max});
    };
    for (const ToleranceCurve& c : toleranceCurves(r)) {
        addBand(c.caption + " [" + c.unit + "]", *c.band);
    }
    for (const ToleranceSensitivity& e : r.sensitivities) {
        columns.push_back({"Empfindlichkeit " + e.name + " [dB/%]", &e.curve});
    }
    std::string text = "f [Hz]";
    for (const Column& c : columns) {
        // A ";" in a part's label would split the column.
        std::string caption = c.caption;
        for (char& ch : caption) {
            ch = ch == ';' ? ',' : ch;
        }
        text += ';' + caption;
    }
    text += "\r\n";
    for (std::size_t i = 0; i < r.freq.size(); ++i) {
        text += number(r.freq[i]);
        for (const Column& c : columns) {
            text += ';';
            text += number((*c.values)[i]);
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

int runTolerance(const Args& args) {
    ToleranceOptions o;
    if (!parseToleranceOptions(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    // The nominal project must compute: otherwise its error list, as calc shows it.
    ComputedProject computed = readAndCalculate(o.project);
    if (!computed.result) {
        return computed.exitCode;
    }
    computed.result.reset();
    const TProjekt& project = *computed.project;

    ToleranceResult result;
    std::string error;
    if (computeTolerance(project, o.settings, result, {}, error) != ToleranceStatus::Ok) {
        std::fprintf(stderr, "%s\n", terminalText(error).c_str());
        std::fprintf(stderr, "Berechnung fehlerhaft.\n");
        return kExitFailed;
    }
    printSummary(o, result);
    if (!o.csv.empty() && !writeCommandTable(o.csv, csvText(result))) {
        return kExitUsage;
    }
    return kExitOk;
}

} // namespace sonora::cli
