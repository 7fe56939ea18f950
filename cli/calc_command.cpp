// sonora-cli calc: read a project in any form, compute it completely, print the error list and
// the final message as the main window shows them, and optionally export the results and draw the
// result charts into PNG files.
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "cli/project_loading.h"
#include "cli/terminal_prompt.h"

#ifdef SONORA_CLI_PLOTS
#include "app/ui/plot_export.h"
#endif

namespace sonora::cli {

namespace {

struct CalcOptions {
    std::string project;
    std::string exportFile;
    std::string sections;
    std::string plotFolder;
    bool quiet = false;
};

bool parseCalcOptions(const Args& args, CalcOptions& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--export" || a == "--sections") && i + 1 < args.size()) {
            (a == "--export" ? o.exportFile : o.sections) = args[++i];
        } else if (a == "--plots" && i + 1 < args.size() && !args[i + 1].empty()) {
            o.plotFolder = args[++i];
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            return false;
        }
    }
    return !o.project.empty();
}

// The charts of the result as PNG files in `folder`; false with the reasons on standard error.
bool writePlots(const std::string& folder, const TProjekt& project, const TResult& result,
                bool quiet) {
#ifdef SONORA_CLI_PLOTS
    const ui::PlotExport plots = ui::writeResultPlots(project, result, folder);
    for (const std::string& error : plots.errors) {
        std::fprintf(stderr, "%s\n", error.c_str());
    }
    if (!quiet) {
        for (const std::string& file : plots.files) {
            std::printf("Diagramm geschrieben: %s\n", file.c_str());
        }
    }
    return plots.ok();
#else
    (void)folder, (void)project, (void)result, (void)quiet;
    std::fprintf(stderr, "--plots: sonora-cli ist ohne die Qt-Diagramme gebaut.\n");
    return false;
#endif
}

} // namespace

int runCalc(const Args& args) {
    CalcOptions o;
    if (!parseCalcOptions(args, o)) {
        printUsage(stderr);
        return kExitUsage;
    }
    const std::unique_ptr<TProjekt> project = readCommandProject(o.project);
    if (!project) {
        return kExitUsage;
    }

    ProjectRun run;
    if (!run.run(*project)) {
        return kExitFailed;
    }
    const bool valid = run.valid();
    if (!o.quiet) {
        for (const std::string& line : run.errorList()) {
            std::printf("%s\n", terminalText(line).c_str());
        }
        // The error list ends with "Berechnung war erfolgreich." when every stage succeeded;
        // otherwise the red status line follows, without its click hint.
        if (!valid) {
            std::printf("Berechnung fehlerhaft.\n");
        }
    }
    if (!o.exportFile.empty()) {
        if (!exportResults(o.exportFile, o.sections, run.result())) {
            return kExitUsage;
        }
        if (!o.quiet) {
            std::printf("Export geschrieben: %s\n", o.exportFile.c_str());
        }
    }
    if (!o.plotFolder.empty() && !writePlots(o.plotFolder, *project, run.result(), o.quiet)) {
        return kExitUsage;
    }
    return valid ? kExitOk : kExitFailed;
}

} // namespace sonora::cli
