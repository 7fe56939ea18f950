// Shared set-up of the window tests: the program's application set-up, a private data folder and
// the main window's options.
#pragma once

#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <string>

#include "app/ui/main_window.h"
#include "app/ui/qt_german.h"
#include "app/ui/status_line.h"
#include "engine/calc_thread.h"
#include "model/user_prompt.h"
#include "storage/folders.h"
#include "storage/settings.h"

namespace sonora::ui::test {

inline bool alwaysWritable(const std::string&) {
    return true;
}

// Settings and folders below `dir` (its "prog/" plays the program folder, so nothing of the real
// home folder is touched), with every question answered by `prompt`.
inline MainWindowOptions windowOptions(const QTemporaryDir& dir, UserPrompt& prompt,
                                       std::chrono::milliseconds pause) {
    const std::string root = dir.path().toStdString() + "/";
    BaseFolders base;
    base.programFolder = root + "prog/";
    base.appDataFolder = root + "home/";
    base.isWritable = alwaysWritable;
    MainWindowOptions options;
    options.environment = startUp(base, prompt);
    options.paths.programFolder = base.programFolder;
    options.paths.tempFolder = root;
    options.calcPause = pause;
    options.prompt = &prompt;
    return options;
}

inline std::string exampleProject(const char* name) {
    return std::string(SONORA_EXAMPLES_DIR) + "/Projekte/" + name;
}

// The main window started on an example with every question answered by `prompt`, and shown;
// `window` is empty when the start did not end running.
struct WindowFixture {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    std::unique_ptr<MainWindow> window;

    explicit WindowFixture(const char* example) {
        window =
            std::make_unique<MainWindow>(windowOptions(dir, prompt, std::chrono::milliseconds(0)));
        if (window->start(exampleProject(example)) != StartUpOutcome::Running) {
            window.reset();
            return;
        }
        window->show();
    }
    const TProjekt& project() const { return window->workspace().project(); }
    // The last run succeeded, its result is valid and nothing runs.
    bool calculated() const {
        return window->statusLine()->text() == QStringLiteral("Berechnung war erfolgreich.") &&
               !window->calculation().running() && window->calculation().form().result &&
               window->calculation().form().result->valid;
    }
};

} // namespace sonora::ui::test

// The program's own set-up of a new application object, so the windows look as they do there.
inline void prepareTestApplication() {
    sonora::ui::installGermanTranslation(*QCoreApplication::instance());
}
Q_COREAPP_STARTUP_FUNCTION(prepareTestApplication)
