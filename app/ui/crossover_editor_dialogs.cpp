#include "app/ui/crossover_editor_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "app/shell/crossover_editor.h"
#include "app/shell/crossover_editor_library.h"
#include "app/ui/crossover_editor_library_dialog.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_prompt.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

constexpr int kPointerOffset = 16; // pixels between the pointer and a dialog placed next to it
constexpr int kNodeFieldChars = 3; // node numbers 0..132

QDialogButtonBox* okCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    germanButtons(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

} // namespace

// ---- part dialog

PartDialogWindow::PartDialogWindow(const PartDialog& start, const std::vector<std::string>& drivers,
                                   std::string partsFolder, QWidget* parent)
    : QDialog(parent), partsFolder_(std::move(partsFolder)) {
    setObjectName(QStringLiteral("partDialog"));
    setWindowTitle(promptCaption() + QStringLiteral(" - Bauteil"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);

    kind_ = new QComboBox(this);
    for (int typ = 0; typ < kPartKinds; ++typ) {
        kind_->addItem(fromUtf8(partKindCaption(typ)));
    }
    form->addRow(fromUtf8("Bauteil:"), kind_);

    auto* valueRow = new QHBoxLayout;
    value_ = new QLineEdit(this);
    valueUnit_ = new QLabel(this);
    valueRow->addWidget(value_);
    valueRow->addWidget(valueUnit_);
    form->addRow(fromUtf8("Wert:"), valueRow);

    auto* resistanceRow = new QHBoxLayout;
    resistance_ = new QLineEdit(this);
    resistanceRow->addWidget(resistance_);
    resistanceRow->addWidget(new QLabel(QStringLiteral("Ohm"), this));
    resistanceCaption_ = new QLabel(fromUtf8("Drahtwiderstand:"), this);
    form->addRow(resistanceCaption_, resistanceRow);

    negative_ = new QCheckBox(fromUtf8(kCaptionNegative), this);
    optimize_ = new QCheckBox(fromUtf8(kCaptionOptimize), this);
    form->addRow(negative_);
    form->addRow(optimize_);

    label_ = new QLineEdit(this);
    label_->setMaxLength(kMaxPartLabel);
    form->addRow(fromUtf8("Bezeichnung:"), label_);

    driver_ = new QComboBox(this);
    for (const std::string& d : drivers) {
        driver_->addItem(fromUtf8(d));
    }
    form->addRow(fromUtf8("Chassis:"), driver_);

    auto* buttons = okCancel(this);
    library_ = buttons->addButton(fromUtf8("Bibliothek ..."), QDialogButtonBox::ActionRole);
    connect(library_, &QPushButton::clicked, this, [this] { openLibrary(); });
    layout->addWidget(buttons);

    connect(kind_, &QComboBox::currentIndexChanged, this, [this] { kindChanged(); });
    setValues(start);
}

void PartDialogWindow::setValues(const PartDialog& d) {
    kind_->setCurrentIndex(std::clamp(d.typ, 0, kPartKinds - 1));
    value_->setText(fromUtf8(d.valueText));
    resistance_->setText(fromUtf8(d.resistanceText));
    negative_->setChecked(d.negative);
    optimize_->setChecked(d.optimize);
    label_->setText(fromUtf8(clipPartLabel(d.label)));
    if (d.driver >= 0 && d.driver < driver_->count()) {
        driver_->setCurrentIndex(d.driver);
    } else {
        hiddenDriver_ = d.driver;
        driver_->setCurrentIndex(-1);
    }
    kindChanged();
}

PartDialog PartDialogWindow::values() const {
    PartDialog d;
    d.typ = kind_->currentIndex();
    d.valueText = toUtf8(value_->text());
    d.resistanceText = toUtf8(resistance_->text());
    d.negative = negative_->isChecked();
    d.optimize = optimize_->isChecked() && partMayOptimize(d.typ);
    d.label = clipPartLabel(toUtf8(label_->text()));
    d.driver = driver_->currentIndex() >= 0 ? driver_->currentIndex() : hiddenDriver_;
    return d;
}

void PartDialogWindow::kindChanged() {
    const int typ = kind_->currentIndex();
    value_->setEnabled(partHasValue(typ));
    valueUnit_->setText(fromUtf8(partValueUnit(typ)));
    resistance_->setEnabled(partHasResistance(typ));
    resistanceCaption_->setEnabled(partHasResistance(typ));
    // The optimizer varies only resistors, capacitors and coils.
    optimize_->setEnabled(partMayOptimize(typ));
    if (!partMayOptimize(typ)) {
        optimize_->setChecked(false);
    }
    driver_->setEnabled(partNamesDriver(typ));
}

void PartDialogWindow::openLibrary() {
    auto* library = new PartLibraryDialog(readPartLibrary(partsFolder_), values(), this);
    connect(library, &QDialog::finished, library, &QObject::deleteLater);
    connect(library, &QDialog::accepted, this, [this, library] {
        PartDialog d = values();
        if (library->choose(d)) {
            setValues(d);
        }
    });
    library->open();
}

void placeNextToPointer(QWidget* dialog, QPoint global) {
    dialog->adjustSize();
    const QScreen* screen = QGuiApplication::screenAt(global);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QSize size = dialog->frameGeometry().size();
    QPoint at = global + QPoint(kPointerOffset, kPointerOffset);
    if (screen != nullptr) {
        const QRect room = screen->availableGeometry();
        // Over the pointer's other side when there is no room to the right or below.
        if (at.x() + size.width() > room.right()) {
            at.setX(global.x() - kPointerOffset - size.width());
        }
        if (at.y() + size.height() > room.bottom()) {
            at.setY(global.y() - kPointerOffset - size.height());
        }
        at.setX(
            std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())));
        at.setY(
            std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - size.height())));
    }
    dialog->move(at);
}

// ---- free wires

FreeWiresDialog::FreeWiresDialog(const FreeWires& start, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("freeWires"));
    setWindowTitle(promptCaption() + QStringLiteral(" - ") + fromUtf8("freie Drahtverbindungen"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(fromUtf8("Knoten 1"), this), 0, 1);
    grid->addWidget(new QLabel(fromUtf8("Knoten 2"), this), 0, 2);
    const int width = fontMetrics().horizontalAdvance(QLatin1Char('0')) * (kNodeFieldChars + 2);
    for (int k = 0; k < kFreeWires; ++k) {
        const FreeWireEntry& e = start.entries[k];
        Row& r = rows_[k];
        r.on = new QCheckBox(fromUtf8(freeWireCaption(k)), this);
        r.on->setChecked(e.on);
        r.nod1 = new QLineEdit(QString::number(e.nod1), this);
        r.nod2 = new QLineEdit(QString::number(e.nod2), this);
        for (QLineEdit* field : {r.nod1, r.nod2}) {
            field->setMinimumWidth(width);
        }
        grid->addWidget(r.on, k + 1, 0);
        grid->addWidget(r.nod1, k + 1, 1);
        grid->addWidget(r.nod2, k + 1, 2);
    }
    layout->addLayout(grid);
    layout->addWidget(okCancel(this));
}

FreeWires FreeWiresDialog::values() const {
    FreeWires wires;
    for (int k = 0; k < kFreeWires; ++k) {
        FreeWireEntry& e = wires.entries[k];
        e.on = rows_[k].on->isChecked();
        e.nod1 = readFreeWireNode(toUtf8(rows_[k].nod1->text()));
        e.nod2 = readFreeWireNode(toUtf8(rows_[k].nod2->text()));
    }
    return wires;
}

// ---- key assignment

MouseAssignmentDialog::MouseAssignmentDialog(std::int32_t code, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("mouseAssignment"));
    setWindowTitle(promptCaption() + QStringLiteral(" - ") + fromUtf8("Maustastenbelegung"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    const MouseAssignment start = mouseAssignmentOf(code);
    for (int position = 1; position <= kMouseCombinations; ++position) {
        auto* choice = new QComboBox(this);
        for (int action = 0; action <= kEditorActions; ++action) {
            choice->addItem(fromUtf8(editorActionCaption(static_cast<EditorAction>(action))));
        }
        choice->setCurrentIndex(static_cast<int>(start.actions[position - 1]));
        form->addRow(fromUtf8(combinationCaption(position)), choice);
        choices_[position - 1] = choice;
    }
    layout->addLayout(form);
    layout->addWidget(okCancel(this));
}

std::int32_t MouseAssignmentDialog::code() const {
    MouseAssignment a;
    for (int k = 0; k < kMouseCombinations; ++k) {
        a.actions[k] =
            static_cast<EditorAction>(std::clamp(choices_[k]->currentIndex(), 0, kEditorActions));
    }
    return mouseCodeOf(a);
}

} // namespace sonora::ui
