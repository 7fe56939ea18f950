// sonora-cli spinorama: compute a project completely and print the preference rating of its
// spinorama with the four inputs; --csv writes the curves per grid point.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "analysis/spinorama.h"
#include "cli/commands.h"
#include "cli/project_loading.h"
#include "cli/terminal_prompt.h"
#include "storage/file_io.h"
#include "storage/numbers.h"

namespace sonora::cli {

namespace {

struct SpinoramaOptions {
    std::string project;
    std::string csv; // empty: no table
};

bool parseSpinoramaOptions(const Args& args, SpinoramaOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--csv" && i + 1 < args.size() && !args[i + 1].empty()) {
            o.csv = args[++i];
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            return false;
        }
    }
    return !o.project.empty();
}

// The curves as a table for spreadsheets: ";" between the fields, numbers as the program writes
// them into its files (decimal comma, at most 10 characters), Latin-1, lines ending in "\r\n".
std::string csvText(const Spinorama& s) {
    std::string text = "f [Hz]";
    for (int c = 0; c < kSpinCurves; ++c) {
        text += ';';
        text += spinCurveCaption(static_cast<SpinCurve>(c));
        text += " [dB]";
    }
    text += "\r\n";
    for (int i = 0; i < s.nfreq; ++i) {
        text += compactNumberText(kFileNumberWidth, s.freq[i]);
        for (int c = 0; c < kSpinCurves; ++c) {
            text += ';';
            text += compactNumberText(kFileNumberWidth, s.curve[c][i]);
        }
        text += "\r\n";
    }
    return text;
}

} // namespace

int runSpinorama(const Args& args) {
    SpinoramaOptions o;
    if (!parseSpinoramaOptions(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    // The planes of a failed run would be stale or empty: the helper shows why instead.
    const ComputedProject computed = readAndCalculate(o.project);
    if (!computed.result) {
        return computed.exitCode;
    }

    auto spin = std::make_unique<Spinorama>();
    computeSpinorama(*computed.result, *spin);
    const PreferenceRating& r = spin->rating;
    std::printf("%s\n", terminalText(ratingScoreText(r, false)).c_str());
    std::printf("%s\n", terminalText(ratingScoreText(r, true)).c_str());
    for (int k = 0; k < kRatingInputs; ++k) {
        std::printf("%s\n", terminalText(ratingInputText(r, static_cast<RatingInput>(k))).c_str());
    }
    if (!o.csv.empty() && !writeCommandTable(o.csv, csvText(*spin))) {
        return kExitUsage;
    }
    return kExitOk;
}

} // namespace sonora::cli
