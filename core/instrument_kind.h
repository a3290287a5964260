// The instrument kind always agrees with where the records are, whatever the
// identification's type word says.
#pragma once

#include <string_view>

#include "core/measurement_store.h"

// instrumentKind becomes 2 for ZD615 records, otherwise the kind of the
// identification's type word (its first 31 characters up to the first blank),
// but never 2: loss-meter records saved as ZD615 data would be lost.
void settleInstrumentKind(MeasurementStore& store, bool zd615Records,
                          std::u16string_view identification);
