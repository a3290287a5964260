#include "core/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>

#include "core/about_dialog.h"
#include "core/configuration.h"
#include "core/fixed_text.h"
#include "core/form_text.h"
#include "core/measurement_store.h"
#include "core/number_text.h"
#include "core/protocol_form.h"
#include "core/ui_hooks.h"
#include "language/language_dialog.h"
#include "language/language_table.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

// Language entries of the messages and questions of this window.
constexpr std::size_t TEXT_CONFIGURATION_NOT_SAVED = 72;
constexpr std::size_t TEXT_CONFIGURATION_SAVED_CAPTION = 74;
constexpr std::size_t TEXT_CONFIGURATION_SAVED = 75;
constexpr std::size_t TEXT_ASK_NEW_PROTOCOL = 89;
constexpr std::size_t TEXT_ASK_EXIT = 91;
constexpr std::size_t TEXT_INVALID_NUMBER_CAPTION = 92;
constexpr std::size_t TEXT_INVALID_NUMBER = 93;

constexpr std::size_t DB_PER_KM_FIELD_MAX = 15;

// Posted after an invalid number was reported, so that the focus goes back
// to the field once the focus change that revealed it is complete.
constexpr UINT WM_RETURN_FOCUS = WM_APP + 1;

constexpr int NUMBER_FIELDS[] = {
    IDC_DB_PER_KM,       IDC_FIBRE_LENGTH,   IDC_SPLICE_COUNT,  IDC_SPLICE_LIMIT,
    IDC_CONNECTOR_COUNT, IDC_CONNECTOR_LIMIT, IDC_SPLITTER_COUNT, IDC_SPLITTER_LIMIT,
};

struct MainWindow {
    MeasurementStore& store;
    HWND window = nullptr;
    // Off while the focus is handed back to an invalid field (leaving the
    // other field must not start a ping-pong of messages) and once the
    // window is closing.
    bool checkNumbers = true;
};

MainWindow* mainWindowOf(HWND window) {
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Every text slot of the form except the instrument, with its field.
template <typename Form, typename Visit>
void forEachTextSlot(Form& form, Visit visit) {
    visit(IDC_MEASURED_BY, form.measuredBy);
    visit(IDC_DATE, form.date);
    visit(IDC_ORGANISATION, form.organisation);
    visit(IDC_ROUTE, form.route);
    visit(IDC_SECTION, form.section);
    visit(IDC_END_A, form.endA);
    visit(IDC_END_B, form.endB);
    visit(IDC_FIBRE_LENGTH, form.fibreLength);
    visit(IDC_SPLICE_COUNT, form.spliceCount);
    visit(IDC_SPLICE_LIMIT, form.spliceLimit);
    visit(IDC_CONNECTOR_COUNT, form.connectorCount);
    visit(IDC_CONNECTOR_LIMIT, form.connectorLimit);
    visit(IDC_SPLITTER_COUNT, form.splitterCount);
    visit(IDC_SPLITTER_LIMIT, form.splitterLimit);
}

// ---------------------------------------------------------------- menus

void enableCommand(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void enableTopLevelEntry(HMENU menu, UINT position, bool enabled) {
    EnableMenuItem(menu, position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

void greyDataMenus(HWND window) {
    const HMENU menu = GetMenu(window);
    enableCommand(menu, ID_CMD_SELECT_VALUES, false);
    enableTopLevelEntry(menu, MENU_POS_GENERATE, false);
    enableCommand(menu, ID_CMD_EXPORT_TEXT, false);
    DrawMenuBar(window);
}

// ---------------------------------------------------------------- wavelength box

void fillWavelengthBox(HWND window, const WavelengthTable& table) {
    SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_RESETCONTENT, 0, 0);
    for (const WavelengthEntry& entry : table) {
        if (entry.wavelength == -1) break;
        const std::u16string text =
            asciiToU16(std::to_string(static_cast<std::uint32_t>(entry.wavelength)));
        SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(wide(text)));
    }
}

// The wavelength of the item chosen in the box, if one is chosen.
std::optional<std::uint32_t> chosenWavelength(HWND window) {
    const LRESULT item = SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR) return std::nullopt;
    const LRESULT length = SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_GETLBTEXTLEN, item, 0);
    if (length == CB_ERR) return std::nullopt;
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_GETLBTEXT, item,
                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return static_cast<std::uint32_t>(parseInteger(text));
}

// ---------------------------------------------------------------- initialisation

void setWindowIcons(HWND window) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    // Shared icons belong to the system; nothing to destroy.
    auto icon = [&](int widthMetric, int heightMetric) {
        return reinterpret_cast<LPARAM>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_KALIVERA),
                                                   IMAGE_ICON, GetSystemMetrics(widthMetric),
                                                   GetSystemMetrics(heightMetric), LR_SHARED));
    };
    SendMessageW(window, WM_SETICON, ICON_SMALL, icon(SM_CXSMICON, SM_CYSMICON));
    SendMessageW(window, WM_SETICON, ICON_BIG, icon(SM_CXICON, SM_CYICON));
}

void initialiseMainWindow(MainWindow& main) {
    const HWND window = main.window;
    MeasurementStore& store = main.store;
    setWindowIcons(window);
    clearWavelengthTable(store);
    loadConfiguration(window, store);
    const std::u16string languageFile(slotText(store.configuration.languageFile));
    if (!loadLanguageFile(store.language, std::filesystem::path(languageFile))) {
        showMessage(window, u"Error loading " + languageFile + u" language file!", u"ERROR!",
                    MB_OK | MB_ICONERROR);
        main.checkNumbers = false;
        EndDialog(window, IDCANCEL);
        return;
    }
    translateMainWindow(window, store);
    newProtocol(window, store);
}

// ---------------------------------------------------------------- form notifications

bool isNumberField(int control) {
    return std::find(std::begin(NUMBER_FIELDS), std::end(NUMBER_FIELDS), control) !=
           std::end(NUMBER_FIELDS);
}

void checkNumberField(MainWindow& main, int control) {
    if (!main.checkNumbers || isNumberText(controlText(main.window, control))) return;
    const LanguageTable& language = main.store.language;
    showMessage(main.window, language.text(TEXT_INVALID_NUMBER),
                language.text(TEXT_INVALID_NUMBER_CAPTION), MB_OK | MB_ICONERROR);
    PostMessageW(main.window, WM_RETURN_FOCUS, static_cast<WPARAM>(control), 0);
}

void returnFocus(MainWindow& main, int control) {
    // Not while a nested dialog is open or another program is in front:
    // that would take the keyboard away from them.
    if (!IsWindowEnabled(main.window) || GetActiveWindow() != main.window) return;
    main.checkNumbers = false;
    SendMessageW(main.window, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(main.window, control)), TRUE);
    main.checkNumbers = true;
}

void onFormNotification(MainWindow& main, int control, int notification) {
    if (control == IDC_WAVELENGTH && notification == CBN_SELCHANGE) {
        if (const auto wavelength = chosenWavelength(main.window)) {
            showDbPerKm(main.window, main.store, *wavelength);
        }
    } else if (control == IDC_DB_PER_KM && notification == EN_CHANGE) {
        storeDbPerKm(main.window, main.store);
    }
    if (notification == EN_KILLFOCUS && isNumberField(control)) checkNumberField(main, control);
}

// ---------------------------------------------------------------- commands

void exitProgram(MainWindow& main) {
    if (hasData(main.store) && !askQuestion(main.window, main.store.language, TEXT_ASK_EXIT)) {
        return;
    }
    main.checkNumbers = false;
    EndDialog(main.window, IDCANCEL);
}

void startNewProtocol(MainWindow& main) {
    if (!hasData(main.store) ||
        askQuestion(main.window, main.store.language, TEXT_ASK_NEW_PROTOCOL)) {
        newProtocol(main.window, main.store);
    }
    translateMainWindow(main.window, main.store);
}

void saveFormAsDefault(MainWindow& main) {
    Configuration& configuration = main.store.configuration;
    readForm(main.window, main.store, configuration.defaultForm);
    configuration.defaultWavelengthTable = main.store.wavelengthTable;
    saveConfiguration(main.window, main.store, true);
}

void chooseLanguage(MainWindow& main) {
    if (runLanguageDialog(main.window, main.store) == IDOK) {
        translateMainWindow(main.window, main.store);
    }
}

void showAbout(MainWindow& main) { runAboutDialog(main.window, main.store.language); }

struct Command {
    int id;
    void (*run)(MainWindow& main);
};

// The menu commands and the close request. A command that is not listed
// does nothing.
constexpr Command COMMANDS[] = {
    {ID_CMD_EXIT, exitProgram},
    {IDCANCEL, exitProgram},
    {ID_CMD_NEW, startNewProtocol},
    {ID_CMD_LANGUAGE, chooseLanguage},
    {ID_CMD_SAVE_DEFAULTS, saveFormAsDefault},
    {ID_CMD_ABOUT, showAbout},
};

void runCommand(MainWindow& main, int id) {
    const auto command = std::find_if(std::begin(COMMANDS), std::end(COMMANDS),
                                      [id](const Command& c) { return c.id == id; });
    if (command != std::end(COMMANDS)) command->run(main);
}

INT_PTR CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* main = reinterpret_cast<MainWindow*>(lParam);
        main->window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        initialiseMainWindow(*main);
        return TRUE;
    }
    MainWindow* main = mainWindowOf(window);
    if (!main) return FALSE;
    switch (message) {
    case WM_COMMAND:
        // Controls send their notifications with their window; menu
        // commands and the close request come without one.
        if (lParam != 0) {
            onFormNotification(*main, LOWORD(wParam), HIWORD(wParam));
        } else {
            runCommand(*main, LOWORD(wParam));
        }
        return TRUE;
    case WM_RETURN_FOCUS:
        returnFocus(*main, static_cast<int>(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void initialiseCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);
}

INT_PTR runMainWindow(HINSTANCE instance, MeasurementStore& store) {
    MainWindow main{store};
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, mainWindowProcedure,
                           reinterpret_cast<LPARAM>(&main));
}

void newProtocol(HWND window, MeasurementStore& store) {
    setSlotText(store.currentProtocolPath, u"");
    greyDataMenus(window);
    resetStore(store);
    store.locationNames = {};
    SYSTEMTIME today{};
    uiHooks().localTime(&today);
    store.wavelengthTable = store.configuration.defaultWavelengthTable;
    showForm(window, store, store.configuration.defaultForm);
    setControlText(window, IDC_DATE, protocolDateText(today.wDay, today.wMonth, today.wYear));
    // A new protocol has no instrument; emptying through the identity keeps
    // the instrument kind in step with the empty fields.
    showInstrumentIdentity(window, store, u"");
    rebuildWavelengthSummary(store);
    readForm(window, store, store.protocolForm);
}

void showForm(HWND window, MeasurementStore& store, const ProtocolForm& form) {
    forEachTextSlot(form, [window](int control, const auto& slot) {
        setControlText(window, control, slotText(slot));
    });
    showInstrumentIdentity(window, store, slotText(form.instrument));
    fillWavelengthBox(window, store.wavelengthTable);
    if (SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_GETCOUNT, 0, 0) > 0) {
        SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_SETCURSEL, 0, 0);
        if (const auto wavelength = chosenWavelength(window)) {
            showDbPerKm(window, store, *wavelength);
        }
    }
}

void readForm(HWND window, MeasurementStore& store, ProtocolForm& form) {
    forEachTextSlot(form, [window](int control, auto& slot) {
        setSlotText(slot, controlText(window, control));
    });
    setSlotText(form.instrument, joinInstrumentIdentity(controlText(window, IDC_INSTRUMENT_TYPE),
                                                        controlText(window, IDC_INSTRUMENT_SERIAL)));
    storeDbPerKm(window, store);
}

void showInstrumentIdentity(HWND window, MeasurementStore& store,
                            std::u16string_view identification) {
    const InstrumentIdentity identity = splitInstrumentIdentity(identification);
    applyInstrumentType(store, identity.type);
    setControlText(window, IDC_INSTRUMENT_TYPE, identity.type);
    setControlText(window, IDC_INSTRUMENT_SERIAL, identity.serial);
}

void showDbPerKm(HWND window, const MeasurementStore& store, std::uint32_t wavelength) {
    if (const auto text = shownDbPerKm(store.wavelengthTable, wavelength)) {
        setControlText(window, IDC_DB_PER_KM, *text);
    }
}

void storeDbPerKm(HWND window, MeasurementStore& store) {
    const auto wavelength = chosenWavelength(window);
    if (!wavelength) return;
    const std::u16string text = controlText(window, IDC_DB_PER_KM);
    setDbPerKm(store, *wavelength,
               dbPerKmFromText(std::u16string_view(text).substr(0, DB_PER_KM_FIELD_MAX)));
}

void updateDataMenus(HWND window, const MeasurementStore& store) {
    const HMENU menu = GetMenu(window);
    enableCommand(menu, ID_CMD_SELECT_VALUES, hasData(store));
    enableCommand(menu, ID_CMD_EXPORT_TEXT, hasData(store) && store.rawTextLength != 0);
    DrawMenuBar(window);
}

void updateGenerateMenu(HWND window, const MeasurementStore& store) {
    enableTopLevelEntry(GetMenu(window), MENU_POS_GENERATE, hasData(store));
    DrawMenuBar(window);
}

void loadConfiguration(HWND window, MeasurementStore& store) {
    if (readConfigurationFile(store.configuration, CONFIGURATION_FILE_NAME) ==
        ConfigurationLoad::Loaded) {
        return;
    }
    showInformation(window, u"Default configuration file has been created.", u"Cfg. file");
    setDefaultConfiguration(store.configuration);
    saveConfiguration(window, store, false);
}

bool saveConfiguration(HWND window, MeasurementStore& store, bool withMessage) {
    if (!writeConfigurationFile(store.configuration, CONFIGURATION_FILE_NAME)) {
        showError(window, store.language, TEXT_CONFIGURATION_NOT_SAVED);
        return false;
    }
    if (withMessage) {
        showInformation(window, store.language.text(TEXT_CONFIGURATION_SAVED),
                        store.language.text(TEXT_CONFIGURATION_SAVED_CAPTION));
    }
    return true;
}
