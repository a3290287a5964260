#include "language/language_dialog.h"

#include <filesystem>
#include <memory>
#include <string>

#include "core/fixed_text.h"
#include "core/win32/controls.h"
#include "core/win32/main_window.h"
#include "core/measurement_store.h"
#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

constexpr ControlText LANGUAGE_DIALOG_TEXTS[] = {
    {IDCANCEL, TEXT_CANCEL},
    {IDOK, TEXT_OK},
};

struct FindCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};
using FileSearch = std::unique_ptr<void, FindCloser>;

void addItem(HWND window, const wchar_t* text) {
    SendDlgItemMessageW(window, IDC_LANGUAGE_FILES, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(text));
}

void listLanguageFiles(HWND window) {
    WIN32_FIND_DATAW found{};
    const HANDLE first = FindFirstFileW(L"*.lng", &found);
    if (first == INVALID_HANDLE_VALUE) return;
    const FileSearch search(first);
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) addItem(window, found.cFileName);
    } while (FindNextFileW(search.get(), &found));
}

// The first item, or the configured file when the list holds it (compared
// exactly: the box's own search ignores case).
void selectConfiguredFile(HWND window, std::u16string_view configured) {
    SendDlgItemMessageW(window, IDC_LANGUAGE_FILES, CB_SETCURSEL, 0, 0);
    const LRESULT count = SendDlgItemMessageW(window, IDC_LANGUAGE_FILES, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        if (comboItemText(window, IDC_LANGUAGE_FILES, item) == configured) {
            SendDlgItemMessageW(window, IDC_LANGUAGE_FILES, CB_SETCURSEL, item, 0);
            return;
        }
    }
}

INT_PTR chooseSelectedFile(HWND window, MeasurementStore& store) {
    const auto chosen = chosenComboText(window, IDC_LANGUAGE_FILES);
    if (!chosen) return IDOK;
    const std::u16string& name = *chosen;
    if (!loadLanguageFile(store.language, pathOf(name))) {
        showError(window, store.language, TEXT_LANGUAGE_NOT_LOADED);
        return IDCANCEL;
    }
    setSlotText(store.configuration.languageFile, name);
    saveConfiguration(window, store, false);
    return IDOK;
}

INT_PTR CALLBACK languageDialogProcedure(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        const auto& store = *reinterpret_cast<const MeasurementStore*>(lParam);
        translateDialog(window, store.language, TEXT_LANGUAGE_CAPTION, LANGUAGE_DIALOG_TEXTS);
        listLanguageFiles(window);
        selectConfiguredFile(window, slotText(store.configuration.languageFile));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* store = reinterpret_cast<MeasurementStore*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            EndDialog(window, chooseSelectedFile(window, *store));
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(window, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR runLanguageDialog(HWND owner, MeasurementStore& store) {
    return uiHooks().runDialog(owner, IDD_LANGUAGE, languageDialogProcedure,
                               reinterpret_cast<LPARAM>(&store));
}
