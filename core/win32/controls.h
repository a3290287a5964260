// Small helpers every window of the program uses on its controls: texts,
// combo box items, menu entries and the standard file dialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

// A GDI object (font, bitmap) with one owner, deleted with it.
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

// The device context of a window's client area while it lives.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { ReleaseDC(window_, dc_); }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    HDC dc() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A bitmap selected into a memory context of its own while the canvas lives.
class Canvas {
public:
    Canvas(HDC screen, HBITMAP bitmap)
        : dc_(CreateCompatibleDC(screen)), previous_(SelectObject(dc_, bitmap)) {}
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

std::u16string controlText(HWND window, int control);
void setControlText(HWND window, int control, std::u16string_view text);

// The text of item `item` of combo box `control`; nothing when there is none.
std::optional<std::u16string> comboItemText(HWND window, int control, LRESULT item);
// The text of the combo box's chosen item; nothing when none is chosen.
std::optional<std::u16string> chosenComboText(HWND window, int control);

// The dots per inch of the window's monitor; of the whole screen where the
// system knows only one (before Windows 10 1607).
UINT windowDpi(HWND window);
// A length of `pixels` at 96 dots per inch, in pixels of the window.
int scaledPixels(HWND window, int pixels);

// Appends column `column` of a report-view list view, `width` pixels wide at
// 96 dots per inch or as wide as its title needs; `format` is its LVCFMT_
// alignment (the first column of a list view is always left-aligned when it
// is created).
void insertListColumn(HWND list, int column, std::u16string_view title, int width, int format);

// Changes many rows of a list without repainting each; the list is drawn
// once after.
template <typename Change>
void withoutRedraw(HWND list, Change change) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    change();
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// Answers a list view that asks for the text of a cell (LVN_GETDISPINFOW,
// `request` pointing at its NMLVDISPINFOW) with `text`, cut to its buffer.
void supplyItemText(LPARAM request, std::u16string_view text);

// Menu entries by command and drop-down titles by position, grey when off.
void enableCommand(HMENU menu, UINT command, bool enabled);
void enableTopLevelEntry(HMENU menu, UINT position, bool enabled);

// The fixed settings of a standard file dialog. A filter is pairs of title
// and pattern, each ended by a zero, and an empty pair at the end (the
// literal's own terminator).
struct FileDialog {
    bool save;
    const wchar_t* filter;
    const wchar_t* defaultExtension;
    DWORD flags;
};

// A filter from a language text whose parts are separated by "|"
// ("Limit files (*.thre)|*.thre|"), for FileDialog::filter.
std::u16string fileDialogFilter(std::u16string_view text);

// The program looks its files up in the working directory: no dialog may
// change it.
inline constexpr DWORD FILE_DIALOG_FLAGS = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;

// The path chosen in the dialog (through the UI hooks), whose name field
// starts with `proposal`; nothing when the user cancels.
std::optional<std::u16string> chooseFile(HWND owner, const FileDialog& dialog,
                                         std::u16string_view proposal);
