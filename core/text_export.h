// Export of the instrument's text transfer, exactly as rawText holds it, so
// that the file loads again as instrument data.
#pragma once

#include <filesystem>

#include "core/measurement_store.h"

// Writes the first rawTextLength bytes of rawText unchanged (no header, no
// conversion of characters or line ends) through a temporary file renamed
// over the target. False when the file could not be written; the window then
// shows text 83 and any previous file is intact.
bool writeInstrumentText(const MeasurementStore& store, const std::filesystem::path& file);
