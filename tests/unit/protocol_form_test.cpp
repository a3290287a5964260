#include "core/protocol_form.h"

#include <string>

#include <gtest/gtest.h>

namespace {

TEST(ProtocolForm, NumberTextAllowsOnlyDigitsSignsAndPoints) {
    const std::pair<std::u16string_view, bool> cases[] = {
        {u"", true},      {u"0.35", true},  {u"-1", true},    {u"+-..9", true},  {u"---", true},
        {u"1,5", false},  {u" 1", false},   {u"1e3", false},  {u"abc", false},   {u"0.3x", false},
        {u"\u0661", false},  // a digit of another script
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(isNumberText(text), expected) << std::string(text.begin(), text.end());
    }
}

TEST(ProtocolForm, IdentitySplitsAtTheFirstBlank) {
    struct Case {
        std::u16string_view text;
        std::u16string_view type;
        std::u16string_view serial;
    };
    const Case cases[] = {
        {u"ZD615 123456", u"ZD615", u"123456"},
        {u"OM210 SN 42", u"OM210", u"SN 42"},
        {u"OM210", u"OM210", u""},
        {u" ", u"", u""},
        {u"", u"", u""},
        {u" 42", u"", u"42"},
        {u"OM210 ", u"OM210", u""},
        // only the first 31 characters count
        {u"TYPE 0123456789012345678901234567890123", u"TYPE", u"01234567890123456789012345"},
        {u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 X", u"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234", u""},
    };
    for (const auto& c : cases) {
        const InstrumentIdentity identity = splitInstrumentIdentity(c.text);
        EXPECT_EQ(identity.type, c.type);
        EXPECT_EQ(identity.serial, c.serial);
    }
}

TEST(ProtocolForm, IdentityJoinsWithOneBlankCutTo31) {
    EXPECT_EQ(joinInstrumentIdentity(u"ZD615", u"123456"), u"ZD615 123456");
    EXPECT_EQ(joinInstrumentIdentity(u"", u""), u" ");
    EXPECT_EQ(joinInstrumentIdentity(u"OM210", u""), u"OM210 ");
    const std::u16string joined = joinInstrumentIdentity(u"TYPE", std::u16string(40, u'9'));
    EXPECT_EQ(joined, u"TYPE " + std::u16string(26, u'9'));
    // A character outside the basic plane is kept whole or not at all.
    EXPECT_EQ(joinInstrumentIdentity(std::u16string(30, u'T'), u"\U0001F600"),
              std::u16string(30, u'T') + u" ");
}

TEST(ProtocolForm, JoinedIdentitySplitsBack) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {
        {u"ZD615", u"123456"}, {u"", u""}, {u"OM210", u"SN 7"}, {u"", u"42"},
    };
    for (const auto& [type, serial] : cases) {
        const InstrumentIdentity identity = splitInstrumentIdentity(joinInstrumentIdentity(type, serial));
        EXPECT_EQ(identity.type, type);
        EXPECT_EQ(identity.serial, serial);
    }
}

}  // namespace
