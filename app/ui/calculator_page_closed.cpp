#include "app/ui/calculator_page_closed.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "acoustics/box_calc_driver.h"
#include "acoustics/box_calc_q.h"
#include "app/ui/calculator_page_pictures.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

QString caption(std::string_view name) {
    return fieldCaption(closedVentedFields(), name);
}

} // namespace

ClosedVentedPage::ClosedVentedPage(const DriverLoading& loading, QWidget* parent)
    : QWidget(parent), loading_(loading), entries_([this] { recalculate(); }) {
    const ClosedVentedInput start;

    auto* driver = new QGroupBox(QString::fromUtf8("Chassisparameter"));
    driverForm_ = new QFormLayout(driver);
    addNumberRow(driverForm_, entries_, "qts", caption("qts"), start.qts);
    driverForm_->addRow(entries_.addSwitch("qesqms", caption("qesqms"), start.qesQmsKnown));
    addNumberRow(driverForm_, entries_, "qes", caption("qes"), start.qes);
    addNumberRow(driverForm_, entries_, "qms", caption("qms"), start.qms);
    addNumberRow(driverForm_, entries_, "vas", caption("vas"), start.vas);
    addNumberRow(driverForm_, entries_, "fs", caption("fs"), start.fs);
    driverForm_->addRow(entries_.addSwitch("series", caption("series"), start.seriesResistor));
    addNumberRow(driverForm_, entries_, "rdc", caption("rdc"), start.rdc);
    addNumberRow(driverForm_, entries_, "rv", caption("rv"), start.rv);
    load_ = new QPushButton(loadDriverCaption());
    load_->setObjectName(QStringLiteral("loadDriver"));
    connect(load_, &QPushButton::clicked, this, &ClosedVentedPage::loadDriver);
    driverForm_->addRow(load_);
    message_ = new QLabel;
    message_->setObjectName(QStringLiteral("loadMessage"));
    driverForm_->addRow(message_);

    auto* closed = new QGroupBox(QString::fromUtf8("Auslegung geschlossene Box"));
    auto* closedForm = new QFormLayout(closed);
    addNumberRow(closedForm, entries_, "qtc", caption("qtc"), start.qtc);
    closedBox_ = new ResultMemo;
    closedBox_->setObjectName(QStringLiteral("closedBox"));
    closedForm->addRow(closedBox_);

    auto* vented = new QGroupBox(QString::fromUtf8("Auslegung Baßreflexbox (nach Hoge)"));
    auto* ventedLayout = new QVBoxLayout(vented);
    ventedBox_ = new ResultMemo;
    ventedBox_->setObjectName(QStringLiteral("ventedBox"));
    ventedLayout->addWidget(ventedBox_);

    auto* other = new QGroupBox(QString::fromUtf8(
        "Falls Volumen oder f3 nicht o.k., bitte nachfolgend anderes Volumen eingeben"));
    auto* otherForm = new QFormLayout(other);
    // An empty field: no alternative volume yet.
    addNumberRow(otherForm, entries_, "valt", caption("valt"), start.altVolume,
                 !(start.altVolume > 0));
    alternative_ = new ResultMemo;
    alternative_->setObjectName(QStringLiteral("alternative"));
    otherForm->addRow(alternative_);

    auto* left = new QVBoxLayout;
    left->addWidget(driver);
    left->addWidget(new BoxPicture);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(closed);
    right->addWidget(vented);
    right->addWidget(other);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    updating_ = false;
    recalculate();
}

void ClosedVentedPage::recalculate() {
    if (updating_) {
        return;
    }
    const ClosedVentedInput in = input();
    const ClosedVentedResult r = calcClosedVented(in);
    updating_ = true;
    if (in.qesQmsKnown) {
        entries_.number("qts")->setText(fromLatin1(r.qtsText));
    }
    // The calculation turns the series resistor off when Rdc is not above 0.
    entries_.checkBox("series")->setChecked(r.seriesResistor);
    updating_ = false;

    entries_.number("qts")->setEnabled(!in.qesQmsKnown);
    driverForm_->setRowVisible(entries_.number("qes"), in.qesQmsKnown);
    driverForm_->setRowVisible(entries_.number("qms"), in.qesQmsKnown);
    // Rdc and Rv belong to the switch; a refused Rdc stays in sight, since the switch cannot be
    // turned on again before Rdc is corrected.
    const bool seriesFields = r.seriesResistor || !(in.rdc > 0);
    driverForm_->setRowVisible(entries_.number("rdc"), seriesFields);
    driverForm_->setRowVisible(entries_.number("rv"), seriesFields);

    closedBox_->setLines(r.closedBox);
    ventedBox_->setLines(r.ventedBox);
    alternative_->setLines(r.alternative);
}

void ClosedVentedPage::loadDriver() {
    const QString path = loading_.chooser(this, loading_.folder, driverFileFilter());
    if (path.isEmpty() || loading_.prompt == nullptr) {
        return;
    }
    ClosedVentedInput in = input();
    std::string message;
    if (!loadDriverFileParameters(toUtf8(path), in, *loading_.prompt, message)) {
        return; // the reader has shown why
    }
    updating_ = true;
    entries_.checkBox("qesqms")->setChecked(in.qesQmsKnown);
    entries_.setNumber("fs", in.fs, kDriverFieldDigits);
    entries_.setNumber("qes", in.qes, kDriverFieldDigits);
    entries_.setNumber("qms", in.qms, kDriverFieldDigits);
    entries_.setNumber("vas", in.vas, kDriverFieldDigits);
    entries_.setNumber("rdc", in.rdc, kDriverFieldDigits);
    updating_ = false;
    message_->setText(fromLatin1(message));
    recalculate();
}

} // namespace sonora::ui
