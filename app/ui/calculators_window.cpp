#include "app/ui/calculators_window.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ui/calculator_page_closed.h"
#include "app/ui/calculator_page_crossover.h"
#include "app/ui/calculator_page_ebp.h"
#include "app/ui/calculator_page_impedance.h"
#include "app/ui/calculator_page_lpad.h"
#include "app/ui/calculator_page_port.h"
#include "app/ui/tool_window.h"

namespace sonora::ui {

namespace {

constexpr int kWidth = 1100; // pixels, the window's first size
constexpr int kHeight = 720;

const char kObjectName[] = "calculatorsWindow";

} // namespace

CalculatorsWindow::CalculatorsWindow(QString driverFolder, UserPrompt& prompt, QWidget* parent)
    : QWidget(parent, Qt::Window), loading_{std::move(driverFolder), &prompt} {
    setObjectName(QString::fromLatin1(kObjectName));
    setWindowTitle(QStringLiteral("SONORA - Hilfsberechnungen"));
    pages_ = new QTabWidget;
    closedVented_ = new ClosedVentedPage(loading_);
    ebp_ = new EbpPage(loading_);
    port_ = new PortPage;
    crossover_ = new StandardCrossoverPage;
    lpad_ = new LPadPage;
    impedance_ = new ImpedanceCorrectionPage;
    pages_->addTab(closedVented_, QString::fromUtf8("Gehäuse geschlossen/Bassreflex"));
    pages_->addTab(ebp_, QString::fromUtf8("Tieftönerverwendung nach EBP"));
    pages_->addTab(port_, QString::fromUtf8("Bassreflexkanal"));
    pages_->addTab(crossover_, QString::fromUtf8("Standardweichen"));
    pages_->addTab(lpad_, QString::fromUtf8("Spannungsteiler"));
    pages_->addTab(impedance_, QString::fromUtf8("Impedanzkorrekturglieder"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    resize(kWidth, kHeight);
}

CalculatorsWindow* showCalculatorsWindow(QWidget* parent, const QString& driverFolder,
                                         UserPrompt& prompt) {
    return showToolWindow<CalculatorsWindow>(parent, QString::fromLatin1(kObjectName), [&] {
        return new CalculatorsWindow(driverFolder, prompt, parent);
    });
}

} // namespace sonora::ui
