// Selecting values, generating the HTML report and showing the user manual
// through the main window's menu.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "program_fixture.h"

namespace {

namespace fs = std::filesystem;

// Templates and reports are UTF-16LE.
void writeUtf16(const fs::path& file, std::u16string_view text) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(text.data()),
               static_cast<std::streamsize>(text.size() * sizeof(char16_t)));
}

std::u16string readUtf16(const fs::path& file) {
    const std::vector<unsigned char> bytes = fileBytes(file);
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
    return text;
}

// Makes the item of a list view whose first column reads `numberText` the
// only selected one.
void selectOnly(HWND dialog, int list, std::u16string_view numberText) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    SendDlgItemMessageW(dialog, list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(&state));
    const std::u16string text(numberText);
    LVFINDINFOW find{};
    find.flags = LVFI_STRING;
    find.psz = wide(text);
    const LRESULT item = SendDlgItemMessageW(dialog, list, LVM_FINDITEMW, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(&find));
    ASSERT_NE(item, -1) << narrow(numberText);
    state.state = LVIS_SELECTED;
    SendDlgItemMessageW(dialog, list, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(&state));
}

bool enabled(HWND dialog, int control) { return IsWindowEnabled(GetDlgItem(dialog, control)); }

class ReportCommands : public ProgramTest {
protected:
    // The template the numbered language names for loss-meter data (text 0).
    const fs::path lossTemplate = folder.path() / "cz 0";

    void load(HWND window, const std::u16string& file) {
        if (hasData(*store)) ui.answers.push_back(IDYES);
        commandWithFile(window, ID_CMD_LOAD_FILE, file);
    }
};

// ---------------------------------------------------------------- reports

TEST_F(ReportCommands, TheReportLiesBesideTheProtocolWithTheFormAsItStands) {
    writeUtf16(lossTemplate, u"<h1>**TRACE**</h1><p>**OPERATOR**</p>");
    const std::u16string protocol = inFolder(u"route 7.opr");
    run([&](HWND window) {
        typeInto(window, IDC_ROUTE, u"Trasa 6");
        commandWithFile(window, ID_CMD_SAVE, protocol);
        // Typed after saving: the report reads the form again.
        typeInto(window, IDC_ROUTE, u"Brno <hl. n.> & Tišnov");
        typeInto(window, IDC_MEASURED_BY, u"Jan Novák");
        sendCommand(window, ID_CMD_GENERATE);
    });
    EXPECT_TRUE(ui.messages.empty());
    const std::u16string report = protocol + u".html";
    EXPECT_EQ(ui.documentsOpened, std::vector<std::u16string>{report});
    EXPECT_EQ(narrow(readUtf16(report)),
              narrow(u"<h1>Brno &lt;hl. n.&gt; &amp; Tišnov</h1><p>Jan Novák</p>"));
    EXPECT_EQ(slotText(store->currentProtocolPath), protocol);
}

TEST_F(ReportCommands, WithoutAProtocolPathTheReportIsNewProtocolInTheWorkingFolder) {
    writeUtf16(lossTemplate, u"<p>**DATE**</p>");
    run([&](HWND window) {
        sendCommand(window, ID_CMD_GENERATE);
        // The path the report set is the protocol's: Save asks no more.
        sendCommand(window, ID_CMD_SAVE);
    });
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.fileDialogs.empty());
    const std::u16string protocol = inFolder(u"new_protocol.opr");
    EXPECT_EQ(slotText(store->currentProtocolPath), protocol);
    EXPECT_EQ(ui.documentsOpened, std::vector<std::u16string>{protocol + u".html"});
    EXPECT_EQ(readUtf16(protocol + u".html"), u"<p>5.3.2012</p>");
    EXPECT_TRUE(fs::exists(protocol));
}

TEST_F(ReportCommands, FailuresAreReportedAndNothingIsOpened) {
    struct Case {
        const char* name;
        std::optional<std::u16string> sample;  // loaded first
        bool lossTemplatePresent;
        std::u16string protocolPath;
        std::u16string message;
    };
    const std::u16string unwritable = inFolder(u"no such folder\\job.opr");
    const std::u16string readOnly = inFolder(u"kept.opr");
    const Case cases[] = {
        {"loss template missing", std::nullopt, false, u"",
         numbered(CZ, 84) + u" ( " + numbered(CZ, 0) + u" )"},
        {"ZD615 template missing", u"zd615.txt", true, u"",
         numbered(CZ, 84) + u" ( " + numbered(CZ, 113) + u" )"},
        {"report cannot be created", std::nullopt, true, unwritable, numbered(CZ, 85)},
        {"read-only report cannot be replaced", std::nullopt, true, readOnly,
         numbered(CZ, 85) + u" ( " + readOnly + u".html )"},
    };
    const fs::path keptReport = folder.path() / "kept.opr.html";
    writeUtf16(keptReport, u"previous report");
    const std::vector<unsigned char> previousReport = fileBytes(keptReport);
    fs::permissions(keptReport, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    copySample(u"zd615.txt");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(lossTemplate);
        if (c.lossTemplatePresent) writeUtf16(lossTemplate, u"<p>**DATE**</p>");
        ui.messages.clear();
        resetStore(*store);
        run([&](HWND window) {
            if (c.sample) load(window, inFolder(*c.sample));
            setSlotText(store->currentProtocolPath, c.protocolPath);
            ui.messages.clear();
            sendCommand(window, ID_CMD_GENERATE);
        });
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(narrow(ui.messages[0].text), narrow(c.message));
        EXPECT_EQ(ui.messages[0].caption, numbered(CZ, 73));
        EXPECT_EQ(ui.messages[0].icon(), MB_ICONERROR);
    }
    EXPECT_TRUE(ui.documentsOpened.empty());
    EXPECT_FALSE(fs::exists(folder.path() / "new_protocol.opr.html"));
    EXPECT_EQ(fileBytes(keptReport), previousReport);
    fs::permissions(keptReport, fs::perms::owner_write, fs::perm_options::add);
}

// ---------------------------------------------------------------- user manual

TEST_F(ReportCommands, TheManualIsOpenedFromTheWorkingFolderWhenItCanBeRead) {
    // The numbered language names the manual "cz 140".
    const std::u16string manual = inFolder(numbered(CZ, 140));
    run([](HWND window) { sendCommand(window, ID_CMD_MANUAL); });
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(narrow(ui.messages[0].text), narrow(numbered(CZ, 143) + u" (" + manual + u")"));
    EXPECT_EQ(ui.messages[0].caption, numbered(CZ, 73));
    EXPECT_EQ(ui.messages[0].icon(), MB_ICONERROR);
    EXPECT_TRUE(ui.documentsOpened.empty());

    writeUtf16(manual, u"<html></html>");
    ui.messages.clear();
    run([](HWND window) { sendCommand(window, ID_CMD_MANUAL); });
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ui.documentsOpened, std::vector<std::u16string>{manual});
}

// ---------------------------------------------------------------- value selection

TEST_F(ReportCommands, SelectedValuesReachTheReport) {
    writeUtf16(lossTemplate,
               u"**ADDWAVEBEG3**[**VALAB**|**VALBA**|**VALAVE**]**ADDWAVEEND3**"
               u"<tr>**ADDWAVEBEG1**<th>**TWAVELEN**</th>**ADDWAVEEND1**</tr>\n"
               u"**VALLINEBEG**<tr><td>**THREAD**</td>**ADDPARAM**</tr>\n**VALLINEEND**");
    const std::u16string sample = copySample(u"lossmeter.txt");
    run([&](HWND window) {
        load(window, sample);
        expectDataMenus(window, true, true, false);

        // Fibre 2 of the sample: 1/2 one way, 2/2 the other, at both wavelengths.
        // The instrument sends losses as negative numbers; they are stored as losses.
        ui.dialogScripts.push_back([](HWND dialog) {
            for (int wavelength = 0; wavelength < 2; ++wavelength) {
                chooseItem(dialog, IDC_SELECTION_WAVELENGTH, wavelength);
                selectOnly(dialog, IDC_LOADED_LIST, u"1/2");
                sendCommand(dialog, IDC_ADD_A_TO_B);
                EXPECT_FALSE(enabled(dialog, IDOK));
                EXPECT_FALSE(enabled(dialog, IDC_SELECTION_WAVELENGTH));
                selectOnly(dialog, IDC_LOADED_LIST, u"2/2");
                sendCommand(dialog, IDC_ADD_B_TO_A);
                EXPECT_TRUE(enabled(dialog, IDOK));
                EXPECT_TRUE(enabled(dialog, IDC_SELECTION_WAVELENGTH));
            }
            sendCommand(dialog, IDOK);
        });
        sendCommand(window, ID_CMD_SELECT_VALUES);
        EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_VALUE_SELECTION});
        expectDataMenus(window, true, true, true);

        sendCommand(window, ID_CMD_GENERATE);
    });
    ASSERT_EQ(ui.documentsOpened.size(), 1u);
    EXPECT_EQ(narrow(readUtf16(ui.documentsOpened[0])),
              "<tr><th>1310</th><th>1550</th></tr>\n"
              "<tr><td>1</td>[3.43|3.51|3.47][2.27|2.25|2.26]</tr>\n");
}

TEST_F(ReportCommands, Zd615DataOpenTheLocationTableAndThenEnableGenerating) {
    const std::u16string sample = copySample(u"zd615.txt");
    run([&](HWND window) {
        load(window, sample);
        expectDataMenus(window, true, true, false);
        ui.dialogScripts.push_back([](HWND dialog) { sendCommand(dialog, IDCANCEL); });
        sendCommand(window, ID_CMD_SELECT_VALUES);
        expectDataMenus(window, true, true, true);
    });
    EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_ZD615_VALUES});
}

TEST_F(ReportCommands, ARenamedLocationShowsInTheTableAndInTheReport) {
    writeUtf16(folder.path() / "cz 113",
               u"**ZD615_VAL_TABLE_LOC_BEG**[**LOC_VAL**]**ZD615_VAL_TABLE_LOC_END**"
               u"**ZD615_VAL_TABLE_BOT_BEG**\n**ZD615_VAL_TABLE_BOT_END**");
    const std::u16string protocol = copySample(u"zd615.opr");
    std::vector<std::u16string> shownLocations;
    run([&](HWND window) {
        commandWithFile(window, ID_CMD_OPEN, protocol);
        ui.dialogScripts.push_back([&](HWND table) {
            ui.dialogScripts.push_back([](HWND renaming) {
                typeInto(renaming, IDC_FIRST_LOCATION_NAME + 2, u"Sklep & půda");
                sendCommand(renaming, IDOK);
            });
            sendCommand(table, IDC_RENAME_LOCATIONS);
            const HWND list = GetDlgItem(table, IDC_LOCATION_TABLE);
            for (LRESULT row = 0; row < SendMessageW(list, LVM_GETITEMCOUNT, 0, 0); ++row) {
                wchar_t text[64]{};
                LVITEMW request{};
                request.iSubItem = 4;
                request.pszText = text;
                request.cchTextMax = 64;
                SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(&request));
                if (store->locationRecords[row].selected) shownLocations.emplace_back(utf16(text));
            }
            sendCommand(table, IDOK);
        });
        sendCommand(window, ID_CMD_SELECT_VALUES);
        sendCommand(window, ID_CMD_GENERATE);
    });
    EXPECT_EQ(ui.dialogsOpened, (std::vector<int>{IDD_ZD615_VALUES, IDD_LOCATION_RENAMING}));
    EXPECT_EQ(std::count(shownLocations.begin(), shownLocations.end(), u"Sklep & půda"),
              std::count_if(store->locationRecords.begin(),
                            store->locationRecords.begin() + store->recordCount,
                            [](const LocationRecord& r) { return r.selected && r.location == 3; }));
    ASSERT_EQ(ui.documentsOpened.size(), 1u);
    // The sample stores each OLT/ONT group together, so the report's rows
    // (one table per group) come in the table's order, each location shown
    // as the table showed it, the name escaped.
    std::u16string expected;
    for (std::u16string location : shownLocations) {
        if (location == u"Sklep & půda") location = u"Sklep &amp; půda";
        expected += u"[" + location + u"]";
    }
    std::u16string report = readUtf16(ui.documentsOpened[0]);
    std::erase(report, u'\n');
    EXPECT_EQ(narrow(report), narrow(expected));
    EXPECT_NE(expected.find(u"Sklep &amp; půda"), std::u16string::npos);
}

}  // namespace
