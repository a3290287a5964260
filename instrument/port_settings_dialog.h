// The port settings (command 40003 with dialog 107): scans COM1 to COM99,
// lists the ports that opened with their instruments' answers, and stores
// the chosen port and line settings in the configuration file.
#pragma once

#include <windows.h>

struct MeasurementStore;

// IDOK after the settings were taken (the configuration is saved; a failure
// is reported), IDCANCEL otherwise. Even after Cancel a missing configured
// port stays replaced by the scan's choice for the rest of the run.
INT_PTR runPortSettingsDialog(HWND owner, MeasurementStore& store);
