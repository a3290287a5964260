// Small helpers every window of the program uses on its controls: texts,
// combo box items, menu entries and the standard file dialogs.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <optional>
#include <string>
#include <string_view>

std::u16string controlText(HWND window, int control);
void setControlText(HWND window, int control, std::u16string_view text);

// The text of item `item` of combo box `control`; nothing when there is none.
std::optional<std::u16string> comboItemText(HWND window, int control, LRESULT item);
// The text of the combo box's chosen item; nothing when none is chosen.
std::optional<std::u16string> chosenComboText(HWND window, int control);

// Appends column `column` of a report-view list view; `format` is its
// LVCFMT_ alignment (the first column of a list view is always left-aligned
// when it is created).
void insertListColumn(HWND list, int column, std::u16string_view title, int width, int format);

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
