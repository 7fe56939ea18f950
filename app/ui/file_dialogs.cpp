#include "app/ui/file_dialogs.h"

#include <QPointer>

#include "app/ui/qt_german.h"

namespace sonora::ui {

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialogRequest& request) {
    auto dialog =
        std::make_unique<QFileDialog>(parent, request.title, request.start, request.filter);
    switch (request.mode) {
    case FileDialogMode::Open:
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
        break;
    case FileDialogMode::Save:
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
        break;
    case FileDialogMode::Folder:
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly, true);
        break;
    }
    if (!request.suffix.isEmpty()) {
        dialog->setDefaultSuffix(request.suffix);
    }
    germanLabels(dialog.get());
    return dialog;
}

QString runFileDialog(QWidget* parent, const FileDialogRequest& request) {
    // The parent may go away while the dialog runs its own event loop; then the dialog goes with
    // it and nothing was chosen.
    QPointer<QFileDialog> dialog = makeFileDialog(parent, request).release();
    const bool accepted = dialog->exec() == QDialog::Accepted;
    if (dialog.isNull()) {
        return {};
    }
    const QStringList chosen = dialog->selectedFiles();
    delete dialog.data();
    return accepted && !chosen.isEmpty() ? chosen.front() : QString();
}

QString openFileName(QWidget* parent, const QString& title, const QString& start,
                     const QString& filter) {
    return runFileDialog(parent, {FileDialogMode::Open, title, start, filter, {}, true});
}

QString saveFileName(QWidget* parent, const QString& title, const QString& start,
                     const QString& filter) {
    return runFileDialog(parent, {FileDialogMode::Save, title, start, filter, {}, true});
}

QString existingFolder(QWidget* parent, const QString& title, const QString& start) {
    return runFileDialog(parent, {FileDialogMode::Folder, title, start, {}, {}, true});
}

} // namespace sonora::ui
