#include "handle_census.h"

#include <cstdint>
#include <string_view>

#include "core/win32/ui_hooks.h"
#include "gui_support.h"

namespace {

// GDI handles are indices into a table of 65,536 entries. Wine answers
// GetGuiResources with 0, but takes an index alone as a handle, so every
// index is asked for the kind of object it holds.
constexpr std::uintptr_t GDI_HANDLE_INDICES = 0x10000;

std::map<DWORD, int> gdiObjectCounts() {
    std::map<DWORD, int> counts;
    for (std::uintptr_t index = 1; index < GDI_HANDLE_INDICES; ++index) {
        const DWORD kind = GetObjectType(reinterpret_cast<HGDIOBJ>(index));
        if (kind != 0) ++counts[kind];
    }
    return counts;
}

const char* gdiKindName(DWORD kind) {
    switch (kind) {
    case OBJ_PEN: return "pen";
    case OBJ_BRUSH: return "brush";
    case OBJ_DC: return "device context";
    case OBJ_MEMDC: return "memory device context";
    case OBJ_PAL: return "palette";
    case OBJ_FONT: return "font";
    case OBJ_BITMAP: return "bitmap";
    case OBJ_REGION: return "region";
    case OBJ_EXTPEN: return "extended pen";
    default: return "other GDI object";
    }
}

BOOL CALLBACK noteChildWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::set<HWND>*>(windows)->insert(window);
    return TRUE;
}

BOOL CALLBACK noteOwnTopLevelWindow(HWND window, LPARAM windows) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        noteChildWindow(window, windows);
        EnumChildWindows(window, noteChildWindow, windows);
    }
    return TRUE;
}

std::string describeWindow(HWND window) {
    wchar_t className[64]{};
    GetClassNameW(window, className, 64);
    return "window of class \"" + narrow(utf16(className)) + "\" titled \"" + narrow(windowText(window)) +
           "\", id " + std::to_string(GetDlgCtrlID(window));
}

}  // namespace

HandleCensus takeHandleCensus() {
    HandleCensus census{gdiObjectCounts(), {}};
    EnumWindows(noteOwnTopLevelWindow, reinterpret_cast<LPARAM>(&census.windows));
    return census;
}

std::string describeLeaks(const HandleCensus& before, const HandleCensus& after) {
    std::string leaks;
    for (const auto& [kind, count] : after.gdiObjects) {
        const auto earlier = before.gdiObjects.find(kind);
        const int added = count - (earlier == before.gdiObjects.end() ? 0 : earlier->second);
        if (added > 0) leaks += std::to_string(added) + " " + gdiKindName(kind) + "(s)\n";
    }
    for (const HWND window : after.windows) {
        if (!before.windows.contains(window)) leaks += describeWindow(window) + "\n";
    }
    return leaks;
}

void HandleLeakCheck::OnTestIterationStart(const testing::UnitTest&, int iteration) {
    checking_ = iteration > 0;
}

void HandleLeakCheck::OnTestStart(const testing::TestInfo&) {
    if (checking_) before_ = takeHandleCensus();
}

void HandleLeakCheck::OnTestEnd(const testing::TestInfo& test) {
    if (!checking_ || test.result()->Skipped()) return;
    const std::string leaks = describeLeaks(before_, takeHandleCensus());
    // Still counted against the test that ran: its result is open until this returns.
    if (!leaks.empty()) ADD_FAILURE() << "the test left behind:\n" << leaks;
}
