// The main window from resource 109, driven by messages inside its own
// modal loop, with message boxes and nested dialogs answered by recorders.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "core/configuration.h"
#include "core/fixed_text.h"
#include "core/win32/main_window.h"
#include "core/measurement_store.h"
#include "gui_support.h"
#include "program_fixture.h"
#include "language/translation.h"
#include "resources/resource_ids.h"

namespace {

const std::u16string CZ = u"cz";

INT_PTR runProgram(MeasurementStore& store, DialogScript script) {
    return runScripted([&store] { return runMainWindow(GetModuleHandleW(nullptr), store); },
                       std::move(script));
}

void setWavelengths(WavelengthTable& table,
                    std::initializer_list<std::pair<std::int32_t, double>> entries) {
    std::size_t slot = 0;
    for (const auto& [wavelength, dbPerKm] : entries) table[slot++] = {wavelength, 0, dbPerKm};
}

// ---------------------------------------------------------------- start-up

class StartUp : public testing::Test {
protected:
    ScratchFolder folder;
    UiRecorder ui;
    std::unique_ptr<MeasurementStore> store = makeStore();
};

TEST_F(StartUp, FirstStartInAnEmptyFolderWritesDefaultsAndStopsWithoutLanguageFile) {
    const INT_PTR result = runProgram(*store, [](HWND) { ADD_FAILURE() << "window opened"; });

    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, u"Default configuration file has been created.");
    EXPECT_EQ(ui.messages[0].caption, u"Cfg. file");
    EXPECT_EQ(ui.messages[0].icon(), MB_ICONINFORMATION);
    EXPECT_EQ(ui.messages[1].text, u"Error loading czech.lng language file!");
    EXPECT_EQ(ui.messages[1].caption, u"ERROR!");
    EXPECT_EQ(ui.messages[1].icon(), MB_ICONERROR);

    const auto bytes = fileBytes("Kalivera.cfg");
    ASSERT_EQ(bytes.size(), 7776u);
    const std::vector<unsigned char> tail(bytes.end() - 8, bytes.end());
    EXPECT_EQ(tail, (std::vector<unsigned char>{0x34, 0x12, 0x55, 0xAA, 0, 0, 0, 0}));
}

TEST_F(StartUp, FirstStartWithTheLanguageFileOpensTheWindowAfterOneMessage) {
    writeLanguageFile("czech.lng", numberedEntries(CZ));
    bool opened = false;
    const INT_PTR result = runProgram(*store, [&](HWND window) {
        opened = true;
        EXPECT_EQ(windowText(window), numbered(CZ, 1));
        sendCommand(window, ID_CMD_EXIT);
    });

    EXPECT_TRUE(opened);
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, u"Cfg. file");
    EXPECT_EQ(readConfiguration().baudIndex, 6u);
}

TEST_F(StartUp, ConfiguredLanguageFileMissingEndsTheProgram) {
    writeLanguageFile("czech.lng", numberedEntries(CZ));
    writeConfiguration([](Configuration& c) { setSlotText(c.languageFile, u"klingon.lng"); });

    const INT_PTR result = runProgram(*store, [](HWND) { ADD_FAILURE() << "window opened"; });

    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, u"Error loading klingon.lng language file!");
    EXPECT_EQ(ui.messages[0].caption, u"ERROR!");
    EXPECT_EQ(ui.messages[0].icon(), MB_ICONERROR);
}

TEST_F(StartUp, DamagedLanguageFileNameEndsTheProgramWithItsMessage) {
    const std::u16string damaged = std::u16string(u"cz") + char16_t(0xD800) + u".lng";
    writeConfiguration([&](Configuration& c) { setSlotText(c.languageFile, damaged); });

    const INT_PTR result = runProgram(*store, [](HWND) { ADD_FAILURE() << "window opened"; });

    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, u"Error loading " + damaged + u" language file!");
}

TEST_F(StartUp, ShortConfigurationFileIsReplacedByDefaults) {
    writeLanguageFile("czech.lng", numberedEntries(CZ));
    writeConfiguration([](Configuration& c) { c.portNumber = 3; });
    std::filesystem::resize_file("Kalivera.cfg", 7775);

    runProgram(*store, [](HWND window) { sendCommand(window, ID_CMD_EXIT); });

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, u"Default configuration file has been created.");
    EXPECT_EQ(fileBytes("Kalivera.cfg").size(), 7776u);
    EXPECT_EQ(readConfiguration().portNumber, 0u);
}

// ---------------------------------------------------------------- the running window

class MainWindow : public ProgramTest {};

struct LabelEntry {
    int control;
    int entry;
};

// The labels and their language entries, written out independently of the
// program's own table.
constexpr LabelEntry LABELS[] = {
    {1051, 2},  {1052, 3},  {1053, 4},  {1054, 5},  {1055, 6},  {1007, 7},  {1008, 8},
    {1056, 9},  {1057, 10}, {1058, 11}, {1059, 12}, {1060, 13}, {1061, 14}, {1062, 15},
    {1063, 16}, {1064, 17}, {1065, 18}, {1066, 19},
};

struct MenuEntry {
    UINT item;
    bool byPosition;
    int entry;
    bool grey;  // at start
};

constexpr MenuEntry MENU[] = {
    {0, true, 20, false},      {40004, false, 26, false}, {57601, false, 27, false},
    {40006, false, 28, false}, {40007, false, 29, false}, {40023, false, 30, true},
    {40001, false, 31, false}, {1, true, 21, false},      {40009, false, 32, false},
    {40008, false, 33, false}, {2, true, 22, false},      {40018, false, 34, true},
    {40027, false, 116, false}, {3, true, 23, true},      {40016, false, 35, false},
    {4, true, 24, false},      {40003, false, 36, false}, {40024, false, 37, false},
    {40017, false, 38, false}, {5, true, 25, false},      {40002, false, 39, false},
    {40029, false, 141, false},
};

TEST_F(MainWindow, ShowsTheLanguageFileTextsInCaptionLabelsAndMenu) {
    run([](HWND window) {
        EXPECT_EQ(windowText(window), numbered(CZ, 1));
        for (const LabelEntry& label : LABELS) {
            EXPECT_EQ(textOf(window, label.control), numbered(CZ, label.entry)) << label.control;
        }
        for (const MenuEntry& item : MENU) {
            EXPECT_EQ(menuText(window, item.item, item.byPosition), numbered(CZ, item.entry))
                << item.item;
            EXPECT_EQ(menuGrey(window, item.item, item.byPosition), item.grey) << item.item;
        }
    });
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindow, NumberDisplayModeShowsTheEntryNumbers) {
    writeLanguageFile("czech.lng",
                      u"999-\r\n1-Kalivera\r\n3-Měřil:\r\n26-Nový protokol...\r\n20-Soubor\r\n");
    run([](HWND window) {
        EXPECT_EQ(windowText(window), u"Kalivera(1)");
        EXPECT_EQ(textOf(window, IDC_LABEL_MEASURED_BY), u"Měřil:(3)");
        EXPECT_EQ(menuText(window, ID_CMD_NEW, false), u"Nový protokol...(26)");
        EXPECT_EQ(menuText(window, 0, true), u"Soubor(20)");
        EXPECT_EQ(menuText(window, ID_CMD_EXIT, false), u"TRANSLATE IT!!!(31)");
    });
}

constexpr int LOSS_BUDGET_CONTROLS[] = {1008, 1009, 1056, 1010, 1058, 1033, 1059, 1015,
                                        1060, 1016, 1061, 1017, 1062, 1018, 1063, 1019,
                                        1064, 1020, 1065, 1049, 1099, 1066, 1050};
constexpr int ALWAYS_SHOWN_CONTROLS[] = {1051, 1052, 1030, 1053, 1029, 1054, 1031, 1055,
                                         1005, 1007, 1006, 1057, 1012, 1086};

TEST_F(MainWindow, LossBudgetControlsAreShownOnlyForALossMeter) {
    auto& data = *store;
    run([&data](HWND window) {
        for (const auto& [kind, shown] : {std::pair{KIND_NONE, false}, std::pair{KIND_LOSS_METER, true},
                                          std::pair{KIND_ZD615, false}}) {
            data.instrumentKind = kind;
            translateMainWindow(window, data);
            for (int control : LOSS_BUDGET_CONTROLS) {
                EXPECT_EQ(IsWindowVisible(GetDlgItem(window, control)) != FALSE, shown)
                    << "kind " << kind << ", control " << control;
            }
            for (int control : ALWAYS_SHOWN_CONTROLS) {
                EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, control)))
                    << "kind " << kind << ", control " << control;
            }
        }
    });
}

TEST_F(MainWindow, NewProtocolStartsFromTheDefaultsWithTodaysDate) {
    writeConfiguration([](Configuration& c) {
        setSlotText(c.defaultForm.measuredBy, u"Jan Novák");
        setSlotText(c.defaultForm.date, u"1.1.1999");
        setSlotText(c.defaultForm.instrument, u"OTDR 4711");  // not kept by the configuration
        setSlotText(c.defaultForm.fibreLength, u"1200");
    });
    ui.localTime = {2012, 3, 1, 5, 8, 0, 0, 0};
    auto& data = *store;
    run([&](HWND window) {
        EXPECT_EQ(textOf(window, IDC_DATE), u"5.3.2012");
        EXPECT_EQ(textOf(window, IDC_MEASURED_BY), u"Jan Novák");
        EXPECT_EQ(textOf(window, IDC_FIBRE_LENGTH), u"1200");
        EXPECT_EQ(textOf(window, IDC_INSTRUMENT_TYPE), u"");
        EXPECT_EQ(textOf(window, IDC_INSTRUMENT_SERIAL), u"");
        EXPECT_EQ(slotText(data.protocolForm.date), u"5.3.2012");
        EXPECT_EQ(slotText(data.protocolForm.measuredBy), u"Jan Novák");
        EXPECT_EQ(slotText(data.protocolForm.instrument), u" ");

        // Without data a new protocol needs no question.
        ui.localTime = {2025, 12, 3, 24, 23, 59, 59, 999};
        typeInto(window, IDC_MEASURED_BY, u"Petr");
        sendCommand(window, ID_CMD_NEW);
        EXPECT_EQ(textOf(window, IDC_DATE), u"24.12.2025");
        EXPECT_EQ(textOf(window, IDC_MEASURED_BY), u"Jan Novák");
    });
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindow, NewProtocolWithDataAsksFirstAndTranslatesInEveryCase) {
    auto& data = *store;
    run([&](HWND window) {
        typeInto(window, IDC_MEASURED_BY, u"Petr");
        data.recordCount = 1;

        ui.answers = {IDNO};
        SetWindowTextW(window, L"stale");
        sendCommand(window, ID_CMD_NEW);
        EXPECT_EQ(textOf(window, IDC_MEASURED_BY), u"Petr");
        EXPECT_EQ(data.recordCount, 1u);
        EXPECT_EQ(windowText(window), numbered(CZ, 1));

        ui.answers = {IDYES};
        sendCommand(window, ID_CMD_NEW);
        EXPECT_EQ(textOf(window, IDC_MEASURED_BY), u"");
        EXPECT_EQ(data.recordCount, 0u);
    });
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const RecordedMessage& question : ui.messages) {
        EXPECT_EQ(question.text, numbered(CZ, 89));
        EXPECT_EQ(question.caption, numbered(CZ, 86));
        EXPECT_EQ(question.buttons(), static_cast<UINT>(MB_YESNO));
        EXPECT_EQ(question.icon(), MB_ICONQUESTION);
    }
}

TEST_F(MainWindow, ExitWithoutDataEndsAtOnce) {
    for (int command : {ID_CMD_EXIT, IDCANCEL}) {
        EXPECT_EQ(run([command](HWND window) { sendCommand(window, command); }), IDCANCEL);
    }
    // The window's close button becomes the close request.
    EXPECT_EQ(run([](HWND window) {
                  SendMessageW(window, WM_CLOSE, 0, 0);
                  processPostedMessages();
              }),
              IDCANCEL);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindow, ExitWithDataEndsOnlyOnYes) {
    auto& data = *store;
    const INT_PTR result = run([&](HWND window) {
        data.recordCount = 5;
        ui.answers = {IDNO};
        sendCommand(window, IDCANCEL);
        EXPECT_TRUE(IsWindowVisible(window));
        ui.answers = {IDYES};
        sendCommand(window, ID_CMD_EXIT);
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, numbered(CZ, 91));
    EXPECT_EQ(ui.messages[1].text, numbered(CZ, 91));
}

TEST_F(MainWindow, DataMenusFollowTheStoreAndANewProtocolGreysThem) {
    auto& data = *store;
    run([&](HWND window) {
        struct Case {
            std::uint32_t records;
            std::uint32_t rawText;
            bool selectEnabled;
            bool exportEnabled;
        };
        for (const Case& c : {Case{1, 0, true, false}, Case{1, 120, true, true},
                              Case{0, 120, false, false}}) {
            data.recordCount = c.records;
            data.rawTextLength = c.rawText;
            updateDataMenus(window, data);
            updateGenerateMenu(window, data);
            EXPECT_EQ(menuGrey(window, ID_CMD_SELECT_VALUES, false), !c.selectEnabled);
            EXPECT_EQ(menuGrey(window, ID_CMD_EXPORT_TEXT, false), !c.exportEnabled);
            EXPECT_EQ(menuGrey(window, MENU_POS_GENERATE, true), c.records == 0);
        }

        data.recordCount = 1;
        data.rawTextLength = 120;
        updateDataMenus(window, data);
        updateGenerateMenu(window, data);
        ui.answers = {IDYES};
        sendCommand(window, ID_CMD_NEW);
        EXPECT_TRUE(menuGrey(window, ID_CMD_SELECT_VALUES, false));
        EXPECT_TRUE(menuGrey(window, ID_CMD_EXPORT_TEXT, false));
        EXPECT_TRUE(menuGrey(window, MENU_POS_GENERATE, true));
        EXPECT_EQ(data.rawTextLength, 0u);
    });
}

TEST_F(MainWindow, CsvExportFollowsSelectedReadingsAndTickedRowsThroughBothMenuUpdates) {
    auto& data = *store;
    run([&](HWND window) {
        struct Case {
            std::int32_t kind;
            std::uint32_t state;  // of reading 0
            std::int32_t ticked;  // of location record 0
            bool enabled;
        };
        const Case cases[] = {
            {KIND_LOSS_METER, STATE_LOADED, 1, false}, {KIND_LOSS_METER, STATE_A_TO_B, 0, true},
            {KIND_LOSS_METER, STATE_B_TO_A, 0, true},  {KIND_ZD615, STATE_A_TO_B, 0, false},
            {KIND_ZD615, STATE_LOADED, 1, true},
        };
        data.recordCount = 1;
        for (auto update : {updateDataMenus, updateGenerateMenu}) {
            for (const Case& c : cases) {
                data.instrumentKind = c.kind;
                data.readings[0].state = c.state;
                data.locationRecords[0].selected = c.ticked;
                update(window, data);
                EXPECT_EQ(menuGrey(window, ID_CMD_EXPORT_CSV, false), !c.enabled)
                    << c.kind << ' ' << c.state << ' ' << c.ticked;
            }
        }
        ui.answers = {IDYES};
        sendCommand(window, ID_CMD_NEW);
        EXPECT_TRUE(menuGrey(window, ID_CMD_EXPORT_CSV, false));
    });
}

// Enter in a form field sends IDOK, which is no menu command.
TEST_F(MainWindow, ACommandOutsideTheMenuDoesNothing) {
    auto& data = *store;
    const INT_PTR result = run([&](HWND window) {
        data.recordCount = 1;
        sendCommand(window, IDOK);
        EXPECT_TRUE(IsWindowVisible(window));
    });
    EXPECT_EQ(result, SCRIPT_LEFT_OPEN);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(ui.dialogsOpened.empty());
}

TEST_F(MainWindow, InstrumentIdentityFillsTypeAndSerialAndKeepsTheKindOfTheRecords) {
    struct Case {
        std::int32_t kindBefore;
        std::u16string_view identification;
        std::u16string_view type;
        std::u16string_view serial;
        std::int32_t kindAfter;
    };
    const Case cases[] = {
        {KIND_NONE, u"OLP-55 SN 0815", u"OLP-55", u"SN 0815", KIND_LOSS_METER},
        {KIND_NONE, u"ZD615 12345", u"ZD615", u"12345", KIND_LOSS_METER},
        {KIND_ZD615, u"OLP-55 1", u"OLP-55", u"1", KIND_ZD615},
        {KIND_LOSS_METER, u"", u"", u"", KIND_NONE},
        {KIND_NONE, u"TYPE 0123456789012345678901234567890", u"TYPE",
         u"01234567890123456789012345", KIND_LOSS_METER},
    };
    auto& data = *store;
    run([&](HWND window) {
        for (const Case& c : cases) {
            data.instrumentKind = c.kindBefore;
            showInstrumentIdentity(window, data, c.identification);
            EXPECT_EQ(textOf(window, IDC_INSTRUMENT_TYPE), c.type);
            EXPECT_EQ(textOf(window, IDC_INSTRUMENT_SERIAL), c.serial);
            EXPECT_EQ(data.instrumentKind, c.kindAfter) << narrow(c.identification);

            ProtocolForm form{};
            readForm(window, data, form);
            EXPECT_EQ(slotText(form.instrument), std::u16string(c.type) + u" " + std::u16string(c.serial));
        }
    });
}

// ---------------------------------------------------------------- number fields

// The number fields belong to the loss budget, shown for a loss meter.
void showLossBudget(HWND window, MeasurementStore& store) {
    store.instrumentKind = KIND_LOSS_METER;
    translateMainWindow(window, store);
}

struct FieldText {
    int control;
    std::u16string_view text;
    bool valid;
};

TEST_F(MainWindow, NumberFieldsAreCheckedWhenTheyLoseFocus) {
    const FieldText cases[] = {
        {IDC_FIBRE_LENGTH, u"12,5", false}, {IDC_FIBRE_LENGTH, u"12.5", true},
        {IDC_FIBRE_LENGTH, u"-", true},     {IDC_FIBRE_LENGTH, u"+", true},
        {IDC_FIBRE_LENGTH, u"", true},      {IDC_FIBRE_LENGTH, u"1 000", false},
        {IDC_SPLICE_COUNT, u"x", false},    {IDC_SPLICE_LIMIT, u"0,1", false},
        {IDC_CONNECTOR_COUNT, u"4", true},  {IDC_CONNECTOR_LIMIT, u"0.5e1", false},
        {IDC_SPLITTER_COUNT, u"1a", false}, {IDC_SPLITTER_LIMIT, u"17.2", true},
        {IDC_DB_PER_KM, u"0,35", false},    {IDC_DB_PER_KM, u"0.35", true},
    };
    auto& data = *store;
    run([&](HWND window) {
        showLossBudget(window, data);
        for (const FieldText& field : cases) {
            ui.messages.clear();
            moveFocus(window, field.control);
            typeInto(window, field.control, field.text);
            moveFocus(window, IDC_MEASURED_BY);
            processPostedMessages();

            const std::string context = std::to_string(field.control) + " '" + narrow(field.text) + "'";
            if (field.valid) {
                EXPECT_TRUE(ui.messages.empty()) << context;
                EXPECT_EQ(focusedControl(window), IDC_MEASURED_BY) << context;
            } else {
                ASSERT_EQ(ui.messages.size(), 1u) << context;
                EXPECT_EQ(ui.messages[0].text, numbered(CZ, 93));
                EXPECT_EQ(ui.messages[0].caption, numbered(CZ, 92));
                EXPECT_EQ(ui.messages[0].icon(), MB_ICONERROR);
                EXPECT_EQ(focusedControl(window), field.control) << context;
                EXPECT_EQ(textOf(window, field.control), field.text) << context;
            }
            typeInto(window, field.control, u"");
        }
    });
}

TEST_F(MainWindow, FocusReturnsToTheFieldAfterARealMessageBox) {
    ui.showRealBoxes = true;
    auto& data = *store;
    run([&](HWND window) {
        showLossBudget(window, data);
        moveFocus(window, IDC_FIBRE_LENGTH);
        typeInto(window, IDC_FIBRE_LENGTH, u"12,5");
        moveFocus(window, IDC_SPLICE_COUNT);
        processPostedMessages();
        EXPECT_EQ(GetActiveWindow(), window);
        EXPECT_EQ(focusedControl(window), IDC_FIBRE_LENGTH);
        sendCommand(window, IDCANCEL);
    });
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(MainWindow, OtherFieldsAreNotChecked) {
    run([&](HWND window) {
        for (int control : {IDC_DATE, IDC_ROUTE, IDC_INSTRUMENT_SERIAL}) {
            moveFocus(window, control);
            typeInto(window, control, u"12,5 x");
            moveFocus(window, IDC_MEASURED_BY);
            processPostedMessages();
        }
    });
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindow, TwoInvalidFieldsDoNotBounceTheFocus) {
    auto& data = *store;
    run([&](HWND window) {
        showLossBudget(window, data);
        typeInto(window, IDC_SPLICE_COUNT, u"2,5");
        moveFocus(window, IDC_FIBRE_LENGTH);
        typeInto(window, IDC_FIBRE_LENGTH, u"1,5");
        moveFocus(window, IDC_SPLICE_COUNT);
        processPostedMessages();
        EXPECT_EQ(focusedControl(window), IDC_FIBRE_LENGTH);
        sendCommand(window, IDCANCEL);  // closing does not check the field again
    });
    EXPECT_EQ(ui.messages.size(), 1u);
}

// ---------------------------------------------------------------- specific attenuation

TEST_F(MainWindow, DbPerKmFollowsTheChosenWavelength) {
    writeConfiguration([](Configuration& c) {
        setWavelengths(c.defaultWavelengthTable, {{1310, NOT_SET}, {1550, 0.125}, {1625, -0.125}});
    });
    auto& data = *store;
    run([&](HWND window) {
        EXPECT_EQ(comboItems(window, IDC_WAVELENGTH),
                  (std::vector<std::u16string>{u"1310", u"1550", u"1625"}));
        EXPECT_EQ(textOf(window, IDC_DB_PER_KM), u"---");

        typeInto(window, IDC_DB_PER_KM, u"0.35");
        EXPECT_EQ(findDbPerKm(data, 1310), 0.35);

        chooseItem(window, IDC_WAVELENGTH, 1);
        EXPECT_EQ(textOf(window, IDC_DB_PER_KM), u"0.13");
        EXPECT_EQ(findDbPerKm(data, 1550), 0.13);  // once shown, stored rounded
        chooseItem(window, IDC_WAVELENGTH, 2);
        EXPECT_EQ(textOf(window, IDC_DB_PER_KM), u"-0.13");

        chooseItem(window, IDC_WAVELENGTH, 0);
        EXPECT_EQ(textOf(window, IDC_DB_PER_KM), u"0.35");

        typeInto(window, IDC_DB_PER_KM, u"abc");
        EXPECT_EQ(findDbPerKm(data, 1310), NOT_SET);
        chooseItem(window, IDC_WAVELENGTH, 1);
        chooseItem(window, IDC_WAVELENGTH, 0);
        EXPECT_EQ(textOf(window, IDC_DB_PER_KM), u"---");
    });
}

TEST_F(MainWindow, EmptyWavelengthTableLeavesTheBoxEmpty) {
    auto& data = *store;
    run([&](HWND window) {
        EXPECT_TRUE(comboItems(window, IDC_WAVELENGTH).empty());
        const WavelengthTable before = data.wavelengthTable;
        typeInto(window, IDC_DB_PER_KM, u"0.2");
        EXPECT_EQ(std::memcmp(&before, &data.wavelengthTable, sizeof before), 0);
    });
}

// ---------------------------------------------------------------- saving the defaults

TEST_F(MainWindow, SavingTheFormAsDefaultWritesTheConfiguration) {
    writeConfiguration([](Configuration& c) {
        setWavelengths(c.defaultWavelengthTable, {{1310, NOT_SET}, {1550, NOT_SET}});
    });
    run([&](HWND window) {
        typeInto(window, IDC_MEASURED_BY, u"Eva Malá");
        typeInto(window, IDC_ORGANISATION, u"Optika s.r.o.");
        typeInto(window, IDC_FIBRE_LENGTH, u"2500");
        typeInto(window, IDC_INSTRUMENT_TYPE, u"OLP");
        typeInto(window, IDC_SPLITTER_LIMIT, u"17.2");
        chooseItem(window, IDC_WAVELENGTH, 1);
        typeInto(window, IDC_DB_PER_KM, u"0.25");
        sendCommand(window, ID_CMD_SAVE_DEFAULTS);
    });

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, numbered(CZ, 75));
    EXPECT_EQ(ui.messages[0].caption, numbered(CZ, 74));
    EXPECT_EQ(ui.messages[0].icon(), MB_ICONINFORMATION);

    const Configuration saved = readConfiguration();
    EXPECT_EQ(slotText(saved.defaultForm.measuredBy), u"Eva Malá");
    EXPECT_EQ(slotText(saved.defaultForm.organisation), u"Optika s.r.o.");
    EXPECT_EQ(slotText(saved.defaultForm.fibreLength), u"2500");
    EXPECT_EQ(slotText(saved.defaultForm.splitterLimit), u"17.2");
    EXPECT_EQ(slotText(saved.defaultForm.instrument), u"");  // never kept
    EXPECT_EQ(saved.defaultWavelengthTable[0].wavelength, 1310);
    EXPECT_EQ(saved.defaultWavelengthTable[0].dbPerKm, NOT_SET);
    EXPECT_EQ(saved.defaultWavelengthTable[1].wavelength, 1550);
    EXPECT_EQ(saved.defaultWavelengthTable[1].dbPerKm, 0.25);
    EXPECT_EQ(slotText(saved.languageFile), u"czech.lng");
}

TEST_F(MainWindow, FailedSaveOfTheDefaultsIsReported) {
    run([&](HWND window) {
        // A folder in the way: the configuration cannot be written.
        std::filesystem::remove("Kalivera.cfg");
        std::filesystem::create_directory("Kalivera.cfg");
        sendCommand(window, ID_CMD_SAVE_DEFAULTS);
    });
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, numbered(CZ, 72));
    EXPECT_EQ(ui.messages[0].caption, numbered(CZ, 73));
    EXPECT_EQ(ui.messages[0].icon(), MB_ICONERROR);
}

// ---------------------------------------------------------------- About

TEST_F(MainWindow, AboutShowsNameAndVersionUnderTheTranslatedCaption) {
    for (int closing : {IDOK, IDCANCEL}) {
        ui.dialogScripts.push_back([closing](HWND about) {
            EXPECT_EQ(windowText(about), numbered(CZ, 90));
            EXPECT_EQ(textOf(about, IDC_ABOUT_NAME), u"Kalivera 2.2");
            EXPECT_NE(SendDlgItemMessageW(about, IDC_ABOUT_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
            sendCommand(about, closing);
            EXPECT_FALSE(IsWindowVisible(about));
        });
    }
    run([](HWND window) {
        sendCommand(window, ID_CMD_ABOUT);
        sendCommand(window, ID_CMD_ABOUT);
    });
    EXPECT_EQ(ui.dialogsOpened, (std::vector<int>{IDD_ABOUT, IDD_ABOUT}));
    EXPECT_TRUE(ui.dialogScripts.empty());
}

}  // namespace
