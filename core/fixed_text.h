// Helpers for the zero-terminated UTF-16 slots of the fixed-layout records.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

// The text of a slot: up to its first zero unit, never beyond its capacity.
template <std::size_t N>
std::u16string_view slotText(const char16_t (&slot)[N]) {
    const char16_t* end = std::find(slot, slot + N, u'\0');
    return {slot, static_cast<std::size_t>(end - slot)};
}

// At most maxUnits units of text, never ending inside a surrogate pair.
std::u16string_view cutText(std::u16string_view text, std::size_t maxUnits);

// Stores text cut to N - 1 units; the rest of the slot becomes zero.
template <std::size_t N>
void setSlotText(char16_t (&slot)[N], std::u16string_view text) {
    text = cutText(text, N - 1);
    const std::size_t used = text.size();
    std::copy_n(text.data(), used, slot);
    std::fill(slot + used, slot + N, u'\0');
}
