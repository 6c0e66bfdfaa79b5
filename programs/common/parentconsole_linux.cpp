#include "programs/common/parentconsole.h"

// A program started from a terminal writes to it already.
void useParentConsole() {}
