#include "programs/common/parentconsole.h"

#include <windows.h>

#include <cstdio>

namespace {

bool goesSomewhere(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    return handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

// A windowed program gets no output from Windows unless its output was
// sent to a file or a pipe.
void useParentConsole()
{
    if (goesSomewhere(STD_OUTPUT_HANDLE) || goesSomewhere(STD_ERROR_HANDLE) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    [[maybe_unused]] std::FILE *output = std::freopen("CONOUT$", "w", stdout);
    [[maybe_unused]] std::FILE *errors = std::freopen("CONOUT$", "w", stderr);
}
