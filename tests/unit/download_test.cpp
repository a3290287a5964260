#include "instrument/download.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_serial_port.h"

namespace {

const std::string LOSS_TEXT = "OLM55 0042\r\n1 1 1310 -2.41 0\r\n1 2 1310 -2.55 0\r\n";
const std::string ZD_TEXT = "ZD615 71234\r\n1 2 3 -18.20 ---- -17.05 dBm p W o 2\r\n";
constexpr std::size_t TEXT_IDLE_END = 352;  // the empty read that ends a text
constexpr std::size_t LIMITS_IDLE_END = 22;

// Bytes 0..n-1 of a recognisable pattern.
std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    return bytes;
}

template <typename Case>
std::string caseName(const ::testing::TestParamInfo<Case>& param) {
    return param.param.name;
}

class DownloadTest : public ::testing::Test {
protected:
    // Ticks until the download ends or `ticks` have passed.
    TickResult run(std::size_t ticks = 1'000'000) {
        TickResult result = TickResult::Waiting;
        for (std::size_t i = 0; i < ticks && result == TickResult::Waiting; ++i) result = download.tick();
        return result;
    }
    // Ticks while the line has scripted bytes left, all of them taken without an end.
    void receiveScript() {
        while (!line.scriptDone()) ASSERT_EQ(download.tick(), TickResult::Waiting);
    }
    // Ticks until the first phase is over.
    void receiveText() {
        for (std::size_t i = 0; i < 100 && download.phase() == DownloadPhase::Text; ++i) {
            ASSERT_EQ(download.tick(), TickResult::Waiting);
        }
    }
    // Ticks through `reads` quiet reads and says whether the download was still waiting after each.
    bool waitsThrough(std::size_t reads) {
        line.quiet(reads);
        for (std::size_t i = 0; i < reads; ++i) {
            if (download.tick() != TickResult::Waiting) return false;
        }
        return true;
    }
    std::string rawText() const {
        return std::string(reinterpret_cast<const char*>(store->rawText.data()), store->rawTextLength);
    }
    void answerLimitSetsWith(const std::vector<std::uint8_t>& bytes, std::size_t piece) {
        line.onWrite = [this, bytes, piece](std::uint8_t byte) {
            if (byte == REQUEST_LIMIT_SETS) line.send(bytes, piece);
        };
    }

    std::unique_ptr<MeasurementStore> store = makeStore();
    FakeLine line;
    Download download{*store};
};

TEST_F(DownloadTest, LossMeterTextIsAskedOnceAndEndsAtTheBlankLine) {
    const std::string text = LOSS_TEXT + "\n";  // ends with LF LF
    line.send(text, 7);
    ASSERT_TRUE(download.start(line.opener()));
    EXPECT_EQ(run(), TickResult::Completed);
    EXPECT_EQ(line.written, "u");
    EXPECT_EQ(rawText(), text);
    EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
    EXPECT_EQ(store->limitTextLength, 0u);
    EXPECT_TRUE(line.scriptDone());
    EXPECT_EQ(line.emptyReads, 0u);
    EXPECT_FALSE(line.isOpen);
}

struct EndCase {
    const char* name;
    std::string text;
    bool endsAtOnce;
};

const std::vector<EndCase> END_CASES = {
    {"LfLf", LOSS_TEXT + "\n", true},
    {"LfCrLfCr", "OLM55 0042\n\r1 1 1310 -2.41 0\n\r\n\r", true},
    {"CrLfCrLf", LOSS_TEXT + "\r\n", false},
    {"LfLfInsideThePiece", LOSS_TEXT + "\nX", false},
    {"FourBytesEndingInLfLf", "ab\n\n", false},
    {"FiveBytesEndingInLfLf", "abc\n\n", true},
    {"LoneLfLf", "\n\n", false},
};

class EndOfText : public DownloadTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(EndOfText, EndsAtOnceOrOnTheIdleLimit) {
    const EndCase& c = GetParam();
    line.send(c.text, 32);
    ASSERT_TRUE(download.start(line.opener()));
    if (c.endsAtOnce) {
        EXPECT_EQ(run(), TickResult::Completed);
        EXPECT_EQ(line.reads, (c.text.size() + 31) / 32);
    } else {
        receiveScript();
        EXPECT_TRUE(waitsThrough(TEXT_IDLE_END - 1));
        line.quiet(1);
        EXPECT_EQ(download.tick(), TickResult::Completed);
    }
    EXPECT_EQ(rawText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(Download, EndOfText, ::testing::ValuesIn(END_CASES),
                         caseName<EndCase>);

TEST_F(DownloadTest, BeforeTheFirstByteItWaitsUntilStopped) {
    ASSERT_TRUE(download.start(line.opener()));
    EXPECT_TRUE(waitsThrough(5000));
    download.stop();
    EXPECT_FALSE(line.isOpen);
    EXPECT_EQ(download.tick(), TickResult::Failed);
    EXPECT_EQ(line.reads, 5000u);  // the tick after the stop reads nothing
}

TEST_F(DownloadTest, FailedReadsNeitherCountAsIdleNorEndTheText) {
    line.send(LOSS_TEXT);
    ASSERT_TRUE(download.start(line.opener()));
    receiveScript();
    EXPECT_TRUE(waitsThrough(TEXT_IDLE_END - 1));
    for (int i = 0; i < 10; ++i) line.failRead();
    for (int i = 0; i < 10; ++i) ASSERT_EQ(download.tick(), TickResult::Waiting);
    line.quiet(1);
    EXPECT_EQ(download.tick(), TickResult::Completed);
}

TEST_F(DownloadTest, BytesRestartTheIdleCount) {
    line.send(LOSS_TEXT);
    ASSERT_TRUE(download.start(line.opener()));
    receiveScript();
    EXPECT_TRUE(waitsThrough(TEXT_IDLE_END - 1));
    line.send("1 3 1310 -2.60 0\r\n");
    receiveScript();
    EXPECT_TRUE(waitsThrough(TEXT_IDLE_END - 1));
    line.quiet(1);
    EXPECT_EQ(download.tick(), TickResult::Completed);
    EXPECT_EQ(rawText(), LOSS_TEXT + "1 3 1310 -2.60 0\r\n");
}

TEST_F(DownloadTest, PortThatCannotBeOpenedIsReportedAndAskedNothing) {
    line.refuseOpen = true;
    store->rawTextLength = 99;
    store->limitTextLength = 99;
    EXPECT_FALSE(download.start(line.opener()));
    EXPECT_EQ(line.written, "");
    EXPECT_EQ(store->rawTextLength, 0u);
    EXPECT_EQ(store->limitTextLength, 0u);
}

TEST_F(DownloadTest, Zd615TextIsFollowedByItsLimitSets) {
    const auto limits = pattern(15 * sizeof(LimitSet), 3);
    answerLimitSetsWith(limits, 32);
    store->activeLimitSets[0].name[0] = 'N';
    line.send(ZD_TEXT + "\n");
    ASSERT_TRUE(download.start(line.opener()));
    receiveText();
    EXPECT_EQ(download.phase(), DownloadPhase::LimitSets);
    EXPECT_EQ(line.written, "ut");
    EXPECT_EQ(rawText(), ZD_TEXT + "\n");

    receiveScript();
    EXPECT_EQ(download.receivedCount(), limits.size());
    EXPECT_TRUE(waitsThrough(LIMITS_IDLE_END - 1));
    line.quiet(1);
    EXPECT_EQ(download.tick(), TickResult::Completed);
    EXPECT_FALSE(line.isOpen);
    EXPECT_EQ(store->limitTextLength, limits.size());
    EXPECT_EQ(store->activeLimitSets[0].name[0], 'N');
    EXPECT_EQ(std::memcmp(&store->activeLimitSets[1], limits.data(), limits.size()), 0);
}

TEST_F(DownloadTest, SetsBeyondAShortAnswerKeepTheirContent) {
    const auto limits = pattern(2 * sizeof(LimitSet) + 5, 9);
    answerLimitSetsWith(limits, 32);
    for (LimitSet& set : store->activeLimitSets) set.name[0] = 'K';
    line.send(ZD_TEXT + "\n");
    ASSERT_TRUE(download.start(line.opener()));
    EXPECT_EQ(run(), TickResult::Completed);
    EXPECT_EQ(std::memcmp(&store->activeLimitSets[1], limits.data(), limits.size()), 0);
    // The short third block is taken whole, its missing bytes zero.
    const auto* third = reinterpret_cast<const std::uint8_t*>(&store->activeLimitSets[3]);
    EXPECT_TRUE(std::all_of(third + 5, third + sizeof(LimitSet), [](std::uint8_t byte) { return byte == 0; }));
    for (std::size_t set = 4; set < LIMIT_SETS; ++set) EXPECT_EQ(store->activeLimitSets[set].name[0], 'K') << set;
    EXPECT_EQ(store->activeLimitSets[0].name[0], 'K');
}

TEST_F(DownloadTest, RejectedHeaderEndsWithoutAskingForLimitSets) {
    line.send("ZD615 71234\r\n\n");  // shorter than any text the parser takes
    ASSERT_TRUE(download.start(line.opener()));
    EXPECT_EQ(run(), TickResult::Completed);
    EXPECT_EQ(line.written, "u");
}

TEST_F(DownloadTest, StopDuringTheLimitSetsClosesThePort) {
    line.send(ZD_TEXT + "\n");
    ASSERT_TRUE(download.start(line.opener()));
    receiveText();
    ASSERT_EQ(download.phase(), DownloadPhase::LimitSets);
    download.stop();
    EXPECT_FALSE(line.isOpen);
    EXPECT_EQ(download.tick(), TickResult::Failed);
}

struct FullCase {
    const char* name;
    bool limitPhase;
    std::size_t capacity;
};

class FullBuffer : public DownloadTest, public ::testing::WithParamInterface<FullCase> {};

TEST_P(FullBuffer, EndsWithoutReadingPastTheLastWholeRead) {
    const FullCase& c = GetParam();
    const std::size_t last = c.capacity - DOWNLOAD_READ_SIZE;  // from here on the buffer counts as full
    if (c.limitPhase) {
        line.send(ZD_TEXT + "\n");
        answerLimitSetsWith(pattern(last + 100, 1), 32);
    } else {
        line.send(std::string(last + 100, 'x'), 32);
    }
    ASSERT_TRUE(download.start(line.opener()));
    EXPECT_EQ(run(), TickResult::Failed);
    EXPECT_EQ(download.receivedCount(), last);
    EXPECT_EQ(line.delivered, last + (c.limitPhase ? ZD_TEXT.size() + 1 : 0));
    EXPECT_EQ(store->rawTextLength, 0u);
    EXPECT_EQ(store->limitTextLength, 0u);
    EXPECT_FALSE(line.isOpen);
    EXPECT_EQ(download.tick(), TickResult::Failed);
}

INSTANTIATE_TEST_SUITE_P(Download, FullBuffer,
                         ::testing::Values(FullCase{"Text", false, RAW_TEXT_CAPACITY},
                                           FullCase{"LimitSets", true, LIMIT_TEXT_CAPACITY}),
                         caseName<FullCase>);

TEST_F(DownloadTest, TicksAfterTheEndRepeatTheOutcome) {
    line.send(LOSS_TEXT + "\n");
    ASSERT_TRUE(download.start(line.opener()));
    ASSERT_EQ(run(), TickResult::Completed);
    const std::size_t reads = line.reads;
    EXPECT_EQ(download.tick(), TickResult::Completed);
    download.stop();
    EXPECT_EQ(download.tick(), TickResult::Completed);
    EXPECT_EQ(line.reads, reads);
}

struct CopyCase {
    std::uint32_t length;
    std::size_t copied;
};

TEST(CopyLimitSets, CopiesTheBlocksThatBeginBelowTheLength) {
    const auto source = pattern(LIMIT_TEXT_CAPACITY, 5);
    for (const CopyCase c : {CopyCase{0, 0}, CopyCase{1, 1}, CopyCase{32, 1}, CopyCase{33, 2}, CopyCase{479, 15},
                             CopyCase{480, 15}, CopyCase{8192, 15}}) {
        LimitSetTable table{};
        for (LimitSet& set : table) set.name[0] = 'K';
        EXPECT_TRUE(copyLimitSets(source.data(), c.length, table));
        EXPECT_EQ(table[0].name[0], 'K');
        for (std::size_t set = 1; set < LIMIT_SETS; ++set) {
            const bool copied = set <= c.copied;
            EXPECT_EQ(std::memcmp(&table[set], source.data() + (set - 1) * 32, 32) == 0, copied)
                << "length " << c.length << " set " << set;
        }
    }
}

}  // namespace
