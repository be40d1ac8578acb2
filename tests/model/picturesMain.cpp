// Entry of the picture tests: the image-list module exists before any device object, as it
// does in the program.
#include <windows.h>
#include <commctrl.h>

#include <memory>

#include <gtest/gtest.h>

#include "ui/dmPub.h"

int main(int argc, char **argv)
{
    InitCommonControls();
    auto module = std::make_unique<Tdm>();
    dm = module.get();
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    dm = nullptr;
    return result;
}
