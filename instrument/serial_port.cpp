#include "instrument/serial_port.h"

#include <chrono>
#include <thread>

namespace {

constexpr std::size_t DRAIN_READ_SIZE = 32;
constexpr std::uint32_t DRAIN_PAUSE_MS = 50;

// The entry of a list, or `fallback` when a damaged configuration points past it.
template <typename List, typename Value>
Value entryOr(const List& list, std::uint32_t index, Value fallback) {
    return index < list.size() ? static_cast<Value>(list[index]) : fallback;
}

}  // namespace

LineSettings lineSettingsOf(const Configuration& configuration) {
    constexpr std::array<Parity, 5> PARITIES{Parity::None, Parity::Odd, Parity::Even, Parity::Mark,
                                             Parity::Space};
    constexpr std::array<StopBits, 3> STOP_BITS{StopBits::One, StopBits::OneAndHalf, StopBits::Two};
    const LineSettings defaults;
    LineSettings settings;
    settings.baudRate = entryOr(BAUD_RATES, configuration.baudIndex, defaults.baudRate);
    settings.dataBits = entryOr(DATA_BITS, configuration.dataBitsIndex, defaults.dataBits);
    settings.parity = entryOr(PARITIES, configuration.parityIndex, defaults.parity);
    settings.stopBits = entryOr(STOP_BITS, configuration.stopBitsIndex, defaults.stopBits);
    settings.flowControl =
        configuration.flowControlIndex < FLOW_CONTROL_KINDS ? configuration.flowControlIndex : defaults.flowControl;
    return settings;
}

std::string portDeviceName(std::uint32_t portNumber) {
    return "\\\\.\\COM" + std::to_string(portNumber + 1);
}

void drainPort(SerialPort& port) {
    std::array<std::uint8_t, DRAIN_READ_SIZE> discarded;
    for (;;) {
        const auto count = port.read(discarded.data(), discarded.size());
        if (!count || *count == 0) return;
        pauseMilliseconds(DRAIN_PAUSE_MS);
    }
}

std::unique_ptr<SerialPort> openPort(const Configuration& configuration) {
    auto port = openSerialDevice(portDeviceName(configuration.portNumber), lineSettingsOf(configuration));
    if (port) drainPort(*port);
    return port;
}

void pauseMilliseconds(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
