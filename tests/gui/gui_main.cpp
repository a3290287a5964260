// GUI tests: the real dialogs from the real resources, run under Wine; each
// test must give back every GDI object and window it made.
#include <gtest/gtest.h>

#include "core/win32/main_window.h"
#include "handle_census.h"

int main(int argc, char** argv) {
    initialiseCommonControls();
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new HandleLeakCheck);
    return RUN_ALL_TESTS();
}
