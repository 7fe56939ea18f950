// sonora: the loudspeaker box simulator's window program.
#include <QApplication>

#include "app/ui/program.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return sonora::ui::runProgram(app);
}
