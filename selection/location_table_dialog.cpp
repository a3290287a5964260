#include "selection/location_table_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/measurement_store.h"
#include "core/win32/controls.h"
#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"
#include "selection/limit_editor_dialog.h"
#include "selection/location_renaming_dialog.h"
#include "selection/location_table.h"

namespace {

struct LocationTable {
    MeasurementStore& store;
    LocationSortMemory& sort;
    // While the rows are filled or all ticked at once, each gets its tick
    // and highlight together.
    bool filling = false;
};

constexpr ControlText TABLE_TEXTS[] = {
    {IDC_RENAME_LOCATIONS, TEXT_RENAME_LOCATIONS},
    {IDC_EDIT_LIMITS, TEXT_EDIT_LIMITS},
    {IDC_EVALUATE_FRAME, TEXT_EVALUATE_FRAME},
    {IDOK, TEXT_OK},
    {IDCANCEL, TEXT_CANCEL},
};

struct Column {
    std::size_t title;                // language entry, unless fixedTitle is given
    std::u16string_view fixedTitle;
    int width;                        // pixels at 96 dots per inch, room for the title
    int format;
};

constexpr Column COLUMNS[LOCATION_COLUMNS] = {
    {TEXT_HEADING_REPORT, {}, 76, LVCFMT_CENTER},
    {TEXT_HEADING_NUMBER, {}, 40, LVCFMT_LEFT},
    {TEXT_HEADING_OLT, {}, 40, LVCFMT_CENTER},
    {TEXT_HEADING_ONT, {}, 40, LVCFMT_CENTER},
    {TEXT_HEADING_LOCATION, {}, 100, LVCFMT_RIGHT},
    {0, u"1310nm", 56, LVCFMT_RIGHT},
    {TEXT_HEADING_RESULT, {}, 70, LVCFMT_CENTER},
    {0, u"1490nm", 56, LVCFMT_RIGHT},
    {TEXT_HEADING_RESULT, {}, 70, LVCFMT_CENTER},
    {0, u"1550nm", 56, LVCFMT_RIGHT},
    {TEXT_HEADING_RESULT, {}, 70, LVCFMT_CENTER},
    {TEXT_HEADING_UNITS, {}, 60, LVCFMT_CENTER},
    {TEXT_HEADING_LIMIT_SET, {}, 94, LVCFMT_RIGHT},
};

// The evaluate check boxes of wavelengths 0, 1 and 2.
constexpr int EVALUATE_BOXES[] = {IDC_EVALUATE_1310, IDC_EVALUATE_1490, IDC_EVALUATE_1550};

// State images of the rows' check boxes.
constexpr UINT UNCHECKED_IMAGE = 1;
constexpr UINT CHECKED_IMAGE = 2;

LocationTable& tableOf(HWND window) {
    return *reinterpret_cast<LocationTable*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND listOf(HWND window) { return GetDlgItem(window, IDC_LOCATION_TABLE); }

int rowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

// ---------------------------------------------------------------- rows

void setRowState(HWND list, int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Anything but an unchecked box counts as ticked.
bool tickedState(UINT state) {
    return (state & LVIS_STATEIMAGEMASK) != INDEXTOSTATEIMAGEMASK(UNCHECKED_IMAGE);
}

// A row's record and tick, asked for in one message.
ShownRow shownRow(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.iItem = row;
    SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return {static_cast<std::size_t>(item.lParam), tickedState(item.state)};
}

// The cell texts come from the records whenever the list draws or is read
// (LVN_GETDISPINFO), so a row holds only its record index, its check box and
// its highlight, and a column is refreshed by drawing the list again.
void fillLocationTable(HWND list, const MeasurementStore& store) {
    const int count = static_cast<int>(std::min<std::size_t>(store.recordCount, MAX_RECORDS));
    withoutRedraw(list, [&] {
        SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
        SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0);
        for (int row = 0; row < count; ++row) {
            LVITEMW item{};
            item.mask = LVIF_TEXT | LVIF_PARAM;
            item.iItem = row;
            item.pszText = LPSTR_TEXTCALLBACKW;
            item.lParam = row;
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            // A new row's box starts unchecked whatever the insertion asks for.
            if (store.locationRecords[row].selected != 0) {
                setRowState(list, row, INDEXTOSTATEIMAGEMASK(CHECKED_IMAGE) | LVIS_DROPHILITED,
                            LVIS_STATEIMAGEMASK | LVIS_DROPHILITED);
            }
        }
    });
}

void refreshColumns(HWND list) { InvalidateRect(list, nullptr, FALSE); }

void supplyCellText(const MeasurementStore& store, NMHDR& header) {
    const LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
    if (!(item.mask & LVIF_TEXT)) return;
    supplyItemText(reinterpret_cast<LPARAM>(&header),
                   locationColumnText(store, static_cast<std::size_t>(item.lParam), item.iSubItem));
}

// A ticked row is highlighted, an unticked one not; no row stays selected,
// so the highlight always shows the ticks.
void keepHighlightOnTicks(HWND list, const NMLISTVIEW& change) {
    if (!(change.uChanged & LVIF_STATE)) return;
    if (change.uNewState & LVIS_STATEIMAGEMASK) {
        setRowState(list, change.iItem, tickedState(change.uNewState) ? LVIS_DROPHILITED : 0,
                    LVIS_DROPHILITED);
    }
    if (change.uNewState & LVIS_SELECTED) setRowState(list, change.iItem, 0, LVIS_SELECTED);
}

// One message for every row (item -1), tick and highlight together.
void tickEveryRow(HWND window, bool ticked) {
    LocationTable& table = tableOf(window);
    const UINT state = ticked ? INDEXTOSTATEIMAGEMASK(CHECKED_IMAGE) | LVIS_DROPHILITED
                              : INDEXTOSTATEIMAGEMASK(UNCHECKED_IMAGE);
    withoutRedraw(listOf(window), [&] {
        table.filling = true;
        setRowState(listOf(window), -1, state, LVIS_STATEIMAGEMASK | LVIS_DROPHILITED);
        table.filling = false;
    });
}

struct SortRequest {
    const MeasurementStore* store;
    int parameter;
};

int CALLBACK compareRows(LPARAM a, LPARAM b, LPARAM request) {
    const auto& sort = *reinterpret_cast<const SortRequest*>(request);
    return compareLocationRows(*sort.store, static_cast<std::size_t>(a),
                               static_cast<std::size_t>(b), sort.parameter);
}

void sortLocationTable(HWND window, int column) {
    LocationTable& table = tableOf(window);
    const int parameter = headerClickParameter(table.sort, column);
    if (column == LOCATION_TICK_COLUMN) {
        tickEveryRow(window, parameter > 0);
        return;
    }
    SortRequest request{&table.store, parameter};
    SendMessageW(listOf(window), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&request),
                 reinterpret_cast<LPARAM>(compareRows));
}

// ---------------------------------------------------------------- commands

void setUpColumns(HWND list, const LanguageTable& language) {
    constexpr LPARAM styles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles, styles);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (int column = 0; column < LOCATION_COLUMNS; ++column) {
        const Column& shown = COLUMNS[column];
        insertListColumn(list, column,
                         shown.fixedTitle.empty() ? std::u16string_view(language.text(shown.title))
                                                  : shown.fixedTitle,
                         shown.width, shown.format);
    }
    LVCOLUMNW centred{};
    centred.mask = LVCF_FMT;
    centred.fmt = COLUMNS[LOCATION_TICK_COLUMN].format;
    SendMessageW(list, LVM_SETCOLUMNW, LOCATION_TICK_COLUMN, reinterpret_cast<LPARAM>(&centred));
}

void openTable(HWND window, LocationTable& table) {
    const MeasurementStore& store = table.store;
    translateDialog(window, store.language, TEXT_SELECTION_CAPTION, TABLE_TEXTS);
    setUpColumns(listOf(window), store.language);
    table.filling = true;
    fillLocationTable(listOf(window), store);
    table.filling = false;
    for (std::size_t wavelength = 0; wavelength < std::size(EVALUATE_BOXES); ++wavelength) {
        CheckDlgButton(window, EVALUATE_BOXES[wavelength],
                       store.evaluateWavelength[wavelength] != 0 ? BST_CHECKED : BST_UNCHECKED);
    }
}

// Stored at once: the flag stays even when the table is cancelled.
void switchEvaluation(HWND window, MeasurementStore& store, std::size_t wavelength) {
    store.evaluateWavelength[wavelength] =
        IsDlgButtonChecked(window, EVALUATE_BOXES[wavelength]) == BST_CHECKED ? 1 : 0;
    refreshColumns(listOf(window));
}

void renameLocations(HWND window, MeasurementStore& store) {
    runLocationRenamingDialog(window, store);
    refreshColumns(listOf(window));
}

void editLimits(HWND window, MeasurementStore& store) {
    runLimitEditorDialog(window, store);
    refreshColumns(listOf(window));
}

void commitAndClose(HWND window, MeasurementStore& store) {
    const HWND list = listOf(window);
    std::vector<ShownRow> rows;
    rows.reserve(static_cast<std::size_t>(rowCount(list)));
    for (int row = 0, count = rowCount(list); row < count; ++row) {
        rows.push_back(shownRow(list, row));
    }
    commitLocationSelection(store, rows);
    EndDialog(window, IDOK);
}

INT_PTR handleCommand(HWND window, int command, int notification) {
    MeasurementStore& store = tableOf(window).store;
    if (command == IDOK) {
        commitAndClose(window, store);
        return TRUE;
    }
    if (command == IDCANCEL) {
        EndDialog(window, IDCANCEL);
        return TRUE;
    }
    if (notification != BN_CLICKED) return FALSE;
    const auto box = std::find(std::begin(EVALUATE_BOXES), std::end(EVALUATE_BOXES), command);
    if (box != std::end(EVALUATE_BOXES)) {
        switchEvaluation(window, store, static_cast<std::size_t>(box - std::begin(EVALUATE_BOXES)));
    } else if (command == IDC_RENAME_LOCATIONS) {
        renameLocations(window, store);
    } else if (command == IDC_EDIT_LIMITS) {
        editLimits(window, store);
    } else {
        return FALSE;
    }
    return TRUE;
}

INT_PTR handleListNotification(HWND window, NMHDR& header) {
    switch (header.code) {
    case LVN_GETDISPINFOW:
        supplyCellText(tableOf(window).store, header);
        return TRUE;
    case LVN_ITEMCHANGED:
        if (!tableOf(window).filling) {
            keepHighlightOnTicks(header.hwndFrom, reinterpret_cast<NMLISTVIEW&>(header));
        }
        return TRUE;
    case LVN_COLUMNCLICK:
        sortLocationTable(window, reinterpret_cast<NMLISTVIEW&>(header).iSubItem);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK locationTableProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        openTable(window, tableOf(window));
        return TRUE;
    case WM_COMMAND:
        return handleCommand(window, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        // The list may notify while the dialog is being created.
        if (header.idFrom != IDC_LOCATION_TABLE || !GetWindowLongPtrW(window, GWLP_USERDATA)) {
            return FALSE;
        }
        return handleListNotification(window, header);
    }
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR runLocationTableDialog(HWND owner, MeasurementStore& store, LocationSortMemory& sort) {
    LocationTable table{store, sort, false};
    return uiHooks().runDialog(owner, IDD_ZD615_VALUES, locationTableProcedure,
                               reinterpret_cast<LPARAM>(&table));
}
