#include "core/text_export.h"

#include <algorithm>

#include "core/atomic_file.h"

bool writeInstrumentText(const MeasurementStore& store, const std::filesystem::path& file) {
    const std::size_t length = std::min<std::size_t>(store.rawTextLength, RAW_TEXT_CAPACITY);
    return writeFileAtomically(file, store.rawText.data(), length);
}
