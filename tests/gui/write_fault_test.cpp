// Every command that writes a file, run from the main window with each fault
// the writer can meet: the operator sees the message the program gives for
// that file, the previous file stays byte for byte, no temporary file is left
// beside it and the store is as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/fixed_text.h"
#include "core/number_text.h"
#include "core/win32/main_window.h"
#include "program_fixture.h"
#include "simulator.h"
#include "tests/unit/file_kinds.h"

namespace {

namespace fs = std::filesystem;
using file_kinds::FAULT_COUNT;
using file_kinds::FAULTS;
using Bytes = std::vector<unsigned char>;

class FailedWrites : public ProgramTest {
public:
    // What the commands of the table below act on.
    using ProgramTest::commandWithFile;
    using ProgramTest::inFolder;
    using ProgramTest::store;
    using ProgramTest::ui;
    int version = 0;  // of what the next write holds

protected:
    // The templates the numbered language names: text 0 (loss meter) and 113 (ZD615).
    void SetUp() override {
        ProgramTest::SetUp();
        const fs::path data = fs::path(KALIVERA_SOURCE_DIR) / "data";
        fs::copy_file(data / "protokol_cz.htm", folder.path() / fs::path(numbered(CZ, 0)));
        fs::copy_file(data / "zd615_cz.htm", folder.path() / fs::path(numbered(CZ, 113)));
    }

    // A sample protocol opened, then saved as job.opr (beside it the report
    // job.opr.html).
    void openSample(HWND window, std::u16string_view sample) {
        if (hasData(*store)) ui.answers.push_back(IDYES);
        commandWithFile(window, ID_CMD_OPEN, copySample(sample));
        ASSERT_TRUE(hasData(*store));
        commandWithFile(window, ID_CMD_SAVE_AS, inFolder(u"job.opr"));
    }

    std::vector<fs::path> entries() const {
        std::vector<fs::path> names{fs::directory_iterator(folder.path()), fs::directory_iterator()};
        std::sort(names.begin(), names.end());
        return names;
    }

    std::u16string reportPath() const { return inFolder(u"job.opr.html"); }

    void expectError(const std::u16string& text) const {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(narrow(ui.messages[0].text), narrow(text));
        EXPECT_EQ(narrow(ui.messages[0].caption), narrow(numbered(CZ, 73)));
        EXPECT_EQ(ui.messages[0].icon(), UINT{MB_ICONERROR});
    }

    Simulator instrument{"com1"};  // answers the port scan of the port settings
};

// The message of a failure: a language text, for a report that could not
// replace the previous one followed by " ( ", its path and " )".
struct Message {
    int text;
    bool withReportPath = false;
};

struct WriteCommand {
    const char* name;
    std::u16string_view file;
    // Makes what the command writes next differ from what it wrote before.
    void (*change)(FailedWrites& test, HWND window);
    void (*write)(FailedWrites& test, HWND window);
    Message messages[FAULT_COUNT];
};

// A new route typed, and read into the store as every command that reads
// the form reads it: the command itself then changes nothing in the store.
void typeRoute(FailedWrites& test, HWND window) {
    typeInto(window, IDC_ROUTE, u"Trasa " + asciiToU16(std::to_string(++test.version)));
    readForm(window, *test.store, test.store->protocolForm);
}

// The same, and the form taken as the default as command 40017 takes it.
void typeDefaultRoute(FailedWrites& test, HWND window) {
    typeRoute(test, window);
    Configuration& configuration = test.store->configuration;
    readForm(window, *test.store, configuration.defaultForm);
    configuration.defaultWavelengthTable = test.store->wavelengthTable;
}

// A longer route typed, which raises every loss limit, and read into the store.
void typeFibreLength(FailedWrites& test, HWND window) {
    typeInto(window, IDC_FIBRE_LENGTH, asciiToU16(std::to_string(1000 * ++test.version)));
    readForm(window, *test.store, test.store->protocolForm);
}

// Another name for set 2, the sets in force copied as the editor copies them
// when it opens; set 1, which it shows, as showing it leaves it.
void renameSetTwo(FailedWrites& test, HWND) {
    LimitSetTable& sets = test.store->activeLimitSets;
    std::fill(std::begin(sets[1].name), std::end(sets[1].name), ' ');
    sets[2].name[0] = static_cast<std::uint8_t>(++test.version);
    test.store->editedLimitSets = sets;
}

const WriteCommand COMMANDS[] = {
    {"protocol (Save)", u"job.opr", typeRoute,
     [](FailedWrites&, HWND window) { sendCommand(window, ID_CMD_SAVE); },
     {{83}, {83}, {83}, {83}}},
    {"configuration (form as default)", u"Kalivera.cfg", typeDefaultRoute,
     [](FailedWrites&, HWND window) { sendCommand(window, ID_CMD_SAVE_DEFAULTS); },
     {{72}, {72}, {72}, {72}}},
    {"configuration (language choice)", u"Kalivera.cfg",
     [](FailedWrites& test, HWND) { test.store->configuration.portNumber = static_cast<std::uint32_t>(++test.version); },
     [](FailedWrites& test, HWND window) {
         test.ui.dialogScripts.push_back([](HWND dialog) { sendCommand(dialog, IDOK); });
         sendCommand(window, ID_CMD_LANGUAGE);
     },
     {{72}, {72}, {72}, {72}}},
    {"configuration (port settings)", u"Kalivera.cfg",
     [](FailedWrites& test, HWND) {
         test.store->configuration.baudIndex = static_cast<std::uint32_t>(++test.version % 13);
     },
     [](FailedWrites& test, HWND window) {
         test.ui.dialogScripts.push_back([](HWND dialog) { sendCommand(dialog, IDOK); });
         sendCommand(window, ID_CMD_PORT_SETTINGS);
     },
     {{72}, {72}, {72}, {72}}},
    {"limit file", u"limits.thre", renameSetTwo,
     [](FailedWrites& test, HWND window) {
         test.ui.dialogScripts.push_back([&test](HWND editor) {
             test.ui.fileChoices.push_back(test.inFolder(u"limits.thre"));
             sendCommand(editor, IDC_LIMIT_SAVE_FILE);
             sendCommand(editor, IDCANCEL);
         });
         sendCommand(window, ID_CMD_LIMITS);
     },
     {{83}, {83}, {83}, {83}}},
    {"text export", u"export.txt",
     [](FailedWrites& test, HWND) { test.store->rawText[0] = static_cast<std::uint8_t>(++test.version); },
     [](FailedWrites& test, HWND window) { test.commandWithFile(window, ID_CMD_EXPORT_TEXT, test.inFolder(u"export.txt")); },
     {{83}, {83}, {83}, {83}}},
    {"results CSV", u"results.csv", typeFibreLength,
     [](FailedWrites& test, HWND window) { test.commandWithFile(window, ID_CMD_EXPORT_CSV, test.inFolder(u"results.csv")); },
     {{83}, {83}, {83}, {83}}},
    {"report", u"job.opr.html", typeRoute,
     [](FailedWrites&, HWND window) { sendCommand(window, ID_CMD_GENERATE); },
     {{83}, {83}, {85, true}, {85}}},
};

TEST_F(FailedWrites, EveryCommandShowsItsMessageAndKeepsThePreviousFileAndTheStore) {
    run([&](HWND window) {
        openSample(window, u"lossmeter.opr");
        for (const WriteCommand& command : COMMANDS) {
            for (int fault = 0; fault < FAULT_COUNT; ++fault) {
                SCOPED_TRACE(std::string(command.name) + ", " + FAULTS[fault].name);
                const fs::path file = folder.path() / fs::path(command.file);
                command.change(*this, window);
                command.write(*this, window);
                const Bytes previous = fileBytes(file);
                ASSERT_FALSE(previous.empty());

                command.change(*this, window);
                const std::vector<std::uint8_t> storeBefore = file_kinds::storeBytes(*store);
                const std::vector<fs::path> entriesBefore = entries();
                const std::size_t documentsBefore = ui.documentsOpened.size();
                ui.messages.clear();
                {
                    const ScopedWriteFaults injected(FAULTS[fault].faults);
                    command.write(*this, window);
                }
                const Message& expected = command.messages[fault];
                expectError(numbered(CZ, expected.text) +
                            (expected.withReportPath ? u" ( " + reportPath() + u" )" : u""));
                EXPECT_EQ(fileBytes(file), previous);
                EXPECT_EQ(entries(), entriesBefore);
                EXPECT_EQ(ui.documentsOpened.size(), documentsBefore);
                EXPECT_EQ(file_kinds::storeBytes(*store), storeBefore);

                // Without the fault the same command writes the new version.
                command.write(*this, window);
                EXPECT_NE(fileBytes(file), previous);
            }
        }
    });
}

// A report is written in many pieces: a short write at any of them, the
// first, the last or one between, leaves the previous report as it was.
TEST_F(FailedWrites, AShortWriteAnywhereInAReportKeepsThePreviousReport) {
    for (const std::u16string_view sample : {u"lossmeter.opr", u"zd615.opr"}) {
        SCOPED_TRACE(narrow(sample));
        run([&](HWND window) {
            openSample(window, sample);
            typeRoute(*this, window);
            int writes = 0;
            {
                const ScopedWriteFaults counted({});
                sendCommand(window, ID_CMD_GENERATE);
                writes = counted.writes();
            }
            const Bytes previous = fileBytes(reportPath());
            ASSERT_GT(writes, 20) << "the report is written in many pieces";
            typeRoute(*this, window);
            const std::vector<fs::path> entriesBefore = entries();
            const std::size_t documentsBefore = ui.documentsOpened.size();
            for (const int shortWrite : {1, 2, writes / 4, writes / 2, writes * 3 / 4, writes - 1, writes}) {
                SCOPED_TRACE(std::to_string(shortWrite) + " of " + std::to_string(writes));
                ui.messages.clear();
                const ScopedWriteFaults injected({.shortWriteAt = shortWrite});
                sendCommand(window, ID_CMD_GENERATE);
                expectError(numbered(CZ, 83));
                EXPECT_EQ(fileBytes(reportPath()), previous);
                EXPECT_EQ(entries(), entriesBefore);
            }
            EXPECT_EQ(ui.documentsOpened.size(), documentsBefore);
            // One piece later than the last there is none to cut short.
            ui.messages.clear();
            const ScopedWriteFaults beyond({.shortWriteAt = writes + 1});
            sendCommand(window, ID_CMD_GENERATE);
            EXPECT_TRUE(ui.messages.empty());
            EXPECT_NE(fileBytes(reportPath()), previous);
            EXPECT_EQ(ui.documentsOpened.size(), documentsBefore + 1);
        });
    }
}

}  // namespace
