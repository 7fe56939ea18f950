// The tolerance window offscreen on a small two-way project: a short run from "Start" to its chart,
// summary and progress, the nominal curve against the main window's own on-axis level, cancelling
// a long run and starting again, closing the window during a run, refused entries, and the entries
// kept for the next opening.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <qcustomplot.h>

#include "analysis/spinorama.h"
#include "app/ui/chart_view.h"
#include "app/ui/number_field.h"
#include "app/ui/tolerance_window.h"
#include "engine/example_projects.h"
#include "gui_test_support.h"
#include "storage/project_file.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000; // sanitizer builds are slow
constexpr int kRunTimeoutMs = 200000;
constexpr int kStopBoundMs = 30000; // cancelling and closing return well within this
constexpr int kStartBoundMs = 2000; // "Start" only copies the project and starts a thread
constexpr int kSmallGrid = 40;      // points
constexpr int kShortRun = 8;        // trials

struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    std::unique_ptr<MainWindow> window;

    Fixture() {
        auto p = std::make_unique<TProjekt>();
        buildTwoWayExample(*p, kSmallGrid);
        const std::string file = dir.path().toStdString() + "/zweiwege.LSP";
        ScriptedPrompt writing;
        if (!writeProjectFile(*p, file, true, writing)) {
            qFatal("cannot write the test project");
        }
        window = std::make_unique<MainWindow>(test::windowOptions(dir, prompt, 0ms));
        if (window->start(file) != StartUpOutcome::Running) {
            qFatal("the test project did not load");
        }
        window->show();
    }
    bool calculated() const {
        return !window->calculation().running() && window->calculation().form().result &&
               window->calculation().form().result->valid;
    }
    ToleranceWindow* open() {
        QAction* a = window->findChild<QAction*>(QStringLiteral("tolerance"));
        if (a == nullptr) {
            return nullptr;
        }
        a->trigger();
        return window->findChild<ToleranceWindow*>(QString::fromLatin1(kToleranceWindowName),
                                                   Qt::FindDirectChildrenOnly);
    }
};

void setEntry(ToleranceWindow* w, ToleranceEntry e, const char* text) {
    w->entryField(e)->setText(QString::fromUtf8(text));
}

} // namespace

class ToleranceWindowTest : public QObject {
    Q_OBJECT
private slots:
    void shortRunShowsTheBandAroundTheMainResult();
    void cancelStopsALongRunAndTheWindowStaysUsable();
    void closingDuringARunReturns();
    void refusedEntriesStartNothing();
};

void ToleranceWindowTest::shortRunShowsTheBandAroundTheMainResult() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    ToleranceWindow* w = f.open();
    QVERIFY(w != nullptr);
    QVERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("Sonora - Toleranzanalyse"));
    // The defaults of the issue, as the window shows them.
    QCOMPARE(w->entryField(ToleranceEntry::Resistors)->text(), QStringLiteral("5"));
    QCOMPARE(w->entryField(ToleranceEntry::Qts)->text(), QStringLiteral("10"));
    QCOMPARE(w->entryField(ToleranceEntry::Vas)->text(), QStringLiteral("15"));
    QCOMPARE(w->entryField(ToleranceEntry::Level)->text(), QStringLiteral("1"));
    QVERIFY(w->chart()->showsEmptyText());
    QVERIFY(!w->cancelButton()->isEnabled());

    setEntry(w, ToleranceEntry::Trials, "8");
    w->sensitivitiesBox()->setChecked(false);
    QSignalSpy finished(w, &ToleranceWindow::runFinished);
    QElapsedTimer clock;
    clock.start();
    w->startButton()->click();
    QVERIFY2(clock.elapsed() < kStartBoundMs, "Start waited for the run");
    QVERIFY(w->running());
    QVERIFY(!w->startButton()->isEnabled());
    QVERIFY(w->cancelButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!w->running(), kRunTimeoutMs);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(w->statusLabel()->text(), QStringLiteral("Fertig: 8 Versuche."));
    // Without sensitivities the run is the trials alone, and the bar got to its end.
    QCOMPARE(w->progressBar()->maximum(), kShortRun);
    QCOMPARE(w->progressBar()->value(), kShortRun);
    QVERIFY(w->startButton()->isEnabled());
    QCOMPARE(w->sensitivityTable()->rowCount(), 0);

    // The curve choices of a two-way box on one amplifier.
    QCOMPARE(w->curveList()->count(), 4);
    QCOMPARE(w->curveList()->itemText(0), QStringLiteral("Achse"));
    QCOMPARE(w->curveList()->itemText(1), QString::fromUtf8("Hörfenster"));
    QCOMPARE(w->curveList()->itemText(2), QString::fromUtf8("Impedanz Verstärker 1"));
    QCOMPARE(w->curveList()->itemText(3), QStringLiteral("Phasendifferenz Chassis 1/2"));

    // The nominal curve is the main window's on-axis level, computed there independently.
    const TResult& main = *f.window->calculation().form().result;
    const ToleranceResult& r = w->result();
    QCOMPARE(r.trials, kShortRun);
    QCOMPARE(static_cast<int>(r.freq.size()), static_cast<int>(main.nfreq));
    QCOMPARE(w->chart()->curveCount(), 5);
    QCPGraph* nominal = w->chart()->plot()->graph(0);
    QVERIFY(nominal != nullptr);
    QCOMPARE(nominal->data()->size(), static_cast<int>(main.nfreq));
    for (int i = 0; i < main.nfreq; ++i) {
        const double level = spinLevelsAt(main.fgang_box_h[i], main.fgang_box_v[i])
                                 .level[static_cast<int>(SpinCurve::OnAxis)];
        QVERIFY2(std::abs(nominal->data()->at(i)->value - level) < 1e-9,
                 qPrintable(QStringLiteral("point %1").arg(i)));
        QCOMPARE(nominal->data()->at(i)->key, main.freq[i]);
        QCOMPARE(r.onAxis.nominal[static_cast<std::size_t>(i)], nominal->data()->at(i)->value);
    }
    QVERIFY(w->summaryLabel()->text().startsWith(QString::fromUtf8("Größte Abweichung auf Achse")));

    // Another curve: the impedance band.
    w->curveList()->setCurrentIndex(2);
    QCOMPARE(w->chart()->plot()->graph(0)->data()->at(0)->value, r.impedance[0].nominal[0]);

    // Remembering the reference project puts its on-axis curve into the comparison layer.
    w->curveList()->setCurrentIndex(0);
    QCOMPARE(w->chart()->comparisonCount(), 0);
    f.prompt.choices = {};
    f.window->workspace().rememberReference();
    QTRY_COMPARE_WITH_TIMEOUT(w->chart()->comparisonCount(), 1, kCalcTimeoutMs);
    w->curveList()->setCurrentIndex(2);
    QCOMPARE(w->chart()->comparisonCount(), 0); // no reference for the impedance

    // The entries are kept for the next opening.
    w->close();
    QPointer<ToleranceWindow> gone(w);
    QTRY_VERIFY(gone.isNull());
    ToleranceWindow* again = f.open();
    QVERIFY(again != nullptr);
    QCOMPARE(again->entryField(ToleranceEntry::Trials)->text(), QStringLiteral("8"));
    QVERIFY(!again->sensitivitiesBox()->isChecked());
    again->close();
}

void ToleranceWindowTest::cancelStopsALongRunAndTheWindowStaysUsable() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    ToleranceWindow* w = f.open();
    QVERIFY(w != nullptr);
    setEntry(w, ToleranceEntry::Trials, "100000");
    w->sensitivitiesBox()->setChecked(true);
    w->startButton()->click();
    QVERIFY(w->running());
    // The bar moves while the window is served.
    QTRY_VERIFY_WITH_TIMEOUT(w->progressBar()->value() > 0, kRunTimeoutMs);
    QVERIFY(w->progressBar()->maximum() > kShortRun);
    QElapsedTimer clock;
    clock.start();
    w->cancelButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->running(), kStopBoundMs);
    QVERIFY(clock.elapsed() < kStopBoundMs);
    QCOMPARE(w->statusLabel()->text(), QStringLiteral("Abgebrochen."));
    QVERIFY(w->progressBar()->value() < w->progressBar()->maximum());
    QCOMPARE(w->result().trials, 0); // a cancelled run shows nothing
    QVERIFY(w->startButton()->isEnabled());
    QVERIFY(!w->cancelButton()->isEnabled());

    // Usable again: a short run with sensitivities ends with its table.
    setEntry(w, ToleranceEntry::Trials, "4");
    w->startButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!w->running(), kRunTimeoutMs);
    QCOMPARE(w->result().trials, 4);
    QCOMPARE(w->progressBar()->value(), w->progressBar()->maximum());
    QVERIFY(w->sensitivityTable()->rowCount() > 0);
    QCOMPARE(w->sensitivityTable()->rowCount(), static_cast<int>(w->result().sensitivities.size()));
    QCOMPARE(w->sensitivityTable()->item(0, 0)->text().toStdString(),
             QString::fromLatin1(w->result().sensitivities[0].name.c_str()).toStdString());
    w->close();
}

void ToleranceWindowTest::closingDuringARunReturns() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    ToleranceWindow* w = f.open();
    QVERIFY(w != nullptr);
    setEntry(w, ToleranceEntry::Trials, "100000");
    w->startButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(w->progressBar()->value() > 0, kRunTimeoutMs);
    QPointer<ToleranceWindow> window(w);
    QElapsedTimer clock;
    clock.start();
    w->close();
    QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kStopBoundMs);
    QVERIFY(clock.elapsed() < kStopBoundMs);
    // The main window goes on: another window runs to its end.
    ToleranceWindow* again = f.open();
    QVERIFY(again != nullptr);
    setEntry(again, ToleranceEntry::Trials, "2");
    again->sensitivitiesBox()->setChecked(false);
    again->startButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!again->running(), kRunTimeoutMs);
    QCOMPARE(again->result().trials, 2);
    // Closing the main window while its tolerance window runs.
    setEntry(again, ToleranceEntry::Trials, "100000");
    again->startButton()->click();
    QVERIFY(again->running());
    clock.restart();
    f.window.reset();
    QVERIFY(clock.elapsed() < kStopBoundMs);
}

void ToleranceWindowTest::refusedEntriesStartNothing() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    ToleranceWindow* w = f.open();
    QVERIFY(w != nullptr);
    setEntry(w, ToleranceEntry::Trials, "8");
    setEntry(w, ToleranceEntry::Capacitors, "-5");
    QVERIFY(!w->start());
    QVERIFY(!w->running());
    QCOMPARE(w->statusLabel()->text(),
             QString::fromUtf8("Kondensatoren %: bitte eine Zahl von 0 bis 100 eingeben."));
    setEntry(w, ToleranceEntry::Capacitors, "5");
    setEntry(w, ToleranceEntry::Trials, "0");
    QVERIFY(!w->start());
    QCOMPARE(w->statusLabel()->text(),
             QString::fromUtf8("Versuche: bitte eine ganze Zahl von 1 bis 100000 eingeben."));
    QVERIFY(w->startButton()->isEnabled());
    w->close();
}

QTEST_MAIN(ToleranceWindowTest)
#include "tolerance_window_test.moc"
