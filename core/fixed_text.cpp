#include "core/fixed_text.h"

std::u16string_view cutText(std::u16string_view text, std::size_t maxUnits) {
    if (text.size() <= maxUnits) return text;
    text = text.substr(0, maxUnits);
    const bool endsInsidePair = !text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF;
    if (endsInsidePair) text.remove_suffix(1);
    return text;
}
