// Names and roles for screen readers (Active Accessibility) of controls that draw themselves or
// hold parts no window stands for: a control answers WM_GETOBJECT with what it shows now.
#ifndef QVL_ACCESSIBLE_H
#define QVL_ACCESSIBLE_H

#include <windows.h>

#include <string>
#include <vector>

namespace qvl {

struct AccessiblePart {
    std::string Name;
    long Role = 0;  // ROLE_SYSTEM_*
    long State = 0; // STATE_SYSTEM_*
    RECT Place{};   // in the control's client coordinates; empty when it has none on screen
};

struct AccessibleView {
    std::string Name;
    long Role = 0;
    long State = 0;
    std::vector<AccessiblePart> Parts; // children 1..n
};

// The answer to WM_GETOBJECT for OBJID_CLIENT: an object describing `view` as it is now (a
// screen reader asks again after each change it is told of). Zero for other objects, or where
// Active Accessibility is not installed: the caller then leaves the message to the default.
LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, AccessibleView view);

// The text of a caption as read aloud: "&Next" gives "Next".
std::string WithoutMnemonic(const std::string &caption);

} // namespace qvl

#endif
