// The tool window "SONORA - Hilfsberechnungen": six pages of independent calculations (boxes,
// port, crossovers, L-pad, impedance correction) that never touch the project.
#pragma once

#include <QWidget>

#include "app/ui/calculator_page_support.h"

class QTabWidget;

namespace sonora {
class UserPrompt;
}

namespace sonora::ui {

class ClosedVentedPage;
class EbpPage;
class PortPage;
class StandardCrossoverPage;
class LPadPage;
class ImpedanceCorrectionPage;

class CalculatorsWindow : public QWidget {
    Q_OBJECT
public:
    // `driverFolder`: where the driver file dialog starts; `prompt`: the driver-file reader's
    // messages.
    CalculatorsWindow(QString driverFolder, UserPrompt& prompt, QWidget* parent = nullptr);

    // Replaces the driver file dialog (tests).
    void setDriverFileChooser(DriverFileChooser chooser) { loading_.chooser = std::move(chooser); }

    QTabWidget* pages() const { return pages_; }
    ClosedVentedPage* closedVentedPage() const { return closedVented_; }
    EbpPage* ebpPage() const { return ebp_; }
    PortPage* portPage() const { return port_; }
    StandardCrossoverPage* crossoverPage() const { return crossover_; }
    LPadPage* lpadPage() const { return lpad_; }
    ImpedanceCorrectionPage* impedancePage() const { return impedance_; }

private:
    DriverLoading loading_; // shared by the two pages with the load button
    QTabWidget* pages_ = nullptr;
    ClosedVentedPage* closedVented_ = nullptr;
    EbpPage* ebp_ = nullptr;
    PortPage* port_ = nullptr;
    StandardCrossoverPage* crossover_ = nullptr;
    LPadPage* lpad_ = nullptr;
    ImpedanceCorrectionPage* impedance_ = nullptr;
};

// Shows the window above `parent`: the one already open (brought to the front), else a new one
// that deletes itself when closed.
CalculatorsWindow* showCalculatorsWindow(QWidget* parent, const QString& driverFolder,
                                         UserPrompt& prompt);

} // namespace sonora::ui
