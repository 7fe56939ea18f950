#include "app/ui/driver_copy_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {
constexpr int kSwapAction = 1; // index of "tauschen mit" in the action choice
} // namespace

DriverCopyDialog::DriverCopyDialog(const TProjekt& project, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("Chassis kopieren"));
    auto* layout = new QVBoxLayout(this);
    auto* row = new QGridLayout;
    source_ = new QComboBox(this);
    target_ = new QComboBox(this);
    const int drivers = std::clamp<int>(project.nChassis, 1, kMaxChassis);
    for (int n = 0; n < drivers; ++n) {
        const QString entry =
            QStringLiteral("Chassis %1: ").arg(n + 1) + fromLatin1(project.chassis[n].name.str());
        source_->addItem(entry);
        target_->addItem(entry);
    }
    target_->setCurrentIndex(std::min(1, drivers - 1));
    action_ = new QComboBox(this);
    action_->addItem(QString::fromUtf8("kopieren nach"));
    action_->addItem(QString::fromUtf8("tauschen mit"));
    row->addWidget(source_, 0, 0);
    row->addWidget(action_, 0, 1);
    row->addWidget(target_, 0, 2);
    layout->addLayout(row);
    einbau_ = new QCheckBox(QString::fromUtf8("incl. Gehäusedaten"), this);
    schallwand_ = new QCheckBox(QString::fromUtf8("incl. Schallwanddaten"), this);
    layout->addWidget(einbau_);
    layout->addWidget(schallwand_);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    germanButtons(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(box);
}

DriverCopyRequest DriverCopyDialog::request() const {
    DriverCopyRequest r;
    r.source = source_->currentIndex();
    r.target = target_->currentIndex();
    r.swap = action_->currentIndex() == kSwapAction;
    r.withEinbau = einbau_->isChecked();
    r.withSchallwand = schallwand_->isChecked();
    return r;
}

} // namespace sonora::ui
