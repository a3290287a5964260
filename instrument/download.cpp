#include "instrument/download.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "instrument/instrument_text.h"

namespace {

constexpr std::uint32_t TEXT_IDLE_LIMIT = 350;
constexpr std::uint32_t LIMIT_SETS_IDLE_LIMIT = 20;
// The text's end is looked for only once it could hold an end mark at all.
constexpr std::uint32_t MIN_END_CHECK_LENGTH = 5;
constexpr std::size_t LIMIT_SET_BYTES = sizeof(LimitSet);
constexpr std::size_t RECEIVED_LIMIT_SETS = LIMIT_SETS - 1;  // set 0 is never transferred

bool endsWith(const std::uint8_t* end, std::string_view mark) {
    return std::equal(mark.begin(), mark.end(), end - mark.size(),
                      [](char expected, std::uint8_t byte) { return byte == static_cast<std::uint8_t>(expected); });
}

}  // namespace

Download::Download(MeasurementStore& store) : store_(store) {}

bool Download::start(const PortOpener& openPort) {
    phase_ = DownloadPhase::Text;
    target_ = store_.rawText.data();
    capacity_ = RAW_TEXT_CAPACITY;
    receivedCount_ = 0;
    dataStarted_ = false;
    idleTicks_ = 0;
    idleLimit_ = TEXT_IDLE_LIMIT;
    outcome_.reset();
    store_.rawTextLength = 0;
    store_.limitTextLength = 0;
    port_ = openPort(store_.configuration);
    if (!port_) return false;
    port_->write(&REQUEST_TEXT, 1);
    return true;
}

TickResult Download::tick() {
    if (outcome_ || !port_) return outcome_.value_or(TickResult::Failed);
    if (receivedCount_ + DOWNLOAD_READ_SIZE >= capacity_) {
        store_.rawTextLength = 0;
        store_.limitTextLength = 0;
        return finish(TickResult::Failed);
    }
    const auto count = port_->read(target_ + receivedCount_, DOWNLOAD_READ_SIZE);
    if (!count) return TickResult::Waiting;
    if (*count > 0) {
        receivedCount_ += static_cast<std::uint32_t>(*count);
        dataStarted_ = true;
        idleTicks_ = 0;
        const bool checkEnd = phase_ == DownloadPhase::Text && receivedCount_ >= MIN_END_CHECK_LENGTH;
        return checkEnd && textComplete() ? endPhase() : TickResult::Waiting;
    }
    // No limit before the first byte: the instrument may still be preparing its text.
    if (!dataStarted_) return TickResult::Waiting;
    const bool idleTooLong = idleTicks_ > idleLimit_;
    ++idleTicks_;
    return idleTooLong ? endPhase() : TickResult::Waiting;
}

void Download::stop() {
    if (port_) port_->close();
    port_.reset();
    if (!outcome_) outcome_ = TickResult::Failed;
}

DownloadPhase Download::phase() const { return phase_; }

std::uint32_t Download::receivedCount() const { return receivedCount_; }

bool Download::textComplete() const {
    const std::uint8_t* end = target_ + receivedCount_;
    return endsWith(end, "\n\n") || endsWith(end, "\n\r\n\r");
}

TickResult Download::endPhase() {
    if (phase_ == DownloadPhase::LimitSets) {
        store_.limitTextLength = receivedCount_;
        copyLimitSets(store_.limitText.data(), store_.limitTextLength, store_.activeLimitSets);
        return finish(TickResult::Completed);
    }
    store_.rawTextLength = receivedCount_;
    // A rejected header ends the download all the same: the full parse that
    // follows reports it.
    const bool accepted = parseInstrumentText(store_, ParseMode::HeaderOnly).accepted;
    if (!accepted || store_.instrumentKind != KIND_ZD615) return finish(TickResult::Completed);

    phase_ = DownloadPhase::LimitSets;
    target_ = store_.limitText.data();
    capacity_ = LIMIT_TEXT_CAPACITY;
    receivedCount_ = 0;
    idleTicks_ = 0;
    idleLimit_ = LIMIT_SETS_IDLE_LIMIT;
    dataStarted_ = false;
    // A short last block is copied whole: its missing bytes read as zeros.
    store_.limitText.fill(0);
    port_->write(&REQUEST_LIMIT_SETS, 1);
    return TickResult::Waiting;
}

TickResult Download::finish(TickResult result) {
    port_->close();
    port_.reset();
    outcome_ = result;
    return result;
}

bool copyLimitSets(const std::uint8_t* source, std::uint32_t length, LimitSetTable& table) {
    for (std::size_t block = 0; block < RECEIVED_LIMIT_SETS && block * LIMIT_SET_BYTES < length; ++block) {
        std::memcpy(&table[block + 1], source + block * LIMIT_SET_BYTES, LIMIT_SET_BYTES);
    }
    return true;
}
