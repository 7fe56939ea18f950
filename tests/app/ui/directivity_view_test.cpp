// The directivity tabs offscreen with the calculated two-way example: the map's colour bands and
// legend, the view options, the reference map, and the polar charts' frequency scroll bar.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <cmath>
#include <memory>

#include "app/ui/dir_map_widget.h"
#include "app/ui/directivity_views.h"
#include "app/ui/polar_plot_widget.h"
#include "app/ui/status_line.h"
#include "gui_test_support.h"
#include "storage/numbers.h"

using namespace sonora;
using namespace sonora::ui;
using namespace std::chrono_literals;

namespace {

constexpr int kCalcTimeoutMs = 120000; // sanitizer builds are slow
constexpr int kWidth = 1280;           // pixels of the test window
constexpr int kHeight = 860;

// The band colours, loudest first, written here as RGB from their names (light grey … dark blue),
// so that a swapped byte order in the window shows up.
const QRgb kBandRgb[14] = {0xE0E0E0, 0xA0A0A0, 0x404040, 0x000000, 0xA00000, 0xD80000, 0xFF6000,
                           0xFFC000, 0xFFF000, 0x40FF40, 0x00FFFF, 0x00C0FF, 0x0060FF, 0x0000C0};
const QRgb kWhite = 0xFFFFFF;

int bandOf(QRgb pixel) {
    for (int n = 0; n < 14; ++n) {
        if (qRgb(qRed(pixel), qGreen(pixel), qBlue(pixel)) == (kBandRgb[n] | 0xFF000000u)) {
            return n;
        }
    }
    return -2; // not a band colour
}

// The legend labels top to bottom for band width s and lower limit `lower`: lower + j·s for
// j = 13 … 0, with a decimal comma.
QStringList expectedLegend(double lower, double s) {
    QStringList labels;
    for (int j = 13; j >= 0; --j) {
        labels << QString::number(lower + j * s).replace(QLatin1Char('.'), QLatin1Char(','));
    }
    return labels;
}

// Bands found in an area of an image; -1 stands for the white background, -2 for any other colour.
QSet<int> bandsIn(const QImage& image, const QRect& area) {
    QSet<int> bands;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            bands.insert((c & 0xFFFFFFu) == kWhite ? -1 : bandOf(c));
        }
    }
    return bands;
}

} // namespace

class DirectivityViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void controlsStartWithTheirDefaults();
    void mapPaintsBandsOfTheColourTable();
    void viewOptionsRepaintWithTheirLegendAndRange();
    void fixedLevelReadsTheLevelField();
    void rememberedReferenceShowsASecondMap();
    void polarLabelFollowsTheScrollBar();
    void mapWithoutResultsShowsNoBands();
    void paintFaultIsReportedOncePerRun();
    void cleanupTestCase();

private:
    DirectivityViews& views() { return *window_->directivity(); }
    QImage renderMap() { return views().map()->renderImage(); }
    void resetOptions();

    QTemporaryDir dir_;
    ScriptedPrompt prompt_;
    std::unique_ptr<MainWindow> window_;
};

void DirectivityViewTest::initTestCase() {
    window_ = std::make_unique<MainWindow>(test::windowOptions(dir_, prompt_, 0ms));
    QCOMPARE(window_->start(test::exampleProject("Zweiwege geschlossen.LSP")),
             StartUpOutcome::Running);
    window_->resize(kWidth, kHeight);
    window_->show();
    QTRY_COMPARE_WITH_TIMEOUT(window_->statusLine()->text(),
                              QStringLiteral("Berechnung war erfolgreich."), kCalcTimeoutMs);
    QTRY_VERIFY_WITH_TIMEOUT(!window_->calculation().running(), kCalcTimeoutMs);
    QTabWidget* tabs = window_->tabs();
    QCOMPARE(tabs->tabText(tabs->count() - 2), QStringLiteral("Richtungsplots"));
    QCOMPARE(tabs->tabText(tabs->count() - 1), QStringLiteral("Polarplots"));
    QCOMPARE(tabs->widget(tabs->count() - 2), views().mapPage());
    tabs->setCurrentWidget(views().mapPage());
    QTRY_VERIFY(views().map()->isVisible() && views().map()->width() > 400);
}

void DirectivityViewTest::cleanupTestCase() {
    window_.reset();
}

void DirectivityViewTest::resetOptions() {
    views().verticalSwitch()->setChecked(false);
    views().angleReferenceChoice()->setChecked(true);
    views().referenceAngleList()->setCurrentIndex(9);
    views().levelField()->setText(QStringLiteral("87"));
    views().bandWidthList()->setCurrentIndex(5);
    views().noJumpSwitch()->setChecked(true);
    views().range90Switch()->setChecked(false);
}

void DirectivityViewTest::controlsStartWithTheirDefaults() {
    DirectivityViews& v = views();
    QCOMPARE(v.verticalSwitch()->text(), QStringLiteral("vertikales Abstrahlverhalten zeigen"));
    QVERIFY(!v.verticalSwitch()->isChecked());
    QCOMPARE(v.angleReferenceChoice()->text(), QStringLiteral("0 dB bestimmen aus Frequenzgang"));
    QVERIFY(v.angleReferenceChoice()->isChecked());
    QVERIFY(!v.fixedReferenceChoice()->isChecked());
    QCOMPARE(v.referenceAngleList()->count(), 19);
    QCOMPARE(v.referenceAngleList()->itemText(0), QString::fromUtf8("0 dB bei -90°"));
    QCOMPARE(v.referenceAngleList()->itemText(18), QString::fromUtf8("0 dB bei 90°"));
    QCOMPARE(v.referenceAngleList()->currentText(), QString::fromUtf8("0 dB bei 0°"));
    QCOMPARE(v.fixedReferenceChoice()->text(), QStringLiteral("0 dB bei fixem Pegel"));
    QCOMPARE(v.levelField()->text(), QStringLiteral("87"));
    QVERIFY(!v.levelField()->isEnabled()); // only with the fixed level
    QCOMPARE(v.bandWidthList()->count(), 12);
    QCOMPARE(v.bandWidthList()->itemText(0), QStringLiteral("0,5 dB"));
    QCOMPARE(v.bandWidthList()->itemText(11), QStringLiteral("6 dB"));
    QCOMPARE(v.bandWidthList()->currentText(), QStringLiteral("3 dB"));
    QCOMPARE(v.noJumpSwitch()->text(), QStringLiteral("kein Farbsprung bei 0 dB"));
    QVERIFY(v.noJumpSwitch()->isChecked());
    QCOMPARE(v.range90Switch()->text(), QString::fromUtf8("±90° statt ±180° zeigen"));
    QVERIFY(!v.range90Switch()->isChecked());
    // The label before the band widths has two blanks.
    bool found = false;
    for (QLabel* l : v.mapPage()->findChildren<QLabel*>()) {
        found = found || l->text() == QStringLiteral("Farbwechsel  alle");
    }
    QVERIFY(found);
}

void DirectivityViewTest::mapPaintsBandsOfTheColourTable() {
    resetOptions();
    const QImage image = renderMap();
    DirMapWidget* map = views().map();
    const QRect area = map->plotArea();
    QVERIFY(area.width() > 300 && area.height() > 200);
    QVERIFY(map->bandRectangles() > 0);
    QCOMPARE(map->title(),
             QString::fromUtf8("Richtcharakteritik horizontal\n+ = aus Hörersicht nach rechts"));

    // Every pixel of the plot is a band colour, or background in a column the grid leaves empty.
    const QSet<int> bands = bandsIn(image, area);
    for (int b : bands) {
        QVERIFY2(b >= -1 && b < 14, qPrintable(QString::number(b)));
    }
    QVERIFY2(bands.size() >= 4, "the example's map shows several bands");
    int whiteColumns = 0;
    for (int x = area.left(); x <= area.right(); ++x) {
        whiteColumns += (image.pixel(x, area.center().y()) & 0xFFFFFFu) == kWhite ? 1 : 0;
    }
    QVERIFY(whiteColumns * 20 < area.width()); // the grid spans the display range

    // The reference is the response at 0°: its row has 0 dB at every frequency, which lies in the
    // middle of band 4 (limits 13.5 … −28.5 dB in 3 dB steps).
    const int R = area.height() - 1;
    const int axisRow = area.bottom() - R / 2;
    for (int x = area.left(); x <= area.right(); ++x) {
        const QRgb c = image.pixel(x, axisRow);
        if ((c & 0xFFFFFFu) != kWhite) {
            QCOMPARE(bandOf(c), 4);
        }
    }
    // The legend beside the map shows all 14 colours.
    const QSet<int> legendBands = bandsIn(
        image, QRect(area.right() + 2, area.top(), map->width() - area.right() - 2, area.height()));
    for (int n = 0; n < 14; ++n) {
        QVERIFY2(legendBands.contains(n), qPrintable(QString::number(n)));
    }
}

void DirectivityViewTest::viewOptionsRepaintWithTheirLegendAndRange() {
    resetOptions();
    DirMapWidget* map = views().map();
    renderMap();
    QCOMPARE(map->legendLabels(), expectedLegend(-28.5, 3));
    QCOMPARE(map->angleMin(), -180);
    QCOMPARE(map->angleMax(), 180);
    const QImage full = renderMap();

    // Each change repaints by itself.
    int before = map->paintCount();
    views().noJumpSwitch()->setChecked(false);
    QTRY_VERIFY(map->paintCount() > before);
    QCOMPARE(map->legendLabels(), expectedLegend(-30, 3));
    before = map->paintCount();
    views().bandWidthList()->setCurrentIndex(11); // 6 dB
    QTRY_VERIFY(map->paintCount() > before);
    QCOMPARE(map->legendLabels(), expectedLegend(-60, 6));
    before = map->paintCount();
    views().bandWidthList()->setCurrentIndex(0); // 0,5 dB with the half-band shift
    views().noJumpSwitch()->setChecked(true);
    QTRY_VERIFY(map->paintCount() > before);
    QCOMPARE(map->legendLabels(), expectedLegend(-4.75, 0.5));

    views().bandWidthList()->setCurrentIndex(5);
    before = map->paintCount();
    views().range90Switch()->setChecked(true);
    QTRY_VERIFY(map->paintCount() > before);
    QCOMPARE(map->angleMin(), -90);
    QCOMPARE(map->angleMax(), 90);
    const QImage half = renderMap();
    QVERIFY(half != full);
    // The middle row is still 0°, the reference angle.
    const QRect area = map->plotArea();
    const int axisRow = area.bottom() - (area.height() - 1) / 2;
    const QRgb c = half.pixel(area.center().x(), axisRow);
    QCOMPARE(bandOf(c), 4);

    before = map->paintCount();
    views().verticalSwitch()->setChecked(true);
    QTRY_VERIFY(map->paintCount() > before);
    QCOMPARE(map->title(), QStringLiteral("Richtcharakteritik vertikal\n+ = oben"));
    QVERIFY(prompt_.messages.empty());
    resetOptions();
}

void DirectivityViewTest::fixedLevelReadsTheLevelField() {
    resetOptions();
    DirMapWidget* map = views().map();
    views().fixedReferenceChoice()->setChecked(true);
    QVERIFY(views().levelField()->isEnabled());
    QVERIFY(!views().referenceAngleList()->isEnabled());
    // Far above every level of the example: everything is quieter than the lower limit.
    views().levelField()->setText(QStringLiteral("250"));
    QImage image = renderMap();
    QCOMPARE(bandsIn(image, map->plotArea()) - QSet<int>{-1}, QSet<int>{13});
    // Far below: everything is louder than the upper limit. The number reader takes "-1E2".
    views().levelField()->setText(QStringLiteral("-1E2"));
    image = renderMap();
    QCOMPARE(bandsIn(image, map->plotArea()) - QSet<int>{-1}, QSet<int>{0});
    resetOptions();
}

void DirectivityViewTest::rememberedReferenceShowsASecondMap() {
    resetOptions();
    DirMapWidget* map = views().map();
    PolarPlotWidget* polar = views().polar();
    QVERIFY(!map->showsReference());
    window_->workspace().rememberReference();
    QVERIFY(map->showsReference());
    QImage image = renderMap();
    QVERIFY(map->referenceBandRectangles() > 0);
    QVERIFY(map->referencePlotArea().top() > map->plotArea().bottom()); // below the current map
    // The same project: both maps draw the same bands.
    QCOMPARE(map->referencePlotArea().size(), map->plotArea().size());
    QCOMPARE(map->referenceBandRectangles(), map->bandRectangles());
    QVERIFY(image.copy(map->referencePlotArea()) == image.copy(map->plotArea()));
    // The remembered map keeps its data while the current one changes with the view options:
    // both follow the options, so they still agree.
    views().range90Switch()->setChecked(true);
    image = renderMap();
    QVERIFY(image.copy(map->referencePlotArea()) == image.copy(map->plotArea()));
    resetOptions();
    polar->renderImage(QSize(900, 450)); // its tab is hidden
    QCOMPARE(polar->curvesPainted(), 4); // both charts with current and reference curve

    window_->workspace().deleteReference();
    QVERIFY(!map->showsReference());
    renderMap();
    QCOMPARE(map->referenceBandRectangles(), 0);
    QVERIFY(map->referencePlotArea().isEmpty());
    polar->renderImage(QSize(900, 450));
    QCOMPARE(polar->curvesPainted(), 2);
}

void DirectivityViewTest::polarLabelFollowsTheScrollBar() {
    const TResult& r = *window_->calculation().form().result;
    window_->tabs()->setCurrentWidget(views().polarPage());
    QScrollBar* bar = views().frequencyBar();
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), r.nfreq - 1);
    // Before the user moves it, the bar stands near 1 kHz.
    const int start = bar->value();
    QVERIFY(r.freq[start] > 700 && r.freq[start] < 1400);
    for (int j : {0, r.nfreq / 3, r.nfreq - 1}) {
        const int before = views().polar()->paintCount();
        bar->setValue(j);
        const QString expected = QStringLiteral("Frequenz: ") +
                                 QString::fromLatin1(compactNumberText(5, r.freq[j]).c_str()) +
                                 QStringLiteral(" Hz");
        QCOMPARE(views().frequencyLabel()->text(), expected);
        QCOMPARE(views().polar()->gridIndex(), j);
        QTRY_VERIFY(views().polar()->paintCount() > before);
        QCOMPARE(views().polar()->curvesPainted(), 2);
        // The outer circle lies on the 10 dB grid at or above the loudest level.
        const PolarLevelRange range = views().polar()->levelRange();
        QCOMPARE(range.max - range.min, PolarPlotWidget::kSpan);
        QCOMPARE(std::fmod(range.max, PolarPlotWidget::kCircleStep), 0.0);
    }
    // The current curve is drawn in both halves.
    const QImage image = views().polar()->renderImage();
    for (int half = 0; half < 2; ++half) {
        int curvePixels = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = half * image.width() / 2; x < (half + 1) * image.width() / 2; ++x) {
                const QRgb c = image.pixel(x, y);
                curvePixels += qBlue(c) > 120 && qRed(c) < 60 && qGreen(c) < 60 ? 1 : 0;
            }
        }
        QVERIFY2(curvePixels > 50, qPrintable(QString::number(curvePixels)));
    }
    // Filling the views again (as after every calculation) keeps the chosen frequency.
    window_->redrawCharts();
    QCOMPARE(bar->value(), r.nfreq - 1);
    window_->tabs()->setCurrentWidget(views().mapPage());
}

void DirectivityViewTest::mapWithoutResultsShowsNoBands() {
    // A window that has not calculated anything holds an invalid data set.
    QTemporaryDir dir;
    ScriptedPrompt prompt;
    MainWindow idle(test::windowOptions(dir, prompt, 0ms));
    idle.resize(kWidth, kHeight);
    DirMapWidget* map = idle.directivity()->map();
    const QImage image = map->renderImage(QSize(900, 600));
    QVERIFY(!map->plotArea().isEmpty());
    QCOMPARE(map->bandRectangles(), 0);
    QCOMPARE(bandsIn(image, map->plotArea().adjusted(1, 1, -1, -1)), QSet<int>{-1});
    QCOMPARE(map->legendLabels().size(), 14); // the legend is there without data
    PolarPlotWidget* polar = idle.directivity()->polar();
    polar->renderImage(QSize(900, 450));
    QCOMPARE(polar->curvesPainted(), 0);
    QCOMPARE(idle.directivity()->frequencyLabel()->text(), QStringLiteral("Frequenz: 0 Hz"));
}

void DirectivityViewTest::paintFaultIsReportedOncePerRun() {
    QObject context;
    PaintFaultReporter faults;
    std::vector<std::string> shown;
    faults.setHandler([&shown](const std::string& m) { shown.push_back(m); });
    // Never from inside the failing paint: the message waits for the event loop.
    faults.failed(&context);
    QVERIFY(shown.empty());
    faults.failed(&context); // the repaint behind the message box fails again
    QTRY_COMPARE(shown.size(), std::size_t{1});
    QCoreApplication::processEvents();
    QCOMPARE(shown.size(), std::size_t{1});
    QCOMPARE(shown.front(), std::string("Fehler bei PaintChart"));
    QCOMPARE(faults.faults(), 2);
    // After a good paint the next fault is shown again.
    faults.succeeded();
    faults.failed(&context);
    QTRY_COMPARE(shown.size(), std::size_t{2});
}

QTEST_MAIN(DirectivityViewTest)
#include "directivity_view_test.moc"
