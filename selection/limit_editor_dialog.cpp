#include "selection/limit_editor_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "core/measurement_store.h"
#include "core/win32/controls.h"
#include "core/win32/main_window.h"
#include "core/win32/ui_hooks.h"
#include "instrument/serial_port.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "report/value_format.h"
#include "resources/resource_ids.h"
#include "selection/limit_sets.h"
#include "selection/limit_transfer.h"

namespace {

constexpr ControlText LIMIT_EDITOR_TEXTS[] = {
    {IDC_LIMIT_LABEL_NAME, TEXT_LABEL_SET_NAME},
    {IDC_LIMIT_LABEL_PASS, TEXT_GRADE_PASS},
    {IDC_LIMIT_LABEL_WARNING, TEXT_GRADE_WARNING},
    {IDC_LIMIT_LABEL_FAIL, TEXT_GRADE_FAIL},
    {IDC_LIMIT_READ_INSTRUMENT, TEXT_READ_FROM_INSTRUMENT},
    {IDC_LIMIT_WRITE_INSTRUMENT, TEXT_WRITE_TO_INSTRUMENT},
    {IDC_LIMIT_LOAD_FILE, TEXT_LOAD_LIMIT_FILE},
    {IDC_LIMIT_SAVE_FILE, TEXT_SAVE_LIMIT_FILE},
    {IDOK, TEXT_OK},
    {IDCANCEL, TEXT_CANCEL},
};

// Box 1103 + i shows threshold i of the current set.
constexpr int FIRST_THRESHOLD_BOX = IDC_LIMIT_PASS_1310;
constexpr int LAST_THRESHOLD_BOX = IDC_LIMIT_FAIL_1550;
static_assert(LAST_THRESHOLD_BOX - FIRST_THRESHOLD_BOX + 1 == THRESHOLDS_PER_SET);

constexpr std::u16string_view LIMIT_FILE_PROPOSAL = u"*.thre";
constexpr wchar_t LIMIT_FILE_EXTENSION[] = L"thre";
constexpr DWORD LOAD_FLAGS = FILE_DIALOG_FLAGS | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
// An existing file is replaced without a question.
constexpr DWORD SAVE_FLAGS = FILE_DIALOG_FLAGS;

struct LimitEditor {
    MeasurementStore& store;
    // A picture of the tab control's page, the background of the labels on it.
    GdiObject<HBRUSH> pageBrush;
};

LimitEditor* editorOf(HWND window) {
    return reinterpret_cast<LimitEditor*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The boxes notify while the dialog is being created, before the store is
// known: nothing to edit then.
MeasurementStore* storeOf(HWND window) {
    LimitEditor* editor = editorOf(window);
    return editor ? &editor->store : nullptr;
}

// ---------------------------------------------------------------- labels on the page

// Visual styles paint the tab control's page in a colour of its own, not the
// dialog's: the labels on it are filled with a picture of the page.
GdiObject<HBRUSH> pageBrushOf(HWND tabs) {
    RECT page{};
    GetClientRect(tabs, &page);
    const WindowDc screen(tabs);
    const GdiObject<HBITMAP> picture(CreateCompatibleBitmap(screen.dc(), page.right, page.bottom));
    if (!picture) return nullptr;
    {
        const Canvas canvas(screen.dc(), picture.get());
        SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()),
                     PRF_CLIENT | PRF_ERASEBKGND);
    }
    // The brush keeps a copy of the bitmap.
    return GdiObject<HBRUSH>(CreatePatternBrush(picture.get()));
}

// The background of a static control: the page's picture under a label on
// the page, the dialog's own colour elsewhere (FALSE).
INT_PTR labelBackground(HWND window, LimitEditor& editor, HDC dc, HWND label) {
    // Read-only and disabled edit boxes ask too; they keep their own colour.
    wchar_t kind[16]{};
    GetClassNameW(label, kind, 16);
    if (_wcsicmp(kind, L"Static") != 0) return FALSE;
    const HWND tabs = GetDlgItem(window, IDC_LIMIT_TABS);
    RECT onTabs{};
    RECT page{};
    GetWindowRect(label, &onTabs);
    MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&onTabs), 2);
    GetClientRect(tabs, &page);
    RECT common{};
    if (!IntersectRect(&common, &onTabs, &page)) return FALSE;
    if (!editor.pageBrush) editor.pageBrush = pageBrushOf(tabs);
    if (!editor.pageBrush) return FALSE;
    SetBkMode(dc, TRANSPARENT);
    SetBrushOrgEx(dc, -onTabs.left, -onTabs.top, nullptr);
    return reinterpret_cast<INT_PTR>(editor.pageBrush.get());
}

// ---------------------------------------------------------------- tabs and boxes

// Tab k stands for set k + 1; 0 while there are no tabs.
std::uint32_t currentSet(HWND window) {
    const LRESULT tab = SendDlgItemMessageW(window, IDC_LIMIT_TABS, TCM_GETCURSEL, 0, 0);
    return tab < 0 ? 0 : static_cast<std::uint32_t>(tab) + FIRST_EDITED_SET;
}

void labelTab(HWND window, const MeasurementStore& store, std::uint32_t set, UINT message) {
    std::u16string label = limitSetLabel(store.language, store.editedLimitSets, set);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(label.data());
    SendDlgItemMessageW(window, IDC_LIMIT_TABS, message, set - FIRST_EDITED_SET,
                        reinterpret_cast<LPARAM>(&item));
}

void relabelTabs(HWND window, const MeasurementStore& store) {
    for (std::uint32_t set = FIRST_EDITED_SET; set <= LAST_EDITED_SET; ++set) {
        labelTab(window, store, set, TCM_SETITEMW);
    }
}

// Every box stores what it is given (its update notice), so showing a set
// writes back into it exactly what is shown.
void showLimitSet(HWND window, MeasurementStore& store, std::uint32_t set) {
    const LimitSet& shown = store.editedLimitSets[set];
    setControlText(window, IDC_LIMIT_SET_NAME, limitSetName(shown));
    for (std::size_t i = 0; i < THRESHOLDS_PER_SET; ++i) {
        setControlText(window, FIRST_THRESHOLD_BOX + static_cast<int>(i),
                       thresholdText(shown.thresholds[2 * i + 1], shown.thresholds[2 * i]));
    }
}

void fillLimitSetTabs(HWND window, MeasurementStore& store) {
    SendDlgItemMessageW(window, IDC_LIMIT_TABS, TCM_DELETEALLITEMS, 0, 0);
    for (std::uint32_t set = FIRST_EDITED_SET; set <= LAST_EDITED_SET; ++set) {
        labelTab(window, store, set, TCM_INSERTITEMW);
    }
    SendDlgItemMessageW(window, IDC_LIMIT_TABS, TCM_SETCURSEL, 0, 0);
    showLimitSet(window, store, FIRST_EDITED_SET);
}

// ---------------------------------------------------------------- box notifications

bool isThresholdBox(int control) {
    return control >= FIRST_THRESHOLD_BOX && control <= LAST_THRESHOLD_BOX;
}

// Update notice: the box's text goes into the current set.
void storeBox(HWND window, MeasurementStore& store, int control) {
    const std::uint32_t set = currentSet(window);
    if (set == 0) return;
    const std::u16string text = controlText(window, control);
    if (control == IDC_LIMIT_SET_NAME) {
        storeSetName(store.editedLimitSets[set], text);
        labelTab(window, store, set, TCM_SETITEMW);
    } else {
        storeThreshold(store.editedLimitSets[set], static_cast<std::size_t>(control - FIRST_THRESHOLD_BOX),
                       text);
    }
}

// Change notice: what the box may not hold is removed. The cleaned text is
// put back once, which stores it; the caret stays where the operator typed.
void cleanBox(HWND window, int control) {
    const std::u16string text = controlText(window, control);
    DWORD caret = 0;
    SendDlgItemMessageW(window, control, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    const auto cleaned = control == IDC_LIMIT_SET_NAME ? filterSetNameText(text, caret)
                                                       : filterThresholdText(text, caret);
    if (!cleaned) return;
    setControlText(window, control, cleaned->text);
    SendDlgItemMessageW(window, control, EM_SETSEL, cleaned->caret, cleaned->caret);
}

// True when the notification was one of the boxes'.
bool onBoxNotification(HWND window, MeasurementStore& store, int control, int notification) {
    if (control != IDC_LIMIT_SET_NAME && !isThresholdBox(control)) return false;
    if (notification == EN_UPDATE) {
        storeBox(window, store, control);
        return true;
    }
    if (notification == EN_CHANGE) {
        cleanBox(window, control);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- instrument

// The transfers run on this thread: the bar is repainted at every step.
TransferCallbacks transferProgress(HWND window, const LanguageTable& language) {
    const HWND bar = GetDlgItem(window, IDC_LIMIT_PROGRESS);
    return {
        [bar](int maximum) {
            SendMessageW(bar, PBM_SETRANGE32, 0, maximum);
            SendMessageW(bar, PBM_SETSTEP, 1, 0);
        },
        [bar](int position) {
            SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
            UpdateWindow(bar);
        },
        [bar] {
            SendMessageW(bar, PBM_STEPIT, 0, 0);
            UpdateWindow(bar);
        },
        [window, &language] { showError(window, language, TEXT_PORT_NOT_OPENED); },
    };
}

void readFromInstrument(HWND window, MeasurementStore& store) {
    const LanguageTable& language = store.language;
    if (readLimitSetsFromInstrument(store, uiHooks().openPort, transferProgress(window, language)) !=
        TRANSFER_OK) {
        showError(window, language, TEXT_LIMITS_NOT_READ);
        return;
    }
    fillLimitSetTabs(window, store);
    showInformation(window, language.text(TEXT_LIMITS_READ), language.text(TEXT_LIMITS_CAPTION));
}

void writeToInstrument(HWND window, MeasurementStore& store) {
    const LanguageTable& language = store.language;
    const int result =
        writeLimitSetsToInstrument(store, uiHooks().openPort, transferProgress(window, language));
    if (result != TRANSFER_OK) {
        // The names were cleaned for sending even so: the tabs show them as
        // they now are.
        relabelTabs(window, store);
        showError(window, language, TEXT_LIMITS_NOT_WRITTEN);
        return;
    }
    fillLimitSetTabs(window, store);
    showInformation(window, language.text(TEXT_LIMITS_WRITTEN), language.text(TEXT_LIMITS_CAPTION));
}

// ---------------------------------------------------------------- limit files

std::optional<std::u16string> chooseLimitFile(HWND window, const LanguageTable& language, bool save) {
    const std::u16string filter = fileDialogFilter(language.text(TEXT_LIMIT_FILE_TYPE));
    const FileDialog dialog{save, wide(filter), LIMIT_FILE_EXTENSION, save ? SAVE_FLAGS : LOAD_FLAGS};
    return chooseFile(window, dialog, LIMIT_FILE_PROPOSAL);
}

void loadFile(HWND window, MeasurementStore& store) {
    const auto file = chooseLimitFile(window, store.language, false);
    if (!file) return;
    // A file that cannot be read changes nothing and says nothing.
    loadLimitFile(store.editedLimitSets, pathOf(*file));
    fillLimitSetTabs(window, store);
}

void saveFile(HWND window, MeasurementStore& store) {
    const auto file = chooseLimitFile(window, store.language, true);
    if (file && !saveLimitFile(store.editedLimitSets, pathOf(*file))) {
        showError(window, store.language, TEXT_NOT_WRITTEN);
    }
}

// ---------------------------------------------------------------- commands

void openEditor(HWND window, MeasurementStore& store) {
    store.editedLimitSets = store.activeLimitSets;
    translateDialog(window, store.language, TEXT_LIMIT_EDITOR_CAPTION, LIMIT_EDITOR_TEXTS);
    SendDlgItemMessageW(window, IDC_LIMIT_SET_NAME, EM_LIMITTEXT, SET_NAME_LENGTH, 0);
    fillLimitSetTabs(window, store);
}

void confirm(HWND window, MeasurementStore& store) {
    store.activeLimitSets = store.editedLimitSets;
    EndDialog(window, IDOK);
}

void discard(HWND window, MeasurementStore&) { EndDialog(window, IDCANCEL); }

struct Command {
    int id;
    void (*run)(HWND window, MeasurementStore& store);
};

constexpr Command COMMANDS[] = {
    {IDOK, confirm},
    {IDCANCEL, discard},
    {IDC_LIMIT_READ_INSTRUMENT, readFromInstrument},
    {IDC_LIMIT_WRITE_INSTRUMENT, writeToInstrument},
    {IDC_LIMIT_LOAD_FILE, loadFile},
    {IDC_LIMIT_SAVE_FILE, saveFile},
};

INT_PTR handleCommand(HWND window, int control, int notification) {
    MeasurementStore* store = storeOf(window);
    if (!store) return FALSE;
    if (onBoxNotification(window, *store, control, notification)) return TRUE;
    if (notification != BN_CLICKED) return FALSE;
    const auto command = std::find_if(std::begin(COMMANDS), std::end(COMMANDS),
                                      [control](const Command& c) { return c.id == control; });
    if (command == std::end(COMMANDS)) return FALSE;
    command->run(window, *store);
    return TRUE;
}

INT_PTR CALLBACK limitEditorProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        openEditor(window, *storeOf(window));
        return TRUE;
    case WM_COMMAND:
        return handleCommand(window, LOWORD(wParam), HIWORD(wParam));
    case WM_CTLCOLORSTATIC: {
        LimitEditor* editor = editorOf(window);
        return editor ? labelBackground(window, *editor, reinterpret_cast<HDC>(wParam),
                                        reinterpret_cast<HWND>(lParam))
                      : FALSE;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        MeasurementStore* store = storeOf(window);
        if (store && header->idFrom == IDC_LIMIT_TABS && header->code == TCN_SELCHANGE) {
            showLimitSet(window, *store, currentSet(window));
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR runLimitEditorDialog(HWND owner, MeasurementStore& store) {
    LimitEditor editor{store, nullptr};
    return uiHooks().runDialog(owner, IDD_LIMIT_EDITOR, limitEditorProcedure,
                               reinterpret_cast<LPARAM>(&editor));
}
