// TMainForm: the console's main window, with its menu bar, one page, the notification-area
// icon and its menu, the beep alarm and the dialog stack that owns message boxes.
#ifndef QVL_MAINUNIT_H
#define QVL_MAINUNIT_H

#include <windows.h>
#include <shellapi.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "owned.h"
#include "pageBase.h"
#include "resource.h"
#include "serverMan.h"
#include "trayHealth.h"
#include "ui/gdiOwn.h"
#include "win/window.h"

constexpr UINT WM_TRAY_NOTIFY = WM_USER + 100;   // 1124
constexpr UINT WM_SHOW_INSTANCE = WM_USER + 103; // 1127

extern const char *const ApplicationTitle; // "Quorvel Hot-Swap Utility"
extern const char *const TrayTip;
extern const char *const HelpFile; // "QSWAP.CHM"

// The form's own menu commands are in resource.h; pages take theirs from here on.
constexpr UINT FirstPageCommand = 200;

class TMainForm : public qvl::Window, public TPageHost {
public:
    static constexpr int MaxDialogs = 5;

    TMainForm();
    ~TMainForm() override;

    // Program start after the library check: the server manager, `Started`, StartUp.
    void CreateServerMan();
    void StartUp();

    HWND TopWindowHandle() const;
    void RefreshCurrentPage();
    // `isBox`: a message box, under which the icon's menu stays available.
    void PushDialog(HWND dialog, bool isBox = false);
    HWND PopDialog();
    // Takes a dialog off the stack wherever it is (a box may close after Exit emptied it).
    void RemoveDialog(HWND dialog);
    void BringDialogsToFront();
    void CloseDialogs();
    bool CheckBrowser();
    void SetTrayIcon(DWORD command);
    // Judges the system again; a change of the verdict goes to the notification-area icon.
    void UpdateHealth();

    // Menu items of pages: the window owns them and routes their commands.
    qvl::MenuItem *CreateMenuItem(const std::string &caption) override;
    void FreeMenuItem(qvl::MenuItem *item) override;
    // The rest of what pages ask of their host.
    TRAIDSystem *System() const override;
    HMENU FileMenu() const override { return menuFile; }
    void HideOperationMenu() override { MenuOperation.SetVisible(false); }
    HBITMAP BackImage() const override { return backImage.get(); }

    // Handlers, named after their components.
    void FormCreate();
    bool FormClose(); // true: the close goes through
    void FormResize();
    void menuExitClick();
    void Topic1Click();
    void About1Click();
    void BeepTimerTimer();
    void IDM_TRAY_OPENClick();
    void IDM_TRAY_EXITClick();
    void TrayNotify(LPARAM mouseMessage);
    void ShowInstance();
    // F1 anywhere in the application's own message loop opens the help file.
    static void AppMessage(const MSG &msg);

    HMENU MainMenu = nullptr; // owned by the window
    HMENU menuFile = nullptr; // not owned: part of MainMenu
    qvl::Menu SysTrayMenu;
    // "Operation": a menu-bar entry that stays hidden (pages hide it again); never placed.
    qvl::MenuItem MenuOperation{0, "Operation"};
    qvl::Timer BeepTimer;
    qvl::Bitmap backImage; // the JPEG picture the information panels show
    qvl::Font Font;        // MS Sans Serif, 8 points
    TTrayHealth TrayHealth;
    std::unique_ptr<TfrmPageBase> CurrentPage;
    std::unique_ptr<TServerMan> ServerMan;
    struct Dialog {
        HWND Window = nullptr; // not owned
        bool IsBox = false;    // a message box: the icon's menu stays available
    };
    std::array<Dialog, MaxDialogs> DialogStack{};
    int DialogCount = 0;
    bool Started = false;
    bool Exiting = false;
    bool ShowOnStart = true;
    // The device-management page's class; tests may start without a page.
    PageClass PageToCreate = nullptr;

private:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnSize(UINT type, int width, int height) override;
    void ShowAndBringToFront();
    void Command(UINT id);
    // A message box opened: it goes on the dialog stack, offset from the one below it.
    void BoxOpened(HWND box);

    std::vector<std::unique_ptr<qvl::MenuItem>> OwnedMenuItems;
    UINT NextCommand = FirstPageCommand;
    UINT TaskbarCreated = 0;
    HWND LastFocus = nullptr; // not owned: a child that had the focus when the window was left
};

extern TMainForm *MainForm; // not owned: the entry point owns it

#endif
