#include "programs/desktop/display.h"

#include <QByteArray>
#include <QtGlobal>

namespace {

// An X server where one is at hand, unless the user has chosen a platform.
// Wayland has no request that removes a window's minimize or maximize button.
// Where the compositor leaves the title bar to the program, as GNOME's and
// weston do, Qt 6.4 draws its own with both, and maximizing there makes a
// compositor such as weston end the program: Qt keeps this fixed-size window
// at its size, which the maximized state forbids. Through the desktop's X
// server (XWayland) the desktop draws the title bar from the window's hints,
// with neither button, as on X11. Without a reachable X server Qt goes on
// to Wayland; -platform on the command line still takes precedence.
void preferXServer()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

// On X11, Qt hands a window's pixels to the server in shared memory and,
// before painting over them again, waits for the server to say it has read
// them: a round trip every frame. This window repaints a few small areas up
// to about 33 times a second; sent with the request, those pixels cost the
// program and the server less. Qt only asks whether the variable is set.
void sendPixelsWithRequests()
{
    qputenv("QT_XCB_NO_MITSHM", "1");
}

} // namespace

void prepareDisplay()
{
    preferXServer();
    sendPixelsWithRequests();
}
