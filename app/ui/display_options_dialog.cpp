#include "app/ui/display_options_dialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSlider>
#include <QVBoxLayout>
#include <limits>

#include "app/ui/number_field.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"
#include "model/record_defaults.h"

namespace sonora::ui {

namespace {

constexpr int kSwatchSize = 16; // pixels, the colour square on a button
constexpr int kColoursPerColumn = 5;
constexpr int kFirstWayCaption = 1; // "Verstärker 1", "Chassis / Weg 1"
// The three direction slots after the six angles of a set.
constexpr const char* kLastDirectionCaptions[] = {"120°", "150°", "hinten"};

std::vector<QString> numbered(const char* whole, const char* prefix, int count) {
    std::vector<QString> captions{fromUtf8(whole)};
    for (int k = kFirstWayCaption; k < count; ++k) {
        captions.push_back(fromUtf8(prefix) + QString::number(k));
    }
    return captions;
}

} // namespace

TColor fromQColor(const QColor& c) {
    constexpr int kByte = 8;
    return static_cast<TColor>(c.red()) | (static_cast<TColor>(c.green()) << kByte) |
           (static_cast<TColor>(c.blue()) << (2 * kByte));
}

ColourButton::ColourButton(const QString& caption, TColor colour, QWidget* parent)
    : QPushButton(caption, parent), caption_(caption), colour_(colour) {
    setAutoDefault(false);
    setColour(colour);
    connect(this, &QPushButton::clicked, this, &ColourButton::choose);
}

void ColourButton::setColour(TColor colour) {
    colour_ = colour;
    QPixmap swatch(kSwatchSize, kSwatchSize);
    swatch.fill(toQColor(colour));
    setIcon(QIcon(swatch));
    emit colourChanged(colour);
}

void ColourButton::choose() {
    QColorDialog dialog(toQColor(colour_), this);
    dialog.setWindowTitle(caption_);
    germanButtons(&dialog);
    if (dialog.exec() == QDialog::Accepted && dialog.selectedColor().isValid()) {
        setColour(fromQColor(dialog.selectedColor()));
    }
}

std::vector<QString> directionColourCaptions(const std::array<int, kDirectionCurves>& angles) {
    std::vector<QString> captions{fromUtf8("vorne")};
    for (int k = 1; k < kDirectionCurves; ++k) {
        captions.push_back(QString::number(angles[static_cast<std::size_t>(k)]) + fromUtf8("°"));
    }
    for (const char* c : kLastDirectionCaptions) {
        captions.push_back(fromUtf8(c));
    }
    return captions;
}

DisplayOptionsDialog::DisplayOptionsDialog(const DisplayOptionsInput& start,
                                           const std::array<int, kDirectionCurves>& angles,
                                           QWidget* parent)
    : QDialog(parent), start_(start) {
    setWindowTitle(fromUtf8("Anzeigeoptionen"));
    auto* layout = new QVBoxLayout(this);

    auto* axes = new QGroupBox(fromUtf8("Achsen"), this);
    auto* axesLayout = new QFormLayout(axes);
    fMin_ = new NumberField(start.fMin, axes);
    fMax_ = new NumberField(start.fMax, axes);
    dBMin_ = new NumberField(start.dBMin, axes);
    dBMax_ = new NumberField(start.dBMax, axes);
    impMax_ = new NumberField(start.impMax, axes);
    axesLayout->addRow(fromUtf8("Frequenz von [Hz]"), fMin_);
    axesLayout->addRow(fromUtf8("Frequenz bis [Hz]"), fMax_);
    axesLayout->addRow(fromUtf8("Pegel von [dB]"), dBMin_);
    axesLayout->addRow(fromUtf8("Pegel bis [dB]"), dBMax_);
    axesLayout->addRow(fromUtf8("Impedanz max. [Ohm]"), impMax_);
    auto* widthRow = new QHBoxLayout;
    lineWidth_ = new QSlider(Qt::Horizontal, axes);
    lineWidth_->setRange(1, kMaxLineWidth);
    lineWidth_->setValue(start.lineWidth);
    lineWidthText_ = new QLabel(QString::number(lineWidth_->value()), axes);
    connect(lineWidth_, &QSlider::valueChanged, lineWidthText_,
            [this](int w) { lineWidthText_->setText(QString::number(w)); });
    widthRow->addWidget(lineWidth_, 1);
    widthRow->addWidget(lineWidthText_);
    axesLayout->addRow(fromUtf8("Linienstärke"), widthRow);

    auto* colours = new QHBoxLayout;
    colours->addWidget(colourGroup(fromUtf8("Verstärker"),
                                   numbered("Gesamt", "Verstärker ", kShownAmpColours),
                                   start.option.ColorSetAmps, amps_));
    colours->addWidget(colourGroup(fromUtf8("Chassis"),
                                   numbered("Gesamt", "Chassis / Weg ", kShownChassisColours),
                                   start.option.ColorSetChassis, chassis_));
    colours->addWidget(colourGroup(fromUtf8("Richtungen"), directionColourCaptions(angles),
                                   start.option.ColorSetRichtungen, directions_));

    auto* top = new QHBoxLayout;
    top->addWidget(axes);
    top->addLayout(colours, 1);
    layout->addLayout(top);

    allProjects_ =
        new QCheckBox(fromUtf8("Diese Einstellungen bei allen Projektdateien verwenden"), this);
    allProjects_->setChecked(start.allProjects);
    layout->addWidget(allProjects_);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    germanButtons(box);
    QPushButton* defaults =
        box->addButton(fromUtf8("Voreinstellung wiederherstellen"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("restoreDefaults"));
    connect(defaults, &QPushButton::clicked, this, &DisplayOptionsDialog::restoreDefaults);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(box);
}

QGroupBox* DisplayOptionsDialog::colourGroup(const QString& title,
                                             const std::vector<QString>& captions,
                                             const TColor* colours,
                                             std::vector<ColourButton*>& buttons) {
    auto* group = new QGroupBox(title, this);
    auto* grid = new QGridLayout(group);
    for (std::size_t k = 0; k < captions.size(); ++k) {
        auto* b = new ColourButton(captions[k], colours[k], group);
        const int slot = static_cast<int>(k);
        grid->addWidget(b, slot % kColoursPerColumn, slot / kColoursPerColumn);
        buttons.push_back(b);
    }
    return group;
}

void DisplayOptionsDialog::setNumbers(double fMin, double fMax, double dBMin, double dBMax,
                                      double impMax) {
    fMin_->setValue(fMin);
    fMax_->setValue(fMax);
    dBMin_->setValue(dBMin);
    dBMax_->setValue(dBMax);
    impMax_->setValue(impMax);
}

void DisplayOptionsDialog::restoreDefaults() {
    const TAnzOption d = defaultAnzOption();
    setNumbers(d.Afmin, d.Afmax, d.dBmin, d.dBmax, d.ImpMax);
    for (std::size_t k = 0; k < amps_.size(); ++k) {
        amps_[k]->setColour(d.ColorSetAmps[k]);
    }
    for (std::size_t k = 0; k < chassis_.size(); ++k) {
        chassis_[k]->setColour(d.ColorSetChassis[k]);
    }
    for (std::size_t k = 0; k < directions_.size(); ++k) {
        directions_[k]->setColour(d.ColorSetRichtungen[k]);
    }
}

DisplayOptionsInput DisplayOptionsDialog::values() const {
    constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();
    DisplayOptionsInput v = start_;
    v.fMin = fMin_->value(kNoNumber);
    v.fMax = fMax_->value(kNoNumber);
    v.dBMin = dBMin_->value(kNoNumber);
    v.dBMax = dBMax_->value(kNoNumber);
    v.impMax = impMax_->value(kNoNumber);
    v.lineWidth = lineWidth_->value();
    v.allProjects = allProjects_->isChecked();
    for (std::size_t k = 0; k < amps_.size(); ++k) {
        v.option.ColorSetAmps[k] = amps_[k]->colour();
    }
    for (std::size_t k = 0; k < chassis_.size(); ++k) {
        v.option.ColorSetChassis[k] = chassis_[k]->colour();
    }
    for (std::size_t k = 0; k < directions_.size(); ++k) {
        v.option.ColorSetRichtungen[k] = directions_[k]->colour();
    }
    return v;
}

} // namespace sonora::ui
