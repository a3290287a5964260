// The ZD615 location table (dialog 129): the operator ticks the location
// records that go into the report, sorts them by any column, chooses which
// wavelengths are evaluated, and reaches the location renaming and the
// limit editor.
#pragma once

#include <windows.h>

struct LocationSortMemory;
struct MeasurementStore;

// Runs the table over the store's location records. OK (1) stores the ticks
// and the order shown; Cancel (2) drops both. Evaluate flags, location names
// and limit sets changed meanwhile stay either way. `sort` is the program's
// memory of the last header click.
INT_PTR runLocationTableDialog(HWND owner, MeasurementStore& store, LocationSortMemory& sort);
