/* Resource and command identifiers of qvlswap.exe, shared by the .rc file and the code. */
#ifndef QVL_RESOURCE_H
#define QVL_RESOURCE_H

#define IDI_MAINICON 1
#define IDR_MAINMENU 101
#define IDR_TRAYMENU 102
#define IDR_BACKIMAGE 103
#define IDB_MAKERLOGO 104

#define IDM_MENU_EXIT 100
#define IDM_HELP_TOPICS 101
#define IDM_ABOUT 102
#define IDM_TRAY_OPEN 103
#define IDM_TRAY_EXIT 104

#endif
