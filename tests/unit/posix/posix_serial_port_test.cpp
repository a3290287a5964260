// The POSIX back end on the simulator's pseudo-terminal.
#include <string>
#include <vector>

#include "simulator_fixture.h"

namespace {

const std::string TEXT = "OLM55 0042\r\n1 1 1310 -2.41 0\r\n1 2 1310 -2.55 0\r\n\n";

class PosixSerialPortTest : public SimulatorTest {
protected:
    void SetUp() override {
        SimulatorTest::SetUp();
        startSimulator({"--text", file("text", TEXT)});
    }

    // Reads until `size` bytes came or a read brought nothing.
    static std::string receive(SerialPort& port, std::size_t size) {
        std::string bytes;
        std::vector<std::uint8_t> buffer(size);
        while (bytes.size() < size) {
            const auto count = port.read(buffer.data(), size - bytes.size());
            if (!count || *count == 0) break;
            bytes.append(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(*count));
        }
        return bytes;
    }
    // Waits for the first byte of an answer, then takes the rest.
    static std::string answer(SerialPort& port, std::size_t size) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::uint8_t first = 0;
            const auto count = port.read(&first, 1);
            if (count && *count == 1) return static_cast<char>(first) + receive(port, size - 1);
        }
        return {};
    }
};

struct SettingsCase {
    std::uint32_t baudIndex, stopBitsIndex, flowControlIndex;
    const char* logged;
};

TEST_F(PosixSerialPortTest, AppliesTheConfiguredLineSettings) {
    // A pseudo-terminal keeps neither data bits nor parity: always 8 and none.
    const std::vector<SettingsCase> cases = {
        {0, 0, 0, "baud=110 data=8 parity=none stop=1 flow=0"},
        {12, 1, 1, "baud=921600 data=8 parity=none stop=2 flow=1"},  // POSIX has no 1.5 stop bits
        {6, 2, 2, "baud=19200 data=8 parity=none stop=2 flow=2"},
        {99, 7, 9, "baud=19200 data=8 parity=none stop=1 flow=0"},
    };
    for (const SettingsCase& c : cases) {
        Configuration configuration{};
        configuration.baudIndex = c.baudIndex;
        configuration.stopBitsIndex = c.stopBitsIndex;
        configuration.flowControlIndex = c.flowControlIndex;
        configuration.dataBitsIndex = 1;
        configuration.parityIndex = 3;
        auto port = opener()(configuration);
        ASSERT_TRUE(port);
        ASSERT_EQ(port->write(&REQUEST_IDENTITY, 1), 1u);
        EXPECT_EQ(answer(*port, 10), "OLM55 0042");
    }
    std::vector<std::string> logged;
    for (const std::string& line : logLines()) logged.push_back(line);
    ASSERT_EQ(logged.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) EXPECT_EQ(logged[i], std::string("request n ") + cases[i].logged);
}

TEST_F(PosixSerialPortTest, DrainLeavesNoStaleBytes) {
    const LineSettings settings;
    {
        auto port = openSerialDevice(linePath, settings);
        ASSERT_TRUE(port);
        port->write(&REQUEST_TEXT, 1);
        awaitLogLine("request u");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    {
        // The answer nobody read is still waiting for the next user of the line...
        auto port = openSerialDevice(linePath, settings);
        ASSERT_TRUE(port);
        EXPECT_EQ(receive(*port, 8), TEXT.substr(0, 8));
    }
    auto port = opener()(Configuration{});
    ASSERT_TRUE(port);
    // ...until a drain.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(receive(*port, 32), "");
}

TEST_F(PosixSerialPortTest, ReadOfAQuietLineReturnsEmpty) {
    auto port = openSerialDevice(linePath, LineSettings{});
    ASSERT_TRUE(port);
    std::uint8_t buffer[32];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port->read(buffer, sizeof buffer), 0u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));  // it never blocks
}

TEST_F(PosixSerialPortTest, ClosingTwiceIsSafeAndAClosedPortMovesNothing) {
    auto port = openSerialDevice(linePath, LineSettings{});
    ASSERT_TRUE(port);
    port->close();
    port->close();
    std::uint8_t byte = 'u';
    EXPECT_FALSE(port->read(&byte, 1));
    EXPECT_FALSE(port->write(&byte, 1));
}

TEST_F(PosixSerialPortTest, PortInUseCannotBeOpenedAgain) {
    auto first = openSerialDevice(linePath, LineSettings{});
    ASSERT_TRUE(first);
    EXPECT_FALSE(openSerialDevice(linePath, LineSettings{}));
    first->close();
    EXPECT_TRUE(openSerialDevice(linePath, LineSettings{}));
}

TEST_F(PosixSerialPortTest, OnlyTerminalsOpen) {
    EXPECT_FALSE(openSerialDevice(file("plain", "not a tty"), LineSettings{}));
    EXPECT_FALSE(openSerialDevice(path("missing"), LineSettings{}));
}

TEST_F(PosixSerialPortTest, LineThatHungUpFailsTheRead) {
    auto port = openSerialDevice(linePath, LineSettings{});
    ASSERT_TRUE(port);
    stopSimulator();
    std::uint8_t buffer[32];
    EXPECT_FALSE(port->read(buffer, sizeof buffer));
}

}  // namespace
