// qvlctl reaches the client library through LoadLibrary instead of a load-time import: when
// qvlclient.dll or the driver's qvldev.dll is missing, a load-time import would stop the program
// before main (with a system message box on Windows), and a monitoring plugin must answer
// UNKNOWN instead. The library's cs_qvl_* names are defined here, made from the list of its
// operations, and forward to the library once it is bound.
#ifndef QVL_CTL_CLIENTBIND_H
#define QVL_CTL_CLIENTBIND_H

#include <string>

namespace ctl {

// Loads qvlclient.dll from the program's folder and checks its version record as the console
// does. False with the reason when the driver cannot be reached.
bool BindClient(std::string &why);

} // namespace ctl

#endif
