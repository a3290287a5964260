#include "core/win32/about_dialog.h"

#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

INT_PTR CALLBACK aboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // Only the caption is translated; name, version and maker are fixed.
        translateDialog(window, *reinterpret_cast<const LanguageTable*>(lParam), TEXT_ABOUT_CAPTION,
                        {});
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void runAboutDialog(HWND owner, const LanguageTable& language) {
    uiHooks().runDialog(owner, IDD_ABOUT, aboutProcedure,
                        reinterpret_cast<LPARAM>(const_cast<LanguageTable*>(&language)));
}
