#include "app/ui/project_properties_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/ui/number_field.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"
#include "model/records.h"

namespace sonora::ui {

ProjectPropertiesDialog::ProjectPropertiesDialog(const ProjectProperties& start, QWidget* parent)
    : QDialog(parent), start_(start) {
    setWindowTitle(QString::fromUtf8("Projekteigenschaften"));
    auto* layout = new QVBoxLayout(this);

    auto* counts = new QFormLayout;
    amps_ = new QSpinBox(this);
    amps_->setRange(1, kMaxAmps);
    drivers_ = new QSpinBox(this);
    drivers_->setRange(1, kMaxChassis);
    counts->addRow(QString::fromUtf8("Anzahl Verstärker"), amps_);
    counts->addRow(QString::fromUtf8("Anzahl Chassis"), drivers_);
    layout->addLayout(counts);

    auto* grid = new QGroupBox(QString::fromUtf8("Frequenzraster"), this);
    auto* gridLayout = new QVBoxLayout(grid);
    auto* gridFields = new QFormLayout;
    fMin_ = new NumberField(start.fMin, grid);
    fMax_ = new NumberField(start.fMax, grid);
    // The point count is typed, not spun: the grid rule limits it when the dialog is accepted.
    points_ = new QLineEdit(grid);
    gridFields->addRow(QString::fromUtf8("untere Frequenz [Hz]"), fMin_);
    gridFields->addRow(QString::fromUtf8("obere Frequenz [Hz]"), fMax_);
    gridFields->addRow(QString::fromUtf8("Punkte"), points_);
    gridLayout->addLayout(gridFields);
    auto* presets = new QHBoxLayout;
    const struct {
        const char* caption;
        GridPreset preset;
    } buttons[] = {
        {"grob", GridPreset::Grob}, {"mittel", GridPreset::Mittel}, {"fein", GridPreset::Fein}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), grid);
        button->setAutoDefault(false);
        button->setObjectName(QString::fromUtf8(b.caption));
        const GridPreset preset = b.preset;
        connect(button, &QPushButton::clicked, this, [this, preset] { applyPreset(preset); });
        presets->addWidget(button);
    }
    gridLayout->addLayout(presets);
    layout->addWidget(grid);

    auto* comments = new QFormLayout;
    comment1_ = new QLineEdit(this);
    comment2_ = new QLineEdit(this);
    for (QLineEdit* c : {comment1_, comment2_}) {
        c->setMaxLength(kMaxCommentLength);
    }
    comments->addRow(QString::fromUtf8("Kommentar 1"), comment1_);
    comments->addRow(QString::fromUtf8("Kommentar 2"), comment2_);
    layout->addLayout(comments);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    germanButtons(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(box);

    setValues(start);
}

void ProjectPropertiesDialog::setValues(const ProjectProperties& v) {
    amps_->setValue(v.nAmps);
    drivers_->setValue(v.nChassis);
    fMin_->setValue(v.fMin);
    fMax_->setValue(v.fMax);
    points_->setText(QString::number(v.points));
    comment1_->setText(fromLatin1(v.comment1));
    comment2_->setText(fromLatin1(v.comment2));
}

ProjectProperties ProjectPropertiesDialog::values() const {
    ProjectProperties v = start_;
    v.nAmps = amps_->value();
    v.nChassis = drivers_->value();
    v.fMin = fMin_->value(start_.fMin);
    v.fMax = fMax_->value(start_.fMax);
    // Read through the number reader so that "300,0" or " 84" count as typed; far too large
    // values saturate before the grid rule limits them.
    const double points = parseNumberField(points_->text(), start_.points);
    constexpr double kIntLimit = std::numeric_limits<int>::max();
    v.points = std::isfinite(points)
                   ? static_cast<int>(std::clamp(std::round(points), -kIntLimit, kIntLimit))
                   : start_.points;
    v.comment1 = toLatin1(comment1_->text());
    v.comment2 = toLatin1(comment2_->text());
    return v;
}

void ProjectPropertiesDialog::applyPreset(GridPreset preset) {
    setValues(withPreset(values(), preset));
}

} // namespace sonora::ui
