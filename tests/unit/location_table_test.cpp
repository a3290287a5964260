#include "selection/location_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "core/measurement_store.h"
#include "core/number_text.h"
#include "language/language_table.h"

namespace {

std::u16string entry(std::size_t number) { return u"text " + integerText(number); }

class LocationTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetStore(*store);
        for (std::size_t number = 0; number < LANGUAGE_ENTRIES; ++number) {
            store->language.entries[number] = entry(number);
        }
    }

    // Appends a record graded P P P with limit set 1 and units "dBm".
    LocationRecord& add(std::uint32_t olt, std::uint32_t ont, std::uint32_t location = 1) {
        LocationRecord& record = store->locationRecords[store->recordCount++];
        record = LocationRecord{};
        record.olt = olt;
        record.ont = ont;
        record.location = location;
        record.power[0] = 2.31;
        record.power[1] = -18.74;
        record.power[2] = -5.12;
        std::strcpy(record.units, "dBm");
        std::fill(std::begin(record.grade), std::end(record.grade), GRADE_PASS);
        record.limitSet = 1;
        return record;
    }

    // The record indices in the order a sort with `parameter` shows them;
    // a row goes first when the comparison is negative, and equal rows keep
    // their order.
    std::vector<std::size_t> sortedRows(int parameter) const {
        std::vector<std::size_t> rows(store->recordCount);
        std::iota(rows.begin(), rows.end(), std::size_t{0});
        std::stable_sort(rows.begin(), rows.end(), [&](std::size_t a, std::size_t b) {
            return compareLocationRows(*store, a, b, parameter) < 0;
        });
        return rows;
    }

    std::unique_ptr<MeasurementStore> store = makeStore();
};

// Every column with its key: larger values first for a positive parameter,
// units in ascending order, NOT_SET the largest power, equal keys equal
// whatever else differs.
TEST_F(LocationTableTest, CompareLocationRowsOrdersEveryColumnByItsKeyAlone) {
    using Change = void (*)(LocationRecord& a, LocationRecord& b);
    struct Case {
        const char* name;
        int column;
        Change change;
        int expected;  // compare(a, b) with a positive parameter
    };
    const Case cases[] = {
        {"row index", 1, [](LocationRecord&, LocationRecord&) {}, 1},
        {"olt", 2, [](LocationRecord& a, LocationRecord& b) { a.olt = 1; b.olt = 2; }, 1},
        {"olt unsigned", 2, [](LocationRecord& a, LocationRecord& b) { a.olt = 0xFFFFFFFF; b.olt = 1; }, -1},
        {"olt equal, the rest differs", 2,
         [](LocationRecord& a, LocationRecord& b) { a.ont = 9; b.location = 7; b.power[0] = -40; }, 0},
        {"ont", 3, [](LocationRecord& a, LocationRecord& b) { a.ont = 5; b.ont = 3; }, -1},
        {"location number, not name", 4,
         [](LocationRecord& a, LocationRecord& b) { a.location = 2; b.location = 10; }, 1},
        {"location unsigned", 4,
         [](LocationRecord& a, LocationRecord& b) { a.location = 0x80000000; b.location = 3; }, -1},
        {"1310 power", 5, [](LocationRecord& a, LocationRecord& b) { a.power[0] = -20; b.power[0] = -18; }, 1},
        {"1310 NOT_SET largest", 5,
         [](LocationRecord& a, LocationRecord& b) { a.power[0] = NOT_SET; b.power[0] = 3; }, -1},
        {"1310 NOT_SET above infinity", 5,
         [](LocationRecord& a, LocationRecord& b) { a.power[0] = std::numeric_limits<double>::infinity(); b.power[0] = NOT_SET; }, 1},
        {"1310 both NOT_SET", 5,
         [](LocationRecord& a, LocationRecord& b) { a.power[0] = NOT_SET; b.power[0] = NOT_SET; }, 0},
        {"1310 grade", 6, [](LocationRecord& a, LocationRecord& b) { a.grade[0] = 1; b.grade[0] = 3; }, 1},
        {"1490 power", 7, [](LocationRecord& a, LocationRecord& b) { a.power[1] = 0.5; b.power[1] = -0.5; }, -1},
        {"1490 grade", 8, [](LocationRecord& a, LocationRecord& b) { a.grade[1] = 4; b.grade[1] = 0; }, -1},
        {"1490 power equal", 7, [](LocationRecord& a, LocationRecord&) { a.power[2] = NOT_SET; }, 0},
        {"1550 power", 9,
         [](LocationRecord& a, LocationRecord& b) { a.power[2] = 1; b.power[2] = NOT_SET; }, 1},
        {"1550 grade signed", 10,
         [](LocationRecord& a, LocationRecord& b) { a.grade[2] = -1; b.grade[2] = 0; }, 1},
        {"1550 grade equal", 10, [](LocationRecord& a, LocationRecord&) { a.grade[0] = 3; }, 0},
        {"units ascending", 11,
         [](LocationRecord& a, LocationRecord& b) { std::strcpy(a.units, "dBm"); std::strcpy(b.units, "dBu"); }, -1},
        {"units prefix first", 11,
         [](LocationRecord& a, LocationRecord& b) { std::strcpy(a.units, "dBm"); std::strcpy(b.units, "dB"); }, 1},
        {"units bytes unsigned", 11,
         [](LocationRecord& a, LocationRecord& b) { a.units[0] = '\xE9'; b.units[0] = 'z'; }, 1},
        {"units equal up to the zero", 11,
         [](LocationRecord& a, LocationRecord& b) { a.units[5] = 'x'; b.units[5] = 'y'; }, 0},
        {"units filling the field", 11,
         [](LocationRecord& a, LocationRecord& b) {
             std::memset(a.units, 'm', sizeof a.units);
             std::memset(b.units, 'm', sizeof b.units);
             b.units[15] = 'n';
         }, -1},
        {"limit set", 12, [](LocationRecord& a, LocationRecord& b) { a.limitSet = 2; b.limitSet = 15; }, 1},
        {"limit set equal", 12, [](LocationRecord& a, LocationRecord& b) { a.olt = 4; b.grade[1] = 3; }, 0},
        {"tick column has no key", 0, [](LocationRecord& a, LocationRecord& b) { a.olt = 1; b.olt = 2; }, 0},
        {"no such column", 13, [](LocationRecord& a, LocationRecord& b) { a.olt = 1; b.olt = 2; }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store->recordCount = 0;
        LocationRecord& a = add(1, 1);
        LocationRecord& b = add(1, 1);
        c.change(a, b);
        const int parameter = c.column + 1;
        EXPECT_EQ(compareLocationRows(*store, 0, 1, parameter), c.expected);
        EXPECT_EQ(compareLocationRows(*store, 0, 1, -parameter), -c.expected);
        EXPECT_EQ(compareLocationRows(*store, 1, 0, parameter), -c.expected);
    }
}

TEST_F(LocationTableTest, HeaderClicksStartDescendingReverseOnTheSameColumnAndToggleTicks) {
    struct Click {
        int column;
        int parameter;
    };
    // The memory starts at column 0: the first click there ever ticks all.
    const Click clicks[] = {{0, 1},  {0, -1}, {0, 1}, {2, 3},  {2, -3},
                            {2, 3},  {11, 12}, {5, 6}, {0, 1}, {0, -1}};
    LocationSortMemory memory;
    for (const Click& click : clicks) {
        EXPECT_EQ(headerClickParameter(memory, click.column), click.parameter) << click.column;
        EXPECT_EQ(memory.lastSortColumn, click.column);
        EXPECT_EQ(memory.sortDescendingFlag, click.parameter > 0);
    }
}

TEST_F(LocationTableTest, TheFirstClickOnAPowerPutsMissingValuesFirst) {
    add(1, 1).power[1] = -20.0;
    add(1, 2).power[1] = NOT_SET;
    add(1, 3).power[1] = -18.0;
    add(1, 4).power[1] = NOT_SET;
    LocationSortMemory memory;
    EXPECT_EQ(sortedRows(headerClickParameter(memory, 7)), (std::vector<std::size_t>{1, 3, 2, 0}));
    EXPECT_EQ(sortedRows(headerClickParameter(memory, 7)), (std::vector<std::size_t>{0, 2, 1, 3}));
}

TEST_F(LocationTableTest, CommitStoresTheShownOrderAndExactlyTheTickedRows) {
    add(1, 10).selected = 1;
    add(3, 11);
    add(2, 12).selected = 1;
    add(3, 13);
    // Beyond the records in use: emptied by the commit.
    store->locationRecords[4] = store->locationRecords[0];
    const std::vector<std::size_t> order = sortedRows(3);  // OLT descending
    ASSERT_EQ(order, (std::vector<std::size_t>{1, 3, 2, 0}));
    std::vector<ShownRow> rows;
    for (const std::size_t record : order) rows.push_back({record, record == 3 || record == 0});

    commitLocationSelection(*store, rows);

    const std::uint32_t onts[] = {11, 13, 12, 10};
    const std::int32_t selected[] = {0, 1, 0, 1};
    for (std::size_t slot = 0; slot < 4; ++slot) {
        EXPECT_EQ(store->locationRecords[slot].ont, onts[slot]) << slot;
        EXPECT_EQ(store->locationRecords[slot].selected, selected[slot]) << slot;
    }
    EXPECT_EQ(store->recordCount, 4u);
    EXPECT_EQ(store->locationRecords[4].olt, 0u);
    EXPECT_EQ(store->locationRecords[4].selected, 0);
}

TEST_F(LocationTableTest, GradeTextsNameTheGradeOrTheWavelengthNotEvaluated) {
    struct Case {
        std::int32_t grade;
        std::u16string evaluated;
    };
    const Case cases[] = {{GRADE_O, entry(105)},       {GRADE_PASS, entry(106)},
                          {GRADE_WARNING, entry(107)}, {GRADE_FAIL, entry(108)},
                          {GRADE_NOT_GRADED, u"----"}, {-1, u"----"}};
    for (const Case& c : cases) {
        EXPECT_EQ(gradeText(store->language, c.grade, true), c.evaluated) << c.grade;
        EXPECT_EQ(gradeText(store->language, c.grade, false), entry(129)) << c.grade;
    }
}

TEST_F(LocationTableTest, ColumnsShowTheRecordAsTheTableDefinesThem) {
    add(1, 1);
    add(1, 1);
    LocationRecord& record = add(4000000000u, 17, 9);
    record.power[0] = NOT_SET;
    record.power[1] = -0.125;
    record.power[2] = 12.0;
    record.grade[0] = GRADE_WARNING;
    record.grade[1] = GRADE_FAIL;
    record.grade[2] = GRADE_NOT_GRADED;
    std::memset(record.units, 'u', sizeof record.units);
    record.limitSet = 3;
    setLocationName(store->locationNames, 9, u"Dům č. 9");
    std::memcpy(store->activeLimitSets[3].name, "GPON B+     ", 12);
    store->evaluateWavelength = {1, 0, 1};

    const std::u16string expected[LOCATION_COLUMNS] = {
        u"",    u"3.",      u"4000000000", u"17",   u"Dům č. 9",
        u"----", entry(107), u"-0.13",     entry(129), u"12.00",
        u"----", std::u16string(15, u'u'), u"GPON B+(3)"};
    for (int column = 0; column < LOCATION_COLUMNS; ++column) {
        EXPECT_EQ(locationColumnText(*store, 2, column), expected[column]) << column;
    }

    record.location = 0;
    record.limitSet = 0;
    EXPECT_EQ(locationColumnText(*store, 2, LOCATION_NAME_COLUMN), u"----");
    EXPECT_EQ(locationColumnText(*store, 2, LOCATION_LIMIT_SET_COLUMN), entry(104));
    record.location = 10;
    EXPECT_EQ(locationColumnText(*store, 2, LOCATION_NAME_COLUMN), u"10");
}

}  // namespace
