// The main window's command menus and the dialogs and editor windows they open. The menu
// captions and enabling follow MenuState; every command goes through the workspace.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

#include "app/ui/active_filter_editor.h"
#include "app/ui/calculators_window.h"
#include "app/ui/chart_view.h"
#include "app/ui/comparison_curves_window.h"
#include "app/ui/crossover_editor_window.h"
#include "app/ui/crossover_finder_window.h"
#include "app/ui/display_options_dialog.h"
#include "app/ui/driver_copy_dialog.h"
#include "app/ui/driver_editor_window.h"
#include "app/ui/file_dialogs.h"
#include "app/ui/folders_dialog.h"
#include "app/ui/main_window.h"
#include "app/ui/near_field_window.h"
#include "app/ui/optimizer_window.h"
#include "app/ui/project_properties_dialog.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_prompt.h"
#include "app/ui/qt_text.h"
#include "app/ui/shared_cabinet_editor.h"
#include "app/ui/thread_monitor.h"
#include "app/ui/tolerance_window.h"

namespace sonora::ui {

namespace {

// One entry per editor kind at most.
constexpr int kMaxWindowEntries = 5;

const char kQuickGuide[] =
    "Kurzanleitung\n\n"
    "1. Unter \u201eBearbeiten \u2192 Projekteigenschaften\u201c legen Sie die Zahl der "
    "Verst\u00e4rker und Chassis und das Frequenzraster fest.\n"
    "2. Im Men\u00fc \u201eChassis\u201c w\u00e4hlen Sie f\u00fcr jedes Chassis seine Daten, "
    "das Geh\u00e4use und die Schallwand.\n"
    "3. In den Men\u00fcs der Verst\u00e4rker bearbeiten Sie die passive Weiche und die aktiven "
    "Filter.\n"
    "4. Nach jeder \u00c4nderung rechnet Sonora neu; die Reiter des Hauptfensters zeigen die "
    "Ergebnisse, die Statuszeile den Fortschritt.\n"
    "5. \u201eReferenz \u2192 Projekt als Referenz merken\u201c h\u00e4lt den Stand fest; die "
    "Diagramme zeigen ihn dann gestrichelt zum Vergleich.\n"
    "6. \u201eBearbeiten \u2192 R\u00fcckg\u00e4ngig\u201c nimmt bis zu 21 Schritte zur\u00fcck.\n"
    "7. \u201eSpinorama\u201c und \u201eReflexionen\u201c zeigen, wie die Box im Raum "
    "abstrahlt, mit der vorhergesagten Bewertung und ihren vier Eingangsgr\u00f6\u00dfen; "
    "\u201eImpulsantwort\u201c und \u201eSprungantwort\u201c zeigen Box und Chassis \u00fcber "
    "der Zeit, Abtastrate, L\u00e4nge und Fenster unter dem Titel.\n"
    "8. \u201eDatei \u2192 Export ...\u201c schreibt die Ergebnisse als Tabelle oder als "
    "FRD/ZMA-Dateien f\u00fcr andere Programme.";

// A dialog that blocks only the main window and deletes itself once it has finished. Not
// WA_DeleteOnClose: that posts the deletion before the accepted/rejected handlers run, and a
// handler that waits for the calculation serves events and could delete the dialog under Qt.
void deleteWhenFinished(QDialog* dialog) {
    QObject::connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
}

void openWindowModal(QDialog* dialog) {
    deleteWhenFinished(dialog);
    dialog->open();
}

} // namespace

// ---- building

void MainWindow::buildCommandMenus() {
    QMenu* edit = menuBar()->addMenu(fromUtf8("&Bearbeiten"));
    undoAction_ = edit->addAction(fromUtf8("Rückgängig"), this, [this] { workspace_->undo(); });
    undoAction_->setObjectName(QStringLiteral("undo"));
    undoAction_->setShortcut(QKeySequence::Undo);
    undoAction_->setEnabled(false);
    edit->addSeparator();
    const auto editAction = [&](const char* caption, const char* name, auto slot) {
        QAction* a = edit->addAction(fromUtf8(caption), this, slot);
        a->setObjectName(QString::fromLatin1(name));
        editActions_.push_back(a);
        return a;
    };
    editAction("Projekteigenschaften ...", "projectProperties",
               [this] { openProjectProperties(); });
    editAction("Anzeigeoptionen ...", "displayOptions", [this] { openDisplayOptions(); });
    edit->addSeparator();
    editAction("Chassis kopieren ...", "driverCopy", [this] { openDriverCopy(); });
    editAction("gemeinsames Außengehäuse", "sharedCabinet", [this] { openSharedCabinetEditor(); });
    edit->addSeparator();
    QAction* visualisation = edit->addAction(fromUtf8("Gehäusevisualisierung ..."), this,
                                             [this] { chooseVisualisationProgram(); });
    visualisation->setObjectName(QStringLiteral("visualisation"));

    // The drivers: one entry per driver slot, shown below nChassis.
    driverMenu_ = menuBar()->addMenu(fromUtf8("&Chassis"));
    driverMenu_->setObjectName(QStringLiteral("driverMenu"));
    for (int n = 0; n < kMaxChassis; ++n) {
        QAction* a = driverMenu_->addAction(QString(), this, [this, n] { openDriverEditor(n); });
        a->setVisible(false);
    }

    // One menu per amplifier output, shown below nAmps.
    for (int amp = 0; amp < kMaxAmps; ++amp) {
        QMenu* m = menuBar()->addMenu(fromUtf8("Verstärker &") + QString::number(amp + 1));
        m->setObjectName(QStringLiteral("ampMenu%1").arg(amp + 1));
        m->addAction(fromUtf8("Passive Weiche editieren"), this,
                     [this, amp] { openCrossoverEditor(amp); });
        m->addAction(fromUtf8("Aktive Filter editieren"), this,
                     [this, amp] { openActiveFilterEditor(amp); });
        m->menuAction()->setVisible(amp == 0);
        ampMenus_.push_back(m);
    }

    QMenu* reference = menuBar()->addMenu(fromUtf8("&Referenz"));
    rememberAction_ = reference->addAction(fromUtf8("Projekt als Referenz merken"), this,
                                           [this] { workspace_->rememberReference(); });
    restoreAction_ = reference->addAction(fromUtf8("Referenzprojekt wiederherstellen"), this,
                                          [this] { workspace_->restoreReference(); });
    swapAction_ = reference->addAction(fromUtf8("Referenzprojekt mit aktuellem Projekt tauschen"),
                                       this, [this] { workspace_->swapWithReference(); });
    deleteAction_ = reference->addAction(fromUtf8("Referenzprojekt löschen"), this,
                                         [this] { workspace_->deleteReference(); });
    for (QAction* a : {restoreAction_, swapAction_, deleteAction_}) {
        a->setEnabled(false);
    }

    // The open editors, while there are any.
    windowMenu_ = menuBar()->addMenu(fromUtf8("&Fenster"));
    windowMenu_->setObjectName(QStringLiteral("windowMenu"));
    for (int k = 0; k < kMaxWindowEntries; ++k) {
        QAction* a = windowMenu_->addAction(QString());
        connect(a, &QAction::triggered, this,
                [this, a] { bringEditorToFront(static_cast<EditorKind>(a->data().toInt())); });
        a->setVisible(false);
    }
    windowMenu_->menuAction()->setVisible(false);

    // The tool windows on the last result ("toolsMenu" may already hold others' entries).
    QMenu* tools = menuBar()->findChild<QMenu*>(QStringLiteral("toolsMenu"));
    if (tools == nullptr) {
        tools = menuBar()->addMenu(fromUtf8("E&xtras"));
        tools->setObjectName(QStringLiteral("toolsMenu"));
    }
    const auto resultCopy = [this] { return bridge_->form().result.get(); };
    const auto project = [this]() -> const TProjekt& { return workspace_->project(); };
    tools
        ->addAction(fromUtf8("Trennfrequenzbestimmung ..."), this,
                    [this, resultCopy] {
                        if (workspace_->mayOpenCrossingFinder()) {
                            auto* w = showCrossoverFinder(this, workspace_->project(), resultCopy);
                            connect(bridge_.get(), &CalcBridge::resultsArrived, w,
                                    &CrossoverFinderWindow::recompute, Qt::UniqueConnection);
                        }
                    })
        ->setObjectName(QStringLiteral("crossoverFinder"));
    tools
        ->addAction(
            fromUtf8("Vergleichsfrequenzgänge ..."), this,
            [this, project] {
                showComparisonCurvesWindow(
                    this, project,
                    [this](const ComparisonCurve& c1, const ComparisonCurve& c2) {
                        chartView(ChartKind::Box)->setExtraCurves(comparisonChartCurves(c1, c2));
                    },
                    *prompt_);
            })
        ->setObjectName(QStringLiteral("comparisonCurves"));
    tools
        ->addAction(fromUtf8("Nahfeld ..."), this,
                    [this, project, resultCopy] {
                        auto* w = showNearFieldWindow(this, project, resultCopy);
                        connect(bridge_.get(), &CalcBridge::resultsArrived, w,
                                &NearFieldWindow::resultChanged, Qt::UniqueConnection);
                    })
        ->setObjectName(QStringLiteral("nearField"));
    // Not an editing command: while the optimizer is open this brings its window to the front.
    tools->addAction(fromUtf8("Optimierer ..."), this, [this] { openOptimizer(); })
        ->setObjectName(QStringLiteral("optimizer"));
    // A Monte-Carlo run on a copy of the project taken at its start.
    tools
        ->addAction(fromUtf8("Toleranzanalyse ..."), this,
                    [this, project] {
                        ToleranceConnections c;
                        c.project = project;
                        c.spinorama = [this] { return &charts_.chart(ChartKind::Spinorama); };
                        auto* w = showToleranceWindow(this, std::move(c));
                        connect(this, &MainWindow::chartsRedrawn, w, &ToleranceWindow::redrawChart,
                                Qt::UniqueConnection);
                        connect(this, &MainWindow::comparisonChanged, w,
                                &ToleranceWindow::redrawChart, Qt::UniqueConnection);
                    })
        ->setObjectName(QStringLiteral("tolerance"));
    // Independent calculations that never touch the project.
    tools
        ->addAction(fromUtf8("Hilfsberechnungen ..."), this,
                    [this] {
                        showCalculatorsWindow(
                            this, fromUtf8(workspace_->environment().folders.drivers), *prompt_);
                    })
        ->setObjectName(QStringLiteral("calculators"));
    tools->addSeparator();
    tools
        ->addAction(fromUtf8("Verzeichnisse ..."), this,
                    [this] {
                        // The start-up's folders again: the program folder and the per-user data
                        // folder.
                        BaseFolders base;
                        base.programFolder = options_.paths.programFolder;
                        base.appDataFolder = workspace_->environment().folders.home;
                        openWindowModal(new FoldersDialog(
                            workspace_->environment(),
                            [this, base](bool usePresets, const FolderPresets& texts) {
                                workspace_->acceptFolders(base, usePresets, texts);
                            },
                            this));
                    })
        ->setObjectName(QStringLiteral("folders"));
    tools
        ->addAction(
            fromUtf8("Pfade anzeigen"), this,
            [this] { prompt_->showMessage(pathsListing(workspace_->environment().folders)); })
        ->setObjectName(QStringLiteral("paths"));

    QMenu* help = menuBar()->addMenu(fromUtf8("&Hilfe"));
    help->addAction(fromUtf8("Kurzanleitung"), this, [this] { showQuickGuide(); });
    help->addAction(
            fromUtf8("Thread-Monitor ..."), this,
            [this] {
                showThreadMonitor(this, [this] {
                    const auto* o =
                        findChild<OptimizerDialog*>(QString::fromLatin1(kOptimizerWindowName));
                    return probeThreads(*bridge_, o != nullptr ? o->optimizerThread() : nullptr);
                });
            })
        ->setObjectName(QStringLiteral("threadMonitor"));

    // The recent files: nine fixed entries, so that choosing one never deletes the entry whose
    // signal is being delivered when the menus are updated.
    for (int k = 0; k < kMaxRecentMenuEntries; ++k) {
        QAction* a =
            recentMenu_->addAction(QString(), this, [this, k] { workspace_->loadRecent(k); });
        a->setObjectName(QStringLiteral("History %1").arg(k + 1));
        a->setVisible(false);
    }
    recentMenu_->setEnabled(false);
}

// ---- enabling

void MainWindow::updateMenus(const MenuState& menus) {
    fileMenu_->setEnabled(menus.fileMenu);
    const QList<QAction*> recent = recentMenu_->actions();
    for (qsizetype k = 0; k < recent.size(); ++k) {
        const bool shown = k < static_cast<qsizetype>(menus.recent.size());
        recent[k]->setVisible(shown);
        if (shown) {
            recent[k]->setText(fromUtf8(menus.recent[static_cast<std::size_t>(k)].text));
        }
    }
    recentMenu_->setEnabled(!menus.recent.empty());

    // Undo changes the project under an open optimizer as much as any other editing command.
    undoAction_->setEnabled(menus.undoEnabled && menus.editMenus);
    undoAction_->setText(fromUtf8(menus.undoCaption));
    for (QAction* a : editActions_) {
        a->setEnabled(menus.editMenus);
    }

    const QList<QAction*> drivers = driverMenu_->actions();
    for (qsizetype n = 0; n < drivers.size(); ++n) {
        const bool shown = n < static_cast<qsizetype>(menus.driverEntries.size());
        drivers[n]->setVisible(shown);
        if (shown) {
            drivers[n]->setText(fromUtf8(menus.driverEntries[static_cast<std::size_t>(n)]));
        }
    }
    driverMenu_->setEnabled(menus.editMenus && !menus.driverEntries.empty());

    for (std::size_t amp = 0; amp < ampMenus_.size(); ++amp) {
        ampMenus_[amp]->menuAction()->setVisible(static_cast<int>(amp) < menus.ampEntries);
        ampMenus_[amp]->setEnabled(menus.ampMenus);
    }

    for (QAction* a : {restoreAction_, swapAction_, deleteAction_}) {
        a->setEnabled(menus.referenceCommands);
    }
    rememberAction_->setEnabled(menus.editMenus);

    const QList<QAction*> windows = windowMenu_->actions();
    for (qsizetype k = 0; k < windows.size(); ++k) {
        const bool shown = k < static_cast<qsizetype>(menus.windowEntries.size());
        windows[k]->setVisible(shown);
        if (shown) {
            const WindowMenuEntry& e = menus.windowEntries[static_cast<std::size_t>(k)];
            windows[k]->setText(fromUtf8(e.text));
            windows[k]->setData(static_cast<int>(e.editor));
        }
    }
    windowMenu_->menuAction()->setVisible(menus.windowMenu);
    acceptDrops_ = menus.acceptDrops;
}

// ---- dialogs on the whole project

void MainWindow::openProjectProperties() {
    auto* dialog = new ProjectPropertiesDialog(workspace_->projectProperties(), this);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { workspace_->acceptProjectProperties(dialog->values()); });
    openWindowModal(dialog);
}

void MainWindow::openDisplayOptions() {
    auto* dialog = new DisplayOptionsDialog(workspace_->displayOptions(),
                                            directionAngles(switches().directionSet), this);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { workspace_->acceptDisplayOptions(dialog->values()); });
    openWindowModal(dialog);
}

void MainWindow::openDriverCopy() {
    // The snapshot is taken now, before anything is chosen; cancelling drops it again.
    workspace_->beginDriverCopy();
    auto* dialog = new DriverCopyDialog(workspace_->project(), this);
    connect(dialog, &QDialog::accepted, this,
            [this, dialog] { workspace_->acceptDriverCopy(dialog->request()); });
    connect(dialog, &QDialog::rejected, this, [this] { workspace_->cancelDriverCopy(); });
    openWindowModal(dialog);
}

void MainWindow::chooseVisualisationProgram() {
    const QString program = openFileName(this, fromUtf8("Visualisierungsprogramm auswählen ..."),
                                         fromUtf8(options_.paths.programFolder));
    if (!program.isEmpty()) {
        workspace_->startCabinetVisualisation(toUtf8(program));
    }
}

void MainWindow::showQuickGuide() {
    QMessageBox* box = findChild<QMessageBox*>(QStringLiteral("quickGuide"));
    if (box == nullptr) {
        box = new QMessageBox(QMessageBox::Information, promptCaption(), fromUtf8(kQuickGuide),
                              QMessageBox::Ok, this);
        germanButtons(box);
        box->setObjectName(QStringLiteral("quickGuide"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal); // the new project's properties follow at once
    }
    box->show();
    box->raise();
}

// ---- editors

void MainWindow::openDriverEditor(int driver) {
    if (workspace_->openEditor(EditorKind::Chassis, driver) == EditorOpen::Open) {
        auto* editor = new DriverEditor(*workspace_, driver, *prompt_, this);
        // Closed by its own buttons: reported once, unless closeEditors has taken it out already.
        connect(editor, &DriverEditor::closed, this, [this, editor] {
            const auto it = editorWindows_.find(EditorKind::Chassis);
            if (it != editorWindows_.end() && it->second == editor) {
                editorWindows_.erase(it);
                workspace_->editorClosed(EditorKind::Chassis);
            }
        });
        editorWindows_[EditorKind::Chassis] = editor;
        editor->show();
    }
}

void MainWindow::openCrossoverEditor(int amp) {
    if (workspace_->openEditor(EditorKind::Weiche, amp) == EditorOpen::Open) {
        auto* editor = new CrossoverEditorWindow(*workspace_, *prompt_, amp, this);
        editorWindows_[EditorKind::Weiche] = editor;
        editor->show();
    }
}

void MainWindow::openActiveFilterEditor(int amp) {
    if (workspace_->openEditor(EditorKind::Aktfilter, amp) == EditorOpen::Open) {
        auto* editor = new ActiveFilterEditor(*workspace_, *prompt_, amp, this);
        deleteWhenFinished(editor);
        // Closed by its own buttons: reported once, unless closeEditors has taken it out already.
        connect(editor, &QDialog::finished, this, [this, editor] {
            const auto it = editorWindows_.find(EditorKind::Aktfilter);
            if (it != editorWindows_.end() && it->second == editor) {
                editorWindows_.erase(it);
                workspace_->editorClosed(EditorKind::Aktfilter);
            }
        });
        editorWindows_[EditorKind::Aktfilter] = editor;
        editor->show();
    }
}

void MainWindow::openSharedCabinetEditor() {
    if (workspace_->openEditor(EditorKind::GemGeh) == EditorOpen::Open) {
        auto* editor = new SharedCabinetEditor(*workspace_, this);
        deleteWhenFinished(editor);
        connect(editor, &QDialog::finished, this, [this, editor] {
            const auto it = editorWindows_.find(EditorKind::GemGeh);
            if (it != editorWindows_.end() && it->second == editor) {
                editorWindows_.erase(it);
                workspace_->editorClosed(EditorKind::GemGeh);
            }
        });
        editorWindows_[EditorKind::GemGeh] = editor;
        editor->show();
    }
}

void MainWindow::closeEditors(const EditorSet& editors) {
    const std::pair<EditorKind, bool> kinds[] = {
        {EditorKind::Chassis, editors.chassis},     {EditorKind::Weiche, editors.weiche},
        {EditorKind::Aktfilter, editors.aktfilter}, {EditorKind::GemGeh, editors.gemgeh},
        {EditorKind::Optimizer, editors.optimizer},
    };
    for (const auto& [kind, close] : kinds) {
        const auto it = editorWindows_.find(kind);
        if (!close || it == editorWindows_.end()) {
            continue;
        }
        // Taken out first: the workspace counts these as closed itself, so the window's own
        // report must not come a second time (the optimizer, which may refuse, reports below).
        QPointer<QWidget> window = it->second;
        editorWindows_.erase(it);
        if (window) {
            window->close();
        }
        if (kind == EditorKind::Optimizer) {
            if (window && window->isVisible()) {
                editorWindows_[kind] = window; // refused ("Abbruch", or the run goes on)
            } else {
                workspace_->editorClosed(kind);
            }
        }
    }
}

// The optimizer window, kept (hidden) between its showings so that its settings stay. While it is
// open the charts follow its best design and the editing menus are off (OptimizerOpen).
void MainWindow::openOptimizer() {
    if (workspace_->openEditor(EditorKind::Optimizer) != EditorOpen::Open) {
        return;
    }
    auto* w = findChild<OptimizerDialog*>(QString::fromLatin1(kOptimizerWindowName));
    if (w == nullptr) {
        OptimizerConnections c;
        c.project = [this]() -> const TProjekt& { return workspace_->project(); };
        c.interactiveRunning = [this] { return bridge_->running(); };
        c.mainResult = bridge_->form().result.get();
        c.redrawMain = [this] { redrawCharts(); };
        c.rememberReference = [this] { workspace_->rememberReference(); };
        c.apply = [this](const TProjekt& p) { workspace_->applyOptimizerResult(p); };
        c.restore = [this](const TProjekt& p, bool marksAdded) {
            workspace_->restoreOptimizerStart(p, marksAdded);
        };
        // Reported once the window has really closed (its questions may keep it open). Closed
        // through closeEditors, the entry is already gone and closeEditors reports.
        c.closed = [this] {
            const auto it = editorWindows_.find(EditorKind::Optimizer);
            if (it != editorWindows_.end()) {
                editorWindows_.erase(it);
                workspace_->editorClosed(EditorKind::Optimizer);
            }
        };
        TOptiThread::Options threadOptions;
        threadOptions.stagePause =
            std::chrono::milliseconds(workspace_->environment().settings.optimizerPauseMs);
        w = new OptimizerDialog(*prompt_, std::move(c), this, std::move(threadOptions));
    }
    editorWindows_[EditorKind::Optimizer] = w;
    w->showWindow();
}

void MainWindow::bringEditorToFront(EditorKind editor) {
    const auto it = editorWindows_.find(editor);
    if (it != editorWindows_.end() && it->second) {
        it->second->show();
        it->second->raise();
        it->second->activateWindow();
    }
}

} // namespace sonora::ui
