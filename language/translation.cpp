#include "language/translation.h"

#include "core/measurement_store.h"
#include "core/win32/controls.h"
#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "resources/resource_ids.h"

namespace {

constexpr std::size_t MAIN_WINDOW_CAPTION = 1;

constexpr ControlText MAIN_WINDOW_TEXTS[] = {
    {IDC_FORM_FRAME, 2},
    {IDC_LABEL_MEASURED_BY, 3},
    {IDC_LABEL_DATE, 4},
    {IDC_LABEL_ORGANISATION, 5},
    {IDC_LABEL_ROUTE, 6},
    {IDC_LABEL_SECTION, 7},
    {IDC_LABEL_END_A, 8},
    {IDC_LABEL_END_B, 9},
    {IDC_LABEL_INSTRUMENT, 10},
    {IDC_LABEL_FIBRE_LENGTH, 11},
    {IDC_LABEL_SPLICE_COUNT, 12},
    {IDC_LABEL_SPLICE_LIMIT, 13},
    {IDC_LABEL_CONNECTOR_COUNT, 14},
    {IDC_LABEL_CONNECTOR_LIMIT, 15},
    {IDC_LABEL_SPLITTER_COUNT, 16},
    {IDC_LABEL_SPLITTER_LIMIT, 17},
    {IDC_LABEL_WAVELENGTH, 18},
    {IDC_LABEL_DB_PER_KM, 19},
};

// Both ends, fibre length, splices, connectors, splitters and the specific
// attenuation: they matter only for a loss meter.
constexpr int LOSS_BUDGET_CONTROLS[] = {
    IDC_LABEL_END_A,           IDC_END_A,
    IDC_LABEL_END_B,           IDC_END_B,
    IDC_LABEL_FIBRE_LENGTH,    IDC_FIBRE_LENGTH,
    IDC_LABEL_SPLICE_COUNT,    IDC_SPLICE_COUNT,
    IDC_LABEL_SPLICE_LIMIT,    IDC_SPLICE_LIMIT,
    IDC_LABEL_CONNECTOR_COUNT, IDC_CONNECTOR_COUNT,
    IDC_LABEL_CONNECTOR_LIMIT, IDC_CONNECTOR_LIMIT,
    IDC_LABEL_SPLITTER_COUNT,  IDC_SPLITTER_COUNT,
    IDC_LABEL_SPLITTER_LIMIT,  IDC_SPLITTER_LIMIT,
    IDC_LABEL_WAVELENGTH,      IDC_WAVELENGTH,
    IDC_LABEL_NM,
    IDC_LABEL_DB_PER_KM,       IDC_DB_PER_KM,
};

// Drop-down titles are addressed by position, items by command.
struct MenuText {
    UINT item;
    bool byPosition;
    std::size_t entry;
};

constexpr MenuText MENU_TEXTS[] = {
    {MENU_POS_FILE, true, 20},
    {ID_CMD_NEW, false, 26},
    {ID_CMD_OPEN, false, 27},
    {ID_CMD_SAVE, false, 28},
    {ID_CMD_SAVE_AS, false, 29},
    {ID_CMD_EXPORT_TEXT, false, 30},
    {ID_CMD_EXIT, false, 31},
    {MENU_POS_LOAD, true, 21},
    {ID_CMD_LOAD_INSTRUMENT, false, 32},
    {ID_CMD_LOAD_FILE, false, 33},
    {MENU_POS_SELECTION, true, 22},
    {ID_CMD_SELECT_VALUES, false, 34},
    {ID_CMD_LIMITS, false, 116},
    {MENU_POS_GENERATE, true, 23},
    {ID_CMD_GENERATE, false, 35},
    {MENU_POS_SETTINGS, true, 24},
    {ID_CMD_PORT_SETTINGS, false, 36},
    {ID_CMD_LANGUAGE, false, 37},
    {ID_CMD_SAVE_DEFAULTS, false, 38},
    {MENU_POS_HELP, true, 25},
    {ID_CMD_ABOUT, false, 39},
    {ID_CMD_MANUAL, false, 141},
};

// Only the text changes; the item keeps its state, so a grey entry stays grey.
void setMenuText(HMENU menu, const MenuText& item, const std::u16string& text) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = const_cast<wchar_t*>(wide(text));
    SetMenuItemInfoW(menu, item.item, item.byPosition, &info);
}

void translateMenu(HWND window, const LanguageTable& language) {
    const HMENU menu = GetMenu(window);
    for (const MenuText& item : MENU_TEXTS) setMenuText(menu, item, language.text(item.entry));
    DrawMenuBar(window);
}

void showLossBudgetControls(HWND window, bool shown) {
    for (int control : LOSS_BUDGET_CONTROLS) {
        ShowWindow(GetDlgItem(window, control), shown ? SW_SHOW : SW_HIDE);
    }
}

}  // namespace

void translateDialog(HWND window, const LanguageTable& language, std::size_t captionEntry,
                     std::span<const ControlText> controls) {
    SetWindowTextW(window, wide(language.text(captionEntry)));
    for (const ControlText& control : controls) {
        setControlText(window, control.control, language.text(control.entry));
    }
}

void translateMainWindow(HWND window, const MeasurementStore& store) {
    translateDialog(window, store.language, MAIN_WINDOW_CAPTION, MAIN_WINDOW_TEXTS);
    showLossBudgetControls(window, store.instrumentKind == KIND_LOSS_METER);
    translateMenu(window, store.language);
}
