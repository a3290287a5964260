// What the fuzz targets share: a failed check ends the run as a finding, and
// one store for all inputs (it is too large to make per input).
#pragma once

#include "core/measurement_store.h"

inline void require(bool condition) {
    if (!condition) __builtin_trap();
}

inline MeasurementStore& fuzzStore() {
    static MeasurementStore* store = makeStore().release();
    return *store;
}
