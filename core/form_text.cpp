#include "core/form_text.h"

#include <string>

#include "core/number_text.h"
#include "core/protocol_form.h"
#include "report/value_format.h"

namespace {

constexpr std::u16string_view NO_VALUE_TEXT = u"---";

}  // namespace

std::u16string protocolDateText(unsigned day, unsigned month, unsigned year) {
    return asciiToU16(std::to_string(day) + '.' + std::to_string(month) + '.' +
                      std::to_string(year));
}

std::u16string dbPerKmText(double dbPerKm) {
    return dbPerKm == NOT_SET ? std::u16string(NO_VALUE_TEXT) : twoDecimalText(dbPerKm);
}

std::optional<std::u16string> shownDbPerKm(const WavelengthTable& table, std::uint32_t wavelength) {
    for (const WavelengthEntry& entry : table) {
        if (entry.wavelength == -1) break;
        if (static_cast<std::uint32_t>(entry.wavelength) == wavelength) {
            return dbPerKmText(entry.dbPerKm);
        }
    }
    return std::nullopt;
}

double dbPerKmFromText(std::u16string_view text) {
    if (text.empty() || text == NO_VALUE_TEXT || !isNumberText(text)) return NOT_SET;
    return parseDecimal(text);
}
