#include "app/ui/calculator_page_impedance.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/ui/calculator_page_pictures.h"
#include "app/ui/qt_text.h"

namespace sonora::ui {

namespace {

using Kind = CircuitPart::Kind;

QString caption(std::string_view name) {
    return fieldCaption(impedanceCorrectionFields(), name);
}

// The branches across the driver's terminals, named as in the result lines.
CircuitDrawing resonanceCircuit() {
    return {{{true,
              {{Kind::Resistor, QStringLiteral("R")},
               {Kind::Inductor, QStringLiteral("L")},
               {Kind::Capacitor, QStringLiteral("C")}}}},
            QStringLiteral("Chassis")};
}

CircuitDrawing inductanceCircuit() {
    return {
        {{true, {{Kind::Resistor, QStringLiteral("R")}, {Kind::Capacitor, QStringLiteral("C")}}}},
        QStringLiteral("Chassis")};
}

// R1 in series with C1 beside the circuit R2–L–C2: towards high frequencies it is the voice-coil
// correction R1–C1, at the resonance R1 + R2 is the resonance correction's R.
CircuitDrawing combinedCircuit() {
    CircuitStage branch{true,
                        {{Kind::Resistor, QStringLiteral("R1")},
                         {Kind::Resistor, QStringLiteral("R2")},
                         {Kind::Inductor, QStringLiteral("L")},
                         {Kind::Capacitor, QStringLiteral("C2")}}};
    branch.bridged = {{Kind::Capacitor, QStringLiteral("C1")}};
    branch.bridgedFrom = 1;
    return {{branch}, QStringLiteral("Chassis")};
}

ResultMemo* addGroup(QVBoxLayout* layout, std::string_view title, const char* name,
                     CircuitDrawing circuit) {
    auto* group = new QGroupBox(fromUtf8(title));
    auto* row = new QHBoxLayout(group);
    row->addWidget(new CircuitPicture(std::move(circuit)));
    auto* memo = new ResultMemo;
    memo->setObjectName(QString::fromLatin1(name));
    row->addWidget(memo, 1);
    layout->addWidget(group);
    return memo;
}

} // namespace

ImpedanceCorrectionPage::ImpedanceCorrectionPage(QWidget* parent)
    : QWidget(parent), entries_([this] { recalculate(); }) {
    const ImpedanceCorrectionInputs start;
    auto* form = new QFormLayout;
    addNumberRow(form, entries_, "qms", caption("qms"), start.Qms);
    addNumberRow(form, entries_, "qes", caption("qes"), start.Qes);
    addNumberRow(form, entries_, "fc", caption("fc"), start.fc);
    addNumberRow(form, entries_, "rdc", caption("rdc"), start.Rdc);
    addNumberRow(form, entries_, "le", caption("le"), start.Le);

    auto* results = new QVBoxLayout;
    resonance_ = addGroup(results, kResonanceCorrectionCaption, "resonance", resonanceCircuit());
    inductance_ =
        addGroup(results, kInductanceCorrectionCaption, "inductance", inductanceCircuit());
    combined_ = addGroup(results, kCombinedCorrectionCaption, "combined", combinedCircuit());

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(results, 1);

    building_ = false;
    recalculate();
}

void ImpedanceCorrectionPage::recalculate() {
    if (building_) {
        return;
    }
    const ImpedanceCorrectionMemos memos = impedanceCorrectionLines(input());
    resonance_->setLines(memos.resonance);
    inductance_->setLines(memos.inductance);
    combined_->setLines(memos.combined);
}

} // namespace sonora::ui
