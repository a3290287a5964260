// The download from the instrument (command 40009 with dialog 113): the
// dialog polls the port on a 10 ms timer while the instrument sends its
// text and, for a ZD615, its limit sets; then the text is parsed as if it
// had been loaded from a file.
#pragma once

#include <windows.h>

struct MeasurementStore;

// IDOK when the text (and a ZD615's limit sets) arrived; IDCANCEL after
// Stop, a full buffer or a port that could not be opened (reported here).
INT_PTR runDownloadDialog(HWND owner, MeasurementStore& store);

// The whole command: asks before replacing data, downloads, parses and
// shows the result; anything but a completed download leaves the store reset.
void downloadFromInstrument(HWND window, MeasurementStore& store);
