// The export window offscreen: its check boxes, the save dialog's title, folder and filter, the
// file it writes against the core export for the same choice, the overwrite question, "Abbruch",
// the final message, the curves for other programs written into a chosen folder, and the entry in
// the main window's file menu.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <optional>

#include "analysis/curve_export.h"
#include "app/ui/export_window.h"
#include "app/ui/qt_text.h"
#include "app/ui/status_line.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "gui_test_support.h"
#include "measure/results_export.h"
#include "model/record_defaults.h"
#include "storage/latin1.h"
#include "storage/project_file.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000; // sanitizer builds are slow

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

// A chooser that answers with a fixed path (empty: cancelled) and notes what it was shown.
struct FakeChooser {
    QString answer;
    std::optional<ExportSaveDialog> shown;
    ExportFileChooser function() {
        return [this](QWidget*, const ExportSaveDialog& d) {
            shown = d;
            return answer;
        };
    }
};

// A folder chooser that answers with a fixed folder (empty: cancelled) and notes what it was shown.
struct FakeFolderChooser {
    QString answer;
    std::optional<std::pair<QString, QString>> shown; // title, start folder
    CurveFolderChooser function() {
        return [this](QWidget*, const QString& title, const QString& start) {
            shown = std::make_pair(title, start);
            return answer;
        };
    }
};

} // namespace

class ExportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void showsTheThreeGroupsAndButtons();
    void writesWhatTheCoreWritesForTheChoice();
    void overwriteQuestionKeepsTheFileOnNo();
    void cancellingAndAbbruchWriteNothing();
    void failedWriteSaysWhyAndClosesTheWindow();
    void fileNamesAndFilter();
    void curvesGoIntoTheChosenFolderAsTheCoreWritesThem();
    void curvesRefusedWithTheReasonAndTheWindowStaysOpen();
    void fileMenuOpensItOnTheWindowsResult();

private:
    std::unique_ptr<TResult> result_; // the two-way example, calculated
    QTemporaryDir dir_;
};

void ExportWindowTest::initTestCase() {
    ScriptedPrompt prompt;
    auto project = std::make_unique<TProjekt>();
    initDefaultProjekt(*project);
    // The examples are stored compressed, as the program saves projects.
    QCOMPARE(
        readProjectFile(*project, test::exampleProject("Zweiwege geschlossen.LSP"), true, prompt),
        ProjectReadStatus::Ok);
    recomputeDerivedDriverValues(*project);
    TFormRechnen form;
    TCalcThread::Options options;
    options.pause = 0ms;
    options.listener = &form;
    TCalcThread calc(options);
    form.attach(&calc);
    form.CalcAllNew(*project);
    QVERIFY(calc.waitUntilIdle(std::chrono::milliseconds(kCalcTimeoutMs)));
    QVERIFY(form.result && form.result->valid);
    result_ = std::move(form.result);
    QVERIFY(dir_.isValid());
}

void ExportWindowTest::showsTheThreeGroupsAndButtons() {
    ScriptedPrompt prompt;
    ExportWindow window([this] { return result_.get(); }, dir_.path(), prompt);
    QCOMPARE(window.windowTitle(), QStringLiteral("Sonora - Export"));
    QStringList groups;
    for (const QGroupBox* g : window.findChildren<QGroupBox*>()) {
        groups << g->title();
    }
    // The three groups of the table, then the curves for other programs.
    QCOMPARE(groups, QStringList({QStringLiteral("Gesamtbox"), QStringLiteral("Chassis"),
                                  QString::fromUtf8("Verstärker"),
                                  QString::fromUtf8("Kurven für andere Programme")}));
    // One box per section of the table, and the time responses of the curves for other programs.
    QCOMPARE(window.findChildren<QCheckBox*>().size(), kExportSectionCount + 1);
    QCOMPARE(window.impulsesBox()->text(), QStringLiteral("Impuls- und Sprungantworten"));
    QVERIFY(!window.impulsesBox()->isChecked());
    // Each box sits in its group, captioned as the export names it; nothing is ticked at first.
    QCOMPARE(window.checkBox(ExportSection::BoxHorizontal5)->text(),
             QString::fromUtf8("Frequenzgänge horizontal (5°-Schritte)"));
    QCOMPARE(window.checkBox(ExportSection::ChassisMaxSpl)->parentWidget()->property("title"),
             QVariant(QStringLiteral("Chassis")));
    QCOMPARE(window.checkBox(ExportSection::BoxMaxSpl)->parentWidget()->property("title"),
             QVariant(QStringLiteral("Gesamtbox")));
    QCOMPARE(window.checkBox(ExportSection::AmpImpedance)->text(),
             QString::fromUtf8("Impedanzgang an Verstärker"));
    QVERIFY(window.sections().empty());
    QCOMPARE(window.exportButton()->text(), QStringLiteral("exportieren .."));
    QCOMPARE(window.cancelButton()->text(), QStringLiteral("Abbruch"));
}

void ExportWindowTest::writesWhatTheCoreWritesForTheChoice() {
    ScriptedPrompt prompt;
    FakeChooser chooser;
    chooser.answer = dir_.filePath(QStringLiteral("auswahl")); // no extension: ".exp" is added
    ExportWindow window([this] { return result_.get(); }, QStringLiteral("/start/ordner"), prompt);
    window.setFileChooser(chooser.function());
    window.show();
    for (const ExportSection s : {ExportSection::BoxResponse, ExportSection::BoxVertical5,
                                  ExportSection::ChassisImpedance, ExportSection::AmpFilter}) {
        window.checkBox(s)->click();
    }
    const ExportSections chosen{ExportSection::BoxResponse, ExportSection::BoxVertical5,
                                ExportSection::ChassisImpedance, ExportSection::AmpFilter};
    QCOMPARE(window.sections(), chosen);

    QTest::mouseClick(window.exportButton(), Qt::LeftButton);
    QVERIFY(chooser.shown.has_value());
    QCOMPARE(chooser.shown->title, QStringLiteral("Ergebnisse exportieren"));
    QCOMPARE(chooser.shown->folder, QStringLiteral("/start/ordner"));
    const QString target = chooser.answer + QStringLiteral(".exp");
    const QByteArray written = readFile(target);
    QCOMPARE(written, bytes(resultsExportText(*result_, chosen)));
    // Not just any export: a different choice gives a different file.
    QVERIFY(written != bytes(resultsExportText(*result_, {ExportSection::BoxResponse})));
    QVERIFY(written.startsWith("// Export from Sonora "));
    QVERIFY(!window.isVisible());
    QVERIFY(prompt.questions.empty()); // a new file needs no question
    QCOMPARE(prompt.messages, std::vector<std::string>{exportWrittenMessage(toUtf8(target))});
    QCOMPARE(prompt.messages[0], utf8ToLatin1("Export geschrieben in Datei\r\n" + toUtf8(target)));
}

void ExportWindowTest::overwriteQuestionKeepsTheFileOnNo() {
    const QString target = dir_.filePath(QStringLiteral("alt.txt"));
    {
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("alte Daten");
    }
    ScriptedPrompt prompt;
    FakeChooser chooser;
    chooser.answer = target;
    ExportWindow window([this] { return result_.get(); }, dir_.path(), prompt);
    window.setFileChooser(chooser.function());
    window.show();
    window.checkBox(ExportSection::BoxEnergy)->setChecked(true);

    prompt.choices = {2}; // "Nein"
    QVERIFY(!window.exportWithDialog());
    QCOMPARE(readFile(target), QByteArray("alte Daten"));
    QCOMPARE(prompt.questions, std::vector<std::string>{exportOverwriteQuestion(toUtf8(target))});
    QVERIFY(prompt.messages.empty());
    QVERIFY(window.isVisible()); // the user may choose another file

    prompt.choices.clear(); // closing the question gives its default, "Nein" again
    QVERIFY(!window.exportWithDialog());
    QCOMPARE(readFile(target), QByteArray("alte Daten"));

    prompt.choices = {1}; // "Ja"
    QVERIFY(window.exportWithDialog());
    QCOMPARE(readFile(target), bytes(resultsExportText(*result_, {ExportSection::BoxEnergy})));
    QCOMPARE(prompt.messages.size(), std::size_t{1});
    QVERIFY(!window.isVisible());
}

void ExportWindowTest::cancellingAndAbbruchWriteNothing() {
    ScriptedPrompt prompt;
    FakeChooser chooser; // answers "" as a cancelled dialog does
    ExportWindow window([this] { return result_.get(); }, dir_.path(), prompt);
    window.setFileChooser(chooser.function());
    window.show();
    const QStringList before = QDir(dir_.path()).entryList(QDir::Files);
    QVERIFY(!window.exportWithDialog());
    QVERIFY(chooser.shown.has_value());
    QVERIFY(window.isVisible());
    QVERIFY(prompt.messages.empty() && prompt.questions.empty());

    QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(QDir(dir_.path()).entryList(QDir::Files), before);
    QVERIFY(prompt.messages.empty());
}

void ExportWindowTest::failedWriteSaysWhyAndClosesTheWindow() {
    ScriptedPrompt prompt;
    FakeChooser chooser;
    chooser.answer = dir_.filePath(QStringLiteral("fehlt/x.exp")); // folder does not exist
    ExportWindow window([this] { return result_.get(); }, dir_.path(), prompt);
    window.setFileChooser(chooser.function());
    window.show();
    QVERIFY(window.exportWithDialog());
    QVERIFY(!window.isVisible());
    QVERIFY(!QFile::exists(chooser.answer));
    QCOMPARE(prompt.messages.size(), std::size_t{1});
    // The message names the file but does not claim it was written.
    QVERIFY(prompt.messages[0].find(utf8ToLatin1(toUtf8(chooser.answer))) != std::string::npos);
    QVERIFY(prompt.messages[0].find("Export geschrieben") == std::string::npos);

    // Without a result there is nothing to write.
    ScriptedPrompt empty;
    chooser.answer = dir_.filePath(QStringLiteral("leer.exp"));
    ExportWindow none([] { return static_cast<const TResult*>(nullptr); }, dir_.path(), empty);
    none.setFileChooser(chooser.function());
    QVERIFY(none.exportWithDialog());
    QVERIFY(!QFile::exists(chooser.answer));
    QCOMPARE(empty.messages,
             std::vector<std::string>{utf8ToLatin1("Es liegt noch kein Rechenergebnis vor.")});
}

void ExportWindowTest::fileNamesAndFilter() {
    QCOMPARE(qtNameFilter(kExportFilter), QStringLiteral("*.exp (*.exp);;*.txt (*.txt);;*.* (*)"));
    QCOMPARE(qtNameFilter("Tabellen|*.csv;*.tsv|ohne Muster"),
             QStringLiteral("Tabellen (*.csv *.tsv)"));
    QCOMPARE(withDefaultExtension(QStringLiteral("/a.b/name"), ".exp"),
             QStringLiteral("/a.b/name.exp"));
    QCOMPARE(withDefaultExtension(QStringLiteral("/a/name.txt"), ".exp"),
             QStringLiteral("/a/name.txt"));
    QCOMPARE(withDefaultExtension(QString(), ".exp"), QString());
}

std::vector<PlaneAngle> parsedDefaultAngles() {
    std::vector<PlaneAngle> angles;
    std::string error;
    parsePlaneAngles(kDefaultCurveAngles, angles, error);
    return angles;
}

void ExportWindowTest::curvesGoIntoTheChosenFolderAsTheCoreWritesThem() {
    ScriptedPrompt prompt;
    FakeFolderChooser chooser;
    chooser.answer = dir_.filePath(QStringLiteral("kurven")); // made by the export
    ExportWindow window([this] { return result_.get(); }, QStringLiteral("/start/ordner"), prompt);
    window.setFolderChooser(chooser.function());
    window.setProjectName([] { return std::string("Zweiwege geschlossen"); });
    window.show();
    QCOMPARE(window.curvesButton()->text(),
             QString::fromUtf8("Kurven für andere Programme (FRD/ZMA) …"));
    QCOMPARE(window.anglesField()->text(),
             QString::fromLatin1(kDefaultCurveAngles.data(), kDefaultCurveAngles.size()));
    window.anglesField()->setText(QStringLiteral("H30, V-10"));

    QTest::mouseClick(window.curvesButton(), Qt::LeftButton);
    QVERIFY(chooser.shown.has_value());
    QCOMPARE(chooser.shown->first, QString::fromUtf8("Ordner für die Kurven wählen"));
    QCOMPARE(chooser.shown->second, QStringLiteral("/start/ordner"));

    CurveExportChoice choice;
    choice.angles = {{CurvePlane::Horizontal, 30}, {CurvePlane::Vertical, -10}};
    std::vector<CurveFile> files;
    std::string error;
    QVERIFY(curveExportFiles(*result_, "Zweiwege geschlossen", choice, files, error));
    QStringList names;
    for (const CurveFile& f : files) {
        names << QString::fromStdString(f.name);
        QCOMPARE(readFile(QDir(chooser.answer).filePath(names.back())), bytes(f.text));
    }
    // Box on axis, listening window, two angles, two drivers, one amplifier.
    QCOMPARE(names.size(), 7);
    names.sort();
    QCOMPARE(QDir(chooser.answer).entryList(QDir::Files), names);
    QVERIFY(readFile(QDir(chooser.answer).filePath(QStringLiteral("Box_V-10Grad.frd")))
                .contains("* Projekt: Zweiwege geschlossen\r\n"));
    QVERIFY(!window.isVisible());
    QVERIFY(prompt.questions.empty());
    QCOMPARE(prompt.messages, std::vector<std::string>{"7 Kurven geschrieben in Ordner\r\n" +
                                                       utf8ToLatin1(toUtf8(chooser.answer))});

    // Ticked, the time responses of the box and both drivers come along, as the core writes them.
    ExportWindow again([this] { return result_.get(); }, QStringLiteral("/start/ordner"), prompt);
    again.setFolderChooser(chooser.function());
    again.setProjectName([] { return std::string("Zweiwege geschlossen"); });
    again.show();
    again.impulsesBox()->setChecked(true);
    chooser.answer = dir_.filePath(QStringLiteral("zeiten"));
    QTest::mouseClick(again.curvesButton(), Qt::LeftButton);
    choice.angles = parsedDefaultAngles();
    choice.impulses = true;
    QVERIFY(curveExportFiles(*result_, "Zweiwege geschlossen", choice, files, error));
    QCOMPARE(QDir(chooser.answer).entryList(QDir::Files).size(), static_cast<int>(files.size()));
    const QByteArray box = readFile(QDir(chooser.answer).filePath("Box_0Grad_Impuls.txt"));
    QCOMPARE(box, bytes(files[files.size() - 3].text));
    QVERIFY(box.contains("* Abtastrate 48000 Hz, L\xE4nge 65536 Punkte"));
}

void ExportWindowTest::curvesRefusedWithTheReasonAndTheWindowStaysOpen() {
    ScriptedPrompt prompt;
    FakeFolderChooser chooser;
    ExportWindow window([this] { return result_.get(); }, dir_.path(), prompt);
    window.setFolderChooser(chooser.function());
    window.show();
    const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    // A list that cannot be read is reported before any dialog.
    window.anglesField()->setText(QStringLiteral("H30,W5"));
    QVERIFY(!window.writeCurvesWithDialog());
    QVERIFY(!chooser.shown.has_value());
    QCOMPARE(prompt.messages.size(), std::size_t{1});
    QCOMPARE(latin1ToUtf8(prompt.messages[0]).rfind("Ungültiger Winkel \"W5\"", 0), 0u);
    QVERIFY(window.isVisible());

    // A cancelled dialog does nothing.
    window.anglesField()->setText(QStringLiteral("H30"));
    QVERIFY(!window.writeCurvesWithDialog());
    QVERIFY(chooser.shown.has_value());
    QCOMPARE(prompt.messages.size(), std::size_t{1});

    // A folder that cannot be made: the reason, and nothing left behind.
    chooser.answer = dir_.filePath(QStringLiteral("gibt/es_nicht"));
    QVERIFY(!window.writeCurvesWithDialog());
    QCOMPARE(prompt.messages.size(), std::size_t{2});
    QCOMPARE(latin1ToUtf8(prompt.messages[1]).rfind("Der Ordner " + toUtf8(chooser.answer), 0), 0u);
    QVERIFY(window.isVisible());
    QCOMPARE(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);

    // Without a result there is nothing to write.
    ScriptedPrompt empty;
    ExportWindow none([] { return static_cast<const TResult*>(nullptr); }, dir_.path(), empty);
    chooser.answer = dir_.filePath(QStringLiteral("leer"));
    none.setFolderChooser(chooser.function());
    QVERIFY(!none.writeCurvesWithDialog());
    QCOMPARE(empty.messages,
             std::vector<std::string>{utf8ToLatin1("Es liegt noch kein Rechenergebnis vor.")});
    QVERIFY(!QDir(chooser.answer).exists());
}

void ExportWindowTest::fileMenuOpensItOnTheWindowsResult() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MainWindow main(test::windowOptions(dir, prompt, 0ms));
    QCOMPARE(main.start(test::exampleProject("Zweiwege geschlossen.LSP")), StartUpOutcome::Running);
    main.show();
    QTRY_COMPARE_WITH_TIMEOUT(main.statusLine()->text(),
                              QStringLiteral("Berechnung war erfolgreich."), kCalcTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(main.calculation().form().result->valid, kCalcTimeoutMs);
    QAction* entry = nullptr;
    for (QAction* menu : main.menuBar()->actions()) {
        if (menu->text() == QStringLiteral("&Datei") && menu->menu() != nullptr) {
            for (QAction* a : menu->menu()->actions()) {
                if (a->text() == QStringLiteral("&Export ...")) {
                    entry = a;
                }
            }
        }
    }
    QVERIFY(entry != nullptr);
    entry->trigger();
    auto* window = main.findChild<ExportWindow*>();
    QVERIFY(window != nullptr && window->isVisible());
    entry->trigger(); // a second time: the same window comes to the front
    QCOMPARE(main.findChildren<ExportWindow*>().size(), 1);

    FakeChooser chooser;
    chooser.answer = dir.filePath(QStringLiteral("menu.exp"));
    window->setFileChooser(chooser.function());
    window->checkBox(ExportSection::ChassisResponse)->setChecked(true);
    window->checkBox(ExportSection::AmpImpedance)->setChecked(true);
    QVERIFY(window->exportWithDialog());
    // The save dialog starts in the reports folder of the settings.
    QCOMPARE(toUtf8(chooser.shown->folder), main.workspace().environment().folders.reports);
    QCOMPARE(readFile(chooser.answer), bytes(resultsExportText(*main.calculation().form().result,
                                                               {ExportSection::ChassisResponse,
                                                                ExportSection::AmpImpedance})));
    QCOMPARE(prompt.messages.back(), exportWrittenMessage(toUtf8(chooser.answer)));
    QTRY_VERIFY(main.findChild<ExportWindow*>() == nullptr); // deleted once closed

    // The curve files name the project the main window has open.
    entry->trigger();
    window = main.findChild<ExportWindow*>();
    QVERIFY(window != nullptr);
    FakeFolderChooser folder;
    folder.answer = dir.filePath(QStringLiteral("kurven"));
    window->setFolderChooser(folder.function());
    QVERIFY(window->writeCurvesWithDialog());
    QCOMPARE(toUtf8(folder.shown->second), main.workspace().environment().folders.reports);
    QVERIFY(readFile(QDir(folder.answer).filePath(QStringLiteral("Box_0Grad.frd")))
                .contains("* Projekt: Zweiwege geschlossen\r\n"));
}

QTEST_MAIN(ExportWindowTest)
#include "export_window_test.moc"
