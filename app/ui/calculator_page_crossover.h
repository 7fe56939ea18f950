// The calculator page "Standardweichen": two-way crossovers of orders 1 to 4 for resistive loads,
// each order with its low-pass and high-pass circuit and part values.
#pragma once

#include <QWidget>
#include <array>

#include "acoustics/network_calc_crossover.h"
#include "app/ui/calculator_page_support.h"

namespace sonora::ui {

struct CircuitDrawing;

// The circuits the result lines name, order 1 .. 4 (low-pass ahead of the woofer RL, high-pass
// ahead of the tweeter RH).
CircuitDrawing lowPassCircuit(int order);
CircuitDrawing highPassCircuit(int order);

class StandardCrossoverPage : public QWidget {
    Q_OBJECT
public:
    explicit StandardCrossoverPage(QWidget* parent = nullptr);

    StandardCrossoverInputs input() const {
        return readPageInput(standardCrossoverFields(), entries_);
    }
    const PageEntries& entries() const { return entries_; }
    // Index order − 1.
    ResultMemo* lowPass(int index) const { return lowPass_.at(static_cast<std::size_t>(index)); }
    ResultMemo* highPass(int index) const { return highPass_.at(static_cast<std::size_t>(index)); }

private:
    void recalculate();

    PageEntries entries_;
    bool building_ = true;
    std::array<ResultMemo*, kStandardCrossoverOrders> lowPass_{};
    std::array<ResultMemo*, kStandardCrossoverOrders> highPass_{};
};

} // namespace sonora::ui
