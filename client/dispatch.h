// The library's one instance of state: the version record, the dispatch table and the file
// paths, all written once while the loader runs the entry point and only read afterwards.
#pragma once

#include <windows.h>

#include "operations.h"
#include "qvlclient.h"

namespace qvl {

template <typename... A> using Op = int32_t(__cdecl *)(uint32_t h, A...);

// One slot per operation, in slot order. Every slot takes exactly its export's arguments.
struct DispatchTable {
#define QVL_SLOT(name, how, fn, params, args) int32_t(__cdecl *name) params;
    QVL_OPERATIONS(QVL_SLOT)
#undef QVL_SLOT
};
static_assert(sizeof(DispatchTable) == 45 * sizeof(void *), "45 slots, nothing else");

// Files in the Windows directory; only the event log is used, the others are server-side
// settings that local mode never touches.
enum PathIndex { PathLog, PathIni, PathUsers, PathMail, PathTasks, PathCount };

struct LibState {
    LibInfo info;
    DispatchTable table;
    char paths[PathCount][MAX_PATH];
    CRITICAL_SECTION logLock; // serialises appends to the event log
};

extern LibState g_lib;

// Fills the table for local mode (localMode.cpp).
void FillLocalTable(DispatchTable &table);

} // namespace qvl
