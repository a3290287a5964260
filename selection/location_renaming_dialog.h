// The location renaming (dialog 130): names of the ZD615 locations 1 to 9.
#pragma once

#include <windows.h>

struct MeasurementStore;

// Runs the dialog over the store's location names. OK (1) stores the nine
// fields, each cut to 31 characters; Cancel (2) keeps the names as they were.
INT_PTR runLocationRenamingDialog(HWND owner, MeasurementStore& store);
