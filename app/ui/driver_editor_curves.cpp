#include "app/ui/driver_editor_curves.h"

#include <QHeaderView>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/ui/driver_editor_fields.h"
#include "app/ui/qt_text.h"
#include "storage/numbers.h"

namespace sonora::ui {

namespace {

constexpr int kMaxTablePoints = kCurvePoints - 1; // index 600 holds the terminating 0
constexpr int kFrequencyColumn = 0;
constexpr int kValueColumn = 1;
constexpr double kPhaseAxis = 180.0;       // degrees either side
constexpr TColor kValueColor = 0x00D00000; // blue
constexpr TColor kPhaseColor = 0x000000C0; // red

int countPoints(const double (&f)[kCurvePoints]) {
    int n = 0;
    while (n < kMaxTablePoints && f[n] > 0) {
        ++n;
    }
    return n;
}

QString cellText(double value) {
    return fromLatin1(compactNumberText(kCurveTextDigits, value));
}

ChartCurve curveOf(const double (&f)[kCurvePoints], const double (&v)[kCurvePoints], double factor,
                   const char* name, TColor color, ChartAxis axis) {
    ChartCurve c;
    c.name = name;
    c.color = color;
    c.axis = axis;
    // The plot wants ascending frequencies; typed rows may come in any order.
    std::vector<std::pair<double, double>> points;
    const int n = countPoints(f);
    for (int k = 0; k < n; ++k) {
        points.emplace_back(f[k], v[k] * factor);
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [x, y] : points) {
        c.x.push_back(x);
        c.y.push_back(y);
    }
    return c;
}

} // namespace

CurveTable::CurveTable(const QString& valueHeader, double factor, QWidget* parent)
    : QTableWidget(0, 2, parent), factor_(factor) {
    setHorizontalHeaderLabels({QStringLiteral("f [Hz]"), valueHeader});
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (filling_) {
            return;
        }
        changed_ = true;
        // Typing into the empty last row adds another one.
        if (item->row() == rowCount() - 1 && rowCount() < kMaxTablePoints) {
            insertRow(rowCount());
        }
    });
}

void CurveTable::fill(const double (&f)[kCurvePoints], const double (&v)[kCurvePoints]) {
    filling_ = true;
    const int n = countPoints(f);
    clearContents();
    setRowCount(std::min(n + 1, kMaxTablePoints));
    for (int k = 0; k < n; ++k) {
        setItem(k, kFrequencyColumn, new QTableWidgetItem(cellText(f[k])));
        setItem(k, kValueColumn, new QTableWidgetItem(cellText(v[k] * factor_)));
    }
    filling_ = false;
    changed_ = false;
}

int CurveTable::points() const {
    int n = 0;
    for (int r = 0; r < rowCount(); ++r) {
        const QTableWidgetItem* fi = item(r, kFrequencyColumn);
        const std::optional<double> fv = fi ? readEntryNumber(fi->text()) : std::nullopt;
        n += fv && *fv > 0 ? 1 : 0;
    }
    return n;
}

void CurveTable::store(double (&f)[kCurvePoints], double (&v)[kCurvePoints]) const {
    int n = 0;
    for (int r = 0; r < rowCount() && n < kMaxTablePoints; ++r) {
        const QTableWidgetItem* fi = item(r, kFrequencyColumn);
        const QTableWidgetItem* vi = item(r, kValueColumn);
        const std::optional<double> fv = fi ? readEntryNumber(fi->text()) : std::nullopt;
        if (!fv || *fv <= 0) {
            continue;
        }
        const std::optional<double> vv = vi ? readEntryNumber(vi->text()) : std::nullopt;
        f[n] = *fv;
        v[n] = vv.value_or(0.0) / factor_;
        ++n;
    }
    std::fill(f + n, f + kCurvePoints, 0.0);
    std::fill(v + n, v + kCurvePoints, 0.0);
}

ChartContent measuredCurvesChart(const TChassis& c, bool impedance, const TAnzOption& axes) {
    ChartContent chart;
    chart.title = impedance ? "Gemessener Impedanzgang" : "Gemessener Frequenzgang";
    chart.x = {axes.Afmin, axes.Afmax, true, "f [Hz]"};
    chart.hasRightAxis = true;
    chart.y2 = {-kPhaseAxis, kPhaseAxis, false, "Phase [Grad]"};
    if (impedance) {
        chart.y = {0.0, axes.ImpMax, false, "Z [Ohm]"};
        chart.curves.push_back(
            curveOf(c.fgangif, c.fgangi, 1.0, "Impedanz", kValueColor, ChartAxis::Left));
        chart.curves.push_back(curveOf(c.fgangipf, c.fgangip, kDegreesPerRadian, "Phase",
                                       kPhaseColor, ChartAxis::Right));
    } else {
        chart.y = {axes.dBmin, axes.dBmax, false, "Pegel [dB]"};
        chart.curves.push_back(
            curveOf(c.fgangaf, c.fganga, 1.0, "Amplitude", kValueColor, ChartAxis::Left));
        chart.curves.push_back(curveOf(c.fgangapf, c.fgangap, kDegreesPerRadian, "Phase",
                                       kPhaseColor, ChartAxis::Right));
    }
    return chart;
}

} // namespace sonora::ui
