// The few places where the Win32 front reaches outside its own windows:
// message boxes, the standard file dialogs, nested modal dialogs, showing a
// document, the local date and the serial port. The program uses the system's functions; GUI
// tests install recorders and scripted answers, so every dialog runs
// unattended.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <string>
#include <memory>
#include <string_view>

#include "instrument/serial_port.h"

struct LanguageTable;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

struct UiHooks {
    int(WINAPI* messageBox)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    BOOL(WINAPI* getOpenFileName)(OPENFILENAMEW* request);
    BOOL(WINAPI* getSaveFileName)(OPENFILENAMEW* request);
    // Runs dialog resource `templateId` modally, owned by `owner`.
    INT_PTR (*runDialog)(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter);
    // Shows a local file in the browser; true once it has been loaded.
    bool (*openDocument)(std::u16string_view path);
    void(WINAPI* localTime)(SYSTEMTIME* time);
    // Opens the configured port with its line settings, drained.
    std::unique_ptr<SerialPort> (*openPort)(const Configuration& configuration);
};

// The entry points in force, the system's own until setUiHooks.
const UiHooks& uiHooks();
void setUiHooks(const UiHooks& hooks);
UiHooks systemUiHooks();

// The UTF-16 texts of the core as Win32 wide strings and back.
inline const wchar_t* wide(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline std::u16string_view utf16(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

// A message box through the hook; the result is the button pressed.
int showMessage(HWND owner, std::u16string_view text, std::u16string_view caption, UINT type);

// The three standard boxes. Captions and texts are language entries except
// where a text is given.
bool askQuestion(HWND owner, const LanguageTable& language, std::size_t textEntry);  // true on Yes
void showError(HWND owner, const LanguageTable& language, std::size_t textEntry);
void showErrorText(HWND owner, const LanguageTable& language, std::u16string_view text);
void showInformation(HWND owner, std::u16string_view text, std::u16string_view caption);
