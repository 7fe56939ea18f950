#include "app/ui/dir_map_widget.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <exception>

#include "analysis/dir_map.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

constexpr int kGap = 4;                        // pixels between texts, ticks and the plot
constexpr int kTick = 4;                       // pixels, length of a tick mark
constexpr int kSwatch = 16;                    // pixels, width of a legend colour field
constexpr int kMinPlotRows = 20;               // a smaller block draws no map
constexpr int kMinPlotColumns = 40;            // a narrower widget draws no map
constexpr int kAngleStep180 = 30;              // degrees between angle ticks of the ±180° map
constexpr int kAngleStep90 = 15;               // degrees between angle ticks of the ±90° map
constexpr int kHalfCircle = 180;               // degrees: the span of the ±90° map
constexpr double kTickMantissas[] = {1, 2, 5}; // frequency ticks per decade
constexpr double kKilo = 1000;                 // Hz from which a tick reads "1k"
constexpr int kPreferredWidth = 900;           // pixels
constexpr int kPreferredHeight = 600;
const QColor kBackground = Qt::white; // clHG
const QColor kLines = Qt::black;      // clVG

QString frequencyTickText(double f) {
    return f >= kKilo ? QString::number(f / kKilo) + QStringLiteral("k") : QString::number(f);
}

} // namespace

DirMapWidget::DirMapWidget(TDirPlot& plot, QWidget* parent)
    : QWidget(parent), plot_(plot), reference_(std::make_unique<TDirPlot>()),
      options_(std::make_unique<DirViewOptions>()), picture_(std::make_unique<DirMapPicture>()),
      referencePicture_(std::make_unique<DirMapPicture>()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

DirMapWidget::~DirMapWidget() = default;

void DirMapWidget::setOptions(const DirViewOptions& options) {
    *options_ = options;
    update();
}

void DirMapWidget::referenceChanged() {
    reference_->DirData() = plot_.MerkDirData();
    update();
}

bool DirMapWidget::showsReference() const {
    return reference_->DirData().valid;
}

QStringList DirMapWidget::legendLabels() const {
    QStringList labels;
    for (auto it = picture_->legend.rbegin(); it != picture_->legend.rend(); ++it) {
        labels << fromLatin1(it->text);
    }
    return labels;
}

QString DirMapWidget::title() const {
    return fromLatin1(picture_->title) + QLatin1Char('\n') + fromLatin1(picture_->note);
}

int DirMapWidget::angleMin() const {
    return picture_->angleMin;
}

int DirMapWidget::angleMax() const {
    return picture_->angleMax;
}

int DirMapWidget::bandRectangles() const {
    return static_cast<int>(picture_->rects.size());
}

int DirMapWidget::referenceBandRectangles() const {
    return static_cast<int>(referencePicture_->rects.size());
}

void DirMapWidget::setFaultHandler(PaintFaultReporter::Handler handler) {
    faults_.setHandler(std::move(handler));
}

QImage DirMapWidget::renderImage() {
    return renderImage(size());
}

QImage DirMapWidget::renderImage(const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    paint(p, size);
    return image;
}

QSize DirMapWidget::sizeHint() const {
    return {kPreferredWidth, kPreferredHeight};
}

QSize DirMapWidget::minimumSizeHint() const {
    return {kPreferredWidth / 3, kPreferredHeight / 3};
}

void DirMapWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    paint(p, size());
}

void DirMapWidget::paint(QPainter& p, const QSize& size) {
    canvas_ = size;
    p.setFont(font());
    p.fillRect(QRect(QPoint(0, 0), size), kBackground);
    ++paints_;
    try {
        paintMaps(p);
        faults_.succeeded();
    } catch (const std::exception&) {
        // What is drawn so far stays; the message follows after the paint.
        faults_.failed(this);
    }
}

void DirMapWidget::paintMaps(QPainter& p) {
    *picture_ = {};
    *referencePicture_ = {};
    plotArea_ = {};
    referencePlotArea_ = {};
    const bool withReference = showsReference();
    const int maps = withReference ? 2 : 1;
    const int blockHeight = canvas_.height() / maps;
    const QRect first(0, 0, canvas_.width(), blockHeight);
    plotArea_ = paintOneMap(p, plot_, first, false, *picture_);
    if (withReference) {
        // Both maps on one frequency axis.
        reference_->fmin = plot_.fmin;
        reference_->fmax = plot_.fmax;
        const QRect second(0, blockHeight, canvas_.width(), blockHeight); // as high as the first
        referencePlotArea_ = paintOneMap(p, *reference_, second, true, *referencePicture_);
    }
    if (!plotArea_.isEmpty()) {
        const int bottom = withReference ? referencePlotArea_.bottom() : plotArea_.bottom();
        paintLegend(p, *picture_, plotArea_.right() + 1 + 2 * kGap, plotArea_.top(),
                    bottom - plotArea_.top() + 1);
    }
}

QRect DirMapWidget::paintOneMap(QPainter& p, TDirPlot& plot, const QRect& block, bool reference,
                                DirMapPicture& picture) {
    const QFontMetrics fm(font());
    const int line = fm.height();
    const int legendWidth = kSwatch + fm.horizontalAdvance(QStringLiteral("-888,88")) + 4 * kGap;
    const int left = line + fm.horizontalAdvance(QStringLiteral("-180")) + kTick + 3 * kGap;
    const int right = block.width() - legendWidth; // exclusive
    const int top = block.top() + 2 * line + 2 * kGap;
    const int bottom = block.bottom() - line - kTick - 2 * kGap; // inclusive
    if (bottom - top < kMinPlotRows || right - left < kMinPlotColumns) {
        return {};
    }
    picture = paintDirMap(plot, *options_, PixelRect{left, top, right, bottom});

    // Title and note above the plot.
    p.setPen(kLines);
    QString title = fromLatin1(picture.title);
    if (reference) {
        title = QStringLiteral("Referenzprojekt: ") + title;
    }
    p.drawText(QRect(left, block.top() + kGap, right - left, line), Qt::AlignCenter, title);
    p.drawText(QRect(left, block.top() + kGap + line, right - left, line), Qt::AlignCenter,
               fromLatin1(picture.note));

    for (const DirMapRect& r : picture.rects) {
        p.fillRect(
            QRect(r.rect.left, r.rect.top, r.rect.right - r.rect.left, r.rect.bottom - r.rect.top),
            toQColor(r.color));
    }
    // The frame lies just outside the bands.
    const QRect area(left, top, right - left, bottom - top + 1);
    p.setPen(kLines);
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(-1, -1, 0, 0));

    // Angle axis: ticks from the bottom row (angleMin) to the top row (angleMax).
    const int rows = bottom - top;
    const int span = picture.angleMax - picture.angleMin;
    const int step = span <= kHalfCircle ? kAngleStep90 : kAngleStep180;
    for (int angle = picture.angleMin; span > 0 && angle <= picture.angleMax; angle += step) {
        const int y = bottom - static_cast<int>(std::lround(
                                   static_cast<double>(angle - picture.angleMin) / span * rows));
        p.drawLine(left - 1 - kTick, y, left - 1, y);
        p.drawText(QRect(line + kGap, y - line / 2, left - line - 2 * kGap - kTick, line),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(angle));
    }
    p.save();
    p.translate(block.left() + kGap, (top + bottom) / 2);
    p.rotate(-90); // degrees: the axis title reads upwards
    p.drawText(QRect(-rows / 2, 0, rows, line), Qt::AlignCenter, fromLatin1(picture.axisTitle));
    p.restore();

    // Frequency ticks of the 1-2-5 series; a label that would overlap its neighbour is left out.
    const double fmin = plot.fmin;
    const double fmax = plot.fmax;
    if (fmin > 0 && fmax > fmin) {
        int lastLabelEnd = -1;
        const int firstDecade = static_cast<int>(std::floor(std::log10(fmin)));
        const int lastDecade = static_cast<int>(std::ceil(std::log10(fmax)));
        for (int decade = firstDecade; decade <= lastDecade; ++decade) {
            for (double mantissa : kTickMantissas) {
                const double f = mantissa * std::pow(10.0, decade);
                if (f < fmin * (1 - 1e-9) || f > fmax * (1 + 1e-9)) {
                    continue;
                }
                const int x = std::min(frequencyPixel(f, fmin, fmax, left, right), right - 1);
                p.drawLine(x, bottom + 1, x, bottom + kTick);
                const QString text = frequencyTickText(f);
                const int w = fm.horizontalAdvance(text);
                if (x - w / 2 > lastLabelEnd + kGap) {
                    p.drawText(QRect(x - w / 2, bottom + kTick + kGap, w, line), Qt::AlignCenter,
                               text);
                    lastLabelEnd = x - w / 2 + w;
                }
            }
        }
    }
    return area;
}

void DirMapWidget::paintLegend(QPainter& p, const DirMapPicture& picture, int left, int top,
                               int height) {
    const QFontMetrics fm(font());
    const int count = static_cast<int>(picture.legend.size());
    if (count == 0) {
        return;
    }
    const int rowHeight = std::max(1, std::min(fm.height() + kGap, height / count));
    p.setPen(kLines);
    p.drawText(QRect(left, top - fm.height() - kGap, kSwatch + 4 * kGap, fm.height()),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("dB"));
    int y = top;
    // The loudest band at the top, as in the map.
    for (auto it = picture.legend.rbegin(); it != picture.legend.rend(); ++it, y += rowHeight) {
        p.fillRect(QRect(left, y, kSwatch, rowHeight - 1), toQColor(it->color));
        p.drawText(
            QRect(left + kSwatch + kGap, y, canvas_.width() - left - kSwatch - kGap, rowHeight),
            Qt::AlignLeft | Qt::AlignVCenter, fromLatin1(it->text));
    }
}

} // namespace sonora::ui
