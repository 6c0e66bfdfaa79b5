#include "window/ventana.h"

#include "seriallink/serialcontrol.h"
#include "stickdata/protocol.h"
#include "window/toolkit.h"

#include <QCloseEvent>

namespace {

constexpr auto kCaption = "JOYSTICK";

} // namespace

ventana::ventana(std::unique_ptr<SerialControl> port, std::chrono::milliseconds portWait,
                 std::shared_ptr<ComPortMap> ports, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , Timer1(new QTimer(this))
    , MSComm1(port.release())
    , portWait_(portWait)
    , ports_(std::move(ports))
{
    layout::installFontSubstitutes();
    layout::applyDefaultFont(*this);
    MSComm1->setParent(this);
    setWindowTitle(QString::fromLatin1(kCaption));
    setFixedSize(layout::toPixels(layout::kClientWidth), layout::toPixels(layout::kClientHeight));
    layout::applyTabOrder(*this);

    connect(Exit, &QPushButton::clicked, this, &ventana::Exit_Click);
    connect(Command1, &QPushButton::clicked, this, &ventana::Command1_Click);
    connect(Timer1, &QTimer::timeout, this, &ventana::Timer1_Timer);
    connect(MSComm1, &SerialControl::OnComm, this, &ventana::MSComm1_OnComm);
    // Queued, so that a discovery runs from the event loop itself rather
    // than inside the device map's notice.
    connect(ports_.get(), &ComPortMap::devicesChanged, this, &ventana::rediscover, Qt::QueuedConnection);

    // The timer sleeps until there is a board to poll.
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(kPollInterval);
}

ventana::~ventana() = default;

QLineEdit *ventana::textBox(const char *name)
{
    auto *box = control<QLineEdit>(name);
    box->setReadOnly(true);
    return box;
}

void ventana::Form_Load()
{
    show();
    CLAVE = QString::fromLatin1(protocol::kKeyword);
    portok = 0;
    buscarPuerto();
}

// Besides closing the port, puts the timer and the device watch to sleep,
// so nothing more happens once the window is gone.
void ventana::Form_Unload(int16_t &)
{
    Timer1->stop();
    ports_->setWatching(false);
    try {
        if (MSComm1->PortOpen())
            MSComm1->setPortOpen(false);
    } catch (const SerialError &) {
        // The process is about to end; the system releases the port then.
    }
}

void ventana::Exit_Click()
{
    toolkit::endProgram();
}

void ventana::closeEvent(QCloseEvent *event)
{
    int16_t Cancel = 0;
    Form_Unload(Cancel);
    if (Cancel != 0) {
        event->ignore();
        return;
    }
    unloaded_ = true;
    event->accept();
}
