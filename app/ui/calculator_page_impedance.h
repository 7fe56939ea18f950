// The calculator page "Impedanzkorrekturglieder": networks parallel to a driver that flatten its
// impedance at the resonance, along the voice-coil inductance, or both.
#pragma once

#include <QWidget>

#include "acoustics/network_calc_impedance.h"
#include "app/ui/calculator_page_support.h"

namespace sonora::ui {

class ImpedanceCorrectionPage : public QWidget {
    Q_OBJECT
public:
    explicit ImpedanceCorrectionPage(QWidget* parent = nullptr);

    ImpedanceCorrectionInputs input() const {
        return readPageInput(impedanceCorrectionFields(), entries_);
    }
    const PageEntries& entries() const { return entries_; }
    ResultMemo* resonance() const { return resonance_; }
    ResultMemo* inductance() const { return inductance_; }
    ResultMemo* combined() const { return combined_; }

private:
    void recalculate();

    PageEntries entries_;
    bool building_ = true;
    ResultMemo* resonance_ = nullptr;
    ResultMemo* inductance_ = nullptr;
    ResultMemo* combined_ = nullptr;
};

} // namespace sonora::ui
