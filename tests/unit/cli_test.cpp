#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/protocol_file.h"
#include "file_fixture.h"
#include "instrument/instrument_text.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;

const fs::path SAMPLES = fs::path(KALIVERA_SOURCE_DIR) / "data" / "samples";
const fs::path LANGUAGES = fs::path(KALIVERA_SOURCE_DIR) / "data";
const fs::path FIXTURES = fs::path(KALIVERA_SOURCE_DIR) / "tests" / "fixtures";

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

class CliTest : public FileTest {
protected:
    CliRun cli(const std::vector<std::string>& arguments) const {
        const int exitCode =
            runProgram(KALIVERA_CLI, arguments, folder / "stdout", folder / "stderr");
        return {exitCode, capturedText(folder / "stdout"), capturedText(folder / "stderr")};
    }

    std::string path(const std::string& name) const { return (folder / name).string(); }

    std::unique_ptr<MeasurementStore> open(const std::string& name) const {
        auto store = makeStore();
        EXPECT_TRUE(readProtocolFile(*store, folder / name)) << name;
        return store;
    }

    // The run failed: exit 1, one error line, no output written.
    void expectFailure(const CliRun& run, const std::string& output) const {
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err.rfind("error: ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_FALSE(fs::exists(folder / output));
    }
};

TEST_F(CliTest, ImportThenExportGivesTheFileWithTheAppendedLineEnd) {
    for (const char* sample : {"lossmeter.txt", "zd615.txt"}) {
        const fs::path data = SAMPLES / sample;
        CliRun run = cli({"import", data.string(), "-o", path("job.opr")});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        run = cli({"export", path("job.opr"), "-o", path("job.txt")});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(contents(folder / "job.txt"), contents(data) + "\n");
    }
}

TEST_F(CliTest, EverySampleImports) {
    int samples = 0;
    for (const auto& entry : fs::directory_iterator(SAMPLES)) {
        if (entry.path().extension() != ".txt") continue;
        ++samples;
        const CliRun run = cli({"import", entry.path().string(), "-o", path("sample.opr")});
        ASSERT_EQ(run.exitCode, 0) << entry.path() << run.err;
        auto store = open("sample.opr");
        EXPECT_GT(store->recordCount, 0u) << entry.path();
        EXPECT_FALSE(slotText(store->protocolForm.instrument).empty()) << entry.path();
    }
    EXPECT_GE(samples, 2);
}

TEST_F(CliTest, SamplesAreRealistic) {
    const CliRun loss = cli({"import", (SAMPLES / "lossmeter.txt").string(), "-o", path("lm.opr")});
    ASSERT_EQ(loss.exitCode, 0);
    auto store = open("lm.opr");
    EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
    EXPECT_GE(store->recordCount, 96u);  // 24 fibres, two directions, two wavelengths
    EXPECT_EQ(store->wavelengthTable[0].wavelength, 1310);
    EXPECT_EQ(store->wavelengthTable[1].wavelength, 1550);
    for (std::uint32_t i = 0; i < store->recordCount; ++i) {
        EXPECT_GT(store->readings[i].value, 0.5);
        EXPECT_LT(store->readings[i].value, 6.0);
    }
    EXPECT_NE(contents(SAMPLES / "lossmeter.txt").find("\r\n"), std::string::npos);

    const CliRun zd = cli({"import", (SAMPLES / "zd615.txt").string(), "-o", path("zd.opr")});
    ASSERT_EQ(zd.exitCode, 0);
    store = open("zd.opr");
    EXPECT_EQ(store->instrumentKind, KIND_ZD615);
    std::array<int, 5> grades{};
    int missing = 0;
    for (std::uint32_t i = 0; i < store->recordCount; ++i) {
        for (int k = 0; k < 3; ++k) {
            ++grades[store->locationRecords[i].grade[k]];
            missing += store->locationRecords[i].power[k] == NOT_SET;
        }
    }
    for (int count : grades) EXPECT_GT(count, 0);
    EXPECT_GT(missing, 0);
}

TEST_F(CliTest, InfoSummarisesAProtocol) {
    ASSERT_EQ(cli({"import", (SAMPLES / "lossmeter.txt").string(), "-o", path("lm.opr")}).exitCode, 0);
    const CliRun run = cli({"info", path("lm.opr")});
    EXPECT_EQ(run.exitCode, 0);
    for (const char* line : {"version: 01.10", "instrument: OLM55 0042137", "records: 96",
                             "1310 nm  --- dB/km", "1550 nm", "A->B 0, B->A 0"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << '\n' << run.out;
    }
}

TEST_F(CliTest, BaseProtocolGivesFormValuesAndNames) {
    auto base = makeStore();
    setSlotText(base->protocolForm.route, u"Trasa Zlín");
    setSlotText(base->protocolForm.instrument, u"OLD 1");
    registerWavelength(*base, 1310);
    registerWavelength(*base, 1625);
    setDbPerKm(*base, 1310, 0.34);
    setLocationName(base->locationNames, 2, u"Rozvaděč");
    base->instrumentKind = KIND_ZD615;  // names travel in version 02.10 only
    ASSERT_TRUE(writeProtocolFile(*base, folder / "base.opr"));

    put(folder / "data.txt", "OLM55 0042\r\n1 1 1550 -2.41 0\r\n1 1 1310 -3.1 0\r\n");
    const CliRun run = cli({"import", path("data.txt"), "-o", path("job.opr"), "--base", path("base.opr")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto store = open("job.opr");
    EXPECT_EQ(slotText(store->protocolForm.route), u"Trasa Zlín");
    EXPECT_EQ(slotText(store->protocolForm.instrument), u"OLM55 0042");
    EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
    EXPECT_EQ(store->wavelengthTable[0].wavelength, 1310);
    EXPECT_EQ(store->wavelengthTable[0].dbPerKm, 0.34);
    EXPECT_EQ(store->wavelengthTable[1].wavelength, 1550);
    EXPECT_EQ(store->wavelengthTable[1].dbPerKm, NOT_SET);
    EXPECT_EQ(store->wavelengthTable[2].wavelength, -1);

    // ZD615 data keep the base's location names.
    ASSERT_EQ(cli({"import", (SAMPLES / "zd615.txt").string(), "-o", path("zd.opr"), "--base",
                   path("base.opr")})
                  .exitCode,
              0);
    store = open("zd.opr");
    EXPECT_EQ(locationName(store->locationNames, 2), u"Rozvaděč");
}

TEST_F(CliTest, InstrumentSlotAndKindFollowTheWindowsRules) {
    struct Case {
        std::string header;
        std::string line;
        std::u16string slot;
        std::int32_t kind;
    };
    const std::vector<Case> cases = {
        // Loss-meter layout under a ZD615 type word: still saved with its readings.
        {"ZD615 SN X", "1 1 1310 -2.41 0", u"ZD615 SN X", KIND_LOSS_METER},
        {"OLM55", "1 1 1310 -2.41 0", u"OLM55 ", KIND_LOSS_METER},
        {"ZD615 71234", "1 2 3 -1 -2 -3 dBm", u"ZD615 71234", KIND_ZD615},
        // The first 31 characters, split at the first blank.
        {"TYPE-TWENTY-CHARS-12 SERIAL-TWENTY-CHARS", "1 1 1310 -2.41 0",
         u"TYPE-TWENTY-CHARS-12 SERIAL-TWE", KIND_LOSS_METER},
    };
    for (const Case& c : cases) {
        put(folder / "data.txt", c.header + "\r\n" + c.line + "\r\n");
        ASSERT_EQ(cli({"import", path("data.txt"), "-o", path("job.opr")}).exitCode, 0) << c.header;
        auto store = open("job.opr");
        EXPECT_EQ(slotText(store->protocolForm.instrument), c.slot) << c.header;
        EXPECT_EQ(store->instrumentKind, c.kind) << c.header;
        EXPECT_EQ(store->recordCount, 1u) << c.header;
    }
}

TEST_F(CliTest, PositiveValuesWarn) {
    put(folder / "data.txt", "OLM55 0042\r\n1 1 1310 0.41 0\r\n1 2 1310 0.2 0\r\n");
    const CliRun run = cli({"import", path("data.txt"), "-o", path("job.opr")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "warning: positive loss values\n");
    EXPECT_TRUE(fs::exists(folder / "job.opr"));
}

TEST_F(CliTest, FailuresExitOneAndWriteNothing) {
    put(folder / "bad.txt", "OLM55 0042\r\n1 1 1310 -2.41 x\r\n");
    put(folder / "short.txt", "OLM55 0042\r\n");
    put(folder / "empty.txt", "");
    put(folder / "large.txt", std::string(RAW_TEXT_CAPACITY, '\n'));
    put(folder / "notprotocol.opr", "MERAVOX PROTOCOL FILE 01.10");
    const std::string good = (SAMPLES / "lossmeter.txt").string();
    expectFailure(cli({"import", path("missing.txt"), "-o", path("out.opr")}), "out.opr");
    expectFailure(cli({"import", path("empty.txt"), "-o", path("out.opr")}), "out.opr");
    expectFailure(cli({"import", path("large.txt"), "-o", path("out.opr")}), "out.opr");
    expectFailure(cli({"import", path("bad.txt"), "-o", path("out.opr")}), "out.opr");
    expectFailure(cli({"import", path("short.txt"), "-o", path("out.opr")}), "out.opr");
    expectFailure(cli({"import", good, "-o", path("out.opr"), "--base", path("notprotocol.opr")}),
                  "out.opr");
    expectFailure(cli({"import", good, "-o", path("no/out.opr")}), "no");
    expectFailure(cli({"export", path("notprotocol.opr"), "-o", path("out.txt")}), "out.txt");
    expectFailure(cli({"info", path("missing.opr")}), "missing.opr");

    // A protocol without instrument text has nothing to export.
    auto empty = makeStore();
    ASSERT_TRUE(writeProtocolFile(*empty, folder / "empty.opr"));
    expectFailure(cli({"export", path("empty.opr"), "-o", path("out.txt")}), "out.txt");

    // A failed import leaves an existing output as it was.
    put(folder / "keep.opr", "previous");
    EXPECT_EQ(cli({"import", path("bad.txt"), "-o", path("keep.opr")}).exitCode, 1);
    EXPECT_EQ(contents(folder / "keep.opr"), "previous");
}

// The expected tables were checked line by line against the reports of the
// same protocols in the same languages.
TEST_F(CliTest, CsvOfTheSampleProtocolsIsTheCheckedTable) {
    struct Case {
        const char* protocol;
        const char* language;
        const char* expected;
    };
    for (const Case& c : {Case{"lossmeter.opr", "english.lng", "lossmeter_en.csv"},
                          Case{"zd615.opr", "czech.lng", "zd615_cz.csv"}}) {
        const CliRun run = cli({"csv", (SAMPLES / c.protocol).string(), "-o", path("out.csv"),
                                "--language", (LANGUAGES / c.language).string()});
        ASSERT_EQ(run.exitCode, 0) << c.protocol << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(contents(folder / "out.csv"), contents(FIXTURES / c.expected)) << c.protocol;
    }
}

TEST_F(CliTest, CsvFailuresExitOneAndKeepThePreviousTable) {
    const std::string english = (LANGUAGES / "english.lng").string();
    const std::string sample = (SAMPLES / "lossmeter.opr").string();
    put(folder / "notprotocol.opr", "MERAVOX PROTOCOL FILE 01.10");
    auto unselected = makeStore();  // readings loaded, none selected
    unselected->readings[0] = ReadingRecord{2.0, 1, 1, 1310, 0, STATE_LOADED, 0};
    unselected->recordCount = 1;
    ASSERT_TRUE(writeProtocolFile(*unselected, folder / "unselected.opr"));

    expectFailure(cli({"csv", path("missing.opr"), "-o", path("out.csv"), "--language", english}),
                  "out.csv");
    expectFailure(cli({"csv", path("notprotocol.opr"), "-o", path("out.csv"), "--language", english}),
                  "out.csv");
    expectFailure(cli({"csv", path("unselected.opr"), "-o", path("out.csv"), "--language", english}),
                  "out.csv");
    expectFailure(cli({"csv", sample, "-o", path("out.csv"), "--language", path("missing.lng")}),
                  "out.csv");
    expectFailure(cli({"csv", sample, "-o", path("no/out.csv"), "--language", english}), "no");

    put(folder / "keep.csv", "previous");
    EXPECT_EQ(cli({"csv", path("unselected.opr"), "-o", path("keep.csv"), "--language", english})
                  .exitCode,
              1);
    EXPECT_EQ(contents(folder / "keep.csv"), "previous");
}

TEST_F(CliTest, UsageErrorsExitTwo) {
    const std::vector<std::vector<std::string>> misuses = {
        {},
        {"frobnicate"},
        {"import", "data.txt"},
        {"import", "-o", "out.opr"},
        {"import", "a.txt", "b.txt", "-o", "out.opr"},
        {"import", "a.txt", "-o"},
        {"import", "a.txt", "-o", "x.opr", "-o", "y.opr"},
        {"import", "a.txt", "-o", "x.opr", "--colour", "red"},
        {"export", "in.opr"},
        {"export", "in.opr", "-o", "out.txt", "--base", "b.opr"},
        {"info"},
        {"info", "a.opr", "b.opr"},
        {"csv", "in.opr", "-o", "out.csv"},
        {"csv", "in.opr", "--language", "english.lng"},
        {"csv", "a.opr", "b.opr", "-o", "out.csv", "--language", "english.lng"},
    };
    for (const auto& arguments : misuses) {
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.exitCode, 2) << ::testing::PrintToString(arguments);
        EXPECT_NE(run.err.find("usage: kalivera-cli"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliTest, HelpForEveryCommand) {
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"--help"}, {"import", "--help"}, {"export", "--help"},
                                               {"info", "--help"}, {"csv", "--help"},
                                               {"import", "x", "-h"}}) {
        const CliRun run = cli(arguments);
        EXPECT_EQ(run.exitCode, 0) << arguments[0];
        EXPECT_EQ(run.out.rfind("usage: kalivera-cli", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

}  // namespace
