// Limit-set transfers over a pseudo-terminal with the instrument simulator.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "instrument/port_scan.h"
#include "selection/limit_transfer.h"
#include "simulator_fixture.h"

namespace {

const std::string ZD_TEXT = "ZD615 SN:71234\r\n1 2 3 -18.20 ---- -17.05 dBm p W o 2\r\n\n";

std::string limitFile() {
    std::string bytes(512, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 13 + i / 32);
    return bytes;
}

class SimulatorLimitTransferTest : public SimulatorTest {
protected:
    void start(std::vector<std::string> options) {
        options.insert(options.end(), {"--text", file("text", ZD_TEXT), "--limits", file("limits", limits)});
        startSimulator(options);
        for (std::size_t set = 0; set < LIMIT_SETS; ++set) {
            std::memset(&store->editedLimitSets[set], 'a' + static_cast<int>(set), sizeof(LimitSet));
        }
        callbacks.setProgress = [this](int position) { positions.push_back(position); };
    }

    const std::string limits = limitFile();
    std::unique_ptr<MeasurementStore> store = makeStore();
    TransferCallbacks callbacks;
    std::vector<int> positions;
};

TEST_F(SimulatorLimitTransferTest, ReadTakesAnAnswerArrivingInPieces) {
    start({"--baud", "9600"});
    const LimitSet none = store->editedLimitSets[0];
    EXPECT_EQ(readLimitSetsFromInstrument(*store, opener(), callbacks), TRANSFER_OK);
    EXPECT_EQ(std::memcmp(&store->editedLimitSets[1], limits.data() + 32, 480), 0);
    EXPECT_EQ(std::memcmp(&store->editedLimitSets[0], &none, sizeof none), 0);
    EXPECT_EQ(requests(), "t");
    // The progress followed the pieces up to all 480 bytes, then went back to 0.
    EXPECT_GT(std::count_if(positions.begin(), positions.end(), [](int p) { return p > 0 && p < 480; }), 2);
    EXPECT_TRUE(std::is_sorted(positions.begin() + 1, positions.end() - 2));
    EXPECT_EQ(positions.end()[-2], 480);
    EXPECT_EQ(positions.back(), 0);
}

TEST_F(SimulatorLimitTransferTest, AnswerThatStopsShortLeavesTheSetsAlone) {
    start({"--stop-after", "470"});
    const LimitSetTable before = store->editedLimitSets;
    EXPECT_EQ(readLimitSetsFromInstrument(*store, opener(), callbacks), TRANSFER_INCOMPLETE);
    EXPECT_EQ(std::memcmp(&store->editedLimitSets, &before, sizeof before), 0);
    EXPECT_TRUE(std::all_of(store->limitReplyBuffer.begin(), store->limitReplyBuffer.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
}

TEST_F(SimulatorLimitTransferTest, WriteSendsTheFirst30BytesOfEveryCleanedSet) {
    start({"--received", path("received")});
    EXPECT_EQ(writeLimitSetsToInstrument(*store, opener(), callbacks), TRANSFER_OK);
    EXPECT_EQ(awaitLogLine("write "), "write received=450 acks=481");
    std::string expected;
    for (std::size_t set = 1; set < LIMIT_SETS; ++set) {
        expected.append(reinterpret_cast<const char*>(&store->editedLimitSets[set]), 30);
    }
    EXPECT_EQ(expected.substr(0, 12), "BBBBBBBBBBBB");
    EXPECT_EQ(contents(folder / "received"), expected);
    EXPECT_EQ(requests(), "$");
}

struct AckCase {
    std::size_t acknowledgements;
    int result;
    std::size_t bytesSent;
};

TEST_F(SimulatorLimitTransferTest, WriteNeedsExactly478Acknowledgements) {
    start({"--control", path("control")});
    // The first k data bytes take 1 + k + 2 * (k / 30) acknowledgements, and
    // the byte after them goes out once they have come. The last byte's
    // acknowledgements are not waited for; one fewer and it is never sent.
    for (const AckCase c : {AckCase{478, TRANSFER_OK, 450}, AckCase{477, TRANSFER_PORT_FAILED, 449},
                            AckCase{100, TRANSFER_PORT_FAILED, 94}}) {
        SCOPED_TRACE(c.acknowledgements);
        std::filesystem::remove(folder / "received");
        std::memcpy(store->editedLimitSets[4].name, "set-4 (old) ", 12);
        file("control", "--received " + path("received") + " --ack-stop-after " +
                            std::to_string(c.acknowledgements));
        EXPECT_EQ(writeLimitSetsToInstrument(*store, opener(), callbacks), c.result);
        const std::string logged = "write received=" + std::to_string(c.bytesSent) +
                                   " acks=" + std::to_string(c.acknowledgements);
        EXPECT_EQ(awaitLogLine(logged), logged);
        EXPECT_EQ(contents(folder / "received").size(), c.bytesSent);
        // The cleaned names stay, whatever the outcome.
        EXPECT_EQ(std::string(store->editedLimitSets[4].name, store->editedLimitSets[4].name + 12),
                  "SET 4  OLD  ");
    }
}

TEST_F(SimulatorLimitTransferTest, ScanListsTheSimulatorWithItsCleanedIdentification) {
    start({});
    Configuration configuration{};
    configuration.portNumber = 2;
    const PortOpener open = opener();
    const auto ports = scanPorts(configuration, [&](const Configuration& c) -> std::unique_ptr<SerialPort> {
        return c.portNumber == 4 ? open(c) : nullptr;
    });
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].portNumber, 4u);
    EXPECT_EQ(ports[0].answer, "ZD615 SN 71234");
    EXPECT_EQ(configuration.portNumber, 4u);
    EXPECT_EQ(requests(), "n");
}

}  // namespace
