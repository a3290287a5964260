#include "core/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipBlanks(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at])) ++at;
    return at;
}

// The leading part of a UTF-16 text that a number can use: every unit that
// matters to a conversion is ASCII, so the text is cut at the first other unit.
std::string asciiPrefix(std::u16string_view text) {
    std::string ascii;
    for (char16_t unit : text) {
        if (unit > 0x7F) break;
        ascii.push_back(static_cast<char>(unit));
    }
    return ascii;
}

// Where a decimal number (no sign, no blanks) starting at `from` ends, or
// `from` itself when there is none. Also estimates the power of ten of its
// first significant digit, which tells an overflow from an underflow.
struct DecimalSpan {
    std::size_t end;
    std::int64_t magnitude;
};

DecimalSpan scanDecimal(std::string_view text, std::size_t from) {
    std::size_t at = from;
    std::int64_t magnitude = 0;
    bool significant = false;
    std::size_t digits = 0;
    for (; at < text.size() && isDigit(text[at]); ++at, ++digits) {
        if (text[at] != '0') significant = true;
        if (significant) ++magnitude;
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        for (; at < text.size() && isDigit(text[at]); ++at, ++digits) {
            if (significant) continue;
            if (text[at] == '0') --magnitude;
            else significant = true;
        }
    }
    if (digits == 0) return {from, 0};

    std::size_t exponentAt = at;
    if (exponentAt < text.size() && (text[exponentAt] == 'e' || text[exponentAt] == 'E')) {
        ++exponentAt;
        bool negative = false;
        if (exponentAt < text.size() && (text[exponentAt] == '+' || text[exponentAt] == '-')) {
            negative = text[exponentAt] == '-';
            ++exponentAt;
        }
        if (exponentAt < text.size() && isDigit(text[exponentAt])) {
            std::int64_t exponent = 0;
            for (; exponentAt < text.size() && isDigit(text[exponentAt]); ++exponentAt) {
                if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[exponentAt] - '0');
            }
            magnitude += negative ? -exponent : exponent;
            at = exponentAt;
        }
    }
    return {at, magnitude};
}

}  // namespace

double parseDecimal(std::string_view text) {
    std::size_t at = skipBlanks(text);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const DecimalSpan span = scanDecimal(text, at);
    if (span.end == at) return 0.0;

    double value = 0.0;
    const auto result = std::from_chars(text.data() + at, text.data() + span.end, value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        value = span.magnitude > 0 ? HUGE_VAL : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

double parseDecimal(std::u16string_view text) { return parseDecimal(asciiPrefix(text)); }

std::int64_t parseInteger(std::string_view text) {
    std::size_t at = skipBlanks(text);
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Accumulated as a negative number so that the int64 minimum fits.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    bool clamped = false;
    for (; at < text.size() && isDigit(text[at]); ++at) {
        const int digit = text[at] - '0';
        if (value < (lowest + digit) / 10) clamped = true;
        if (!clamped) value = value * 10 - digit;
    }
    if (negative) return clamped ? lowest : value;
    if (clamped || value == lowest) return std::numeric_limits<std::int64_t>::max();
    return -value;
}

std::int64_t parseInteger(std::u16string_view text) { return parseInteger(asciiPrefix(text)); }

std::u16string integerText(std::uint64_t number) { return asciiToU16(std::to_string(number)); }

std::string formatFixed(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    // The largest double has 309 integer digits; a sign and a point come on top.
    std::string text(320 + static_cast<std::size_t>(decimals), '\0');
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, decimals);
    text.resize(result.ec == std::errc() ? static_cast<std::size_t>(result.ptr - text.data()) : 0);
    // Whether a zero carries the sign bit depends on the arithmetic before
    // (a negated 0, or the C runtime's modf, which differs between glibc and
    // MinGW): a printed zero never shows it.
    if (!text.empty() && text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

std::u16string latin1ToU16(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    for (char byte : bytes) text.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
    return text;
}

std::u16string asciiToU16(std::string_view ascii) { return latin1ToU16(ascii); }

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

bool isHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

void appendUtf8(std::string& out, char32_t code) {
    auto byte = [&out](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | (code >> 6));
        byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | (code >> 12));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | (code >> 18));
        byte(0x80 | ((code >> 12) & 0x3F));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

void appendUtf16(std::u16string& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<char16_t>(code));
    } else {
        code -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    }
}

// One code point decoded from UTF-8 at `at`; `at` moves past what was used.
// A malformed sequence gives U+FFFD and uses one byte, so the next byte is
// tried afresh.
char32_t decodeUtf8(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;

    std::size_t length = 0;
    char32_t code = 0;
    char32_t lowest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 1, code = lead & 0x1F, lowest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 2, code = lead & 0x0F, lowest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 3, code = lead & 0x07, lowest = 0x10000;
    } else {
        return REPLACEMENT;
    }
    if (text.size() - at < length) return REPLACEMENT;
    for (std::size_t i = 0; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return REPLACEMENT;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < lowest || code > 0x10FFFF || isHighSurrogate(code) || isLowSurrogate(code)) {
        return REPLACEMENT;
    }
    at += length;
    return code;
}

}  // namespace

std::string u16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char32_t unit = text[at];
        if (isHighSurrogate(unit) && at + 1 < text.size() && isLowSurrogate(text[at + 1])) {
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[at + 1] - 0xDC00));
            ++at;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendUtf8(out, REPLACEMENT);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::u16string utf8ToU16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) appendUtf16(out, decodeUtf8(text, at));
    return out;
}
