#include <gtest/gtest.h>

// Windows programs start at wmain (-municode): the arguments arrive in
// UTF-16, whatever the ANSI code page.
int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
