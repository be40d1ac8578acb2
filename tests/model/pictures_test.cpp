#include <cmath>
#include <vector>

#include "deviceUnit.h"
#include "systemUnit.h"
#include "modelTest.h"
#include "ui/dmPub.h"

namespace {

constexpr COLORREF White = RGB(255, 255, 255);

// The pixels of a bitmap, row by row from the top, as COLORREF values.
std::vector<COLORREF> Pixels(HBITMAP bmp, int w, int h)
{
    std::vector<COLORREF> out(w * h);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    std::vector<DWORD> raw(w * h);
    HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, bmp, 0, h, raw.data(), &bi, DIB_RGB_COLORS), h);
    ReleaseDC(nullptr, screen);
    for (int i = 0; i < w * h; ++i)
        out[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
    return out;
}

std::vector<COLORREF> Pixels(const qvl::Bitmap &bmp, int size = 24) { return Pixels(bmp.get(), size, size); }

TEST(ImageLists, CountsSizesAndDescriptions)
{
    const struct {
        const char *name;
        const TQvlImagelist &list;
        int size, count, lines;
        bool masked;
    } lists[] = {
        {"ChipAndEventInfoImagelist", dm->ChipAndEventInfoImagelist, 24, 2, 5, true},
        {"DeviceImagelist", dm->DeviceImagelist, 24, 6, 13, false},
        {"DeviceInfoImagelist", dm->DeviceInfoImagelist, 12, 4, 9, true},
        {"DM_ImageList", dm->DM_ImageList, 24, 2, 0, true},
    };
    for (const auto &l : lists) {
        SCOPED_TRACE(l.name);
        int cx = 0, cy = 0;
        ASSERT_TRUE(ImageList_GetIconSize(l.list.Handle(), &cx, &cy));
        EXPECT_EQ(cx, l.size);
        EXPECT_EQ(cy, l.size);
        EXPECT_EQ(ImageList_GetImageCount(l.list.Handle()), l.count);
        EXPECT_EQ(l.list.Descriptions().size(), static_cast<size_t>(l.lines));
        EXPECT_TRUE(l.list.Items().empty());
        EXPECT_EQ(l.list.Masked(), l.masked);
    }
    EXPECT_EQ(dm->ChipAndEventInfoImagelist.Descriptions()[0], "Quorvel ATA RAID Controller ");
    EXPECT_EQ(dm->DeviceImagelist.Descriptions()[3],
              "JBOD. Provides increased storage capacity by combining two or more disks into "
              "one virtual hard disk. ");
    EXPECT_EQ(dm->DeviceImagelist.Descriptions()[12], "System. Represents the connected system.");
    EXPECT_EQ(dm->DeviceInfoImagelist.Descriptions()[8],
              "Indicates the system can not determine the device or array status.");
}

TEST(ImageLists, DescriptionsAreCopies)
{
    TQvlImagelist list(12, 12, true, 1);
    std::vector<std::string> lines = {"one", "two"};
    list.SetDescriptions(lines);
    list.SetItems(lines);
    lines[0] = "changed";
    EXPECT_EQ(list.Descriptions()[0], "one");
    EXPECT_EQ(list.Items()[0], "one");
}

// Every picture shows something, and no two pictures of a list are the same.
TEST(ImageLists, PicturesAreDrawnAndDistinct)
{
    for (const TQvlImagelist *list :
         {&dm->ChipAndEventInfoImagelist, &dm->DeviceImagelist, &dm->DeviceInfoImagelist, &dm->DM_ImageList}) {
        std::vector<std::vector<COLORREF>> seen;
        for (int i = 0; i < list->Count(); ++i) {
            SCOPED_TRACE(i);
            const auto px = Pixels(list->Picture(i), list->Width());
            int drawn = 0;
            for (COLORREF c : px)
                drawn += c != White;
            EXPECT_GT(drawn, list->Width() * list->Height() / 8);
            for (const auto &other : seen)
                EXPECT_NE(px, other);
            seen.push_back(px);
        }
        EXPECT_FALSE(list->Picture(list->Count()));
    }
}

struct Slot {
    int x, y;
};
const Slot Slots[] = {{12, 0}, {0, 0}, {0, 12}, {12, 12}};

// Expected picture: the base with each mark's drawn pixels over it at its slot.
std::vector<COLORREF> Expected(const std::vector<COLORREF> &base, const std::vector<std::pair<int, int>> &marks)
{
    auto out = base;
    for (auto [mark, slot] : marks) {
        const auto m = Pixels(dm->DeviceInfoImagelist.Picture(mark), 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 12; ++x)
                if (m[y * 12 + x] != White)
                    out[(Slots[slot].y + y) * 24 + Slots[slot].x + x] = m[y * 12 + x];
    }
    return out;
}

TEST(ComposeDevicePicture, EveryMarkCombination)
{
    const auto base = Pixels(dm->DeviceImagelist.Picture(0));
    for (int cls = 0; cls < 32; cls += 2) {
        SCOPED_TRACE(testing::Message() << "class 0x" << std::hex << cls);
        std::vector<std::pair<int, int>> marks;
        if (cls & 2) {
            marks = {{MarkDisabled, 0}};
        } else {
            int slot = 0;
            if (cls & 8)
                marks.push_back({MarkBootable, slot++});
            if (cls & 4)
                marks.push_back({MarkSpare, slot++});
            if (cls & 0x10)
                marks.push_back({MarkAttention, slot++});
        }
        qvl::Bitmap picture;
        dm->ComposeDevicePicture(picture, 0, cls);
        ASSERT_TRUE(picture);
        EXPECT_EQ(qvl::PictureSize(picture.get()).cx, 24);
        EXPECT_EQ(Pixels(picture), Expected(base, marks));
    }
}

TEST(ComposeDevicePicture, MarkPixelsLandInTheirCorners)
{
    qvl::Bitmap picture;
    // Bootable spare with attention: monitor top right, arrows top left, question mark
    // bottom left, nothing bottom right.
    dm->ComposeDevicePicture(picture, 4, 0x1C);
    {
        qvl::BitmapDC dc(picture.get());
        EXPECT_EQ(GetPixel(dc.get(), 12 + 0, 0 + 1), RGB(0, 0, 0));      // monitor frame
        EXPECT_EQ(GetPixel(dc.get(), 12 + 3, 0 + 4), RGB(96, 160, 224)); // monitor screen
        EXPECT_EQ(GetPixel(dc.get(), 0 + 0, 0 + 2), RGB(230, 0, 0));     // red arrow
        EXPECT_EQ(GetPixel(dc.get(), 0 + 11, 0 + 8), RGB(0, 64, 255));   // blue arrow
        EXPECT_EQ(GetPixel(dc.get(), 0 + 7, 12 + 5), RGB(255, 220, 0));  // question mark
        EXPECT_EQ(GetPixel(dc.get(), 23, 23), White);
    }
    // Disabled wins over everything: only the red circle, top right.
    dm->ComposeDevicePicture(picture, 0, 0x1E);
    const auto px = Pixels(picture);
    EXPECT_EQ(px[0 * 24 + 16], RGB(128, 0, 0));
    EXPECT_EQ(px[5 * 24 + 17], RGB(240, 240, 240)); // the cross
    EXPECT_EQ(Pixels(picture), Expected(Pixels(dm->DeviceImagelist.Picture(0)), {{MarkDisabled, 0}}));
}

TEST(ComposeDevicePicture, NoSuchPictureIsBlank)
{
    qvl::Bitmap picture;
    dm->ComposeDevicePicture(picture, 6, 0);
    EXPECT_EQ(Pixels(picture), std::vector<COLORREF>(24 * 24, White));
    dm->ComposeDevicePicture(picture, 9, 8);
    EXPECT_EQ(Pixels(picture), Expected(std::vector<COLORREF>(24 * 24, White), {{MarkBootable, 0}}));
}

// Marks are drawn transparently: what lies under their white parts stays.
TEST(DrawMark, SlotsAndTransparency)
{
    const Slot expected[] = {{12, 0}, {0, 0}, {0, 12}, {12, 12}, {12, 12}, {12, 12}};
    const auto mark = Pixels(dm->DeviceInfoImagelist.Picture(MarkAttention), 12);
    for (int slot = 0; slot < 6; ++slot) {
        SCOPED_TRACE(slot);
        const COLORREF under = RGB(10, 20, 30);
        qvl::Bitmap picture = qvl::CreatePicture(24, 24, under);
        dm->DrawMark(picture.get(), MarkAttention, slot);
        const auto px = Pixels(picture);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x) {
                const int mx = x - expected[slot].x, my = y - expected[slot].y;
                const bool inside = mx >= 0 && mx < 12 && my >= 0 && my < 12;
                const COLORREF want = inside && mark[my * 12 + mx] != White ? mark[my * 12 + mx] : under;
                ASSERT_EQ(px[y * 24 + x], want) << x << "," << y;
            }
    }
}

TEST(DevicePictures, ByTypeAndRack)
{
    LoadScenario("controller chip=1 irq=5 channels=4\n"
                 "disk id=0x51 controller=0 channel=0 position=0 type=hdd rack=1\n"
                 "disk id=0x52 controller=0 channel=0 position=1 type=hdd\n"
                 "disk id=0x53 controller=0 channel=1 position=0 type=cdrom status=0x8\n"
                 "disk id=0x54 controller=0 channel=1 position=1 type=tape bootable=1\n"
                 "disk id=0x55 controller=0 channel=2 position=0 type=0\n"
                 "disk id=0x56 controller=0 channel=2 position=1 type=9\n"
                 "disk id=0x57 controller=0 channel=3 position=0 type=hdd disabled=1 spare=1\n");
    const struct {
        DeviceId id;
        int picture; // -1: none
        int cls;
        bool inRack;
    } cases[] = {
        {0x51, 3, 0, true},  {0x52, 0, 0, false},  {0x53, 1, 0, false}, {0x54, 2, 8, false},
        {0x55, 4, 0, false}, {0x56, -1, 0, false}, {0x57, 0, 6, false},
    };
    TRAIDSystem system(0, dm); // the device objects draw through the system's composer
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        TDevice device(&system, 0, c.id);
        ASSERT_TRUE(device.Valid);
        EXPECT_EQ(device.InRack, c.inRack);
        if (c.picture < 0) {
            EXPECT_FALSE(device.Picture);
            continue;
        }
        qvl::Bitmap want;
        dm->ComposeDevicePicture(want, c.picture, c.cls);
        EXPECT_EQ(Pixels(device.Picture), Pixels(want));
    }
}

} // namespace

// A copy has the source's pixels, whichever way up its rows are stored.
TEST(CopyPicture, SamePixelsFromEveryKindOfBitmap)
{
    auto dib = [](int height) {
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof bi.bmiHeader, 5, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void *bits = nullptr;
        return qvl::Bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    };
    HDC screen = GetDC(nullptr);
    const struct {
        const char *what;
        qvl::Bitmap source;
    } cases[] = {
        {"top-down DIB", dib(-3)},
        {"bottom-up DIB", dib(3)},
        {"device bitmap", qvl::Bitmap(CreateCompatibleBitmap(screen, 5, 3))},
    };
    ReleaseDC(nullptr, screen);
    for (const auto &k : cases) {
        SCOPED_TRACE(k.what);
        {
            qvl::BitmapDC dc(k.source.get());
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x)
                    SetPixel(dc.get(), x, y, RGB(40 * x, 80 * y, 200));
        }
        const qvl::Bitmap copy = qvl::CopyPicture(k.source.get());
        ASSERT_TRUE(copy);
        EXPECT_EQ(Pixels(copy.get(), 5, 3), Pixels(k.source.get(), 5, 3));
        EXPECT_EQ(Pixels(copy.get(), 5, 3)[1 * 5 + 4], RGB(160, 80, 200));
    }
    EXPECT_FALSE(qvl::CopyPicture(nullptr));
}
