// qvlswap.exe: the console's entry point.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>

#include "deviceMan.h"
#include "program.h"
#include "timeline.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    qvl::timeline::Mark("entry");
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    qvl::timeline::Mark("common controls");
    return RunConsole(__argc > 1 ? __argv[1] : nullptr, TfrmDeviceMan::CreatePage);
}
