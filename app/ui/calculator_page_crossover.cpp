#include "app/ui/calculator_page_crossover.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/ui/calculator_page_pictures.h"

namespace sonora::ui {

namespace {

using Kind = CircuitPart::Kind;

CircuitStage series(Kind kind, const char* label) {
    return {false, {{kind, QString::fromLatin1(label)}}};
}

CircuitStage shunt(Kind kind, const char* label) {
    return {true, {{kind, QString::fromLatin1(label)}}};
}

QString caption(std::string_view name) {
    return fieldCaption(standardCrossoverFields(), name);
}

} // namespace

// The ladders begin at the amplifier; the part names are those of the result lines (the larger
// fourth-order inductance L1 first, the high-pass mirrored with C3 first).
CircuitDrawing lowPassCircuit(int order) {
    switch (order) {
    case 1:
        return {{series(Kind::Inductor, "L")}, QStringLiteral("RL")};
    case 2:
        return {{series(Kind::Inductor, "L1"), shunt(Kind::Capacitor, "C1")}, QStringLiteral("RL")};
    case 3:
        return {{series(Kind::Inductor, "L1"), shunt(Kind::Capacitor, "C1"),
                 series(Kind::Inductor, "L2")},
                QStringLiteral("RL")};
    default:
        return {{series(Kind::Inductor, "L1"), shunt(Kind::Capacitor, "C1"),
                 series(Kind::Inductor, "L2"), shunt(Kind::Capacitor, "C2")},
                QStringLiteral("RL")};
    }
}

CircuitDrawing highPassCircuit(int order) {
    switch (order) {
    case 1:
        return {{series(Kind::Capacitor, "C")}, QStringLiteral("RH")};
    case 2:
        return {{series(Kind::Capacitor, "C2"), shunt(Kind::Inductor, "L2")}, QStringLiteral("RH")};
    case 3:
        return {{series(Kind::Capacitor, "C2"), shunt(Kind::Inductor, "L3"),
                 series(Kind::Capacitor, "C3")},
                QStringLiteral("RH")};
    default:
        return {{series(Kind::Capacitor, "C3"), shunt(Kind::Inductor, "L3"),
                 series(Kind::Capacitor, "C4"), shunt(Kind::Inductor, "L4")},
                QStringLiteral("RH")};
    }
}

StandardCrossoverPage::StandardCrossoverPage(QWidget* parent)
    : QWidget(parent), entries_([this] { recalculate(); }) {
    const StandardCrossoverInputs start;
    auto* form = new QFormLayout;
    addNumberRow(form, entries_, "fc", caption("fc"), start.fc);
    addNumberRow(form, entries_, "rl", caption("rl"), start.RL);
    addNumberRow(form, entries_, "rh", caption("rh"), start.RH);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromUtf8("Tiefpass (Tieftöner)")), 0, 1, 1, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("Hochpass (Hochtöner)")), 0, 3, 1, 2);
    for (int k = 0; k < kStandardCrossoverOrders; ++k) {
        const int order = k + 1;
        const int row = k + 1;
        grid->addWidget(new QLabel(QStringLiteral("%1. Ordnung").arg(order)), row, 0);
        grid->addWidget(new CircuitPicture(lowPassCircuit(order)), row, 1);
        grid->addWidget(new CircuitPicture(highPassCircuit(order)), row, 3);
        auto* low = new ResultMemo;
        low->setObjectName(QStringLiteral("lowPass%1").arg(order));
        auto* high = new ResultMemo;
        high->setObjectName(QStringLiteral("highPass%1").arg(order));
        grid->addWidget(low, row, 2);
        grid->addWidget(high, row, 4);
        lowPass_[static_cast<std::size_t>(k)] = low;
        highPass_[static_cast<std::size_t>(k)] = high;
    }
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(4, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(grid, 1);

    building_ = false;
    recalculate();
}

void StandardCrossoverPage::recalculate() {
    if (building_) {
        return;
    }
    const StandardCrossoverMemos memos = standardCrossoverLines(input());
    for (std::size_t k = 0; k < lowPass_.size(); ++k) {
        lowPass_[k]->setLines(memos.lowPass[k]);
        highPass_[k]->setLines(memos.highPass[k]);
    }
}

} // namespace sonora::ui
