// sonora-cli frd: compute a project completely and write its curves for other programs into a
// folder, responses as FRD and amplifier impedances as ZMA files.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "analysis/curve_export.h"
#include "cli/commands.h"
#include "cli/project_loading.h"
#include "storage/latin1.h"

namespace sonora::cli {

namespace {

struct FrdOptions {
    std::string project;
    std::string folder;
    std::string angles{kDefaultCurveAngles};
};

bool parseFrdOptions(const Args& args, FrdOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--winkel" && i + 1 < args.size()) {
            o.angles = args[++i]; // an empty list writes no plane angle
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
        } else if (!a.empty() && a[0] != '-' && o.folder.empty()) {
            o.folder = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            return false;
        }
    }
    return !o.project.empty() && !o.folder.empty();
}

} // namespace

int runFrd(const Args& args) {
    FrdOptions o;
    if (!parseFrdOptions(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    CurveExportChoice choice;
    std::string error;
    if (!parsePlaneAngles(o.angles, choice.angles, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }
    const ComputedProject computed = readAndCalculate(o.project);
    if (!computed.result) {
        return computed.exitCode;
    }
    // The headers name the project by its file name.
    const std::string name = utf8ToLatin1(std::filesystem::path(o.project).stem().string());
    std::vector<std::string> written;
    if (!writeCurveExport(o.folder, *computed.result, name, choice, written, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return kExitUsage;
    }
    std::printf("%zu Dateien geschrieben in %s:\n", written.size(), o.folder.c_str());
    for (const std::string& file : written) {
        std::printf("  %s\n", file.c_str());
    }
    return kExitOk;
}

} // namespace sonora::cli
