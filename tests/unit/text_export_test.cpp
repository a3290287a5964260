#include "core/text_export.h"

#include <cstring>
#include <string>

#include "core/protocol_file.h"
#include "file_fixture.h"
#include "instrument/data_file.h"

namespace {

class TextExportTest : public FileTest {
protected:
    std::unique_ptr<MeasurementStore> store = makeStore();
};

TEST_F(TextExportTest, WritesTheRawTextByteForByte) {
    // Line ends of every kind and bytes of every value stay as they are.
    std::string text = "OLM55 0042\r\n1 1 1310 -2.41 0\n\r1 1 1550 -1,97 0\r";
    for (int byte = 0; byte < 256; ++byte) text += static_cast<char>(byte);
    std::memcpy(store->rawText.data(), text.data(), text.size());
    store->rawTextLength = static_cast<std::uint32_t>(text.size());

    ASSERT_TRUE(writeInstrumentText(*store, folder / "out.txt"));
    EXPECT_EQ(contents(folder / "out.txt"), text);
}

TEST_F(TextExportTest, ExportedDataLoadAgainToTheSameRecords) {
    const std::string text = "OLM55 0042\r\n1 1 1310 -2.41 0\r\n1 2 1550 -1.97 0";
    put(folder / "in.txt", text);
    ASSERT_EQ(loadDataFile(*store, folder / "in.txt").outcome, DataFileOutcome::Loaded);
    ASSERT_TRUE(writeInstrumentText(*store, folder / "out.txt"));
    EXPECT_EQ(contents(folder / "out.txt"), text + "\n");

    auto again = makeStore();
    ASSERT_EQ(loadDataFile(*again, folder / "out.txt").outcome, DataFileOutcome::Loaded);
    ASSERT_EQ(again->recordCount, store->recordCount);
    EXPECT_EQ(std::memcmp(again->readings.data(), store->readings.data(),
                          store->recordCount * sizeof(ReadingRecord)),
              0);
}

TEST_F(TextExportTest, ExportsTheTextOfAnOpenedProtocol) {
    const std::string text = "ZD615 71234\r\n1 2 3 -18.20 ---- -17.05 dBm p W o 2\r\n";
    std::memcpy(store->rawText.data(), text.data(), text.size());
    store->rawTextLength = static_cast<std::uint32_t>(text.size());
    store->instrumentKind = KIND_ZD615;
    ASSERT_TRUE(writeProtocolFile(*store, folder / "job.opr"));

    auto opened = makeStore();
    ASSERT_TRUE(readProtocolFile(*opened, folder / "job.opr"));
    ASSERT_TRUE(writeInstrumentText(*opened, folder / "out.txt"));
    EXPECT_EQ(contents(folder / "out.txt"), text);
}

TEST_F(TextExportTest, FailedExportIsReported) {
    std::filesystem::create_directory(folder / "taken");
    EXPECT_FALSE(writeInstrumentText(*store, folder / "missing" / "out.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
    // A folder in the way of the target cannot be replaced by the file.
    EXPECT_FALSE(writeInstrumentText(*store, folder / "taken"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken"));
}

}  // namespace
