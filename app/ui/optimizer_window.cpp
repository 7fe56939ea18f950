#include "app/ui/optimizer_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTableWidget>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui/optimizer_window_host.h"
#include "app/ui/optimizer_window_parts.h"
#include "app/ui/qt_text.h"
#include "optimizer/opti_start.h"
#include "optimizer/opti_values.h"

namespace sonora::ui {

namespace {

using namespace std::chrono_literals;

constexpr int kServeSliceMs = 10;     // longest wait for events while the GUI waits for a thread
constexpr int kHistoryRedrawMs = 250; // the history chart looks for new entries this often
constexpr int kPermille = 1000;       // full progress bar
constexpr auto kReadyIdlePoll = 50ms; // after the finished notice: wait for the run's end
constexpr int kGridRows = 3;          // lower limit, upper limit, level

// Every stage pending, so the start design is calculated from the project itself: the main
// window's result may still show the last optimizer design when a run is started again.
TCalcStruct allStagesPending() {
    TCalcStruct cs{};
    cs.bChassiskontrolle.assign(kStatusPending);
    cs.bfgang_box.assign(kStatusPending);
    for (auto& t : cs.bfgang_sw) {
        t.assign(kStatusPending);
    }
    for (auto& t : cs.bfgang_ch) {
        t.assign(kStatusPending);
    }
    for (auto& t : cs.bfgang_akt) {
        t.assign(kStatusPending);
    }
    for (auto& t : cs.bfgang_weiche) {
        t.assign(kStatusPending);
    }
    return cs;
}

void setIfChanged(QPlainTextEdit* memo, const std::string& latin1) {
    const QString t = fromLatin1(latin1);
    if (memo->toPlainText() != t) {
        memo->setPlainText(t);
    }
}

} // namespace

OptimizerDialog::OptimizerDialog(UserPrompt& prompt, OptimizerConnections connections,
                                 QWidget* parent, TOptiThread::Options threadOptions)
    : QDialog(parent), prompt_(prompt), connections_(std::move(connections)), model_(prompt) {
    setObjectName(QString::fromLatin1(kOptimizerWindowName));
    setWindowTitle(fromUtf8("Sonora-Optimierer"));
    setModal(false);

    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    layout->addLayout(left, 3);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(fromUtf8("Optimierung starten "), this);
    abort_ = new QPushButton(fromUtf8("Optimierung abbrechen"), this);
    abort_->hide();
    buttons->addWidget(start_);
    buttons->addWidget(abort_);
    buttons->addStretch();
    left->addLayout(buttons);
    connect(start_, &QPushButton::clicked, this, [this] { startOptimization(); });
    connect(abort_, &QPushButton::clicked, this, [this] { abortOptimization(); });

    auto* memos = new QHBoxLayout;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const auto memo = [&](const char* caption, QPlainTextEdit*& edit) {
        auto* box = new QGroupBox(fromUtf8(caption), this);
        auto* l = new QVBoxLayout(box);
        edit = new QPlainTextEdit(box);
        edit->setReadOnly(true);
        edit->setFont(fixed);
        edit->setMinimumWidth(QFontMetrics(fixed).horizontalAdvance(QString(32, QLatin1Char('0'))));
        l->addWidget(edit);
        memos->addWidget(box);
    };
    memo("Ergebnisse vor Optimierung", before_);
    memo("Ergebnisse nach Optimierung", after_);
    left->addLayout(memos);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, kPermille);
    progress_->setTextVisible(false);
    progress_->reset();
    left->addWidget(progress_);

    history_ = new HistoryChart(this);
    left->addWidget(history_, 1);

    grid_ = new QTableWidget(kGridRows, 0, this);
    grid_->setVerticalHeaderLabels({fromUtf8(kWorkingRangeLowerTitle),
                                    fromUtf8(kWorkingRangeUpperTitle),
                                    fromUtf8(kWorkingRangeLevelTitle)});
    grid_->setMinimumHeight(grid_->horizontalHeader()->height() * (kGridRows + 2));
    left->addWidget(grid_);

    auto* right = new QVBoxLayout;
    layout->addLayout(right, 2);
    right->addWidget(buildRating());
    weights_ = new WeightsWindow(this);
    picture_ = new WeightsPicture(this);
    picture_->setWeights(weights_->weights());
    right->addWidget(picture_);
    connect(picture_, &WeightsPicture::clicked, this, &OptimizerDialog::openWeightsWindow);
    connect(weights_, &WeightsWindow::weightsChanged, this,
            [this] { picture_->setWeights(weights_->weights()); });
    right->addWidget(buildFixChoice());
    right->addStretch();

    // The model's connections.
    model_.readParameters = [this] { return ratingParameters(); };
    model_.rememberReference = connections_.rememberReference;
    model_.mainResult = connections_.mainResult;
    model_.redrawMain = connections_.redrawMain;
    model_.partEditor = [this](TPart& part) { return editPart(part); };
    model_.beep = [] { QApplication::beep(); };
    model_.readyClosed = [this] {
        // Called inside the thread's last call: the run ends only after it returns.
        QTimer::singleShot(0, this, &OptimizerDialog::readyNoticeClosed);
    };

    bridge_ = std::make_unique<OptiHostBridge>(model_);
    connect(bridge_.get(), &OptiHostBridge::answered, this, &OptimizerDialog::refreshView);
    threadOptions.host = bridge_.get();
    thread_ = std::make_unique<TOptiThread>(std::move(threadOptions));
    model_.attach(thread_.get());

    historyTimer_ = new QTimer(this);
    connect(historyTimer_, &QTimer::timeout, this, [this] {
        if (model_.nHistUpdate) {
            model_.nHistUpdate = false;
            history_->setHistory(model_.history, model_.historyValueNames);
            emit historyRedrawn();
        }
    });
    historyTimer_->start(kHistoryRedrawMs);

    initWorkingRanges();
    refreshView();
}

OptimizerDialog::~OptimizerDialog() {
    shutDown();
}

QWidget* OptimizerDialog::buildRating() {
    auto* box = new QGroupBox(fromUtf8("Bewertung"), this);
    auto* grid = new QGridLayout(box);
    struct Row {
        const char* caption;
        int max;
        const char* low;  // label at position 0
        const char* high; // label at the end
        bool showValue;   // 10 - p beside it
    };
    const Row rows[kSliderCount] = {
        {"Verstärker min. Impedanz", kMinImpedanceSliderMax, nullptr, nullptr, false},
        {"Maximalpegel", kWeightSliderMax, nullptr, nullptr, true},
        {"Hörgeschmack Bass", kTasteSliderMax, "kräftig", "schlank", false},
        {"Hörgeschmack Höhen", kTasteSliderMax, "strahlend", "englisch", false},
        {"Frequenz- gänge", kWeightSliderMax, nullptr, nullptr, true},
        {"Energie- Frequenzgang", kWeightSliderMax, nullptr, nullptr, true},
        {"Vorgabe Arbeits- frequenzbereich", kWeightSliderMax, nullptr, nullptr, true},
    };
    const RatingSliders start;
    const int starts[kSliderCount] = {
        start.minImpedance,         start.maxLevel,       start.bassTaste,   start.trebleTaste,
        start.directionalResponses, start.energyResponse, start.workingRange};
    int line = 0;
    for (int k = 0; k < kSliderCount; ++k, line += 2) {
        const Row& r = rows[k];
        auto* caption = new QLabel(fromUtf8(r.caption), box);
        caption->setWordWrap(true);
        grid->addWidget(caption, line, 0, 2, 1);
        auto* s = new QSlider(Qt::Horizontal, box);
        s->setRange(0, r.max);
        s->setValue(starts[k]);
        s->setPageStep(1);
        s->setTickPosition(QSlider::TicksBelow);
        s->setTickInterval(1);
        if (r.showValue) {
            // The value shown is 10 - p: drawn inverted, the slider grows to the right with it.
            s->setInvertedAppearance(true);
            s->setInvertedControls(true);
        }
        grid->addWidget(s, line, 1, 1, 3);
        sliders_[k] = s;
        if (r.showValue) {
            shown_[k] = new QLabel(box);
            shown_[k]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("10")));
            grid->addWidget(shown_[k], line, 4);
        }
        if (k == kMinImpedance) {
            for (int j = 0; j < 3; ++j) {
                impedanceLabels_[j] = new QLabel(box);
                grid->addWidget(impedanceLabels_[j], line + 1, 1 + j,
                                j == 0   ? Qt::AlignLeft
                                : j == 1 ? Qt::AlignCenter
                                         : Qt::AlignRight);
            }
        } else if (r.low != nullptr) {
            grid->addWidget(new QLabel(fromUtf8(r.low), box), line + 1, 1, Qt::AlignLeft);
            grid->addWidget(new QLabel(fromUtf8(r.high), box), line + 1, 3, Qt::AlignRight);
        }
        if (k == kWorkingRange) {
            workingRangeWidgets_ = {caption, s, shown_[k], nullptr};
        }
        connect(s, &QSlider::valueChanged, this, &OptimizerDialog::refreshShownValues);
    }
    tube_ = new QCheckBox(fromUtf8("Röhrenverstärker"), box);
    grid->addWidget(tube_, line, 0, 1, 2);
    connect(tube_, &QCheckBox::toggled, this, &OptimizerDialog::refreshImpedanceLabels);
    defaults_ = new QPushButton(fromUtf8("Defaultwerte setzen"), box);
    grid->addWidget(defaults_, line, 2, 1, 3);
    connect(defaults_, &QPushButton::clicked, this, [this] {
        RatingSliders s = ratingSliders();
        setRatingDefaults(s);
        sliders_[kDirectionalResponses]->setValue(s.directionalResponses);
        sliders_[kEnergyResponse]->setValue(s.energyResponse);
        sliders_[kMaxLevel]->setValue(s.maxLevel);
        sliders_[kWorkingRange]->setValue(s.workingRange);
    });
    refreshImpedanceLabels();
    refreshShownValues();
    return box;
}

QWidget* OptimizerDialog::buildFixChoice() {
    auto* box = new QGroupBox(fromUtf8("Bauteile festlegen"), this);
    auto* layout = new QHBoxLayout(box);
    const auto group = [&](const char* const(&captions)[3], std::array<QRadioButton*, 3>& radios,
                           FixChoice& choice) {
        auto* column = new QVBoxLayout;
        layout->addLayout(column);
        for (int k = 0; k < 3; ++k) {
            radios[k] = new QRadioButton(fromUtf8(captions[k]), box);
            column->addWidget(radios[k]);
            connect(radios[k], &QRadioButton::toggled, this, [&choice, k](bool on) {
                if (on) {
                    choice = static_cast<FixChoice>(k);
                }
            });
        }
        // Radio buttons in one parent are exclusive together: each column gets its own group.
        auto* exclusive = new QButtonGroup(box);
        for (QRadioButton* r : radios) {
            exclusive->addButton(r);
        }
        radios[index(choice)]->setChecked(true);
    };
    static const char* const kResistors[3] = {
        "Widerstände aus E6-Reihe", "Widerstände aus E12-Reihe", "Widerstände manuell wählen"};
    static const char* const kCapacitors[3] = {"Kondensatoren aus E6-Reihe",
                                               "Kondensatoren aus E12-Reihe",
                                               "Kondensatoren manuell wählen"};
    group(kResistors, resistorChoice_, model_.resistorChoice);
    group(kCapacitors, capacitorChoice_, model_.capacitorChoice);
    return box;
}

void OptimizerDialog::refreshImpedanceLabels() {
    const auto labels = minImpedanceSliderLabels(tube_->isChecked());
    for (int j = 0; j < 3; ++j) {
        impedanceLabels_[j]->setText(
            QString::fromUtf8(labels[static_cast<std::size_t>(j)].data(),
                              static_cast<qsizetype>(labels[static_cast<std::size_t>(j)].size())));
    }
}

void OptimizerDialog::refreshShownValues() {
    for (int k = 0; k < kSliderCount; ++k) {
        if (shown_[k] != nullptr) {
            shown_[k]->setText(QString::number(sliderShownValue(sliders_[k]->value())));
        }
    }
}

RatingSliders OptimizerDialog::ratingSliders() const {
    RatingSliders s;
    s.tubeAmplifier = tube_->isChecked();
    s.minImpedance = sliders_[kMinImpedance]->value();
    s.maxLevel = sliders_[kMaxLevel]->value();
    s.bassTaste = sliders_[kBassTaste]->value();
    s.trebleTaste = sliders_[kTrebleTaste]->value();
    s.directionalResponses = sliders_[kDirectionalResponses]->value();
    s.energyResponse = sliders_[kEnergyResponse]->value();
    s.workingRange = sliders_[kWorkingRange]->value();
    return s;
}

WorkingRangeGrid OptimizerDialog::workingRanges() const {
    WorkingRangeGrid g(static_cast<std::size_t>(grid_->columnCount()));
    const auto cell = [this](int row, int column) {
        const QTableWidgetItem* item = grid_->item(row, column);
        return item != nullptr ? toLatin1(item->text()) : std::string();
    };
    for (int c = 0; c < grid_->columnCount(); ++c) {
        WorkingRangeColumn& col = g[static_cast<std::size_t>(c)];
        const QTableWidgetItem* header = grid_->horizontalHeaderItem(c);
        col.header = header != nullptr ? toLatin1(header->text()) : std::string();
        col.lower = cell(0, c);
        col.upper = cell(1, c);
        col.level = cell(2, c);
    }
    return g;
}

TBewertungsparameter OptimizerDialog::ratingParameters() const {
    return HoleAlleBewPara(ratingSliders(), weights_->weights(), workingRanges(),
                           connections_.project().nChassis);
}

void OptimizerDialog::initWorkingRanges() {
    const TProjekt& project = connections_.project();
    const WorkingRangeGrid g = InitArbeitsfreqs(workingRanges(), project);
    grid_->setColumnCount(static_cast<int>(g.size()));
    QStringList headers;
    for (int c = 0; c < static_cast<int>(g.size()); ++c) {
        const WorkingRangeColumn& col = g[static_cast<std::size_t>(c)];
        headers << fromLatin1(col.header);
        const std::string* cells[kGridRows] = {&col.lower, &col.upper, &col.level};
        for (int row = 0; row < kGridRows; ++row) {
            const QString t = fromLatin1(*cells[row]);
            QTableWidgetItem* item = grid_->item(row, c);
            if (item == nullptr) {
                grid_->setItem(row, c, new QTableWidgetItem(t));
            } else if (item->text() != t) {
                item->setText(t);
            }
        }
    }
    grid_->setHorizontalHeaderLabels(headers);
    const bool enabled = workingRangeInputEnabled(project.nChassis);
    grid_->setEnabled(enabled);
    for (QWidget* w : workingRangeWidgets_) {
        if (w != nullptr) {
            w->setEnabled(enabled);
            w->setVisible(enabled);
        }
    }
}

void OptimizerDialog::refreshView() {
    setIfChanged(before_, model_.ergebnisseVor);
    setIfChanged(after_, model_.ergebnisseNach);
    start_->setEnabled(model_.startEnabled);
    abort_->setVisible(model_.abortVisible);
    if (model_.progressPermille < 0) {
        progress_->reset();
    } else {
        progress_->setValue(std::min(model_.progressPermille, kPermille));
    }
}

void OptimizerDialog::pump() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, kServeSliceMs);
}

void OptimizerDialog::showWindow() {
    model_.show([this] { pump(); });
    initWorkingRanges();
    refreshView();
    show();
    raise();
    activateWindow();
}

bool OptimizerDialog::startOptimization() {
    auto project = std::make_unique<TProjekt>(connections_.project());
    const bool markedBefore = countOptiMarks(*project).marked > 0;
    if (!optimizerStartChecks(*project, connections_.interactiveRunning, thread_->isRunning(),
                              prompt_, connections_.rememberReference)) {
        refreshView();
        return false;
    }
    marksAdded_ = !markedBefore;
    // The window's state first (as the model's start does): once started, the thread's calls
    // write it.
    model_.ergebnisseVor.clear();
    model_.ergebnisseNach.clear();
    model_.abortVisible = true;
    model_.history.clear();
    model_.nHistUpdate = true;
    model_.startEnabled = false;
    model_.DidOptimize = true;
    refreshView();
    thread_->start(*project, *connections_.mainResult, allStagesPending(), ratingParameters(),
                   [this] { pump(); });
    return true;
}

void OptimizerDialog::abortOptimization() {
    model_.abort([this] { pump(); });
    refreshView();
}

void OptimizerDialog::readyNoticeClosed() {
    // The thread resets its running state right after the notice; until then closing would ask
    // whether to abort.
    while (thread_ && !thread_->waitUntilIdle(kReadyIdlePoll)) {
        pump();
    }
    refreshView();
    close();
}

bool OptimizerDialog::editPart(TPart& part) {
    PartValueDialog dialog(part, this);
    placeBelowTopCentred(&dialog, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    part = dialog.part();
    return true;
}

void OptimizerDialog::openWeightsWindow() {
    weights_->show();
    weights_->raise();
    weights_->activateWindow();
}

void OptimizerDialog::reject() {
    close();
}

void OptimizerDialog::closeEvent(QCloseEvent* event) {
    if (closing_ || !thread_) {
        // A second close while the questions wait, or after shut-down: nothing more to ask.
        if (!thread_) {
            event->accept();
        } else {
            event->ignore();
        }
        return;
    }
    closing_ = true;
    auto project = std::make_unique<TProjekt>(connections_.project());
    const OptiCloseResult result = model_.close(*project, [this] { pump(); });
    closing_ = false;
    refreshView();
    if (result == OptiCloseResult::KeepOpen) {
        event->ignore();
        return;
    }
    if (result == OptiCloseResult::Applied) {
        connections_.apply(*project);
    } else if (result == OptiCloseResult::Restored) {
        connections_.restore(*project, marksAdded_);
    }
    weights_->hide();
    // Not QDialog::closeEvent: it would call reject(), which closes through here again.
    event->accept();
    connections_.closed();
}

void OptimizerDialog::shutDown() {
    if (!thread_) {
        return;
    }
    bridge_->detach();
    thread_->terminate();
    // The thread may be waiting in a blocking call into this thread: serve it until the thread
    // has left its loop, then join.
    while (!thread_->finished()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, kServeSliceMs);
        QThread::msleep(1);
    }
    model_.attach(nullptr);
    thread_.reset();
}

} // namespace sonora::ui
