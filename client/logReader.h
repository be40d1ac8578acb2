// Reading the event log back a line at a time, as cs_qvl_enum_event does; a walk through the
// log line by line costs about one read of the file (logReader.cpp says how, and why it is
// safe).
#pragma once

#include <cstdint>

#include "dispatch.h"

namespace qvl::local {

constexpr int kLineBuffer = 512; // a line holds at most 511 characters before its line feed

// The event log, qvl.log in the Windows directory.
inline const char *LogPath() { return g_lib.paths[PathLog]; }

// Line `index` (from 0) of the log as the C runtime reads the text-mode file, without its line
// feed: QVL_OK; QVL_NO_SUCH_LINE when the log ends before the line's line feed; QVL_FAILED when
// the log cannot be read or the line has more than 511 characters.
int32_t ReadLogLine(int32_t index, char (&line)[kLineBuffer + 1]);

} // namespace qvl::local
