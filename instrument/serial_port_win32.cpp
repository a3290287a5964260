#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "instrument/serial_port.h"

namespace {

// Requested sizes of the driver's queues: the program never has more than
// one request byte or one 32-byte read outstanding.
constexpr DWORD QUEUE_SIZE = 32;

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using PortHandle = std::unique_ptr<void, HandleCloser>;

// The flow-control rows, in the order of the configuration's index.
struct FlowControl {
    bool ctsOutput;
    bool dsrOutput;
    DWORD dtrControl;
    bool dsrSensitivity;
    bool continueAfterXoff;
    DWORD rtsControl;
};

constexpr FlowControl FLOW_CONTROLS[FLOW_CONTROL_KINDS] = {
    {false, false, DTR_CONTROL_DISABLE, false, false, RTS_CONTROL_DISABLE},
    {true, true, DTR_CONTROL_HANDSHAKE, false, false, RTS_CONTROL_HANDSHAKE},
    {false, false, DTR_CONTROL_DISABLE, false, true, RTS_CONTROL_DISABLE},
};

BYTE parityOf(Parity parity) {
    switch (parity) {
    case Parity::Odd: return ODDPARITY;
    case Parity::Even: return EVENPARITY;
    case Parity::Mark: return MARKPARITY;
    case Parity::Space: return SPACEPARITY;
    case Parity::None: break;
    }
    return NOPARITY;
}

BYTE stopBitsOf(StopBits stopBits) {
    switch (stopBits) {
    case StopBits::OneAndHalf: return ONE5STOPBITS;
    case StopBits::Two: return TWOSTOPBITS;
    case StopBits::One: break;
    }
    return ONESTOPBIT;
}

// Everything the program sets on a port, on top of what the driver reports.
// The switches not named here (XON/XOFF among them) stay as the driver has them.
void applyLineSettings(DCB& control, const LineSettings& settings) {
    control.BaudRate = settings.baudRate;
    control.ByteSize = settings.dataBits;
    control.Parity = parityOf(settings.parity);
    control.StopBits = stopBitsOf(settings.stopBits);
    const FlowControl& flow =
        FLOW_CONTROLS[settings.flowControl < FLOW_CONTROL_KINDS ? settings.flowControl : 0];
    control.fOutxCtsFlow = flow.ctsOutput;
    control.fOutxDsrFlow = flow.dsrOutput;
    control.fDtrControl = flow.dtrControl;
    control.fDsrSensitivity = flow.dsrSensitivity;
    control.fTXContinueOnXoff = flow.continueAfterXoff;
    control.fRtsControl = flow.rtsControl;
    // A line error ends the read or write in progress instead of passing bad bytes on.
    control.fAbortOnError = TRUE;
}

void applyTimeouts(COMMTIMEOUTS& limits, const PortTimeouts& timeouts) {
    limits.ReadIntervalTimeout = timeouts.readInterval;
    limits.ReadTotalTimeoutMultiplier = timeouts.readTotalPerByte;
    limits.ReadTotalTimeoutConstant = timeouts.readTotalConstant;
    limits.WriteTotalTimeoutMultiplier = timeouts.writeTotalPerByte;
    limits.WriteTotalTimeoutConstant = timeouts.writeTotalConstant;
}

bool lineStateReadable(HANDLE port, DCB& control) {
    control = DCB{};
    control.DCBlength = sizeof control;
    return GetCommState(port, &control) != 0;
}

// A port that refuses a setting is used with whatever settings it has.
// True when its line settings could be read.
bool configure(HANDLE port, const LineSettings& settings, const PortTimeouts& timeouts) {
    SetupComm(port, QUEUE_SIZE, QUEUE_SIZE);
    DCB control;
    const bool readable = lineStateReadable(port, control);
    if (readable) {
        applyLineSettings(control, settings);
        SetCommState(port, &control);
    }
    COMMTIMEOUTS limits{};
    if (GetCommTimeouts(port, &limits)) {
        applyTimeouts(limits, timeouts);
        SetCommTimeouts(port, &limits);
    }
    return readable;
}

class Win32SerialPort final : public SerialPort {
public:
    // `watchLine`: the line settings could be read when the port opened, so
    // failing to read them later means the line is gone.
    Win32SerialPort(PortHandle handle, bool watchLine) : handle_(std::move(handle)), watchLine_(watchLine) {}

    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t size) override {
        DWORD count = 0;
        if (!handle_ || !ReadFile(handle_.get(), buffer, blockSize(size), &count, nullptr)) {
            return std::nullopt;
        }
        if (count == 0 && !lineStillThere()) return std::nullopt;
        return count;
    }

    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t size) override {
        DWORD count = 0;
        if (!handle_ || !WriteFile(handle_.get(), data, blockSize(size), &count, nullptr)) {
            return std::nullopt;
        }
        return count;
    }

    void close() override { handle_.reset(); }

private:
    // Some drivers (Wine's on a pseudo-terminal among them) read a line that
    // hung up, its device unplugged or switched off, as empty; its settings
    // can no longer be read then. Without this a vanished instrument would
    // look merely quiet, and the download would take the text cut short by
    // it for a complete one.
    bool lineStillThere() const {
        DCB control;
        return !watchLine_ || lineStateReadable(handle_.get(), control);
    }

    // The transfers move at most a few kilobytes per call.
    static DWORD blockSize(std::size_t size) {
        return static_cast<DWORD>(std::min<std::size_t>(size, MAXDWORD));
    }

    PortHandle handle_;
    bool watchLine_;
};

}  // namespace

std::unique_ptr<SerialPort> openSerialDevice(const std::string& device, const LineSettings& settings,
                                             const PortTimeouts& timeouts) {
    const std::wstring name(device.begin(), device.end());
    const HANDLE opened = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return nullptr;
    PortHandle handle(opened);
    const bool watchLine = configure(handle.get(), settings, timeouts);
    return std::make_unique<Win32SerialPort>(std::move(handle), watchLine);
}
