// sonora-cli richtwirkung: compute a project completely and print the polar levels of both planes
// at one grid frequency, as the polar plots of the main window show them.
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "analysis/dir_data.h"
#include "analysis/polar_plot.h"
#include "cli/commands.h"
#include "cli/project_loading.h"
#include "model/physics.h"
#include "storage/numbers.h"

namespace sonora::cli {

namespace {

constexpr double kDefaultFrequency = 1000; // Hz

struct DirectivityOptions {
    std::string project;
    double frequency = kDefaultFrequency;
    bool vertikal = false;
};

bool parseDirectivityOptions(const Args& args, DirectivityOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--frequenz" && i + 1 < args.size()) {
            const std::optional<double> f = parseWholeNumber(args[++i]);
            if (!f || !(*f > 0)) {
                std::fprintf(stderr, "Ungültige Frequenz: %s\n\n", args[i].c_str());
                return false;
            }
            o.frequency = *f;
        } else if (a == "--vertikal") {
            o.vertikal = true;
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            return false;
        }
    }
    return !o.project.empty();
}

// Numbers as the program writes them into its files: at most 10 characters, decimal comma.
std::string number(double v) {
    return compactNumberText(kFileNumberWidth, v);
}

} // namespace

int runDirectivity(const Args& args) {
    DirectivityOptions o;
    if (!parseDirectivityOptions(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    // Polar data of a failed run would be stale or empty: the helper shows why instead.
    const ComputedProject computed = readAndCalculate(o.project);
    if (!computed.result) {
        return computed.exitCode;
    }

    auto data = makeDirData();
    Fill(*data, *computed.result);
    if (data->nvalues <= 0) {
        std::fprintf(stderr, "Berechnung fehlerhaft.\n");
        return kExitFailed;
    }
    const int j = nearestGridIndex(*data, o.frequency);
    if (o.vertikal) {
        // The vertical directivity map relative to the per-frequency 0° reference.
        computeMapValues(*data, true, 0, kAxisAngleIndex);
    }
    std::printf("Frequenz: %s Hz\n", number(data->x[j]).c_str());
    for (int a = 0; a < kPlaneAngles; ++a) {
        std::string line = std::to_string(a - kAxisAngleIndex) + "\t" +
                           number(polarLevel(data->yh[j][a])) + "\t" +
                           number(polarLevel(data->yv[j][a]));
        if (o.vertikal) {
            line += "\t" + number(20 * std::log10(data->y[j][a] + kLevelGuard));
        }
        std::printf("%s\n", line.c_str());
    }
    return kExitOk;
}

} // namespace sonora::cli
