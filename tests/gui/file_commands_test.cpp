// Loading instrument data from files, opening and saving protocol files,
// exporting the instrument text and the results, through the main window's
// menu.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/protocol_file.h"
#include "language/translation.h"
#include "program_fixture.h"

namespace {

namespace fs = std::filesystem;

using Texts = std::vector<std::u16string>;
using Bytes = std::vector<unsigned char>;

constexpr DWORD DATA_FILE_FLAGS = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                                  OFN_NONETWORKBUTTON | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
constexpr DWORD OPEN_PROTOCOL_FLAGS = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
                                      OFN_DONTADDTORECENT | OFN_HIDEREADONLY | OFN_ENABLESIZING |
                                      OFN_EXPLORER;
constexpr DWORD SAVE_PROTOCOL_FLAGS = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_DONTADDTORECENT |
                                      OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;
constexpr DWORD EXPORT_FLAGS = OFN_NOCHANGEDIR | OFN_DONTADDTORECENT | OFN_HIDEREADONLY |
                               OFN_ENABLESIZING | OFN_EXPLORER;

const Texts TEXT_FILTER = {u"Text Files", u"*.txt"};
const Texts PROTOCOL_FILTER = {u"Protocol Files", u"*.opr"};

void expectDialog(const RecordedFileDialog& dialog, bool save, const Texts& filter,
                  std::u16string_view extension, std::u16string_view initialName, DWORD flags) {
    EXPECT_EQ(dialog.save, save);
    EXPECT_EQ(dialog.filter, filter);
    EXPECT_EQ(dialog.defaultExtension, extension);
    EXPECT_EQ(narrow(dialog.initialName), narrow(initialName));
    EXPECT_EQ(dialog.flags, flags);
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

Bytes rawTextOf(const MeasurementStore& store) {
    return {store.rawText.begin(), store.rawText.begin() + store.rawTextLength};
}

std::vector<ReadingRecord> readingsOf(const MeasurementStore& store) {
    return {store.readings.begin(), store.readings.begin() + store.recordCount};
}

bool sameReadings(const std::vector<ReadingRecord>& a, const std::vector<ReadingRecord>& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(ReadingRecord)) == 0;
}

bool shown(HWND window, int control) { return IsWindowVisible(GetDlgItem(window, control)); }

class FileCommands : public ProgramTest {
protected:
    // Command 40008 with `file` chosen, confirming the question when data are held.
    void load(HWND window, const std::u16string& file) {
        if (hasData(*store)) ui.answers.push_back(IDYES);
        commandWithFile(window, ID_CMD_LOAD_FILE, file);
    }

    // Command 57601 with `file` chosen (nothing: cancelled), confirming the
    // question when data are held.
    void open(HWND window, std::optional<std::u16string> file) {
        if (hasData(*store)) ui.answers.push_back(IDYES);
        commandWithFile(window, ID_CMD_OPEN, std::move(file));
    }
};

// ---------------------------------------------------------------- instrument data from files

TEST_F(FileCommands, LoadingASampleFillsTheFormAndEnablesTheDataMenus) {
    struct Sample {
        std::u16string_view file;
        std::uint32_t records;
        std::int32_t kind;
        std::u16string_view type;
        std::u16string_view serial;
        Texts wavelengths;
        bool lossBudgetShown;
    };
    const Sample samples[] = {
        {u"lossmeter.txt", 96, KIND_LOSS_METER, u"OLM55", u"0042137", {u"1310", u"1550"}, true},
        {u"zd615.txt", 14, KIND_ZD615, u"ZD615", u"71234", {}, false},
    };
    for (const Sample& sample : samples) copySample(sample.file);
    run([&](HWND window) {
        for (const Sample& sample : samples) {
            SCOPED_TRACE(narrow(sample.file));
            const bool hadData = hasData(*store);
            ui.messages.clear();
            load(window, inFolder(sample.file));

            EXPECT_EQ(store->recordCount, sample.records);
            EXPECT_EQ(store->instrumentKind, sample.kind);
            EXPECT_EQ(textOf(window, IDC_INSTRUMENT_TYPE), sample.type);
            EXPECT_EQ(textOf(window, IDC_INSTRUMENT_SERIAL), sample.serial);
            EXPECT_EQ(comboItems(window, IDC_WAVELENGTH), sample.wavelengths);
            EXPECT_EQ(shown(window, IDC_FIBRE_LENGTH), sample.lossBudgetShown);
            expectDataMenus(window, true, true, false);
            ASSERT_EQ(ui.messages.size(), hadData ? 2u : 1u);
            expectMessage(ui.messages.back(), 82, 81, MB_ICONINFORMATION);
        }
    });
    ASSERT_EQ(ui.fileDialogs.size(), 2u);
    expectDialog(ui.fileDialogs[0], false, TEXT_FILTER, u"txt", u"*.txt", DATA_FILE_FLAGS);
}

TEST_F(FileCommands, TheQuestionBeforeLoadingComesOnlyWithData) {
    const std::u16string sample = copySample(u"lossmeter.txt");
    run([&](HWND window) {
        commandWithFile(window, ID_CMD_LOAD_FILE, sample);  // no data: no question
        ASSERT_EQ(store->recordCount, 96u);
        const Bytes rawText = rawTextOf(*store);
        ui.messages.clear();
        ui.fileDialogs.clear();

        ui.answers = {IDNO};
        sendCommand(window, ID_CMD_LOAD_FILE);
        EXPECT_TRUE(ui.fileDialogs.empty());
        expectDataMenus(window, true, true, false);

        // Yes, then the dialog is cancelled: the data stay, the entries stay grey.
        ui.answers = {IDYES};
        commandWithFile(window, ID_CMD_LOAD_FILE, std::nullopt);
        EXPECT_EQ(ui.fileDialogs.size(), 1u);
        EXPECT_EQ(store->recordCount, 96u);
        EXPECT_EQ(rawTextOf(*store), rawText);
        expectDataMenus(window, false, false, false);
    });
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const RecordedMessage& question : ui.messages) {
        expectMessage(question, 87, 86, MB_ICONQUESTION);
        EXPECT_EQ(question.buttons(), static_cast<UINT>(MB_YESNO));
    }
}

TEST_F(FileCommands, SizeAndContentOfTheFileDecideTheOutcome) {
    // A header and empty lines, which the parser skips, up to `size` bytes.
    auto padded = [](std::string header, std::size_t size) {
        while (header.size() + 2 <= size) header += "\r\n";
        return header;
    };
    struct Case {
        const char* name;
        std::optional<std::string> bytes;  // nothing: no such file
        int text;
        int caption;
        std::uint32_t records;
        std::uint32_t rawTextLength;
    };
    const Case cases[] = {
        {"empty", "", 78, 73, 0, 0},
        {"missing", std::nullopt, 78, 73, 0, 0},
        {"as large as the buffer", padded("OLM55 77", 172096), 79, 73, 0, 0},
        {"largest", padded("OLM55 7", 172095), 82, 81, 0, 172096},
        {"bad data line", "OLM55 7\r\n1 1 1310 abc 0\r\n", 80, 73, 0, 0},
        // Too short for the parser: the earlier records stay beside the new text.
        {"shorter than 19 bytes", "OLM55 7\r\n", 80, 73, 96, 9},
    };
    const std::u16string sample = copySample(u"lossmeter.txt");
    run([&](HWND window) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            load(window, sample);
            ASSERT_EQ(store->recordCount, 96u);
            const fs::path file = folder.path() / "case.txt";
            fs::remove(file);
            if (c.bytes) writeBytes(file, *c.bytes);
            ui.messages.clear();

            load(window, file.u16string());
            ASSERT_EQ(ui.messages.size(), 2u);
            expectMessage(ui.messages[1], c.text, c.caption,
                          c.text == 82 ? MB_ICONINFORMATION : MB_ICONERROR);
            EXPECT_EQ(store->recordCount, c.records);
            EXPECT_EQ(store->rawTextLength, c.rawTextLength);
            expectDataMenus(window, false, false, false);
        }
    });
}

TEST_F(FileCommands, PositiveLossValuesAreWarnedOnceBeforeTheConfirmation) {
    writeBytes(folder.path() / "positive.txt",
               "OLM55 7\r\n1 1 1310 0.5 0\r\n1 2 1310 0.7 0\r\n1 3 1310 -0.2 0\r\n");
    run([&](HWND window) { load(window, inFolder(u"positive.txt")); });
    ASSERT_EQ(ui.messages.size(), 2u);
    expectMessage(ui.messages[0], 95, 94, MB_ICONWARNING);
    EXPECT_EQ(ui.messages[0].buttons(), static_cast<UINT>(MB_OK));
    expectMessage(ui.messages[1], 82, 81, MB_ICONINFORMATION);
    EXPECT_EQ(store->readings[0].value, -0.5);
}

// ---------------------------------------------------------------- opening protocols

TEST_F(FileCommands, TypedFormTextSurvivesLoadingAndACancelledOpen) {
    const std::u16string sample = copySample(u"lossmeter.txt");
    run([&](HWND window) {
        typeInto(window, IDC_ROUTE, u"Trasa 7");
        load(window, sample);
        EXPECT_EQ(textOf(window, IDC_ROUTE), u"Trasa 7");

        typeInto(window, IDC_SECTION, u"Úsek 2");
        const Bytes rawText = rawTextOf(*store);
        open(window, std::nullopt);
        EXPECT_EQ(textOf(window, IDC_ROUTE), u"Trasa 7");
        EXPECT_EQ(textOf(window, IDC_SECTION), u"Úsek 2");
        EXPECT_EQ(textOf(window, IDC_INSTRUMENT_TYPE), u"OLM55");
        EXPECT_EQ(textOf(window, IDC_INSTRUMENT_SERIAL), u"0042137");
        EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
        EXPECT_TRUE(shown(window, IDC_FIBRE_LENGTH));
        EXPECT_EQ(store->recordCount, 96u);
        EXPECT_EQ(rawTextOf(*store), rawText);
        // Cancelling the open re-enables what the data allow, "Generování" included.
        expectDataMenus(window, true, true, true);
    });
    ASSERT_EQ(ui.messages.size(), 2u);
    expectMessage(ui.messages[1], 88, 86, MB_ICONQUESTION);
    ASSERT_EQ(ui.fileDialogs.size(), 2u);
    expectDialog(ui.fileDialogs[1], false, PROTOCOL_FILTER, u"opr", u"*.opr", OPEN_PROTOCOL_FLAGS);
}

TEST_F(FileCommands, NoToTheQuestionBeforeOpeningChangesNothing) {
    const std::u16string sample = copySample(u"lossmeter.txt");
    run([&](HWND window) {
        load(window, sample);
        commandWithFile(window, ID_CMD_SAVE, inFolder(u"job.opr"));
        typeInto(window, IDC_ROUTE, u"Trasa 7");
        const Bytes rawText = rawTextOf(*store);
        const std::size_t dialogs = ui.fileDialogs.size();
        ui.messages.clear();

        ui.answers = {IDNO};
        sendCommand(window, ID_CMD_OPEN);
        EXPECT_EQ(ui.fileDialogs.size(), dialogs);
        ASSERT_EQ(ui.messages.size(), 1u);
        expectMessage(ui.messages[0], 88, 86, MB_ICONQUESTION);
        EXPECT_EQ(store->recordCount, 96u);
        EXPECT_EQ(rawTextOf(*store), rawText);
        EXPECT_EQ(textOf(window, IDC_ROUTE), u"Trasa 7");
        EXPECT_EQ(slotText(store->currentProtocolPath), inFolder(u"job.opr"));
        expectDataMenus(window, true, true, false);
    });
}

// A failed open leaves the store reset and no protocol path: a later Save
// asks for a name rather than overwriting the file that failed to open.
TEST_F(FileCommands, FailedOpenShowsText80AndLeavesAResetStoreWithoutAPath) {
    auto partial = makeStore();
    setSlotText(partial->protocolForm.route, u"Z archivu");
    const std::vector<std::uint8_t> image = protocolImage(*partial);
    writeBytes(folder.path() / "cut.opr",
               std::string(image.begin(), image.begin() + PROTOCOL_MAGIC_SIZE + 1700));
    struct Case {
        std::u16string_view file;
        std::u16string_view routeShown;  // the form is shown only when the file was read
    };
    const Case cases[] = {{u"cut.opr", u"Z archivu"}, {u"missing.opr", u"Napsáno"}};
    const std::u16string sample = copySample(u"lossmeter.txt");
    run([&](HWND window) {
        for (const Case& c : cases) {
            SCOPED_TRACE(narrow(c.file));
            load(window, sample);
            commandWithFile(window, ID_CMD_SAVE_AS, inFolder(u"job.opr"));
            typeInto(window, IDC_ROUTE, u"Napsáno");
            ui.messages.clear();

            open(window, inFolder(c.file));
            ASSERT_EQ(ui.messages.size(), 2u);
            expectMessage(ui.messages[1], 80, 73, MB_ICONERROR);
            EXPECT_EQ(store->recordCount, 0u);
            EXPECT_EQ(store->rawTextLength, 0u);
            EXPECT_EQ(slotText(store->currentProtocolPath), u"");
            EXPECT_EQ(textOf(window, IDC_ROUTE), c.routeShown);
            expectDataMenus(window, false, false, false);

            const Bytes before = fileBytes(folder.path() / fs::path(c.file));
            ui.fileDialogs.clear();
            commandWithFile(window, ID_CMD_SAVE, std::nullopt);
            ASSERT_EQ(ui.fileDialogs.size(), 1u);
            EXPECT_EQ(ui.fileDialogs[0].initialName, u"new_protocol.opr");
            EXPECT_EQ(fileBytes(folder.path() / fs::path(c.file)), before);
        }
    });
}

// ---------------------------------------------------------------- saving protocols

TEST_F(FileCommands, ASavedProtocolOpensWithTheSameFormAndRecords) {
    const std::u16string sample = copySample(u"lossmeter.txt");
    const std::u16string job = inFolder(u"job.opr");
    run([&](HWND window) {
        load(window, sample);
        const std::pair<int, std::u16string_view> fields[] = {
            {IDC_ROUTE, u"Brno \u2013 Tišnov"}, {IDC_MEASURED_BY, u"Jan Novák"},
            {IDC_FIBRE_LENGTH, u"2500"},       {IDC_SPLICE_COUNT, u"2"},
            {IDC_SPLICE_LIMIT, u"0.1"},        {IDC_DB_PER_KM, u"0.36"},
        };
        for (const auto& [control, text] : fields) typeInto(window, control, text);
        // Fibre 2 at 1310 nm (readings 1/2 and 2/2) selected in both directions.
        store->readings[2].state = STATE_A_TO_B;
        store->readings[2].order = 1;
        store->readings[50].state = STATE_B_TO_A;
        store->readings[50].order = 1;
        const std::vector<ReadingRecord> readings = readingsOf(*store);
        const Bytes rawText = rawTextOf(*store);

        commandWithFile(window, ID_CMD_SAVE, job);
        EXPECT_EQ(slotText(store->currentProtocolPath), job);
        EXPECT_EQ(fileBytes(job).size(),
                  protocolFileSize(ProtocolVersion::LossMeter, 96, rawText.size()));

        ui.answers = {IDYES};
        sendCommand(window, ID_CMD_NEW);
        ASSERT_EQ(textOf(window, IDC_ROUTE), u"");
        ASSERT_EQ(store->recordCount, 0u);

        open(window, job);
        for (const auto& [control, text] : fields) EXPECT_EQ(textOf(window, control), text) << control;
        EXPECT_EQ(textOf(window, IDC_INSTRUMENT_TYPE), u"OLM55");
        EXPECT_EQ(textOf(window, IDC_INSTRUMENT_SERIAL), u"0042137");
        EXPECT_EQ(comboItems(window, IDC_WAVELENGTH), (Texts{u"1310", u"1550"}));
        EXPECT_TRUE(sameReadings(readingsOf(*store), readings));
        EXPECT_EQ(rawTextOf(*store), rawText);
        EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
        EXPECT_EQ(store->wavelengthSummary.maxSelectedOrder, 1u);
        EXPECT_EQ(store->fibreLengthValue, 2500.0);
        EXPECT_EQ(store->elementLossBudget, 2 * 0.1);
        EXPECT_EQ(slotText(store->currentProtocolPath), job);
        expectDataMenus(window, true, true, true);
    });
    // Only the question before the new protocol besides the load's confirmation.
    ASSERT_EQ(ui.messages.size(), 2u);
    expectMessage(ui.messages[1], 89, 86, MB_ICONQUESTION);
    ASSERT_EQ(ui.fileDialogs.size(), 3u);
    expectDialog(ui.fileDialogs[1], true, PROTOCOL_FILTER, u"opr", u"new_protocol.opr",
                 SAVE_PROTOCOL_FLAGS);
    expectDialog(ui.fileDialogs[2], false, PROTOCOL_FILTER, u"opr", u"*.opr", OPEN_PROTOCOL_FLAGS);
}

TEST_F(FileCommands, SaveWithAPathWritesAtOnceAndSaveAsAlwaysAsks) {
    const std::u16string sample = copySample(u"lossmeter.txt");
    const std::u16string job = inFolder(u"job.opr");
    const std::u16string other = inFolder(u"other.opr");
    auto routeSavedIn = [](const std::u16string& file) {
        auto saved = makeStore();
        EXPECT_TRUE(readProtocolFile(*saved, fs::path(file)));
        return std::u16string(slotText(saved->protocolForm.route));
    };
    auto protocolFiles = [this] {
        Texts names;
        for (const auto& entry : fs::directory_iterator(folder.path())) {
            if (entry.path().extension() == ".opr") names.push_back(entry.path().filename().u16string());
        }
        return names;
    };
    run([&](HWND window) {
        load(window, sample);
        commandWithFile(window, ID_CMD_SAVE, std::nullopt);  // cancelled: nothing written
        EXPECT_TRUE(protocolFiles().empty());
        // The proposal is not taken as the path: the next Save asks again.
        EXPECT_EQ(slotText(store->currentProtocolPath), u"");
        const std::size_t dialogsBefore = ui.fileDialogs.size();
        commandWithFile(window, ID_CMD_SAVE, std::nullopt);
        EXPECT_EQ(ui.fileDialogs.size(), dialogsBefore + 1);
        EXPECT_TRUE(protocolFiles().empty());
        commandWithFile(window, ID_CMD_SAVE_AS, job);
        EXPECT_EQ(ui.fileDialogs.back().initialName, u"new_protocol.opr");

        typeInto(window, IDC_ROUTE, u"Nová trasa");
        ui.fileDialogs.clear();
        sendCommand(window, ID_CMD_SAVE);
        EXPECT_TRUE(ui.fileDialogs.empty());
        EXPECT_EQ(routeSavedIn(job), u"Nová trasa");

        commandWithFile(window, ID_CMD_SAVE_AS, std::nullopt);
        EXPECT_EQ(protocolFiles(), Texts{u"job.opr"});
        EXPECT_EQ(slotText(store->currentProtocolPath), job);

        commandWithFile(window, ID_CMD_SAVE_AS, other);
        ASSERT_EQ(ui.fileDialogs.size(), 2u);
        for (const RecordedFileDialog& dialog : ui.fileDialogs) {
            expectDialog(dialog, true, PROTOCOL_FILTER, u"opr", job, SAVE_PROTOCOL_FLAGS);
        }
        EXPECT_EQ(fileBytes(other), fileBytes(job));
        EXPECT_EQ(slotText(store->currentProtocolPath), other);
    });
    EXPECT_EQ(ui.messages.size(), 1u);  // the load's confirmation only
}

TEST_F(FileCommands, FailedWritesShowText83) {
    const std::u16string sample = copySample(u"lossmeter.txt");
    run([&](HWND window) {
        load(window, sample);
        ui.messages.clear();
        for (int command : {ID_CMD_SAVE_AS, ID_CMD_EXPORT_TEXT}) {
            commandWithFile(window, command, inFolder(u"no such folder\\file"));
        }
    });
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const RecordedMessage& message : ui.messages) expectMessage(message, 83, 73, MB_ICONERROR);
}

// ---------------------------------------------------------------- text export

TEST_F(FileCommands, ExportWritesTheRawTextThatLoadsAgain) {
    const std::u16string sample = copySample(u"lossmeter.txt");
    const std::u16string exported = inFolder(u"export.txt");
    run([&](HWND window) {
        load(window, sample);
        const std::vector<ReadingRecord> readings = readingsOf(*store);
        Bytes expected = fileBytes(sample);
        expected.push_back('\n');  // the line end the parser appends
        ASSERT_EQ(rawTextOf(*store), expected);

        commandWithFile(window, ID_CMD_EXPORT_TEXT, std::nullopt);
        EXPECT_FALSE(fs::exists(exported));
        commandWithFile(window, ID_CMD_EXPORT_TEXT, exported);
        EXPECT_EQ(fileBytes(exported), expected);

        load(window, exported);
        EXPECT_TRUE(sameReadings(readingsOf(*store), readings));
    });
    ASSERT_EQ(ui.fileDialogs.size(), 4u);
    for (std::size_t dialog : {1u, 2u}) {
        expectDialog(ui.fileDialogs[dialog], true, TEXT_FILTER, u"txt", u"", EXPORT_FLAGS);
    }
}

}  // namespace

// ---------------------------------------------------------------- results as CSV

namespace {

std::vector<std::string> csvLines(const fs::path& file) {
    const std::vector<unsigned char> bytes = fileBytes(file);
    std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

bool csvGrey(HWND window) { return menuGrey(window, ID_CMD_EXPORT_CSV, false); }

}  // namespace

TEST_F(FileCommands, CsvExportFollowsTheSelectionAndWritesTheResultsOfTheFormAsTyped) {
    const std::u16string loaded = copySample(u"lossmeter.txt");
    const std::u16string protocol = copySample(u"lossmeter.opr");
    const std::u16string table = inFolder(u"lossmeter.csv");
    const std::string cz = narrow(CZ);
    run([&](HWND window) {
        EXPECT_TRUE(csvGrey(window));
        load(window, loaded);  // readings, none selected
        EXPECT_TRUE(csvGrey(window));
        open(window, protocol);  // the sample's selection
        ASSERT_FALSE(csvGrey(window));

        commandWithFile(window, ID_CMD_EXPORT_CSV, std::nullopt);
        EXPECT_FALSE(fs::exists(table));
        commandWithFile(window, ID_CMD_EXPORT_CSV, table);
        std::vector<std::string> lines = csvLines(table);
        ASSERT_EQ(lines.size(), 49u);  // heading, 24 fibres at two wavelengths
        EXPECT_EQ(lines[0], "\xEF\xBB\xBF" + cz + " 46;" + cz + " 42 [nm];" + cz + " 44 [dB];" +
                                cz + " 45 [dB];Ø [dB];Limit [dB];" + cz + " 111");
        EXPECT_EQ(lines[33], "17;1310;4.01;4.06;4.04;3.67;" + cz + " 96");

        // A longer route allows more: the limit comes from the field as typed.
        typeInto(window, IDC_FIBRE_LENGTH, u"10000");
        commandWithFile(window, ID_CMD_EXPORT_CSV, table);
        lines = csvLines(table);
        ASSERT_EQ(lines.size(), 49u);
        EXPECT_EQ(lines[33], "17;1310;4.01;4.06;4.04;6.30;" + cz + " 97");

        ui.answers.push_back(IDYES);
        sendCommand(window, ID_CMD_NEW);
        EXPECT_TRUE(csvGrey(window));
    });
    ASSERT_EQ(ui.fileDialogs.size(), 5u);
    const Texts csvFilter = {u"CSV Files", u"*.csv"};
    for (std::size_t dialog : {2u, 3u, 4u}) {
        expectDialog(ui.fileDialogs[dialog], true, csvFilter, u"csv", table,
                     EXPORT_FLAGS | OFN_PATHMUSTEXIST);
    }
    for (const RecordedMessage& message : ui.messages) {
        EXPECT_NE(message.icon(), static_cast<UINT>(MB_ICONERROR)) << narrow(message.text);
    }
}

TEST_F(FileCommands, CsvOfAZd615ProtocolAndAFailedWriteShowingText83) {
    const std::u16string protocol = copySample(u"zd615.opr");
    run([&](HWND window) {
        open(window, protocol);
        ASSERT_FALSE(csvGrey(window));
        commandWithFile(window, ID_CMD_EXPORT_CSV, inFolder(u"no such folder\\zd615.csv"));
        ASSERT_EQ(ui.messages.size(), 1u);
        expectMessage(ui.messages[0], 83, 73, MB_ICONERROR);

        const std::u16string table = inFolder(u"zd615.csv");
        commandWithFile(window, ID_CMD_EXPORT_CSV, table);
        const std::vector<std::string> lines = csvLines(table);
        ASSERT_EQ(lines.size(), 13u);  // heading and the twelve ticked rows
        EXPECT_EQ(lines[1].substr(0, 4), "1;1;");
        EXPECT_EQ(lines[12].substr(0, 4), "2;3;");
    });
    EXPECT_EQ(ui.messages.size(), 1u);
}
