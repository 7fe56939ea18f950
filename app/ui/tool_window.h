// The one window of a kind under its parent: a tool window opens once and comes to the front when
// asked for again.
#pragma once

#include <QString>
#include <QWidget>

namespace sonora::ui {

// Shows the child window of type W of `parent` named `objectName`: the open one, brought to the
// front, or a new one from `make` that deletes itself when closed. `reuse(window)` runs on an
// open one before it is shown (to refill it, say).
template <class W, class Make, class Reuse>
W* showToolWindow(QWidget* parent, const QString& objectName, Make make, Reuse reuse) {
    auto* window = parent->findChild<W*>(objectName, Qt::FindDirectChildrenOnly);
    if (window == nullptr) {
        window = make();
        window->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        reuse(window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

template <class W, class Make>
W* showToolWindow(QWidget* parent, const QString& objectName, Make make) {
    return showToolWindow<W>(parent, objectName, make, [](W*) {});
}

} // namespace sonora::ui
