// Latency of the program window, offscreen: from "Übernehmen" of one changed capacitor in the
// three-way's crossover editor until the box chart has painted the new curve; from loading the
// three-way until its first box chart; and the chart update alone after a result has arrived.
// Each end-to-end figure is taken with the run object's pause after every stage of 500 ms (the
// window's old default) and with no pause, and with every chart view rebuilt at once after a
// result ("eager", as the window did before it left hidden tabs for later) or only the visible
// ones. The clock stops when the box chart's plot widget receives its paint event after the
// window has redrawn its charts from a valid result.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <qcustomplot.h>
#include <string>
#include <vector>

#include "app/shell/crossover_editor.h"
#include "app/shell/crossover_editor_dialogs.h"
#include "app/shell/undo_stack.h"
#include "app/ui/chart_view.h"
#include "app/ui/crossover_editor_window.h"
#include "app/ui/directivity_views.h"
#include "app/ui/main_window.h"
#include "model/crossover_grid.h"
#include "tests/app/ui/gui_test_support.h"

namespace {

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

constexpr int kNoHangMs = 120000; // only guards against a hang
constexpr char kThreeWay[] = "Dreiwege Bassreflex.LSP";
constexpr char kTwoWay[] = "Zweiwege geschlossen.LSP";

// Watches the box chart: armed by the window's redraw from a valid result, it takes the time of
// the next paint of the box chart's plot and ends the waiting loop. On the way it notes when the
// worker first reported progress, when the result copy arrived and when the redraw was done.
class BoxPaintProbe : public QObject {
public:
    struct Marks {
        double requested = -1; // the request handed to the run object (the click returned)
        double progress = -1;  // first progress report of the run (the request was taken)
        double results = -1;   // the window's result copy replaced
        double redrawn = -1;   // charts redrawn from it
        double painted = -1;   // box chart painted
    };

    explicit BoxPaintProbe(MainWindow& window) : window_(window) {
        window.chartView(ChartKind::Box)->plot()->installEventFilter(this);
        CalcBridge* bridge = &window.calculation();
        QObject::connect(bridge, &CalcBridge::statusChanged, this, [this] {
            if (marks_.progress < 0) {
                marks_.progress = now();
            }
        });
        QObject::connect(bridge, &CalcBridge::resultsArrived, this, [this] {
            if (marks_.results < 0) {
                marks_.results = now();
            }
        });
        QObject::connect(&window, &MainWindow::chartsRedrawn, this, [this] {
            if (window_.calculation().form().result->valid && !armed_) {
                armed_ = true;
                marks_.redrawn = now();
            }
        });
    }
    // Starts the clock; `wait` returns the milliseconds until the box chart showed a new result.
    void start() {
        armed_ = false;
        marks_ = {};
        clock_.start();
    }
    double wait() {
        QEventLoop loop;
        loop_ = &loop;
        QTimer::singleShot(kNoHangMs, &loop, &QEventLoop::quit);
        if (marks_.painted < 0) {
            loop.exec();
        }
        loop_ = nullptr;
        return marks_.painted;
    }
    const Marks& marks() const { return marks_; }
    void requested() { marks_.requested = now(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (armed_ && marks_.painted < 0 && event->type() == QEvent::Paint) {
            marks_.painted = now();
            if (loop_ != nullptr) {
                loop_->quit();
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    double now() const { return static_cast<double>(clock_.nsecsElapsed()) * 1e-6; }

    MainWindow& window_;
    QElapsedTimer clock_;
    QEventLoop* loop_ = nullptr;
    bool armed_ = false;
    Marks marks_;
};

// The milestones of the last turn, averaged over the turns as counters (milliseconds).
struct MarkSums {
    double requested = 0, progress = 0, results = 0, redrawn = 0;
    void add(const BoxPaintProbe::Marks& m) {
        requested += m.requested;
        progress += m.progress;
        results += m.results;
        redrawn += m.redrawn;
    }
    void report(benchmark::State& state) const {
        const auto avg = benchmark::Counter::kAvgIterations;
        state.counters["requested_ms"] = benchmark::Counter(requested, avg);
        state.counters["progress_ms"] = benchmark::Counter(progress, avg);
        state.counters["results_ms"] = benchmark::Counter(results, avg);
        state.counters["redrawn_ms"] = benchmark::Counter(redrawn, avg);
    }
};

// One shown main window with its own settings folder and a scripted prompt.
struct Session {
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    std::unique_ptr<MainWindow> window;
    std::unique_ptr<BoxPaintProbe> probe;

    Session(std::chrono::milliseconds pause, const char* project, bool eager = false) {
        window = std::make_unique<MainWindow>(test::windowOptions(dir, prompt, pause));
        if (eager) {
            // Every hidden view builds its graphs and queues its replot right after the redraw.
            QObject::connect(window.get(), &MainWindow::chartsRedrawn, window.get(), [this] {
                for (ChartView* view : window->chartViews()) {
                    view->plot();
                }
            });
        }
        window->show();
        probe = std::make_unique<BoxPaintProbe>(*window);
        probe->start();
        window->start(test::exampleProject(project));
        probe->wait();
        settle();
    }
    // Serves events until the calculation is idle and nothing is left to do.
    void settle() {
        window->calculation().waitFinished(std::chrono::milliseconds(kNoHangMs));
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    bool valid() const { return window->calculation().form().result->valid; }
};

bool finished(benchmark::State& state, double ms) {
    if (ms < 0) {
        state.SkipWithError("the box chart did not show a new result");
        return false;
    }
    state.SetIterationTime(ms * 1e-3);
    return true;
}

// The first grid slot of amplifier `amp` that holds a capacitor, -1 when there is none.
int firstCapacitor(const TAmp& amp) {
    for (int s = 0; s < kFirstFreeWireSlot; ++s) {
        if (amp.weiche[s].typ == kPartCapacitor && gridSlotNodes(s).nod2 != 0) {
            return s;
        }
    }
    return -1;
}

// "Übernehmen" of one capacitor value changed through the part dialog of the crossover editor;
// the values alternate so that every apply is a change. With `undo_filled` the undo stack has
// first been filled by untimed applies, so its snapshot reuses memory instead of taking new.
void BM_ApplyCapacitorUntilBoxChart(benchmark::State& state) {
    Session s(std::chrono::milliseconds(state.range(0)), kThreeWay, state.range(1) != 0);
    int amp = 0;
    while (amp < kMaxAmps && firstCapacitor(s.window->workspace().project().amp[amp]) < 0) {
        ++amp;
    }
    if (amp == kMaxAmps || !s.valid()) {
        state.SkipWithError("three-way example without a capacitor or without a valid result");
        return;
    }
    s.window->findChild<QMenu*>(QStringLiteral("ampMenu%1").arg(amp + 1))->actions()[0]->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* editor = s.window->findChild<CrossoverEditorWindow*>();
    if (editor == nullptr) {
        state.SkipWithError("crossover editor did not open");
        return;
    }
    const int slot = firstCapacitor(s.window->workspace().project().amp[amp]);
    const PartDialog original = editor->editor().partDialog(slot);
    const std::string values[] = {"10", "12,5"};
    int turn = 0;
    auto apply = [&] {
        PartDialog changed = original;
        changed.valueText = values[turn++ % 2];
        editor->editor().acceptPartDialog(slot, changed);
        s.probe->start();
        editor->applyButton()->click();
        s.probe->requested();
        return s.probe->wait();
    };
    if (state.range(2) != 0) {
        for (int k = 0; k < kUndoSlots + 1; ++k) {
            apply();
            s.settle();
        }
    }
    MarkSums sums;
    for (auto _ : state) {
        if (!finished(state, apply())) {
            break;
        }
        sums.add(s.probe->marks());
        state.PauseTiming();
        s.settle();
        state.ResumeTiming();
    }
    sums.report(state);
    editor->cancelButton()->click();
    s.settle();
}
BENCHMARK(BM_ApplyCapacitorUntilBoxChart)
    ->ArgNames({"pause_ms", "eager", "undo_filled"})
    ->Args({500, 1, 0})
    ->Args({0, 1, 0})
    ->Args({0, 0, 0})
    ->Args({0, 0, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7);

// Loading the three-way (from the two-way, loaded untimed before each turn) until its first box
// chart.
void BM_LoadThreeWayUntilFirstChart(benchmark::State& state) {
    Session s(std::chrono::milliseconds(state.range(0)), kTwoWay, state.range(1) != 0);
    const std::string threeWay = test::exampleProject(kThreeWay);
    const std::string twoWay = test::exampleProject(kTwoWay);
    MarkSums sums;
    for (auto _ : state) {
        s.probe->start();
        s.window->workspace().loadProject(threeWay);
        s.probe->requested();
        if (!finished(state, s.probe->wait())) {
            break;
        }
        sums.add(s.probe->marks());
        state.PauseTiming();
        s.settle();
        s.probe->start();
        s.window->workspace().loadProject(twoWay);
        s.probe->wait();
        s.settle();
        state.ResumeTiming();
    }
    sums.report(state);
}
BENCHMARK(BM_LoadThreeWayUntilFirstChart)
    ->ArgNames({"pause_ms", "eager"})
    ->Args({500, 1})
    ->Args({0, 1})
    ->Args({0, 0})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

// The chart update alone: the window redraws from the result it holds, until the box chart has
// painted (everything the redraw queued before that paint included). `busy_ms` is the time until
// the window has also done the work queued after that paint and is free for the user again.
void BM_ChartUpdateUntilBoxPaint(benchmark::State& state) {
    Session s(0ms, kThreeWay, state.range(0) != 0);
    double busy = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        s.probe->start();
        s.window->redrawCharts();
        if (!finished(state, s.probe->wait())) {
            break;
        }
        QCoreApplication::processEvents();
        busy += static_cast<double>(clock.nsecsElapsed()) * 1e-6;
        state.PauseTiming();
        s.settle();
        state.ResumeTiming();
    }
    state.counters["busy_ms"] = benchmark::Counter(busy, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ChartUpdateUntilBoxPaint)
    ->ArgName("eager")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The parts of the update, each alone on the three-way's result.
void BM_ChartSetUpdate(benchmark::State& state) {
    Session s(0ms, kThreeWay);
    ChartSet charts;
    const TResult& result = *s.window->calculation().form().result;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            charts.update(result, s.window->workspace().project().option, s.window->switches()));
    }
}
BENCHMARK(BM_ChartSetUpdate)->Unit(benchmark::kMillisecond);

// Handing every chart's content to its view (graphs and axes, the replot only queued).
void BM_ChartViewsSetContent(benchmark::State& state) {
    Session s(0ms, kThreeWay);
    const ChartSet& charts = s.window->chartSet();
    for (auto _ : state) {
        for (std::size_t k = 0; k < s.window->chartViews().size(); ++k) {
            s.window->chartViews()[k]->setContent(charts.charts()[k]);
        }
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ChartViewsSetContent)->Unit(benchmark::kMillisecond);

// Drawing every chart's plot into its buffer, as the queued replots do after an update.
void BM_ReplotAllCharts(benchmark::State& state) {
    Session s(0ms, kThreeWay);
    for (auto _ : state) {
        for (ChartView* view : s.window->chartViews()) {
            view->plot()->replot(QCustomPlot::rpImmediateRefresh);
        }
    }
}
BENCHMARK(BM_ReplotAllCharts)->Unit(benchmark::kMillisecond);

// The same for the box chart alone.
void BM_ReplotBoxChart(benchmark::State& state) {
    Session s(0ms, kThreeWay);
    QCustomPlot* plot = s.window->chartView(ChartKind::Box)->plot();
    for (auto _ : state) {
        plot->replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_ReplotBoxChart)->Unit(benchmark::kMillisecond);

// The undo snapshot taken by every apply: into new memory, as for the first 21 edits of a
// session (the stacks are kept, so every snapshot gets pages never touched before), and into a
// filled stack, whose oldest block is reused.
void BM_UndoPushFresh(benchmark::State& state) {
    const auto project = std::make_unique<TProjekt>();
    std::vector<UndoStack> kept;
    kept.reserve(static_cast<std::size_t>(state.max_iterations));
    for (auto _ : state) {
        kept.emplace_back().push(*project, "Weiche 1 editieren");
    }
}
BENCHMARK(BM_UndoPushFresh)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_UndoPushFilled(benchmark::State& state) {
    const auto project = std::make_unique<TProjekt>();
    UndoStack undo;
    for (int k = 0; k < kUndoSlots + 1; ++k) {
        undo.push(*project, "Weiche 1 editieren");
    }
    for (auto _ : state) {
        undo.push(*project, "Weiche 1 editieren");
    }
}
BENCHMARK(BM_UndoPushFilled)->Unit(benchmark::kMillisecond);

// The directivity map's and polar charts' data from the result.
void BM_DirectivityFill(benchmark::State& state) {
    Session s(0ms, kThreeWay);
    const TResult& result = *s.window->calculation().form().result;
    for (auto _ : state) {
        s.window->directivity()->fill(result, s.window->workspace().project().option);
    }
}
BENCHMARK(BM_DirectivityFill)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen"); // no screen needed
    // The offscreen platform warns about every window hint it cannot follow; keep the table clean.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg && type != QtWarningMsg) {
            std::fprintf(stderr, "%s\n", qPrintable(text));
        }
    });
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
