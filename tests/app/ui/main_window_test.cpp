// The main window offscreen: start-up with an example project and with a missing file, the
// calculation's status line and error list, chart titles, the cursor, the comparison layer, and
// closing while a calculation runs.
#include <QElapsedTimer>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

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
} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithExampleAndCalculates();
    void missingArgumentFileEndsTheProgram();
    void closingDuringCalculationEndsCleanly();
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

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
