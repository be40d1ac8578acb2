#include "trayHealth.h"

#include <shlwapi.h>

#include <string>

namespace {

// Shell version 5 (Windows 2000, Me, and 98 with the desktop update) reads the 128-character
// tip; it exports DllGetVersion, which is asked at run time because older shells lack it.
bool ShellTakesLongTips()
{
    HMODULE shell = GetModuleHandleA("shell32.dll");
    auto getVersion = shell ? reinterpret_cast<DLLGETVERSIONPROC>(
                                  reinterpret_cast<void (*)()>(GetProcAddress(shell, "DllGetVersion")))
                            : nullptr;
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;
    return getVersion && SUCCEEDED(getVersion(&version)) && version.dwMajorVersion >= 5;
}

} // namespace

qvl::Icon qvl::ComposeAlarmIcon(HICON base)
{
    ICONINFO info{};
    if (!base || !GetIconInfo(base, &info))
        return Icon();
    const Bitmap baseColor(info.hbmColor), baseMask(info.hbmMask);
    BITMAP size{};
    GetObjectA(baseMask.get(), sizeof size, &size);
    const int w = size.bmWidth, h = baseColor ? size.bmHeight : size.bmHeight / 2;

    // Drawn afresh as a classic pair of bitmaps (colour over black, monochrome mask), which
    // every version draws the same whatever format the base icon has.
    Bitmap color(CreateCompatibleBitmap(WindowDC().get(), w, h));
    Bitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
    const MemoryDC memory(CreateCompatibleDC(nullptr));
    if (!color || !mask || !memory)
        return Icon();
    const HDC dc = memory.get();
    const RECT all{0, 0, w, h};
    const int x = w / 2 - 1, y = h / 2 - 1; // the disc: the lower right quarter and a pixel
    {
        Selected bitmap(dc, color.get());
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        DrawIconEx(dc, 0, 0, base, w, h, 0, nullptr, DI_NORMAL);
        Brush red(CreateSolidBrush(RGB(224, 0, 0)));
        Selected pen(dc, GetStockObject(WHITE_PEN)), brush(dc, red.get());
        Ellipse(dc, x, y, w, h);
    }
    {
        Selected bitmap(dc, mask.get());
        DrawIconEx(dc, 0, 0, base, w, h, 0, nullptr, DI_MASK);
        Selected pen(dc, GetStockObject(BLACK_PEN)), brush(dc, GetStockObject(BLACK_BRUSH));
        Ellipse(dc, x, y, w, h);
    }
    ICONINFO marked{TRUE, 0, 0, mask.get(), color.get()};
    return Icon(CreateIconIndirect(&marked)); // copies both bitmaps
}

bool TTrayHealth::Update(const SystemHealth &health)
{
    if (health == Health_)
        return false;
    Health_ = health;
    return true;
}

void TTrayHealth::Fill(NOTIFYICONDATAA &data, HICON base, const char *tip)
{
    data.hIcon = base;
    if (Health_.Healthy()) {
        data.cbSize = NOTIFYICONDATAA_V1_SIZE;
        lstrcpynA(data.szTip, tip, 64);
        return;
    }
    if (!Marked)
        Marked = qvl::ComposeAlarmIcon(base);
    if (Marked)
        data.hIcon = Marked.get();
    const bool longTips = ShellTakesLongTips();
    data.cbSize = longTips ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE;
    const std::string text = std::string(tip) + "\n" + Health_.Worst;
    lstrcpynA(data.szTip, text.c_str(), longTips ? sizeof data.szTip : 64);
}
