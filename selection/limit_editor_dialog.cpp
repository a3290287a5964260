#include "selection/limit_editor_dialog.h"

// Stands in for the editor until it lands: opens nothing, as if cancelled.
INT_PTR runLimitEditorDialog(HWND, MeasurementStore&) { return IDCANCEL; }
