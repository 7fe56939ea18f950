// The program `sonora`: settings and folders, the main window, the start project, the event loop.
#pragma once

#include <QApplication>

namespace sonora::ui {

// Runs the program with the application's arguments (one optional project file). Returns the
// exit code: 0 after a normal end, 1 when the argument file does not exist.
int runProgram(QApplication& app);

} // namespace sonora::ui
