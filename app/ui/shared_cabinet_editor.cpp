#include "app/ui/shared_cabinet_editor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <span>

#include "app/shell/workspace.h"
#include "app/ui/qt_text.h"
#include "app/ui/shared_cabinet_editor_preview.h"

namespace sonora::ui {

namespace {

constexpr int kEdges = 4;
constexpr int kFieldWidth = 70;    // pixels of a cm entry in a driver row
constexpr int kWindowWidth = 1120; // pixels: a driver row and the preview side by side
constexpr int kWindowHeight = 640;

QLineEdit* cmField(const std::string& latin1, QWidget* parent) {
    auto* field = new QLineEdit(fromLatin1(latin1), parent);
    field->setMaximumWidth(kFieldWidth);
    return field;
}

// A field with its "cm" after it.
QWidget* withUnit(QLineEdit* field, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(field);
    layout->addWidget(new QLabel(QStringLiteral("cm"), box));
    layout->addStretch(1);
    return box;
}

} // namespace

SharedCabinetEditor::SharedCabinetEditor(Workspace& workspace, QWidget* parent)
    : QDialog(parent), workspace_(workspace), dialog_(openSharedCabinetDialog(workspace.project())),
      scratch_(std::make_unique<TProjekt>(workspace.project())) {
    setObjectName(QStringLiteral("sharedCabinetEditor"));
    setWindowTitle(fromUtf8("Sonora - Option gemeinsames Außengehäuse"));
    setModal(false);
    resize(kWindowWidth, kWindowHeight);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("sharedCabinetPages"));
    pages_->addTab(buildCabinetPage(), fromUtf8("gemeinsames Außengehäuse"));
    const int drivers = workspace.project().nChassis;
    for (int page = 0; page < sharedCabinetPageCount(drivers); ++page) {
        pages_->addTab(buildDriverPage(page), fromLatin1(sharedCabinetPageTitle(page, drivers)));
    }

    preview_ = new CabinetPreviewWidget(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setVisible(false);
    previewSwitch_ = new QCheckBox(fromUtf8("Vorschau zeigen"), this);
    previewSwitch_->setObjectName(QStringLiteral("previewSwitch"));
    connect(previewSwitch_, &QCheckBox::toggled, this, [this](bool on) {
        preview_->setVisible(on);
        if (on) {
            refreshPreview();
        }
    });

    auto* buttons = new QDialogButtonBox(this);
    apply_ = buttons->addButton(fromUtf8("&Übernehmen"), QDialogButtonBox::ApplyRole);
    ok_ = buttons->addButton(fromUtf8("&Ok"), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(fromUtf8("&Abbruch"), QDialogButtonBox::RejectRole);
    for (QPushButton* b : {apply_, ok_, cancel_}) {
        b->setAutoDefault(false);
    }
    connect(apply_, &QPushButton::clicked, this, &SharedCabinetEditor::apply);
    connect(ok_, &QPushButton::clicked, this, [this] {
        apply();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(pages_, 1);
    body->addWidget(preview_, 0); // the preview keeps its own size, the entries take the rest
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(previewSwitch_);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);

    for (int slot = 0; slot < rowCount(); ++slot) {
        refreshRow(slot);
    }
}

SharedCabinetEditor::~SharedCabinetEditor() = default;

QWidget* SharedCabinetEditor::buildCabinetPage() {
    auto* page = new QWidget(pages_);
    auto* layout = new QVBoxLayout(page);
    auto* note =
        new QLabel(fromUtf8("Die Angaben auf dieser Seite dienen der Simulation der  Beugung "
                            "des Schalls an den Gehäusekanten und sind daher Außenmaße."),
                   page);
    note->setObjectName(QStringLiteral("outerDimensionsNote"));
    note->setWordWrap(true);
    layout->addWidget(note);

    const std::string* values[kCabinetFields] = {&dialog_.h,    &dialog_.b,    &dialog_.t,
                                                 &dialog_.fasl, &dialog_.fasr, &dialog_.faso,
                                                 &dialog_.fasu};
    const char* captions[kCabinetFields] = {"Höhe h",      "Breite b",  "Tiefe t",   "Fase links",
                                            "Fase rechts", "Fase oben", "Fase unten"};
    auto* form = new QFormLayout;
    for (int k = 0; k < kCabinetFields; ++k) {
        cabinet_[k] = cmField(*values[k], page);
        form->addRow(fromUtf8(captions[k]), withUnit(cabinet_[k], page));
        connect(cabinet_[k], &QLineEdit::textEdited, this, [this] { refreshPreview(); });
    }
    layout->addLayout(form);

    auto* edges = new QGroupBox(fromUtf8("Schallbeugung an Kanten der Frontwand"), page);
    auto* edgeLayout = new QHBoxLayout(edges);
    const bool on[kEdges] = {dialog_.beugl, dialog_.beugo, dialog_.beugr, dialog_.beugu};
    const char* edgeCaptions[kEdges] = {"links", "oben", "rechts", "unten"};
    for (int k = 0; k < kEdges; ++k) {
        edges_[k] = new QCheckBox(fromUtf8(edgeCaptions[k]), edges);
        edges_[k]->setChecked(on[k]);
        edgeLayout->addWidget(edges_[k]);
    }
    layout->addWidget(edges);
    layout->addStretch(1);
    return page;
}

QWidget* SharedCabinetEditor::buildDriverPage(int page) {
    const TProjekt& p = workspace_.project();
    auto* scroll = new QScrollArea(pages_);
    scroll->setWidgetResizable(true);
    auto* widget = new QWidget(scroll);
    auto* layout = new QVBoxLayout(widget);
    layout->addWidget(
        new QLabel(fromUtf8("Die Maße a und c gelten jeweils ab der linken unteren Ecke "
                            "der \nSeitenfläche auf die das jeweilige Chassis montiert "
                            "ist."),
                   widget));
    layout->addWidget(new QLabel(fromUtf8("Alle Maße in cm."), widget));
    const int first = page * kSharedCabinetRowsPerPage;
    const int last = std::min<int>(first + kSharedCabinetRowsPerPage, p.nChassis);
    for (int slot = first; slot < last; ++slot) {
        const SharedCabinetRow& entry = dialog_.rows[static_cast<std::size_t>(slot)];
        Row r;
        r.box = new QGroupBox(fromLatin1(sharedCabinetRowTitle(p, slot)), widget);
        auto* grid = new QGridLayout(r.box);
        r.use = new QCheckBox(fromUtf8("gem. Außengehäuse"), r.box);
        r.use->setChecked(entry.usegemgeh);
        grid->addWidget(r.use, 0, 0);

        auto* faceLabel = new QLabel(fromUtf8("Abstrahlrichtung"), r.box);
        r.face = new QComboBox(r.box);
        for (int face = 0; face < kCabinetFaces; ++face) {
            r.face->addItem(fromLatin1(cabinetFaceCaption(face)));
        }
        r.face->setCurrentIndex(entry.direction);
        auto* aLabel = new QLabel(fromUtf8("Maß a"), r.box);
        r.a = cmField(entry.a, r.box);
        auto* cLabel = new QLabel(fromUtf8("Maß c"), r.box);
        r.c = cmField(entry.c, r.box);
        r.position = {faceLabel, r.face, aLabel, r.a, cLabel, r.c};

        auto* rearLabel = new QLabel(fromUtf8("Rückseite"), r.box);
        r.rearSide = new QComboBox(r.box);
        r.rearSide->addItem(fromLatin1(rearSideCaption(kRearSameSide)));
        r.rearSide->addItem(fromLatin1(rearSideCaption(kRearOppositeSide)));
        r.rearSide->setCurrentIndex(entry.directionr);
        auto* arLabel = new QLabel(fromUtf8("Maß a"), r.box);
        r.ar = cmField(entry.ar, r.box);
        auto* crLabel = new QLabel(fromUtf8("Maß c"), r.box);
        r.cr = cmField(entry.cr, r.box);
        r.rear = {rearLabel, r.rearSide, arLabel, r.ar, crLabel, r.cr};
        // The outlet on the first line, the rear outlet below it.
        for (int k = 0; k < static_cast<int>(r.position.size()); ++k) {
            grid->addWidget(r.position[static_cast<std::size_t>(k)], 0, k + 1);
        }
        for (int k = 0; k < static_cast<int>(r.rear.size()); ++k) {
            grid->addWidget(r.rear[static_cast<std::size_t>(k)], 1, k + 1);
        }
        grid->setColumnStretch(static_cast<int>(r.position.size()) + 1, 1);

        connect(r.use, &QCheckBox::toggled, this, [this, slot] {
            refreshRow(slot);
            refreshPreview();
        });
        for (QComboBox* box : {r.face, r.rearSide}) {
            connect(box, &QComboBox::currentIndexChanged, this, [this] { refreshPreview(); });
        }
        for (QLineEdit* field : {r.a, r.c, r.ar, r.cr}) {
            connect(field, &QLineEdit::textEdited, this, [this] { refreshPreview(); });
        }
        layout->addWidget(r.box);
        rows_.push_back(r);
    }
    layout->addStretch(1);
    scroll->setWidget(widget);
    // As wide as a row, so only the height scrolls.
    scroll->setMinimumWidth(widget->sizeHint().width() +
                            scroll->verticalScrollBar()->sizeHint().width() +
                            2 * scroll->frameWidth());
    return scroll;
}

void SharedCabinetEditor::readEntries() {
    std::string* values[kCabinetFields] = {&dialog_.h,    &dialog_.b,    &dialog_.t,
                                           &dialog_.fasl, &dialog_.fasr, &dialog_.faso,
                                           &dialog_.fasu};
    for (int k = 0; k < kCabinetFields; ++k) {
        *values[k] = toLatin1(cabinet_[k]->text());
    }
    bool* switches[kEdges] = {&dialog_.beugl, &dialog_.beugo, &dialog_.beugr, &dialog_.beugu};
    for (int k = 0; k < kEdges; ++k) {
        *switches[k] = edges_[k]->isChecked();
    }
    // Rows of hidden slots keep what they were opened with.
    for (int slot = 0; slot < rowCount(); ++slot) {
        const Row& r = rows_[static_cast<std::size_t>(slot)];
        SharedCabinetRow& entry = dialog_.rows[static_cast<std::size_t>(slot)];
        entry.usegemgeh = r.use->isChecked();
        entry.direction = r.face->currentIndex();
        entry.a = toLatin1(r.a->text());
        entry.c = toLatin1(r.c->text());
        entry.directionr = r.rearSide->currentIndex();
        entry.ar = toLatin1(r.ar->text());
        entry.cr = toLatin1(r.cr->text());
    }
}

void SharedCabinetEditor::refreshRow(int slot) {
    const Row& r = rows_[static_cast<std::size_t>(slot)];
    const SharedCabinetRowFields shown =
        sharedCabinetRowFields(r.use->isChecked(), workspace_.project().einbau[slot].typ);
    for (QWidget* w : r.position) {
        w->setVisible(shown.position);
    }
    for (QWidget* w : r.rear) {
        w->setVisible(shown.rearOutlet);
    }
}

void SharedCabinetEditor::refreshPreview() {
    readEntries();
    if (!previewSwitch_->isChecked()) {
        return;
    }
    applySharedCabinetDialog(*scratch_, dialog_);
    preview_->setPreview(cabinetPreview(*scratch_));
}

void SharedCabinetEditor::apply() {
    readEntries();
    auto edited = std::make_unique<TProjekt>(workspace_.project());
    applySharedCabinetDialog(*edited, dialog_);
    workspace_.acceptSharedCabinet(edited->Gemgeh,
                                   std::span<const TSchallwand, kMaxChassis>(edited->schallwand));
}

void SharedCabinetEditor::done(int result) {
    previewSwitch_->setChecked(false);
    QDialog::done(result);
}

} // namespace sonora::ui
