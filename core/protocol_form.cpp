#include "core/protocol_form.h"

#include <algorithm>

#include "core/fixed_text.h"

namespace {

// The instrument slot of the form holds 31 characters and its terminator.
constexpr std::size_t IDENTITY_MAX = sizeof(ProtocolForm::instrument) / sizeof(char16_t) - 1;

}  // namespace

bool isNumberText(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t unit) {
        return (unit >= u'0' && unit <= u'9') || unit == u'+' || unit == u'-' || unit == u'.';
    });
}

InstrumentIdentity splitInstrumentIdentity(std::u16string_view identification) {
    const std::u16string_view text = cutText(identification, IDENTITY_MAX);
    const std::size_t blank = text.find(u' ');
    if (blank == std::u16string_view::npos) return {std::u16string(text), {}};
    return {std::u16string(text.substr(0, blank)), std::u16string(text.substr(blank + 1))};
}

std::u16string joinInstrumentIdentity(std::u16string_view type, std::u16string_view serial) {
    std::u16string identity(type);
    identity += u' ';
    identity += serial;
    return std::u16string(cutText(identity, IDENTITY_MAX));
}
