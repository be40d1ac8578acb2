// TQvlImagelist: an image list that also keeps two string lists, Items and Descriptions, each
// its own copy of the lines given to it.
#ifndef QVL_QVLIMAGELIST_H
#define QVL_QVLIMAGELIST_H

#include <string>
#include <vector>

#include "gdiOwn.h"

class TQvlImagelist {
public:
    // A masked list treats white as transparent; an unmasked one draws its pictures whole.
    TQvlImagelist(int width, int height, bool masked, int capacity);

    HIMAGELIST Handle() const { return list_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;
    bool Masked() const { return masked_; }

    // Adds a picture of the list's size; returns its index or -1.
    int Add(HBITMAP picture);
    // Draws picture `index` with its top-left corner at (x, y); a masked picture leaves what
    // is under its white parts. False when there is no such picture.
    bool Draw(int index, HDC dc, int x, int y) const;
    // A new bitmap of the list's size holding picture `index` on white; none when there is
    // no such picture.
    qvl::Bitmap Picture(int index) const;

    const std::vector<std::string> &Items() const { return items_; }
    void SetItems(const std::vector<std::string> &lines) { items_ = lines; }
    const std::vector<std::string> &Descriptions() const { return descriptions_; }
    void SetDescriptions(const std::vector<std::string> &lines) { descriptions_ = lines; }

private:
    int width_, height_;
    bool masked_;
    qvl::ImageList list_;
    std::vector<std::string> items_;
    std::vector<std::string> descriptions_;
};

#endif
