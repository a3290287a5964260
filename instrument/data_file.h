// Loading instrument data from a text file: the file's bytes become rawText
// and go through the full parse.
#pragma once

#include <filesystem>

#include "core/measurement_store.h"

enum class DataFileOutcome {
    Loaded,      // records replaced; the window confirms with text 82 (caption 81)
    CannotRead,  // missing, unreadable or empty file; store reset; text 78
    TooLarge,    // 172096 bytes or more; store reset; text 79
    Rejected,    // the parser refused the text; store as the parser left it; text 80
};

struct DataFileResult {
    DataFileOutcome outcome = DataFileOutcome::CannotRead;
    // Loaded with a loss value above zero: the window shows warning 95
    // (caption 94) before its confirmation.
    bool positiveValues = false;
};

// Reads the file into rawText (1 to 172095 bytes are taken as they are) and
// parses it. Menus, dialogs and messages are the caller's.
DataFileResult loadDataFile(MeasurementStore& store, const std::filesystem::path& file);
