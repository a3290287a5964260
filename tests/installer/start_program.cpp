// Starts a program the way the shell does (a shortcut: with its working
// folder), waits for the program's main window (visible, with a menu: no
// message box passes for it), prints its title,
// closes it and waits for the program to end. Exit status 0 only when all of
// that happened in time; the installer test runs it under Wine.
//   usage: start_program.exe PROGRAM-OR-SHORTCUT
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD WINDOW_TIMEOUT_MS = 30000;
constexpr DWORD EXIT_TIMEOUT_MS = 10000;

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK matchProcessWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window) || !GetMenu(window)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND waitForWindow(HANDLE process) {
    WindowSearch search{GetProcessId(process), nullptr};
    for (DWORD waited = 0; waited < WINDOW_TIMEOUT_MS; waited += 100) {
        EnumWindows(matchProcessWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || WaitForSingleObject(process, 100) == WAIT_OBJECT_0) break;
    }
    return search.found;
}

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

int checkStartAndClose(HANDLE process) {
    const HWND window = waitForWindow(process);
    if (!window) return fail("the program showed no main window");
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    std::printf("window: %s\n", utf8(title).c_str());
    PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, EXIT_TIMEOUT_MS) != WAIT_OBJECT_0) {
        return fail("the program did not end after its window was closed");
    }
    DWORD status = 1;
    GetExitCodeProcess(process, &status);
    std::printf("exit status: %lu\n", status);
    return status == 0 ? 0 : fail("the program ended with a failure");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return fail("usage: start_program.exe PROGRAM-OR-SHORTCUT");
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    start.lpFile = argv[1];
    start.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&start) || !start.hProcess) return fail("could not start it");
    const int status = checkStartAndClose(start.hProcess);
    CloseHandle(start.hProcess);
    return status;
}
