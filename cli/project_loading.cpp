#include "cli/project_loading.h"

#include <chrono>
#include <cstdio>

#include "cli/terminal_prompt.h"
#include "engine/driver_model.h"
#include "engine/voice_coil_fit.h"
#include "engine/worker_pool.h"
#include "measure/results_export.h"
#include "measure/results_export_sections.h"
#include "model/record_defaults.h"
#include "storage/file_form.h"
#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/project_file.h"

namespace sonora::cli {

namespace {
// A whole calculation takes well under a second; this only guards against a hang.
constexpr std::chrono::seconds kCalcTimeout{600};
} // namespace

bool loadProjectAnyForm(const std::string& path, TProjekt& project, UserPrompt& prompt) {
    const FileForm form = detectFileFormOf(path);
    if (form == FileForm::Unknown) {
        prompt.showMessage(
            utf8ToLatin1(path + "\rist keine gültige Projektdatei dieser Version von Sonora."));
        return false;
    }
    initDefaultProjekt(project);
    if (readProjectFile(project, path, form != FileForm::Plain, prompt, fitVoiceCoilOfOldFile) !=
        ProjectReadStatus::Ok) {
        return false;
    }
    recomputeDerivedDriverValues(project);
    return true;
}

std::unique_ptr<TResult> calculateValidResult(const TProjekt& project) {
    ProjectRun run;
    if (!run.run(project)) {
        return nullptr;
    }
    if (!run.valid()) {
        run.reportFailure();
        return nullptr;
    }
    return run.takeResult();
}

std::unique_ptr<TProjekt> readCommandProject(const std::string& path) {
    TerminalPrompt prompt;
    auto project = std::make_unique<TProjekt>();
    if (!loadProjectAnyForm(path, *project, prompt)) {
        return nullptr;
    }
    return project;
}

ComputedProject readAndCalculate(const std::string& path) {
    ComputedProject c;
    c.project = readCommandProject(path);
    if (!c.project) {
        c.exitCode = kExitUsage;
        return c;
    }
    c.result = calculateValidResult(*c.project);
    c.exitCode = c.result ? kExitOk : kExitFailed;
    return c;
}

bool writeCommandTable(const std::string& path, const std::string& text) {
    std::string error;
    if (!writeFileAtomically(path, std::vector<std::uint8_t>(text.begin(), text.end()), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    return true;
}

bool exportResults(const std::string& path, const std::string& sections, const TResult& result) {
    TerminalPrompt prompt;
    ExportSections chosen = ExportSections::all();
    if (!sections.empty()) {
        const ExportSectionList list = parseExportSectionList(sections);
        if (!list.ok()) {
            std::string names;
            for (const std::string& n : list.unknown) {
                names += (names.empty() ? "" : ", ") + n;
            }
            prompt.showMessage(utf8ToLatin1("Unbekannte Abschnitte: " + names +
                                            "\rMöglich sind: " + exportSectionNameList()));
            return false;
        }
        chosen = list.sections;
    }
    std::string error;
    if (!writeResultsExport(path, result, chosen, error)) {
        prompt.showMessage(utf8ToLatin1(error));
        return false;
    }
    return true;
}

ProjectRun::ProjectRun() {
    TCalcThread::Options co;
    co.pause = std::chrono::milliseconds(0); // nobody watches the progress
    co.lowerPriority = false;
    co.listener = &form_;
    co.poolSize = automaticPoolSize();
    calc_ = std::make_unique<TCalcThread>(co);
    form_.attach(calc_.get());
}

ProjectRun::~ProjectRun() = default;

bool ProjectRun::run(const TProjekt& project) {
    valid_ = false;
    form_.CalcAllNew(project);
    if (!calc_->waitUntilIdle(kCalcTimeout)) {
        std::fprintf(stderr, "Die Berechnung wurde nach %lld s abgebrochen.\n",
                     static_cast<long long>(kCalcTimeout.count()));
        return false;
    }
    // The run object is idle and its record ours until the next request; it carries the flag the
    // window's copy would carry.
    valid_ = form_.errCount == 0;
    calc_->Res->valid = valid_;
    return true;
}

void ProjectRun::reportFailure() const {
    for (const std::string& line : form_.ErrMemo) {
        std::fprintf(stderr, "%s\n", terminalText(line).c_str());
    }
    std::fprintf(stderr, "Berechnung fehlerhaft.\n");
}

} // namespace sonora::cli
