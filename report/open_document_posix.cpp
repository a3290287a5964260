#include "report/open_document.h"

// Only the Windows program shows documents; the native build (the command
// line tool and the tests) writes reports without opening them.
bool openDocument(std::u16string_view) { return false; }
