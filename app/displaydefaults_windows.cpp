#include "app/displaydefaults.h"

// Windows has one platform, Qt's own default.
void setDisplayDefaults() {}
