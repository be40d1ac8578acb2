#include "pictures.h"

namespace qvl {

Bitmap CreateDib32(int width, int height, void **bits)
{
    *bits = nullptr;
    if (width <= 0 || height <= 0)
        return Bitmap();
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height; // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    Bitmap bmp(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, bits, nullptr, 0));
    if (!*bits)
        bmp.reset();
    return bmp;
}

Bitmap CreatePicture(int width, int height, COLORREF fill)
{
    void *bits = nullptr;
    Bitmap bmp = CreateDib32(width, height, &bits);
    if (!bmp)
        return bmp;
    // DIB pixels are BGRX; a COLORREF is RGB.
    const DWORD pixel = GetRValue(fill) << 16 | GetGValue(fill) << 8 | GetBValue(fill);
    auto *p = static_cast<DWORD *>(bits);
    for (int i = 0; i < width * height; ++i)
        p[i] = pixel;
    return bmp;
}

SIZE PictureSize(HBITMAP bmp)
{
    BITMAP bm = {};
    if (!bmp || !GetObject(bmp, sizeof bm, &bm))
        return SIZE{0, 0};
    return SIZE{bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight};
}

Bitmap CopyPicture(HBITMAP source)
{
    const SIZE size = PictureSize(source);
    void *bits = nullptr;
    Bitmap copy = CreateDib32(size.cx, size.cy, &bits);
    if (!copy)
        return copy;
    // Read straight into the copy's pixels: one DC and no selections instead of two and a blit.
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size.cx;
    bi.bmiHeader.biHeight = -size.cy; // top-down, as the copy is
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    const MemoryDC dc(CreateCompatibleDC(nullptr));
    const int rows = dc ? GetDIBits(dc.get(), source, 0, size.cy, bits, &bi, DIB_RGB_COLORS) : 0;
    if (rows != size.cy) {
        BitmapDC from(source), to(copy.get());
        BitBlt(to.get(), 0, 0, size.cx, size.cy, from.get(), 0, 0, SRCCOPY);
    }
    return copy;
}

} // namespace qvl
