#include "selection/limit_sets.h"

#include <algorithm>
#include <cstring>

#include "core/atomic_file.h"
#include "core/number_text.h"
#include "core/read_file.h"

namespace {

// A threshold box's text is read up to this many characters.
constexpr std::size_t THRESHOLD_TEXT_LENGTH = 63;
constexpr std::uint8_t NEGATIVE = 0x80;
// Beyond any threshold, yet far from overflowing when scaled by 100.
constexpr std::int64_t SCALING_BOUND = std::int64_t{1} << 40;

bool isNameCharacter(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u' ';
}

bool isThresholdCharacter(char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// Removes the first character that fails `allowed`; false when there is none.
template <typename Allowed>
bool removeFirstOther(CleanedText& edited, Allowed allowed) {
    const auto other = std::find_if_not(edited.text.begin(), edited.text.end(), allowed);
    if (other == edited.text.end()) return false;
    const auto position = static_cast<std::size_t>(other - edited.text.begin());
    edited.text.erase(position, 1);
    if (position < edited.caret) --edited.caret;
    return true;
}

// One pass of the name filter: false when the text passes.
bool filterNameOnce(CleanedText& edited) { return removeFirstOther(edited, isNameCharacter); }

// One pass of the threshold filter: false when the text passes.
bool filterThresholdOnce(CleanedText& edited) {
    const bool removed = removeFirstOther(edited, isThresholdCharacter);
    const std::size_t point = edited.text.find(u'.');
    // Followed by at least two characters: one decimal is kept.
    if (point != std::u16string::npos && edited.text.size() - point > 2) {
        edited.text.resize(point + 2);
        edited.caret = std::min(edited.caret, edited.text.size());
        return true;
    }
    return removed;
}

// Every put-back text raises the box's notices again, so a filter runs
// until its text passes; doing that here sets the box once.
std::optional<CleanedText> settle(std::u16string_view text, std::size_t caret,
                                  bool (*filterOnce)(CleanedText&)) {
    CleanedText edited{std::u16string(text), std::min(caret, text.size())};
    if (!filterOnce(edited)) return std::nullopt;
    while (filterOnce(edited)) {
    }
    return edited;
}

}  // namespace

std::optional<CleanedText> filterSetNameText(std::u16string_view text, std::size_t caret) {
    return settle(text, caret, filterNameOnce);
}

std::optional<CleanedText> filterThresholdText(std::u16string_view text, std::size_t caret) {
    return settle(text, caret, filterThresholdOnce);
}

void storeSetName(LimitSet& set, std::u16string_view text) {
    for (std::size_t i = 0; i < SET_NAME_LENGTH; ++i) {
        const bool kept = i < text.size() && isNameCharacter(text[i]);
        set.name[i] = kept ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '};
    }
}

std::int32_t thresholdValue(std::u16string_view text) {
    std::u16string number(text.substr(0, THRESHOLD_TEXT_LENGTH));
    // "12.3" is read as 1230 and "-0.5" as -050: the decimal moves into the
    // units of 0.01 dBm and whatever followed it is dropped.
    const std::size_t point = number.find(u'.');
    const bool scaled = point != std::u16string::npos && point + 1 < number.size();
    if (scaled) {
        number[point] = number[point + 1];
        number.resize(point + 1);
        number += u'0';
    }
    std::int64_t value = std::clamp(parseInteger(number), -SCALING_BOUND, SCALING_BOUND);
    if (!scaled) value *= 100;
    // Beyond the 15-bit magnitude the sign bit would be overwritten.
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -THRESHOLD_LIMIT, THRESHOLD_LIMIT));
}

void storeThreshold(LimitSet& set, std::size_t index, std::u16string_view text) {
    const std::int32_t value = thresholdValue(text);
    const auto magnitude = static_cast<std::uint16_t>(value < 0 ? -value : value);
    set.thresholds[2 * index] =
        static_cast<std::uint8_t>((magnitude >> 8) | (value < 0 ? NEGATIVE : 0));
    set.thresholds[2 * index + 1] = static_cast<std::uint8_t>(magnitude & 0xFF);
}

bool loadLimitFile(LimitSetTable& table, const std::filesystem::path& file) {
    // Read aside first: a read that fails half-way changes nothing.
    LimitSetTable read;
    const auto count = readFileStart(file, read.data(), sizeof read);
    if (!count) return false;
    std::memcpy(table.data(), read.data(), *count);
    return true;
}

bool saveLimitFile(const LimitSetTable& table, const std::filesystem::path& file) {
    return writeFileAtomically(file, table.data(), sizeof table);
}
