#include "app/ui/window_keeper.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QScreen>
#include <QWidget>

#include "app/shell/workspace.h"

namespace sonora::ui {

namespace {

// Set on a window once it has been placed, so that hiding and showing it again (the "Fenster"
// menu, a minimised editor) leaves it where the user put it.
constexpr char kPlacedProperty[] = "sonoraPlaced";

WindowGeometry geometryOf(const QRect& r) {
    return WindowGeometry{r.left(), r.top(), r.width(), r.height()};
}

} // namespace

WindowKeeper::WindowKeeper(QMainWindow& main, Workspace& workspace)
    : QObject(&main), main_(main), workspace_(workspace) {
    qApp->installEventFilter(this);
}

WindowKeeper::~WindowKeeper() {
    qApp->removeEventFilter(this);
}

bool WindowKeeper::keeps(const QString& objectName) {
    static const QStringList kKept = {
        QStringLiteral("driverEditor"),       QStringLiteral("crossoverEditor"),
        QStringLiteral("activeFilterEditor"), QStringLiteral("sharedCabinetEditor"),
        QStringLiteral("optimizerWindow"),    QStringLiteral("calculatorsWindow"),
        QStringLiteral("comparisonCurves"),   QStringLiteral("crossoverFinder"),
        QStringLiteral("nearField"),          QStringLiteral("nearFieldCurves"),
        QStringLiteral("tolerance"),
    };
    return kKept.contains(objectName);
}

bool WindowKeeper::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::Show && type != QEvent::Hide) {
        return false;
    }
    auto* window = qobject_cast<QWidget*>(watched);
    if (window == nullptr || !window->isWindow() || window == &main_ ||
        !keeps(window->objectName())) {
        return false;
    }
    const std::string name = window->objectName().toStdString();
    if (type == QEvent::Hide) {
        workspace_.rememberToolWindow(name, geometryOf(window->geometry()));
        return false;
    }
    if (window->property(kPlacedProperty).toBool()) {
        return false;
    }
    window->setProperty(kPlacedProperty, true);
    const QScreen* screen = main_.screen();
    if (screen == nullptr) {
        return false;
    }
    const QRect available = screen->availableGeometry();
    const WindowGeometry place = workspace_.toolWindowPlacement(
        name, geometryOf(main_.frameGeometry()), window->width(), window->height(),
        ScreenSize{available.right() + 1, available.bottom() + 1});
    if (place.left >= 0) {
        window->setGeometry(place.left, place.top, place.width, place.height);
    }
    return false;
}

} // namespace sonora::ui
