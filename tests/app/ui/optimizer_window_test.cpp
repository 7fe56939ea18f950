// The optimizer window offscreen on a two-way project whose woofer low-pass is detuned: a run to
// its end applied with "Ja", "Nein" restoring the project, the abort button, closing the main
// window during a run, and the rating controls, weights window and thread monitor.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <qcustomplot.h>

#include "app/ui/optimizer_window.h"
#include "app/ui/optimizer_window_parts.h"
#include "app/ui/status_line.h"
#include "app/ui/thread_monitor.h"
#include "engine/example_projects.h"
#include "gui_test_support.h"
#include "optimizer/opti_eseries.h"
#include "optimizer/rating.h"
#include "storage/latin1.h"
#include "storage/project_file.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000;         // sanitizer builds are slow
constexpr int kRunTimeoutMs = 200000;          // a whole run on the small grid takes a few seconds
constexpr int kStopBoundMs = 30000;            // abort and close return well within this
constexpr int kSmallGrid = 40;                 // points
const int kCoilSlot = verticalSlot(0, 0);      // woofer series coil
const int kCapacitorSlot = verticalSlot(1, 0); // woofer shunt capacitor

enum Answer { kYes = 1, kNo = 2, kCloseNo = 3 };

// The main window with the detuned two-way project loaded and calculated.
struct Fixture {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    std::unique_ptr<MainWindow> window;
    double coil = 0, capacitor = 0; // the detuned values as loaded

    Fixture() {
        auto p = std::make_unique<TProjekt>();
        buildTwoWayExample(*p, kSmallGrid);
        for (int slot : {kCoilSlot, kCapacitorSlot}) {
            p->amp[0].weiche[slot].value *= 2;
            p->amp[0].weiche[slot].bOptimize = true;
        }
        const std::string file = dir.path().toStdString() + "/verstimmt.LSP";
        ScriptedPrompt writing;
        if (!writeProjectFile(*p, file, true, writing)) { // as the program saves
            qFatal("cannot write the test project");
        }
        window = std::make_unique<MainWindow>(test::windowOptions(dir, prompt, 0ms));
        if (window->start(file) != StartUpOutcome::Running) {
            qFatal("the test project did not load");
        }
        window->show();
        if (!prompt.messages.empty()) {
            qFatal("loading said: %s", prompt.messages.front().c_str());
        }
        coil = project().amp[0].weiche[kCoilSlot].value;
        capacitor = project().amp[0].weiche[kCapacitorSlot].value;
    }
    const TProjekt& project() { return window->workspace().project(); }
    bool calculated() {
        return window->calculation().form().result->valid && !window->calculation().running();
    }
    OptimizerDialog* open() {
        window->findChild<QAction*>(QStringLiteral("optimizer"))->trigger();
        return window->findChild<OptimizerDialog*>(QString::fromLatin1(kOptimizerWindowName));
    }
    bool asked(const char* utf8) const {
        return std::count(prompt.questions.begin(), prompt.questions.end(), utf8ToLatin1(utf8)) > 0;
    }
    bool told(const char* utf8) const {
        return std::count(prompt.messages.begin(), prompt.messages.end(), utf8ToLatin1(utf8)) > 0;
    }
};

QAction* action(MainWindow& w, const char* name) {
    return w.findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

class OptimizerWindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsAndWeights();
    void runsToItsEndAndYesApplies();
    void noRestoresTheProject();
    void abortDuringARunEndsCleanly();
    void closingTheMainWindowDuringARun();
};

void OptimizerWindowTest::controlsAndWeights() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    OptimizerDialog* d = f.open();
    QVERIFY(d != nullptr && d->isVisible());
    QVERIFY(f.window->workspace().editors().OptimizerOpen);
    QVERIFY(!action(*f.window, "projectProperties")->isEnabled()); // editing is off
    QCOMPARE(d->startButton()->text(), QStringLiteral("Optimierung starten "));
    QVERIFY(!d->abortButton()->isVisible());

    // 10 - p beside the 0..10 sliders; "Defaultwerte setzen" resets exactly the four weights.
    QCOMPARE(d->shownValue(OptimizerDialog::kMaxLevel)->text(), QStringLiteral("4"));
    QCOMPARE(d->shownValue(OptimizerDialog::kDirectionalResponses)->text(), QStringLiteral("10"));
    QCOMPARE(d->shownValue(OptimizerDialog::kWorkingRange)->text(), QStringLiteral("0"));
    d->slider(OptimizerDialog::kEnergyResponse)->setValue(1);
    QCOMPARE(d->shownValue(OptimizerDialog::kEnergyResponse)->text(), QStringLiteral("9"));
    d->slider(OptimizerDialog::kMaxLevel)->setValue(9);
    d->slider(OptimizerDialog::kBassTaste)->setValue(0);
    d->slider(OptimizerDialog::kWorkingRange)->setValue(2);
    QTest::mouseClick(d->defaultsButton(), Qt::LeftButton);
    QCOMPARE(d->slider(OptimizerDialog::kEnergyResponse)->value(), 6);
    QCOMPARE(d->slider(OptimizerDialog::kMaxLevel)->value(), 6);
    QCOMPARE(d->slider(OptimizerDialog::kWorkingRange)->value(), 10);
    QCOMPARE(d->slider(OptimizerDialog::kBassTaste)->value(), 0); // not a weight: kept
    QCOMPARE(d->ratingParameters().vgBasspegel, tasteFromSlider(0));

    // Every slider with a number beside it grows to the right with that number: the position
    // under the left end of the groove shows the smallest value, the right end the largest.
    for (auto which : {OptimizerDialog::kMaxLevel, OptimizerDialog::kDirectionalResponses,
                       OptimizerDialog::kEnergyResponse, OptimizerDialog::kWorkingRange}) {
        QSlider* s = d->slider(which);
        const int span = std::max(s->width(), 100);
        const auto shownAt = [&](int x) {
            return sliderShownValue(QStyle::sliderValueFromPosition(s->minimum(), s->maximum(), x,
                                                                    span, s->invertedAppearance()));
        };
        QCOMPARE(shownAt(0), 0);
        QCOMPARE(shownAt(span), 10);
    }

    // The grade chart follows its curves: a run starting at grade 40 is not drawn off the chart,
    // and one ending below 1 does not shrink to the bottom of a 0..7 axis.
    OptiHistory history;
    for (double note : {40.0, 12.0, 3.0}) {
        TBewertungen grades{};
        grades.Note = note;
        grades.Note_F = note / 2;
        history.append(grades);
    }
    HistoryChart* chart = d->historyChart();
    chart->setHistory(history);
    QVERIFY(chart->plot()->yAxis->range().upper >= 40);
    QVERIFY(chart->plot()->yAxis->range().upper <= 50);
    history.clear();
    TBewertungen small{};
    small.Note = 0.8;
    history.append(small);
    chart->setHistory(history);
    QVERIFY(chart->plot()->yAxis->range().upper >= 0.8);
    QVERIFY(chart->plot()->yAxis->range().upper < 2);

    // The impedance labels follow "Röhrenverstärker", and so does vgMinImpedanz (8 or 16 Ohm
    // halved every 4 positions; the start position 5).
    QCOMPARE(d->minImpedanceLabel(0)->text(), QString::fromUtf8("mögl. > 8 Ohm"));
    QCOMPARE(d->minImpedanceLabel(2)->text(), QString::fromUtf8("mögl. > 2 Ohm"));
    QCOMPARE(d->ratingParameters().vgMinImpedanz, 8 * std::pow(2.0, -5.0 / 4));
    d->tubeBox()->setChecked(true);
    QCOMPARE(d->minImpedanceLabel(1)->text(), QString::fromUtf8("Übertrager 8 Ohm"));
    QCOMPARE(d->ratingParameters().vgAmpTyp, 1);
    QCOMPARE(d->ratingParameters().vgMinImpedanz, 16 * std::pow(2.0, -5.0 / 4));

    // The working-range grid: one column per driver with the reset values; an entry is read as
    // the level in dB and stays over a new showing while the drivers are the same.
    QTableWidget* g = d->workingRangeGrid();
    QCOMPARE(g->columnCount(), 2);
    QCOMPARE(g->rowCount(), 3);
    QCOMPARE(g->verticalHeaderItem(2)->text(),
             QString::fromUtf8("zulässiger Pegel an den Grenzen [dB]"));
    QVERIFY(g->horizontalHeaderItem(1)->text().startsWith(QStringLiteral("2: ")));
    QCOMPARE(g->item(0, 0)->text(), QStringLiteral("0"));
    QCOMPARE(g->item(1, 0)->text(), QStringLiteral("99999"));
    QCOMPARE(g->item(2, 1)->text(), QStringLiteral("-6"));
    g->item(2, 1)->setText(QStringLiteral("-20"));
    g->item(0, 1)->setText(QStringLiteral("1500,5"));
    QCOMPARE(d->ratingParameters().vgPeg[1], 0.1);
    QCOMPARE(d->ratingParameters().vgFmin[1], 1500.5);
    d->close();
    QVERIFY(!d->isVisible());
    QVERIFY(!f.window->workspace().editors().OptimizerOpen);
    QVERIFY(action(*f.window, "projectProperties")->isEnabled());
    QVERIFY(f.open() == d); // the same window again, with the user's entries
    QCOMPARE(g->item(2, 1)->text(), QStringLiteral("-20"));

    // The weights picture opens the weights window; its sliders reshape the weights.
    QTest::mouseClick(d->weightsPicture(), Qt::LeftButton);
    WeightsWindow* w = d->weightsWindow();
    QTRY_VERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QStringLiteral("Sonora-Optimierer Frequenzganggewichtung"));
    QCOMPARE(w->shownValue(WeightsWindow::kHorizontalWidth)->text(), QString::fromUtf8("10,0°"));
    QCOMPARE(d->ratingParameters().vgfgWeight.horweight[0], 0.0); // -45° is outside H = 1
    w->slider(WeightsWindow::kHorizontalWidth)->setValue(9);
    QCOMPARE(w->shownValue(WeightsWindow::kHorizontalWidth)->text(), QString::fromUtf8("90,0°"));
    QCOMPARE(d->ratingParameters().vgfgWeight.horweight[0], 50.0); // 50 - (25·18 - 50·9)
    w->slider(WeightsWindow::kVerticalCentre)->setValue(-12);
    QCOMPARE(w->shownValue(WeightsWindow::kVerticalCentre)->text(), QString::fromUtf8("-30,0°"));
    QCOMPARE(d->ratingParameters().vgfgWeight.vertweight[3], 100.0); // -30°: b = |2·-6 + 12| = 0
    QCOMPARE(d->ratingParameters().vgfgWeight.vertweight[9], 0.0);

    // The thread monitor's lines.
    ThreadStates s;
    s.oThread = true;
    s.oCalcThreads[2] = true;
    QCOMPARE(
        threadMonitorLines(s),
        QStringList({QString::fromUtf8("CalcThread steht."), QString::fromUtf8("OThread läuft."),
                     QString::fromUtf8("OThread.OCalcThread[0] steht."),
                     QString::fromUtf8("OThread.OCalcThread[1] steht."),
                     QString::fromUtf8("OThread.OCalcThread[2] läuft.")}));
    d->close();
}

void OptimizerWindowTest::runsToItsEndAndYesApplies() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    OptimizerDialog* d = f.open();
    QVERIFY(d != nullptr);
    int beeps = 0, edits = 0;
    bool coilsOnly = true; // E12 for the capacitor: only the coil is asked for
    d->setBeep([&] { ++beeps; });
    d->setPartEditor([&](TPart& part) {
        ++edits;
        coilsOnly = coilsOnly && part.typ == kPartCoil;
        return true; // OK with the optimizer's value
    });
    d->capacitorChoice(FixChoice::E12)->click();
    QSignalSpy redrawn(f.window.get(), &MainWindow::chartsRedrawn);
    f.prompt.choices = {kNo, kYes}; // no reference; apply the result
    QVERIFY(d->startOptimization());
    QVERIFY(d->optimizerThread()->isRunning() || !f.prompt.messages.empty());
    QVERIFY(!d->startButton()->isEnabled());
    QVERIFY(!f.window->workspace().menuState().editMenus);

    // The ready notice closes the window, which asks and applies.
    QTRY_VERIFY_WITH_TIMEOUT(!d->isVisible(), kRunTimeoutMs);
    QVERIFY(f.told("Die Optimierung wurde erfolgreich beendet."));
    QVERIFY(f.asked("Optimierungsergebnisse übernehmen?"));
    QVERIFY(!f.asked("Optimierung abbrechen?"));
    // One marked coil: its dialog opened once with one beep; the capacitor went to E12 silently.
    QCOMPARE(edits, 1);
    QVERIFY(coilsOnly);
    QCOMPARE(beeps, 3 + 1);
    QVERIFY(!f.window->workspace().editors().OptimizerOpen);
    QVERIFY(action(*f.window, "projectProperties")->isEnabled());
    QVERIFY(QString::fromStdString(f.window->workspace().undoCaption())
                .contains(QString::fromUtf8("Optimierung anwenden")));
    QCOMPARE(f.window->workspace().undoStack().label(0), std::string("Optimierung anwenden"));

    // The project holds run object 0's design: both values moved back from the detuned ones.
    const TProjekt& best = *d->optimizerThread()->runObject(0).calc->newProjekt;
    const double coil = f.project().amp[0].weiche[kCoilSlot].value;
    const double capacitor = f.project().amp[0].weiche[kCapacitorSlot].value;
    QCOMPARE(coil, best.amp[0].weiche[kCoilSlot].value);
    QCOMPARE(capacitor, best.amp[0].weiche[kCapacitorSlot].value);
    QVERIFY2(coil < 0.75 * f.coil, qPrintable(QString::number(coil)));
    QVERIFY2(capacitor < 0.9 * f.capacitor, qPrintable(QString::number(capacitor)));
    QCOMPARE(capacitor, roundToSeries(capacitor, ESeries::E12));

    // The grades before and after, the history with its five curves, the charts that followed.
    const QStringList before = d->gradesBefore()->toPlainText().split(QLatin1Char('\n'));
    const QStringList after = d->gradesAfter()->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(before.size(), 6);
    QCOMPARE(after.size(), 6);
    QVERIFY(before[0].startsWith(QStringLiteral("Note Impedanz     = ")));
    QVERIFY(after[5].startsWith(QStringLiteral("Note gesamt       = ")));
    const double noteBefore = before[5].mid(20).toDouble();
    const double noteAfter = after[5].mid(20).toDouble();
    QVERIFY2(noteAfter < noteBefore, qPrintable(before[5] + QLatin1Char('/') + after[5]));
    const int entries = d->model().history.size();
    QVERIFY(entries >= 3);
    QTRY_COMPARE(d->historyChart()->plot()->graph(0)->dataCount(), entries);
    QCOMPARE(d->historyChart()->plot()->graphCount(), 5);
    QCOMPARE(d->historyChart()->plot()->graph(3)->name(), QStringLiteral("Impedanz"));
    QCOMPARE(d->historyChart()->plot()->graph(0)->data()->at(0)->value, d->model().history[0].Note);
    // The other view: one curve per marked value, named where it sits, ending at the departure of
    // the applied design from the detuned start.
    HistoryChart* chart = d->historyChart();
    chart->viewChoice()->setCurrentIndex(1);
    QCOMPARE(chart->view(), HistoryChart::View::Values);
    const OptiHistoryEntry& last = d->model().history[entries - 1];
    QCOMPARE(chart->plot()->graphCount(), last.nValues);
    QVERIFY(last.nValues >= 2);
    bool coilSeen = false;
    for (int k = 0; k < last.nValues; ++k) {
        QCPGraph* g = chart->plot()->graph(k);
        QCOMPARE(g->dataCount(), entries);
        QCOMPARE(g->data()->at(entries - 1)->value, last.change[static_cast<std::size_t>(k)]);
        if (g->name() == QStringLiteral("L W1/%1").arg(kCoilSlot + 1)) {
            coilSeen = true;
            QCOMPARE(g->data()->at(entries - 1)->value, 100 * (coil / f.coil - 1));
        }
    }
    QVERIFY(coilSeen);
    chart->setView(HistoryChart::View::Grades);
    QCOMPARE(chart->viewChoice()->currentIndex(), 0);
    QCOMPARE(chart->plot()->graphCount(), 5);
    QVERIFY(redrawn.count() >= entries);
    QVERIFY(d->progressBar()->value() < 0); // cleared at the end

    // The applied design is calculated again.
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
}

void OptimizerWindowTest::noRestoresTheProject() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    OptimizerDialog* d = f.open();
    d->setBeep([] {});
    d->setPartEditor([](TPart&) { return false; });
    f.prompt.choices = {kNo};
    QVERIFY(d->startOptimization());
    // The start grades and at least one pass.
    QTRY_VERIFY_WITH_TIMEOUT(d->model().history.size() >= 2, kRunTimeoutMs);
    QVERIFY(!d->gradesBefore()->toPlainText().isEmpty());
    if (d->optimizerThread()->isRunning()) {
        f.prompt.choices = {kYes, kCloseNo}; // abort the run; discard its result
    } else {
        f.prompt.choices = {kCloseNo};
    }
    QElapsedTimer clock;
    clock.start();
    d->close();
    QVERIFY(clock.elapsed() < kStopBoundMs);
    QVERIFY(!d->isVisible());
    QVERIFY(!d->optimizerThread()->isRunning());
    QVERIFY(f.asked("Optimierungsergebnisse übernehmen?"));
    QCOMPARE(f.project().amp[0].weiche[kCoilSlot].value, f.coil);
    QCOMPARE(f.project().amp[0].weiche[kCapacitorSlot].value, f.capacitor);
    QVERIFY(f.window->workspace().undoStack().label(0) != std::string("Optimierung anwenden"));
    QVERIFY(f.window->workspace().saved()); // nothing was marked by the start
    QVERIFY(!f.window->workspace().editors().OptimizerOpen);
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
}

void OptimizerWindowTest::abortDuringARunEndsCleanly() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    OptimizerDialog* d = f.open();
    d->setBeep([] {});
    d->setPartEditor([](TPart&) { return false; });
    action(*f.window, "threadMonitor")->trigger();
    auto* monitor = f.window->findChild<ThreadMonitor*>(QStringLiteral("threadMonitor"));
    QVERIFY(monitor != nullptr && monitor->isVisible());
    QVERIFY(monitor->text().contains(QString::fromUtf8("OThread steht.")));
    f.prompt.choices = {kNo};
    QVERIFY(d->startOptimization());
    QTRY_VERIFY_WITH_TIMEOUT(monitor->text().contains(QString::fromUtf8("OThread läuft.")) ||
                                 !d->optimizerThread()->isRunning(),
                             kRunTimeoutMs);
    QVERIFY(d->abortButton()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(d->model().history.size() >= 1, kRunTimeoutMs);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(d->abortButton(), Qt::LeftButton);
    QVERIFY(clock.elapsed() < kStopBoundMs);
    QVERIFY(!d->optimizerThread()->isRunning());
    QVERIFY(!d->abortButton()->isVisible());
    QVERIFY(d->startButton()->isEnabled());
    QVERIFY(!f.told("Die Optimierung wurde erfolgreich beendet.")); // stopped, not finished
    QTRY_VERIFY(monitor->text().contains(QString::fromUtf8("OThread steht.")));
    QVERIFY(d->isVisible());
    // Closing now asks only whether to apply; "Abbruch" keeps the window open.
    f.prompt.choices = {kNo};
    d->close();
    QVERIFY(d->isVisible());
    QVERIFY(!f.asked("Optimierung abbrechen?"));
    f.prompt.choices = {kCloseNo};
    d->close();
    QVERIFY(!d->isVisible());
    QCOMPARE(f.project().amp[0].weiche[kCoilSlot].value, f.coil);
}

void OptimizerWindowTest::closingTheMainWindowDuringARun() {
    Fixture f;
    QTRY_VERIFY_WITH_TIMEOUT(f.calculated(), kCalcTimeoutMs);
    OptimizerDialog* d = f.open();
    d->setBeep([] {});
    d->setPartEditor([](TPart&) { return false; });
    f.prompt.choices = {kNo};
    QVERIFY(d->startOptimization());
    // "Nein" to the abort question: the run goes on, the main window stays.
    f.prompt.choices = {kNo};
    if (d->optimizerThread()->isRunning()) {
        QVERIFY(!f.window->close());
        QVERIFY(d->isVisible());
        QVERIFY(f.window->workspace().editors().OptimizerOpen);
        QVERIFY(f.asked("Optimierung abbrechen?"));
    }
    // "Ja", then discard: the main window closes without hanging.
    f.prompt.choices = {kYes, kCloseNo};
    QElapsedTimer clock;
    clock.start();
    QVERIFY(f.window->close());
    QVERIFY(clock.elapsed() < kStopBoundMs);
    QVERIFY(!d->isVisible());
    f.window.reset();

    // A main window taken down while its optimizer runs ends the thread first.
    Fixture g;
    QTRY_VERIFY_WITH_TIMEOUT(g.calculated(), kCalcTimeoutMs);
    OptimizerDialog* e = g.open();
    e->setBeep([] {});
    e->setPartEditor([](TPart&) { return false; });
    g.prompt.choices = {kNo};
    QVERIFY(e->startOptimization());
    QTRY_VERIFY_WITH_TIMEOUT(e->model().history.size() >= 1, kRunTimeoutMs);
    clock.restart();
    g.window.reset();
    QVERIFY(clock.elapsed() < kStopBoundMs);
}

QTEST_MAIN(OptimizerWindowTest)
#include "optimizer_window_test.moc"
