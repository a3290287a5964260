// Texts of the protocol form that do not depend on its controls: the date
// of a new protocol and the specific attenuation field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/records.h"

// Day, month and year as "%d.%d.%d", without leading zeros.
std::u16string protocolDateText(unsigned day, unsigned month, unsigned year);

// A dB/km value as the form shows it: two decimals, or "---" when not set.
std::u16string dbPerKmText(double dbPerKm);

// The text shown for a wavelength of the table; nothing when the used part
// of the table (up to the first free slot) does not hold it.
std::optional<std::u16string> shownDbPerKm(const WavelengthTable& table, std::uint32_t wavelength);

// The value a typed dB/km text stands for: NOT_SET when it is empty, "---"
// or not a number text, otherwise its standard decimal conversion.
double dbPerKmFromText(std::u16string_view text);
