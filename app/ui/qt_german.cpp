#include "app/ui/qt_german.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace sonora::ui {

namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

QTranslator* installGermanTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_de"), folder) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

QString standardButtonCaption(QDialogButtonBox::StandardButton which) {
    switch (which) {
    case QDialogButtonBox::Ok:
        return text("&Ok");
    case QDialogButtonBox::Cancel:
    case QDialogButtonBox::Abort:
        return text("&Abbruch");
    case QDialogButtonBox::Close:
        return text("&Schließen");
    case QDialogButtonBox::Yes:
        return text("&Ja");
    case QDialogButtonBox::No:
        return text("&Nein");
    case QDialogButtonBox::YesToAll:
        return text("Ja, &alle");
    case QDialogButtonBox::NoToAll:
        return text("N&ein, keine");
    case QDialogButtonBox::Apply:
        return text("&Übernehmen");
    case QDialogButtonBox::Save:
        return text("&Speichern");
    case QDialogButtonBox::SaveAll:
        return text("&Alle speichern");
    case QDialogButtonBox::Open:
        return text("Ö&ffnen");
    case QDialogButtonBox::Discard:
        return text("&Verwerfen");
    case QDialogButtonBox::Retry:
        return text("&Wiederholen");
    case QDialogButtonBox::Ignore:
        return text("&Ignorieren");
    case QDialogButtonBox::Reset:
        return text("&Zurücksetzen");
    case QDialogButtonBox::RestoreDefaults:
        return text("&Voreinstellung wiederherstellen");
    case QDialogButtonBox::Help:
        return text("&Hilfe");
    default:
        return {};
    }
}

void germanButtons(QDialogButtonBox* box) {
    if (box == nullptr) {
        return;
    }
    for (QAbstractButton* button : box->buttons()) {
        const QString caption = standardButtonCaption(box->standardButton(button));
        if (!caption.isEmpty()) {
            button->setText(caption);
        }
    }
}

void germanButtons(QMessageBox* box) {
    if (box == nullptr) {
        return;
    }
    for (QAbstractButton* button : box->buttons()) {
        // QMessageBox's standard buttons carry the same values as QDialogButtonBox's.
        const auto which =
            static_cast<QDialogButtonBox::StandardButton>(box->standardButton(button));
        const QString caption = standardButtonCaption(which);
        if (!caption.isEmpty()) {
            button->setText(caption);
        }
    }
}

void germanButtons(QInputDialog* dialog) {
    dialog->setOkButtonText(standardButtonCaption(QDialogButtonBox::Ok));
    dialog->setCancelButtonText(standardButtonCaption(QDialogButtonBox::Cancel));
}

void germanButtons(QColorDialog* dialog) {
    germanButtons(dialog->findChild<QDialogButtonBox*>());
}

void germanLabels(QFileDialog* dialog) {
    const bool folders = dialog->fileMode() == QFileDialog::Directory;
    const bool saving = dialog->acceptMode() == QFileDialog::AcceptSave;
    dialog->setLabelText(QFileDialog::LookIn, text("Suchen in:"));
    dialog->setLabelText(QFileDialog::FileName,
                         folders ? text("&Verzeichnis:") : text("Datei&name:"));
    dialog->setLabelText(QFileDialog::FileType, text("Datei&typ:"));
    dialog->setLabelText(QFileDialog::Accept, saving    ? text("&Speichern")
                                              : folders ? text("&Auswählen")
                                                        : text("Ö&ffnen"));
    dialog->setLabelText(QFileDialog::Reject, standardButtonCaption(QDialogButtonBox::Cancel));
}

} // namespace sonora::ui
