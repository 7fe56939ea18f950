#include "cli/project_loading.h"

#include "measure/results_export.h"
#include "measure/results_export_sections.h"
#include "model/record_defaults.h"
#include "storage/file_form.h"
#include "storage/latin1.h"
#include "storage/project_file.h"

namespace sonora::cli {

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
