// A chart drawn without a window: PNG and SVG files with the chart's content, and the comparison
// layer as extra graphs.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <memory>
#include <qcustomplot.h>

#include "app/shell/chart_set.h"
#include "app/ui/chart_view.h"
#include "model/record_defaults.h"

using namespace sonora;
using namespace sonora::ui;

class ChartViewTest : public QObject {
    Q_OBJECT
private slots:
    void rendersPngAndSvgOffscreen();
    void comparisonLayerIsDashedAndThin();
    void emptyStateShowsTextInsteadOfAxes();
    void legendAvoidsTheDataAndCanBeHidden();
    void everyChartHasItsOwnCursorLine();
};

namespace {

// A box falling by 6 dB per octave from 112 dB at 20 Hz, on 40 points.
void fillSlope(TResult& r) {
    constexpr int kPoints = 40;
    for (int i = 0; i < kPoints; ++i) {
        r.freq[i] = 20.0 * std::pow(1000.0, i / double(kPoints - 1));
        r.fgang_box[i][0] = {20.0 / r.freq[i], 0.0};
    }
    r.nfreq = kPoints;
    r.nAmps = 1;
    r.nChassis = 1;
    r.valid = true;
}

} // namespace

void ChartViewTest::rendersPngAndSvgOffscreen() {
    auto r = std::make_unique<TResult>();
    fillSlope(*r);
    ChartSet set;
    set.update(*r, defaultAnzOption(), ChartSwitches{});
    ChartView view; // never shown
    view.setContent(set.chart(ChartKind::Box));
    QCOMPARE(view.title(), QStringLiteral("Frequenzgang Gesamtbox"));
    QCOMPARE(view.plot()->xAxis->scaleType(), QCPAxis::stLogarithmic);
    QCOMPARE(view.plot()->xAxis->range().lower, 20.0);
    QCOMPARE(view.plot()->xAxis->range().upper, 20000.0);
    QCOMPARE(view.plot()->graph(0)->dataCount(), 40);

    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("box.png"));
    QVERIFY(view.savePng(png, 640, 400));
    const QImage image(png);
    QCOMPARE(image.size(), QSize(640, 400));
    // Not an empty canvas: the curve and the axes leave dark pixels on the white background.
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    QVERIFY2(dark > 500, qPrintable(QString::number(dark)));

    const QString svg = dir.filePath(QStringLiteral("box.svg"));
    QVERIFY(view.saveSvg(svg, 640, 400));
    QFile file(svg);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY(content.contains("<svg"));
    QVERIFY(content.contains("Frequenzgang Gesamtbox"));
    QVERIFY(content.contains("<path") || content.contains("<polyline"));
    QVERIFY(!view.saveSvg(QStringLiteral("/nonexistent-folder/box.svg"), 640, 400));
}

void ChartViewTest::comparisonLayerIsDashedAndThin() {
    auto r = std::make_unique<TResult>();
    fillSlope(*r);
    TAnzOption o = defaultAnzOption();
    o.GraphsThickness = 3;
    ChartSet set;
    set.update(*r, o, ChartSwitches{});
    set.rememberComparison();
    ChartView view;
    view.setContent(set.chart(ChartKind::Box));
    const int curves = view.curveCount();
    QCOMPARE(view.comparisonCount(), curves);
    QCOMPARE(view.plot()->graphCount(), 2 * curves);
    // The layer is drawn first, dashed and 1 pixel wide, and named in the legend.
    QCOMPARE(view.plot()->graph(0)->pen().style(), Qt::DashLine);
    QCOMPARE(view.plot()->graph(0)->pen().width(), 1);
    QCOMPARE(view.plot()->graph(0)->name(), QStringLiteral("Referenz: Gesamt"));
    QCOMPARE(view.plot()->graph(curves)->pen().style(), Qt::SolidLine);
    QCOMPARE(view.plot()->graph(curves)->pen().width(), 6); // the whole box, twice as wide
    QCOMPARE(view.plot()->legend->itemCount(), 2 * curves);
    set.clearComparison();
    view.setContent(set.chart(ChartKind::Box));
    QCOMPARE(view.plot()->graphCount(), curves);
}

void ChartViewTest::emptyStateShowsTextInsteadOfAxes() {
    ChartSet set;
    ChartView view;
    view.resize(640, 400);
    view.show();
    view.setContent(set.chart(ChartKind::Box));
    QVERIFY(view.showsEmptyText());
    QVERIFY(!view.plot()->xAxis->visible());
    QVERIFY(!view.plot()->yAxis->visible());
    QVERIFY(!view.plot()->legend->visible());
    // The text is drawn: the picture holds grey text pixels and no axis line.
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("empty.png"));
    QVERIFY(view.savePng(png, 640, 400));
    const QImage image(png);
    int grey = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            grey += qGray(p) < 200 && qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) ? 1 : 0;
        }
    }
    QVERIFY2(grey > 50, qPrintable(QString::number(grey)));

    auto r = std::make_unique<TResult>();
    fillSlope(*r);
    set.update(*r, defaultAnzOption(), ChartSwitches{});
    view.setContent(set.chart(ChartKind::Box));
    QVERIFY(!view.showsEmptyText());
    QVERIFY(view.plot()->xAxis->visible());
    QVERIFY(view.plot()->legend->visible());
}

void ChartViewTest::legendAvoidsTheDataAndCanBeHidden() {
    // A curve across the top of the plot: the top corners would hide it.
    ChartContent c;
    c.x = {20.0, 20000.0, true, "Frequenz [Hz]"};
    c.y = {0.0, 100.0, false, "Pegel [dB]"};
    ChartCurve k;
    k.name = "oben";
    for (int i = 0; i < 200; ++i) {
        k.x.push_back(20.0 * std::pow(1000.0, i / 199.0));
        k.y.push_back(95.0);
    }
    c.curves.push_back(k);
    ChartView view;
    view.resize(800, 500);
    view.show();
    view.setContent(c);
    view.plot()->replot(QCustomPlot::rpImmediateRefresh);
    QCoreApplication::processEvents();
    view.plot()->replot(QCustomPlot::rpImmediateRefresh);
    QVERIFY(view.legendPlacement() == LegendPlace::BottomLeft ||
            view.legendPlacement() == LegendPlace::BottomRight);
    const QRectF legend = view.plot()->legend->outerRect();
    const QRect area = view.plot()->axisRect()->rect();
    QVERIFY2(legend.bottom() > area.center().y(), "the legend sits in the lower half");
    view.setLegendShown(false);
    QVERIFY(!view.plot()->legend->visible());
    view.setContent(c); // stays hidden through new content
    QVERIFY(!view.plot()->legend->visible());
    view.setLegendShown(true);
    QVERIFY(view.plot()->legend->visible());
}

void ChartViewTest::everyChartHasItsOwnCursorLine() {
    auto r = std::make_unique<TResult>();
    fillSlope(*r);
    ChartSet set;
    set.update(*r, defaultAnzOption(), ChartSwitches{});
    ChartView view;
    view.resize(800, 500);
    view.show();
    view.setContent(set.chart(ChartKind::GroupDelay));
    view.plot()->replot(QCustomPlot::rpImmediateRefresh);
    const QRect area = view.plot()->axisRect()->rect();
    const QPointF at(area.center().x(), area.center().y());
    QMouseEvent move(QEvent::MouseMove, at, view.plot()->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view.plot(), &move);
    QVERIFY2(view.cursorLine().startsWith(QStringLiteral("f=")), qPrintable(view.cursorLine()));
    QVERIFY(view.cursorLine().contains(QStringLiteral("Gesamt: ")));
    QVERIFY(view.cursorVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(view.plot(), &leave);
    QVERIFY(!view.cursorVisible());
    // The box chart's cursor belongs to its window: no line of its own.
    view.setOwnCursor(false);
    QVERIFY(view.cursorLine().isEmpty());
}

QTEST_MAIN(ChartViewTest)
#include "chart_view_test.moc"
