#include "instrument/data_file.h"

#include "core/read_file.h"
#include "instrument/instrument_text.h"

DataFileResult loadDataFile(MeasurementStore& store, const std::filesystem::path& file) {
    // A file that fills the whole buffer may be larger still: refused as too large.
    const auto length = readFileStart(file, store.rawText.data(), RAW_TEXT_CAPACITY);
    if (!length || *length == 0) {
        resetStore(store);
        return {DataFileOutcome::CannotRead};
    }
    store.rawTextLength = static_cast<std::uint32_t>(*length);
    if (*length == RAW_TEXT_CAPACITY) {
        resetStore(store);
        return {DataFileOutcome::TooLarge};
    }
    const ParseResult parsed = parseInstrumentText(store, ParseMode::Full);
    if (!parsed.accepted) return {DataFileOutcome::Rejected};
    return {DataFileOutcome::Loaded, parsed.positiveValues};
}
