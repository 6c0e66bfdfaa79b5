#include "recording/rowfile.h"

#include <cstdio>
#include <cstdlib>

// Appends each argument after the first as a row, CRLF added, to the row
// file named first, as a recording does; prints why and exits with 1 when
// the file is refused or a row does not go in.
int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: rowfile-probe FILE [ROW...]\n");
        return EXIT_FAILURE;
    }
    const auto file = RowFile::append(QString::fromLocal8Bit(argv[1]));
    for (int i = 2; i < argc && file->isOpen(); ++i)
        file->write(QByteArray(argv[i]) + "\r\n");
    if (!file->isOpen()) {
        std::fprintf(stderr, "%s\n", file->problem().toLocal8Bit().constData());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
