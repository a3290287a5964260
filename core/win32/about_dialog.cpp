#include "core/win32/about_dialog.h"

#include <algorithm>

#include "core/win32/controls.h"
#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

struct AboutBox {
    const LanguageTable& language;
    // The picture as shown; the static control does not delete it.
    GdiObject<HBITMAP> picture;
};

// The control is sized in dialog units, the bitmap in pixels: the picture is
// scaled to the largest square the control holds (it centres it), with
// halftoning so that it stays smooth at every density.
GdiObject<HBITMAP> pictureFor(HWND control) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(control, GWLP_HINSTANCE));
    const GdiObject<HBITMAP> original(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDB_ABOUT), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP source{};
    RECT box{};
    if (!original || !GetObjectW(original.get(), sizeof source, &source) ||
        !GetClientRect(control, &box)) {
        return nullptr;
    }
    const WindowDc screen(control);
    const int side = std::min(box.right, box.bottom);
    GdiObject<HBITMAP> scaled(CreateCompatibleBitmap(screen.dc(), side, side));
    if (!scaled) return nullptr;
    const Canvas from(screen.dc(), original.get());
    const Canvas to(screen.dc(), scaled.get());
    SetStretchBltMode(to.dc(), HALFTONE);
    SetBrushOrgEx(to.dc(), 0, 0, nullptr);
    StretchBlt(to.dc(), 0, 0, side, side, from.dc(), 0, 0, source.bmWidth,
               source.bmHeight, SRCCOPY);
    return scaled;
}

void openAbout(HWND window, AboutBox& about) {
    // Only the caption is translated; name, version and maker are fixed.
    translateDialog(window, about.language, TEXT_ABOUT_CAPTION, {});
    const HWND control = GetDlgItem(window, IDC_ABOUT_PICTURE);
    about.picture = pictureFor(control);
    SendMessageW(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(about.picture.get()));
}

INT_PTR CALLBACK aboutProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        openAbout(window, *reinterpret_cast<AboutBox*>(lParam));
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
    AboutBox about{language, nullptr};
    uiHooks().runDialog(owner, IDD_ABOUT, aboutProcedure, reinterpret_cast<LPARAM>(&about));
}
