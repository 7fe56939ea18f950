// The calculator page "Tieftönerverwendung nach EBP": which enclosure suits a woofer after its
// energy-bandwidth product fs/Qts.
#pragma once

#include <QWidget>

#include "acoustics/box_calc_ebp.h"
#include "app/ui/calculator_page_support.h"

class QFormLayout;
class QLabel;
class QPushButton;

namespace sonora::ui {

class EbpPage : public QWidget {
    Q_OBJECT
public:
    explicit EbpPage(const DriverLoading& loading, QWidget* parent = nullptr);

    EbpInput input() const { return readPageInput(ebpFields(), entries_); }
    const PageEntries& entries() const { return entries_; }
    ResultMemo* result() const { return result_; }
    QPushButton* loadButton() const { return load_; }
    QLabel* loadMessage() const { return message_; }

    // "Parameter für Tieftöner aus Chassisdatei laden ..": fs, Qes and Qms from a driver file.
    void loadDriver();

private:
    void recalculate();

    const DriverLoading& loading_;
    PageEntries entries_;
    bool updating_ = true; // while the page writes into its own entries
    QFormLayout* form_ = nullptr;
    ResultMemo* result_ = nullptr;
    QPushButton* load_ = nullptr;
    QLabel* message_ = nullptr;
};

} // namespace sonora::ui
