#include "instrument/port_scan.h"

#include <array>

namespace {

constexpr std::uint32_t PROBE_WAIT_MS = 50;
constexpr std::size_t ANSWER_BUFFER = 32;
constexpr std::size_t ANSWER_MAX = ANSWER_BUFFER - 1;  // the item's text holds 31 characters

bool isLetterOrDigit(std::uint8_t byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// Asks whatever is attached to identify itself.
std::string identify(SerialPort& port) {
    std::array<std::uint8_t, ANSWER_BUFFER> answer{};
    const auto written = port.write(&REQUEST_IDENTITY, 1);
    if (!written || *written != 1) return {};
    pauseMilliseconds(PROBE_WAIT_MS);
    const auto count = port.read(answer.data(), answer.size());
    return count ? cleanIdentification(answer.data(), *count) : std::string();
}

}  // namespace

std::vector<ScannedPort> scanPorts(Configuration& configuration, const PortOpener& openPort) {
    const std::uint32_t configured = configuration.portNumber;
    std::uint32_t preferred = configured;
    bool preferredMissing = false;
    bool replacementChosen = false;
    std::vector<ScannedPort> ports;
    for (std::uint32_t number = 0; number < SCANNED_PORTS; ++number) {
        configuration.portNumber = number;
        auto port = openPort(configuration);
        if (!port) {
            if (number == configured) preferredMissing = true;
            continue;
        }
        std::string answer = identify(*port);
        port->close();
        if (preferredMissing && !replacementChosen) {
            preferred = number;
            replacementChosen = true;
        }
        ports.push_back({number, std::move(answer)});
    }
    configuration.portNumber = preferred;
    return ports;
}

std::string cleanIdentification(const std::uint8_t* bytes, std::size_t count) {
    if (count == 1) {
        // Left as it came; a lone zero byte is no text at all.
        return bytes[0] == 0 ? std::string() : std::string(1, static_cast<char>(bytes[0]));
    }
    std::string text;
    for (std::size_t i = 0; i < count && i < ANSWER_MAX; ++i) {
        text += isLetterOrDigit(bytes[i]) ? static_cast<char>(bytes[i]) : ' ';
    }
    return text;
}
