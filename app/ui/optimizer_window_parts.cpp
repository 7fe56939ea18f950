#include "app/ui/optimizer_window_parts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <qcustomplot.h>

#include "app/shell/crossover_editor_dialogs.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

constexpr double kFullWeight = 100;     // weights run 0..100
constexpr double kDirectionStepDeg = 5; // one weight per 5°
constexpr int kCentreIndex = 9;         // weight index of 0°
constexpr int kPictureWidth = 220;      // pixels
constexpr int kPictureHeight = 110;     // pixels
constexpr int kFixDialogOffset = 32;    // pixels below the optimizer window's top
constexpr int kHistoryWidth = 250;      // one pixel per history entry
constexpr int kHistoryBase = 115;       // pixel row of grade 0
constexpr double kHistoryPixelsPerGrade = 15;

// One fan: 19 rays around `centre` pointing along `axisDeg` (0 = right, 90 = up), length
// proportional to the weight.
void drawFan(QPainter& p, QPointF centre, double radius, double axisDeg, const double* weights,
             const QString& caption) {
    p.setPen(QPen(Qt::lightGray, 1, Qt::DotLine));
    constexpr int kArcHalfDeg = 50; // a little beyond the ±45° of the outer directions
    constexpr int kQtDegree = 16;   // QPainter angles are in 1/16 degree
    p.drawArc(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius),
              static_cast<int>(axisDeg - kArcHalfDeg) * kQtDegree, 2 * kArcHalfDeg * kQtDegree);
    p.setPen(QPen(QColor(0, 0, 160), 2));
    for (int i = 0; i < kWeightDirections; ++i) {
        const double angle =
            (axisDeg + kDirectionStepDeg * (i - kCentreIndex)) * std::numbers::pi / 180;
        const double r = radius * std::clamp(weights[i], 0.0, kFullWeight) / kFullWeight;
        p.drawLine(centre, centre + QPointF(r * std::cos(angle), -r * std::sin(angle)));
    }
    p.setPen(Qt::black);
    p.drawText(QRectF(centre.x() - radius, centre.y() + 2, 2 * radius, 16), Qt::AlignCenter,
               caption);
}

} // namespace

const char* const kHistoryCurveNames[5] = {"Note gesamt", "Frequenzgang", "Wirkungsgrad",
                                           "Impedanz", "Phase"};

// ---- weights picture

WeightsPicture::WeightsPicture(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(fromUtf8("Klicken: Frequenzganggewichtung einstellen"));
    weights_ = fgangWeightsFromSliders(WeightSliders{});
    setMinimumSize(kPictureWidth, kPictureHeight);
}

void WeightsPicture::setWeights(const TFgangWeights& weights) {
    weights_ = weights;
    update();
}

QSize WeightsPicture::sizeHint() const {
    return {kPictureWidth, kPictureHeight};
}

void WeightsPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    // Horizontal: the front points up, left and right across; vertical: the front points to
    // the right, up and down along the rays. Each fan keeps 18 pixels below it for its caption.
    constexpr double kCaption = 18;
    const double rh = std::max(4.0, std::min(width() / 5.0, height() - 2 * kCaption));
    drawFan(p, QPointF(width() * 0.25, height() - kCaption - 2), rh, 90, weights_.horweight,
            fromUtf8("horizontal"));
    const double rv = std::max(4.0, std::min(width() / 5.0, height() / 2.0 - kCaption));
    drawFan(p, QPointF(width() * 0.6, height() / 2.0 - kCaption / 2), rv, 0, weights_.vertweight,
            fromUtf8("vertikal"));
}

void WeightsPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit clicked();
    }
}

// ---- weights window

WeightsWindow::WeightsWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(fromUtf8("Sonora-Optimierer Frequenzganggewichtung"));
    setObjectName(QStringLiteral("weightsWindow"));
    auto* layout = new QVBoxLayout(this);
    picture_ = new WeightsPicture(this);
    picture_->setCursor(Qt::ArrowCursor);
    picture_->setToolTip(QString());
    layout->addWidget(picture_);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    struct Row {
        const char* caption;
        const char* low;
        const char* high;
        int min, max, start;
    };
    const Row rows[4] = {
        {"horizontal Breite", "fokussiert", "breit", 0, kWeightWidthMax, 1},
        {"horizontal Mitte", "links", "rechts", -kWeightCentreLimit, kWeightCentreLimit, 0},
        {"vertikal Breite", "fokussiert", "verteilt", 0, kWeightWidthMax, 1},
        {"vertikal Mitte", "nach unten", "nach oben", -kWeightCentreLimit, kWeightCentreLimit, 0},
    };
    for (int k = 0; k < 4; ++k) {
        const Row& r = rows[k];
        grid->addWidget(new QLabel(fromUtf8(r.caption), this), k, 0);
        grid->addWidget(new QLabel(fromUtf8(r.low), this), k, 1, Qt::AlignRight);
        auto* s = new QSlider(Qt::Horizontal, this);
        s->setRange(r.min, r.max);
        s->setValue(r.start);
        s->setPageStep(1);
        s->setTickPosition(QSlider::TicksBelow);
        grid->addWidget(s, k, 2);
        grid->addWidget(new QLabel(fromUtf8(r.high), this), k, 3);
        shown_[k] = new QLabel(this);
        shown_[k]->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("-30,0°")));
        grid->addWidget(shown_[k], k, 4);
        sliderWidgets_[k] = s;
        connect(s, &QSlider::valueChanged, this, &WeightsWindow::changed);
    }
    changed();
}

void WeightsWindow::changed() {
    sliders_.horizontal.width = sliderWidgets_[kHorizontalWidth]->value();
    sliders_.horizontal.centre = sliderWidgets_[kHorizontalCentre]->value();
    sliders_.vertical.width = sliderWidgets_[kVerticalWidth]->value();
    sliders_.vertical.centre = sliderWidgets_[kVerticalCentre]->value();
    const auto degrees = [](double d) {
        return QString::number(d, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')) +
               QString::fromUtf8("°");
    };
    shown_[kHorizontalWidth]->setText(degrees(weightWidthShownDegrees(sliders_.horizontal.width)));
    shown_[kHorizontalCentre]->setText(
        degrees(weightCentreShownDegrees(sliders_.horizontal.centre)));
    shown_[kVerticalWidth]->setText(degrees(weightWidthShownDegrees(sliders_.vertical.width)));
    shown_[kVerticalCentre]->setText(degrees(weightCentreShownDegrees(sliders_.vertical.centre)));
    picture_->setWeights(weights());
    emit weightsChanged();
}

// ---- history chart

HistoryChart::HistoryChart(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(new QLabel(fromUtf8("Verlauf:"), this));
    viewChoice_ = new QComboBox(this);
    viewChoice_->addItem(fromUtf8("Noten"));
    viewChoice_->addItem(fromUtf8("Optimierte Werte (Änderung in %)"));
    choiceRow->addWidget(viewChoice_);
    choiceRow->addStretch(1);
    layout->addLayout(choiceRow);
    plot_ = new QCustomPlot(this);
    layout->addWidget(plot_);
    plot_->xAxis->setRange(0, kHistoryWidth);
    plot_->xAxis->setLabel(fromUtf8("Schritt"));
    plot_->legend->setFont(QFont(font().family(), font().pointSize() - 1));
    plot_->setMinimumSize(kHistoryWidth + 80, kHistoryBase + 60);
    connect(viewChoice_, &QComboBox::currentIndexChanged, this,
            [this](int index) { setView(index == 1 ? View::Values : View::Grades); });
    redraw();
}

void HistoryChart::setHistory(const OptiHistory& history,
                              const std::vector<std::string>& valueNames) {
    history_ = history;
    valueNames_ = valueNames;
    redraw();
}

void HistoryChart::setView(View view) {
    view_ = view;
    const int index = view == View::Values ? 1 : 0;
    if (viewChoice_->currentIndex() != index) {
        viewChoice_->setCurrentIndex(index); // comes back here through the signal
        return;
    }
    redraw();
}

void HistoryChart::redraw() {
    plot_->clearGraphs();
    if (view_ == View::Values) {
        drawValues();
    } else {
        drawGrades();
    }
    plot_->replot();
}

void HistoryChart::drawGrades() {
    const QColor colours[5] = {Qt::black, Qt::blue, Qt::darkGreen, Qt::red, Qt::magenta};
    const int n = history_.size();
    QVector<double> x(n);
    std::array<QVector<double>, 5> y;
    for (auto& v : y) {
        v.resize(n);
    }
    for (int i = 0; i < n; ++i) {
        const OptiHistoryEntry& e = history_[i];
        x[i] = i;
        y[0][i] = e.Note;
        y[1][i] = e.Note_F;
        y[2][i] = e.Note_W;
        y[3][i] = e.Note_I;
        y[4][i] = e.Note_Ph;
    }
    double highest = 0;
    for (int k = 0; k < 5; ++k) {
        QCPGraph* g = plot_->addGraph();
        g->setName(fromUtf8(kHistoryCurveNames[k]));
        g->setPen(QPen(colours[k], 1));
        const auto& curve = y[static_cast<std::size_t>(k)];
        g->setData(x, curve, true);
        for (double v : curve) {
            if (std::isfinite(v)) {
                highest = std::max(highest, v);
            }
        }
    }
    // Grades run from far above 10 at the start of a run to below 1 at its end: the axis follows
    // the highest curve with a little room above; an empty history keeps the first picture's 0..7
    // (y = 115 - 15·grade pixels in a 115-pixel-high picture).
    plot_->yAxis->setRange(0, highest > 0 ? highest * 1.05 : kHistoryBase / kHistoryPixelsPerGrade);
    plot_->yAxis->setLabel(fromUtf8("Note"));
    plot_->legend->setVisible(true);
}

void HistoryChart::drawValues() {
    constexpr int kLegendCurves = 8;   // more names would cover the curves
    constexpr double kEmptyRange = 10; // percent either way while nothing moved
    const int n = history_.size();
    const int values = n > 0 ? history_[n - 1].nValues : 0;
    QVector<double> x(n);
    for (int i = 0; i < n; ++i) {
        x[i] = i;
    }
    double widest = 0;
    for (int k = 0; k < values; ++k) {
        QVector<double> y(n);
        for (int i = 0; i < n; ++i) {
            y[i] = history_[i].change[static_cast<std::size_t>(k)];
            if (std::isfinite(y[i])) {
                widest = std::max(widest, std::abs(y[i]));
            }
        }
        QCPGraph* g = plot_->addGraph();
        if (static_cast<std::size_t>(k) < valueNames_.size()) {
            g->setName(fromLatin1(valueNames_[static_cast<std::size_t>(k)]));
        }
        g->setPen(QPen(QColor::fromHsv((k * 47) % 360, 220, 190), 1));
        g->setData(x, y, true);
    }
    const double range = widest > 0 ? widest * 1.05 : kEmptyRange;
    plot_->yAxis->setRange(-range, range);
    plot_->yAxis->setLabel(fromUtf8("Änderung [%]"));
    plot_->legend->setVisible(values > 0 && values <= kLegendCurves);
}

// ---- part value dialog

PartValueDialog::PartValueDialog(const TPart& part, QWidget* parent)
    : QDialog(parent), part_(part) {
    setWindowTitle(fromUtf8(partKindCaption(part.typ)) + fromUtf8(" festlegen"));
    setObjectName(QStringLiteral("fixPartDialog"));
    auto* form = new QFormLayout(this);
    const double factor = partEntryFactor(part.typ);
    value_ = new NumberField(factor != 0 ? part.value / factor : part.value, this);
    form->addRow(fromUtf8("Wert [") + fromUtf8(partValueUnit(part.typ)) + QLatin1Char(']'), value_);
    if (partHasResistance(part.typ)) {
        resistance_ = new NumberField(part.Rvalue, this);
        form->addRow(fromUtf8("Widerstand der Spule [Ohm]"), resistance_);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    germanButtons(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

TPart PartValueDialog::part() const {
    TPart p = part_;
    const double factor = partEntryFactor(p.typ);
    const double entered = parseNumberField(value_->text(), factor != 0 ? p.value / factor : 0);
    if (factor != 0 && entered > 0) {
        p.value = entered * factor;
    }
    if (resistance_ != nullptr) {
        const double r = parseNumberField(resistance_->text(), p.Rvalue);
        if (r >= 0) {
            p.Rvalue = r;
        }
    }
    return p;
}

void placeBelowTopCentred(QWidget* dialog, const QWidget* over) {
    dialog->adjustSize();
    const QRect frame = over->frameGeometry();
    dialog->move(frame.left() + (frame.width() - dialog->width()) / 2,
                 frame.top() + kFixDialogOffset);
}

} // namespace sonora::ui
