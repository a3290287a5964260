// Starts a program as the shell does: a shortcut's target with its arguments
// and working folder, a program in its own folder. Confirms and prints each message box it shows on the
// way, waits for its main window (visible, with a menu), prints its texts,
// closes it and waits for the program to end. Exit status 0 only when all of that happened in
// time; the installer test runs it under Wine.
//   usage: start_program.exe SHORTCUT.lnk|PROGRAM.exe
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr DWORD WINDOW_TIMEOUT_MS = 30000;
constexpr DWORD EXIT_TIMEOUT_MS = 10000;

struct Shortcut {
    std::wstring target;
    std::wstring arguments;
    std::wstring workingFolder;
};

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

int fail(const char* what) {
    std::fprintf(stderr, "start_program: %s\n", what);
    return 1;
}

bool readShortcut(const wchar_t* file, Shortcut& shortcut) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return false;
    }
    IPersistFile* persist = nullptr;
    wchar_t target[MAX_PATH] = L"", arguments[1024] = L"", folder[MAX_PATH] = L"";
    const bool read = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
                      SUCCEEDED(persist->Load(file, STGM_READ)) &&
                      SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
                      SUCCEEDED(link->GetArguments(arguments, 1024)) &&
                      SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH));
    if (persist) persist->Release();
    link->Release();
    shortcut = {target, arguments, folder};
    return read && !shortcut.target.empty();
}

bool isShortcut(const std::wstring& file) {
    return file.size() > 4 && _wcsicmp(file.c_str() + file.size() - 4, L".lnk") == 0;
}

// As a double click in the file manager starts it.
Shortcut programInItsFolder(const std::wstring& program) {
    const std::size_t separator = program.find_last_of(L"\\/");
    return {program, L"", separator == std::wstring::npos ? L"" : program.substr(0, separator)};
}

void printTexts(const char* heading, HWND window) {
    std::printf("%s:", heading);
    auto print = [](HWND shown, LPARAM) -> BOOL {
        wchar_t text[512] = L"";
        GetWindowTextW(shown, text, 512);
        if (text[0]) std::printf(" [%s]", utf8(text).c_str());
        return TRUE;
    };
    print(window, 0);
    EnumChildWindows(window, print, 0);
    std::printf("\n");
}

struct WindowSearch {
    DWORD process;
    HWND main;
    std::vector<HWND> confirmed;
};

// The main window has a menu; any other window of the program is a message
// box on the way to it, printed and confirmed.
BOOL CALLBACK visitProgramWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window)) return TRUE;
    if (GetMenu(window)) {
        search->main = window;
        return FALSE;
    }
    if (std::find(search->confirmed.begin(), search->confirmed.end(), window) == search->confirmed.end()) {
        printTexts("message box", window);
        PostMessageW(window, WM_COMMAND, IDOK, 0);
        search->confirmed.push_back(window);
    }
    return TRUE;
}

HWND waitForMainWindow(const PROCESS_INFORMATION& process) {
    WindowSearch search{process.dwProcessId, nullptr, {}};
    for (DWORD waited = 0; waited < WINDOW_TIMEOUT_MS; waited += 100) {
        EnumWindows(visitProgramWindow, reinterpret_cast<LPARAM>(&search));
        if (search.main || WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    return search.main;
}

int closeAndWait(const PROCESS_INFORMATION& process) {
    const HWND window = waitForMainWindow(process);
    if (!window) {
        TerminateProcess(process.hProcess, 1);
        return fail("the program showed no main window");
    }
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    std::printf("main window: [%s]\n", utf8(title).c_str());
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, EXIT_TIMEOUT_MS) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        return fail("the program did not end after its main window was closed");
    }
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    std::printf("exit status: %lu\n", status);
    return status == 0 ? 0 : fail("the program ended with a failure");
}

int startAndClose(const Shortcut& shortcut) {
    std::printf("target: %s\nworking folder: %s\n", utf8(shortcut.target).c_str(),
                utf8(shortcut.workingFolder).c_str());
    std::wstring commandLine = L"\"" + shortcut.target + L"\" " + shortcut.arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(shortcut.target.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, shortcut.workingFolder.empty() ? nullptr : shortcut.workingFolder.c_str(),
                        &startup, &process)) {
        return fail("could not start the shortcut's target");
    }
    const int status = closeAndWait(process);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return fail("usage: start_program.exe SHORTCUT.lnk|PROGRAM.exe");
    if (!isShortcut(argv[1])) return startAndClose(programInItsFolder(argv[1]));
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return fail("no COM");
    Shortcut shortcut;
    const int status = readShortcut(argv[1], shortcut) ? startAndClose(shortcut)
                                                       : fail("could not read the shortcut");
    CoUninitialize();
    return status;
}
