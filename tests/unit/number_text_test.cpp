#include "core/number_text.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace {

struct DecimalCase {
    const char* text;
    double expected;
};

TEST(NumberText, ParseDecimalTakesTheLongestNumberPrefix) {
    const DecimalCase cases[] = {
        {"12.5", 12.5},
        {"  \t\r\n\v\f-3.25", -3.25},
        {"+7", 7.0},
        {".5", 0.5},
        {"5.", 5.0},
        {"-.5", -0.5},
        {"1e3", 1000.0},
        {"1E+2", 100.0},
        {"25e-1", 2.5},
        {"2e", 2.0},          // an exponent needs a digit
        {"2e+", 2.0},
        {"2e-x", 2.0},
        {"3.5dB", 3.5},
        {"0,35", 0.0},         // no locale: the comma ends the number
        {"1.2.3", 1.2},
        {"4 5", 4.0},
        {"", 0.0},
        {".", 0.0},
        {"+", 0.0},
        {"-.", 0.0},
        {"abc", 0.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {"0x10", 0.0},         // no hex: "0" is the number
        {"--1", 0.0},
        {" +-1", 0.0},
        {"0.1", 0.1},
        {"1.7e308", 1.7e308},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDecimal(std::string_view(c.text)), c.expected) << '"' << c.text << '"';
    }
}

TEST(NumberText, ParseDecimalOutOfRangeBehavesLikeStrtod) {
    EXPECT_EQ(parseDecimal("1e400"), HUGE_VAL);
    EXPECT_EQ(parseDecimal("-1e400"), -HUGE_VAL);
    EXPECT_EQ(parseDecimal("123456789e99999999999999"), HUGE_VAL);
    EXPECT_EQ(parseDecimal("0.0001e-400"), 0.0);
    EXPECT_FALSE(std::signbit(parseDecimal("1e-400")));
    EXPECT_TRUE(std::signbit(parseDecimal("-1e-400")));
    EXPECT_EQ(parseDecimal("-1e-400"), 0.0);
    EXPECT_EQ(parseDecimal("1e-310"), 1e-310);  // subnormal, still representable
    EXPECT_EQ(parseDecimal("0e99999"), 0.0);
}

TEST(NumberText, ParseDecimalOfUtf16StopsAtNonAsciiUnits) {
    EXPECT_EQ(parseDecimal(u" 0.35"), 0.35);
    EXPECT_EQ(parseDecimal(u"12\u00A0"), 12.0);
    EXPECT_EQ(parseDecimal(u"1\u0660"), 1.0);  // Arabic-Indic zero is not a digit here
    EXPECT_EQ(parseDecimal(u"\u00A01"), 0.0);  // no-break space is not white space
    EXPECT_EQ(parseDecimal(std::u16string_view(u"7\0" u"8", 3)), 7.0);
}

struct IntegerCase {
    const char* text;
    std::int64_t expected;
};

TEST(NumberText, ParseIntegerReadsLeadingDigitsAndClamps) {
    constexpr auto max = std::numeric_limits<std::int64_t>::max();
    constexpr auto min = std::numeric_limits<std::int64_t>::min();
    const IntegerCase cases[] = {
        {"1550", 1550},
        {" \t-42x", -42},
        {"+7", 7},
        {"12.9", 12},
        {"", 0},
        {"-", 0},
        {"x1", 0},
        {"9223372036854775807", max},
        {"9223372036854775808", max},
        {"99999999999999999999999", max},
        {"-9223372036854775808", min},
        {"-9223372036854775809", min},
        {"-99999999999999999999999", min},
        {"00000000000000000000000123", 123},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseInteger(std::string_view(c.text)), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(parseInteger(u"1310 nm"), 1310);
    EXPECT_EQ(parseInteger(u"13\u00B910"), 13);
}

TEST(NumberText, FormatFixedPrintsLikePrintf) {
    const double values[] = {0.0, 1.0, -1.5, 0.125, 2.675, 1.005, -0.061, 0.005, 123456.789,
                             1e20, 1.7e308, -1.7e308, 5e-324, 0.35};
    for (double value : values) {
        for (int decimals : {1, 2, 6}) {
            char expected[400];
            std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
            EXPECT_EQ(formatFixed(value, decimals), expected) << value << " with " << decimals;
        }
    }
    EXPECT_EQ(formatFixed(2.5, 2), "2.50");
}

// printf gives "-0.00" for these, and whether a computed zero carries the
// sign bit differs between C runtimes.
TEST(NumberText, FormatFixedPrintsNoSignOnAZero) {
    struct Case {
        double value;
        int decimals;
        const char* expected;
    };
    const Case cases[] = {
        {-0.0, 2, "0.00"},    {-0.004, 2, "0.00"}, {-0.0049, 2, "0.00"}, {-0.005, 2, "-0.01"},
        {-0.04, 1, "0.0"},    {-0.06, 1, "-0.1"},  {-0.4, 0, "0"},       {-0.0, 0, "0"},
        {-1e-300, 6, "0.000000"}, {-0.001, 6, "-0.001000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(formatFixed(c.value, c.decimals), c.expected) << c.value << " with " << c.decimals;
    }
}

TEST(NumberText, ByteTextsMapEachByteToTheSameCode) {
    const std::string bytes = {'A', ' ', '\0', static_cast<char>(0xE9), static_cast<char>(0xFF)};
    const std::u16string expected = {u'A', u' ', u'\0', u'\u00E9', u'\u00FF'};
    EXPECT_EQ(latin1ToU16(bytes), expected);
    EXPECT_EQ(asciiToU16("ZD615 SN 12"), u"ZD615 SN 12");
}

TEST(NumberText, Utf8RoundTripsEveryPlane) {
    const std::u16string text = u"a\u00E9\u010D\u20AC\U0001F600z";
    const std::string utf8 = "a\xC3\xA9\xC4\x8D\xE2\x82\xAC\xF0\x9F\x98\x80z";
    EXPECT_EQ(u16ToUtf8(text), utf8);
    EXPECT_EQ(utf8ToU16(utf8), text);
}

TEST(NumberText, LoneSurrogatesBecomeReplacementCharacters) {
    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00), char16_t(0xD83D)};
    EXPECT_EQ(u16ToUtf8(lone), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(NumberText, MalformedUtf8BecomesReplacementCharacters) {
    struct Case {
        std::string utf8;
        std::u16string expected;
    };
    const Case cases[] = {
        {"\x80", u"\uFFFD"},                                  // stray continuation
        {"a\xC3", u"a\uFFFD"},                                // truncated at the end
        {"\xC3" "a", u"\uFFFD" "a"},                          // continuation missing
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                        // overlong
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},              // overlong, three bytes
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},              // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},    // beyond U+10FFFF
        {"\xFF" "b", u"\uFFFD" "b"},
        {"\xF0\x9F\x98", u"\uFFFD\uFFFD\uFFFD"},              // truncated four-byte
    };
    for (const auto& c : cases) EXPECT_EQ(utf8ToU16(c.utf8), c.expected);
}

}  // namespace
