#include "programs/desktop/display.h"

// Windows has one platform, Qt's default, and no choice to make.
void prepareDisplay() {}
