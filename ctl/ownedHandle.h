// One owner per kernel handle of qvlctl (the model's owners live with the windows for now).
#ifndef QVL_CTL_OWNEDHANDLE_H
#define QVL_CTL_OWNEDHANDLE_H

#include <windows.h>

namespace ctl {

struct OwnedHandle {
    explicit OwnedHandle(HANDLE h) : Value(h) {}
    OwnedHandle(const OwnedHandle &) = delete;
    OwnedHandle &operator=(const OwnedHandle &) = delete;
    ~OwnedHandle()
    {
        if (Value && Value != INVALID_HANDLE_VALUE)
            CloseHandle(Value);
    }
    HANDLE Value;
};

} // namespace ctl

#endif
