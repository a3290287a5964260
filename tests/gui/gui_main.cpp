// GUI tests: the real dialogs from the real resources, run under Wine.
#include <gtest/gtest.h>

#include "core/win32/main_window.h"

int main(int argc, char** argv) {
    initialiseCommonControls();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
