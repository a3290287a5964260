#include "core/measurement_store.h"

#include <chrono>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "core/fixed_text.h"
#include "core/instrument_kind.h"

namespace {

class MeasurementStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<MeasurementStore> store = makeStore();

    void addReading(std::uint32_t wavelength, std::uint32_t state, std::uint32_t order = 0) {
        ReadingRecord& reading = store->readings[store->recordCount++];
        reading.value = 0.5;
        reading.wavelength = wavelength;
        reading.state = state;
        reading.order = order;
    }

    void setTable(std::vector<std::pair<std::int32_t, double>> slots) {
        clearWavelengthTable(*store);
        for (std::size_t i = 0; i < slots.size(); ++i) {
            store->wavelengthTable[i].wavelength = slots[i].first;
            store->wavelengthTable[i].dbPerKm = slots[i].second;
        }
    }

    std::vector<std::int32_t> tableWavelengths() const {
        std::vector<std::int32_t> used;
        for (const auto& entry : store->wavelengthTable) {
            if (entry.wavelength == -1) break;
            used.push_back(entry.wavelength);
        }
        return used;
    }

    std::vector<std::uint32_t> summaryWavelengths() const {
        const auto& summary = store->wavelengthSummary;
        std::vector<std::uint32_t> used;
        for (std::uint32_t i = 0; i < summary.wavelengthCount; ++i) {
            used.push_back(summary.entries[i].wavelength);
        }
        return used;
    }
};

TEST_F(MeasurementStoreTest, FreshStoreIsEmptyWithAFreeWavelengthTable) {
    EXPECT_FALSE(hasData(*store));
    EXPECT_EQ(store->instrumentKind, KIND_NONE);
    EXPECT_EQ(store->evaluateWavelength, (std::array<std::int32_t, 3>{1, 1, 1}));
    EXPECT_TRUE(tableWavelengths().empty());
    EXPECT_EQ(store->configuration.configMagic, 0u);
    EXPECT_EQ(slotText(store->protocolForm.route), u"");
}

TEST_F(MeasurementStoreTest, ResetClearsRecordsButKeepsFormTableAndNames) {
    addReading(1550, STATE_A_TO_B, 1);
    store->instrumentKind = KIND_ZD615;
    store->evaluateWavelength = {0, 1, 0};
    store->rawText[10] = 'x';
    store->rawTextLength = 11;
    store->instrumentId[0] = u'Z';
    store->activeLimitSets[3].name[0] = 'A';
    store->editedLimitSets[4].name[0] = 'B';
    store->locationRecords[0].olt = 7;
    setSlotText(store->protocolForm.route, u"Praha - Brno");
    setTable({{1310, 0.35}});
    setLocationName(store->locationNames, 2, u"Sklep");

    resetStore(*store);

    EXPECT_FALSE(hasData(*store));
    EXPECT_EQ(store->instrumentKind, KIND_NONE);
    EXPECT_EQ(store->evaluateWavelength, (std::array<std::int32_t, 3>{1, 1, 1}));
    EXPECT_EQ(store->rawTextLength, 0u);
    EXPECT_EQ(store->rawText[10], 0);
    EXPECT_EQ(store->instrumentId[0], 0);
    EXPECT_EQ(store->readings[0].state, 0u);
    EXPECT_EQ(store->locationRecords[0].olt, 0u);
    EXPECT_EQ(store->activeLimitSets[3].name[0], 0);
    EXPECT_EQ(store->editedLimitSets[4].name[0], 0);
    EXPECT_EQ(slotText(store->protocolForm.route), u"Praha - Brno");
    EXPECT_EQ(findDbPerKm(*store, 1310), 0.35);
    EXPECT_EQ(locationName(store->locationNames, 2), u"Sklep");
}

TEST_F(MeasurementStoreTest, SummaryListsWavelengthsInAscendingOrder) {
    addReading(1550, STATE_LOADED);
    addReading(1310, STATE_A_TO_B, 2);
    addReading(1550, STATE_B_TO_A, 5);
    addReading(1490, STATE_LOADED);

    rebuildWavelengthSummary(*store);

    const auto& summary = store->wavelengthSummary;
    EXPECT_EQ(summaryWavelengths(), (std::vector<std::uint32_t>{1310, 1490, 1550}));
    EXPECT_EQ(summary.maxSelectedOrder, 5u);
    EXPECT_EQ(summary.entries[0].maxOrder, 2u);
    EXPECT_EQ(summary.entries[1].maxOrder, 0u);  // loaded only: nothing selected there
    EXPECT_EQ(summary.entries[2].maxOrder, 5u);
    for (const auto& entry : summary.entries) {
        EXPECT_EQ(entry.max1, -NOT_SET);
        EXPECT_EQ(entry.max3, -NOT_SET);
        EXPECT_EQ(entry.min2, NOT_SET);
        EXPECT_EQ(entry.sum1, 0.0);
        EXPECT_EQ(entry.count3, 0u);
    }
}

TEST_F(MeasurementStoreTest, SummaryRebuildForgetsEarlierSums) {
    addReading(1310, STATE_A_TO_B, 1);
    rebuildWavelengthSummary(*store);
    store->wavelengthSummary.entries[0].sum1 = 4.0;
    store->wavelengthSummary.entries[0].count1 = 2;
    store->wavelengthSummary.entries[7].wavelength = 999;

    rebuildWavelengthSummary(*store);

    EXPECT_EQ(store->wavelengthSummary.entries[0].sum1, 0.0);
    EXPECT_EQ(store->wavelengthSummary.entries[0].count1, 0u);
    EXPECT_EQ(store->wavelengthSummary.entries[7].wavelength, 0u);
}

TEST_F(MeasurementStoreTest, MaxSelectedOrderCountsOnlySelectedReadings) {
    addReading(1310, STATE_LOADED, 9);  // a stale order on an unselected reading
    addReading(1310, STATE_A_TO_B, 3);
    rebuildWavelengthSummary(*store);
    EXPECT_EQ(store->wavelengthSummary.maxSelectedOrder, 3u);
    EXPECT_EQ(store->wavelengthSummary.entries[0].maxOrder, 9u);
}

TEST_F(MeasurementStoreTest, EmptyReadingEndsTheSummaryScan) {
    addReading(1310, STATE_A_TO_B, 1);
    addReading(1490, STATE_EMPTY);
    addReading(1550, STATE_A_TO_B, 4);
    rebuildWavelengthSummary(*store);
    EXPECT_EQ(summaryWavelengths(), (std::vector<std::uint32_t>{1310}));
    EXPECT_EQ(store->wavelengthSummary.maxSelectedOrder, 1u);
}

TEST_F(MeasurementStoreTest, SummaryIgnoresReadingsBeyondRecordCount) {
    addReading(1310, STATE_LOADED);
    store->readings[1].state = STATE_LOADED;
    store->readings[1].wavelength = 1550;
    rebuildWavelengthSummary(*store);
    EXPECT_EQ(summaryWavelengths(), (std::vector<std::uint32_t>{1310}));
}

TEST_F(MeasurementStoreTest, SummaryKeepsTheFirst256WavelengthsAndSortsUnsigned) {
    for (std::uint32_t i = 0; i < 300; ++i) addReading(3000 - i, STATE_LOADED);
    addReading(0xFFFFFFF0u, STATE_LOADED);  // the 301st distinct one: ignored
    rebuildWavelengthSummary(*store);
    const auto wavelengths = summaryWavelengths();
    ASSERT_EQ(wavelengths.size(), 256u);
    EXPECT_EQ(wavelengths.front(), 3000u - 255u);
    EXPECT_EQ(wavelengths.back(), 3000u);
    EXPECT_TRUE(std::is_sorted(wavelengths.begin(), wavelengths.end()));

    store->recordCount = 0;
    addReading(0x80000000u, STATE_LOADED);  // would be negative as a signed number
    addReading(1, STATE_LOADED);
    rebuildWavelengthSummary(*store);
    EXPECT_EQ(summaryWavelengths(), (std::vector<std::uint32_t>{1, 0x80000000u}));
}

TEST_F(MeasurementStoreTest, SummaryOfAFullStoreIsQuick) {
    for (std::uint32_t i = 0; i < MAX_RECORDS; ++i) {
        addReading(1000 + (i * 7919) % 256, i % 3 == 0 ? STATE_LOADED : STATE_A_TO_B, i % 64);
    }
    const auto start = std::chrono::steady_clock::now();
    for (int run = 0; run < 10; ++run) rebuildWavelengthSummary(*store);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(store->wavelengthSummary.wavelengthCount, 256u);
    EXPECT_EQ(store->wavelengthSummary.maxSelectedOrder, 63u);
    // A selection click rebuilds the summary; ten rebuilds must stay far below a second.
    EXPECT_LT(elapsed, std::chrono::milliseconds(500));
}

TEST_F(MeasurementStoreTest, RegisterWavelengthAddsOnlyNewOnes) {
    setTable({{1310, 0.35}});
    registerWavelength(*store, 1310);
    registerWavelength(*store, 1550);
    EXPECT_EQ(tableWavelengths(), (std::vector<std::int32_t>{1310, 1550}));
    EXPECT_EQ(findDbPerKm(*store, 1310), 0.35);
    EXPECT_EQ(findDbPerKm(*store, 1550), NOT_SET);
}

TEST_F(MeasurementStoreTest, RegisterWavelengthIgnoresAFullTable) {
    for (std::size_t i = 0; i < WAVELENGTH_SLOTS; ++i) {
        store->wavelengthTable[i] = {static_cast<std::int32_t>(1000 + i), 0, 0.1};
    }
    registerWavelength(*store, 5000);
    EXPECT_EQ(findDbPerKm(*store, 5000), NOT_SET);
    EXPECT_EQ(store->wavelengthTable.back().wavelength, 1255);
}

TEST_F(MeasurementStoreTest, LookupsExamineAllSlots) {
    setTable({{1310, 0.35}});
    store->wavelengthTable[200] = {1625, 0, 0.25};  // behind the free slot
    EXPECT_EQ(findDbPerKm(*store, 1625), 0.25);
    setDbPerKm(*store, 1625, 0.3);
    EXPECT_EQ(store->wavelengthTable[200].dbPerKm, 0.3);
    setDbPerKm(*store, 850, 2.5);  // absent: nothing changes
    EXPECT_EQ(findDbPerKm(*store, 850), NOT_SET);
    EXPECT_EQ(tableWavelengths(), (std::vector<std::int32_t>{1310}));
}

TEST_F(MeasurementStoreTest, ClearWavelengthTableFreesEverySlot) {
    setTable({{1310, 0.35}, {1550, 0.2}});
    clearWavelengthTable(*store);
    for (const auto& entry : store->wavelengthTable) {
        EXPECT_EQ(entry.wavelength, -1);
        EXPECT_EQ(entry.dbPerKm, 0.0);
    }
}

TEST_F(MeasurementStoreTest, RemoveWavelengthClosesTheGap) {
    struct Case {
        std::vector<std::pair<std::int32_t, double>> table;
        std::uint32_t removed;
        std::vector<std::int32_t> expected;
    };
    const Case cases[] = {
        {{{1310, 0.1}, {1490, 0.2}, {1550, 0.3}}, 1310, {1490, 1550}},
        {{{1310, 0.1}, {1490, 0.2}, {1550, 0.3}}, 1490, {1310, 1550}},
        {{{1310, 0.1}, {1490, 0.2}, {1550, 0.3}}, 1550, {1310, 1490}},
        {{{1310, 0.1}, {1490, 0.2}}, 1625, {1310, 1490}},
        {{}, 1310, {}},
    };
    for (const auto& c : cases) {
        setTable(c.table);
        removeWavelength(*store, c.removed);
        EXPECT_EQ(tableWavelengths(), c.expected) << "removing " << c.removed;
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const auto& original = std::find_if(c.table.begin(), c.table.end(),
                                                [&](const auto& slot) { return slot.first == c.expected[i]; });
            EXPECT_EQ(store->wavelengthTable[i].dbPerKm, original->second);
        }
    }
}

TEST_F(MeasurementStoreTest, RemoveWavelengthFromAFullTableFreesTheLastSlot) {
    for (std::size_t i = 0; i < WAVELENGTH_SLOTS; ++i) {
        store->wavelengthTable[i] = {static_cast<std::int32_t>(1000 + i), 0, double(i)};
    }
    removeWavelength(*store, 1000);
    EXPECT_EQ(store->wavelengthTable[0].wavelength, 1001);
    EXPECT_EQ(store->wavelengthTable[254].wavelength, 1255);
    EXPECT_EQ(store->wavelengthTable[254].dbPerKm, 255.0);
    EXPECT_EQ(store->wavelengthTable[255].wavelength, -1);
}

TEST_F(MeasurementStoreTest, RemoveWavelengthDoesNotLookBehindTheFreeSlot) {
    setTable({{1310, 0.1}});
    store->wavelengthTable[5] = {1550, 0, 0.2};
    removeWavelength(*store, 1550);
    EXPECT_EQ(store->wavelengthTable[5].wavelength, 1550);
}

TEST_F(MeasurementStoreTest, PruneKeepsExactlyTheReadingsWavelengthsSorted) {
    setTable({{1550, 0.22}, {1310, 0.35}});
    addReading(1625, STATE_LOADED);
    addReading(1550, STATE_LOADED);
    rebuildWavelengthSummary(*store);
    registerSummaryWavelengths(*store);
    pruneWavelengthTable(*store);
    EXPECT_EQ(tableWavelengths(), (std::vector<std::int32_t>{1550, 1625}));
    EXPECT_EQ(findDbPerKm(*store, 1550), 0.22);
    EXPECT_EQ(findDbPerKm(*store, 1625), NOT_SET);
    EXPECT_EQ(findDbPerKm(*store, 1310), NOT_SET);
}

TEST_F(MeasurementStoreTest, PruneRemovesAdjacentUnusedWavelengths) {
    setTable({{850, 1}, {1300, 2}, {1550, 3}, {1310, 4}, {1383, 5}, {1490, 6}});
    addReading(1490, STATE_LOADED);
    addReading(1310, STATE_LOADED);
    rebuildWavelengthSummary(*store);
    pruneWavelengthTable(*store);
    EXPECT_EQ(tableWavelengths(), (std::vector<std::int32_t>{1310, 1490}));
    EXPECT_EQ(findDbPerKm(*store, 1310), 4.0);
}

TEST_F(MeasurementStoreTest, PruneWithoutReadingsEmptiesTheTable) {
    setTable({{1310, 0.35}, {1550, 0.22}});
    rebuildWavelengthSummary(*store);
    pruneWavelengthTable(*store);
    EXPECT_TRUE(tableWavelengths().empty());
}

TEST_F(MeasurementStoreTest, SortWavelengthTableSortsUsedSlotsWithTheirValues) {
    setTable({{1625, 4}, {1310, 1}, {1550, 3}, {1490, 2}});
    store->wavelengthTable[6] = {100, 0, 9};  // behind the free slot: untouched
    sortWavelengthTable(*store);
    EXPECT_EQ(tableWavelengths(), (std::vector<std::int32_t>{1310, 1490, 1550, 1625}));
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(store->wavelengthTable[i].dbPerKm, double(i + 1));
    EXPECT_EQ(store->wavelengthTable[6].wavelength, 100);
}

TEST_F(MeasurementStoreTest, InstrumentKindFollowsTheRecordsThenTheTypeWord) {
    struct Case {
        bool zd615Records;
        std::u16string_view type;
        std::int32_t kind;
    };
    const Case cases[] = {
        {true, u"ZD615", KIND_ZD615},      {true, u"OM210", KIND_ZD615},
        {true, u"", KIND_ZD615},           {false, u"ZD615", KIND_LOSS_METER},
        {false, u"zd615", KIND_LOSS_METER}, {false, u"OM210", KIND_LOSS_METER},
        {false, u"", KIND_NONE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(instrumentKindOf(c.zd615Records, c.type), c.kind) << c.zd615Records;
    }
}

TEST_F(MeasurementStoreTest, ApplyInstrumentTypeKeepsTheKindOfTheRecordsHeld) {
    struct Case {
        std::int32_t before;
        std::u16string_view type;
        std::int32_t after;
    };
    const Case cases[] = {
        {KIND_ZD615, u"OM210", KIND_ZD615},      {KIND_ZD615, u"", KIND_ZD615},
        {KIND_ZD615, u"ZD615", KIND_ZD615},      {KIND_LOSS_METER, u"ZD615", KIND_LOSS_METER},
        {KIND_NONE, u"ZD615", KIND_LOSS_METER},  {KIND_NONE, u"OM210", KIND_LOSS_METER},
        {KIND_LOSS_METER, u"", KIND_NONE},       {KIND_NONE, u"", KIND_NONE},
    };
    for (const auto& c : cases) {
        store->instrumentKind = c.before;
        applyInstrumentType(*store, c.type);
        EXPECT_EQ(store->instrumentKind, c.after);
    }
}

TEST_F(MeasurementStoreTest, BudgetSumsTheElementLosses) {
    ProtocolForm& form = store->protocolForm;
    setSlotText(form.fibreLength, u" 1250.5 m");
    setSlotText(form.spliceCount, u"2");
    setSlotText(form.spliceLimit, u"0.1");
    setSlotText(form.connectorCount, u"4");
    setSlotText(form.connectorLimit, u"0.5");
    setSlotText(form.splitterCount, u"1");
    setSlotText(form.splitterLimit, u"3.5");
    computeBudget(*store);
    EXPECT_EQ(store->fibreLengthValue, 1250.5);
    EXPECT_EQ(store->elementLossBudget, 2 * 0.1 + (1 * 3.5 + 4 * 0.5));
    EXPECT_NEAR(store->elementLossBudget, 5.7, 1e-12);
}

TEST_F(MeasurementStoreTest, BudgetTreatsTextsWithoutNumbersAsZero) {
    ProtocolForm& form = store->protocolForm;
    setSlotText(form.fibreLength, u"abc");
    setSlotText(form.spliceCount, u"3");
    setSlotText(form.spliceLimit, u"0,1");  // stops at the comma: 0
    setSlotText(form.connectorCount, u"2x");
    setSlotText(form.connectorLimit, u".75");
    computeBudget(*store);
    EXPECT_EQ(store->fibreLengthValue, 0.0);
    EXPECT_EQ(store->elementLossBudget, 1.5);
}

TEST_F(MeasurementStoreTest, LocationNamesLiveInTheirSlots) {
    LocationNames& names = store->locationNames;
    setLocationName(names, 1, u"Sklep");
    setLocationName(names, 9, u"Půda");
    EXPECT_EQ(names.units[0], 0);
    EXPECT_EQ(names.units[2], u'S');
    EXPECT_EQ(names.units[2 + 36 * 8], u'P');
    EXPECT_EQ(locationName(names, 1), u"Sklep");
    EXPECT_EQ(locationName(names, 9), u"Půda");
    EXPECT_EQ(locationName(names, 5), u"");
    EXPECT_EQ(locationName(names, 0), u"");
    EXPECT_EQ(locationName(names, 10), u"");
    setLocationName(names, 10, u"nowhere");
    setLocationName(names, 0, u"nowhere");
    EXPECT_EQ(names.units[0], 0);
    EXPECT_EQ(names.units[1], 0);
}

TEST_F(MeasurementStoreTest, LocationNameIsCutTo31AndTheSlotRestZeroed) {
    LocationNames& names = store->locationNames;
    std::fill(std::begin(names.units), std::end(names.units), u'#');
    setLocationName(names, 9, std::u16string(40, u'x'));
    EXPECT_EQ(locationName(names, 9), std::u16string(31, u'x'));
    EXPECT_EQ(names.units[2 + 36 * 8 + 31], 0);
    EXPECT_EQ(names.units[2 + 36 * 8 - 1], u'#');  // slot 8's tail untouched

    setLocationName(names, 3, u"ab");
    const char16_t* slot = names.units + 2 + 36 * 2;
    EXPECT_TRUE(std::all_of(slot + 2, slot + 32, [](char16_t unit) { return unit == 0; }));

    // A name cut inside a surrogate pair would leave half a character.
    std::u16string emoji = std::u16string(30, u'y') + u"\U0001F600";
    setLocationName(names, 4, emoji);
    EXPECT_EQ(locationName(names, 4), std::u16string(30, u'y'));
}

TEST_F(MeasurementStoreTest, UnterminatedLocationNameReadsAtMost31Units) {
    LocationNames& names = store->locationNames;
    std::fill(std::begin(names.units), std::end(names.units), u'z');
    EXPECT_EQ(locationName(names, 9).size(), 31u);
    EXPECT_EQ(locationName(names, 1).size(), 31u);
}

}  // namespace
