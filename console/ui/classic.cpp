#include "classic.h"

#include "gdiOwn.h"

namespace qvl {
namespace {

const char *const SubclassProperty = "qvl.subclass";

struct SubclassRecord {
    WNDPROC original;
    SubclassCallback callback;
    UINT_PTR id;
    DWORD_PTR data;
};

SubclassRecord *RecordOf(HWND hwnd) { return static_cast<SubclassRecord *>(GetPropA(hwnd, SubclassProperty)); }

LRESULT CALLBACK SubclassThunk(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    SubclassRecord *r = RecordOf(hwnd);
    if (!r)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    LRESULT result = r->callback(hwnd, msg, wParam, lParam, r->id, r->data);
    if (msg == WM_NCDESTROY)
        Unsubclass(hwnd); // the window's properties must be gone before it is
    return result;
}

} // namespace

bool Subclass(HWND hwnd, SubclassCallback callback, UINT_PTR id, DWORD_PTR data)
{
    if (!hwnd || RecordOf(hwnd))
        return false;
    // The record belongs to the window's property until Unsubclass takes it back.
    auto *r = new SubclassRecord{nullptr, callback, id, data};
    if (!SetPropA(hwnd, SubclassProperty, r)) {
        delete r;
        return false;
    }
    r->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassThunk)));
    if (!r->original) {
        RemovePropA(hwnd, SubclassProperty);
        delete r;
        return false;
    }
    return true;
}

void Unsubclass(HWND hwnd)
{
    SubclassRecord *r = RecordOf(hwnd);
    if (!r)
        return;
    // Only our own procedure is ours to take out; a later subclass keeps calling it.
    if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&SubclassThunk))
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(r->original));
    RemovePropA(hwnd, SubclassProperty);
    delete r;
}

LRESULT DefSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    // After Unsubclass the window's own procedure is back in place.
    WNDPROC original = nullptr;
    if (SubclassRecord *r = RecordOf(hwnd))
        original = r->original;
    else
        original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    if (!original || original == &SubclassThunk)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return CallWindowProcA(original, hwnd, msg, wParam, lParam);
}

HWND RootWindow(HWND hwnd)
{
    HWND root = hwnd;
    while (root && (GetWindowLongA(root, GWL_STYLE) & WS_CHILD)) {
        HWND parent = GetParent(root);
        if (!parent)
            break;
        root = parent;
    }
    return root;
}

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
