// Every dialog of the program in each shipped language file, opened from the
// main window's menu over the sample data: the tab order, the default
// button, the access keys, captions that fit their controls, and (disabled in
// the normal run, for scripts/screenshots.sh) a picture of each dialog.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/win32/controls.h"
#include "program_fixture.h"

namespace {

namespace fs = std::filesystem;

// A dialog as the tour meets it, named for the pictures and the failures.
using DialogVisit = std::function<void(const std::string& name, HWND dialog)>;

class DialogTour : public ProgramTest, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        const fs::path shipped = fs::path(KALIVERA_SOURCE_DIR) / "data" / GetParam();
        fs::copy_file(shipped, folder.path() / GetParam(), fs::copy_options::overwrite_existing);
        const std::string name = GetParam();
        writeConfiguration([&name](Configuration& configuration) {
            setSlotText(configuration.languageFile, std::u16string(name.begin(), name.end()));
        });
    }

    // Opens every dialog once, each closed again by the tour after `visit`.
    void tour(const DialogVisit& visit) {
        const std::u16string lossMeter = copySample(u"lossmeter.txt");
        const std::u16string zd615 = copySample(u"zd615.txt");
        auto visitAndClose = [&visit](const char* name, int closing) {
            return [&visit, name, closing](HWND dialog) {
                visit(name, dialog);
                sendCommand(dialog, closing);
            };
        };
        ui.dialogScripts = {
            visitAndClose("download", IDCANCEL),
            visitAndClose("port-settings", IDCANCEL),
            visitAndClose("language", IDCANCEL),
            visitAndClose("about", IDOK),
            visitAndClose("limit-editor", IDCANCEL),
            visitAndClose("value-selection", IDOK),
            [&visit](HWND dialog) {
                visit("location-table", dialog);
                sendCommand(dialog, IDC_RENAME_LOCATIONS);
                sendCommand(dialog, IDCANCEL);
            },
            visitAndClose("location-renaming", IDCANCEL),
        };
        run([&](HWND window) {
            sendCommand(window, ID_CMD_LOAD_INSTRUMENT);
            sendCommand(window, ID_CMD_PORT_SETTINGS);
            sendCommand(window, ID_CMD_LANGUAGE);
            sendCommand(window, ID_CMD_ABOUT);
            sendCommand(window, ID_CMD_LIMITS);
            commandWithFile(window, ID_CMD_LOAD_FILE, lossMeter);
            visit("main-loss-meter", window);
            sendCommand(window, ID_CMD_SELECT_VALUES);
            ui.answers.push_back(IDYES);
            commandWithFile(window, ID_CMD_LOAD_FILE, zd615);
            visit("main-zd615", window);
            sendCommand(window, ID_CMD_SELECT_VALUES);
            ui.answers.push_back(IDYES);
            sendCommand(window, ID_CMD_EXIT);
        });
        EXPECT_TRUE(ui.dialogScripts.empty());
        EXPECT_EQ(ui.dialogsOpened,
                  (std::vector<int>{IDD_DOWNLOAD, IDD_PORT_SETTINGS, IDD_LANGUAGE, IDD_ABOUT,
                                    IDD_LIMIT_EDITOR, IDD_VALUE_SELECTION, IDD_ZD615_VALUES,
                                    IDD_LOCATION_RENAMING}));
    }
};

std::u16string classOf(HWND window) {
    wchar_t name[32]{};
    GetClassNameW(window, name, 32);
    std::u16string text(utf16(name));
    for (char16_t& c : text) c = static_cast<char16_t>(std::towlower(c));
    return text;
}

LONG styleOf(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

std::vector<HWND> childrenOf(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

bool isGroupBox(HWND control) {
    return classOf(control) == u"button" && (styleOf(control) & BS_TYPEMASK) == BS_GROUPBOX;
}

// A static control that shows its text (not a picture), with & as prefix.
bool isTextLabel(HWND control) {
    const LONG kind = styleOf(control) & SS_TYPEMASK;
    return classOf(control) == u"static" && !(styleOf(control) & SS_NOPREFIX) &&
           (kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT || kind == SS_LEFTNOWORDWRAP);
}

// Controls whose caption can carry an access key.
bool hasCaption(HWND control) { return classOf(control) == u"button" || isTextLabel(control); }

// The access key of a caption: the character after a single &; nothing
// when there is none. A caption with two keys fails the test.
std::optional<char16_t> accessKey(std::u16string_view caption) {
    std::optional<char16_t> key;
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&') continue;
        if (caption[i + 1] == u'&') {
            ++i;  // "&&" is a plain ampersand
            continue;
        }
        EXPECT_FALSE(key) << "two access keys in \"" << narrow(caption) << '"';
        key = static_cast<char16_t>(std::towupper(caption[i + 1]));
    }
    return key;
}

bool hasLetterOrDigit(std::u16string_view caption) {
    for (char16_t c : caption) {
        if (std::iswalnum(c)) return true;
    }
    return false;
}

// Captions sharing an access key; every caption given holds one.
void expectUniqueKeys(const std::string& where, const std::vector<std::u16string>& captions) {
    std::map<char16_t, std::u16string> owners;
    for (const std::u16string& caption : captions) {
        const auto key = accessKey(caption);
        if (!key) continue;
        const auto [owner, added] = owners.emplace(*key, caption);
        EXPECT_TRUE(added) << where << ": \"" << narrow(caption) << "\" and \""
                           << narrow(owner->second) << "\" share an access key";
    }
}

std::vector<std::u16string> menuCaptions(HMENU menu) {
    std::vector<std::u16string> captions;
    for (int item = 0, count = GetMenuItemCount(menu); item < count; ++item) {
        wchar_t text[256]{};
        if (GetMenuStringW(menu, static_cast<UINT>(item), text, 256, MF_BYPOSITION) > 0) {
            captions.emplace_back(utf16(text));
        }
    }
    return captions;
}

// As the Tab key walks the dialog, from its first tab stop round to it again.
std::vector<int> tabOrder(HWND dialog) {
    std::vector<int> order;
    const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND control = first; control && order.size() < 64;) {
        order.push_back(GetDlgCtrlID(control));
        control = GetNextDlgTabItem(dialog, control, FALSE);
        if (control == first) break;
    }
    return order;
}

std::vector<int> renamingOrder() {
    std::vector<int> order;
    for (int row = 0; row < 9; ++row) order.push_back(IDC_FIRST_LOCATION_NAME + row);
    order.push_back(IDOK);
    return order;
}

// The tab order of each dialog (its visible, enabled stops) and its default
// button; the main window has none.
struct Form {
    std::vector<int> tabOrder;
    std::optional<int> defaultButton;
};

const std::map<std::string, Form>& forms() {
    static const std::map<std::string, Form> expected = {
        {"main-loss-meter",
         {{IDC_MEASURED_BY, IDC_DATE, IDC_ORGANISATION, IDC_ROUTE, IDC_SECTION, IDC_END_A, IDC_END_B,
           IDC_INSTRUMENT_TYPE, IDC_INSTRUMENT_SERIAL, IDC_FIBRE_LENGTH, IDC_SPLICE_COUNT,
           IDC_SPLICE_LIMIT, IDC_CONNECTOR_COUNT, IDC_CONNECTOR_LIMIT, IDC_SPLITTER_COUNT,
           IDC_SPLITTER_LIMIT, IDC_WAVELENGTH, IDC_DB_PER_KM},
          std::nullopt}},
        {"main-zd615",
         {{IDC_MEASURED_BY, IDC_DATE, IDC_ORGANISATION, IDC_ROUTE, IDC_SECTION,
           IDC_INSTRUMENT_TYPE, IDC_INSTRUMENT_SERIAL},
          std::nullopt}},
        {"download", {{IDCANCEL}, IDCANCEL}},
        {"port-settings",
         {{IDC_PORT, IDC_BAUD_RATE, IDC_DATA_BITS, IDC_PARITY, IDC_STOP_BITS, IDC_FLOW_CONTROL, IDOK,
           IDCANCEL},
          IDOK}},
        {"language", {{IDC_LANGUAGE_FILES, IDOK, IDCANCEL}, IDOK}},
        {"about", {{IDOK}, IDOK}},
        {"limit-editor",
         {{IDC_LIMIT_TABS, IDC_LIMIT_SET_NAME, IDC_LIMIT_PASS_1310, IDC_LIMIT_WARNING_1310,
           IDC_LIMIT_FAIL_1310, IDC_LIMIT_PASS_1490, IDC_LIMIT_WARNING_1490, IDC_LIMIT_FAIL_1490,
           IDC_LIMIT_PASS_1550, IDC_LIMIT_WARNING_1550, IDC_LIMIT_FAIL_1550,
           IDC_LIMIT_READ_INSTRUMENT, IDC_LIMIT_WRITE_INSTRUMENT, IDC_LIMIT_LOAD_FILE,
           IDC_LIMIT_SAVE_FILE, IDOK, IDCANCEL},
          IDOK}},
        {"value-selection",
         {{IDC_MODE_TWO_WAY, IDC_SELECTION_WAVELENGTH, IDC_LOADED_LIST, IDC_ADD_A_TO_B,
           IDC_ADD_B_TO_A, IDC_RETURN_SELECTED, IDC_REMOVE_ALL, IDC_A_TO_B_LIST, IDC_B_TO_A_LIST,
           IDOK},
          IDOK}},
        {"location-table",
         {{IDC_LOCATION_TABLE, IDC_EVALUATE_1310, IDC_EVALUATE_1490, IDC_EVALUATE_1550,
           IDC_RENAME_LOCATIONS, IDC_EDIT_LIMITS, IDOK, IDCANCEL},
          IDOK}},
        {"location-renaming", {renamingOrder(), IDOK}},
    };
    return expected;
}

TEST_P(DialogTour, TabOrderFollowsEachFormAndOkOrStopIsTheDefaultButton) {
    std::vector<std::string> visited;
    tour([&](const std::string& name, HWND dialog) {
        SCOPED_TRACE(name);
        visited.push_back(name);
        const auto form = forms().find(name);
        ASSERT_NE(form, forms().end());
        EXPECT_EQ(tabOrder(dialog), form->second.tabOrder);
        const LRESULT defaultId = SendMessageW(dialog, DM_GETDEFID, 0, 0);
        if (!form->second.defaultButton) return;
        ASSERT_EQ(HIWORD(defaultId), DC_HASDEFID);
        EXPECT_EQ(LOWORD(defaultId), *form->second.defaultButton);
        const HWND button = GetDlgItem(dialog, *form->second.defaultButton);
        EXPECT_EQ(styleOf(button) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        for (HWND other : childrenOf(dialog)) {
            if (other != button && classOf(other) == u"button") {
                EXPECT_NE(styleOf(other) & BS_TYPEMASK, BS_DEFPUSHBUTTON) << GetDlgCtrlID(other);
            }
        }
    });
    EXPECT_EQ(visited.size(), forms().size());
}

// Menus: every title and item has a key, unique within its menu. Dialogs:
// keys unique among every caption (and the menu bar's titles); each push
// button, check box and radio button with a letter has one, except OK and
// Cancel (Enter and Escape).
TEST_P(DialogTour, AccessKeysAreThereAndUniqueInEveryMenuAndDialog) {
    tour([&](const std::string& name, HWND dialog) {
        SCOPED_TRACE(name);
        std::vector<std::u16string> captions;
        for (HWND control : childrenOf(dialog)) {
            if (!hasCaption(control)) continue;
            const std::u16string caption = windowText(control);
            captions.push_back(caption);
            const int id = GetDlgCtrlID(control);
            if (classOf(control) == u"button" && !isGroupBox(control) && id != IDOK &&
                id != IDCANCEL && hasLetterOrDigit(caption)) {
                EXPECT_TRUE(accessKey(caption)) << "no access key: " << narrow(caption);
            }
        }
        expectUniqueKeys(name, captions);
        const HMENU bar = GetMenu(dialog);
        if (!bar) return;
        const std::vector<std::u16string> titles = menuCaptions(bar);
        expectUniqueKeys(name + " menu bar", titles);
        // Alt and a control's key goes to the control before the menu bar.
        std::vector<std::u16string> everything = captions;
        everything.insert(everything.end(), titles.begin(), titles.end());
        expectUniqueKeys(name + " with its menu bar", everything);
        for (int position = 0; position < GetMenuItemCount(bar); ++position) {
            const std::vector<std::u16string> items = menuCaptions(GetSubMenu(bar, position));
            expectUniqueKeys(narrow(titles.at(static_cast<std::size_t>(position))), items);
            for (const std::u16string& caption : items) {
                EXPECT_TRUE(accessKey(caption)) << "no access key: " << narrow(caption);
            }
            EXPECT_TRUE(accessKey(titles.at(static_cast<std::size_t>(position))));
        }
    });
}

// The room a caption needs beyond its text, at 96 dots per inch: the
// button's edges, the check box, the group box's indent.
int captionMargin(HWND control) {
    if (classOf(control) != u"button") return 0;
    const LONG kind = styleOf(control) & BS_TYPEMASK;
    if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) return 8;
    if (kind == BS_GROUPBOX) return 16;
    return 13 + 4;  // the box and the gap before the text
}

// The extent of a caption in the control's font, wrapped at `width` for a
// label that may wrap.
SIZE captionExtent(HWND control, const std::u16string& caption, int width) {
    const HDC dc = GetDC(control);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT box{0, 0, width, 0};
    const bool wraps = isTextLabel(control) && (styleOf(control) & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
    DrawTextW(dc, wide(caption), -1, &box, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {box.right, box.bottom};
}

TEST_P(DialogTour, EveryCaptionFitsItsControl) {
    tour([&](const std::string& name, HWND dialog) {
        SCOPED_TRACE(name);
        for (HWND control : childrenOf(dialog)) {
            if (!hasCaption(control) || !IsWindowVisible(control)) continue;
            const std::u16string caption = windowText(control);
            if (caption.empty()) continue;
            RECT client{};
            GetClientRect(control, &client);
            const int room = client.right - MulDiv(captionMargin(control), windowDpi(control), 96);
            const SIZE needed = captionExtent(control, caption, room);
            EXPECT_LE(needed.cx, room) << "too narrow for \"" << narrow(caption) << '"';
            if (isTextLabel(control)) {
                EXPECT_LE(needed.cy, client.bottom) << "too low for \"" << narrow(caption) << '"';
            }
        }
        // Column titles of the lists, with the header's own padding.
        for (HWND list : childrenOf(dialog)) {
            if (classOf(list) != u"syslistview32") continue;
            const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
            for (int column = 0; column < Header_GetItemCount(header); ++column) {
                wchar_t title[128]{};
                LVCOLUMNW request{};
                request.mask = LVCF_TEXT;
                request.pszText = title;
                request.cchTextMax = 128;
                SendMessageW(list, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&request));
                const LRESULT width = SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0);
                const LRESULT needed = columnTitleWidth(list, title);
                EXPECT_LE(needed, width) << "column too narrow for \"" << narrow(utf16(title)) << '"';
            }
        }
    });
}

// Frames that hold other controls: the group boxes and the tab control.
bool isFrame(HWND control) {
    return isGroupBox(control) || classOf(control) == u"systabcontrol32";
}

TEST_P(DialogTour, NoTwoControlsOverlap) {
    tour([&](const std::string& name, HWND dialog) {
        SCOPED_TRACE(name);
        std::vector<HWND> shown;
        for (HWND control : childrenOf(dialog)) {
            if (IsWindowVisible(control) && !isFrame(control)) shown.push_back(control);
        }
        for (std::size_t a = 0; a < shown.size(); ++a) {
            for (std::size_t b = a + 1; b < shown.size(); ++b) {
                RECT first{};
                RECT second{};
                RECT common{};
                GetWindowRect(shown[a], &first);
                GetWindowRect(shown[b], &second);
                EXPECT_FALSE(IntersectRect(&common, &first, &second))
                    << "\"" << narrow(windowText(shown[a])) << "\" (" << GetDlgCtrlID(shown[a])
                    << ") and \"" << narrow(windowText(shown[b])) << "\" (" << GetDlgCtrlID(shown[b])
                    << ") overlap";
            }
        }
    });
}

// ---------------------------------------------------------------- pictures

// A 32-bit top-down BMP of what the screen shows of the window.
void saveWindowPicture(HWND window, const fs::path& file) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN |
                                               RDW_UPDATENOW);
    processPostedMessages();
    RECT box{};
    GetWindowRect(window, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HDC memory = CreateCompatibleDC(screen);
    const HGDIOBJ previous = SelectObject(memory, picture);
    BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    GdiFlush();
    const DWORD size = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    const BITMAPFILEHEADER header{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) +
                                                             sizeof(BITMAPINFOHEADER) + size),
                                  0, 0,
                                  static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    EXPECT_TRUE(out.good()) << file.string();
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(picture);
    ReleaseDC(nullptr, screen);
}

// Run by scripts/screenshots.sh, which names the folder of the pictures.
TEST_P(DialogTour, DISABLED_SavesAPictureOfEveryDialog) {
    const char* pictures = std::getenv("KALIVERA_SCREENSHOT_DIR");
    ASSERT_TRUE(pictures) << "set KALIVERA_SCREENSHOT_DIR";
    const std::string language = fs::path(GetParam()).stem().string();
    int saved = 0;
    tour([&](const std::string& name, HWND dialog) {
        const UINT dpi = windowDpi(dialog);
        saveWindowPicture(dialog, fs::path(pictures) / (language + "-" + std::to_string(dpi) + "dpi-" +
                                                      name + ".bmp"));
        ++saved;
    });
    EXPECT_EQ(saved, static_cast<int>(forms().size()));
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, DialogTour, testing::Values("czech.lng", "english.lng"),
                         [](const testing::TestParamInfo<const char*>& language) {
                             return fs::path(language.param).stem().string();
                         });

}  // namespace
