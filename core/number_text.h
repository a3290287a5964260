// Locale-independent conversions between numbers and text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The standard decimal conversion: leading white space skipped, optional
// sign, digits with an optional point, optional exponent; the longest such
// prefix is converted. No inf, nan or hex. Nothing convertible gives 0.
double parseDecimal(std::string_view text);
double parseDecimal(std::u16string_view text);

// Leading white space, optional sign, decimal digits; stops at the first
// other character. Nothing convertible gives 0; values beyond 64 bits clamp.
std::int64_t parseInteger(std::string_view text);
std::int64_t parseInteger(std::u16string_view text);

// The decimal digits of a whole number.
std::u16string integerText(std::uint64_t number);

// printf("%.*f") of the value as it stands (correctly rounded, no locale),
// except that a value that rounds to zero prints without a sign.
std::string formatFixed(double value, int decimals);

// Byte texts (instrument data, limit-set names, units) become UTF-16 with
// each byte as the character of the same code.
std::u16string latin1ToU16(std::string_view bytes);
std::u16string asciiToU16(std::string_view ascii);

// UTF-8 for the command line and diagnostics.
std::string u16ToUtf8(std::u16string_view text);
std::u16string utf8ToU16(std::string_view text);
