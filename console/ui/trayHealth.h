// The notification-area icon's record: the program's icon and tip while the system is healthy;
// after a reload that found something wrong, the icon with a red mark and a second tip line
// naming the worst item.
#ifndef QVL_TRAYHEALTH_H
#define QVL_TRAYHEALTH_H

#include <windows.h>
#include <shellapi.h>

#include "gdiOwn.h"
#include "health.h"

namespace qvl {
// A copy of `base` (not owned) with a red disc in the lower right quarter of its body, opaque
// both in its mask and, when the base has one, in its alpha channel.
Icon ComposeAlarmIcon(HICON base);
} // namespace qvl

class TTrayHealth {
public:
    // False when the judgement is what it was: the shell need not be told.
    bool Update(const SystemHealth &health);
    // Fills the icon, tip and record size of `data` for the current health. While all is well
    // that is `base` and `tip` in the 88-byte record every shell understands; otherwise the
    // marked icon, and the tip's second line in the longer record of shells that take one
    // (older shells get the first 63 characters).
    void Fill(NOTIFYICONDATAA &data, HICON base, const char *tip);

private:
    SystemHealth Health_;
    qvl::Icon Marked; // made on first need, kept for the program's life
};

#endif
