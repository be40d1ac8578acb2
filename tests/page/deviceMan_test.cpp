// The device-management page: its menu items and toolbar, the enabling rules, and Rescan and
// Unplug carried out through the real windows, message boxes included.
#include "pageTest.h"

using namespace pagetest;

namespace {

struct Commands {
    bool rescan;
    bool unplug;
};

Commands MenuState(const Console &c) { return {c.MenuEnabled("Rescan Devices"), c.MenuEnabled("Unplug")}; }

Commands ButtonState(const Console &c)
{
    return {c.Page().ButtonEnabled(c.Page().RescanBtn), c.Page().ButtonEnabled(c.Page().unplugBtn)};
}

// Presses a toolbar button with the mouse: the toolbar acts on the release it finds queued.
void ClickToolButton(const Console &c, UINT id)
{
    HWND bar = c.Page().ToolBar1;
    const LRESULT index = SendMessageA(bar, TB_COMMANDTOINDEX, id, 0);
    RECT r{};
    SendMessageA(bar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageA(bar, WM_MOUSEMOVE, 0, at);
    PostMessageA(bar, WM_LBUTTONUP, 0, at);
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Pump(50);
}

int CountCalls(uint32_t operation)
{
    std::vector<QvlSimCall> calls(QVLSIM_CALL_RECORD);
    const int n = qvlsim_calls(calls.data(), QVLSIM_CALL_RECORD);
    int count = 0;
    for (int i = 0; i < n; ++i)
        count += calls[i].operation == operation;
    return count;
}

const char *const NoHotSwap = R"(
capabilities version=0x10002 max_controllers=4 features=0x01
controller chip=3 irq=11 channels=1 product="QV-2000 ATA RAID" manufacturer="Quorvel"
channel controller=0 index=0 io=0x1F0 control=0x3F6
disk id=0x301 controller=0 channel=0 position=0 capacity=78165360 mode=13 model="FREE DISK"
)";

} // namespace

TEST(DeviceManPage, FileMenuReadsRescanUnplugSeparatorExit)
{
    Console c;
    EXPECT_EQ(c.FileMenu(), (std::vector<std::string>{"&Rescan Devices\tF5", "&Unplug\tDel", "-", "E&xit"}));
    // Four items of the page; the two hidden ones are in no menu.
    ASSERT_EQ(c.Page().MenuItemCount, 4);
    EXPECT_FALSE(c.Page().MenuItems[1]->Visible());
    EXPECT_FALSE(c.Page().MenuItems[2]->Visible());
    EXPECT_EQ(c.Page().MenuItems[2]->Caption(), "Advanced Setting");
}

TEST(DeviceManPage, ToolbarButtonsShowTheirCaptionsAndHints)
{
    Console c;
    HWND bar = c.Page().ToolBar1;
    const struct {
        UINT id;
        const char *caption;
    } cases[] = {{c.Page().RescanBtn, "Rescan Devices"}, {c.Page().unplugBtn, "Unplug"}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.caption);
        char text[64] = "";
        SendMessageA(bar, TB_GETBUTTONTEXTA, k.id, reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, k.caption);
        // The hint, as the toolbar's tooltip asks the page for it.
        NMTTDISPINFOA hint{};
        hint.hdr.hwndFrom = reinterpret_cast<HWND>(SendMessageA(bar, TB_GETTOOLTIPS, 0, 0));
        hint.hdr.idFrom = k.id;
        hint.hdr.code = TTN_GETDISPINFOA;
        SendMessageA(c.Page().hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hint));
        ASSERT_NE(hint.lpszText, nullptr);
        EXPECT_STREQ(hint.lpszText, k.caption);
    }
}

TEST(DeviceManPage, CommandsFollowTheSelection)
{
    Console c;
    {
        SCOPED_TRACE("at start: only Rescan");
        const Commands menu = MenuState(c), buttons = ButtonState(c);
        EXPECT_TRUE(menu.rescan);
        EXPECT_FALSE(menu.unplug);
        EXPECT_TRUE(buttons.rescan);
        EXPECT_FALSE(buttons.unplug);
    }
    const struct {
        const char *what;
        HTREEITEM node;
        bool unplug;
        bool advanced;
    } cases[] = {
        {"root", c.Find("Local host"), false, false},
        {"controller", c.Find("Controller 1"), false, false},
        {"channel", c.Find("Channel 1"), false, false},
        {"mirror member", c.FindDevice(0x101), false, false},
        {"member of a stripe of mirrors", c.FindDevice(0x113), false, false},
        {"free disk in a rack", c.FindDevice(0x115), true, true},
        {"free CD-ROM", c.FindDevice(0x103), true, false},
        {"spare of no array", c.FindDevice(0x104), true, false},
        {"root again", c.Find("Local host"), false, false},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        ASSERT_NE(k.node, nullptr);
        c.Select(k.node);
        const Commands menu = MenuState(c), buttons = ButtonState(c);
        EXPECT_TRUE(menu.rescan);
        EXPECT_EQ(menu.unplug, k.unplug);
        EXPECT_EQ(buttons.rescan, menu.rescan);
        EXPECT_EQ(buttons.unplug, menu.unplug);
        EXPECT_EQ(c.Page().MenuItems[2]->Enabled(), k.advanced);
    }
}

TEST(DeviceManPage, UnplugIsNeverOfferedWithoutHotSwap)
{
    Console c(NoHotSwap);
    ASSERT_EQ(c.startupBoxes.size(), 1u);
    EXPECT_EQ(c.startupBoxes[0].text, "The device driver doesn't support how-swap. Please update the driver.");
    c.Select(c.FindDevice(0x301));
    EXPECT_EQ(c.Panel().Title(), "Physical Device Information");
    EXPECT_FALSE(MenuState(c).unplug);
    EXPECT_FALSE(ButtonState(c).unplug);
    EXPECT_TRUE(ButtonState(c).rescan);
}

TEST(DeviceManPage, WithoutSystemEveryCommandIsDisabled)
{
    Console c;
    c.main->ServerMan.reset();
    c.Page().UpdateActions(true);
    EXPECT_FALSE(MenuState(c).rescan);
    EXPECT_FALSE(MenuState(c).unplug);
    EXPECT_FALSE(ButtonState(c).rescan);
    EXPECT_FALSE(ButtonState(c).unplug);
    c.Page().RescanClick(); // nothing to act on: must not touch a system
    c.Page().UnplugClick();
}

TEST(DeviceManPage, UnplugOfAFreeDiskReportsAndRemovesIt)
{
    Console c;
    HTREEITEM disk = c.FindDevice(0x115);
    ASSERT_NE(disk, nullptr);
    c.LeftClick(c.ItemCentre(disk));
    ASSERT_EQ(c.View().TreeView->Selected(), disk);
    ASSERT_TRUE(ButtonState(c).unplug);
    const size_t nodes = c.Nodes().size();

    BoxCloser closer({"Information", "Warning", "Error"});
    ClickToolButton(c, c.Page().unplugBtn);
    Pump(200);

    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].caption, "Information");
    EXPECT_EQ(closer.Seen()[0].text, "The 'QVD-6120 ATA DISK' device can now be safely removed from the system. ");
    EXPECT_EQ(c.FindDevice(0x115), nullptr);
    EXPECT_EQ(c.Nodes().size(), nodes - 1);
    EXPECT_EQ(c.View().TreeView->Selected(), nullptr);
    EXPECT_EQ(c.Panel().Title(), "System Information");
    EXPECT_FALSE(MenuState(c).unplug);
    EXPECT_FALSE(ButtonState(c).unplug);
    EXPECT_EQ(CountCalls(QVLSIM_OP_QUERY_REMOVE), 1);
    EXPECT_EQ(CountCalls(QVLSIM_OP_REMOVE_DEVICES), 1);
}

TEST(DeviceManPage, RefusedUnplugWarnsAndKeepsTheTree)
{
    Console c;
    ASSERT_EQ(qvlsim_set_busy(0x115, 1), 0);
    HTREEITEM disk = c.FindDevice(0x115);
    c.Select(disk);

    BoxCloser closer({"Information", "Warning", "Error"});
    // From the File menu this time: the main window routes the command to the page's item.
    SendMessageA(c.main->hwnd(), WM_COMMAND, MAKEWPARAM(c.Page().MenuItems[3]->Id(), 0), 0);
    Pump(100);

    ASSERT_EQ(closer.Seen().size(), 1u);
    EXPECT_EQ(closer.Seen()[0].caption, "Warning");
    EXPECT_EQ(closer.Seen()[0].text, c.System().ResultMessage);
    EXPECT_NE(closer.Seen()[0].text.find("QVD-6120 ATA DISK"), std::string::npos);
    EXPECT_EQ(c.FindDevice(0x115), disk); // not rebuilt
    EXPECT_EQ(c.View().TreeView->Selected(), disk);
    EXPECT_EQ(CountCalls(QVLSIM_OP_REMOVE_DEVICES), 0);
}

TEST(DeviceManPage, ArrayMemberCannotBeUnpluggedFromAnyButton)
{
    Console c;
    c.Select(c.FindDevice(0x101));
    BoxCloser closer({"Information", "Warning", "Error"});
    ClickToolButton(c, c.Page().unplugBtn);
    SendMessageA(c.main->hwnd(), WM_COMMAND, MAKEWPARAM(c.Page().MenuItems[3]->Id(), 0), 0);
    Pump(100);
    EXPECT_TRUE(closer.Seen().empty());
    EXPECT_EQ(CountCalls(QVLSIM_OP_QUERY_REMOVE), 0);
    EXPECT_NE(c.FindDevice(0x101), nullptr);
}

TEST(DeviceManPage, RescanShowsAPluggedDiskAndClearsTheSelection)
{
    Console c;
    DeviceId plugged = 0;
    char error[128] = "";
    ASSERT_EQ(qvlsim_plug("controller=1 channel=0 position=1 capacity=1000000 model=\"NEW DISK\"", &plugged, error,
                          sizeof error),
              0)
        << error;
    c.Select(c.FindDevice(0x115));
    c.Page().RefreshPage(); // a refresh without a rescan: the disk waits for it
    EXPECT_EQ(c.FindDevice(plugged), nullptr);

    c.Select(c.FindDevice(0x115));
    ClickToolButton(c, c.Page().RescanBtn);
    EXPECT_EQ(CountCalls(QVLSIM_OP_RESCAN_DEVICES), 1);
    HTREEITEM node = c.FindDevice(plugged);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(c.Text(node), "NEW DISK");
    EXPECT_EQ(c.Text(TreeView_GetParent(c.Tree(), node)), "Channel 1");
    EXPECT_EQ(c.View().TreeView->Selected(), nullptr);
    EXPECT_FALSE(MenuState(c).unplug);
}

TEST(DeviceManPage, InactivePageIgnoresSelection)
{
    Console c;
    c.Page().SetActive(false);
    c.Select(c.FindDevice(0x115));
    EXPECT_EQ(c.Panel().Title(), "System Information");
    EXPECT_FALSE(MenuState(c).unplug);

    c.Page().SetActive(true);
    c.Select(c.FindDevice(0x103));
    EXPECT_EQ(c.Panel().Title(), "Physical Device Information");
    EXPECT_TRUE(MenuState(c).unplug);
}
