// The limit-set editor (dialog 131) from the real resources, driven by the
// messages its tabs, boxes and buttons send.
#include "selection/limit_editor_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/configuration.h"
#include "core/measurement_store.h"
#include "core/number_text.h"
#include "gui_support.h"
#include "language/language_table.h"
#include "program_fixture.h"
#include "resources/resource_ids.h"
#include "selection/limit_sets.h"
#include "simulator.h"

namespace {

namespace fs = std::filesystem;

const std::u16string CZ = u"cz";
const std::u16string LIMIT_FILE_TYPE = u"Limit files (*.thre)|*.thre|";
constexpr int TABS = 15;
// A COM port that no machine has: opening it fails without touching a device.
constexpr std::uint32_t NO_SUCH_PORT = 59999;

using Texts = std::vector<std::u16string>;

std::string bytesOf(const LimitSetTable& table) {
    return std::string(reinterpret_cast<const char*>(table.data()), sizeof table);
}

std::string nameOf(const LimitSet& set) { return std::string(std::begin(set.name), std::end(set.name)); }

// Keystrokes as the box gets them: whatever it holds is replaced.
void typeKeys(HWND dialog, int box, std::u16string_view keys) {
    const HWND edit = GetDlgItem(dialog, box);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const char16_t key : keys) SendMessageW(edit, WM_CHAR, key, 0);
}

void chooseTab(HWND dialog, int tab) {
    SendDlgItemMessageW(dialog, IDC_LIMIT_TABS, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    NMHDR header{GetDlgItem(dialog, IDC_LIMIT_TABS), IDC_LIMIT_TABS, TCN_SELCHANGE};
    SendMessageW(dialog, WM_NOTIFY, IDC_LIMIT_TABS, reinterpret_cast<LPARAM>(&header));
}

int currentTab(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageW(dialog, IDC_LIMIT_TABS, TCM_GETCURSEL, 0, 0));
}

Texts tabLabels(HWND dialog) {
    Texts labels;
    const LRESULT count = SendDlgItemMessageW(dialog, IDC_LIMIT_TABS, TCM_GETITEMCOUNT, 0, 0);
    for (LRESULT tab = 0; tab < count; ++tab) {
        wchar_t text[64]{};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendDlgItemMessageW(dialog, IDC_LIMIT_TABS, TCM_GETITEMW, static_cast<WPARAM>(tab),
                            reinterpret_cast<LPARAM>(&item));
        labels.emplace_back(utf16(text));
    }
    return labels;
}

Texts thresholdBoxes(HWND dialog) {
    Texts texts;
    for (int box = IDC_LIMIT_PASS_1310; box <= IDC_LIMIT_FAIL_1550; ++box) texts.push_back(textOf(dialog, box));
    return texts;
}

// Labels of a table whose sets have no names: their numbers.
Texts numberLabels() {
    Texts labels;
    for (int set = 1; set <= TABS; ++set) labels.push_back(asciiToU16(std::to_string(set)));
    return labels;
}

void setThreshold(LimitSet& set, std::size_t index, std::uint8_t high, std::uint8_t low) {
    set.thresholds[2 * index] = high;
    set.thresholds[2 * index + 1] = low;
}

class LimitEditorDialog : public testing::Test {
protected:
    ScratchFolder folder;
    UiRecorder ui;
    std::unique_ptr<MeasurementStore> store = makeStore();

    void SetUp() override {
        std::u16string entries = numberedEntries(CZ);
        const std::u16string entry139 = u"139-" + numbered(CZ, 139);
        entries.replace(entries.find(entry139), entry139.size(), u"139-" + LIMIT_FILE_TYPE);
        writeLanguageFile("czech.lng", entries);
        ASSERT_TRUE(loadLanguageFile(store->language, "czech.lng"));
        // The sets in force: one decimal throughout, so that showing them changes nothing.
        LimitSetTable& sets = store->activeLimitSets;
        storeSetName(sets[1], u"FIRST");
        storeThreshold(sets[1], 0, u"-8.5");
        storeThreshold(sets[1], 8, u"3");
        storeSetName(sets[3], u"KLIENT A");
        storeThreshold(sets[3], 4, u"-27");
        sets[0].name[0] = 'Z';  // set 0 is never shown but always kept
    }

    INT_PTR run(DialogScript script) {
        ui.dialogScripts.push_back(std::move(script));
        const INT_PTR result = runLimitEditorDialog(nullptr, *store);
        EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_LIMIT_EDITOR});
        ui.dialogsOpened.clear();
        return result;
    }

    Texts expectedLabels() const {
        Texts labels = numberLabels();
        labels[0] = u"FIRST(1)";
        labels[2] = u"KLIENT A(3)";
        return labels;
    }

    // Error boxes, each as {text, caption}, in this order.
    void expectErrors(std::initializer_list<std::pair<int, int>> texts) {
        ASSERT_EQ(ui.messages.size(), texts.size());
        std::size_t index = 0;
        for (const auto& [text, caption] : texts) {
            const RecordedMessage& message = ui.messages[index++];
            EXPECT_EQ(narrow(message.text), narrow(numbered(CZ, text)));
            EXPECT_EQ(narrow(message.caption), narrow(numbered(CZ, caption)));
            EXPECT_EQ(message.icon(), UINT{MB_ICONERROR});
        }
    }

    std::u16string inFolder(std::u16string_view name) const {
        return (folder.path() / fs::path(name)).u16string();
    }
};

TEST_F(LimitEditorDialog, OpensTranslatedWithFifteenTabsOnSetOne) {
    run([&](HWND dialog) {
        EXPECT_EQ(windowText(dialog), numbered(CZ, 119));
        const std::pair<int, int> texts[] = {
            {IDC_LIMIT_LABEL_NAME, 120},       {IDC_LIMIT_LABEL_PASS, 106},
            {IDC_LIMIT_LABEL_WARNING, 107},    {IDC_LIMIT_LABEL_FAIL, 108},
            {IDC_LIMIT_READ_INSTRUMENT, 121},  {IDC_LIMIT_WRITE_INSTRUMENT, 122},
            {IDC_LIMIT_LOAD_FILE, 137},        {IDC_LIMIT_SAVE_FILE, 138},
            {IDOK, 70},                        {IDCANCEL, 54},
        };
        for (const auto& [control, entry] : texts) {
            EXPECT_EQ(textOf(dialog, control), numbered(CZ, entry)) << control;
        }
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_LABEL_1310), u"1310nm");
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_LABEL_1550), u"1550nm");

        EXPECT_EQ(tabLabels(dialog), expectedLabels());
        EXPECT_EQ(currentTab(dialog), 0);
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_SET_NAME), u"FIRST");
        EXPECT_EQ(thresholdBoxes(dialog),
                  (Texts{u"-8.5", u"0.0", u"0.0", u"0.0", u"0.0", u"0.0", u"0.0", u"0.0", u"3.0"}));
        const HWND name = GetDlgItem(dialog, IDC_LIMIT_SET_NAME);
        EXPECT_EQ(SendMessageW(name, EM_GETLIMITTEXT, 0, 0), 12);
        EXPECT_TRUE(GetWindowLongW(name, GWL_STYLE) & ES_UPPERCASE);
        // The working copy is the sets in force; showing set 1 changed nothing.
        EXPECT_EQ(bytesOf(store->editedLimitSets), bytesOf(store->activeLimitSets));
    });
}

TEST_F(LimitEditorDialog, ATypedThresholdKeepsOneDecimalAndIsShownAgainAfterATabChange) {
    setThreshold(store->activeLimitSets[2], 0, 0x04, 0xD2);  // 12.34 dBm as the instrument may send it
    const std::string before = bytesOf(store->activeLimitSets);
    const INT_PTR result = run([&](HWND dialog) {
        typeKeys(dialog, IDC_LIMIT_WARNING_1490, u"-12.37");
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_WARNING_1490), u"-12.3");
        EXPECT_EQ(store->editedLimitSets[1].thresholds[8], 0x84);
        EXPECT_EQ(store->editedLimitSets[1].thresholds[9], 0xCE);

        chooseTab(dialog, 1);
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_SET_NAME), u"");
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_PASS_1310), u"12.3");
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_WARNING_1490), u"0.0");
        // What set 2 shows is what it now holds.
        EXPECT_EQ(store->editedLimitSets[2].thresholds[0], 0x04);
        EXPECT_EQ(store->editedLimitSets[2].thresholds[1], 0xCE);

        chooseTab(dialog, 0);
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_SET_NAME), u"FIRST");
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_WARNING_1490), u"-12.3");
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_PASS_1310), u"-8.5");
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(bytesOf(store->activeLimitSets), before);
}

TEST_F(LimitEditorDialog, TypedTextsAreCleanedAsTheyAreTyped) {
    struct Case {
        int box;
        std::u16string_view keys;
        std::u16string_view shown;
        std::size_t byte;  // of set 1
        std::string stored;
    };
    const Case cases[] = {
        {IDC_LIMIT_SET_NAME, u"klient-1", u"KLIENT1", 0, "KLIENT1     "},
        {IDC_LIMIT_SET_NAME, u"a b_c", u"A BC", 0, "A BC        "},
        {IDC_LIMIT_PASS_1310, u"1x2", u"12", 12, "\x04\xB0"},
        {IDC_LIMIT_PASS_1310, u"5.", u"5.", 12, "\x01\xF4"},
        {IDC_LIMIT_FAIL_1310, u".", u".", 16, std::string("\0\0", 2)},
        {IDC_LIMIT_FAIL_1550, u"abc", u"", 28, std::string("\0\0", 2)},
        {IDC_LIMIT_FAIL_1550, u"400", u"400", 28, "\x7F\xFF"},  // clamped to 327.67 dBm
        {IDC_LIMIT_FAIL_1550, u"-400", u"-400", 28, "\xFF\xFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.keys));
        run([&](HWND dialog) {
            typeKeys(dialog, c.box, c.keys);
            EXPECT_EQ(textOf(dialog, c.box), c.shown);
            const auto* set = reinterpret_cast<const char*>(&store->editedLimitSets[1]);
            EXPECT_EQ(std::string(set + c.byte, c.stored.size()), c.stored);
            if (c.box == IDC_LIMIT_SET_NAME) {
                EXPECT_EQ(tabLabels(dialog)[0], std::u16string(c.shown) + u"(1)");
            }
        });
    }
}

TEST_F(LimitEditorDialog, OkPutsTheEditedSetsIntoForceAndCancelDiscardsThem) {
    const LimitSetTable inForce = store->activeLimitSets;
    for (const int button : {IDOK, IDCANCEL}) {
        SCOPED_TRACE(button);
        store->activeLimitSets = inForce;
        const std::string before = bytesOf(inForce);
        std::string edited;
        const INT_PTR result = run([&](HWND dialog) {
            typeKeys(dialog, IDC_LIMIT_SET_NAME, u"GPON");
            typeKeys(dialog, IDC_LIMIT_PASS_1490, u"-24");
            edited = bytesOf(store->editedLimitSets);
            sendCommand(dialog, button);
        });
        EXPECT_EQ(result, button);
        EXPECT_NE(edited, before);
        EXPECT_EQ(bytesOf(store->activeLimitSets), button == IDOK ? edited : before);
        EXPECT_EQ(nameOf(store->activeLimitSets[1]), button == IDOK ? "GPON        " : "FIRST       ");
    }
}

TEST_F(LimitEditorDialog, LoadingAShortFileReplacesItsLeadingBytesAndShowsSetOneAgain) {
    // Sets 0 to 2 and four bytes of set 3, of sets that show as they stand.
    LimitSetTable fileSets{};
    storeSetName(fileSets[1], u"FROM FILE");
    storeThreshold(fileSets[1], 2, u"-30");
    storeSetName(fileSets[2], u"SECOND");
    storeSetName(fileSets[3], u"THIRD");
    const std::string file = bytesOf(fileSets).substr(0, 100);
    std::ofstream("short.thre", std::ios::binary) << file;

    std::string expected;
    const INT_PTR result = run([&](HWND dialog) {
        chooseTab(dialog, 4);
        std::string before = bytesOf(store->editedLimitSets);
        ui.fileChoices.push_back(inFolder(u"short.thre"));
        sendCommand(dialog, IDC_LIMIT_LOAD_FILE);
        expected = before.replace(0, file.size(), file);
        EXPECT_EQ(bytesOf(store->editedLimitSets), expected);
        EXPECT_EQ(currentTab(dialog), 0);
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_SET_NAME), u"FROM FILE");
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_FAIL_1310), u"-30.0");
        Texts labels = numberLabels();
        labels[0] = u"FROM FILE(1)";
        labels[1] = u"SECOND(2)";
        labels[2] = u"THIRNT A(3)";  // "THIR" from the file, the rest of "KLIENT A" kept
        EXPECT_EQ(tabLabels(dialog), labels);
        sendCommand(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(bytesOf(store->activeLimitSets), expected);
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    const RecordedFileDialog& dialog = ui.fileDialogs[0];
    EXPECT_FALSE(dialog.save);
    EXPECT_EQ(dialog.filter, (Texts{u"Limit files (*.thre)", u"*.thre"}));
    EXPECT_EQ(dialog.defaultExtension, u"thre");
    EXPECT_EQ(dialog.initialName, u"*.thre");
    EXPECT_EQ(dialog.flags, DWORD{OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST |
                                  OFN_FILEMUSTEXIST});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LimitEditorDialog, AFileThatCannotBeReadOrACancelledDialogChangesNothing) {
    const std::string before = bytesOf(store->activeLimitSets);
    run([&](HWND dialog) {
        ui.fileChoices.push_back(inFolder(u"missing.thre"));
        sendCommand(dialog, IDC_LIMIT_LOAD_FILE);
        ui.fileChoices.push_back(std::nullopt);
        sendCommand(dialog, IDC_LIMIT_LOAD_FILE);
        EXPECT_EQ(bytesOf(store->editedLimitSets), before);
        EXPECT_EQ(tabLabels(dialog), expectedLabels());
    });
    EXPECT_EQ(ui.fileDialogs.size(), 2u);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LimitEditorDialog, SavingWritesTheWorkingCopyAsA512ByteFile) {
    run([&](HWND dialog) {
        typeKeys(dialog, IDC_LIMIT_FAIL_1550, u"5");
        ui.fileChoices.push_back(inFolder(u"saved.thre"));
        sendCommand(dialog, IDC_LIMIT_SAVE_FILE);
        const std::vector<unsigned char> saved = fileBytes("saved.thre");
        ASSERT_EQ(saved.size(), 512u);
        EXPECT_EQ(std::string(saved.begin(), saved.end()), bytesOf(store->editedLimitSets));
        EXPECT_EQ(std::memcmp(saved.data(), &store->activeLimitSets[0], 32), 0);  // set 0 as it was
        EXPECT_EQ(saved[32 + 29], 0xF4);  // the 5 typed
        sendCommand(dialog, IDCANCEL);
    });
    ASSERT_EQ(ui.fileDialogs.size(), 1u);
    EXPECT_TRUE(ui.fileDialogs[0].save);
    EXPECT_EQ(ui.fileDialogs[0].filter, (Texts{u"Limit files (*.thre)", u"*.thre"}));
    EXPECT_EQ(ui.fileDialogs[0].defaultExtension, u"thre");
    EXPECT_EQ(ui.fileDialogs[0].initialName, u"*.thre");
    // An existing file is replaced without a question.
    EXPECT_EQ(ui.fileDialogs[0].flags, DWORD{OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR});
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LimitEditorDialog, AFailedSaveSaysSoAndKeepsThePreviousFile) {
    std::ofstream("kept.thre", std::ios::binary) << "previous";
    const DWORD attributes = GetFileAttributesW(L"kept.thre");
    SetFileAttributesW(L"kept.thre", attributes | FILE_ATTRIBUTE_READONLY);
    run([&](HWND dialog) {
        ui.fileChoices.push_back(inFolder(u"kept.thre"));
        sendCommand(dialog, IDC_LIMIT_SAVE_FILE);
        ui.fileChoices.push_back(inFolder(u"no folder\\saved.thre"));
        sendCommand(dialog, IDC_LIMIT_SAVE_FILE);
        ui.fileChoices.push_back(std::nullopt);
        sendCommand(dialog, IDC_LIMIT_SAVE_FILE);
    });
    SetFileAttributesW(L"kept.thre", attributes);
    expectErrors({{83, 73}, {83, 73}});
    const std::vector<unsigned char> kept = fileBytes("kept.thre");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "previous");
}

TEST_F(LimitEditorDialog, APortThatCannotBeOpenedFailsBothTransfers) {
    store->configuration.portNumber = NO_SUCH_PORT;
    std::memcpy(store->activeLimitSets[5].name, "abc-1       ", 12);  // as a file may hold it
    const std::string before = bytesOf(store->activeLimitSets);
    run([&](HWND dialog) {
        EXPECT_EQ(tabLabels(dialog)[4], u"abc-1(5)");
        sendCommand(dialog, IDC_LIMIT_READ_INSTRUMENT);
        expectErrors({{76, 73}, {123, 73}});
        EXPECT_EQ(bytesOf(store->editedLimitSets), before);

        ui.messages.clear();
        sendCommand(dialog, IDC_LIMIT_WRITE_INSTRUMENT);
        expectErrors({{76, 73}, {126, 73}});
        // Cleaned for sending all the same, and shown so.
        EXPECT_EQ(nameOf(store->editedLimitSets[5]), "ABC 1       ");
        EXPECT_EQ(store->editedLimitSets[5].lineEnd[0], 0x0A);
        EXPECT_EQ(store->editedLimitSets[5].lineEnd[1], 0x0D);
        EXPECT_EQ(tabLabels(dialog)[4], u"ABC 1(5)");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_LIMIT_PROGRESS, PBM_GETPOS, 0, 0), 0);
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(bytesOf(store->activeLimitSets), before);
}

// The editor's read and write buttons against the instrument simulator on COM1.
class LimitEditorWithInstrument : public LimitEditorDialog {
protected:
    Simulator instrument{"com1"};
    std::size_t earlierRequests = 0;

    void SetUp() override {
        LimitEditorDialog::SetUp();
        setDefaultConfiguration(store->configuration);
        store->configuration.portNumber = 0;  // COM1
        // As a file or an older instrument may hold it: the write cleans it.
        std::memcpy(store->activeLimitSets[5].name, "abc-1       ", 12);
        earlierRequests = instrument.requests().size();
    }

    // A fresh file for the simulator's --received option; its Linux path.
    static std::string receivedFile(const std::string& name) {
        const std::string path = Simulator::folder() + "/" + name;
        std::error_code ignored;
        fs::remove(Simulator::here(path), ignored);
        return path;
    }

    // The bytes of a limit-set write once the simulator has stored them.
    static std::string awaitReceived(const std::string& path) {
        const fs::path file = Simulator::here(path);
        processMessagesUntil([&] { return fs::exists(file); }, 5000);
        const std::vector<unsigned char> bytes = fileBytes(file);
        return std::string(bytes.begin(), bytes.end());
    }

    // What goes on the wire for each set of a table: its first 30 bytes.
    static std::string wireBytes(const LimitSetTable& table) {
        std::string bytes;
        for (int set = 1; set <= TABS; ++set) bytes += bytesOf(table).substr(32 * set, 30);
        return bytes;
    }
};

TEST_F(LimitEditorWithInstrument, ReadFillsSetsOneToFifteenAndOkPutsThemIntoForce) {
    // Every set named and valued differently, one decimal throughout so that
    // showing a set writes back what it holds.
    LimitSetTable fileSets{};
    storeSetName(fileSets[0], u"NEVER SENT");
    for (int set = 1; set <= TABS; ++set) {
        storeSetName(fileSets[set], u"SET " + asciiToU16(std::to_string(set)));
        for (std::size_t i = 0; i < THRESHOLDS_PER_SET; ++i) {
            storeThreshold(fileSets[set], i, asciiToU16(std::to_string(-set) + "." + std::to_string(i)));
        }
        fileSets[set].lineEnd[0] = 0x0A;
        fileSets[set].lineEnd[1] = 0x0D;
    }
    const std::string file = bytesOf(fileSets);
    instrument.serve({"--limits", Simulator::writeFile("limits.thre", file)});
    std::string expected = bytesOf(store->activeLimitSets);
    expected.replace(32, 480, file.substr(32));  // set 0 stays as it is at home
    ASSERT_NE(expected, bytesOf(store->activeLimitSets));

    const INT_PTR result = run([&](HWND dialog) {
        chooseTab(dialog, 6);
        sendCommand(dialog, IDC_LIMIT_READ_INSTRUMENT);
        EXPECT_EQ(bytesOf(store->editedLimitSets), expected);
        EXPECT_NE(bytesOf(store->activeLimitSets), expected);  // in force only after OK
        Texts labels;
        for (int set = 1; set <= TABS; ++set) {
            labels.push_back(asciiToU16("SET " + std::to_string(set) + "(" + std::to_string(set) + ")"));
        }
        EXPECT_EQ(tabLabels(dialog), labels);
        EXPECT_EQ(currentTab(dialog), 0);
        EXPECT_EQ(textOf(dialog, IDC_LIMIT_SET_NAME), u"SET 1");
        EXPECT_EQ(thresholdBoxes(dialog), (Texts{u"-1.0", u"-1.1", u"-1.2", u"-1.3", u"-1.4", u"-1.5", u"-1.6",
                                                 u"-1.7", u"-1.8"}));
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_LIMIT_PROGRESS, PBM_GETPOS, 0, 0), 0);
        sendCommand(dialog, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(bytesOf(store->activeLimitSets), expected);
    EXPECT_EQ(instrument.requestBytes(earlierRequests), "t");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(narrow(ui.messages[0].text), narrow(numbered(CZ, 124)));
    EXPECT_EQ(narrow(ui.messages[0].caption), narrow(numbered(CZ, 125)));
    EXPECT_EQ(ui.messages[0].icon(), UINT{MB_ICONINFORMATION});
}

TEST_F(LimitEditorWithInstrument, WriteSendsTheCleanedSetsAndSaysSo) {
    const std::string received = receivedFile("written.bin");
    instrument.serve({"--received", received});
    std::string sent;
    run([&](HWND dialog) {
        sendCommand(dialog, IDC_LIMIT_WRITE_INSTRUMENT);
        sent = awaitReceived(received);
        EXPECT_EQ(tabLabels(dialog)[4], u"ABC 1(5)");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_LIMIT_PROGRESS, PBM_GETPOS, 0, 0), 0);
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(nameOf(store->editedLimitSets[5]), "ABC 1       ");
    ASSERT_EQ(sent.size(), 450u);
    EXPECT_EQ(sent, wireBytes(store->editedLimitSets));
    EXPECT_EQ(sent.substr(4 * 30, 12), "ABC 1       ");  // the instrument gets the cleaned name
    EXPECT_EQ(sent.substr(0, 12), "FIRST       ");
    EXPECT_EQ(sent.substr(2 * 30, 12), "KLIENT A    ");
    EXPECT_EQ(instrument.requestBytes(earlierRequests), "$");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(narrow(ui.messages[0].text), narrow(numbered(CZ, 127)));
    EXPECT_EQ(narrow(ui.messages[0].caption), narrow(numbered(CZ, 125)));
    EXPECT_EQ(ui.messages[0].icon(), UINT{MB_ICONINFORMATION});
}

TEST_F(LimitEditorWithInstrument, AWriteWhoseAcknowledgementsStopFailsAndKeepsTheCleanedNames) {
    const std::string received = receivedFile("cut-short.bin");
    instrument.serve({"--received", received, "--ack-stop-after", "40"});
    const std::string before = bytesOf(store->activeLimitSets);
    std::string sent;
    run([&](HWND dialog) {
        sendCommand(dialog, IDC_LIMIT_WRITE_INSTRUMENT);
        expectErrors({{126, 73}});
        EXPECT_EQ(nameOf(store->editedLimitSets[5]), "ABC 1       ");
        EXPECT_EQ(tabLabels(dialog)[4], u"ABC 1(5)");
        EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_LIMIT_PROGRESS, PBM_GETPOS, 0, 0), 0);
        sent = awaitReceived(received);
        sendCommand(dialog, IDCANCEL);
    });
    EXPECT_EQ(bytesOf(store->activeLimitSets), before);
    // Each byte waits for its acknowledgement. 40 of them (one for "$", one a
    // byte, three after byte 30) let bytes 1 to 38 go; 38 is never acknowledged.
    EXPECT_EQ(sent.size(), 38u);
    EXPECT_EQ(sent, wireBytes(store->editedLimitSets).substr(0, sent.size()));
}

// An instrument that goes away in the middle (its line hangs up) or sends half
// its answer: each transfer fails with its message, at once, the sets read
// stay as they were, and the instrument back on is read again.
TEST_F(LimitEditorWithInstrument, TransfersCutShortFailWithTheirMessages) {
    struct Case {
        const char* name;
        int button;
        std::vector<std::string> faults;
        int message;
    };
    const Case cases[] = {
        {"read, line hangs up after 200 bytes", IDC_LIMIT_READ_INSTRUMENT, {"--close-after", "200"}, 123},
        {"read, half the answer", IDC_LIMIT_READ_INSTRUMENT, {"--stop-after", "240"}, 123},
        {"write, line hangs up after 100 acknowledgements", IDC_LIMIT_WRITE_INSTRUMENT, {"--close-after", "100"},
         126},
    };
    std::string file(512, '\0');
    for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>('A' + i % 23 + i / 32);
    const std::string limits = Simulator::writeFile("limits.thre", file);
    run([&](HWND dialog) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            std::vector<std::string> options = {"--limits", limits};
            options.insert(options.end(), c.faults.begin(), c.faults.end());
            instrument.serve(options);
            ui.messages.clear();
            const std::string before = bytesOf(store->editedLimitSets);
            sendCommand(dialog, c.button);
            expectErrors({{c.message, 73}});
            if (c.button == IDC_LIMIT_READ_INSTRUMENT) {
                EXPECT_EQ(bytesOf(store->editedLimitSets), before);
            }
            EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_LIMIT_PROGRESS, PBM_GETPOS, 0, 0), 0);
        }
        instrument.serve({"--limits", limits});
        ui.messages.clear();
        sendCommand(dialog, IDC_LIMIT_READ_INSTRUMENT);
        // Set 1 is shown, and so cleaned as shown; the others hold what came.
        EXPECT_EQ(bytesOf(store->editedLimitSets).substr(64), file.substr(64));
        sendCommand(dialog, IDCANCEL);
    });
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(narrow(ui.messages[0].text), narrow(numbered(CZ, 124)));
}

class LimitEditorCommand : public ProgramTest {};

TEST_F(LimitEditorCommand, ShowEditLimitsRunsTheEditor) {
    run([&](HWND window) {
        ui.dialogScripts.push_back([](HWND editor) {
            EXPECT_EQ(windowText(editor), numbered(CZ, 119));
            typeKeys(editor, IDC_LIMIT_SET_NAME, u"NEW");
            sendCommand(editor, IDOK);
        });
        sendCommand(window, ID_CMD_LIMITS);
        EXPECT_EQ(ui.dialogsOpened, std::vector<int>{IDD_LIMIT_EDITOR});
    });
    EXPECT_EQ(nameOf(store->activeLimitSets[1]), "NEW         ");
}

}  // namespace
