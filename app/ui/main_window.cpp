#include "app/ui/main_window.h"

#include <algorithm>
#include <filesystem>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/shell/chart_cursor.h"
#include "app/ui/chart_view.h"
#include "app/ui/directivity_views.h"
#include "app/ui/export_window.h"
#include "app/ui/file_dialogs.h"
#include "app/ui/qt_german.h"
#include "app/ui/qt_text.h"
#include "app/ui/status_line.h"
#include "app/ui/window_keeper.h"
#include "storage/latin1.h"
#include "storage/newer_driver_check.h"

namespace sonora::ui {

namespace {

constexpr int kDesignedWidth = 1100; // pixels, the window's size when no geometry is restored
constexpr int kDesignedHeight = 800;

} // namespace

MainWindow::MainWindow(MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), options_(std::move(options)) {
    if (options_.prompt != nullptr) {
        prompt_ = options_.prompt;
    } else {
        ownPrompt_ = std::make_unique<QtPrompt>(this);
        prompt_ = ownPrompt_.get();
    }
    bridge_ = std::make_unique<CalcBridge>(options_.calcPause);
    workspace_ = std::make_unique<Workspace>(*prompt_, *bridge_, *this, options_.environment,
                                             options_.paths);
    resize(kDesignedWidth, kDesignedHeight);
    buildTabs();
    buildMenus();
    new WindowKeeper(*this, *workspace_);

    status_ = new StatusLine(this);
    statusBar()->addWidget(status_, 1);
    errors_ = new ErrorListDialog(this);
    connect(status_, &StatusLine::clicked, this, [this] {
        errors_->setEntries(bridge_->form().ErrMemo);
        errors_->show();
        errors_->raise();
    });
    connect(bridge_.get(), &CalcBridge::statusChanged, this, &MainWindow::showStatus);
    connect(bridge_.get(), &CalcBridge::resultsArrived, this, &MainWindow::redrawCharts);

    newerDriverTimer_ = new QTimer(this);
    newerDriverTimer_->setInterval(kNewerDriverTickMs);
    connect(newerDriverTimer_, &QTimer::timeout, this, [this] {
        workspace_->newerDriverTick();
        workspace_->recoveryTick();
    });
    setAcceptDrops(true);
}

MainWindow::~MainWindow() {
    // The optimizer's thread may still be calling into this window: end it first (its window
    // serves the pending call and joins the thread).
    delete findChild<QWidget*>(QStringLiteral("optimizerWindow"), Qt::FindDirectChildrenOnly);
    // The worker may still want to hand over results to this window: end it first.
    bridge_->shutDown();
}

StartUpOutcome MainWindow::start(const std::optional<std::string>& argument) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen != nullptr ? screen->size() : QSize(kDesignedWidth, kDesignedHeight);
    const QSize free = screen != nullptr ? screen->availableGeometry().size() : size;
    const WindowPlacement placement = workspace_->windowPlacement(
        ScreenSize{size.width(), size.height()}, ScreenSize{free.width(), free.height()});
    setGeometry(placement.geometry.left, placement.geometry.top, placement.geometry.width,
                placement.geometry.height);
    tabs_->setCurrentIndex(std::clamp(workspace_->chartTab(), 0, tabs_->count() - 1));
    workspace_->setWindowWidth(width());
    const StartUpOutcome outcome = workspace_->startUp(argument);
    if (outcome == StartUpOutcome::Running) {
        newerDriverTimer_->start();
    }
    return outcome;
}

// ---- tabs and charts

QWidget* MainWindow::chartPage(ChartKind kind) {
    auto* page = new QWidget(tabs_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(views_[static_cast<std::size_t>(charts_.indexOf(kind))]);
    return page;
}

void MainWindow::buildTabs() {
    tabs_ = new QTabWidget(this);
    setCentralWidget(tabs_);
    for (std::size_t k = 0; k < charts_.charts().size(); ++k) {
        auto* view = new ChartView(this);
        view->setContent(charts_.charts()[k]);
        views_.push_back(view);
    }

    // Box response with the switches and the cursor text.
    auto* box = new QWidget(tabs_);
    auto* boxLayout = new QVBoxLayout(box);
    auto* switches = new QHBoxLayout;
    cursorSwitch_ = new QCheckBox(QStringLiteral("Frequenzcursor"), box);
    impedanceSwitch_ = new QCheckBox(QStringLiteral("Impedanzgang zeigen"), box);
    energySwitch_ = new QCheckBox(QStringLiteral("Energiefrequenzgang zeigen"), box);
    driversSwitch_ = new QCheckBox(QStringLiteral("Frequenzgang Einzelchassis zeigen"), box);
    const ChartSwitches defaults;
    cursorSwitch_->setChecked(defaults.cursor);
    impedanceSwitch_->setChecked(defaults.impedance);
    energySwitch_->setChecked(defaults.energy);
    driversSwitch_->setChecked(defaults.singleDrivers);
    for (QCheckBox* c : {cursorSwitch_, impedanceSwitch_, energySwitch_, driversSwitch_}) {
        switches->addWidget(c);
        connect(c, &QCheckBox::toggled, this, &MainWindow::redrawCharts);
    }
    switches->addStretch();
    boxLayout->addLayout(switches);
    ChartView* boxView = views_[static_cast<std::size_t>(charts_.indexOf(ChartKind::Box))];
    boxView->setOwnCursor(false); // its cursor follows the switches and has its own text
    boxLayout->addWidget(boxView, 1);
    cursorText_ = new QLabel(fromLatin1(kCursorRestingText), box);
    cursorText_->setWordWrap(true);
    boxLayout->addWidget(cursorText_);
    connect(boxView, &ChartView::pointerMoved, this, &MainWindow::moveCursorTo);
    connect(boxView, &ChartView::pointerLeft, this, &MainWindow::leaveCursor);
    tabs_->addTab(box, QStringLiteral("Frequenzgang"));

    // The four direction charts with the angle set.
    auto* directions = new QWidget(tabs_);
    auto* dirLayout = new QVBoxLayout(directions);
    auto* setRow = new QHBoxLayout;
    setRow->addWidget(new QLabel(QStringLiteral("F-Gang Richtungen"), directions));
    directionSet_ = new QComboBox(directions);
    for (int s = 0; s < kDirectionAngleSets; ++s) {
        directionSet_->addItem(fromLatin1(directionAngleSetCaption(s)));
    }
    directionSet_->setCurrentIndex(kDefaultDirectionAngleSet);
    connect(directionSet_, &QComboBox::currentIndexChanged, this, &MainWindow::redrawCharts);
    setRow->addWidget(directionSet_);
    setRow->addStretch();
    dirLayout->addLayout(setRow);
    auto* grid = new QGridLayout;
    const ChartKind sides[] = {ChartKind::DirectionsUp, ChartKind::DirectionsDown,
                               ChartKind::DirectionsLeft, ChartKind::DirectionsRight};
    for (int k = 0; k < 4; ++k) {
        grid->addWidget(views_[static_cast<std::size_t>(charts_.indexOf(sides[k]))], k / 2, k % 2);
    }
    dirLayout->addLayout(grid, 1);
    tabs_->addTab(directions, QStringLiteral("F-Gang Richtungen"));

    // One chart per driver slot; the choice lists the drivers of the project.
    auto* drivers = new QWidget(tabs_);
    auto* drvLayout = new QVBoxLayout(drivers);
    chassisChoice_ = new QComboBox(drivers);
    chassisStack_ = new QStackedWidget(drivers);
    for (int n = 0; n < kMaxChassis; ++n) {
        chassisStack_->addWidget(
            views_[static_cast<std::size_t>(charts_.indexOf(ChartKind::Chassis, n))]);
    }
    connect(chassisChoice_, &QComboBox::currentIndexChanged, chassisStack_,
            &QStackedWidget::setCurrentIndex);
    drvLayout->addWidget(chassisChoice_);
    drvLayout->addWidget(chassisStack_, 1);
    tabs_->addTab(drivers, QStringLiteral("Chassis"));

    tabs_->addTab(chartPage(ChartKind::Phase), fromUtf8("Phasengänge"));
    tabs_->addTab(chartPage(ChartKind::MaxVoltage), QStringLiteral("Max. Spannung"));
    tabs_->addTab(chartPage(ChartKind::MaxLevel), QStringLiteral("Max. Pegel"));
    tabs_->addTab(chartPage(ChartKind::DriverVoltages), QStringLiteral("Spannung Chassis"));
    tabs_->addTab(chartPage(ChartKind::DirectivityIndex), fromUtf8("Bündelungsmaß"));
    tabs_->addTab(chartPage(ChartKind::ElectricalPhase), QStringLiteral("Elektr. Phase"));
    tabs_->addTab(chartPage(ChartKind::GroupDelay), QStringLiteral("Gruppenlaufzeit"));

    // The spinorama with the rating beside it, and the five reflection groups.
    auto* spin = new QWidget(tabs_);
    auto* spinLayout = new QHBoxLayout(spin);
    spinLayout->addWidget(views_[static_cast<std::size_t>(charts_.indexOf(ChartKind::Spinorama))],
                          1);
    spinNotes_ = new QLabel(spin);
    spinNotes_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    spinNotes_->setWordWrap(true);
    spinNotes_->setMaximumWidth(kChartNotesWidth);
    spinNotes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    spinLayout->addWidget(spinNotes_);
    tabs_->addTab(spin, QStringLiteral("Spinorama"));
    tabs_->addTab(chartPage(ChartKind::Reflections), QStringLiteral("Reflexionen"));
    tabs_->addTab(chartPage(ChartKind::Impulse), QStringLiteral("Impulsantwort"));
    tabs_->addTab(chartPage(ChartKind::Step), QStringLiteral("Sprungantwort"));

    directivity_ = new DirectivityViews(
        [this](const std::string& message) { prompt_->showMessage(message); }, tabs_);
    tabs_->addTab(directivity_->mapPage(), QStringLiteral("Richtungsplots"));
    tabs_->addTab(directivity_->polarPage(), QStringLiteral("Polarplots"));
}

ChartView* MainWindow::chartView(ChartKind kind, int chassis) const {
    return views_[static_cast<std::size_t>(charts_.indexOf(kind, chassis))];
}

ChartSwitches MainWindow::switches() const {
    ChartSwitches s;
    s.cursor = cursorSwitch_->isChecked();
    s.impedance = impedanceSwitch_->isChecked();
    s.energy = energySwitch_->isChecked();
    s.singleDrivers = driversSwitch_->isChecked();
    s.directionSet = directionSet_->currentIndex();
    return s;
}

void MainWindow::redrawCharts() {
    const TResult& result = *bridge_->form().result;
    const std::vector<std::string> failures =
        charts_.update(result, workspace_->project().option, switches());
    for (std::size_t k = 0; k < views_.size(); ++k) {
        views_[k]->setContent(charts_.charts()[k]);
    }
    directivity_->fill(result, workspace_->project().option);
    QStringList notes;
    for (const std::string& line : charts_.chart(ChartKind::Spinorama).notes) {
        notes.append(fromLatin1(line));
    }
    spinNotes_->setText(notes.join(QLatin1Char('\n')));
    // The driver choice follows the project's drivers.
    const int drivers =
        std::clamp(static_cast<int>(workspace_->project().nChassis), 1, kMaxChassis);
    QStringList choices;
    for (int n = 0; n < drivers; ++n) {
        choices.append(fromUtf8(driverChoiceText(workspace_->project(), n)));
    }
    QStringList shown;
    for (int n = 0; n < chassisChoice_->count(); ++n) {
        shown.append(chassisChoice_->itemText(n));
    }
    if (shown != choices) {
        const int current = std::min(chassisChoice_->currentIndex(), drivers - 1);
        chassisChoice_->blockSignals(true);
        chassisChoice_->clear();
        chassisChoice_->addItems(choices);
        chassisChoice_->setCurrentIndex(std::max(current, 0));
        chassisChoice_->blockSignals(false);
        chassisStack_->setCurrentIndex(chassisChoice_->currentIndex());
    }
    cursorIndex_ = -1;
    leaveCursor();
    for (const std::string& failure : failures) {
        prompt_->showMessage(failure);
    }
    emit chartsRedrawn();
}

void MainWindow::moveCursorTo(double frequency) {
    const TResult& result = *bridge_->form().result;
    const ChartSwitches s = switches();
    if (!s.cursor || !result.valid) {
        leaveCursor();
        return;
    }
    const int i = cursorIndex(result, frequency);
    if (i < 0 || i == cursorIndex_) {
        return; // the text is rebuilt only when the index changes
    }
    cursorIndex_ = i;
    cursorText_->setText(fromLatin1(cursorText(result, i, s)));
    chartView(ChartKind::Box)->showCursor(result.freq[i]);
}

void MainWindow::leaveCursor() {
    cursorIndex_ = -1;
    cursorText_->setText(fromLatin1(kCursorRestingText));
    chartView(ChartKind::Box)->hideCursor();
}

void MainWindow::rememberComparison(ComparisonCharts which) {
    // The line charts all take their layer; the directivity map only when the reference is
    // remembered, not when it is swapped in.
    charts_.rememberComparison();
    if (which == ComparisonCharts::All) {
        directivity_->rememberComparison();
    }
    for (std::size_t k = 0; k < views_.size(); ++k) {
        views_[k]->setContent(charts_.charts()[k]);
    }
    emit comparisonChanged();
}

void MainWindow::clearComparison() {
    charts_.clearComparison();
    directivity_->clearComparison();
    for (std::size_t k = 0; k < views_.size(); ++k) {
        views_[k]->setContent(charts_.charts()[k]);
    }
    emit comparisonChanged();
}

void MainWindow::showStatus() {
    status_->showStatus(bridge_->form().statusText, bridge_->form().statusFace);
}

// ---- menus

void MainWindow::buildMenus() {
    fileMenu_ = menuBar()->addMenu(QStringLiteral("&Datei"));
    fileMenu_->addAction(QStringLiteral("&Neu"), this, [this] { workspace_->newProject(); })
        ->setShortcut(QKeySequence::New);
    fileMenu_->addAction(QStringLiteral("&Laden ..."), this, &MainWindow::loadWithDialog)
        ->setShortcut(QKeySequence::Open);
    recentMenu_ = fileMenu_->addMenu(QStringLiteral("&Zuletzt geladen"));
    fileMenu_->addAction(QStringLiteral("&Speichern ..."), this, &MainWindow::saveWithDialog)
        ->setShortcut(QKeySequence::Save);
    fileMenu_->addSeparator();
    fileMenu_->addAction(QStringLiteral("&Export ..."), this, [this] {
        showExportWindow(
            this, [this] { return bridge_->form().result.get(); },
            workspace_->environment().folders.reports, *prompt_,
            [this] {
                // The curve files name the project by its file name.
                return utf8ToLatin1(std::filesystem::path(workspace_->fileName()).stem().string());
            });
    });
    fileMenu_->addAction(QStringLiteral("&Beenden"), this, &QWidget::close)
        ->setShortcut(QKeySequence::Quit);
    // Bearbeiten, Chassis, the amplifier menus, Referenz, Fenster and Hilfe.
    buildCommandMenus();
}

void MainWindow::loadWithDialog() {
    if (!workspace_->mayDiscardChanges()) {
        return;
    }
    const QString file =
        openFileName(this, QStringLiteral("Projekt laden"), fromUtf8(workspace_->dialogFolder()),
                     QStringLiteral("Projektdateien (*.LSP *.lsp)"));
    if (!file.isEmpty()) {
        workspace_->loadProject(toUtf8(file));
    }
}

void MainWindow::saveWithDialog() {
    const std::string name = askSaveFileName();
    if (!name.empty()) {
        workspace_->saveProject(name);
    }
}

// ---- what the workspace asks of the window

void MainWindow::setTitle(const std::string& title) {
    setWindowTitle(fromUtf8(title));
}

std::string MainWindow::askSaveFileName() {
    const QString start = fromUtf8(workspace_->dialogFolder() + workspace_->dialogFileName());
    const QString file = saveFileName(this, QStringLiteral("Projekt speichern"), start,
                                      QStringLiteral("Projektdateien (*.LSP *.lsp)"));
    return toUtf8(file);
}

void MainWindow::startInstance(const std::string& file) {
    QProcess::startDetached(QCoreApplication::applicationFilePath(), {fromUtf8(file)});
}

void MainWindow::startProgram(const std::string& program, const std::string& argument,
                              const std::string& workingFolder) {
    QProcess::startDetached(fromUtf8(program), {fromUtf8(argument)}, fromUtf8(workingFolder));
}

// ---- window events

void MainWindow::closeEvent(QCloseEvent* event) {
    const QRect g = geometry();
    workspace_->rememberChartTab(tabs_->currentIndex());
    if (workspace_->requestClose(WindowGeometry{g.left(), g.top(), g.width(), g.height()})) {
        newerDriverTimer_->stop();
        bridge_->shutDown();
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (workspace_) {
        workspace_->setWindowWidth(width());
    }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptDrops_ && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> names;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            names.push_back(toUtf8(url.toLocalFile()));
        }
    }
    workspace_->filesDropped(names);
    event->acceptProposedAction();
}

} // namespace sonora::ui
