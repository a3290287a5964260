#include "report/value_format.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "core/measurement_store.h"
#include "language/language_table.h"

namespace {

TEST(ValueFormat, RoundHalfAwayRoundsHalvesAwayFromZero) {
    struct Case {
        double value;
        double scale;
        double expected;
    };
    const Case cases[] = {
        {2.35, 100, 2.35},   {-0.005, 100, -0.01}, {0.125, 100, 0.13},  {-0.125, 100, -0.13},
        {0.124, 100, 0.12},  {-0.124, 100, -0.12}, {1.005, 100, 1.0},   {5.65, 10, 5.7},
        {-5.65, 10, -5.7},   {0.05, 10, 0.1},      {0.04, 10, 0.0},     {12.0, 100, 12.0},
        {0.0, 100, 0.0},     {99.995, 100, 100.0}, {-2.5, 1, -3.0},     {2.5, 1, 3.0},
        {NOT_SET, 100, NOT_SET},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(roundHalfAway(c.value, c.scale), c.expected) << c.value << " at " << c.scale;
    }
}

TEST(ValueFormat, DecimalTextsRoundFirst) {
    EXPECT_EQ(twoDecimalText(0.125), u"0.13");  // an exact tie: printf alone gives 0.12
    EXPECT_EQ(twoDecimalText(-0.125), u"-0.13");
    EXPECT_EQ(twoDecimalText(2.675), u"2.67");  // held as slightly less than the half
    EXPECT_EQ(twoDecimalText(0.35), u"0.35");
    EXPECT_EQ(twoDecimalText(7), u"7.00");
    EXPECT_EQ(oneDecimalText(5.65), u"5.7");
    EXPECT_EQ(oneDecimalText(-0.25), u"-0.3");  // printf alone gives -0.2
    EXPECT_EQ(oneDecimalText(12.34), u"12.3");
}

// A zero prints without a sign on every platform, however it was reached: a
// negated 0 (a loss text "0"), a small negative value, or a rounding.
TEST(ValueFormat, ValuesThatRoundToZeroPrintWithoutASign) {
    struct Case {
        double value;
        std::u16string_view twoDecimals;
        std::u16string_view oneDecimal;
    };
    const Case cases[] = {
        {-0.0, u"0.00", u"0.0"},      {-0.004, u"0.00", u"0.0"},   {-0.005, u"-0.01", u"0.0"},
        {-0.01, u"-0.01", u"0.0"},    {-0.049, u"-0.05", u"0.0"},  {-0.05, u"-0.05", u"-0.1"},
        {0.004, u"0.00", u"0.0"},     {-1e-300, u"0.00", u"0.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(twoDecimalText(c.value), c.twoDecimals) << c.value;
        EXPECT_EQ(oneDecimalText(c.value), c.oneDecimal) << c.value;
    }
}

TEST(ValueFormat, ThresholdWordsAreSignAndMagnitude) {
    struct Case {
        std::uint16_t word;
        std::u16string_view expected;
    };
    const Case cases[] = {
        {1234, u"12.3"}, {0x8000 | 1234, u"-12.3"}, {565, u"5.7"}, {0x8000 | 565, u"-5.7"},
        {0x8000, u"0.0"}, {0, u"0.0"}, {0x7FFF, u"327.7"}, {0xFFFF, u"-327.7"}, {5, u"0.1"},
        {2800, u"28.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(thresholdText(c.word & 0xFF, c.word >> 8), c.expected) << c.word;
    }
}

TEST(ValueFormat, LocationLabelShowsNameOrNumber) {
    auto store = makeStore();
    LocationNames& names = store->locationNames;
    setLocationName(names, 2, u"Rozvaděč");
    setLocationName(names, 9, u"Půda");
    EXPECT_EQ(locationLabel(names, 0), u"----");
    EXPECT_EQ(locationLabel(names, 2), u"Rozvaděč");
    EXPECT_EQ(locationLabel(names, 9), u"Půda");
    EXPECT_EQ(locationLabel(names, 3), u"3");
    EXPECT_EQ(locationLabel(names, 10), u"10");
    EXPECT_EQ(locationLabel(names, 4294967295u), u"4294967295");
}

LimitSet namedSet(const char* name) {
    LimitSet set{};
    std::memcpy(set.name, name, std::min<std::size_t>(std::strlen(name), sizeof set.name));
    return set;
}

TEST(ValueFormat, LimitSetNameTrimsTrailingBlanks) {
    const std::pair<const char*, std::u16string_view> cases[] = {
        {"AB          ", u"AB"},
        {"            ", u""},
        {"", u""},
        {"  GPON B+   ", u"  GPON B+"},
        {"ABCDEFGHIJKL", u"ABCDEFGHIJKL"},
        {"A B         ", u"A B"},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(limitSetName(namedSet(name)), expected) << name;

    LimitSet zeroInside = namedSet("XY  ");
    zeroInside.name[4] = 0;
    zeroInside.name[5] = 'Q';
    EXPECT_EQ(limitSetName(zeroInside), u"XY");

    LimitSet zeroFirst = namedSet(" NAME");
    zeroFirst.name[0] = 0;
    EXPECT_EQ(limitSetName(zeroFirst), u"");

    const LimitSet highBytes = namedSet("\xE9t\xE9");
    EXPECT_EQ(limitSetName(highBytes), u"\u00E9t\u00E9");
}

class ValueFormatLanguageTest : public ::testing::Test {
protected:
    LanguageTable language;
    void SetUp() override {
        for (std::size_t i = 0; i < LANGUAGE_ENTRIES; ++i) {
            const std::string number = std::to_string(i);
            language.entries[i] = u"text " + std::u16string(1, char16_t(u'A' + i % 26)) +
                                  std::u16string(number.begin(), number.end());
        }
    }
};

TEST_F(ValueFormatLanguageTest, LimitSetLabelNamesTheSet) {
    LimitSetTable table{};
    table[3] = namedSet("AB          ");
    table[5] = namedSet("            ");
    table[15] = namedSet("LAST");
    table[0] = namedSet("NEVER SHOWN");
    EXPECT_EQ(limitSetLabel(language, table, 0), language.text(104));
    EXPECT_EQ(limitSetLabel(language, table, 3), u"AB(3)");
    EXPECT_EQ(limitSetLabel(language, table, 5), u"5");
    EXPECT_EQ(limitSetLabel(language, table, 7), u"7");
    EXPECT_EQ(limitSetLabel(language, table, 15), u"LAST(15)");
    EXPECT_EQ(limitSetLabel(language, table, 16), u"16");
    EXPECT_EQ(limitSetLabel(language, table, 4000000000u), u"4000000000");
}

TEST_F(ValueFormatLanguageTest, ReportGradeTextComesFromTheLanguage) {
    const std::pair<std::int32_t, std::size_t> graded[] = {
        {GRADE_O, 114}, {GRADE_PASS, 97}, {GRADE_WARNING, 115}, {GRADE_FAIL, 96},
    };
    for (const auto& [grade, text] : graded) {
        EXPECT_EQ(reportGradeText(language, grade, true), language.text(text)) << grade;
        EXPECT_EQ(reportGradeText(language, grade, false), language.text(130)) << grade;
    }
    EXPECT_EQ(reportGradeText(language, GRADE_NOT_GRADED, true), u"----");
    EXPECT_EQ(reportGradeText(language, -1, true), u"----");
    EXPECT_EQ(reportGradeText(language, GRADE_NOT_GRADED, false), language.text(130));
}

}  // namespace
