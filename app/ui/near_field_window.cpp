#include "app/ui/near_field_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/chart_view.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "app/ui/tool_window.h"
#include "storage/numbers.h"

namespace sonora::ui {

namespace {

constexpr int kMapMinimumWidth = 640; // pixels
constexpr int kMapMinimumHeight = 360;
constexpr double kStartFrequency = 1000.0; // Hz, the scroll bar's index when the window opens
constexpr int kHeightDigits = 5;           // significant digits of the listening height
constexpr int kChartWidth = 900;           // pixels of the curves' chart window
constexpr int kChartHeight = 560;

QRect toQRect(const PixelRect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// The grid index at or right of `frequency`; the last one when the grid ends below it.
int indexAt(const TResult& r, double frequency) {
    const int n = std::clamp(static_cast<int>(r.nfreq), 0, kResultFreqs);
    for (int i = 0; i < n; ++i) {
        if (r.freq[i] >= frequency) {
            return i;
        }
    }
    return std::max(n - 1, 0);
}

int gridPoints(const TResult* r) {
    return r == nullptr ? 0 : std::clamp(static_cast<int>(r->nfreq), 0, kResultFreqs);
}

} // namespace

void paintNearFieldMap(QPainter& painter, const NearFieldMap& map, QSize size) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    const auto& colors = dirBandColors();
    for (const NearFieldCell& c : map.cells) {
        painter.fillRect(toQRect(c.rect), toQColor(colors[static_cast<std::size_t>(
                                              std::clamp(c.color, 0, kNearFieldColorCount - 1))]));
    }
    painter.fillRect(toQRect(map.margin), toQColor(kNearFieldWhite));
    for (const NearFieldLine& l : map.marks) {
        painter.setPen(toQColor(l.color));
        painter.drawLine(l.x1, l.y1, l.x2, l.y2);
    }
    for (const NearFieldLegendEntry& e : map.legend) {
        const QRect r = toQRect(e.rect);
        painter.fillRect(r, toQColor(e.color));
        painter.setPen(toQColor(e.textColor));
        painter.drawText(r, Qt::AlignCenter, fromUtf8(e.text));
    }
}

NearFieldMapWidget::NearFieldMapWidget(QWidget* parent) : QWidget(parent) {
    setMinimumSize(kMapMinimumWidth, kMapMinimumHeight);
    layOut();
}

void NearFieldMapWidget::setLevels(NearFieldLevels levels, const NearFieldSettings& settings) {
    levels_ = std::move(levels);
    settings_ = settings;
    layOut();
    update();
}

void NearFieldMapWidget::layOut() {
    map_ = layoutNearFieldMap(levels_, settings_, width(), height());
}

QImage NearFieldMapWidget::image() const {
    QImage image(size(), QImage::Format_RGB32);
    QPainter painter(&image);
    paintNearFieldMap(painter, map_, size());
    return image;
}

void NearFieldMapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintNearFieldMap(painter, map_, size());
}

void NearFieldMapWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

ChartContent nearFieldChartContent(const NearFieldCurves& curves, double listeningHeight,
                                   const TAnzOption& options) {
    ChartContent c;
    c.internalName = "NahfeldFgang";
    c.title = toLatin1(QString::fromUtf8("Frequenzgänge auf gleicher Höhe"));
    c.subtitle = toLatin1(QString::fromUtf8("Hörhöhe ")) +
                 compactNumberText(kHeightDigits, listeningHeight) + " m";
    c.x = {options.Afmin, options.Afmax, true, "Frequenz [Hz]"};
    c.y = {options.dBmin, options.dBmax, false, "Pegel [dB]"};
    for (const NearFieldCurve& k : curves.curves) {
        ChartCurve curve;
        curve.name = compactNumberText(kHeightDigits, k.distance) + " m";
        curve.x = k.freq;
        curve.y = k.level;
        curve.color = k.color;
        curve.width = std::max(static_cast<int>(options.GraphsThickness), 1);
        c.curves.push_back(std::move(curve));
    }
    return c;
}

// Hiding the dialog in its base destructor takes the focus from an entry, whose editingFinished
// would then call into the part of this window that is already gone.
NearFieldWindow::~NearFieldWindow() {
    for (QLineEdit* field : findChildren<QLineEdit*>()) {
        disconnect(field, nullptr, this, nullptr);
    }
}

NearFieldWindow::NearFieldWindow(NearFieldProjectSource project, NearFieldResultSource result,
                                 QWidget* parent)
    : QDialog(parent), project_(std::move(project)), result_(std::move(result)) {
    setObjectName(QStringLiteral("nearField"));
    setWindowTitle(QStringLiteral("Sonora - Nahfeld"));
    setModal(false);
    const NearFieldSettings start;
    auto* layout = new QHBoxLayout(this);

    auto* entries = new QFormLayout;
    maxSpl_ = new NumberField(start.maxSPL, this);
    step_ = new NumberField(start.step, this);
    maxDistance_ = new NumberField(start.maxDistance, this);
    band_ = new QComboBox(this);
    band_->addItems(
        {QStringLiteral("1 Frequenz"), QStringLiteral("1 Terz"), QStringLiteral("1 Oktave")});
    entries->addRow(QStringLiteral("max. SPL in dB"), maxSpl_);
    entries->addRow(QStringLiteral("SPL-Schritt in dB"), step_);
    entries->addRow(QStringLiteral("max. Entfernung in m"), maxDistance_);
    entries->addRow(QStringLiteral("Band"), band_);
    auto_ = new QCheckBox(QStringLiteral("Graph automatisch aktualisieren"), this);
    auto_->setChecked(start.autoUpdate);
    entries->addRow(auto_);
    redraw_ = new QPushButton(QStringLiteral("Graph zeichnen"), this);
    entries->addRow(redraw_);
    height_ = new NumberField(start.listeningHeight, this);
    distanceStep_ = new NumberField(start.distanceStep, this);
    entries->addRow(QString::fromUtf8("Hörhöhe in m"), height_);
    entries->addRow(QStringLiteral("Entfernungsschritt in m"), distanceStep_);
    curves_ = new QPushButton(QString::fromUtf8("Frequenzgänge  auf gleicher Höhe"), this);
    entries->addRow(curves_);
    layout->addLayout(entries);

    auto* right = new QVBoxLayout;
    frequency_ = new QLabel(this);
    right->addWidget(frequency_);
    bar_ = new QScrollBar(Qt::Horizontal, this);
    right->addWidget(bar_);
    map_ = new NearFieldMapWidget(this);
    right->addWidget(map_, 1);
    right->addWidget(
        new QLabel(QString::fromUtf8("Unterkante des gemeinsamen Außengehäuses = 0m"), this));
    layout->addLayout(right, 1);

    for (NumberField* f : {maxSpl_, step_, maxDistance_}) {
        connect(f, &QLineEdit::editingFinished, this, &NearFieldWindow::entryChanged);
    }
    connect(band_, &QComboBox::currentIndexChanged, this, &NearFieldWindow::entryChanged);
    connect(redraw_, &QPushButton::clicked, this, &NearFieldWindow::redraw);
    connect(curves_, &QPushButton::clicked, this, &NearFieldWindow::showCurvesWindow);
    connect(this, &QDialog::finished, this, [this] { setObjectName(QString()); });

    const TResult* r = result_();
    bar_->setRange(0, std::max(gridPoints(r) - 1, 0));
    if (r != nullptr) {
        bar_->setValue(indexAt(*r, kStartFrequency));
    }
    connect(bar_, &QScrollBar::valueChanged, this, &NearFieldWindow::scrolled);
    scrolled();
}

NearFieldSettings NearFieldWindow::settings() const {
    NearFieldSettings s;
    s.maxSPL = maxSpl_->value(s.maxSPL);
    s.step = step_->value(s.step);
    s.maxDistance = maxDistance_->value(s.maxDistance);
    s.band = static_cast<NearFieldBand>(std::clamp(band_->currentIndex(), 0, 2));
    s.listeningHeight = height_->value(s.listeningHeight);
    s.distanceStep = distanceStep_->value(s.distanceStep);
    s.autoUpdate = auto_->isChecked();
    return s;
}

void NearFieldWindow::scrolled() {
    const TResult* r = result_();
    const int index = bar_->value();
    frequency_->setText(index < gridPoints(r) ? fromUtf8(nearFieldFrequencyLabel(r->freq[index]))
                                              : QString());
    redraw();
}

void NearFieldWindow::entryChanged() {
    if (auto_->isChecked()) {
        redraw();
    }
}

void NearFieldWindow::redraw() {
    const NearFieldSettings s = settings();
    const TResult* r = result_();
    NearFieldLevels levels;
    if (r != nullptr && r->valid) {
        const NearFieldBandRange band =
            selectNearFieldBand(r->freq, r->nfreq, bar_->value(), s.band);
        if (band.count > 0) {
            const TProjekt& p = project_();
            levels =
                computeNearFieldLevels(buildNearFieldCache(p, *r, band), nearFieldSources(p, *r),
                                       nearFieldBandFrequencies(*r, band), s.maxDistance);
        }
    }
    map_->setLevels(std::move(levels), s);
}

void NearFieldWindow::resultChanged() {
    const TResult* r = result_();
    const QSignalBlocker block(bar_);
    bar_->setRange(0, std::max(gridPoints(r) - 1, 0));
    frequency_->setText(bar_->value() < gridPoints(r)
                            ? fromUtf8(nearFieldFrequencyLabel(r->freq[bar_->value()]))
                            : QString());
    if (auto_->isChecked()) {
        redraw();
    }
}

QWidget* NearFieldWindow::showCurvesWindow() {
    const TResult* r = result_();
    const NearFieldSettings s = settings();
    const TProjekt& p = project_();
    NearFieldCurves curves;
    curves.title = kNearFieldCurvesTitle;
    if (r != nullptr && r->valid) {
        curves = buildNearFieldCurves(p, *r, s);
    }
    auto* window = new QWidget(this, Qt::Window);
    window->setObjectName(QStringLiteral("nearFieldCurves"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(fromLatin1(curves.title));
    auto* layout = new QVBoxLayout(window);
    auto* chart = new ChartView(window);
    chart->setContent(nearFieldChartContent(curves, s.listeningHeight, p.option));
    layout->addWidget(chart);
    window->resize(kChartWidth, kChartHeight);
    window->show();
    return window;
}

NearFieldWindow* showNearFieldWindow(QWidget* parent, NearFieldProjectSource project,
                                     NearFieldResultSource result) {
    return showToolWindow<NearFieldWindow>(parent, QStringLiteral("nearField"), [&] {
        return new NearFieldWindow(std::move(project), std::move(result), parent);
    });
}

} // namespace sonora::ui
