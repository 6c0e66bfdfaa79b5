#pragma once

// For a program with a window and no console of its own, as the monitor is
// on Windows: started from a console, it writes its help, its refusals and
// its log there, and takes Ctrl-C from it. Output sent elsewhere stays
// where it goes. Nothing to do on Linux.
void useParentConsole();
