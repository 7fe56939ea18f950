#include "app/ui/calculator_page_port.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/ui/calculator_page_pictures.h"

namespace sonora::ui {

namespace {

// The ranges the page offers; the calculation clamps to the same ones.
constexpr int kMaxDamping = 4; // "keine Wolle" 0 .. "stark gestopft" 4
constexpr int kMaxTubes = 4;   // round tubes side by side

QString caption(std::string_view name) {
    return fieldCaption(portFields(), name);
}

QRadioButton* addRadio(QButtonGroup* group, QLayout* layout, const char* text, int id) {
    auto* button = new QRadioButton(QString::fromUtf8(text));
    group->addButton(button, id);
    layout->addWidget(button);
    return button;
}

} // namespace

PortPage::PortPage(QWidget* parent) : QWidget(parent), entries_([this] { recalculate(); }) {
    const PortInput start;

    auto* note =
        new QLabel(QString::fromUtf8("Achtung: Alle Maße auf dieser Seite sind Innenmaße!"));
    QFont bold = note->font();
    bold.setBold(true);
    note->setFont(bold);

    // The volume, given directly or by the inner sizes.
    auto* volume = new QGroupBox(caption("volmode"));
    volumeForm_ = new QFormLayout(volume);
    auto* modes = new QButtonGroup(this);
    auto* modeRow = new QHBoxLayout;
    explicit_ = addRadio(modes, modeRow, "explizit", static_cast<int>(PortVolumeMode::Explicit));
    bySizes_ = addRadio(modes, modeRow, "über BxHxT", static_cast<int>(PortVolumeMode::Dimensions));
    (start.volumeMode == PortVolumeMode::Explicit ? explicit_ : bySizes_)->setChecked(true);
    entries_.addChoice("volmode", modes);
    volumeForm_->addRow(modeRow);
    for (const auto& [name, value] : {std::pair{"v", start.volume}, std::pair{"b", start.b},
                                      std::pair{"h", start.h}, std::pair{"t", start.t}}) {
        addNumberRow(volumeForm_, entries_, name, caption(name), value);
    }

    // Damping: five slider positions with the three captions below.
    auto* damping = new QGroupBox(caption("damping"));
    auto* dampingGrid = new QGridLayout(damping);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, kMaxDamping);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setValue(start.damping);
    entries_.addSlider("damping", slider);
    dampingGrid->addWidget(slider, 0, 0, 1, 3);
    dampingGrid->addWidget(new QLabel(QString::fromUtf8("keine Wolle")), 1, 0, Qt::AlignLeft);
    dampingGrid->addWidget(new QLabel(QString::fromUtf8("locker gefüllt")), 1, 1, Qt::AlignCenter);
    dampingGrid->addWidget(new QLabel(QString::fromUtf8("stark gestopft")), 1, 2, Qt::AlignRight);

    // The port.
    auto* port = new QGroupBox(caption("shape"));
    portForm_ = new QFormLayout(port);
    auto* shapes = new QButtonGroup(this);
    auto* shapeRow = new QHBoxLayout;
    rectangular_ =
        addRadio(shapes, shapeRow, "rechteckig", static_cast<int>(PortShape::Rectangular));
    circular_ = addRadio(shapes, shapeRow, "rund", static_cast<int>(PortShape::Circular));
    (start.shape == PortShape::Rectangular ? rectangular_ : circular_)->setChecked(true);
    entries_.addChoice("shape", shapes);
    portForm_->addRow(shapeRow);
    addNumberRow(portForm_, entries_, "c", caption("c"), start.c);
    addNumberRow(portForm_, entries_, "e", caption("e"), start.e);
    addNumberRow(portForm_, entries_, "d", caption("d"), start.d);
    auto* tubes = new QComboBox;
    for (int n = 1; n <= kMaxTubes; ++n) {
        tubes->addItem(n == 1 ? QString::fromUtf8("1 Baßreflexrohr")
                              : QString::fromUtf8("%1 Baßreflexrohre").arg(n));
    }
    tubes->setCurrentIndex(start.tubes - 1);
    entries_.addList("tubes", tubes, [](int index) { return std::to_string(index + 1); });
    portForm_->addRow(caption("tubes"), tubes);
    for (const auto& [name, value] :
         {std::pair{"l", start.l}, std::pair{"g", start.g}, std::pair{"f", start.f},
          std::pair{"k", start.k}, std::pair{"i", start.i}, std::pair{"j", start.j}}) {
        addNumberRow(portForm_, entries_, name, caption(name), value);
    }

    result_ = new ResultMemo;
    result_->setObjectName(QStringLiteral("portResult"));
    picture_ = new PortPicture;

    auto* left = new QVBoxLayout;
    left->addWidget(note);
    left->addWidget(volume);
    left->addWidget(damping);
    left->addWidget(port);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(picture_);
    right->addWidget(result_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    building_ = false;
    recalculate();
}

void PortPage::recalculate() {
    if (building_) {
        return;
    }
    const PortInput in = input();
    const bool bySizes = in.volumeMode == PortVolumeMode::Dimensions;
    volumeForm_->setRowVisible(entries_.number("v"), !bySizes);
    for (const char* name : {"b", "h", "t"}) {
        volumeForm_->setRowVisible(entries_.number(name), bySizes);
    }
    const bool round = in.shape == PortShape::Circular;
    portForm_->setRowVisible(entries_.number("c"), !round);
    portForm_->setRowVisible(entries_.number("e"), !round);
    portForm_->setRowVisible(entries_.number("d"), round);
    portForm_->setRowVisible(findChild<QComboBox*>(QStringLiteral("tubes")), round);
    picture_->setCircular(round);
    result_->setLines(calcPort(in).lines);
}

} // namespace sonora::ui
