// The language choice (dialog 114): picks a "*.lng" file of the current
// folder, loads it and remembers it in the configuration.
#pragma once

#include <windows.h>

struct MeasurementStore;

// IDOK when the operator confirmed (a new language may be in force; the
// caller translates its window again), IDCANCEL otherwise.
INT_PTR runLanguageDialog(HWND owner, MeasurementStore& store);
