// The result charts as PNG files: the spinorama with its rating in a column beside the chart, the
// reflection groups and the time responses, decoded and looked at pixel by pixel.
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

#include "app/ui/chart_view.h"
#include "app/ui/plot_export.h"
#include "model/record_defaults.h"
#include "model/records.h"
#include "model/result.h"

using namespace sonora;
using namespace sonora::ui;

class PlotExportTest : public QObject {
    Q_OBJECT
private slots:
    void spinoramaCarriesItsRatingBesideTheChart();
    void timeAndReflectionChartsAreDrawn();

private:
    void writePlots();
    QTemporaryDir dir_;
    bool written_ = false;
};

namespace {

constexpr int kPoints = 100;     // grid points, 20 Hz … 20 kHz
constexpr double kCorner = 50.0; // Hz, corner of the box's second-order high-pass
constexpr double kQ = 0.7;

// A closed box: second-order high-pass on axis, radiating like (1 + cos θ)/2 in both planes, so
// the spinorama has curves that differ from each other and the time charts a decaying response.
void fillBox(TResult& r) {
    r.nfreq = kPoints;
    r.nAmps = 1;
    r.nChassis = 1;
    r.chassisAmp[0] = 0;
    for (int i = 0; i < kPoints; ++i) {
        const double f = 20.0 * std::pow(1000.0, i / double(kPoints - 1));
        r.freq[i] = f;
        const std::complex<double> s(0.0, f / kCorner);
        const std::complex<double> h = s * s / (s * s + s / kQ + 1.0);
        const Complex onAxis{h.real(), h.imag()};
        r.fgang_box[i][0] = onAxis;
        r.fgang_chassis[0][0][i][0] = onAxis;
        for (int n = 0; n < kPlaneAngles; ++n) {
            const double theta = (n - 180) * std::numbers::pi / 180.0;
            const double pattern = 0.5 + 0.5 * std::cos(theta);
            r.fgang_box_h[i][n] = {onAxis.re * pattern, onAxis.im * pattern};
            r.fgang_box_v[i][n] = r.fgang_box_h[i][n];
        }
    }
    r.valid = true;
}

// Pixels darker than middle grey in the rectangle x0 ≤ x < x1, y0 ≤ y < y1.
int darkPixels(const QImage& image, int x0, int x1, int y0, int y1) {
    int dark = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            dark += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        }
    }
    return dark;
}

} // namespace

void PlotExportTest::writePlots() {
    if (written_) {
        return;
    }
    auto project = std::make_unique<TProjekt>();
    initDefaultProjekt(*project);
    auto result = std::make_unique<TResult>();
    fillBox(*result);
    const PlotExport plots = writeResultPlots(*project, *result, dir_.path().toStdString());
    QVERIFY2(plots.ok(), plots.ok() ? "" : plots.errors.front().c_str());
    written_ = true;
}

void PlotExportTest::spinoramaCarriesItsRatingBesideTheChart() {
    writePlots();
    const QImage spin(dir_.filePath(QStringLiteral("Spinorama.png")));
    QCOMPARE(spin.size(), QSize(kPlotWidth, kPlotHeight));
    const int chartRight = kPlotWidth - kChartNotesWidth;
    // The chart: axes, grid, legend and seven curves.
    QVERIFY(darkPixels(spin, 0, chartRight, 0, kPlotHeight) > 2000);
    // The rating's six lines of text stand at the top of the column; below them the column is
    // empty, where a chart drawn across the whole picture would have its axis and curves.
    const int notes = darkPixels(spin, chartRight, kPlotWidth, 0, kPlotHeight / 2);
    QVERIFY2(notes > 200, qPrintable(QString::number(notes)));
    QCOMPARE(darkPixels(spin, chartRight, kPlotWidth, kPlotHeight / 2, kPlotHeight), 0);
}

void PlotExportTest::timeAndReflectionChartsAreDrawn() {
    writePlots();
    for (const char* name : {"Fruehe_Reflexionen.png", "Impulsantwort.png", "Sprungantwort.png"}) {
        const QImage image(dir_.filePath(QString::fromLatin1(name)));
        QCOMPARE(image.size(), QSize(kPlotWidth, kPlotHeight));
        // Drawn across the whole picture: its right part holds the plot too.
        const int right = darkPixels(image, kPlotWidth - kChartNotesWidth, kPlotWidth,
                                     kPlotHeight / 2, kPlotHeight);
        QVERIFY2(right > 0, name);
        const int all = darkPixels(image, 0, kPlotWidth, 0, kPlotHeight);
        QVERIFY2(all > 2000, qPrintable(QString::fromLatin1(name) + ": " + QString::number(all)));
    }
}

QTEST_MAIN(PlotExportTest)
#include "plot_export_test.moc"
