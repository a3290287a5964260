// Downloading the instrument's text over the serial port, driven by a 10 ms
// timer of the transfer dialog: each tick reads at most 32 bytes. For a
// ZD615 a second phase asks for the instrument's limit sets.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "core/measurement_store.h"
#include "instrument/serial_port.h"

inline constexpr std::uint32_t DOWNLOAD_TICK_MS = 10;
inline constexpr std::uint32_t DOWNLOAD_READ_SIZE = 32;

enum class DownloadPhase { Text, LimitSets };

enum class TickResult {
    Waiting,    // go on ticking
    Completed,  // dialog result 1: the text (and a ZD615's limit sets) arrived
    Failed,     // dialog result 2: the buffer filled up; the lengths are 0
};

class Download {
public:
    explicit Download(MeasurementStore& store);
    Download(const Download&) = delete;
    Download& operator=(const Download&) = delete;

    // Resets the download state and both lengths, opens the port and asks
    // for the text. False when the port cannot be opened (text 76).
    bool start(const PortOpener& openPort);
    // One timer tick.
    TickResult tick();
    // Stop, Escape or the close box: closes the port.
    void stop();

    DownloadPhase phase() const;
    // Bytes received so far in the current phase.
    std::uint32_t receivedCount() const;

private:
    TickResult endPhase();
    TickResult finish(TickResult result);
    bool textComplete() const;

    MeasurementStore& store_;
    std::unique_ptr<SerialPort> port_;
    DownloadPhase phase_ = DownloadPhase::Text;
    std::uint8_t* target_ = nullptr;
    std::uint32_t capacity_ = 0;
    std::uint32_t receivedCount_ = 0;
    bool dataStarted_ = false;
    std::uint32_t idleTicks_ = 0;
    std::uint32_t idleLimit_ = 0;
    // Set once the download has ended: a tick already queued repeats it.
    std::optional<TickResult> outcome_;
};

// Copies consecutive 32-byte blocks of `source` into entries 1, 2, ... 15 of
// `table` while the block's offset is below `length`; entry 0 is never
// touched and a short last block is copied as a full block, so `source` holds
// whole blocks (the receive buffers hold 8192 bytes).
bool copyLimitSets(const std::uint8_t* source, std::uint32_t length, LimitSetTable& table);
