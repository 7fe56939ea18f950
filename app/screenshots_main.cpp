// sonora-screenshots: renders the main window with a project, one PNG per result tab, without a
// screen (run with QT_QPA_PLATFORM=offscreen). Used for the pictures of the README.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>

#include "app/ui/main_window.h"
#include "app/ui/qt_text.h"
#include "app/ui/status_line.h"
#include "storage/folders.h"
#include "storage/settings.h"

namespace {

constexpr int kWidth = 1280; // pixels of each picture
constexpr int kHeight = 860;
constexpr int kCalcTimeoutMs = 120000;

bool alwaysWritable(const std::string&) {
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "Aufruf: sonora-screenshots PROJEKT.LSP ZIELORDNER\n");
        return 2;
    }
    using namespace sonora;
    // A private data folder, so the user's settings stay untouched.
    QTemporaryDir data;
    ScriptedPrompt prompt;
    BaseFolders base;
    base.programFolder = ui::toUtf8(data.path()) + "/prog/";
    base.appDataFolder = ui::toUtf8(data.path()) + "/home/";
    base.isWritable = alwaysWritable;
    ui::MainWindowOptions options;
    options.environment = startUp(base, prompt);
    options.paths.programFolder = base.programFolder;
    options.paths.tempFolder = ui::toUtf8(data.path()) + "/";
    options.calcPause = std::chrono::milliseconds(0);
    options.prompt = &prompt;
    ui::MainWindow window(std::move(options));
    if (window.start(ui::toUtf8(args.at(1))) != StartUpOutcome::Running) {
        std::fprintf(stderr, "Projekt nicht gefunden: %s\n", qPrintable(args.at(1)));
        return 1;
    }
    window.resize(kWidth, kHeight);
    window.show();
    QElapsedTimer clock;
    clock.start();
    const QString done = QStringLiteral("Berechnung war erfolgreich.");
    while (window.statusLine()->text() != done || window.calculation().running()) {
        if (clock.elapsed() > kCalcTimeoutMs) {
            std::fprintf(stderr, "Die Berechnung wurde nicht fertig.\n");
            return 1;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    QDir().mkpath(args.at(2));
    QTabWidget* tabs = window.tabs();
    for (int k = 0; k < tabs->count(); ++k) {
        tabs->setCurrentIndex(k);
        QApplication::processEvents();
        QString name = tabs->tabText(k);
        name.replace(QLatin1Char(' '), QLatin1Char('_')).remove(QLatin1Char('.'));
        const QString file =
            QDir(args.at(2))
                .filePath(
                    QStringLiteral("%1_%2.png").arg(k + 1, 2, 10, QLatin1Char('0')).arg(name));
        if (!window.grab().save(file)) {
            std::fprintf(stderr, "Kann %s nicht schreiben.\n", qPrintable(file));
            return 1;
        }
        std::printf("%s\n", qPrintable(file));
    }
    window.close();
    return 0;
}
