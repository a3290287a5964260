// The serial link to the instrument. One port is open at a time; it is opened
// with the line settings of the configuration and with read time-outs so short
// that no read ever blocks the user interface (a read of 32 bytes returns
// after about 33 ms with whatever has arrived, possibly nothing).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/records.h"

// The line-setting lists, in the order of the configuration's indices and of
// the port settings dialog's boxes. The order never changes: old
// configuration files keep their meaning.
inline constexpr std::array<std::uint32_t, 13> BAUD_RATES{
    110, 300, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400, 460800, 921600};
inline constexpr std::array<std::uint8_t, 4> DATA_BITS{8, 7, 6, 5};
enum class Parity : std::uint8_t { None, Odd, Even, Mark, Space };
enum class StopBits : std::uint8_t { One, OneAndHalf, Two };
// Flow control 0: none, RTS and DTR held off; 1: RTS/CTS and DTR/DSR
// handshake; 2: none, but sending goes on after XOFF.
inline constexpr std::uint32_t FLOW_CONTROL_KINDS = 3;

// Read and write time-outs set on every open, in milliseconds.
struct PortTimeouts {
    std::uint32_t readInterval = 1;
    std::uint32_t readTotalPerByte = 1;
    std::uint32_t readTotalConstant = 1;
    std::uint32_t writeTotalPerByte = 10;
    std::uint32_t writeTotalConstant = 50;
};

// The configuration's port settings resolved from their lists. An index
// outside its list (a damaged configuration) gives that setting's default.
struct LineSettings {
    std::uint32_t baudRate = 19200;
    std::uint8_t dataBits = 8;
    Parity parity = Parity::None;
    StopBits stopBits = StopBits::One;
    std::uint32_t flowControl = 0;
};
LineSettings lineSettingsOf(const Configuration& configuration);

// An open port. The object is the port handle's only owner: destroying it
// closes the port, and close() may be called any number of times.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    SerialPort() = default;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Up to `size` bytes, after at most the read time-outs; nothing when the
    // read call itself failed (a line error, the device gone).
    virtual std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t size) = 0;
    // The number of bytes written; nothing when the write call failed.
    virtual std::optional<std::size_t> write(const std::uint8_t* data, std::size_t size) = 0;
    virtual void close() = 0;
};

// The platform back end (serial_port_win32.cpp / serial_port_posix.cpp):
// opens a device by name ("\\.\COM3" on Windows, a tty or pty path on POSIX)
// for exclusive use, sets queues, line settings, flow control, abort on line
// errors and the time-outs; a refused setting is ignored. Nothing when the
// device cannot be opened.
std::unique_ptr<SerialPort> openSerialDevice(const std::string& device, const LineSettings& settings,
                                             const PortTimeouts& timeouts = {});

// The device name of a zero-based port number: "\\.\COM%u" with portNumber + 1.
std::string portDeviceName(std::uint32_t portNumber);

// Reads and discards input until a read brings nothing, pausing 50 ms after
// every read that brought bytes, so stale bytes never precede an answer.
void drainPort(SerialPort& port);

// Opens the configured port with the configured settings and drains it.
std::unique_ptr<SerialPort> openPort(const Configuration& configuration);

// How the download, the port scan and the limit transfer open a port: the
// program passes openPort; tests pass a pseudo-terminal or a fake.
using PortOpener = std::function<std::unique_ptr<SerialPort>(const Configuration&)>;

// Request bytes the instrument answers.
inline constexpr std::uint8_t REQUEST_TEXT = 'u';        // the measurement text
inline constexpr std::uint8_t REQUEST_LIMIT_SETS = 't';  // limit sets 1 to 15
inline constexpr std::uint8_t REQUEST_WRITE_LIMITS = '$';
inline constexpr std::uint8_t REQUEST_IDENTITY = 'n';

// Waits `milliseconds` on the calling thread (the transfers' short pauses).
void pauseMilliseconds(std::uint32_t milliseconds);
