// Entry of the model test programs: the model runs without common controls, windows or the
// image-list module.
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
