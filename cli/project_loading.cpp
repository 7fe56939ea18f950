#include "cli/project_loading.h"

#include <chrono>
#include <cstdio>

#include "cli/terminal_prompt.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"

#include "measure/results_export.h"
#include "measure/results_export_sections.h"
#include "model/record_defaults.h"
#include "storage/file_form.h"
#include "storage/latin1.h"
#include "storage/project_file.h"

namespace sonora::cli {

namespace {

using namespace std::chrono_literals;

// A whole calculation takes well under a second; this only guards against a hang.
constexpr auto kCalcTimeout = 600s;

} // namespace

bool loadProjectAnyForm(const std::string& path, TProjekt& project, UserPrompt& prompt) {
    const FileForm form = detectFileFormOf(path);
    if (form == FileForm::Unknown) {
        prompt.showMessage(
            utf8ToLatin1(path + "\rist keine gültige Projektdatei dieser Version von Sonora."));
        return false;
    }
    initDefaultProjekt(project);
    if (readProjectFile(project, path, form != FileForm::Plain, prompt) != ProjectReadStatus::Ok) {
        return false;
    }
    recomputeDerivedDriverValues(project);
    return true;
}

std::unique_ptr<TResult> calculateValidResult(const TProjekt& project) {
    TFormRechnen form;
    TCalcThread::Options co;
    co.pause = 0ms; // no pause between stages: nobody watches the progress
    co.lowerPriority = false;
    co.listener = &form;
    TCalcThread calc(co);
    form.attach(&calc);
    form.CalcAllNew(project);
    if (!calc.waitUntilIdle(kCalcTimeout)) {
        std::fprintf(stderr, "Die Berechnung wurde nach %lld s abgebrochen.\n",
                     static_cast<long long>(kCalcTimeout.count()));
        return nullptr;
    }
    if (!form.result || !form.result->valid) {
        for (const std::string& line : form.ErrMemo) {
            std::fprintf(stderr, "%s\n", terminalText(line).c_str());
        }
        std::fprintf(stderr, "Berechnung fehlerhaft.\n");
        return nullptr;
    }
    return std::move(form.result);
}

bool exportResults(const std::string& path, const std::string& sections, const TProjekt&,
                   const TResult& result, UserPrompt& prompt) {
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

} // namespace sonora::cli
