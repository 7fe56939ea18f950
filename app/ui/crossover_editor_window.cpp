#include "app/ui/crossover_editor_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/shell/crossover_editor.h"
#include "app/shell/workspace.h"
#include "app/ui/crossover_editor_canvas.h"
#include "app/ui/crossover_editor_dialogs.h"
#include "app/ui/qt_prompt.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

// Captions of the three window sizes, preset 0..2.
const char* const kSizeCaptions[kSchematicSizePresets] = {"klein", "mittel", "groß"};

// Room around the canvas inside the scroll area, pixels.
constexpr int kScrollFrame = 4;

void deleteWhenFinished(QDialog* dialog) {
    QObject::connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
}

} // namespace

CrossoverEditorWindow::CrossoverEditorWindow(Workspace& workspace, UserPrompt& prompt, int amp,
                                             QWidget* parent)
    : QWidget(parent, Qt::Window), workspace_(workspace), prompt_(prompt),
      editor_(std::make_unique<CrossoverEditor>(workspace.project(), amp,
                                                workspace.environment().settings.mouseCode)),
      partsFolder_(workspace.environment().folders.parts) {
    setObjectName(QStringLiteral("crossoverEditor"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(promptCaption() +
                   fromUtf8(" - Weicheneditor (Verstärker %1)").arg(editor_->amp() + 1));

    auto* layout = new QHBoxLayout(this);
    canvas_ = new CrossoverCanvas(*editor_, this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(canvas_);
    scroll_->setAlignment(Qt::AlignCenter);
    layout->addWidget(scroll_, 1);
    auto* panel = new QWidget(this);
    buildControls(panel);
    layout->addWidget(panel);

    connect(canvas_, &CrossoverCanvas::partDialogRequested, this,
            [this](int slot, QPoint global) { openPartDialog(slot, global); });

    const int preset = workspace.environment().settings.windowSizePreset;
    size_->setCurrentIndex(std::clamp(preset, 0, kSchematicSizePresets - 1));
    setSizePreset(size_->currentIndex());
}

CrossoverEditorWindow::~CrossoverEditorWindow() = default;

void CrossoverEditorWindow::buildControls(QWidget* panel) {
    auto* column = new QVBoxLayout(panel);

    auto* view = new QGroupBox(fromUtf8("Ansicht"), panel);
    auto* viewLayout = new QVBoxLayout(view);
    printView_ = new QCheckBox(fromUtf8(kCaptionPrintView), view);
    labelView_ = new QCheckBox(fromUtf8(kCaptionLabelView), view);
    viewLayout->addWidget(printView_);
    viewLayout->addWidget(labelView_);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(new QLabel(fromUtf8("Fenstergröße:"), view));
    size_ = new QComboBox(view);
    size_->setObjectName(QStringLiteral("sizePreset"));
    for (const char* caption : kSizeCaptions) {
        size_->addItem(fromUtf8(caption));
    }
    sizeRow->addWidget(size_);
    viewLayout->addLayout(sizeRow);
    // Held down: numbers instead of the values.
    auto* numbersRow = new QHBoxLayout;
    partNumbers_ = new QPushButton(fromUtf8(kCaptionPartNumbers), view);
    nodeNumbers_ = new QPushButton(fromUtf8(kCaptionNodeNumbers), view);
    numbersRow->addWidget(partNumbers_);
    numbersRow->addWidget(nodeNumbers_);
    viewLayout->addLayout(numbersRow);
    column->addWidget(view);

    connect(printView_, &QCheckBox::toggled, this, [this](bool on) {
        setViewOption([](SchematicOptions& o, bool v) { o.printView = v; }, on);
    });
    connect(labelView_, &QCheckBox::toggled, this, [this](bool on) {
        setViewOption([](SchematicOptions& o, bool v) { o.labelInsteadOfResistance = v; }, on);
    });
    connect(size_, &QComboBox::currentIndexChanged, this,
            [this](int preset) { setSizePreset(preset); });
    const auto showNumbers = [this](SchematicNumbers numbers) {
        SchematicOptions o = canvas_->options();
        o.numbers = numbers;
        canvas_->setOptions(o);
    };
    connect(partNumbers_, &QPushButton::pressed, this,
            [showNumbers] { showNumbers(SchematicNumbers::PartNumbers); });
    connect(nodeNumbers_, &QPushButton::pressed, this,
            [showNumbers] { showNumbers(SchematicNumbers::NodeNumbers); });
    for (QPushButton* b : {partNumbers_, nodeNumbers_}) {
        connect(b, &QPushButton::released, this,
                [showNumbers] { showNumbers(SchematicNumbers::Values); });
    }

    auto* marks = new QGroupBox(fromUtf8("Optimierung"), panel);
    auto* marksLayout = new QVBoxLayout(marks);
    const auto markButton = [&](const char* caption, const char* name, auto action) {
        auto* b = new QPushButton(fromUtf8(caption), marks);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, [this, action] {
            (editor_.get()->*action)();
            canvas_->update();
        });
        marksLayout->addWidget(b);
    };
    markButton(kCaptionMarkAll, "markAll", &CrossoverEditor::markAll);
    markButton(kCaptionMarkResistors, "markResistors", &CrossoverEditor::markResistorsOnly);
    markButton(kCaptionClearMarks, "clearMarks", &CrossoverEditor::clearMarks);
    column->addWidget(marks);

    auto* freeWires = new QPushButton(fromUtf8("freie Drahtverbindungen ..."), panel);
    freeWires->setObjectName(QStringLiteral("freeWiresButton"));
    connect(freeWires, &QPushButton::clicked, this, [this] { openFreeWires(); });
    column->addWidget(freeWires);
    auto* keys = new QPushButton(fromUtf8("Maustastenbelegung ..."), panel);
    keys->setObjectName(QStringLiteral("mouseAssignmentButton"));
    connect(keys, &QPushButton::clicked, this, [this] { openMouseAssignment(); });
    column->addWidget(keys);
    column->addStretch(1);

    apply_ = new QPushButton(fromUtf8(kCaptionApply), panel);
    ok_ = new QPushButton(fromUtf8(kCaptionOk), panel);
    cancel_ = new QPushButton(fromUtf8(kCaptionCancel), panel);
    for (QPushButton* b : {apply_, ok_, cancel_}) {
        column->addWidget(b);
    }
    connect(apply_, &QPushButton::clicked, this, [this] {
        editor_->release();
        editor_->apply(workspace_);
    });
    connect(ok_, &QPushButton::clicked, this, [this] { okClicked(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelClicked(); });
}

void CrossoverEditorWindow::setViewOption(void (*change)(SchematicOptions&, bool), bool on) {
    SchematicOptions o = canvas_->options();
    change(o, on);
    canvas_->setOptions(o);
}

void CrossoverEditorWindow::setSizePreset(int preset) {
    if (preset < 0 || preset >= kSchematicSizePresets) {
        return;
    }
    SchematicOptions o = canvas_->options();
    o.sizePreset = preset;
    canvas_->setOptions(o);
    // The window takes the canvas's size (as far as the screen allows, the rest scrolls).
    scroll_->setMinimumSize(canvas_->width() + kScrollFrame, canvas_->height() + kScrollFrame);
    adjustSize();
    scroll_->setMinimumSize(0, 0);
    workspace_.setCrossoverEditorSettings(editor_->mouseCode(), preset);
}

void CrossoverEditorWindow::openPartDialog(int slot, QPoint global) {
    auto* dialog = new PartDialogWindow(editor_->partDialog(slot), editor_->driverChoices(),
                                        partsFolder_, this);
    deleteWhenFinished(dialog);
    connect(dialog, &QDialog::accepted, this, [this, dialog, slot] {
        editor_->acceptPartDialog(slot, dialog->values());
        canvas_->update();
    });
    placeNextToPointer(dialog, global);
    dialog->open();
}

void CrossoverEditorWindow::openFreeWires() {
    auto* dialog = new FreeWiresDialog(editor_->freeWires(), this);
    deleteWhenFinished(dialog);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        editor_->acceptFreeWires(dialog->values());
        canvas_->update();
    });
    dialog->open();
}

void CrossoverEditorWindow::openMouseAssignment() {
    auto* dialog = new MouseAssignmentDialog(editor_->mouseCode(), this);
    deleteWhenFinished(dialog);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        editor_->setMouseCode(dialog->code());
        workspace_.setCrossoverEditorSettings(dialog->code(), canvas_->options().sizePreset);
    });
    dialog->open();
}

void CrossoverEditorWindow::okClicked() {
    if (editor_->ok(prompt_, workspace_) == CloseOutcome::Closed) {
        closed_ = true;
        close();
    }
}

void CrossoverEditorWindow::cancelClicked() {
    editor_->cancel(workspace_);
    closed_ = true;
    close();
}

void CrossoverEditorWindow::closeEvent(QCloseEvent* event) {
    // The frame's close button and the main window's closing of editors drop the working copy
    // as "&Abbruch" does.
    if (!closed_) {
        editor_->cancel(workspace_);
        closed_ = true;
    }
    event->accept();
}

} // namespace sonora::ui
