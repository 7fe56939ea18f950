#include "app/ui/chart_view.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMouseEvent>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <cmath>
#include <qcustomplot.h>

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

QVector<double> toVector(const std::vector<double>& v) {
    return QVector<double>(v.begin(), v.end());
}

void applyAxis(QCPAxis* axis, const ChartAxisRange& range) {
    if (range.logarithmic) {
        axis->setScaleType(QCPAxis::stLogarithmic);
        auto ticker = QSharedPointer<QCPAxisTickerLog>::create();
        axis->setTicker(ticker);
        axis->setNumberFormat(QStringLiteral("gb"));
    } else {
        axis->setScaleType(QCPAxis::stLinear);
        axis->setTicker(QSharedPointer<QCPAxisTicker>::create());
        axis->setNumberFormat(QStringLiteral("g"));
    }
    axis->setLabel(fromLatin1(range.label));
    axis->setRange(range.min, range.max);
}

} // namespace

ChartView::ChartView(QWidget* parent) : QWidget(parent), plot_(new QCustomPlot(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(plot_);
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

    plot_->setMouseTracking(true);
    plot_->installEventFilter(this);
    connect(plot_, &QCustomPlot::mouseMove, this, [this](QMouseEvent* event) {
        const QPointF pos = event->position();
        if (plot_->axisRect()->rect().contains(pos.toPoint())) {
            emit pointerMoved(plot_->xAxis->pixelToCoord(pos.x()));
        } else {
            emit pointerLeft();
        }
    });
    plot_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(plot_, &QWidget::customContextMenuRequested, this, &ChartView::showContextMenu);
}

void ChartView::setContent(const ChartContent& content) {
    title_->setText(fromLatin1(content.title));
    subtitle_->setText(fromLatin1(content.subtitle));
    subtitle_->setVisible(!content.subtitle.empty());
    comparison_ = static_cast<int>(content.comparison.size());
    curves_ = static_cast<int>(content.curves.size());
    if (!isVisible()) {
        // Nobody sees this plot now: drawing it would only hold up the visible ones.
        pending_ = std::make_unique<ChartContent>(content);
        return;
    }
    pending_.reset();
    buildGraphs(content);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ChartView::buildGraphs(const ChartContent& content) {
    plot_->clearGraphs();
    extraGraphs_.clear();
    applyAxis(plot_->xAxis, content.x);
    applyAxis(plot_->yAxis, content.y);
    plot_->yAxis2->setVisible(content.hasRightAxis);
    if (content.hasRightAxis) {
        applyAxis(plot_->yAxis2, content.y2);
    }
    auto add = [this](const ChartCurve& c, bool comparison) {
        QCPAxis* y = c.axis == ChartAxis::Right ? plot_->yAxis2 : plot_->yAxis;
        QCPGraph* g = plot_->addGraph(plot_->xAxis, y);
        g->setData(toVector(c.x), toVector(c.y), true);
        QPen pen(toQColor(c.color));
        pen.setWidth(comparison ? kComparisonWidth : c.width);
        if (comparison) {
            pen.setStyle(Qt::DashLine);
        }
        g->setPen(pen);
        g->setName(fromLatin1(c.name));
        if (comparison) {
            g->removeFromLegend();
        }
    };
    // The comparison layer first, so the current curves are drawn over it.
    for (const ChartCurve& c : content.comparison) {
        add(c, true);
    }
    for (const ChartCurve& c : content.curves) {
        add(c, false);
    }
    addExtraGraphs();
}

void ChartView::buildPending(bool drawNow) {
    if (pending_) {
        const std::unique_ptr<ChartContent> content = std::move(pending_);
        buildGraphs(*content);
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
