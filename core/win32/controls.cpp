#include "core/win32/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <type_traits>

#include "core/fixed_text.h"
#include "core/measurement_store.h"
#include "core/win32/ui_hooks.h"

namespace {

// As long as currentProtocolPath can hold.
constexpr std::size_t FILE_NAME_CAPACITY =
    std::extent_v<decltype(MeasurementStore::currentProtocolPath)>;

}  // namespace

std::u16string controlText(HWND window, int control) {
    const HWND item = GetDlgItem(window, control);
    std::u16string text(static_cast<std::size_t>(GetWindowTextLengthW(item)), u'\0');
    if (text.empty()) return text;
    const int copied = GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()),
                                      static_cast<int>(text.size() + 1));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void setControlText(HWND window, int control, std::u16string_view text) {
    const std::u16string terminated(text);
    SetDlgItemTextW(window, control, wide(terminated));
}

std::optional<std::u16string> comboItemText(HWND window, int control, LRESULT item) {
    const LRESULT length = SendDlgItemMessageW(window, control, CB_GETLBTEXTLEN, item, 0);
    if (length == CB_ERR) return std::nullopt;
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    SendDlgItemMessageW(window, control, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::optional<std::u16string> chosenComboText(HWND window, int control) {
    const LRESULT item = SendDlgItemMessageW(window, control, CB_GETCURSEL, 0, 0);
    if (item == CB_ERR) return std::nullopt;
    return comboItemText(window, control, item);
}

UINT windowDpi(HWND window) {
    // Looked up at run time: Windows 7 has no per-window DPI.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto dpiForWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (dpiForWindow) {
        if (const UINT dpi = dpiForWindow(window)) return dpi;
    }
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

int scaledPixels(HWND window, int pixels) {
    return MulDiv(pixels, static_cast<int>(windowDpi(window)), USER_DEFAULT_SCREEN_DPI);
}

void insertListColumn(HWND list, int column, std::u16string_view title, int width, int format) {
    std::u16string text(title);
    LVCOLUMNW header{};
    header.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    header.fmt = format;
    header.pszText = reinterpret_cast<LPWSTR>(text.data());
    // Never narrower than its title: the width suits the usual dialog font,
    // and another (a system without it falls back to a wider one) must not
    // cut the title off. The header keeps 6 pixels free on either side.
    const int titleWidth =
        static_cast<int>(SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.c_str()))) +
        scaledPixels(list, 2 * 6);
    header.cx = std::max(scaledPixels(list, width), titleWidth);
    header.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&header));
}

void supplyItemText(LPARAM request, std::u16string_view text) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(request)->item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    const std::size_t kept = std::min<std::size_t>(text.size(), item.cchTextMax - 1);
    std::copy_n(text.begin(), kept, item.pszText);
    item.pszText[kept] = L'\0';
}

void enableCommand(HMENU menu, UINT command, bool enabled) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void enableTopLevelEntry(HMENU menu, UINT position, bool enabled) {
    EnableMenuItem(menu, position, MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
}

std::u16string fileDialogFilter(std::u16string_view text) {
    std::u16string filter(text);
    std::replace(filter.begin(), filter.end(), u'|', u'\0');
    // The last pair ends with a zero, the list with an empty string (the
    // string's own terminator).
    if (filter.empty() || filter.back() != u'\0') filter += u'\0';
    return filter;
}

std::optional<std::u16string> chooseFile(HWND owner, const FileDialog& dialog,
                                         std::u16string_view proposal) {
    std::u16string name(cutText(proposal, FILE_NAME_CAPACITY - 1));
    name.resize(FILE_NAME_CAPACITY, u'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = owner;
    request.lpstrFilter = dialog.filter;
    request.nFilterIndex = 1;
    request.lpstrFile = reinterpret_cast<wchar_t*>(name.data());
    request.nMaxFile = FILE_NAME_CAPACITY;
    request.lpstrDefExt = dialog.defaultExtension;
    request.Flags = dialog.flags;
    const BOOL chosen = dialog.save ? uiHooks().getSaveFileName(&request)
                                    : uiHooks().getOpenFileName(&request);
    if (!chosen) return std::nullopt;
    name.resize(name.find(u'\0'));
    return name;
}
