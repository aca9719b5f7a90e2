// vr880tx: the controller's operations from a shell, a script or a test station.
#include <QCoreApplication>

#include "cli/command_line.h"

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    return vr::cli::Main(QCoreApplication::arguments().mid(1));
}
