#include "core/form_text.h"

#include <gtest/gtest.h>

#include "core/measurement_store.h"

TEST(FormText, DateHasNoLeadingZeros) {
    EXPECT_EQ(protocolDateText(5, 3, 2012), u"5.3.2012");
    EXPECT_EQ(protocolDateText(31, 12, 1999), u"31.12.1999");
    EXPECT_EQ(protocolDateText(1, 10, 2025), u"1.10.2025");
}

TEST(FormText, DbPerKmShowsTwoDecimalsHalvesAwayFromZero) {
    EXPECT_EQ(dbPerKmText(0.125), u"0.13");
    EXPECT_EQ(dbPerKmText(-0.125), u"-0.13");
    EXPECT_EQ(dbPerKmText(0.35), u"0.35");
    EXPECT_EQ(dbPerKmText(0.0), u"0.00");
    EXPECT_EQ(dbPerKmText(NOT_SET), u"---");
}

TEST(FormText, TypedDbPerKm) {
    struct Case {
        std::u16string_view text;
        double value;
    };
    const Case cases[] = {
        {u"0.35", 0.35}, {u"+1.5", 1.5}, {u"-0.2", -0.2}, {u"7", 7.0},
        {u"1.2.3", 1.2},            // a number text, read as far as it is a number
        {u"-", 0.0},                // passes the check, converts to nothing
        {u"", NOT_SET}, {u"---", NOT_SET}, {u"0,35", NOT_SET}, {u"abc", NOT_SET},
        {u" 1", NOT_SET},           // a blank is not part of a number text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dbPerKmFromText(c.text), c.value) << std::string(c.text.begin(), c.text.end());
    }
}

TEST(FormText, ShownDbPerKmScansTheUsedPartOfTheTable) {
    auto store = makeStore();
    WavelengthTable& table = store->wavelengthTable;
    table[0] = {1310, 0, 0.125};
    table[1] = {1550, 0, NOT_SET};
    table[3] = {1625, 0, 0.5};  // behind the free slot 2: not part of the table

    EXPECT_EQ(shownDbPerKm(table, 1310), u"0.13");
    EXPECT_EQ(shownDbPerKm(table, 1550), u"---");
    EXPECT_EQ(shownDbPerKm(table, 1625), std::nullopt);
    EXPECT_EQ(shownDbPerKm(table, 850), std::nullopt);
}

TEST(FormText, ShownDbPerKmStopsAtTheEndOfAFullTable) {
    auto store = makeStore();
    WavelengthTable& table = store->wavelengthTable;
    for (std::size_t slot = 0; slot < table.size(); ++slot) {
        table[slot] = {static_cast<std::int32_t>(1000 + slot), 0, 1.0};
    }
    EXPECT_EQ(shownDbPerKm(table, 1255), u"1.00");
    EXPECT_EQ(shownDbPerKm(table, 1256), std::nullopt);
}
