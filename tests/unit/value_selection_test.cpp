#include "selection/value_selection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/measurement_store.h"

namespace {

constexpr std::uint32_t NM1310 = 1310;
constexpr std::uint32_t NM1550 = 1550;

class ValueSelectionTest : public ::testing::Test {
protected:
    std::size_t add(std::uint32_t number, std::uint32_t subNumber, std::uint32_t wavelength = NM1310,
                    std::uint32_t state = STATE_LOADED, std::uint32_t order = 0, double value = 1.0) {
        const std::size_t index = store_->recordCount++;
        store_->readings[index] = ReadingRecord{value, number, subNumber, wavelength, order, state, 0};
        return index;
    }

    const ReadingRecord& reading(std::size_t index) const { return store_->readings[index]; }

    void expectPlace(std::size_t index, std::uint32_t state, std::uint32_t order) const {
        EXPECT_EQ(reading(index).state, state) << "reading " << index;
        EXPECT_EQ(reading(index).order, order) << "reading " << index;
    }

    std::unique_ptr<MeasurementStore> store_ = makeStore();
};

using Indices = std::vector<std::size_t>;

TEST_F(ValueSelectionTest, EmptyStoreShowsNothingAndAllowsOk) {
    const SelectionLists lists = selectionListsFor(*store_, currentWavelength(u""));
    EXPECT_EQ(currentWavelength(u""), 0u);
    EXPECT_TRUE(lists.loaded.empty());
    EXPECT_TRUE(lists.aToB.empty());
    EXPECT_TRUE(lists.bToA.empty());
    EXPECT_EQ(chooseInitialMode(*store_), SelectionMode::TwoWay);
    EXPECT_TRUE(selectionBalanced(*store_, SelectionMode::TwoWay, 0));
}

TEST_F(ValueSelectionTest, InitialModeFollowsTheStates) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> states;
        SelectionMode mode;
    };
    const Case cases[] = {
        {"nothing selected", {STATE_LOADED, STATE_LOADED}, SelectionMode::TwoWay},
        {"only A to B", {STATE_LOADED, STATE_A_TO_B}, SelectionMode::OneWay},
        {"any B to A", {STATE_A_TO_B, STATE_LOADED, STATE_B_TO_A}, SelectionMode::TwoWay},
        {"B to A alone", {STATE_B_TO_A}, SelectionMode::TwoWay},
        {"B to A behind an empty record is not seen", {STATE_A_TO_B, STATE_EMPTY, STATE_B_TO_A},
         SelectionMode::OneWay},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        resetStore(*store_);
        for (const std::uint32_t state : testCase.states) {
            add(1, store_->recordCount + 1, NM1310, state, state == STATE_LOADED ? 0 : 1);
        }
        EXPECT_EQ(chooseInitialMode(*store_), testCase.mode);
    }
    // Nor is anything at or beyond recordCount.
    resetStore(*store_);
    add(1, 1, NM1310, STATE_A_TO_B, 1);
    store_->readings[1] = ReadingRecord{1.0, 1, 2, NM1310, 1, STATE_B_TO_A, 0};
    EXPECT_EQ(chooseInitialMode(*store_), SelectionMode::OneWay);
}

TEST_F(ValueSelectionTest, ListsShowTheCurrentWavelengthInPositionOrder) {
    const std::size_t loaded1 = add(1, 1);
    const std::size_t other = add(1, 2, NM1550);
    const std::size_t second = add(2, 1, NM1310, STATE_A_TO_B, 2);
    const std::size_t loaded2 = add(3, 1);
    const std::size_t first = add(4, 1, NM1310, STATE_A_TO_B, 1);
    const std::size_t back = add(5, 1, NM1310, STATE_B_TO_A, 1);
    add(6, 1, NM1550, STATE_B_TO_A, 2);

    const SelectionLists lists = selectionListsFor(*store_, NM1310);
    EXPECT_EQ(lists.loaded, (Indices{loaded1, loaded2}));
    EXPECT_EQ(lists.aToB, (Indices{first, second}));
    EXPECT_EQ(lists.bToA, (Indices{back}));
    EXPECT_EQ(selectionListsFor(*store_, NM1550).loaded, (Indices{other}));
}

TEST_F(ValueSelectionTest, DirectionListStopsAtTheFirstMissingPosition) {
    const std::size_t first = add(1, 1, NM1310, STATE_A_TO_B, 1);
    add(1, 2, NM1310, STATE_A_TO_B, 3);
    add(1, 3, NM1310, STATE_B_TO_A, 2);  // no position 1 in B to A

    const SelectionLists lists = selectionListsFor(*store_, NM1310);
    EXPECT_EQ(lists.aToB, (Indices{first}));
    EXPECT_TRUE(lists.bToA.empty());
    EXPECT_EQ(maxPosition(*store_, STATE_A_TO_B, NM1310), 3u);
}

TEST_F(ValueSelectionTest, TwoWayNeedsBothListsToEndAtTheSamePosition) {
    for (std::uint32_t number = 1; number <= 3; ++number) {
        add(number, 1, NM1310, STATE_A_TO_B, number);
        add(number, 2, NM1310, number <= 2 ? STATE_B_TO_A : STATE_LOADED, number <= 2 ? number : 0);
    }
    add(9, 1, NM1550, STATE_A_TO_B, 1);  // another wavelength does not count

    EXPECT_FALSE(selectionBalanced(*store_, SelectionMode::TwoWay, NM1310));
    EXPECT_TRUE(selectionBalanced(*store_, SelectionMode::OneWay, NM1310));

    moveSelectedReadings(*store_, NM1310, {u"3/2"}, STATE_LOADED, STATE_B_TO_A);
    EXPECT_TRUE(selectionBalanced(*store_, SelectionMode::TwoWay, NM1310));
    EXPECT_EQ(reading(5).order, 3u);
}

TEST_F(ValueSelectionTest, ClearSelectionReturnsEveryWavelengthUpToTheFirstEmptyRecord) {
    add(1, 1, NM1310, STATE_A_TO_B, 1);
    add(1, 2, NM1550, STATE_B_TO_A, 4);
    add(1, 3, NM1310, STATE_LOADED, 0);
    add(0, 0, 0, STATE_EMPTY, 0);
    add(1, 4, NM1310, STATE_A_TO_B, 2);  // behind the empty record: never scanned

    clearSelection(*store_);
    expectPlace(0, STATE_LOADED, 0);
    expectPlace(1, STATE_LOADED, 0);
    expectPlace(2, STATE_LOADED, 0);
    expectPlace(4, STATE_A_TO_B, 2);
}

TEST_F(ValueSelectionTest, AddedEntriesAreAppendedInListOrder) {
    const std::size_t existing = add(1, 1, NM1310, STATE_A_TO_B, 1);
    const std::size_t two = add(2, 1);
    const std::size_t three = add(3, 1);

    moveSelectedReadings(*store_, NM1310, {u"3/1", u"2/1"}, STATE_LOADED, STATE_A_TO_B);
    expectPlace(three, STATE_A_TO_B, 2);
    expectPlace(two, STATE_A_TO_B, 3);
    EXPECT_EQ(selectionListsFor(*store_, NM1310).aToB, (Indices{existing, three, two}));
}

TEST_F(ValueSelectionTest, MoveFindsOnlyReadingsOfTheCurrentWavelengthAndSourceState) {
    const std::size_t other = add(1, 1, NM1550);
    const std::size_t selected = add(1, 1, NM1310, STATE_A_TO_B, 1);
    const std::size_t target = add(1, 1, NM1310);

    moveSelectedReadings(*store_, NM1310, {u"1/1"}, STATE_LOADED, STATE_B_TO_A);
    expectPlace(other, STATE_LOADED, 0);
    expectPlace(selected, STATE_A_TO_B, 1);
    expectPlace(target, STATE_B_TO_A, 1);
}

TEST_F(ValueSelectionTest, UnreadableItemTextEndsTheMoveAndUnknownOneIsSkipped) {
    struct Case {
        const char* name;
        std::vector<std::u16string> texts;
        std::uint32_t movedCount;
    };
    const Case cases[] = {
        {"unknown reading skipped", {u"1/1", u"9/9", u"2/1", u"3/1"}, 3},
        {"text without slash ends", {u"1/1", u"21", u"2/1"}, 1},
        {"empty text ends", {u"1/1", u"2/1", u"", u"3/1"}, 2},
        {"slash beyond 31 characters ends", {std::u16string(31, u' ') + u"/1", u"1/1"}, 0},
        {"blanks before numbers are read", {u" 1/ 1", u"2/1"}, 2},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        resetStore(*store_);
        add(1, 1);
        add(2, 1);
        add(3, 1);
        moveSelectedReadings(*store_, NM1310, testCase.texts, STATE_LOADED, STATE_A_TO_B);
        EXPECT_EQ(selectionListsFor(*store_, NM1310).aToB.size(), testCase.movedCount);
        EXPECT_EQ(selectionListsFor(*store_, NM1310).loaded.size(), 3 - testCase.movedCount);
    }
}

// Positions 1 to 3 of both lists hold fibre 5: A to B subNumbers 1-3, B to A 4-6.
class SharedNumberTest : public ValueSelectionTest {
protected:
    void SetUp() override {
        add(7, 1);  // an unrelated loaded reading
        for (std::uint32_t position = 1; position <= 3; ++position) {
            aToB[position] = add(5, position, NM1310, STATE_A_TO_B, position);
            bToA[position] = add(5, position + 3, NM1310, STATE_B_TO_A, position);
        }
    }
    std::size_t aToB[4] = {};
    std::size_t bToA[4] = {};
};

TEST_F(SharedNumberTest, ReturningPositionTwoReturnsBothDirectionsAndRenumbers) {
    returnSelectedReadings(*store_, NM1310, {u"5/2"}, {});

    expectPlace(aToB[2], STATE_LOADED, 0);
    expectPlace(bToA[2], STATE_LOADED, 0);
    expectPlace(aToB[3], STATE_A_TO_B, 2);
    expectPlace(bToA[3], STATE_B_TO_A, 2);
    const SelectionLists lists = selectionListsFor(*store_, NM1310);
    EXPECT_EQ(lists.aToB, (Indices{aToB[1], aToB[3]}));
    EXPECT_EQ(lists.bToA, (Indices{bToA[1], bToA[3]}));
    EXPECT_EQ(lists.loaded, (Indices{0, aToB[2], bToA[2]}));
    EXPECT_TRUE(selectionBalanced(*store_, SelectionMode::TwoWay, NM1310));
}

TEST_F(SharedNumberTest, ReturnReadsTheBToAListAsItStoodBefore) {
    // B to A entries 5/5 (the partner of 5/2) and 5/6 were selected too. The
    // partner has already gone back and is skipped; 5/6, renumbered to 2,
    // then returns position 2 of both lists once more.
    returnSelectedReadings(*store_, NM1310, {u"5/2"}, {u"5/5", u"5/6"});

    const SelectionLists lists = selectionListsFor(*store_, NM1310);
    EXPECT_EQ(lists.aToB, (Indices{aToB[1]}));
    EXPECT_EQ(lists.bToA, (Indices{bToA[1]}));
    EXPECT_EQ(lists.loaded, (Indices{0, aToB[2], bToA[2], aToB[3], bToA[3]}));
}

TEST_F(SharedNumberTest, ClosingAGapLeavesOtherNumbersAndWavelengthsAlone) {
    const std::size_t otherNumber = add(6, 1, NM1310, STATE_A_TO_B, 4);
    const std::size_t otherWavelength = add(5, 9, NM1550, STATE_A_TO_B, 2);

    closePositionGap(*store_, 1, 5, NM1310);
    expectPlace(aToB[1], STATE_LOADED, 0);
    expectPlace(bToA[1], STATE_LOADED, 0);
    expectPlace(aToB[2], STATE_A_TO_B, 1);
    expectPlace(bToA[3], STATE_B_TO_A, 2);
    expectPlace(otherNumber, STATE_A_TO_B, 4);
    expectPlace(otherWavelength, STATE_A_TO_B, 2);
}

TEST_F(ValueSelectionTest, FindsTheFirstMatchWithinTheScan) {
    add(4, 2, NM1310, STATE_A_TO_B, 7);
    const std::size_t match = add(4, 2, NM1310, STATE_LOADED, 0);
    add(4, 2, NM1310, STATE_LOADED, 0);
    add(0, 0, 0, STATE_EMPTY, 0);
    add(8, 1, NM1310, STATE_LOADED, 0);
    add(8, 1, NM1310, STATE_A_TO_B, 0x80000000u);

    EXPECT_EQ(findReading(*store_, STATE_LOADED, 4, NM1310, 2), match);
    EXPECT_EQ(findAtPosition(*store_, NM1310, STATE_A_TO_B, 7), 0u);
    EXPECT_EQ(findReading(*store_, STATE_LOADED, 8, NM1310, 1), std::nullopt);
    EXPECT_EQ(findAtPosition(*store_, NM1310, STATE_A_TO_B, 0x80000000u), std::nullopt);
    EXPECT_EQ(maxPosition(*store_, STATE_A_TO_B, NM1310), 7u);

    // Orders compare unsigned.
    store_->readings[3].state = STATE_LOADED;
    EXPECT_EQ(maxPosition(*store_, STATE_A_TO_B, NM1310), 0x80000000u);
}

TEST(ValueSelectionText, ItemTexts) {
    const ReadingRecord reading{2.344, 12, 3, NM1310, 0, STATE_LOADED, 0};
    EXPECT_EQ(readingNumberText(reading), u"12/3");
    struct Case {
        double value;
        const char16_t* text;
    };
    for (const Case& testCase : {Case{0.125, u"0.13"}, Case{-0.125, u"-0.13"}, Case{2.344, u"2.34"},
                                 Case{0.124, u"0.12"}, Case{-3.5, u"-3.50"}}) {
        ReadingRecord withValue = reading;
        withValue.value = testCase.value;
        EXPECT_EQ(readingValueText(withValue), testCase.text) << testCase.value;
    }
    EXPECT_EQ(wavelengthItemText(1310), u"1310 nm");
    EXPECT_EQ(currentWavelength(wavelengthItemText(1550)), 1550u);
    EXPECT_EQ(currentWavelength(wavelengthItemText(4294967295u)), 4294967295u);
    EXPECT_EQ(currentWavelength(u""), 0u);
}

// The dialog's algorithms written out literally with the scanning
// primitives, as a reference for the faster moves and list building.
void referenceMove(MeasurementStore& store, std::uint32_t wavelength, const std::vector<std::u16string>& texts,
                   std::uint32_t from, std::uint32_t to) {
    for (const std::u16string& full : texts) {
        const std::u16string text = full.substr(0, 31);
        const std::size_t slash = text.find(u'/');
        if (text.empty() || slash == std::u16string::npos) return;
        const auto number = static_cast<std::uint32_t>(std::stoul(std::string(text.begin(), text.begin() + slash)));
        const auto subNumber = static_cast<std::uint32_t>(std::stoul(std::string(text.begin() + slash + 1, text.end())));
        const std::optional<std::size_t> found = findReading(store, from, number, wavelength, subNumber);
        if (!found) continue;
        ReadingRecord& reading = store.readings[*found];
        if (from == STATE_LOADED && (to == STATE_A_TO_B || to == STATE_B_TO_A)) {
            reading.order = maxPosition(store, to, reading.wavelength) + 1;
        }
        if ((from == STATE_A_TO_B || from == STATE_B_TO_A) && to == STATE_LOADED) {
            closePositionGap(store, reading.order, reading.number, reading.wavelength);
        }
        reading.state = to;
    }
}

Indices referenceList(const MeasurementStore& store, std::uint32_t state, std::uint32_t wavelength) {
    Indices list;
    for (std::uint32_t k = 1; k <= maxPosition(store, state, wavelength); ++k) {
        const std::optional<std::size_t> found = findAtPosition(store, wavelength, state, k);
        if (!found) break;
        list.push_back(*found);
    }
    return list;
}

TEST_F(ValueSelectionTest, MovesAndListsAgreeWithTheLiteralAlgorithm) {
    std::mt19937 random(20240611);
    auto reference = makeStore();
    for (int round = 0; round < 300; ++round) {
        resetStore(*store_);
        const std::size_t count = random() % 40;
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint32_t state = random() % 12 == 0 ? 0 : random() % 3 + 1;
            add(random() % 4 + 1, random() % 3 + 1, random() % 3 == 0 ? NM1550 : NM1310, state, random() % 5);
        }
        reference->readings = store_->readings;
        reference->recordCount = store_->recordCount;

        for (int click = 0; click < 6; ++click) {
            std::vector<std::u16string> texts;
            const std::size_t selected = random() % 6;
            for (std::size_t i = 0; i < selected; ++i) {
                texts.push_back(random() % 15 == 0 ? u"x" : readingNumberText(store_->readings[random() % 40]));
            }
            const std::uint32_t from = random() % 3 + 1;
            const std::uint32_t to = random() % 3 + 1;
            moveSelectedReadings(*store_, NM1310, texts, from, to);
            referenceMove(*reference, NM1310, texts, from, to);
            ASSERT_EQ(std::memcmp(store_->readings.data(), reference->readings.data(), sizeof(ReadingRecord) * 40), 0)
                << "round " << round << " click " << click;
            for (const std::uint32_t wavelength : {NM1310, NM1550}) {
                const SelectionLists lists = selectionListsFor(*store_, wavelength);
                ASSERT_EQ(lists.aToB, referenceList(*reference, STATE_A_TO_B, wavelength));
                ASSERT_EQ(lists.bToA, referenceList(*reference, STATE_B_TO_A, wavelength));
            }
        }
    }
}

// One click on a full store: the move and rebuilding the lists.
class FullStoreTest : public ValueSelectionTest {
protected:
    void fill(bool oneNumber) {
        for (std::uint32_t i = 0; i < MAX_RECORDS; ++i) {
            add(oneNumber ? 1 : i / 2 + 1, oneNumber ? i + 1 : i % 2 + 1, NM1310, STATE_LOADED, 0, -0.1 * i);
        }
    }

    std::vector<std::u16string> itemTexts(const Indices& items) const {
        std::vector<std::u16string> texts;
        for (const std::size_t index : items) texts.push_back(readingNumberText(reading(index)));
        return texts;
    }

    // The click and the lists the dialog then shows (its time is measured by
    // kalivera_bench).
    template <typename Click>
    SelectionLists click(Click move) {
        move();
        return selectionListsFor(*store_, NM1310);
    }
};

TEST_F(FullStoreTest, ClicksMoveAndReturnEightThousandReadings) {
    for (const bool oneNumber : {false, true}) {
        SCOPED_TRACE(oneNumber ? "all readings share one number" : "two readings per number");
        resetStore(*store_);
        fill(oneNumber);
        Indices loaded = selectionListsFor(*store_, NM1310).loaded;
        const std::vector<std::u16string> firstHalf = itemTexts(Indices(loaded.begin(), loaded.begin() + 4096));
        const std::vector<std::u16string> secondHalf = itemTexts(Indices(loaded.begin() + 4096, loaded.end()));

        SelectionLists lists = click(
            [&] { moveSelectedReadings(*store_, NM1310, firstHalf, STATE_LOADED, STATE_A_TO_B); });
        ASSERT_EQ(lists.aToB.size(), 4096u);
        EXPECT_EQ(reading(lists.aToB.back()).order, 4096u);

        lists = click([&] { moveSelectedReadings(*store_, NM1310, secondHalf, STATE_LOADED, STATE_B_TO_A); });
        ASSERT_EQ(lists.bToA.size(), 4096u);
        EXPECT_TRUE(lists.loaded.empty());

        const std::vector<std::u16string> aToBTexts = itemTexts(lists.aToB);
        const std::vector<std::u16string> bToATexts = itemTexts(lists.bToA);
        lists = click([&] { returnSelectedReadings(*store_, NM1310, aToBTexts, bToATexts); });
        EXPECT_EQ(lists.loaded.size(), MAX_RECORDS);
        EXPECT_TRUE(lists.aToB.empty());
        EXPECT_TRUE(lists.bToA.empty());
    }
}

}  // namespace
