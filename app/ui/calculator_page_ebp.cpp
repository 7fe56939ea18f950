#include "app/ui/calculator_page_ebp.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "acoustics/box_calc_driver.h"
#include "acoustics/box_calc_q.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

QString caption(std::string_view name) {
    return fieldCaption(ebpFields(), name);
}

} // namespace

EbpPage::EbpPage(const DriverLoading& loading, QWidget* parent)
    : QWidget(parent), loading_(loading), entries_([this] { recalculate(); }) {
    const EbpInput start;
    auto* group = new QGroupBox(QString::fromUtf8(kEbpCaption));
    form_ = new QFormLayout(group);
    addNumberRow(form_, entries_, "fs", caption("fs"), start.fs);
    addNumberRow(form_, entries_, "qts", caption("qts"), start.qts);
    form_->addRow(entries_.addSwitch("qesqms", caption("qesqms"), start.qesQmsKnown));
    addNumberRow(form_, entries_, "qes", caption("qes"), start.qes);
    addNumberRow(form_, entries_, "qms", caption("qms"), start.qms);
    load_ = new QPushButton(loadDriverCaption());
    load_->setObjectName(QStringLiteral("loadDriver"));
    connect(load_, &QPushButton::clicked, this, &EbpPage::loadDriver);
    form_->addRow(load_);
    message_ = new QLabel;
    message_->setObjectName(QStringLiteral("loadMessage"));
    form_->addRow(message_);
    form_->addRow(new QLabel(QString::fromUtf8(kEbpListCaption)));
    result_ = new ResultMemo;
    result_->setObjectName(QStringLiteral("ebpResult"));
    form_->addRow(result_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();

    updating_ = false;
    recalculate();
}

void EbpPage::recalculate() {
    if (updating_) {
        return;
    }
    const EbpInput in = input();
    const EbpResult r = calcEbp(in);
    if (in.qesQmsKnown) {
        updating_ = true;
        entries_.number("qts")->setText(fromLatin1(r.qtsText));
        updating_ = false;
    }
    entries_.number("qts")->setEnabled(!in.qesQmsKnown);
    form_->setRowVisible(entries_.number("qes"), in.qesQmsKnown);
    form_->setRowVisible(entries_.number("qms"), in.qesQmsKnown);
    result_->setLines(r.lines);
}

void EbpPage::loadDriver() {
    const QString path = loading_.chooser(this, loading_.folder, driverFileFilter());
    if (path.isEmpty() || loading_.prompt == nullptr) {
        return;
    }
    EbpInput in = input();
    std::string message;
    if (!loadDriverFileParameters(toUtf8(path), in, *loading_.prompt, message)) {
        return; // the reader has shown why
    }
    updating_ = true;
    entries_.checkBox("qesqms")->setChecked(in.qesQmsKnown);
    entries_.setNumber("fs", in.fs, kDriverFieldDigits);
    entries_.setNumber("qes", in.qes, kDriverFieldDigits);
    entries_.setNumber("qms", in.qms, kDriverFieldDigits);
    updating_ = false;
    message_->setText(fromLatin1(message));
    recalculate();
}

} // namespace sonora::ui
