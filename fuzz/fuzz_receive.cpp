// An arbitrary byte stream arriving on the port of the board's link, one
// receive event per character as the serial control delivers it, and
// applied to the board's model.

#include "fuzzcheck.h"
#include "modelchecks.h"

#include "session/session.h"
#include "stickdata/interpreter.h"
#include "stickdata/lineassembler.h"
#include "tests/support/fakeserial.h"

#include <QByteArray>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace {

// The board's session over an in-memory port, its search started: its
// link has opened the one port there is and waits there for the board. No
// event loop runs, so it waits for the whole run; it is never destroyed,
// like the application. Every line the link delivers is kept in `lines`,
// every line it drops counted in `dropped`.
struct Receiver {
    Receiver()
    {
        QObject::connect(&session.link(), &Link::lineReceived, &session.link(),
                         [this](const QString &line) { lines.append(line); });
        QObject::connect(&session.link(), &Link::lineDropped, &session.link(), [this] { ++dropped; });
        session.link().buscarPuerto();
    }

    FakeSerial *const port = new FakeSerial;
    BoardSession session{std::make_shared<ComPortMap>([] { return QStringList{"/dev/ttyUSB0"}; }),
                         std::unique_ptr<SerialControl>(port)};
    QStringList lines;
    qsizetype dropped = 0;
};

Receiver &receiver()
{
    static Receiver *const instance = new Receiver;
    return *instance;
}

bool isDropped(QChar character)
{
    return character.unicode() < LineAssembler::kLowestLineCharacter;
}

// The lines of `bytes` without their control characters, the last one
// unfinished.
QStringList linesOf(const QByteArray &bytes)
{
    QStringList lines = QString::fromLatin1(bytes).split(u'\n');
    for (QString &line : lines)
        line.removeIf(isDropped);
    return lines;
}

bool isOverLong(const QString &line)
{
    return line.size() > LineAssembler::kMaxLineLength;
}

// The lines `bytes` finish, without those over the limit.
QStringList completeLines(QStringList lines)
{
    lines.removeLast();
    lines.removeIf(isOverLong);
    return lines;
}

quint64 reportsClosedBy(const QStringList &lines)
{
    return quint64(std::count_if(lines.begin(), lines.end(), [](const QString &line) {
        const LineMeaning meaning = analizarIN(line);
        const auto *button = std::get_if<ButtonLine>(&meaning);
        return button && button->closesReport;
    }));
}

void checkLine(const QString &line)
{
    fuzzCheck(line.size() <= LineAssembler::kMaxLineLength, "no line is longer than the limit");
    fuzzCheck(std::none_of(line.begin(), line.end(), isDropped), "no line holds a control character");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    ensureApplication();
    fuzzCheck(receiver().port->PortOpen(), "the link opened its port");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Receiver &target = receiver();
    // A line feed first ends whatever line the previous input left open, so
    // each input starts on a fresh line.
    target.port->receive(QByteArray(1, '\n'));
    target.lines.clear();
    target.dropped = 0;
    const ModelSnapshot before = takeSnapshot(target.session.model());

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    target.port->receive(bytes);

    for (const QString &line : std::as_const(target.lines))
        checkLine(line);
    const QStringList sent = linesOf(bytes);
    fuzzCheck(target.lines == completeLines(sent),
              "the lines that arrive are the input's, control characters left out, those over the limit dropped");
    fuzzCheck(target.dropped == std::count_if(sent.begin(), sent.end(), isOverLong),
              "every line over the limit is told dropped once, the unfinished one as soon as it passes the limit");
    fuzzCheck(target.port->written.isEmpty(), "receiving sends nothing");
    checkModelState(target.session.model(), before, LineAssembler::kMaxLineLength, reportsClosedBy(target.lines));
    return 0;
}
