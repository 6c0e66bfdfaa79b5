#include "programs/common/commandline.h"
#include "programs/stats/statsoptions.h"
#include "recording/recordingreader.h"
#include "stickdata/boardstats.h"
#include "stickdata/statsreport.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>

// The board's statistics from recordings, printed once every file has been
// read: a file that is no recording stops the program before anything is
// printed.

namespace {

// Why `path` could not be read as a recording, a folder named as the monitor
// names it; nothing once its rows are in `reader`.
std::optional<QString> readRecording(const QString &path, RecordingReader &reader)
{
    QFile file(path);
    const bool opened = path == QStringLiteral("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                    : file.open(QIODevice::ReadOnly);
    if (!opened)
        return QFileInfo(path).isDir() ? QStringLiteral("it is a folder") : file.errorString();
    return reader.read(file);
}

} // namespace

int main(int argc, char *argv[])
{
    StatsOptions options;
    if (const auto exitStatus = parseStatsOptions(commandline::arguments(argc, argv), options))
        return *exitStatus;
    BoardStats stats;
    RecordingReader reader(stats);
    for (const QString &path : options.files)
        if (const auto problem = readRecording(path, reader))
            return commandline::refuse(path + QStringLiteral(": ") + *problem);

    const QByteArray output = options.json ? statsJson(stats) : statsTable(stats).toLocal8Bit();
    if (std::fwrite(output.constData(), 1, size_t(output.size()), stdout) != size_t(output.size())
        || std::fflush(stdout) != 0) {
        std::perror("joystick-stats: standard output");
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
