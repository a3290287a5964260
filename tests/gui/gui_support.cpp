#include "gui_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "core/configuration.h"
#include "core/number_text.h"
#include "core/win32/controls.h"

namespace fs = std::filesystem;

// ---------------------------------------------------------------- scratch folder

ScratchFolder::ScratchFolder() : previous_(fs::current_path()) {
    std::random_device random;
    path_ = fs::temp_directory_path() /
            ("kalivera-gui-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(random()));
    fs::create_directories(path_);
    fs::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
}

// ---------------------------------------------------------------- scripted dialogs

namespace {

// Scripts waiting for their dialog, by the thread timer that starts them.
std::map<UINT_PTR, DialogScript>& pendingScripts() {
    static std::map<UINT_PTR, DialogScript> scripts;
    return scripts;
}

// The dialog a script drives: the visible, enabled dialog of this thread
// (the owner of a modal dialog is disabled while it runs).
BOOL CALLBACK rememberActiveDialog(HWND window, LPARAM found) {
    wchar_t className[16]{};
    GetClassNameW(window, className, 16);
    if (std::wstring_view(className) == L"#32770" && IsWindowVisible(window) &&
        IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
    }
    return TRUE;
}

HWND activeDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), rememberActiveDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CALLBACK startPendingScript(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto pending = pendingScripts().extract(timer);
    if (pending.empty()) return;
    const HWND dialog = activeDialog();
    if (!dialog) {
        ADD_FAILURE() << "the script found no open dialog";
        PostQuitMessage(0);  // ends the modal loop instead of hanging
        return;
    }
    pending.mapped()(dialog);
    if (IsWindowVisible(dialog)) EndDialog(dialog, SCRIPT_LEFT_OPEN);
}

UiRecorder* activeRecorder = nullptr;

UiRecorder& recorder() { return *activeRecorder; }

int answerFor(UINT type, LPCWSTR text) {
    if ((type & MB_TYPEMASK) != MB_YESNO) return IDOK;
    if (recorder().answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << narrow(utf16(text));
        return IDNO;
    }
    const int answer = recorder().answers.front();
    recorder().answers.pop_front();
    return answer;
}

int WINAPI recordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    recorder().messages.push_back({std::u16string(utf16(text)), std::u16string(utf16(caption)), type});
    const int answer = answerFor(type, text);
    if (!recorder().showRealBoxes) return answer;
    return static_cast<int>(
        runScripted([&] { return INT_PTR{MessageBoxW(owner, text, caption, type)}; },
                    [answer](HWND box) { sendCommand(box, answer); }));
}

// The zero-separated strings of a filter, up to the empty one that ends it.
std::vector<std::u16string> filterParts(const wchar_t* filter) {
    std::vector<std::u16string> parts;
    for (; filter && *filter; filter += parts.back().size() + 1) parts.emplace_back(utf16(filter));
    return parts;
}

BOOL answerFileDialog(OPENFILENAMEW* request, bool save) {
    recorder().fileDialogs.push_back(
        {save, filterParts(request->lpstrFilter),
         std::u16string(utf16(request->lpstrDefExt ? request->lpstrDefExt : L"")),
         std::u16string(utf16(request->lpstrFile)), request->Flags});
    if (recorder().fileChoices.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return FALSE;
    }
    const auto choice = recorder().fileChoices.front();
    recorder().fileChoices.pop_front();
    if (!choice || choice->size() >= request->nMaxFile) return FALSE;
    std::copy(choice->begin(), choice->end(), request->lpstrFile);
    request->lpstrFile[choice->size()] = L'\0';
    return TRUE;
}

BOOL WINAPI recordOpenFileDialog(OPENFILENAMEW* request) { return answerFileDialog(request, false); }
BOOL WINAPI recordSaveFileDialog(OPENFILENAMEW* request) { return answerFileDialog(request, true); }

INT_PTR runRecordedDialog(HWND owner, int templateId, DLGPROC procedure, LPARAM parameter) {
    recorder().dialogsOpened.push_back(templateId);
    if (recorder().dialogScripts.empty()) {
        ADD_FAILURE() << "no script for dialog " << templateId;
        return IDCANCEL;
    }
    DialogScript script = std::move(recorder().dialogScripts.front());
    recorder().dialogScripts.pop_front();
    return runScripted(
        [&] { return systemUiHooks().runDialog(owner, templateId, procedure, parameter); },
        std::move(script));
}

bool recordDocument(std::u16string_view path) {
    recorder().documentsOpened.emplace_back(path);
    return true;
}

void WINAPI pinnedLocalTime(SYSTEMTIME* time) { *time = recorder().localTime; }

}  // namespace

INT_PTR runScripted(const std::function<INT_PTR()>& runModal, DialogScript script) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 0, startPendingScript);
    pendingScripts()[timer] = std::move(script);
    const INT_PTR result = runModal();
    // The dialog may have ended before the script could start.
    KillTimer(nullptr, timer);
    pendingScripts().erase(timer);
    return result;
}

UiRecorder::UiRecorder() {
    activeRecorder = this;
    setUiHooks({recordMessageBox, recordOpenFileDialog, recordSaveFileDialog, runRecordedDialog,
                recordDocument, pinnedLocalTime, systemUiHooks().openPort});
}

UiRecorder::~UiRecorder() {
    setUiHooks(systemUiHooks());
    activeRecorder = nullptr;
}

// ---------------------------------------------------------------- driving controls

void sendCommand(HWND dialog, int command) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

void sendNotification(HWND dialog, int control, int notification) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(control, notification),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, control)));
}

void typeInto(HWND dialog, int control, std::u16string_view text) {
    setControlText(dialog, control, text);  // an edit field reports the change itself
}

void chooseItem(HWND dialog, int comboBox, int item) {
    SendDlgItemMessageW(dialog, comboBox, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    sendNotification(dialog, comboBox, CBN_SELCHANGE);
}

void moveFocus(HWND dialog, int control) { SetFocus(GetDlgItem(dialog, control)); }

void clickHeader(HWND list, int column) {
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT box{};
    SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&box));
    const LPARAM point = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(header, WM_LBUTTONUP, 0, point);
}

int columnTitleWidth(HWND list, const wchar_t* title) {
    return static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(title))) +
           MulDiv(12, static_cast<int>(windowDpi(list)), 96);
}

void processPostedMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool processMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    // One message at a time: a timer whose handler outlasts its period is
    // always due, and `done` must be asked between two of its messages.
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else {
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        }
    }
    return true;
}

std::u16string textOf(HWND dialog, int control) { return controlText(dialog, control); }

std::u16string windowText(HWND window) {
    wchar_t text[512]{};
    GetWindowTextW(window, text, 512);
    return std::u16string(utf16(text));
}

std::vector<std::u16string> comboItems(HWND dialog, int comboBox) {
    std::vector<std::u16string> items;
    const LRESULT count = SendDlgItemMessageW(dialog, comboBox, CB_GETCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        wchar_t text[512]{};
        SendDlgItemMessageW(dialog, comboBox, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
        items.emplace_back(utf16(text));
    }
    return items;
}

int focusedControl(HWND dialog) {
    const HWND focus = GetFocus();
    return focus && GetParent(focus) == dialog ? GetDlgCtrlID(focus) : 0;
}

std::u16string menuText(HWND dialog, UINT item, bool byPosition) {
    wchar_t text[256]{};
    GetMenuStringW(GetMenu(dialog), item, text, 256, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    return std::u16string(utf16(text));
}

bool menuGrey(HWND dialog, UINT item, bool byPosition) {
    const UINT state = GetMenuState(GetMenu(dialog), item, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & MF_GRAYED);
}

// ---------------------------------------------------------------- files

void writeLanguageFile(const fs::path& file, std::u16string_view content) {
    std::ofstream out(file, std::ios::binary);
    out.write("\xFF\xFE", 2);
    out.write(reinterpret_cast<const char*>(content.data()),
              static_cast<std::streamsize>(content.size() * sizeof(char16_t)));
}

std::u16string numbered(std::u16string_view tag, int entry) {
    return std::u16string(tag) + u' ' + asciiToU16(std::to_string(entry));
}

std::u16string numberedEntries(std::u16string_view tag) {
    std::u16string content = u"// test language " + std::u16string(tag) + u"\r\n";
    for (int entry = 0; entry < 147; ++entry) {
        content += asciiToU16(std::to_string(entry)) + u'-' + numbered(tag, entry) + u"\r\n";
    }
    return content;
}

void writeConfiguration(const std::function<void(Configuration&)>& change) {
    Configuration configuration{};
    setDefaultConfiguration(configuration);
    change(configuration);
    ASSERT_TRUE(writeConfigurationFile(configuration, CONFIGURATION_FILE_NAME));
}

Configuration readConfiguration() {
    Configuration configuration{};
    EXPECT_EQ(readConfigurationFile(configuration, CONFIGURATION_FILE_NAME),
              ConfigurationLoad::Loaded);
    return configuration;
}

std::vector<unsigned char> fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string narrow(std::u16string_view text) { return u16ToUtf8(text); }

// ---------------------------------------------------------------- clock

LONGLONG now() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

double milliseconds(LONGLONG ticks) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}
