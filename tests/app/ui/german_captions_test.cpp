// Qt's standard parts speak German. Every main window, editor, tool window and dialog, the message
// and input boxes, the colour dialog and the file dialogs in Qt's own widget form are opened
// offscreen, once without Qt's translation and once with it, and none of them may show one of Qt's
// English standard captions. A deliberately English button box proves the walk can see them.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>
#include <iterator>
#include <memory>

#include "app/shell/crossover_editor.h"
#include "app/ui/crossover_editor_dialogs.h"
#include "app/ui/crossover_editor_library_dialog.h"
#include "app/ui/crossover_editor_window.h"
#include "app/ui/display_options_dialog.h"
#include "app/ui/export_window.h"
#include "app/ui/file_dialogs.h"
#include "app/ui/folders_dialog.h"
#include "app/ui/optimizer_window_parts.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_prompt.h"
#include "app/ui/status_line.h"
#include "gui_test_support.h"
#include "model/crossover_grid.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000;
constexpr int kModalTimeoutMs = 10000;

// Qt's English captions of its standard buttons and file dialog labels, and Qt's spelling of its
// OK button, which its German translation keeps; the program's own is "Ok".
const char* const kEnglish[] = {"Cancel", "Close",   "Open",      "Save",          "Yes", "No",
                                "Apply",  "Look in", "File name", "Files of type", "OK"};

// The caption as read: mnemonics and a closing colon or ellipsis do not make it another word.
QString plain(const QString& caption) {
    QString s;
    for (qsizetype k = 0; k < caption.size(); ++k) {
        if (caption.at(k) == QLatin1Char('&') && k + 1 < caption.size()) {
            ++k; // "&&" stands for one "&"
        }
        s += caption.at(k);
    }
    s = s.trimmed();
    while (s.endsWith(QLatin1Char(':')) || s.endsWith(QLatin1Char('.'))) {
        s.chop(1);
    }
    return s.trimmed();
}

// Every kind of window the walk opens.
const char* const kEveryWindow[] = {"sonora::ui::MainWindow",
                                    "sonora::ui::ProjectPropertiesDialog",
                                    "sonora::ui::DisplayOptionsDialog",
                                    "sonora::ui::DriverCopyDialog",
                                    "sonora::ui::SharedCabinetEditor",
                                    "sonora::ui::CrossoverFinderWindow",
                                    "sonora::ui::ComparisonCurvesWindow",
                                    "sonora::ui::NearFieldWindow",
                                    "sonora::ui::OptimizerDialog",
                                    "sonora::ui::CalculatorsWindow",
                                    "sonora::ui::FoldersDialog",
                                    "sonora::ui::ThreadMonitor",
                                    "sonora::ui::ExportWindow",
                                    "sonora::ui::DriverEditor",
                                    "sonora::ui::CrossoverEditorWindow",
                                    "sonora::ui::ActiveFilterEditor",
                                    "sonora::ui::PartDialogWindow",
                                    "sonora::ui::PartLibraryDialog",
                                    "sonora::ui::FreeWiresDialog",
                                    "sonora::ui::MouseAssignmentDialog",
                                    "sonora::ui::ErrorListDialog",
                                    "sonora::ui::PartValueDialog",
                                    "QMessageBox",
                                    "QInputDialog",
                                    "QColorDialog",
                                    "QFileDialog"};

bool isEnglish(const QString& caption) {
    const QString p = plain(caption);
    for (const char* word : kEnglish) {
        const Qt::CaseSensitivity cs =
            qstrcmp(word, "OK") == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
        if (p.compare(QLatin1String(word), cs) == 0) {
            return true;
        }
    }
    return false;
}

// Everything the walk read, and the English captions among it.
struct Walk {
    QStringList texts;
    QStringList english;
    QSet<QString> windows; // the classes of the windows read

    void take(const QString& text, const QWidget* w) {
        texts << plain(text);
        if (isEnglish(text)) {
            // Windows stay open while others are read, so a finding may come more than once.
            const QString finding =
                QStringLiteral("\"%1\" (%2 in \"%3\")")
                    .arg(text, QString::fromLatin1(w->metaObject()->className()),
                         w->window()->windowTitle());
            if (!english.contains(finding)) {
                english << finding;
            }
        }
    }
    bool saw(const char* utf8) const { return texts.contains(plain(QString::fromUtf8(utf8))); }

    // The window's title and the captions of every widget in it that the program has not hidden
    // (pages of tabs and stacks count: they show when their tab is chosen).
    void read(QWidget* top) {
        windows.insert(QString::fromLatin1(top->metaObject()->className()));
        take(top->windowTitle(), top);
        QList<QWidget*> all = top->findChildren<QWidget*>();
        all.prepend(top);
        for (QWidget* w : all) {
            if (w != top && w->isHidden() && w->parentWidget() != nullptr &&
                !w->parentWidget()->inherits("QStackedWidget")) {
                continue;
            }
            if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                take(b->text(), w);
            } else if (auto* l = qobject_cast<QLabel*>(w)) {
                take(l->text(), w);
            } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
                take(g->title(), w);
            } else if (auto* c = qobject_cast<QComboBox*>(w)) {
                for (int k = 0; k < c->count(); ++k) {
                    take(c->itemText(k), w);
                }
            } else if (auto* t = qobject_cast<QTabBar*>(w)) {
                for (int k = 0; k < t->count(); ++k) {
                    take(t->tabText(k), w);
                }
            } else if (auto* m = qobject_cast<QMenu*>(w)) {
                take(m->title(), w);
                for (const QAction* a : m->actions()) {
                    take(a->text(), w);
                }
            }
        }
    }

    // Every window that is open now.
    void readOpenWindows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible()) {
                read(w);
            }
        }
    }
};

// Runs `open`, which shows an application-modal dialog with its own event loop; the dialog is read
// and cancelled as soon as it shows. Returns whether a dialog came.
bool readModal(Walk& walk, const std::function<void()>& open) {
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            poll.stop();
            seen = true;
            walk.read(dialog);
            dialog->reject();
        }
    });
    poll.start();
    QTimer::singleShot(kModalTimeoutMs, &poll, [&] { poll.stop(); });
    open();
    return seen;
}

QAction* actionTitled(QWidget* in, const QString& title) {
    for (QAction* a : in->findChildren<QAction*>()) {
        if (a->text() == title) {
            return a;
        }
    }
    return nullptr;
}

// Closes every window but the main window, so that the next editor is not refused.
void closeOthers(QWidget* main) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != main && w->isVisible()) {
            w->close();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

struct Fixture : test::WindowFixture {
    Fixture() : WindowFixture("Dreiwege Bassreflex.LSP") {}
    QAction* action(const char* name) const {
        return window->findChild<QAction*>(QString::fromLatin1(name));
    }
    // Triggers the entry and reads what it opened.
    void openAndRead(Walk& walk, QAction* entry) const {
        QVERIFY(entry != nullptr);
        entry->trigger();
        walk.readOpenWindows();
        closeOthers(window.get());
    }
};

// The windows of the crossover editor: the editor itself, the part dialog with its library, the
// free wires and the key assignment.
void walkCrossoverEditor(Walk& walk, const Fixture& f) {
    f.window->findChild<QMenu*>(QStringLiteral("ampMenu1"))->actions()[0]->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto editors = f.window->findChildren<CrossoverEditorWindow*>();
    QCOMPARE(editors.size(), 1);
    CrossoverEditorWindow* w = editors.front();
    int part = -1;
    for (int s = 0; s < kFirstFreeWireSlot && part < 0; ++s) {
        if (gridSlotNodes(s).nod2 != 0 && w->editor().slot(s).typ != kPartEmpty &&
            w->editor().slot(s).typ != kPartWire) {
            part = s;
        }
    }
    QVERIFY(part >= 0);
    w->openPartDialog(part, w->mapToGlobal(QPoint(0, 0)));
    w->openFreeWires();
    w->openMouseAssignment();
    const auto parts = w->findChildren<PartDialogWindow*>();
    QCOMPARE(parts.size(), 1);
    parts.front()->openLibrary();
    walk.readOpenWindows();
    QVERIFY(w->findChild<PartLibraryDialog*>() != nullptr);
    QVERIFY(w->findChild<FreeWiresDialog*>() != nullptr);
    QVERIFY(w->findChild<MouseAssignmentDialog*>() != nullptr);
    closeOthers(f.window.get());
}

// The dialogs that run their own event loop: message, question and input boxes, the colour
// dialog, the optimizer's part values, and the file dialogs where the program asks for files.
void walkModalDialogs(Walk& walk, const Fixture& f) {
    QtPrompt prompt(f.window.get());
    QVERIFY(readModal(walk, [&] { prompt.showMessage("Nachricht"); }));
    QVERIFY(readModal(walk, [&] { prompt.choose("Frage?", "&Ja|&Nein", 1); }));
    std::string value = "1";
    QVERIFY(readModal(walk, [&] { prompt.askValue("Wert", "Neuer Wert:", value); }));

    f.action("displayOptions")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* options = f.window->findChild<DisplayOptionsDialog*>();
    QVERIFY(options != nullptr);
    QVERIFY(readModal(walk, [&] { options->ampButtons().front()->click(); }));
    closeOthers(f.window.get());

    TPart part{};
    part.typ = kPartCapacitor;
    part.value = 1e-6;
    PartValueDialog values(part, f.window.get());
    QVERIFY(readModal(walk, [&] { values.exec(); }));

    // The program's own places that ask for a file or a folder.
    QAction* load = actionTitled(f.window.get(), QStringLiteral("&Laden ..."));
    QAction* save = actionTitled(f.window.get(), QStringLiteral("&Speichern ..."));
    QVERIFY(load != nullptr && save != nullptr);
    QVERIFY(readModal(walk, [&] { load->trigger(); }));
    QVERIFY(readModal(walk, [&] { save->trigger(); }));
    f.action("folders")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* folders = f.window->findChild<FoldersDialog*>();
    QVERIFY(folders != nullptr);
    QVERIFY(readModal(walk, [&] { folders->search(0); }));
    closeOthers(f.window.get());
    actionTitled(f.window.get(), QStringLiteral("&Export ..."))->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* exporter = f.window->findChild<ExportWindow*>();
    QVERIFY(exporter != nullptr);
    if (exporter->exportButton()->isEnabled()) {
        QVERIFY(readModal(walk, [&] { exporter->exportButton()->click(); }));
    }
    closeOthers(f.window.get());
}

// Qt's own file dialog in each of its three uses.
void walkFileDialogs(Walk& walk) {
    for (FileDialogMode mode :
         {FileDialogMode::Open, FileDialogMode::Save, FileDialogMode::Folder}) {
        FileDialogRequest request;
        request.mode = mode;
        request.title = QStringLiteral("Datei");
        request.start = QDir::tempPath();
        request.filter = QStringLiteral("Projektdateien (*.LSP *.lsp);;Alle Dateien (*)");
        auto dialog = makeFileDialog(nullptr, request);
        dialog->setOption(QFileDialog::DontUseNativeDialog, true);
        dialog->show();
        QApplication::processEvents();
        walk.read(dialog.get());
        dialog->reject();
    }
}

// Every main window, editor, tool window and dialog of the program.
void walkEverything(Walk& walk) {
    Fixture f;
    QVERIFY(f.window);
    QVERIFY(QTest::qWaitFor([&] { return f.calculated(); }, kCalcTimeoutMs));
    walk.readOpenWindows(); // the main window with its tabs and menus

    for (const char* name : {"projectProperties", "displayOptions", "driverCopy", "sharedCabinet",
                             "crossoverFinder", "comparisonCurves", "nearField", "optimizer",
                             "calculators", "folders", "threadMonitor"}) {
        f.openAndRead(walk, f.action(name));
    }
    f.openAndRead(walk, actionTitled(f.window.get(), QStringLiteral("&Export ...")));
    f.openAndRead(walk, actionTitled(f.window.get(), QStringLiteral("Kurzanleitung")));
    for (QAction* a : f.window->findChild<QMenu*>(QStringLiteral("driverMenu"))->actions()) {
        if (a->isVisible() && a->isEnabled() && !a->text().isEmpty()) {
            f.openAndRead(walk, a);
            break; // every driver has the same editor
        }
    }
    for (QAction* a : f.window->findChild<QMenu*>(QStringLiteral("ampMenu1"))->actions()) {
        f.openAndRead(walk, a); // passive crossover and active filters
    }
    walkCrossoverEditor(walk, f);
    QTest::mouseClick(f.window->statusLine(), Qt::LeftButton); // the error list
    walk.readOpenWindows();
    QVERIFY(f.window->findChild<ErrorListDialog*>()->isVisible());
    closeOthers(f.window.get());
    walkModalDialogs(walk, f);
    walkFileDialogs(walk);
}

} // namespace

class GermanCaptionsTest : public QObject {
    Q_OBJECT
private slots:
    void qtTranslationIsLoadedWhenInstalled();
    void theWalkSeesEnglishCaptions();
    void noEnglishStandardCaptionWithoutTranslation();
    void noEnglishStandardCaptionWithTranslation();
};

void GermanCaptionsTest::qtTranslationIsLoadedWhenInstalled() {
    // The test set-up is the program's: the translation is there exactly when Qt's file is.
    const QString file =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm");
    QTranslator* installed = QCoreApplication::instance()->findChild<QTranslator*>();
    QCOMPARE(installed != nullptr, QFile::exists(file));
    if (installed != nullptr) {
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));
    }
    QCOMPARE(plain(QStringLiteral("Datei&name:")), QStringLiteral("Dateiname"));
    QCOMPARE(plain(QStringLiteral("&&Save ...")), QStringLiteral("&Save"));
    QVERIFY(isEnglish(QStringLiteral("&Cancel")));
    QVERIFY(isEnglish(QStringLiteral("Files of type:")));
    QVERIFY(!isEnglish(QStringLiteral("&Ok")));
    QVERIFY(!isEnglish(QStringLiteral("Nein")));
}

void GermanCaptionsTest::theWalkSeesEnglishCaptions() {
    // The way a dialog shows Qt's own English: a button box and a file dialog left as Qt makes
    // them, the translation's captions put back to the English originals.
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Kontrolle"));
    auto* box = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Close, &dialog);
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    box->button(QDialogButtonBox::Close)->setText(QStringLiteral("&Close"));
    dialog.show();
    Walk walk;
    walk.read(&dialog);
    QCOMPARE(walk.english.size(), 3); // with Qt's OK

    QFileDialog files(nullptr, QStringLiteral("Datei"), QDir::tempPath());
    files.setOption(QFileDialog::DontUseNativeDialog, true);
    files.setLabelText(QFileDialog::LookIn, QStringLiteral("Look in:"));
    files.setLabelText(QFileDialog::FileType, QStringLiteral("Files of type:"));
    files.show();
    Walk fileWalk;
    fileWalk.read(&files);
    QCOMPARE(fileWalk.english.size(), 2);

    // The same buttons with the program's captions pass.
    germanButtons(box);
    germanLabels(&files);
    Walk german;
    german.read(&dialog);
    german.read(&files);
    QVERIFY2(german.english.isEmpty(), qPrintable(german.english.join(QStringLiteral(", "))));
    QVERIFY(german.saw("&Abbruch"));
    QVERIFY(german.saw("&Schließen"));
    QVERIFY(german.saw("Suchen in:"));
    QVERIFY(german.saw("Dateityp:"));
}

void GermanCaptionsTest::noEnglishStandardCaptionWithoutTranslation() {
    // As on a machine without Qt's translations package.
    QTranslator* installed = QCoreApplication::instance()->findChild<QTranslator*>();
    if (installed != nullptr) {
        QCoreApplication::removeTranslator(installed);
    }
    Walk walk;
    walkEverything(walk);
    if (installed != nullptr) {
        QCoreApplication::installTranslator(installed);
    }
    QVERIFY2(walk.english.isEmpty(), qPrintable(walk.english.join(QStringLiteral("\n"))));
    // The walk did reach the windows: every kind was read, and the program's own captions of Qt's
    // parts are among their texts.
    for (const char* kind : kEveryWindow) {
        QVERIFY2(walk.windows.contains(QString::fromLatin1(kind)), kind);
    }
    for (const char* caption : {"&Ok", "&Abbruch", "&Schließen", "Suchen in:", "Dateiname:",
                                "Dateityp:", "&Speichern", "Öffnen", "&Übernehmen"}) {
        QVERIFY2(walk.saw(caption), caption);
    }
}

void GermanCaptionsTest::noEnglishStandardCaptionWithTranslation() {
    Walk walk;
    walkEverything(walk);
    QVERIFY2(walk.english.isEmpty(), qPrintable(walk.english.join(QStringLiteral("\n"))));
    QCOMPARE(walk.windows.size(), static_cast<qsizetype>(std::size(kEveryWindow)));
}

QTEST_MAIN(GermanCaptionsTest)
#include "german_captions_test.moc"
