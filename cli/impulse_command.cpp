// sonora-cli impuls: compute a project completely and print how the impulse and step response of
// the box on axis (or of one driver as it reaches the box) were made; --csv writes both per
// sample.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/driver_response.h"
#include "analysis/impulse_response.h"
#include "cli/commands.h"
#include "cli/project_loading.h"
#include "engine/box_sum.h"
#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/numbers.h"

namespace sonora::cli {

namespace {

constexpr double kMsPerSecond = 1000.0;

struct ImpulseOptions {
    std::string project;
    std::string csv; // empty: no table
    int driver = 0;  // 1-based; 0: the box on axis
    ImpulseSettings settings;
};

bool parseImpulseOptions(const Args& args, ImpulseOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size() && !args[i + 1].empty();
        const std::optional<double> typed = hasValue ? parseWholeNumber(args[i + 1]) : std::nullopt;
        const double v = typed.value_or(0);
        if (a == "--csv" && hasValue) {
            o.csv = args[++i];
        } else if (a == "--chassis" && typed && v >= 1 && v <= kMaxChassis &&
                   v == static_cast<int>(v)) {
            o.driver = static_cast<int>(v);
            ++i;
        } else if (a == "--abtastrate" && typed) {
            o.settings.sampleRate = v;
            ++i;
        } else if (a == "--laenge" && typed && v >= 0 && v <= (1 << 30) &&
                   v == static_cast<int>(v)) {
            o.settings.length = static_cast<int>(v);
            ++i;
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            return false;
        }
    }
    return !o.project.empty();
}

std::string number(double value) {
    return compactNumberText(kFileNumberWidth, value);
}

// Time in ms, impulse and step per sample, ";" between the fields as the program's other tables.
std::string csvText(const ImpulseResponse& r) {
    std::string text = "t [ms];Impulsantwort;Sprungantwort\r\n";
    for (int m = 0; m < r.length; ++m) {
        text += number((m - r.zeroSample) * kMsPerSecond / r.sampleRate);
        text += ';';
        text += number(r.impulse[static_cast<std::size_t>(m)]);
        text += ';';
        text += number(r.step[static_cast<std::size_t>(m)]);
        text += "\r\n";
    }
    return text;
}

} // namespace

int runImpulse(const Args& args) {
    ImpulseOptions o;
    if (!parseImpulseOptions(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    const ComputedProject computed = readAndCalculate(o.project);
    if (!computed.result) {
        return computed.exitCode;
    }
    const TResult& r = *computed.result;
    const int n = std::clamp(r.nfreq, 0, kResultFreqs - 1);
    std::vector<Complex> response(static_cast<std::size_t>(n));
    std::string curve = "Box auf Achse";
    if (o.driver > 0) {
        const int d = o.driver - 1;
        if (d >= std::clamp(r.nChassis, 0, kMaxChassis) || networkAmp(r, d) < 0) {
            std::fprintf(stderr, "Chassis %d gibt es nicht oder es liegt in keiner Weiche.\n",
                         o.driver);
            return kExitUsage;
        }
        for (int i = 0; i < n; ++i) {
            response[i] = driverOnAxis(r, d, i);
        }
        curve =
            "Chassis " + std::to_string(o.driver) + " " + latin1ToUtf8(r.chassisNames[d].view());
    } else {
        for (int i = 0; i < n; ++i) {
            response[i] = r.fgang_box[i][0];
        }
    }
    ImpulseResponse ir;
    std::string error;
    if (!computeImpulseResponse(r.freq, response.data(), n, o.settings, ir, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }
    std::size_t peak = 0;
    for (std::size_t m = 1; m < ir.impulse.size(); ++m) {
        if (std::abs(ir.impulse[m]) > std::abs(ir.impulse[peak])) {
            peak = m;
        }
    }
    const auto text = [](double v) { return latin1ToUtf8(number(v)); };
    std::printf("Kurve: %s\n", curve.c_str());
    std::printf("Abtastrate: %s Hz\n", text(ir.sampleRate).c_str());
    std::printf("Länge: %d Samples (%s s), t = 0 bei Sample %d\n", ir.length,
                text(ir.length / ir.sampleRate).c_str(), ir.zeroSample);
    std::printf("Unter %s Hz: Steigung der untersten Oktave, %s dB/Oktave\n",
                text(ir.lowestFrequency).c_str(), text(ir.lowSlope).c_str());
    std::printf("Über %s Hz: halbes Hann-Fenster bis %s Hz\n", text(ir.fadeStart).c_str(),
                text(ir.fadeEnd).c_str());
    std::printf(
        "Größter Betrag der Impulsantwort bei %s ms\n",
        text((static_cast<double>(peak) - ir.zeroSample) * kMsPerSecond / ir.sampleRate).c_str());
    if (!o.csv.empty() && !writeCommandTable(o.csv, csvText(ir))) {
        return kExitUsage;
    }
    return kExitOk;
}

} // namespace sonora::cli
