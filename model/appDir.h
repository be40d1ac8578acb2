// AppDir: the program's directory with a trailing backslash, a program-wide value that the
// main window sets when it is created and the RAID system reads for its temporary file.
#ifndef QVL_APPDIR_H
#define QVL_APPDIR_H

#include <string>

extern std::string AppDir;

// Directory of the running program's file, with a trailing backslash.
std::string ProgramDirectory();

#endif
