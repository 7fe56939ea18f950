// Editors and tool windows open where they were last closed, or beside the main window when the
// screen has room there, and the workspace keeps where they were closed for the settings file.
#pragma once

#include <QObject>

class QMainWindow;

namespace sonora {
class Workspace;
}

namespace sonora::ui {

class WindowKeeper : public QObject {
    Q_OBJECT
public:
    // Watches every window of the application while it lives; `main` and `workspace` outlive it.
    WindowKeeper(QMainWindow& main, Workspace& workspace);
    ~WindowKeeper() override;

    // True for the object names of the editors and tool windows that are placed and remembered.
    static bool keeps(const QString& objectName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMainWindow& main_;
    Workspace& workspace_;
};

} // namespace sonora::ui
