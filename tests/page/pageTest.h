// Helpers of the page tests: a main window with a server manager over a scenario, a bounded
// message pump, and a closer that reads and answers message boxes from inside their modal loop.
#ifndef QVL_PAGE_TEST_H
#define QVL_PAGE_TEST_H

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MainUnit.h"
#include "deviceMan.h"
#include "systemUnit.h"
#include "simControl.h"
#include "support/boxFinder.h"

namespace pagetest {

// Handles the messages that are waiting, and those that arrive within `ms`.
inline void Pump(DWORD ms = 0)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        const DWORD now = GetTickCount();
        if (static_cast<LONG>(end - now) <= 0)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
    }
}

// While it lives, presses OK in every message box with one of the given captions, and records
// what those boxes said. The finder's timer fires inside the box's own modal loop, as a user's
// click would arrive.
class BoxCloser {
public:
    explicit BoxCloser(std::vector<std::string> captions)
        : captions_(std::move(captions)), finder_(50, [this](const qvltest::FoundBox &box) { Found(box); })
    {
    }
    const std::vector<qvltest::FoundBox> &Seen() const { return seen_; }

private:
    void Found(const qvltest::FoundBox &box)
    {
        if (std::find(captions_.begin(), captions_.end(), box.caption) == captions_.end())
            return;
        seen_.push_back(box);
        qvltest::BoxFinder::Press(box.box);
    }

    std::vector<std::string> captions_;
    std::vector<qvltest::FoundBox> seen_;
    qvltest::BoxFinder finder_;
};

// The console as the entry point makes it, over a scenario loaded into the simulated driver:
// main window, server manager, the device-management page, shown.
class Console {
public:
    // An empty scenario means the built-in demo system.
    explicit Console(const std::string &scenario = "")
    {
        char error[256] = "";
        loaded = scenario.empty() ? qvlsim_reset() == 0
                                  : qvlsim_load_text(scenario.c_str(), "test", error, sizeof error) == 0;
        EXPECT_TRUE(loaded) << error;
        qvlsim_inject_clear();
        main = std::make_unique<TMainForm>();
        main->PageToCreate = &TfrmDeviceMan::CreatePage;
        main->CreateServerMan();
        main->ServerMan->PollTimer.SetEnabled(false); // tests poll when they mean to
        main->Started = true;
        BoxCloser startup({"Error"}); // start-up warnings of scenarios without controllers
        main->StartUp();
        startupBoxes = startup.Seen();
        // Tall enough for every node of the demo tree to be on screen.
        SetWindowPos(main->hwnd(), nullptr, 0, 0, 800, 740, SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(main->hwnd(), SW_SHOW);
        UpdateWindow(main->hwnd());
        qvlsim_clear_calls();
        Pump();
    }
    ~Console()
    {
        main.reset();
        Pump();
    }

    TfrmDeviceMan &Page() const { return static_cast<TfrmDeviceMan &>(*main->CurrentPage); }
    TfrmDeviceView &View() const { return *Page().DeviceView; }
    TfrmInfoDevice &Panel() const { return *View().InfoPanel; }
    HWND Tree() const { return View().TreeView->Handle(); }
    TRAIDSystem &System() const { return *main->ServerMan->GetSystem(); }

    // Every node in display order (the tree is fully expanded).
    std::vector<HTREEITEM> Nodes() const
    {
        std::vector<HTREEITEM> out;
        for (HTREEITEM item = TreeView_GetRoot(Tree()); item; item = TreeView_GetNextVisible(Tree(), item))
            out.push_back(item);
        return out;
    }
    std::string Text(HTREEITEM item) const
    {
        char text[256] = "";
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = sizeof text;
        TreeView_GetItem(Tree(), &tv);
        return text;
    }
    HTREEITEM Find(const std::string &text) const
    {
        for (HTREEITEM item : Nodes())
            if (Text(item) == text)
                return item;
        return nullptr;
    }
    // The node of a device by its identifier.
    HTREEITEM FindDevice(DeviceId id) const
    {
        for (HTREEITEM item : Nodes()) {
            const TDeviceBase *object = View().NodeObject(item);
            if (object && object->Kind == KindDevice && object->Id == id)
                return item;
        }
        return nullptr;
    }
    void Select(HTREEITEM item) const
    {
        TreeView_SelectItem(Tree(), item);
        Pump();
    }
    // The node's rectangle: its text only, or its whole row.
    RECT ItemRect(HTREEITEM item, bool textOnly) const
    {
        RECT r{};
        std::memcpy(&r, &item, sizeof item); // TVM_GETITEMRECT takes the item in the rectangle
        SendMessageA(Tree(), TVM_GETITEMRECT, textOnly, reinterpret_cast<LPARAM>(&r));
        return r;
    }
    POINT ItemCentre(HTREEITEM item) const
    {
        const RECT r = ItemRect(item, true);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    // A left click: the tree tracks the button until it sees the release in its queue.
    void LeftClick(POINT at) const
    {
        const LPARAM pos = MAKELPARAM(at.x, at.y);
        PostMessageA(Tree(), WM_LBUTTONUP, 0, pos);
        SendMessageA(Tree(), WM_LBUTTONDOWN, MK_LBUTTON, pos);
        Pump();
    }
    void RightClick(POINT at) const
    {
        const LPARAM pos = MAKELPARAM(at.x, at.y);
        PostMessageA(Tree(), WM_RBUTTONUP, 0, pos);
        PostMessageA(Tree(), WM_KEYDOWN, VK_ESCAPE, 0); // closes the context menu a node opens
        SendMessageA(Tree(), WM_RBUTTONDOWN, MK_RBUTTON, pos);
        Pump();
    }

    static std::string Readable(const std::string &text)
    {
        std::string out;
        for (char ch : text.substr(0, text.find('\t')))
            if (ch != '&')
                out += ch;
        return out;
    }
    // Captions of the File menu, in order ("-" for a separator).
    std::vector<std::string> FileMenu() const
    {
        std::vector<std::string> out;
        for (int i = 0; i < GetMenuItemCount(main->menuFile); ++i) {
            char text[128] = "";
            MENUITEMINFOA info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = sizeof text;
            GetMenuItemInfoA(main->menuFile, i, TRUE, &info);
            out.push_back(info.fType & MFT_SEPARATOR ? "-" : text);
        }
        return out;
    }
    // Whether the File menu shows the item with this caption enabled (the caption as read:
    // without its mnemonic and shortcut key).
    bool MenuEnabled(const std::string &caption) const
    {
        const auto captions = FileMenu();
        for (size_t i = 0; i < captions.size(); ++i)
            if (Readable(captions[i]) == caption)
                return !(GetMenuState(main->menuFile, static_cast<UINT>(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED));
        ADD_FAILURE() << "no menu item " << caption;
        return false;
    }

    std::unique_ptr<TMainForm> main;
    std::vector<qvltest::FoundBox> startupBoxes;
    bool loaded = false;
};

// Visible rows of the panel as "name=value", in the order of their positions.
inline std::vector<std::string> Rows(const TfrmInfoDevice &panel)
{
    std::vector<std::pair<int, std::string>> rows;
    for (int r = 0; r < TfrmInfoDevice::MaxRows; ++r) {
        const TLabel &name = panel.Labels[2 * r], &value = panel.Labels[2 * r + 1];
        if (name.Visible)
            rows.emplace_back(name.Top, name.Caption + "=" + (value.Visible ? value.Caption : "<hidden>"));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<std::string> out;
    for (auto &row : rows)
        out.push_back(row.second);
    return out;
}

} // namespace pagetest

#endif
