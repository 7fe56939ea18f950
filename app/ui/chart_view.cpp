#include "app/ui/chart_view.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <cmath>
#include <qcustomplot.h>

#include "app/shell/chart_cursor.h"
#include "app/ui/file_dialogs.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

constexpr int kTitlePointSize = 11;
constexpr int kSubtitlePointSize = 8;
constexpr int kTitleRow = 0;
constexpr int kSubtitleRow = 1;
constexpr int kComparisonWidth = 1; // pixels: the reference project's curves stay in the back
constexpr int kMinimumHeight = 220; // pixels
constexpr int kLegendRow = 3;       // below the axis rect when the legend goes outside
constexpr int kOutsideLegendColumns = 4;
constexpr int kEmptyTextPointSize = 11;
// Pen dash patterns in units of the pen width (Qt's own dash is 4 on, 2 off).
const QVector<qreal> kLongDash = {8, 4};

QVector<double> toVector(const std::vector<double>& v) {
    return QVector<double>(v.begin(), v.end());
}

// Every tick text of an axis in one style, from the program's number texts.
template <typename Base> class OneStyleTicker : public Base {
protected:
    QVector<QString> createLabelVector(const QVector<double>& ticks, const QLocale&, QChar,
                                       int) override {
        const std::vector<std::string> texts =
            tickTexts(std::vector<double>(ticks.begin(), ticks.end()));
        QVector<QString> labels;
        labels.reserve(static_cast<int>(texts.size()));
        for (const std::string& t : texts) {
            labels.append(fromLatin1(t));
        }
        return labels;
    }
};

void applyAxis(QCPAxis* axis, const ChartAxisRange& range) {
    if (range.logarithmic) {
        axis->setScaleType(QCPAxis::stLogarithmic);
        axis->setTicker(QSharedPointer<OneStyleTicker<QCPAxisTickerLog>>::create());
    } else {
        axis->setScaleType(QCPAxis::stLinear);
        axis->setTicker(QSharedPointer<OneStyleTicker<QCPAxisTicker>>::create());
    }
    axis->setNumberFormat(QStringLiteral("g"));
    axis->setLabel(fromLatin1(range.label));
    axis->setRange(range.min, range.max);
}

void applyStyle(QPen& pen, LineStyle style) {
    switch (style) {
    case LineStyle::Solid:
        pen.setStyle(Qt::SolidLine);
        return;
    case LineStyle::Dash:
        pen.setStyle(Qt::DashLine);
        return;
    case LineStyle::LongDash:
        pen.setDashPattern(kLongDash);
        return;
    case LineStyle::Dot:
        pen.setStyle(Qt::DotLine);
        return;
    case LineStyle::DashDot:
        pen.setStyle(Qt::DashDotLine);
        return;
    case LineStyle::DashDotDot:
        pen.setStyle(Qt::DashDotDotLine);
        return;
    }
}

} // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent), plot_(new QCustomPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_, 1);
    setMinimumHeight(kMinimumHeight);

    plot_->plotLayout()->insertRow(kTitleRow);
    title_ =
        new QCPTextElement(plot_, QString(), QFont(font().family(), kTitlePointSize, QFont::Bold));
    plot_->plotLayout()->addElement(kTitleRow, 0, title_);
    plot_->plotLayout()->insertRow(kSubtitleRow);
    subtitle_ = new QCPTextElement(plot_, QString(), QFont(font().family(), kSubtitlePointSize));
    plot_->plotLayout()->addElement(kSubtitleRow, 0, subtitle_);

    plot_->legend->setVisible(true);
    plot_->legend->setFont(QFont(font().family(), kSubtitlePointSize));
    plot_->xAxis->grid()->setSubGridVisible(true);

    cursor_ = new QCPItemStraightLine(plot_);
    cursor_->setPen(QPen(Qt::black, 1, Qt::DotLine));
    cursor_->setVisible(false);

    emptyText_ = new QCPItemText(plot_);
    emptyText_->position->setType(QCPItemPosition::ptAxisRectRatio);
    emptyText_->position->setCoords(0.5, 0.5);
    emptyText_->setFont(QFont(font().family(), kEmptyTextPointSize));
    emptyText_->setColor(Qt::darkGray);
    emptyText_->setVisible(false);

    cursorLine_ = new QLabel(fromLatin1(kCursorRestingText), this);
    cursorLine_->setWordWrap(true);
    cursorLine_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addWidget(cursorLine_, 0);

    plot_->setMouseTracking(true);
    plot_->installEventFilter(this);
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        const QPointF pos = event->position();
        if (!showsEmptyText() && plot_->axisRect()->rect().contains(pos.toPoint())) {
            const double frequency = plot_->xAxis->pixelToCoord(pos.x());
            followPointer(frequency);
            emit pointerMoved(frequency);
        } else {
            emit pointerLeft();
        }
    });
    connect(this, &ChartView::pointerLeft, this, [this] {
        if (ownCursor_) {
            cursorLine_->setText(fromLatin1(kCursorRestingText));
            hideCursor();
        }
    });
    connect(plot_, &QCustomPlot::afterLayout, this, &ChartView::placeLegend);
    plot_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(plot_, &QWidget::customContextMenuRequested, this, &ChartView::showContextMenu);
}

void ChartView::setContent(const ChartContent& content) {
    title_->setText(fromLatin1(content.title));
    subtitle_->setText(fromLatin1(content.subtitle));
    subtitle_->setVisible(!content.subtitle.empty());
    comparison_ = static_cast<int>(content.comparison.size());
    curves_ = static_cast<int>(content.curves.size());
    content_ = content;
    if (ownCursor_) {
        cursorLine_->setText(fromLatin1(kCursorRestingText));
        cursor_->setVisible(false);
    }
    if (!isVisible()) {
        // Nobody sees this plot now: drawing it would only hold up the visible ones.
        pending_ = true;
        return;
    }
    pending_ = false;
    buildGraphs();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ChartView::buildGraphs() {
    plot_->clearGraphs();
    extraGraphs_.clear();
    applyAxis(plot_->xAxis, content_.x);
    applyAxis(plot_->yAxis, content_.y);
    plot_->yAxis2->setVisible(content_.hasRightAxis);
    if (content_.hasRightAxis) {
        applyAxis(plot_->yAxis2, content_.y2);
    }
    auto add = [this](const ChartCurve& c, bool comparison) {
        QCPAxis* y = c.axis == ChartAxis::Right ? plot_->yAxis2 : plot_->yAxis;
        QCPGraph* g = plot_->addGraph(plot_->xAxis, y);
        g->setData(toVector(c.x), toVector(c.y), true);
        QPen pen(toQColor(c.color));
        pen.setWidth(comparison ? kComparisonWidth : c.width);
        applyStyle(pen, c.style);
        g->setPen(pen);
        g->setName(fromLatin1(c.name));
    };
    // The comparison layer first, so the current curves are drawn over it.
    for (const ChartCurve& c : content_.comparison) {
        add(c, true);
    }
    for (const ChartCurve& c : content_.curves) {
        add(c, false);
    }
    addExtraGraphs();
    showEmptyState(!content_.emptyText.empty());
}

void ChartView::showEmptyState(bool empty) {
    emptyText_->setText(fromLatin1(content_.emptyText));
    emptyText_->setVisible(empty);
    for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis}) {
        axis->setVisible(!empty);
        axis->grid()->setVisible(!empty);
    }
    plot_->xAxis->grid()->setSubGridVisible(!empty);
    if (empty) {
        plot_->yAxis2->setVisible(false);
    }
    plot_->legend->setVisible(!empty && legendShown_);
    cursorLine_->setVisible(ownCursor_ && !empty);
}

bool ChartView::showsEmptyText() const {
    return !content_.emptyText.empty();
}

void ChartView::placeLegend() {
    if (!plot_->legend->visible() || plot_->legend->itemCount() == 0) {
        return;
    }
    // The legend's size as one column, whether it stands inside or below the plot now.
    const QFontMetrics metrics(plot_->legend->font());
    int textWidth = 0;
    for (int k = 0; k < plot_->legend->itemCount(); ++k) {
        if (auto* item = qobject_cast<QCPPlottableLegendItem*>(plot_->legend->item(k))) {
            textWidth = std::max(textWidth, metrics.horizontalAdvance(item->plottable()->name()));
        }
    }
    const QMargins margins = plot_->legend->margins();
    const int rowHeight = std::max(metrics.height(), plot_->legend->iconSize().height());
    const double width = textWidth + plot_->legend->iconSize().width() +
                         plot_->legend->iconTextPadding() + margins.left() + margins.right() +
                         2 * plot_->legend->borderPen().width() + 10;
    const double height = plot_->legend->itemCount() * (rowHeight + plot_->legend->rowSpacing()) +
                          margins.top() + margins.bottom();
    // The plot area as it is with the legend inside, so that the choice does not depend on
    // where the legend stood before.
    const QRect area = plot_->axisRect()->rect();
    double areaHeight = area.height();
    if (legendPlace_ == LegendPlace::Outside) {
        areaHeight += plot_->legend->outerRect().height() + plot_->plotLayout()->rowSpacing();
    }
    if (area.width() <= 0 || areaHeight <= 0) {
        return;
    }
    const LegendPlace place = legendPlace(content_, width / area.width(), height / areaHeight);
    if (place != legendPlace_) {
        // Lay the plot out again at once, so that this very replot draws the legend in its place.
        moveLegend(place);
        for (auto phase : {QCPLayoutElement::upPreparation, QCPLayoutElement::upMargins,
                           QCPLayoutElement::upLayout}) {
            plot_->plotLayout()->update(phase);
        }
    }
}

void ChartView::moveLegend(LegendPlace place) {
    QCPLegend* legend = plot_->legend;
    QCPLayoutInset* inset = plot_->axisRect()->insetLayout();
    const bool outsideNow = legendPlace_ == LegendPlace::Outside;
    legendPlace_ = place;
    if (place == LegendPlace::Outside) {
        if (!outsideNow) {
            inset->take(legend);
            plot_->plotLayout()->addElement(kLegendRow, 0, legend);
            legend->setWrap(kOutsideLegendColumns);
            legend->setFillOrder(QCPLegend::foColumnsFirst, true); // rearranges the items
            plot_->plotLayout()->setRowStretchFactor(kLegendRow, 0.001);
        }
        return;
    }
    if (outsideNow) {
        plot_->plotLayout()->take(legend);
        plot_->plotLayout()->simplify();
        legend->setWrap(0);
        legend->setFillOrder(QCPLegend::foRowsFirst, true);
        inset->addElement(legend, Qt::AlignTop | Qt::AlignRight);
    }
    const Qt::Alignment vertical = place == LegendPlace::TopRight || place == LegendPlace::TopLeft
                                       ? Qt::AlignTop
                                       : Qt::AlignBottom;
    const Qt::Alignment horizontal =
        place == LegendPlace::TopRight || place == LegendPlace::BottomRight ? Qt::AlignRight
                                                                            : Qt::AlignLeft;
    for (int k = 0; k < inset->elementCount(); ++k) {
        if (inset->elementAt(k) == legend) {
            inset->setInsetAlignment(k, vertical | horizontal);
        }
    }
}

void ChartView::setLegendShown(bool shown) {
    legendShown_ = shown;
    plot_->legend->setVisible(shown && !showsEmptyText());
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ChartView::setOwnCursor(bool own) {
    ownCursor_ = own;
    cursorLine_->setVisible(own && !showsEmptyText());
}

QString ChartView::cursorLine() const {
    return ownCursor_ ? cursorLine_->text() : QString();
}

void ChartView::followPointer(double frequency) {
    if (!ownCursor_) {
        return;
    }
    double shown = frequency;
    cursorLine_->setText(fromLatin1(chartCursorText(content_, frequency, &shown)));
    showCursor(shown);
}

void ChartView::buildPending(bool drawNow) {
    if (pending_) {
        pending_ = false;
        buildGraphs();
        plot_->replot(drawNow ? QCustomPlot::rpQueuedRefresh : QCustomPlot::rpQueuedReplot);
    }
}

void ChartView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Into the buffers now, so that the first paint after showing has the new curves.
    buildPending(true);
}

QCustomPlot* ChartView::plot() {
    buildPending(false);
    return plot_;
}

QString ChartView::title() const {
    return title_->text();
}
QString ChartView::subtitle() const {
    return subtitle_->text();
}
int ChartView::curveCount() const {
    return curves_;
}
int ChartView::comparisonCount() const {
    return comparison_;
}

void ChartView::showCursor(double frequency) {
    cursor_->point1->setCoords(frequency, 0);
    cursor_->point2->setCoords(frequency, 1);
    cursor_->setVisible(true);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ChartView::hideCursor() {
    if (cursor_->visible()) {
        cursor_->setVisible(false);
        plot_->replot(QCustomPlot::rpQueuedReplot);
    }
}

void ChartView::setExtraCurves(const std::vector<ChartCurve>& curves) {
    if (pending_) {
        extra_ = curves; // built with the kept content
        return;
    }
    for (QCPGraph* g : extraGraphs_) {
        plot_->removeGraph(g);
    }
    extraGraphs_.clear();
    extra_ = curves;
    addExtraGraphs();
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

// Solid and on the left axis, after the current curves so that they stay visible on top.
void ChartView::addExtraGraphs() {
    for (const ChartCurve& c : extra_) {
        QCPGraph* g = plot_->addGraph(plot_->xAxis, plot_->yAxis);
        g->setData(toVector(c.x), toVector(c.y), true);
        QPen pen(toQColor(c.color));
        pen.setWidth(c.width);
        g->setPen(pen);
        g->setName(fromLatin1(c.name));
        extraGraphs_.push_back(g);
    }
}

bool ChartView::cursorVisible() const {
    return cursor_->visible();
}

bool ChartView::savePng(const QString& path, int width, int height) {
    buildPending(false);
    return plot_->savePng(path, width, height);
}

bool ChartView::saveSvg(const QString& path, int width, int height) {
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(QSize(width, height));
    generator.setViewBox(QRect(0, 0, width, height));
    generator.setTitle(title());
    buildPending(false);
    QCPPainter painter;
    if (!painter.begin(&generator)) {
        return false;
    }
    plot_->toPainter(&painter, width, height);
    return painter.end() && QFileInfo(path).size() > 0;
}

void ChartView::copyToClipboard() {
    buildPending(false);
    QApplication::clipboard()->setPixmap(plot_->toPixmap());
}

bool ChartView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == plot_ && event->type() == QEvent::Leave) {
        emit pointerLeft();
    }
    return QWidget::eventFilter(watched, event);
}

void ChartView::showContextMenu(const QPoint& pos) {
    QMenu menu(this);
    QAction* legend = menu.addAction(QStringLiteral("Legende zeigen"));
    legend->setCheckable(true);
    legend->setChecked(legendShown_);
    connect(legend, &QAction::toggled, this, &ChartView::setLegendShown);
    menu.addSeparator();
    menu.addAction(QStringLiteral("In die Zwischenablage kopieren"), this,
                   &ChartView::copyToClipboard);
    menu.addAction(QStringLiteral("Als PNG speichern ..."), this,
                   [this] { saveWithDialog(false); });
    menu.addAction(QStringLiteral("Als SVG speichern ..."), this, [this] { saveWithDialog(true); });
    menu.exec(plot_->mapToGlobal(pos));
}

void ChartView::saveWithDialog(bool svg) {
    const QString filter =
        svg ? QStringLiteral("SVG-Grafik (*.svg)") : QStringLiteral("PNG-Bild (*.png)");
    QString path = saveFileName(this, QStringLiteral("Diagramm speichern"), QString(), filter);
    if (path.isEmpty()) {
        return;
    }
    const QString extension = svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (!path.endsWith(extension, Qt::CaseInsensitive)) {
        path += extension;
    }
    if (svg) {
        saveSvg(path, plot_->width(), plot_->height());
    } else {
        savePng(path, plot_->width(), plot_->height());
    }
}

} // namespace sonora::ui
