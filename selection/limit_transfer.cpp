#include "selection/limit_transfer.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "instrument/download.h"

namespace {

constexpr std::size_t SETS_ON_WIRE = LIMIT_SETS - 1;  // set 0 ("none") stays at home
constexpr std::size_t SET_BYTES = sizeof(LimitSet);
constexpr std::uint32_t LIMIT_SETS_ANSWER = SETS_ON_WIRE * SET_BYTES;  // 480
constexpr std::size_t SENT_SET_BYTES = offsetof(LimitSet, lineEnd);  // the line end is never sent
constexpr int SENT_BYTES = SETS_ON_WIRE * SENT_SET_BYTES;           // 450

// Read: an answer that pauses for five reads in a row has ended.
constexpr int READ_IDLE_LIMIT = 3;
// Write: 52 empty reads in a row and the instrument has stopped answering.
constexpr int WRITE_IDLE_LIMIT = 50;
constexpr std::size_t ACK_READ_SIZE = 4;
constexpr std::uint32_t IDLE_PAUSE_MS = 1;
constexpr std::uint32_t LAST_ACK_PAUSE_MS = 5;
// Acknowledgement bytes the instrument sends before the next data byte.
constexpr int ACKS_PER_BYTE = 1;
constexpr int ACKS_AFTER_SET = 3;

template <typename Callback, typename... Arguments>
void notify(const Callback& callback, Arguments... arguments) {
    if (callback) callback(arguments...);
}

std::uint8_t cleanNameByte(std::uint8_t byte) {
    if ((byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')) return byte;
    if (byte >= 'a' && byte <= 'z') return static_cast<std::uint8_t>(byte - 'a' + 'A');
    return ' ';
}

// The instrument takes names of capitals, digits and blanks only, and its own
// line end after every set.
void prepareForInstrument(LimitSetTable& sets) {
    for (std::size_t set = 1; set < LIMIT_SETS; ++set) {
        for (std::uint8_t& byte : sets[set].name) byte = cleanNameByte(byte);
        sets[set].lineEnd[0] = 0x0A;
        sets[set].lineEnd[1] = 0x0D;
    }
}

// Counts consecutive empty reads and pauses briefly after each, so the
// instrument has time to answer; gives up once they exceed the limit.
class EmptyReads {
public:
    explicit EmptyReads(int limit) : limit_(limit) {}

    // After a read of `count` bytes: false when the line has stayed quiet too long.
    bool allowAfter(std::size_t count) {
        if (count > 0) {
            idle_ = 0;
            return true;
        }
        if (idle_ > limit_) return false;
        ++idle_;
        pauseMilliseconds(IDLE_PAUSE_MS);
        return true;
    }

private:
    int limit_;
    int idle_ = 0;
};

// Waits until the instrument has sent `need` bytes; the bytes are not looked at.
bool awaitAcknowledgement(SerialPort& port, int need) {
    std::array<std::uint8_t, ACK_READ_SIZE> acknowledgement;
    EmptyReads emptyReads(WRITE_IDLE_LIMIT);
    for (int got = 0; got < need;) {
        const std::size_t count = port.read(acknowledgement.data(), acknowledgement.size()).value_or(0);
        got += static_cast<int>(count);
        if (!emptyReads.allowAfter(count)) return false;
    }
    return true;
}

// Reads the answer to "t" into the reply buffer; false when it stopped short.
bool receiveLimitSets(SerialPort& port, std::uint8_t* reply, const TransferCallbacks& callbacks) {
    std::uint32_t received = 0;
    EmptyReads emptyReads(READ_IDLE_LIMIT);
    while (received < LIMIT_SETS_ANSWER) {
        const auto count = port.read(reply + received, LIMIT_SETS_ANSWER - received);
        if (!count) return false;
        received += static_cast<std::uint32_t>(*count);
        notify(callbacks.setProgress, static_cast<int>(received));
        if (!emptyReads.allowAfter(*count)) return false;
    }
    return true;
}

}  // namespace

int readLimitSetsFromInstrument(MeasurementStore& store, const PortOpener& openPort,
                                const TransferCallbacks& callbacks) {
    auto port = openPort(store.configuration);
    if (!port) {
        notify(callbacks.portNotOpened);
        return TRANSFER_PORT_FAILED;
    }
    port->write(&REQUEST_LIMIT_SETS, 1);
    notify(callbacks.setProgress, 0);
    notify(callbacks.setProgressRange, static_cast<int>(LIMIT_SETS_ANSWER));
    const bool complete = receiveLimitSets(*port, store.limitReplyBuffer.data(), callbacks);
    notify(callbacks.setProgress, 0);
    port->close();
    if (!complete) {
        store.limitReplyBuffer.fill(0);
        return TRANSFER_INCOMPLETE;
    }
    store.limitTextLength = LIMIT_SETS_ANSWER;
    copyLimitSets(store.limitReplyBuffer.data(), store.limitTextLength, store.editedLimitSets);
    return TRANSFER_OK;
}

int writeLimitSetsToInstrument(MeasurementStore& store, const PortOpener& openPort,
                               const TransferCallbacks& callbacks) {
    prepareForInstrument(store.editedLimitSets);
    auto port = openPort(store.configuration);
    if (!port) {
        notify(callbacks.portNotOpened);
        return TRANSFER_PORT_FAILED;
    }
    port->write(&REQUEST_WRITE_LIMITS, 1);
    std::array<LimitSet, SETS_ON_WIRE> transmit;
    std::copy(store.editedLimitSets.begin() + 1, store.editedLimitSets.end(), transmit.begin());
    notify(callbacks.setProgress, 0);
    notify(callbacks.setProgressRange, SENT_BYTES);

    int need = ACKS_PER_BYTE;
    for (const LimitSet& set : transmit) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&set);
        for (std::size_t i = 0; i < SENT_SET_BYTES; ++i) {
            if (!awaitAcknowledgement(*port, need)) {
                notify(callbacks.setProgress, 0);
                port->close();
                return TRANSFER_PORT_FAILED;
            }
            port->write(&bytes[i], 1);
            need = i + 1 == SENT_SET_BYTES ? ACKS_AFTER_SET : ACKS_PER_BYTE;
            notify(callbacks.stepProgress);
        }
    }
    // The answer to the last byte is taken if it is there, not waited for.
    pauseMilliseconds(LAST_ACK_PAUSE_MS);
    std::array<std::uint8_t, ACK_READ_SIZE> last;
    port->read(last.data(), last.size());
    notify(callbacks.setProgress, 0);
    port->close();
    return TRANSFER_OK;
}
