// An arbitrary byte stream arriving at a window that has opened its port,
// one receive event per character, as the serial control delivers it.

#include "fuzzcheck.h"
#include "windowchecks.h"

#include "seriallink/polling.h"
#include "support/fakeserial.h"
#include "window/ventana.h"

#include <memory>

namespace {

struct Receiver {
    FakeSerial *port;
    ventana *window;
};

// One window for the whole run, shown as loading shows it, its in-memory
// port opened the way discovery opens a port (one character per read).
// Never destroyed, like the application; its poll timer is stopped, as no
// event loop runs here.
Receiver &receiver()
{
    static Receiver instance = [] {
        auto port = std::make_unique<FakeSerial>();
        FakeSerial *portView = port.get();
        auto *window = new ventana(std::move(port));
        window->Timer1->stop();
        window->show();
        window->CLAVE = QStringLiteral("JOYSTICK");
        window->puerto = 1;
        window->serial();
        return Receiver{portView, window};
    }();
    return instance;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    ensureApplication();
    fuzzCheck(receiver().port->PortOpen(), "the window opened its port");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Receiver &target = receiver();
    // A line feed first ends whatever line the previous input left open, so
    // each input starts on a fresh line.
    target.port->receive(QByteArray(1, '\n'));
    const WindowSnapshot before = takeSnapshot(*target.window);

    target.port->receive(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    fuzzCheck(target.window->linea.size() <= polling::kMaxLineLength, "the line being received stays within its limit");
    checkWindowState(*target.window, before, polling::kMaxLineLength);
    fuzzCheck(target.port->written.isEmpty(), "receiving sends nothing");
    return 0;
}
