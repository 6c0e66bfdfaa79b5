// Any bytes, read as one Latin-1 line, handed to the line interpreter of a
// window that has found its board.

#include "fuzzcheck.h"
#include "windowchecks.h"

#include "seriallink/comportmap.h"
#include "seriallink/serialportcontrol.h"
#include "window/ventana.h"

#include <memory>

namespace {

// One window for the whole run, shown as loading shows it, with a port
// control that has no ports. It is never destroyed, like the application it
// belongs to. Its poll timer is stopped: no event loop runs here.
ventana &window()
{
    static ventana *const instance = [] {
        auto *created = new ventana(std::make_unique<SerialPortControl>(std::make_shared<ComPortMap>(QStringList{})));
        created->Timer1->stop();
        created->show();
        created->CLAVE = QStringLiteral("JOYSTICK");
        return created;
    }();
    return *instance;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    ensureApplication();
    window();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = latin1Text(data, size);
    ventana &target = window();
    const WindowSnapshot before = takeSnapshot(target);
    target.portok = 0;

    target.analizarIN(line);

    checkWindowState(target, before, line.size());
    const bool identifiesBoard = line.contains(target.CLAVE);
    fuzzCheck(target.portok == (identifiesBoard ? 1 : 0), "exactly the lines with the keyword identify the board");
    return 0;
}
