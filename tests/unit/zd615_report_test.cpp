#include "report/zd615_report.h"

#include <cstring>
#include <map>
#include <regex>

#include "report_fixture.h"

namespace {

constexpr std::u16string_view VALUE_TABLE =
    u"**ZD615_VAL_TABLE_TOP_BEG**<h2>OLT **OLT_VAL** ONT **ONT_VAL** [**UNITS**] "
    u"**RESSTATE**</h2>**ZD615_VAL_TABLE_TOP_END**"
    u"**ZD615_VAL_TABLE_LOC_BEG**<tr>**LOC_VAL**|**LIMSET_VAL**|**VAL1310** **RESULT1310**|"
    u"**VAL1490** **RESULT1490**|**VAL1550** **RESULT1550**</tr>**ZD615_VAL_TABLE_LOC_END**"
    u"**ZD615_VAL_TABLE_BOT_BEG**</table>\n**ZD615_VAL_TABLE_BOT_END**";
constexpr std::u16string_view LIMIT_TABLE =
    u"**ZD615_LIM_TABLE_TOP_BEG**<limits>**ZD615_LIM_TABLE_TOP_END**"
    u"**ZD615_LIM_TABLE_VAL_BEG**<set>**LIM_NUM**:**PASS1310_VAL**,**WARN1310_VAL**,"
    u"**FAIL1310_VAL**,**PASS1490_VAL**,**WARN1490_VAL**,**FAIL1490_VAL**,**PASS1550_VAL**,"
    u"**WARN1550_VAL**,**FAIL1550_VAL**</set>**ZD615_LIM_TABLE_VAL_END**"
    u"**ZD615_LIM_TABLE_BOT_BEG**</limits>\n**ZD615_LIM_TABLE_BOT_END**";

constexpr std::size_t FAILED = 96, PASSED = 97, NO_LIMIT_SET = 104, GRADE_O_TEXT = 114,
                      WARNING = 115, NOT_EVALUATED = 130;
constexpr std::size_t STATE_PASSED = 132, STATE_WARNING = 133, STATE_FAILED = 134,
                      STATE_NOT_EVALUATED = 135, STATE_NOT_GRADED = 136;

std::u16string operator+(std::u16string_view left, std::u16string_view right) {
    return std::u16string(left) + std::u16string(right);
}

class Zd615ReportTest : public ReportFixture {
protected:
    void SetUp() override {
        ReportFixture::SetUp();
        store->instrumentKind = KIND_ZD615;
    }

    LocationRecord& addRecord(std::uint32_t olt, std::uint32_t ont, std::uint32_t location,
                              std::array<std::int32_t, 3> grades, std::uint32_t limitSet,
                              bool selected = true) {
        LocationRecord& record = store->locationRecords[store->recordCount++];
        record = LocationRecord{};
        record.olt = olt;
        record.ont = ont;
        record.location = location;
        record.power[0] = -20.5;
        record.power[1] = -18.254;
        record.power[2] = NOT_SET;
        std::strcpy(record.units, "dBm");
        std::copy(grades.begin(), grades.end(), record.grade);
        record.limitSet = limitSet;
        record.selected = selected ? 1 : 0;
        return record;
    }

    void nameLimitSet(std::uint32_t set, const char* name) {
        std::memset(store->activeLimitSets[set].name, ' ', 12);
        std::memcpy(store->activeLimitSets[set].name, name, std::strlen(name));
    }
    void setThreshold(std::uint32_t set, std::size_t word, std::uint16_t value) {
        store->activeLimitSets[set].thresholds[2 * word] = static_cast<std::uint8_t>(value >> 8);
        store->activeLimitSets[set].thresholds[2 * word + 1] = static_cast<std::uint8_t>(value);
    }

    std::u16string head(std::u16string_view olt, std::u16string_view ont, std::size_t state) {
        return u"<h2>OLT " + olt + u" ONT " + ont + u" [dBm] " + text(state) + u"</h2>";
    }
    // A row with the powers of addRecord.
    std::u16string row(std::u16string_view location, std::u16string_view set,
                       std::u16string_view r1310, std::u16string_view r1490,
                       std::u16string_view r1550) {
        return u"<tr>" + location + u"|" + set + u"|-20.50 " + r1310 + u"|-18.25 " + r1490 +
               u"|---- " + r1550 + u"</tr>";
    }
};

TEST_F(Zd615ReportTest, GroupsRecordsAndListsTheLimitSetsUsed) {
    setLocationName(store->locationNames, 2, u"Hall <A>");
    nameLimitSet(4, "LIM&4");
    setThreshold(4, 0, 1234);
    setThreshold(4, 1, 0x8000 | 1234);
    setThreshold(4, 2, 565);
    addRecord(1, 3, 2, {1, 2, 1}, 4);
    addRecord(2, 1, 1, {3, 1, 1}, 7);
    addRecord(1, 3, 9, {3, 3, 3}, 5, false);  // not selected
    addRecord(1, 3, 5, {1, 1, 1}, 4);

    const std::u16string report = reportOf(VALUE_TABLE + LIMIT_TABLE, "zd615.htm");

    const std::u16string set4 = u"LIM&amp;4(4)";
    const std::u16string expected =
        head(u"1", u"3", STATE_WARNING) +
        row(u"Hall &lt;A&gt;", set4, text(PASSED), text(WARNING), text(PASSED)) +
        row(u"5", set4, text(PASSED), text(PASSED), text(PASSED)) + u"</table>\n" +
        head(u"2", u"1", STATE_FAILED) +
        row(u"1", u"7", text(FAILED), text(PASSED), text(PASSED)) + u"</table>\n" +
        u"<limits><set>" + set4 + u":12.3,-12.3,5.7,0.0,0.0,0.0,0.0,0.0,0.0</set>"
        u"<set>7:0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0,0.0</set></limits>\n";
    EXPECT_EQ(report, expected);
    EXPECT_EQ(store->locationRecords[0].reportMark, 1);
    EXPECT_EQ(store->locationRecords[2].reportMark, 0);
}

TEST_F(Zd615ReportTest, GroupStates) {
    struct Case {
        const char* what;
        std::array<std::int32_t, 3> evaluate;
        std::array<std::int32_t, 3> grades;
        std::size_t state;
    };
    const std::vector<Case> cases = {
        {"grade O counts as failed", {1, 1, 1}, {0, 1, 1}, STATE_FAILED},
        {"passed", {1, 1, 1}, {1, 1, 1}, STATE_PASSED},
        {"failed outweighs warning", {1, 1, 1}, {2, 3, 1}, STATE_FAILED},
        {"not graded", {1, 1, 1}, {4, 4, 4}, STATE_NOT_GRADED},
        {"not graded with a wavelength not evaluated", {0, 1, 1}, {4, 4, 4},
         STATE_NOT_EVALUATED},
        {"nothing evaluated", {0, 0, 0}, {3, 3, 3}, STATE_NOT_EVALUATED},
        {"unknown grade counts nothing", {1, 1, 1}, {7, 7, 7}, STATE_NOT_EVALUATED},
        {"not evaluated wavelength leaves the others", {0, 1, 1}, {3, 2, 1}, STATE_WARNING},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store->recordCount = 0;
        store->evaluateWavelength = c.evaluate;
        addRecord(1, 1, 0, c.grades, 0);
        const std::u16string report =
            reportOf(u"**ZD615_VAL_TABLE_TOP_BEG****RESSTATE****ZD615_VAL_TABLE_TOP_END**"
                     u"**ZD615_VAL_TABLE_BOT_BEG****ZD615_VAL_TABLE_BOT_END**",
                     "zd615.htm");
        EXPECT_EQ(report, text(c.state));
    }
}

TEST_F(Zd615ReportTest, ResultTextsFollowGradeAndEvaluation) {
    store->evaluateWavelength = {0, 1, 1};
    addRecord(1, 1, 0, {3, 0, 4}, 0);

    const std::u16string report = reportOf(VALUE_TABLE + LIMIT_TABLE, "zd615.htm");

    // Limit set 0 only: its text in the row and no limit table at all.
    EXPECT_EQ(report, head(u"1", u"1", STATE_FAILED) +
                          row(u"----", text(NO_LIMIT_SET), text(NOT_EVALUATED),
                              text(GRADE_O_TEXT), u"----") +
                          u"</table>\n");
}

TEST_F(Zd615ReportTest, LimitTableBeforeValueTableWritesNothing) {
    addRecord(1, 1, 1, {1, 1, 1}, 3);
    const std::u16string report = reportOf(LIMIT_TABLE + VALUE_TABLE, "zd615.htm");
    EXPECT_EQ(report, head(u"1", u"1", STATE_PASSED) +
                          row(u"1", u"3", text(PASSED), text(PASSED), text(PASSED)) +
                          u"</table>\n");
}

TEST_F(Zd615ReportTest, SecondValueTablePrintsEveryRecordAgain) {
    addRecord(1, 1, 1, {1, 1, 1}, 0);
    addRecord(1, 2, 2, {2, 1, 1}, 0);
    const std::u16string once = reportOf(VALUE_TABLE, "zd615.htm");
    ASSERT_FALSE(once.empty());
    EXPECT_EQ(reportOf(VALUE_TABLE + u"|" + VALUE_TABLE, "zd615.htm"), once + u"|" + once);
}

TEST_F(Zd615ReportTest, NoSelectedRecordWritesNoTable) {
    addRecord(1, 1, 1, {1, 1, 1}, 2, false);
    EXPECT_EQ(reportOf(u"a" + VALUE_TABLE + LIMIT_TABLE + u"b", "zd615.htm"), u"ab");
}

TEST_F(Zd615ReportTest, RowsWithoutHeadOrFootBlocks) {
    addRecord(4, 2, 0, {1, 1, 1}, 0);
    EXPECT_EQ(reportOf(u"**ZD615_VAL_TABLE_LOC_BEG**[**LOC_VAL**]**ZD615_VAL_TABLE_LOC_END**"
                       u"**ZD615_VAL_TABLE_BOT_BEG****ZD615_VAL_TABLE_BOT_END**",
                       "zd615.htm"),
              u"[----]");
}

// The summary counts the groups the value tables show in each state: the
// tables' own state texts are the expectation.
TEST_F(Zd615ReportTest, SummaryCountsTheGroupsOfTheValueTablesPerState) {
    struct Record {
        std::uint32_t olt, ont;
        std::array<std::int32_t, 3> grades;
        bool selected = true;
    };
    struct Case {
        const char* what;
        std::vector<Record> records;
        std::size_t statesMet;  // distinct states among the groups
    };
    const std::vector<Case> cases = {
        {"every state",
         {{1, 1, {1, 1, 1}}, {1, 2, {1, 2, 1}}, {1, 3, {1, 1, 1}}, {2, 1, {0, 1, 1}},
          {1, 1, {1, 1, 1}}, {2, 2, {4, 4, 4}}, {1, 3, {3, 1, 1}}, {3, 1, {7, 7, 7}},
          {9, 9, {3, 3, 3}, false}, {2, 3, {1, 1, 1}}},
         5},
        {"graded states only", {{1, 1, {1, 1, 1}}, {1, 2, {3, 1, 1}}, {1, 2, {1, 1, 1}}}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store->recordCount = 0;
        for (const Record& r : c.records) addRecord(r.olt, r.ont, 1, r.grades, 0, r.selected);

        const std::u16string tables = reportOf(VALUE_TABLE, "zd615.htm");
        const std::u16string report = reportOf(u"**ZDSUMMARY**" + VALUE_TABLE, "zd615.htm");
        const std::size_t summaryEnd = report.find(u"</table>") + 8;
        // The summary leaves the value tables as they were.
        EXPECT_EQ(report.substr(summaryEnd), tables);

        std::map<std::string, std::uint32_t> groupsIn;
        const std::string tablesText = u16ToUtf8(tables);
        const std::regex state(R"(<h2>OLT \d+ ONT \d+ \[dBm\] (T\d+)</h2>)");
        for (auto it = std::sregex_iterator(tablesText.begin(), tablesText.end(), state);
             it != std::sregex_iterator(); ++it) {
            ++groupsIn[(*it)[1]];
        }
        EXPECT_EQ(groupsIn.size(), c.statesMet);
        std::vector<std::string> heads;
        std::vector<std::string> counts;
        for (std::size_t stateText : {STATE_PASSED, STATE_WARNING, STATE_FAILED,
                                      STATE_NOT_EVALUATED, STATE_NOT_GRADED}) {
            const std::string name = u16ToUtf8(text(stateText));
            const bool graded = stateText <= STATE_FAILED;
            if (!graded && groupsIn[name] == 0) continue;
            heads.push_back(name);
            counts.push_back(countText(groupsIn[name], stateText == STATE_FAILED));
        }
        EXPECT_EQ(tableCells(u16ToUtf8(report.substr(0, summaryEnd))),
                  (std::vector<std::vector<std::string>>{heads, counts}));
    }
}

TEST_F(Zd615ReportTest, SummaryOfNoSelectedRecordWritesNothing) {
    addRecord(1, 1, 1, {3, 3, 3}, 0, false);
    EXPECT_EQ(reportOf(u"a**ZDSUMMARY**b", "zd615.htm"), u"ab");
}

}  // namespace
