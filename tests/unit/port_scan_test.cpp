#include "instrument/port_scan.h"

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_serial_port.h"

namespace {

// Fake lines on some port numbers; every other port cannot be opened.
class PortScanTest : public ::testing::Test {
protected:
    FakeLine& present(std::uint32_t portNumber, std::string identity = {}) {
        FakeLine& line = lines[portNumber];
        line.onWrite = [&line, identity](std::uint8_t byte) {
            if (byte == REQUEST_IDENTITY) line.send(identity);
        };
        return line;
    }
    std::vector<ScannedPort> scan(std::uint32_t configured) {
        configuration.portNumber = configured;
        return scanPorts(configuration, [this](const Configuration& c) -> std::unique_ptr<SerialPort> {
            attempts.push_back(c.portNumber);
            const auto found = lines.find(c.portNumber);
            return found == lines.end() ? nullptr : found->second.open();
        });
    }
    static std::vector<std::uint32_t> numbers(const std::vector<ScannedPort>& ports) {
        std::vector<std::uint32_t> result;
        for (const ScannedPort& port : ports) result.push_back(port.portNumber);
        return result;
    }

    Configuration configuration{};
    std::map<std::uint32_t, FakeLine> lines;
    std::vector<std::uint32_t> attempts;
};

struct PreferenceCase {
    const char* name;
    std::uint32_t configured;
    std::vector<std::uint32_t> present;
    std::uint32_t chosen;
};

const std::vector<PreferenceCase> PREFERENCE_CASES = {
    {"ConfiguredPresent", 2, {2, 4}, 2},
    {"ConfiguredMissingNextAboveChosen", 2, {4, 6}, 4},
    {"PortsBelowDoNotReplaceIt", 2, {0, 1, 5}, 5},
    {"NothingAboveKeepsIt", 6, {0, 3}, 6},
    {"NoPortAtAll", 2, {}, 2},
    {"LastScannedPort", 97, {98}, 98},
    {"ConfiguredBeyondTheScan", 120, {3}, 120},
};

class PortPreference : public PortScanTest, public ::testing::WithParamInterface<PreferenceCase> {};

TEST_P(PortPreference, ListsThePresentPortsAndReplacesAMissingConfiguredOne) {
    const PreferenceCase& c = GetParam();
    for (std::uint32_t number : c.present) present(number);
    const auto ports = scan(c.configured);
    EXPECT_EQ(numbers(ports), c.present);
    EXPECT_EQ(configuration.portNumber, c.chosen);
    EXPECT_EQ(attempts.size(), SCANNED_PORTS);
    EXPECT_EQ(attempts.back(), SCANNED_PORTS - 1);
    for (std::uint32_t number : c.present) {
        EXPECT_EQ(lines[number].written, "n") << number;
        EXPECT_FALSE(lines[number].isOpen) << number;
    }
}

INSTANTIATE_TEST_SUITE_P(PortScan, PortPreference, ::testing::ValuesIn(PREFERENCE_CASES),
                         [](const ::testing::TestParamInfo<PreferenceCase>& param) { return std::string(param.param.name); });

TEST_F(PortScanTest, ShowsEachPortsCleanedAnswer) {
    present(0, "ZD615 SN:71234\r\n");
    present(3);
    present(5, "?");
    const auto ports = scan(0);
    ASSERT_EQ(ports.size(), 3u);
    EXPECT_EQ(ports[0].answer, "ZD615 SN 71234  ");
    EXPECT_EQ(ports[1].answer, "");
    EXPECT_EQ(ports[2].answer, "?");
}

TEST_F(PortScanTest, PortThatTakesNoProbeIsListedWithoutAnswer) {
    FakeLine& line = present(4, "OLM55");
    line.failWrites = true;
    const auto ports = scan(4);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].answer, "");
    EXPECT_EQ(line.reads, 0u);
}

TEST_F(PortScanTest, FailedReadGivesNoAnswer) {
    FakeLine& line = present(1);
    line.failRead();
    const auto ports = scan(1);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].answer, "");
}

struct CleanCase {
    std::string bytes;
    std::string text;
};

TEST(CleanIdentification, BlanksEverythingButLettersAndDigits) {
    const std::vector<CleanCase> cases = {
        {"", ""},
        {"A", "A"},
        {"\x07", "\x07"},  // a single byte stays as it came
        {std::string(1, '\0'), ""},
        {"-:", "  "},
        {"OLM55 0042\r\n", "OLM55 0042  "},
        {std::string("a\0b\x80\xff" "z9Z", 8), "a b  z9Z"},
        {std::string(32, 'x'), std::string(31, 'x')},  // the list holds 31 characters
    };
    for (const CleanCase& c : cases) {
        EXPECT_EQ(cleanIdentification(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size()), c.text)
            << c.bytes;
    }
}

}  // namespace
