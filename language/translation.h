// Moving texts between the language table, the store and the controls of a
// window, and the translation of the main window with its menu.
#pragma once

#include <windows.h>

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

struct LanguageTable;
struct MeasurementStore;

// A control whose text is a language entry.
struct ControlText {
    int control;
    std::size_t entry;
};

// Sets the window caption and the listed control texts from the table.
void translateDialog(HWND window, const LanguageTable& language, std::size_t captionEntry,
                     std::span<const ControlText> controls);

// Caption, labels and menu of the main window from the store's language
// table; the loss-budget fields are shown only for loss-meter data.
void translateMainWindow(HWND window, const MeasurementStore& store);
