#include "instrument/data_file.h"

#include <cstring>
#include <string>

#include "core/fixed_text.h"
#include "file_fixture.h"
#include "instrument/instrument_text.h"

namespace {

const std::string TEXT = "OLM55 0042\r\n1 1 1310 -2.41 0\r\n1 1 1550 -1.97 0\r\n";

class DataFileTest : public FileTest {
protected:
    std::unique_ptr<MeasurementStore> store = makeStore();

    void SetUp() override {
        FileTest::SetUp();
        clearWavelengthTable(*store);
    }

    // Data already loaded, which each case either keeps or discards.
    void loadEarlierData() {
        put(folder / "earlier.txt", TEXT);
        ASSERT_EQ(loadDataFile(*store, folder / "earlier.txt").outcome, DataFileOutcome::Loaded);
        store->activeLimitSets[1].name[0] = 'X';
    }

    bool isReset() const {
        return store->recordCount == 0 && store->rawTextLength == 0 &&
               store->activeLimitSets[1].name[0] == 0;
    }
};

TEST_F(DataFileTest, LoadsAndParsesTheFileAsItIs) {
    put(folder / "data.txt", TEXT);
    const DataFileResult result = loadDataFile(*store, folder / "data.txt");
    EXPECT_EQ(result.outcome, DataFileOutcome::Loaded);
    EXPECT_FALSE(result.positiveValues);
    EXPECT_EQ(store->recordCount, 2u);
    EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
    EXPECT_EQ(std::string(store->rawText.begin(), store->rawText.begin() + store->rawTextLength),
              TEXT + "\n");
}

TEST_F(DataFileTest, ReportsPositiveValues) {
    put(folder / "data.txt", "OLM55 0042\r\n1 1 1310 0.3 0\r\n");
    const DataFileResult result = loadDataFile(*store, folder / "data.txt");
    EXPECT_EQ(result.outcome, DataFileOutcome::Loaded);
    EXPECT_TRUE(result.positiveValues);
}

TEST_F(DataFileTest, LargestFileIsParsedAndOneByteMoreIsRefused) {
    std::string largest = TEXT;
    largest.resize(MAX_INSTRUMENT_TEXT_LENGTH, '\n');
    put(folder / "largest.txt", largest);
    EXPECT_EQ(loadDataFile(*store, folder / "largest.txt").outcome, DataFileOutcome::Loaded);
    EXPECT_EQ(store->rawTextLength, RAW_TEXT_CAPACITY);
    EXPECT_EQ(store->recordCount, 2u);

    for (std::size_t size : {RAW_TEXT_CAPACITY, RAW_TEXT_CAPACITY + 1, 2 * RAW_TEXT_CAPACITY}) {
        loadEarlierData();
        std::string tooLarge = TEXT;
        tooLarge.resize(size, '\n');
        put(folder / "large.txt", tooLarge);
        EXPECT_EQ(loadDataFile(*store, folder / "large.txt").outcome, DataFileOutcome::TooLarge);
        EXPECT_TRUE(isReset()) << size;
    }
}

TEST_F(DataFileTest, MissingOrEmptyFileResetsTheStore) {
    put(folder / "empty.txt", "");
    for (const char* name : {"empty.txt", "missing.txt", ""}) {
        loadEarlierData();
        EXPECT_EQ(loadDataFile(*store, folder / name).outcome, DataFileOutcome::CannotRead) << name;
        EXPECT_TRUE(isReset()) << name;
    }
}

TEST_F(DataFileTest, ShortFileReachesTheParserWhichKeepsTheEarlierRecords) {
    for (std::size_t size = 1; size < MIN_INSTRUMENT_TEXT_LENGTH; ++size) {
        loadEarlierData();
        const std::string shortText = TEXT.substr(0, size);
        put(folder / "short.txt", shortText);
        EXPECT_EQ(loadDataFile(*store, folder / "short.txt").outcome, DataFileOutcome::Rejected);
        EXPECT_EQ(store->recordCount, 2u);
        EXPECT_EQ(store->rawTextLength, size);
        EXPECT_EQ(std::memcmp(store->rawText.data(), shortText.data(), size), 0);
    }
}

TEST_F(DataFileTest, RefusedTextLeavesWhatTheParserLeft) {
    loadEarlierData();
    put(folder / "bad.txt", "OLM55 0042\r\n1 1 1310 -2.41 zero\r\n");
    EXPECT_EQ(loadDataFile(*store, folder / "bad.txt").outcome, DataFileOutcome::Rejected);
    EXPECT_TRUE(isReset());
}

TEST_F(DataFileTest, FolderCannotBeRead) {
    loadEarlierData();
    EXPECT_EQ(loadDataFile(*store, folder).outcome, DataFileOutcome::CannotRead);
    EXPECT_TRUE(isReset());
}

}  // namespace
