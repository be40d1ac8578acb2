// The information panel: rows, their order and positions, paging, the rack rows and the
// bounds of the row step.
#include "pageTest.h"

using namespace pagetest;

namespace {

using Strings = std::vector<std::string>;

// A copy of a demo disk with texts the driver never gives, for panels with more rows.
std::unique_ptr<TDeviceBase> RackDiskWith(const Console &c, const std::string &manufacturer,
                                          const std::string &arrayName)
{
    auto copy = TServerMan::CloneObject(c.System().FindDevice(0x115));
    auto &info = static_cast<TDevice &>(*copy).Info;
    info.ManufacturerStr = manufacturer;
    info.ArrayName = arrayName;
    return copy;
}

void ClickButton(TSpeedButtonRollOver &button)
{
    SendMessageA(button.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(button.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
}

int Clamp(int step) { return std::min(30, std::max(14, step)); }

} // namespace

TEST(InfoPanel, EachKindShowsItsRowsInOrder)
{
    Console c;
    ASSERT_FALSE(c.System().OsText.empty());
    const struct {
        const char *what;
        HTREEITEM node;
        const char *title;
        Strings rows;
    } cases[] = {
        {"system", c.Nodes()[0], "System Information", {"Name=Local host", "System OS=" + c.System().OsText}},
        {"controller",
         c.Find("Controller 1"),
         "Controller Information",
         {"Name=Controller 1", "Product=QV-2000 ATA RAID", "Manufacturer=Quorvel", "Bus Number=2",
          "Interrupt Level=11"}},
        {"channel",
         c.Find("Channel 1"),
         "Channel Information",
         {"Name=Channel 1", "IO Port=B800h", "Control Port=B402h"}},
        // No manufacturer text: "Revision" follows "Location" directly.
        {"mirror member",
         c.FindDevice(0x101),
         "Physical Device Information",
         {"Model=QVD-4080 ATA DISK", "Type=Hard Disk", "Location=Controller 1, Channel 1, Master", "Revision=1.02",
          "Capacity=40.01 GB", "Status=Available,Bootable", "Array Name=System", "Transfer Mode=ATA/100"}},
        {"CD-ROM",
         c.FindDevice(0x103),
         "Physical Device Information",
         {"Model=QV CD-ROM 52X", "Type=CD_ROM", "Location=Controller 1, Channel 1, Slave", "Revision=2.10",
          "Capacity=N/A", "Status=Available", "Transfer Mode=PIO 4"}},
        // The local library reads no rack: both rack rows say N/A.
        {"disk in a rack",
         c.FindDevice(0x115),
         "Physical Device Information",
         {"Model=QVD-6120 ATA DISK", "Type=Hard Disk", "Location=Controller 2, Channel 3, Slave", "Revision=1.50",
          "Capacity=60.02 GB", "Status=Available", "Transfer Mode=ATA/100", "Temperature=N/A", "Fan Status=N/A"}},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        c.Select(k.node);
        EXPECT_EQ(c.Panel().Title(), k.title);
        EXPECT_EQ(Rows(c.Panel()), k.rows);
        EXPECT_EQ(c.Panel().RowCount, static_cast<int>(k.rows.size()));
        EXPECT_FALSE(c.Panel().BtnAdvanced->Visible());
        EXPECT_TRUE(c.Panel().deviceImageVisible);
    }
}

TEST(InfoPanel, RowsFormTwoColumnsOneStepApart)
{
    Console c;
    for (HTREEITEM node : {c.FindDevice(0x115), c.Find("Controller 2"), c.Nodes()[0]}) {
        SCOPED_TRACE(c.Text(node));
        c.Select(node);
        const TfrmInfoDevice &panel = c.Panel();
        const int n = panel.RowCount;
        ASSERT_GT(n, 0);
        EXPECT_EQ(panel.RowStep, Clamp((panel.ClientHeight() - 30 - 48) / n));
        int widest = 0;
        for (int r = 0; r < n; ++r)
            widest = std::max(widest, panel.Labels[2 * r].Width);
        EXPECT_EQ(panel.NameColumn, widest + 40);
        for (int r = 0; r < n; ++r) {
            const TLabel &name = panel.Labels[2 * r], &value = panel.Labels[2 * r + 1];
            SCOPED_TRACE(name.Caption);
            EXPECT_EQ(name.Left, 30);
            EXPECT_EQ(name.Top, 78 + r * panel.RowStep);
            EXPECT_EQ(value.Left, panel.NameColumn);
            EXPECT_EQ(value.Top, name.Top);
            EXPECT_LE(name.Left + name.Width + 10, value.Left); // clear of every name
            EXPECT_GT(value.Width, 0);
        }
        for (int r = n; r < TfrmInfoDevice::MaxRows; ++r)
            EXPECT_FALSE(panel.Labels[2 * r].Visible || panel.Labels[2 * r + 1].Visible) << r;
    }
}

TEST(InfoPanel, ElevenRowsPageWithNextAndBack)
{
    Console c;
    auto copy = RackDiskWith(c, "Maker", "Array");
    TfrmInfoDevice &panel = c.Panel();
    panel.ShowObject(&c.System(), copy.get());
    ASSERT_EQ(panel.RowCount, 11);
    const Strings first = {"Model=QVD-6120 ATA DISK", "Type=Hard Disk",   "Location=Controller 2, Channel 3, Slave",
                           "Manufacturer=Maker",      "Revision=1.50",    "Capacity=60.02 GB",
                           "Status=Available",        "Array Name=Array", "Transfer Mode=ATA/100",
                           "Temperature=N/A"};
    const int usable = panel.ClientHeight() - 78;
    TSpeedButtonRollOver &button = *panel.BtnAdvanced;
    {
        SCOPED_TRACE("first page");
        EXPECT_EQ(Rows(panel), first);
        EXPECT_TRUE(button.Visible());
        EXPECT_EQ(button.Caption(), "&Next");
        EXPECT_EQ(panel.RowStep, Clamp(usable / 11)); // a place is kept for the button
        EXPECT_EQ(button.Bounds().left, 30);
        EXPECT_EQ(button.Bounds().top, 78 + 10 * panel.RowStep);
    }
    ClickButton(button);
    {
        SCOPED_TRACE("second page");
        EXPECT_EQ(Rows(panel), Strings{"Fan Status=N/A"});
        EXPECT_EQ(panel.Labels[2 * 10].Top, 78);
        EXPECT_EQ(button.Caption(), "&Back");
        EXPECT_EQ(panel.RowStep, Clamp(usable / 2));
        EXPECT_EQ(button.Bounds().top, 78 + panel.RowStep);
    }
    // The same disk again keeps its page; another object starts on the first page.
    panel.ShowObject(&c.System(), copy.get());
    EXPECT_EQ(Rows(panel), Strings{"Fan Status=N/A"});
    ClickButton(button);
    {
        SCOPED_TRACE("back to the first page");
        EXPECT_EQ(Rows(panel), first);
        EXPECT_EQ(button.Caption(), "&Next");
    }
    ClickButton(button);
    c.Select(c.Find("Controller 1"));
    EXPECT_FALSE(button.Visible());
    EXPECT_FALSE(panel.ShowingSecondPage);
    EXPECT_EQ(panel.Title(), "Controller Information");
}

TEST(InfoPanel, TenRowsNeedNoButton)
{
    Console c;
    auto copy = RackDiskWith(c, "Maker", "");
    c.Panel().ShowObject(&c.System(), copy.get());
    EXPECT_EQ(c.Panel().RowCount, 10);
    EXPECT_EQ(Rows(c.Panel()).size(), 10u);
    EXPECT_FALSE(c.Panel().BtnAdvanced->Visible());
    c.Panel().ShowObject(nullptr, nullptr);
}

TEST(InfoPanel, RowStepStaysBetweenFourteenAndThirty)
{
    Console c;
    TfrmInfoDevice &panel = c.Panel();
    const struct {
        int height;
        int step;
    } cases[] = {
        {60, 14},   // shorter than the first row: the rows run past the bottom edge
        {100, 14},  // 22 / 2 = 11, raised
        {118, 20},  // 40 / 2
        {138, 30},  // 60 / 2
        {1000, 30}, // cut
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.height);
        panel.SetBounds(0, 0, 300, k.height);
        panel.ShowObject(&c.System(), nullptr); // the system panel: two rows
        ASSERT_EQ(panel.RowCount, 2);
        EXPECT_EQ(panel.RowStep, k.step);
        EXPECT_EQ(panel.Labels[2].Top, 78 + k.step);
    }
}

TEST(InfoPanel, WithoutSystemEverythingIsHidden)
{
    Console c;
    c.Select(c.FindDevice(0x115));
    c.Panel().ShowObject(nullptr, nullptr);
    EXPECT_EQ(c.Panel().Title(), "");
    EXPECT_TRUE(Rows(c.Panel()).empty());
    EXPECT_FALSE(c.Panel().deviceImageVisible);
    EXPECT_FALSE(c.Panel().BtnAdvanced->Visible());
    // The next object is shown in full, not taken for the one shown before.
    c.Panel().ShowObject(&c.System(), c.View().SelectedObject());
    EXPECT_EQ(c.Panel().Title(), "Physical Device Information");
}

TEST(RackTexts, TemperatureIsShownOnlyBetweenTenAndEighty)
{
    const struct {
        double degrees;
        const char *text;
    } cases[] = {
        {-5.0, "N/A"},   {9.99, "N/A"},   {10.0, "N/A"}, {10.01, "10.0"}, {25.04, "25.0"},
        {25.06, "25.1"}, {79.94, "79.9"}, {80.0, "N/A"}, {120.0, "N/A"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.degrees);
        EXPECT_EQ(TemperatureText(k.degrees), k.text);
    }
}

TEST(RackTexts, ReadFailureAndFanWord)
{
    const struct {
        const char *what;
        bool ok;
        uint16_t reading;
        uint16_t fan;
        const char *temperature;
        const char *fanText;
    } cases[] = {
        {"read failed", false, 453, 0, "N/A", "N/A"},
        {"table point, fan running", true, 453, 0, "30.8", "Running"},
        {"table point, fan stopped", true, 320, 1, "40.0", "Stopped"},
        {"any non-zero fan word", true, 320, 0x8000, "40.0", "Stopped"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        BayInfo bay{};
        bay.temperature = k.reading;
        bay.fanStatus = k.fan;
        std::string temperature = "x", fan = "x";
        RackTexts(k.ok, bay, temperature, fan);
        EXPECT_EQ(temperature, k.temperature);
        EXPECT_EQ(fan, k.fanText);
    }
}
