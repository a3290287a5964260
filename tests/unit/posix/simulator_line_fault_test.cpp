// An instrument that goes away in the middle of a transfer (its line hangs
// up), sends garbage or answers only part of a block, over a pseudo-terminal
// with the instrument simulator: the download and both limit-set transfers
// end as their rules say, and the next session on the same link works.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "instrument/download.h"
#include "selection/limit_transfer.h"
#include "simulator_fixture.h"

namespace {

const std::string LOSS_TEXT = "OLM55 0042\r\n1 1 1310 -2.41 0\r\n1 2 1310 -2.55 0\r\n\n";
const std::string ZD_TEXT = "ZD615 71234\r\n1 2 3 -18.20 ---- -17.05 dBm p W o 2\r\n\n";
// More ticks than the idle rule of either phase needs to end it.
constexpr std::size_t PAST_THE_IDLE_RULE = 1000;

// Set k of this file holds bytes of value k + 0x40.
std::string limitFile() {
    std::string bytes(512, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(0x40 + i / 32);
    return bytes;
}

std::string bytesOf(const LimitSetTable& table) {
    return std::string(reinterpret_cast<const char*>(table.data()), sizeof table);
}

class SimulatorLineFault : public SimulatorTest {
protected:
    // The simulator behind a link, so that a session after a hang-up finds
    // the new line where the old one was, with the faults of `faults` until
    // repaired().
    void start(const std::string& text, const std::vector<std::string>& faults) {
        std::string control;
        for (const std::string& word : faults) control += word + "\n";
        file("control", control);
        linePath.clear();
        startSimulator({"--link", path("line"), "--control", path("control"), "--text", file("text", text),
                        "--limits", file("limits", limits), "--received", path("received")});
        linePath = path("line");
        for (LimitSet& set : store->editedLimitSets) std::memset(&set, 'k', sizeof set);
        for (LimitSet& set : store->activeLimitSets) std::memset(&set, 'K', sizeof set);
    }

    // Ticks until the download ends or `ticks` have passed.
    TickResult tick(Download& download, std::size_t ticks) {
        TickResult result = TickResult::Waiting;
        for (std::size_t i = 0; i < ticks && result == TickResult::Waiting; ++i) result = download.tick();
        return result;
    }

    std::string rawText() const {
        return std::string(reinterpret_cast<const char*>(store->rawText.data()), store->rawTextLength);
    }

    void repaired() { file("control", ""); }

    // A whole download on the (new) line.
    void expectADownloadWorks() {
        Download download(*store);
        ASSERT_TRUE(download.start(opener()));
        EXPECT_EQ(tick(download, 100'000), TickResult::Completed);
    }

    const std::string limits = limitFile();
    std::unique_ptr<MeasurementStore> store = makeStore();
    TransferCallbacks callbacks;
};

// A line that hangs up makes every later read fail, which the download does
// not count as quiet: it waits, as before the first byte, until Stop. It never
// takes the text cut short for a whole one.
TEST_F(SimulatorLineFault, TheDownloadWaitsForStopOnceTheLineHasHungUp) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t closeAfter;
        DownloadPhase phase;
        std::size_t received;  // in the current phase
    };
    const Case cases[] = {
        {"in the middle of the text", LOSS_TEXT, 20, DownloadPhase::Text, 20},
        {"after a ZD615's text, before its limit sets", ZD_TEXT, ZD_TEXT.size(), DownloadPhase::LimitSets, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        start(c.text, {"--close-after", std::to_string(c.closeAfter)});
        Download download(*store);
        ASSERT_TRUE(download.start(opener()));
        // The bytes sent before the hang-up arrive; then the line is gone.
        for (int i = 0; i < 1000 && (download.phase() != c.phase || download.receivedCount() != c.received); ++i) {
            ASSERT_EQ(download.tick(), TickResult::Waiting);
        }
        ASSERT_EQ(awaitLogLine("line closed"), "line closed");
        EXPECT_EQ(tick(download, PAST_THE_IDLE_RULE), TickResult::Waiting);
        EXPECT_EQ(download.phase(), c.phase);
        EXPECT_EQ(download.receivedCount(), c.received);
        download.stop();
        EXPECT_EQ(download.tick(), TickResult::Failed);

        // The instrument back on: the same link downloads again.
        repaired();
        expectADownloadWorks();
        EXPECT_EQ(rawText(), c.text);
        stopSimulator();
    }
}

TEST_F(SimulatorLineFault, HalfALimitSetBlockIsTakenWithZerosForTheMissingBytes) {
    // The text is shorter than the cut, the limit sets are not: 3 sets and a half.
    constexpr std::size_t CUT = 3 * 32 + 16;
    start(ZD_TEXT, {"--stop-after", std::to_string(CUT)});
    Download download(*store);
    ASSERT_TRUE(download.start(opener()));
    EXPECT_EQ(tick(download, 100'000), TickResult::Completed);
    EXPECT_EQ(store->limitTextLength, CUT);
    std::string expected = bytesOf(store->activeLimitSets);
    std::fill(expected.begin(), expected.end(), 'K');
    expected.replace(32, CUT, limits.substr(32, CUT));
    expected.replace(32 + CUT, 16, std::string(16, '\0'));
    EXPECT_EQ(bytesOf(store->activeLimitSets), expected);
}

struct TransferCase {
    const char* name;
    std::vector<std::string> options;
    int result;
    // What the working copy holds afterwards, from the limit file's bytes.
    std::string (*editedAfter)(const std::string& before, const std::string& limits);
};

std::string unchanged(const std::string& before, const std::string&) { return before; }

const TransferCase READ_CASES[] = {
    {"line hangs up after 200 bytes", {"--close-after", "200"}, TRANSFER_INCOMPLETE, unchanged},
    {"half the answer", {"--stop-after", "240"}, TRANSFER_INCOMPLETE, unchanged},
    {"nothing", {"--silent"}, TRANSFER_INCOMPLETE, unchanged},
    // Nothing in the answer is looked at: garbage ahead of it is taken as
    // the first sets' bytes, and the answer's end is left on the line.
    {"garbage ahead of the answer", {"--garbage", "7"}, TRANSFER_OK,
     [](const std::string& before, const std::string& limits) {
         std::string after = before;
         std::string garbage;
         for (std::size_t i = 0; i < 7; ++i) garbage.push_back(static_cast<char>(0x80 | (i * 37 % 128)));
         after.replace(32, 480, garbage + limits.substr(32, 473));
         return after;
     }},
};

TEST_F(SimulatorLineFault, ReadingTheLimitSetsEndsAsItsRulesSay) {
    for (const TransferCase& c : READ_CASES) {
        SCOPED_TRACE(c.name);
        start(ZD_TEXT, c.options);
        const std::string before = bytesOf(store->editedLimitSets);
        EXPECT_EQ(readLimitSetsFromInstrument(*store, opener(), callbacks), c.result);
        EXPECT_EQ(bytesOf(store->editedLimitSets), c.editedAfter(before, limits));
        if (c.result != TRANSFER_OK) {
            EXPECT_TRUE(std::all_of(store->limitReplyBuffer.begin(), store->limitReplyBuffer.end(),
                                    [](std::uint8_t byte) { return byte == 0; }));
        }
        stopSimulator();
    }
}

TEST_F(SimulatorLineFault, AWriteToALineThatHangsUpFailsAndTheNextSessionWorks) {
    // 100 acknowledgements let 94 data bytes go (see the acknowledgement count
    // of a write); then the line is gone and no acknowledgement comes.
    start(ZD_TEXT, {"--close-after", "100"});
    EXPECT_EQ(writeLimitSetsToInstrument(*store, opener(), callbacks), TRANSFER_PORT_FAILED);
    EXPECT_EQ(awaitLogLine("write received="), "write received=94 acks=100");
    std::string wire;  // the first 30 bytes of each set, as cleaned for sending
    for (std::size_t set = 1; set < LIMIT_SETS; ++set) wire += bytesOf(store->editedLimitSets).substr(32 * set, 30);
    EXPECT_EQ(contents(folder / "received"), wire.substr(0, 94));
    ASSERT_EQ(awaitLogLine("line closed"), "line closed");
    repaired();
    expectADownloadWorks();
}

}  // namespace
