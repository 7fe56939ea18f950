#include "app/ui/crossover_editor_library_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/qt_german.h"
#include "app/ui/qt_prompt.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

const char* pageCaption(LibraryPage page) {
    switch (page) {
    case LibraryPage::Resistors:
        return "Widerstände";
    case LibraryPage::Coils:
        return "Spulen";
    case LibraryPage::Capacitors:
        return "Kondensatoren";
    }
    return "";
}

} // namespace

PartLibraryDialog::PartLibraryDialog(PartLibrary library, const PartDialog& dialog, QWidget* parent)
    : QDialog(parent), library_(std::move(library)) {
    setObjectName(QStringLiteral("partLibrary"));
    setWindowTitle(promptCaption() + QStringLiteral(" - ") +
                   QString::fromUtf8("Bauteilbibliothek"));
    auto* layout = new QVBoxLayout(this);
    pages_ = new QTabWidget(this);
    for (int k = 0; k < kLibraryPages; ++k) {
        const auto page = static_cast<LibraryPage>(k);
        auto* list = new QListWidget(pages_);
        list->setObjectName(QStringLiteral("libraryPage%1").arg(k));
        for (const LibraryEntry& e : library_.page(page)) {
            auto* item = new QListWidgetItem(fromUtf8(e.text), list);
            if (e.separator) {
                item->setFlags(Qt::NoItemFlags); // a separator cannot be chosen
            }
        }
        connect(list, &QListWidget::currentRowChanged, this, [this] { showSelection(); });
        connect(list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
            if (item->flags().testFlag(Qt::ItemIsSelectable)) {
                accept();
            }
        });
        lists_[k] = list;
        pages_->addTab(list, QString::fromUtf8(pageCaption(page)));
    }
    connect(pages_, &QTabWidget::currentChanged, this, [this] { showSelection(); });
    // Every caption in full: no eliding, no scroll arrows, and never narrower than the tab bar
    // wants to be with all its tabs side by side.
    QTabBar* bar = pages_->tabBar();
    bar->setElideMode(Qt::ElideNone);
    bar->setUsesScrollButtons(false);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(pages_);
    const int frameWidth =
        pages_->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, pages_);
    pages_->setMinimumWidth(bar->sizeHint().width() + 2 * frameWidth);
    layout->addWidget(pages_);
    selected_ = new QLabel(this);
    selected_->setObjectName(QStringLiteral("selected"));
    layout->addWidget(selected_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    germanButtons(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    const LibrarySelection start = librarySelectionFor(library_, dialog);
    select(start.page, start.entry);
    showSelection();
}

LibrarySelection PartLibraryDialog::selection() const {
    LibrarySelection s;
    s.page = static_cast<LibraryPage>(std::clamp(pages_->currentIndex(), 0, kLibraryPages - 1));
    const QListWidget* list = lists_[static_cast<int>(s.page)];
    const QListWidgetItem* item = list->currentItem();
    s.entry = item != nullptr && item->isSelected() ? list->currentRow() : -1;
    return s;
}

void PartLibraryDialog::select(LibraryPage page, int entry) {
    pages_->setCurrentIndex(static_cast<int>(page));
    QListWidget* list = lists_[static_cast<int>(page)];
    if (entry >= 0 && entry < list->count() &&
        list->item(entry)->flags().testFlag(Qt::ItemIsSelectable)) {
        list->setCurrentRow(entry);
        list->scrollToItem(list->item(entry));
    } else {
        list->setCurrentRow(-1);
        list->clearSelection();
    }
    showSelection();
}

bool PartLibraryDialog::choose(PartDialog& dialog) const {
    return chooseLibraryEntry(dialog, library_, selection());
}

void PartLibraryDialog::showSelection() {
    selected_->setText(fromUtf8(librarySelectionText(library_, selection())));
}

} // namespace sonora::ui
