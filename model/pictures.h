// The model's pictures: 24 x 24 bitmaps it holds per object, the GDI helpers that make and
// copy them, and the composer that draws them. The model draws nothing itself: the program
// hands the system a composer (the image-list module); without one, pictures stay empty.
#ifndef QVL_PICTURES_H
#define QVL_PICTURES_H

#include <windows.h>

#include "owned.h"

namespace qvl {

// White is the transparent colour of every picture and image list of the console.
constexpr COLORREF TransparentWhite = RGB(255, 255, 255);

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

// Device pictures, by what the device is.
enum : int {
    PictureHardDisk = 0,
    PictureCdRom = 1,
    PictureTape = 2,
    PictureRackDisk = 3,
    PictureUnknown = 4,
    PictureSystem = 5,
};

// Draws the pictures of the model's objects; each call makes a new picture the caller owns.
class TPictureComposer {
public:
    virtual ~TPictureComposer() = default;
    virtual qvl::Bitmap ControllerPicture() const = 0;
    virtual qvl::Bitmap ChannelPicture() const = 0;
    virtual qvl::Bitmap SystemPicture() const = 0;
    // Device picture `index` (Picture...) with the status marks of `statusClass`.
    virtual qvl::Bitmap DevicePicture(int index, int statusClass) const = 0;
};

#endif
