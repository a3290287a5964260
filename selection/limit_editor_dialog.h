// The limit-set editor (dialog 131): the fifteen limit sets of the ZD615 on
// tabs, read from and written to the instrument, loaded from and saved to
// limit files. It edits the store's working copy (editedLimitSets); only OK
// puts it into force.
#pragma once

#include <windows.h>

struct MeasurementStore;

// Ends with 1 on OK, which copies editedLimitSets into activeLimitSets, and
// with 2 on Cancel, which leaves activeLimitSets as it was.
INT_PTR runLimitEditorDialog(HWND owner, MeasurementStore& store);
