// The sample protocols shipped in data/samples: what a demonstration of the
// program relies on, and that they are exactly what the tool building them
// makes of the sample texts today.

#include <algorithm>
#include <string>

#include "core/fixed_text.h"
#include "core/protocol_file.h"
#include "core/protocol_form.h"
#include "file_fixture.h"
#include "instrument/instrument_text.h"
#include "report/value_format.h"
#include "run_program.h"
#include "selection/value_selection.h"

namespace {

namespace fs = std::filesystem;

const fs::path SAMPLES = fs::path(KALIVERA_SOURCE_DIR) / "data" / "samples";
const fs::path LOSS_METER_SAMPLE = SAMPLES / "lossmeter.opr";
const fs::path ZD615_SAMPLE = SAMPLES / "zd615.opr";

class SampleProtocolsTest : public FileTest {
protected:
    static std::unique_ptr<MeasurementStore> open(const fs::path& file) {
        auto store = makeStore();
        EXPECT_TRUE(readProtocolFile(*store, file)) << file;
        return store;
    }

    static void expectMagic(const fs::path& file, const char* magic) {
        EXPECT_EQ(contents(file).substr(0, PROTOCOL_MAGIC_SIZE), std::string(magic, PROTOCOL_MAGIC_SIZE));
    }

    static void expectJobData(const ProtocolForm& form) {
        EXPECT_FALSE(slotText(form.date).empty());
        EXPECT_FALSE(slotText(form.measuredBy).empty());
        EXPECT_FALSE(slotText(form.organisation).empty());
        EXPECT_FALSE(slotText(form.route).empty());
        EXPECT_FALSE(slotText(form.section).empty());
    }

    // The instrument slot holds type and serial of the identification that
    // the saved raw text starts with.
    static void expectInstrument(const MeasurementStore& store) {
        const InstrumentIdentity identity = splitInstrumentIdentity(slotText(store.protocolForm.instrument));
        EXPECT_FALSE(identity.type.empty());
        EXPECT_FALSE(identity.serial.empty());

        auto header = makeStore();
        header->rawText = store.rawText;
        header->rawTextLength = store.rawTextLength;
        ASSERT_TRUE(parseInstrumentText(*header, ParseMode::HeaderOnly).accepted);
        EXPECT_EQ(slotText(store.protocolForm.instrument), slotText(header->instrumentId));
    }
};

TEST_F(SampleProtocolsTest, LossMeterSampleHasFormRecordsAndRawText) {
    expectMagic(LOSS_METER_SAMPLE, PROTOCOL_MAGIC_LOSS_METER);
    const auto store = open(LOSS_METER_SAMPLE);
    EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
    EXPECT_GT(store->recordCount, 0u);
    EXPECT_GT(store->rawTextLength, 0u);
    expectJobData(store->protocolForm);
    EXPECT_FALSE(slotText(store->protocolForm.endA).empty());
    EXPECT_FALSE(slotText(store->protocolForm.endB).empty());
    expectInstrument(*store);

    computeBudget(*store);
    EXPECT_GT(store->fibreLengthValue, 0.0);
    EXPECT_GT(store->elementLossBudget, 0.0);
}

// Every wavelength has a dB/km value and a two-way selection whose lists are
// equally long and pair the two runs of the same fibre position by position.
TEST_F(SampleProtocolsTest, LossMeterSampleHasBalancedTwoWaySelection) {
    const auto store = open(LOSS_METER_SAMPLE);
    EXPECT_EQ(chooseInitialMode(*store), SelectionMode::TwoWay);
    const WavelengthSummary& summary = store->wavelengthSummary;
    ASSERT_GE(summary.wavelengthCount, 2u);
    for (std::uint32_t i = 0; i < summary.wavelengthCount; ++i) {
        const std::uint32_t wavelength = summary.entries[i].wavelength;
        SCOPED_TRACE(wavelength);
        EXPECT_NE(findDbPerKm(*store, wavelength), NOT_SET);
        const std::uint32_t positions = maxPosition(*store, STATE_A_TO_B, wavelength);
        EXPECT_GT(positions, 0u);
        EXPECT_EQ(maxPosition(*store, STATE_B_TO_A, wavelength), positions);

        const SelectionLists lists = selectionListsFor(*store, wavelength);
        ASSERT_EQ(lists.aToB.size(), positions);
        ASSERT_EQ(lists.bToA.size(), positions);
        for (std::size_t k = 0; k < positions; ++k) {
            const ReadingRecord& aToB = store->readings[lists.aToB[k]];
            const ReadingRecord& bToA = store->readings[lists.bToA[k]];
            EXPECT_EQ(aToB.subNumber, bToA.subNumber) << "position " << k + 1;
            EXPECT_NE(aToB.number, bToA.number) << "position " << k + 1;
        }
    }
}

TEST_F(SampleProtocolsTest, Zd615SampleHasFormAndSomeButNotAllRowsTicked) {
    expectMagic(ZD615_SAMPLE, PROTOCOL_MAGIC_ZD615);
    const auto store = open(ZD615_SAMPLE);
    EXPECT_EQ(store->instrumentKind, KIND_ZD615);
    EXPECT_GT(store->rawTextLength, 0u);
    expectJobData(store->protocolForm);
    expectInstrument(*store);
    EXPECT_EQ(store->evaluateWavelength, (std::array<std::int32_t, 3>{1, 1, 1}));

    const auto begin = store->locationRecords.begin();
    const auto end = begin + store->recordCount;
    const auto ticked = std::count_if(begin, end, [](const LocationRecord& record) { return record.selected != 0; });
    EXPECT_GT(ticked, 0);
    EXPECT_LT(ticked, static_cast<std::ptrdiff_t>(store->recordCount));
}

// The report shows some ticked locations by name, and every limit set that a
// ticked row is graded against has a name and thresholds.
TEST_F(SampleProtocolsTest, Zd615SampleNamesLocationsAndLimitSetsInUse) {
    const auto store = open(ZD615_SAMPLE);
    bool namedLocation = false;
    bool limitSetInUse = false;
    for (std::uint32_t i = 0; i < store->recordCount; ++i) {
        const LocationRecord& record = store->locationRecords[i];
        if (record.selected == 0) continue;
        namedLocation = namedLocation || !locationName(store->locationNames, record.location).empty();
        if (record.limitSet == 0) continue;
        limitSetInUse = true;
        SCOPED_TRACE(record.limitSet);
        ASSERT_LT(record.limitSet, LIMIT_SETS);
        const LimitSet& set = store->activeLimitSets[record.limitSet];
        EXPECT_FALSE(limitSetName(set).empty());
        EXPECT_TRUE(std::any_of(std::begin(set.thresholds), std::end(set.thresholds),
                                [](std::uint8_t byte) { return byte != 0; }));
    }
    EXPECT_TRUE(namedLocation);
    EXPECT_TRUE(limitSetInUse);
}

// Building the samples again from the sample texts gives the shipped bytes:
// the tool is deterministic and the shipped files are up to date.
TEST_F(SampleProtocolsTest, ToolRebuildsTheShippedBytes) {
    ASSERT_EQ(runProgram(KALIVERA_MAKE_SAMPLES, {SAMPLES.string(), folder.string()},
                         folder / "stdout", folder / "stderr"),
              0)
        << capturedText(folder / "stderr");
    for (const char* name : {"lossmeter.opr", "zd615.opr"}) {
        SCOPED_TRACE(name);
        const std::string rebuilt = contents(folder / name);
        EXPECT_FALSE(rebuilt.empty());
        EXPECT_TRUE(rebuilt == contents(SAMPLES / name));
    }
}

}  // namespace
