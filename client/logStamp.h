// What a read of the log that follows on compares to tell that the file is still the one it
// read: its size, creation, last-write and change times, taken by name without opening it, or
// from an open handle. The change time is what sees a replaced file: a rename or a copy of
// another file's stamps (SetFileTime) sets it, and Windows offers no call of the ordinary API
// that sets it back. What it cannot see: a file whose four stamps were all set to the old one's
// through the native API. Where ntdll does not give these queries (Windows 95/98/Me), there is
// no stamp and every read opens the file.
#pragma once

#include <windows.h>

namespace qvl::local {

struct LogStamp {
    ULONGLONG size = 0, creation = 0, lastWrite = 0, change = 0;
    bool operator==(const LogStamp &) const = default;
};

// Stamps of the file at `path` (taken once: the path is fixed for the library's life).
bool StampByName(const char *path, LogStamp &out);
// Stamps of an open file, as StampByName would give them for its name.
bool StampByHandle(HANDLE file, LogStamp &out);
// Whether stamps can be taken here at all.
bool StampsAvailable();

} // namespace qvl::local
