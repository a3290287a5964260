// The limit sets as the editor edits them: the cleaning of the name and
// threshold boxes, what a box's text stores into its set, and limit files
// ("thre"), the bare 512-byte image of a LimitSetTable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/records.h"

// Sets 1 to 15 are edited; set 0 ("no limit set") only travels with them.
inline constexpr std::uint32_t FIRST_EDITED_SET = 1;
inline constexpr std::uint32_t LAST_EDITED_SET = LIMIT_SETS - 1;
inline constexpr std::size_t SET_NAME_LENGTH = sizeof(LimitSet::name);
inline constexpr std::size_t THRESHOLDS_PER_SET = sizeof(LimitSet::thresholds) / 2;
// The largest threshold magnitude the 15 bits hold, in 0.01 dBm (327.67 dBm).
inline constexpr std::int32_t THRESHOLD_LIMIT = 0x7FFF;

// An edit box's text after cleaning, with the caret where the operator was
// typing (shifted left by the characters removed before it).
struct CleanedText {
    std::u16string text;
    std::size_t caret;
};

// Name box: every character other than A-Z, 0-9 and a blank is removed, one
// at a time as the box's change notices would, until the text passes.
// Nothing when the text passes as it is.
std::optional<CleanedText> filterSetNameText(std::u16string_view text, std::size_t caret);

// Threshold box: characters other than digits, "+", "-" and "." are removed
// and the text is cut one digit after its first point, until it passes.
// Nothing when the text passes as it is.
std::optional<CleanedText> filterThresholdText(std::u16string_view text, std::size_t caret);

// The name bytes of a box's text: A-Z, 0-9 and blanks as they stand, a blank
// for any other character and for every place beyond the text.
void storeSetName(LimitSet& set, std::u16string_view text);

// The value in 0.01 dBm that a threshold box's text stands for. Only the
// first digit after the point counts ("12.34" is 1230); a value beyond
// ±327.67 dBm is clamped to it.
std::int32_t thresholdValue(std::u16string_view text);

// Stores thresholdValue(text) as threshold `index` (0 to 8) of the set:
// sign and magnitude, high byte first.
void storeThreshold(LimitSet& set, std::size_t index, std::u16string_view text);

// Reads the first 512 bytes of any file over the start of the table: a
// shorter file replaces only as many leading bytes as it holds. False, and
// the table unchanged, when the file cannot be read.
bool loadLimitFile(LimitSetTable& table, const std::filesystem::path& file);

// Writes the table as a 512-byte file; a failed write keeps the previous file.
bool saveLimitFile(const LimitSetTable& table, const std::filesystem::path& file);
