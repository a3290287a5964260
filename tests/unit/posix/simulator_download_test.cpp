// Downloads over a pseudo-terminal from the instrument simulator.
#include <cstring>
#include <string>
#include <vector>

#include "instrument/download.h"
#include "simulator_fixture.h"

namespace {

const std::string LOSS_TEXT = "OLM55 0042\r\n1 1 1310 -2.41 0\r\n1 2 1310 -2.55 0\r\n";
const std::string ZD_TEXT = "ZD615 71234\r\n1 2 3 -18.20 ---- -17.05 dBm p W o 2\r\n";
constexpr std::size_t TEXT_IDLE_END = 352;

// A limit file: set k holds bytes of value k.
std::string limitFile(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i / 32);
    return bytes;
}

class SimulatorDownloadTest : public SimulatorTest {
protected:
    struct Outcome {
        TickResult result;
        std::size_t ticks;
    };
    // Ticks as the transfer dialog's timer does, without its 10 ms pauses.
    Outcome run(std::size_t maximumTicks = 100'000) {
        std::size_t ticks = 0;
        TickResult result = TickResult::Waiting;
        while (result == TickResult::Waiting && ticks < maximumTicks) {
            result = download.tick();
            ++ticks;
        }
        return {result, ticks};
    }
    std::string rawText() const {
        return std::string(reinterpret_cast<const char*>(store->rawText.data()), store->rawTextLength);
    }

    std::unique_ptr<MeasurementStore> store = makeStore();
    Download download{*store};
};

TEST_F(SimulatorDownloadTest, LossMeterIsAskedForItsTextOnly) {
    startSimulator({"--text", file("text", LOSS_TEXT + "\n"), "--limits", file("limits", limitFile(512))});
    ASSERT_TRUE(download.start(opener()));
    EXPECT_EQ(run().result, TickResult::Completed);
    EXPECT_EQ(rawText(), LOSS_TEXT + "\n");
    EXPECT_EQ(store->instrumentKind, KIND_LOSS_METER);
    EXPECT_EQ(requests(), "u");
}

struct LimitCase {
    const char* name;
    std::size_t fileSize;
    std::size_t setsReceived;
};

class Zd615Download : public SimulatorDownloadTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(Zd615Download, ReplacesTheReceivedLimitSetsOnly) {
    const LimitCase& c = GetParam();
    const std::string limits = limitFile(c.fileSize);
    startSimulator({"--text", file("text", ZD_TEXT + "\n"), "--limits", file("limits", limits)});
    for (LimitSet& set : store->activeLimitSets) std::memset(&set, 'K', sizeof set);
    ASSERT_TRUE(download.start(opener()));
    EXPECT_EQ(run().result, TickResult::Completed);
    EXPECT_EQ(requests(), "ut");
    EXPECT_EQ(rawText(), ZD_TEXT + "\n");
    EXPECT_EQ(store->limitTextLength, c.setsReceived * 32);
    EXPECT_EQ(store->activeLimitSets[0].name[0], 'K');
    for (std::size_t set = 1; set < LIMIT_SETS; ++set) {
        const bool received = set <= c.setsReceived;
        // A set beyond the file's end cannot match it.
        const bool asInTheFile = (set + 1) * 32 <= limits.size() &&
                                 std::memcmp(&store->activeLimitSets[set], limits.data() + set * 32, 32) == 0;
        EXPECT_EQ(asInTheFile, received) << set;
        EXPECT_EQ(store->activeLimitSets[set].name[0], received ? static_cast<char>(set) : 'K') << set;
    }
}

INSTANTIATE_TEST_SUITE_P(SimulatorDownload, Zd615Download,
                         ::testing::Values(LimitCase{"AllFifteen", 512, 15}, LimitCase{"FirstThree", 128, 3}),
                         [](const ::testing::TestParamInfo<LimitCase>& param) { return std::string(param.param.name); });

struct EndCase {
    const char* name;
    std::string text;
    bool byIdleness;
};

class EndOfTextOnTheLine : public SimulatorDownloadTest, public ::testing::WithParamInterface<EndCase> {};

// Each case that ends by idleness takes about 12 s: 352 empty reads of 33 ms.
TEST_P(EndOfTextOnTheLine, EndsAtOnceOrByIdleness) {
    const EndCase& c = GetParam();
    startSimulator({"--text", file("text", c.text)});
    ASSERT_TRUE(download.start(opener()));
    const Outcome outcome = run();
    EXPECT_EQ(outcome.result, TickResult::Completed);
    EXPECT_EQ(outcome.ticks >= TEXT_IDLE_END, c.byIdleness) << outcome.ticks;
    EXPECT_EQ(rawText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(SimulatorDownload, EndOfTextOnTheLine,
                         ::testing::Values(EndCase{"LfLf", LOSS_TEXT + "\n", false},
                                           EndCase{"LfCrLfCr", "OLM55 0042\n\r1 1 1310 -2.41 0\n\r\n\r", false},
                                           EndCase{"CrLfCrLf", LOSS_TEXT + "\r\n", true},
                                           EndCase{"FewerThanFiveBytes", "O\n\n\n", true}),
                         [](const ::testing::TestParamInfo<EndCase>& param) { return std::string(param.param.name); });

TEST_F(SimulatorDownloadTest, TextThatFillsTheBufferFails) {
    startSimulator({"--text", file("text", std::string(RAW_TEXT_CAPACITY + 100, 'x'))});
    ASSERT_TRUE(download.start(opener()));
    EXPECT_EQ(run().result, TickResult::Failed);
    EXPECT_EQ(download.receivedCount(), RAW_TEXT_CAPACITY - DOWNLOAD_READ_SIZE);
    EXPECT_EQ(store->rawTextLength, 0u);
    EXPECT_EQ(store->limitTextLength, 0u);
}

TEST_F(SimulatorDownloadTest, SilentInstrumentKeepsTheDownloadWaitingUntilStopped) {
    startSimulator({"--text", file("text", LOSS_TEXT + "\n"), "--silent"});
    ASSERT_TRUE(download.start(opener()));
    EXPECT_EQ(run(30).result, TickResult::Waiting);
    download.stop();
    EXPECT_EQ(download.tick(), TickResult::Failed);
    EXPECT_EQ(requests(), "u");
    EXPECT_EQ(store->rawTextLength, 0u);
}

TEST_F(SimulatorDownloadTest, GarbageBeforeTheTextIsReceivedWithIt) {
    startSimulator({"--text", file("text", LOSS_TEXT + "\n"), "--garbage", "7"});
    ASSERT_TRUE(download.start(opener()));
    EXPECT_EQ(run().result, TickResult::Completed);
    ASSERT_EQ(store->rawTextLength, 7 + LOSS_TEXT.size() + 1);
    EXPECT_TRUE(std::all_of(store->rawText.begin(), store->rawText.begin() + 7,
                            [](std::uint8_t byte) { return byte >= 0x80; }));
    EXPECT_EQ(rawText().substr(7), LOSS_TEXT + "\n");
}

TEST_F(SimulatorDownloadTest, ControlFileChangesTheScenarioOfTheRunningSimulator) {
    const std::string control = path("control");
    startSimulator({"--text", file("text", LOSS_TEXT + "\n"), "--control", control});
    const auto downloadText = [&] {
        Download transfer(*store);
        EXPECT_TRUE(transfer.start(opener()));
        TickResult result = TickResult::Waiting;
        for (int tick = 0; tick < 1000 && result == TickResult::Waiting; ++tick) result = transfer.tick();
        EXPECT_EQ(result, TickResult::Completed);
        return rawText();
    };
    file("zd615", ZD_TEXT + "\n");
    file("control", "--text " + path("zd615") + "\n--limits\t" + file("limits", limitFile(512)));
    EXPECT_EQ(downloadText(), ZD_TEXT + "\n");
    std::filesystem::remove(control);
    EXPECT_EQ(downloadText(), LOSS_TEXT + "\n");
    EXPECT_EQ(requests(), "utu");
}

}  // namespace
