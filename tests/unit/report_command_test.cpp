// kalivera-cli report: a protocol file and a language file in, the report
// of the program's "Generate HTML protocol" command out.
#include <algorithm>
#include <vector>

#include "core/protocol_file.h"
#include "language/language_table.h"
#include "report_fixture.h"
#include "run_program.h"

namespace fs = std::filesystem;

namespace {

const fs::path ENGLISH = fs::path(KALIVERA_SOURCE_DIR) / "data" / "english.lng";

class ReportCommandTest : public ReportFixture {
protected:
    LanguageTable english;
    std::string output;
    std::string error;

    void SetUp() override {
        ReportFixture::SetUp();
        ASSERT_TRUE(loadLanguageFile(english, ENGLISH));
        setSlotText(store->protocolForm.date, u"1.2.2024");
        setSlotText(store->protocolForm.measuredBy, u"A&B");
    }

    // Runs kalivera-cli report in the test folder; the exit code.
    int report(const std::vector<std::string>& arguments) {
        std::vector<std::string> line{"report"};
        line.insert(line.end(), arguments.begin(), arguments.end());
        const int exitCode =
            runProgram(KALIVERA_CLI, line, folder / "stdout", folder / "stderr", folder);
        output = capturedText(folder / "stdout");
        error = capturedText(folder / "stderr");
        return exitCode;
    }

    void saveLossProtocol() {
        // One fibre both ways at 1310 nm; 0.36 dB/km over 1 km is exceeded.
        store->readings[0] = ReadingRecord{2.0, 1, 1, 1310, 1, STATE_A_TO_B, 0};
        store->readings[1] = ReadingRecord{3.0, 1, 2, 1310, 1, STATE_B_TO_A, 0};
        store->recordCount = 2;
        registerWavelength(*store, 1310);
        setDbPerKm(*store, 1310, 0.36);
        setSlotText(store->protocolForm.fibreLength, u"1000");
        store->instrumentKind = KIND_LOSS_METER;
        ASSERT_TRUE(writeProtocolFile(*store, folder / "job.opr"));
    }

    void expectFailure(int exitCode) const {
        EXPECT_EQ(exitCode, 1);
        EXPECT_EQ(error.rfind("error: ", 0), 0u) << error;
        EXPECT_FALSE(fs::exists(folder / "out.html"));
    }
};

constexpr std::u16string_view LOSS_TEMPLATE =
    u"**DATE**|**OPERATOR**|**ADDWAVEBEG3**[**VALAB**/**VALBA**/**VALAVE**]**ADDWAVEEND3**"
    u"**VALLINEBEG****THREAD**:**ADDPARAM**:**REMARK****VALLINEEND**";

TEST_F(ReportCommandTest, WritesTheReportOfAProtocol) {
    saveLossProtocol();
    writeTemplate(LOSS_TEMPLATE, "mine.htm");
    ASSERT_EQ(report({"job.opr", "-o", "out.html", "--language", ENGLISH.string(), "--template",
                      "mine.htm"}),
              0)
        << error;
    EXPECT_EQ(readUtf16(folder / "out.html"),
              u"1.2.2024|A&amp;B|1:[2.00/3.00/<B>2.50</B>]:" + english.text(96));
    EXPECT_EQ(error, "");
}

TEST_F(ReportCommandTest, TemplateNamedByTheLanguageFileForTheProtocolsData) {
    saveLossProtocol();
    writeTemplate(u"loss **DATE**", u16ToUtf8(english.text(0)).c_str());
    writeTemplate(u"zd615 **DATE**", u16ToUtf8(english.text(113)).c_str());
    const std::vector<std::string> arguments = {"job.opr", "-o", "out.html", "--language",
                                                ENGLISH.string()};
    ASSERT_EQ(report(arguments), 0) << error;
    EXPECT_EQ(readUtf16(folder / "out.html"), u"loss 1.2.2024");

    store->recordCount = 1;
    store->locationRecords[0] = LocationRecord{};
    store->instrumentKind = KIND_ZD615;
    ASSERT_TRUE(writeProtocolFile(*store, folder / "job.opr"));
    ASSERT_EQ(report(arguments), 0) << error;
    EXPECT_EQ(readUtf16(folder / "out.html"), u"zd615 1.2.2024");
}

TEST_F(ReportCommandTest, AFolderOfProtocolsGivesEachGoodOneItsReportAndOneErrorLinePerFailure) {
    writeTemplate(u"loss **DATE**", u16ToUtf8(english.text(0)).c_str());
    writeTemplate(u"zd615 **OPERATOR**", u16ToUtf8(english.text(113)).c_str());
    saveLossProtocol();
    fs::rename(folder / "job.opr", folder / "loss.opr");
    store->recordCount = 1;
    store->locationRecords[0] = LocationRecord{};
    store->instrumentKind = KIND_ZD615;
    ASSERT_TRUE(writeProtocolFile(*store, folder / "pon.opr"));
    // Damaged: cut off in the middle of its records.
    const std::string whole = contents(folder / "pon.opr");
    put(folder / "cut.opr", whole.substr(0, whole.size() / 2));
    fs::create_directory(folder / "reports");

    EXPECT_EQ(report({"loss.opr", "cut.opr", "pon.opr", "-d", "reports", "--language",
                      ENGLISH.string()}),
              1);
    EXPECT_EQ(readUtf16(folder / "reports" / "loss.html"), u"loss 1.2.2024");
    EXPECT_EQ(readUtf16(folder / "reports" / "pon.html"), u"zd615 A&amp;B");
    EXPECT_FALSE(fs::exists(folder / "reports" / "cut.html"));
    EXPECT_EQ(error, "error: cannot read the protocol file cut.opr\n");
    EXPECT_EQ(output, "");

    // All good: exit 0; one template for all with --template.
    writeTemplate(LOSS_TEMPLATE, "mine.htm");
    EXPECT_EQ(report({"loss.opr", "pon.opr", "-d", "reports", "--language", ENGLISH.string(),
                      "--template", "mine.htm"}),
              0)
        << error;
    EXPECT_EQ(readUtf16(folder / "reports" / "pon.html"), u"1.2.2024|A&amp;B|");
    EXPECT_EQ(error, "");
}

TEST_F(ReportCommandTest, AFolderRunFailsForAMissingFolderAndForASecondProtocolOfTheSameName) {
    saveLossProtocol();
    writeTemplate(LOSS_TEMPLATE, "mine.htm");
    fs::create_directories(folder / "other");
    fs::copy_file(folder / "job.opr", folder / "other" / "job.opr");
    const std::string language = ENGLISH.string();

    EXPECT_EQ(report({"job.opr", "-d", "missing", "--language", language}), 1);
    EXPECT_EQ(error, "error: the report folder missing does not exist\n");

    fs::create_directory(folder / "reports");
    EXPECT_EQ(report({"job.opr", "other/job.opr", "-d", "reports", "--language", language,
                      "--template", "mine.htm"}),
              1);
    EXPECT_TRUE(fs::exists(folder / "reports" / "job.html"));
    EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
    const std::string report = (fs::path("reports") / "job.html").string();  // a backslash on Windows
    EXPECT_EQ(error.rfind("error: the report " + report + " of other/job.opr", 0), 0u) << error;
}

TEST_F(ReportCommandTest, FailuresAndUsageErrors) {
    saveLossProtocol();
    writeTemplate(LOSS_TEMPLATE, "mine.htm");
    const std::string language = ENGLISH.string();
    expectFailure(report({"missing.opr", "-o", "out.html", "--language", language}));
    expectFailure(report({"job.opr", "-o", "out.html", "--language", "missing.lng"}));
    expectFailure(report({"job.opr", "-o", "out.html", "--language", language}));  // no template
    expectFailure(report({"job.opr", "-o", "no/such/folder/out.html", "--language", language,
                          "--template", "mine.htm"}));
    put(folder / "bad.opr", "not a protocol");
    expectFailure(report({"bad.opr", "-o", "out.html", "--language", language}));

    EXPECT_EQ(report({"job.opr", "-o", "out.html"}), 2);
    EXPECT_EQ(report({"job.opr", "--language", language}), 2);
    EXPECT_EQ(report({"job.opr", "-o", "out.html", "-d", ".", "--language", language}), 2);
    EXPECT_EQ(report({"job.opr", "job.opr", "-o", "out.html", "--language", language}), 2);
    EXPECT_EQ(report({"-d", ".", "--language", language}), 2);
    EXPECT_EQ(report({"--help"}), 0);
    EXPECT_EQ(output.rfind("usage: kalivera-cli report IN.opr", 0), 0u) << output;
}

}  // namespace
