#include "app/ui/polar_plot_widget.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

#include "analysis/polar_plot.h"

namespace sonora::ui {

namespace {

constexpr int kGap = 4;              // pixels between texts and the chart
constexpr double kDefaultTop = 110;  // dB, outer circle while there is nothing to show
constexpr int kSpokes = 12;          // radial lines, one per 30°
constexpr int kCurveWidth = 2;       // pixels, the current curve
constexpr int kPreferredWidth = 900; // pixels
constexpr int kPreferredHeight = 480;
const QColor kBackground = Qt::white;
const QColor kLines = Qt::black;
const QColor kGrid(0xB0, 0xB0, 0xB0);
const QColor kCurve(0x00, 0x00, 0xA0);
const QColor kReferenceCurve(0x70, 0x70, 0x70);

// Clock positions 0, 3, 6 and 9 (top, right, bottom, left) of the two charts.
const char* const kHorizontalLabels[] = {"vorn", "rechts", "hinten", "links"};
const char* const kVerticalLabels[] = {"oben", "vorn", "unten", "hinten"};

double loudest(const TDirData& d, int j) {
    double top = -HUGE_VAL;
    for (bool vertical : {false, true}) {
        for (const PolarPoint& p : polarPoints(d, j, vertical, 0, 1)) {
            top = std::max(top, p.level);
        }
    }
    return top;
}

} // namespace

PolarPlotWidget::PolarPlotWidget(const TDirPlot& plot, QWidget* parent)
    : QWidget(parent), plot_(plot) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PolarPlotWidget::setGridIndex(int index) {
    index_ = std::max(index, 0);
    update();
}

int PolarPlotWidget::referenceGridIndex() const {
    const TDirData& merk = plot_.MerkDirData();
    const TDirData& d = plot_.DirData();
    if (!merk.valid || merk.nvalues <= 0 || !d.valid || index_ >= d.nvalues) {
        return -1;
    }
    return nearestGridIndex(merk, d.x[index_]);
}

PolarLevelRange PolarPlotWidget::levelRange() const {
    double top = -HUGE_VAL;
    const TDirData& d = plot_.DirData();
    if (d.valid) {
        top = loudest(d, index_);
    }
    const int j = referenceGridIndex();
    if (j >= 0) {
        top = std::max(top, loudest(plot_.MerkDirData(), j));
    }
    // A silent or missing curve (the guard level of a zero is about −888 dB) keeps the default.
    if (!std::isfinite(top) || top < polarLevel(0) + kSpan) {
        top = kDefaultTop;
    }
    const double max = std::ceil(top / kCircleStep) * kCircleStep;
    return {max - kSpan, max};
}

void PolarPlotWidget::setFaultHandler(PaintFaultReporter::Handler handler) {
    faults_.setHandler(std::move(handler));
}

QImage PolarPlotWidget::renderImage() {
    return renderImage(size());
}

QImage PolarPlotWidget::renderImage(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    paint(p, size);
    return image;
}

QSize PolarPlotWidget::sizeHint() const {
    return {kPreferredWidth, kPreferredHeight};
}

void PolarPlotWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, size());
}

void PolarPlotWidget::paint(QPainter& p, const QSize& size) {
    p.setFont(font());
    p.fillRect(QRect(QPoint(0, 0), size), kBackground);
    ++paints_;
    curves_ = 0;
    try {
        const PolarLevelRange range = levelRange();
        const int half = size.width() / 2;
        paintChart(p, QRect(0, 0, half, size.height()), false, range);
        paintChart(p, QRect(half, 0, size.width() - half, size.height()), true, range);
        faults_.succeeded();
    } catch (const std::exception&) {
        faults_.failed(this);
    }
}

void PolarPlotWidget::paintChart(QPainter& p, const QRect& box, bool vertical,
                                 const PolarLevelRange& range) {
    const QFontMetrics fm(font());
    const int line = fm.height();
    const int labelWidth = fm.horizontalAdvance(QStringLiteral("hinten")) + 2 * kGap;
    const int chartTop = box.top() + 2 * line + kGap; // below the title and the label "oben"/"vorn"
    const int chartBottom = box.bottom() - line - kGap;
    const double radius =
        std::min(box.width() - 2 * labelWidth, chartBottom - chartTop) / 2.0 - kGap;
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(kLines);
    p.drawText(QRect(box.left(), box.top() + kGap / 2, box.width(), line), Qt::AlignCenter,
               vertical ? QStringLiteral("Vertikal") : QStringLiteral("Horizontal"));
    if (radius <= 0) {
        return;
    }
    const double cx = box.left() + box.width() / 2.0;
    const double cy = (chartTop + chartBottom) / 2.0;

    // Level circles with their levels, and the spokes every 30°.
    p.setPen(QPen(kGrid, 1));
    p.setBrush(Qt::NoBrush);
    for (double level = range.min + kCircleStep; level <= range.max + 1e-9; level += kCircleStep) {
        const double r = polarRadius(level, range.min, range.max) * radius;
        p.drawEllipse(QPointF(cx, cy), r, r);
    }
    for (int k = 0; k < kSpokes; ++k) {
        const PolarPoint outer{k * 2 * std::numbers::pi / kSpokes, 1, 0};
        const PixelPoint e = polarPixel(outer, cx, cy, radius);
        p.drawLine(QPointF(cx, cy), QPointF(e.x, e.y));
    }
    p.setPen(kLines);
    for (double level = range.min + kCircleStep; level <= range.max + 1e-9; level += kCircleStep) {
        const double r = polarRadius(level, range.min, range.max) * radius;
        p.drawText(QPointF(cx + kGap / 2.0, cy - r + line), QString::number(level) + " dB");
    }

    // The four directions around the outer circle.
    const char* const* labels = vertical ? kVerticalLabels : kHorizontalLabels;
    const int w = labelWidth;
    p.drawText(QRectF(cx - w, cy - radius - line - kGap, 2 * w, line), Qt::AlignCenter,
               QString::fromLatin1(labels[0]));
    p.drawText(QRectF(cx + radius + kGap, cy - line / 2.0, w, line),
               Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(labels[1]));
    p.drawText(QRectF(cx - w, cy + radius + kGap, 2 * w, line), Qt::AlignCenter,
               QString::fromLatin1(labels[2]));
    p.drawText(QRectF(cx - radius - kGap - w, cy - line / 2.0, w, line),
               Qt::AlignRight | Qt::AlignVCenter, QString::fromLatin1(labels[3]));

    auto curve = [&](const TDirData& d, int j) {
        QPolygonF polygon;
        for (const PolarPoint& point : polarPoints(d, j, vertical, range.min, range.max)) {
            const PixelPoint px = polarPixel(point, cx, cy, radius);
            polygon << QPointF(px.x, px.y);
        }
        p.drawPolyline(polygon);
        ++curves_;
    };
    // The reference behind the current curve.
    const int j = referenceGridIndex();
    if (j >= 0) {
        p.setPen(QPen(kReferenceCurve, 1, Qt::DashLine));
        curve(plot_.MerkDirData(), j);
    }
    const TDirData& d = plot_.DirData();
    if (d.valid && index_ < d.nvalues) {
        p.setPen(QPen(kCurve, kCurveWidth));
        curve(d, index_);
    }
}

} // namespace sonora::ui
