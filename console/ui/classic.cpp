#include "classic.h"

#include "gdiOwn.h"

namespace qvl {

bool TransparentCopy(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                     COLORREF transparent)
{
    if (w <= 0 || h <= 0)
        return false;
    // The stretched copy: 24 bits per pixel, so that no alpha byte takes part in the comparison.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    Bitmap work(CreateDIBSection(dest, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    Bitmap mask(CreateBitmap(w, h, 1, 1, nullptr));
    if (!work || !mask)
        return false;
    BitmapDC workDC(work.get()), maskDC(mask.get());
    if (!workDC || !maskDC)
        return false;

    const int oldStretch = SetStretchBltMode(src, COLORONCOLOR);
    const BOOL stretched = StretchBlt(workDC.get(), 0, 0, w, h, src, sx, sy, sw, sh, SRCCOPY);
    SetStretchBltMode(src, oldStretch);
    if (!stretched)
        return false;

    // Mask: white where the copy has the transparent colour, black elsewhere.
    SetBkColor(workDC.get(), transparent);
    BitBlt(maskDC.get(), 0, 0, w, h, workDC.get(), 0, 0, SRCCOPY);
    // The copy's transparent pixels become black ...
    SetBkColor(workDC.get(), RGB(0, 0, 0));
    SetTextColor(workDC.get(), RGB(255, 255, 255));
    BitBlt(workDC.get(), 0, 0, w, h, maskDC.get(), 0, 0, SRCAND);
    // ... the destination's opaque area too, and the copy is laid over it.
    const COLORREF oldBk = SetBkColor(dest, RGB(255, 255, 255));
    const COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
    BitBlt(dest, x, y, w, h, maskDC.get(), 0, 0, SRCAND);
    const BOOL painted = BitBlt(dest, x, y, w, h, workDC.get(), 0, 0, SRCPAINT);
    SetBkColor(dest, oldBk);
    SetTextColor(dest, oldText);
    return painted != FALSE;
}

} // namespace qvl
