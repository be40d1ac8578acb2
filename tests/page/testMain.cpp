// Entry of the page tests: common controls and the image-list module exist before any window,
// as the program's entry point makes them.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include <gtest/gtest.h>

#include "dmPub.h"

int main(int argc, char **argv)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    auto module = std::make_unique<Tdm>();
    dm = module.get();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    dm = nullptr;
    return result;
}
