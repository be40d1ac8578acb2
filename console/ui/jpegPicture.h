// JPEG pictures from the program's resources, decoded into bitmaps.
#ifndef QVL_JPEGPICTURE_H
#define QVL_JPEGPICTURE_H

#include <cstddef>

#include "ui/gdiOwn.h"

// Decodes a JPEG held in memory into a 32-bit top-down bitmap; none when it is not a JPEG.
qvl::Bitmap DecodeJpeg(const unsigned char *data, size_t size);
// The RCDATA resource `id` of `module`, decoded; none when it is missing or broken.
qvl::Bitmap LoadJpegResource(HMODULE module, int id);

#endif
