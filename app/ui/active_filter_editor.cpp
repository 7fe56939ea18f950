#include "app/ui/active_filter_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <limits>

#include "app/shell/workspace.h"
#include "app/ui/active_filter_editor_chart.h"
#include "app/ui/chart_view.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "engine/active_filter.h"

namespace sonora::ui {

namespace {

constexpr int kCaptionColumn = 0;
constexpr int kValueColumn = 1;
constexpr int kFieldRole = Qt::UserRole; // the FilterField a parameter row edits
constexpr int kWindowWidth = 1060;       // pixels
constexpr int kWindowHeight = 600;
constexpr int kChartStretch = 3; // the chart takes three parts of the width, the entries one each
constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();

QString stageCaption(int stage, int typ) {
    const std::string kind = activeFilterCaption(typ);
    return fromUtf8("Filter %1: %2")
        .arg(stage + 1)
        .arg(kind.empty() ? QStringLiteral("?") : fromLatin1(kind));
}

// A typed number, or nothing when the text holds no number (then the entry is not taken).
std::optional<double> entryValue(const QString& entry) {
    const double v = parseNumberField(entry, kNoNumber);
    return std::isnan(v) ? std::nullopt : std::optional<double>(v);
}

} // namespace

ActiveFilterEditor::ActiveFilterEditor(Workspace& workspace, UserPrompt& prompt, int amp,
                                       QWidget* parent)
    : QDialog(parent), workspace_(workspace), prompt_(prompt), amp_(amp),
      chain_(workspace.project().amp[amp].aktfilter) {
    setObjectName(QStringLiteral("activeFilterEditor"));
    setWindowTitle(fromUtf8("Sonora - Aktive Filter Verstärker %1").arg(amp + 1));
    setModal(false);
    resize(kWindowWidth, kWindowHeight);

    // Level of the amplifier branch, entered in dB.
    auto* levelBox = new QGroupBox(fromUtf8("Verstärker %1").arg(amp + 1), this);
    auto* levelForm = new QFormLayout(levelBox);
    level_ = new QLineEdit(numberFieldText(levelToDb(chain_.pegel)), levelBox);
    level_->setObjectName(QStringLiteral("level"));
    levelForm->addRow(fromUtf8("Pegel [dB]"), level_);
    optimizeLevel_ = new QCheckBox(fromUtf8("Optimierer soll Pegel optimieren"), levelBox);
    optimizeLevel_->setChecked(chain_.bOptiPeg);
    levelForm->addRow(optimizeLevel_);
    // The field also finishes when the window closes and takes the focus away; "&Abbruch"
    // must not read (and complain about) an entry it throws away.
    connect(level_, &QLineEdit::editingFinished, this, [this] {
        if (!closing_) {
            readLevel();
            refreshChart();
        }
    });
    connect(optimizeLevel_, &QCheckBox::toggled, this, [this](bool on) { chain_.bOptiPeg = on; });

    // The 12 stages in signal order.
    stages_ = new QListWidget(this);
    stages_->setObjectName(QStringLiteral("stages"));
    for (int s = 0; s < kMaxFilters; ++s) {
        stages_->addItem(stageCaption(s, chain_.fil[s].typ));
    }
    auto* left = new QVBoxLayout;
    left->addWidget(levelBox);
    left->addWidget(new QLabel(fromUtf8("Filterstufen (in Signalrichtung)"), this));
    left->addWidget(stages_, 1);

    // The chosen stage: kind, its parameters, its optimizer switch.
    stageBox_ = new QGroupBox(this);
    QGroupBox* stageBox = stageBox_;
    auto* stageLayout = new QVBoxLayout(stageBox);
    kind_ = new QComboBox(stageBox);
    kind_->setObjectName(QStringLiteral("kind"));
    for (const std::string& caption : activeFilterCaptions()) {
        kind_->addItem(fromLatin1(caption));
    }
    stageLayout->addWidget(new QLabel(fromUtf8("Filtertyp"), stageBox));
    stageLayout->addWidget(kind_);
    parameters_ = new QTableWidget(0, 2, stageBox);
    parameters_->setObjectName(QStringLiteral("parameters"));
    parameters_->setHorizontalHeaderLabels({fromLatin1(std::string(kParameterColumnCaption)),
                                            fromLatin1(std::string(kValueColumnCaption))});
    parameters_->verticalHeader()->setVisible(false);
    parameters_->horizontalHeader()->setStretchLastSection(true);
    stageLayout->addWidget(parameters_, 1);
    optimizeStage_ = new QCheckBox(fromUtf8("dieses Filter optimieren"), stageBox);
    stageLayout->addWidget(optimizeStage_);
    connect(optimizeStage_, &QCheckBox::toggled, this,
            [this](bool on) { chain_.fil[stage_].bOptimize = on; });
    connect(kind_, &QComboBox::currentIndexChanged, this, &ActiveFilterEditor::kindChosen);
    connect(parameters_, &QTableWidget::cellChanged, this, &ActiveFilterEditor::parameterEdited);
    connect(stages_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row < kMaxFilters) {
            stage_ = row;
            showStage();
        }
    });

    // The chain as the calculation will see it.
    chart_ = new ChartView(this);
    check_ = new QLabel(this);
    check_->setObjectName(QStringLiteral("check"));
    check_->setWordWrap(true);
    auto* right = new QVBoxLayout;
    right->addWidget(chart_, 1);
    right->addWidget(check_);

    auto* buttons = new QDialogButtonBox(this);
    apply_ = buttons->addButton(fromUtf8("&Übernehmen"), QDialogButtonBox::ApplyRole);
    ok_ = buttons->addButton(fromUtf8("&Ok"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(fromUtf8("&Abbruch"), QDialogButtonBox::RejectRole);
    for (QPushButton* b : {apply_, ok_, cancel_}) {
        b->setAutoDefault(false); // Return in a table cell finishes the entry, not the window
    }
    connect(apply_, &QPushButton::clicked, this, &ActiveFilterEditor::apply);
    connect(ok_, &QPushButton::clicked, this, [this] {
        apply();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addWidget(stageBox, 1);
    columns->addLayout(right, kChartStretch);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(buttons);

    stages_->setCurrentRow(0);
    showStage();
    refreshChart();
}

// The children outlive this part of the object while QWidget deletes them, and the level field
// still reports its lost focus then.
ActiveFilterEditor::~ActiveFilterEditor() {
    disconnect(level_, nullptr, this, nullptr);
}

void ActiveFilterEditor::done(int result) {
    closing_ = true;
    QDialog::done(result);
    closing_ = false; // a closed editor may be shown again
}

void ActiveFilterEditor::selectStage(int stage) {
    stages_->setCurrentRow(stage);
}

void ActiveFilterEditor::apply() {
    readLevel();
    refreshChart();
    workspace_.acceptActiveFilter(amp_, chain_);
}

void ActiveFilterEditor::showStage() {
    const TFilter& fil = chain_.fil[stage_];
    stageBox_->setTitle(fromUtf8("Filter %1").arg(stage_ + 1));
    kind_->setCurrentIndex(fil.typ >= 0 && fil.typ < kFilterKinds ? fil.typ : -1);
    {
        const QSignalBlocker block(optimizeStage_);
        optimizeStage_->setChecked(fil.bOptimize);
    }
    fillParameterRows();
}

void ActiveFilterEditor::fillParameterRows() {
    const TFilter& fil = chain_.fil[stage_];
    const QSignalBlocker block(parameters_);
    const std::vector<FilterParameter> rows = filterParameters(fil.typ);
    parameters_->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        auto* caption = new QTableWidgetItem(fromLatin1(std::string(rows[r].caption)));
        caption->setFlags(Qt::ItemIsEnabled);
        parameters_->setItem(r, kCaptionColumn, caption);
        auto* value =
            new QTableWidgetItem(numberFieldText(filterFieldForDisplay(fil, rows[r].field)));
        value->setData(kFieldRole, static_cast<int>(rows[r].field));
        parameters_->setItem(r, kValueColumn, value);
    }
}

void ActiveFilterEditor::kindChosen(int typ) {
    TFilter& fil = chain_.fil[stage_];
    if (typ < 0 || typ == fil.typ) {
        return;
    }
    fil.typ = typ;
    // The order kept from an earlier kind may not suit this one: the stage is calculated with the
    // replacement order anyway, so the table shows that one rather than a message nobody asked
    // for.
    clampFilterOrder(fil);
    refreshStageCaption(stage_);
    fillParameterRows();
    refreshChart();
}

void ActiveFilterEditor::parameterEdited(int row, int column) {
    QTableWidgetItem* item = parameters_->item(row, column);
    if (column != kValueColumn || item == nullptr) {
        return;
    }
    TFilter& fil = chain_.fil[stage_];
    const auto field = static_cast<FilterField>(item->data(kFieldRole).toInt());
    if (const std::optional<double> v = entryValue(item->text())) {
        setFilterFieldFromEntry(fil, field, *v);
        if (const std::optional<std::string> message = clampFilterOrder(fil)) {
            prompt_.showMessage(*message);
        }
    }
    // The stored value, in the program's number text (also what replaces an entry that was no
    // number at all).
    const QSignalBlocker block(parameters_);
    item->setText(numberFieldText(filterFieldForDisplay(fil, field)));
    refreshChart();
}

void ActiveFilterEditor::readLevel() {
    const LevelEntry entry = levelFromDbEntry(entryValue(level_->text()));
    chain_.pegel = entry.pegel;
    if (entry.message) {
        prompt_.showMessage(*entry.message);
    }
    level_->setText(numberFieldText(levelToDb(chain_.pegel)));
}

void ActiveFilterEditor::refreshStageCaption(int stage) {
    stages_->item(stage)->setText(stageCaption(stage, chain_.fil[stage].typ));
}

void ActiveFilterEditor::refreshChart() {
    chart_->setContent(activeFilterChart(workspace_.project(), chain_, amp_));
    const std::optional<std::string> fault = validateAktfilter(chain_, amp_);
    check_->setText(fault ? fromLatin1(*fault) : QString());
}

} // namespace sonora::ui
