// The console's pictures as character grids, one character a pixel, turned into bitmaps when
// the image-list module is made. '.' is white, the transparent colour of every list.
#ifndef QVL_DMART_H
#define QVL_DMART_H

#include "gdiOwn.h"

namespace qvl {

struct PixelArt {
    int width;
    int height;
    const char *const *rows; // height rows of width characters
};

// Colour of a grid character; unknown characters are white.
COLORREF ArtColour(char c);
Bitmap RenderArt(const PixelArt &art);

namespace art {
extern const PixelArt Controller, Channel;
extern const PixelArt HardDisk, CdRom, Tape, RackDisk, Unknown, System;
extern const PixelArt MarkDisabled, MarkSpare, MarkBootable, MarkAttention;
extern const PixelArt Rescan, Unplug;
} // namespace art

} // namespace qvl

#endif
