#include "instrument/instrument_text.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/fixed_text.h"

namespace {

const std::string LM = "OLM55 0042\r\n";   // a loss-meter identification
const std::string ZD = "ZD615 71234\r\n";  // a ZD615 identification
const std::string ZD_LINE = "1 2 3 -18.20 ---- -17.05 dBm p W o 2\r\n";

std::unique_ptr<MeasurementStore> storeWithText(const std::string& text) {
    auto store = makeStore();
    resetStore(*store);
    clearWavelengthTable(*store);
    std::memcpy(store->rawText.data(), text.data(), text.size());
    store->rawTextLength = static_cast<std::uint32_t>(text.size());
    return store;
}

// Marks every part that a reset clears, to see whether one happened.
void markResettableParts(MeasurementStore& store) {
    store.activeLimitSets[1].name[0] = 'X';
    store.evaluateWavelength = {0, 0, 0};
}

bool wasReset(const MeasurementStore& store) {
    return store.rawTextLength == 0 && store.recordCount == 0 &&
           store.activeLimitSets[1].name[0] == 0 &&
           store.evaluateWavelength == std::array<std::int32_t, 3>{1, 1, 1} &&
           store.instrumentKind == KIND_NONE && slotText(store.instrumentId).empty();
}

std::string lossLines(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += std::to_string(i % 256) + " 1 1310 -2.41 0\n";
    }
    return text;
}

struct FormatCase {
    const char* name;
    std::string text;
    std::uint32_t records;
    std::int32_t kind;
    bool positive = false;
};

// Texts the parser accepts, with the records and kind they yield.
const std::vector<FormatCase> ACCEPTED = {
    {"CrLf", LM + "1 1 1310 -2.41 0\r\n1 1 1550 -1,97 0\r\n", 2, KIND_LOSS_METER},
    {"LfOnly", "OLM55 0042\n1 1 1310 -2.41 0\n1 1 1550 -1.97 0\n", 2, KIND_LOSS_METER},
    {"CrOnly", "OLM55 0042\r1 1 1310 -2.41 0\r1 1 1550 -1.97 0\r", 2, KIND_LOSS_METER},
    {"LfCr", "OLM55 0042\n\r1 1 1310 -2.41 0\n\r1 1 1550 -1.97 0\n\r", 2, KIND_LOSS_METER},
    {"EmptyLinesVanish", LM + "\r\n\r\n1 1 1310 -2.41 0\n\n\r\r\n1 1 1550 -1.97 0\r\n\r\n", 2,
     KIND_LOSS_METER},
    {"JunkBeforeHeader", "\r\n \t--==**\r\n" + LM + "1 1 1310 -2.41 0\r\n", 1, KIND_LOSS_METER},
    {"NoFinalLineEnd", LM + "1 1 1310 -2.41 0\r\n1 1 1550 -1.97 0", 2, KIND_LOSS_METER},
    {"FourFieldsSkipped", LM + "1 1 1310 -2.41\r\n1 1 1550 -1.97 0\r\n", 1, KIND_LOSS_METER},
    {"ShortLinesSkipped", LM + "7\r\n7 8\r\n7 8 1310\r\n", 0, KIND_LOSS_METER},
    {"ElevenFields", LM + "1 1 1310 -2.41 0 1 2 3 4 5 6\r\n", 1, KIND_LOSS_METER},
    {"SixCharacterField", LM + "1 1 1310 -12.34 0\r\n", 1, KIND_LOSS_METER},
    {"BlankRunsAndTabs", LM + "1  1\t1310 \t -2.41   0\r\n", 1, KIND_LOSS_METER},
    {"NumericOddities", LM + "+1 -- 1310 1.2.3 +-.,\r\n", 1, KIND_LOSS_METER, true},
    {"NegativeLabelPasses", LM + "-1 -300 1310 -2 0\r\n", 1, KIND_LOSS_METER},
    {"LabelsBelow256", LM + "255 255 1310 -2 0\r\n", 1, KIND_LOSS_METER},
    {"ZeroValueNoWarning", LM + "1 1 1310 0 0\r\n1 1 1310 -0.0 0\r\n", 2, KIND_LOSS_METER},
    {"PositiveValueWarns", LM + "1 1 1310 0.5 0\r\n1 2 1310 +1 0\r\n", 2, KIND_LOSS_METER, true},
    {"HeaderOnly19Bytes", "OLM55 0123456789012", 0, KIND_LOSS_METER},
    {"NoStartCharacter", "-- ** -- ** -- ** --\r\n", 0, KIND_NONE},
    {"HeaderWithoutBlank", "OLM55\r\n1 1 1310 -2.41 0\r\n", 1, KIND_LOSS_METER},
    {"Zd615WordAloneIsZd615Layout", "ZD615\r\n" + ZD_LINE, 1, KIND_ZD615},
    {"Zd615Example", ZD + ZD_LINE, 1, KIND_ZD615},
    {"Zd615SevenFields", ZD + "1 2 3 -18.20 -19 -17.05 dBm\r\n", 1, KIND_ZD615},
    {"Zd615SixFieldsTrailingBlank", ZD + "1 2 3 -18.20 -19 -17.05 \r\n", 1, KIND_ZD615},
    {"Zd615LowercaseGrades", ZD + "1 2 3 -1 -2 -3 dBm f w p 1\r\n", 1, KIND_ZD615},
    {"Zd615HeaderBlankRuns", "ZD615 \t  71234\r\n" + ZD_LINE, 1, KIND_ZD615},
    // The model name is the text before the last blank run.
    {"ThirdHeaderWordMeansLossMeter", "ZD615 SN X\r\n1 1 1310 -2.41 0\r\n", 1, KIND_LOSS_METER},
    {"TrailingBlankMeansLossMeter", "ZD615 71234  \r\n1 1 1310 -2.41 0\r\n", 1, KIND_LOSS_METER},
    {"LowercaseModelMeansLossMeter", "zd615 71234\r\n1 1 1310 -2.41 0\r\n", 1, KIND_LOSS_METER},
};

// Texts the parser refuses by a data-line error; each resets the store.
const std::vector<FormatCase> REFUSED = {
    {"TwelveFields", LM + "1 1 1310 -2.41 0 1 2 3 4 5 6 7\r\n", 0, 0},
    {"SevenCharacterField", LM + "1 1 1310 -12.345 0\r\n", 0, 0},
    {"SevenCharacterLastField", LM + "1 1 1310 -1 1234567", 0, 0},
    {"LetterInField", LM + "1 1 1310 -2.41 x\r\n", 0, 0},
    {"LetterInSkippedLine", LM + "1 1 1310 abc\r\n", 0, 0},
    {"ExponentIsNoNumber", LM + "1 1 1310 -2e1 0\r\n", 0, 0},
    {"Number256", LM + "256 1 1310 -2.41 0\r\n", 0, 0},
    {"SubNumber256", LM + "1 256 1310 -2.41 0\r\n", 0, 0},
    {"TrailingBlank", LM + "1 1 1310 -2.41 0 \r\n", 0, 0},
    {"LeadingBlank", LM + " 1 1 1310 -2.41 0\r\n", 0, 0},
    {"BlankLineOfBlanks", LM + "1 1 1310 -2.41 0\r\n  \r\n", 0, 0},
    {"Zd615SixFields", ZD + "1 2 3 -18.20 -19 -17.05\r\n", 0, 0},
    {"Zd615EightFields", ZD + "1 2 3 -18.20 -19 -17.05 dBm P\r\n", 0, 0},
    {"Zd615TenFields", ZD + "1 2 3 -18.20 -19 -17.05 dBm P P P\r\n", 0, 0},
    {"Zd615ElevenFieldsTrailingBlank", ZD + "1 2 3 -1 -2 -3 dBm P P P 1 \r\n", 0, 0},
    {"Zd615TwoLetterGrade", ZD + "1 2 3 -1 -2 -3 dBm PW P P 1\r\n", 0, 0},
    {"Zd615UnknownGrade", ZD + "1 2 3 -1 -2 -3 dBm P X P 1\r\n", 0, 0},
    {"Zd615LetterPower", ZD + "1 2 3 -1 abc -3 dBm P P P 1\r\n", 0, 0},
    {"Zd615LetterLimitSet", ZD + "1 2 3 -1 -2 -3 dBm P P P a\r\n", 0, 0},
    {"Zd615LetterOlt", ZD + "A 2 3 -1 -2 -3 dBm\r\n", 0, 0},
    {"Zd615SevenCharacterUnits", ZD + "1 2 3 -1 -2 -3 dBmdBmX\r\n", 0, 0},
    {"LossLineAfterZd615Header", ZD + "1 1 1310 -2.41 0\r\n", 0, 0},
    {"Zd615LineAfterThreeWordHeader", "ZD615 SN X\r\n" + ZD_LINE, 0, 0},
};

std::string caseName(const ::testing::TestParamInfo<FormatCase>& param) {
    return param.param.name;
}

class AcceptedText : public ::testing::TestWithParam<FormatCase> {};

TEST_P(AcceptedText, YieldsItsRecordsAndKind) {
    const FormatCase& c = GetParam();
    auto store = storeWithText(c.text);
    const ParseResult result = parseInstrumentText(*store, ParseMode::Full);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.positiveValues, c.positive);
    EXPECT_EQ(store->recordCount, c.records);
    EXPECT_EQ(store->instrumentKind, c.kind);
    // The parser appends one line end to the text it keeps.
    EXPECT_EQ(store->rawTextLength, c.text.size() + 1);
    EXPECT_EQ(store->rawText[c.text.size()], '\n');
}

INSTANTIATE_TEST_SUITE_P(Format, AcceptedText, ::testing::ValuesIn(ACCEPTED),
                         caseName);

class RefusedText : public ::testing::TestWithParam<FormatCase> {};

TEST_P(RefusedText, ResetsTheStore) {
    auto store = storeWithText(GetParam().text);
    markResettableParts(*store);
    const ParseResult result = parseInstrumentText(*store, ParseMode::Full);
    EXPECT_FALSE(result.accepted);
    EXPECT_TRUE(wasReset(*store));
    EXPECT_EQ(store->rawText[0], 0);
}

INSTANTIATE_TEST_SUITE_P(Format, RefusedText, ::testing::ValuesIn(REFUSED),
                         caseName);

TEST(InstrumentText, LossMeterExampleYieldsTwoReadings) {
    auto store = storeWithText("TYPE 0042\r\n1 1 1310 -2.41 0\r\n1 1 1550 -1,97 0\r\n");
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    ASSERT_EQ(store->recordCount, 2u);
    const ReadingRecord& first = store->readings[0];
    EXPECT_EQ(first.number, 1u);
    EXPECT_EQ(first.subNumber, 1u);
    EXPECT_EQ(first.wavelength, 1310u);
    EXPECT_DOUBLE_EQ(first.value, 2.41);
    EXPECT_EQ(first.state, STATE_LOADED);
    EXPECT_EQ(first.order, 0u);
    EXPECT_EQ(store->readings[1].wavelength, 1550u);
    EXPECT_DOUBLE_EQ(store->readings[1].value, 1.97);
    EXPECT_EQ(store->readings[2].state, STATE_EMPTY);
    EXPECT_EQ(slotText(store->instrumentId), u"TYPE 0042");
    EXPECT_EQ(store->wavelengthSummary.wavelengthCount, 2u);
}

TEST(InstrumentText, Zd615ExampleYieldsOneLocationRecord) {
    auto store = storeWithText(ZD + ZD_LINE);
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    const LocationRecord& record = store->locationRecords[0];
    EXPECT_EQ(record.olt, 1u);
    EXPECT_EQ(record.ont, 2u);
    EXPECT_EQ(record.location, 3u);
    EXPECT_DOUBLE_EQ(record.power[0], -18.20);
    EXPECT_EQ(record.power[1], NOT_SET);
    EXPECT_DOUBLE_EQ(record.power[2], -17.05);
    EXPECT_STREQ(record.units, "dBm");
    EXPECT_EQ(record.grade[0], GRADE_PASS);
    EXPECT_EQ(record.grade[1], GRADE_WARNING);
    EXPECT_EQ(record.grade[2], GRADE_O);
    EXPECT_EQ(record.limitSet, 2u);
    EXPECT_EQ(record.selected, 0);
    EXPECT_EQ(record.reportMark, 0);
    EXPECT_EQ(store->readings[0].state, STATE_EMPTY);
}

TEST(InstrumentText, Zd615FieldRules) {
    auto store = storeWithText(ZD + "1 2 3 --- -1,5 ----- dBm\r\n" +
                               "4 5 6 -1 -2 -3 \r\n" + "7 8 9 -1 -2 -3 dB F O W 0\r\n");
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    ASSERT_EQ(store->recordCount, 3u);
    const LocationRecord& seven = store->locationRecords[0];
    // Only exactly four minus signs mark a missing value.
    EXPECT_EQ(seven.power[0], 0.0);
    EXPECT_DOUBLE_EQ(seven.power[1], -1.5);
    EXPECT_EQ(seven.power[2], 0.0);
    EXPECT_EQ(seven.limitSet, 0u);
    for (int grade : seven.grade) EXPECT_EQ(grade, GRADE_NOT_GRADED);
    EXPECT_STREQ(store->locationRecords[1].units, "");
    const LocationRecord& ungraded = store->locationRecords[2];
    EXPECT_EQ(ungraded.limitSet, 0u);
    for (int grade : ungraded.grade) EXPECT_EQ(grade, GRADE_NOT_GRADED);
    // ZD615 data have no readings, so the wavelength table ends up empty.
    EXPECT_EQ(store->wavelengthTable[0].wavelength, -1);
}

TEST(InstrumentText, AllGradeLettersAndUnitsBytes) {
    auto store = storeWithText(ZD + "1 1 1 -1 -2 -3 u\xB5W o P w 15\r\n" +
                               "1 1 2 -1 -2 -3 dBm F f O 7\r\n");
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    const LocationRecord& first = store->locationRecords[0];
    EXPECT_EQ((std::vector<int>(first.grade, first.grade + 3)),
              (std::vector<int>{GRADE_O, GRADE_PASS, GRADE_WARNING}));
    EXPECT_EQ(first.limitSet, 15u);
    EXPECT_STREQ(first.units, "u\xB5W");
    const LocationRecord& second = store->locationRecords[1];
    EXPECT_EQ((std::vector<int>(second.grade, second.grade + 3)),
              (std::vector<int>{GRADE_FAIL, GRADE_FAIL, GRADE_O}));
}

TEST(InstrumentText, ValueConversions) {
    auto store = storeWithText(LM + "1 1 1310 1,5 0\r\n-2 7 1550 -,25 0\r\n");
    const ParseResult result = parseInstrumentText(*store, ParseMode::Full);
    ASSERT_TRUE(result.accepted);
    EXPECT_TRUE(result.positiveValues);
    EXPECT_DOUBLE_EQ(store->readings[0].value, -1.5);
    EXPECT_DOUBLE_EQ(store->readings[1].value, 0.25);
    EXPECT_EQ(store->readings[1].number, static_cast<std::uint32_t>(-2));
    EXPECT_EQ(store->readings[1].subNumber, 7u);
}

TEST(InstrumentText, ShortTextChangesNothing) {
    auto store = storeWithText(LM + "1 1 1310 -2.41 0\r\n");
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    const std::string shortText = "OLM55 00421234567\n";  // 18 bytes
    std::memcpy(store->rawText.data(), shortText.data(), shortText.size());
    store->rawTextLength = 18;
    for (ParseMode mode : {ParseMode::Full, ParseMode::HeaderOnly}) {
        EXPECT_FALSE(parseInstrumentText(*store, mode).accepted);
        EXPECT_EQ(store->rawTextLength, 18u);
        EXPECT_EQ(store->recordCount, 1u);
        EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
        EXPECT_EQ(slotText(store->instrumentId), u"OLM55 0042");
    }
}

TEST(InstrumentText, LongestHeaderIsKeptAndOneMoreCharacterRefused) {
    const std::string word63(63, 'A');
    for (const std::string& text : {word63 + "\r\n", std::string(31, 'A') + " " + std::string(31, 'B') + "\r\n"}) {
        auto store = storeWithText(text + "1 1 1310 -2 0\r\n");
        ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted) << text;
        EXPECT_EQ(slotText(store->instrumentId).size(), 63u);
    }
    for (const std::string& text : {word63 + "A\r\n", word63 + " \r\n", word63 + " X\r\n"}) {
        auto store = storeWithText(text + "1 1 1310 -2 0\r\n");
        markResettableParts(*store);
        store->instrumentKind = KIND_ZD615;
        ASSERT_FALSE(parseInstrumentText(*store, ParseMode::Full).accepted) << text;
        // No reset: the records are cleared but the raw text and limit sets stay.
        EXPECT_EQ(slotText(store->instrumentId), std::u16string(63, u'A'));
        EXPECT_EQ(store->instrumentKind, KIND_NONE);
        EXPECT_EQ(store->recordCount, 0u);
        EXPECT_EQ(store->rawTextLength, text.size() + 16);
        EXPECT_EQ(store->activeLimitSets[1].name[0], 'X');
    }
}

TEST(InstrumentText, HeaderBytesAreLatin1AndBlankRunsOneSpace) {
    auto store = storeWithText("\r\nOLM\xE9\xFF  \t 00 42\r\n1 1 1310 -2 0\r\n");
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    EXPECT_EQ(slotText(store->instrumentId), u"OLM\u00E9\u00FF 00 42");
}

TEST(InstrumentText, TrailingBlanksStayInTheIdentification) {
    auto store = storeWithText("ZD615 71234  \r\n1 1 1310 -2.41 0\r\n");
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    EXPECT_EQ(slotText(store->instrumentId), u"ZD615 71234 ");
}

TEST(InstrumentText, HeaderOnlyStopsAfterTheIdentification) {
    struct Case {
        std::string text;
        std::int32_t kind;
        std::u16string id;
    };
    const std::vector<Case> cases = {
        {ZD + "garbage that would fail\r\n", KIND_ZD615, u"ZD615 71234"},
        {"ZD615 SN X\r\n1 2 3 -1 -2 -3 dBm\r\n", KIND_LOSS_METER, u"ZD615 SN X"},
        {"  OLM55 0042 without line end", KIND_LOSS_METER, u"OLM55 0042 without line end"},
    };
    for (const Case& c : cases) {
        auto store = storeWithText(LM + "1 1 1310 -2.41 0\r\n");
        ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
        std::memcpy(store->rawText.data(), c.text.data(), c.text.size());
        store->rawTextLength = static_cast<std::uint32_t>(c.text.size());
        const auto before = store->rawText;
        EXPECT_TRUE(parseInstrumentText(*store, ParseMode::HeaderOnly).accepted) << c.text;
        EXPECT_EQ(store->instrumentKind, c.kind);
        EXPECT_EQ(slotText(store->instrumentId), c.id);
        EXPECT_EQ(store->recordCount, 0u);
        EXPECT_EQ(store->readings[0].state, STATE_EMPTY);
        // The line end used for scanning is not kept.
        EXPECT_EQ(store->rawTextLength, c.text.size());
        EXPECT_TRUE(store->rawText == before);
    }
}

TEST(InstrumentText, HeaderOnlyWithoutHeaderIsRefused) {
    const std::string text = "-- ** -- ** -- ** --\r\n";
    auto store = storeWithText(text);
    EXPECT_FALSE(parseInstrumentText(*store, ParseMode::HeaderOnly).accepted);
    EXPECT_EQ(store->rawTextLength, text.size());
}

TEST(InstrumentText, EachParseAppendsOneLineEnd) {
    const std::string text = LM + "1 1 1310 -2.41 0";
    auto store = storeWithText(text);
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    EXPECT_EQ(store->rawTextLength, text.size() + 2);
    EXPECT_EQ(store->recordCount, 1u);
}

TEST(InstrumentText, WavelengthTableFollowsTheReadings) {
    auto store = storeWithText(LM + "1 1 1550 -2.41 0\r\n1 1 1625 -1.97 0\r\n1 2 1550 -2 0\r\n");
    registerWavelength(*store, 1310);
    registerWavelength(*store, 1550);
    setDbPerKm(*store, 1310, 0.35);
    setDbPerKm(*store, 1550, 0.25);
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    EXPECT_EQ(store->wavelengthTable[0].wavelength, 1550);
    EXPECT_EQ(store->wavelengthTable[0].dbPerKm, 0.25);
    EXPECT_EQ(store->wavelengthTable[1].wavelength, 1625);
    EXPECT_EQ(store->wavelengthTable[1].dbPerKm, NOT_SET);
    EXPECT_EQ(store->wavelengthTable[2].wavelength, -1);
}

TEST(InstrumentText, CapacityOfRecordsAndText) {
    const std::string full = LM + lossLines(MAX_RECORDS);
    auto store = storeWithText(full);
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    EXPECT_EQ(store->recordCount, MAX_RECORDS);

    // An 8193rd record, even one that would be skipped, refuses the text.
    for (const char* extra : {"1 1 1310 -2.41 0\n", "1 1 1310\n"}) {
        store = storeWithText(full + extra);
        EXPECT_FALSE(parseInstrumentText(*store, ParseMode::Full).accepted) << extra;
        EXPECT_TRUE(wasReset(*store));
    }

    std::string zd = ZD;
    for (std::size_t i = 0; i <= MAX_RECORDS; ++i) zd += "1 1 1 -1 -2 -3 dBm\n";
    store = storeWithText(zd);
    EXPECT_FALSE(parseInstrumentText(*store, ParseMode::Full).accepted);
    EXPECT_TRUE(wasReset(*store));
}

TEST(InstrumentText, LongestTextFitsWithItsLineEnd) {
    std::string text = LM + "1 1 1310 -2.41 0\r\n";
    text += std::string(MAX_INSTRUMENT_TEXT_LENGTH - text.size(), '\n');
    auto store = storeWithText(text);
    ASSERT_TRUE(parseInstrumentText(*store, ParseMode::Full).accepted);
    EXPECT_EQ(store->rawTextLength, RAW_TEXT_CAPACITY);

    // A full buffer leaves no room for the line end: refused, nothing changes.
    EXPECT_FALSE(parseInstrumentText(*store, ParseMode::Full).accepted);
    EXPECT_EQ(store->rawTextLength, RAW_TEXT_CAPACITY);
    EXPECT_EQ(store->recordCount, 1u);
    EXPECT_TRUE(parseInstrumentText(*store, ParseMode::HeaderOnly).accepted);
    EXPECT_EQ(store->rawTextLength, RAW_TEXT_CAPACITY);
}

}  // namespace
