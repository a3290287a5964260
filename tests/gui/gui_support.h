// Helpers of the GUI tests: a scratch working folder per test, recorders
// behind the replaceable entry points, and scripts that drive a real modal
// dialog from inside its own message loop.
#pragma once

#include <windows.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/records.h"
#include "core/win32/ui_hooks.h"

// A fresh empty folder that is the current directory for the test's life.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

// What a dialog script does once the dialog is open. A script that returns
// without ending its dialog has it ended with SCRIPT_LEFT_OPEN.
using DialogScript = std::function<void(HWND dialog)>;
inline constexpr INT_PTR SCRIPT_LEFT_OPEN = 100;

// Runs `runModal` (which opens one modal dialog) and `script` inside that
// dialog's message loop as soon as the dialog is shown and idle.
INT_PTR runScripted(const std::function<INT_PTR()>& runModal, DialogScript script);

struct RecordedMessage {
    std::u16string text;
    std::u16string caption;
    UINT type;

    UINT icon() const { return type & MB_ICONMASK; }
    UINT buttons() const { return type & MB_TYPEMASK; }
};

// The settings an open or save dialog was shown with.
struct RecordedFileDialog {
    bool save;
    std::vector<std::u16string> filter;  // title, pattern, title, pattern ...
    std::u16string defaultExtension;
    std::u16string initialName;
    DWORD flags;
};

// Installs recording entry points for its lifetime. Questions are answered
// from `answers` (a question without an answer fails the test and gets No),
// other boxes with OK. Nested dialogs run for real with the next script of
// `dialogScripts`; without one the test fails and the dialog is not opened.
class UiRecorder {
public:
    UiRecorder();
    ~UiRecorder();
    UiRecorder(const UiRecorder&) = delete;
    UiRecorder& operator=(const UiRecorder&) = delete;

    std::vector<RecordedMessage> messages;
    std::deque<int> answers;
    std::vector<int> dialogsOpened;
    std::deque<DialogScript> dialogScripts;
    std::vector<std::u16string> documentsOpened;
    // Chosen file paths of the open and save dialogs; nothing = cancelled.
    std::deque<std::optional<std::u16string>> fileChoices;
    std::vector<RecordedFileDialog> fileDialogs;
    SYSTEMTIME localTime{2012, 3, 1, 5, 10, 30, 0, 0};
    // Also show each box for real and press its answer, for tests about
    // what a real box does to activation and focus.
    bool showRealBoxes = false;
};

// Messages to a dialog, as its controls and menu would send them.
void sendCommand(HWND dialog, int command);
void sendNotification(HWND dialog, int control, int notification);
void typeInto(HWND dialog, int control, std::u16string_view text);
void chooseItem(HWND dialog, int comboBox, int item);
void moveFocus(HWND dialog, int control);
// A mouse click on a column header of a list view: the header tells the
// list view, which tells its dialog.
void clickHeader(HWND list, int column);
// The width a list view column needs for `title` in the list's font, with
// the header's padding of 6 pixels on either side (at 96 dots per inch).
int columnTitleWidth(HWND list, const wchar_t* title);
// Handles what has been posted so far (focus changes, for example).
void processPostedMessages();
// Handles messages, timers included, as they come until `done` holds; false
// when it did not within `timeoutMs`.
bool processMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000);

std::u16string textOf(HWND dialog, int control);
std::u16string windowText(HWND window);
std::vector<std::u16string> comboItems(HWND dialog, int comboBox);
int focusedControl(HWND dialog);
std::u16string menuText(HWND dialog, UINT item, bool byPosition);
bool menuGrey(HWND dialog, UINT item, bool byPosition);

// Language files as the program reads them: UTF-16LE with byte-order mark.
void writeLanguageFile(const std::filesystem::path& file, std::u16string_view content);
// Every entry 0 to 146 worded "<tag> <number>", one line each, CR LF.
std::u16string numberedEntries(std::u16string_view tag);
// The text of such an entry.
std::u16string numbered(std::u16string_view tag, int entry);

// The default configuration changed by `change`, written to Kalivera.cfg.
void writeConfiguration(const std::function<void(Configuration&)>& change);
Configuration readConfiguration();
std::vector<unsigned char> fileBytes(const std::filesystem::path& file);

std::string narrow(std::u16string_view text);

// The performance counter, for the figures that benchmarks print.
LONGLONG now();
double milliseconds(LONGLONG ticks);
