// The calculator page "Spannungsteiler": the L-pad for a wanted attenuation with suggestions from
// common resistors (upper group), and level and input impedance of given resistors (lower group).
#pragma once

#include <QWidget>

#include "acoustics/network_calc_lpad.h"
#include "app/ui/calculator_page_support.h"

class QComboBox;
class QGroupBox;

namespace sonora::ui {

class LPadPage : public QWidget {
    Q_OBJECT
public:
    explicit LPadPage(QWidget* parent = nullptr);

    LPadInputs input() const { return readPageInput(lpadFields(), wanted_); }
    ReverseLPadInputs reverseInput() const { return readPageInput(reverseLpadFields(), given_); }
    const PageEntries& wantedEntries() const { return wanted_; }
    const PageEntries& givenEntries() const { return given_; }
    QComboBox* attenuationList() const { return attenuation_; }
    ResultMemo* wantedResult() const { return wantedResult_; }
    ResultMemo* givenResult() const { return givenResult_; }

private:
    void recalculate();

    PageEntries wanted_; // upper group
    PageEntries given_;  // lower group
    bool building_ = true;
    QComboBox* attenuation_ = nullptr;
    ResultMemo* wantedResult_ = nullptr;
    ResultMemo* givenResult_ = nullptr;
};

} // namespace sonora::ui
