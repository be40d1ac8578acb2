// Every command by keyboard: shortcut keys through the application's accelerator table, the
// tree's context menu, each toolbar button as a tab stop, and the tree's paging keys before
// anything is selected.
#include "pageTest.h"
#include "shortcuts.h"

using pagetest::BoxCloser;
using pagetest::Console;
using pagetest::Pump;

namespace {

int CountCalls(QvlSimOperation op)
{
    std::vector<QvlSimCall> calls(QVLSIM_CALL_RECORD);
    calls.resize(qvlsim_calls(calls.data(), QVLSIM_CALL_RECORD));
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [op](const QvlSimCall &call) {
        return call.operation == static_cast<uint32_t>(op);
    }));
}

// The main window's keys for the life of a test.
struct AppKeys {
    explicit AppKeys(const Console &c) { qvl::Shortcuts::Application().SetWindow(c.main->hwnd()); }
    ~AppKeys() { qvl::Shortcuts::Application().SetWindow(nullptr); }
    // What the message loop does with a key pressed in `window`: true when it was a shortcut.
    static bool Press(HWND window, WPARAM key)
    {
        MSG msg{window, WM_KEYDOWN, key, 1, 0, {}};
        const bool used = qvl::Shortcuts::Application().Translate(msg);
        Pump();
        return used;
    }
};

// Reads the popup menu that opens while it lives (texts and grayed state), then closes it.
class MenuReader {
public:
    MenuReader()
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 50, &MenuReader::Tick);
    }
    ~MenuReader()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    std::vector<std::string> items; // "text" or "text (grayed)"

private:
    static BOOL CALLBACK Visit(HWND w, LPARAM)
    {
        char cls[16] = "";
        GetClassNameA(w, cls, sizeof cls);
        if (std::string(cls) != "#32768" || !IsWindowVisible(w) || !current_->items.empty())
            return TRUE;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(w, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[64] = "";
            GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
            const bool grayed = GetMenuState(menu, i, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED);
            current_->items.push_back(std::string(text) + (grayed ? " (grayed)" : ""));
        }
        EndMenu();
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { EnumWindows(Visit, 0); }
    UINT_PTR timer_ = 0;
    static inline MenuReader *current_ = nullptr;
};

} // namespace

TEST(Keyboard, F5RescansAndDelUnplugsOnlyWhileUnplugIsEnabled)
{
    Console c;
    AppKeys keys(c);
    SetFocus(c.Tree());
    c.Select(nullptr);
    qvlsim_clear_calls();
    // Nothing selected: Del is no shortcut now and stays the tree's key.
    EXPECT_FALSE(AppKeys::Press(c.Tree(), VK_DELETE));
    EXPECT_EQ(CountCalls(QVLSIM_OP_QUERY_REMOVE), 0);
    // An array member: Unplug is disabled, and so is Del.
    c.Select(c.FindDevice(0x101));
    EXPECT_FALSE(AppKeys::Press(c.Tree(), VK_DELETE));
    EXPECT_TRUE(AppKeys::Press(c.main->hwnd(), VK_F5));
    EXPECT_EQ(CountCalls(QVLSIM_OP_RESCAN_DEVICES), 1);
    // The rack disk: Del unplugs it, with the usual box.
    c.Select(c.FindDevice(0x115));
    BoxCloser closer({"Information", "Warning", "Error"});
    EXPECT_TRUE(AppKeys::Press(c.Tree(), VK_DELETE));
    Pump(200);
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].caption, "Information");
    EXPECT_EQ(CountCalls(QVLSIM_OP_REMOVE_DEVICES), 1);
    EXPECT_EQ(c.FindDevice(0x115), nullptr);
    // A key of another window (a message box's, an About dialog's) is left to it.
    EXPECT_FALSE(AppKeys::Press(GetDesktopWindow(), VK_F5));
}

TEST(Keyboard, TheContextMenuOffersUnplugAndRescanAsTheToolbarDoes)
{
    const struct {
        DeviceId disk;
        std::vector<std::string> items;
    } cases[] = {
        {0x115, {"&Unplug\tDel", "&Rescan Devices\tF5"}},
        {0x101, {"&Unplug\tDel (grayed)", "&Rescan Devices\tF5"}},
    };
    Console c;
    for (const auto &k : cases) {
        SCOPED_TRACE(k.disk);
        c.Select(c.FindDevice(k.disk));
        SetFocus(c.Tree());
        MenuReader reader;
        // Shift+F10 as the keyboard sends it.
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = 0x80;
        SetKeyboardState(state);
        SendMessageA(c.Tree(), WM_SYSKEYDOWN, VK_F10, 1);
        state[VK_SHIFT] = 0;
        SetKeyboardState(state);
        EXPECT_EQ(reader.items, k.items);
    }
    // Nothing selected: no menu for the Menu key.
    c.Select(nullptr);
    MenuReader reader;
    SendMessageA(c.Tree(), WM_KEYUP, VK_APPS, 1);
    EXPECT_TRUE(reader.items.empty());
}

TEST(Keyboard, TabVisitsTreeThenEachEnabledButtonAndBack)
{
    Console c;
    c.Select(c.FindDevice(0x115)); // both buttons enabled
    SetFocus(c.Tree());
    Pump();
    HWND bar = c.Page().ToolBar1;
    const auto hot = [bar] { return static_cast<int>(SendMessageA(bar, TB_GETHOTITEM, 0, 0)); };
    const int rescan = static_cast<int>(SendMessageA(bar, TB_COMMANDTOINDEX, c.Page().RescanBtn, 0));
    const int unplug = static_cast<int>(SendMessageA(bar, TB_COMMANDTOINDEX, c.Page().unplugBtn, 0));
    SendMessageA(c.Tree(), WM_KEYDOWN, VK_TAB, 0);
    ASSERT_EQ(GetFocus(), bar);
    EXPECT_EQ(hot(), rescan);
    SendMessageA(bar, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), bar);
    EXPECT_EQ(hot(), unplug);
    SendMessageA(bar, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), c.Tree());
    // Backwards with Shift held: onto Unplug first, then Rescan.
    BYTE state[256];
    GetKeyboardState(state);
    state[VK_SHIFT] = 0x80;
    SetKeyboardState(state);
    SendMessageA(c.Tree(), WM_KEYDOWN, VK_TAB, 0);
    const HWND afterTree = GetFocus();
    const int firstHot = hot();
    SendMessageA(bar, WM_KEYDOWN, VK_TAB, 0);
    const int secondHot = hot();
    state[VK_SHIFT] = 0;
    SetKeyboardState(state);
    EXPECT_EQ(afterTree, bar);
    EXPECT_EQ(firstHot, unplug);
    EXPECT_EQ(secondHot, rescan);
    // Enter runs the focused button.
    BoxCloser closer({"Information", "Warning", "Error"});
    SendMessageA(bar, TB_SETHOTITEM, unplug, 0);
    SendMessageA(bar, WM_KEYDOWN, VK_RETURN, 0);
    Pump(200);
    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].caption, "Information");
}

TEST(Keyboard, PagingKeysWorkBeforeAnythingIsSelected)
{
    Console c;
    const auto nodes = c.Nodes();
    ASSERT_GT(nodes.size(), 3u);
    const struct {
        WPARAM key;
        HTREEITEM expected;
    } cases[] = {{VK_HOME, nodes.front()}, {VK_END, nodes.back()}, {VK_DOWN, nodes.front()}, {VK_PRIOR, nodes.front()}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.key);
        c.Select(nullptr);
        SendMessageA(c.Tree(), WM_KEYDOWN, k.key, 0);
        EXPECT_EQ(c.View().TreeView->Selected(), k.expected);
    }
    // Page Down goes a page down from the top, as from a caret above the first node.
    c.Select(nullptr);
    SendMessageA(c.Tree(), WM_KEYDOWN, VK_NEXT, 0);
    const auto at = std::find(nodes.begin(), nodes.end(), c.View().TreeView->Selected());
    ASSERT_NE(at, nodes.end());
    const auto page = std::min<size_t>(TreeView_GetVisibleCount(c.Tree()), nodes.size());
    EXPECT_EQ(static_cast<size_t>(at - nodes.begin()), page - 1);
}
