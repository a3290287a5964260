// The results table for spreadsheet programs: the loss report's evaluated
// value lines or the ticked ZD615 rows, quoted where a field needs it.
#include <cstring>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "core/number_text.h"
#include "report/results_csv.h"
#include "report_fixture.h"

namespace {

const std::string BOM = "\xEF\xBB\xBF";

class ResultsCsvTest : public ReportFixture {
protected:
    void addReading(std::uint32_t wavelength, std::uint32_t fibre, std::uint32_t state,
                    double value) {
        const std::uint32_t index = store->recordCount++;
        store->readings[index] = ReadingRecord{value, index + 1, 1, wavelength, fibre, state, 0};
    }

    void addRecord(std::uint32_t olt, std::uint32_t ont, std::uint32_t location,
                   std::array<double, 3> power, std::array<std::int32_t, 3> grade,
                   std::uint32_t limitSet, bool selected) {
        LocationRecord& record = store->locationRecords[store->recordCount++];
        record = LocationRecord{};
        record.olt = olt;
        record.ont = ont;
        record.location = location;
        std::memcpy(record.power, power.data(), sizeof record.power);
        std::memcpy(record.grade, grade.data(), sizeof record.grade);
        record.limitSet = limitSet;
        record.selected = selected ? 1 : 0;
    }

    void nameLimitSet(std::uint32_t set, const char* name) {
        std::memset(store->activeLimitSets[set].name, ' ', 12);
        std::memcpy(store->activeLimitSets[set].name, name, std::strlen(name));
    }
};

TEST_F(ResultsCsvTest, FieldsAreQuotedOnlyWhereTheyHoldSeparatorQuoteOrLineEnd) {
    struct Case {
        std::u16string_view text;
        std::u16string_view field;
    };
    const Case cases[] = {
        {u"", u""},
        {u"Byt 12, patro 3", u"Byt 12, patro 3"},
        {u"3.10", u"3.10"},
        {u"A;B", u"\"A;B\""},
        {u"Byt \"A\"", u"\"Byt \"\"A\"\"\""},
        {u"\"", u"\"\"\"\""},
        {u"one\ntwo", u"\"one\ntwo\""},
        {u"one\rtwo", u"\"one\rtwo\""},
        {u"a;\"b\"\r\n", u"\"a;\"\"b\"\"\r\n\""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(u16ToUtf8(csvField(c.text)), u16ToUtf8(c.field)) << u16ToUtf8(c.text);
    }
}

// 2500 m, 2 splices at 0.1 dB, 4 connectors at 0.5 dB: 2.2 dB of elements,
// so 0.36 dB/km at 1310 nm allows 3.10 dB and 0.22 dB/km at 1550 nm 2.75 dB.
TEST_F(ResultsCsvTest, LossLinesHoldEachFibresReadingsAverageLimitAndVerdict) {
    setSlotText(store->protocolForm.fibreLength, u"2500");
    setSlotText(store->protocolForm.spliceCount, u"2");
    setSlotText(store->protocolForm.spliceLimit, u"0.1");
    setSlotText(store->protocolForm.connectorCount, u"4");
    setSlotText(store->protocolForm.connectorLimit, u"0.5");
    for (std::uint32_t wavelength : {1310u, 1550u, 1625u}) registerWavelength(*store, wavelength);
    setDbPerKm(*store, 1310, 0.36);
    setDbPerKm(*store, 1550, 0.22);

    addReading(1550, 1, STATE_A_TO_B, 2.80);  // one way, over 2.75
    addReading(1310, 1, STATE_A_TO_B, 2.90);
    addReading(1310, 1, STATE_B_TO_A, 3.00);  // within 3.10
    addReading(1310, 2, STATE_A_TO_B, 3.125); // a half: rounded away from zero
    addReading(1310, 2, STATE_A_TO_B, 1.0);   // a second reading of the same place counts not
    addReading(1625, 3, STATE_A_TO_B, 1.5);   // no dB/km: no limit, not evaluated
    addReading(1625, 3, STATE_B_TO_A, 2.0);
    addReading(1310, 4, STATE_LOADED, 9.0);   // not selected

    EXPECT_EQ(resultsCsv(*store), BOM +
                                      "T46;T42 [nm];T44 [dB];T45 [dB];Ø [dB];Limit [dB];T111\r\n"
                                      "1;1310;2.90;3.00;2.95;3.10;T97\r\n"
                                      "1;1550;2.80;;2.80;2.75;T96\r\n"
                                      "2;1310;3.13;;3.13;3.10;T96\r\n"
                                      "3;1625;1.50;2.00;1.75;;T98\r\n");
}

TEST_F(ResultsCsvTest, HeadingsDropAccessKeysAndColonsOfInterfaceTexts) {
    store->language.entries[42] = u"&Vlnová délka:";
    store->language.entries[44] = u"A&&B";
    store->language.entries[111] = u"Výsledek ";
    const std::string csv = resultsCsv(*store);
    EXPECT_EQ(csv, BOM + "T46;Vlnová délka [nm];A&B [dB];T45 [dB];Ø [dB];Limit [dB];Výsledek\r\n");
}

TEST_F(ResultsCsvTest, Zd615LinesAreTheTickedRowsInTheReportsGroupOrderQuotedWhereNeeded) {
    store->instrumentKind = KIND_ZD615;
    store->evaluateWavelength = {1, 1, 0};
    setLocationName(store->locationNames, 2, u"Byt \"A\"; 3");
    nameLimitSet(4, "B;C");
    store->language.entries[97] = u"OK; \"pass\"";
    addRecord(1, 3, 2, {2.125, -18.7, -5.1}, {GRADE_PASS, GRADE_WARNING, GRADE_PASS}, 4, true);
    addRecord(2, 1, 0, {NOT_SET, -20.0, NOT_SET}, {GRADE_O, GRADE_FAIL, GRADE_NOT_GRADED}, 0, true);
    addRecord(1, 3, 5, {1.0, 1.0, 1.0}, {GRADE_PASS, GRADE_PASS, GRADE_PASS}, 4, false);
    addRecord(1, 3, 7, {1.0, -1.0, 0.0}, {GRADE_NOT_GRADED, GRADE_PASS, GRADE_FAIL}, 9, true);

    EXPECT_EQ(resultsCsv(*store),
              BOM +
                  "T99;T100;T101;1310 nm [dBm];T111 1310 nm;1490 nm [dBm];T111 1490 nm;"
                  "1550 nm [dBm];T111 1550 nm;T103\r\n"
                  "1;3;\"Byt \"\"A\"\"; 3\";2.13;\"OK; \"\"pass\"\"\";-18.70;T115;-5.10;T130;"
                  "\"B;C(4)\"\r\n"
                  "1;3;7;1.00;----;-1.00;\"OK; \"\"pass\"\"\";0.00;T130;9\r\n"
                  "2;1;----;;T114;-20.00;T96;;T130;T104\r\n");
}

TEST_F(ResultsCsvTest, ThereAreResultsOnlyWithASelectedReadingOrATickedRow) {
    EXPECT_FALSE(hasResults(*store));
    addReading(1310, 1, STATE_LOADED, 2.0);
    EXPECT_FALSE(hasResults(*store));
    for (std::uint32_t state : {STATE_A_TO_B, STATE_B_TO_A}) {
        store->readings[0].state = state;
        EXPECT_TRUE(hasResults(*store)) << state;
    }

    resetStore(*store);
    store->instrumentKind = KIND_ZD615;
    addRecord(1, 1, 1, {1.0, 1.0, 1.0}, {GRADE_PASS, GRADE_PASS, GRADE_PASS}, 0, false);
    EXPECT_FALSE(hasResults(*store));
    store->locationRecords[0].selected = 1;
    EXPECT_TRUE(hasResults(*store));
}

TEST_F(ResultsCsvTest, AWriteIntoAMissingFolderFailsAndAGoodOneWritesTheTable) {
    addReading(1310, 1, STATE_A_TO_B, 2.0);
    EXPECT_FALSE(writeResultsCsv(*store, folder / "no such folder" / "results.csv"));
    ASSERT_TRUE(writeResultsCsv(*store, folder / "results.csv"));
    EXPECT_EQ(contents(folder / "results.csv"), resultsCsv(*store));
}

}  // namespace
