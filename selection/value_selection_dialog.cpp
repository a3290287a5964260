#include "selection/value_selection_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/measurement_store.h"
#include "core/win32/controls.h"
#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"
#include "selection/value_selection.h"

namespace {

constexpr ControlText SELECTION_TEXTS[] = {
    {IDC_MODE_FRAME, TEXT_MODE_FRAME},
    {IDC_MODE_TWO_WAY, TEXT_MODE_TWO_WAY},
    {IDC_MODE_ONE_WAY, TEXT_MODE_ONE_WAY},
    {IDC_LABEL_SELECTION_WAVELENGTH, TEXT_SELECTION_WAVELENGTH},
    {IDC_LABEL_LOADED, TEXT_LOADED_VALUES},
    {IDC_LABEL_A_TO_B, TEXT_VALUES_A_TO_B},
    {IDC_LABEL_B_TO_A, TEXT_VALUES_B_TO_A},
    {IDC_ADD_A_TO_B, TEXT_ADD_A_TO_B},
    {IDC_ADD_B_TO_A, TEXT_ADD_B_TO_A},
    {IDC_RETURN_SELECTED, TEXT_RETURN_SELECTED},
    {IDC_REMOVE_ALL, TEXT_REMOVE_ALL},
    {IDOK, TEXT_OK},
};

constexpr int SELECTION_LISTS[] = {IDC_LOADED_LIST, IDC_A_TO_B_LIST, IDC_B_TO_A_LIST};
constexpr int NUMBER_COLUMN_WIDTH = 50;
constexpr int VALUE_COLUMN_WIDTH = 74;
// Column 0 of a selected item is read into a buffer of this many units.
constexpr int ITEM_TEXT_BUFFER = 32;

MeasurementStore& storeOf(HWND window) {
    return *reinterpret_cast<MeasurementStore*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND control(HWND window, int id) { return GetDlgItem(window, id); }

// ---------------------------------------------------------------- wavelength box

void fillWavelengthBox(HWND window, const MeasurementStore& store) {
    const WavelengthSummary& summary = store.wavelengthSummary;
    const std::size_t count = std::min<std::size_t>(summary.wavelengthCount, summary.entries.size());
    for (std::size_t entry = 0; entry < count; ++entry) {
        const std::u16string text = wavelengthItemText(summary.entries[entry].wavelength);
        SendDlgItemMessageW(window, IDC_SELECTION_WAVELENGTH, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(wide(text)));
    }
    SendDlgItemMessageW(window, IDC_SELECTION_WAVELENGTH, CB_SETCURSEL, 0, 0);
}

// Typing in the box would move its selection to a matching entry without
// notice, and the next click would act on a wavelength the lists do not
// show; so the box's edit field only shows the chosen entry.
void forbidTypedWavelengths(HWND window) {
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (GetComboBoxInfo(control(window, IDC_SELECTION_WAVELENGTH), &parts) && parts.hwndItem) {
        SendMessageW(parts.hwndItem, EM_SETREADONLY, TRUE, 0);
    }
}

// The wavelength of the box's selected entry; typed text is never read.
std::uint32_t wavelengthInBox(HWND window) {
    const auto text = chosenComboText(window, IDC_SELECTION_WAVELENGTH);
    return text ? currentWavelength(*text) : 0;
}

// ---------------------------------------------------------------- mode

SelectionMode checkedMode(HWND window) {
    return IsDlgButtonChecked(window, IDC_MODE_ONE_WAY) == BST_CHECKED ? SelectionMode::OneWay
                                                                       : SelectionMode::TwoWay;
}

// The B to A direction takes part only in two-way mode.
void enableBToA(HWND window, bool enable) {
    EnableWindow(control(window, IDC_ADD_B_TO_A), enable);
    EnableWindow(control(window, IDC_B_TO_A_LIST), enable);
}

void showMode(HWND window, SelectionMode mode) {
    const bool twoWay = mode == SelectionMode::TwoWay;
    CheckRadioButton(window, IDC_MODE_TWO_WAY, IDC_MODE_ONE_WAY,
                     twoWay ? IDC_MODE_TWO_WAY : IDC_MODE_ONE_WAY);
    enableBToA(window, twoWay);
}

// Any click on a mode button starts the selection afresh, even on the
// button already checked.
void restartInCheckedMode(HWND window, MeasurementStore& store) {
    clearSelection(store);
    enableBToA(window, IsDlgButtonChecked(window, IDC_MODE_TWO_WAY) == BST_CHECKED);
}

// ---------------------------------------------------------------- lists

void setUpList(HWND list, const LanguageTable& language) {
    constexpr LPARAM styles = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
    insertListColumn(list, 0, language.text(TEXT_NUMBER_COLUMN), NUMBER_COLUMN_WIDTH, LVCFMT_LEFT);
    insertListColumn(list, 1, language.text(TEXT_VALUE_COLUMN), VALUE_COLUMN_WIDTH, LVCFMT_LEFT);
}

// A row holds only its reading's index; its texts come from the reading
// whenever the list draws or is read (LVN_GETDISPINFO), so only the rows
// shown are ever formatted.
void appendItem(HWND list, int row, std::size_t reading) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = row;
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.lParam = static_cast<LPARAM>(reading);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void supplyReadingText(const MeasurementStore& store, LPARAM request) {
    const LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(request)->item;
    if (!(item.mask & LVIF_TEXT)) return;
    const ReadingRecord& reading = store.readings[static_cast<std::size_t>(item.lParam)];
    supplyItemText(request, item.iSubItem == 0 ? readingNumberText(reading) : readingValueText(reading));
}

// A list holds up to every reading of the store: it is filled without
// redrawing and repainted once.
void showReadings(HWND window, int listId, const std::vector<std::size_t>& indices) {
    const HWND list = control(window, listId);
    withoutRedraw(list, [&] {
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        SendMessageW(list, LVM_SETITEMCOUNT, indices.size(), 0);
        for (std::size_t row = 0; row < indices.size(); ++row) {
            appendItem(list, static_cast<int>(row), indices[row]);
        }
    });
}

// Column 0 ("number/subNumber") of the selected items in ascending item order.
std::vector<std::u16string> selectedItemTexts(HWND window, int listId) {
    const HWND list = control(window, listId);
    std::vector<std::u16string> texts;
    auto nextSelected = [list](LRESULT after) {
        return SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(after), LVNI_SELECTED);
    };
    for (LRESULT item = nextSelected(-1); item != -1; item = nextSelected(item)) {
        wchar_t text[ITEM_TEXT_BUFFER]{};
        LVITEMW request{};
        request.iSubItem = 0;
        request.pszText = text;
        request.cchTextMax = ITEM_TEXT_BUFFER;
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(&request));
        texts.emplace_back(utf16(text));
    }
    return texts;
}

// OK and the wavelength box are usable only while the lists of the
// current wavelength may be left as they are.
void updateSelectionEnabling(HWND window, const MeasurementStore& store) {
    const bool balanced = selectionBalanced(store, checkedMode(window), wavelengthInBox(window));
    EnableWindow(control(window, IDOK), balanced);
    EnableWindow(control(window, IDC_SELECTION_WAVELENGTH), balanced);
}

void refreshSelectionLists(HWND window, const MeasurementStore& store, std::uint32_t wavelength) {
    const SelectionLists lists = selectionListsFor(store, wavelength);
    showReadings(window, IDC_LOADED_LIST, lists.loaded);
    showReadings(window, IDC_A_TO_B_LIST, lists.aToB);
    showReadings(window, IDC_B_TO_A_LIST, lists.bToA);
    updateSelectionEnabling(window, store);
}

// ---------------------------------------------------------------- commands

void openSelection(HWND window, MeasurementStore& store) {
    translateDialog(window, store.language, TEXT_SELECTION_CAPTION, SELECTION_TEXTS);
    rebuildWavelengthSummary(store);
    fillWavelengthBox(window, store);
    forbidTypedWavelengths(window);
    showMode(window, chooseInitialMode(store));
    for (const int list : SELECTION_LISTS) {
        setUpList(control(window, list), store.language);
    }
    refreshSelectionLists(window, store, wavelengthInBox(window));
}

void moveLoaded(HWND window, MeasurementStore& store, std::uint32_t toState) {
    moveSelectedReadings(store, wavelengthInBox(window), selectedItemTexts(window, IDC_LOADED_LIST),
                         STATE_LOADED, toState);
}

void returnSelected(HWND window, MeasurementStore& store) {
    returnSelectedReadings(store, wavelengthInBox(window), selectedItemTexts(window, IDC_A_TO_B_LIST),
                           selectedItemTexts(window, IDC_B_TO_A_LIST));
}

// Carries out a command that changes the selection or the wavelength shown;
// false for every other command.
bool changeSelection(HWND window, MeasurementStore& store, int command, int notification) {
    if (command == IDC_SELECTION_WAVELENGTH) return notification == CBN_SELCHANGE;
    if (notification != BN_CLICKED) return false;
    switch (command) {
    case IDC_ADD_A_TO_B:
        moveLoaded(window, store, STATE_A_TO_B);
        return true;
    case IDC_ADD_B_TO_A:
        moveLoaded(window, store, STATE_B_TO_A);
        return true;
    case IDC_RETURN_SELECTED:
        returnSelected(window, store);
        return true;
    case IDC_REMOVE_ALL:
        clearSelection(store);
        return true;
    case IDC_MODE_TWO_WAY:
    case IDC_MODE_ONE_WAY:
        restartInCheckedMode(window, store);
        return true;
    default:
        return false;
    }
}

// OK keeps everything done and brings the summary up to date for the report
// and the protocol file. It is refused while the button is disabled (the
// Enter key can still ask for it), so unbalanced lists are never left.
void confirm(HWND window, MeasurementStore& store) {
    if (!IsWindowEnabled(control(window, IDOK))) return;
    rebuildWavelengthSummary(store);
    EndDialog(window, IDOK);
}

INT_PTR handleCommand(HWND window, int command, int notification) {
    MeasurementStore& store = storeOf(window);
    if (command == IDOK) {
        confirm(window, store);
        return TRUE;
    }
    // There is no cancel: Escape and the close box leave the dialog open.
    if (command == IDCANCEL) return TRUE;
    if (!changeSelection(window, store, command, notification)) return FALSE;
    refreshSelectionLists(window, store, wavelengthInBox(window));
    return TRUE;
}

INT_PTR CALLBACK valueSelectionProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        openSelection(window, storeOf(window));
        return TRUE;
    case WM_COMMAND:
        return handleCommand(window, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        // The lists may ask for texts while the dialog is being created.
        if (reinterpret_cast<NMHDR*>(lParam)->code != LVN_GETDISPINFOW ||
            !GetWindowLongPtrW(window, GWLP_USERDATA)) {
            return FALSE;
        }
        supplyReadingText(storeOf(window), lParam);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR runValueSelectionDialog(HWND owner, MeasurementStore& store) {
    return uiHooks().runDialog(owner, IDD_VALUE_SELECTION, valueSelectionProcedure,
                               reinterpret_cast<LPARAM>(&store));
}
