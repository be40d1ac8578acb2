// TServerMan: creates and connects the RAID system, makes the copies of device objects that
// the tree keeps, and polls the client library for driver events.
#ifndef QVL_SERVERMAN_H
#define QVL_SERVERMAN_H

#include <memory>

#include "systemUnit.h"
#include "win/window.h"

class TMainForm;

class TServerMan {
public:
    static constexpr UINT PollInterval = 3000;
    // Event boxes open at once. Further events wait in the driver until one closes, so an
    // event storm cannot nest modal loops without end.
    static constexpr int MaxOpenEventBoxes = 3;

    explicit TServerMan(TMainForm &owner);
    TServerMan(const TServerMan &) = delete;
    TServerMan &operator=(const TServerMan &) = delete;
    ~TServerMan();

    TRAIDSystem *GetSystem() const { return System.get(); }
    // A copy of a controller, channel or device that the caller owns; none for anything else.
    static std::unique_ptr<TDeviceBase> CloneObject(const TDeviceBase *object);
    void PollEvents();

    std::unique_ptr<TRAIDSystem> System; // owned
    qvl::Timer PollTimer;                // lives with the main window's lifetime (owner)
    int OpenEventBoxes = 0;
    int OpenErrorBoxes = 0; // the alarm runs while any is open

private:
    TMainForm &Owner;
};

#endif
