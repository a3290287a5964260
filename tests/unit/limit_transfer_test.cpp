#include "selection/limit_transfer.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_serial_port.h"

namespace {

constexpr std::size_t ANSWER = 480;
constexpr std::size_t SENT = 450;
constexpr std::size_t SET_BYTES = sizeof(LimitSet);
constexpr std::size_t SENT_SET_BYTES = 30;

std::vector<std::uint8_t> pattern(std::size_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 11);
    return bytes;
}

const std::uint8_t* bytesOf(const LimitSetTable& sets, std::size_t set = 0) {
    return reinterpret_cast<const std::uint8_t*>(&sets[set]);
}

void setName(LimitSet& set, const std::string& name) {
    std::fill(std::begin(set.name), std::end(set.name), ' ');
    std::copy_n(name.begin(), std::min(name.size(), sizeof set.name), set.name);
}

std::string nameOf(const LimitSet& set) { return std::string(std::begin(set.name), std::end(set.name)); }

class LimitTransferTest : public ::testing::Test {
protected:
    LimitTransferTest() {
        const auto bytes = pattern(sizeof(LimitSetTable), 1);
        std::memcpy(&store->editedLimitSets, bytes.data(), bytes.size());
        callbacks.setProgressRange = [this](int maximum) { events.push_back("range " + std::to_string(maximum)); };
        callbacks.setProgress = [this](int position) { positions.push_back(position); };
        callbacks.stepProgress = [this] { ++steps; };
        callbacks.portNotOpened = [this] { events.push_back("not opened"); };
    }

    int read() { return readLimitSetsFromInstrument(*store, line.opener(), callbacks); }
    int write() { return writeLimitSetsToInstrument(*store, line.opener(), callbacks); }

    // The instrument of a write: each acknowledgement byte arrives in a read of its own.
    void acknowledgeWrites(std::size_t acknowledgements) {
        line.onWrite = [this, acknowledgements](std::uint8_t) {
            const std::size_t data = line.written.size() - 1;  // the "$" is not data
            const std::size_t count = data > 0 && data % SENT_SET_BYTES == 0 ? 3 : 1;
            for (std::size_t i = 0; i < count && sentAcks < acknowledgements; ++i, ++sentAcks) line.send("#");
        };
    }

    std::unique_ptr<MeasurementStore> store = makeStore();
    FakeLine line;
    TransferCallbacks callbacks;
    std::vector<std::string> events;
    std::vector<int> positions;
    int steps = 0;
    std::size_t sentAcks = 0;
};

TEST_F(LimitTransferTest, ReadTakesTheAnswerInPiecesIntoSetsOneToFifteen) {
    const auto answer = pattern(ANSWER, 77);
    const LimitSet none = store->editedLimitSets[0];
    line.onWrite = [&](std::uint8_t byte) {
        if (byte != REQUEST_LIMIT_SETS) return;
        line.send(std::vector<std::uint8_t>(answer.begin(), answer.begin() + 100));
        line.quiet(4);  // pauses shorter than five reads are no end
        line.send(std::vector<std::uint8_t>(answer.begin() + 100, answer.end()), 190);
    };
    EXPECT_EQ(read(), TRANSFER_OK);
    EXPECT_EQ(line.written, "t");
    EXPECT_EQ(std::memcmp(bytesOf(store->editedLimitSets, 1), answer.data(), ANSWER), 0);
    EXPECT_EQ(std::memcmp(&store->editedLimitSets[0], &none, SET_BYTES), 0);
    EXPECT_EQ(store->limitTextLength, ANSWER);
    EXPECT_EQ(events, std::vector<std::string>{"range 480"});
    EXPECT_EQ(positions, (std::vector<int>{0, 100, 100, 100, 100, 100, 290, 480, 0}));
    EXPECT_FALSE(line.isOpen);
}

TEST_F(LimitTransferTest, ReadThatStopsShortFailsAfterFiveEmptyReads) {
    const LimitSetTable before = store->editedLimitSets;
    store->limitTextLength = 123;
    line.onWrite = [&](std::uint8_t) { line.send(pattern(470, 5), 64); };
    EXPECT_EQ(read(), TRANSFER_INCOMPLETE);
    EXPECT_EQ(line.emptyReads, 5u);
    EXPECT_EQ(std::memcmp(&store->editedLimitSets, &before, sizeof before), 0);
    EXPECT_TRUE(std::all_of(store->limitReplyBuffer.begin(), store->limitReplyBuffer.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
    EXPECT_EQ(store->limitTextLength, 123u);
    EXPECT_EQ(positions.back(), 0);
    EXPECT_FALSE(line.isOpen);
}

TEST_F(LimitTransferTest, FailedReadEndsTheReadAtOnce) {
    const LimitSetTable before = store->editedLimitSets;
    line.onWrite = [&](std::uint8_t) {
        line.send(pattern(200, 5));
        line.failRead();
        line.send(pattern(280, 5));
    };
    EXPECT_EQ(read(), TRANSFER_INCOMPLETE);
    EXPECT_EQ(line.reads, 2u);
    EXPECT_EQ(std::memcmp(&store->editedLimitSets, &before, sizeof before), 0);
}

TEST_F(LimitTransferTest, WriteSendsTheCleanedSetsAfterExactlyTheAcknowledgementsWanted) {
    setName(store->editedLimitSets[1], "abc-1");
    acknowledgeWrites(SIZE_MAX);
    EXPECT_EQ(write(), TRANSFER_OK);

    ASSERT_EQ(line.written.size(), 1 + SENT);
    EXPECT_EQ(line.written[0], '$');
    for (std::size_t set = 1; set < LIMIT_SETS; ++set) {
        const LimitSet& sent = store->editedLimitSets[set];
        EXPECT_EQ(sent.lineEnd[0], 0x0A);
        EXPECT_EQ(sent.lineEnd[1], 0x0D);
        const std::string onWire = line.written.substr(1 + (set - 1) * SENT_SET_BYTES, SENT_SET_BYTES);
        EXPECT_EQ(std::memcmp(onWire.data(), &sent, SENT_SET_BYTES), 0) << set;
    }
    EXPECT_EQ(nameOf(store->editedLimitSets[1]), "ABC 1       ");
    // Each byte waits for the acknowledgements of the one before, and for no more.
    std::size_t wanted = 0;
    for (std::size_t i = 0; i < line.written.size(); ++i) {
        EXPECT_EQ(line.deliveredBeforeWrite[i], wanted) << "byte " << i;
        wanted += i > 0 && i % SENT_SET_BYTES == 0 ? 3 : 1;
    }
    EXPECT_EQ(line.deliveredBeforeWrite.back(), 478u);
    EXPECT_EQ(steps, static_cast<int>(SENT));
    EXPECT_EQ(events, std::vector<std::string>{"range 450"});
    EXPECT_EQ(positions, (std::vector<int>{0, 0}));
    EXPECT_FALSE(line.isOpen);
}

TEST_F(LimitTransferTest, WriteGivesUpOnThe52ndEmptyReadAndKeepsTheCleanedNames) {
    for (const std::size_t acknowledgements : {std::size_t{0}, std::size_t{31}, std::size_t{477}}) {
        SCOPED_TRACE(acknowledgements);
        line = FakeLine();
        sentAcks = 0;
        setName(store->editedLimitSets[15], "x_y.z");
        acknowledgeWrites(acknowledgements);
        EXPECT_EQ(write(), TRANSFER_PORT_FAILED);
        EXPECT_EQ(line.emptyReads, 52u);
        EXPECT_EQ(line.delivered, acknowledgements);
        EXPECT_EQ(nameOf(store->editedLimitSets[15]), "X Y Z       ");
        EXPECT_EQ(store->editedLimitSets[15].lineEnd[0], 0x0A);
        EXPECT_EQ(positions.back(), 0);
        EXPECT_FALSE(line.isOpen);
    }
}

TEST_F(LimitTransferTest, PortThatCannotBeOpenedIsReported) {
    line.refuseOpen = true;
    setName(store->editedLimitSets[2], "lo\xe9");
    EXPECT_EQ(write(), TRANSFER_PORT_FAILED);
    EXPECT_EQ(nameOf(store->editedLimitSets[2]), "LO          ");
    EXPECT_EQ(read(), TRANSFER_PORT_FAILED);
    EXPECT_EQ(events, (std::vector<std::string>{"not opened", "not opened"}));
}

TEST_F(LimitTransferTest, NamesKeepCapitalsAndDigitsOnly) {
    const std::string every = std::string("aZ09 \x01\x7f\x80\xff") + "-_.";
    setName(store->editedLimitSets[3], every);
    const LimitSet none = store->editedLimitSets[0];
    acknowledgeWrites(SIZE_MAX);
    ASSERT_EQ(write(), TRANSFER_OK);
    EXPECT_EQ(nameOf(store->editedLimitSets[3]), "AZ09        ");
    EXPECT_EQ(std::memcmp(&store->editedLimitSets[0], &none, SET_BYTES), 0);  // set 0 stays as it is
}

TEST_F(LimitTransferTest, TransfersRunWithoutCallbacks) {
    acknowledgeWrites(SIZE_MAX);
    EXPECT_EQ(writeLimitSetsToInstrument(*store, line.opener(), {}), TRANSFER_OK);
    line = FakeLine();
    line.onWrite = [&](std::uint8_t) { line.send(pattern(ANSWER, 2)); };
    EXPECT_EQ(readLimitSetsFromInstrument(*store, line.opener(), {}), TRANSFER_OK);
}

}  // namespace
