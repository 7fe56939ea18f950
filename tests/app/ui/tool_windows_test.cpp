// The tool windows offscreen: the crossover finder's exclusive ticks and crossings, the comparison
// curves in the box chart (filter definition and text import), the near-field map and its curves
// chart, and the folders dialog with its choosers, listing and presets.
#include "analysis/crossover_finder.h"
#include "analysis/near_field.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <cmath>
#include <memory>

#include "app/ui/chart_view.h"
#include "app/ui/comparison_curves_window.h"
#include "app/ui/crossover_finder_window.h"
#include "app/ui/folders_dialog.h"
#include "app/ui/near_field_window.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "app/ui/status_line.h"
#include "engine/calc_form.h"
#include "engine/calc_thread.h"
#include "engine/driver_model.h"
#include "gui_test_support.h"
#include "model/record_defaults.h"
#include "qcustomplot.h"
#include "storage/project_file.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000; // sanitizer builds are slow

struct Calculated {
    std::unique_ptr<TProjekt> project;
    std::unique_ptr<TResult> result;
};

// An example project read and calculated as the window's run would.
Calculated calculate(const char* name) {
    Calculated c;
    ScriptedPrompt prompt;
    c.project = std::make_unique<TProjekt>();
    initDefaultProjekt(*c.project);
    if (readProjectFile(*c.project, test::exampleProject(name), true, prompt) !=
        ProjectReadStatus::Ok) {
        return c;
    }
    recomputeDerivedDriverValues(*c.project);
    TFormRechnen form;
    TCalcThread::Options options;
    options.pause = 0ms;
    options.listener = &form;
    TCalcThread calc(options);
    form.attach(&calc);
    form.CalcAllNew(*c.project);
    if (calc.waitUntilIdle(std::chrono::milliseconds(kCalcTimeoutMs))) {
        c.result = std::move(form.result);
    }
    return c;
}

// |front + rear| on axis of one driver: the finder's group sum, written out independently.
double onAxis(const TResult& r, int driver, int a) {
    Complex sum{};
    CAdd(r.fgang_chassis[driver][0][a][0], r.fgang_chassis[driver][1][a][0], sum);
    return CAbs(sum);
}

void tick(QListWidget* list, int row) {
    list->item(row)->setCheckState(Qt::Checked);
}

bool isTableColor(QRgb pixel) {
    for (const TColor c : dirBandColors()) {
        if (toQColor(c).rgb() == (pixel | 0xFF000000u)) {
            return true;
        }
    }
    return false;
}

} // namespace

class ToolWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void finderTicksExcludeEachOther();
    void finderListsTheTwoWayCrossing();
    void finderListsNothingForIdenticalGroups();
    void comparisonCurvesInTheBoxChart();
    void comparisonCurvesFromTextFiles();
    void nearFieldMapOfTheThreeWayExample();
    void nearFieldCurvesChart();
    void foldersDialogChoosersAndListing();
    void foldersDialogPresetsOffForgetsTypedFolders();

private:
    Calculated twoWay_;
    Calculated threeWay_;
};

void ToolWindowsTest::initTestCase() {
    twoWay_ = calculate("Zweiwege geschlossen.LSP");
    threeWay_ = calculate("Dreiwege Bassreflex.LSP");
    QVERIFY(twoWay_.result && twoWay_.result->valid);
    QVERIFY(threeWay_.result && threeWay_.result->valid);
    QCOMPARE(twoWay_.project->nChassis, 2);
    QCOMPARE(threeWay_.project->nChassis, 3);
}

void ToolWindowsTest::finderTicksExcludeEachOther() {
    CrossoverFinderWindow w(*twoWay_.project, [this] { return twoWay_.result.get(); });
    QCOMPARE(w.windowTitle(), QStringLiteral("Trennfrequenzbestimmung"));
    QCOMPARE(w.closeButton()->text(), QString::fromUtf8("schließen"));
    const std::vector<std::string> lines = finderDriverLines(*twoWay_.project);
    for (int g = 1; g <= 2; ++g) {
        QCOMPARE(w.groupList(g)->count(), 2);
        QCOMPARE(w.groupList(g)->item(0)->text(), fromLatin1(lines[0]));
        QVERIFY(w.groupList(g)->item(1)->text().startsWith(QStringLiteral("2: ")));
    }
    tick(w.groupList(1), 0);
    QVERIFY(w.ticks().isTicked(1, 0));
    // The same driver ticked in the second list leaves the first one.
    tick(w.groupList(2), 0);
    QVERIFY(w.ticks().isTicked(2, 0));
    QVERIFY(!w.ticks().isTicked(1, 0));
    QCOMPARE(w.groupList(1)->item(0)->checkState(), Qt::Unchecked);
    // One group empty: nothing to list.
    QVERIFY(w.resultMemo()->toPlainText().isEmpty());
    w.show();
    QTest::mouseClick(w.closeButton(), Qt::LeftButton);
    QVERIFY(!w.isVisible());
}

void ToolWindowsTest::finderListsTheTwoWayCrossing() {
    const TResult& r = *twoWay_.result;
    CrossoverFinderWindow w(*twoWay_.project, [&r] { return &r; });
    tick(w.groupList(1), 0);
    tick(w.groupList(2), 1);
    const QStringList lines = w.resultMemo()->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].endsWith(QStringLiteral(" Hz: Trennung 1 -> 2")), qPrintable(lines[0]));
    const double f = lines[0].section(QLatin1Char(' '), 0, 0).replace(',', '.').toDouble();

    // The interval where the woofer stops being louder than the tweeter, found here directly.
    QVERIFY(onAxis(r, 0, 0) > onAxis(r, 1, 0));
    int a = 1;
    while (a < r.nfreq && onAxis(r, 0, a) >= onAxis(r, 1, a)) {
        ++a;
    }
    QVERIFY(a < r.nfreq);
    QVERIFY2(f >= r.freq[a - 1] && f <= r.freq[a], qPrintable(lines[0]));

    // The groups the other way round: the same crossing in the other direction.
    tick(w.groupList(1), 1);
    tick(w.groupList(2), 0);
    QVERIFY(!w.ticks().isTicked(2, 1) && !w.ticks().isTicked(1, 0));
    const QString swapped = w.resultMemo()->toPlainText();
    QCOMPARE(swapped,
             lines[0].section(QLatin1Char(' '), 0, 0) + QStringLiteral(" Hz: Trennung 2 -> 1"));
}

void ToolWindowsTest::finderListsNothingForIdenticalGroups() {
    // Driver 2 given the responses of driver 1: both groups are equally loud everywhere.
    auto same = std::make_unique<TResult>(*twoWay_.result);
    for (int side = 0; side < kSides; ++side) {
        for (int a = 0; a < kResultFreqs; ++a) {
            same->fgang_chassis[1][side][a][0] = same->fgang_chassis[0][side][a][0];
        }
    }
    CrossoverFinderWindow w(*twoWay_.project, [&same] { return same.get(); });
    tick(w.groupList(1), 0);
    tick(w.groupList(2), 1);
    QVERIFY(w.resultMemo()->toPlainText().isEmpty());
    // The window follows a new result when told: the real one has its crossing again.
    *same = *twoWay_.result;
    w.recompute();
    QVERIFY(w.resultMemo()->toPlainText().endsWith(QStringLiteral("Trennung 1 -> 2")));
}

void ToolWindowsTest::comparisonCurvesInTheBoxChart() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MainWindow window(test::windowOptions(dir, prompt, 0ms));
    QCOMPARE(window.start(test::exampleProject("Zweiwege geschlossen.LSP")),
             StartUpOutcome::Running);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(window.calculation().form().result->valid, kCalcTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!window.calculation().running(), kCalcTimeoutMs);

    QAction* open = window.findChild<QAction*>(QStringLiteral("comparisonCurves"));
    QVERIFY(open != nullptr);
    QCOMPARE(open->text(), QString::fromUtf8("Vergleichsfrequenzgänge ..."));
    open->trigger();
    auto* w = window.findChild<ComparisonCurvesWindow*>();
    QVERIFY(w != nullptr && w->isVisible());
    QCOMPARE(w->windowTitle(), QString::fromUtf8("Sonora - Vergleichsfrequenzgänge"));
    QVERIFY(w->byFilterButton()->isChecked());
    QCOMPARE(w->fcField()->text(), QStringLiteral("2000"));
    QCOMPARE(w->levelField()->text(), QStringLiteral("86,3"));
    QCOMPARE(w->filterTypeList()->count(), kFilterTypeCount);
    QCOMPARE(w->filterTypeList()->currentText(), QStringLiteral("Linkwitz-Riley 2. Ordnung"));

    // The crossover frequency on a grid point, typed with a decimal comma: there the
    // Linkwitz-Riley 2nd-order branches are 6,02 dB below the level, Butterworth 3,01 dB.
    const TProjekt& p = window.workspace().project();
    int k = 0;
    while (p.freq[k + 1] > 0 && p.freq[k] < 1500.0) {
        ++k;
    }
    const double fc = p.freq[k];
    w->fcField()->setText(numberFieldText(fc));
    w->levelField()->setText(QStringLiteral("90,5"));
    ChartView* box = window.chartView(ChartKind::Box);
    const int own = box->curveCount();
    QTest::mouseClick(w->showButton(), Qt::LeftButton);
    QCOMPARE(box->extraCount(), 2);
    QCOMPARE(box->plot()->graphCount(), own + box->comparisonCount() + 2);
    const double lr2 = 90.5 + 20.0 * std::log10(0.5);
    const double fcShown = parseNumberField(numberFieldText(fc), 0);
    const double x = fc / fcShown; // the field rounds fc to its text
    QVERIFY(std::abs(x - 1.0) < 1e-4);
    for (const ChartCurve& c : box->extraCurves()) {
        QCOMPARE(c.x[static_cast<std::size_t>(k)], fc);
        QVERIFY2(std::abs(c.y[static_cast<std::size_t>(k)] - lr2) < 1e-3,
                 qPrintable(QString::number(c.y[static_cast<std::size_t>(k)])));
    }
    QCOMPARE(fromLatin1(box->extraCurves()[0].name), QString::fromUtf8("Kurve 1 (z.B. Tieftöner)"));

    w->filterTypeList()->setCurrentText(QStringLiteral("Butterworth 2.  Ordnung"));
    QTest::mouseClick(w->showButton(), Qt::LeftButton);
    QVERIFY(std::abs(box->extraCurves()[1].y[static_cast<std::size_t>(k)] -
                     (90.5 + 10.0 * std::log10(0.5))) < 1e-3);

    // A redraw of the charts keeps them; "keine Vergleichskurven anzeigen" removes them.
    window.redrawCharts();
    QCOMPARE(box->extraCount(), 2);
    QTest::mouseClick(w->removeButton(), Qt::LeftButton);
    QCOMPARE(box->extraCount(), 0);
    QCOMPARE(box->plot()->graphCount(), own + box->comparisonCount());
    QVERIFY(prompt.messages.empty());
    window.close();
}

void ToolWindowsTest::comparisonCurvesFromTextFiles() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("tief.txt"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("1000;85,5\r\nabc\r\n2000\t80\r\n");
    }
    ScriptedPrompt prompt;
    ComparisonCurve shown1, shown2;
    int calls = 0;
    ComparisonCurvesWindow w([this]() -> const TProjekt& { return *twoWay_.project; },
                             [&](const ComparisonCurve& c1, const ComparisonCurve& c2) {
                                 shown1 = c1;
                                 shown2 = c2;
                                 ++calls;
                             },
                             prompt);
    QStringList titles;
    QString answer = file;
    w.setFileChooser([&](QWidget*, const QString& title) {
        titles << title;
        return answer;
    });
    w.show();
    w.byImportButton()->click();
    QVERIFY(!w.fcField()->isEnabled() && w.fileField(1)->isEnabled());
    QTest::mouseClick(w.fileField(1), Qt::LeftButton);
    QCOMPARE(titles, QStringList{QString::fromUtf8("Wähle Textdatei")});
    QCOMPARE(w.fileField(1)->text(), file);
    // Cancelling the dialog keeps the field as it was.
    answer.clear();
    QTest::mouseClick(w.fileField(2), Qt::LeftButton);
    QCOMPARE(titles.size(), 2);
    QVERIFY(w.fileField(2)->text().isEmpty());

    QTest::mouseClick(w.showButton(), Qt::LeftButton);
    QCOMPARE(calls, 1);
    QVERIFY(shown1.valid);
    QCOMPARE(shown1.count, 2);
    QCOMPARE(shown1.points[0].f, 1000.0);
    QCOMPARE(shown1.points[0].level, 85.5);
    QCOMPARE(shown1.points[1].level, 80.0);
    QVERIFY(!shown2.valid);
    QCOMPARE(prompt.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(prompt.messages[0]), QStringLiteral("Datei  existiert nicht."));
    QCOMPARE(comparisonChartCurves(shown1, shown2).size(), std::size_t{1});

    QTest::mouseClick(w.removeButton(), Qt::LeftButton);
    QVERIFY(!shown1.valid && !shown2.valid);
    QVERIFY(comparisonChartCurves(shown1, shown2).empty());
}

void ToolWindowsTest::nearFieldMapOfTheThreeWayExample() {
    const TResult& r = *threeWay_.result;
    NearFieldWindow w([this]() -> const TProjekt& { return *threeWay_.project; },
                      [&r] { return &r; });
    QCOMPARE(w.maxSplField()->text(), QStringLiteral("110"));
    QCOMPARE(w.stepField()->text(), QStringLiteral("6"));
    QCOMPARE(w.maxDistanceField()->text(), QStringLiteral("20"));
    QCOMPARE(w.heightField()->text(), QStringLiteral("1,2"));
    QCOMPARE(w.distanceStepField()->text(), QStringLiteral("5"));
    QCOMPARE(w.bandList()->count(), 3);
    QCOMPARE(w.bandList()->itemText(0), QStringLiteral("1 Frequenz"));
    QCOMPARE(w.bandList()->itemText(2), QStringLiteral("1 Oktave"));
    QVERIFY(w.autoUpdateBox()->isChecked());
    QCOMPARE(w.curvesButton()->text(), QString::fromUtf8("Frequenzgänge  auf gleicher Höhe"));
    QCOMPARE(w.frequencyBar()->maximum(), r.nfreq - 1);
    const int index = w.frequencyBar()->value();
    QVERIFY(r.freq[index] >= 1000.0 && r.freq[index - 1] < 1000.0);
    QCOMPARE(w.frequencyLabel()->text(), fromUtf8(nearFieldFrequencyLabel(r.freq[index])));

    w.resize(1000, 520);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    NearFieldMapWidget* map = w.mapWidget();
    const QImage image = map->image();
    QCOMPARE(image.size(), map->size());
    QCOMPARE(map->map().legend.size(), std::size_t{kNearFieldColorCount});
    QCOMPARE(fromUtf8(map->map().legend[0].text), QString::fromUtf8("≥110"));
    QVERIFY(!map->map().cells.empty());

    // Above the height-0 line and right of the margin every pixel is a colour of the table, and
    // a 3-way box 1-20 m away at 1 kHz spreads over several of them.
    const int zero = image.height() * 3 / 4;
    QSet<QRgb> colors;
    for (int y = zero - 60; y < zero - 4; ++y) {
        for (int x = kNearFieldLeft + 2; x < image.width() - 4; ++x) {
            const QRgb pixel = image.pixel(x, y);
            QVERIFY2(isTableColor(pixel), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            colors.insert(pixel);
        }
    }
    QVERIFY2(colors.size() >= 3, qPrintable(QString::number(colors.size())));
    // The white margin and the white ground above the 4 m row.
    QCOMPARE(QColor(image.pixel(5, zero - 20)), QColor(Qt::white));
    QCOMPARE(QColor(image.pixel(image.width() / 2, 2)), QColor(Qt::white));
    // The widget paints the same picture.
    QCOMPARE(map->grab().toImage().convertToFormat(QImage::Format_RGB32), image);

    // The scroll bar moves the label and the map; a lower maximum SPL moves the colours up.
    const double loudest = map->map().cells.front().level;
    w.frequencyBar()->setValue(index - 10);
    QCOMPARE(w.frequencyLabel()->text(), fromUtf8(nearFieldFrequencyLabel(r.freq[index - 10])));
    QVERIFY(map->map().cells.front().level != loudest);
    const auto colorSum = [map] {
        long sum = 0;
        for (const NearFieldCell& c : map->map().cells) {
            sum += c.color;
        }
        return sum;
    };
    const long before = colorSum();
    w.maxSplField()->setText(QStringLiteral("80"));
    emit w.maxSplField()->editingFinished();
    QVERIFY(colorSum() < before);
    QCOMPARE(fromUtf8(map->map().legend[0].text), QString::fromUtf8("≥80"));
}

void ToolWindowsTest::nearFieldCurvesChart() {
    NearFieldWindow w([this]() -> const TProjekt& { return *threeWay_.project; },
                      [this] { return threeWay_.result.get(); });
    w.distanceStepField()->setText(QStringLiteral("2,5"));
    w.maxDistanceField()->setText(QStringLiteral("10"));
    QTest::mouseClick(w.curvesButton(), Qt::LeftButton);
    auto* chartWindow = w.findChild<QWidget*>(QStringLiteral("nearFieldCurves"));
    QVERIFY(chartWindow != nullptr && chartWindow->isVisible());
    QCOMPARE(chartWindow->windowTitle(), QStringLiteral("Chart von ...."));
    auto* chart = chartWindow->findChild<ChartView*>();
    QVERIFY(chart != nullptr);
    QCOMPARE(chart->curveCount(), 4); // 2,5 m, 5 m, 7,5 m, 10 m
    const ChartContent content = nearFieldChartContent(
        buildNearFieldCurves(*threeWay_.project, *threeWay_.result, w.settings()), 1.2,
        threeWay_.project->option);
    QCOMPARE(content.curves.front().name, std::string("2,5 m"));
    QCOMPARE(content.curves.back().name, std::string("10 m"));
    // Farther away is quieter at the top of the grid's middle.
    const std::size_t mid = content.curves.front().y.size() / 2;
    QVERIFY(content.curves.front().y[mid] > content.curves.back().y[mid]);
    QCOMPARE(content.curves.front().x.size(), std::size_t(threeWay_.result->nfreq));
    chartWindow->close();
}

void ToolWindowsTest::foldersDialogChoosersAndListing() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    BaseFolders base;
    base.programFolder = toUtf8(dir.path()) + "/prog/";
    base.appDataFolder = toUtf8(dir.path()) + "/home/";
    base.isWritable = test::alwaysWritable;
    QVERIFY(QDir().mkpath(fromUtf8(base.programFolder))); // the settings file is written there
    ProgramEnvironment env = startUp(base, prompt);
    int closes = 0;
    FoldersDialog d(env, [&](bool usePresets, const FolderPresets& texts) {
        ++closes;
        closeFoldersDialog(env, base, usePresets, texts, prompt);
    });
    const QString listing = d.pathsListing()->toPlainText();
    QVERIFY(listing.startsWith(QStringLiteral("Pfade:\nhomepath=") + fromUtf8(env.folders.home)));
    QVERIFY(listing.contains(QStringLiteral("\nchassispath=") + fromUtf8(env.folders.drivers)));
    QVERIFY(listing.contains(QStringLiteral("\nbausatzpath=") + fromUtf8(env.folders.kits)));
    QVERIFY(listing.contains(QStringLiteral("\ninifile=") + fromUtf8(env.folders.settingsFile)));
    QCOMPARE(d.folderField(0)->text(), fromUtf8(env.folders.drivers));
    QCOMPARE(d.folderField(5)->text(), fromUtf8(env.folders.kits));

    QVERIFY(!d.presetsBox()->isChecked());
    for (int k = 0; k < kFolderCount; ++k) {
        QVERIFY(!d.searchButton(k)->isEnabled());
        QCOMPARE(d.searchButton(k)->text(), QStringLiteral("suchen ..."));
    }
    QStringList titles;
    const QString chosen = dir.path() + QStringLiteral("/eigene Chassis");
    d.setFolderChooser([&](QWidget*, const QString& title, const QString&) {
        titles << title;
        return chosen;
    });
    d.show();
    d.presetsBox()->click();
    for (int k = 0; k < kFolderCount; ++k) {
        QVERIFY(d.searchButton(k)->isEnabled());
        QTest::mouseClick(d.searchButton(k), Qt::LeftButton);
    }
    QCOMPARE(titles,
             QStringList({QString::fromUtf8("Verzeichnis für Chassisdateien auswählen"),
                          QString::fromUtf8("Verzeichnis für Projektdateien auswählen"),
                          QString::fromUtf8("Verzeichnis für Weichenbauteildateien auswählen"),
                          QString::fromUtf8("Verzeichnis für Reportdateien auswählen"),
                          QString::fromUtf8("Verzeichnis für Publikationen auswählen"),
                          QString::fromUtf8("Verzeichnis für Bausätze auswählen")}));
    QCOMPARE(d.folderField(0)->text(), chosen + QLatin1Char('/'));
    d.folderField(3)->setText(QStringLiteral("/berichte"));

    // Closing with presets on: stored, written and in effect after the start-up ran again.
    d.close();
    QCOMPARE(closes, 1);
    QVERIFY(env.settings.usePresets);
    QCOMPARE(env.folders.drivers, toUtf8(chosen) + "/");
    QCOMPARE(env.folders.reports, std::string("/berichte/"));
    // The file itself holds them: read back as the next start-up will.
    const ProgramSettings stored = readSettings(
        env.folders.settingsFile, deriveFolders(env.folders.home, env.folders.base), prompt);
    QVERIFY(stored.usePresets);
    QCOMPARE(stored.presets.reports, std::string("/berichte/"));
    QVERIFY(prompt.messages.empty());

    // A new dialog lists the folders now in effect.
    FoldersDialog again(env, [](bool, const FolderPresets&) {});
    QVERIFY(again.presetsBox()->isChecked());
    QVERIFY(again.pathsListing()->toPlainText().contains(QStringLiteral("reportpath=/berichte/")));
}

void ToolWindowsTest::foldersDialogPresetsOffForgetsTypedFolders() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    BaseFolders base;
    base.programFolder = toUtf8(dir.path()) + "/prog/";
    base.appDataFolder = toUtf8(dir.path()) + "/home/";
    base.isWritable = test::alwaysWritable;
    QVERIFY(QDir().mkpath(fromUtf8(base.programFolder))); // the settings file is written there
    ProgramEnvironment env = startUp(base, prompt);
    const FolderPaths derived = env.folders;
    {
        FoldersDialog d(env, [&](bool usePresets, const FolderPresets& texts) {
            closeFoldersDialog(env, base, usePresets, texts, prompt);
        });
        d.show();
        d.folderField(1)->setText(QStringLiteral("/woanders/"));
        d.reject();
    }
    QVERIFY(!env.settings.usePresets);
    QCOMPARE(env.folders, derived);
}

QTEST_MAIN(ToolWindowsTest)
#include "tool_windows_test.moc"
