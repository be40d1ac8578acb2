// Drives the console from inside its own user-interface thread: the box finder's timer ticks in
// every message loop, so a test can find real message boxes by caption, read them, look at the
// program's state while they are open, and press OK, as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "MainUnit.h"
#include "support/boxFinder.h"

namespace qvltest {

struct SeenBox : FoundBox {
    bool mainVisible;
    bool beepOn;
    int openBoxes; // message boxes open when this one was first seen, itself included
};

class UiDriver : public BoxFinder {
public:
    // `tick` runs every 20 ms on this thread while the console runs; the driver gives up and
    // exits the console after `limitMs`.
    explicit UiDriver(std::function<void(UiDriver &)> tick, DWORD limitMs = 20000);

    // Exit from the File menu, as the user chooses it.
    static void Exit();
    DWORD Elapsed() const { return GetTickCount() - start_; }
    bool TimedOut() const { return timedOut_; }

    std::vector<SeenBox> seen; // every box, once, when first seen

private:
    void Found(const FoundBox &box);
    void Step();

    std::function<void(UiDriver &)> tick_;
    DWORD start_;
    DWORD limit_;
    bool timedOut_ = false;
};

// Runs the console in this thread as the program does, with `argument` as its first
// command-line argument, until it ends; returns its exit code.
int RunConsoleHere(const char *argument, PageClass page = nullptr);

// Shortens the event poll so that tests need not wait 3 seconds a tick.
void FastPolling(UINT interval = 100);

} // namespace qvltest
