// Any bytes as the instrument's text, through the header-only and the full
// parse. Besides the sanitizers' checks, the store must keep its invariants.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fuzz_support.h"
#include "instrument/instrument_text.h"

namespace {

void loadText(MeasurementStore& store, const std::uint8_t* data, std::size_t size) {
    resetStore(store);
    clearWavelengthTable(store);
    std::memcpy(store.rawText.data(), data, size);
    store.rawTextLength = static_cast<std::uint32_t>(size);
}

void checkStore(const MeasurementStore& store) {
    require(store.rawTextLength <= RAW_TEXT_CAPACITY);
    require(store.recordCount <= MAX_RECORDS);
    require(store.instrumentKind >= KIND_NONE && store.instrumentKind <= KIND_ZD615);
    require(store.wavelengthSummary.wavelengthCount <= WAVELENGTH_SLOTS);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MeasurementStore& store = fuzzStore();
    const std::size_t length = std::min(size, RAW_TEXT_CAPACITY);

    loadText(store, data, length);
    const ParseResult header = parseInstrumentText(store, ParseMode::HeaderOnly);
    checkStore(store);
    // The header-only parse never keeps a line end of its own.
    require(store.rawTextLength == length || (!header.accepted && store.rawTextLength == 0));
    require(!header.accepted || std::memcmp(store.rawText.data(), data, length) == 0);

    loadText(store, data, length);
    const ParseResult full = parseInstrumentText(store, ParseMode::Full);
    checkStore(store);
    if (full.accepted) {
        require(store.rawTextLength == length + 1 && store.rawText[length] == '\n');
        // The kind agrees with where the records are.
        static const LocationRecord noRecord{};
        if (store.instrumentKind == KIND_ZD615) {
            require(store.readings[0].state == STATE_EMPTY);
        } else {
            require(std::memcmp(&store.locationRecords[0], &noRecord, sizeof noRecord) == 0);
        }
    }
    return 0;
}
