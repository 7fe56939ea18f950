// The main window offscreen: start-up with an example project and with a missing file, the
// calculation's status line and error list, chart titles, the cursor, the comparison layer,
// charts on hidden tabs built only when shown, and closing while a calculation runs.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <qcustomplot.h>
#include <utility>

#include "app/shell/chart_cursor.h"
#include "app/ui/chart_view.h"
#include "app/ui/status_line.h"
#include "gui_test_support.h"
#include "storage/latin1.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {
// A full run of the two-way example takes well under a second; sanitizer builds are slower.
constexpr int kCalcTimeoutMs = 120000;

constexpr int kDirectionsTab = 1;
constexpr int kChassisTab = 2;
constexpr int kPhaseTab = 3;

// What tells two plots apart for the eye: axes, every graph's pen, name and points, the legend,
// and the rendered picture. Empty when they agree, else the first difference.
QString plotDifference(QCustomPlot& a, QCustomPlot& b) {
    const std::pair<QCPAxis*, QCPAxis*> axes[] = {
        {a.xAxis, b.xAxis}, {a.yAxis, b.yAxis}, {a.yAxis2, b.yAxis2}};
    for (const auto& [x, y] : axes) {
        if (x->visible() != y->visible() || x->scaleType() != y->scaleType() ||
            x->range() != y->range() || x->label() != y->label()) {
            return QStringLiteral("axis ") + x->label() + QStringLiteral(" / ") + y->label();
        }
    }
    if (a.graphCount() != b.graphCount()) {
        return QStringLiteral("graphs %1 / %2").arg(a.graphCount()).arg(b.graphCount());
    }
    for (int g = 0; g < a.graphCount(); ++g) {
        const QCPGraph* ga = a.graph(g);
        const QCPGraph* gb = b.graph(g);
        const bool rightA = ga->valueAxis() == a.yAxis2;
        const bool rightB = gb->valueAxis() == b.yAxis2;
        if (ga->name() != gb->name() || ga->pen() != gb->pen() || rightA != rightB) {
            return QStringLiteral("graph %1 ").arg(g) + ga->name();
        }
        if (ga->dataCount() != gb->dataCount()) {
            return QStringLiteral("points of graph %1").arg(g);
        }
        for (int i = 0; i < ga->dataCount(); ++i) {
            const double va = ga->data()->at(i)->value;
            const double vb = gb->data()->at(i)->value;
            if (ga->data()->at(i)->key != gb->data()->at(i)->key ||
                (va != vb && !(std::isnan(va) && std::isnan(vb)))) {
                return QStringLiteral("point %1 of graph %2").arg(i).arg(g);
            }
        }
    }
    if (a.legend->itemCount() != b.legend->itemCount()) {
        return QStringLiteral("legend");
    }
    if (a.toPixmap(640, 400).toImage() != b.toPixmap(640, 400).toImage()) {
        return QStringLiteral("picture");
    }
    return {};
}

// The difference between a view of the window and a fresh, shown view that is handed the chart
// set's content at once.
// The view's picture is taken first, as the next paint would show it.
QString differenceToEager(const MainWindow& window, ChartView* view, ChartKind kind, int chassis) {
    if (view->contentPending()) {
        return QStringLiteral("content not built");
    }
    const QImage seen = view->plot()->grab().toImage();
    ChartView eager;
    eager.setOwnCursor(view->ownCursor());
    eager.resize(view->size());
    eager.show();
    eager.setContent(window.chartSet().chart(kind, chassis));
    QCoreApplication::processEvents(); // its queued replot
    if (eager.plot()->grab().toImage() != seen) {
        return QStringLiteral("shown picture");
    }
    return plotDifference(*view->plot(), *eager.plot());
}

bool sameLevels(const ChartContent& a, const ChartContent& b) {
    if (a.curves.empty() || a.curves.size() != b.curves.size()) {
        return false;
    }
    for (std::size_t k = 0; k < a.curves.size(); ++k) {
        if (a.curves[k].y != b.curves[k].y) {
            return false;
        }
    }
    return true;
}

bool calculated(MainWindow& w, int drivers) {
    const TResult& r = *w.calculation().form().result;
    return r.valid && r.nChassis == drivers && !w.calculation().running();
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithExampleAndCalculates();
    void missingArgumentFileEndsTheProgram();
    void hiddenTabsShowWhatAnEagerRebuildShows();
    void closingDuringCalculationEndsCleanly();
    void windowsRememberTheirPlaceAndTab();
};

void MainWindowTest::startsWithExampleAndCalculates() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    const std::string file = test::exampleProject("Zweiwege geschlossen.LSP");
    MainWindow window(test::windowOptions(dir, prompt, 0ms));
    QCOMPARE(window.start(file), StartUpOutcome::Running);
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(window.statusLine()->text(),
                              QStringLiteral("Berechnung war erfolgreich."), kCalcTimeoutMs);
    QCOMPARE(window.statusLine()->face(), StatusFace::Normal);
    QVERIFY(prompt.messages.empty());
    // The final message comes before the result is handed back: wait for the copy as well.
    QTRY_VERIFY_WITH_TIMEOUT(window.calculation().form().result->valid, kCalcTimeoutMs);
    QVERIFY(window.windowTitle().startsWith(QStringLiteral("Sonora ")));
    QVERIFY(window.windowTitle().contains(QStringLiteral(" - TARVELO-Edition [")));
    QVERIFY(window.windowTitle().endsWith(QStringLiteral("Zweiwege geschlossen.LSP]")));

    // Chart titles and curves of the calculated result.
    QCOMPARE(window.chartView(ChartKind::Box)->title(), QStringLiteral("Frequenzgang Gesamtbox"));
    QCOMPARE(window.chartView(ChartKind::Box)->subtitle(),
             QString::fromUtf8("(alle Verstärker und Chassis)"));
    QCOMPARE(window.chartView(ChartKind::Chassis, 1)->title(),
             QStringLiteral("Frequenzgang Chassis 2"));
    QCOMPARE(window.chartView(ChartKind::Chassis, 31)->title(),
             QStringLiteral("Frequenzgang Chassis 32"));
    QCOMPARE(window.chartView(ChartKind::GroupDelay)->title(), QStringLiteral("Gruppenlaufzeit"));
    QVERIFY(window.chartView(ChartKind::Box)->curveCount() >= 1);
    QCOMPARE(window.chartView(ChartKind::DirectionsUp)->curveCount(), 7);
    QVERIFY(window.chartView(ChartKind::Chassis, 0)->curveCount() >= 4);
    QCOMPARE(window.tabs()->tabText(0), QStringLiteral("Frequenzgang"));
    // The spinorama with its rating beside it, and the reflection groups.
    QCOMPARE(window.chartView(ChartKind::Spinorama)->curveCount(), 7);
    QCOMPARE(window.chartView(ChartKind::Reflections)->curveCount(), 5);
    QStringList tabTexts;
    for (int k = 0; k < window.tabs()->count(); ++k) {
        tabTexts.append(window.tabs()->tabText(k));
    }
    QVERIFY(tabTexts.contains(QStringLiteral("Spinorama")));
    QVERIFY(tabTexts.contains(QStringLiteral("Reflexionen")));
    // The impulse and step response of the box and both drivers over time, with how they were
    // made under the title.
    QVERIFY(tabTexts.contains(QStringLiteral("Impulsantwort")));
    QVERIFY(tabTexts.contains(QStringLiteral("Sprungantwort")));
    for (const ChartKind k : {ChartKind::Impulse, ChartKind::Step}) {
        QCOMPARE(window.chartView(k)->curveCount(), 3);
        QVERIFY2(window.chartView(k)->subtitle().startsWith(
                     QString::fromUtf8("Abtastrate 48000 Hz, Länge 65536 Punkte")),
                 qPrintable(window.chartView(k)->subtitle()));
        QVERIFY(window.chartView(k)->subtitle().contains(QStringLiteral("Fenster: ")));
    }
    QCOMPARE(window.chartView(ChartKind::Impulse)->title(), QStringLiteral("Impulsantwort"));
    QCOMPARE(window.chartView(ChartKind::Step)->title(), QStringLiteral("Sprungantwort"));
    const QStringList rating = window.spinoramaNotes()->text().split(QLatin1Char('\n'));
    QCOMPARE(rating.size(), 6);
    QVERIFY2(rating[0].startsWith(QStringLiteral("Bewertung ")), qPrintable(rating[0]));
    QVERIFY(rating[2].startsWith(QStringLiteral("NBD_ON ")));
    QVERIFY(rating[5].startsWith(QStringLiteral("SM_PIR ")));
    // The driver choice names every driver of the project.
    const auto* choice = window.tabs()->widget(kChassisTab)->findChild<QComboBox*>();
    const TProjekt& project = window.workspace().project();
    QCOMPARE(choice->count(), static_cast<int>(project.nChassis));
    for (int n = 0; n < project.nChassis; ++n) {
        QVERIFY(!project.chassis[n].name.empty());
        QCOMPARE(choice->itemText(n),
                 QStringLiteral("Chassis %1: ").arg(n + 1) +
                     QString::fromLatin1(project.chassis[n].name.view().data(),
                                         static_cast<qsizetype>(project.chassis[n].name.size())));
    }

    // The error list holds the final line of a successful run.
    QTest::mouseClick(window.statusLine(), Qt::LeftButton);
    QTRY_VERIFY(window.errorList()->isVisible());
    QVERIFY(window.errorList()->text().contains(QStringLiteral("Berechnung war erfolgreich.")));

    // The cursor at 1 kHz: the text of the grid point at or right of 1 kHz, then the resting text.
    const TResult& r = *window.calculation().form().result;
    window.moveCursorTo(1000.0);
    const int i = cursorIndex(r, 1000.0);
    QVERIFY(r.freq[i] >= 1000.0 && (i == 0 || r.freq[i - 1] < 1000.0));
    const QString text = window.cursorLabel()->text();
    QVERIFY2(text.startsWith(QStringLiteral("f=")) &&
                 text.contains(QStringLiteral("Hz, Box gesamt: ")),
             qPrintable(text));
    QCOMPARE(text, QString::fromLatin1(cursorText(r, i, window.switches()).c_str()));
    QVERIFY(window.chartView(ChartKind::Box)->cursorVisible());
    window.leaveCursor();
    QCOMPARE(window.cursorLabel()->text(),
             QStringLiteral("Bewegen Sie die Maus in das Diagramm um den Cursor zu sehen."));
    QVERIFY(!window.chartView(ChartKind::Box)->cursorVisible());

    // Remembering the reference fills every comparison layer; deleting it clears them.
    window.workspace().rememberReference();
    QVERIFY(window.workspace().referenceValid());
    const ChartView* box = window.chartView(ChartKind::Box);
    QCOMPARE(box->comparisonCount(), box->curveCount());
    window.workspace().deleteReference();
    QCOMPARE(box->comparisonCount(), 0);

    window.close();
}

void MainWindowTest::missingArgumentFileEndsTheProgram() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MainWindow window(test::windowOptions(dir, prompt, 0ms));
    const std::string missing = dir.path().toStdString() + "/fehlt.LSP";
    QCOMPARE(window.start(missing), StartUpOutcome::Quit);
    QCOMPARE(prompt.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(prompt.messages[0]),
             QString::fromStdString(" Datei " + missing + " existiert nicht.\r\n" +
                                    " Sonora wird geschlossen."));
    QVERIFY(!window.calculation().started()); // no calculation for a program that ends
}

void MainWindowTest::closingDuringCalculationEndsCleanly() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    // With a pause after each stage the run lasts long enough to close the window inside it.
    MainWindow window(test::windowOptions(dir, prompt, 300ms));
    QCOMPARE(window.start(test::exampleProject("Dreiwege Bassreflex.LSP")),
             StartUpOutcome::Running);
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(window.statusLine()->face(), StatusFace::Running, kCalcTimeoutMs);
    QVERIFY(window.calculation().running());
    QVERIFY(window.statusLine()->text().startsWith(QString::fromUtf8("Berechnung läuft: ")));
    QVERIFY(window.statusLine()->text().endsWith(QLatin1Char('%')));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(window.close());
    QVERIFY2(clock.elapsed() < 20000, "closing waited too long for the worker");
    QVERIFY(!window.calculation().started());
    QVERIFY(window.statusLine()->text() != QStringLiteral("Berechnung war erfolgreich."));
}

void MainWindowTest::hiddenTabsShowWhatAnEagerRebuildShows() {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MainWindow window(test::windowOptions(dir, prompt, 0ms));
    QCOMPARE(window.start(test::exampleProject("Zweiwege geschlossen.LSP")),
             StartUpOutcome::Running);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(calculated(window, 2), kCalcTimeoutMs);
    QCOMPARE(window.tabs()->currentIndex(), 0);
    const ChartContent twoWayUp = window.chartSet().chart(ChartKind::DirectionsUp);
    QCOMPARE(window.chartSet().chart(ChartKind::Chassis, 2).curves.size(), std::size_t{0});

    // The three-way's result arrives while the box chart is shown: the box chart is built, the
    // charts of the other tabs already tell their new titles and counts but wait to be shown.
    QVERIFY(window.workspace().loadProject(test::exampleProject("Dreiwege Bassreflex.LSP")));
    QTRY_VERIFY_WITH_TIMEOUT(calculated(window, 3), kCalcTimeoutMs);
    QCoreApplication::processEvents(); // the shown box chart's queued replot
    ChartView* box = window.chartView(ChartKind::Box);
    QVERIFY(!box->contentPending());
    QCOMPARE(differenceToEager(window, box, ChartKind::Box, 0), QString());
    const ChartKind sides[] = {ChartKind::DirectionsUp, ChartKind::DirectionsDown,
                               ChartKind::DirectionsLeft, ChartKind::DirectionsRight};
    for (ChartKind side : sides) {
        QVERIFY(window.chartView(side)->contentPending());
        QCOMPARE(window.chartView(side)->curveCount(), 7);
    }
    QVERIFY(!sameLevels(twoWayUp, window.chartSet().chart(ChartKind::DirectionsUp)));

    // Shown, each holds the three-way's curves exactly as a view rebuilt at once does.
    window.tabs()->setCurrentIndex(kDirectionsTab);
    for (ChartKind side : sides) {
        QCOMPARE(differenceToEager(window, window.chartView(side), side, 0), QString());
    }

    // Another direction set while the box tab is shown, then the directions again.
    window.tabs()->setCurrentIndex(0);
    auto* directionSet = window.tabs()->widget(kDirectionsTab)->findChild<QComboBox*>();
    QVERIFY(directionSet != nullptr);
    const ChartContent before = window.chartSet().chart(ChartKind::DirectionsDown);
    directionSet->setCurrentIndex((directionSet->currentIndex() + 1) % directionSet->count());
    QVERIFY(window.chartView(ChartKind::DirectionsDown)->contentPending());
    QVERIFY(!sameLevels(before, window.chartSet().chart(ChartKind::DirectionsDown)));
    window.tabs()->setCurrentIndex(kDirectionsTab);
    for (ChartKind side : sides) {
        QCOMPARE(differenceToEager(window, window.chartView(side), side, 0), QString());
    }

    // The third driver, empty for the two-way, in a stack inside a tab: shown by the choice.
    window.tabs()->setCurrentIndex(kChassisTab);
    auto* driverChoice = window.tabs()->widget(kChassisTab)->findChild<QComboBox*>();
    QVERIFY(driverChoice != nullptr);
    QCOMPARE(driverChoice->count(), 3);
    QVERIFY(window.chartView(ChartKind::Chassis, 2)->contentPending());
    driverChoice->setCurrentIndex(2);
    QVERIFY(window.chartView(ChartKind::Chassis, 2)->curveCount() >= 4);
    QCOMPARE(
        differenceToEager(window, window.chartView(ChartKind::Chassis, 2), ChartKind::Chassis, 2),
        QString());

    // The comparison layer taken while the phases are hidden.
    window.tabs()->setCurrentIndex(0);
    window.workspace().rememberReference();
    ChartView* phase = window.chartView(ChartKind::Phase);
    QVERIFY(phase->contentPending());
    QVERIFY(phase->comparisonCount() > 0);
    window.tabs()->setCurrentIndex(kPhaseTab);
    QCOMPARE(differenceToEager(window, phase, ChartKind::Phase, 0), QString());

    // A picture of a hidden chart is drawn from its new content, not from what it showed last.
    window.tabs()->setCurrentIndex(0);
    window.workspace().deleteReference();
    QVERIFY(phase->contentPending());
    const QString file = dir.filePath(QStringLiteral("phase.png"));
    QVERIFY(phase->savePng(file, 640, 400));
    ChartView eager;
    eager.show();
    eager.setContent(window.chartSet().chart(ChartKind::Phase));
    const QString eagerFile = dir.filePath(QStringLiteral("eager.png"));
    QVERIFY(eager.savePng(eagerFile, 640, 400));
    QCOMPARE(QImage(file), QImage(eagerFile));
    QCOMPARE(phase->comparisonCount(), 0);
    window.close();
}

QTEST_MAIN(MainWindowTest)
void MainWindowTest::windowsRememberTheirPlaceAndTab() {
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("prog"))); // where the settings file goes
    ScriptedPrompt prompt;
    const std::string file = test::exampleProject("Zweiwege geschlossen.LSP");
    QRect placed;
    {
        MainWindow window(test::windowOptions(dir, prompt, 0ms));
        QCOMPARE(window.start(file), StartUpOutcome::Running);
        window.show();
        // A first start takes about 80 % of the free screen (or what the window needs at least).
        const QRect free = window.screen()->availableGeometry();
        const QSize least = window.minimumSizeHint();
        QCOMPARE(window.width(),
                 std::max({540, least.width(), static_cast<int>(std::lround(0.8 * free.width()))}));
        QCOMPARE(window.height(), std::max({360, least.height(),
                                            static_cast<int>(std::lround(0.8 * free.height()))}));
        window.tabs()->setCurrentIndex(kPhaseTab);

        // A tool window moved and closed is remembered by its name.
        window.findChild<QAction*>(QStringLiteral("comparisonCurves"))->trigger();
        QWidget* tool = nullptr;
        QTRY_VERIFY((tool = window.findChild<QWidget*>(QStringLiteral("comparisonCurves"))) !=
                    nullptr);
        QTRY_VERIFY(tool->isVisible());
        tool->setGeometry(20, 30, 300, 250); // grown to its least size where that is more
        placed = tool->geometry();
        QCOMPARE(placed.topLeft(), QPoint(20, 30));
        tool->close();
        QTRY_VERIFY(!tool->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(window.calculation().form().result->valid, kCalcTimeoutMs);
        QVERIFY(window.close());
    }
    // The next start reads both back from the settings file.
    MainWindow again(test::windowOptions(dir, prompt, 0ms));
    QCOMPARE(again.start(file), StartUpOutcome::Running);
    again.show();
    QCOMPARE(again.tabs()->currentIndex(), kPhaseTab);
    again.findChild<QAction*>(QStringLiteral("comparisonCurves"))->trigger();
    QWidget* tool = nullptr;
    QTRY_VERIFY((tool = again.findChild<QWidget*>(QStringLiteral("comparisonCurves"))) != nullptr);
    QTRY_VERIFY(tool->isVisible());
    QCOMPARE(tool->geometry(), placed);
    tool->close();
    QVERIFY(prompt.messages.empty());
    again.close();
}

#include "main_window_test.moc"
