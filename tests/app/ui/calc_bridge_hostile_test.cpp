// The window's calculation bridge with the hostile design: the worker computes it to the end while
// the GUI thread keeps serving its events (a timer keeps firing, progress arrives), and the
// window's copy of the result carries the stages' German messages and finite numbers only.
#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <memory>

#include "app/ui/calc_bridge.h"
#include "tests/engine/hostile_project.h"

using namespace sonora;
using namespace sonora::ui;

class CalcBridgeHostileTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowStaysResponsiveWhileTheHostileDesignComputes();
};

void CalcBridgeHostileTest::theWindowStaysResponsiveWhileTheHostileDesignComputes() {
    auto project = std::make_unique<TProjekt>();
    test::buildHostileProject(*project, kMaxGridPoints); // the largest grid: the longest run
    CalcBridge bridge(std::chrono::milliseconds(0));
    QSignalSpy status(&bridge, &CalcBridge::statusChanged);
    QSignalSpy results(&bridge, &CalcBridge::resultsArrived);

    int ticksWhileRunning = 0;
    QTimer timer;
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
        if (bridge.running()) {
            ++ticksWhileRunning;
        }
    });
    timer.start();

    bridge.calcAllNew(*project);
    QVERIFY(bridge.running() || results.count() == 1);
    QElapsedTimer clock;
    clock.start();
    // The event loop of the window, as the application runs it, until the result is back.
    while (results.count() == 0 && clock.elapsed() < 300000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    timer.stop();
    QCOMPARE(results.count(), 1);
    QVERIFY(bridge.waitFinished(std::chrono::seconds(10)));
    // The timer fired while the worker was busy: the GUI thread was never blocked for the run.
    QVERIFY2(ticksWhileRunning > 0, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QVERIFY(status.count() >= 2); // progress during the run and the final message

    const TFormRechnen& form = bridge.form();
    QVERIFY(form.result != nullptr);
    QVERIFY(!form.result->valid);
    QVERIFY(form.statusFace == StatusFace::Failed);
    QVERIFY(!form.ErrMemo.empty());
    for (const std::string& text : form.ErrMemo) {
        const std::string fault = test::stageTextFault(text);
        QVERIFY2(fault.empty(), fault.c_str());
    }
    QCOMPARE(test::nonFiniteResultValues(*form.result), 0);
}

QTEST_MAIN(CalcBridgeHostileTest)
#include "calc_bridge_hostile_test.moc"
