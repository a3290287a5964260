// The one rule for the instrument kind: it always agrees with where the
// records are, whatever the identification's type word says.
#pragma once

#include <string_view>

#include "core/measurement_store.h"

// 2 for ZD615 records; otherwise 1 for any type word and 0 for none, but
// never 2: loss-meter records saved as ZD615 data would be lost.
InstrumentKind instrumentKindOf(bool zd615Records, std::u16string_view typeWord);

// After a parse or opening a protocol: the records' layout and the type word
// of the identification (its first 31 characters up to the first blank).
void settleInstrumentKind(MeasurementStore& store, bool zd615Records,
                          std::u16string_view identification);

// A type word shown or typed for the records held.
void applyInstrumentType(MeasurementStore& store, std::u16string_view typeWord);
