#include "core/win32/about_dialog.h"

#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

// The picture control loads its bitmap from the resources itself but never
// deletes it; taken back from the control, it is deleted with the box.
void deletePicture(HWND window) {
    const auto bitmap = reinterpret_cast<HGDIOBJ>(
        SendDlgItemMessageW(window, IDC_ABOUT_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, 0));
    if (bitmap) DeleteObject(bitmap);
}

INT_PTR CALLBACK aboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        // Only the caption is translated; name, version and maker are fixed.
        translateDialog(window, *reinterpret_cast<const LanguageTable*>(lParam), TEXT_ABOUT_CAPTION,
                        {});
        return TRUE;
    case WM_DESTROY:
        deletePicture(window);
        return FALSE;
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
