#include "appDir.h"

#include <windows.h>

std::string AppDir;

std::string ProgramDirectory()
{
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n < MAX_PATH ? n : MAX_PATH);
    const size_t slash = dir.find_last_of("\\/");
    dir.resize(slash == std::string::npos ? 0 : slash);
    return dir + '\\';
}
