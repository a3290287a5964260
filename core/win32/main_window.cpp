#include "core/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <type_traits>

#include "core/win32/about_dialog.h"
#include "core/win32/controls.h"
#include "core/configuration.h"
#include "core/fixed_text.h"
#include "core/form_text.h"
#include "core/instrument_kind.h"
#include "core/measurement_store.h"
#include "core/number_text.h"
#include "core/protocol_file.h"
#include "core/protocol_form.h"
#include "core/text_export.h"
#include "core/win32/ui_hooks.h"
#include "instrument/data_file.h"
#include "instrument/download_dialog.h"
#include "instrument/port_settings_dialog.h"
#include "language/language_dialog.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "report/results_csv.h"
#include "report/template_engine.h"
#include "resources/resource_ids.h"
#include "selection/limit_editor_dialog.h"
#include "selection/location_table.h"
#include "selection/location_table_dialog.h"
#include "selection/value_selection_dialog.h"

namespace {

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
    // The location table's last header click, kept for the program's life.
    LocationSortMemory locationSort{};
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

// New data (loaded, downloaded) come without a selection, a selection
// dialog or an opened protocol may bring one.
void enableResultsExport(HMENU menu, const MeasurementStore& store) {
    enableCommand(menu, ID_CMD_EXPORT_CSV, hasResults(store));
}

void greyDataMenus(HWND window) {
    const HMENU menu = GetMenu(window);
    enableCommand(menu, ID_CMD_SELECT_VALUES, false);
    enableTopLevelEntry(menu, MENU_POS_GENERATE, false);
    enableCommand(menu, ID_CMD_EXPORT_TEXT, false);
    enableCommand(menu, ID_CMD_EXPORT_CSV, false);
    DrawMenuBar(window);
}

// ---------------------------------------------------------------- file dialogs

constexpr DWORD RESIZABLE_UNRECORDED = OFN_ENABLESIZING | OFN_DONTADDTORECENT;
constexpr wchar_t TEXT_FILES[] = L"Text Files\0*.txt\0";
constexpr wchar_t PROTOCOL_FILES[] = L"Protocol Files\0*.opr\0";
constexpr wchar_t CSV_FILES[] = L"CSV Files\0*.csv\0";

constexpr FileDialog DATA_FILE_DIALOG{
    false, TEXT_FILES, L"txt",
    FILE_DIALOG_FLAGS | OFN_NONETWORKBUTTON | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST};
constexpr FileDialog OPEN_PROTOCOL_DIALOG{
    false, PROTOCOL_FILES, L"opr",
    FILE_DIALOG_FLAGS | RESIZABLE_UNRECORDED | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST};
// Existing files are replaced without a question.
constexpr FileDialog SAVE_PROTOCOL_DIALOG{
    true, PROTOCOL_FILES, L"opr", FILE_DIALOG_FLAGS | RESIZABLE_UNRECORDED | OFN_PATHMUSTEXIST};
constexpr FileDialog EXPORT_TEXT_DIALOG{true, TEXT_FILES, L"txt",
                                        FILE_DIALOG_FLAGS | RESIZABLE_UNRECORDED};
// Existing files are replaced without a question, as by the text export.
constexpr FileDialog EXPORT_CSV_DIALOG{true, CSV_FILES, L"csv",
                                       FILE_DIALOG_FLAGS | RESIZABLE_UNRECORDED | OFN_PATHMUSTEXIST};

std::u16string textOf(const std::filesystem::path& path) {
    const std::wstring& native = path.native();
    return std::u16string(native.begin(), native.end());
}

std::filesystem::path workingDirectory() {
    std::error_code error;
    return std::filesystem::current_path(error);
}

bool canBeRead(const std::u16string& file) {
    const HANDLE handle = CreateFileW(wide(file), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    CloseHandle(handle);
    return true;
}

// ---------------------------------------------------------------- wavelength box

void fillWavelengthBox(HWND window, const WavelengthTable& table) {
    SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_RESETCONTENT, 0, 0);
    for (const WavelengthEntry& entry : table) {
        if (entry.wavelength == -1) break;
        const std::u16string text = integerText(static_cast<std::uint32_t>(entry.wavelength));
        SendDlgItemMessageW(window, IDC_WAVELENGTH, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(wide(text)));
    }
}

// The wavelength of the item chosen in the box, if one is chosen.
std::optional<std::uint32_t> chosenWavelength(HWND window) {
    const auto text = chosenComboText(window, IDC_WAVELENGTH);
    if (!text) return std::nullopt;
    return static_cast<std::uint32_t>(parseInteger(*text));
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
    if (!loadLanguageFile(store.language, pathOf(languageFile))) {
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

void loadDataFromInstrument(MainWindow& main) { downloadFromInstrument(main.window, main.store); }

void choosePortSettings(MainWindow& main) { runPortSettingsDialog(main.window, main.store); }

void selectValues(MainWindow& main) {
    if (main.store.instrumentKind == KIND_ZD615) {
        runLocationTableDialog(main.window, main.store, main.locationSort);
    } else {
        runValueSelectionDialog(main.window, main.store);
    }
    updateGenerateMenu(main.window, main.store);
}

void editLimits(MainWindow& main) { runLimitEditorDialog(main.window, main.store); }

// ---------------------------------------------------------------- instrument data from a file

void loadDataFromFile(MainWindow& main) {
    const HWND window = main.window;
    MeasurementStore& store = main.store;
    if (hasData(store) && !askQuestion(window, store.language, TEXT_ASK_LOAD)) return;
    // Loading shows the form record again: it must hold what was typed.
    readForm(window, store, store.protocolForm);
    greyDataMenus(window);
    const auto file = chooseFile(window, DATA_FILE_DIALOG, u"*.txt");
    if (!file) return;
    const DataFileResult result = loadDataFile(store, pathOf(*file));
    switch (result.outcome) {
    case DataFileOutcome::Loaded:
        showLoadedData(window, store, result.positiveValues);
        break;
    case DataFileOutcome::CannotRead:
        showError(window, store.language, TEXT_DATA_FILE_UNREADABLE);
        break;
    case DataFileOutcome::TooLarge:
        showError(window, store.language, TEXT_DATA_FILE_TOO_LARGE);
        break;
    case DataFileOutcome::Rejected:
        showError(window, store.language, TEXT_NOT_LOADED);
        break;
    }
}

// ---------------------------------------------------------------- protocol files

void showProtocol(HWND window, MeasurementStore& store) {
    showForm(window, store, store.protocolForm);
    updateDataMenus(window, store);
    updateGenerateMenu(window, store);
}

// False when the chosen file could not be opened as a protocol.
bool openProtocol(HWND window, MeasurementStore& store) {
    // A cancelled dialog shows the form record again: it must hold what was typed.
    readForm(window, store, store.protocolForm);
    greyDataMenus(window);
    const auto file = chooseFile(window, OPEN_PROTOCOL_DIALOG, u"*.opr");
    if (!file) {
        rebuildWavelengthSummary(store);
        showProtocol(window, store);
        return true;
    }
    switch (openProtocolFile(store, pathOf(*file))) {
    case ProtocolOpen::Opened:
        showProtocol(window, store);
        return true;
    case ProtocolOpen::Invalid:
        showForm(window, store, store.protocolForm);  // as much of it as was read
        return false;
    case ProtocolOpen::Unreadable:
        break;  // the previous form stays; the menus stay grey
    }
    return false;
}

void openProtocolFromFile(MainWindow& main) {
    MeasurementStore& store = main.store;
    if (!hasData(store) || askQuestion(main.window, store.language, TEXT_ASK_OPEN)) {
        if (openProtocol(main.window, store)) {
            computeBudget(store);
        } else {
            showError(main.window, store.language, TEXT_NOT_LOADED);
        }
    }
    translateMainWindow(main.window, store);
}

constexpr std::u16string_view NEW_PROTOCOL_NAME = u"new_protocol.opr";

// Asks for a name when none is set or when `saveAs`; a cancelled dialog
// writes nothing and is no failure. Without a path the dialog proposes
// "new_protocol.opr" but only a chosen name becomes the path, so a later
// Save never writes over a file the operator did not choose.
bool saveProtocol(HWND window, MeasurementStore& store, bool saveAs) {
    rebuildWavelengthSummary(store);
    readForm(window, store, store.protocolForm);
    computeBudget(store);
    auto& path = store.currentProtocolPath;
    if (saveAs || slotText(path).empty()) {
        const std::u16string_view proposal = slotText(path).empty() ? NEW_PROTOCOL_NAME : slotText(path);
        const auto file = chooseFile(window, SAVE_PROTOCOL_DIALOG, proposal);
        if (!file) return true;
        setSlotText(path, *file);
    }
    readForm(window, store, store.protocolForm);
    return writeProtocolFile(store, pathOf(slotText(path)));
}

void saveProtocolReportingFailure(MainWindow& main, bool saveAs) {
    if (!saveProtocol(main.window, main.store, saveAs)) {
        showError(main.window, main.store.language, TEXT_NOT_WRITTEN);
    }
}

void save(MainWindow& main) { saveProtocolReportingFailure(main, false); }
void saveAs(MainWindow& main) { saveProtocolReportingFailure(main, true); }

void exportInstrumentText(MainWindow& main) {
    const auto file = chooseFile(main.window, EXPORT_TEXT_DIALOG, u"");
    if (file && !writeInstrumentText(main.store, pathOf(*file))) {
        showError(main.window, main.store.language, TEXT_NOT_WRITTEN);
    }
}

// The protocol's path with ".csv" for its extension; "new_protocol.csv"
// before the protocol has a name.
std::u16string csvProposal(const MeasurementStore& store) {
    const std::u16string_view protocol = slotText(store.currentProtocolPath);
    if (protocol.empty()) return u"new_protocol.csv";
    return textOf(pathOf(protocol).replace_extension(L".csv"));
}

void exportResultsCsv(MainWindow& main) {
    MeasurementStore& store = main.store;
    // The loss limits come from the form as typed.
    readForm(main.window, store, store.protocolForm);
    const auto file = chooseFile(main.window, EXPORT_CSV_DIALOG, csvProposal(store));
    if (file && !writeResultsCsv(store, pathOf(*file))) {
        showError(main.window, store.language, TEXT_NOT_WRITTEN);
    }
}

// ---------------------------------------------------------------- documents

void generateReport(MainWindow& main) {
    MeasurementStore& store = main.store;
    readForm(main.window, store, store.protocolForm);
    const ReportOutcome outcome = generateReportFile(store, workingDirectory());
    if (outcome.status != ReportStatus::Written) {
        showErrorText(main.window, store.language, reportFailureMessage(store.language, outcome));
        return;
    }
    uiHooks().openDocument(outcome.reportPath);
}

void showUserManual(MainWindow& main) {
    const LanguageTable& language = main.store.language;
    const std::u16string manual =
        textOf(workingDirectory()) + u"\\" + language.text(TEXT_MANUAL_FILE);
    if (!canBeRead(manual)) {
        showErrorText(main.window, language,
                      language.text(TEXT_MANUAL_MISSING) + u" (" + manual + u")");
        return;
    }
    uiHooks().openDocument(manual);
}

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
    {ID_CMD_OPEN, openProtocolFromFile},
    {ID_CMD_SAVE, save},
    {ID_CMD_SAVE_AS, saveAs},
    {ID_CMD_EXPORT_TEXT, exportInstrumentText},
    {ID_CMD_EXPORT_CSV, exportResultsCsv},
    {ID_CMD_LOAD_INSTRUMENT, loadDataFromInstrument},
    {ID_CMD_LOAD_FILE, loadDataFromFile},
    {ID_CMD_PORT_SETTINGS, choosePortSettings},
    {ID_CMD_SELECT_VALUES, selectValues},
    {ID_CMD_LIMITS, editLimits},
    {ID_CMD_GENERATE, generateReport},
    {ID_CMD_MANUAL, showUserManual},
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

// Wide text is the native form of a Windows path: nothing to convert, so a
// damaged name (a lone surrogate, say) cannot make the conversion throw.
std::filesystem::path pathOf(std::u16string_view text) {
    return std::filesystem::path(std::wstring(text.begin(), text.end()));
}

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

void showLoadedData(HWND window, MeasurementStore& store, bool positiveValues) {
    const LanguageTable& language = store.language;
    if (positiveValues) {
        showMessage(window, language.text(TEXT_POSITIVE_VALUES),
                    language.text(TEXT_POSITIVE_VALUES_CAPTION), MB_OK | MB_ICONWARNING);
    }
    // The loss-budget fields follow the new kind; the wavelength box the new table.
    translateMainWindow(window, store);
    showForm(window, store, store.protocolForm);
    showInstrumentIdentity(window, store, slotText(store.instrumentId));
    updateDataMenus(window, store);
    showInformation(window, language.text(TEXT_LOADED), language.text(TEXT_LOADED_CAPTION));
}

void updateDataMenus(HWND window, const MeasurementStore& store) {
    const HMENU menu = GetMenu(window);
    enableCommand(menu, ID_CMD_SELECT_VALUES, hasData(store));
    enableCommand(menu, ID_CMD_EXPORT_TEXT, hasData(store) && store.rawTextLength != 0);
    enableResultsExport(menu, store);
    DrawMenuBar(window);
}

void updateGenerateMenu(HWND window, const MeasurementStore& store) {
    const HMENU menu = GetMenu(window);
    enableTopLevelEntry(menu, MENU_POS_GENERATE, hasData(store));
    enableResultsExport(menu, store);
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
