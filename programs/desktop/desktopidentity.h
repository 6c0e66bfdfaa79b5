#pragma once

// Tells the desktop which application this process's windows belong to:
// the desktop entry they come from, which Wayland compositors and task bars
// match, and the application's icon, from the icon theme where it has one
// and else the one built into the program. Once the application exists.
void adoptDesktopIdentity();
