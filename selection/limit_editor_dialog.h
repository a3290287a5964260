// The limit-set editor (dialog 131).
#pragma once

#include <windows.h>

struct MeasurementStore;

// 1 after OK, 2 after Cancel.
INT_PTR runLimitEditorDialog(HWND owner, MeasurementStore& store);
