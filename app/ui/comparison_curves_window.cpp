#include "app/ui/comparison_curves_window.h"

#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "acoustics/comparison_curve_import.h"
#include "app/ui/file_dialogs.h"
#include "app/ui/number_field.h"
#include "app/ui/qt_text.h"
#include "app/ui/tool_window.h"

namespace sonora::ui {

namespace {

const char kCurve1Caption[] = "Kurve 1 (z.B. Tieftöner)";
const char kCurve2Caption[] = "Kurve 2 (z. B. Hochtöner)";

ChartCurve chartCurve(const ComparisonCurve& c, const char* nameUtf8, TColor color) {
    ChartCurve curve;
    curve.name = toLatin1(QString::fromUtf8(nameUtf8));
    curve.color = color;
    curve.width = kComparisonCurveWidth;
    for (int k = 0; k < c.count && k < kComparisonPoints; ++k) {
        curve.x.push_back(c.points[k].f);
        curve.y.push_back(c.points[k].level);
    }
    return curve;
}

} // namespace

std::vector<ChartCurve> comparisonChartCurves(const ComparisonCurve& curve1,
                                              const ComparisonCurve& curve2) {
    std::vector<ChartCurve> curves;
    if (curve1.valid) {
        curves.push_back(chartCurve(curve1, kCurve1Caption, kComparisonCurve1Color));
    }
    if (curve2.valid) {
        curves.push_back(chartCurve(curve2, kCurve2Caption, kComparisonCurve2Color));
    }
    return curves;
}

QString chooseTextFile(QWidget* parent, const QString& title) {
    return openFileName(parent, title);
}

ComparisonCurvesWindow::ComparisonCurvesWindow(ComparisonProjectSource project,
                                               ComparisonCurvesSink sink, UserPrompt& prompt,
                                               QWidget* parent)
    : QDialog(parent), project_(std::move(project)), sink_(std::move(sink)), prompt_(prompt) {
    setObjectName(QStringLiteral("comparisonCurves"));
    setWindowTitle(QString::fromUtf8("Sonora - Vergleichsfrequenzgänge"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(
        QString::fromUtf8("Um reale Filterflanken mit denen theoretischer Filter zu "
                          "vergleichen, können Vergleichskurven in den Frequenzgangchart "
                          "eingeblendet werden."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* source = new QHBoxLayout;
    byFilter_ = new QRadioButton(QStringLiteral("per Filterdefinition"), this);
    byImport_ = new QRadioButton(QStringLiteral("per Textimport"), this);
    byFilter_->setChecked(true);
    source->addWidget(byFilter_);
    source->addWidget(byImport_);
    layout->addLayout(source);

    auto* form = new QFormLayout;
    fc_ = new NumberField(kDefaultComparisonFc, this);
    level_ = new NumberField(kDefaultComparisonLevel, this);
    type_ = new QComboBox(this);
    for (int k = 0; k < kFilterTypeCount; ++k) {
        type_->addItem(fromLatin1(filterTypeName(static_cast<FilterType>(k))));
    }
    form->addRow(QStringLiteral("Trennfrequenz [Hz]"), fc_);
    form->addRow(QStringLiteral("Pegel [dB]"), level_);
    form->addRow(QStringLiteral("Filtertyp"), type_);
    file1_ = new QLineEdit(this);
    file2_ = new QLineEdit(this);
    for (QLineEdit* field : {file1_, file2_}) {
        field->setReadOnly(true); // filled by the file dialog a click opens
        field->installEventFilter(this);
    }
    form->addRow(QString::fromUtf8(kCurve1Caption), file1_);
    form->addRow(QString::fromUtf8(kCurve2Caption), file2_);
    layout->addLayout(form);

    auto* buttons = new QHBoxLayout;
    show_ = new QPushButton(QStringLiteral("Vergleichskurven zeigen"), this);
    remove_ = new QPushButton(QStringLiteral("keine Vergleichskurven anzeigen"), this);
    buttons->addWidget(show_);
    buttons->addWidget(remove_);
    layout->addLayout(buttons);
    connect(show_, &QPushButton::clicked, this, &ComparisonCurvesWindow::showCurves);
    connect(remove_, &QPushButton::clicked, this, &ComparisonCurvesWindow::removeCurves);

    // Only the entries of the chosen source take part.
    const auto enableSource = [this] {
        const bool filter = byFilter_->isChecked();
        fc_->setEnabled(filter);
        level_->setEnabled(filter);
        type_->setEnabled(filter);
        file1_->setEnabled(!filter);
        file2_->setEnabled(!filter);
    };
    connect(byFilter_, &QRadioButton::toggled, this, enableSource);
    enableSource();
    connect(this, &QDialog::finished, this, [this] { setObjectName(QString()); });
}

bool ComparisonCurvesWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && (watched == file1_ || watched == file2_)) {
        chooseFile(watched == file1_ ? 1 : 2);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ComparisonCurvesWindow::chooseFile(int curve) {
    const QString name = chooser_(this, QString::fromUtf8("Wähle Textdatei"));
    if (!name.isEmpty()) {
        fileField(curve)->setText(name);
    }
}

void ComparisonCurvesWindow::importFile(QLineEdit* field, ComparisonCurve& curve) {
    const CurveImportResult r = importComparisonCurve(toUtf8(field->text()), curve);
    if (!r.ok) {
        prompt_.showMessage(r.message);
    }
}

void ComparisonCurvesWindow::showCurves() {
    if (byFilter_->isChecked()) {
        // A frequency that is not positive clears both curves: nothing to draw.
        comparisonCurvesByFilter(project_().freq, fc_->value(kDefaultComparisonFc),
                                 level_->value(kDefaultComparisonLevel),
                                 static_cast<FilterType>(type_->currentIndex()), curve1_, curve2_);
    } else {
        importFile(file1_, curve1_);
        importFile(file2_, curve2_);
    }
    sink_(curve1_, curve2_);
}

void ComparisonCurvesWindow::removeCurves() {
    clearComparisonCurve(curve1_);
    clearComparisonCurve(curve2_);
    sink_(curve1_, curve2_);
}

ComparisonCurvesWindow* showComparisonCurvesWindow(QWidget* parent, ComparisonProjectSource project,
                                                   ComparisonCurvesSink sink, UserPrompt& prompt) {
    return showToolWindow<ComparisonCurvesWindow>(parent, QStringLiteral("comparisonCurves"), [&] {
        return new ComparisonCurvesWindow(std::move(project), std::move(sink), prompt, parent);
    });
}

} // namespace sonora::ui
