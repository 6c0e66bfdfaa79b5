#include "seriallink/comportmap.h"
#include "seriallink/serialportcontrol.h"
#include "window/ventana.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ventana window(std::make_unique<SerialPortControl>(ComPortMap::system()));
    window.Form_Load();
    if (window.isUnloaded())
        return 0;
    return app.exec();
}
