#include "selection/location_renaming_dialog.h"

#include <array>
#include <memory>
#include <string>
#include <type_traits>

#include "core/measurement_store.h"
#include "core/number_text.h"
#include "core/win32/controls.h"
#include "core/win32/ui_hooks.h"
#include "language/language_table.h"
#include "language/text_ids.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
};
using ChildWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

using Font = GdiObject<HFONT>;

// The rows are created when the dialog opens and belong to it until it is
// destroyed: the font first, so that it outlives the controls drawn with it.
struct Renaming {
    MeasurementStore& store;
    Font font;
    std::array<ChildWindow, LOCATION_NAME_COUNT> labels;
    std::array<ChildWindow, LOCATION_NAME_COUNT> names;
};

constexpr ControlText RENAMING_TEXTS[] = {{IDOK, TEXT_OK}};

// Rows in client pixels at 96 dots per inch (scaled to the dialog's): label
// and edit box side by side, 25 pixels apart.
constexpr int ROW_TOP = 20;
constexpr int ROW_STEP = 25;
constexpr int ROW_HEIGHT = 20;
constexpr int LABEL_LEFT = 10;
// Wider than the label needs in Czech: "Location 9." must not wrap.
constexpr int LABEL_RIGHT = 76;
constexpr int NAME_LEFT = 80;
constexpr int NAME_RIGHT = 230;
// Space kept between the last row, the OK button and the dialog's bottom edge.
constexpr int BUTTON_GAP = 8;
// One more than a name holds: the 32nd character typed is dropped on OK.
constexpr WPARAM NAME_FIELD_LIMIT = LOCATION_NAME_MAX + 1;

// The dialog's own face and size, in points.
constexpr int FONT_POINTS = 8;
constexpr wchar_t FONT_FACE[] = L"MS Sans Serif";

Renaming& renamingOf(HWND window) {
    return *reinterpret_cast<Renaming*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

Font createRowFont(HWND window) {
    const int height = -MulDiv(FONT_POINTS, static_cast<int>(windowDpi(window)), 72);
    return Font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, FONT_FACE));
}

ChildWindow createRowControl(HWND window, const wchar_t* className, DWORD style, int id,
                             int left, int top, int right, const std::u16string& text, HFONT font) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    const auto scaled = [window](int pixels) { return scaledPixels(window, pixels); };
    ChildWindow control(CreateWindowExW(0, className, wide(text), WS_CHILD | WS_VISIBLE | style,
                                        scaled(left), scaled(top), scaled(right) - scaled(left),
                                        scaled(ROW_HEIGHT), window,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                        instance, nullptr));
    if (control && font) {
        SendMessageW(control.get(), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    return control;
}

void createRows(HWND window, Renaming& renaming) {
    renaming.font = createRowFont(window);
    const HFONT font = renaming.font.get();
    const std::u16string& label = renaming.store.language.text(TEXT_LOCATION_RENAMING);
    for (unsigned row = 0; row < LOCATION_NAME_COUNT; ++row) {
        const int top = ROW_TOP + ROW_STEP * static_cast<int>(row);
        const unsigned location = row + 1;
        renaming.labels[row] = createRowControl(
            window, L"STATIC", 0, IDC_FIRST_LOCATION_LABEL + static_cast<int>(row), LABEL_LEFT, top,
            LABEL_RIGHT, label + u" " + integerText(location) + u".", font);
        // Scrolling sideways, so that a full name fits the narrow field.
        renaming.names[row] = createRowControl(
            window, L"EDIT", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
            IDC_FIRST_LOCATION_NAME + static_cast<int>(row), NAME_LEFT, top, NAME_RIGHT,
            std::u16string(locationName(renaming.store.locationNames, location)), font);
        SendMessageW(renaming.names[row].get(), EM_LIMITTEXT, NAME_FIELD_LIMIT, 0);
    }
}

RECT clientRectOf(HWND window, HWND control) {
    RECT box{};
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// The resource's OK button came first: the tab order runs down the rows to
// it. At 96 dots per inch it lies below the rows; at other densities the
// dialog (in dialog units) and the rows (in pixels) scale apart, so it moves
// below the last row and the dialog grows to hold it.
void placeOkBelowRows(HWND window, const Renaming& renaming) {
    const HWND ok = GetDlgItem(window, IDOK);
    SetWindowPos(ok, renaming.names.back().get(), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const RECT button = clientRectOf(window, ok);
    const int top = clientRectOf(window, renaming.names.back().get()).bottom +
                    scaledPixels(window, BUTTON_GAP);
    if (button.top >= top) return;
    SetWindowPos(ok, nullptr, button.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client{};
    RECT frame{};
    GetClientRect(window, &client);
    GetWindowRect(window, &frame);
    const int needed = top + (button.bottom - button.top) + scaledPixels(window, BUTTON_GAP);
    if (client.bottom >= needed) return;
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left,
                 frame.bottom - frame.top + needed - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void openRenaming(HWND window, Renaming& renaming) {
    translateDialog(window, renaming.store.language, TEXT_RENAMING_CAPTION, RENAMING_TEXTS);
    createRows(window, renaming);
    placeOkBelowRows(window, renaming);
}

void storeNames(HWND window, MeasurementStore& store) {
    for (unsigned row = 0; row < LOCATION_NAME_COUNT; ++row) {
        setLocationName(store.locationNames, row + 1,
                        controlText(window, IDC_FIRST_LOCATION_NAME + static_cast<int>(row)));
    }
}

void releaseRows(Renaming& renaming) {
    for (ChildWindow& control : renaming.names) control.reset();
    for (ChildWindow& control : renaming.labels) control.reset();
    renaming.font.reset();
}

INT_PTR handleCommand(HWND window, int command) {
    switch (command) {
    case IDOK:
        storeNames(window, renamingOf(window).store);
        EndDialog(window, IDOK);
        return TRUE;
    case IDCANCEL:  // Escape and the close box
        EndDialog(window, IDCANCEL);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK renamingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        openRenaming(window, renamingOf(window));
        // The focus starts in the first name, not on the button the resource holds.
        SetFocus(GetDlgItem(window, IDC_FIRST_LOCATION_NAME));
        return FALSE;
    case WM_COMMAND:
        return handleCommand(window, LOWORD(wParam));
    case WM_DESTROY:
        if (GetWindowLongPtrW(window, GWLP_USERDATA)) releaseRows(renamingOf(window));
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR runLocationRenamingDialog(HWND owner, MeasurementStore& store) {
    Renaming renaming{store, nullptr, {}, {}};
    return uiHooks().runDialog(owner, IDD_LOCATION_RENAMING, renamingProcedure,
                               reinterpret_cast<LPARAM>(&renaming));
}
