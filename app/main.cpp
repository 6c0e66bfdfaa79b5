#include "app/program.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    JoystickMonitor monitor(ComPortMap::system());
    monitor.start();
    return app.exec();
}
