#include "report/template_engine.h"

#include "file_size_limit.h"
#include "report/report_text.h"
#include "report_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr std::u16string_view DATE = u"1.2.2024";
constexpr std::u16string_view OPERATOR = u"Tom & Jerry <crew> \"A\"";
constexpr std::u16string_view OPERATOR_ESCAPED = u"Tom &amp; Jerry &lt;crew&gt; &quot;A&quot;";

class TemplateEngineTest : public ReportFixture {
protected:
    void SetUp() override {
        ReportFixture::SetUp();
        setSlotText(store->protocolForm.date, DATE);
        setSlotText(store->protocolForm.measuredBy, OPERATOR);
        // One selected reading makes one report wavelength, so a block of
        // plain column repeats writes its body exactly once.
        store->readings[0] = ReadingRecord{1.0, 1, 1, 1310, 1, STATE_A_TO_B, 0};
        store->recordCount = 1;
    }
};

struct ScanCase {
    const char* what;
    std::u16string templateText;
    std::u16string expected;
};

std::u16string operator+(std::u16string_view left, std::u16string_view right) {
    return std::u16string(left) + std::u16string(right);
}

TEST_F(TemplateEngineTest, ScansTemplatesAsWritten) {
    const std::u16string longName(130, u'N');
    const std::u16string date(DATE);
    const std::vector<ScanCase> cases = {
        {"empty template", u"", u""},
        {"plain text", u"<p>plain</p>", u"<p>plain</p>"},
        {"byte-order mark is plain text", u"\uFEFFA**DATE**", u"\uFEFFA" + date},
        {"field between texts", u"A**DATE**B", u"A" + date + u"B"},
        {"two fields", u"**DATE**-**DATE**", date + u"-" + date},
        {"form text escaped", u"<b>**OPERATOR**</b>", u"<b>" + OPERATOR_ESCAPED + u"</b>"},
        {"unknown marker vanishes", u"a**bold**b", u"ab"},
        {"marker names are case-sensitive", u"a**date**b", u"ab"},
        {"130-character name vanishes", u"a**" + longName + u"**b", u"ab"},
        {"lone asterisk kept", u"a*b", u"a*b"},
        {"two lone asterisks pair", u"a*b*c", u"a"},
        {"lone asterisk shifts the pairing", u"x*y**DATE**z", u"x" + date + u"*z"},
        {"text before a lone asterisk written once", u"**DATE**abc*def", date + u"abc*def"},
        {"marker open at the end", u"abc**DA", u"abc"},
        {"marker open after a field", u"**DATE**x**open", date + u"x"},
        {"block writes its body", u"a**ADDWAVEBEG2**<td/>**ADDWAVEEND2**b", u"a<td/>b"},
        {"field inside a block written at its place, literal in the body",
         u"a**ADDWAVEBEG2**<td>**DATE**</td>**ADDWAVEEND2**b",
         u"a" + date + u"<td>**DATE**</td>b"},
        // The lone asterisk pairs with the END marker's first asterisk: the
        // marker starts one unit before its second asterisk, and its last
        // asterisk opens a new pair that ends up written with the text behind.
        {"lone asterisk inside a block", u"**ADDWAVEBEG2**x*y**ADDWAVEEND2**z", u"x**z"},
        {"two END markers",
         u"**ADDWAVEBEG2**X**ADDWAVEEND2**Y**ADDWAVEEND2**Z",
         u"XYX**ADDWAVEEND2**YZ"},
        {"BEG without END",
         u"a**ADDWAVEBEG2**b**DATE**c**x**d", u"a" + date + u"d"},
        {"BEG inside a block moves the block start",
         u"**ADDWAVEBEG2**X**ADDWAVEBEG1**Y**ADDWAVEEND2**Z", u"YZ"},
        {"END before any BEG has an empty body", u"a**ADDWAVEEND2**b", u"ab"},
        {"non-ASCII text", u"Měření č. **DATE**", u"Měření č. " + date},
    };
    for (const ScanCase& scanCase : cases) {
        SCOPED_TRACE(scanCase.what);
        EXPECT_EQ(reportOf(scanCase.templateText), scanCase.expected);
    }
}

TEST_F(TemplateEngineTest, ReadsAtMostTheTemplateCapacityAndIgnoresAnOddByte) {
    constexpr std::size_t capacityUnits = TEMPLATE_MAX_BYTES / 2;
    // The cut falls between the asterisks of a marker and its name, which
    // leaves the marker open.
    const std::u16string text = std::u16string(capacityUnits - 2, u'a') + u"**DATE**tail";
    EXPECT_EQ(reportOf(text), std::u16string(capacityUnits - 2, u'a'));

    put(folder / "loss.htm", utf16Bytes(u"AB") + "C");
    ASSERT_EQ(generateReportFile(*store, folder).status, ReportStatus::Written);
    EXPECT_EQ(readUtf16(reportFile()), u"AB");
}

TEST(ReplaceFirstTest, ReplacesOnlyTheFirstOccurrence) {
    struct Case {
        std::u16string source, pattern, replacement, expected;
        bool replaced;
    };
    const std::vector<Case> cases = {
        {u"<**V**|**V**>", u"**V**", u"1.00", u"<1.00|**V**>", true},
        {u"**V**", u"**V**", u"**V****V**", u"**V****V**", true},
        {u"none", u"**V**", u"x", u"none", false},
        {u"**V*", u"**V**", u"x", u"**V*", false},
    };
    for (const Case& c : cases) {
        std::u16string destination = u"old";
        EXPECT_EQ(replaceFirst(destination, c.source, c.pattern, c.replacement), c.replaced);
        EXPECT_EQ(destination, c.expected);
        std::u16string inPlace = c.source;
        EXPECT_EQ(replaceFirst(inPlace, c.pattern, c.replacement), c.replaced);
        EXPECT_EQ(inPlace, c.expected);
    }
}

TEST_F(TemplateEngineTest, ChoosesTheTemplateByInstrumentKind) {
    writeTemplate(u"loss", "loss.htm");
    store->instrumentKind = KIND_ZD615;
    EXPECT_EQ(reportOf(u"zd615", "zd615.htm"), u"zd615");
    store->instrumentKind = KIND_LOSS_METER;
    EXPECT_EQ(reportOf(u"loss", "loss.htm"), u"loss");
}

TEST_F(TemplateEngineTest, WithoutProtocolPathWritesNewProtocolInTheWorkingFolder) {
    setSlotText(store->currentProtocolPath, u"");
    EXPECT_EQ(reportOf(u"**DATE**"), std::u16string(DATE));
    const fs::path protocol = folder / "new_protocol.opr";
    EXPECT_EQ(std::u16string(slotText(store->currentProtocolPath)), protocol.u16string());
    EXPECT_TRUE(fs::exists(folder / "new_protocol.opr.html"));
}

TEST_F(TemplateEngineTest, MissingTemplateCreatesNothing) {
    setSlotText(store->currentProtocolPath, u"");
    const ReportOutcome outcome = generateReportFile(*store, folder);
    EXPECT_EQ(outcome.status, ReportStatus::TemplateMissing);
    EXPECT_EQ(reportFailureMessage(store->language, outcome), text(84) + u" ( loss.htm )");
    EXPECT_TRUE(slotText(store->currentProtocolPath).empty());
    EXPECT_TRUE(fs::is_empty(folder));

    fs::create_directory(folder / "loss.htm");
    EXPECT_EQ(generateReportFile(*store, folder).status, ReportStatus::TemplateMissing);
}

TEST_F(TemplateEngineTest, ReportInAMissingFolderIsNotCreated) {
    writeTemplate(u"text");
    const std::u16string protocol = (folder / "missing" / "job.opr").u16string();
    setSlotText(store->currentProtocolPath, protocol);
    const ReportOutcome outcome = generateReportFile(*store, folder);
    EXPECT_EQ(outcome.status, ReportStatus::ReportNotCreated);
    EXPECT_EQ(reportFailureMessage(store->language, outcome), text(85));
    EXPECT_EQ(outcome.reportPath, protocol + u".html");
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(TemplateEngineTest, ReadOnlyReportIsNotReplaced) {
    writeTemplate(u"new report");
    put(reportFile(), "previous report");
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(reportFile(), writable, fs::perm_options::remove);

    const ReportOutcome outcome = generateReportFile(*store, folder);
    fs::permissions(reportFile(), fs::perms::owner_write, fs::perm_options::add);

    EXPECT_EQ(outcome.status, ReportStatus::ReportNotReplaced);
    EXPECT_EQ(reportFailureMessage(store->language, outcome),
              text(85) + u" ( " + outcome.reportPath + u" )");
    EXPECT_EQ(contents(reportFile()), "previous report");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST_F(TemplateEngineTest, FailedWriteKeepsThePreviousReport) {
    SKIP_WITHOUT_FILE_SIZE_LIMIT();
    writeTemplate(std::u16string(20000, u'x'));
    put(reportFile(), "previous report");

    ReportOutcome outcome{};
    {
        const FileSizeLimit limit(1000);
        outcome = generateReportFile(*store, folder);
    }

    EXPECT_EQ(outcome.status, ReportStatus::WriteFailed);
    EXPECT_EQ(reportFailureMessage(store->language, outcome), text(83));
    EXPECT_EQ(contents(reportFile()), "previous report");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

}  // namespace
