// Any byte stream from the instrument, cut into reads at random, through the
// download and both limit-set transfers. Each input is a script: a control
// byte says whether the next read brings up to 64 bytes of the input, comes
// back empty some times, or fails.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "../unit/fake_serial_port.h"
#include "fuzz_support.h"
#include "instrument/download.h"
#include "selection/limit_transfer.h"

namespace {

void loadScript(FakeLine& line, const std::uint8_t* data, std::size_t size) {
    for (std::size_t at = 0; at < size;) {
        const std::uint8_t control = data[at++];
        const std::size_t count = (control & 0x3F) + 1u;
        switch (control >> 6) {
        case 0:
        case 1: {
            const std::size_t taken = std::min(count, size - at);
            line.send(std::string_view(reinterpret_cast<const char*>(data + at), taken));
            at += taken;
            break;
        }
        case 2: line.quiet(count); break;
        default: line.failRead(); break;
        }
    }
}

void fuzzDownload(MeasurementStore& store, const std::uint8_t* data, std::size_t size) {
    FakeLine line;
    loadScript(line, data, size);
    Download download(store);
    require(download.start(line.opener()));
    TickResult result = TickResult::Waiting;
    // Past the script the line is quiet: the idle rule ends a started text.
    for (std::size_t tick = 0; tick < size + 1000 && result == TickResult::Waiting; ++tick) result = download.tick();
    if (result == TickResult::Waiting) download.stop();
    require(!line.isOpen);
    require(line.written == "u" || line.written == "ut");
    require(store.rawTextLength < RAW_TEXT_CAPACITY && store.limitTextLength < LIMIT_TEXT_CAPACITY);
    if (result == TickResult::Completed) {
        require(store.rawTextLength + store.limitTextLength == line.delivered);
    }
}

void fuzzLimitRead(MeasurementStore& store, const std::uint8_t* data, std::size_t size) {
    FakeLine line;
    loadScript(line, data, size);
    const LimitSetTable before = store.editedLimitSets;
    const int result = readLimitSetsFromInstrument(store, line.opener(), {});
    require(!line.isOpen && line.written == "t");
    if (result == TRANSFER_OK) {
        require(store.limitTextLength == 480 && line.delivered == 480);
        require(std::memcmp(&store.editedLimitSets[1], store.limitReplyBuffer.data(), 480) == 0);
    } else {
        require(result == TRANSFER_INCOMPLETE);
        require(std::memcmp(&store.editedLimitSets, &before, sizeof before) == 0);
        require(std::all_of(store.limitReplyBuffer.begin(), store.limitReplyBuffer.end(),
                            [](std::uint8_t byte) { return byte == 0; }));
    }
    require(std::memcmp(&store.editedLimitSets[0], &before[0], sizeof(LimitSet)) == 0);
}

void fuzzLimitWrite(MeasurementStore& store, const std::uint8_t* data, std::size_t size) {
    FakeLine line;
    loadScript(line, data, size);
    const int result = writeLimitSetsToInstrument(store, line.opener(), {});
    require(!line.isOpen);
    require(result == TRANSFER_OK ? line.written.size() == 451 : result == TRANSFER_PORT_FAILED);
    require(line.written.size() <= 451 && line.written[0] == '$');
    for (std::size_t set = 1; set < LIMIT_SETS; ++set) {
        for (std::uint8_t byte : store.editedLimitSets[set].name) {
            require(byte == ' ' || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9'));
        }
        require(store.editedLimitSets[set].lineEnd[0] == 0x0A && store.editedLimitSets[set].lineEnd[1] == 0x0D);
    }
}

}  // namespace

// The transfers' pauses only give a real line time to deliver; over the fake
// line they would only slow the fuzzer down. This definition stands in for the
// one in serial_port.cpp, which is then not linked (a second definition
// would fail the link, never pass silently).
void pauseMilliseconds(std::uint32_t) {}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MeasurementStore& store = fuzzStore();
    fuzzDownload(store, data, size);
    // The limit transfers work on what the download left, names and all.
    std::memcpy(&store.editedLimitSets, &store.activeLimitSets, sizeof store.editedLimitSets);
    fuzzLimitRead(store, data, size);
    fuzzLimitWrite(store, data, size);
    return 0;
}
