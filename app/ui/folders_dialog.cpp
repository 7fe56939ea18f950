#include "app/ui/folders_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/file_dialogs.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"
#include "storage/folders.h"

namespace sonora::ui {

namespace {

struct FolderRow {
    const char* caption; // UTF-8
    const char* title;   // the chooser's title, UTF-8
    std::string FolderPresets::*field;
};

const std::array<FolderRow, kFolderCount>& folderRows() {
    static const std::array<FolderRow, kFolderCount> rows = {{
        {"Chassis", "Verzeichnis für Chassisdateien auswählen", &FolderPresets::drivers},
        {"Projekte", "Verzeichnis für Projektdateien auswählen", &FolderPresets::projects},
        {"Weichenbauteile", "Verzeichnis für Weichenbauteildateien auswählen",
         &FolderPresets::parts},
        {"Reports", "Verzeichnis für Reportdateien auswählen", &FolderPresets::reports},
        {"Publikationen", "Verzeichnis für Publikationen auswählen", &FolderPresets::publications},
        {"Bausätze", "Verzeichnis für Bausätze auswählen", &FolderPresets::kits},
    }};
    return rows;
}

constexpr int kButtonColumn = 2;

} // namespace

const char* folderChooserTitle(int k) {
    return k >= 0 && k < kFolderCount ? folderRows()[static_cast<std::size_t>(k)].title : "";
}

QString chooseFolder(QWidget* parent, const QString& title, const QString& start) {
    return existingFolder(parent, title, start);
}

QString pathsText(const FolderPaths& folders) {
    return fromLatin1(pathsListing(folders));
}

FoldersDialog::FoldersDialog(const ProgramEnvironment& environment, FoldersClosed closed,
                             QWidget* parent)
    : QDialog(parent), closed_(std::move(closed)) {
    setObjectName(QStringLiteral("folders"));
    setWindowTitle(QStringLiteral("Verzeichnisse"));
    auto* layout = new QVBoxLayout(this);
    presets_ = new QCheckBox(QStringLiteral("Verzeichnisvorgaben verwenden"), this);
    presets_->setChecked(environment.settings.usePresets);
    layout->addWidget(presets_);

    // The folders in effect: with presets off these are the derived ones.
    const FolderPresets shown = presetsOf(environment.folders);
    auto* grid = new QGridLayout;
    for (int k = 0; k < kFolderCount; ++k) {
        const FolderRow& row = folderRows()[static_cast<std::size_t>(k)];
        auto* field = new QLineEdit(fromUtf8(shown.*row.field), this);
        auto* button = new QPushButton(QStringLiteral("suchen ..."), this);
        grid->addWidget(new QLabel(QString::fromUtf8(row.caption), this), k, 0);
        grid->addWidget(field, k, 1);
        grid->addWidget(button, k, kButtonColumn);
        fields_[static_cast<std::size_t>(k)] = field;
        buttons_[static_cast<std::size_t>(k)] = button;
        connect(button, &QPushButton::clicked, this, [this, k] { search(k); });
    }
    layout->addLayout(grid);
    const auto enableButtons = [this](bool on) {
        for (QPushButton* b : buttons_) {
            b->setEnabled(on);
        }
    };
    connect(presets_, &QCheckBox::toggled, this, enableButtons);
    enableButtons(presets_->isChecked());

    paths_ = new QPlainTextEdit(this);
    paths_->setReadOnly(true);
    paths_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(paths_);
    showPaths(environment.folders);

    auto* box = new QDialogButtonBox(QDialogButtonBox::Close, this);
    germanButtons(box);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(box);
    // However the dialog ends, its folders are stored (with presets off they are dropped again).
    connect(this, &QDialog::finished, this, [this] {
        if (!reported_) {
            reported_ = true;
            closed_(usePresets(), texts());
        }
    });
}

void FoldersDialog::search(int k) {
    if (k < 0 || k >= kFolderCount) {
        return;
    }
    QLineEdit* field = folderField(k);
    const QString folder = chooser_(this, QString::fromUtf8(folderChooserTitle(k)), field->text());
    if (!folder.isEmpty()) {
        field->setText(fromUtf8(withTrailingSeparator(toUtf8(folder))));
    }
}

void FoldersDialog::showPaths(const FolderPaths& folders) {
    paths_->setPlainText(pathsText(folders));
}

bool FoldersDialog::usePresets() const {
    return presets_->isChecked();
}

FolderPresets FoldersDialog::texts() const {
    FolderPresets t;
    for (int k = 0; k < kFolderCount; ++k) {
        t.*folderRows()[static_cast<std::size_t>(k)].field =
            toUtf8(folderField(k)->text().trimmed());
    }
    return t;
}

} // namespace sonora::ui
