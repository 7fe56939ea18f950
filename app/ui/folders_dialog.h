// The folders dialog: the six data folders, "Verzeichnisvorgaben verwenden", a "suchen ..." button
// with its folder chooser beside each folder, and the "Pfade:" listing of the folders in effect.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "storage/settings.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace sonora::ui {

// The six folders in the dialog's order: drivers, projects, parts, reports, publications, kits.
inline constexpr int kFolderCount = 6;

// The folder chooser's title of folder `k` (UTF-8), e.g. "Verzeichnis für Chassisdateien
// auswählen".
const char* folderChooserTitle(int k);

// Asks for a folder, starting in `start`; an empty text means cancelled.
using FolderChooser =
    std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
QString chooseFolder(QWidget* parent, const QString& title, const QString& start);

// Closing the dialog hands over the check box and the six texts (UTF-8 folders).
using FoldersClosed = std::function<void(bool usePresets, const FolderPresets& texts)>;

// The "Pfade:" listing as the dialog shows it.
QString pathsText(const FolderPaths& folders);

class FoldersDialog : public QDialog {
    Q_OBJECT
public:
    // `environment` gives the folders in effect and the check box; `closed` is called once,
    // whichever way the dialog is closed.
    FoldersDialog(const ProgramEnvironment& environment, FoldersClosed closed,
                  QWidget* parent = nullptr);

    void setFolderChooser(FolderChooser chooser) { chooser_ = std::move(chooser); }
    // The folder chooser of folder `k`; the chosen folder goes into its field.
    void search(int k);
    // The listing after the folders changed (the caller's new environment).
    void showPaths(const FolderPaths& folders);

    bool usePresets() const;
    FolderPresets texts() const;
    QCheckBox* presetsBox() const { return presets_; }
    QLineEdit* folderField(int k) const { return fields_[static_cast<std::size_t>(k)]; }
    QPushButton* searchButton(int k) const { return buttons_[static_cast<std::size_t>(k)]; }
    QPlainTextEdit* pathsListing() const { return paths_; }

private:
    FoldersClosed closed_;
    FolderChooser chooser_ = chooseFolder;
    bool reported_ = false;
    QCheckBox* presets_ = nullptr;
    std::array<QLineEdit*, kFolderCount> fields_{};
    std::array<QPushButton*, kFolderCount> buttons_{};
    QPlainTextEdit* paths_ = nullptr;
};

} // namespace sonora::ui
