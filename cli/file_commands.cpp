// sonora-cli info and convert: look into project and driver files and rewrite them in another form.
#include <cstdio>
#include <memory>

#include "cli/commands.h"
#include "cli/project_loading.h"
#include "cli/terminal_prompt.h"
#include "engine/voice_coil_fit.h"
#include "model/record_defaults.h"
#include "storage/driver_file.h"
#include "storage/file_form.h"
#include "storage/file_io.h"
#include "storage/latin1.h"
#include "storage/my_ini_file.h"
#include "storage/project_file.h"

namespace sonora::cli {

namespace {

enum class FileKind { Project, Driver, Other };

// Project files have the section "General", driver files the section "Chassis".
FileKind kindOf(TMyIniFile& ini) {
    if (ini.SectionExists("General")) {
        return FileKind::Project;
    }
    if (ini.SectionExists(kDriverSection)) {
        return FileKind::Driver;
    }
    return FileKind::Other;
}

// Opens `path` for reading in the form its first bytes show; null with a message when the file
// is missing, in no form of the key-value file, or damaged.
std::unique_ptr<TMyIniFile> openAnyForm(const std::string& path, FileForm& form,
                                        UserPrompt& prompt) {
    if (!fileExists(path)) {
        prompt.showMessage(utf8ToLatin1("Die Datei " + path + " gibt es nicht."));
        return nullptr;
    }
    form = detectFileFormOf(path);
    if (form == FileForm::Unknown) {
        prompt.showMessage(utf8ToLatin1(path) + " hat falsches Format.");
        return nullptr;
    }
    auto ini = std::make_unique<TMyIniFile>(path, true, false, form != FileForm::Plain,
                                            form == FileForm::Compressed);
    for (const std::string& m : ini->messages()) {
        prompt.showMessage(m);
    }
    if (ini->readRefused()) {
        return nullptr;
    }
    return ini;
}

} // namespace

int runInfo(const Args& args) {
    if (args.size() != 1) {
        printUsage(stderr);
        return kExitUsage;
    }
    const std::string& path = args[0];
    TerminalPrompt prompt;
    FileForm form = FileForm::Unknown;
    auto ini = openAnyForm(path, form, prompt);
    if (!ini) {
        return kExitUsage;
    }
    const int version = ini->ReadInteger("Header", "Version", 0);
    const FileKind kind = kindOf(*ini);
    std::printf("Datei:    %s\n", path.c_str());
    std::printf("Form:     %s\n", fileFormName(form));
    std::printf("Version:  %d\n", version);
    if (kind == FileKind::Project) {
        auto p = std::make_unique<TProjekt>();
        initDefaultProjekt(*p);
        if (readProjectFile(*p, path, form != FileForm::Plain, prompt, fitVoiceCoilOfOldFile) !=
            ProjectReadStatus::Ok) {
            return kExitUsage;
        }
        std::printf("Art:      Projekt\n");
        std::printf("Verstärker: %d\nChassis:  %d\nFrequenzpunkte: %d\n", p->nAmps, p->nChassis,
                    p->sz);
        for (int n = 0; n < p->nChassis; ++n) {
            std::printf("Chassis %d: %s\n", n + 1, terminalText(p->chassis[n].name.str()).c_str());
        }
        return kExitOk;
    }
    if (kind == FileKind::Driver) {
        auto c = std::make_unique<TChassis>();
        initDefaultChassis(*c);
        if (!loadDriver(*c, path, form != FileForm::Plain, prompt, fitVoiceCoilOfOldFile)) {
            return kExitUsage;
        }
        std::printf("Art:      Chassis\n");
        std::printf("Name:     %s\n", terminalText(c->name.str()).c_str());
        std::printf("Datum:    %s\n", terminalText(c->pubdate.str()).c_str());
        return kExitOk;
    }
    std::printf("Art:      unbekannt (%d Abschnitte)\n", ini->nSections());
    return kExitOk;
}

int runConvert(const Args& args) {
    std::string in, out;
    bool compressed = true;
    for (const std::string& a : args) {
        if (a == "--plain") {
            compressed = false;
        } else if (a == "--compressed") {
            compressed = true;
        } else if (!a.empty() && a[0] != '-' && in.empty()) {
            in = a;
        } else if (!a.empty() && a[0] != '-' && out.empty()) {
            out = a;
        } else {
            std::fprintf(stderr, "Unbekannte Option: %s\n\n", a.c_str());
            printUsage(stderr);
            return kExitUsage;
        }
    }
    if (in.empty() || out.empty()) {
        printUsage(stderr);
        return kExitUsage;
    }
    TerminalPrompt prompt;
    FileForm form = FileForm::Unknown;
    auto source = openAnyForm(in, form, prompt);
    if (!source) {
        return kExitUsage;
    }
    if (kindOf(*source) == FileKind::Other) {
        prompt.showMessage(utf8ToLatin1(in + " ist weder Projekt- noch Chassisdatei."));
        return kExitUsage;
    }
    // Section for section and key for key: nothing is interpreted, so the new file holds exactly
    // what the old one held, including keys of other program versions.
    TMyIniFile target(out, false, true, compressed, compressed);
    target.replaceAllSections(source->allSections());
    const bool ok = target.save();
    for (const std::string& m : target.messages()) {
        prompt.showMessage(m);
    }
    if (!ok) {
        return kExitUsage;
    }
    std::printf("%s geschrieben (%s)\n", out.c_str(),
                fileFormName(compressed ? FileForm::Compressed : FileForm::Plain));
    return kExitOk;
}

} // namespace sonora::cli
