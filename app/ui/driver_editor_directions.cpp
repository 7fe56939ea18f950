#include "app/ui/driver_editor_directions.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "app/ui/chart_view.h"
#include "app/ui/driver_editor_curves.h"
#include "app/ui/driver_editor_fields.h"
#include "app/ui/qt_text.h"
#include "storage/numbers.h"

namespace sonora::ui {

namespace {

constexpr int kMaxTablePoints = kCurvePoints - 1; // index 600 holds the terminating 0
constexpr int kFrequencyColumn = 0;
constexpr int kColumns = 1 + 2 * kMaxRicht;
// Item data: the exact stored value (dB, rad or Hz) and the text it was shown as.
constexpr int kStoredRole = Qt::UserRole;
constexpr int kShownRole = Qt::UserRole + 1;
constexpr int kHueCircle = 360; // degrees of hue spread over the 19 curves
constexpr int kSaturation = 255;
constexpr int kValue = 200; // slightly dark, to stand out on white

QString angleText(int angle) {
    return QString::number(angle * kDirectionStepDegrees) + QString::fromUtf8("°");
}

int countPoints(const double (&f)[kCurvePoints]) {
    int n = 0;
    while (n < kMaxTablePoints && f[n] > 0) {
        ++n;
    }
    return n;
}

QTableWidgetItem* valueItem(double stored, double factor) {
    const QString shown = fromLatin1(compactNumberText(kCurveTextDigits, stored * factor));
    auto* item = new QTableWidgetItem(shown);
    item->setData(kStoredRole, stored);
    item->setData(kShownRole, shown);
    return item;
}

TColor curveColor(int angle) {
    const QColor c = QColor::fromHsv(angle * kHueCircle / kMaxRicht, kSaturation, kValue);
    return static_cast<TColor>(c.red()) | (static_cast<TColor>(c.green()) << 8) |
           (static_cast<TColor>(c.blue()) << 16);
}

} // namespace

DirectionTable::DirectionTable(QWidget* parent) : QTableWidget(0, kColumns, parent) {
    QStringList headers{QStringLiteral("f [Hz]")};
    for (int j = 0; j < kMaxRicht; ++j) {
        headers << angleText(j) + fromUtf8(" Pegel [dB]")
                << angleText(j) + fromUtf8(" Phase [Grad]");
    }
    setHorizontalHeaderLabels(headers);
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

void DirectionTable::fill(const TRicht& r) {
    filling_ = true;
    const int n = countPoints(r.fgangf);
    clearContents();
    setRowCount(std::min(n + 1, kMaxTablePoints));
    for (int k = 0; k < n; ++k) {
        setItem(k, kFrequencyColumn, valueItem(r.fgangf[k], 1.0));
        for (int j = 0; j < kMaxRicht; ++j) {
            setItem(k, levelColumn(j), valueItem(r.fgangau[j][k], 1.0));
            setItem(k, phaseColumn(j), valueItem(r.fgangpu[j][k], kDegreesPerRadian));
        }
    }
    filling_ = false;
    changed_ = false;
}

double DirectionTable::cellValue(int row, int column, double factor) const {
    const QTableWidgetItem* it = item(row, column);
    if (it == nullptr) {
        return 0.0;
    }
    if (it->data(kStoredRole).isValid() && it->text() == it->data(kShownRole).toString()) {
        return it->data(kStoredRole).toDouble();
    }
    return readEntryNumber(it->text()).value_or(0.0) / factor;
}

void DirectionTable::store(TRicht& r) const {
    int n = 0;
    for (int row = 0; row < rowCount() && n < kMaxTablePoints; ++row) {
        const QTableWidgetItem* fi = item(row, kFrequencyColumn);
        const std::optional<double> typed = fi ? readEntryNumber(fi->text()) : std::nullopt;
        if (!typed || *typed <= 0) {
            continue;
        }
        r.fgangf[n] = cellValue(row, kFrequencyColumn, 1.0);
        for (int j = 0; j < kMaxRicht; ++j) {
            r.fgangau[j][n] = cellValue(row, levelColumn(j), 1.0);
            r.fgangpu[j][n] = cellValue(row, phaseColumn(j), kDegreesPerRadian);
        }
        ++n;
    }
    std::fill(r.fgangf + n, r.fgangf + kCurvePoints, 0.0);
    for (int j = 0; j < kMaxRicht; ++j) {
        std::fill(r.fgangau[j] + n, r.fgangau[j] + kCurvePoints, 0.0);
        std::fill(r.fgangpu[j] + n, r.fgangpu[j] + kCurvePoints, 0.0);
    }
}

DirectionsPage::DirectionsPage(QWidget* parent) : QWidget(parent) {
    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    measured_ = new QCheckBox(fromUtf8("Abstrahlverhalten aus gemessenen Richtungsfrequenzgängen "
                                       "(sonst aus der Membrangeometrie)"),
                              this);
    measured_->setObjectName(QStringLiteral("RichtSimu"));
    count_ = new QComboBox(this);
    count_->setObjectName(QStringLiteral("nRicht"));
    for (int n = 0; n <= kMaxRicht; ++n) {
        const QString last = n == 0 ? QString() : fromUtf8(" (0° bis ") + angleText(n - 1) + ")";
        count_->addItem(QString::number(n) + last);
    }
    top->addWidget(measured_);
    top->addStretch();
    top->addWidget(new QLabel(fromUtf8("vorhandene Richtungen"), this));
    top->addWidget(count_);
    v->addLayout(top);
    v->addWidget(new QLabel(
        fromUtf8(
            "Die Messungen werden ab 4 Richtungen und nur bei der Abstrahlrichtung \"nach "
            "vorne\" verwendet, die 5°-Schritte außerhalb der 30°-Ringe nur bei 19 Richtungen."),
        this));

    auto* body = new QHBoxLayout;
    table_ = new DirectionTable(this);
    table_->setObjectName(QStringLiteral("directionTable"));
    body->addWidget(table_, 3);
    plot_ = new ChartView(this);
    plot_->setObjectName(QStringLiteral("directionPlot"));
    body->addWidget(plot_, 2);
    v->addLayout(body, 1);

    connect(measured_, &QCheckBox::toggled, this, &DirectionsPage::edited);
    connect(count_, &QComboBox::currentIndexChanged, this, &DirectionsPage::edited);
    connect(table_, &QTableWidget::itemChanged, this, &DirectionsPage::edited);
}

void DirectionsPage::show(const TRicht& r) {
    const QSignalBlocker blockSwitch(measured_);
    const QSignalBlocker blockCount(count_);
    measured_->setChecked(r.RichtSimu != 0);
    count_->setCurrentIndex(r.nRicht >= 0 && r.nRicht <= kMaxRicht ? r.nRicht : -1);
    table_->fill(r);
}

void DirectionsPage::read(TRicht& r) const {
    // A stored switch other than 0 or 1 stays as it is while the box is not toggled.
    if (measured_->isChecked() != (r.RichtSimu != 0)) {
        r.RichtSimu = measured_->isChecked() ? 1 : 0;
    }
    if (count_->currentIndex() >= 0) {
        r.nRicht = count_->currentIndex();
    }
    if (table_->changed()) {
        table_->store(r);
    }
}

void DirectionsPage::showPlot(const TRicht& r, const TAnzOption& axes) {
    plot_->setContent(directionalLevelsChart(r, axes));
}

ChartContent directionalLevelsChart(const TRicht& r, const TAnzOption& axes) {
    ChartContent chart;
    chart.title =
        toLatin1(fromUtf8("Gemessene Richtungsfrequenzgänge")); // Latin-1 like all chart texts
    chart.x = {axes.Afmin, axes.Afmax, true, "f [Hz]"};
    chart.y = {axes.dBmin, axes.dBmax, false, "Pegel [dB]"};
    const int n = countPoints(r.fgangf);
    const int present = std::clamp(r.nRicht, 0, kMaxRicht);
    for (int j = 0; j < present; ++j) {
        ChartCurve c;
        c.name = toLatin1(angleText(j));
        c.color = curveColor(j);
        // The plot wants ascending frequencies; typed rows may come in any order.
        std::vector<std::pair<double, double>> points;
        for (int k = 0; k < n; ++k) {
            points.emplace_back(r.fgangf[k], r.fgangau[j][k]);
        }
        std::stable_sort(points.begin(), points.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [x, y] : points) {
            c.x.push_back(x);
            c.y.push_back(y);
        }
        chart.curves.push_back(std::move(c));
    }
    return chart;
}

} // namespace sonora::ui
