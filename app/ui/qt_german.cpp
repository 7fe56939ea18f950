#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace sonora::ui {

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
        return fromUtf8("&Ok");
    case QDialogButtonBox::Cancel:
    case QDialogButtonBox::Abort:
        return fromUtf8("&Abbruch");
    case QDialogButtonBox::Close:
        return fromUtf8("&Schließen");
    case QDialogButtonBox::Yes:
        return fromUtf8("&Ja");
    case QDialogButtonBox::No:
        return fromUtf8("&Nein");
    case QDialogButtonBox::YesToAll:
        return fromUtf8("Ja, &alle");
    case QDialogButtonBox::NoToAll:
        return fromUtf8("N&ein, keine");
    case QDialogButtonBox::Apply:
        return fromUtf8("&Übernehmen");
    case QDialogButtonBox::Save:
        return fromUtf8("&Speichern");
    case QDialogButtonBox::SaveAll:
        return fromUtf8("&Alle speichern");
    case QDialogButtonBox::Open:
        return fromUtf8("Ö&ffnen");
    case QDialogButtonBox::Discard:
        return fromUtf8("&Verwerfen");
    case QDialogButtonBox::Retry:
        return fromUtf8("&Wiederholen");
    case QDialogButtonBox::Ignore:
        return fromUtf8("&Ignorieren");
    case QDialogButtonBox::Reset:
        return fromUtf8("&Zurücksetzen");
    case QDialogButtonBox::RestoreDefaults:
        return fromUtf8("&Voreinstellung wiederherstellen");
    case QDialogButtonBox::Help:
        return fromUtf8("&Hilfe");
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
    dialog->setLabelText(QFileDialog::LookIn, fromUtf8("Suchen in:"));
    dialog->setLabelText(QFileDialog::FileName,
                         folders ? fromUtf8("&Verzeichnis:") : fromUtf8("Datei&name:"));
    dialog->setLabelText(QFileDialog::FileType, fromUtf8("Datei&typ:"));
    dialog->setLabelText(QFileDialog::Accept, saving    ? fromUtf8("&Speichern")
                                              : folders ? fromUtf8("&Auswählen")
                                                        : fromUtf8("Ö&ffnen"));
    dialog->setLabelText(QFileDialog::Reject, standardButtonCaption(QDialogButtonBox::Cancel));
}

} // namespace sonora::ui
