#include "app/ui/calculator_page_lpad.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/ui/calculator_page_pictures.h"

namespace sonora::ui {

namespace {

CircuitDrawing lpadCircuit() {
    using Kind = CircuitPart::Kind;
    return {{{false, {{Kind::Resistor, QStringLiteral("R1")}}},
             {true, {{Kind::Resistor, QStringLiteral("R2")}}}},
            QStringLiteral("RL")};
}

} // namespace

LPadPage::LPadPage(QWidget* parent)
    : QWidget(parent), wanted_([this] { recalculate(); }), given_([this] { recalculate(); }) {
    const LPadInputs start;
    auto* upper = new QGroupBox(QString::fromUtf8("Spannungsteiler für gewünschte Pegelabsenkung"));
    upper->setObjectName(QStringLiteral("wanted"));
    auto* upperForm = new QFormLayout;
    attenuation_ = new QComboBox;
    for (int k = 0; k < kWantedAttenuationCount; ++k) {
        attenuation_->addItem(QString::fromLatin1(wantedAttenuationCaption(k).c_str()));
    }
    attenuation_->setCurrentIndex(start.attenuationIndex);
    wanted_.addList("db", attenuation_,
                    [](int index) { return plainNumberText(wantedAttenuationDb(index)); });
    upperForm->addRow(fieldCaption(lpadFields(), "db"), attenuation_);
    addNumberRow(upperForm, wanted_, "z", fieldCaption(lpadFields(), "z"), start.Z);
    addNumberRow(upperForm, wanted_, "rl", fieldCaption(lpadFields(), "rl"), start.RL);
    upperForm->addRow(
        wanted_.addSwitch("egal", fieldCaption(lpadFields(), "egal"), start.anyImpedance));
    wantedResult_ = new ResultMemo;
    wantedResult_->setObjectName(QStringLiteral("wantedResult"));
    auto* upperLayout = new QHBoxLayout(upper);
    auto* upperLeft = new QVBoxLayout;
    upperLeft->addLayout(upperForm);
    upperLeft->addWidget(new CircuitPicture(lpadCircuit()));
    upperLeft->addStretch();
    upperLayout->addLayout(upperLeft);
    upperLayout->addWidget(wantedResult_, 1);

    const ReverseLPadInputs given;
    auto* lower =
        new QGroupBox(QString::fromUtf8("Pegelabsenkung eines gegebenen Spannungsteilers"));
    lower->setObjectName(QStringLiteral("given"));
    auto* lowerForm = new QFormLayout;
    addNumberRow(lowerForm, given_, "r1", fieldCaption(reverseLpadFields(), "r1"), given.R1);
    addNumberRow(lowerForm, given_, "r2", fieldCaption(reverseLpadFields(), "r2"), given.R2);
    addNumberRow(lowerForm, given_, "rl", fieldCaption(reverseLpadFields(), "rl"), given.RL);
    givenResult_ = new ResultMemo;
    givenResult_->setObjectName(QStringLiteral("givenResult"));
    auto* lowerLayout = new QHBoxLayout(lower);
    lowerLayout->addLayout(lowerForm);
    lowerLayout->addWidget(givenResult_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(upper, 2);
    layout->addWidget(lower, 1);

    building_ = false;
    recalculate();
}

void LPadPage::recalculate() {
    if (building_) {
        return;
    }
    const LPadInputs in = input();
    // "Anschlussimpedanz egal": the wanted impedance is no condition, so its entry rests.
    wanted_.number("z")->setEnabled(!in.anyImpedance);
    wantedResult_->setLines(lpadLines(in));
    givenResult_->setLines(reverseLpadLines(reverseInput()));
}

} // namespace sonora::ui
