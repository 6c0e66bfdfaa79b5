#include "seriallink/polling.h"

#include "seriallink/discovery.h"
#include "seriallink/serialcontrol.h"
#include "stickdata/protocol.h"
#include "window/vbcolor.h"
#include "window/ventana.h"

void ventana::MSComm1_OnComm()
{
    if (MSComm1->CommEvent() != SerialControl::kEventReceive)
        return;
    const QString character = MSComm1->Input();
    if (character == QLatin1Char(protocol::kLineFeed))
        finishLine();
    else if (!character.isEmpty() && character.at(0).unicode() >= polling::kLowestLineCharacter)
        appendToLine(character);
}

void ventana::Timer1_Timer()
{
    bResultado->setText(QString());
    if (portok == 1)
        sendRequest();
}

void ventana::Command1_Click()
{
    bResultado->setText(QString());
    sendRequest();
    Picture1->Cls();
    Picture1->Line(polling::kTestFigureFrom, polling::kTestFigureFrom, polling::kTestFigureTo,
                   polling::kTestFigureTo, vbcolor::kRed);
}

void ventana::finishLine()
{
    if (!skippingLongLine_)
        analizarIN(linea);
    skippingLongLine_ = false;
    linea.clear();
}

// A line that outgrows the limit is dropped together with the rest of it,
// up to its line feed, so no cut-off line is ever interpreted.
void ventana::appendToLine(const QString &character)
{
    if (skippingLongLine_)
        return;
    if (linea.size() + character.size() > polling::kMaxLineLength) {
        linea.clear();
        skippingLongLine_ = true;
        return;
    }
    linea += character;
}

// A request that cannot be written (no port open, or the port went away)
// is reported in the console box; the board is then taken as lost.
void ventana::sendRequest()
{
    try {
        MSComm1->setOutput(QString::fromLatin1(protocol::kRequestLine));
    } catch (const SerialError &error) {
        Bconsola->setText(discovery::portMessage(discovery::kFailurePrefix, puerto));
        reportPortProblem(error);
        if (portok == 1)
            boardLost();
    }
}

// Polling starts with the first keyword line: the first request goes out
// one interval later. A keyword line while polling changes nothing.
void ventana::boardIdentified()
{
    portok = 1;
    if (!Timer1->isActive())
        Timer1->start();
    watchForBoardWhileThereIsNone();
}

// Polling stops, so nothing is written into a port that is gone, and the
// board is looked for again. The values and pictures stay as last shown.
void ventana::boardLost()
{
    portok = 0;
    Timer1->stop();
    ports_->forgetDevices();
    watchForBoardWhileThereIsNone();
}
