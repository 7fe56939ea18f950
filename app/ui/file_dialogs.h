// The program's file dialogs: one way to build them, with German labels, for every place that asks
// for a file or a folder. Under a desktop the platform's own dialog may stand in for Qt's.
#pragma once

#include <QFileDialog>
#include <QString>
#include <memory>

namespace sonora::ui {

enum class FileDialogMode { Open, Save, Folder };

struct FileDialogRequest {
    FileDialogMode mode = FileDialogMode::Open;
    QString title;
    QString start;  // folder, or folder plus proposed file name
    QString filter; // Qt's form: "Projektdateien (*.LSP *.lsp);;Alle (*)"
    QString suffix; // added to a typed name without one (empty: none)
    bool confirmOverwrite = true;
};

// The dialog, not yet shown.
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogRequest& request);

// Shows the dialog and returns the chosen path, or an empty text when the user cancelled.
QString runFileDialog(QWidget* parent, const FileDialogRequest& request);

QString openFileName(QWidget* parent, const QString& title, const QString& start = {},
                     const QString& filter = {});
QString saveFileName(QWidget* parent, const QString& title, const QString& start,
                     const QString& filter);
QString existingFolder(QWidget* parent, const QString& title, const QString& start);

} // namespace sonora::ui
