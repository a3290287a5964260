// Program start: one modal main window; when it ends, the program ends.
#include <windows.h>

#include "core/win32/main_window.h"
#include "core/measurement_store.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    initialiseCommonControls();
    const auto store = makeStore();
    resetStore(*store);
    runMainWindow(instance, *store);
    return 0;
}
