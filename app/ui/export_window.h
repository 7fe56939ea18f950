// The export window "Sonora - Export": the check boxes of the results export in their three
// groups, "exportieren .." with its save dialog and overwrite question, "Abbruch", and the curves
// for other programs (FRD and ZMA files) written into a chosen folder.
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
class QLineEdit;
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

// Asks for the folder of the curve files; an empty text means the dialog was cancelled.
using CurveFolderChooser =
    std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
QString chooseCurveFolder(QWidget* parent, const QString& title, const QString& start);

// The project's name for the headers of the curve files (Latin-1).
using ExportProjectName = std::function<std::string()>;

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
    // Replaces the folder dialog of the curves (tests).
    void setFolderChooser(CurveFolderChooser chooser) { folderChooser_ = std::move(chooser); }
    void setProjectName(ExportProjectName name) { projectName_ = std::move(name); }

    ExportSections sections() const; // the ticked check boxes
    QCheckBox* checkBox(ExportSection section) const {
        return boxes_[static_cast<std::size_t>(section)];
    }
    QPushButton* exportButton() const { return export_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* curvesButton() const { return curves_; }
    QLineEdit* anglesField() const { return angles_; }
    QCheckBox* impulsesBox() const { return impulses_; }

    // "exportieren ..": save dialog, overwrite question, the export, closing and the final
    // message. Returns true when the window closed after an export attempt.
    bool exportWithDialog();

    // "Kurven für andere Programme (FRD/ZMA) …": folder dialog, then the files of the core's
    // curve export with the angles of the field (and the impulse and step responses when their
    // box is ticked). Closes the window and reports what was written;
    // an unreadable angle list or a failed write is reported and the window stays open. Returns
    // true when files were written.
    bool writeCurvesWithDialog();

private:
    ExportResultSource result_;
    QString startFolder_;
    UserPrompt& prompt_;
    ExportFileChooser chooser_ = chooseExportFile;
    CurveFolderChooser folderChooser_ = chooseCurveFolder;
    ExportProjectName projectName_;
    std::array<QCheckBox*, kExportSectionCount> boxes_{};
    QPushButton* export_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* curves_ = nullptr;
    QLineEdit* angles_ = nullptr;
    QCheckBox* impulses_ = nullptr;
};

// Opens the export window of `parent` (one at a time: an open one is brought to the front). It
// deletes itself when closed.
ExportWindow* showExportWindow(QWidget* parent, ExportResultSource result,
                               const std::string& startFolderUtf8, UserPrompt& prompt,
                               ExportProjectName projectName = {});

} // namespace sonora::ui
