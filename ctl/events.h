// Driver events and the event log: the entries of the client library as lines and JSON.
#ifndef QVL_CTL_EVENTS_H
#define QVL_CTL_EVENTS_H

#include <string>

#include "args.h"
#include "commands.h"
#include "qvlrecords.h"

namespace ctl {

Result EventsCommand(const Args &args);
Result LogCommand(const Args &args);

// The console's single-instance mutex exists: the console runs on this machine.
bool ConsoleRunning();

} // namespace ctl

#endif
