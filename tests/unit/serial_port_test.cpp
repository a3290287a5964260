#include "instrument/serial_port.h"

#include <gtest/gtest.h>

#include "fake_serial_port.h"

namespace {

struct SettingsCase {
    std::uint32_t baudIndex, dataBitsIndex, parityIndex, stopBitsIndex, flowControlIndex;
    LineSettings expected;
};

TEST(LineSettingsOf, ResolvesTheListsAndFallsBackOutsideThem) {
    const std::vector<SettingsCase> cases = {
        {0, 0, 0, 0, 0, {110, 8, Parity::None, StopBits::One, 0}},
        {6, 1, 1, 1, 1, {19200, 7, Parity::Odd, StopBits::OneAndHalf, 1}},
        {9, 2, 2, 2, 2, {115200, 6, Parity::Even, StopBits::Two, 2}},
        {12, 3, 3, 0, 0, {921600, 5, Parity::Mark, StopBits::One, 0}},
        {5, 0, 4, 0, 0, {9600, 8, Parity::Space, StopBits::One, 0}},
        // A damaged configuration: each setting takes its default.
        {13, 4, 5, 3, 3, {19200, 8, Parity::None, StopBits::One, 0}},
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, {19200, 8, Parity::None, StopBits::One, 0}},
    };
    for (const SettingsCase& c : cases) {
        Configuration configuration{};
        configuration.baudIndex = c.baudIndex;
        configuration.dataBitsIndex = c.dataBitsIndex;
        configuration.parityIndex = c.parityIndex;
        configuration.stopBitsIndex = c.stopBitsIndex;
        configuration.flowControlIndex = c.flowControlIndex;
        const LineSettings settings = lineSettingsOf(configuration);
        SCOPED_TRACE(c.baudIndex);
        EXPECT_EQ(settings.baudRate, c.expected.baudRate);
        EXPECT_EQ(settings.dataBits, c.expected.dataBits);
        EXPECT_EQ(settings.parity, c.expected.parity);
        EXPECT_EQ(settings.stopBits, c.expected.stopBits);
        EXPECT_EQ(settings.flowControl, c.expected.flowControl);
    }
}

TEST(PortDeviceName, NamesTheOneBasedComPort) {
    EXPECT_EQ(portDeviceName(0), "\\\\.\\COM1");
    EXPECT_EQ(portDeviceName(9), "\\\\.\\COM10");
    EXPECT_EQ(portDeviceName(98), "\\\\.\\COM99");
}

TEST(DrainPort, DiscardsUntilAReadBringsNothing) {
    FakeLine line;
    line.send("stale answer of an earlier request", 8);
    line.quiet(1);
    line.send("next");
    auto port = line.open();
    drainPort(*port);
    EXPECT_EQ(line.delivered, 34u);
    EXPECT_EQ(line.reads, 6u);  // five pieces and the empty read
}

TEST(DrainPort, StopsAtAFailedRead) {
    FakeLine line;
    line.send("stale");
    line.failRead();
    line.send("next");
    auto port = line.open();
    drainPort(*port);
    EXPECT_EQ(line.reads, 2u);
}

}  // namespace
