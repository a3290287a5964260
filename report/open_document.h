// Showing a local file (a report, the user manual) in the web browser.
#pragma once

#include <string_view>

// Hands the file to a browser and returns once it has loaded it (or stopped
// waiting). False when no browser could be given the file.
bool openDocument(std::u16string_view path);
