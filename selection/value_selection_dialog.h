// The value selection (dialog 112): the operator moves the loss readings of
// each wavelength from the loaded list into the A to B and B to A lists.
// Every click changes the store's readings at once; there is no cancel.
#pragma once

#include <windows.h>

struct MeasurementStore;

// Runs the dialog over the store's readings. Ends with 1 on OK, which also
// rebuilds the wavelength summary for the report and the protocol file.
INT_PTR runValueSelectionDialog(HWND owner, MeasurementStore& store);
