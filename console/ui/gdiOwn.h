// The windows' GDI toolkit: the common owners, the model's picture helpers, one font maker, a
// scoped SelectObject and a double buffer.
#ifndef QVL_GDI_OWN_H
#define QVL_GDI_OWN_H

#include <windows.h>

#include "owned.h"
#include "pictures.h"

namespace qvl {

// Every font of the console: MS Sans Serif unless told otherwise, `height` as CreateFont
// takes it (negative: the character height in pixels).
inline Font MakeFont(int height, int weight = FW_NORMAL, bool underline = false, const char *face = "MS Sans Serif")
{
    return Font(CreateFontA(height, 0, 0, 0, weight, FALSE, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face));
}

// An object selected into a DC for a scope; the one it replaced goes back at the end.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    Selected(const Selected &) = delete;
    Selected &operator=(const Selected &) = delete;
    ~Selected() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Paints off screen: draw on dc(), then Flush() puts the whole surface on the target at once,
// so that nothing flickers. No surface (dc() null) for an empty size or when GDI refuses one.
class DoubleBuffer {
public:
    DoubleBuffer(HDC target, int width, int height)
        : target_(target), width_(width), height_(height),
          surface_(width > 0 && height > 0 ? CreateCompatibleBitmap(target, width, height) : nullptr),
          dc_(surface_.get())
    {
    }
    HDC dc() const { return surface_ && dc_ ? dc_.get() : nullptr; }
    void Flush() const
    {
        if (dc())
            BitBlt(target_, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
    }

private:
    HDC target_;
    int width_, height_;
    Bitmap surface_; // declared before dc_: deselected by dc_ before it is deleted
    BitmapDC dc_;
};

} // namespace qvl

#endif
