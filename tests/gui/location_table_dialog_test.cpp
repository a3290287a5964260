// The ZD615 location table (dialog 129) and the location renaming (dialog
// 130) from the real resources over the sample ZD615 protocol, driven by
// the messages their controls send.
#include "selection/location_table_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/measurement_store.h"
#include "core/number_text.h"
#include "core/protocol_file.h"
#include "gui_support.h"
#include "language/language_table.h"
#include "report/value_format.h"
#include "resources/resource_ids.h"
#include "selection/location_renaming_dialog.h"
#include "selection/location_table.h"

namespace {

const std::u16string CZ = u"cz";

HWND listIn(HWND dialog) { return GetDlgItem(dialog, IDC_LOCATION_TABLE); }

int rowCount(HWND dialog) {
    return static_cast<int>(SendMessageW(listIn(dialog), LVM_GETITEMCOUNT, 0, 0));
}

std::u16string cell(HWND dialog, int row, int column) {
    wchar_t text[256]{};
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = 256;
    SendMessageW(listIn(dialog), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&request));
    return std::u16string(utf16(text));
}

// Every cell of a row but the number, which follows the order of filling.
std::vector<std::u16string> rowCells(HWND dialog, int row) {
    std::vector<std::u16string> cells;
    for (int column = 2; column < LOCATION_COLUMNS; ++column) cells.push_back(cell(dialog, row, column));
    return cells;
}

std::vector<std::vector<std::u16string>> allRows(HWND dialog) {
    std::vector<std::vector<std::u16string>> rows;
    for (int row = 0; row < rowCount(dialog); ++row) rows.push_back(rowCells(dialog, row));
    return rows;
}

UINT rowState(HWND dialog, int row, UINT mask) {
    return static_cast<UINT>(SendMessageW(listIn(dialog), LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
}

bool ticked(HWND dialog, int row) {
    return rowState(dialog, row, LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

bool highlighted(HWND dialog, int row) { return rowState(dialog, row, LVIS_DROPHILITED) != 0; }

// As a click on the row's check box changes it.
void setRowState(HWND dialog, int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(listIn(dialog), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void tick(HWND dialog, int row, bool on) {
    setRowState(dialog, row, INDEXTOSTATEIMAGEMASK(on ? 2 : 1), LVIS_STATEIMAGEMASK);
}

// A mouse click on a check box: it toggles, then notifies.
void clickButton(HWND dialog, int button) { SendDlgItemMessageW(dialog, button, BM_CLICK, 0, 0); }

bool checked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

class LocationTableDialog : public testing::Test {
protected:
    ScratchFolder folder;
    UiRecorder ui;
    std::unique_ptr<MeasurementStore> store = makeStore();
    LocationSortMemory sort;

    void SetUp() override {
        writeLanguageFile("czech.lng", numberedEntries(CZ));
        ASSERT_TRUE(loadLanguageFile(store->language, "czech.lng"));
        const auto sample = std::filesystem::path(KALIVERA_SOURCE_DIR) / "data" / "samples" / "zd615.opr";
        ASSERT_TRUE(readProtocolFile(*store, sample));
        ASSERT_EQ(store->instrumentKind, KIND_ZD615);
        ASSERT_GT(store->recordCount, 10u);
    }

    // Runs the table with `script` acting in it; the dialog's result.
    INT_PTR run(DialogScript script) {
        ui.dialogScripts.push_back(std::move(script));
        const INT_PTR result = runLocationTableDialog(nullptr, *store, sort);
        EXPECT_EQ(ui.dialogsOpened.front(), IDD_ZD615_VALUES);
        ui.dialogsOpened.clear();
        return result;
    }

    const LocationRecord& record(std::size_t index) const { return store->locationRecords[index]; }

    std::vector<LocationRecord> records() const {
        return {store->locationRecords.begin(), store->locationRecords.begin() + store->recordCount};
    }

    void expectRecords(const std::vector<LocationRecord>& expected) const {
        ASSERT_EQ(store->recordCount, expected.size());
        EXPECT_EQ(std::memcmp(store->locationRecords.data(), expected.data(),
                              expected.size() * sizeof(LocationRecord)),
                  0);
    }
};

TEST_F(LocationTableDialog, OpensTranslatedWithEveryColumnAndARowPerRecord) {
    store->evaluateWavelength = {1, 0, 1};
    run([&](HWND dialog) {
        EXPECT_EQ(windowText(dialog), numbered(CZ, 40));
        const std::pair<int, std::u16string> texts[] = {
            {IDC_RENAME_LOCATIONS, numbered(CZ, 117)}, {IDC_EDIT_LIMITS, numbered(CZ, 128)},
            {IDC_EVALUATE_FRAME, numbered(CZ, 131)},   {IDC_EVALUATE_1310, u"1&310nm"},
            {IDC_EVALUATE_1490, u"1&490nm"},           {IDC_EVALUATE_1550, u"1&550nm"},
            {IDOK, numbered(CZ, 70)},                  {IDCANCEL, numbered(CZ, 54)},
        };
        for (const auto& [control, text] : texts) EXPECT_EQ(textOf(dialog, control), text) << control;
        EXPECT_TRUE(checked(dialog, IDC_EVALUATE_1310));
        EXPECT_FALSE(checked(dialog, IDC_EVALUATE_1490));
        EXPECT_TRUE(checked(dialog, IDC_EVALUATE_1550));

        constexpr DWORD styles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
        EXPECT_EQ(SendMessageW(listIn(dialog), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & styles, styles);
        struct Column {
            std::u16string title;
            int width;
            int format;
        };
        const Column columns[LOCATION_COLUMNS] = {
            {numbered(CZ, 112), 76, LVCFMT_CENTER}, {numbered(CZ, 110), 40, LVCFMT_LEFT},
            {numbered(CZ, 99), 40, LVCFMT_CENTER},  {numbered(CZ, 100), 40, LVCFMT_CENTER},
            {numbered(CZ, 101), 100, LVCFMT_RIGHT}, {u"1310nm", 56, LVCFMT_RIGHT},
            {numbered(CZ, 111), 70, LVCFMT_CENTER}, {u"1490nm", 56, LVCFMT_RIGHT},
            {numbered(CZ, 111), 70, LVCFMT_CENTER}, {u"1550nm", 56, LVCFMT_RIGHT},
            {numbered(CZ, 111), 70, LVCFMT_CENTER}, {numbered(CZ, 102), 60, LVCFMT_CENTER},
            {numbered(CZ, 103), 94, LVCFMT_RIGHT},
        };
        for (int column = 0; column < LOCATION_COLUMNS; ++column) {
            wchar_t title[64]{};
            LVCOLUMNW shown{};
            shown.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
            shown.pszText = title;
            shown.cchTextMax = 64;
            ASSERT_TRUE(SendMessageW(listIn(dialog), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&shown)));
            EXPECT_EQ(utf16(title), columns[column].title) << column;
            // Wider only where the font needs more room for the title.
            EXPECT_EQ(shown.cx, std::max(columns[column].width, columnTitleWidth(listIn(dialog), title)))
                << column;
            EXPECT_EQ(shown.fmt & LVCFMT_JUSTIFYMASK, columns[column].format) << column;
        }
        LVCOLUMNW beyond{};
        beyond.mask = LVCF_WIDTH;
        EXPECT_FALSE(SendMessageW(listIn(dialog), LVM_GETCOLUMNW, LOCATION_COLUMNS,
                                  reinterpret_cast<LPARAM>(&beyond)));

        ASSERT_EQ(rowCount(dialog), static_cast<int>(store->recordCount));
        for (int row = 0; row < rowCount(dialog); ++row) {
            SCOPED_TRACE(row);
            EXPECT_EQ(cell(dialog, row, 0), u"");
            EXPECT_EQ(cell(dialog, row, 1), integerText(static_cast<unsigned>(row) + 1) + u".");
            EXPECT_EQ(cell(dialog, row, 2), integerText(record(row).olt));
            EXPECT_EQ(cell(dialog, row, 8), numbered(CZ, 129));  // 1490 nm not evaluated
            for (int column = 3; column < LOCATION_COLUMNS; ++column) {
                EXPECT_EQ(cell(dialog, row, column), locationColumnText(*store, row, column)) << column;
            }
            EXPECT_EQ(ticked(dialog, row), record(row).selected != 0);
            EXPECT_EQ(highlighted(dialog, row), record(row).selected != 0);
        }
        // The sample's sixth line: "1 3 5 ---- -27.64 ---- dBm O F O 1".
        EXPECT_EQ(rowCells(dialog, 5),
                  (std::vector<std::u16string>{u"1", u"3", u"5", u"----", numbered(CZ, 105), u"-27.64",
                                               numbered(CZ, 129), u"----", numbered(CZ, 105), u"dBm",
                                               locationColumnText(*store, 5, 12)}));
        sendCommand(dialog, IDCANCEL);
    });
}

TEST_F(LocationTableDialog, TicksAreHighlightedAndNoRowStaysSelected) {
    const std::vector<LocationRecord> before = records();
    const auto unticked = std::find_if(before.begin(), before.end(),
                                       [](const LocationRecord& r) { return r.selected == 0; });
    ASSERT_NE(unticked, before.end());
    const int row = static_cast<int>(unticked - before.begin());
    ASSERT_NE(record(0).selected, 0);
    run([row](HWND dialog) {
        tick(dialog, row, true);
        EXPECT_TRUE(ticked(dialog, row));
        EXPECT_TRUE(highlighted(dialog, row));
        tick(dialog, 0, false);
        EXPECT_FALSE(highlighted(dialog, 0));

        setRowState(dialog, 3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        EXPECT_EQ(SendMessageW(listIn(dialog), LVM_GETSELECTEDCOUNT, 0, 0), 0);
        EXPECT_TRUE(highlighted(dialog, 3));  // still ticked
        sendCommand(dialog, IDCANCEL);
    });
    expectRecords(before);  // Cancel drops the ticks
}

TEST_F(LocationTableDialog, HeaderClicksOnTheTickColumnTickAllThenUntickAll) {
    const std::vector<LocationRecord> before = records();
    run([](HWND dialog) {
        clickHeader(listIn(dialog), 0);  // the first click in the memory's life
        for (int row = 0; row < rowCount(dialog); ++row) {
            EXPECT_TRUE(ticked(dialog, row)) << row;
            EXPECT_TRUE(highlighted(dialog, row)) << row;
        }
        clickHeader(listIn(dialog), 0);
        for (int row = 0; row < rowCount(dialog); ++row) {
            EXPECT_FALSE(ticked(dialog, row)) << row;
            EXPECT_FALSE(highlighted(dialog, row)) << row;
        }
        clickHeader(listIn(dialog), 0);
        sendCommand(dialog, IDCANCEL);
    });
    expectRecords(before);
    EXPECT_EQ(sort.lastSortColumn, 0);
    EXPECT_TRUE(sort.sortDescendingFlag);

    // The memory outlives the dialog: the next click unticks all.
    EXPECT_EQ(run([](HWND dialog) {
                  clickHeader(listIn(dialog), 0);
                  sendCommand(dialog, IDOK);
              }),
              IDOK);
    for (std::size_t index = 0; index < store->recordCount; ++index) EXPECT_EQ(record(index).selected, 0);
}

TEST_F(LocationTableDialog, SortingByOltTwiceAndOkStoresTheShownOrderNumberedOnReopening) {
    std::vector<std::vector<std::u16string>> shown;
    auto oltOf = [](const std::vector<std::u16string>& row) { return parseInteger(row[0]); };
    // First click: descending, stored by OK.
    run([&](HWND dialog) {
        clickHeader(listIn(dialog), 2);
        shown = allRows(dialog);
        tick(dialog, 0, false);
        sendCommand(dialog, IDOK);
    });
    ASSERT_EQ(shown.size(), store->recordCount);
    EXPECT_GT(oltOf(shown.front()), oltOf(shown.back()));
    EXPECT_TRUE(std::is_sorted(shown.rbegin(), shown.rend(),
                               [&](const auto& a, const auto& b) { return oltOf(a) < oltOf(b); }));
    EXPECT_EQ(record(0).selected, 0);
    // The second click on the same column, in the next run: ascending.
    run([&](HWND dialog) {
        EXPECT_EQ(allRows(dialog), shown);
        for (int row = 0; row < rowCount(dialog); ++row) {
            EXPECT_EQ(cell(dialog, row, 1), integerText(static_cast<unsigned>(row) + 1) + u".");
            EXPECT_EQ(ticked(dialog, row), record(row).selected != 0) << row;
        }
        clickHeader(listIn(dialog), 2);
        shown = allRows(dialog);
        sendCommand(dialog, IDOK);
    });
    EXPECT_EQ(sort.lastSortColumn, 2);
    EXPECT_FALSE(sort.sortDescendingFlag);
    EXPECT_LT(oltOf(shown.front()), oltOf(shown.back()));
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end(),
                               [&](const auto& a, const auto& b) { return oltOf(a) < oltOf(b); }));
    run([&](HWND dialog) {
        EXPECT_EQ(allRows(dialog), shown);
        EXPECT_EQ(cell(dialog, rowCount(dialog) - 1, 1), integerText(store->recordCount) + u".");
        sendCommand(dialog, IDCANCEL);
    });
}

TEST_F(LocationTableDialog, CancelDropsTicksAndOrderButKeepsTheEvaluateFlags) {
    const std::vector<LocationRecord> before = records();
    run([&](HWND dialog) {
        clickButton(dialog, IDC_EVALUATE_1490);
        EXPECT_EQ(store->evaluateWavelength[1], 0);  // stored at once
        for (int row = 0; row < rowCount(dialog); ++row) {
            EXPECT_EQ(cell(dialog, row, 8), numbered(CZ, 129)) << row;
            EXPECT_NE(cell(dialog, row, 6), numbered(CZ, 129)) << row;
        }
        clickButton(dialog, IDC_EVALUATE_1490);
        EXPECT_EQ(store->evaluateWavelength[1], 1);
        for (int row = 0; row < rowCount(dialog); ++row) {
            EXPECT_EQ(cell(dialog, row, 8), gradeText(store->language, record(row).grade[1], true)) << row;
        }
        clickButton(dialog, IDC_EVALUATE_1550);
        clickHeader(listIn(dialog), 7);
        for (const int row : {1, 6, 7}) tick(dialog, row, !ticked(dialog, row));
        sendCommand(dialog, IDCANCEL);
    });
    expectRecords(before);
    EXPECT_EQ(store->evaluateWavelength, (std::array<std::int32_t, 3>{1, 1, 0}));
}

TEST_F(LocationTableDialog, RenamingRefreshesTheLocationColumn) {
    run([&](HWND dialog) {
        ui.dialogScripts.push_back([](HWND renaming) {
            typeInto(renaming, IDC_FIRST_LOCATION_NAME + 2, u"Sklep <B>");
            sendCommand(renaming, IDOK);
        });
        sendCommand(dialog, IDC_RENAME_LOCATIONS);
        EXPECT_EQ(ui.dialogsOpened.back(), IDD_LOCATION_RENAMING);
        int named = 0;
        for (int row = 0; row < rowCount(dialog); ++row) {
            const bool third = record(row).location == 3;
            named += third;
            EXPECT_EQ(cell(dialog, row, 4), third ? u"Sklep <B>" : locationLabel(store->locationNames, record(row).location));
        }
        EXPECT_GT(named, 0);

        ui.dialogScripts.push_back([](HWND renaming) {
            typeInto(renaming, IDC_FIRST_LOCATION_NAME + 2, u"");
            sendCommand(renaming, IDOK);
        });
        sendCommand(dialog, IDC_RENAME_LOCATIONS);
        for (int row = 0; row < rowCount(dialog); ++row) {
            if (record(row).location == 3) {
                EXPECT_EQ(cell(dialog, row, 4), u"3");
            }
        }
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_TRUE(locationName(store->locationNames, 3).empty());
}

TEST_F(LocationTableDialog, TheLimitEditorRefreshesTheLimitSetColumnWhateverItsResult) {
    auto typeName = [](HWND editor, std::u16string_view keys) {
        const HWND name = GetDlgItem(editor, IDC_LIMIT_SET_NAME);
        SendMessageW(name, EM_SETSEL, 0, -1);
        for (const char16_t key : keys) SendMessageW(name, WM_CHAR, key, 0);
    };
    auto expectSetColumn = [&](HWND dialog) {
        int shown = 0;
        for (int row = 0; row < rowCount(dialog); ++row) {
            shown += record(row).limitSet == 1;
            EXPECT_EQ(cell(dialog, row, LOCATION_LIMIT_SET_COLUMN),
                      limitSetLabel(store->language, store->activeLimitSets, record(row).limitSet))
                << row;
        }
        EXPECT_GT(shown, 0);
    };
    run([&](HWND dialog) {
        ui.dialogScripts.push_back([&](HWND editor) {
            typeName(editor, u"klient");  // set 1, the first tab
            sendCommand(editor, IDOK);
        });
        sendCommand(dialog, IDC_EDIT_LIMITS);
        EXPECT_EQ(ui.dialogsOpened.back(), IDD_LIMIT_EDITOR);
        EXPECT_EQ(limitSetName(store->activeLimitSets[1]), u"KLIENT");
        expectSetColumn(dialog);
        for (int row = 0; row < rowCount(dialog); ++row) {
            if (record(row).limitSet == 1) {
                EXPECT_EQ(cell(dialog, row, LOCATION_LIMIT_SET_COLUMN), u"KLIENT(1)") << row;
            }
        }

        ui.dialogScripts.push_back([&](HWND editor) {
            typeName(editor, u"other");
            sendCommand(editor, IDCANCEL);
        });
        sendCommand(dialog, IDC_EDIT_LIMITS);
        EXPECT_EQ(limitSetName(store->activeLimitSets[1]), u"KLIENT");
        expectSetColumn(dialog);
        sendCommand(dialog, IDCANCEL);
    });
    // Limit sets changed in the editor stay when the table is cancelled.
    EXPECT_EQ(limitSetName(store->activeLimitSets[1]), u"KLIENT");
}

// Opening, one header-click sort and OK over a full table; prints the
// figures, which the README records.
TEST_F(LocationTableDialog, AFullTableOfRecordsFillsSortsAndCommits) {
    store->recordCount = MAX_RECORDS;
    for (std::size_t index = 0; index < MAX_RECORDS; ++index) {
        LocationRecord& filled = store->locationRecords[index];
        filled = record(index % 14);
        filled.ont = static_cast<std::uint32_t>(index);
        filled.selected = index % 3 != 0;
    }
    LONGLONG opened = 0, sortStart = 0, sortEnd = 0, okStart = 0;
    ui.dialogScripts.push_back([&](HWND dialog) {
        opened = now();
        ASSERT_EQ(rowCount(dialog), static_cast<int>(MAX_RECORDS));
        EXPECT_EQ(cell(dialog, MAX_RECORDS - 1, 1), u"8192.");
        sortStart = now();
        clickHeader(listIn(dialog), 3);  // ONT, descending
        sortEnd = now();
        EXPECT_EQ(cell(dialog, 0, 3), u"8191");
        okStart = now();
        sendCommand(dialog, IDOK);
    });
    const LONGLONG start = now();
    EXPECT_EQ(runLocationTableDialog(nullptr, *store, sort), IDOK);
    const LONGLONG closed = now();
    for (std::size_t index = 0; index < MAX_RECORDS; ++index) {
        ASSERT_EQ(record(index).ont, MAX_RECORDS - 1 - index) << index;
    }
    std::printf("location table of 8192 records: opening %.1f ms, sort %.1f ms, OK %.1f ms\n",
                milliseconds(opened - start), milliseconds(sortEnd - sortStart), milliseconds(closed - okStart));
}

// ---------------------------------------------------------------- renaming

class LocationRenamingDialog : public LocationTableDialog {
protected:
    INT_PTR rename(DialogScript script) {
        ui.dialogScripts.push_back(std::move(script));
        const INT_PTR result = runLocationRenamingDialog(nullptr, *store);
        EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_LOCATION_RENAMING});
        ui.dialogsOpened.clear();
        return result;
    }
};

TEST_F(LocationRenamingDialog, OpensNineNumberedRowsWithTheStoredNamesInItsOwnFont) {
    setLocationName(store->locationNames, 1, u"Rozvaděč");
    setLocationName(store->locationNames, 9, u"Půda");
    HFONT font = nullptr;
    rename([&](HWND dialog) {
        EXPECT_EQ(windowText(dialog), numbered(CZ, 118));
        EXPECT_EQ(textOf(dialog, IDOK), numbered(CZ, 70));
        for (int row = 0; row < 9; ++row) {
            SCOPED_TRACE(row);
            const HWND label = GetDlgItem(dialog, IDC_FIRST_LOCATION_LABEL + row);
            const HWND name = GetDlgItem(dialog, IDC_FIRST_LOCATION_NAME + row);
            ASSERT_TRUE(label && name);
            EXPECT_EQ(windowText(label), numbered(CZ, 109) + u" " + integerText(row + 1) + u".");
            EXPECT_EQ(windowText(name), locationName(store->locationNames, row + 1));
            const struct {
                HWND control;
                RECT expected;
                const wchar_t* className;
            } controls[] = {{label, {10, 20 + 25 * row, 76, 40 + 25 * row}, L"Static"},
                            {name, {80, 20 + 25 * row, 230, 40 + 25 * row}, L"Edit"}};
            for (const auto& c : controls) {
                RECT box{};
                GetWindowRect(c.control, &box);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
                EXPECT_EQ(box.left, c.expected.left);
                EXPECT_EQ(box.top, c.expected.top);
                EXPECT_EQ(box.right, c.expected.right);
                EXPECT_EQ(box.bottom, c.expected.bottom);
                wchar_t className[16]{};
                GetClassNameW(c.control, className, 16);
                EXPECT_EQ(_wcsicmp(className, c.className), 0);
                EXPECT_TRUE(GetWindowLongW(c.control, GWL_STYLE) & WS_VISIBLE);
            }
            EXPECT_TRUE(GetWindowLongW(name, GWL_STYLE) & WS_TABSTOP);
            EXPECT_EQ(SendMessageW(name, EM_GETLIMITTEXT, 0, 0), 32);
            font = reinterpret_cast<HFONT>(SendMessageW(name, WM_GETFONT, 0, 0));
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)), font);
        }
        LOGFONTW face{};
        ASSERT_TRUE(GetObjectW(font, sizeof face, &face));
        EXPECT_STREQ(face.lfFaceName, L"MS Sans Serif");
        const HDC screen = GetDC(dialog);
        EXPECT_EQ(face.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
        ReleaseDC(dialog, screen);
        sendCommand(dialog, IDCANCEL);
    });
    // The dialog owned the font and released it.
    EXPECT_EQ(GetObjectType(font), 0u);
}

TEST_F(LocationRenamingDialog, OkStoresEveryFieldCutTo31CharactersAndCancelNothing) {
    setLocationName(store->locationNames, 4, u"Kotelna");
    setLocationName(store->locationNames, 5, u"Garáž");
    const std::u16string typed(32, u'x');
    const LocationNames before = store->locationNames;
    // Escape after editing keeps every name.
    EXPECT_EQ(rename([&](HWND dialog) {
                  typeInto(dialog, IDC_FIRST_LOCATION_NAME + 0, u"Vstup");
                  typeInto(dialog, IDC_FIRST_LOCATION_NAME + 3, u"");
                  sendCommand(dialog, IDCANCEL);
              }),
              IDCANCEL);
    EXPECT_EQ(std::memcmp(&store->locationNames, &before, sizeof before), 0);

    EXPECT_EQ(rename([&](HWND dialog) {
                  typeInto(dialog, IDC_FIRST_LOCATION_NAME + 0, typed);
                  typeInto(dialog, IDC_FIRST_LOCATION_NAME + 3, u"");
                  typeInto(dialog, IDC_FIRST_LOCATION_NAME + 8, u"Střecha");
                  sendCommand(dialog, IDOK);
              }),
              IDOK);
    EXPECT_EQ(locationName(store->locationNames, 1), typed.substr(0, 31));
    EXPECT_EQ(locationName(store->locationNames, 4), u"");
    EXPECT_EQ(locationName(store->locationNames, 5), u"Garáž");
    EXPECT_EQ(locationName(store->locationNames, 9), u"Střecha");
    for (unsigned location : {2u, 3u, 6u, 7u, 8u}) {
        EXPECT_EQ(locationName(store->locationNames, location), locationName(before, location));
    }
}

}  // namespace
