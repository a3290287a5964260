// The value selection (dialog 112) from the real resources, driven by the
// messages its controls send.
#include "selection/value_selection_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/measurement_store.h"
#include "gui_support.h"
#include "language/language_table.h"
#include "resources/resource_ids.h"

namespace {

const std::u16string CZ = u"cz";
constexpr std::uint32_t NM1310 = 1310;
constexpr std::uint32_t NM1550 = 1550;

using Rows = std::vector<std::u16string>;

// Each item of a list as "column 0 column 1".
Rows rows(HWND dialog, int list) {
    Rows shown;
    const LRESULT count = SendDlgItemMessageW(dialog, list, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT item = 0; item < count; ++item) {
        std::u16string row;
        for (int column = 0; column < 2; ++column) {
            wchar_t text[64]{};
            LVITEMW request{};
            request.iSubItem = column;
            request.pszText = text;
            request.cchTextMax = 64;
            SendDlgItemMessageW(dialog, list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                                reinterpret_cast<LPARAM>(&request));
            if (column) row += u' ';
            row += utf16(text);
        }
        shown.push_back(row);
    }
    return shown;
}

void selectItems(HWND dialog, int list, std::initializer_list<int> items) {
    for (const int item : items) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendDlgItemMessageW(dialog, list, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                            reinterpret_cast<LPARAM>(&state));
    }
}

// A mouse click on a mode button: it checks the button, then notifies.
void clickRadio(HWND dialog, int radio) { SendDlgItemMessageW(dialog, radio, BM_CLICK, 0, 0); }

bool enabled(HWND dialog, int control) { return IsWindowEnabled(GetDlgItem(dialog, control)); }
bool checked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

// OK and the wavelength box are enabled together.
void expectConfirmable(HWND dialog, bool confirmable) {
    EXPECT_EQ(enabled(dialog, IDOK), confirmable);
    EXPECT_EQ(enabled(dialog, IDC_SELECTION_WAVELENGTH), confirmable);
}

void expectTwoWay(HWND dialog, bool twoWay) {
    EXPECT_EQ(checked(dialog, IDC_MODE_TWO_WAY), twoWay);
    EXPECT_EQ(checked(dialog, IDC_MODE_ONE_WAY), !twoWay);
    EXPECT_EQ(enabled(dialog, IDC_ADD_B_TO_A), twoWay);
    EXPECT_EQ(enabled(dialog, IDC_B_TO_A_LIST), twoWay);
}

class ValueSelectionDialog : public testing::Test {
protected:
    ScratchFolder folder;
    UiRecorder ui;
    std::unique_ptr<MeasurementStore> store = makeStore();

    void SetUp() override {
        writeLanguageFile("czech.lng", numberedEntries(CZ));
        ASSERT_TRUE(loadLanguageFile(store->language, "czech.lng"));
    }

    std::size_t add(std::uint32_t number, std::uint32_t subNumber, std::uint32_t wavelength = NM1310,
                    double value = 1.0, std::uint32_t state = STATE_LOADED, std::uint32_t order = 0) {
        const std::size_t index = store->recordCount++;
        store->readings[index] = ReadingRecord{value, number, subNumber, wavelength, order, state, 0};
        return index;
    }

    const ReadingRecord& reading(std::size_t index) const { return store->readings[index]; }

    void expectPlace(std::size_t index, std::uint32_t state, std::uint32_t order) const {
        EXPECT_EQ(reading(index).state, state) << "reading " << index;
        EXPECT_EQ(reading(index).order, order) << "reading " << index;
    }

    void expectNothingSelected() const {
        for (std::size_t index = 0; index < store->recordCount; ++index) {
            expectPlace(index, STATE_LOADED, 0);
        }
    }

    // Runs the dialog with `script` acting in it; the dialog's result.
    INT_PTR run(DialogScript script) {
        ui.dialogScripts.push_back(std::move(script));
        const INT_PTR result = runValueSelectionDialog(nullptr, *store);
        EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_VALUE_SELECTION});
        ui.dialogsOpened.clear();
        return result;
    }
};

TEST_F(ValueSelectionDialog, OpensTranslatedWithEveryWavelengthAndTheFirstOnesRoundedValues) {
    add(1, 1, NM1550, 0.5);
    add(1, 1, NM1310, 0.125);
    add(1, 2, NM1310, -0.125);
    add(2, 1, NM1310, 2.344);
    run([](HWND dialog) {
        EXPECT_EQ(windowText(dialog), numbered(CZ, 40));
        const std::pair<int, int> texts[] = {
            {IDC_MODE_FRAME, 144}, {IDC_MODE_TWO_WAY, 145}, {IDC_MODE_ONE_WAY, 146},
            {IDC_LABEL_SELECTION_WAVELENGTH, 42}, {IDC_LABEL_LOADED, 43}, {IDC_LABEL_A_TO_B, 44},
            {IDC_LABEL_B_TO_A, 45}, {IDC_ADD_A_TO_B, 48}, {IDC_ADD_B_TO_A, 49},
            {IDC_RETURN_SELECTED, 50}, {IDC_REMOVE_ALL, 51}, {IDOK, 70},
        };
        for (const auto& [control, entry] : texts) {
            EXPECT_EQ(textOf(dialog, control), numbered(CZ, entry)) << control;
        }

        EXPECT_EQ(comboItems(dialog, IDC_SELECTION_WAVELENGTH), (Rows{u"1310 nm", u"1550 nm"}));
        EXPECT_EQ(textOf(dialog, IDC_SELECTION_WAVELENGTH), u"1310 nm");
        EXPECT_EQ(rows(dialog, IDC_LOADED_LIST), (Rows{u"1/1 0.13", u"1/2 -0.13", u"2/1 2.34"}));
        EXPECT_TRUE(rows(dialog, IDC_A_TO_B_LIST).empty());
        EXPECT_TRUE(rows(dialog, IDC_B_TO_A_LIST).empty());
        expectTwoWay(dialog, true);
        expectConfirmable(dialog, true);
    });
}

TEST_F(ValueSelectionDialog, ListsAreMultiSelectReportViewsWithTranslatedColumns) {
    run([](HWND dialog) {
        const LONG boxStyle = GetWindowLongW(GetDlgItem(dialog, IDC_SELECTION_WAVELENGTH), GWL_STYLE);
        EXPECT_EQ(boxStyle & 3, CBS_DROPDOWN);
        for (const int list : {IDC_LOADED_LIST, IDC_A_TO_B_LIST, IDC_B_TO_A_LIST}) {
            SCOPED_TRACE(list);
            const HWND view = GetDlgItem(dialog, list);
            const LONG style = GetWindowLongW(view, GWL_STYLE);
            EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
            EXPECT_FALSE(style & LVS_SINGLESEL);
            EXPECT_TRUE(style & LVS_SHOWSELALWAYS);
            EXPECT_TRUE(style & LVS_NOSORTHEADER);
            const LRESULT extended = SendMessageW(view, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
            EXPECT_EQ(extended & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES),
                      LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
            const std::pair<int, int> columns[] = {{46, 50}, {47, 74}};
            for (int column = 0; column < 2; ++column) {
                wchar_t title[64]{};
                LVCOLUMNW request{};
                request.mask = LVCF_TEXT | LVCF_WIDTH;
                request.pszText = title;
                request.cchTextMax = 64;
                ASSERT_TRUE(SendMessageW(view, LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&request)));
                EXPECT_EQ(std::u16string(utf16(title)), numbered(CZ, columns[column].first));
                // Wider only where the font needs more room for the title.
                EXPECT_EQ(request.cx, std::max(columns[column].second, columnTitleWidth(view, title)));
            }
            EXPECT_FALSE(SendMessageW(view, LVM_GETCOLUMNWIDTH, 2, 0));  // no third column
        }
    });
}

TEST_F(ValueSelectionDialog, WithoutReadingsEverythingIsEmptyAndOkEndsTheDialog) {
    const INT_PTR result = run([](HWND dialog) {
        EXPECT_TRUE(comboItems(dialog, IDC_SELECTION_WAVELENGTH).empty());
        for (const int list : {IDC_LOADED_LIST, IDC_A_TO_B_LIST, IDC_B_TO_A_LIST}) {
            EXPECT_TRUE(rows(dialog, list).empty());
        }
        expectConfirmable(dialog, true);
        sendCommand(dialog, IDC_ADD_A_TO_B);  // nothing to add, nothing happens
        sendCommand(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(ValueSelectionDialog, OpensInTheModeTheStatesCallFor) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> states;
        bool twoWay;
    };
    const Case cases[] = {
        {"nothing selected", {STATE_LOADED, STATE_LOADED}, true},
        {"only A to B", {STATE_LOADED, STATE_A_TO_B}, false},
        {"any B to A", {STATE_A_TO_B, STATE_LOADED, STATE_B_TO_A}, true},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        resetStore(*store);
        for (const std::uint32_t state : testCase.states) {
            add(1, store->recordCount + 1, NM1310, 1.0, state, state == STATE_LOADED ? 0 : 1);
        }
        run([&](HWND dialog) { expectTwoWay(dialog, testCase.twoWay); });
    }
}

TEST_F(ValueSelectionDialog, AddingInBothDirectionsAppendsInListOrderAndOkWaitsForBalancedLists) {
    std::vector<std::size_t> loaded;
    for (std::uint32_t subNumber = 1; subNumber <= 6; ++subNumber) {
        loaded.push_back(add(1, subNumber, NM1310, subNumber / 10.0));
    }
    add(1, 1, NM1550);
    std::uint32_t summaryBeforeOk = 99;
    const INT_PTR result = run([&](HWND dialog) {
        selectItems(dialog, IDC_LOADED_LIST, {0, 2});
        sendCommand(dialog, IDC_ADD_A_TO_B);
        EXPECT_EQ(rows(dialog, IDC_A_TO_B_LIST), (Rows{u"1/1 0.10", u"1/3 0.30"}));
        EXPECT_EQ(rows(dialog, IDC_LOADED_LIST), (Rows{u"1/2 0.20", u"1/4 0.40", u"1/5 0.50", u"1/6 0.60"}));
        expectConfirmable(dialog, false);

        selectItems(dialog, IDC_LOADED_LIST, {0});
        sendCommand(dialog, IDC_ADD_A_TO_B);
        selectItems(dialog, IDC_LOADED_LIST, {0, 1});
        sendCommand(dialog, IDC_ADD_B_TO_A);
        EXPECT_EQ(rows(dialog, IDC_A_TO_B_LIST), (Rows{u"1/1 0.10", u"1/3 0.30", u"1/2 0.20"}));
        EXPECT_EQ(rows(dialog, IDC_B_TO_A_LIST), (Rows{u"1/4 0.40", u"1/5 0.50"}));
        expectConfirmable(dialog, false);
        sendCommand(dialog, IDOK);  // refused while the lists differ
        ASSERT_TRUE(IsWindowVisible(dialog));

        selectItems(dialog, IDC_LOADED_LIST, {0});
        sendCommand(dialog, IDC_ADD_B_TO_A);
        EXPECT_EQ(rows(dialog, IDC_B_TO_A_LIST), (Rows{u"1/4 0.40", u"1/5 0.50", u"1/6 0.60"}));
        EXPECT_TRUE(rows(dialog, IDC_LOADED_LIST).empty());
        expectConfirmable(dialog, true);

        summaryBeforeOk = store->wavelengthSummary.maxSelectedOrder;
        sendCommand(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    const std::pair<std::uint32_t, std::uint32_t> places[] = {
        {STATE_A_TO_B, 1}, {STATE_A_TO_B, 3}, {STATE_A_TO_B, 2},
        {STATE_B_TO_A, 1}, {STATE_B_TO_A, 2}, {STATE_B_TO_A, 3},
    };
    for (std::size_t item = 0; item < loaded.size(); ++item) {
        expectPlace(loaded[item], places[item].first, places[item].second);
    }
    EXPECT_EQ(summaryBeforeOk, 0u);  // rebuilt on opening, with nothing selected
    EXPECT_EQ(store->wavelengthSummary.maxSelectedOrder, 3u);
}

TEST_F(ValueSelectionDialog, ReturningAnEntryReturnsItsPartnerAndClosesTheGapInBothLists) {
    const std::size_t aToB[] = {add(7, 1, NM1310, 1.0, STATE_A_TO_B, 1), add(7, 2, NM1310, 1.0, STATE_A_TO_B, 2),
                                add(7, 3, NM1310, 1.0, STATE_A_TO_B, 3)};
    const std::size_t bToA[] = {add(7, 4, NM1310, 1.0, STATE_B_TO_A, 1), add(7, 5, NM1310, 1.0, STATE_B_TO_A, 2),
                                add(7, 6, NM1310, 1.0, STATE_B_TO_A, 3)};
    run([&](HWND dialog) {
        // The partner is selected too: it has already gone back and is skipped.
        selectItems(dialog, IDC_A_TO_B_LIST, {1});
        selectItems(dialog, IDC_B_TO_A_LIST, {1});
        sendCommand(dialog, IDC_RETURN_SELECTED);
        EXPECT_EQ(rows(dialog, IDC_LOADED_LIST), (Rows{u"7/2 1.00", u"7/5 1.00"}));
        EXPECT_EQ(rows(dialog, IDC_A_TO_B_LIST), (Rows{u"7/1 1.00", u"7/3 1.00"}));
        EXPECT_EQ(rows(dialog, IDC_B_TO_A_LIST), (Rows{u"7/4 1.00", u"7/6 1.00"}));
        expectConfirmable(dialog, true);
    });
    expectPlace(aToB[1], STATE_LOADED, 0);
    expectPlace(bToA[1], STATE_LOADED, 0);
    expectPlace(aToB[2], STATE_A_TO_B, 2);
    expectPlace(bToA[2], STATE_B_TO_A, 2);
}

TEST_F(ValueSelectionDialog, AModeClickOrRemoveAllClearsEveryWavelength) {
    struct Case {
        const char* name;
        bool openTwoWay;
        int control;
        bool twoWayAfter;
    };
    const Case cases[] = {
        {"two-way button, already checked", true, IDC_MODE_TWO_WAY, true},
        {"one-way button", true, IDC_MODE_ONE_WAY, false},
        {"one-way button, already checked", false, IDC_MODE_ONE_WAY, false},
        {"two-way button", false, IDC_MODE_TWO_WAY, true},
        {"remove all, two-way", true, IDC_REMOVE_ALL, true},
        {"remove all, one-way", false, IDC_REMOVE_ALL, false},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        resetStore(*store);
        add(1, 1, NM1310, 1.0, STATE_A_TO_B, 1);
        add(1, 2, NM1550, 1.0, STATE_A_TO_B, 1);
        add(1, 3, NM1550, 1.0, STATE_LOADED, 0);
        if (testCase.openTwoWay) add(1, 4, NM1550, 1.0, STATE_B_TO_A, 1);
        run([&](HWND dialog) {
            expectTwoWay(dialog, testCase.openTwoWay);
            if (testCase.control == IDC_REMOVE_ALL) {
                sendCommand(dialog, IDC_REMOVE_ALL);
            } else {
                clickRadio(dialog, testCase.control);
            }
            expectTwoWay(dialog, testCase.twoWayAfter);
            EXPECT_EQ(rows(dialog, IDC_LOADED_LIST), Rows{u"1/1 1.00"});
            EXPECT_TRUE(rows(dialog, IDC_A_TO_B_LIST).empty());
            expectConfirmable(dialog, true);
        });
        expectNothingSelected();
    }
}

TEST_F(ValueSelectionDialog, OneWayModeKeepsOkEnabledWhateverTheListsHold) {
    add(1, 1, NM1310, 1.0, STATE_A_TO_B, 1);
    add(1, 2, NM1310);
    const INT_PTR result = run([](HWND dialog) {
        expectTwoWay(dialog, false);
        selectItems(dialog, IDC_LOADED_LIST, {0});
        sendCommand(dialog, IDC_ADD_A_TO_B);
        EXPECT_EQ(rows(dialog, IDC_A_TO_B_LIST), (Rows{u"1/1 1.00", u"1/2 1.00"}));
        expectConfirmable(dialog, true);
        sendCommand(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(ValueSelectionDialog, EscapeAndTheCloseBoxLeaveTheDialogOpen) {
    const std::size_t selected = add(1, 1, NM1310, 1.0, STATE_A_TO_B, 1);
    add(1, 2, NM1310, 1.0, STATE_B_TO_A, 1);
    const INT_PTR result = run([](HWND dialog) {
        MSG escape{GetDlgItem(dialog, IDC_LOADED_LIST), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        IsDialogMessageW(dialog, &escape);
        SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        processPostedMessages();
        EXPECT_TRUE(IsWindowVisible(dialog));
    });
    EXPECT_EQ(result, SCRIPT_LEFT_OPEN);
    expectPlace(selected, STATE_A_TO_B, 1);
}

TEST_F(ValueSelectionDialog, ChoosingAWavelengthShowsAndChangesOnlyItsReadings) {
    const std::size_t at1310 = add(1, 1, NM1310, 0.25);
    add(2, 1, NM1310, 0.5, STATE_A_TO_B, 1);
    add(3, 1, NM1310, 0.75, STATE_B_TO_A, 1);
    const std::size_t at1550 = add(1, 1, NM1550, 1.25);
    add(4, 1, NM1550, 1.5, STATE_A_TO_B, 1);
    add(5, 1, NM1550, 1.75, STATE_B_TO_A, 1);
    run([](HWND dialog) {
        chooseItem(dialog, IDC_SELECTION_WAVELENGTH, 1);
        EXPECT_EQ(rows(dialog, IDC_LOADED_LIST), Rows{u"1/1 1.25"});
        EXPECT_EQ(rows(dialog, IDC_A_TO_B_LIST), Rows{u"4/1 1.50"});
        EXPECT_EQ(rows(dialog, IDC_B_TO_A_LIST), Rows{u"5/1 1.75"});

        // The same number/subNumber as a 1310 nm reading: only the shown one moves.
        selectItems(dialog, IDC_LOADED_LIST, {0});
        sendCommand(dialog, IDC_ADD_A_TO_B);
        EXPECT_EQ(rows(dialog, IDC_A_TO_B_LIST), (Rows{u"4/1 1.50", u"1/1 1.25"}));
        expectConfirmable(dialog, false);  // the box is locked on the unbalanced wavelength

        chooseItem(dialog, IDC_SELECTION_WAVELENGTH, 0);
        EXPECT_EQ(rows(dialog, IDC_LOADED_LIST), Rows{u"1/1 0.25"});
        EXPECT_EQ(rows(dialog, IDC_A_TO_B_LIST), Rows{u"2/1 0.50"});
    });
    expectPlace(at1310, STATE_LOADED, 0);
    expectPlace(at1550, STATE_A_TO_B, 2);
}

TEST_F(ValueSelectionDialog, TypingInTheWavelengthBoxChangesNothing) {
    const std::size_t at1310 = add(1, 1, NM1310, 0.25);
    const std::size_t at1550 = add(1, 1, NM1550, 1.25);
    run([](HWND dialog) {
        const HWND edit = FindWindowExW(GetDlgItem(dialog, IDC_SELECTION_WAVELENGTH), nullptr, L"Edit", nullptr);
        ASSERT_TRUE(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (const wchar_t typed : std::wstring_view(L"1550")) SendMessageW(edit, WM_CHAR, typed, 0);
        EXPECT_EQ(textOf(dialog, IDC_SELECTION_WAVELENGTH), u"1310 nm");

        // The lists shown and the wavelength a click acts on stay together.
        selectItems(dialog, IDC_LOADED_LIST, {0});
        sendCommand(dialog, IDC_ADD_A_TO_B);
        EXPECT_EQ(rows(dialog, IDC_A_TO_B_LIST), Rows{u"1/1 0.25"});
        expectConfirmable(dialog, false);
    });
    expectPlace(at1310, STATE_A_TO_B, 1);
    expectPlace(at1550, STATE_LOADED, 0);
}

// One click that moves 4096 of 8192 readings and shows all of them again.
TEST_F(ValueSelectionDialog, OneClickOnAFullStoreIsQuick) {
    for (std::uint32_t number = 1; number <= MAX_RECORDS; ++number) {
        add(number, 1, NM1310, number / 100.0);
    }
    constexpr int MOVED = MAX_RECORDS / 2;
    double milliseconds = 0;
    run([&](HWND dialog) {
        for (int item = 0; item < MOVED; ++item) selectItems(dialog, IDC_LOADED_LIST, {item});
        const auto start = std::chrono::steady_clock::now();
        sendCommand(dialog, IDC_ADD_A_TO_B);
        milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_LOADED_LIST, LVM_GETITEMCOUNT, 0, 0), MOVED);
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_A_TO_B_LIST, LVM_GETITEMCOUNT, 0, 0), MOVED);
    });
    for (std::size_t index = 0; index < MAX_RECORDS; ++index) {
        const bool moved = index < MOVED;
        expectPlace(index, moved ? STATE_A_TO_B : STATE_LOADED, moved ? index + 1 : 0);
        if (HasFailure()) break;
    }
    std::printf("one click on %u readings: %.1f ms\n", static_cast<unsigned>(MAX_RECORDS), milliseconds);
    RecordProperty("click_ms", static_cast<int>(milliseconds));
}

}  // namespace
