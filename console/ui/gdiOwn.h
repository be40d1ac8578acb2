// Move-only owners for the GDI and common-control handles of the console, and a memory DC
// with a bitmap selected into it for drawing.
#ifndef QVL_GDI_OWN_H
#define QVL_GDI_OWN_H

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace qvl {

// White is the transparent colour of every picture and image list of the console.
constexpr COLORREF TransparentWhite = RGB(255, 255, 255);

// One owner per handle type: Close is the only difference.
template <class H, class Traits>
class Owned {
public:
    Owned() = default;
    explicit Owned(H h) : h_(h) {}
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    Owned(Owned &&o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Owned &operator=(Owned &&o) noexcept
    {
        if (this != &o)
            reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    ~Owned() { reset(); }

    H get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset(H h = nullptr)
    {
        if (h_)
            Traits::Close(h_);
        h_ = h;
    }
    H release() { return std::exchange(h_, nullptr); }

private:
    H h_ = nullptr;
};

struct GdiObjectTraits {
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct ImageListTraits {
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};

using Bitmap = Owned<HBITMAP, GdiObjectTraits>;
using ImageList = Owned<HIMAGELIST, ImageListTraits>;

// A memory DC with one bitmap selected; the old bitmap goes back before the DC is deleted,
// so the bitmap can be selected elsewhere or deleted afterwards.
class BitmapDC {
public:
    explicit BitmapDC(HBITMAP bmp) : dc_(CreateCompatibleDC(nullptr))
    {
        if (dc_)
            old_ = SelectObject(dc_, bmp);
    }
    BitmapDC(const BitmapDC &) = delete;
    BitmapDC &operator=(const BitmapDC &) = delete;
    ~BitmapDC()
    {
        if (dc_) {
            SelectObject(dc_, old_);
            DeleteDC(dc_);
        }
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

// A top-down 32-bit DIB (BGRX pixels at `bits`); none for an empty size.
Bitmap CreateDib32(int width, int height, void **bits);
// A top-down 32-bit DIB of the given size filled with `fill`: pixel values do not depend on
// the display's colour depth.
Bitmap CreatePicture(int width, int height, COLORREF fill);
// Width and height of a bitmap; {0, 0} for none.
SIZE PictureSize(HBITMAP bmp);
// A new picture of the same size with the source drawn into it; none for none.
Bitmap CopyPicture(HBITMAP source);

} // namespace qvl

#endif
