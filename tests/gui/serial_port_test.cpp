// The serial ports as the program sees them under Wine: COM1 and COM5 of
// the test prefix lead to instrument simulators, every other port is removed.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/configuration.h"
#include "instrument/serial_port.h"
#include "simulator.h"

namespace {

Configuration withPort(std::uint32_t portNumber) {
    Configuration configuration{};
    setDefaultConfiguration(configuration);
    configuration.portNumber = portNumber;
    return configuration;
}

// The number of bytes of the first read that brings any; each read returns
// after about 33 ms, with the answer or without.
std::size_t firstBytesOfTheAnswer(SerialPort& port) {
    std::uint8_t answer[32];
    std::size_t received = 0;
    for (int read = 0; read < 100 && received == 0; ++read) received = port.read(answer, sizeof answer).value_or(0);
    return received;
}

TEST(SerialPorts, OnlyTheMappedPortsOpen) {
    struct Case {
        std::uint32_t portNumber;
        bool opens;
    };
    const Case cases[] = {{0, true}, {1, false}, {2, false}, {4, true}, {9, false}, {98, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.portNumber);
        EXPECT_EQ(openPort(withPort(c.portNumber)) != nullptr, c.opens);
    }
}

TEST(SerialPorts, TheConfiguredLineSettingsReachTheLine) {
    Simulator instrument("com1");
    // What a pseudo-terminal keeps of them: it ignores data bits and parity,
    // and shows nothing of the switch that tells flow control 2 from 0.
    struct Case {
        std::uint32_t baud, dataBits, parity, stopBits, flow;
        const char* baudSeen;
        const char* stopAndFlowSeen;
    };
    const Case cases[] = {
        {6, 0, 0, 0, 0, "baud=19200", "stop=1 flow=0"},
        {5, 1, 2, 2, 1, "baud=9600", "stop=2 flow=1"},
        {9, 3, 1, 0, 0, "baud=115200", "stop=1 flow=0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.baudSeen);
        Configuration configuration = withPort(0);
        configuration.baudIndex = c.baud;
        configuration.dataBitsIndex = c.dataBits;
        configuration.parityIndex = c.parity;
        configuration.stopBitsIndex = c.stopBits;
        configuration.flowControlIndex = c.flow;
        const auto port = openPort(configuration);
        ASSERT_NE(port, nullptr);
        const std::size_t before = instrument.requests().size();
        const std::uint8_t request = REQUEST_IDENTITY;
        ASSERT_EQ(port->write(&request, 1), 1u);
        ASSERT_NE(firstBytesOfTheAnswer(*port), 0u);
        const auto requests = instrument.requests();
        ASSERT_EQ(requests.size(), before + 1);
        EXPECT_NE(requests.back().find(c.baudSeen), std::string::npos) << requests.back();
        EXPECT_NE(requests.back().find(c.stopAndFlowSeen), std::string::npos) << requests.back();
    }
}

// Wine reads a pseudo-terminal that hung up as empty, as a quiet line
// would read; the port tells them apart, so the transfers see the line gone.
TEST(SerialPorts, AReadOfALineThatHungUpFailsAndTheNextOpenFindsTheNewLine) {
    Simulator instrument("com1");
    instrument.serve({"--close-after", "10"});
    {
        const auto port = openPort(withPort(0));
        ASSERT_NE(port, nullptr);
        ASSERT_EQ(port->write(&REQUEST_IDENTITY, 1), 1u);
        std::uint8_t answer[32];
        std::size_t received = 0;
        std::optional<std::size_t> count = 0;
        for (int read = 0; read < 200 && count; ++read) {
            count = port->read(answer, sizeof answer);
            received += count.value_or(0);
        }
        EXPECT_FALSE(count.has_value());
        EXPECT_EQ(received, 10u);
    }
    instrument.serve({});
    const auto port = openPort(withPort(0));
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(port->write(&REQUEST_IDENTITY, 1), 1u);
    EXPECT_NE(firstBytesOfTheAnswer(*port), 0u);
}

}  // namespace
