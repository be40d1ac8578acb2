// Imports a function of Windows Vista: the import check must refuse this program.
#include <windows.h>

extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64();

int main() { return GetTickCount64() == 0; }
