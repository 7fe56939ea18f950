#include "app/ui/program.h"

#include <QDir>
#include <optional>

#include "app/ui/main_window.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"
#include "storage/folders.h"
#include "storage/settings.h"

namespace sonora::ui {

int runProgram(QApplication& app) {
    installGermanTranslation(app);
    const QStringList args = QApplication::arguments();
    std::optional<std::string> argument;
    if (args.size() > 1) {
        argument = toUtf8(args.at(1));
    }
    QtPrompt prompt;
    MainWindowOptions options;
    options.environment = startUp(platformBaseFolders(), prompt);
    options.calcPause = std::chrono::milliseconds(options.environment.settings.calcPauseMs);
    options.paths.programFolder = toUtf8(QApplication::applicationDirPath());
    options.paths.tempFolder = toUtf8(QDir::tempPath());
    MainWindow window(std::move(options));
    if (window.start(argument) == StartUpOutcome::Quit) {
        return 1;
    }
    window.show();
    return app.exec();
}

} // namespace sonora::ui
