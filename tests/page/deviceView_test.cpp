// The device tree: its shape, its images, selection by message, mouse and keyboard, and the
// rebuild after every reload.
#include "pageTest.h"

using namespace pagetest;

namespace {

const std::vector<std::string> DemoTree = {
    "Local host",        "Controller 1",      "Channel 1",         "QVD-4080 ATA DISK", "QV CD-ROM 52X",
    "Channel 2",         "QVD-4080 ATA DISK", "QVD-4080 ATA DISK", "Controller 2",      "Channel 1",
    "QVD-8160 ATA DISK", "Channel 2",         "QVD-8160 ATA DISK", "Channel 3",         "QVD-8160 ATA DISK",
    "QVD-6120 ATA DISK", "Channel 4",         "QVD-8160 ATA DISK",
};

std::vector<std::string> Texts(const Console &c)
{
    std::vector<std::string> out;
    for (HTREEITEM item : c.Nodes())
        out.push_back(c.Text(item));
    return out;
}

int ImageOf(const Console &c, HTREEITEM item)
{
    TVITEMA tv{};
    tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    tv.hItem = item;
    TreeView_GetItem(c.Tree(), &tv);
    EXPECT_EQ(tv.iImage, tv.iSelectedImage);
    return tv.iImage;
}

COLORREF Pixel(HBITMAP bmp, int x, int y)
{
    qvl::BitmapDC dc(bmp);
    return GetPixel(dc.get(), x, y);
}

} // namespace

TEST(DeviceView, RebuildShowsTheWholeSystemExpandedWithNothingSelected)
{
    Console c;
    EXPECT_EQ(Texts(c), DemoTree);
    for (HTREEITEM item : c.Nodes())
        if (TreeView_GetChild(c.Tree(), item)) {
            SCOPED_TRACE(c.Text(item));
            EXPECT_TRUE(TreeView_GetItemState(c.Tree(), item, TVIS_EXPANDED) & TVIS_EXPANDED);
        }
    EXPECT_EQ(c.View().TreeView->Selected(), nullptr);
    EXPECT_EQ(c.Panel().Title(), "System Information");
    // The root carries no object; every other node carries its own copy.
    EXPECT_EQ(c.View().NodeObject(c.Nodes()[0]), nullptr);
    for (int i = 0; i < c.System().DeviceCount(); ++i) {
        const TDevice *live = c.System().Devices[i];
        const TDeviceBase *copy = c.View().NodeObject(c.FindDevice(live->Id));
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, live);
        EXPECT_TRUE(copy->IsCopy);
    }
}

TEST(DeviceView, ImageListHoldsOneImagePerNodeAcrossRebuilds)
{
    Console c;
    const size_t nodes = c.Nodes().size();
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        c.Select(c.FindDevice(0x115));
        c.main->RefreshCurrentPage();
        Pump();
        EXPECT_EQ(static_cast<size_t>(ImageList_GetImageCount(c.View().Images.get())), nodes);
        EXPECT_EQ(c.View().TreeView->Selected(), nullptr);
        std::vector<int> images;
        for (HTREEITEM item : c.Nodes())
            images.push_back(ImageOf(c, item));
        std::vector<int> expected(nodes);
        for (size_t i = 0; i < nodes; ++i)
            expected[i] = static_cast<int>(i); // in the order the nodes were added
        EXPECT_EQ(images, expected);
    }
}

TEST(DeviceView, NodeImagesAreComposedAgainstTheTreeBackground)
{
    Console c;
    COLORREF background = TreeView_GetBkColor(c.Tree());
    if (background == static_cast<COLORREF>(-1))
        background = GetSysColor(COLOR_WINDOW);
    const struct {
        const char *what;
        HTREEITEM node;
        HBITMAP picture;
    } cases[] = {
        {"system", c.Nodes()[0], c.System().SystemBitmap.get()},
        {"controller", c.Nodes()[1], c.System().Controllers[0]->Picture.get()},
        {"rack disk", c.FindDevice(0x115), c.System().FindDevice(0x115)->Picture.get()},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        // Drawn out of the list: its own bitmap stays selected in the list's DC.
        qvl::Bitmap image = qvl::CreatePicture(24, 24, RGB(1, 2, 3));
        {
            qvl::BitmapDC dc(image.get());
            ASSERT_TRUE(ImageList_Draw(c.View().Images.get(), ImageOf(c, k.node), dc.get(), 0, 0, ILD_NORMAL));
        }
        int transparent = 0, drawn = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) {
                const COLORREF source = Pixel(k.picture, x, y);
                const COLORREF shown = Pixel(image.get(), x, y);
                if (source == RGB(255, 255, 255)) {
                    ++transparent;
                    ASSERT_EQ(shown, background) << x << "," << y;
                } else {
                    ++drawn;
                    ASSERT_EQ(shown, source) << x << "," << y;
                }
            }
        EXPECT_GT(transparent, 0);
        EXPECT_GT(drawn, 0);
    }
}

TEST(DeviceView, LeftAndRightClicksSelectAndShowTheNode)
{
    Console c;
    const struct {
        const char *what;
        bool right;
        HTREEITEM node;
        const char *title;
    } cases[] = {
        {"left on controller", false, c.Nodes()[1], "Controller Information"},
        {"right on channel", true, c.Nodes()[2], "Channel Information"},
        {"right on free disk", true, c.FindDevice(0x115), "Physical Device Information"},
        {"left on root", false, c.Nodes()[0], "System Information"},
        {"right on free CD-ROM", true, c.FindDevice(0x103), "Physical Device Information"},
        {"left on array member", false, c.FindDevice(0x111), "Physical Device Information"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        const POINT at = c.ItemCentre(k.node);
        k.right ? c.RightClick(at) : c.LeftClick(at);
        EXPECT_EQ(c.View().TreeView->Selected(), k.node);
        EXPECT_EQ(c.Panel().Title(), k.title);
        const TDeviceBase *object = c.View().NodeObject(k.node);
        const bool unplug =
            object && object->Kind == KindDevice && !IsValidId(static_cast<const TDevice *>(object)->Info.Parent);
        EXPECT_EQ(c.MenuEnabled("Unplug"), unplug);
    }
}

TEST(DeviceView, RightClickOnEmptySpaceChangesNothing)
{
    Console c;
    HTREEITEM disk = c.FindDevice(0x115);
    c.Select(disk);
    const RECT last = c.ItemRect(c.Nodes().back(), false);
    RECT client;
    GetClientRect(c.Tree(), &client);
    ASSERT_LT(last.bottom + 10, client.bottom) << "the tree must have room below its last node";
    c.RightClick(POINT{20, last.bottom + 10});
    EXPECT_EQ(c.View().TreeView->Selected(), disk);
    EXPECT_EQ(c.Panel().Title(), "Physical Device Information");
    EXPECT_TRUE(c.MenuEnabled("Unplug"));
}

TEST(DeviceView, ArrowKeysMoveTheSelection)
{
    Console c;
    HTREEITEM disk = c.FindDevice(0x115);
    c.Select(disk);
    SetFocus(c.Tree());
    SendMessageA(c.Tree(), WM_KEYDOWN, VK_DOWN, 0);
    Pump();
    EXPECT_EQ(c.Text(c.View().TreeView->Selected()), "Channel 4");
    EXPECT_EQ(c.Panel().Title(), "Channel Information");
    EXPECT_FALSE(c.MenuEnabled("Unplug"));
    SendMessageA(c.Tree(), WM_KEYDOWN, VK_UP, 0);
    Pump();
    EXPECT_EQ(c.View().TreeView->Selected(), disk);
    EXPECT_TRUE(c.MenuEnabled("Unplug"));
}

TEST(DeviceView, TabMovesBetweenTreePagingButtonAndToolbar)
{
    Console c;
    // Focus first: a tree without selection selects its first node when it gets the focus.
    SetFocus(c.Tree());
    Pump();
    // A disk with more rows than one page: the paging button takes part in tab order.
    auto copy = TServerMan::CloneObject(c.System().FindDevice(0x115));
    static_cast<TDevice &>(*copy).Info.ManufacturerStr = "Maker";
    static_cast<TDevice &>(*copy).Info.ArrayName = "Array";
    c.Panel().ShowObject(&c.System(), copy.get());
    ASSERT_TRUE(c.Panel().BtnAdvanced->Visible());
    HWND button = c.Panel().BtnAdvanced->hwnd();
    ASSERT_EQ(GetFocus(), c.Tree());
    SendMessageA(c.Tree(), WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_EQ(GetFocus(), button);
    SendMessageA(button, WM_KEYDOWN, VK_SPACE, 0);
    Pump();
    EXPECT_TRUE(c.Panel().ShowingSecondPage);
    EXPECT_EQ(c.Panel().BtnAdvanced->Caption(), "&Back");
    // Its mnemonic from the tree: Alt+B goes back, Alt+N (not the caption now) does nothing.
    SendMessageA(c.Tree(), WM_SYSCHAR, 'n', 1 << 29);
    EXPECT_TRUE(c.Panel().ShowingSecondPage);
    SendMessageA(c.Tree(), WM_SYSCHAR, 'b', 1 << 29);
    EXPECT_FALSE(c.Panel().ShowingSecondPage);
    SendMessageA(button, WM_SYSCHAR, 'n', 1 << 29);
    EXPECT_TRUE(c.Panel().ShowingSecondPage);
    // On through the toolbar, where Space presses the first enabled button: Rescan, whose
    // rebuild shows the system again.
    SendMessageA(button, WM_KEYDOWN, VK_TAB, 0);
    Pump();
    ASSERT_EQ(GetFocus(), c.Page().ToolBar1);
    qvlsim_clear_calls();
    SendMessageA(c.Page().ToolBar1, WM_KEYDOWN, VK_SPACE, 0);
    Pump();
    std::vector<QvlSimCall> calls(QVLSIM_CALL_RECORD);
    calls.resize(qvlsim_calls(calls.data(), QVLSIM_CALL_RECORD));
    EXPECT_TRUE(std::any_of(calls.begin(), calls.end(),
                            [](const QvlSimCall &call) { return call.operation == QVLSIM_OP_RESCAN_DEVICES; }));
    SendMessageA(c.Page().ToolBar1, WM_KEYDOWN, VK_TAB, 0);
    Pump();
    EXPECT_EQ(GetFocus(), c.Tree());
    EXPECT_FALSE(c.Panel().BtnAdvanced->Visible());
}

TEST(DeviceView, SplitterMovesTheBorder)
{
    Console c;
    EXPECT_EQ(c.View().SplitterPosition(), TfrmDeviceView::TreeWidth);
    HWND splitter = c.View().Splitter1->hwnd();
    SendMessageA(splitter, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
    SendMessageA(splitter, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(81, 10));
    SendMessageA(splitter, WM_LBUTTONUP, 0, MAKELPARAM(81, 10));
    EXPECT_EQ(c.View().SplitterPosition(), TfrmDeviceView::TreeWidth + 80);
    RECT window;
    GetWindowRect(c.Tree(), &window);
    EXPECT_EQ(window.right - window.left, TfrmDeviceView::TreeWidth + 80);
    // Never dragged past the edge.
    c.View().SetSplitterPosition(-50);
    EXPECT_EQ(c.View().SplitterPosition(), TfrmDeviceView::MinPaneWidth);
}

TEST(DeviceViewFocus, TheMainWindowHandsTheFocusToTheTreeWithoutSelectingForTheUser)
{
    pagetest::Console c;
    HWND main = c.main->hwnd();
    SetFocus(main);
    pagetest::Pump();
    EXPECT_EQ(GetFocus(), c.Tree()) << "keyboard users start in the tree";
    EXPECT_EQ(TreeView_GetSelection(c.Tree()), nullptr) << "taking the focus selects nothing";

    // Leaving the window and coming back returns to the control that had the focus.
    SendMessageA(main, WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(nullptr);
    SendMessageA(main, WM_ACTIVATE, WA_ACTIVE, 0);
    pagetest::Pump();
    EXPECT_EQ(GetFocus(), c.Tree());
    EXPECT_EQ(TreeView_GetSelection(c.Tree()), nullptr);

    // The arrow keys select, as the user's choice: from nothing, the first node.
    SendMessageA(c.Tree(), WM_KEYDOWN, VK_DOWN, 0);
    pagetest::Pump();
    EXPECT_EQ(TreeView_GetSelection(c.Tree()), TreeView_GetRoot(c.Tree()));
    SendMessageA(c.Tree(), WM_KEYDOWN, VK_DOWN, 0);
    pagetest::Pump();
    EXPECT_EQ(TreeView_GetSelection(c.Tree()), TreeView_GetChild(c.Tree(), TreeView_GetRoot(c.Tree())));
}

TEST(DeviceView, CollapsingOverTheSelectionMovesThePanelAndCommandsWithIt)
{
    Console c;
    const HTREEITEM disk = c.FindDevice(0x115);
    c.Select(disk);
    ASSERT_TRUE(c.MenuEnabled("Unplug"));
    const HTREEITEM controller = TreeView_GetParent(c.Tree(), TreeView_GetParent(c.Tree(), disk));
    // The user clicks the controller's expand button.
    const RECT row = c.ItemRect(controller, true);
    TVHITTESTINFO hit{};
    hit.pt.y = (row.top + row.bottom) / 2;
    for (hit.pt.x = 0; hit.pt.x < row.left; ++hit.pt.x)
        if (TreeView_HitTest(c.Tree(), &hit) && (hit.flags & TVHT_ONITEMBUTTON))
            break;
    ASSERT_TRUE(hit.flags & TVHT_ONITEMBUTTON);
    c.LeftClick(hit.pt);
    ASSERT_FALSE(TreeView_GetItemState(c.Tree(), controller, TVIS_EXPANDED) & TVIS_EXPANDED);
    EXPECT_EQ(c.View().TreeView->Selected(), controller);
    EXPECT_EQ(c.Panel().Title(), "Controller Information");
    EXPECT_FALSE(c.MenuEnabled("Unplug"));
    EXPECT_FALSE(c.Page().ButtonEnabled(c.Page().unplugBtn));
}

namespace {

// The main window's client area as the screen shows it.
std::vector<DWORD> Capture(HWND w)
{
    UpdateWindow(w);
    Pump();
    RECT client;
    GetClientRect(w, &client);
    HDC screen = GetDC(w);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<DWORD> pixels(static_cast<size_t>(client.right) * client.bottom);
    GetDIBits(memory, bitmap, 0, client.bottom, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(w, screen);
    return pixels;
}

} // namespace

TEST(DeviceView, AfterEveryResizeTheWindowLooksAsIfPaintedAfresh)
{
    Console c;
    c.Select(c.FindDevice(0x115));
    HWND main = c.main->hwnd();
    HWND splitter = c.View().Splitter1->hwnd();
    const struct {
        const char *what;
        void (*resize)(HWND main, HWND splitter);
    } cases[] = {
        {"maximise", [](HWND m, HWND) { ShowWindow(m, SW_MAXIMIZE); }},
        {"restore", [](HWND m, HWND) { ShowWindow(m, SW_RESTORE); }},
        {"edge drag narrower",
         [](HWND m, HWND) { SetWindowPos(m, nullptr, 0, 0, 620, 500, SWP_NOMOVE | SWP_NOZORDER); }},
        {"edge drag wider", [](HWND m, HWND) { SetWindowPos(m, nullptr, 0, 0, 760, 560, SWP_NOMOVE | SWP_NOZORDER); }},
        {"splitter drag",
         [](HWND, HWND s) {
             SendMessageA(s, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 10));
             SendMessageA(s, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(61, 10));
             SendMessageA(s, WM_LBUTTONUP, 0, MAKELPARAM(61, 10));
         }},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        UpdateWindow(main); // settled before the resize
        Pump();
        k.resize(main, splitter);
        const std::vector<DWORD> after = Capture(main);
        RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const std::vector<DWORD> afresh = Capture(main);
        ASSERT_EQ(after.size(), afresh.size());
        size_t differing = 0;
        for (size_t i = 0; i < after.size(); ++i)
            differing += after[i] != afresh[i];
        EXPECT_EQ(differing, 0u) << "stale pixels";
    }
}

TEST(DeviceView, AReloadOfTheSameShapeUpdatesTheNodesInPlaceAsARebuildWouldShowThem)
{
    Console c;
    const std::vector<HTREEITEM> nodes = c.Nodes();
    const HTREEITEM failing = c.FindDevice(0x111), renamed = c.FindDevice(0x115);
    auto drawn = [&c](HTREEITEM node) {
        qvl::Bitmap image = qvl::CreatePicture(24, 24, RGB(1, 2, 3));
        {
            qvl::BitmapDC dc(image.get());
            ImageList_Draw(c.View().Images.get(), ImageOf(c, node), dc.get(), 0, 0, ILD_NORMAL);
        }
        std::vector<COLORREF> pixels;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                pixels.push_back(Pixel(image.get(), x, y));
        return pixels;
    };
    const auto failingBefore = drawn(failing), renamedBefore = drawn(renamed);
    // What a rebuild drops: a selection and a collapsed controller.
    c.Select(renamed);
    TreeView_Expand(c.Tree(), nodes[1], TVE_COLLAPSE);
    // Another model name (text) and a failed disk (picture).
    std::string system(16384, '\0');
    ASSERT_GT(qvlsim_show(&system[0], static_cast<uint32_t>(system.size())), 0);
    system.resize(std::strlen(system.c_str()));
    const size_t model = system.find("QVD-6120");
    ASSERT_NE(model, std::string::npos);
    system.replace(model, 8, "QVD-6121");
    char error[256] = "";
    ASSERT_EQ(qvlsim_load_text(system.c_str(), "test", error, sizeof error), 0) << error;
    ASSERT_EQ(qvlsim_fail(0x111), 0);
    c.System().Reload();
    const std::vector<DWORD> after = Capture(c.main->hwnd());

    EXPECT_EQ(c.Nodes(), nodes) << "the same nodes, all expanded";
    std::vector<std::string> texts = DemoTree;
    texts[15] = "QVD-6121 ATA DISK";
    EXPECT_EQ(Texts(c), texts);
    EXPECT_EQ(c.View().TreeView->Selected(), nullptr);
    EXPECT_EQ(c.Panel().Title(), "System Information");
    EXPECT_NE(drawn(failing), failingBefore);
    EXPECT_EQ(drawn(renamed), renamedBefore);
    RedrawWindow(c.main->hwnd(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const std::vector<DWORD> afresh = Capture(c.main->hwnd());
    EXPECT_TRUE(after == afresh) << "stale pixels";
}
