#include "core/protocol_file.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/fixed_text.h"
#include "file_fixture.h"
#include "file_size_limit.h"
#include "instrument/instrument_text.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t FORM_AT = 28;
constexpr std::size_t TABLE_AT = FORM_AT + 1600;
constexpr std::size_t COUNT_AT = TABLE_AT + 4096;
constexpr std::size_t RECORDS_AT = COUNT_AT + 4;

void loadText(MeasurementStore& store, const std::string& text) {
    std::memcpy(store.rawText.data(), text.data(), text.size());
    store.rawTextLength = static_cast<std::uint32_t>(text.size());
    ASSERT_TRUE(parseInstrumentText(store, ParseMode::Full).accepted);
}

void fillForm(MeasurementStore& store, std::u16string_view instrument) {
    setSlotText(store.protocolForm.date, u"3.4.2024");
    setSlotText(store.protocolForm.route, u"Brno \u2013 Tišnov");
    setSlotText(store.protocolForm.instrument, instrument);
    setSlotText(store.protocolForm.fibreLength, u"12500");
}

// A loss-meter job with selected readings and dB/km values.
std::unique_ptr<MeasurementStore> lossMeterJob() {
    auto store = makeStore();
    loadText(*store, "OLM55 0042\r\n1 1 1310 -2.41 0\r\n1 2 1310 -2.39 0\r\n"
                     "1 1 1550 -1,97 0\r\n1 2 1550 -2.03 0\r\n");
    setDbPerKm(*store, 1310, 0.35);
    store->readings[0].state = STATE_A_TO_B;
    store->readings[0].order = 1;
    store->readings[1].state = STATE_B_TO_A;
    store->readings[1].order = 1;
    fillForm(*store, u"OLM55 0042");
    rebuildWavelengthSummary(*store);
    return store;
}

// A ZD615 job with names, limit sets, switches and ticked rows.
std::unique_ptr<MeasurementStore> zd615Job() {
    auto store = makeStore();
    loadText(*store, "ZD615 71234\r\n1 1 1 -18.20 ---- -17.05 dBm P W O 2\r\n"
                     "1 2 1 -19.5 -20.1 -6.3 dBm P P F 1\r\n2 1 3 -1 -2 -3 dBm\r\n");
    setLocationName(store->locationNames, 1, u"Skříň 1");
    setLocationName(store->locationNames, 9, std::u16string(31, u'N'));
    std::memcpy(store->activeLimitSets[1].name, "GPON B+     ", 12);
    store->activeLimitSets[15].thresholds[17] = 0x9C;
    store->evaluateWavelength = {1, 0, 1};
    store->locationRecords[0].selected = 1;
    store->locationRecords[1].reportMark = 7;
    fillForm(*store, u"ZD615 71234");
    return store;
}

std::uint32_t wordAt(const Bytes& bytes, std::size_t at) {
    std::uint32_t word;
    std::memcpy(&word, bytes.data() + at, 4);
    return word;
}

void putWord(Bytes& bytes, std::size_t at, std::uint32_t word) {
    std::memcpy(bytes.data() + at, &word, 4);
}

// The checksum as written down: signed bytes added to 0xAA551234.
std::uint32_t signedByteSum(const Bytes& bytes, std::size_t end) {
    std::int64_t sum = 0xAA551234;
    for (std::size_t i = 0; i < end; ++i) sum += static_cast<std::int8_t>(bytes[i]);
    return static_cast<std::uint32_t>(sum);
}

// An edited image with its checksum made right again.
Bytes withChecksum(Bytes bytes) {
    putWord(bytes, bytes.size() - 4, signedByteSum(bytes, bytes.size() - 4));
    return bytes;
}

bool isReset(const MeasurementStore& store) {
    return store.recordCount == 0 && store.rawTextLength == 0 &&
           store.instrumentKind == KIND_NONE && store.readings[0].state == STATE_EMPTY &&
           store.locationRecords[0].olt == 0 && store.activeLimitSets[1].name[0] == 0 &&
           store.evaluateWavelength == std::array<std::int32_t, 3>{1, 1, 1};
}

bool sameBytes(const void* a, const void* b, std::size_t size) {
    return std::memcmp(a, b, size) == 0;
}

TEST(ProtocolImage, EmptyProtocolSizesAndLayout) {
    auto store = makeStore();
    for (std::int32_t kind : {KIND_NONE, KIND_LOSS_METER, KIND_ZD615}) {
        store->instrumentKind = kind;
        const Bytes image = protocolImage(*store);
        const bool zd615 = kind == KIND_ZD615;
        ASSERT_EQ(image.size(), zd615 ? 6908u : 5736u);
        EXPECT_EQ(std::string(image.begin(), image.begin() + 28),
                  std::string(zd615 ? "MERAVOX PROTOCOL FILE 02.10" : "MERAVOX PROTOCOL FILE 01.10") +
                      '\0');
        EXPECT_EQ(wordAt(image, COUNT_AT), 0u);
        EXPECT_EQ(wordAt(image, RECORDS_AT), 0u);
        // A cleared wavelength table is -1 in every slot.
        EXPECT_EQ(wordAt(image, TABLE_AT), 0xFFFFFFFFu);
        EXPECT_EQ(wordAt(image, image.size() - 4), signedByteSum(image, image.size() - 4));
    }
}

TEST(ProtocolImage, ChecksumAddsSignedBytesAndWraps) {
    EXPECT_EQ(protocolChecksum({}), 0xAA551234u);
    const Bytes bytes = {0x7F, 0x80, 0xFF, 0x01};
    EXPECT_EQ(protocolChecksum(bytes), 0xAA551234u + 127 - 128 - 1 + 1);
    // 0x1800000 times -128 takes the sum below zero: it wraps modulo 2^32.
    EXPECT_EQ(protocolChecksum(Bytes(0x1800000, 0x80)), 0xEA551234u);
}

TEST(ProtocolImage, ItemsLieInFileOrder) {
    auto store = lossMeterJob();
    const Bytes image = protocolImage(*store);
    const std::size_t rawAt = RECORDS_AT + 4 * 32 + 4;
    ASSERT_EQ(image.size(), protocolFileSize(ProtocolVersion::LossMeter, 4, store->rawTextLength));
    EXPECT_TRUE(sameBytes(image.data() + FORM_AT, &store->protocolForm, 1600));
    EXPECT_TRUE(sameBytes(image.data() + TABLE_AT, store->wavelengthTable.data(), 4096));
    EXPECT_EQ(wordAt(image, COUNT_AT), 4u);
    EXPECT_TRUE(sameBytes(image.data() + RECORDS_AT, store->readings.data(), 4 * 32));
    EXPECT_EQ(wordAt(image, rawAt - 4), store->rawTextLength);
    EXPECT_TRUE(sameBytes(image.data() + rawAt, store->rawText.data(), store->rawTextLength));

    auto zd = zd615Job();
    const Bytes zdImage = protocolImage(*zd);
    const std::size_t tailAt = RECORDS_AT + 3 * 80 + 4 + zd->rawTextLength;
    ASSERT_EQ(zdImage.size(), tailAt + 648 + 512 + 12 + 4);
    EXPECT_TRUE(sameBytes(zdImage.data() + RECORDS_AT, zd->locationRecords.data(), 3 * 80));
    EXPECT_TRUE(sameBytes(zdImage.data() + tailAt, &zd->locationNames, 648));
    EXPECT_TRUE(sameBytes(zdImage.data() + tailAt + 648, zd->activeLimitSets.data(), 512));
    EXPECT_EQ(wordAt(zdImage, tailAt + 1160 + 4), 0u);  // evaluation of 1490 nm off
}

TEST(ProtocolImage, VersionFollowsTheKindNotTheTypeWord) {
    auto store = lossMeterJob();
    setSlotText(store->protocolForm.instrument, u"ZD615 SN");
    const Bytes image = protocolImage(*store);
    EXPECT_EQ(std::string(image.begin() + 22, image.begin() + 27), "01.10");
    EXPECT_EQ(wordAt(image, COUNT_AT), 4u);
}

class RoundTrip : public ::testing::TestWithParam<bool> {
protected:
    std::unique_ptr<MeasurementStore> job() const { return GetParam() ? zd615Job() : lossMeterJob(); }
};

TEST_P(RoundTrip, KeepsEveryByte) {
    auto saved = job();
    const Bytes image = protocolImage(*saved);
    auto opened = makeStore();
    ASSERT_TRUE(readProtocolImage(*opened, image));
    EXPECT_EQ(protocolImage(*opened), image);
    EXPECT_EQ(opened->recordCount, saved->recordCount);
    EXPECT_EQ(opened->instrumentKind, saved->instrumentKind);
    EXPECT_TRUE(sameBytes(&opened->readings, &saved->readings, sizeof saved->readings));
    EXPECT_TRUE(sameBytes(&opened->locationRecords, &saved->locationRecords,
                          sizeof saved->locationRecords));
    EXPECT_TRUE(sameBytes(&opened->rawText, &saved->rawText, sizeof saved->rawText));
    EXPECT_TRUE(sameBytes(&opened->protocolForm, &saved->protocolForm, sizeof saved->protocolForm));
    EXPECT_TRUE(sameBytes(&opened->wavelengthTable, &saved->wavelengthTable,
                          sizeof saved->wavelengthTable));
    EXPECT_TRUE(sameBytes(&opened->locationNames, &saved->locationNames,
                          sizeof saved->locationNames));
    EXPECT_TRUE(sameBytes(&opened->activeLimitSets, &saved->activeLimitSets,
                          sizeof saved->activeLimitSets));
    EXPECT_EQ(opened->evaluateWavelength, saved->evaluateWavelength);
    // The summary is rebuilt from the readings.
    EXPECT_TRUE(sameBytes(&opened->wavelengthSummary, &saved->wavelengthSummary,
                          sizeof saved->wavelengthSummary));
}

TEST_P(RoundTrip, AnySingleChangedByteIsRefused) {
    const Bytes image = protocolImage(*job());
    auto store = makeStore();
    Bytes changed = image;
    for (std::size_t i = 0; i < image.size(); ++i) {
        changed[i] = static_cast<std::uint8_t>(image[i] + 1 + i % 255);
        ASSERT_FALSE(readProtocolImage(*store, changed)) << "byte " << i;
        ASSERT_TRUE(isReset(*store)) << "byte " << i;
        changed[i] = image[i];
    }
}

TEST_P(RoundTrip, EveryTruncationIsRefusedAndKeepsWhatWasRead) {
    auto saved = job();
    const Bytes image = protocolImage(*saved);
    const std::size_t tailAt = image.size() - 4 - (GetParam() ? PROTOCOL_ZD615_TAIL_SIZE : 0);
    auto store = makeStore();
    for (std::size_t length = 0; length < image.size(); ++length) {
        ASSERT_FALSE(readProtocolImage(*store, std::span(image).first(length))) << length;
        ASSERT_TRUE(isReset(*store)) << length;
        if (length >= COUNT_AT) {
            ASSERT_TRUE(sameBytes(&store->protocolForm, &saved->protocolForm, 1600)) << length;
            ASSERT_TRUE(sameBytes(store->wavelengthTable.data(), saved->wavelengthTable.data(), 4096));
        }
        if (GetParam() && length >= tailAt + 648) {
            ASSERT_TRUE(sameBytes(&store->locationNames, &saved->locationNames, 648)) << length;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, RoundTrip, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return std::string(param.param ? "Zd615" : "LossMeter");
                         });

TEST(ProtocolImage, TruncatedFormBlockKeepsItsFirstBytes) {
    auto saved = lossMeterJob();
    const Bytes image = protocolImage(*saved);
    auto store = makeStore();
    setSlotText(store->protocolForm.section, u"previous section");
    ASSERT_FALSE(readProtocolImage(*store, std::span(image).first(FORM_AT + 100)));
    EXPECT_EQ(slotText(store->protocolForm.date), u"3.4.2024");
    EXPECT_EQ(slotText(store->protocolForm.section), u"previous section");
}

TEST(ProtocolImage, RefusesWrongMagicAndCountsBeyondCapacity) {
    const Bytes image = protocolImage(*lossMeterJob());
    auto store = makeStore();
    for (std::size_t i = 0; i < PROTOCOL_MAGIC_SIZE; ++i) {
        Bytes changed = image;
        changed[i] ^= 0x20;
        EXPECT_FALSE(readProtocolImage(*store, withChecksum(changed))) << i;
    }
    // A ZD615 magic on loss-meter records reads the wrong record size.
    Bytes zdMagic = image;
    zdMagic[23] = '2';
    EXPECT_FALSE(readProtocolImage(*store, withChecksum(zdMagic)));

    auto empty = makeStore();
    Bytes tooMany = protocolImage(*empty);
    putWord(tooMany, COUNT_AT, MAX_RECORDS + 1);
    tooMany.insert(tooMany.end() - 8, (MAX_RECORDS + 1) * 32, 0);
    EXPECT_FALSE(readProtocolImage(*store, withChecksum(tooMany)));
    EXPECT_TRUE(isReset(*store));

    Bytes tooLong = protocolImage(*empty);
    putWord(tooLong, RECORDS_AT, RAW_TEXT_CAPACITY + 1);
    tooLong.insert(tooLong.end() - 4, RAW_TEXT_CAPACITY + 1, 'x');
    EXPECT_FALSE(readProtocolImage(*store, withChecksum(tooLong)));
    EXPECT_TRUE(isReset(*store));
}

TEST(ProtocolImage, FullestProtocolsAreAccepted) {
    auto store = makeStore();
    store->recordCount = MAX_RECORDS;
    store->rawTextLength = RAW_TEXT_CAPACITY;
    for (std::int32_t kind : {KIND_LOSS_METER, KIND_ZD615}) {
        store->instrumentKind = kind;
        const Bytes image = protocolImage(*store);
        auto opened = makeStore();
        ASSERT_TRUE(readProtocolImage(*opened, image));
        EXPECT_EQ(opened->recordCount, MAX_RECORDS);
        EXPECT_EQ(opened->rawTextLength, RAW_TEXT_CAPACITY);
    }
    EXPECT_EQ(protocolImage(*store).size(), MAX_PROTOCOL_FILE_SIZE);
}

TEST(ProtocolImage, KindAfterOpeningFollowsTheVersion) {
    struct Case {
        bool zd615;
        std::u16string instrument;
        std::int32_t kind;
    };
    const std::vector<Case> cases = {
        {false, u"OLM55 0042", KIND_LOSS_METER}, {false, u"ZD615 71234", KIND_LOSS_METER},
        {false, u" ", KIND_NONE},                {false, u"", KIND_NONE},
        {true, u"ZD615 71234", KIND_ZD615},      {true, u"OLM55 0042", KIND_ZD615},
        {true, u"", KIND_ZD615},
    };
    for (const Case& c : cases) {
        auto saved = c.zd615 ? zd615Job() : lossMeterJob();
        setSlotText(saved->protocolForm.instrument, c.instrument);
        auto opened = makeStore();
        ASSERT_TRUE(readProtocolImage(*opened, protocolImage(*saved)));
        EXPECT_EQ(opened->instrumentKind, c.kind);
    }
}

TEST(ProtocolImage, BytesAfterTheChecksumAreIgnored) {
    Bytes image = protocolImage(*lossMeterJob());
    image.push_back(0x42);
    auto store = makeStore();
    EXPECT_TRUE(readProtocolImage(*store, image));
}

class ProtocolFileTest : public FileTest {};

TEST_F(ProtocolFileTest, SaveAndOpenKeepTheFileAndThePath) {
    auto saved = zd615Job();
    const auto file = folder / "job ü.opr";
    ASSERT_TRUE(writeProtocolFile(*saved, file));
    const std::string bytes = contents(file);
    const Bytes image = protocolImage(*saved);
    EXPECT_EQ(bytes, std::string(image.begin(), image.end()));

    auto opened = makeStore();
    ASSERT_TRUE(readProtocolFile(*opened, file));
    EXPECT_EQ(opened->recordCount, 3u);
    EXPECT_EQ(slotText(opened->currentProtocolPath), file.u16string());
}

TEST_F(ProtocolFileTest, UnreadableFileLeavesTheStoreResetAndTheFormAlone) {
    auto store = lossMeterJob();
    EXPECT_EQ(openProtocolFile(*store, folder / "missing.opr"), ProtocolOpen::Unreadable);
    EXPECT_TRUE(isReset(*store));
    EXPECT_EQ(slotText(store->protocolForm.route), u"Brno \u2013 Tišnov");
}

// A Save after a failed open would otherwise overwrite the file that could
// not be opened, without asking.
TEST_F(ProtocolFileTest, FailedOpenForgetsThePath) {
    const auto good = folder / "good.opr";
    ASSERT_TRUE(writeProtocolFile(*lossMeterJob(), good));
    put(folder / "bad.opr", "MERAVOX PROTOCOL FILE 01.10");
    struct Case {
        const char* name;
        ProtocolOpen result;
    };
    for (const Case& c : {Case{"bad.opr", ProtocolOpen::Invalid},
                          Case{"missing.opr", ProtocolOpen::Unreadable}}) {
        auto store = makeStore();
        ASSERT_EQ(openProtocolFile(*store, good), ProtocolOpen::Opened);
        ASSERT_EQ(slotText(store->currentProtocolPath), good.u16string());

        EXPECT_EQ(openProtocolFile(*store, folder / c.name), c.result) << c.name;
        EXPECT_EQ(slotText(store->currentProtocolPath), u"") << c.name;
        EXPECT_FALSE(readProtocolFile(*store, folder / c.name)) << c.name;
    }
}

TEST_F(ProtocolFileTest, FailedSaveLeavesThePreviousFile) {
    SKIP_WITHOUT_FILE_SIZE_LIMIT();
    const auto file = folder / "job.opr";
    auto previous = lossMeterJob();
    ASSERT_TRUE(writeProtocolFile(*previous, file));
    const std::string before = contents(file);

    // A file-size limit below the new image makes the write itself fail.
    auto larger = lossMeterJob();
    larger->recordCount = 1000;
    bool written = true;
    {
        const FileSizeLimit limit(16384);
        written = writeProtocolFile(*larger, file);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);

    EXPECT_FALSE(writeProtocolFile(*previous, folder / "no such folder" / "job.opr"));
}

}  // namespace
