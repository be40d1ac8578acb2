#include "QvlImagelist.h"

TQvlImagelist::TQvlImagelist(int width, int height, bool masked, int capacity)
    : width_(width), height_(height), masked_(masked),
      list_(ImageList_Create(width, height, ILC_COLOR24 | (masked ? ILC_MASK : 0), capacity, 4))
{
}

int TQvlImagelist::Count() const { return list_ ? ImageList_GetImageCount(list_.get()) : 0; }

int TQvlImagelist::Add(HBITMAP picture)
{
    if (!list_ || !picture)
        return -1;
    // The list copies the pixels; the caller keeps its bitmap.
    return masked_ ? ImageList_AddMasked(list_.get(), picture, qvl::TransparentWhite)
                   : ImageList_Add(list_.get(), picture, nullptr);
}

bool TQvlImagelist::Draw(int index, HDC dc, int x, int y) const
{
    if (index < 0 || index >= Count())
        return false;
    return ImageList_Draw(list_.get(), index, dc, x, y, masked_ ? ILD_TRANSPARENT : ILD_NORMAL);
}

qvl::Bitmap TQvlImagelist::Picture(int index) const
{
    if (index < 0 || index >= Count())
        return qvl::Bitmap();
    qvl::Bitmap bmp = qvl::CreatePicture(width_, height_, qvl::TransparentWhite);
    if (bmp) {
        qvl::BitmapDC dc(bmp.get());
        Draw(index, dc.get(), 0, 0);
    }
    return bmp;
}
