// The export window "Sonora - Export": the check boxes of the results export in their three
// groups, "exportieren .." with its save dialog and overwrite question, and "Abbruch".
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "measure/results_export_sections.h"
#include "model/result.h"
#include "model/user_prompt.h"

class QCheckBox;
class QPushButton;

namespace sonora::ui {

// What the save dialog of "exportieren .." shows.
struct ExportSaveDialog {
    QString title;  // "Ergebnisse exportieren"
    QString folder; // start folder
    QString filter; // Qt form of the filter ("*.exp (*.exp);;...")
};

// Asks for the target file; an empty text means the dialog was cancelled. The default chooser is
// the platform's save dialog without its own overwrite question (the window asks through the
// program's prompt, so tests can answer it).
using ExportFileChooser = std::function<QString(QWidget* parent, const ExportSaveDialog& dialog)>;
QString chooseExportFile(QWidget* parent, const ExportSaveDialog& dialog);

// The main window's copy of the last result, read when the export runs (null: none yet).
using ExportResultSource = std::function<const TResult*()>;

// "description|pattern|description|pattern..." as a Qt name filter; "*.*" matches every file.
QString qtNameFilter(std::string_view pairs);

// `path` with `extension` (".exp") appended when its file name has no extension.
QString withDefaultExtension(const QString& path, std::string_view extension);

// The overwrite question for an existing target (Latin-1), answered "&Ja|&Nein".
std::string exportOverwriteQuestion(const std::string& pathUtf8);

class ExportWindow : public QDialog {
    Q_OBJECT
public:
    ExportWindow(ExportResultSource result, QString startFolder, UserPrompt& prompt,
                 QWidget* parent = nullptr);

    // Replaces the save dialog (tests).
    void setFileChooser(ExportFileChooser chooser) { chooser_ = std::move(chooser); }

    ExportSections sections() const; // the ticked check boxes
    QCheckBox* checkBox(ExportSection section) const {
        return boxes_[static_cast<std::size_t>(section)];
    }
    QPushButton* exportButton() const { return export_; }
    QPushButton* cancelButton() const { return cancel_; }

    // "exportieren ..": save dialog, overwrite question, the export, closing and the final
    // message. Returns true when the window closed after an export attempt.
    bool exportWithDialog();

private:
    ExportResultSource result_;
    QString startFolder_;
    UserPrompt& prompt_;
    ExportFileChooser chooser_ = chooseExportFile;
    std::array<QCheckBox*, kExportSectionCount> boxes_{};
    QPushButton* export_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Opens the export window of `parent` (one at a time: an open one is brought to the front). It
// deletes itself when closed.
ExportWindow* showExportWindow(QWidget* parent, ExportResultSource result,
                               const std::string& startFolderUtf8, UserPrompt& prompt);

} // namespace sonora::ui
