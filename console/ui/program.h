// The console's program start: single instance, library check, main window, server manager,
// start-up messages and the message loop.
#ifndef QVL_PROGRAM_H
#define QVL_PROGRAM_H

#include <windows.h>

#include "pageBase.h"

extern const char *const InstanceMutexName; // "qvl_storage_management_software_mutex"

// Asks the running copy to show itself: the first top-level window carrying the property named
// after `programPath` gets WM_SHOW_INSTANCE. False when none was found.
bool ShowRunningInstance(const char *programPath);

// Runs the console until Exit; `firstArgument` may be null. Returns the process exit code.
int RunConsole(const char *firstArgument, PageClass page);

// The application's message loop, with the F1 handler seeing every message first.
void RunMessageLoop();

#endif
