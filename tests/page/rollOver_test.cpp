// The roll-over button: which glyph it shows at rest, under the pointer, pressed and
// released, read back from the pixels it paints.
#include "pageTest.h"
#include "SpeedBut.h"

using namespace pagetest;

namespace {

class Host : public qvl::Window {
public:
    Host() { CreateWindowOf("QvlTestHost", 0, WS_POPUP | WS_VISIBLE, "", 0, 0, 120, 80, nullptr, nullptr); }
};

constexpr COLORREF Up = RGB(0, 0, 200), Over = RGB(0, 200, 0), Down = RGB(200, 0, 0);

// The colour at the button's centre, where a glyph without caption is drawn.
COLORREF Shown(const TSpeedButtonRollOver &button)
{
    RECT r;
    GetClientRect(button.hwnd(), &r);
    HDC screen = GetDC(nullptr);
    qvl::Bitmap surface(CreateCompatibleBitmap(screen, r.right, r.bottom));
    ReleaseDC(nullptr, screen);
    qvl::BitmapDC dc(surface.get());
    SendMessageA(button.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
    return GetPixel(dc.get(), r.right / 2, r.bottom / 2);
}

enum class Mouse { Move, Press, Release, ReleaseOutside, Leave };

LRESULT Send(TSpeedButtonRollOver &button, Mouse m)
{
    switch (m) {
    case Mouse::Move:
        return SendMessageA(button.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    case Mouse::Press:
        return SendMessageA(button.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
    case Mouse::Release:
        return SendMessageA(button.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
    case Mouse::ReleaseOutside:
        return SendMessageA(button.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(500, 500));
    case Mouse::Leave:
        return SendMessageA(button.hwnd(), WM_MOUSELEAVE, 0, 0);
    }
    return 0;
}

struct Step {
    Mouse mouse;
    COLORREF shown;
};

struct Case {
    const char *what;
    bool withDown;
    bool latched;
    bool enabled;
    std::vector<Step> steps;
    int clicks;
};

} // namespace

TEST(RollOverButton, GlyphFollowsThePointerAndTheButton)
{
    const Case cases[] = {
        {"all three glyphs",
         true,
         false,
         true,
         {{Mouse::Move, Over},
          {Mouse::Press, Down},
          {Mouse::Move, Down},
          {Mouse::Release, Up},
          {Mouse::Move, Over},
          {Mouse::Leave, Up}},
         1},
        {"pressed, then the pointer leaves",
         true,
         false,
         true,
         {{Mouse::Press, Down}, {Mouse::Leave, Down}, {Mouse::ReleaseOutside, Up}},
         0},
        {"no pressed glyph, as on the panel",
         false,
         false,
         true,
         {{Mouse::Move, Over}, {Mouse::Press, Over}, {Mouse::Release, Up}, {Mouse::Move, Over}, {Mouse::Leave, Up}},
         1},
        {"latched",
         true,
         true,
         true,
         {{Mouse::Move, Up}, {Mouse::Press, Up}, {Mouse::Release, Up}, {Mouse::Leave, Up}},
         1},
        {"disabled",
         true,
         false,
         false,
         {{Mouse::Move, Up}, {Mouse::Press, Up}, {Mouse::Release, Up}, {Mouse::Leave, Up}},
         0},
    };
    for (const Case &k : cases) {
        SCOPED_TRACE(k.what);
        Host host;
        TSpeedButtonRollOver button(host.hwnd(), 10, 10, 40, 30);
        qvl::Bitmap up = qvl::CreatePicture(16, 16, Up), over = qvl::CreatePicture(16, 16, Over),
                    down = qvl::CreatePicture(16, 16, Down);
        button.SetGlyphUp(up.get());
        button.SetGlyphOver(over.get());
        if (k.withDown)
            button.SetGlyphDown(down.get());
        button.Loaded();
        button.SetDown(k.latched);
        button.SetEnabled(k.enabled);
        button.SetVisible(true);
        int clicks = 0;
        button.OnClick = [&clicks] { ++clicks; };

        EXPECT_EQ(button.CurrentGlyph, &button.GlyphUp);
        EXPECT_EQ(Shown(button), Up);
        for (size_t i = 0; i < k.steps.size(); ++i) {
            SCOPED_TRACE(i);
            const LRESULT result = Send(button, k.steps[i].mouse);
            if (k.steps[i].mouse == Mouse::Leave) {
                EXPECT_EQ(result, 1);
            }
            EXPECT_EQ(Shown(button), k.steps[i].shown);
        }
        EXPECT_EQ(clicks, k.clicks);
    }
}
