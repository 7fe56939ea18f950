#include "app/ui/crossover_finder_window.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <string>
#include <vector>

#include "app/ui/qt_text.h"
#include "app/ui/tool_window.h"

namespace sonora::ui {

namespace {

constexpr int kListRow = 1;
constexpr int kMemoRow = 2;
constexpr int kButtonRow = 3;

QListWidget* makeList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(QString::fromLatin1(name));
    return list;
}

} // namespace

CrossoverFinderWindow::CrossoverFinderWindow(const TProjekt& project, FinderResultSource result,
                                             QWidget* parent)
    : QDialog(parent), result_(std::move(result)) {
    setObjectName(QStringLiteral("crossoverFinder"));
    setWindowTitle(QString::fromUtf8("Trennfrequenzbestimmung"));
    setModal(false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Chassisgruppe 1"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Chassisgruppe 2"), this), 0, 1);
    list1_ = makeList(this, "group1");
    list2_ = makeList(this, "group2");
    grid->addWidget(list1_, kListRow, 0);
    grid->addWidget(list2_, kListRow, 1);
    memo_ = new QPlainTextEdit(this);
    memo_->setObjectName(QStringLiteral("result"));
    memo_->setReadOnly(true);
    grid->addWidget(memo_, kMemoRow, 0, 1, 2);
    close_ = new QPushButton(QString::fromUtf8("schließen"), this);
    grid->addWidget(close_, kButtonRow, 1, Qt::AlignRight);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    connect(list1_, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { ticked(1, item); });
    connect(list2_, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { ticked(2, item); });
    // A closed window waits for its deletion; the next opening must not find it.
    connect(this, &QDialog::finished, this, [this] { setObjectName(QString()); });
    fill(project);
}

void CrossoverFinderWindow::fill(const TProjekt& project) {
    const std::vector<std::string> lines = finderDriverLines(project);
    for (QListWidget* list : {list1_, list2_}) {
        const QSignalBlocker block(list);
        list->clear();
        for (const std::string& line : lines) {
            auto* item = new QListWidgetItem(fromLatin1(line), list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        }
    }
    // Drivers beyond the list must not count any more.
    for (int n = static_cast<int>(lines.size()); n < kMaxChassis; ++n) {
        ticks_.setTicked(1, n, false);
        ticks_.setTicked(2, n, false);
    }
    showTicks();
    recompute();
}

void CrossoverFinderWindow::ticked(int group, QListWidgetItem* item) {
    const QListWidget* list = groupList(group);
    ticks_.setTicked(group, list->row(item), item->checkState() == Qt::Checked);
    showTicks();
    recompute();
}

// The lists show what the ticks hold: a tick in one list has cleared the other.
void CrossoverFinderWindow::showTicks() {
    for (int group = 1; group <= 2; ++group) {
        QListWidget* list = groupList(group);
        const QSignalBlocker block(list);
        for (int n = 0; n < list->count(); ++n) {
            list->item(n)->setCheckState(ticks_.isTicked(group, n) ? Qt::Checked : Qt::Unchecked);
        }
    }
}

void CrossoverFinderWindow::recompute() {
    const TResult* result = result_ ? result_() : nullptr;
    QStringList lines;
    if (result != nullptr) {
        for (const std::string& line : crossingLines(*result, ticks_.group1(), ticks_.group2())) {
            lines << fromLatin1(line);
        }
    }
    memo_->setPlainText(lines.join(QLatin1Char('\n')));
}

CrossoverFinderWindow* showCrossoverFinder(QWidget* parent, const TProjekt& project,
                                           FinderResultSource result) {
    return showToolWindow<CrossoverFinderWindow>(
        parent, QStringLiteral("crossoverFinder"),
        [&] { return new CrossoverFinderWindow(project, std::move(result), parent); },
        [&](CrossoverFinderWindow* open) { open->fill(project); });
}

} // namespace sonora::ui
