#include "trayHealth.h"

#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Shell version 5 (Windows 2000, Me, and 98 with the desktop update) reads the 128-character
// tip; it exports DllGetVersion, which is asked at run time because older shells lack it.
bool ShellTakesLongTips()
{
    HMODULE shell = GetModuleHandleA("shell32.dll");
    auto getVersion =
        shell
            ? reinterpret_cast<DLLGETVERSIONPROC>(reinterpret_cast<void (*)()>(GetProcAddress(shell, "DllGetVersion")))
            : nullptr;
    DLLVERSIONINFO version{};
    version.cbSize = sizeof version;
    return getVersion && SUCCEEDED(getVersion(&version)) && version.dwMajorVersion >= 5;
}

// A bitmap's pixels as top-down 32-bit rows, its alpha in the high byte; empty if GDI refuses.
std::vector<DWORD> ReadPixels(HBITMAP bitmap, int width, int height)
{
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    const qvl::WindowDC screen;
    if (GetDIBits(screen.get(), bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS) != height)
        pixels.clear();
    return pixels;
}

// The red disc on an icon's top-down pixels (alpha in the high byte) and mask (true: opaque).
void MarkAlarm(std::vector<DWORD> &color, std::vector<bool> &opaque, int width, int height)
{
    // A shell that uses the alpha channel does so once any pixel has some; the mark must then be
    // opaque in it, while without one the mask alone decides.
    const bool alpha = std::any_of(color.begin(), color.end(), [](DWORD p) { return p >> 24; });
    // Only where the plain icon is fully opaque: a shell that repaints it without erasing
    // (Wine's) covers nothing else, and a mark beside the icon would stay.
    const auto covered = [&](size_t i) { return alpha ? color[i] >> 24 == 0xFF : opaque[i]; };
    int left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (covered(static_cast<size_t>(y) * width + x)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    if (right < 0)
        return;
    // The disc fills the lower right quarter of the icon's body; in half coordinates, so that an
    // even or odd diameter is centred on the pixel grid alike.
    const int d = (std::min(right - left, bottom - top) + 2) / 2 + 1;
    const int x0 = right + 1 - d, y0 = bottom + 1 - d;
    const int outer = d * d, inner = (d - 2) * (d - 2);
    for (int y = y0; y <= bottom; ++y)
        for (int x = x0; x <= right; ++x) {
            const size_t i = static_cast<size_t>(y) * width + x;
            const int dx = 2 * (x - x0) + 1 - d, dy = 2 * (y - y0) + 1 - d;
            const int r2 = dx * dx + dy * dy;
            if (r2 > outer || !covered(i))
                continue;
            color[i] = (alpha ? 0xFF000000 : 0) | (r2 > inner ? 0xFFFFFF : 0xE00000); // white rim, red
            opaque[i] = true;
        }
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
    if (w <= 0 || h <= 0)
        return Icon();

    // The base's pixels as stored: a drawing of it would premultiply its alpha. A monochrome
    // icon keeps its colours below its mask.
    const std::vector<DWORD> maskPixels = ReadPixels(baseMask.get(), w, size.bmHeight);
    std::vector<DWORD> color = baseColor ? ReadPixels(baseColor.get(), w, h) : maskPixels;
    if (maskPixels.empty() || color.empty())
        return Icon();
    if (!baseColor)
        color.erase(color.begin(), color.begin() + static_cast<ptrdiff_t>(w) * h);
    std::vector<bool> opaque(color.size());
    for (size_t i = 0; i < opaque.size(); ++i)
        opaque[i] = (maskPixels[i] & 0xFFFFFF) == 0;
    MarkAlarm(color, opaque, w, h);

    // A 32-bit colour section keeps the alpha for shells that read it; older ones take the mask.
    void *bits = nullptr;
    Bitmap colorBitmap = CreateDib32(w, h, &bits);
    const int stride = (w + 15) / 16 * 2; // CreateBitmap's rows are whole words
    std::vector<BYTE> maskBits(static_cast<size_t>(stride) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!opaque[static_cast<size_t>(y) * w + x])
                maskBits[static_cast<size_t>(y) * stride + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    Bitmap maskBitmap(CreateBitmap(w, h, 1, 1, maskBits.data()));
    if (!colorBitmap || !bits || !maskBitmap)
        return Icon();
    std::copy(color.begin(), color.end(), static_cast<DWORD *>(bits));
    ICONINFO marked{TRUE, 0, 0, maskBitmap.get(), colorBitmap.get()};
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
