// The serial port on a POSIX tty or pseudo-terminal. termios counts its read
// time-out in tenths of a second, far too coarse for reads that must return
// after a millisecond or two, so the device is opened non-blocking and the
// interval and total time-outs are kept with poll().
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "instrument/serial_port.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

speed_t speedOf(std::uint32_t baudRate) {
    switch (baudRate) {
    case 110: return B110;
    case 300: return B300;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B19200;
    }
}

tcflag_t characterSizeOf(std::uint8_t dataBits) {
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    default: return CS8;
    }
}

tcflag_t parityFlagsOf(Parity parity) {
    switch (parity) {
    case Parity::Odd: return PARENB | PARODD;
    case Parity::Even: return PARENB;
    case Parity::Mark: return PARENB | CMSPAR | PARODD;
    case Parity::Space: return PARENB | CMSPAR;
    case Parity::None: break;
    }
    return 0;
}

// Every line setting in one place. Raw mode: bytes pass unchanged, with no
// echo, no line editing and no software flow control (as a COM port starts
// out). POSIX has no one and a half stop bits; two come closest.
void applyLineSettings(termios& line, const LineSettings& settings) {
    ::cfmakeraw(&line);
    line.c_iflag &= ~(IXON | IXOFF | IXANY);
    line.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    line.c_cflag |= CLOCAL | CREAD | characterSizeOf(settings.dataBits) | parityFlagsOf(settings.parity);
    if (settings.stopBits != StopBits::One) line.c_cflag |= CSTOPB;
    if (settings.flowControl == 1) line.c_cflag |= CRTSCTS;
    if (settings.flowControl == 2) line.c_iflag |= IXANY;  // go on sending after XOFF
    // With a minimum of one byte an empty non-blocking read fails with EAGAIN,
    // so a read of 0 bytes always means a hang-up.
    line.c_cc[VMIN] = 1;
    line.c_cc[VTIME] = 0;
    ::cfsetispeed(&line, speedOf(settings.baudRate));
    ::cfsetospeed(&line, speedOf(settings.baudRate));
}

// RTS and DTR follow the handshake with flow control 1 and are held off otherwise.
void applyModemLines(int descriptor, const LineSettings& settings) {
    int lines = TIOCM_RTS | TIOCM_DTR;
    ::ioctl(descriptor, settings.flowControl == 1 ? TIOCMBIS : TIOCMBIC, &lines);
}

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<Milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until the descriptor is ready for `events` or `timeoutMs` passed. False
// on a time-out; nothing when the device failed or went away.
std::optional<bool> waitFor(int descriptor, short events, int timeoutMs) {
    pollfd entry{descriptor, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, timeoutMs);
        if (ready > 0) {
            if (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) return std::nullopt;
            return true;
        }
        if (ready == 0) return false;
        if (errno != EINTR) return std::nullopt;
    }
}

class PosixSerialPort final : public SerialPort {
public:
    PosixSerialPort(int descriptor, const PortTimeouts& timeouts) : descriptor_(descriptor), timeouts_(timeouts) {}
    ~PosixSerialPort() override { close(); }

    // Returns when `size` bytes arrived, when the total time-out for `size`
    // bytes passed, or when the line stayed quiet for the interval after a byte.
    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t size) override {
        const auto deadline = Clock::now() + Milliseconds(timeouts_.readTotalPerByte * size +
                                                          timeouts_.readTotalConstant);
        const int interval = static_cast<int>(timeouts_.readInterval);
        return moveBytes(
            size, POLLIN, [&](std::size_t moved) { return ::read(descriptor_, buffer + moved, size - moved); },
            [&](std::size_t moved) {
                const int total = millisecondsUntil(deadline);
                return moved > 0 ? std::min(total, interval) : total;
            });
    }

    // Writes as much as the write time-outs allow.
    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t size) override {
        const auto deadline = Clock::now() + Milliseconds(timeouts_.writeTotalPerByte * size +
                                                          timeouts_.writeTotalConstant);
        return moveBytes(
            size, POLLOUT, [&](std::size_t moved) { return ::write(descriptor_, data + moved, size - moved); },
            [&](std::size_t) { return millisecondsUntil(deadline); });
    }

    void close() override {
        if (descriptor_ < 0) return;
        // The exclusive flag outlives this descriptor while the other end holds
        // the tty open; cleared, the next open of the same device succeeds.
        ::ioctl(descriptor_, TIOCNXCL);
        ::close(descriptor_);
        descriptor_ = -1;
    }

private:
    // Moves up to `size` bytes with `move` (one read or write call), waiting
    // for `events` at most `waitLimit(moved)` ms whenever the line is not
    // ready. A time-out ends it with the bytes moved so far. A failed call or
    // wait, or a read of nothing (a hang-up), fails it unless bytes moved; the
    // failure then shows on the next call.
    template <typename Move, typename WaitLimit>
    std::optional<std::size_t> moveBytes(std::size_t size, short events, Move move, WaitLimit waitLimit) const {
        if (descriptor_ < 0) return std::nullopt;
        std::size_t moved = 0;
        bool failed = false;
        while (moved < size && !failed) {
            const ssize_t count = move(moved);
            if (count > 0) {
                moved += static_cast<std::size_t>(count);
                continue;
            }
            failed = count == 0 || (errno != EAGAIN && errno != EINTR);
            if (failed) break;
            const int wait = waitLimit(moved);
            const auto ready = wait > 0 ? waitFor(descriptor_, events, wait) : false;
            failed = !ready;
            if (!failed && !*ready) break;
        }
        if (failed && moved == 0) return std::nullopt;
        return moved;
    }

    int descriptor_;
    PortTimeouts timeouts_;
};

}  // namespace

std::unique_ptr<SerialPort> openSerialDevice(const std::string& device, const LineSettings& settings,
                                             const PortTimeouts& timeouts) {
    const int descriptor = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    // TIOCEXCL does not stop a privileged process; the lock stops every other
    // user of this back end as well.
    if (!::isatty(descriptor) || ::flock(descriptor, LOCK_EX | LOCK_NB) != 0 ||
        ::ioctl(descriptor, TIOCEXCL) != 0) {
        ::close(descriptor);
        return nullptr;
    }
    auto port = std::make_unique<PosixSerialPort>(descriptor, timeouts);
    termios line{};
    if (::tcgetattr(descriptor, &line) == 0) {
        applyLineSettings(line, settings);
        ::tcsetattr(descriptor, TCSANOW, &line);
    }
    applyModemLines(descriptor, settings);
    return port;
}
