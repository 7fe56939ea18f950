// sonora-screenshots: renders the main window with a project, one PNG per result tab, and the
// editors, tool windows and dialogs a first-time user meets, without a screen (run with
// QT_QPA_PLATFORM=offscreen). Used for the pictures of the README and the user guides.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <utility>

#include "app/shell/crossover_editor.h"
#include "app/ui/chart_view.h"
#include "app/ui/crossover_editor_canvas.h"
#include "app/ui/crossover_editor_window.h"
#include "app/ui/crossover_finder_window.h"
#include "app/ui/export_window.h"
#include "app/ui/main_window.h"
#include "app/ui/near_field_window.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"
#include "app/ui/status_line.h"
#include "app/ui/tolerance_window.h"
#include "storage/folders.h"
#include "storage/settings.h"

namespace {

constexpr int kWidth = 1280; // pixels of each picture
constexpr int kHeight = 860;
constexpr int kCalcTimeoutMs = 120000;
constexpr double kCursorFrequency = 1000; // Hz, where the box chart's cursor stands
constexpr int kToleranceTrials = 40;      // enough for a band that reads, quick to compute

// The menu bar's menu with this caption (mnemonic included), or null.
QMenu* menuNamed(QMenuBar* bar, const QString& caption) {
    for (QAction* a : bar->actions()) {
        if (a->menu() != nullptr && a->text() == caption) {
            return a->menu();
        }
    }
    return nullptr;
}

bool savePicture(const QPixmap& picture, const QString& folder, const char* fileName) {
    const QString file = QDir(folder).filePath(QString::fromLatin1(fileName));
    if (!picture.save(file)) {
        std::fprintf(stderr, "Kann %s nicht schreiben.\n", qPrintable(file));
        return false;
    }
    std::printf("%s\n", qPrintable(file));
    return true;
}

bool alwaysWritable(const std::string&) {
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    sonora::ui::installGermanTranslation(app);
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
        if (k == 0) {
            // The box chart with its frequency cursor standing at 1 kHz and the cursor's text.
            emit window.chartView(ChartKind::Box)->pointerMoved(kCursorFrequency);
            QApplication::processEvents();
        }
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
    // The "Datei" menu opened over the box chart. The menu is a window of its own, so it is
    // painted into the main window's picture where it stands.
    tabs->setCurrentIndex(0);
    if (QMenu* file = menuNamed(window.menuBar(), QStringLiteral("&Datei"))) {
        const QRect item = window.menuBar()->actionGeometry(file->menuAction());
        file->popup(window.menuBar()->mapToGlobal(item.bottomLeft()));
        QApplication::processEvents();
        QPixmap shot = window.grab();
        {
            QPainter painter(&shot);
            painter.drawPixmap(window.mapFromGlobal(file->pos()), file->grab());
        }
        file->hide();
        if (!savePicture(shot, args.at(2), "menue_datei.png")) {
            return 1;
        }
        // "Export ..." with the on-axis response and the amplifier's impedance chosen.
        for (QAction* a : file->actions()) {
            if (a->text() == QStringLiteral("&Export ...")) {
                a->trigger();
            }
        }
        if (auto* w = window.findChild<ui::ExportWindow*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QStringList chosen = {QStringLiteral("Frequenzgang auf Achse und Phase"),
                                        QString::fromUtf8("Impedanzgang an Verstärker")};
            for (QCheckBox* box : w->findChildren<QCheckBox*>()) {
                box->setChecked(chosen.contains(box->text()));
            }
            QApplication::processEvents();
            const bool written = savePicture(w->grab(), args.at(2), "export.png");
            w->close();
            if (!written) {
                return 1;
            }
        }
    }
    // The active-filter editor of amplifier 1 and the shared-cabinet editor with its preview.
    const auto saveEditor = [&](const char* objectName, const char* fileName) {
        auto* w = window.findChild<QWidget*>(QString::fromLatin1(objectName));
        if (w == nullptr) {
            return true; // refused or not there: no picture
        }
        QApplication::processEvents();
        const QString file = QDir(args.at(2)).filePath(QString::fromLatin1(fileName));
        const bool written = w->grab().save(file);
        std::printf("%s\n", qPrintable(file));
        w->close();
        return written;
    };
    if (auto* amp = window.findChild<QMenu*>(QStringLiteral("ampMenu1"))) {
        for (QAction* a : amp->actions()) {
            if (a->text() == QStringLiteral("Aktive Filter editieren")) {
                a->trigger();
            }
        }
    }
    if (!saveEditor("activeFilterEditor", "aktive_filter.png")) {
        return 1;
    }
    // The crossover editor of amplifier 1, and the part dialog of its first capacitor as the
    // right mouse button opens it.
    if (auto* amp = window.findChild<QMenu*>(QStringLiteral("ampMenu1"))) {
        for (QAction* a : amp->actions()) {
            if (a->text() == QStringLiteral("Passive Weiche editieren")) {
                a->trigger();
            }
        }
    }
    if (auto* editor =
            window.findChild<ui::CrossoverEditorWindow*>(QStringLiteral("crossoverEditor"))) {
        int capacitor = -1;
        for (int slot = 0; slot < kUsedPartSlots && capacitor < 0; ++slot) {
            if (editor->editor().slot(slot).typ == kPartCapacitor) {
                capacitor = slot;
            }
        }
        auto* canvas = editor->findChild<ui::CrossoverCanvas*>();
        if (capacitor >= 0 && canvas != nullptr) {
            emit canvas->partDialogRequested(capacitor, canvas->mapToGlobal(QPoint(0, 0)));
            QApplication::processEvents();
            if (auto* part = editor->findChild<QDialog*>(QStringLiteral("partDialog"))) {
                const bool written = savePicture(part->grab(), args.at(2), "bauteil.png");
                part->reject();
                QApplication::processEvents();
                if (!written) {
                    return 1;
                }
            }
        }
    }
    if (!saveEditor("crossoverEditor", "weiche.png")) {
        return 1;
    }
    if (QAction* cabinet = window.findChild<QAction*>(QStringLiteral("sharedCabinet"))) {
        cabinet->trigger();
        if (auto* preview = window.findChild<QCheckBox*>(QStringLiteral("previewSwitch"))) {
            preview->setChecked(true);
        }
        if (auto* pages = window.findChild<QTabWidget*>(QStringLiteral("sharedCabinetPages"))) {
            pages->setCurrentIndex(1); // the first drivers' rows
        }
    }
    if (!saveEditor("sharedCabinetEditor", "gemeinsames_gehaeuse.png")) {
        return 1;
    }
    // The driver editor of driver 1 on its page of Thiele-Small values and derived values.
    if (auto* drivers = window.findChild<QMenu*>(QStringLiteral("driverMenu"))) {
        if (!drivers->actions().isEmpty()) {
            drivers->actions().front()->trigger();
        }
        if (auto* editor = window.findChild<QWidget*>(QStringLiteral("driverEditor"))) {
            editor->resize(kWidth * 3 / 4, kHeight * 3 / 4);
            if (auto* pages = editor->findChild<QTabWidget*>()) {
                pages->setCurrentIndex(1); // "Parameter"
            }
        }
    }
    if (!saveEditor("driverEditor", "chassis_editor.png")) {
        return 1;
    }
    // The optimizer window as it opens on the project.
    if (QAction* optimizer = window.findChild<QAction*>(QStringLiteral("optimizer"))) {
        optimizer->trigger();
        if (auto* w = window.findChild<QWidget*>(QStringLiteral("optimizerWindow"))) {
            QApplication::processEvents();
            const QString file = QDir(args.at(2)).filePath(QStringLiteral("optimierer.png"));
            if (!w->grab().save(file)) {
                std::fprintf(stderr, "Kann %s nicht schreiben.\n", qPrintable(file));
                return 1;
            }
            std::printf("%s\n", qPrintable(file));
            w->close();
        }
    }
    // "SONORA - Hilfsberechnungen" on its port page (entries, dimensions picture, results) and on
    // the impedance corrections (the three networks across the driver).
    if (QAction* calculators = window.findChild<QAction*>(QStringLiteral("calculators"))) {
        calculators->trigger();
        if (auto* w = window.findChild<QWidget*>(QStringLiteral("calculatorsWindow"))) {
            auto* pages = w->findChild<QTabWidget*>();
            const std::pair<int, const char*> shots[] = {
                {2, "hilfsberechnungen.png"},  // "Bassreflexkanal"
                {5, "impedanzkorrektur.png"}}; // "Impedanzkorrekturglieder"
            for (const auto& [page, name] : shots) {
                if (pages != nullptr) {
                    pages->setCurrentIndex(page);
                }
                QApplication::processEvents();
                const QString file = QDir(args.at(2)).filePath(QString::fromLatin1(name));
                if (!w->grab().save(file)) {
                    std::fprintf(stderr, "Kann %s nicht schreiben.\n", qPrintable(file));
                    return 1;
                }
                std::printf("%s\n", qPrintable(file));
            }
            w->close();
        }
    }
    // The crossover finder (driver 1 against the others) and the near-field map at 1 kHz.
    const auto saveTool = [&](const char* action, const char* fileName, auto prepare) {
        QAction* a = window.findChild<QAction*>(QString::fromLatin1(action));
        if (a == nullptr) {
            return true;
        }
        a->trigger();
        auto* w =
            window.findChild<QWidget*>(QString::fromLatin1(action), Qt::FindDirectChildrenOnly);
        if (w == nullptr) {
            return true;
        }
        prepare(w);
        QApplication::processEvents();
        const QString file = QDir(args.at(2)).filePath(QString::fromLatin1(fileName));
        if (!w->grab().save(file)) {
            std::fprintf(stderr, "Kann %s nicht schreiben.\n", qPrintable(file));
            return false;
        }
        std::printf("%s\n", qPrintable(file));
        w->close();
        return true;
    };
    const bool finder = saveTool("crossoverFinder", "trennfrequenzen.png", [](QWidget* w) {
        auto* f = static_cast<ui::CrossoverFinderWindow*>(w);
        for (int n = 0; n < f->groupList(1)->count(); ++n) {
            f->groupList(n == 0 ? 1 : 2)->item(n)->setCheckState(Qt::Checked);
        }
    });
    const bool nearField = saveTool("nearField", "nahfeld.png", [](QWidget* w) {
        w->resize(kWidth * 7 / 8, kHeight * 3 / 4);
        static_cast<ui::NearFieldWindow*>(w)->redraw();
    });
    // The tolerance analysis after a short run with sensitivities.
    bool toleranceDone = true;
    const bool tolerance = saveTool("tolerance", "toleranz.png", [&](QWidget* w) {
        auto* t = static_cast<ui::ToleranceWindow*>(w);
        t->entryField(ToleranceEntry::Trials)->setText(QString::number(kToleranceTrials));
        t->sensitivitiesBox()->setChecked(true);
        t->resize(kWidth, kHeight);
        QElapsedTimer run;
        run.start();
        if (!t->start()) {
            toleranceDone = false;
            return;
        }
        while (t->running()) {
            if (run.elapsed() > kCalcTimeoutMs) {
                toleranceDone = false;
                t->cancel();
            }
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            QThread::msleep(10);
        }
    });
    if (!toleranceDone) {
        std::fprintf(stderr, "Die Toleranzanalyse wurde nicht fertig.\n");
    }
    if (!finder || !nearField || !tolerance || !toleranceDone) {
        return 1;
    }
    window.close();
    return 0;
}
