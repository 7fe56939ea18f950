#include "app/ui/directivity_views.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "analysis/dir_data.h"
#include "analysis/polar_plot.h"
#include "app/ui/dir_map_widget.h"
#include "app/ui/polar_plot_widget.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

constexpr double kFirstPolarFrequency = 1000; // Hz shown before the user picks one
constexpr int kLevelFieldWidth = 60;          // pixels

} // namespace

DirectivityViews::DirectivityViews(std::function<void(const std::string&)> showMessage,
                                   QWidget* parent)
    : QObject(parent), plot_(std::make_unique<TDirPlot>()) {
    mapPage_ = buildMapPage(parent);
    polarPage_ = buildPolarPage(parent);
    map_->setFaultHandler(showMessage);
    polar_->setFaultHandler(showMessage);
    optionsChanged();
    frequencyChosen(0);
}

DirectivityViews::~DirectivityViews() = default;

QWidget* DirectivityViews::buildMapPage(QWidget* parent) {
    const DirViewOptions defaults;
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);

    auto* firstRow = new QHBoxLayout;
    vertical_ = new QCheckBox(QStringLiteral("vertikales Abstrahlverhalten zeigen"), page);
    vertical_->setChecked(defaults.vertical);
    fromResponse_ = new QRadioButton(QStringLiteral("0 dB bestimmen aus Frequenzgang"), page);
    referenceAngle_ = new QComboBox(page);
    for (int k = 0; k < kReferenceAngleItems; ++k) {
        referenceAngle_->addItem(fromLatin1(referenceAngleCaption(k)));
    }
    referenceAngle_->setCurrentIndex(defaults.referenceAngleItem);
    fixedLevel_ = new QRadioButton(QStringLiteral("0 dB bei fixem Pegel"), page);
    auto* choice = new QButtonGroup(page);
    choice->addButton(fromResponse_);
    choice->addButton(fixedLevel_);
    (defaults.fixedReference ? fixedLevel_ : fromResponse_)->setChecked(true);
    level_ = new QLineEdit(fromLatin1(defaults.fixedLevel), page);
    level_->setMaximumWidth(kLevelFieldWidth);
    firstRow->addWidget(vertical_);
    firstRow->addSpacing(kLevelFieldWidth / 2);
    firstRow->addWidget(fromResponse_);
    firstRow->addWidget(referenceAngle_);
    firstRow->addSpacing(kLevelFieldWidth / 2);
    firstRow->addWidget(fixedLevel_);
    firstRow->addWidget(level_);
    firstRow->addWidget(new QLabel(QStringLiteral("dB"), page));
    firstRow->addStretch();

    auto* secondRow = new QHBoxLayout;
    secondRow->addWidget(new QLabel(QStringLiteral("Farbwechsel  alle"), page));
    bandWidth_ = new QComboBox(page);
    for (int k = 0; k < kBandWidthItems; ++k) {
        bandWidth_->addItem(fromLatin1(bandWidthCaption(k)));
    }
    bandWidth_->setCurrentIndex(defaults.bandWidthItem);
    noJump_ = new QCheckBox(QStringLiteral("kein Farbsprung bei 0 dB"), page);
    noJump_->setChecked(defaults.noJumpAtZero);
    range90_ = new QCheckBox(QString::fromUtf8("±90° statt ±180° zeigen"), page);
    range90_->setChecked(defaults.range90);
    secondRow->addWidget(bandWidth_);
    secondRow->addSpacing(kLevelFieldWidth / 2);
    secondRow->addWidget(noJump_);
    secondRow->addSpacing(kLevelFieldWidth / 2);
    secondRow->addWidget(range90_);
    secondRow->addStretch();

    map_ = new DirMapWidget(*plot_, page);
    layout->addLayout(firstRow);
    layout->addLayout(secondRow);
    layout->addWidget(map_, 1);

    for (QCheckBox* c : {vertical_, noJump_, range90_}) {
        connect(c, &QCheckBox::toggled, this, &DirectivityViews::optionsChanged);
    }
    connect(fromResponse_, &QRadioButton::toggled, this, &DirectivityViews::optionsChanged);
    for (QComboBox* c : {referenceAngle_, bandWidth_}) {
        connect(c, &QComboBox::currentIndexChanged, this, &DirectivityViews::optionsChanged);
    }
    connect(level_, &QLineEdit::textChanged, this, &DirectivityViews::optionsChanged);
    return page;
}

QWidget* DirectivityViews::buildPolarPage(QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    frequencyLabel_ = new QLabel(page);
    frequencyBar_ = new QScrollBar(Qt::Horizontal, page);
    frequencyBar_->setRange(0, 0);
    polar_ = new PolarPlotWidget(*plot_, page);
    layout->addWidget(frequencyLabel_);
    layout->addWidget(frequencyBar_);
    layout->addWidget(polar_, 1);
    connect(frequencyBar_, &QScrollBar::valueChanged, this, &DirectivityViews::frequencyChosen);
    return page;
}

DirViewOptions DirectivityViews::options() const {
    DirViewOptions o;
    o.vertical = vertical_->isChecked();
    o.fixedReference = fixedLevel_->isChecked();
    o.referenceAngleItem = referenceAngle_->currentIndex();
    o.fixedLevel = toLatin1(level_->text()); // read by the core's number reader
    o.bandWidthItem = bandWidth_->currentIndex();
    o.noJumpAtZero = noJump_->isChecked();
    o.range90 = range90_->isChecked();
    return o;
}

void DirectivityViews::optionsChanged() {
    const DirViewOptions o = options();
    referenceAngle_->setEnabled(!o.fixedReference);
    level_->setEnabled(o.fixedReference);
    map_->setOptions(o);
}

void DirectivityViews::fill(const TResult& result, const TAnzOption& display) {
    plot_->Fill(result, display);
    const TDirData& d = plot_->DirData();
    const int last = std::max(0, static_cast<int>(d.nvalues) - 1);
    // The polar charts stay at the frequency the user chose, on the new grid.
    const double wanted = shownFrequency_ > 0 ? shownFrequency_ : kFirstPolarFrequency;
    const int index = std::min(nearestGridIndex(d, wanted), last);
    const double keep = shownFrequency_;
    frequencyBar_->blockSignals(true);
    frequencyBar_->setRange(0, last);
    frequencyBar_->setValue(index);
    frequencyBar_->blockSignals(false);
    frequencyChosen(index);
    if (keep > 0) {
        shownFrequency_ = keep; // a coarse grid must not move the choice for a finer one
    }
    map_->update();
}

void DirectivityViews::frequencyChosen(int index) {
    const TDirData& d = plot_->DirData();
    const bool inGrid = index >= 0 && index < d.nvalues;
    const double f = inGrid ? d.x[index] : 0.0;
    if (inGrid) {
        shownFrequency_ = f;
    }
    frequencyLabel_->setText(fromLatin1(polarFrequencyLabel(f)));
    polar_->setGridIndex(index);
}

void DirectivityViews::rememberComparison() {
    plot_->Copy2Merk();
    map_->referenceChanged();
    polar_->update();
}

void DirectivityViews::clearComparison() {
    plot_->ClearMerk();
    map_->referenceChanged();
    polar_->update();
}

} // namespace sonora::ui
