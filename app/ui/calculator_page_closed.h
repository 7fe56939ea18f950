// The calculator page "Gehäuse geschlossen/Bassreflex": the driver's entries, the closed box for
// a wanted Qtc, the vented box after Hoge and the tuning for an alternative volume.
#pragma once

#include <QWidget>
#include <string_view>

#include "acoustics/box_calc_closed.h"
#include "app/ui/calculator_page_support.h"

class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace sonora::ui {

class ClosedVentedPage : public QWidget {
    Q_OBJECT
public:
    explicit ClosedVentedPage(const DriverLoading& loading, QWidget* parent = nullptr);

    // The inputs as the entries give them now.
    ClosedVentedInput input() const { return readPageInput(closedVentedFields(), entries_); }
    const PageEntries& entries() const { return entries_; }
    ResultMemo* closedBox() const { return closedBox_; }
    ResultMemo* ventedBox() const { return ventedBox_; }
    ResultMemo* alternative() const { return alternative_; }
    QPushButton* loadButton() const { return load_; }
    QLabel* loadMessage() const { return message_; }

    // "Parameter für Tieftöner aus Chassisdatei laden ..": the file dialog, then the core's
    // loading.
    void loadDriver();

private:
    void recalculate();

    const DriverLoading& loading_;
    PageEntries entries_;
    bool updating_ = true; // while the page writes into its own entries
    QFormLayout* driverForm_ = nullptr;
    ResultMemo* closedBox_ = nullptr;
    ResultMemo* ventedBox_ = nullptr;
    ResultMemo* alternative_ = nullptr;
    QPushButton* load_ = nullptr;
    QLabel* message_ = nullptr;
};

} // namespace sonora::ui
