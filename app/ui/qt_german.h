// Qt's own parts in German: the translation Qt ships (qtbase_de) and, for the parts the program
// makes itself, its own captions on the standard buttons and file dialogs, so that nothing English
// shows even where the translation is not installed.
#pragma once

#include <QDialogButtonBox>
#include <QString>

class QCoreApplication;
class QColorDialog;
class QFileDialog;
class QInputDialog;
class QMessageBox;
class QTranslator;

namespace sonora::ui {

// The set-up every instance of the program gets right after its application object is made (the
// program, the picture renderer and the window tests alike): loads Qt's German translation from
// Qt's translations folder. Returns the installed translator (owned by `app`), or nullptr when the
// translation is not installed; the program's own captions below do not depend on it.
QTranslator* installGermanTranslation(QCoreApplication& app);

// The program's caption for a standard button, with its mnemonic; empty for NoButton.
QString standardButtonCaption(QDialogButtonBox::StandardButton which);

// Gives every standard button in `box` (or in the message box) its German caption.
void germanButtons(QDialogButtonBox* box);
void germanButtons(QMessageBox* box);
void germanButtons(QInputDialog* dialog);
void germanButtons(QColorDialog* dialog);

// German labels for Qt's own file dialog: "Suchen in:", the file name and type labels and the
// accept and reject buttons (the accept caption follows the dialog's mode and file mode, so set
// those first).
void germanLabels(QFileDialog* dialog);

} // namespace sonora::ui
