#include "app/ui/export_window.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "analysis/curve_export.h"
#include "app/ui/file_dialogs.h"
#include "app/ui/qt_text.h"
#include "measure/results_export.h"
#include "storage/latin1.h"

namespace sonora::ui {

namespace {

constexpr int kNoButton = 2; // second button of the overwrite question, also its default

QString latin1View(std::string_view text) {
    return fromLatin1(std::string(text));
}

} // namespace

QString chooseExportFile(QWidget* parent, const ExportSaveDialog& dialog) {
    // The window asks before overwriting, in the program's own words.
    return runFileDialog(
        parent, {FileDialogMode::Save, dialog.title, dialog.folder, dialog.filter, {}, false});
}

QString chooseCurveFolder(QWidget* parent, const QString& title, const QString& start) {
    return existingFolder(parent, title, start);
}

QString qtNameFilter(std::string_view pairs) {
    const QStringList parts = latin1View(pairs).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
        // Qt reads "*.*" as "names with a dot"; the filter means every file.
        QString pattern = parts.at(k + 1);
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(parts.at(k), pattern);
    }
    return filters.join(QStringLiteral(";;"));
}

QString withDefaultExtension(const QString& path, std::string_view extension) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) {
        return path;
    }
    return path + latin1View(extension);
}

std::string exportOverwriteQuestion(const std::string& pathUtf8) {
    return utf8ToLatin1(pathUtf8 + " ist bereits vorhanden.\r\nMöchten Sie die Datei ersetzen?");
}

ExportWindow::ExportWindow(ExportResultSource result, QString startFolder, UserPrompt& prompt,
                           QWidget* parent)
    : QDialog(parent), result_(std::move(result)), startFolder_(std::move(startFolder)),
      prompt_(prompt) {
    setWindowTitle(latin1View(kExportWindowCaption));
    auto* groups = new QHBoxLayout;
    for (const ExportGroup group :
         {ExportGroup::Box, ExportGroup::Chassis, ExportGroup::Amplifier}) {
        auto* box = new QGroupBox(latin1View(exportGroupCaption(group)), this);
        auto* column = new QVBoxLayout(box);
        for (const ExportSectionInfo& info : kExportSectionTable) {
            if (info.group != group) {
                continue;
            }
            auto* check = new QCheckBox(latin1View(info.caption), box);
            column->addWidget(check);
            boxes_[static_cast<std::size_t>(info.section)] = check;
        }
        column->addStretch(1);
        groups->addWidget(box, 0, Qt::AlignTop);
    }
    export_ = new QPushButton(QStringLiteral("exportieren .."), this);
    cancel_ = new QPushButton(QStringLiteral("Abbruch"), this);
    export_->setDefault(true);
    connect(export_, &QPushButton::clicked, this, [this] { exportWithDialog(); });
    connect(cancel_, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(export_);
    buttons->addWidget(cancel_);
    // The curves for other programs: one file per curve, into a folder.
    auto* curves = new QGroupBox(QString::fromUtf8("Kurven für andere Programme"), this);
    angles_ = new QLineEdit(latin1View(kDefaultCurveAngles), curves);
    angles_->setToolTip(QString::fromUtf8(
        "Box-Frequenzgänge in den Ebenen, durch Komma getrennt: H horizontal (> 0 rechts vom "
        "Hörer aus), V vertikal (> 0 oben), ganze Grad von -180 bis 180. Achse, Hörfenster, "
        "jedes Chassis und jeder Verstärker werden immer geschrieben."));
    impulses_ = new QCheckBox(QStringLiteral("Impuls- und Sprungantworten"), curves);
    impulses_->setToolTip(QString::fromUtf8(
        "Box auf Achse und jedes Chassis über der Zeit, je eine Tabelle (Zeit, Impulsantwort, "
        "Sprungantwort); Abtastrate, Länge und Fenster stehen im Kopf der Datei."));
    curves_ = new QPushButton(QString::fromUtf8("Kurven für andere Programme (FRD/ZMA) …"), curves);
    connect(curves_, &QPushButton::clicked, this, [this] { writeCurvesWithDialog(); });
    auto* curveRow = new QHBoxLayout(curves);
    curveRow->addWidget(new QLabel(QStringLiteral("Winkel:"), curves));
    curveRow->addWidget(angles_, 1);
    curveRow->addWidget(impulses_);
    curveRow->addWidget(curves_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(curves);
    layout->addLayout(buttons);
}

ExportSections ExportWindow::sections() const {
    ExportSections chosen;
    for (const ExportSectionInfo& info : kExportSectionTable) {
        if (checkBox(info.section)->isChecked()) {
            chosen.add(info.section);
        }
    }
    return chosen;
}

bool ExportWindow::exportWithDialog() {
    const ExportSaveDialog dialog{latin1View(kExportSaveTitle), startFolder_,
                                  qtNameFilter(kExportFilter)};
    const QString chosen = withDefaultExtension(chooser_(this, dialog), kExportExtension);
    if (chosen.isEmpty()) {
        return false; // cancelled: nothing happens
    }
    const std::string path = toUtf8(chosen);
    if (QFileInfo::exists(chosen) &&
        prompt_.choose(exportOverwriteQuestion(path), "&Ja|&Nein", kNoButton) != 1) {
        return false; // the existing file stays as it is; the window stays open
    }
    const TResult* result = result_ ? result_() : nullptr;
    std::string message;
    if (result == nullptr) {
        message = utf8ToLatin1("Es liegt noch kein Rechenergebnis vor.");
    } else {
        std::string error;
        // A failed write leaves the old file untouched; saying "written" then would be false, so
        // the reason naming the file is shown instead.
        message = writeResultsExport(path, *result, sections(), error) ? exportWrittenMessage(path)
                                                                       : utf8ToLatin1(error);
    }
    UserPrompt& prompt = prompt_; // the window may be gone once closed
    close();
    prompt.showMessage(message);
    return true;
}

bool ExportWindow::writeCurvesWithDialog() {
    CurveExportChoice choice;
    choice.impulses = impulses_->isChecked();
    std::string error;
    if (!parsePlaneAngles(toUtf8(angles_->text()), choice.angles, error)) {
        prompt_.showMessage(utf8ToLatin1(error)); // before the dialog: the list needs fixing
        return false;
    }
    const QString folder =
        folderChooser_(this, QString::fromUtf8("Ordner für die Kurven wählen"), startFolder_);
    if (folder.isEmpty()) {
        return false; // cancelled: nothing happens
    }
    const TResult* result = result_ ? result_() : nullptr;
    if (result == nullptr) {
        prompt_.showMessage(utf8ToLatin1("Es liegt noch kein Rechenergebnis vor."));
        return false;
    }
    const std::string path = toUtf8(folder);
    std::vector<std::string> written;
    if (!writeCurveExport(path, *result, projectName_ ? projectName_() : std::string(), choice,
                          written, error)) {
        prompt_.showMessage(utf8ToLatin1(error)); // the window stays open for another folder
        return false;
    }
    UserPrompt& prompt = prompt_; // the window may be gone once closed
    close();
    prompt.showMessage(
        utf8ToLatin1(std::to_string(written.size()) + " Kurven geschrieben in Ordner\r\n" + path));
    return true;
}

ExportWindow* showExportWindow(QWidget* parent, ExportResultSource result,
                               const std::string& startFolderUtf8, UserPrompt& prompt,
                               ExportProjectName projectName) {
    auto* window = parent != nullptr
                       ? parent->findChild<ExportWindow*>(QString(), Qt::FindDirectChildrenOnly)
                       : nullptr;
    if (window == nullptr || !window->isVisible()) {
        window = new ExportWindow(std::move(result), fromUtf8(startFolderUtf8), prompt, parent);
        window->setProjectName(std::move(projectName));
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace sonora::ui
