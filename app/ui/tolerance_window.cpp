#include "app/ui/tolerance_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/chart_view.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "app/ui/tool_window.h"

namespace sonora::ui {

namespace {

constexpr int kPollMs = 100;            // the progress bar follows the run this often
constexpr int kChartMinimumWidth = 620; // pixels
constexpr int kChartMinimumHeight = 360;
constexpr int kTableMinimumHeight = 150;
constexpr int kFieldWidthDigits = 8; // characters an entry field is wide

// The entries of the last run, kept while the program runs.
ToleranceEntries& sessionEntries() {
    static ToleranceEntries entries = toleranceEntriesOf(ToleranceSettings{});
    return entries;
}

} // namespace

ToleranceWindow::ToleranceWindow(ToleranceConnections connections, QWidget* parent)
    : QDialog(parent), connections_(std::move(connections)) {
    setObjectName(QString::fromLatin1(kToleranceWindowName));
    setWindowTitle(QStringLiteral("Sonora - Toleranzanalyse"));
    setModal(false);
    auto* layout = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    layout->addLayout(left);
    const int fieldWidth =
        fontMetrics().horizontalAdvance(QString(kFieldWidthDigits, QLatin1Char('0')));
    const auto addFields = [&](QFormLayout* form, ToleranceEntry first, ToleranceEntry last) {
        for (int k = static_cast<int>(first); k <= static_cast<int>(last); ++k) {
            auto* f = new NumberField(0.0, this);
            f->setMaximumWidth(fieldWidth);
            fields_[static_cast<std::size_t>(k)] = f;
            form->addRow(QString::fromUtf8(toleranceEntryCaption(static_cast<ToleranceEntry>(k))),
                         f);
        }
    };
    auto* tolerances = new QGroupBox(QStringLiteral("Toleranzen"), this);
    auto* tolerancesForm = new QFormLayout(tolerances);
    addFields(tolerancesForm, ToleranceEntry::Resistors, ToleranceEntry::Level);
    left->addWidget(tolerances);

    auto* run = new QGroupBox(QStringLiteral("Lauf"), this);
    auto* runForm = new QFormLayout(run);
    addFields(runForm, ToleranceEntry::Trials, ToleranceEntry::Seed);
    distribution_ = new QComboBox(run);
    distribution_->addItems({QStringLiteral("gleichverteilt"), QStringLiteral("normalverteilt")});
    runForm->addRow(QStringLiteral("Verteilung"), distribution_);
    sensitivities_ = new QCheckBox(QStringLiteral("Empfindlichkeiten berechnen"), run);
    runForm->addRow(sensitivities_);
    left->addWidget(run);

    auto* buttons = new QHBoxLayout;
    start_ = new QPushButton(QStringLiteral("Start"), this);
    cancel_ = new QPushButton(QStringLiteral("Abbrechen"), this);
    buttons->addWidget(start_);
    buttons->addWidget(cancel_);
    left->addLayout(buttons);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1);
    progress_->setValue(0);
    left->addWidget(progress_);
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    left->addWidget(status_);
    left->addStretch();

    auto* right = new QVBoxLayout;
    layout->addLayout(right, 1);
    auto* choose = new QHBoxLayout;
    choose->addWidget(new QLabel(QStringLiteral("Kurve"), this));
    curve_ = new QComboBox(this);
    curve_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    choose->addWidget(curve_);
    choose->addStretch();
    right->addLayout(choose);
    chart_ = new ChartView(this);
    chart_->setMinimumSize(kChartMinimumWidth, kChartMinimumHeight);
    right->addWidget(chart_, 1);
    summary_ = new QLabel(this);
    summary_->setWordWrap(true);
    right->addWidget(summary_);
    table_ = new QTableWidget(0, 3, this);
    table_->setHorizontalHeaderLabels({QString::fromUtf8("Bauteil / Chassiswert"),
                                       QString::fromUtf8("größte Änderung dB je +1 %"),
                                       QStringLiteral("bei")});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setMinimumHeight(kTableMinimumHeight);
    right->addWidget(table_);

    timer_ = new QTimer(this);
    timer_->setInterval(kPollMs);
    connect(timer_, &QTimer::timeout, this, &ToleranceWindow::poll);
    connect(start_, &QPushButton::clicked, this, [this] { start(); });
    connect(cancel_, &QPushButton::clicked, this, &ToleranceWindow::cancel);
    connect(curve_, &QComboBox::currentIndexChanged, this, &ToleranceWindow::redrawChart);

    setEntries(sessionEntries());
    redrawChart();
    refreshButtons();
}

// Hiding the dialog in its base destructor takes the focus from an entry, whose signals would
// then reach the part of this window that is already gone.
ToleranceWindow::~ToleranceWindow() {
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        disconnect(field, nullptr, this, nullptr);
    }
    stopAndWait();
}

ToleranceEntries ToleranceWindow::entries() const {
    ToleranceEntries e;
    for (int k = 0; k < kToleranceEntries; ++k) {
        e.text[static_cast<std::size_t>(k)] =
            toLatin1(fields_[static_cast<std::size_t>(k)]->text());
    }
    e.distribution = distribution_->currentIndex() == 0 ? ToleranceDistribution::Uniform
                                                        : ToleranceDistribution::Normal;
    e.sensitivities = sensitivities_->isChecked();
    return e;
}

void ToleranceWindow::setEntries(const ToleranceEntries& e) {
    for (int k = 0; k < kToleranceEntries; ++k) {
        fields_[static_cast<std::size_t>(k)]->setText(
            fromLatin1(e.text[static_cast<std::size_t>(k)]));
    }
    distribution_->setCurrentIndex(e.distribution == ToleranceDistribution::Uniform ? 0 : 1);
    sensitivities_->setChecked(e.sensitivities);
}

bool ToleranceWindow::running() const {
    return runGoing_;
}

bool ToleranceWindow::start() {
    if (runGoing_) {
        return false;
    }
    const ToleranceEntries e = entries();
    sessionEntries() = e;
    ToleranceSettings settings;
    std::string error;
    if (!readToleranceEntries(e, settings, error)) {
        status_->setText(fromLatin1(error));
        return false;
    }
    const TProjekt& project = connections_.project();
    options_ = project.option;
    progressShared_ = std::make_shared<Progress>();
    // The run's threads only touch the shared counters: nothing of the window, which may be
    // closed while they work.
    auto progress = progressShared_;
    if (!job_.start(project, settings, [progress](int done, int total) {
            progress->total = total;
            progress->done = done;
        })) {
        return false;
    }
    runGoing_ = true;
    progress_->setRange(0, 0); // busy until the nominal project is computed and the total known
    status_->setText(QString::fromUtf8("Berechnung läuft ..."));
    refreshButtons();
    timer_->start();
    return true;
}

void ToleranceWindow::cancel() {
    if (runGoing_) {
        job_.cancel();
        status_->setText(QString::fromUtf8("Wird abgebrochen ..."));
    }
}

void ToleranceWindow::poll() {
    if (!runGoing_) {
        timer_->stop();
        return;
    }
    const int total = progressShared_->total.load();
    if (total > 0) {
        progress_->setRange(0, total);
        progress_->setValue(std::min(progressShared_->done.load(), total));
    }
    if (job_.finished()) {
        finishRun();
    }
}

void ToleranceWindow::finishRun() {
    timer_->stop();
    job_.wait(); // the run has ended: this only joins its thread
    runGoing_ = false;
    const int total = progressShared_->total.load();
    if (total > 0) {
        progress_->setRange(0, total);
        progress_->setValue(std::min(progressShared_->done.load(), total));
    } else {
        progress_->setRange(0, 1);
        progress_->setValue(0);
    }
    if (job_.status() == ToleranceStatus::Ok) {
        result_ = job_.result();
        status_->setText(QStringLiteral("Fertig: %1 Versuche.").arg(result_.trials));
        showResult();
    } else {
        status_->setText(fromLatin1(toleranceStatusText(job_.status(), job_.error())));
    }
    refreshButtons();
    emit runFinished();
}

void ToleranceWindow::showResult() {
    const int chosen = std::max(curve_->currentIndex(), 0);
    {
        const QSignalBlocker block(curve_);
        curve_->clear();
        for (const ToleranceCurve& c : toleranceCurves(result_)) {
            curve_->addItem(fromLatin1(c.caption));
        }
        curve_->setCurrentIndex(std::min(chosen, curve_->count() - 1));
    }
    redrawChart();
    summary_->setText(fromLatin1(toleranceDeviationText(result_)));
    const std::vector<ToleranceSensitivityRow> rows = toleranceSensitivityRows(result_);
    table_->setRowCount(static_cast<int>(rows.size()));
    for (int k = 0; k < static_cast<int>(rows.size()); ++k) {
        const ToleranceSensitivityRow& row = rows[static_cast<std::size_t>(k)];
        table_->setItem(k, 0, new QTableWidgetItem(fromLatin1(row.name)));
        auto* value = new QTableWidgetItem(fromLatin1(row.perPercent));
        value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(k, 1, value);
        auto* at = new QTableWidgetItem(fromLatin1(row.frequency));
        at->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(k, 2, at);
    }
}

void ToleranceWindow::redrawChart() {
    const int index = curve_->currentIndex();
    const ChartContent* spinorama = connections_.spinorama ? connections_.spinorama() : nullptr;
    const ChartCurve* reference =
        spinorama != nullptr ? toleranceReferenceCurve(*spinorama, index) : nullptr;
    if (result_.trials <= 0) {
        options_ = connections_.project().option;
    }
    chart_->setContent(toleranceChartContent(result_, index, options_, reference));
}

void ToleranceWindow::refreshButtons() {
    start_->setEnabled(!runGoing_);
    cancel_->setEnabled(runGoing_);
}

void ToleranceWindow::stopAndWait() {
    job_.cancel();
    job_.wait();
    timer_->stop();
    runGoing_ = false;
}

void ToleranceWindow::closeEvent(QCloseEvent* event) {
    sessionEntries() = entries();
    if (runGoing_) {
        stopAndWait();
        refreshButtons();
        status_->setText(QStringLiteral("Abgebrochen."));
    }
    QDialog::closeEvent(event);
}

ToleranceWindow* showToleranceWindow(QWidget* parent, ToleranceConnections connections) {
    return showToolWindow<ToleranceWindow>(parent, QString::fromLatin1(kToleranceWindowName), [&] {
        return new ToleranceWindow(std::move(connections), parent);
    });
}

} // namespace sonora::ui
