#include "instrument/port_settings_dialog.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/measurement_store.h"
#include "core/win32/controls.h"
#include "core/win32/main_window.h"
#include "core/win32/ui_hooks.h"
#include "core/number_text.h"
#include "instrument/port_scan.h"
#include "instrument/serial_port.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

constexpr ControlText PORT_SETTINGS_TEXTS[] = {
    {IDC_LABEL_PORT, TEXT_LABEL_PORT},
    {IDC_LABEL_BAUD_RATE, TEXT_LABEL_BAUD_RATE},
    {IDC_LABEL_DATA_BITS, TEXT_LABEL_DATA_BITS},
    {IDC_LABEL_PARITY, TEXT_LABEL_PARITY},
    {IDC_LABEL_STOP_BITS, TEXT_LABEL_STOP_BITS},
    {IDC_LABEL_FLOW_CONTROL, TEXT_LABEL_FLOW_CONTROL},
    {IDCANCEL, TEXT_CANCEL},
    {IDOK, TEXT_OK},
};

// The items of the parity and flow-control boxes, in the order of their indices.
constexpr std::size_t PARITY_TEXTS[] = {TEXT_PARITY_NONE, TEXT_PARITY_ODD, TEXT_PARITY_EVEN,
                                        TEXT_PARITY_MARK, TEXT_PARITY_SPACE};
constexpr std::size_t FLOW_CONTROL_TEXTS[] = {TEXT_FLOW_NONE, TEXT_FLOW_HARDWARE,
                                              TEXT_FLOW_SOFTWARE};
static_assert(std::size(FLOW_CONTROL_TEXTS) == FLOW_CONTROL_KINDS);

constexpr const char16_t* STOP_BITS_ITEMS[] = {u"1", u"1.5", u"2"};

// A line-setting box: the position of its selected item is the index the
// configuration stores.
struct SettingBox {
    int control;
    std::uint32_t Configuration::*index;
};

constexpr SettingBox SETTING_BOXES[] = {
    {IDC_BAUD_RATE, &Configuration::baudIndex},
    {IDC_DATA_BITS, &Configuration::dataBitsIndex},
    {IDC_PARITY, &Configuration::parityIndex},
    {IDC_STOP_BITS, &Configuration::stopBitsIndex},
    {IDC_FLOW_CONTROL, &Configuration::flowControlIndex},
};

struct PortSettingsDialog {
    MeasurementStore& store;
    // Item k of the port box is ports[k].
    std::vector<ScannedPort> ports;
};

PortSettingsDialog& dialogOf(HWND window) {
    return *reinterpret_cast<PortSettingsDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// ---------------------------------------------------------------- items

void addItem(HWND window, int comboBox, const std::u16string& text) {
    SendDlgItemMessageW(window, comboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text)));
}

template <typename Numbers>
void addNumberItems(HWND window, int comboBox, const Numbers& numbers) {
    for (const auto number : numbers) addItem(window, comboBox, asciiToU16(std::to_string(number)));
}

void addLanguageItems(HWND window, int comboBox, const LanguageTable& language,
                      std::span<const std::size_t> entries) {
    for (const std::size_t entry : entries) addItem(window, comboBox, language.text(entry));
}

std::u16string portItemText(const ScannedPort& port) {
    return u"COM" + asciiToU16(std::to_string(port.portNumber + 1)) + u" " +
           latin1ToU16(port.answer);
}

void fillBoxes(HWND window, const PortSettingsDialog& dialog) {
    for (const ScannedPort& port : dialog.ports) addItem(window, IDC_PORT, portItemText(port));
    addNumberItems(window, IDC_BAUD_RATE, BAUD_RATES);
    addNumberItems(window, IDC_DATA_BITS, DATA_BITS);
    const LanguageTable& language = dialog.store.language;
    addLanguageItems(window, IDC_PARITY, language, PARITY_TEXTS);
    for (const char16_t* item : STOP_BITS_ITEMS) addItem(window, IDC_STOP_BITS, item);
    addLanguageItems(window, IDC_FLOW_CONTROL, language, FLOW_CONTROL_TEXTS);
}

// ---------------------------------------------------------------- selection

// An index outside its box selects nothing.
void select(HWND window, int comboBox, std::size_t position) {
    SendDlgItemMessageW(window, comboBox, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

std::optional<std::size_t> selected(HWND window, int comboBox) {
    const LRESULT item = SendDlgItemMessageW(window, comboBox, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR) return std::nullopt;
    return static_cast<std::size_t>(item);
}

void showSettings(HWND window, const PortSettingsDialog& dialog) {
    const Configuration& configuration = dialog.store.configuration;
    const auto port = std::find_if(
        dialog.ports.begin(), dialog.ports.end(),
        [&](const ScannedPort& scanned) { return scanned.portNumber == configuration.portNumber; });
    if (port != dialog.ports.end()) {
        select(window, IDC_PORT, static_cast<std::size_t>(port - dialog.ports.begin()));
    }
    for (const SettingBox& box : SETTING_BOXES) select(window, box.control, configuration.*box.index);
}

// With nothing selected a setting keeps its value.
void takeSettings(HWND window, PortSettingsDialog& dialog) {
    Configuration& configuration = dialog.store.configuration;
    if (const auto port = selected(window, IDC_PORT); port && *port < dialog.ports.size()) {
        configuration.portNumber = dialog.ports[*port].portNumber;
    }
    for (const SettingBox& box : SETTING_BOXES) {
        if (const auto position = selected(window, box.control)) {
            configuration.*box.index = static_cast<std::uint32_t>(*position);
        }
    }
}

// ---------------------------------------------------------------- messages

void openPortSettings(HWND window, PortSettingsDialog& dialog) {
    translateDialog(window, dialog.store.language, TEXT_PORT_SETTINGS_CAPTION, PORT_SETTINGS_TEXTS);
    dialog.ports = scanPorts(dialog.store.configuration, uiHooks().openPort);
    fillBoxes(window, dialog);
    showSettings(window, dialog);
}

void confirmPortSettings(HWND window, PortSettingsDialog& dialog) {
    takeSettings(window, dialog);
    saveConfiguration(window, dialog.store, false);
    EndDialog(window, IDOK);
}

INT_PTR CALLBACK portSettingsProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        openPortSettings(window, dialogOf(window));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            confirmPortSettings(window, dialogOf(window));
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

INT_PTR runPortSettingsDialog(HWND owner, MeasurementStore& store) {
    PortSettingsDialog dialog{store, {}};
    return uiHooks().runDialog(owner, IDD_PORT_SETTINGS, portSettingsProcedure,
                               reinterpret_cast<LPARAM>(&dialog));
}
