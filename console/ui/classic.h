// A classic equivalent of a newer call the console would otherwise import: TransparentBlt
// (98/2000, msimg32, which NT 4.0 lacks), made of what Windows 95 and NT 4.0 have. The
// equivalents for windows (subclassing, GetAncestor) are in win/.
#ifndef QVL_CLASSIC_H
#define QVL_CLASSIC_H

#include <windows.h>

namespace qvl {

// Copies (stretching as needed) src onto dest except the pixels of the transparent colour, with
// the same result as TransparentBlt: the stretch goes first, then the mask is made from it.
bool TransparentCopy(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh,
                     COLORREF transparent);

} // namespace qvl

#endif
