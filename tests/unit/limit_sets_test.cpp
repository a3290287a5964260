#include "selection/limit_sets.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/number_text.h"
#include "file_fixture.h"
#include "report/value_format.h"

namespace {

std::string bytesOf(const LimitSetTable& table) {
    return std::string(reinterpret_cast<const char*>(table.data()), sizeof table);
}

// Every byte different from its neighbours, so a byte in the wrong place shows.
LimitSetTable patternTable(std::uint8_t seed) {
    LimitSetTable table;
    auto* bytes = reinterpret_cast<std::uint8_t*>(table.data());
    for (std::size_t i = 0; i < sizeof table; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return table;
}

std::string nameOf(const LimitSet& set) { return std::string(std::begin(set.name), std::end(set.name)); }

TEST(LimitSets, ThresholdTextsStoreTheirValueAsSignAndMagnitudeHighByteFirst) {
    struct Case {
        std::u16string_view text;
        std::int32_t value;
        std::uint8_t high;
        std::uint8_t low;
    };
    const Case cases[] = {
        {u"-12.37", -1230, 0x84, 0xCE},  // only the first decimal counts
        {u"12.3", 1230, 0x04, 0xCE},
        {u"12", 1200, 0x04, 0xB0},
        {u"-40", -4000, 0x8F, 0xA0},
        {u"-0.5", -50, 0x80, 0x32},
        {u"+3.25", 320, 0x01, 0x40},
        {u"5.", 500, 0x01, 0xF4},  // nothing after the point: a whole number
        {u".", 0, 0x00, 0x00},
        {u"", 0, 0x00, 0x00},
        {u"-0", 0, 0x00, 0x00},  // no negative zero
        {u"  7", 700, 0x02, 0xBC},
        {u"1.2.3", 120, 0x00, 0x78},
        {u"12a", 1200, 0x04, 0xB0},  // the conversion stops at the letter
        {u"327.67", 32760, 0x7F, 0xF8},
        // Beyond ±327.67 dBm the value is clamped, so the sign bit stays the sign.
        {u"400", 32767, 0x7F, 0xFF},
        {u"-400", -32767, 0xFF, 0xFF},
        {u"327.7", 32767, 0x7F, 0xFF},
        {u"99999999999999999999999999", 32767, 0x7F, 0xFF},
        {u"-9999999.9", -32767, 0xFF, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u16ToUtf8(c.text));
        EXPECT_EQ(thresholdValue(c.text), c.value);
        LimitSet set = patternTable(3)[1];
        const LimitSet before = set;
        storeThreshold(set, 4, c.text);
        EXPECT_EQ(set.thresholds[8], c.high);
        EXPECT_EQ(set.thresholds[9], c.low);
        // Nothing but the two bytes of threshold 4 changes.
        set.thresholds[8] = before.thresholds[8];
        set.thresholds[9] = before.thresholds[9];
        EXPECT_EQ(std::memcmp(&set, &before, sizeof set), 0);
    }
}

TEST(LimitSets, ThresholdTextIsReadUpToItsSixtyThirdCharacter) {
    const std::u16string zeros(62, u'0');
    EXPECT_EQ(thresholdValue(zeros + u"1"), 100);
    EXPECT_EQ(thresholdValue(zeros + u"1" + u"2"), 100);
}

// Showing a set writes back what is shown: a value with hundredths keeps one
// decimal, and the largest magnitude stays positive.
TEST(LimitSets, AShownThresholdStoresBackWhatItShows) {
    struct Case {
        std::uint8_t high;
        std::uint8_t low;
        std::u16string_view shown;
        std::uint8_t storedHigh;
        std::uint8_t storedLow;
    };
    const Case cases[] = {
        {0x04, 0xD2, u"12.3", 0x04, 0xCE},  // 1234 shows 12.3 and becomes 1230
        {0x84, 0xD2, u"-12.3", 0x84, 0xCE},
        {0x7F, 0xFF, u"327.7", 0x7F, 0xFF},
        {0xFF, 0xFF, u"-327.7", 0xFF, 0xFF},
        {0x80, 0x00, u"0.0", 0x00, 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u16ToUtf8(c.shown));
        const std::u16string shown = thresholdText(c.low, c.high);
        EXPECT_EQ(shown, c.shown);
        LimitSet set{};
        storeThreshold(set, 0, shown);
        EXPECT_EQ(set.thresholds[0], c.storedHigh);
        EXPECT_EQ(set.thresholds[1], c.storedLow);
    }
}

// A box's text with its caret, and what its filter leaves; nothing to
// clean when it passes.
struct CleaningCase {
    std::u16string_view text;
    std::size_t caret;
    std::u16string_view cleaned;
    std::size_t cleanedCaret;
    bool passes;
};

template <typename Filter, std::size_t N>
void expectCleaning(Filter filter, const CleaningCase (&cases)[N]) {
    for (const CleaningCase& c : cases) {
        SCOPED_TRACE(u16ToUtf8(c.text));
        const auto cleaned = filter(c.text, c.caret);
        ASSERT_EQ(!cleaned, c.passes);
        if (!cleaned) continue;
        EXPECT_EQ(cleaned->text, c.cleaned);
        EXPECT_EQ(cleaned->caret, c.cleanedCaret);
    }
}

TEST(LimitSets, NameBoxKeepsCapitalsDigitsAndBlanks) {
    const CleaningCase cases[] = {
        // As typed: the box has already capitalised klient-1.
        {u"KLIENT-1", 8, u"KLIENT1", 7, false},
        {u"KLIENT-", 7, u"KLIENT", 6, false},
        {u"A-B", 2, u"AB", 1, false},
        {u"A-B", 1, u"AB", 1, false},
        {u"-A_B.", 5, u"AB", 2, false},
        // Set by the program, lower case is not capitalised but removed.
        {u"klient-1", 8, u"1", 1, false},
        {u"\u00C4B", 2, u"B", 1, false},
        {u"KLIENT A", 8, u"", 0, true},
        {u"", 0, u"", 0, true},
    };
    expectCleaning(filterSetNameText, cases);
}

TEST(LimitSets, ThresholdBoxKeepsANumberWithOneDecimal) {
    const CleaningCase cases[] = {
        {u"-12.37", 6, u"-12.3", 5, false},
        {u"12a", 3, u"12", 2, false},
        {u"a12", 1, u"12", 0, false},
        {u"abc", 3, u"", 0, false},  // an emptied box
        {u"12.3a4", 6, u"12.3", 4, false},
        {u"x1.25", 1, u"1.2", 0, false},
        {u"1.2.3", 5, u"1.2", 3, false},
        {u"5.", 2, u"", 0, true},
        {u".", 1, u"", 0, true},
        {u"+3.2", 4, u"", 0, true},
        {u"-", 1, u"", 0, true},
        {u"", 0, u"", 0, true},
    };
    expectCleaning(filterThresholdText, cases);
    // An emptied box stores 0.
    EXPECT_EQ(thresholdValue(filterThresholdText(u"abc", 3)->text), 0);
}

TEST(LimitSets, NameBytesAreTheAllowedCharactersPaddedWithBlanks) {
    struct Case {
        std::u16string_view text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"KLIENT1", "KLIENT1     "},
        {u"KLIENT-1", "KLIENT 1    "},
        {u"ab C", "   C        "},
        {u"", "            "},
        {u"ABCDEFGHIJKLMN", "ABCDEFGHIJKL"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u16ToUtf8(c.text));
        LimitSetTable table = patternTable(5);
        const LimitSetTable before = table;
        storeSetName(table[2], c.text);
        EXPECT_EQ(nameOf(table[2]), c.bytes);
        std::memcpy(table[2].name, before[2].name, sizeof table[2].name);
        EXPECT_EQ(bytesOf(table), bytesOf(before));
    }
}

class LimitFileTest : public FileTest {};

TEST_F(LimitFileTest, LoadingReplacesOnlyTheBytesTheFileHolds) {
    struct Case {
        std::size_t fileSize;
        std::size_t replaced;
    };
    // 100 bytes: sets 0 to 2 and the first four bytes of set 3.
    const Case cases[] = {{100, 100}, {0, 0}, {512, 512}, {700, 512}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileSize);
        std::string file(c.fileSize, '\0');
        for (std::size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>(200 - i);
        put(folder / "sets.thre", file);

        LimitSetTable table = patternTable(9);
        std::string expected = bytesOf(table);
        expected.replace(0, c.replaced, file, 0, c.replaced);
        ASSERT_TRUE(loadLimitFile(table, folder / "sets.thre"));
        EXPECT_EQ(bytesOf(table), expected);
    }
}

TEST_F(LimitFileTest, AFileThatCannotBeReadChangesNothing) {
    LimitSetTable table = patternTable(9);
    EXPECT_FALSE(loadLimitFile(table, folder / "missing.thre"));
    EXPECT_EQ(bytesOf(table), bytesOf(patternTable(9)));
}

TEST_F(LimitFileTest, SavingWritesTheWholeTableIncludingSetZero) {
    put(folder / "sets.thre", std::string(600, 'x'));  // a longer file is replaced whole
    const LimitSetTable table = patternTable(17);
    ASSERT_TRUE(saveLimitFile(table, folder / "sets.thre"));
    const std::string saved = contents(folder / "sets.thre");
    ASSERT_EQ(saved.size(), 512u);
    EXPECT_EQ(saved.substr(0, 32), bytesOf(table).substr(0, 32));
    EXPECT_EQ(saved, bytesOf(table));

    LimitSetTable loaded{};
    ASSERT_TRUE(loadLimitFile(loaded, folder / "sets.thre"));
    EXPECT_EQ(bytesOf(loaded), bytesOf(table));
}

TEST_F(LimitFileTest, AFailedSaveKeepsThePreviousFile) {
    std::filesystem::create_directories(folder / "sets.thre");  // a folder cannot be replaced by a file
    EXPECT_FALSE(saveLimitFile(patternTable(1), folder / "sets.thre"));
    EXPECT_FALSE(saveLimitFile(patternTable(1), folder / "missing" / "sets.thre"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "sets.thre"));
}

}  // namespace
