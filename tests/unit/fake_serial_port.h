// A scripted serial line for fast, deterministic tests of the transfers: each
// read takes the next step of the script (some bytes, at most as many as
// asked for; nothing; a failed read). A line whose script has run out stays
// quiet. The test keeps the line; the code under test owns the port.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "instrument/serial_port.h"

class FakeLine {
public:
    // `bytes` arrive in pieces of at most `piece` bytes, one piece a read.
    void send(std::string_view bytes, std::size_t piece = SIZE_MAX) {
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            steps_.push_back({Step::Bytes, std::string(bytes.substr(at, piece))});
        }
    }
    void send(const std::vector<std::uint8_t>& bytes, std::size_t piece = SIZE_MAX) {
        send(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), piece);
    }
    void quiet(std::size_t count) { steps_.insert(steps_.end(), count, Step{Step::Nothing, {}}); }
    void failRead() { steps_.push_back({Step::Failure, {}}); }
    bool scriptDone() const { return steps_.empty(); }

    // Called after each write with the byte written: the instrument's reply.
    std::function<void(std::uint8_t)> onWrite;
    bool refuseOpen = false;
    bool failWrites = false;

    std::string written;           // every byte written, in order
    std::size_t delivered = 0;     // bytes that reads brought
    std::vector<std::size_t> deliveredBeforeWrite;  // `delivered` at each write
    std::size_t reads = 0;
    std::size_t emptyReads = 0;    // consecutive, up to the last read
    std::size_t opens = 0;
    std::size_t closes = 0;
    bool isOpen = false;

    std::unique_ptr<SerialPort> open();
    PortOpener opener() {
        return [this](const Configuration&) { return open(); };
    }

private:
    friend class FakeSerialPort;
    struct Step {
        enum Kind { Bytes, Nothing, Failure } kind;
        std::string bytes;
    };

    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t size) {
        ++reads;
        if (steps_.empty() || steps_.front().kind == Step::Nothing) {
            if (!steps_.empty()) steps_.pop_front();
            ++emptyReads;
            return 0;
        }
        Step& step = steps_.front();
        if (step.kind == Step::Failure) {
            steps_.pop_front();
            return std::nullopt;
        }
        const std::size_t count = std::min(size, step.bytes.size());
        std::copy_n(step.bytes.begin(), count, buffer);
        step.bytes.erase(0, count);
        if (step.bytes.empty()) steps_.pop_front();
        delivered += count;
        emptyReads = count == 0 ? emptyReads + 1 : 0;
        return count;
    }

    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t size) {
        if (failWrites) return std::nullopt;
        for (std::size_t i = 0; i < size; ++i) {
            written += static_cast<char>(data[i]);
            deliveredBeforeWrite.push_back(delivered);
            if (onWrite) onWrite(data[i]);
        }
        return size;
    }

    std::deque<Step> steps_;
};

class FakeSerialPort final : public SerialPort {
public:
    explicit FakeSerialPort(FakeLine& line) : line_(line) {}
    ~FakeSerialPort() override { close(); }

    std::optional<std::size_t> read(std::uint8_t* buffer, std::size_t size) override {
        if (!open_) return std::nullopt;
        return line_.read(buffer, size);
    }
    std::optional<std::size_t> write(const std::uint8_t* data, std::size_t size) override {
        if (!open_) return std::nullopt;
        return line_.write(data, size);
    }
    void close() override {
        if (!open_) return;
        open_ = false;
        line_.isOpen = false;
        ++line_.closes;
    }

private:
    FakeLine& line_;
    bool open_ = true;
};

inline std::unique_ptr<SerialPort> FakeLine::open() {
    if (refuseOpen) return nullptr;
    ++opens;
    isOpen = true;
    return std::make_unique<FakeSerialPort>(*this);
}
