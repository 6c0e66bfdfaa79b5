#include "window/toolkit.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdio>
#include <cstdlib>
#include <limits>

namespace toolkit {

WakeUpAt::WakeUpAt(const QDeadlineTimer &deadline)
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.start(int(qMin<qint64>(deadline.remainingTime(), std::numeric_limits<int>::max())));
}

void pumpEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void endProgram()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace toolkit
