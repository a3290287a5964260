#include "language/translation.h"

#include "core/measurement_store.h"
#include "core/win32/controls.h"
#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "resources/resource_ids.h"

namespace {

constexpr ControlText MAIN_WINDOW_TEXTS[] = {
    {IDC_FORM_FRAME, TEXT_FORM_FRAME},
    {IDC_LABEL_MEASURED_BY, TEXT_LABEL_MEASURED_BY},
    {IDC_LABEL_DATE, TEXT_LABEL_DATE},
    {IDC_LABEL_ORGANISATION, TEXT_LABEL_ORGANISATION},
    {IDC_LABEL_ROUTE, TEXT_LABEL_ROUTE},
    {IDC_LABEL_SECTION, TEXT_LABEL_SECTION},
    {IDC_LABEL_END_A, TEXT_LABEL_END_A},
    {IDC_LABEL_END_B, TEXT_LABEL_END_B},
    {IDC_LABEL_INSTRUMENT, TEXT_LABEL_INSTRUMENT},
    {IDC_LABEL_FIBRE_LENGTH, TEXT_LABEL_FIBRE_LENGTH},
    {IDC_LABEL_SPLICE_COUNT, TEXT_LABEL_SPLICE_COUNT},
    {IDC_LABEL_SPLICE_LIMIT, TEXT_LABEL_SPLICE_LIMIT},
    {IDC_LABEL_CONNECTOR_COUNT, TEXT_LABEL_CONNECTOR_COUNT},
    {IDC_LABEL_CONNECTOR_LIMIT, TEXT_LABEL_CONNECTOR_LIMIT},
    {IDC_LABEL_SPLITTER_COUNT, TEXT_LABEL_SPLITTER_COUNT},
    {IDC_LABEL_SPLITTER_LIMIT, TEXT_LABEL_SPLITTER_LIMIT},
    {IDC_LABEL_WAVELENGTH, TEXT_LABEL_WAVELENGTH},
    {IDC_LABEL_DB_PER_KM, TEXT_LABEL_DB_PER_KM},
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
    {MENU_POS_FILE, true, TEXT_MENU_FILE},
    {ID_CMD_NEW, false, TEXT_CMD_NEW},
    {ID_CMD_OPEN, false, TEXT_CMD_OPEN},
    {ID_CMD_SAVE, false, TEXT_CMD_SAVE},
    {ID_CMD_SAVE_AS, false, TEXT_CMD_SAVE_AS},
    {ID_CMD_EXPORT_TEXT, false, TEXT_CMD_EXPORT_TEXT},
    {ID_CMD_EXPORT_CSV, false, TEXT_CMD_EXPORT_CSV},
    {ID_CMD_EXIT, false, TEXT_CMD_EXIT},
    {MENU_POS_LOAD, true, TEXT_MENU_LOAD},
    {ID_CMD_LOAD_INSTRUMENT, false, TEXT_CMD_LOAD_INSTRUMENT},
    {ID_CMD_LOAD_FILE, false, TEXT_CMD_LOAD_FILE},
    {MENU_POS_SELECTION, true, TEXT_MENU_SELECTION},
    {ID_CMD_SELECT_VALUES, false, TEXT_CMD_SELECT_VALUES},
    {ID_CMD_LIMITS, false, TEXT_CMD_LIMITS},
    {MENU_POS_GENERATE, true, TEXT_MENU_GENERATE},
    {ID_CMD_GENERATE, false, TEXT_CMD_GENERATE},
    {MENU_POS_SETTINGS, true, TEXT_MENU_SETTINGS},
    {ID_CMD_PORT_SETTINGS, false, TEXT_CMD_PORT_SETTINGS},
    {ID_CMD_LANGUAGE, false, TEXT_CMD_LANGUAGE},
    {ID_CMD_SAVE_DEFAULTS, false, TEXT_CMD_SAVE_DEFAULTS},
    {MENU_POS_HELP, true, TEXT_MENU_HELP},
    {ID_CMD_ABOUT, false, TEXT_CMD_ABOUT},
    {ID_CMD_MANUAL, false, TEXT_CMD_MANUAL},
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
    translateDialog(window, store.language, TEXT_MAIN_CAPTION, MAIN_WINDOW_TEXTS);
    showLossBudgetControls(window, store.instrumentKind == KIND_LOSS_METER);
    translateMenu(window, store.language);
}
